#include "service_test_helpers.h"

#include "handles.h"

#include <gtest/gtest.h>

namespace service_testing {

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

void SetRunValue(const wchar_t* name)
{
    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               key.Receive(), nullptr));
    const wchar_t data[] = L"C:\\x.exe";
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                                              sizeof(data)));
}

bool RunValueExists(const wchar_t* name)
{
    CRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return false;
    return ::RegQueryValueExW(key.Get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool KeyExists(const wchar_t* path)
{
    CRegKey key;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

CServiceConfig::CServiceConfig(SC_HANDLE service)
{
    DWORD needed = 0;
    ::QueryServiceConfigW(service, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed + 16);
    if (::QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                              DWORD(buffer.size()), &needed))
        m_buffer = std::move(buffer);
}

const QUERY_SERVICE_CONFIGW* CServiceConfig::Get() const
{
    return m_buffer.empty() ? nullptr : reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(m_buffer.data());
}

} // namespace service_testing
