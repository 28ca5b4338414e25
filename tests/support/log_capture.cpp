#include "log_capture.h"

#include "log.h"
#include "test_support.h"

#include <windows.h>

namespace testing_support {

namespace {

std::wstring TodaysLogPath()
{
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    return GetLog().BuildFilePath(L"OrvServ", now);
}

} // namespace

CLogMark::CLogMark() : m_path(TodaysLogPath()), m_offset(ReadBytes(m_path).size()) {}

std::vector<std::wstring> CLogMark::NewLines() const
{
    const std::string bytes = ReadBytes(m_path);
    std::wstring text;
    for (size_t i = m_offset; i + 1 < bytes.size(); i += 2)
        text.push_back(wchar_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));

    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.front() == L'\xFEFF')
            line.erase(0, 1);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        // " yyyy-mm-dd hh:mm:ss:mmm Thread ID=n message"
        const size_t thread = line.find(L"Thread ID=");
        if (thread != std::wstring::npos) {
            const size_t space = line.find(L' ', thread + 10);
            line = space == std::wstring::npos ? std::wstring() : line.substr(space + 1);
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace testing_support
