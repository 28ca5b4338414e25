#include "installer_fixture.h"
#include "vandri_dlg.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Records which steps the command line started, in order.
class CRecordingDlg : public CVandriDlg {
public:
    std::vector<std::wstring> calls;
    bool uninstallResult = true;

    void StartInstall() override { calls.push_back(L"install " + m_strDrive); }
    bool StartUninstall() override
    {
        calls.push_back(L"uninstall");
        return uninstallResult;
    }

protected:
    HANDLE CreateInstallDlgThread() override
    {
        calls.push_back(L"dialog");
        return nullptr;
    }
};

std::wstring Join(const std::vector<std::wstring>& calls)
{
    std::wstring text;
    for (const auto& c : calls)
        text += (text.empty() ? L"" : L" | ") + c;
    return text;
}

} // namespace

TEST(CommandLine, DispatchesInstallUninstallAndForceInstall)
{
    struct Case {
        const wchar_t* line;
        int progressDialog;    // "Is_Support_Install_Dlg"
        bool uninstallResult;
        const wchar_t* expected;
    } cases[] = {
        {L"\"C:\\cd\\Vandri.exe\" install::dirver::E:", 0, true, L"install e:"},
        {L"\"C:\\CD\\VANDRI.EXE\" INSTALL::DIRVER::F:", 0, true, L"install f:"},
        {L"Vandri.exe install::dirver::", 0, true, L"install "},
        {L"Vandri.exe install::dirver::H", 0, true, L"install h"},
        {L"Vandri.exe forceinstall::dirver::G:", 0, true, L"install g: | install g:"},
        {L"Vandri.exe forceinstall::dirver::G:", 1, true, L"dialog | install g: | dialog | install g:"},
        {L"Vandri.exe install::dirver::E:", 7, true, L"dialog | install e:"},
        {L"Vandri.exe", 1, true, L""},
        {L"", 0, true, L""},
        {L"Vandri.exe /Uninstall", 1, true, L"uninstall"},
        {L"Vandri.exe /uninstall forceinstall::dirver::k:", 0, false, L"install k: | uninstall"},
        {L"Vandri.exe /uninstall forceinstall::dirver::k:", 0, true, L"install k: | uninstall | install k:"},
        {L"Vandri.exe /uninstal", 0, true, L""},
    };
    for (const Case& c : cases) {
        CTempDir source(L"cl");
        WriteIni(source / L"CONFIG.INI",
                 L"[APP_CONFIG]\nIs_Support_Install_Dlg=" + std::to_wstring(c.progressDialog) + L"\n");
        CRecordingDlg dlg;
        dlg.m_strSourceDir = source.Path();
        dlg.uninstallResult = c.uninstallResult;
        dlg.RunCommandLine(c.line);
        EXPECT_EQ(std::wstring(c.expected), Join(dlg.calls)) << ToUtf8(c.line);
    }
}

TEST(CommandLine, ProgressDialogThreadHandleIsKept)
{
    CTempDir source(L"cl");
    WriteIni(source / L"CONFIG.INI", L"[APP_CONFIG]\nIs_Support_Install_Dlg=1\n");

    struct CInstallOnly : CVandriDlg {
        void StartInstall() override {}
    } dlg;
    dlg.m_strSourceDir = source.Path();
    dlg.RunCommandLine(L"Vandri.exe install::dirver::e:");
    ASSERT_TRUE(dlg.m_hInstallDlgThread.IsValid());
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(dlg.m_hInstallDlgThread.Get(), 5000));

    CInstallOnly quiet;
    quiet.m_strSourceDir = source.Path() + L"\\missing";
    quiet.RunCommandLine(L"Vandri.exe install::dirver::e:");
    EXPECT_FALSE(quiet.m_hInstallDlgThread.IsValid()) << "no CONFIG.INI: no progress dialog";
}
