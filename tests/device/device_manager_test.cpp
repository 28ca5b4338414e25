#include "device_manager.h"

#include "debug_capture.h"
#include "log_reader.h"
#include "modem_devices.h"

#include <gtest/gtest.h>

namespace {

using modem::Device;

const wchar_t kSerial[] = L"1234567890AB";
const wchar_t kComposite[] = L"USB\\VID_3C5D&PID_1403\\1234567890AB";

// A port below the modem's composite device.
Device Port(const std::wstring& suffix, const std::wstring& friendlyName, const std::wstring& portName,
            const std::wstring& parent = kComposite)
{
    Device port{L"USB\\VID_3C5D&PID_1403&MI_" + suffix, parent, modem::kPortsClass, modem::kComPortInterface};
    port.friendlyName = friendlyName;
    port.portName = portName;
    return port;
}

// A network adapter below the modem's composite device.
Device Adapter(const std::wstring& suffix, const std::wstring& hardwareId, std::optional<std::wstring> friendlyName,
               const std::wstring& parent = kComposite)
{
    Device adapter{L"USB\\VID_3C5D&PID_1403&MI_" + suffix, parent, modem::kNetClass};
    adapter.hardwareIds = hardwareId + L",USB\\VID_3C5D&PID_1403&MI_00";
    adapter.friendlyName = friendlyName;
    adapter.description = L"Adapter " + suffix;
    return adapter;
}

Device Composite(const std::wstring& id = kComposite)
{
    Device device{id, modem::kRootHub, modem::kUsbClass};
    device.description = L"USB Composite Device";
    return device;
}

struct Expected {
    std::wstring kind, portName, friendlyName, serial;
};

void ExpectPorts(const std::vector<Expected>& expected, const std::vector<DevicePort>& ports)
{
    ASSERT_EQ(expected.size(), ports.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].kind, ports[i].kind);
        EXPECT_EQ(expected[i].portName, ports[i].portName);
        EXPECT_EQ(expected[i].friendlyName, ports[i].friendlyName);
        EXPECT_EQ(expected[i].serial, ports[i].serial);
        EXPECT_EQ(L"3C5D", ports[i].vid);
    }
}

using DeviceManagerTest = SimulatedDevicesTest;

TEST_F(DeviceManagerTest, ModemModeGivesTheNmeaPortThenTheAdapter)
{
    Describe(modem::ModemMode(kSerial, L"COM5"));
    testing_support::CLogTail mark;
    testing_support::CDebugOutputCapture trace;
    ASSERT_TRUE(trace.IsActive());
    CDeviceManager manager;
    const std::vector<DevicePort> ports = manager.GetDevicePorts();
    ExpectPorts({{L"NMEA", L"COM5", L"Norvane Mobile Modem NMEA Device (COM5)", kSerial},
                 {L"NDIS", L"", L"Norvane Mobile Broadband Network Adapter", kSerial}},
                ports);
    EXPECT_EQ(L"1403", ports[0].pid);
    EXPECT_TRUE(mark.NewLines().empty()) << "port discovery writes no log lines";
    EXPECT_EQ(std::vector<std::string>{"InspectNetAdapters::Find Norvane NetAdapter"}, trace.Messages());
}

TEST_F(DeviceManagerTest, SerialPortsKeptAndDropped)
{
    const std::wstring longName = L"NMEA " + std::wstring(300, L'n');
    struct Case {
        const char* name;
        std::wstring devices;
        std::vector<Expected> ports;
    } cases[] = {
        {"NMEA port listed, diagnostics port not",
         Composite().Text() + Port(L"02\\7&1&0&2", L"Modem NMEA Device (COM7)", L"COM7").Text() +
             Port(L"03\\7&1&0&3", L"Modem Diagnostics Interface", L"COM8").Text(),
         {{L"NMEA", L"COM7", L"Modem NMEA Device (COM7)", kSerial}}},
        {"an AT port counts as NMEA too",
         Composite().Text() + Port(L"01\\7&1&0&1", L"Modem AT Port (COM3)", L"COM3").Text(),
         {{L"NMEA", L"COM3", L"Modem AT Port (COM3)", kSerial}}},
        {"the name test is case-sensitive",
         Composite().Text() + Port(L"01\\7&1&0&1", L"Modem nmea at port", L"COM3").Text(), {}},
        {"ports keep enumeration order",
         Composite().Text() + Port(L"04\\7&1&0&4", L"Second NMEA (COM12)", L"COM12").Text() +
             Port(L"02\\7&1&0&2", L"First NMEA (COM4)", L"COM4").Text(),
         {{L"NMEA", L"COM12", L"Second NMEA (COM12)", kSerial}, {L"NMEA", L"COM4", L"First NMEA (COM4)", kSerial}}},
        {"a port below an interface takes its direct parent's suffix",
         Composite().Text() + Device{L"USB\\VID_3C5D&PID_1403&MI_02\\7&AB&0&2", kComposite, modem::kUsbClass}.Text() +
             Device{L"NORVANE\\NMEA\\8&CD&0&0", L"USB\\VID_3C5D&PID_1403&MI_02\\7&AB&0&2", modem::kPortsClass,
                    modem::kComPortInterface, L"NMEA Device (COM5)", std::nullopt, std::nullopt, L"COM5"}
                 .Text(),
         {{L"NMEA", L"COM5", L"NMEA Device (COM5)", L"7&AB&0&2"}}},
        {"another vendor's port is dropped",
         Composite(L"USB\\VID_12D1&PID_1506\\ABC").Text() +
             Port(L"02\\7&1&0&2", L"Other NMEA Device (COM6)", L"COM6", L"USB\\VID_12D1&PID_1506\\ABC").Text(),
         {}},
        {"a port without a parent is dropped", Port(L"02\\7&1&0&2", L"NMEA Device (COM6)", L"COM6", L"").Text(), {}},
        {"a port without a port name keeps an empty one",
         Composite().Text() + Device{L"USB\\VID_3C5D&PID_1403&MI_02\\7&1&0&2", kComposite, modem::kPortsClass,
                                     modem::kComPortInterface, L"NMEA Device"}
                                  .Text(),
         {{L"NMEA", L"", L"NMEA Device", kSerial}}},
        {"a port name longer than 200 characters is left empty",
         Composite().Text() + Port(L"02\\7&1&0&2", L"NMEA Device", std::wstring(201, L'C')).Text(),
         {{L"NMEA", L"", L"NMEA Device", kSerial}}},
        {"a port name of 199 characters is read",
         Composite().Text() + Port(L"02\\7&1&0&2", L"NMEA Device", std::wstring(199, L'C')).Text(),
         {{L"NMEA", std::wstring(199, L'C'), L"NMEA Device", kSerial}}},
        {"a friendly name longer than 200 characters is not read", Composite().Text() +
                                                                      Port(L"02\\7&1&0&2", longName, L"COM5").Text(),
         {}},
        {"a parent identifier longer than 200 characters",
         Composite(L"USB\\VID_3C5D&PID_1403\\" + std::wstring(200, L'S')).Text() +
             Port(L"02\\7&1&0&2", L"NMEA Device", L"COM5", L"USB\\VID_3C5D&PID_1403\\" + std::wstring(200, L'S'))
                 .Text(),
         {}},
        {"odd characters pass through", Composite().Text() +
                                            Port(L"02\\7&1&0&2", L"NMEA \x00e9[]=;\"%s%n (COM5)", L"COM5").Text(),
         {{L"NMEA", L"COM5", L"NMEA \x00e9[]=;\"%s%n (COM5)", kSerial}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Describe(c.devices);
        ExpectPorts(c.ports, EnumSerialPorts(kComPortInterfaceClass));
    }
}

TEST_F(DeviceManagerTest, NetworkAdapterRecognised)
{
    const std::wstring pid1403 = L"USB\\VID_3C5D&PID_1403&REV_0231&MI_00";
    struct Case {
        const char* name;
        std::wstring devices;
        std::vector<Expected> adapters;
    } cases[] = {
        {"maker's adapter", Composite().Text() + Adapter(L"00\\7&1&0&0", pid1403, L"Modem Adapter").Text(),
         {{L"NDIS", L"", L"Modem Adapter", kSerial}}},
        {"every product ID of the list",
         Composite().Text() + Adapter(L"00\\7&1&0&0", L"USB\\VID_3C5D&PID_1414&MI_00", L"A1414").Text(),
         {{L"NDIS", L"", L"A1414", kSerial}}},
        {"hardware id in lower case",
         Composite().Text() + Adapter(L"00\\7&1&0&0", L"usb\\vid_3c5d&pid_1410&mi_00", L"Lower").Text(),
         {{L"NDIS", L"", L"Lower", kSerial}}},
        {"PID_1405 is not recognised",
         Composite().Text() + Adapter(L"00\\7&1&0&0", L"USB\\VID_3C5D&PID_1405&MI_00", L"Other").Text(), {}},
        {"another vendor", Composite().Text() + Adapter(L"00\\7&1&0&0", L"USB\\VID_12D1&PID_1403", L"X").Text(), {}},
        {"of two adapters only the first",
         Composite().Text() + Adapter(L"00\\7&1&0&0", pid1403, L"First").Text() +
             Adapter(L"01\\7&1&0&1", pid1403, L"Second").Text(),
         {{L"NDIS", L"", L"First", kSerial}}},
        {"no friendly name: the description",
         Composite().Text() + Adapter(L"00\\7&1&0&0", pid1403, std::nullopt).Text(),
         {{L"NDIS", L"", L"Adapter 00\\7&1&0&0", kSerial}}},
        {"empty friendly name: the description", Composite().Text() + Adapter(L"00\\7&1&0&0", pid1403, L"").Text(),
         {{L"NDIS", L"", L"Adapter 00\\7&1&0&0", kSerial}}},
        {"parent of another vendor drops the adapter",
         Composite(L"USB\\VID_12D1&PID_1506\\ABC").Text() +
             Adapter(L"00\\7&1&0&0", pid1403, L"X", L"USB\\VID_12D1&PID_1506\\ABC").Text(),
         {}},
        {"first matching adapter has no usable parent: nothing, the second is not tried",
         Composite().Text() + Adapter(L"00\\7&1&0&0", pid1403, L"First", L"").Text() +
             Adapter(L"01\\7&1&0&1", pid1403, L"Second").Text(),
         {}},
        {"hardware ids larger than 512 bytes are not read",
         Composite().Text() + Adapter(L"00\\7&1&0&0", pid1403 + std::wstring(250, L'X'), L"Long").Text(), {}},
        {"friendly name longer than the buffer: the description",
         Composite().Text() + Adapter(L"00\\7&1&0&0", pid1403, std::wstring(1024, L'F')).Text(),
         {{L"NDIS", L"", L"Adapter 00\\7&1&0&0", kSerial}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Describe(c.devices);
        ExpectPorts(c.adapters, InspectNetAdapters::Find());
    }
}

TEST_F(DeviceManagerTest, NmeaEntriesComeBeforeTheAdapter)
{
    // The adapter is enumerated before the ports, and ports of other kinds
    // or vendors are left out.
    Describe(Composite().Text() + Adapter(L"00\\7&1&0&0", L"USB\\VID_3C5D&PID_1403&MI_00", L"Adapter").Text() +
             Port(L"02\\7&1&0&2", L"NMEA Device (COM5)", L"COM5").Text() +
             Port(L"03\\7&1&0&3", L"Diagnostics Interface (COM6)", L"COM6").Text() +
             Port(L"04\\7&1&0&4", L"AT Interface (COM7)", L"COM7").Text());
    ExpectPorts({{L"NMEA", L"COM5", L"NMEA Device (COM5)", kSerial},
                 {L"NMEA", L"COM7", L"AT Interface (COM7)", kSerial},
                 {L"NDIS", L"", L"Adapter", kSerial}},
                CDeviceManager().GetDevicePorts());
}

TEST_F(DeviceManagerTest, NothingPresentGivesEmptyLists)
{
    Describe(L"");
    CDeviceManager manager;
    EXPECT_TRUE(manager.GetDevicePorts().empty());
    EXPECT_TRUE(manager.GetCdroms().empty());
}

} // namespace
