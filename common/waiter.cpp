#include "waiter.h"

IWaiter& GetWin32Waiter()
{
    static CWin32Waiter waiter;
    return waiter;
}
