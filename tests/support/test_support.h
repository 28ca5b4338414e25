// Helpers shared by the test programs: temporary folders, files, processes,
// launch records and doubles for the seams (operating-system version,
// questions to the user, waits).
#pragma once

#include "os_version.h"
#include "user_prompt.h"
#include "waiter.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Folder of the running test program (build/bin): the other programs live here.
std::wstring BinDir();

// A fresh folder under the temporary directory, removed with everything in it.
class CTempDir {
public:
    explicit CTempDir(const std::wstring& hint = L"t");
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// Removes a tree whatever its attributes; used for clean-up only.
void RemoveTree(const std::wstring& path);

void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
// Writes an INI file as UTF-16 (so any text survives) from "[s]\nk=v\n" text.
void WriteIni(const std::wstring& path, const std::wstring& text);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// Starts a program (command line as given) and waits; false when it could not
// be started or did not end within the timeout.
bool RunProgram(const std::wstring& exe, const std::wstring& commandLine, DWORD& exitCode,
                DWORD timeoutMs = 60000, const std::wstring& workingDir = L"");

// One start seen by a recorder program.
struct LaunchRecord {
    std::wstring commandLine;
    std::wstring workingDir;
    DWORD session = 0;
};
// Copies the recorder program to the given path (any name) and sets how it
// behaves: its exit code and how long it keeps running.
void InstallRecorder(const std::wstring& path, int exitCode = 0, DWORD sleepMs = 0);
// The starts recorded by the recorder installed at the given path.
std::vector<LaunchRecord> ReadLaunchRecords(const std::wstring& recorderPath);
// Waits until at least count starts were recorded (or the timeout passed).
std::vector<LaunchRecord> WaitForLaunchRecords(const std::wstring& recorderPath, size_t count,
                                               DWORD timeoutMs = 10000);

// Plays a given Windows version for the operating-system queries.
class CFakeOsVersion : public IOsVersion {
public:
    CFakeOsVersion(DWORD major, DWORD minor, LANGID language = 1033);
    bool GetVersionInfo(OSVERSIONINFOW& info) const override;
    LANGID GetSystemDefaultLanguage() const override { return m_language; }

private:
    DWORD m_major, m_minor;
    LANGID m_language;
};

// Installs a fake version for its lifetime.
class CScopedOsVersion {
public:
    CScopedOsVersion(DWORD major, DWORD minor, LANGID language = 1033);
    ~CScopedOsVersion();

private:
    CFakeOsVersion m_fake;
    const IOsVersion* m_previous;
};

// Answers questions from a script and remembers what was asked.
class CFakeUserPrompt : public IUserPrompt {
public:
    struct Question {
        std::wstring text, caption;
        UINT type;
    };
    std::vector<int> answers;   // given in order; IDOK once they run out
    std::vector<Question> asked;
    int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
};

// Records waits instead of sleeping.
class CFakeWaiter : public IWaiter {
public:
    std::vector<DWORD> waits;
    void Sleep(DWORD milliseconds) override { waits.push_back(milliseconds); }
};

} // namespace testing_support
