// The device tree of the running Windows, through SetupAPI and the
// configuration manager.
#pragma once

#include "device_tree.h"
#include "handles.h"

class CWin32DeviceTree : public IDeviceTree {
public:
    std::unique_ptr<IDeviceSet> OpenUsbDevices() override;
    std::unique_ptr<IDeviceSet> OpenSetupClass(const GUID& setupClass) override;
    std::unique_ptr<IDeviceSet> OpenInterfaceClass(const GUID& interfaceClass) override;
    DWORD GetFirstChild(DeviceNode node, DeviceNode& child) override;
    DWORD GetNextSibling(DeviceNode node, DeviceNode& sibling) override;
    DWORD GetParent(DeviceNode node, DeviceNode& parent) override;
    DWORD GetDeviceId(DeviceNode node, size_t maxChars, std::wstring& id) override;
};

// A device's hardware key opened through SetupAPI; owns the key.
class CWin32DeviceKey : public IDeviceKey {
public:
    explicit CWin32DeviceKey(HKEY key) : m_key(key) {}
    // Reads the value whatever it holds: data that fills the buffer without a
    // terminator is cut at maxChars, larger data is refused.
    bool ReadString(const std::wstring& name, size_t maxChars, std::wstring& value) const override;

private:
    CRegKey m_key;
};
