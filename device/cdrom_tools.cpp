#include "cdrom_tools.h"

#include "device_tree.h"
#include "handles.h"
#include "log.h"

#include <cfgmgr32.h>

#include <vector>

namespace {

constexpr size_t kMountValueBytes = 2048;
constexpr size_t kDeviceIdChars = 260;

// "E:" becomes the root "E:\" that the drive queries expect.
CStlStringW DriveRoot(const CStlStringW& drive)
{
    return (drive.size() == 2 && drive[1] == L':') ? CStlStringW(drive + L"\\") : drive;
}

// True when one of the node's direct children has an identifier that occurs
// in the mount name.
bool ChildOwnsMountName(IDeviceTree& tree, DeviceNode node, const CStlStringW& mountName)
{
    DeviceNode child = 0;
    if (tree.GetFirstChild(node, child) != CR_SUCCESS)
        return false;
    do {
        std::wstring childId;
        const DWORD result = tree.GetDeviceId(child, kDeviceIdChars, childId);
        if (result != CR_SUCCESS) {
            WriteLog(FormatW(L"CCdRomTools::EnumDeviceForNorvaneCdrom   CM_Get_Device_ID failed,errcode=%d",
                             int(result)));
            return false;
        }
        // An empty identifier would "occur" in every name.
        if (!childId.empty() && mountName.find(CStlStringW(childId).MakeUpperAscii()) != std::wstring::npos)
            return true;
    } while (tree.GetNextSibling(child, child) == CR_SUCCESS);
    return false;
}

} // namespace

bool CCdRomTools::GetCdromMountName(const CStlStringW& drive, CStlStringW& mountName)
{
    const CStlStringW valueName = L"\\DosDevices\\" + drive;
    CRegKey key;
    const LONG opened = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\MountedDevices", 0, KEY_QUERY_VALUE,
                                        key.Receive());
    if (opened != ERROR_SUCCESS) {
        // The open reports its error as its result; the log shows that code.
        WriteLog(FormatW(L"CCdRomTools::GetCdromMountName   RegOpenKeyEx failed,errcode=%d", int(opened)));
        return false;
    }

    // Zeroed, with a spare terminator beyond the 2048 bytes the value may fill.
    std::vector<wchar_t> buffer(kMountValueBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD type = 0;
    DWORD size = DWORD(kMountValueBytes);
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &size) != ERROR_SUCCESS)
        return false;
    key.Reset();

    CStlStringW name(buffer.data());
    name.MakeUpperAscii();
    name.ReplaceAll(L"#", L"\\");
    mountName = name;
    return true;
}

bool CCdRomTools::EnumDeviceForNorvaneCdrom(const CStlStringW& mountName, CStlStringW& instanceId)
{
    IDeviceTree& tree = GetDeviceTree();
    std::unique_ptr<IDeviceSet> set = tree.OpenUsbDevices();
    if (!set) {
        WriteLog(FormatW(L"CCdRomTools::EnumDeviceForNorvaneCdrom   SetupDiGetClassDevs failed,errcode=%d",
                         int(::GetLastError())));
        return false;
    }

    DeviceInfo device;
    for (DWORD index = 0; set->EnumDevice(index, device); ++index) {
        if (!ChildOwnsMountName(tree, device.node, mountName))
            continue;
        std::wstring id;
        if (!set->GetInstanceId(device, kDeviceIdChars, id))
            continue;
        // An interface of a composite device: the composite device (its
        // parent) carries the USB serial number.
        if (CStlStringW(id).MakeUpperAscii().find(L"MI_") != std::wstring::npos) {
            DeviceNode parent = 0;
            if (tree.GetParent(device.node, parent) != CR_SUCCESS ||
                tree.GetDeviceId(parent, kDeviceIdChars, id) != CR_SUCCESS)
                continue;
        }
        instanceId = id;
        return true;
    }
    return false;
}

bool CCdRomTools::IsCdromReady(const CStlStringW& drive)
{
    WriteLog(L"CCdRomTools::IsCdromReady Begin");
    WriteLog(drive);
    ULARGE_INTEGER total = {};
    if (::GetDiskFreeSpaceExW(DriveRoot(drive).c_str(), nullptr, &total, nullptr) &&
        static_cast<long long>(total.QuadPart) > 0) {
        WriteLog(L"CCdRomTools::IsCdromReady true");
        return true;
    }
    WriteLog(L"CCdRomTools::IsCdromReady false");
    return false;
}

bool ParseUsbInstanceId(const CStlStringW& instanceId, UsbDeviceId& id)
{
    if (instanceId.size() < 17)
        return false;
    const std::vector<CStlStringW> parts = CStlStringW(instanceId).MakeUpperAscii().Split(L'\\');
    if (parts.size() < 3)
        return false;
    std::vector<CStlStringW> pieces = parts[1].Split(L'&');
    if (pieces.size() < 2)
        return false;
    id.vid = pieces[0].TrimLeft(L"VID_");
    id.pid = pieces[1].TrimLeft(L"PID_");
    id.serial = parts[2];
    // Without a serial number the device cannot be told from any other.
    return id.vid == L"3C5D" && !id.serial.empty();
}

bool CheckCdrom(const CStlStringW& drive, CdromDevice& device)
{
    CStlStringW mountName;
    CStlStringW instanceId;
    UsbDeviceId id;
    if (!CCdRomTools::GetCdromMountName(drive, mountName) ||
        !CCdRomTools::EnumDeviceForNorvaneCdrom(mountName, instanceId) || !ParseUsbInstanceId(instanceId, id))
        return false;
    static_cast<UsbDeviceId&>(device) = id;
    device.drive = drive;
    return true;
}

std::vector<CdromDevice> EnumCdroms()
{
    std::vector<CdromDevice> drives;
    DWORD mask = ::GetLogicalDrives();
    for (int bit = 0; mask != 0 && bit < 26; ++bit, mask >>= 1) {
        if (!(mask & 1))
            continue;
        CStlStringW drive(L"?:");
        drive[0] = wchar_t(L'A' + bit);
        if (::GetDriveTypeW(DriveRoot(drive).c_str()) != DRIVE_CDROM)
            continue;
        CdromDevice device;
        if (CheckCdrom(drive, device))
            drives.push_back(device);
    }
    return drives;
}
