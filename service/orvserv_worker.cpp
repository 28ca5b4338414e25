#include "orvserv_worker.h"

#include "file_utils.h"
#include "log.h"
#include "platform.h"
#include "process_launch.h"

#include <algorithm>

const wchar_t kOrvServInstanceMutex[] = L"Global\\OrvServ,{5EC1A546-14F0-483a-B76C-5993A49D332E}";

COrvServWorker::COrvServWorker() : m_hStopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    // The logger is made first so that it is destroyed after the worker: the
    // destructor may still write to it.
    GetLog();
}

COrvServWorker::~COrvServWorker()
{
    // The monitor thread works on this object, so it ends before the members go.
    ::AcquireSRWLockShared(&m_threadLock);
    const bool running = m_hThreadDatacardMonitor.IsValid();
    ::ReleaseSRWLockShared(&m_threadLock);
    if (running)
        CloseWorkerThread();
}

void COrvServWorker::Run()
{
    WriteLog(L"COrvServWorker::Run    Enter");
    BYTE present = 0;
    m_hInstanceMutex.Reset(OpenOrCreateNamedMutex(kOrvServInstanceMutex, present));
    if (present) {
        m_hInstanceMutex.Reset();
        WriteLog(L"COrvServWorker::Run    ERROR_ALREADY_EXISTS");
        return;
    }

    // For now Run only starts the monitor thread and waits for it.  The wait
    // for a logged-on user and the start of the auto-play suppressor
    // (PreparePlayGuardEnv) will go before the thread is started, and
    // StopPlayGuard after it has ended; neither is called here yet.
    CHandle monitor = StartMonitorThread();
    if (!monitor)
        WriteLog(L"COrvServWorker::Run     Create Start MonitorNetCardThread Failed");
    WriteLog(L"COrvServWorker::Run... ... before WaitForSingleObject");
    if (monitor)
        ::WaitForSingleObject(monitor.Get(), INFINITE);
    WriteLog(L"COrvServWorker::Run     leave");
}

void COrvServWorker::CloseWorkerThread()
{
    WriteLog(L"COrvServWorker::CloseWorkerThread enter");
    RaiseStop();
    // Taken out under the lock so that the handle is waited for and closed
    // exactly once, while Run waits on its own copy.
    CHandle thread;
    ::AcquireSRWLockExclusive(&m_threadLock);
    thread.Reset(m_hThreadDatacardMonitor.Release());
    ::ReleaseSRWLockExclusive(&m_threadLock);
    if (thread) {
        ::WaitForSingleObject(thread.Get(), INFINITE);
        thread.Reset();
        WriteLog(L"COrvServWorker::CloseWorkerThread  m_hThreadDatacardMonitor is closed");
    }
    WriteLog(L"COrvServWorker::CloseWorkerThread leave");
}

void COrvServWorker::RaiseStop()
{
    m_bStop = true;
    if (m_hStopEvent)
        ::SetEvent(m_hStopEvent.Get());
}

bool COrvServWorker::WaitForStop(DWORD milliseconds) const
{
    return WaitForFlag(m_bStop, m_hStopEvent.Get(), milliseconds);
}

bool WaitForFlag(const std::atomic<bool>& flag, HANDLE event, DWORD milliseconds)
{
    if (flag)
        return true;
    if (event) {
        ::WaitForSingleObject(event, milliseconds);
        return flag;
    }
    // No event to wake the pause: look at the flag in short slices, so that
    // even an unlimited pause ends once the flag is raised.
    const DWORD kSliceMs = 50;
    const DWORD start = ::GetTickCount();
    while (!flag) {
        DWORD slice = kSliceMs;
        if (milliseconds != INFINITE) {
            const DWORD elapsed = ::GetTickCount() - start;
            if (elapsed >= milliseconds)
                return false;
            slice = std::min(slice, milliseconds - elapsed);
        }
        ::Sleep(slice);
    }
    return true;
}

std::wstring COrvServWorker::GetPlayGuardPath()
{
    return GetCommonAppDataPath() + L"\\OrvSupport\\OrvServ\\PlayGuard_Server.exe";
}

int COrvServWorker::PreparePlayGuardEnv()
{
    const std::wstring path = GetPlayGuardPath();
    if (!PathIsExistingFile(path)) {
        WriteLog(L"COrvServWorker::PreparePlayGuardEnv     PlayGuard not exists");
        return 0;
    }
    // Registration runs in the service's own context and is awaited; the
    // suppressor itself runs in the user's session and is left running.
    ExecuteApplication(path, L"regguid", 0, 0, SW_HIDE, L"");
    DWORD exitCode = 0;
    ExecuteApp(path, exitCode, L"run", 10);
    return 1;
}

void COrvServWorker::StopPlayGuard()
{
    DWORD exitCode = 0;
    ExecuteApp(GetPlayGuardPath(), exitCode, L"stop", 0);
}

void COrvServWorker::RunMonitorNetCardThread()
{
    WriteLog(L"COrvServWorker::RunMonitorNetCardThread   Enter");
    // The detection cycle comes here; until then the thread only waits for
    // the stop request.
    while (!WaitForStop(INFINITE)) {
    }
    WriteLog(L"COrvServWorker::RunMonitorNetCardThread leave");
}

DWORD WINAPI COrvServWorker::MonitorThreadProc(LPVOID worker)
{
    static_cast<COrvServWorker*>(worker)->RunMonitorNetCardThread();
    return 0;
}

CHandle COrvServWorker::StartMonitorThread()
{
    CHandle thread(::CreateThread(nullptr, 0, &COrvServWorker::MonitorThreadProc, this, 0, nullptr));
    if (!thread)
        return CHandle();
    CHandle own;
    HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, thread.Get(), process, own.Receive(), SYNCHRONIZE, FALSE, 0)) {
        // Without a handle of its own Run cannot wait for the thread, so the
        // thread is ended here rather than left running behind a failed start.
        own.Reset();
        RaiseStop();
        ::WaitForSingleObject(thread.Get(), INFINITE);
        return CHandle();
    }
    ::AcquireSRWLockExclusive(&m_threadLock);
    m_hThreadDatacardMonitor = std::move(thread);
    ::ReleaseSRWLockExclusive(&m_threadLock);
    return own;
}

COrvServWorker& GetOrvServWorker()
{
    static COrvServWorker worker;
    return worker;
}

// Built when the process starts, before the entry code runs.
[[maybe_unused]] static COrvServWorker& g_workerAtStart = GetOrvServWorker();
