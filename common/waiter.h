// Pauses of fixed length, behind one small interface so that tests need not
// sit through them.
#pragma once

#include <windows.h>

class IWaiter {
public:
    virtual ~IWaiter() = default;
    virtual void Sleep(DWORD milliseconds) = 0;
};

class CWin32Waiter : public IWaiter {
public:
    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
};

IWaiter& GetWin32Waiter();
