#include "device_manager.h"

#include <cfgmgr32.h>

#include <iterator>

const GUID kComPortInterfaceClass = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};
const GUID kNetAdapterSetupClass = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

namespace {

constexpr size_t kPortTextChars = 200;
constexpr size_t kParentIdChars = 200;
constexpr size_t kHardwareIdBytes = 512;
constexpr size_t kAdapterNameBytes = 2048;

const wchar_t* const kAdapterProductIds[] = {L"PID_1403", L"PID_1410", L"PID_1411",
                                             L"PID_1412", L"PID_1413", L"PID_1414"};

bool Contains(const std::wstring& text, const wchar_t* part)
{
    return text.find(part) != std::wstring::npos;
}

// The maker's network adapter: its first hardware identifier names the
// maker's vendor and one of the adapter product IDs.
bool IsNorvaneAdapter(IDeviceSet& set, const DeviceInfo& device)
{
    std::wstring hardwareId;
    if (!set.GetProperty(device, DeviceProperty::HardwareIds, kHardwareIdBytes, hardwareId))
        return false;
    const CStlStringW upper = CStlStringW(hardwareId).MakeUpperAscii();
    if (!Contains(upper, L"USB\\VID_3C5D"))
        return false;
    for (const wchar_t* productId : kAdapterProductIds) {
        if (Contains(upper, productId))
            return true;
    }
    return false;
}

void AppendKind(std::vector<DevicePort>& result, const std::vector<DevicePort>& ports, const wchar_t* kind)
{
    for (const auto& port : ports) {
        if (CStlStringW(port.kind).MakeUpperAscii() == kind)
            result.push_back(port);
    }
}

} // namespace

std::vector<DevicePort> CDeviceManager::GetDevicePorts()
{
    std::vector<DevicePort> ports = EnumSerialPorts(kComPortInterfaceClass);
    std::vector<DevicePort> result;
    AppendKind(result, ports, L"NMEA");
    const std::vector<DevicePort> adapters = InspectNetAdapters::Find();
    ports.insert(ports.end(), adapters.begin(), adapters.end());
    AppendKind(result, ports, L"NDIS");
    return result;
}

std::vector<CdromDevice> CDeviceManager::GetCdroms()
{
    return EnumCdroms();
}

bool CDeviceManager::IsCdromReady(const CStlStringW& drive)
{
    return CCdRomTools::IsCdromReady(drive);
}

std::vector<DevicePort> EnumSerialPorts(const GUID& interfaceClass)
{
    std::vector<DevicePort> ports;
    std::unique_ptr<IDeviceSet> set = GetDeviceTree().OpenInterfaceClass(interfaceClass);
    if (!set)
        return ports;

    DeviceInfo device;
    InterfaceStep step;
    for (DWORD index = 0; (step = set->EnumInterface(index, device)) != InterfaceStep::End; ++index) {
        if (step != InterfaceStep::Device)
            continue;
        std::unique_ptr<IDeviceKey> key = set->OpenHardwareKey(device);
        if (!key)
            continue;
        DevicePort port;
        if (GetPortInfo(key.get(), *set, device, port) && GetParentUsbId(device.node, port))
            ports.push_back(port);
    }
    return ports;
}

std::vector<DevicePort> InspectNetAdapters::Find()
{
    std::vector<DevicePort> adapters;
    std::unique_ptr<IDeviceSet> set = GetDeviceTree().OpenSetupClass(kNetAdapterSetupClass);
    if (!set)
        return adapters;

    DeviceInfo device;
    bool found = false;
    for (DWORD index = 0; !found && set->EnumDevice(index, device); ++index)
        found = IsNorvaneAdapter(*set, device);
    if (!found)
        return adapters;

    std::wstring name;
    if (!set->GetProperty(device, DeviceProperty::FriendlyName, kAdapterNameBytes, name) || name.empty()) {
        name.clear();
        set->GetProperty(device, DeviceProperty::DeviceDescription, kAdapterNameBytes, name);
    }
    DevicePort adapter;
    adapter.friendlyName = name;
    if (GetParentUsbId(device.node, adapter)) {
        adapter.kind = L"NDIS";
        adapters.push_back(adapter);
    }
    ::OutputDebugStringW(L"InspectNetAdapters::Find Norvane NetAdapter");
    return adapters;
}

bool GetPortInfo(const IDeviceKey* key, IDeviceSet& set, const DeviceInfo& device, DevicePort& port)
{
    if (!key)
        return false;
    std::wstring portName;
    if (!key->ReadString(L"PortName", kPortTextChars, portName))
        portName.clear();
    std::wstring friendlyName;
    if (!set.GetProperty(device, DeviceProperty::FriendlyName, kPortTextChars * sizeof(wchar_t), friendlyName))
        friendlyName.clear();
    if (!Contains(friendlyName, L"AT") && !Contains(friendlyName, L"NMEA"))
        return false;
    port.portName = portName;
    port.kind = L"NMEA";
    port.friendlyName = friendlyName;
    return true;
}

bool GetParentUsbId(DeviceNode node, UsbDeviceId& id)
{
    IDeviceTree& tree = GetDeviceTree();
    DeviceNode parent = 0;
    std::wstring parentId;
    if (tree.GetParent(node, parent) != CR_SUCCESS || tree.GetDeviceId(parent, kParentIdChars, parentId) != CR_SUCCESS)
        return false;
    return ParseUsbInstanceId(parentId, id);
}
