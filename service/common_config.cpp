#include "common_config.h"

#include "file_utils.h"
#include "stl_string.h"

#include <windows.h>

CCommonConfig::CCommonConfig(const std::wstring& fileName)
{
    if (fileName.find_first_of(L"\\/") != std::wstring::npos) {
        m_strPath = fileName;
        return;
    }
    const std::wstring modulePath = GetModulePath();
    m_strPath = modulePath.empty() ? fileName : GetModuleDirectory() + L"\\" + fileName;
}

int CCommonConfig::GetInt(const std::wstring& section, const std::wstring& key, int defaultValue) const
{
    return int(::GetPrivateProfileIntW(section.c_str(), key.c_str(), defaultValue, m_strPath.c_str()));
}

void CCommonConfig::GetString(std::wstring& value, const std::wstring& section, const std::wstring& key,
                              const std::wstring& defaultValue) const
{
    wchar_t buffer[1024] = {};
    const DWORD length = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                                    1024, m_strPath.c_str());
    value = length ? std::wstring(buffer) : std::wstring();
}

bool CCommonConfig::SetInt(const std::wstring& section, const std::wstring& key, int value) const
{
    return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), FormatW(L"%d", value).c_str(),
                                        m_strPath.c_str()) != FALSE;
}

CCommonConfig& GetOrvServConfig()
{
    static CCommonConfig config(L"OrvServ.ini");
    return config;
}

// Bound when the process starts, before the entry code runs.
[[maybe_unused]] static CCommonConfig& g_orvServConfigAtStart = GetOrvServConfig();
