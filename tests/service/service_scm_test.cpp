// OrvServ.exe under Wine's real service control manager: each test starts
// from an uninstalled service and leaves none behind, whatever its outcome.
#include "service_records.h"

#include "handles.h"
#include "log_reader.h"
#include "orvserv_worker.h"
#include "platform.h"
#include "service_test_helpers.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace service_testing;
using namespace testing_support;

namespace {

std::wstring OrvServPath()
{
    return BinDir() + L"\\OrvServ.exe";
}

// Runs OrvServ.exe with the command tail; its exit code is always 0.
void RunOrvServ(const std::wstring& tail)
{
    DWORD exitCode = 1;
    ASSERT_TRUE(RunProgram(OrvServPath(), L"\"" + OrvServPath() + L"\" " + tail, exitCode, 30000))
        << ToUtf8(tail);
    EXPECT_EQ(0u, exitCode) << ToUtf8(tail);
}

CServiceHandle OpenOrvServ(DWORD access)
{
    CServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return CServiceHandle();
    return CServiceHandle(::OpenServiceW(manager.Get(), L"OrvServ", access));
}

// The current state, or 0 when the service does not exist.
DWORD QueryState(DWORD* exitCode = nullptr)
{
    CServiceHandle service = OpenOrvServ(SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    if (!service || !::QueryServiceStatus(service.Get(), &status))
        return 0;
    if (exitCode)
        *exitCode = status.dwWin32ExitCode;
    return status.dwCurrentState;
}

// Polls until done() holds; false when the timeout passed first.
template <typename Done>
bool PollUntil(Done done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(50);
    }
    return true;
}

bool WaitForState(DWORD state, DWORD timeoutMs = 20000)
{
    return PollUntil([state] { return QueryState() == state; }, timeoutMs);
}

// The service reports running before its worker has taken the single-instance mutex.
bool WaitForWorkerMutex(DWORD timeoutMs = 10000)
{
    return PollUntil([] { return IsNamedMutexPresent(kOrvServInstanceMutex); }, timeoutMs);
}

std::wstring EntryString(const wchar_t* name)
{
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kServiceUninstallKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

DWORD EntryNumber(const wchar_t* name)
{
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kServiceUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return value;
}

// The entry is written by the service after it reports running; its last value marks it complete.
bool WaitForUninstallEntry(DWORD timeoutMs = 10000)
{
    return PollUntil([] { return EntryNumber(L"NoRepair") == 1; }, timeoutMs);
}

// Stops and deletes the service, then waits until the manager has let it go.
void RemoveService()
{
    if (QueryState() == 0)
        return;
    {
        CServiceHandle service = OpenOrvServ(SERVICE_STOP | DELETE | SERVICE_QUERY_STATUS);
        if (service) {
            SERVICE_STATUS status = {};
            ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
            ::DeleteService(service.Get());
        }
    }
    WaitForState(0);
}

class ServiceScmTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The manager of the previous test program may still be going away:
        // wait until one answers steadily.
        int steady = 0;
        for (int attempt = 0; attempt < 200 && steady < 5; ++attempt) {
            CServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
            CServiceHandle known(manager ? ::OpenServiceW(manager.Get(), L"Eventlog", SERVICE_QUERY_STATUS)
                                         : nullptr);
            steady = known ? steady + 1 : 0;
            ::Sleep(100);
        }
    }

    void SetUp() override
    {
        RemoveService();
        RemoveServiceRecords();
        RemoveUninstallerCopy();
        // Only what this test's service writes counts, not the stop of a leftover one.
        m_log = CLogTail(L"OrvServ", L"OrvServ");
    }

    void TearDown() override
    {
        RemoveService();
        RemoveServiceRecords();
        RemoveUninstallerCopy();
    }

    // A test may place an uninstaller beside the service; a run that was cut
    // short may have left one.
    static void RemoveUninstallerCopy() { ::DeleteFileW((BinDir() + L"\\UninstallOrvServ.exe").c_str()); }

    CLogTail m_log;   // made at the end of SetUp
};

} // namespace

TEST_F(ServiceScmTest, InstallStartStopUninstallRoundTrip)
{
    SetRunValue(L"LaunchUI");
    SetRunValue(L"PlayGuard_Server");

    RunOrvServ(L"/install");
    EXPECT_TRUE(m_log.Contains(L"Install   ... ... CreateService successfully\n"));

    // The identity the manager reports back.
    {
        CServiceHandle service = OpenOrvServ(SERVICE_QUERY_CONFIG);
        ASSERT_TRUE(service.IsValid());
        const CServiceConfig config(service.Get());
        ASSERT_NE(nullptr, config.Get());
        EXPECT_EQ(DWORD(SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS), config->dwServiceType);
        EXPECT_EQ(DWORD(SERVICE_AUTO_START), config->dwStartType);
        EXPECT_EQ(DWORD(SERVICE_ERROR_NORMAL), config->dwErrorControl);
        EXPECT_EQ(L"\"" + OrvServPath() + L"\"", std::wstring(config->lpBinaryPathName));
        EXPECT_EQ(L"", std::wstring(config->lpLoadOrderGroup ? config->lpLoadOrderGroup : L""));
        EXPECT_EQ(L"", std::wstring(config->lpDependencies ? config->lpDependencies : L""));
        EXPECT_EQ(L"LocalSystem", std::wstring(config->lpServiceStartName));
        EXPECT_EQ(L"OrvServ", std::wstring(config->lpDisplayName));
    }

    // "/install" also starts it.
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    RunOrvServ(L"/start");
    EXPECT_TRUE(m_log.Contains(L"RunService    StartService successfully  SERVICE_ALREADY_RUNNING\n"));

    // A worker in another process finds the service's single-instance mutex.
    ASSERT_TRUE(WaitForWorkerMutex());
    RunOrvServ(L"/test");
    EXPECT_TRUE(m_log.Contains(L"COrvServWorker::Run    ERROR_ALREADY_EXISTS\n"));

    RunOrvServ(L"/stop");
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED));
    DWORD exitCode = 1;
    QueryState(&exitCode);
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(m_log.Contains(L"WINAPI Handler      ... ... SERVICE_CONTROL_STOP\n"));
    EXPECT_TRUE(m_log.Contains(L"COrvServWorker::CloseWorkerThread  m_hThreadDatacardMonitor is closed\n"));
    RunOrvServ(L"/stop");
    EXPECT_TRUE(m_log.Contains(L"StopService   ... ... Stop service successfully  SERVICE_NOT_ACTIVE\n"));

    RunOrvServ(L"/start");
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    ASSERT_TRUE(WaitForUninstallEntry());

    RunOrvServ(L"/uninstall");
    EXPECT_TRUE(WaitForState(0));
    EXPECT_TRUE(m_log.Contains(L"Uninstall   DeleteService success\n"));
    EXPECT_FALSE(KeyExists(kServiceUninstallKey));
    EXPECT_FALSE(RunValueExists(L"LaunchUI"));
    EXPECT_FALSE(RunValueExists(L"PlayGuard_Server"));
}

TEST_F(ServiceScmTest, InstallOnAnInstalledServiceKeepsItsConfigurationAndStartsIt)
{
    RunOrvServ(L"/install");
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    RunOrvServ(L"/stop");
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED));
    {
        CServiceHandle service = OpenOrvServ(SERVICE_CHANGE_CONFIG);
        ASSERT_TRUE(service.IsValid());
        ASSERT_TRUE(::ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START,
                                           SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                           nullptr));
    }
    RunOrvServ(L"/install");
    EXPECT_TRUE(m_log.Contains(L"Install   has IsInstalled\n"));
    EXPECT_TRUE(WaitForState(SERVICE_RUNNING));

    CServiceHandle service = OpenOrvServ(SERVICE_QUERY_CONFIG);
    const CServiceConfig config(service.Get());
    ASSERT_NE(nullptr, config.Get());
    EXPECT_EQ(DWORD(SERVICE_DEMAND_START), config->dwStartType);
}

TEST_F(ServiceScmTest, UninstallWithoutTheServiceStillRemovesTheRecords)
{
    ASSERT_EQ(1, AddControlRegKeyEx());
    SetRunValue(L"LaunchUI");
    SetRunValue(L"PlayGuard_Server");
    RunOrvServ(L"/uninstall");
    EXPECT_TRUE(m_log.Contains(L"StopService   schService == 0, errcode=1060\n"));
    EXPECT_TRUE(m_log.Contains(L"Uninstall   ... ...Not found service\n"));
    EXPECT_FALSE(KeyExists(kServiceUninstallKey));
    EXPECT_FALSE(RunValueExists(L"LaunchUI"));
    EXPECT_FALSE(RunValueExists(L"PlayGuard_Server"));
}

TEST_F(ServiceScmTest, VerbIsTheWholeTailInAnyCase)
{
    RunOrvServ(L"/install ");   // trailing blank: not a verb, the dispatcher refuses a hand start
    EXPECT_TRUE(m_log.Contains(L"ProcessCommand   Enter, Command=/install \n"));
    EXPECT_TRUE(m_log.Contains(L"WinMain   leave\n"));
    EXPECT_EQ(0u, QueryState());

    RunOrvServ(L"/INSTALL");
    EXPECT_TRUE(WaitForState(SERVICE_RUNNING));
}

TEST_F(ServiceScmTest, UninstallEntryDescribesTheRunningService)
{
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    wchar_t today[16];
    swprintf(today, 16, L"%04u%02u%02u", unsigned(now.wYear), unsigned(now.wMonth), unsigned(now.wDay));
    const std::wstring version = GetFileVersionString(OrvServPath());
    ASSERT_FALSE(version.empty());

    struct Case {
        bool uninstallerBeside;
        std::wstring uninstallString;
    } cases[] = {
        {false, L"\"" + OrvServPath() + L"\" /uninstall"},
        {true, L"\"" + BinDir() + L"\\UninstallOrvServ.exe\" /uninstall"},
    };
    RunOrvServ(L"/install");
    ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
    for (const Case& c : cases) {
        RunOrvServ(L"/stop");
        ASSERT_TRUE(WaitForState(SERVICE_STOPPED));
        RemoveServiceRecords();
        if (c.uninstallerBeside)
            WriteBytes(BinDir() + L"\\UninstallOrvServ.exe", "MZ");   // only its presence counts
        RunOrvServ(L"/start");
        ASSERT_TRUE(WaitForState(SERVICE_RUNNING));
        ASSERT_TRUE(WaitForUninstallEntry());

        EXPECT_EQ(c.uninstallString, EntryString(L"UninstallString"));
        EXPECT_EQ(version, EntryString(L"AppVersion"));
        EXPECT_EQ(version, EntryString(L"DisplayVersion"));
        EXPECT_EQ(BinDir(), EntryString(L"InstallLocation"));
        EXPECT_EQ(L"OrvServer", EntryString(L"DisplayName"));
        EXPECT_EQ(L"Norvane Corporation", EntryString(L"Publisher"));
        EXPECT_EQ(EntryString(L"URLInfoAbout"), EntryString(L"HelpLink"));
        EXPECT_EQ(today, EntryString(L"InstallDate"));
        EXPECT_EQ(1u, EntryNumber(L"IsAppInstalled"));
        EXPECT_EQ(1u, EntryNumber(L"NoModify"));
    }
}
