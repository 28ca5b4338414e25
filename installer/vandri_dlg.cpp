#include "vandri_dlg.h"

#include "log.h"
#include "resource.h"

#include <cstdlib>

namespace {

constexpr wchar_t kInstallToken[] = L"install::dirver::";
constexpr wchar_t kUninstallToken[] = L"/uninstall";
constexpr wchar_t kForceInstallToken[] = L"forceinstall::dirver::";
constexpr wchar_t kDriveMarker[] = L"dirver::";

DWORD WINAPI InstallDlgThreadProc(LPVOID)
{
    // The progress window is not part of the installer yet: the thread only
    // marks its place in the start-up sequence.
    return 0;
}

} // namespace

CVandriDlg::CVandriDlg()
    : CDialogBase(IDD_VANDRI_DIALOG), m_nid{}, m_pPrompt(&GetWin32UserPrompt()), m_pWaiter(&GetWin32Waiter())
{
}

bool CVandriDlg::OnInitDialog()
{
    CDialogBase::OnInitDialog();
    if (GetApp())
        GetApp()->SetMainWindow(GetSafeHwnd());
    m_bStopTray = 0;
    m_nTrayFrame = 0;

    ReadConfig();
    RunCommandLine(::GetCommandLineW());

    // The dialog is never shown: the process ends here, with exit code 0
    // whatever happened.
    std::exit(0);
}

void CVandriDlg::RunCommandLine(const std::wstring& commandLine)
{
    DebugTrace(commandLine);
    CStlStringW line(commandLine);
    if (!line.empty())
        ::CharLowerBuffW(line.data(), DWORD(line.size()));

    if (line.find(kInstallToken) != std::wstring::npos) {
        const size_t marker = line.find(kDriveMarker);
        m_strDrive = line.substr(marker + wcslen(kDriveMarker), 2);
        DebugTrace(m_strDrive);
        StartInstallDlgIfConfigured();
        StartInstall();
    }
    if (line.find(kUninstallToken) != std::wstring::npos) {
        if (!StartUninstall())
            return;
    }
    if (line.find(kForceInstallToken) != std::wstring::npos) {
        StartInstallDlgIfConfigured();
        StartInstall();
    }
}

void CVandriDlg::StartInstallDlgIfConfigured()
{
    const std::wstring config = m_strSourceDir + L"\\CONFIG.INI";
    if (::GetPrivateProfileIntW(L"APP_CONFIG", L"Is_Support_Install_Dlg", 0, config.c_str()) != 0)
        m_hInstallDlgThread.Reset(CreateInstallDlgThread());
}

HANDLE CVandriDlg::CreateInstallDlgThread()
{
    return ::CreateThread(nullptr, 0, &InstallDlgThreadProc, this, 0, nullptr);
}

void CVandriDlg::StartInstall()
{
    // The install pass is built step by step on top of this entry.
    DebugTrace(L"CVandriDlg::StartInstall");
}

bool CVandriDlg::StartUninstall()
{
    // The uninstall is built on top of this entry.
    DebugTrace(L"CVandriDlg::StartUninstall");
    return true;
}
