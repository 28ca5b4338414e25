// The device tree of the running Windows, through SetupAPI and the
// configuration manager.
#pragma once

#include "device_tree.h"

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
