// Shared set-up for the installer tests: configuration files beside the test
// program (where the installer looks for them) and clean-up of the install
// folders a test makes under Program Files.
#pragma once

#include "test_support.h"

#include <shlobj.h>

#include <string>

inline std::wstring ProgramFiles()
{
    wchar_t path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAM_FILES, TRUE);
    return path;
}

// Writes CONFIG.INI / Compatible.ini beside the running test program and
// removes them, and the named install folder, afterwards.
class CInstallerConfigFiles {
public:
    explicit CInstallerConfigFiles(const std::wstring& setupFolder) : m_setupFolder(setupFolder) { Clean(); }
    ~CInstallerConfigFiles() { Clean(); }
    std::wstring ConfigPath() const { return testing_support::BinDir() + L"\\CONFIG.INI"; }
    std::wstring CompatiblePath() const { return testing_support::BinDir() + L"\\Compatible.ini"; }
    void WriteConfig(const std::wstring& keys)
    {
        testing_support::WriteIni(ConfigPath(), L"[APP_CONFIG]\n" + keys);
    }
    void WriteCompatible(const std::wstring& keys)
    {
        testing_support::WriteIni(CompatiblePath(), L"[APP_CONFIG]\n" + keys);
    }
    std::wstring SetupFolderPath() const { return ProgramFiles() + L"\\" + m_setupFolder; }

private:
    void Clean()
    {
        ::SetFileAttributesW(ConfigPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(ConfigPath().c_str());
        ::DeleteFileW(CompatiblePath().c_str());
        if (!m_setupFolder.empty()) {
            testing_support::RemoveTree(SetupFolderPath());
            ::DeleteFileW(SetupFolderPath().c_str());
        }
    }
    std::wstring m_setupFolder;
};
