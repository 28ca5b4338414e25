// The service's own records outside itself: its entry in the list of
// installed programs, rewritten at every service start, and the machine Run
// values it removes when it is uninstalled.
#pragma once

// Local-machine key of the service's uninstall entry.
extern const wchar_t kServiceUninstallKey[];

// Creates or refreshes the uninstall entry; 1 when the key could be opened.
int AddControlRegKeyEx();
// Deletes the uninstall entry; 1 when its parent key could be opened.
int DeleteControlRegKey();
// Deletes the Run values "LaunchUI" and "PlayGuard_Server"; 1 when the Run key opened.
int RemoveStartItemFromRegistry();
// Both removals; the result of RemoveStartItemFromRegistry.
int RemoveServiceRecords();
