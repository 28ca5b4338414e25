#include "win32_device_tree.h"

#include "handles.h"

#include <cfgmgr32.h>
#include <setupapi.h>

#include <vector>

namespace {

// The text up to the first terminator within count characters: data that a
// device or driver stored without a terminator never reads past the buffer.
std::wstring BoundedString(const wchar_t* text, size_t count)
{
    size_t length = 0;
    while (length < count && text[length] != L'\0')
        ++length;
    return std::wstring(text, length);
}

DWORD ToSetupProperty(DeviceProperty property)
{
    switch (property) {
    case DeviceProperty::FriendlyName:
        return SPDRP_FRIENDLYNAME;
    case DeviceProperty::DeviceDescription:
        return SPDRP_DEVICEDESC;
    case DeviceProperty::HardwareIds:
        break;
    }
    return SPDRP_HARDWAREID;
}

class CWin32DeviceSet : public IDeviceSet {
public:
    CWin32DeviceSet(HDEVINFO set, const GUID* interfaceClass) : m_set(set)
    {
        if (interfaceClass) {
            m_interfaceClass = *interfaceClass;
            m_hasInterfaceClass = true;
        }
    }

    bool EnumDevice(DWORD index, DeviceInfo& device) override
    {
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof data;
        if (!::SetupDiEnumDeviceInfo(m_set.Get(), index, &data))
            return false;
        device.node = data.DevInst;
        Remember(device, data);
        return true;
    }

    InterfaceStep EnumInterface(DWORD index, DeviceInfo& device) override
    {
        if (!m_hasInterfaceClass)
            return InterfaceStep::End;
        SP_DEVICE_INTERFACE_DATA interfaceData = {};
        interfaceData.cbSize = sizeof interfaceData;
        if (!::SetupDiEnumDeviceInterfaces(m_set.Get(), nullptr, &m_interfaceClass, index, &interfaceData))
            return InterfaceStep::End;
        // Asked without a buffer only to learn the device: the call fails
        // with ERROR_INSUFFICIENT_BUFFER when all went well.
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof data;
        DWORD required = 0;
        if (::SetupDiGetDeviceInterfaceDetailW(m_set.Get(), &interfaceData, nullptr, 0, &required, &data) ||
            ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return InterfaceStep::Skip;
        device.node = data.DevInst;
        Remember(device, data);
        return InterfaceStep::Device;
    }

    bool GetInstanceId(const DeviceInfo& device, size_t maxChars, std::wstring& id) override
    {
        SP_DEVINFO_DATA data = {};
        if (!Find(device, data))
            return false;
        std::vector<wchar_t> buffer(maxChars + 1, L'\0');
        if (!::SetupDiGetDeviceInstanceIdW(m_set.Get(), &data, buffer.data(), DWORD(maxChars), nullptr))
            return false;
        id = BoundedString(buffer.data(), maxChars);
        return true;
    }

    bool GetProperty(const DeviceInfo& device, DeviceProperty property, size_t bufferBytes,
                     std::wstring& value) override
    {
        SP_DEVINFO_DATA data = {};
        if (!Find(device, data))
            return false;
        // Zeroed, with a spare terminator beyond the size given to the call.
        const size_t chars = (bufferBytes + sizeof(wchar_t) - 1) / sizeof(wchar_t);
        std::vector<wchar_t> buffer(chars + 1, L'\0');
        DWORD type = 0;
        if (!::SetupDiGetDeviceRegistryPropertyW(m_set.Get(), &data, ToSetupProperty(property), &type,
                                                 reinterpret_cast<BYTE*>(buffer.data()), DWORD(bufferBytes),
                                                 nullptr))
            return false;
        value = BoundedString(buffer.data(), chars);
        return true;
    }

    std::unique_ptr<IDeviceKey> OpenHardwareKey(const DeviceInfo& device) override
    {
        SP_DEVINFO_DATA data = {};
        if (!Find(device, data))
            return nullptr;
        HKEY key = ::SetupDiOpenDevRegKey(m_set.Get(), &data, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == nullptr || key == reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE))
            return nullptr;
        return std::make_unique<CWin32DeviceKey>(key);
    }

private:
    // The set's member data of each device handed out, for the property calls.
    void Remember(const DeviceInfo& device, const SP_DEVINFO_DATA& data)
    {
        for (auto& known : m_members) {
            if (known.DevInst == device.node) {
                known = data;
                return;
            }
        }
        m_members.push_back(data);
    }

    bool Find(const DeviceInfo& device, SP_DEVINFO_DATA& data) const
    {
        for (const auto& known : m_members) {
            if (known.DevInst == device.node) {
                data = known;
                return true;
            }
        }
        return false;
    }

    CDevInfoHandle m_set;
    GUID m_interfaceClass = {};
    bool m_hasInterfaceClass = false;
    std::vector<SP_DEVINFO_DATA> m_members;
};

std::unique_ptr<IDeviceSet> OpenSet(const GUID* setupClass, const wchar_t* enumerator, DWORD flags,
                                    const GUID* interfaceClass)
{
    HDEVINFO set = ::SetupDiGetClassDevsW(setupClass, enumerator, nullptr, flags);
    if (set == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<CWin32DeviceSet>(set, interfaceClass);
}

// A related node (child, sibling, parent); result is set only on success.
DWORD QueryNode(CONFIGRET(WINAPI* query)(PDEVINST, DEVINST, ULONG), DeviceNode node, DeviceNode& result)
{
    DEVINST related = 0;
    const CONFIGRET cr = query(&related, node, 0);
    if (cr == CR_SUCCESS)
        result = related;
    return cr;
}

} // namespace

bool CWin32DeviceKey::ReadString(const std::wstring& name, size_t maxChars, std::wstring& value) const
{
    // One spare character beyond what the caller allows keeps the text
    // terminated whatever the stored data holds.
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    DWORD type = 0;
    DWORD size = DWORD(maxChars * sizeof(wchar_t));
    if (::RegQueryValueExW(m_key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &size) != ERROR_SUCCESS)
        return false;
    value = BoundedString(buffer.data(), size / sizeof(wchar_t));
    return true;
}

std::unique_ptr<IDeviceSet> CWin32DeviceTree::OpenUsbDevices()
{
    return OpenSet(nullptr, L"USB", DIGCF_PRESENT | DIGCF_ALLCLASSES, nullptr);
}

std::unique_ptr<IDeviceSet> CWin32DeviceTree::OpenSetupClass(const GUID& setupClass)
{
    return OpenSet(&setupClass, nullptr, DIGCF_PRESENT, nullptr);
}

std::unique_ptr<IDeviceSet> CWin32DeviceTree::OpenInterfaceClass(const GUID& interfaceClass)
{
    return OpenSet(&interfaceClass, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, &interfaceClass);
}

DWORD CWin32DeviceTree::GetFirstChild(DeviceNode node, DeviceNode& child)
{
    return QueryNode(::CM_Get_Child, node, child);
}

DWORD CWin32DeviceTree::GetNextSibling(DeviceNode node, DeviceNode& sibling)
{
    return QueryNode(::CM_Get_Sibling, node, sibling);
}

DWORD CWin32DeviceTree::GetParent(DeviceNode node, DeviceNode& parent)
{
    return QueryNode(::CM_Get_Parent, node, parent);
}

DWORD CWin32DeviceTree::GetDeviceId(DeviceNode node, size_t maxChars, std::wstring& id)
{
    // The call leaves an identifier that exactly fills the buffer without a
    // terminator; the spare zeroed character bounds it.
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    CONFIGRET cr = ::CM_Get_Device_IDW(node, buffer.data(), ULONG(maxChars), 0);
    if (cr == CR_SUCCESS)
        id = BoundedString(buffer.data(), maxChars);
    return cr;
}
