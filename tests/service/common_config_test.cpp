#include "common_config.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(CommonConfig, BareNameResolvesBesideTheProgramWhateverTheCurrentDirectory)
{
    CTempDir dir(L"cwd");
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(dir.Path().c_str());
    CCommonConfig config(L"OrvServ.ini");
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(BinDir() + L"\\OrvServ.ini", config.GetPath());
    EXPECT_EQ(BinDir() + L"\\OrvServ.ini", GetOrvServConfig().GetPath());
}

TEST(CommonConfig, NamesWithADirectoryPartAreKept)
{
    for (const wchar_t* name : {L"E:\\setup.ini", L"sub\\x.ini", L"sub/x.ini", L"C:/a/b.ini"})
        EXPECT_EQ(name, CCommonConfig(name).GetPath());
}

TEST(CommonConfig, ReadsAndWritesGoStraightToTheFile)
{
    CTempDir dir(L"ini");
    const std::wstring path = dir / L"OrvServ.ini";
    CCommonConfig config(path);
    EXPECT_EQ(1, config.GetInt(L"public", L"SuspendService", 1));   // no file yet

    ASSERT_TRUE(config.SetInt(L"public", L"SuspendService", 0));    // creates the file
    EXPECT_EQ(0, config.GetInt(L"public", L"SuspendService", 1));
    EXPECT_EQ(-5, config.GetInt(L"public", L"Missing", -5));

    // An edit made behind the accessor's back is seen by the next read.
    ::WritePrivateProfileStringW(L"public", L"SuspendService", L"1", path.c_str());
    EXPECT_EQ(1, config.GetInt(L"public", L"SuspendService", 0));
    ::WritePrivateProfileStringW(L"SWITCH", L"DETECT_CDROM", L"abc", path.c_str());
    EXPECT_EQ(0, config.GetInt(L"SWITCH", L"DETECT_CDROM", 1));

    std::wstring value = L"stale";
    config.GetString(value, L"SWITCH", L"SwitchCommand", L"85");
    EXPECT_EQ(L"85", value);
    ::WritePrivateProfileStringW(L"SWITCH", L"SwitchCommand", L"86 1", path.c_str());
    config.GetString(value, L"SWITCH", L"SwitchCommand", L"85");
    EXPECT_EQ(L"86 1", value);
    config.GetString(value, L"SWITCH", L"Missing", L"");
    EXPECT_EQ(L"", value);
}

TEST(CommonConfig, LongValuesAreCutTo1023Characters)
{
    CTempDir dir(L"ini");
    const std::wstring path = dir / L"long.ini";
    const std::wstring longValue = std::wstring(1000, L'a') + std::wstring(500, L'b');
    WriteIni(path, L"[s]\nk=" + longValue + L"\n");
    std::wstring value;
    CCommonConfig(path).GetString(value, L"s", L"k", L"");
    EXPECT_EQ(longValue.substr(0, 1023), value);
}
