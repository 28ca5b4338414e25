#include "process_launch.h"

#include "file_utils.h"
#include "log.h"
#include "platform.h"
#include "session_tokens.h"
#include "stl_string.h"

#include <shellapi.h>
#include <userenv.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD kNoSession = DWORD(-1);

// Shell launch shared by both ExecuteApplication variants.  readExitCode
// decides whether the process is awaited without limit (and its code read) or
// only for waitMs.
int ShellLaunch(const std::wstring& path, const std::wstring& parameters, const wchar_t* verb, int show,
                const std::wstring& directory, bool readExitCode, DWORD waitMs)
{
    if (!PathIsExistingFile(path))
        return -2;

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = nullptr;
    info.lpVerb = verb;
    info.lpFile = path.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    info.nShow = show;
    if (!::ShellExecuteExW(&info)) {
        DebugTrace(L"+++ExecuteApplication failed");
        info.hProcess = nullptr;
    }
    CHandle process(info.hProcess);
    if (!process)
        return -1;
    if (!readExitCode) {
        ::WaitForSingleObject(process.Get(), waitMs);
        return -1;
    }
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process.Get(), &exitCode))
        return -1;
    return int(exitCode);
}

bool IsOlderThanVista()
{
    return IsWin2000() || CCommonTools::IsXP();
}

// Launches with the token and logs the outcome the way both session launches do.
int LaunchWithToken(HANDLE token, const std::wstring& path, const wchar_t* commandLine, DWORD& exitCode,
                    int waitMs, const wchar_t* successLine)
{
    if (CreateProcessWithUserToken(token, path, commandLine, exitCode, waitMs)) {
        WriteLog(successLine);
        return 0;
    }
    const DWORD error = ::GetLastError();
    WriteLog(FormatW(L"%s if (!bResult) %d ", path.c_str(), int(error)));
    return 13;
}

void WriteTT(const std::wstring& message)
{
    GetLog().Write(message, L"TT");
}

// A manifest is a short text; anything larger is not taken as one.
constexpr DWORD kMaxManifestSize = 1024 * 1024;

// True when [bytes, bytes + size) lies inside one committed, readable region.
bool IsReadableRange(const char* bytes, DWORD size)
{
    MEMORY_BASIC_INFORMATION region = {};
    if (::VirtualQuery(bytes, &region, sizeof(region)) != sizeof(region))
        return false;
    if (region.State != MEM_COMMIT || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)))
        return false;
    const DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (!(region.Protect & kReadable))
        return false;
    const char* end = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    return bytes < end && size_t(end - bytes) >= size;
}

// The bytes of manifest resource 1, or false when the file has none.  The
// file is not ours (it may come from any CD), so the size its resource table
// gives is checked against what is really mapped before anything is copied.
bool ReadManifest(const std::wstring& path, std::string& manifest)
{
    CLibrary module(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return false;
    WriteTT(L"HMODULE hModule!=NULL");
    HRSRC resource = ::FindResourceW(module.Get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (!resource)
        return false;
    const DWORD size = ::SizeofResource(module.Get(), resource);
    HGLOBAL loaded = ::LoadResource(module.Get(), resource);
    const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (!bytes || size > kMaxManifestSize || !IsReadableRange(bytes, size))
        return false;
    std::vector<char> buffer(size_t(size) + 1, '\0');
    memcpy(buffer.data(), bytes, size);
    manifest = buffer.data();   // the text ends at the first zero byte
    return true;
}

} // namespace

int ExecuteApplication(const std::wstring& path, const std::wstring& parameters, DWORD waitMs, BYTE elevate,
                       int show, const std::wstring& directory)
{
    const wchar_t* verb = L"open";
    if (!IsOlderThanVista() && elevate) {
        DebugTrace(L"++++ExecuteApplication runas");
        verb = L"runas";
    }
    return ShellLaunch(path, parameters, verb, show, directory, waitMs == 0, waitMs);
}

int ExecuteApplication(const std::wstring& path, const std::wstring& parameters, const std::wstring& directory)
{
    return ShellLaunch(path, parameters, L"open", SW_HIDE, directory, true, 0);
}

int ExecuteApp(const std::wstring& path, DWORD& exitCode, const wchar_t* commandLine, int waitMs)
{
    if (IsWin2000()) {
        exitCode = 10;
        HINSTANCE result = ::ShellExecuteW(nullptr, L"open", path.c_str(), commandLine, nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(result) <= 32 ? 13 : 0;
    }
    if (CCommonTools::IsXP()) {
        WriteLog(L"CCommonTools::IsXP()");
        return CreateUserProcessFromLocalSystem(path, commandLine, exitCode, waitMs);
    }
    if (GetExtIsNeedAdmin(path)) {
        WriteLog(L"GetExtIsNeedAdmin");
        return CreateAdminProcessFromLocalSystem(path, commandLine, exitCode, waitMs);
    }
    WriteLog(L"ExecuteApp last");
    return CreateUserProcessFromLocalSystem(path, commandLine, exitCode, waitMs);
}

namespace {

// The session of the user at the console; kNoSession (logged) when there is none.
DWORD ActiveConsoleSession(const ISessionTokens& sessions)
{
    const DWORD sessionId = sessions.GetActiveConsoleSessionId();
    if (sessionId == kNoSession)
        WriteLog(L"(DWORD)-1 == dwSessionId");
    return sessionId;
}

} // namespace

int CreateUserProcessFromLocalSystem(const std::wstring& path, const wchar_t* commandLine, DWORD& exitCode,
                                     int waitMs)
{
    const ISessionTokens& sessions = GetSessionTokens();
    const DWORD sessionId = ActiveConsoleSession(sessions);
    if (sessionId == kNoSession)
        return 13;
    // Without the user's own token nothing is started: a copy of the service's
    // LocalSystem token on the user's desktop would hand the machine to the user.
    CHandle userToken;
    if (!sessions.QueryUserToken(sessionId, userToken)) {
        WriteLog(FormatW(L"CreateUserProcessFromLocalSystem   no user token in session %d, errcode=%d",
                         int(sessionId), int(::GetLastError())));
        return 13;
    }
    return LaunchWithToken(userToken.Get(), path, commandLine, exitCode, waitMs,
                           L"CreateUserProcessFromLocalSystem OK");
}

int CreateAdminProcessFromLocalSystem(const std::wstring& path, const wchar_t* commandLine, DWORD& exitCode,
                                      int waitMs)
{
    const ISessionTokens& sessions = GetSessionTokens();
    const DWORD sessionId = ActiveConsoleSession(sessions);
    if (sessionId == kNoSession)
        return 13;
    // Only the user's linked token is used; the service's own token is never
    // carried onto the user's desktop.
    CHandle adminToken;
    bool obtained = false;
    {
        CHandle userToken;
        if (sessions.QueryUserToken(sessionId, userToken))
            obtained = GetAdminToken(userToken.Get(), MAXIMUM_ALLOWED, adminToken, kNoSession) != FALSE;
    }
    if (!obtained || !adminToken) {
        WriteLog(L"GetAdminToken Error");
        return 13;
    }
    return LaunchWithToken(adminToken.Get(), path, commandLine, exitCode, waitMs, L"OK");
}

BOOL CreateProcessWithUserToken(HANDLE token, const std::wstring& path, const wchar_t* commandLine,
                                DWORD& exitCode, int waitMs)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    const std::wstring directory = RemoveLastPathComponent(path);

    CEnvironmentBlock environment;
    if (!::CreateEnvironmentBlock(environment.Receive(), token, FALSE)) {
        WriteLog(L"CreateEnvironmentBlock  failed");
        environment.Reset();
    }

    // CreateProcessAsUser may write into the command line.
    std::vector<wchar_t> line;
    if (commandLine) {
        line.assign(commandLine, commandLine + wcslen(commandLine));
        line.push_back(L'\0');
    }
    if (!::CreateProcessAsUserW(token, path.c_str(), commandLine ? line.data() : nullptr, nullptr, nullptr, FALSE,
                                CREATE_UNICODE_ENVIRONMENT | NORMAL_PRIORITY_CLASS, environment.Get(),
                                directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        const DWORD error = ::GetLastError();
        environment.Reset();
        ::SetLastError(error);
        return FALSE;
    }
    CHandle process(info.hProcess), thread(info.hThread);
    ::WaitForSingleObject(process.Get(), waitMs > 0 ? DWORD(waitMs) : INFINITE);
    return ::GetExitCodeProcess(process.Get(), &exitCode);
}

BOOL GetAdminToken(HANDLE token, DWORD access, CHandle& newToken, DWORD sessionId)
{
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenLinkedToken, &linked, sizeof(linked), &size))
        return FALSE;
    CHandle linkedToken(linked.LinkedToken);
    BOOL result = ::DuplicateTokenEx(linkedToken.Get(), access, nullptr, SecurityImpersonation, TokenPrimary,
                                     newToken.Receive());
    if (result && sessionId != kNoSession)
        result = ::SetTokenInformation(newToken.Get(), TokenSessionId, &sessionId, sizeof(sessionId));
    return result;
}

BOOL DuplicateTokenToSession(HANDLE token, DWORD access, CHandle& newToken, DWORD sessionId)
{
    if (!::DuplicateTokenEx(token, access, nullptr, SecurityImpersonation, TokenPrimary, newToken.Receive()))
        return FALSE;
    return ::SetTokenInformation(newToken.Get(), TokenSessionId, &sessionId, sizeof(sessionId));
}

bool GetExtIsNeedAdmin(const std::wstring& path)
{
    WriteTT(path);
    std::string manifest;
    if (!ReadManifest(path, manifest)) {
        WriteTT(L"return false");
        return false;
    }
    WriteTT(AnsiToWide(manifest));

    // The level sits between the two markers; a missing marker counts as
    // position -1, and a negative length leaves the level empty.
    static const char kLevelMarker[] = "requestedExecutionLevel level=\"";
    static const char kEndMarker[] = "\" uiAccess";
    const size_t levelPos = manifest.find(kLevelMarker);
    const size_t endPos = manifest.find(kEndMarker);
    const long long start = (levelPos == std::string::npos ? -1LL : (long long)levelPos) + 31;
    const long long end = endPos == std::string::npos ? -1LL : (long long)endPos;
    std::string level;
    if (end - start > 0 && start >= 0)
        level = manifest.substr(size_t(start), size_t(end - start));
    WriteTT(AnsiToWide(level));

    if (level == "asInvoker") {
        WriteTT(L"return false");
        return false;
    }
    WriteTT(L"return true");
    return true;
}
