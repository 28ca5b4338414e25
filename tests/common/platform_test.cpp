#include "platform.h"

#include "handles.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(Platform, FamilyTestsFollowTheReportedVersion)
{
    struct Case {
        DWORD major, minor;
        bool win2000, xp;
    } cases[] = {
        {5, 0, true, false},    // 2000
        {5, 1, false, true},    // XP
        {5, 2, false, true},    // Server 2003
        {6, 0, false, false},   // Vista
        {6, 1, false, false},   // 7
        {10, 0, false, false},
    };
    for (const Case& c : cases) {
        CScopedOsVersion version(c.major, c.minor);
        EXPECT_EQ(c.win2000, IsWin2000()) << c.major << "." << c.minor;
        EXPECT_EQ(c.xp, CCommonTools::IsXP()) << c.major << "." << c.minor;
    }
}

TEST(Platform, FileVersionKeepsSixteenBitParts)
{
    EXPECT_EQ(L"2.3.4.300", GetFileVersionString(BinDir() + L"\\versioned_fixture.exe"));

    CTempDir dir(L"ver");
    WriteBytes(dir / L"plain.txt", "no version here");
    EXPECT_EQ(L"", GetFileVersionString(dir / L"plain.txt"));
    EXPECT_EQ(L"", GetFileVersionString(dir / L"missing.exe"));
}

TEST(Platform, MutexProbeLeavesNoTraceAndSeesHolders)
{
    const std::wstring name = L"Global\\OrvProbe-" + std::to_wstring(::GetCurrentProcessId());
    EXPECT_EQ(0, IsNamedMutexPresent(name));
    EXPECT_EQ(0, IsNamedMutexPresent(name)) << "the probe freed the name again";

    BYTE present = 1;
    CHandle mine(OpenOrCreateNamedMutex(name, present));
    ASSERT_TRUE(mine.IsValid());
    EXPECT_EQ(0, present);
    EXPECT_EQ(1, IsNamedMutexPresent(name));

    CHandle second(OpenOrCreateNamedMutex(name, present));
    EXPECT_EQ(1, present);
}
