#include "cdrom_plug.h"

#include "handles.h"

#include <winioctl.h>

#include <cstring>

namespace testing_support {

const wchar_t kCdromInterfaceClass[] = L"{53f56308-b6bf-11d0-94f2-00a0c91efb8b}";

namespace {

// The define-drive request of Wine's mount manager.
constexpr DWORD kDefineUnixDrive = CTL_CODE(0x6d, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr ULONG kDriveTypeNone = 1;
constexpr ULONG kDriveTypeCdrom = 5;

struct UnixDriveRequest {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
    // followed by the UTF-8 unix folder at mountPointOffset
};
static_assert(sizeof(UnixDriveRequest) == 32, "layout of the mount manager's request");

// The unix path of a Windows folder (Wine's own export of kernel32).
std::string UnixPathOf(const std::wstring& folder)
{
    using Convert = char*(CDECL*)(LPCWSTR);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return std::string();
    char* path = convert(folder.c_str());
    if (!path)
        return std::string();
    std::string result(path);
    ::HeapFree(::GetProcessHeap(), 0, path);
    return result;
}

bool DefineDrive(wchar_t letter, ULONG type, const std::string& unixFolder)
{
    std::vector<char> request(sizeof(UnixDriveRequest) + (unixFolder.empty() ? 0 : unixFolder.size() + 1), '\0');
    UnixDriveRequest header = {};
    header.size = ULONG(request.size());
    header.type = type;
    header.letter = WCHAR(towlower(letter));
    if (!unixFolder.empty()) {
        header.mountPointOffset = USHORT(sizeof header);
        std::memcpy(request.data() + sizeof header, unixFolder.c_str(), unixFolder.size() + 1);
    }
    std::memcpy(request.data(), &header, sizeof header);

    CFileHandle manager(::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!manager)
        return false;
    DWORD returned = 0;
    return ::DeviceIoControl(manager.Get(), kDefineUnixDrive, request.data(), DWORD(request.size()), nullptr, 0,
                             &returned, nullptr) != FALSE;
}

} // namespace

std::wstring DeviceInterfacePath(const std::wstring& instanceId, const std::wstring& interfaceClass)
{
    std::wstring path = L"\\??\\" + instanceId + L"#" + interfaceClass;
    for (size_t i = 4; i < path.size(); ++i) {
        if (path[i] == L'\\')
            path[i] = L'#';
    }
    return path;
}

std::vector<wchar_t> FreeDriveLetters(size_t count)
{
    std::vector<wchar_t> letters;
    const DWORD used = ::GetLogicalDrives();
    for (wchar_t letter = L'D'; letter <= L'Y' && letters.size() < count; ++letter) {
        if (!(used & (1u << (letter - L'A'))))
            letters.push_back(letter);
    }
    return letters;
}

bool SetMountedDeviceValue(wchar_t letter, const std::wstring& text)
{
    CRegKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\MountedDevices", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          key.Receive(), nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring name = std::wstring(L"\\DosDevices\\") + wchar_t(towupper(letter)) + L":";
    if (text.empty()) {
        LONG result = ::RegDeleteValueW(key.Get(), name.c_str());
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    return ::RegSetValueExW(key.Get(), name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(text.data()),
                            DWORD(text.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

CPluggedCdrom::CPluggedCdrom(wchar_t letter, const std::wstring& cdromInstanceId, Medium medium)
    : m_letter(wchar_t(towupper(letter)))
{
    // Without a medium the drive points at a folder that does not exist:
    // it stays a CD-ROM drive whose space query fails.
    std::string folder = "/nonexistent/orv-empty-cdrom";
    if (medium == Medium::Present) {
        m_medium = std::make_unique<CTempDir>(L"cd");
        folder = UnixPathOf(m_medium->Path());
    }
    m_plugged = !folder.empty() && DefineDrive(m_letter, kDriveTypeCdrom, folder);
    // The mount manager records its own value first; ours replaces it.
    if (m_plugged)
        m_plugged = SetMountedDeviceValue(m_letter, cdromInstanceId.empty() ? std::wstring()
                                                                            : DeviceInterfacePath(cdromInstanceId));
}

CPluggedCdrom::~CPluggedCdrom()
{
    DefineDrive(m_letter, kDriveTypeNone, std::string());
    SetMountedDeviceValue(m_letter, std::wstring());
}

} // namespace testing_support
