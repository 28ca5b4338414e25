#include "cdrom_tools.h"
#include "device_manager.h"

#include "modem_devices.h"

#include <gtest/gtest.h>

#include <cfgmgr32.h>

namespace {

using SimulatedDeviceTreeTest = SimulatedDevicesTest;

std::vector<std::wstring> UsbIds(IDeviceTree& tree)
{
    std::vector<std::wstring> ids;
    auto set = tree.OpenUsbDevices();
    DeviceInfo device;
    for (DWORD index = 0; set && set->EnumDevice(index, device); ++index) {
        std::wstring id;
        EXPECT_TRUE(set->GetInstanceId(device, 1000, id));
        ids.push_back(id);
    }
    return ids;
}

TEST_F(SimulatedDeviceTreeTest, ReadsTheFileAfreshAtEveryEnumeration)
{
    EXPECT_TRUE(UsbIds(m_tree).empty()) << "no file: no devices";
    Describe(L"[USB\\VID_1\\A]\n[USBSTOR\\DISK\\B]\nParent=USB\\VID_1\\A\n[USB\\VID_2\\C]\nPresent=0\n");
    EXPECT_EQ(std::vector<std::wstring>{L"USB\\VID_1\\A"}, UsbIds(m_tree));
    Describe(L"; comment\n[usb\\VID_3\\D]\n[USB\\VID_4\\E]\n");
    EXPECT_EQ((std::vector<std::wstring>{L"usb\\VID_3\\D", L"USB\\VID_4\\E"}), UsbIds(m_tree));
}

TEST_F(SimulatedDeviceTreeTest, NodesWalkLikeTheConfigurationManager)
{
    Describe(L"[USB\\HUB\\1]\n[USB\\A\\1]\nParent=USB\\HUB\\1\n[X\\CHILD\\1]\nParent=usb\\a\\1\n"
             L"[USB\\B\\2]\nParent=USB\\HUB\\1\n[USB\\C\\3]\nParent=USB\\NOT_DESCRIBED\\9\n");
    auto set = m_tree.OpenUsbDevices();
    ASSERT_TRUE(set);
    DeviceInfo hub;
    ASSERT_TRUE(set->EnumDevice(0, hub));
    DeviceNode node = 0;
    std::wstring id;
    ASSERT_EQ(DWORD(CR_SUCCESS), m_tree.GetFirstChild(hub.node, node));
    ASSERT_EQ(DWORD(CR_SUCCESS), m_tree.GetDeviceId(node, 200, id));
    EXPECT_EQ(L"USB\\A\\1", id);
    DeviceNode grandchild = 0;
    ASSERT_EQ(DWORD(CR_SUCCESS), m_tree.GetFirstChild(node, grandchild));
    ASSERT_EQ(DWORD(CR_SUCCESS), m_tree.GetDeviceId(grandchild, 200, id));
    EXPECT_EQ(L"X\\CHILD\\1", id);
    ASSERT_EQ(DWORD(CR_SUCCESS), m_tree.GetNextSibling(node, node));
    ASSERT_EQ(DWORD(CR_SUCCESS), m_tree.GetDeviceId(node, 200, id));
    EXPECT_EQ(L"USB\\B\\2", id);
    EXPECT_NE(DWORD(CR_SUCCESS), m_tree.GetNextSibling(node, node));
    EXPECT_NE(DWORD(CR_SUCCESS), m_tree.GetParent(hub.node, node)) << "no parent described";
    EXPECT_EQ(DWORD(CR_BUFFER_SMALL), m_tree.GetDeviceId(hub.node, 8, id)) << "9 characters";

    DeviceInfo orphan;
    ASSERT_TRUE(set->EnumDevice(3, orphan));
    ASSERT_EQ(DWORD(CR_SUCCESS), m_tree.GetParent(orphan.node, node));
    ASSERT_EQ(DWORD(CR_SUCCESS), m_tree.GetDeviceId(node, 200, id));
    EXPECT_EQ(L"USB\\NOT_DESCRIBED\\9", id) << "a parent without a section is a bare node";
    EXPECT_FALSE(set->EnumDevice(4, orphan)) << "bare nodes are in no set";
}

TEST_F(SimulatedDeviceTreeTest, ReadsUtf8Descriptions)
{
    testing_support::WriteBytes(m_tree.GetDescriptionPath(),
                                "\xEF\xBB\xBF[USB\\VID_3C5D&PID_1403\\S1]\r\n"
                                "[USB\\VID_3C5D&PID_1403&MI_02\\7&1]\r\nParent=USB\\VID_3C5D&PID_1403\\S1\r\n"
                                "Interfaces={86e0d1e0-8089-11d0-9ce4-08003e301f73}\r\n"
                                "FriendlyName=Modem NMEA \xC3\xA9\xE2\x82\xAC (COM5)\r\nPortName=COM5\r\n");
    const std::vector<DevicePort> ports = EnumSerialPorts(kComPortInterfaceClass);
    ASSERT_EQ(1u, ports.size());
    EXPECT_EQ(L"Modem NMEA \x00e9\x20ac (COM5)", ports[0].friendlyName);
    EXPECT_EQ(L"S1", ports[0].serial);
}

// Hardware can report anything: every discovery function must come through
// a tree of extreme identifiers and properties without harm.
TEST_F(SimulatedDeviceTreeTest, DiscoverySurvivesExtremeTrees)
{
    const std::wstring huge(100000, L'Z');
    const std::wstring hugeUsb = L"USB\\VID_3C5D&PID_1403\\" + huge;
    std::wstring text;
    text += L"[" + hugeUsb + L"]\nClass={4D36E972-E325-11CE-BFC1-08002BE10318}\n"
            L"Interfaces={86E0D1E0-8089-11D0-9CE4-08003E301F73}\nFriendlyName=NMEA" + huge + L"\n"
            L"DeviceDesc=" + huge + L"\nHardwareIds=USB\\VID_3C5D&PID_1403" + huge + L"\nPortName=" + huge + L"\n";
    text += L"[USB\\" + huge + L"]\nParent=" + hugeUsb + L"\n";
    text += L"[USB\\]\nParent=USB\\\n";   // its own parent
    text += L"[USB\\LOOP\\A]\nParent=USB\\LOOP\\B\n[USB\\LOOP\\B]\nParent=USB\\LOOP\\A\n";
    text += L"[\\\\\\]\nInterfaces={86E0D1E0-8089-11D0-9CE4-08003E301F73}\nFriendlyName=NMEA\nParent=\\\n";
    text += L"[USB\\VID_3C5D&PID_1403&MI_00\\X]\nParent=" + hugeUsb +
            L"\nClass={4D36E972-E325-11CE-BFC1-08002BE10318}\nHardwareIds=\nFriendlyName=\n";
    text += L"[USB\\VID_3C5D&PID_1403&MI_01\\Y]\nParent=" + hugeUsb +
            L"\nClass={4D36E972-E325-11CE-BFC1-08002BE10318}\nHardwareIds=,,,\n";
    text += L"[unterminated section\nFriendlyName=NMEA\nno equals sign here\n=value without key\n[]\n";
    Describe(text);

    CDeviceManager manager;
    EXPECT_TRUE(manager.GetDevicePorts().empty());
    EXPECT_TRUE(InspectNetAdapters::Find().empty());
    CStlStringW instanceId;
    EXPECT_FALSE(CCdRomTools::EnumDeviceForNorvaneCdrom(L"\\??\\" + CStlStringW(huge), instanceId));
    EXPECT_FALSE(CCdRomTools::EnumDeviceForNorvaneCdrom(L"", instanceId));
}

} // namespace
