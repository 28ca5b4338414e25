#include "service_host.h"

#include "file_utils.h"
#include "handles.h"
#include "log.h"
#include "orvserv_worker.h"
#include "service_records.h"
#include "stl_string.h"

#include <cstdarg>
#include <cstdio>
#include <string>

const wchar_t kOrvServServiceName[] = L"OrvServ";

namespace {

SERVICE_STATUS_HANDLE g_hServiceStatus = nullptr;
SERVICE_STATUS g_status = {};

constexpr DWORD kServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;   // 0x110

void ReportStatus()
{
    ::SetServiceStatus(g_hServiceStatus, &g_status);
}

CServiceHandle OpenManager()
{
    return CServiceHandle(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

// RunService and StopService share their shape: open, one request, and one
// error code that still counts as success.
struct ControlTexts {
    const wchar_t* enter;
    const wchar_t* noManager;
    const wchar_t* noService;
    const wchar_t* success;
    const wchar_t* benignSuccess;
    const wchar_t* failure;
};

template <typename Request>
int ControlOperation(const ControlTexts& texts, DWORD access, DWORD benignError, Request request)
{
    WriteLog(texts.enter);
    CServiceHandle manager = OpenManager();
    if (!manager) {
        WriteLog(FormatW(texts.noManager, int(::GetLastError())));
        return 0;
    }
    CServiceHandle service(::OpenServiceW(manager.Get(), kOrvServServiceName, access));
    if (!service) {
        WriteLog(FormatW(texts.noService, int(::GetLastError())));
        return 0;
    }
    if (request(service.Get())) {
        WriteLog(texts.success);
        return 1;
    }
    const DWORD error = ::GetLastError();
    if (error == benignError) {
        WriteLog(texts.benignSuccess);
        return 1;
    }
    WriteLog(FormatW(texts.failure, int(error)));
    return 0;
}

} // namespace

int OrvServMain(const char* commandTail)
{
    WriteLog(L"WinMain   Enter");
    Init();
    ProcessCommand(commandTail ? commandTail : "");
    WriteLog(L"WinMain   leave");
    return 0;
}

void Init()
{
    WriteLog(L"Enter Init");
    g_hServiceStatus = nullptr;
    g_status = {};
    g_status.dwServiceType = kServiceType;
    g_status.dwCurrentState = SERVICE_STOPPED;
    g_status.dwControlsAccepted = SERVICE_ACCEPT_STOP;
    WriteLog(L"Left Init");
}

void ProcessCommand(const char* command)
{
    WriteLog(AnsiToWide(FormatA("ProcessCommand   Enter, Command=%s", command)));
    std::string verb(command);
    if (!verb.empty())
        ::CharLowerBuffA(verb.data(), DWORD(verb.size()));

    if (verb == "/install") {
        Install();
        RunService();
    } else if (verb == "/uninstall") {
        StopService();
        Uninstall();
    } else if (verb == "/start") {
        RunService();
    } else if (verb == "/stop") {
        StopService();
    } else if (verb == "/test") {
        GetOrvServWorker().Run();
    } else {
        wchar_t name[] = L"OrvServ";
        SERVICE_TABLE_ENTRYW table[] = {{name, &ServiceMain}, {nullptr, nullptr}};
        if (!::StartServiceCtrlDispatcherW(table))
            LogEvent(L"Register Service Main Function Error!");
    }
}

int IsInstalled()
{
    WriteLog(L"IsInstalled    Enter");
    int installed = 0;
    CServiceHandle manager = OpenManager();
    if (manager) {
        CServiceHandle service(::OpenServiceW(manager.Get(), kOrvServServiceName, SERVICE_QUERY_CONFIG));
        installed = service ? 1 : 0;
    }
    WriteLog(installed ? L"IsInstalled    ... ... Service is installed"
                       : L"IsInstalled    ... ... Service is not Installed");
    WriteLog(L"IsInstalled    leave");
    return installed;
}

int Install()
{
    WriteLog(L"Install   Enter");
    if (IsInstalled()) {
        WriteLog(L"Install   has IsInstalled");
        return 1;
    }
    CServiceHandle manager = OpenManager();
    if (!manager) {
        WriteLog(L"Install   hSCM == NULL");
        return 0;
    }
    const std::wstring imagePath = FormatW(L"\"%s\"", GetModulePath().c_str());
    CServiceHandle service(::CreateServiceW(manager.Get(), kOrvServServiceName, kOrvServServiceName,
                                            SERVICE_ALL_ACCESS, kServiceType, SERVICE_AUTO_START,
                                            SERVICE_ERROR_NORMAL, imagePath.c_str(), nullptr, nullptr, L"\0",
                                            nullptr, nullptr));
    if (!service) {
        WriteLog(L"Install   hService == NULL");
        manager.Reset();
        WriteLog(L"Install   ... ... CreateService failed");
        return 0;
    }
    WriteLog(L"Install   ... ... CreateService successfully");
    service.Reset();
    manager.Reset();
    WriteLog(L"Install  leave");
    return 1;
}

int Uninstall()
{
    WriteLog(L"Uninstall   Enter");
    if (!IsInstalled()) {
        WriteLog(L"Uninstall   ... ...Not found service");
    } else {
        CServiceHandle manager = OpenManager();
        if (!manager) {
            WriteLog(L"Uninstall   hSCM == NULL");
            return 0;
        }
        CServiceHandle service(::OpenServiceW(manager.Get(), kOrvServServiceName, SERVICE_STOP | DELETE));
        if (!service) {
            manager.Reset();
            WriteLog(L"Uninstall   hService == NULL");
            return 0;
        }
        SERVICE_STATUS status = {};
        ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
        const BOOL deleted = ::DeleteService(service.Get());
        service.Reset();
        manager.Reset();
        if (!deleted) {
            WriteLog(L"Uninstall   DeleteService failed");
            LogEvent(L"Service could not be deleted");
            return 0;
        }
        WriteLog(L"Uninstall   DeleteService success");
    }
    RemoveServiceRecords();
    return 1;
}

int RunService()
{
    static const ControlTexts texts = {
        L"RunService   Enter",
        L"RunService   schSCManager == 0, errcode=%d",
        L"RunService   schService == 0, errcode=%d",
        L"RunService    StartService successfully  1",
        L"RunService    StartService successfully  SERVICE_ALREADY_RUNNING",
        L"RunService   StartService failed, errcode=%d",
    };
    return ControlOperation(texts, SERVICE_START, ERROR_SERVICE_ALREADY_RUNNING,
                            [](SC_HANDLE service) { return ::StartServiceW(service, 0, nullptr) != FALSE; });
}

int StopService()
{
    static const ControlTexts texts = {
        L"StopService   Enter",
        L"StopService   schSCManager == 0, errcode=%d",
        L"StopService   schService == 0, errcode=%d",
        L"StopService   ... ... Stop service successfully  1",
        L"StopService   ... ... Stop service successfully  SERVICE_NOT_ACTIVE",
        L"StopService   ControlService STOP failed, errcode=%d",
    };
    return ControlOperation(texts, SERVICE_STOP, ERROR_SERVICE_NOT_ACTIVE, [](SC_HANDLE service) {
        SERVICE_STATUS status = {};
        return ::ControlService(service, SERVICE_CONTROL_STOP, &status) != FALSE;
    });
}

void WINAPI ServiceMain(DWORD, LPWSTR*)
{
    WriteLog(L"ServiceMain    Enter");
    g_status.dwCurrentState = SERVICE_START_PENDING;
    g_status.dwControlsAccepted = SERVICE_ACCEPT_STOP;
    g_hServiceStatus = ::RegisterServiceCtrlHandlerW(kOrvServServiceName, &Handler);
    if (!g_hServiceStatus) {
        LogEvent(L"Handler not installed");
        WriteLog(L"ServiceMain    ... ... RegisterServiceCtrlHandler failed");
        return;
    }
    ReportStatus();
    g_status.dwWin32ExitCode = 0;
    g_status.dwCheckPoint = 0;
    g_status.dwWaitHint = 0;
    g_status.dwCurrentState = SERVICE_RUNNING;
    ReportStatus();
    WriteLog(L"ServiceMain    ... ... RegisterServiceCtrlHandler successfully");

    AddControlRegKeyEx();
    GetOrvServWorker().Run();

    g_status.dwCurrentState = SERVICE_STOPPED;
    ReportStatus();
    LogEvent(L"Service stopped");
    WriteLog(L"ServiceMain    leave");
}

void WINAPI Handler(DWORD control)
{
    WriteLog(L"WINAPI Handler      Enter");
    switch (control) {
    case SERVICE_CONTROL_STOP:
        WriteLog(L"WINAPI Handler      ... ... SERVICE_CONTROL_STOP");
        g_status.dwCurrentState = SERVICE_STOP_PENDING;
        ReportStatus();
        GetOrvServWorker().CloseWorkerThread();
        break;
    case SERVICE_CONTROL_PAUSE:
        WriteLog(L"WINAPI Handler      ... ... SERVICE_CONTROL_PAUSE");
        break;
    case SERVICE_CONTROL_CONTINUE:
        WriteLog(L"WINAPI Handler      ... ... SERVICE_CONTROL_CONTINUE");
        break;
    case SERVICE_CONTROL_INTERROGATE:
        WriteLog(L"WINAPI Handler      ... ... SERVICE_CONTROL_INTERROGATE");
        break;
    case SERVICE_CONTROL_SHUTDOWN:
        WriteLog(L"WINAPI Handler      ... ... SERVICE_CONTROL_SHUTDOWN");
        break;
    default:
        LogEvent(L"WINAPI Handler      Bad service request");
        break;
    }
    WriteLog(L"WINAPI Handler      leave");
}

void LogEvent(const wchar_t* format, ...)
{
    wchar_t message[256] = {};
    va_list args;
    va_start(args, format);
    _vsnwprintf(message, 255, format, args);
    va_end(args);

    CEventSource source(::RegisterEventSourceW(nullptr, kOrvServServiceName));
    if (!source)
        return;
    const wchar_t* strings[] = {message};
    ::ReportEventW(source.Get(), EVENTLOG_INFORMATION_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
}
