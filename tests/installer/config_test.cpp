#include "file_utils.h"
#include "handles.h"
#include "installer_fixture.h"
#include "vandri_dlg.h"
#include "web_opener.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct TextDefault {
    CStlStringW CVandriDlg::*member;
    const char* name;
    std::wstring value;
};

} // namespace

TEST(InstallerConfig, NoFilesGiveDefaultsAndDefaultInstallFolder)
{
    CInstallerConfigFiles files(L"Didizezu Divev");
    CVandriDlg dlg;
    ASSERT_TRUE(dlg.ReadConfig());

    EXPECT_EQ(BinDir(), dlg.m_strSourceDir);
    EXPECT_EQ(L"Didizezu Divev", dlg.m_strSetupFolder);
    EXPECT_EQ(ProgramFiles() + L"\\Didizezu Divev", dlg.m_strInstallDir);
    EXPECT_TRUE(PathIsExistingDirectory(dlg.m_strInstallDir));

    const TextDefault texts[] = {
        {&CVandriDlg::m_strProjectName, "PROJECT_NAME", L""},
        {&CVandriDlg::m_strUiMainExe, "UIMAIN_EXE", L"PanelOpener.exe"},
        {&CVandriDlg::m_strProductGuidKey, "PRODUCT_GUID_KEY", L""},
        {&CVandriDlg::m_strAppInVersion, "APP_IN_VERSION", L""},
        {&CVandriDlg::m_strInitialTipInfo, "INITIAL_TIP_INFO", L"Device is initializing..."},
        {&CVandriDlg::m_strDeviceInitial, "DEVICE_INITIAL", L"Device is initializing..."},
        {&CVandriDlg::m_strCreateShortcut, "CREATE_SHORTCUT", L"Create ShortCut..."},
        {&CVandriDlg::m_strAppSetupExe, "APP_SETUP_EXE", L"\\Setup.exe"},
        {&CVandriDlg::m_strUrlHome, "URL_HOME", kDeviceWebAddress},
        {&CVandriDlg::m_strUrlNextHome, "URL_NEXT_HOME", kDeviceWebAddress},
        {&CVandriDlg::m_strDesktopExeName, "APP_SETUP_DESKTOP_EXE_NAME", L"Didizezu Divev"},
        {&CVandriDlg::m_strTrayName, "APP_SETUP_TRAY_NAME", L"Didizezu Divev"},
        {&CVandriDlg::m_strNextDesktopExeName, "APP_SETUP_NEXTDESKTOP_EXE_NAME", L"Didizezu Divev"},
        {&CVandriDlg::m_strUserGuideName, "APP_SETUP_START_USERGUIDE_NAME", L"User Guide"},
        {&CVandriDlg::m_strStartName, "APP_START_NAME", L"3Z Aridud Uzeruzo Vodevezi Zazuv"},
        {&CVandriDlg::m_strAddStartName, "APP_ADD_START_NAME", L"QM"},
        {&CVandriDlg::m_strPublisher, "Publisher", L"Norvane Corporation"},
        {&CVandriDlg::m_strUrlInfoAbout, "URLInfoAbout", kMakerWebAddress},
        {&CVandriDlg::m_strHelpLink, "HelpLink", kMakerWebAddress},
        {&CVandriDlg::m_strIfUninstall, "APP_IFUNINSTALL",
         L"Do you want to completely remove the selected application and all of its features?"},
        {&CVandriDlg::m_strRemoveModem, "APP_REMOVEMODEM", L"Please remove USB MODEM from PC,before uninstalling!"},
        {&CVandriDlg::m_strUninstallFinish, "APP_UNINSTALLFINISH", L"Uninstall has finished."},
        {&CVandriDlg::m_strAppIcon, "APP_ICON", L"\\APPWEB.ico"},
        {&CVandriDlg::m_strIfResetSystem, "APP_IFRESETSYSTEM",
         L"Driver installation did not complete, please reboot the system manually!"},
        {&CVandriDlg::m_strIfResetSystemCh, "APP_IFRESETSYSTEMCH",
         FromUtf8("\xE9\xA9\xB1\xE5\x8A\xA8\xE5\xB0\x9A\xE6\x9C\xAA\xE5\xAE\x89\xE8\xA3\x85\xE5\xAE\x8C\xE6\x88\x90"
                  "\xEF\xBC\x8C\xE8\xAF\xB7\xE6\x89\x8B\xE5\x8A\xA8\xE9\x87\x8D\xE5\x90\xAF\xE7\xB3\xBB\xE7\xBB\x9F!")},
        {&CVandriDlg::m_strDriverInstallParam, "DRIVER_INSTALL_PRAMA", L"preinstall"},
        {&CVandriDlg::m_strDriverUninstallParam, "DRIVER_UNINSTALL_PRAMA", L"uninstall"},
        {&CVandriDlg::m_strDeviceUninstall, "DEVICE_UNINSTALL", L"Uninstall"},
    };
    for (const TextDefault& t : texts)
        EXPECT_EQ(t.value, dlg.*t.member) << t.name;

    EXPECT_EQ(1, dlg.m_nAddUninstallPrompt);
    for (int CVandriDlg::*zero : {&CVandriDlg::m_nVastraQm70, &CVandriDlg::m_nShortcutIsUrl,
                                  &CVandriDlg::m_nNotAddShortcut, &CVandriDlg::m_nNotAddControlShortcut,
                                  &CVandriDlg::m_nNotAddDesktopShortcut, &CVandriDlg::m_nAddNextDesktop,
                                  &CVandriDlg::m_nAddNextStartIco, &CVandriDlg::m_nNotShowTip,
                                  &CVandriDlg::m_nAddStartMenuDir, &CVandriDlg::m_nNotUninstallDriver,
                                  &CVandriDlg::m_nInstallIpv6, &CVandriDlg::m_nNotAddStartMenu})
        EXPECT_EQ(0, dlg.*zero);
}

TEST(InstallerConfig, InstallFolderFromSetupPathAndModel)
{
    // Names that would lead outside their parent folder fall back to the defaults.
    struct Case {
        std::wstring keys, topFolder, expectedTail;
    } cases[] = {
        {L"APP_SETUP_PATH=OrvModelTest\nAPP_ADD_SETUPDIR=1\n", L"OrvModelTest", L"\\OrvModelTest\\QM70"},
        {L"APP_SETUP_PATH=OrvModelTest\nAPP_ADD_SETUPDIR=1\nAPP_ADD_MODELNAME=X9\n", L"OrvModelTest",
         L"\\OrvModelTest\\X9"},
        {L"APP_SETUP_PATH=OrvModelTest\nAPP_ADD_MODELNAME=X9\n", L"OrvModelTest", L"\\OrvModelTest"},
        {L"APP_SETUP_PATH=Vendor\\Product\n", L"Vendor", L"\\Vendor\\Product"},
        {L"APP_SETUP_PATH=\n", L"Didizezu Divev", L"\\Didizezu Divev"},
        {L"APP_SETUP_PATH=..\n", L"Didizezu Divev", L"\\Didizezu Divev"},
        {L"APP_SETUP_PATH=..\\Windows\n", L"Didizezu Divev", L"\\Didizezu Divev"},
        {L"APP_SETUP_PATH=Vendor\\.\\x\n", L"Didizezu Divev", L"\\Didizezu Divev"},
        {L"APP_SETUP_PATH=C:\\Elsewhere\n", L"Didizezu Divev", L"\\Didizezu Divev"},
        {L"APP_SETUP_PATH=\\Root\n", L"Didizezu Divev", L"\\Didizezu Divev"},
        {L"APP_SETUP_PATH=Vendor\nAPP_ADD_SETUPDIR=1\nAPP_ADD_MODELNAME=..\n", L"Vendor", L"\\Vendor\\QM70"},
        {L"APP_SETUP_PATH=Vendor\nAPP_ADD_SETUPDIR=1\nAPP_ADD_MODELNAME=\n", L"Vendor", L"\\Vendor\\QM70"},
    };
    for (const Case& c : cases) {
        CInstallerConfigFiles files(c.topFolder);
        files.WriteConfig(c.keys);
        CVandriDlg dlg;
        ASSERT_TRUE(dlg.ReadConfig());
        EXPECT_EQ(ProgramFiles() + c.expectedTail, dlg.m_strInstallDir) << ToUtf8(c.keys);
        EXPECT_TRUE(PathIsExistingDirectory(dlg.m_strInstallDir));
    }
}

TEST(InstallerConfig, ValuesFromFilesWithTrayNameFallbackAndCut)
{
    CInstallerConfigFiles files(L"OrvValuesTest");
    const std::wstring longName(300, L'n');
    files.WriteConfig(L"APP_SETUP_PATH=OrvValuesTest\n"
                      L"APP_SETUP_DESKTOP_EXE_NAME=My Modem\n"
                      L"APP_START_NAME=" + longName + L"\n"
                      L"APP_ADD_UNINSTALLPROMPT=0\n"
                      L"APP_NOT_SHOW_TIP=3\n"
                      L"URL_HOME=http://192.168.0.1\n");
    files.WriteCompatible(L"PROJECT_NAME=WEB_UI\nUIMAIN_EXE=Main.exe\n");
    CVandriDlg dlg;
    ASSERT_TRUE(dlg.ReadConfig());
    EXPECT_EQ(L"My Modem", dlg.m_strDesktopExeName);
    EXPECT_EQ(L"My Modem", dlg.m_strTrayName) << "tray name falls back to the desktop name read";
    EXPECT_EQ(longName.substr(0, 255), dlg.m_strStartName);
    EXPECT_EQ(0, dlg.m_nAddUninstallPrompt);
    EXPECT_EQ(3, dlg.m_nNotShowTip);
    EXPECT_EQ(L"http://192.168.0.1", dlg.m_strUrlHome);
    EXPECT_EQ(L"WEB_UI", dlg.m_strProjectName);
    EXPECT_EQ(L"Main.exe", dlg.m_strUiMainExe);

    wchar_t written[16] = {};
    ::GetPrivateProfileStringW(L"APP_CONFIG", L"OPEN_WEB_FINISHED", L"unset", written, 16, files.ConfigPath().c_str());
    EXPECT_STREQ(L"0", written);
}

TEST(InstallerConfig, EmptyValueStaysEmpty)
{
    CInstallerConfigFiles files(L"OrvEmptyTest");
    files.WriteConfig(L"APP_SETUP_PATH=OrvEmptyTest\nAPP_SETUP_DESKTOP_EXE_NAME=\nAPP_SETUP_TRAY_NAME=Tray\n");
    CVandriDlg dlg;
    ASSERT_TRUE(dlg.ReadConfig());
    EXPECT_EQ(L"", dlg.m_strDesktopExeName);
    EXPECT_EQ(L"Tray", dlg.m_strTrayName);
}

TEST(InstallerConfig, ReadOnlyConfigIsLeftUnchangedAndStillRead)
{
    CInstallerConfigFiles files(L"OrvReadOnlyTest");
    files.WriteConfig(L"APP_SETUP_PATH=OrvReadOnlyTest\nAPP_START_NAME=Start Here\n");
    const std::string before = ReadBytes(files.ConfigPath());
    ASSERT_TRUE(::SetFileAttributesW(files.ConfigPath().c_str(), FILE_ATTRIBUTE_READONLY));
    // Tests run as root under Wine, where the attribute alone does not stop a
    // writer; a reader that shares no write access does, as a CD would.
    CFileHandle medium(::CreateFileW(files.ConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(medium.IsValid());

    CVandriDlg dlg;
    ASSERT_TRUE(dlg.ReadConfig());
    medium.Reset();
    EXPECT_EQ(L"Start Here", dlg.m_strStartName);
    EXPECT_EQ(before, ReadBytes(files.ConfigPath()));
}

TEST(InstallerConfig, UncreatableInstallFolderStopsEarly)
{
    CInstallerConfigFiles files(L"OrvBlocked");
    WriteBytes(files.SetupFolderPath(), "a file where the folder should be");
    files.WriteConfig(L"APP_SETUP_PATH=OrvBlocked\nAPP_ADD_SETUPDIR=1\nAPP_START_NAME=never read\n");
    files.WriteCompatible(L"PROJECT_NAME=never read\n");

    CVandriDlg dlg;
    EXPECT_FALSE(dlg.ReadConfig());
    EXPECT_EQ(ProgramFiles() + L"\\OrvBlocked\\QM70", dlg.m_strInstallDir);
    EXPECT_EQ(L"", dlg.m_strStartName);
    EXPECT_EQ(L"", dlg.m_strProjectName);
    EXPECT_EQ(L"", dlg.m_strDesktopExeName);
    EXPECT_EQ(1, dlg.m_nAddUninstallPrompt);
    wchar_t written[16] = {};
    ::GetPrivateProfileStringW(L"APP_CONFIG", L"OPEN_WEB_FINISHED", L"unset", written, 16, files.ConfigPath().c_str());
    EXPECT_STREQ(L"unset", written);
}
