// The installer's application object.
#pragma once

#include "app_framework.h"
#include "handles.h"

class CVandriApp : public CAppBase {
public:
    // Guards against a second instance, then runs the hidden main dialog,
    // whose initialisation does the whole install or uninstall.
    bool InitInstance() override;

private:
    // Marks the running installer; held until the process ends.
    CHandle m_hInstanceMutex;
};
