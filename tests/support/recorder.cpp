// Stands in for a program that the system starts.  Each start appends one
// record to "<own path without .exe>.rec" (UTF-8):
//   cmdline=<the whole command line as received>
//   cwd=<working directory>
//   session=<terminal-services session of the process>
//   end
// Optional "<own path without .exe>.ini", section [recorder]: exit_code
// (default 0) and sleep_ms (default 0; the record is written before sleeping).
#include <windows.h>

#include <string>

namespace {

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring base(path);
    if (base.size() > 4)
        base.erase(base.size() - 4);

    wchar_t cwd[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, cwd);
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);

    const std::string record = "cmdline=" + ToUtf8(::GetCommandLineW()) + "\ncwd=" + ToUtf8(cwd) +
                               "\nsession=" + std::to_string(session) + "\nend\n";
    const std::wstring recordPath = base + L".rec";
    // Several starts may overlap: retry while another start holds the file.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE file = ::CreateFileW(recordPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(file, record.data(), DWORD(record.size()), &written, nullptr);
            ::CloseHandle(file);
            break;
        }
        ::Sleep(10);
    }

    const std::wstring ini = base + L".ini";
    const UINT sleepMs = ::GetPrivateProfileIntW(L"recorder", L"sleep_ms", 0, ini.c_str());
    const int exitCode = int(::GetPrivateProfileIntW(L"recorder", L"exit_code", 0, ini.c_str()));
    if (sleepMs)
        ::Sleep(sleepMs);
    return exitCode;
}
