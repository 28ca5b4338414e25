// Reads what a program wrote to its diagnostic log in build/bin/log.
#pragma once

#include <string>

namespace testing_support {

// Today's log file of a program (module name without ".exe") and category.
std::wstring LogFilePath(const std::wstring& module, const std::wstring& category);

// Remembers how far the log file reached when it was made, and gives the
// text written after that point.
class CLogTail {
public:
    CLogTail(const std::wstring& module, const std::wstring& category);
    std::wstring NewText() const;
    bool Contains(const std::wstring& text) const { return NewText().find(text) != std::wstring::npos; }

private:
    std::wstring m_path;
    size_t m_start;
};

} // namespace testing_support
