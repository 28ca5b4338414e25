// Small owners for Windows handles: each closes its handle exactly once, on
// every path out of the scope that holds it.
#pragma once

#include <windows.h>
#include <winsvc.h>
#include <setupapi.h>
#include <userenv.h>

#include <utility>

template <typename T, typename Traits>
class CUniqueHandle {
public:
    CUniqueHandle() = default;
    explicit CUniqueHandle(T h) : m_h(h) {}
    ~CUniqueHandle() { Reset(); }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    T Get() const { return m_h; }
    bool IsValid() const { return Traits::IsValid(m_h); }
    explicit operator bool() const { return IsValid(); }

    // Address for functions that return a handle through an out argument; the
    // current handle is closed first.
    T* Receive()
    {
        Reset();
        return &m_h;
    }
    T Release() { return std::exchange(m_h, Traits::Invalid()); }
    void Reset(T h = Traits::Invalid())
    {
        if (Traits::IsValid(m_h))
            Traits::Close(m_h);
        m_h = h;
    }

private:
    T m_h = Traits::Invalid();
};

struct KernelHandleTraits {   // null means none (processes, threads, mutexes, tokens)
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleTraits {     // INVALID_HANDLE_VALUE means none (CreateFile)
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct ServiceHandleTraits {
    static SC_HANDLE Invalid() { return nullptr; }
    static bool IsValid(SC_HANDLE h) { return h != nullptr; }
    static void Close(SC_HANDLE h) { ::CloseServiceHandle(h); }
};
struct LibraryTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool IsValid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};
struct LocalMemoryTraits {
    static HLOCAL Invalid() { return nullptr; }
    static bool IsValid(HLOCAL h) { return h != nullptr; }
    static void Close(HLOCAL h) { ::LocalFree(h); }
};

struct EnvironmentBlockTraits {   // CreateEnvironmentBlock
    static void* Invalid() { return nullptr; }
    static bool IsValid(void* h) { return h != nullptr; }
    static void Close(void* h) { ::DestroyEnvironmentBlock(h); }
};

struct EventSourceTraits {        // RegisterEventSource
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr; }
    static void Close(HANDLE h) { ::DeregisterEventSource(h); }
};

using CHandle = CUniqueHandle<HANDLE, KernelHandleTraits>;
using CFileHandle = CUniqueHandle<HANDLE, FileHandleTraits>;
using CFindHandle = CUniqueHandle<HANDLE, FindHandleTraits>;
using CRegKey = CUniqueHandle<HKEY, RegKeyTraits>;
using CServiceHandle = CUniqueHandle<SC_HANDLE, ServiceHandleTraits>;
using CLibrary = CUniqueHandle<HMODULE, LibraryTraits>;
using CLocalMemory = CUniqueHandle<HLOCAL, LocalMemoryTraits>;

// Device-information sets (SetupAPI; users link setupapi).
struct DevInfoTraits {
    static HDEVINFO Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HDEVINFO h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HDEVINFO h) { ::SetupDiDestroyDeviceInfoList(h); }
};
using CDevInfoHandle = CUniqueHandle<HDEVINFO, DevInfoTraits>;
using CEnvironmentBlock = CUniqueHandle<void*, EnvironmentBlockTraits>;
using CEventSource = CUniqueHandle<HANDLE, EventSourceTraits>;
