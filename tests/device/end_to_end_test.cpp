// A modem plugged in CD-ROM mode, then switched to modem mode, as the
// programs built for simulated devices see it: the description lives in the
// fixed place those programs read.
#include "device_manager.h"

#include "cdrom_plug.h"
#include "file_utils.h"
#include "modem_devices.h"

#include <gtest/gtest.h>

namespace {

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CreateDirectoryChain(RemoveLastPathComponent(m_tree.GetDescriptionPath())));
        m_previous = SetDeviceTreeForTesting(&m_tree);
    }
    void TearDown() override
    {
        SetDeviceTreeForTesting(m_previous);
        ::DeleteFileW(m_tree.GetDescriptionPath().c_str());
    }
    void Describe(const std::wstring& text) { testing_support::WriteIni(m_tree.GetDescriptionPath(), text); }

    CSimulatedDeviceTree m_tree{GetSimulatedDeviceFilePath()};
    IDeviceTree* m_previous = nullptr;
};

TEST_F(EndToEndTest, CdromModeThenModemModeCarryTheSameSerialNumber)
{
    const std::wstring serial = L"86A1B2C3D4E5";
    const std::vector<wchar_t> letters = testing_support::FreeDriveLetters(1);
    ASSERT_EQ(1u, letters.size());
    CDeviceManager manager;

    // Arrival in CD-ROM mode: the tree and the drive letter.
    Describe(modem::CdromMode(serial));
    auto drive = std::make_unique<testing_support::CPluggedCdrom>(letters[0], modem::CdromId(serial));
    ASSERT_TRUE(drive->IsPlugged());

    const std::vector<CdromDevice> cdroms = manager.GetCdroms();
    ASSERT_EQ(1u, cdroms.size());
    EXPECT_EQ(drive->Drive(), cdroms[0].drive);
    EXPECT_EQ(L"3C5D", cdroms[0].vid);
    EXPECT_EQ(L"1225", cdroms[0].pid);
    EXPECT_EQ(serial, cdroms[0].serial);
    EXPECT_TRUE(manager.IsCdromReady(cdroms[0].drive));
    EXPECT_TRUE(manager.GetDevicePorts().empty());

    // The mode switch: the CD-ROM leaves, the ports and the adapter arrive.
    drive.reset();
    Describe(modem::ModemMode(serial, L"COM11"));

    EXPECT_TRUE(manager.GetCdroms().empty());
    const std::vector<DevicePort> ports = manager.GetDevicePorts();
    ASSERT_EQ(2u, ports.size());
    EXPECT_EQ(L"NMEA", ports[0].kind);
    EXPECT_EQ(L"COM11", ports[0].portName);
    EXPECT_EQ(L"Norvane Mobile Modem NMEA Device (COM11)", ports[0].friendlyName);
    EXPECT_EQ(L"NDIS", ports[1].kind);
    EXPECT_EQ(L"Norvane Mobile Broadband Network Adapter", ports[1].friendlyName);
    for (const auto& port : ports) {
        EXPECT_EQ(serial, port.serial);
        EXPECT_EQ(L"1403", port.pid);
    }

    // Unplugged altogether.
    Describe(L"");
    EXPECT_TRUE(manager.GetDevicePorts().empty());
}

} // namespace
