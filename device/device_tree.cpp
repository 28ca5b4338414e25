#include "device_tree.h"

#ifdef ORV_SIMULATED_DEVICES
#include "simulated_device_tree.h"
#else
#include "win32_device_tree.h"
#endif

namespace {

IDeviceTree* g_replacement = nullptr;

IDeviceTree& DefaultTree()
{
#ifdef ORV_SIMULATED_DEVICES
    static CSimulatedDeviceTree tree(GetSimulatedDeviceFilePath());
#else
    static CWin32DeviceTree tree;
#endif
    return tree;
}

} // namespace

IDeviceTree& GetDeviceTree()
{
    return g_replacement ? *g_replacement : DefaultTree();
}

IDeviceTree* SetDeviceTreeForTesting(IDeviceTree* replacement)
{
    IDeviceTree* previous = g_replacement;
    g_replacement = replacement;
    return previous;
}
