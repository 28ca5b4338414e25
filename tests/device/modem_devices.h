// The maker's modem (and a few other devices) as Windows shows them, written
// as descriptions for the simulated device tree, and a fixture that installs
// such a tree for the device-discovery functions.
#pragma once

#include "simulated_device_tree.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace modem {

extern const wchar_t kUsbClass[];
extern const wchar_t kCdromClass[];
extern const wchar_t kPortsClass[];
extern const wchar_t kNetClass[];
extern const wchar_t kComPortInterface[];
extern const wchar_t kRootHub[];

// One device instance; Text() gives its section.
struct Device {
    std::wstring id;
    std::wstring parent = kRootHub;
    std::wstring setupClass{};
    std::wstring interfaces{};
    std::optional<std::wstring> friendlyName{};
    std::optional<std::wstring> description{};
    std::optional<std::wstring> hardwareIds{};
    std::optional<std::wstring> portName{};
    bool present = true;

    std::wstring Text() const;
};

// The CD-ROM's instance identifier below a device with this serial number.
std::wstring CdromId(const std::wstring& serial, const std::wstring& vendor = L"Norvane");

// CD-ROM mode: composite device USB\VID_<vid>&PID_<pid>\<serial>, its
// mass-storage interface MI_00 and the USBSTOR CD-ROM below that; without
// composite the CD-ROM hangs directly below the USB device.
std::wstring CdromMode(const std::wstring& serial, bool composite = true, const std::wstring& vid = L"3C5D",
                       const std::wstring& pid = L"1225");

// Modem mode: composite device USB\VID_3C5D&PID_1403\<serial> with the NDIS
// adapter (MI_00), the NMEA port (MI_02) and the diagnostics port (MI_03).
std::wstring ModemMode(const std::wstring& serial, const std::wstring& nmeaPort = L"COM5");

} // namespace modem

// Installs a simulated device tree described by a file of its own.
class SimulatedDevicesTest : public ::testing::Test {
protected:
    SimulatedDevicesTest();
    ~SimulatedDevicesTest() override;

    // Rewrites the description; the next enumeration sees it.
    void Describe(const std::wstring& text);

    testing_support::CTempDir m_dir{L"devices"};
    CSimulatedDeviceTree m_tree;

private:
    IDeviceTree* m_previous = nullptr;
};
