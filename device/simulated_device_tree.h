// A device tree played from a description file, for tests and for programs
// built with the ORV_SIMULATED_DEVICES option (end-to-end runs under Wine,
// whose own device tree holds none of the modem's devices).
//
// The file is read afresh whenever a device set is opened, so rewriting it
// plugs and unplugs devices as Windows would show them at the next call.
// Text: UTF-16LE with a byte-order mark, or UTF-8.  Lines starting with ";"
// are comments.  One section per device instance, in enumeration order:
//
//   [USB\VID_3C5D&PID_1225\1234567890AB]   the device's instance identifier
//   InstanceId=...      replaces the section name (identifiers with "]")
//   Parent=...          the parent's instance identifier; a parent without a
//                       section is a bare node (no properties, in no set)
//   Class={...}         setup class
//   Interfaces={...},{...}  device-interface classes the device exposes
//   FriendlyName=...    registry properties; a missing key is a missing
//   DeviceDesc=...      property, an empty value an empty one
//   HardwareIds=a,b     hardware identifiers, first one first
//   PortName=COM5       "PortName" value of the device's hardware key
//   Present=0           described, but not present
//
// A device's enumerator is its identifier up to the first backslash.
#pragma once

#include "device_tree.h"

#include <functional>
#include <memory>
#include <string>

class CSimulatedDeviceTree : public IDeviceTree {
public:
    explicit CSimulatedDeviceTree(std::wstring descriptionPath);
    ~CSimulatedDeviceTree() override;

    const std::wstring& GetDescriptionPath() const { return m_path; }

    std::unique_ptr<IDeviceSet> OpenUsbDevices() override;
    std::unique_ptr<IDeviceSet> OpenSetupClass(const GUID& setupClass) override;
    std::unique_ptr<IDeviceSet> OpenInterfaceClass(const GUID& interfaceClass) override;
    DWORD GetFirstChild(DeviceNode node, DeviceNode& child) override;
    DWORD GetNextSibling(DeviceNode node, DeviceNode& sibling) override;
    DWORD GetParent(DeviceNode node, DeviceNode& parent) override;
    DWORD GetDeviceId(DeviceNode node, size_t maxChars, std::wstring& id) override;

    struct Device;
    struct Snapshot;

private:
    // A set of the present devices; count tells how often a device is in it.
    std::unique_ptr<IDeviceSet> OpenMatching(bool interfaces,
                                             const std::function<size_t(const Device&)>& count);
    std::shared_ptr<const Snapshot> Current();
    std::shared_ptr<const Snapshot> Reload();

    std::wstring m_path;
    std::shared_ptr<const Snapshot> m_snapshot;
};

// The fixed place where programs built for simulated devices read their
// description: <all-users application data>\OrvSimulator\Devices.ini
// (CSIDL_COMMON_APPDATA, under Wine C:\ProgramData\OrvSimulator\Devices.ini).
std::wstring GetSimulatedDeviceFilePath();
