#include "os_version.h"

namespace {
const CWin32OsVersion g_win32OsVersion;
const IOsVersion* g_osVersion = nullptr;
} // namespace

bool CWin32OsVersion::GetVersionInfo(OSVERSIONINFOW& info) const
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ::GetVersionExW(&info) != FALSE;
#pragma GCC diagnostic pop
}

LANGID CWin32OsVersion::GetSystemDefaultLanguage() const
{
    return ::GetSystemDefaultLangID();
}

const IOsVersion& GetOsVersion()
{
    return g_osVersion ? *g_osVersion : g_win32OsVersion;
}

const IOsVersion* SetOsVersionForTesting(const IOsVersion* replacement)
{
    const IOsVersion* previous = g_osVersion;
    g_osVersion = replacement;
    return previous;
}
