#include "vandri_app.h"

#include <windows.h>

namespace {
CVandriApp theApp;
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    return theApp.Run(instance);
}
