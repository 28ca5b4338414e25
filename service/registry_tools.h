// The two registry primitives of the service's product queries; the hive is
// given by number: 0 classes root, 1 current user, 2 local machine, 3 users,
// anything else local machine.
#pragma once

#include <windows.h>

#include <string>

class CRegistryTools {
public:
    virtual ~CRegistryTools() = default;

    // 0 when read; 1 when the key does not open, the value is missing, is not a
    // (terminated) string or does not fit maxChars including its terminator.
    // text is set only on success.  Expandable strings are returned unexpanded.
    static int ReadString(int hive, const std::wstring& keyPath, const std::wstring& valueName, DWORD maxChars,
                          std::wstring& text);
    // 0 when written (the key is created when missing), non-zero otherwise.
    static int WriteString(int hive, const std::wstring& keyPath, const std::wstring& valueName,
                           const std::wstring& text);

    static HKEY HiveOf(int hive);
};
