// Finding the maker's serial ports and network adapter among the present
// devices, each identified by the USB device above it, and the service's
// facade over all device discovery.
#pragma once

#include "cdrom_tools.h"
#include "device_tree.h"
#include "stl_string.h"

#include <vector>

// A maker's serial port (kind "NMEA") or network adapter (kind "NDIS"), with
// the identity of its parent USB device.
struct DevicePort : UsbDeviceId {
    CStlStringW portName;       // "COM5"; empty for the network adapter
    CStlStringW friendlyName;   // the adapter's description when it has no friendly name
    CStlStringW kind;
};

// The COM-port device interface class and the network-adapter setup class.
extern const GUID kComPortInterfaceClass;   // {86E0D1E0-8089-11D0-9CE4-08003E301F73}
extern const GUID kNetAdapterSetupClass;    // {4D36E972-E325-11CE-BFC1-08002BE10318}

// Stateless facade used by the service's monitor loop.
class CDeviceManager {
public:
    virtual ~CDeviceManager() = default;
    // The maker's serial ports, then its network adapter, if any.
    std::vector<DevicePort> GetDevicePorts();
    std::vector<CdromDevice> GetCdroms();
    bool IsCdromReady(const CStlStringW& drive);
};

// The present serial ports of the maker's devices exposing the interface class.
std::vector<DevicePort> EnumSerialPorts(const GUID& interfaceClass);

class InspectNetAdapters {
public:
    // At most one record: the first present network adapter of the maker.
    static std::vector<DevicePort> Find();
};

// Fills port name, friendly name and kind of a serial port; true when the
// port is one to keep (its friendly name contains "AT" or "NMEA").  A null
// key counts as an invalid one.
bool GetPortInfo(const IDeviceKey* key, IDeviceSet& set, const DeviceInfo& device, DevicePort& port);

// Fills the record's identity from the node's parent; true when the parent
// is a USB device of vendor 3C5D.
bool GetParentUsbId(DeviceNode node, UsbDeviceId& id);
