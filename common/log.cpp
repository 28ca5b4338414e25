#include "log.h"

#include "file_utils.h"
#include "handles.h"
#include "stl_string.h"

#include <shlwapi.h>
#include <time.h>

#include <vector>

namespace {

constexpr DWORD kLockWaitMs = 5000;
constexpr long long kRetentionSeconds = 15LL * 24 * 60 * 60;   // 1296000

// Local calendar time of the given moment, as the C runtime computes it.
SYSTEMTIME LocalTimeOf(time_t moment)
{
    SYSTEMTIME st = {};
    struct tm parts = {};
    if (localtime_s(&parts, &moment) == 0) {
        st.wYear = WORD(parts.tm_year + 1900);
        st.wMonth = WORD(parts.tm_mon + 1);
        st.wDay = WORD(parts.tm_mday);
        st.wHour = WORD(parts.tm_hour);
        st.wMinute = WORD(parts.tm_min);
        st.wSecond = WORD(parts.tm_sec);
    }
    return st;
}

// Writes the whole buffer; a short write counts as failure.
bool WriteAll(HANDLE file, const void* data, DWORD size)
{
    DWORD written = 0;
    return ::WriteFile(file, data, size, &written, nullptr) && written == size;
}

// Appends one line as UTF-16LE text: a new (empty) file gets the byte-order
// mark first, and each "\n" is stored as CR LF.
void AppendUnicodeLine(const std::wstring& path, const std::wstring& line)
{
    CFileHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;

    std::wstring text;
    LARGE_INTEGER size = {};
    if (::GetFileSizeEx(file.Get(), &size) && size.QuadPart == 0)
        text.push_back(L'\xFEFF');
    for (wchar_t c : line) {
        if (c == L'\n')
            text.push_back(L'\r');
        text.push_back(c);
    }
    // One WriteFile per line, so a line is never split across writers.
    WriteAll(file.Get(), text.data(), DWORD(text.size() * sizeof(wchar_t)));
    ::FlushFileBuffers(file.Get());
}

} // namespace

CLog::CLog()
{
    m_hLock.Reset(::CreateMutexW(nullptr, FALSE, nullptr));

    const std::wstring directory = GetModuleDirectory();
    m_strModuleName = GetModuleFileNameOnly();
    CStlStringW lower(m_strModuleName);
    if (lower.MakeLowerAscii().size() >= 4 && lower.compare(lower.size() - 4, 4, L".exe") == 0)
        m_strModuleName.erase(m_strModuleName.size() - 4);

    m_strBaseDir = directory;
    const std::wstring ini = directory + L"\\SdkFeature.ini";
    if (::GetPrivateProfileIntW(L"SDK_FEATURE", L"SDK_LOG_WRITE_TO_TEMP_DIR", 0, ini.c_str()) == 1) {
        wchar_t temp[MAX_PATH + 1] = {};
        if (::GetTempPathW(MAX_PATH + 1, temp))
            m_strBaseDir = temp;
    }
    m_nEnabled = int(::GetPrivateProfileIntW(L"SDK_FEATURE", L"SDK_LOG_ON", 1, ini.c_str()));
}

std::wstring CLog::BuildFilePath(const std::wstring& category, const SYSTEMTIME& date) const
{
    std::wstring logDir = m_strBaseDir + L"\\log";
    if (!PathIsExistingDirectory(logDir))
        logDir = m_strBaseDir;

    CStlStringW name(category.empty() ? std::wstring(L"DataCardLog.txt") : category);
    std::vector<CStlStringW> pieces = name.Split(L'.');
    const std::wstring stem = pieces.front();
    const std::wstring extension = pieces.size() >= 2 ? pieces.back() : CStlStringW(L"log");

    return logDir + L"\\" + m_strModuleName + stem + FormatDateStamp(date) + L"." + extension;
}

void CLog::Write(const std::wstring& message, const std::wstring& category)
{
    if (m_nEnabled == 0 || message.empty())
        return;

    const std::wstring logDir = m_strBaseDir + L"\\log";
    if (!PathIsExistingDirectory(logDir))
        ::CreateDirectoryW(logDir.c_str(), nullptr);

    // Retention: the same category's file of exactly 15 days ago goes.
    const time_t now = time(nullptr);
    const std::wstring oldPath = BuildFilePath(category, LocalTimeOf(now - time_t(kRetentionSeconds)));
    {
        std::wstring oldDir = oldPath.substr(0, oldPath.find_last_of(L'\\'));
        if (PathIsExistingDirectory(oldDir))
            ::DeleteFileW(oldPath.c_str());
    }

    const std::wstring path = BuildFilePath(category, LocalTimeOf(now));
    if (!PathIsExistingDirectory(path.substr(0, path.find_last_of(L'\\'))))
        return;

    // A template of the product may give each new day's file its first bytes.
    ::CopyFileW(L"unicodeLog.dat", path.c_str(), TRUE);

    if (!m_hLock)
        return;
    DWORD wait = ::WaitForSingleObject(m_hLock.Get(), kLockWaitMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        return;

    // Stamped when the line is written, not when the call began: the wait
    // for the lock may have taken a while.
    SYSTEMTIME local = {};
    ::GetLocalTime(&local);
    CStlStringW stamp;
    stamp.Format(L"%04u-%02u-%02u %02u:%02u:%02u", unsigned(local.wYear), unsigned(local.wMonth),
                 unsigned(local.wDay), unsigned(local.wHour), unsigned(local.wMinute),
                 unsigned(local.wSecond));
    CStlStringW line;
    line.SetFormatCapacity(message.size() + 128);
    line.Format(L" %s:%03u Thread ID=%d %s\n", stamp.c_str(), unsigned(local.wMilliseconds),
                int(::GetCurrentThreadId()), message.c_str());
    AppendUnicodeLine(path, line);

    ::ReleaseMutex(m_hLock.Get());
}

std::wstring FormatDateStamp(const SYSTEMTIME& date)
{
    return FormatW(L"%04u%02u%02u", unsigned(date.wYear), unsigned(date.wMonth), unsigned(date.wDay));
}

CLog& GetLog()
{
    // Never destroyed: threads that outlive the entry code (a service thread
    // finishing after the service reported stopped) may still log while the
    // process ends.  The system closes the lock with the process.
    static CLog* const log = new CLog;
    return *log;
}

// Built with the program's static objects, so the logger exists before the
// entry code runs, as every part of the program expects.
[[maybe_unused]] static CLog& g_logAtStart = GetLog();

void WriteLog(const std::wstring& message)
{
    GetLog().Write(message, L"OrvServ");
}

void DebugTrace(const std::wstring& message)
{
    CStlStringW text;
    text.SetFormatCapacity(message.size() + 32);
    text.Format(L"%s threadID=%d", message.c_str(), int(::GetCurrentThreadId()));
    ::OutputDebugStringW(text.c_str());
}
