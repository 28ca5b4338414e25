// The installer's hidden main dialog: the one holder of the installer's state
// (every configuration value and the members the install steps share) and the
// owner of its steps.
#pragma once

#include "app_framework.h"
#include "handles.h"
#include "shared_mutexes.h"
#include "stl_string.h"
#include "user_prompt.h"
#include "waiter.h"

#include <windows.h>
#include <shellapi.h>

class CVandriDlg : public CDialogBase {
public:
    CVandriDlg();
    ~CVandriDlg() override = default;

    // Directories (GetInstallPaths) and every configuration value (ReadConfig).
    void GetInstallPaths();
    bool ReadConfig();

    // Applies the three command-line tests in order: install, uninstall,
    // force install.  Exposed so that tests can drive it with any line.
    void RunCommandLine(const std::wstring& commandLine);

    // One install pass; the uninstall entry (false: the user declined).
    virtual void StartInstall();
    virtual bool StartUninstall();

    // Seams for the person at the machine and for fixed pauses.
    void SetUserPrompt(IUserPrompt* prompt) { m_pPrompt = prompt; }
    void SetWaiter(IWaiter* waiter) { m_pWaiter = waiter; }

    // ---- Shared state -------------------------------------------------
    CStlStringW m_strSourceDir;      // directory of the running installer
    CStlStringW m_strSetupFolder;    // "APP_SETUP_PATH"
    CStlStringW m_strInstallDir;     // Program Files\<setup folder>[\<model>]
    CStlStringW m_strDrive;          // drive of the device's CD image ("e:"), 0-2 characters
    CStlStringW m_strStatusText;     // status text shown in the tray balloon
    CStlStringW m_strLastBalloon;    // status text last shown in a balloon
    NOTIFYICONDATAW m_nid;           // the notification-area icon
    volatile LONG m_bStopTray = 0;   // stop request for the tray animation thread
    LONG m_nTrayFrame = 0;           // current animation frame, 0..11
    CHandle m_hTrayThread;           // tray animation thread
    CHandle m_hInstallDlgThread;     // progress-dialog thread; never waited for

    // ---- CONFIG.INI beside the installer ---------------------------------
    CStlStringW m_strModelName;      // "APP_ADD_MODELNAME"
    int m_nAddSetupDir = 0;          // "APP_ADD_SETUPDIR"
    CStlStringW m_strProductGuidKey;         // "PRODUCT_GUID_KEY"
    CStlStringW m_strAppInVersion;           // "APP_IN_VERSION"
    CStlStringW m_strInitialTipInfo;         // "INITIAL_TIP_INFO"
    CStlStringW m_strDeviceInitial;          // "DEVICE_INITIAL"
    CStlStringW m_strCreateShortcut;         // "CREATE_SHORTCUT"
    CStlStringW m_strAppSetupExe;            // "APP_SETUP_EXE"
    CStlStringW m_strUrlHome;                // "URL_HOME"
    CStlStringW m_strUrlNextHome;            // "URL_NEXT_HOME"
    CStlStringW m_strDesktopExeName;         // "APP_SETUP_DESKTOP_EXE_NAME"
    CStlStringW m_strTrayName;               // "APP_SETUP_TRAY_NAME"
    CStlStringW m_strNextDesktopExeName;     // "APP_SETUP_NEXTDESKTOP_EXE_NAME"
    CStlStringW m_strUserGuideName;          // "APP_SETUP_START_USERGUIDE_NAME"
    int m_nVastraQm70 = 0;                   // "APP_VASTRA_QM70"
    int m_nShortcutIsUrl = 0;                // "APP_SUPPORT_SHORTCHUT_ISURL"
    int m_nNotAddShortcut = 0;               // "APP_NOT_ADD_SHORTCHUT"
    int m_nNotAddControlShortcut = 0;        // "APP_NOT_ADD_CONTROLCHUT"
    int m_nNotAddDesktopShortcut = 0;        // "APP_NOT_ADD_DESKTOP_SHORTCHUT"
    int m_nAddNextDesktop = 0;               // "APP_ADD_NEXT_DESKTOP"
    int m_nAddNextStartIco = 0;              // "APP_ADD_NEXT_STARTICO"
    int m_nNotShowTip = 0;                   // "APP_NOT_SHOW_TIP"
    int m_nAddStartMenuDir = 0;              // "APP_ADD_STARTMENUDIR"
    int m_nAddUninstallPrompt = 1;           // "APP_ADD_UNINSTALLPROMPT"
    int m_nNotUninstallDriver = 0;           // "APP_NOT_UNINSTALLDRIVER"
    int m_nInstallIpv6 = 0;                  // "APP_INSTALL_IPV6"
    int m_nNotAddStartMenu = 0;              // "APP_NOT_ADD_STARTMENU"
    CStlStringW m_strStartName;              // "APP_START_NAME"
    CStlStringW m_strAddStartName;           // "APP_ADD_START_NAME"
    CStlStringW m_strPublisher;              // "Publisher"
    CStlStringW m_strUrlInfoAbout;           // "URLInfoAbout"
    CStlStringW m_strHelpLink;               // "HelpLink"
    CStlStringW m_strIfUninstall;            // "APP_IFUNINSTALL"
    CStlStringW m_strRemoveModem;            // "APP_REMOVEMODEM"
    CStlStringW m_strUninstallFinish;        // "APP_UNINSTALLFINISH"
    CStlStringW m_strAppIcon;                // "APP_ICON"
    CStlStringW m_strIfResetSystem;          // "APP_IFRESETSYSTEM"
    CStlStringW m_strIfResetSystemCh;        // "APP_IFRESETSYSTEMCH"
    CStlStringW m_strDriverInstallParam;     // "DRIVER_INSTALL_PRAMA"
    CStlStringW m_strDriverUninstallParam;   // "DRIVER_UNINSTALL_PRAMA"
    CStlStringW m_strDeviceUninstall;        // "DEVICE_UNINSTALL"

    // ---- Compatible.ini beside the installer -----------------------------
    CStlStringW m_strProjectName;            // "PROJECT_NAME"
    CStlStringW m_strUiMainExe;              // "UIMAIN_EXE"

protected:
    bool OnInitDialog() override;

    // Starts the progress-dialog thread when "Is_Support_Install_Dlg" is set.
    void StartInstallDlgIfConfigured();
    // Creates the progress-dialog thread; returns its handle.
    virtual HANDLE CreateInstallDlgThread();

    IUserPrompt* m_pPrompt;
    IWaiter* m_pWaiter;
};
