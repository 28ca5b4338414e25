// The terminal-services facts the service needs to reach the logged-on user:
// the active console session and the primary token of a session's user.  They
// sit behind one small interface because a test machine (and Wine) has no
// interactive logon to hand out; production code uses the Win32 one.
#pragma once

#include "handles.h"

#include <windows.h>

class ISessionTokens {
public:
    virtual ~ISessionTokens() = default;
    // The session attached to the physical console; (DWORD)-1 when there is none.
    virtual DWORD GetActiveConsoleSessionId() const = 0;
    // The primary token of the user logged on to the session; false (and no
    // token) when nobody is logged on there or the query is refused.
    virtual bool QueryUserToken(DWORD sessionId, CHandle& token) const = 0;
};

class CWin32SessionTokens : public ISessionTokens {
public:
    DWORD GetActiveConsoleSessionId() const override;
    bool QueryUserToken(DWORD sessionId, CHandle& token) const override;
};

// The process-wide source; the Win32 one unless a test installs another.
const ISessionTokens& GetSessionTokens();
// Installs a replacement (null restores the Win32 one); returns the previous one.
const ISessionTokens* SetSessionTokensForTesting(const ISessionTokens* replacement);
