#include "platform.h"

#include "handles.h"
#include "log.h"
#include "os_version.h"
#include "stl_string.h"

#include <vector>

namespace {

bool QueryVersion(OSVERSIONINFOW& info)
{
    info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    return GetOsVersion().GetVersionInfo(info);
}

} // namespace

bool IsWin2000()
{
    OSVERSIONINFOW info;
    return QueryVersion(info) && info.dwMajorVersion == 5 && info.dwMinorVersion == 0;
}

bool CCommonTools::IsXP()
{
    OSVERSIONINFOW info;
    return QueryVersion(info) && info.dwMajorVersion == 5 && info.dwMinorVersion != 0;
}

std::wstring GetFileVersionString(const std::wstring& path)
{
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0)
        return std::wstring();
    std::vector<BYTE> buffer(size_t(size) + 1, 0);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, buffer.data()))
        return std::wstring();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        !fixed || fixedSize < sizeof(VS_FIXEDFILEINFO))
        return std::wstring();
    return FormatW(L"%d.%d.%d.%d", int(HIWORD(fixed->dwFileVersionMS)), int(LOWORD(fixed->dwFileVersionMS)),
                   int(HIWORD(fixed->dwFileVersionLS)), int(LOWORD(fixed->dwFileVersionLS)));
}

HANDLE OpenOrCreateNamedMutex(const std::wstring& name, BYTE& present)
{
    present = 0;
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        present = 1;
        DebugTrace(L"+++++dwErr == ERROR_ALREADY_EXISTS");
    } else if (mutex == nullptr) {
        present = 1;
        DebugTrace(L"+++++hUiMutex == NULL");
    }
    return mutex;
}

BYTE IsNamedMutexPresent(const std::wstring& name)
{
    BYTE present = 0;
    CHandle mutex(OpenOrCreateNamedMutex(name, present));
    return present;
}
