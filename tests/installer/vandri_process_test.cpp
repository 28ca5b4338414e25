// The installer as a real program: a copy with its CONFIG.INI in a folder of
// its own, started as a separate process.
#include "handles.h"
#include "file_utils.h"
#include "installer_fixture.h"
#include "platform.h"
#include "vandri_dlg.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct InstallerCopy {
    CTempDir dir{L"cd"};
    std::wstring exe = dir / L"Vandri.exe";
    std::wstring setupFolder;
    explicit InstallerCopy(const std::wstring& folder) : setupFolder(folder)
    {
        EXPECT_TRUE(::CopyFileW((BinDir() + L"\\Vandri.exe").c_str(), exe.c_str(), FALSE));
        WriteIni(dir / L"CONFIG.INI", L"[APP_CONFIG]\nAPP_SETUP_PATH=" + folder + L"\n");
        RemoveTree(InstallDir());
    }
    ~InstallerCopy() { RemoveTree(InstallDir()); }
    std::wstring InstallDir() const { return ProgramFiles() + L"\\" + setupFolder; }
};

} // namespace

TEST(VandriProcess, CreatesInstallFolderAndExitsZero)
{
    for (const wchar_t* args : {L"", L" install::dirver::E:", L" /uninstall", L" forceinstall::dirver::f:"}) {
        InstallerCopy copy(L"OrvProcessTest");
        DWORD code = 99;
        ASSERT_TRUE(RunProgram(copy.exe, L"\"" + copy.exe + L"\"" + args, code));
        EXPECT_EQ(0u, code) << ToUtf8(args);
        EXPECT_TRUE(PathIsExistingDirectory(copy.InstallDir())) << ToUtf8(args);
        wchar_t written[16] = {};
        ::GetPrivateProfileStringW(L"APP_CONFIG", L"OPEN_WEB_FINISHED", L"unset", written, 16,
                                   (copy.dir / L"CONFIG.INI").c_str());
        EXPECT_STREQ(L"0", written);
    }
}

TEST(VandriProcess, SecondInstanceEndsAtOnceWithExitCodeZero)
{
    InstallerCopy copy(L"OrvSecondInstance");
    // This test process plays the running installer: it holds the mutex.
    CHandle first(::CreateMutexW(nullptr, FALSE, kInstallerMutexName));
    ASSERT_TRUE(first.IsValid());
    ASSERT_NE(DWORD(ERROR_ALREADY_EXISTS), ::GetLastError()) << "another installer is already running";
    const std::string configBefore = ReadBytes(copy.dir / L"CONFIG.INI");

    DWORD code = 99;
    ASSERT_TRUE(RunProgram(copy.exe, L"\"" + copy.exe + L"\" install::dirver::E:", code, 10000));
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(Exists(copy.InstallDir())) << "the second instance did nothing";
    EXPECT_EQ(configBefore, ReadBytes(copy.dir / L"CONFIG.INI"));

    // Once the first one is gone, the installer runs again.
    first.Reset();
    ASSERT_TRUE(RunProgram(copy.exe, L"\"" + copy.exe + L"\"", code, 10000));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(PathIsExistingDirectory(copy.InstallDir()));
}

TEST(VandriProcess, CarriesVersionAndElevationManifest)
{
    const std::wstring exe = BinDir() + L"\\Vandri.exe";
    EXPECT_FALSE(GetFileVersionString(exe).empty());

    CLibrary image(::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(image.IsValid());
    HRSRC found = ::FindResourceW(image.Get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, found);
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(image.Get(), found)));
    const std::string manifest(data, ::SizeofResource(image.Get(), found));
    EXPECT_NE(std::string::npos, manifest.find("level=\"requireAdministrator\""));
    EXPECT_NE(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_NE(nullptr, ::FindResourceW(image.Get(), MAKEINTRESOURCEW(102), MAKEINTRESOURCEW(5))) << "dialog 102";
}
