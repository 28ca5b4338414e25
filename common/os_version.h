// The operating-system facts the programs branch on (family, service pack,
// default language), behind one small interface so that tests can play any
// Windows version.  Production code uses the Win32 implementation.
#pragma once

#include <windows.h>

class IOsVersion {
public:
    virtual ~IOsVersion() = default;
    // Fills the basic version record (dwOSVersionInfoSize is set by the caller).
    virtual bool GetVersionInfo(OSVERSIONINFOW& info) const = 0;
    virtual LANGID GetSystemDefaultLanguage() const = 0;
};

class CWin32OsVersion : public IOsVersion {
public:
    bool GetVersionInfo(OSVERSIONINFOW& info) const override;
    LANGID GetSystemDefaultLanguage() const override;
};

// The process-wide source; the Win32 one unless a test installs another.
const IOsVersion& GetOsVersion();
// Installs a replacement (null restores the Win32 one); returns the previous one.
const IOsVersion* SetOsVersionForTesting(const IOsVersion* replacement);
