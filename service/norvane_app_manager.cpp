#include "norvane_app_manager.h"

#include "log.h"
#include "platform.h"
#include "registry_tools.h"
#include "shared_mutexes.h"

#include <windows.h>

#include <cwctype>

namespace {

const wchar_t kSerialNumberKey[] = L"SYSTEM\\CurrentControlSet\\Services\\OrvSupport\\SerialNumber";
const wchar_t kProjectKey[] = L"SYSTEM\\CurrentControlSet\\Services\\OrvSupport\\Project";
constexpr int kLocalMachine = 2;
constexpr DWORD kMaxPath = 260;

// Field sizes of a version text.  Over-long fields are cut, never rejected:
// a field keeps its leading characters (63 for the first, 9 for the others)
// and the rest of its run up to the next separator is skipped, so the later
// fields still line up; the line number keeps the first 9 of its digits.
// Versions that long never occur in practice; cutting keeps the comparison
// total and bounded.
constexpr size_t kLineFieldSize = 63;
constexpr size_t kFieldSize = 9;
constexpr size_t kNumberSize = 9;

// The project key of a serial number, or false (with the serial number logged).
bool ProjectKeyOf(const std::wstring& serialNumber, std::wstring& projectKey)
{
    std::wstring project;
    if (CRegistryTools::ReadString(kLocalMachine, kSerialNumberKey, serialNumber, kMaxPath, project) != 0) {
        WriteLog(serialNumber);
        return false;
    }
    projectKey = std::wstring(kProjectKey) + L"\\" + project;
    return true;
}

std::wstring ReadProjectValue(const std::wstring& projectKey, const wchar_t* valueName)
{
    std::wstring text;
    CRegistryTools::ReadString(kLocalMachine, projectKey, valueName, kMaxPath, text);
    return text;
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// A run of characters other than period and apostrophe, starting at pos; the
// first `size` characters are kept.  False when the run is empty.
bool ScanField(const std::wstring& text, size_t& pos, size_t size, std::wstring& field)
{
    const size_t end = text.find_first_of(L".'", pos);
    const size_t stop = end == std::wstring::npos ? text.size() : end;
    if (stop == pos)
        return false;
    field = text.substr(pos, std::min(stop - pos, size));
    pos = stop;
    return true;
}

bool ScanPeriod(const std::wstring& text, size_t& pos)
{
    if (pos >= text.size() || text[pos] != L'.')
        return false;
    ++pos;
    return true;
}

std::wstring PadWithZeros(const std::wstring& part)
{
    return part.size() >= 5 ? part : std::wstring(5 - part.size(), L'0') + part;
}

} // namespace

std::wstring CNorvaneAppManager::ReadRegistryString(const std::wstring& keyPath, const std::wstring& valueName)
{
    std::wstring text;
    if (CRegistryTools::ReadString(kLocalMachine, keyPath, valueName, 1024, text) != 0)
        return std::wstring();
    return text;
}

std::wstring CNorvaneAppManager::GetInstallLocation(const std::wstring& productKey)
{
    std::wstring location;
    if (CRegistryTools::ReadString(kLocalMachine, productKey, L"InstallLocation", kMaxPath, location) != 0)
        return std::wstring();
    if (!location.empty() && location.back() == L'\\')
        location.pop_back();
    return location;
}

std::wstring CNorvaneAppManager::GetMainProgramPath(const std::wstring& serialNumber)
{
    std::wstring projectKey;
    if (!ProjectKeyOf(serialNumber, projectKey))
        return std::wstring();
    const std::wstring installedPath = ReadProjectValue(projectKey, L"InstalledPath");
    const std::wstring mainProgram = ReadProjectValue(projectKey, L"MainProgram");
    if (installedPath.empty() || mainProgram.empty()) {
        WriteLog(L"InstalledPath.empty() || MainProgram.empty()");
        return std::wstring();
    }
    return installedPath + L"\\" + mainProgram;
}

std::wstring CNorvaneAppManager::GetCmType(const std::wstring& serialNumber)
{
    std::wstring projectKey;
    if (!ProjectKeyOf(serialNumber, projectKey))
        return std::wstring();
    const std::wstring cmType = ReadProjectValue(projectKey, L"CmType");
    if (cmType.empty())
        WriteLog(L"InstalleStyle.empty()");
    return cmType;
}

NormalizedVersion CNorvaneAppManager::NormalizeVersion(const std::wstring& version)
{
    // Fields as "%[^'.'].%[^'.'].%[^'.'].%s" splits them: the first three end at
    // a period or an apostrophe, the last is the next blank-free word.  Fields
    // the text does not reach stay empty.
    std::wstring fields[4];
    size_t pos = 0;
    if (ScanField(version, pos, kLineFieldSize, fields[0]) && ScanPeriod(version, pos) &&
        ScanField(version, pos, kFieldSize, fields[1]) && ScanPeriod(version, pos) &&
        ScanField(version, pos, kFieldSize, fields[2]) && ScanPeriod(version, pos)) {
        while (pos < version.size() && std::iswspace(version[pos]))
            ++pos;
        size_t end = pos;
        while (end < version.size() && !std::iswspace(version[end]))
            ++end;
        fields[3] = version.substr(pos, std::min(end - pos, kFieldSize));
    }

    // The digits ending the first field are the line's number; the rest is the line.
    size_t digits = fields[0].size();
    while (digits > 0 && IsDigit(fields[0][digits - 1]))
        --digits;
    const std::wstring number = fields[0].substr(digits, kNumberSize);
    NormalizedVersion result;
    result.prefix = fields[0].substr(0, digits);

    for (wchar_t& c : fields[2]) {
        if (!IsDigit(c))
            c = L'0';
    }
    result.comparable = PadWithZeros(number) + L"." + PadWithZeros(fields[1]) + L"." + PadWithZeros(fields[2]) +
                        L"." + PadWithZeros(fields[3]);
    return result;
}

int CNorvaneAppManager::CompareVersion(const std::wstring& installed, const std::wstring& other)
{
    const NormalizedVersion mine = NormalizeVersion(installed);
    const NormalizedVersion theirs = NormalizeVersion(other);
    if (_wcsicmp(mine.prefix.c_str(), theirs.prefix.c_str()) != 0)
        return 0;
    return mine.comparable.compare(theirs.comparable) < 0 ? 2 : 1;
}

bool CNorvaneAppManager::IsOtherProgramRunning()
{
    if (IsNamedMutexPresent(kOtherProgramMutexName))
        return true;
    return IsNamedMutexPresent(kInstallerMutexName) != 0;
}
