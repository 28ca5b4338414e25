// Stands in for the terminal-services queries: a chosen console session and,
// when asked to have one, a user token that is a primary copy of the test
// process's own token, so launches really happen under it.
#pragma once

#include "session_tokens.h"

namespace testing_support {

class CFakeSessionTokens : public ISessionTokens {
public:
    CFakeSessionTokens();
    DWORD GetActiveConsoleSessionId() const override { return sessionId; }
    bool QueryUserToken(DWORD session, CHandle& token) const override;

    DWORD sessionId;          // the test process's own session unless changed
    bool hasUserToken = true; // false: nobody is logged on
};

// Installs a fake for its lifetime.
class CScopedSessionTokens {
public:
    CScopedSessionTokens();
    ~CScopedSessionTokens();
    CScopedSessionTokens(const CScopedSessionTokens&) = delete;
    CScopedSessionTokens& operator=(const CScopedSessionTokens&) = delete;
    CFakeSessionTokens fake;

private:
    const ISessionTokens* m_previous;
};

} // namespace testing_support
