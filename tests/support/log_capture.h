// Reads what the running test program wrote to its own diagnostic log
// (category "OrvServ", UTF-16LE file in build/bin/log) since a mark.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

class CLogMark {
public:
    // Remembers where today's log file ends now.
    CLogMark();
    // The messages written since the mark, without time stamp and thread.
    std::vector<std::wstring> NewLines() const;

private:
    std::wstring m_path;
    size_t m_offset = 0;
};

} // namespace testing_support
