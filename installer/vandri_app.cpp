#include "vandri_app.h"

#include "log.h"
#include "vandri_dlg.h"

#include <commctrl.h>

bool CVandriApp::InitInstance()
{
    DebugTrace(L"++++Setup InitInstance start1");

    // Held until the process ends: the service and a second installer see it.
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kInstallerMutexName);
    const DWORD error = ::GetLastError();
    m_hInstanceMutex.Reset(mutex);
    if (!m_hInstanceMutex || error == ERROR_ALREADY_EXISTS)
        return false;

    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);

    CVandriDlg dialog;
    dialog.DoModal();
    // The dialog ends the process itself; reaching this point is a failure.
    return false;
}
