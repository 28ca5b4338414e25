// The Win32 device tree under Wine: Wine lists a few devices of its own and
// none of the modem's, so every query must run without harm and discovery
// must find nothing.
#include "device_manager.h"
#include "win32_device_tree.h"

#include "cdrom_plug.h"
#include "modem_devices.h"
#include "simulated_device_tree.h"

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

// Installs a Win32 tree whatever the build's default is.
class Win32DeviceTreeTest : public ::testing::Test {
protected:
    Win32DeviceTreeTest() { m_previous = SetDeviceTreeForTesting(&m_tree); }
    ~Win32DeviceTreeTest() override { SetDeviceTreeForTesting(m_previous); }
    CWin32DeviceTree m_tree;
    IDeviceTree* m_previous = nullptr;
};

TEST(DefaultDeviceTree, FollowsTheBuild)
{
#ifdef ORV_SIMULATED_DEVICES
    auto* simulated = dynamic_cast<CSimulatedDeviceTree*>(&GetDeviceTree());
    ASSERT_NE(nullptr, simulated);
    EXPECT_EQ(GetSimulatedDeviceFilePath(), simulated->GetDescriptionPath());
#else
    EXPECT_NE(nullptr, dynamic_cast<CWin32DeviceTree*>(&GetDeviceTree()));
#endif
}

TEST_F(Win32DeviceTreeTest, AnswersEveryQuery)
{
    IDeviceTree& tree = m_tree;

    if (auto set = tree.OpenUsbDevices())
        WalkSet(tree, *set, false);
    if (auto set = tree.OpenSetupClass(kNetAdapterSetupClass))
        WalkSet(tree, *set, false);
    if (auto set = tree.OpenInterfaceClass(kComPortInterfaceClass))
        WalkSet(tree, *set, true);
    // Wine has a display adapter of its own: at least one device is read.
    const GUID displayClass = {0x4D36E968, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
    auto display = tree.OpenSetupClass(displayClass);
    ASSERT_TRUE(display);
    EXPECT_GE(WalkSet(tree, *display, false), 1u);
}

TEST_F(Win32DeviceTreeTest, FindsNoneOfTheMakersDevices)
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

TEST(Win32DeviceKey, ReadsStoredDataWithinItsSize)
{
    const std::wstring path = L"Software\\OrvTest\\DeviceKey" + std::to_wstring(::GetCurrentProcessId());
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &raw, nullptr));
    CWin32DeviceKey key(raw);
    auto set = [&](const wchar_t* name, DWORD type, const std::wstring& data, size_t bytes) {
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(raw, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                                  DWORD(bytes)));
    };
    const std::wstring full(200, L'C');
    set(L"Plain", REG_SZ, L"COM5", 10);
    set(L"Unterminated200", REG_BINARY, full, 400);
    set(L"Terminated200", REG_SZ, full, 402);
    set(L"AfterTerminator", REG_BINARY, std::wstring(L"COM7\0garbage", 12), 24);
    set(L"OddSize", REG_BINARY, L"AB", 3);

    struct Case {
        const wchar_t* name;
        bool read;
        std::wstring value;
    } cases[] = {
        {L"Plain", true, L"COM5"},
        {L"Unterminated200", true, full},
        {L"Terminated200", false, L""},
        {L"AfterTerminator", true, L"COM7"},
        {L"OddSize", true, L"A"},
        {L"Missing", false, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing_support::ToUtf8(c.name));
        std::wstring value;
        EXPECT_EQ(c.read, key.ReadString(c.name, 200, value));
        if (c.read) {
            EXPECT_EQ(c.value, value);
        }
    }
    ::RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

} // namespace
