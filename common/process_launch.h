// Starting other programs: a plain shell launch (two variants), and the
// service's launch into the logged-on user's console session with the user's
// own or elevated token, chosen by Windows family and by the target's manifest.
// Results are integers; every handle and token is released inside.
#pragma once

#include "handles.h"

#include <windows.h>

#include <string>

// Service variant: shell launch with "runas" when elevate is set (Vista and
// later only) and the given show state.  waitMs 0 waits without limit and
// returns the exit code; any other wait returns -1 without reading it.
// -2 when the program file does not exist.
int ExecuteApplication(const std::wstring& path, const std::wstring& parameters, DWORD waitMs, BYTE elevate,
                       int show, const std::wstring& directory);

// Installer variant: "open", hidden window, waits without limit; the exit code,
// -1 when it cannot be read, -2 when the program file does not exist.
int ExecuteApplication(const std::wstring& path, const std::wstring& parameters, const std::wstring& directory);

// Starts the program in the active console session (Windows 2000: through the
// shell, without waiting).  commandLine (may be null) becomes the new process's
// whole command line.  waitMs 0 or negative waits without limit; when the wait
// ends first, exitCode is 259.  0 on success, 13 on failure.
int ExecuteApp(const std::wstring& path, DWORD& exitCode, const wchar_t* commandLine, int waitMs);

// With the console user's token; without a logged-on user nothing is started.
int CreateUserProcessFromLocalSystem(const std::wstring& path, const wchar_t* commandLine, DWORD& exitCode,
                                     int waitMs);
// With the console user's linked (elevated) token.
int CreateAdminProcessFromLocalSystem(const std::wstring& path, const wchar_t* commandLine, DWORD& exitCode,
                                      int waitMs);

// Creates the process as the token's user, in the program's own directory and
// with the user's environment; true when it was created and its exit code read.
BOOL CreateProcessWithUserToken(HANDLE token, const std::wstring& path, const wchar_t* commandLine,
                                DWORD& exitCode, int waitMs);

// A primary copy of the token's linked (elevated) token, moved to the session
// unless sessionId is (DWORD)-1.
BOOL GetAdminToken(HANDLE token, DWORD access, CHandle& newToken, DWORD sessionId);
// A primary copy of the token, moved to the session.
BOOL DuplicateTokenToSession(HANDLE token, DWORD access, CHandle& newToken, DWORD sessionId);

// True when the program's embedded manifest asks for more than "asInvoker"
// (a manifest whose level cannot be isolated counts as asking).
bool GetExtIsNeedAdmin(const std::wstring& path);
