#include "cdrom_tools.h"
#include "device_manager.h"

#include "cdrom_plug.h"
#include "handles.h"
#include "log_reader.h"
#include "modem_devices.h"

#include <gtest/gtest.h>

#include <cfgmgr32.h>

using testing_support::CLogTail;
using testing_support::CPluggedCdrom;
using testing_support::FreeDriveLetters;
using testing_support::SetMountedDeviceValue;
using Lines = std::vector<std::wstring>;

namespace {

const wchar_t kMountedDevices[] = L"SYSTEM\\MountedDevices";

std::wstring Lower(std::wstring text)
{
    for (auto& c : text)
        c = wchar_t(towlower(c));
    return text;
}

// Takes "SYSTEM\MountedDevices" away for the object's lifetime and puts it
// back, with every value it held, afterwards.
class CScopedMissingMountedDevices {
public:
    CScopedMissingMountedDevices()
    {
        CRegKey key;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMountedDevices, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
            return;
        for (DWORD index = 0;; ++index) {
            wchar_t name[512];
            DWORD nameChars = 512;
            std::vector<BYTE> data(65536);
            DWORD size = DWORD(data.size());
            DWORD type = 0;
            if (::RegEnumValueW(key.Get(), index, name, &nameChars, nullptr, &type, data.data(), &size) !=
                ERROR_SUCCESS)
                break;
            data.resize(size);
            m_values.push_back({std::wstring(name, nameChars), type, data});
        }
        key.Reset();
        m_removed = ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMountedDevices) == ERROR_SUCCESS;
    }
    ~CScopedMissingMountedDevices()
    {
        CRegKey key;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMountedDevices, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              key.Receive(), nullptr) != ERROR_SUCCESS)
            return;
        for (const auto& value : m_values)
            ::RegSetValueExW(key.Get(), value.name.c_str(), 0, value.type, value.data.data(),
                             DWORD(value.data.size()));
    }
    bool Removed() const { return m_removed; }

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> m_values;
    bool m_removed = false;
};

class CdromToolsTest : public SimulatedDevicesTest {
protected:
    void SetUp() override
    {
        m_letters = FreeDriveLetters(3);
        ASSERT_EQ(3u, m_letters.size());
    }
    std::vector<wchar_t> m_letters;
};

struct CheckCase {
    const char* name;
    std::wstring devices;
    std::wstring mountedId;   // the CD-ROM the drive's mount-manager value names; empty for none
    bool found;
    std::wstring pid{}, serial{};
    Lines log{};
};

TEST_F(CdromToolsTest, CheckCdromJoinsTheDriveWithTheUsbDevice)
{
    const std::wstring serial = L"1234567890AB";
    const std::wstring cdrom = modem::CdromId(serial);

    modem::Device orphanInterface{L"USB\\VID_3C5D&PID_1225&MI_00\\7&1B3C2D4E&0&0000", L"", modem::kUsbClass};
    modem::Device orphanCdrom{cdrom, orphanInterface.id, modem::kCdromClass};

    // A hub whose child reports an identifier too long for the 260-character
    // read: its walk stops with a log line, the search goes on.
    modem::Device hub{L"USB\\VID_05E3&PID_0608\\5&1A2B&0&1", modem::kRootHub, modem::kUsbClass};
    modem::Device longChild{L"USB\\VID_1234&PID_5678\\" + std::wstring(300, L'9'), hub.id, modem::kUsbClass};
    // A device whose child has an empty identifier: that must not match
    // every mount name.
    modem::Device emptyParent{L"USB\\VID_1111&PID_2222\\X1", modem::kRootHub, modem::kUsbClass};
    modem::Device emptyChild{L"", emptyParent.id};

    std::wstring absent = modem::CdromMode(serial);
    for (size_t at = absent.find(L"\n\n"); at != std::wstring::npos; at = absent.find(L"\n\n", at + 12))
        absent.replace(at, 2, L"\nPresent=0\n\n");

    const CheckCase cases[] = {
        {"composite device yields the composite's serial", modem::CdromMode(serial), cdrom, true, L"1225",
         serial},
        {"single-function device", modem::CdromMode(serial, false), cdrom, true, L"1225", serial},
        {"another vendor's CD-ROM is matched but not accepted",
         modem::CdromMode(L"4C530001", true, L"0781", L"5567"), modem::CdromId(L"4C530001", L"Other"), false},
        {"tree in lower case", Lower(modem::CdromMode(serial)), cdrom, true, L"1225", serial},
        {"mount value in lower case", modem::CdromMode(serial), Lower(cdrom), true, L"1225", serial},
        {"drive unknown to the mount manager", modem::CdromMode(serial), L"", false},
        {"device not present", absent, cdrom, false},
        {"no devices at all", L"", cdrom, false},
        {"composite interface without a parent", orphanInterface.Text() + orphanCdrom.Text(), cdrom, false},
        {"child identifier too long", hub.Text() + longChild.Text() + modem::CdromMode(serial), cdrom, true,
         L"1225", serial, {L"CCdRomTools::EnumDeviceForNorvaneCdrom   CM_Get_Device_ID failed,errcode=26"}},
        {"empty child identifier", emptyParent.Text() + emptyChild.Text(), cdrom, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Describe(c.devices);
        CPluggedCdrom drive(m_letters[0], c.mountedId);
        ASSERT_TRUE(drive.IsPlugged());

        CLogTail mark;
        CdromDevice device;
        EXPECT_EQ(c.found, CheckCdrom(drive.Drive(), device));
        EXPECT_EQ(c.log, mark.NewLines());
        if (c.found) {
            EXPECT_EQ(L"3C5D", device.vid);
            EXPECT_EQ(c.pid, device.pid);
            EXPECT_EQ(c.serial, device.serial);
            EXPECT_EQ(drive.Drive(), device.drive);
        }
    }
}

TEST_F(CdromToolsTest, MountNameIsTheUpperCasedInterfacePathWithBackslashes)
{
    const wchar_t letter = m_letters[0];
    const std::wstring drive = std::wstring(1, letter) + L":";
    struct Case {
        const char* name;
        std::wstring value;
        bool read;
        std::wstring mountName{};
    } cases[] = {
        {"interface path", L"\\??\\USBSTOR#CdRom&Ven_Norvane#7&2a41&0&1&0#{53f56308-b6bf-11d0}", true,
         L"\\??\\USBSTOR\\CDROM&VEN_NORVANE\\7&2A41&0&1&0\\{53F56308-B6BF-11D0}"},
        {"only ASCII letters change", L"ab\x00e9\x00fc#z", true, L"AB\x00e9\x00fc\\Z"},
        {"1024 characters without terminator", std::wstring(1024, L'q'), true, std::wstring(1024, L'Q')},
        {"larger than 2048 bytes", std::wstring(1025, L'q'), false},
        {"no value", L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(SetMountedDeviceValue(letter, c.value));
        CLogTail mark;
        CStlStringW mountName;
        EXPECT_EQ(c.read, CCdRomTools::GetCdromMountName(drive, mountName));
        if (c.read) {
            EXPECT_EQ(c.mountName, mountName);
        }
        EXPECT_EQ(Lines(), mark.NewLines());
    }
    SetMountedDeviceValue(letter, L"");
}

TEST_F(CdromToolsTest, MissingMountedDevicesKeyIsLogged)
{
    Describe(modem::CdromMode(L"1234567890AB"));
    CPluggedCdrom drive(m_letters[0], modem::CdromId(L"1234567890AB"));
    ASSERT_TRUE(drive.IsPlugged());
    {
        CScopedMissingMountedDevices missing;
        ASSERT_TRUE(missing.Removed());
        CLogTail mark;
        CdromDevice device;
        EXPECT_FALSE(CheckCdrom(drive.Drive(), device));
        EXPECT_EQ(Lines{L"CCdRomTools::GetCdromMountName   RegOpenKeyEx failed,errcode=2"}, mark.NewLines());
    }
    CdromDevice device;
    EXPECT_TRUE(CheckCdrom(drive.Drive(), device)) << "the key is back";
}

TEST_F(CdromToolsTest, EnumCdromsListsTheMakersDrivesInLetterOrder)
{
    Describe(modem::CdromMode(L"SERIALD") + modem::CdromMode(L"4C530001", true, L"0781", L"5567") +
             modem::CdromMode(L"SERIALF", false));
    CPluggedCdrom d(m_letters[0], modem::CdromId(L"SERIALD"));
    CPluggedCdrom e(m_letters[1], modem::CdromId(L"4C530001", L"Other"));
    CPluggedCdrom f(m_letters[2], modem::CdromId(L"SERIALF"));
    ASSERT_TRUE(d.IsPlugged() && e.IsPlugged() && f.IsPlugged());

    const std::vector<CdromDevice> drives = EnumCdroms();
    ASSERT_EQ(2u, drives.size());
    EXPECT_EQ(d.Drive(), drives[0].drive);
    EXPECT_EQ(L"SERIALD", drives[0].serial);
    EXPECT_EQ(f.Drive(), drives[1].drive);
    EXPECT_EQ(L"SERIALF", drives[1].serial);
}

TEST_F(CdromToolsTest, ReadyOnlyWithAMedium)
{
    struct Case {
        const char* name;
        CPluggedCdrom::Medium medium;
        bool ready;
    } cases[] = {
        {"medium present", CPluggedCdrom::Medium::Present, true},
        {"no medium", CPluggedCdrom::Medium::Absent, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CPluggedCdrom drive(m_letters[0], L"", c.medium);
        ASSERT_TRUE(drive.IsPlugged());
        ASSERT_EQ(UINT(DRIVE_CDROM), ::GetDriveTypeW((drive.Drive() + L"\\").c_str()));
        CLogTail mark;
        EXPECT_EQ(c.ready, CCdRomTools::IsCdromReady(drive.Drive()));
        EXPECT_EQ((Lines{L"CCdRomTools::IsCdromReady Begin", drive.Drive(),
                         c.ready ? L"CCdRomTools::IsCdromReady true" : L"CCdRomTools::IsCdromReady false"}),
                  mark.NewLines());
    }
    const std::wstring unplugged = std::wstring(1, m_letters[1]) + L":";
    EXPECT_FALSE(CCdRomTools::IsCdromReady(unplugged));
}

} // namespace

namespace {

// A device tree whose sets cannot be opened, as when SetupAPI refuses.
class CFailingDeviceTree : public IDeviceTree {
public:
    std::unique_ptr<IDeviceSet> OpenUsbDevices() override { return Fail(); }
    std::unique_ptr<IDeviceSet> OpenSetupClass(const GUID&) override { return Fail(); }
    std::unique_ptr<IDeviceSet> OpenInterfaceClass(const GUID&) override { return Fail(); }
    DWORD GetFirstChild(DeviceNode, DeviceNode&) override { return CR_NO_SUCH_DEVNODE; }
    DWORD GetNextSibling(DeviceNode, DeviceNode&) override { return CR_NO_SUCH_DEVNODE; }
    DWORD GetParent(DeviceNode, DeviceNode&) override { return CR_NO_SUCH_DEVNODE; }
    DWORD GetDeviceId(DeviceNode, size_t, std::wstring&) override { return CR_NO_SUCH_DEVNODE; }

private:
    static std::unique_ptr<IDeviceSet> Fail()
    {
        ::SetLastError(ERROR_INVALID_FLAGS);
        return nullptr;
    }
};

TEST(FailingDeviceTree, EnumerationFailuresGiveFalseOrEmptyLists)
{
    CFailingDeviceTree failing;
    IDeviceTree* previous = SetDeviceTreeForTesting(&failing);
    CLogTail mark;
    CStlStringW instanceId;
    EXPECT_FALSE(CCdRomTools::EnumDeviceForNorvaneCdrom(L"\\??\\USBSTOR\\CDROM", instanceId));
    EXPECT_EQ(Lines{L"CCdRomTools::EnumDeviceForNorvaneCdrom   SetupDiGetClassDevs failed,errcode=1004"},
              mark.NewLines());
    EXPECT_TRUE(CDeviceManager().GetDevicePorts().empty());
    SetDeviceTreeForTesting(previous);
}

} // namespace
