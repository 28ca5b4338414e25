// The service's engine: one worker per machine (a named single-instance
// mutex), a monitor thread that does the work, and a stop request that ends it.
#pragma once

#include "handles.h"
#include "norvane_app_manager.h"

#include <windows.h>

#include <atomic>
#include <string>

// Held by the running worker for its whole life.
extern const wchar_t kOrvServInstanceMutex[];

class COrvServWorker {
public:
    COrvServWorker();
    // Ends a monitor thread that still runs before the object goes.
    virtual ~COrvServWorker();
    COrvServWorker(const COrvServWorker&) = delete;
    COrvServWorker& operator=(const COrvServWorker&) = delete;

    // Takes the single-instance mutex (returns at once when another worker
    // holds it), starts the monitor thread and blocks until it has ended.
    void Run();
    // Raises the stop flag and waits until the monitor thread has ended.
    void CloseWorkerThread();

    // Registers and starts the auto-play suppressor; 1 when its file exists.
    int PreparePlayGuardEnv();
    // Asks the auto-play suppressor to stop and waits for it.
    void StopPlayGuard();

    // The monitor thread's body.
    void RunMonitorNetCardThread();

    bool IsStopRequested() const { return m_bStop.load(); }
    // Pauses for up to the given time; true when the stop flag is raised (at
    // once, or during the pause).
    bool WaitForStop(DWORD milliseconds) const;

    // "PlayGuard_Server.exe" under the all-users application data.
    static std::wstring GetPlayGuardPath();

private:
    static DWORD WINAPI MonitorThreadProc(LPVOID worker);
    // Sets the stop flag and signals the stop event.
    void RaiseStop();
    // Creates the monitor thread and keeps its handle in m_hThreadDatacardMonitor;
    // returns a second handle of the same thread for the caller's own wait.
    // When that second handle cannot be made, the thread is stopped and waited
    // for, and an empty handle comes back.
    CHandle StartMonitorThread();

    CHandle m_hThreadDatacardMonitor;
    CHandle m_hInstanceMutex;
    std::atomic<bool> m_bStop{false};
    CHandle m_hStopEvent;   // signalled together with the stop flag
    SRWLOCK m_threadLock = SRWLOCK_INIT;   // guards the thread handle member only
    CNorvaneAppManager m_appManager;
};

// Pauses until the flag is raised or the time has passed; true when it is
// raised.  The event, when there is one, is signalled together with the flag
// and ends the pause at once; without it the flag is polled.
bool WaitForFlag(const std::atomic<bool>& flag, HANDLE event, DWORD milliseconds);

// The process's one worker.
COrvServWorker& GetOrvServWorker();
