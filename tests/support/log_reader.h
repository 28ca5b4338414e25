// Reads what a program wrote to its diagnostic log in build/bin/log.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// Today's log file of a program (module name without ".exe") and category.
std::wstring LogFilePath(const std::wstring& module, const std::wstring& category);

// Remembers how far a log file reached when it was made, and gives what was
// written after that point.
class CLogTail {
public:
    // The running test program's own general log (category "OrvServ").
    CLogTail();
    CLogTail(const std::wstring& module, const std::wstring& category);

    // The new text, lines ending in LF only.
    std::wstring NewText() const;
    // The new lines' messages, without time stamp and thread.
    std::vector<std::wstring> NewLines() const;
    bool Contains(const std::wstring& text) const { return NewText().find(text) != std::wstring::npos; }

private:
    std::wstring m_path;
    size_t m_start;
};

} // namespace testing_support
