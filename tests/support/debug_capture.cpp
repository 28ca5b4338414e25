#include "debug_capture.h"

namespace testing_support {

namespace {
constexpr DWORD kBufferSize = 4096;   // process id, then the zero-terminated text
}

CDebugOutputCapture::CDebugOutputCapture()
{
    ::InitializeCriticalSection(&m_lock);
    m_mutex.Reset(::CreateMutexW(nullptr, FALSE, L"DBWinMutex"));
    m_mapping.Reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize, L"DBWIN_BUFFER"));
    m_bufferReady.Reset(::CreateEventW(nullptr, FALSE, TRUE, L"DBWIN_BUFFER_READY"));
    m_dataReady.Reset(::CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY"));
    m_stop.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_mutex || !m_mapping || !m_bufferReady || !m_dataReady || !m_stop)
        return;
    m_view = static_cast<const BYTE*>(::MapViewOfFile(m_mapping.Get(), FILE_MAP_READ, 0, 0, kBufferSize));
    if (m_view)
        m_thread.Reset(::CreateThread(nullptr, 0, &CDebugOutputCapture::Serve, this, 0, nullptr));
}

CDebugOutputCapture::~CDebugOutputCapture()
{
    if (m_thread) {
        ::SetEvent(m_stop.Get());
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
    }
    if (m_view)
        ::UnmapViewOfFile(m_view);
    ::DeleteCriticalSection(&m_lock);
}

std::vector<std::string> CDebugOutputCapture::Messages() const
{
    // The buffer is free again once every text sent so far was served.
    if (m_thread && ::WaitForSingleObject(m_bufferReady.Get(), 5000) == WAIT_OBJECT_0)
        ::SetEvent(m_bufferReady.Get());
    ::EnterCriticalSection(&m_lock);
    std::vector<std::string> messages = m_messages;
    ::LeaveCriticalSection(&m_lock);
    return messages;
}

DWORD WINAPI CDebugOutputCapture::Serve(void* self)
{
    auto* capture = static_cast<CDebugOutputCapture*>(self);
    const HANDLE waits[] = {capture->m_stop.Get(), capture->m_dataReady.Get()};
    while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        DWORD pid = 0;
        memcpy(&pid, capture->m_view, sizeof pid);
        const char* text = reinterpret_cast<const char*>(capture->m_view + sizeof pid);
        const std::string message(text, strnlen(text, kBufferSize - sizeof pid));
        if (pid == ::GetCurrentProcessId()) {
            ::EnterCriticalSection(&capture->m_lock);
            capture->m_messages.push_back(message);
            ::LeaveCriticalSection(&capture->m_lock);
        }
        ::SetEvent(capture->m_bufferReady.Get());
    }
    return 0;
}

} // namespace testing_support
