// The Win32 device tree under Wine: Wine lists a few devices of its own and
// none of the modem's, so every query must run without harm and discovery
// must find nothing.
#include "device_manager.h"
#include "win32_device_tree.h"

#include "cdrom_plug.h"
#include "modem_devices.h"

#include <gtest/gtest.h>

namespace {

// Walks every member of a set with every query the discovery uses.
size_t WalkSet(IDeviceTree& tree, IDeviceSet& set, bool interfaces)
{
    size_t count = 0;
    DeviceInfo device;
    for (DWORD index = 0; index < 1000; ++index) {
        if (interfaces) {
            InterfaceStep step = set.EnumInterface(index, device);
            if (step == InterfaceStep::End)
                break;
            if (step == InterfaceStep::Skip)
                continue;
        } else if (!set.EnumDevice(index, device)) {
            break;
        }
        ++count;
        std::wstring text;
        set.GetInstanceId(device, 260, text);
        set.GetProperty(device, DeviceProperty::FriendlyName, 400, text);
        set.GetProperty(device, DeviceProperty::DeviceDescription, 2048, text);
        set.GetProperty(device, DeviceProperty::HardwareIds, 512, text);
        set.GetProperty(device, DeviceProperty::HardwareIds, 2, text);
        if (auto key = set.OpenHardwareKey(device))
            key->ReadString(L"PortName", 200, text);
        DeviceNode node = 0;
        tree.GetDeviceId(device.node, 260, text);
        tree.GetDeviceId(device.node, 1, text);
        if (tree.GetParent(device.node, node) == 0)
            tree.GetDeviceId(node, 200, text);
        if (tree.GetFirstChild(device.node, node) == 0)
            tree.GetNextSibling(node, node);
    }
    return count;
}

TEST(Win32DeviceTree, IsTheDefaultAndAnswersEveryQuery)
{
    IDeviceTree& tree = GetDeviceTree();
    ASSERT_NE(nullptr, dynamic_cast<CWin32DeviceTree*>(&tree));

    if (auto set = tree.OpenUsbDevices())
        WalkSet(tree, *set, false);
    if (auto set = tree.OpenSetupClass(kNetAdapterSetupClass))
        WalkSet(tree, *set, false);
    if (auto set = tree.OpenInterfaceClass(kComPortInterfaceClass))
        WalkSet(tree, *set, true);
    const GUID displayClass = {0x4D36E968, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    if (auto set = tree.OpenSetupClass(displayClass))
        WalkSet(tree, *set, false);
}

TEST(Win32DeviceTree, FindsNoneOfTheMakersDevices)
{
    const std::vector<wchar_t> letters = testing_support::FreeDriveLetters(1);
    ASSERT_EQ(1u, letters.size());
    testing_support::CPluggedCdrom drive(letters[0], modem::CdromId(L"1234567890AB"));
    ASSERT_TRUE(drive.IsPlugged());

    CStlStringW mountName;
    ASSERT_TRUE(CCdRomTools::GetCdromMountName(drive.Drive(), mountName));
    CStlStringW instanceId;
    EXPECT_FALSE(CCdRomTools::EnumDeviceForNorvaneCdrom(mountName, instanceId));
    CDeviceManager manager;
    EXPECT_TRUE(manager.GetCdroms().empty());
    EXPECT_TRUE(manager.GetDevicePorts().empty());
    EXPECT_TRUE(EnumSerialPorts(kComPortInterfaceClass).empty());
}

} // namespace
