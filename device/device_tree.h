// The Windows device tree as device discovery reads it: sets of present
// devices (by enumerator, setup class or device-interface class), device
// nodes with their parent, children and identifiers, registry properties and
// one value of a device's hardware key.  Production uses the Win32
// implementation (SetupAPI and the configuration manager); tests and
// simulated builds install a tree described by a file.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

// A device node (DEVINST in the configuration manager).
using DeviceNode = DWORD;

// One member of a device set: its node.
struct DeviceInfo {
    DeviceNode node = 0;
};

// The registry properties device discovery reads.
enum class DeviceProperty {
    FriendlyName,        // SPDRP_FRIENDLYNAME
    DeviceDescription,   // SPDRP_DEVICEDESC
    HardwareIds,         // SPDRP_HARDWAREID (a list; its first entry is returned)
};

// What one step over a set's device interfaces yields.
enum class InterfaceStep {
    End,      // no interface at this index: the walk is over
    Skip,     // an interface whose device could not be learned
    Device,   // the interface's device was learned
};

// A device's hardware key (the "device key" of the driver's registry branch).
class IDeviceKey {
public:
    virtual ~IDeviceKey() = default;
    // Reads a string value of at most maxChars characters; false when the
    // value is missing or does not fit.
    virtual bool ReadString(const std::wstring& name, size_t maxChars, std::wstring& value) const = 0;
};

// A set of present devices, released when the object goes.
class IDeviceSet {
public:
    virtual ~IDeviceSet() = default;
    // The device at index; false when the set has no more devices.
    virtual bool EnumDevice(DWORD index, DeviceInfo& device) = 0;
    // The device behind the interface at index (sets opened by interface class).
    virtual InterfaceStep EnumInterface(DWORD index, DeviceInfo& device) = 0;
    // The device's instance identifier, at most maxChars characters.
    virtual bool GetInstanceId(const DeviceInfo& device, size_t maxChars, std::wstring& id) = 0;
    // A string property read into a buffer of bufferBytes bytes; false when the
    // property is missing or larger than the buffer.
    virtual bool GetProperty(const DeviceInfo& device, DeviceProperty property, size_t bufferBytes,
                             std::wstring& value) = 0;
    // The device's hardware key for reading; null when it cannot be opened.
    virtual std::unique_ptr<IDeviceKey> OpenHardwareKey(const DeviceInfo& device) = 0;
};

class IDeviceTree {
public:
    virtual ~IDeviceTree() = default;
    // Present devices enumerated by "USB", of every class; null on failure
    // with the system's last error set.
    virtual std::unique_ptr<IDeviceSet> OpenUsbDevices() = 0;
    // Present devices of a setup class; null on failure.
    virtual std::unique_ptr<IDeviceSet> OpenSetupClass(const GUID& setupClass) = 0;
    // Present devices exposing an interface class; null on failure.
    virtual std::unique_ptr<IDeviceSet> OpenInterfaceClass(const GUID& interfaceClass) = 0;

    // Node walks and identifiers; each returns a configuration-manager result
    // (CR_SUCCESS = 0 on success).
    virtual DWORD GetFirstChild(DeviceNode node, DeviceNode& child) = 0;
    virtual DWORD GetNextSibling(DeviceNode node, DeviceNode& sibling) = 0;
    virtual DWORD GetParent(DeviceNode node, DeviceNode& parent) = 0;
    // The node's device identifier, at most maxChars characters.
    virtual DWORD GetDeviceId(DeviceNode node, size_t maxChars, std::wstring& id) = 0;
};

// The process-wide device tree: the Win32 one, or in builds made for
// simulated devices the simulated one, unless a test installs another.
IDeviceTree& GetDeviceTree();
// Installs a replacement (null restores the default); returns the previous one.
IDeviceTree* SetDeviceTreeForTesting(IDeviceTree* replacement);
