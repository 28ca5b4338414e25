#include "session_tokens_double.h"

namespace testing_support {

CFakeSessionTokens::CFakeSessionTokens() : sessionId(0)
{
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &sessionId);
}

bool CFakeSessionTokens::QueryUserToken(DWORD, CHandle& token) const
{
    if (!hasUserToken) {
        ::SetLastError(ERROR_NO_TOKEN);
        return false;
    }
    CHandle own;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, own.Receive()))
        return false;
    return ::DuplicateTokenEx(own.Get(), TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary,
                              token.Receive()) != FALSE;
}

CScopedSessionTokens::CScopedSessionTokens() : m_previous(SetSessionTokensForTesting(&fake))
{
}

CScopedSessionTokens::~CScopedSessionTokens()
{
    SetSessionTokensForTesting(m_previous);
}

} // namespace testing_support
