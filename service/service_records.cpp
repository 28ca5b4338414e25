#include "service_records.h"

#include "file_utils.h"
#include "handles.h"
#include "log.h"
#include "platform.h"
#include "stl_string.h"
#include "web_opener.h"

#include <windows.h>

#include <string>

const wchar_t kServiceUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{C8197F5F-E0DC-44f1-8AF2-1AA5A84F695D}";

namespace {

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

void SetString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     DWORD((value.size() + 1) * sizeof(wchar_t)));
}

void SetNumber(HKEY key, const wchar_t* name, DWORD value)
{
    ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

std::wstring TodayAsText()
{
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    return FormatDateStamp(now);
}

// RegDeleteKeyEx where the system has it (it names the registry view), else RegDeleteKey.
LONG DeleteSubKey(HKEY parent, const std::wstring& name)
{
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    HMODULE advapi = ::GetModuleHandleW(L"advapi32.dll");
    auto deleteKeyEx =
        advapi ? reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(::GetProcAddress(advapi, "RegDeleteKeyExW")))
               : nullptr;
    if (deleteKeyEx)
        return deleteKeyEx(parent, name.c_str(), 0, 0);
    return ::RegDeleteKeyW(parent, name.c_str());
}

} // namespace

int AddControlRegKeyEx()
{
    CRegKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kServiceUninstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
        DebugTrace(L"AddControlRegKeyEx RegCreateKeyEx server fialed!");
        return 0;
    }
    const std::wstring modulePath = GetModulePath();
    const std::wstring directory = GetModuleDirectory();
    const std::wstring version = GetFileVersionString(modulePath);
    SetString(key.Get(), L"AppVersion", version);
    SetString(key.Get(), L"DisplayVersion", version);

    const std::wstring uninstaller = directory + L"\\UninstallOrvServ.exe";
    const std::wstring uninstallString = PathIsExistingFile(uninstaller)
                                             ? FormatW(L"\"%s\\UninstallOrvServ.exe\" /uninstall", directory.c_str())
                                             : FormatW(L"\"%s\" /uninstall", modulePath.c_str());
    SetString(key.Get(), L"UninstallString", uninstallString);

    SetString(key.Get(), L"InstallLocation", directory);
    SetString(key.Get(), L"DisplayName", L"OrvServer");
    SetString(key.Get(), L"Publisher", L"Norvane Corporation");
    SetString(key.Get(), L"URLInfoAbout", kMakerWebAddress);
    SetString(key.Get(), L"HelpLink", kMakerWebAddress);
    SetString(key.Get(), L"InstallDate", TodayAsText());
    SetNumber(key.Get(), L"IsAppInstalled", 1);
    SetNumber(key.Get(), L"NoModify", 1);
    SetNumber(key.Get(), L"NoRepair", 1);
    return 1;
}

int DeleteControlRegKey()
{
    const std::wstring path = kServiceUninstallKey;
    const size_t slash = path.find_last_of(L'\\');
    CRegKey parent;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS, parent.Receive()) !=
        ERROR_SUCCESS)
        return 0;
    DeleteSubKey(parent.Get(), path.substr(slash + 1));
    return 1;
}

int RemoveStartItemFromRegistry()
{
    WriteLog(L"RemoveStartItemFromRegistry    Enter");
    CRegKey run;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, run.Receive()) != ERROR_SUCCESS) {
        WriteLog(L"RemoveStartItemFromRegistry    rk.Open failed");
        return 0;
    }
    ::RegDeleteValueW(run.Get(), L"LaunchUI");
    if (::RegDeleteValueW(run.Get(), L"PlayGuard_Server") != ERROR_SUCCESS)
        WriteLog(L"RemoveStartItemFromRegistry    rk.DeleteValue failed");
    return 1;
}

int RemoveServiceRecords()
{
    DeleteControlRegKey();
    return RemoveStartItemFromRegistry();
}
