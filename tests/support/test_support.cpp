#include "test_support.h"

#include "file_utils.h"
#include "handles.h"

#include <gtest/gtest.h>

namespace testing_support {

std::wstring BinDir()
{
    return GetModuleDirectory();
}

CTempDir::CTempDir(const std::wstring& hint)
{
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    static LONG counter = 0;
    for (;;) {
        wchar_t name[64];
        swprintf(name, 64, L"orv-%ls-%lu-%ld", hint.c_str(), ::GetCurrentProcessId(),
                 ::InterlockedIncrement(&counter));
        std::wstring path = std::wstring(temp) + name;
        if (::CreateDirectoryW(path.c_str(), nullptr)) {
            m_path = path;
            return;
        }
    }
}

CTempDir::~CTempDir()
{
    RemoveTree(m_path);
}

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data = {};
    CFindHandle find(::FindFirstFileW((path + L"\\*").c_str(), &data));
    if (find) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                ::DeleteFileW(child.c_str());
        } while (::FindNextFileW(find.Get(), &data));
    }
    find.Reset();
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(path.c_str());
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.IsValid()) << ToUtf8(path);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr));
}

std::string ReadBytes(const std::wstring& path)
{
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteIni(const std::wstring& path, const std::wstring& text)
{
    std::string bytes("\xFF\xFE", 2);
    for (wchar_t c : text) {
        if (c == L'\n') {
            bytes.append("\r\0", 2);
        }
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char((c >> 8) & 0xFF));
    }
    WriteBytes(path, bytes);
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size);
    return out;
}

bool RunProgram(const std::wstring& exe, const std::wstring& commandLine, DWORD& exitCode, DWORD timeoutMs,
                const std::wstring& workingDir)
{
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring line = commandLine;
    line.push_back(L'\0');
    if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &si, &pi))
        return false;
    CHandle process(pi.hProcess), thread(pi.hThread);
    if (::WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.Get(), 1);
        return false;
    }
    return ::GetExitCodeProcess(process.Get(), &exitCode) != FALSE;
}

void InstallRecorder(const std::wstring& path, int exitCode, DWORD sleepMs)
{
    ASSERT_TRUE(::CopyFileW((BinDir() + L"\\recorder.exe").c_str(), path.c_str(), FALSE)) << ToUtf8(path);
    std::wstring base = path.substr(0, path.size() - 4);
    ::DeleteFileW((base + L".rec").c_str());
    WriteIni(base + L".ini", L"[recorder]\nexit_code=" + std::to_wstring(exitCode) +
                                 L"\nsleep_ms=" + std::to_wstring(sleepMs) + L"\n");
}

std::vector<LaunchRecord> ReadLaunchRecords(const std::wstring& recorderPath)
{
    std::wstring base = recorderPath.substr(0, recorderPath.size() - 4);
    std::wstring text = FromUtf8(ReadBytes(base + L".rec"));
    std::vector<LaunchRecord> records;
    LaunchRecord current;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            break;   // a record still being written
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (line.rfind(L"cmdline=", 0) == 0)
            current.commandLine = line.substr(8);
        else if (line.rfind(L"cwd=", 0) == 0)
            current.workingDir = line.substr(4);
        else if (line.rfind(L"session=", 0) == 0)
            current.session = DWORD(_wtoi(line.c_str() + 8));
        else if (line == L"end") {
            records.push_back(current);
            current = LaunchRecord();
        }
    }
    return records;
}

std::vector<LaunchRecord> WaitForLaunchRecords(const std::wstring& recorderPath, size_t count, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        auto records = ReadLaunchRecords(recorderPath);
        if (records.size() >= count || ::GetTickCount() - start > timeoutMs)
            return records;
        ::Sleep(20);
    }
}

CFakeOsVersion::CFakeOsVersion(DWORD major, DWORD minor, LANGID language)
    : m_major(major), m_minor(minor), m_language(language)
{
}

bool CFakeOsVersion::GetVersionInfo(OSVERSIONINFOW& info) const
{
    info.dwMajorVersion = m_major;
    info.dwMinorVersion = m_minor;
    info.dwBuildNumber = 0;
    info.dwPlatformId = VER_PLATFORM_WIN32_NT;
    return true;
}

CScopedOsVersion::CScopedOsVersion(DWORD major, DWORD minor, LANGID language)
    : m_fake(major, minor, language), m_previous(SetOsVersionForTesting(&m_fake))
{
}

CScopedOsVersion::~CScopedOsVersion()
{
    SetOsVersionForTesting(m_previous);
}

int CFakeUserPrompt::Show(HWND, const std::wstring& text, const std::wstring& caption, UINT type)
{
    asked.push_back({text, caption, type});
    if (asked.size() <= answers.size())
        return answers[asked.size() - 1];
    return IDOK;
}

} // namespace testing_support
