#include "log_reader.h"

#include "file_utils.h"
#include "test_support.h"

#include <windows.h>

namespace testing_support {

std::wstring LogFilePath(const std::wstring& module, const std::wstring& category)
{
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    wchar_t day[16];
    swprintf(day, 16, L"%04u%02u%02u", unsigned(now.wYear), unsigned(now.wMonth), unsigned(now.wDay));
    return BinDir() + L"\\log\\" + module + category + day + L".log";
}

namespace {

std::wstring OwnModuleName()
{
    std::wstring name = GetModuleFileNameOnly();
    return name.size() > 4 ? name.substr(0, name.size() - 4) : name;
}

} // namespace

CLogTail::CLogTail() : CLogTail(OwnModuleName(), L"OrvServ") {}

CLogTail::CLogTail(const std::wstring& module, const std::wstring& category)
    : m_path(LogFilePath(module, category)), m_start(ReadBytes(m_path).size())
{
}

std::wstring CLogTail::NewText() const
{
    const std::string bytes = ReadBytes(m_path);
    std::wstring text;
    // Lines end in CR LF in the file; the text gives them as LF only.
    for (size_t i = m_start; i + 1 < bytes.size(); i += 2) {
        const unsigned low = static_cast<unsigned char>(bytes[i]);
        const unsigned high = static_cast<unsigned char>(bytes[i + 1]);
        const wchar_t c = wchar_t(low | (high << 8));
        if (c != L'\r' && c != L'\xFEFF')
            text.push_back(c);
    }
    return text;
}

std::vector<std::wstring> CLogTail::NewLines() const
{
    const std::wstring text = NewText();
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
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
