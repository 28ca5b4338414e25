#include "session_tokens.h"

#include <wtsapi32.h>

namespace {
const CWin32SessionTokens g_win32SessionTokens;
const ISessionTokens* g_sessionTokens = nullptr;
} // namespace

DWORD CWin32SessionTokens::GetActiveConsoleSessionId() const
{
    return ::WTSGetActiveConsoleSessionId();
}

bool CWin32SessionTokens::QueryUserToken(DWORD sessionId, CHandle& token) const
{
    return ::WTSQueryUserToken(sessionId, token.Receive()) != FALSE && token.IsValid();
}

const ISessionTokens& GetSessionTokens()
{
    return g_sessionTokens ? *g_sessionTokens : g_win32SessionTokens;
}

const ISessionTokens* SetSessionTokensForTesting(const ISessionTokens* replacement)
{
    const ISessionTokens* previous = g_sessionTokens;
    g_sessionTokens = replacement;
    return previous;
}
