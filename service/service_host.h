// The service host: command-line verbs that install, remove, start and stop
// the service through the service control manager, and the callbacks the
// manager calls when it runs the service.
#pragma once

#include <windows.h>

// Service name and display name.
extern const wchar_t kOrvServServiceName[];

// The program's entry: logs, dispatches on the command tail, returns 0.
int OrvServMain(const char* commandTail);

// Sets the process-wide service status to its initial values.
void Init();
// Runs the verb of the command tail (compared whole, case-insensitively), or
// hands the thread to the service control dispatcher.
void ProcessCommand(const char* command);

// Service control manager operations: 1 for success, 0 for failure.
int IsInstalled();
int Install();
int Uninstall();
int RunService();
int StopService();

void WINAPI ServiceMain(DWORD argc, LPWSTR* argv);
void WINAPI Handler(DWORD control);

// Reports one information event with the formatted text under the source "OrvServ".
void LogEvent(const wchar_t* format, ...);
