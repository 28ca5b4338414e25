// Recognising the maker's CD-ROM drives (USB vendor 3C5D): the drive's
// mount-manager entry is joined with the USB device tree to find the device
// behind a drive letter and its vendor, product and serial number.
#pragma once

#include "stl_string.h"

#include <vector>

// The identity of one of the maker's USB devices, taken from its instance
// identifier USB\VID_xxxx&PID_yyyy\serial (all upper case).
struct UsbDeviceId {
    CStlStringW vid;
    CStlStringW pid;
    CStlStringW serial;
};

// A maker's CD-ROM drive and the device behind it; drive is "E:".
struct CdromDevice : UsbDeviceId {
    CStlStringW drive;
};

class CCdRomTools {
public:
    // The drive's "SYSTEM\MountedDevices" entry, upper-cased with "#" turned
    // into "\"; false when the entry could not be read.
    static bool GetCdromMountName(const CStlStringW& drive, CStlStringW& mountName);
    // The instance identifier of the present USB device owning the drive
    // (the composite device for an interface of one).
    static bool EnumDeviceForNorvaneCdrom(const CStlStringW& mountName, CStlStringW& instanceId);
    // True when the drive reports a medium with a nonzero total size.
    static bool IsCdromReady(const CStlStringW& drive);
};

// Splits a USB instance identifier into its parts; true when it is well
// formed and of vendor 3C5D (the fields are filled either way).
bool ParseUsbInstanceId(const CStlStringW& instanceId, UsbDeviceId& id);

// True when the drive is a CD-ROM of one of the maker's devices.
bool CheckCdrom(const CStlStringW& drive, CdromDevice& device);

// Every CD-ROM drive of the maker's devices, in drive-letter order.
std::vector<CdromDevice> EnumCdroms();
