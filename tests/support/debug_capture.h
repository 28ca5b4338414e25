// Collects the debugger output (OutputDebugString, DebugTrace) of the running
// test program while the object lives, by serving the system's shared debug
// buffer as a debug monitor does.  One capture at a time per machine.
#pragma once

#include "handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class CDebugOutputCapture {
public:
    CDebugOutputCapture();
    ~CDebugOutputCapture();
    CDebugOutputCapture(const CDebugOutputCapture&) = delete;
    CDebugOutputCapture& operator=(const CDebugOutputCapture&) = delete;

    bool IsActive() const { return m_thread.IsValid(); }
    // The texts this process sent so far (as the system passes them: ANSI),
    // after the last one sent was served.
    std::vector<std::string> Messages() const;

private:
    static DWORD WINAPI Serve(void* self);

    CHandle m_mutex, m_mapping, m_bufferReady, m_dataReady, m_stop, m_thread;
    const BYTE* m_view = nullptr;
    mutable CRITICAL_SECTION m_lock;
    std::vector<std::string> m_messages;
};

} // namespace testing_support
