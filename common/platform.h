// Platform queries: Windows family, file versions and named-mutex probes.
#pragma once

#include <windows.h>

#include <string>

// Exactly Windows 2000 (5.0).
bool IsWin2000();

class CCommonTools {
public:
    // The XP / Server 2003 family (5.x with x != 0).
    static bool IsXP();
};

// "a.b.c.d" of the file's fixed version information; empty without one.
std::wstring GetFileVersionString(const std::wstring& path);

// Creates (or opens) the named mutex; present says whether it counts as held
// by someone else already.  The caller owns the returned handle.
HANDLE OpenOrCreateNamedMutex(const std::wstring& name, BYTE& present);

// Probes the name and closes the handle at once.
BYTE IsNamedMutexPresent(const std::wstring& name);
