// OrvServ entry: a GUI-subsystem program that receives its command tail as
// 8-bit text; everything else lives in the service library.
#include "service_host.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int)
{
    return OrvServMain(commandTail);
}
