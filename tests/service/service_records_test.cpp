#include "service_records.h"

#include "handles.h"
#include "log.h"
#include "log_reader.h"
#include "service_test_helpers.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace service_testing;
using namespace testing_support;

TEST(ServiceRecords, RunValuesAreRemovedAndAMissingSecondValueIsLogged)
{
    struct Case {
        bool launchUI, playGuard, failureLogged;
    } cases[] = {
        {true, true, false},
        {true, false, true},
        {false, false, true},
    };
    for (const Case& c : cases) {
        if (c.launchUI)
            SetRunValue(L"LaunchUI");
        if (c.playGuard)
            SetRunValue(L"PlayGuard_Server");
        SetRunValue(L"SomethingElse");
        CLogTail log(GetLog().GetModuleName(), L"OrvServ");
        EXPECT_EQ(1, RemoveStartItemFromRegistry());
        EXPECT_FALSE(RunValueExists(L"LaunchUI"));
        EXPECT_FALSE(RunValueExists(L"PlayGuard_Server"));
        EXPECT_TRUE(RunValueExists(L"SomethingElse"));
        EXPECT_TRUE(log.Contains(L"RemoveStartItemFromRegistry    Enter\n"));
        EXPECT_EQ(c.failureLogged, log.Contains(L"RemoveStartItemFromRegistry    rk.DeleteValue failed\n"))
            << c.launchUI << c.playGuard;
    }
    CRegKey key;
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, key.Receive());
    ::RegDeleteValueW(key.Get(), L"SomethingElse");
}

TEST(ServiceRecords, UninstallEntryComesAndGoes)
{
    EXPECT_EQ(1, AddControlRegKeyEx());
    EXPECT_TRUE(KeyExists(kServiceUninstallKey));
    SetRunValue(L"LaunchUI");
    EXPECT_EQ(1, RemoveServiceRecords());
    EXPECT_FALSE(KeyExists(kServiceUninstallKey));
    EXPECT_FALSE(RunValueExists(L"LaunchUI"));
    // Nothing left to delete: the parent key still opens.
    EXPECT_EQ(1, DeleteControlRegKey());
}
