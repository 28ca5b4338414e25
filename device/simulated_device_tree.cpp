#include "simulated_device_tree.h"

#include "file_utils.h"
#include "handles.h"
#include "stl_string.h"

#include <cfgmgr32.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

struct CSimulatedDeviceTree::Device {
    std::wstring id;
    std::wstring parentId;
    int parent = -1;            // index of the parent node, -1 for none
    bool listed = true;         // false for bare parent nodes
    bool present = true;
    CStlStringW setupClass;     // upper case
    std::vector<CStlStringW> interfaces;   // upper case
    std::optional<std::wstring> friendlyName;
    std::optional<std::wstring> description;
    std::optional<std::vector<std::wstring>> hardwareIds;
    std::optional<std::wstring> portName;

    bool InTree() const { return present; }
    bool InSets() const { return listed && present; }
};

namespace {

using SimulatedDevice = CSimulatedDeviceTree::Device;

std::wstring Trim(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return std::wstring();
    const size_t last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::wstring> SplitList(const std::wstring& text)
{
    std::vector<std::wstring> items;
    for (const auto& piece : CStlStringW(text).Split(L','))
        items.push_back(Trim(piece));
    return items;
}

CStlStringW GuidText(const GUID& guid)
{
    CStlStringW text;
    text.Format(L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, unsigned(guid.Data2),
                unsigned(guid.Data3), unsigned(guid.Data4[0]), unsigned(guid.Data4[1]), unsigned(guid.Data4[2]),
                unsigned(guid.Data4[3]), unsigned(guid.Data4[4]), unsigned(guid.Data4[5]),
                unsigned(guid.Data4[6]), unsigned(guid.Data4[7]));
    return text;
}

// The whole file as text: UTF-16LE after a byte-order mark, otherwise UTF-8.
// A missing file describes an empty tree.
std::wstring ReadDescription(const std::wstring& path)
{
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::wstring();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);

    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
        std::wstring text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(wchar_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
        return text;
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    if (bytes.empty())
        return std::wstring();
    int size = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring text(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), text.data(), size);
    return text;
}

void ApplyKey(SimulatedDevice& device, const CStlStringW& key, const std::wstring& value)
{
    if (key == L"INSTANCEID")
        device.id = value;
    else if (key == L"PARENT")
        device.parentId = value;
    else if (key == L"CLASS")
        device.setupClass = CStlStringW(value).MakeUpperAscii();
    else if (key == L"INTERFACES") {
        for (const auto& item : SplitList(value))
            device.interfaces.push_back(CStlStringW(item).MakeUpperAscii());
    } else if (key == L"FRIENDLYNAME")
        device.friendlyName = value;
    else if (key == L"DEVICEDESC")
        device.description = value;
    else if (key == L"HARDWAREIDS")
        device.hardwareIds = value.empty() ? std::vector<std::wstring>() : SplitList(value);
    else if (key == L"PORTNAME")
        device.portName = value;
    else if (key == L"PRESENT")
        device.present = Trim(value) != L"0";
}

} // namespace

struct CSimulatedDeviceTree::Snapshot {
    std::vector<SimulatedDevice> devices;

    const SimulatedDevice* Node(DeviceNode node) const
    {
        if (node == 0 || node > devices.size() || !devices[node - 1].InTree())
            return nullptr;
        return &devices[node - 1];
    }

    // The first node in file order, from position start on, with the given parent.
    DWORD FindChild(int parent, size_t start, DeviceNode& result) const
    {
        for (size_t i = start; i < devices.size(); ++i) {
            if (devices[i].InTree() && devices[i].parent == parent) {
                result = DeviceNode(i + 1);
                return CR_SUCCESS;
            }
        }
        return CR_NO_SUCH_DEVNODE;
    }
};

namespace {

using Snapshot = CSimulatedDeviceTree::Snapshot;

std::shared_ptr<const Snapshot> Parse(const std::wstring& text)
{
    auto snapshot = std::make_shared<Snapshot>();
    auto& devices = snapshot->devices;
    for (const auto& rawLine : CStlStringW(text).Split(L'\n')) {
        std::wstring line = rawLine;
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        const std::wstring trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == L';')
            continue;
        if (trimmed[0] == L'[') {
            const size_t close = trimmed.find_last_of(L']');
            devices.emplace_back();
            devices.back().id = trimmed.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
            continue;
        }
        const size_t equals = trimmed.find(L'=');
        if (devices.empty() || equals == std::wstring::npos)
            continue;
        const CStlStringW key = CStlStringW(Trim(trimmed.substr(0, equals))).MakeUpperAscii();
        ApplyKey(devices.back(), key, Trim(trimmed.substr(equals + 1)));
    }

    // Link parents by identifier (letter case ignored, as Windows does);
    // a parent that has no section of its own becomes a bare node.
    const size_t described = devices.size();
    for (size_t i = 0; i < described; ++i) {
        if (devices[i].parentId.empty())
            continue;
        const CStlStringW wanted = CStlStringW(devices[i].parentId).MakeUpperAscii();
        int found = -1;
        for (size_t j = 0; j < devices.size() && found < 0; ++j) {
            if (j != i && CStlStringW(devices[j].id).MakeUpperAscii() == wanted)
                found = int(j);
        }
        if (found < 0) {
            SimulatedDevice bare;
            bare.id = devices[i].parentId;
            bare.listed = false;
            devices.push_back(bare);
            found = int(devices.size() - 1);
        }
        devices[i].parent = found;
    }
    return snapshot;
}

class CSimulatedDeviceKey : public IDeviceKey {
public:
    explicit CSimulatedDeviceKey(std::optional<std::wstring> portName) : m_portName(std::move(portName)) {}

    bool ReadString(const std::wstring& name, size_t maxChars, std::wstring& value) const override
    {
        // Like the registry: data that does not fit (terminator included) is an error.
        if (CStlStringW(name).MakeUpperAscii() != L"PORTNAME" || !m_portName ||
            m_portName->size() + 1 > maxChars)
            return false;
        value = *m_portName;
        return true;
    }

private:
    std::optional<std::wstring> m_portName;
};

class CSimulatedDeviceSet : public IDeviceSet {
public:
    // members: indexes into the snapshot; for interface sets one per interface.
    CSimulatedDeviceSet(std::shared_ptr<const Snapshot> snapshot, std::vector<size_t> members, bool interfaces)
        : m_snapshot(std::move(snapshot)), m_members(std::move(members)), m_interfaces(interfaces)
    {
    }

    bool EnumDevice(DWORD index, DeviceInfo& device) override
    {
        if (m_interfaces || index >= m_members.size())
            return false;
        device.node = DeviceNode(m_members[index] + 1);
        return true;
    }

    InterfaceStep EnumInterface(DWORD index, DeviceInfo& device) override
    {
        if (!m_interfaces || index >= m_members.size())
            return InterfaceStep::End;
        device.node = DeviceNode(m_members[index] + 1);
        return InterfaceStep::Device;
    }

    bool GetInstanceId(const DeviceInfo& device, size_t maxChars, std::wstring& id) override
    {
        const SimulatedDevice* found = m_snapshot->Node(device.node);
        if (!found || found->id.size() + 1 > maxChars)
            return false;
        id = found->id;
        return true;
    }

    bool GetProperty(const DeviceInfo& device, DeviceProperty property, size_t bufferBytes,
                     std::wstring& value) override
    {
        const SimulatedDevice* found = m_snapshot->Node(device.node);
        if (!found)
            return false;
        std::vector<std::wstring> strings;
        size_t chars = 0;   // stored size in characters, terminators included
        if (property == DeviceProperty::HardwareIds) {
            if (!found->hardwareIds)
                return false;
            strings = *found->hardwareIds;
            for (const auto& s : strings)
                chars += s.size() + 1;
            chars += 1;
        } else {
            const auto& text = property == DeviceProperty::FriendlyName ? found->friendlyName : found->description;
            if (!text)
                return false;
            strings.push_back(*text);
            chars = text->size() + 1;
        }
        if (chars * sizeof(wchar_t) > bufferBytes)
            return false;
        value = strings.empty() ? std::wstring() : strings.front();
        // Stored text ends at its first terminator, as it would in the registry.
        value = value.c_str();
        return true;
    }

    std::unique_ptr<IDeviceKey> OpenHardwareKey(const DeviceInfo& device) override
    {
        const SimulatedDevice* found = m_snapshot->Node(device.node);
        if (!found)
            return nullptr;
        return std::make_unique<CSimulatedDeviceKey>(found->portName);
    }

private:
    std::shared_ptr<const Snapshot> m_snapshot;
    std::vector<size_t> m_members;
    bool m_interfaces;
};

} // namespace

CSimulatedDeviceTree::CSimulatedDeviceTree(std::wstring descriptionPath) : m_path(std::move(descriptionPath)) {}

CSimulatedDeviceTree::~CSimulatedDeviceTree() = default;

std::shared_ptr<const CSimulatedDeviceTree::Snapshot> CSimulatedDeviceTree::Reload()
{
    m_snapshot = Parse(ReadDescription(m_path));
    return m_snapshot;
}

std::shared_ptr<const CSimulatedDeviceTree::Snapshot> CSimulatedDeviceTree::Current()
{
    return m_snapshot ? m_snapshot : Reload();
}

std::unique_ptr<IDeviceSet> CSimulatedDeviceTree::OpenMatching(bool interfaces,
                                                               const std::function<size_t(const SimulatedDevice&)>& count)
{
    auto snapshot = Reload();
    std::vector<size_t> members;
    for (size_t i = 0; i < snapshot->devices.size(); ++i) {
        if (snapshot->devices[i].InSets())
            members.insert(members.end(), count(snapshot->devices[i]), i);
    }
    return std::make_unique<CSimulatedDeviceSet>(snapshot, members, interfaces);
}

std::unique_ptr<IDeviceSet> CSimulatedDeviceTree::OpenUsbDevices()
{
    return OpenMatching(false, [](const SimulatedDevice& device) {
        return size_t(CStlStringW(device.id.substr(0, device.id.find(L'\\'))).MakeUpperAscii() == L"USB");
    });
}

std::unique_ptr<IDeviceSet> CSimulatedDeviceTree::OpenSetupClass(const GUID& setupClass)
{
    const CStlStringW wanted = GuidText(setupClass);
    return OpenMatching(false, [&](const SimulatedDevice& device) { return size_t(device.setupClass == wanted); });
}

std::unique_ptr<IDeviceSet> CSimulatedDeviceTree::OpenInterfaceClass(const GUID& interfaceClass)
{
    // One member per interface: a device exposing the class twice counts twice.
    const CStlStringW wanted = GuidText(interfaceClass);
    return OpenMatching(true, [&](const SimulatedDevice& device) {
        return size_t(std::count(device.interfaces.begin(), device.interfaces.end(), wanted));
    });
}

DWORD CSimulatedDeviceTree::GetFirstChild(DeviceNode node, DeviceNode& child)
{
    auto snapshot = Current();
    if (!snapshot->Node(node))
        return CR_INVALID_DEVNODE;
    return snapshot->FindChild(int(node - 1), 0, child);
}

DWORD CSimulatedDeviceTree::GetNextSibling(DeviceNode node, DeviceNode& sibling)
{
    auto snapshot = Current();
    const SimulatedDevice* device = snapshot->Node(node);
    if (!device)
        return CR_INVALID_DEVNODE;
    return snapshot->FindChild(device->parent, node, sibling);
}

DWORD CSimulatedDeviceTree::GetParent(DeviceNode node, DeviceNode& parent)
{
    auto snapshot = Current();
    const SimulatedDevice* device = snapshot->Node(node);
    if (!device)
        return CR_INVALID_DEVNODE;
    if (device->parent < 0 || !snapshot->Node(DeviceNode(device->parent + 1)))
        return CR_NO_SUCH_DEVNODE;
    parent = DeviceNode(device->parent + 1);
    return CR_SUCCESS;
}

DWORD CSimulatedDeviceTree::GetDeviceId(DeviceNode node, size_t maxChars, std::wstring& id)
{
    auto snapshot = Current();
    const SimulatedDevice* device = snapshot->Node(node);
    if (!device)
        return CR_INVALID_DEVNODE;
    if (device->id.size() > maxChars)
        return CR_BUFFER_SMALL;
    id = device->id;
    return CR_SUCCESS;
}

std::wstring GetSimulatedDeviceFilePath()
{
    return GetCommonAppDataPath() + L"\\OrvSimulator\\Devices.ini";
}
