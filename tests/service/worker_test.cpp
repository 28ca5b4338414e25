#include "orvserv_worker.h"

#include "file_utils.h"
#include "log.h"
#include "log_reader.h"
#include "platform.h"
#include "session_tokens_double.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>

using namespace testing_support;

namespace {

DWORD WINAPI RunWorker(LPVOID worker)
{
    static_cast<COrvServWorker*>(worker)->Run();
    return 0;
}

// Runs a worker's Run on its own thread.  When it goes (also when a failed
// assertion leaves the test early) it asks the worker to close and waits for
// Run to return, so no thread outlives the worker it uses.
class CRunThread {
public:
    explicit CRunThread(COrvServWorker& worker)
        : m_worker(worker), m_thread(::CreateThread(nullptr, 0, &RunWorker, &worker, 0, nullptr))
    {
    }
    ~CRunThread()
    {
        if (!m_thread)
            return;
        if (!Ended(0))
            m_worker.CloseWorkerThread();
        ::WaitForSingleObject(m_thread.Get(), 10000);
    }
    bool Ended(DWORD timeoutMs) const { return ::WaitForSingleObject(m_thread.Get(), timeoutMs) == WAIT_OBJECT_0; }

private:
    COrvServWorker& m_worker;
    CHandle m_thread;
};

bool WaitUntil(const CLogTail& log, const std::wstring& text, DWORD timeoutMs = 5000)
{
    const DWORD start = ::GetTickCount();
    while (!log.Contains(text)) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

// What a thread pausing on a stop flag sees.
struct SharedStop {
    std::atomic<bool> flag{false};
    CHandle event;
    bool raised = false;
};

DWORD WINAPI WaitWithoutLimit(LPVOID shared)
{
    auto* stop = static_cast<SharedStop*>(shared);
    stop->raised = WaitForFlag(stop->flag, stop->event.Get(), INFINITE);
    return 0;
}

} // namespace

TEST(Worker, RunHoldsTheMachineUntilAskedToClose)
{
    CLogTail log(GetLog().GetModuleName(), L"OrvServ");
    {
        COrvServWorker first;
        CRunThread run(first);
        ASSERT_TRUE(WaitUntil(log, L"COrvServWorker::Run... ... before WaitForSingleObject"));
        EXPECT_FALSE(run.Ended(200));
        EXPECT_TRUE(IsNamedMutexPresent(kOrvServInstanceMutex));

        // A second worker finds the mutex and returns at once.
        COrvServWorker second;
        second.Run();
        EXPECT_TRUE(log.Contains(L"COrvServWorker::Run    ERROR_ALREADY_EXISTS\n"));

        first.CloseWorkerThread();
        EXPECT_TRUE(run.Ended(5000));
        EXPECT_TRUE(log.Contains(L"COrvServWorker::CloseWorkerThread  m_hThreadDatacardMonitor is closed\n"));
        EXPECT_TRUE(log.Contains(L"COrvServWorker::Run     leave\n"));
        // The mutex stays with the worker until it is destroyed.
        EXPECT_TRUE(IsNamedMutexPresent(kOrvServInstanceMutex));
    }
    EXPECT_FALSE(IsNamedMutexPresent(kOrvServInstanceMutex));
}

TEST(Worker, DestroyingARunningWorkerEndsItsMonitorThreadFirst)
{
    CLogTail log(GetLog().GetModuleName(), L"OrvServ");
    auto worker = std::make_unique<COrvServWorker>();
    CHandle run(::CreateThread(nullptr, 0, &RunWorker, worker.get(), 0, nullptr));
    ASSERT_TRUE(run.IsValid());
    ASSERT_TRUE(WaitUntil(log, L"COrvServWorker::Run... ... before WaitForSingleObject"));
    worker.reset();
    EXPECT_TRUE(log.Contains(L"COrvServWorker::RunMonitorNetCardThread leave\n"));
    EXPECT_TRUE(log.Contains(L"COrvServWorker::CloseWorkerThread  m_hThreadDatacardMonitor is closed\n"));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(run.Get(), 5000));
    EXPECT_FALSE(IsNamedMutexPresent(kOrvServInstanceMutex));
}

TEST(Worker, CloseBeforeRunLetsRunEndAtOnce)
{
    COrvServWorker worker;
    worker.CloseWorkerThread();
    CRunThread run(worker);
    EXPECT_TRUE(run.Ended(5000));
    EXPECT_TRUE(worker.IsStopRequested());
}

// The pause ends when the flag is raised, with the stop event or without one
// (when the event could not be made), and otherwise lasts the given time.
TEST(Worker, StopWaitEndsOnTheFlagWithOrWithoutAnEvent)
{
    for (bool withEvent : {true, false}) {
        SharedStop shared;
        if (withEvent)
            shared.event.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));

        DWORD start = ::GetTickCount();
        EXPECT_FALSE(WaitForFlag(shared.flag, shared.event.Get(), 150)) << withEvent;
        EXPECT_GE(::GetTickCount() - start, 100u) << withEvent;

        // An unlimited pause on another thread; this one raises the flag.
        CHandle waiter(::CreateThread(nullptr, 0, &WaitWithoutLimit, &shared, 0, nullptr));
        ASSERT_TRUE(waiter.IsValid());
        ::Sleep(100);
        shared.flag = true;
        if (shared.event)
            ::SetEvent(shared.event.Get());
        const bool ended = ::WaitForSingleObject(waiter.Get(), 5000) == WAIT_OBJECT_0;
        if (!ended)
            ::TerminateThread(waiter.Get(), 1);   // it would outlive what it waits on
        EXPECT_TRUE(ended) << withEvent;
        EXPECT_TRUE(shared.raised) << withEvent;

        start = ::GetTickCount();
        EXPECT_TRUE(WaitForFlag(shared.flag, shared.event.Get(), 5000)) << withEvent;
        EXPECT_LT(::GetTickCount() - start, 1000u) << withEvent;
    }
}

class PlayGuardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = COrvServWorker::GetPlayGuardPath();
        ASSERT_TRUE(CreateDirectoryChain(RemoveLastPathComponent(m_path)));
    }
    void TearDown() override { RemoveTree(GetCommonAppDataPath() + L"\\OrvSupport"); }

    std::wstring m_path;
    CScopedOsVersion m_os{6, 1};
    CScopedSessionTokens m_sessions;
};

TEST_F(PlayGuardTest, PrepareRegistersThenRunsInTheUserSessionAndStopEndsIt)
{
    InstallRecorder(m_path);
    COrvServWorker worker;
    EXPECT_EQ(1, worker.PreparePlayGuardEnv());
    worker.StopPlayGuard();
    auto records = WaitForLaunchRecords(m_path, 3);
    ASSERT_EQ(3u, records.size());
    const std::wstring& first = records[0].commandLine;
    EXPECT_TRUE(first.ends_with(L" regguid")) << ToUtf8(first);   // through the shell, after the path
    // "run" is not awaited, so its record may come after that of "stop".
    std::set<std::wstring> userStarts = {records[1].commandLine, records[2].commandLine};
    EXPECT_EQ((std::set<std::wstring>{L"run", L"stop"}), userStarts);
    EXPECT_EQ(RemoveLastPathComponent(m_path), records[1].workingDir);
}

TEST_F(PlayGuardTest, MissingSuppressorStartsNothing)
{
    CLogTail log(GetLog().GetModuleName(), L"OrvServ");
    COrvServWorker worker;
    EXPECT_EQ(0, worker.PreparePlayGuardEnv());
    EXPECT_TRUE(log.Contains(L"COrvServWorker::PreparePlayGuardEnv     PlayGuard not exists\n"));
    worker.StopPlayGuard();   // tries anyway; the launch fails and is logged
    EXPECT_TRUE(log.Contains(m_path + L" if (!bResult) "));
}
