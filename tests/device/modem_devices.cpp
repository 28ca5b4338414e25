#include "modem_devices.h"

namespace modem {

const wchar_t kUsbClass[] = L"{36FC9E60-C465-11CF-8056-444553540000}";
const wchar_t kCdromClass[] = L"{4D36E965-E325-11CE-BFC1-08002BE10318}";
const wchar_t kPortsClass[] = L"{4D36E978-E325-11CE-BFC1-08002BE10318}";
const wchar_t kNetClass[] = L"{4D36E972-E325-11CE-BFC1-08002BE10318}";
const wchar_t kComPortInterface[] = L"{86E0D1E0-8089-11D0-9CE4-08003E301F73}";
const wchar_t kRootHub[] = L"USB\\ROOT_HUB20\\4&2F1B5D6A&0";

namespace {
const wchar_t kCdromInterface[] = L"{53F56308-B6BF-11D0-94F2-00A0C91EFB8B}";
}

std::wstring Device::Text() const
{
    std::wstring text = L"[" + id + L"]\n";
    if (id.find(L']') != std::wstring::npos)
        text = L"[device]\nInstanceId=" + id + L"\n";
    if (!parent.empty())
        text += L"Parent=" + parent + L"\n";
    if (!setupClass.empty())
        text += L"Class=" + setupClass + L"\n";
    if (!interfaces.empty())
        text += L"Interfaces=" + interfaces + L"\n";
    if (friendlyName)
        text += L"FriendlyName=" + *friendlyName + L"\n";
    if (description)
        text += L"DeviceDesc=" + *description + L"\n";
    if (hardwareIds)
        text += L"HardwareIds=" + *hardwareIds + L"\n";
    if (portName)
        text += L"PortName=" + *portName + L"\n";
    if (!present)
        text += L"Present=0\n";
    return text + L"\n";
}

std::wstring CdromId(const std::wstring& serial, const std::wstring& vendor)
{
    return L"USBSTOR\\CdRom&Ven_" + vendor + L"&Prod_Mobile_Modem&Rev_2.31\\7&2A41C9E&0&" + serial + L"&0";
}

std::wstring CdromMode(const std::wstring& serial, bool composite, const std::wstring& vid, const std::wstring& pid)
{
    const std::wstring usb = L"USB\\VID_" + vid + L"&PID_" + pid;
    Device device{usb + L"\\" + serial};
    device.setupClass = kUsbClass;
    device.hardwareIds = usb + L"&REV_0231," + usb;
    device.description = composite ? L"USB Composite Device" : L"USB Mass Storage Device";

    Device cdrom{CdromId(serial, vid == L"3C5D" ? L"Norvane" : L"Other")};
    cdrom.setupClass = kCdromClass;
    cdrom.interfaces = kCdromInterface;
    cdrom.friendlyName = L"Norvane Mobile Modem USB Device";
    cdrom.description = L"CD-ROM Drive";
    cdrom.hardwareIds = L"USBSTOR\\CdRomNorvane_Mobile_Modem2.31,GenCdRom";

    if (!composite) {
        cdrom.parent = device.id;
        return device.Text() + cdrom.Text();
    }
    Device storage{usb + L"&MI_00\\7&1B3C2D4E&0&0000", device.id, kUsbClass};
    storage.description = L"USB Mass Storage Device";
    storage.hardwareIds = usb + L"&REV_0231&MI_00," + usb + L"&MI_00";
    cdrom.parent = storage.id;
    return device.Text() + storage.Text() + cdrom.Text();
}

std::wstring ModemMode(const std::wstring& serial, const std::wstring& nmeaPort)
{
    const std::wstring usb = L"USB\\VID_3C5D&PID_1403";
    Device device{usb + L"\\" + serial};
    device.setupClass = kUsbClass;
    device.description = L"USB Composite Device";
    device.hardwareIds = usb + L"&REV_0231," + usb;

    Device adapter{usb + L"&MI_00\\7&3C4D5E6F&0&0000", device.id, kNetClass};
    adapter.friendlyName = L"Norvane Mobile Broadband Network Adapter";
    adapter.description = L"Norvane Network Adapter";
    adapter.hardwareIds = usb + L"&REV_0231&MI_00," + usb + L"&MI_00";

    Device nmea{usb + L"&MI_02\\7&3C4D5E6F&0&0002", device.id, modem::kPortsClass, kComPortInterface};
    nmea.friendlyName = L"Norvane Mobile Modem NMEA Device (" + nmeaPort + L")";
    nmea.description = L"Norvane Mobile Modem NMEA Device";
    nmea.hardwareIds = usb + L"&REV_0231&MI_02," + usb + L"&MI_02";
    nmea.portName = nmeaPort;

    Device diagnostics{usb + L"&MI_03\\7&3C4D5E6F&0&0003", device.id, modem::kPortsClass, kComPortInterface};
    diagnostics.friendlyName = L"Norvane Mobile Modem Diagnostics Interface (COM9)";
    diagnostics.description = L"Norvane Mobile Modem Diagnostics Interface";
    diagnostics.hardwareIds = usb + L"&REV_0231&MI_03," + usb + L"&MI_03";
    diagnostics.portName = L"COM9";

    return device.Text() + adapter.Text() + nmea.Text() + diagnostics.Text();
}

} // namespace modem

SimulatedDevicesTest::SimulatedDevicesTest() : m_tree(m_dir / L"Devices.ini")
{
    m_previous = SetDeviceTreeForTesting(&m_tree);
}

SimulatedDevicesTest::~SimulatedDevicesTest()
{
    SetDeviceTreeForTesting(m_previous);
}

void SimulatedDevicesTest::Describe(const std::wstring& text)
{
    testing_support::WriteIni(m_tree.GetDescriptionPath(), text);
}
