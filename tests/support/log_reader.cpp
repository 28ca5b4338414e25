#include "log_reader.h"

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
        if (c != L'\r')
            text.push_back(c);
    }
    return text;
}

} // namespace testing_support
