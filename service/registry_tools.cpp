#include "registry_tools.h"

#include "handles.h"

#include <vector>

HKEY CRegistryTools::HiveOf(int hive)
{
    switch (hive) {
    case 0:
        return HKEY_CLASSES_ROOT;
    case 1:
        return HKEY_CURRENT_USER;
    case 3:
        return HKEY_USERS;
    default:
        return HKEY_LOCAL_MACHINE;
    }
}

int CRegistryTools::ReadString(int hive, const std::wstring& keyPath, const std::wstring& valueName,
                               DWORD maxChars, std::wstring& text)
{
    CRegKey key;
    if (::RegOpenKeyExW(HiveOf(hive), keyPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return 1;
    // The stored size first: the data read may add a terminator of its own.
    DWORD type = 0;
    DWORD stored = 0;
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &stored) != ERROR_SUCCESS)
        return 1;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return 1;
    if (stored > maxChars * sizeof(wchar_t) || stored % sizeof(wchar_t) != 0 || stored == 0)
        return 1;
    std::vector<wchar_t> buffer(size_t(maxChars) + 1, L'\0');
    DWORD bytes = maxChars * sizeof(wchar_t);
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &bytes) != ERROR_SUCCESS)
        return 1;
    // The stored data must carry its own terminating zero.
    const size_t chars = stored / sizeof(wchar_t);
    if (bytes < stored || buffer[chars - 1] != L'\0')
        return 1;
    text.assign(buffer.data(), chars - 1);
    return 0;
}

int CRegistryTools::WriteString(int hive, const std::wstring& keyPath, const std::wstring& valueName,
                                const std::wstring& text)
{
    CRegKey key;
    LONG result = ::RegCreateKeyExW(HiveOf(hive), keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_READ | KEY_WRITE, nullptr, key.Receive(), nullptr);
    if (result != ERROR_SUCCESS)
        return int(result);
    result = ::RegSetValueExW(key.Get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              DWORD((text.size() + 1) * sizeof(wchar_t)));
    return int(result);
}
