// The installer's configuration: its directories and every key of
// "CONFIG.INI" and "Compatible.ini" beside the running installer.
#include "vandri_dlg.h"

#include "file_utils.h"
#include "log.h"
#include "web_opener.h"

#include <shlobj.h>

#include <vector>

namespace {

constexpr wchar_t kSection[] = L"APP_CONFIG";
// String values of the configuration are cut to this many characters.
constexpr DWORD kValueChars = 255;

std::wstring ReadIniString(const std::wstring& file, const wchar_t* key, const std::wstring& defaultValue,
                           DWORD maxChars)
{
    std::vector<wchar_t> buffer(size_t(maxChars) + 1, L'\0');
    ::GetPrivateProfileStringW(kSection, key, defaultValue.c_str(), buffer.data(), maxChars + 1, file.c_str());
    return buffer.data();
}

int ReadIniInt(const std::wstring& file, const wchar_t* key, int defaultValue)
{
    return int(::GetPrivateProfileIntW(kSection, key, defaultValue, file.c_str()));
}

// A folder name that stays below the folder it is joined to: not empty, not
// a drive or root path, no "." or ".." level.  The install folder is later
// removed as a whole, so a name that led to Program Files itself or outside
// it would take other programs' files along.
bool IsFolderBelow(const std::wstring& name)
{
    if (name.empty() || name.find(L':') != std::wstring::npos || name[0] == L'\\' || name[0] == L'/')
        return false;
    size_t start = 0;
    for (;;) {
        const size_t end = name.find_first_of(L"\\/", start);
        const std::wstring level = name.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (level == L"." || level == L"..")
            return false;
        if (end == std::wstring::npos)
            return true;
        start = end + 1;
    }
}

// The folder name read for the key, or its default when the value would not
// stay below its parent folder.
std::wstring ReadFolderName(const std::wstring& file, const wchar_t* key, const wchar_t* defaultValue,
                            DWORD maxChars)
{
    const std::wstring value = ReadIniString(file, key, defaultValue, maxChars);
    if (IsFolderBelow(value))
        return value;
    DebugTrace(std::wstring(L"+++ unusable folder name in ") + key + L", using " + defaultValue);
    return defaultValue;
}

std::wstring ProgramFilesFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAM_FILES, TRUE);
    return path;
}

// One key of CONFIG.INI and the member it fills.
struct ConfigKey {
    const wchar_t* key;
    CStlStringW CVandriDlg::*text;   // string keys
    int CVandriDlg::*number;         // integer keys
    const wchar_t* textDefault;
    int numberDefault;
};

constexpr ConfigKey Text(const wchar_t* key, CStlStringW CVandriDlg::*member, const wchar_t* value)
{
    return {key, member, nullptr, value, 0};
}
constexpr ConfigKey Number(const wchar_t* key, int CVandriDlg::*member, int value)
{
    return {key, nullptr, member, nullptr, value};
}

// In the order they are read.  "APP_SETUP_TRAY_NAME" has no fixed default: it
// falls back to the name just read for "APP_SETUP_DESKTOP_EXE_NAME".
const ConfigKey kConfigKeys[] = {
    Text(L"PRODUCT_GUID_KEY", &CVandriDlg::m_strProductGuidKey, L""),
    Text(L"APP_IN_VERSION", &CVandriDlg::m_strAppInVersion, L""),
    Text(L"INITIAL_TIP_INFO", &CVandriDlg::m_strInitialTipInfo, L"Device is initializing..."),
    Text(L"DEVICE_INITIAL", &CVandriDlg::m_strDeviceInitial, L"Device is initializing..."),
    Text(L"CREATE_SHORTCUT", &CVandriDlg::m_strCreateShortcut, L"Create ShortCut..."),
    Text(L"APP_SETUP_EXE", &CVandriDlg::m_strAppSetupExe, L"\\Setup.exe"),
    Text(L"URL_HOME", &CVandriDlg::m_strUrlHome, kDeviceWebAddress),
    Text(L"URL_NEXT_HOME", &CVandriDlg::m_strUrlNextHome, kDeviceWebAddress),
    Text(L"APP_SETUP_DESKTOP_EXE_NAME", &CVandriDlg::m_strDesktopExeName, L"Didizezu Divev"),
    Text(L"APP_SETUP_TRAY_NAME", &CVandriDlg::m_strTrayName, nullptr),
    Text(L"APP_SETUP_NEXTDESKTOP_EXE_NAME", &CVandriDlg::m_strNextDesktopExeName, L"Didizezu Divev"),
    Text(L"APP_SETUP_START_USERGUIDE_NAME", &CVandriDlg::m_strUserGuideName, L"User Guide"),
    Number(L"APP_VASTRA_QM70", &CVandriDlg::m_nVastraQm70, 0),
    Number(L"APP_SUPPORT_SHORTCHUT_ISURL", &CVandriDlg::m_nShortcutIsUrl, 0),
    Number(L"APP_NOT_ADD_SHORTCHUT", &CVandriDlg::m_nNotAddShortcut, 0),
    Number(L"APP_NOT_ADD_CONTROLCHUT", &CVandriDlg::m_nNotAddControlShortcut, 0),
    Number(L"APP_NOT_ADD_DESKTOP_SHORTCHUT", &CVandriDlg::m_nNotAddDesktopShortcut, 0),
    Number(L"APP_ADD_NEXT_DESKTOP", &CVandriDlg::m_nAddNextDesktop, 0),
    Number(L"APP_ADD_NEXT_STARTICO", &CVandriDlg::m_nAddNextStartIco, 0),
    Number(L"APP_NOT_SHOW_TIP", &CVandriDlg::m_nNotShowTip, 0),
    Number(L"APP_ADD_STARTMENUDIR", &CVandriDlg::m_nAddStartMenuDir, 0),
    Number(L"APP_ADD_UNINSTALLPROMPT", &CVandriDlg::m_nAddUninstallPrompt, 1),
    Number(L"APP_NOT_UNINSTALLDRIVER", &CVandriDlg::m_nNotUninstallDriver, 0),
    Number(L"APP_INSTALL_IPV6", &CVandriDlg::m_nInstallIpv6, 0),
    Number(L"APP_NOT_ADD_STARTMENU", &CVandriDlg::m_nNotAddStartMenu, 0),
    Text(L"APP_START_NAME", &CVandriDlg::m_strStartName, L"3Z Aridud Uzeruzo Vodevezi Zazuv"),
    Text(L"APP_ADD_START_NAME", &CVandriDlg::m_strAddStartName, L"QM"),
    Text(L"Publisher", &CVandriDlg::m_strPublisher, L"Norvane Corporation"),
    Text(L"URLInfoAbout", &CVandriDlg::m_strUrlInfoAbout, kMakerWebAddress),
    Text(L"HelpLink", &CVandriDlg::m_strHelpLink, kMakerWebAddress),
    Text(L"APP_IFUNINSTALL", &CVandriDlg::m_strIfUninstall,
         L"Do you want to completely remove the selected application and all of its features?"),
    Text(L"APP_REMOVEMODEM", &CVandriDlg::m_strRemoveModem, L"Please remove USB MODEM from PC,before uninstalling!"),
    Text(L"APP_UNINSTALLFINISH", &CVandriDlg::m_strUninstallFinish, L"Uninstall has finished."),
    Text(L"APP_ICON", &CVandriDlg::m_strAppIcon, L"\\APPWEB.ico"),
    Text(L"APP_IFRESETSYSTEM", &CVandriDlg::m_strIfResetSystem,
         L"Driver installation did not complete, please reboot the system manually!"),
    Text(L"APP_IFRESETSYSTEMCH", &CVandriDlg::m_strIfResetSystemCh,
         L"\x9A71\x52A8\x5C1A\x672A\x5B89\x88C5\x5B8C\x6210\xFF0C\x8BF7\x624B\x52A8\x91CD\x542F\x7CFB\x7EDF!"),
    Text(L"DRIVER_INSTALL_PRAMA", &CVandriDlg::m_strDriverInstallParam, L"preinstall"),
    Text(L"DRIVER_UNINSTALL_PRAMA", &CVandriDlg::m_strDriverUninstallParam, L"uninstall"),
    Text(L"DEVICE_UNINSTALL", &CVandriDlg::m_strDeviceUninstall, L"Uninstall"),
};

} // namespace

void CVandriDlg::GetInstallPaths()
{
    m_strSourceDir = GetModuleDirectory();
    const std::wstring config = m_strSourceDir + L"\\CONFIG.INI";
    m_strSetupFolder = ReadFolderName(config, L"APP_SETUP_PATH", L"Didizezu Divev", 519);
    m_strModelName = ReadFolderName(config, L"APP_ADD_MODELNAME", L"QM70", 259);
    m_nAddSetupDir = ReadIniInt(config, L"APP_ADD_SETUPDIR", 0);

    m_strInstallDir = ProgramFilesFolder() + L"\\" + m_strSetupFolder;
    if (m_nAddSetupDir != 0)
        m_strInstallDir += L"\\" + m_strModelName;

    if (!PathIsExistingDirectory(m_strInstallDir))
        CreateDirectoryChain(m_strInstallDir);
}

bool CVandriDlg::ReadConfig()
{
    GetInstallPaths();
    if (!PathIsExistingDirectory(m_strInstallDir) && !CreateDirectoryChain(m_strInstallDir))
        return false;

    const std::wstring compatible = m_strSourceDir + L"\\Compatible.ini";
    m_strProjectName = ReadIniString(compatible, L"PROJECT_NAME", L"", kValueChars);
    m_strUiMainExe = ReadIniString(compatible, L"UIMAIN_EXE", kPanelOpenerExe, kValueChars);

    const std::wstring config = m_strSourceDir + L"\\CONFIG.INI";
    // Nothing reads this back; a failed write (read-only medium) is ignored.
    ::WritePrivateProfileStringW(kSection, L"OPEN_WEB_FINISHED", L"0", config.c_str());

    for (const ConfigKey& key : kConfigKeys) {
        if (key.text) {
            const std::wstring fallback = key.textDefault ? std::wstring(key.textDefault) : m_strDesktopExeName;
            this->*key.text = ReadIniString(config, key.key, fallback, kValueChars);
        } else {
            this->*key.number = ReadIniInt(config, key.key, key.numberDefault);
        }
    }
    return true;
}
