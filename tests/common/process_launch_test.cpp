#include "process_launch.h"

#include "handles.h"
#include "log.h"
#include "log_reader.h"
#include "session_tokens_double.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <cstddef>
#include <cstring>

using namespace testing_support;

namespace {

std::wstring OwnModule()
{
    return GetLog().GetModuleName();
}

// A recorder copied into a fresh folder, so each test sees only its own starts.
class LaunchTest : public ::testing::Test {
protected:
    std::wstring Recorder(const std::wstring& name, int exitCode = 0, DWORD sleepMs = 0)
    {
        const std::wstring path = m_dir / name;
        InstallRecorder(path, exitCode, sleepMs);
        return path;
    }

    CTempDir m_dir{L"launch"};
    CScopedSessionTokens m_sessions;
};

class VistaLaunchTest : public LaunchTest {
protected:
    CScopedOsVersion m_os{6, 1};
};

// Waits until no process runs from the given program file; false when one
// still does after the timeout.
bool WaitForProgramToEnd(const std::wstring& path, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    CFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        CHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (!process || !::QueryFullProcessImageNameW(process.Get(), 0, image, &size) ||
            ::lstrcmpiW(image, path.c_str()) != 0)
            continue;
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        if (::WaitForSingleObject(process.Get(), left) != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

template <typename T>
T At(const std::string& image, size_t offset)
{
    T value{};
    if (offset + sizeof(T) <= image.size())
        memcpy(&value, image.data() + offset, sizeof(T));
    return value;
}

// Where manifest resource 1 keeps its size in the program image, or 0.
size_t ManifestSizeOffset(const std::string& image)
{
    const auto dos = At<IMAGE_DOS_HEADER>(image, 0);
    const auto nt = At<IMAGE_NT_HEADERS32>(image, size_t(dos.e_lfanew));
    const IMAGE_DATA_DIRECTORY& resources = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
    const size_t sections = size_t(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                            nt.FileHeader.SizeOfOptionalHeader;
    size_t root = 0;
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
        const auto section = At<IMAGE_SECTION_HEADER>(image, sections + i * sizeof(IMAGE_SECTION_HEADER));
        if (resources.VirtualAddress >= section.VirtualAddress &&
            resources.VirtualAddress < section.VirtualAddress + section.SizeOfRawData)
            root = section.PointerToRawData + (resources.VirtualAddress - section.VirtualAddress);
    }
    if (!root)
        return 0;
    // Type 24, then name 1, then the first language: the data entry.
    size_t directory = root;
    for (DWORD id : {24u, 1u, 0u}) {
        const auto header = At<IMAGE_RESOURCE_DIRECTORY>(image, directory);
        const size_t count = size_t(header.NumberOfNamedEntries) + header.NumberOfIdEntries;
        size_t next = 0;
        for (size_t i = 0; i < count && !next; ++i) {
            const auto entry = At<IMAGE_RESOURCE_DIRECTORY_ENTRY>(
                image, directory + sizeof(IMAGE_RESOURCE_DIRECTORY) + i * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY));
            if (id == 0 || (!entry.NameIsString && entry.Id == id))
                next = root + entry.OffsetToDirectory;
        }
        if (!next)
            return 0;
        directory = next;
    }
    return directory + offsetof(IMAGE_RESOURCE_DATA_ENTRY, Size);
}

} // namespace

TEST(ManifestLevel, OnlyAsInvokerNeedsNoElevation)
{
    struct Case {
        const wchar_t* program;
        bool needsAdmin;
    } cases[] = {
        {L"recorder_as_invoker.exe", false},
        {L"recorder_require_administrator.exe", true},
        {L"recorder_highest_available.exe", true},
        {L"recorder_uiaccess_first.exe", true},   // the level cannot be isolated
        {L"recorder_as_invoker_no_uiaccess.exe", true},   // nor without the uiAccess marker
        {L"recorder.exe", false},                 // no manifest at all
        {L"no_such_program.exe", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.needsAdmin, GetExtIsNeedAdmin(BinDir() + L"\\" + c.program)) << ToUtf8(c.program);
}

// The program being checked may come from any CD: a manifest size that runs
// past what is mapped, or is far too large, counts as no manifest.
TEST(ManifestLevel, ManifestSizeBeyondTheFileCountsAsNoManifest)
{
    std::string image = ReadBytes(BinDir() + L"\\recorder_require_administrator.exe");
    const size_t sizeAt = ManifestSizeOffset(image);
    ASSERT_NE(0u, sizeAt);
    const DWORD actual = At<DWORD>(image, sizeAt);
    ASSERT_GT(actual, 0u);
    struct Case {
        DWORD size;
        bool needsAdmin;
    } cases[] = {
        {actual, true},            // the copy itself is sound
        {1024 * 1024, false},      // within the limit, past the mapped file
        {0x7FFFFFF0, false},       // far over the limit
    };
    CTempDir dir(L"manifest");
    for (const Case& c : cases) {
        memcpy(image.data() + sizeAt, &c.size, sizeof(c.size));
        const std::wstring copy = dir / (L"sized" + std::to_wstring(c.size) + L".exe");
        WriteBytes(copy, image);
        EXPECT_EQ(c.needsAdmin, GetExtIsNeedAdmin(copy)) << c.size;
    }
}

TEST(ManifestLevel, CheckIsLoggedUnderItsOwnCategory)
{
    CLogTail tt(OwnModule(), L"TT");
    const std::wstring path = BinDir() + L"\\recorder_require_administrator.exe";
    GetExtIsNeedAdmin(path);
    const std::wstring text = tt.NewText();
    EXPECT_NE(std::wstring::npos, text.find(path));
    EXPECT_NE(std::wstring::npos, text.find(L"HMODULE hModule!=NULL"));
    EXPECT_NE(std::wstring::npos, text.find(L"requireAdministrator\n"));
    EXPECT_NE(std::wstring::npos, text.find(L"return true"));
}

TEST_F(VistaLaunchTest, CommandLineReachesTheProgramVerbatim)
{
    const std::wstring recorder = Recorder(L"target.exe", 7);
    DWORD exitCode = 0;
    ASSERT_EQ(0, ExecuteApp(recorder, exitCode, L"run", 0));
    EXPECT_EQ(7u, exitCode);
    auto records = ReadLaunchRecords(recorder);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(L"run", records[0].commandLine);
    EXPECT_EQ(m_dir.Path(), records[0].workingDir);
}

TEST_F(VistaLaunchTest, ShortWaitLeavesTheProgramRunning)
{
    const std::wstring recorder = Recorder(L"slow.exe", 0, 800);
    DWORD exitCode = 0;
    EXPECT_EQ(0, ExecuteApp(recorder, exitCode, L"run", 10));
    EXPECT_EQ(259u, exitCode);   // still active
    EXPECT_EQ(1u, WaitForLaunchRecords(recorder, 1).size());
    EXPECT_TRUE(WaitForProgramToEnd(recorder, 10000));   // before its folder goes
}

TEST_F(VistaLaunchTest, ElevatedTargetTakesTheAdminPath)
{
    CLogTail log(OwnModule(), L"OrvServ");
    const std::wstring admin = m_dir / L"admin.exe";
    ASSERT_TRUE(::CopyFileW((BinDir() + L"\\recorder_require_administrator.exe").c_str(), admin.c_str(), FALSE));
    const std::wstring plain = Recorder(L"plain.exe");
    DWORD exitCode = 0;
    // The double's token has a linked token under Wine, so the launch happens.
    EXPECT_EQ(0, ExecuteApp(admin, exitCode, L"x", 0));
    EXPECT_TRUE(log.Contains(L"GetExtIsNeedAdmin\n"));
    EXPECT_TRUE(log.Contains(L" OK\n"));
    EXPECT_EQ(1u, ReadLaunchRecords(admin).size());
    EXPECT_EQ(0, ExecuteApp(plain, exitCode, L"x", 0));
    EXPECT_TRUE(log.Contains(L"ExecuteApp last\n"));
    EXPECT_TRUE(log.Contains(L"CreateUserProcessFromLocalSystem OK"));
}

TEST_F(LaunchTest, XpFamilyAlwaysUsesTheUserToken)
{
    CScopedOsVersion xp(5, 1);
    CLogTail log(OwnModule(), L"OrvServ");
    const std::wstring admin = m_dir / L"admin.exe";
    ASSERT_TRUE(::CopyFileW((BinDir() + L"\\recorder_require_administrator.exe").c_str(), admin.c_str(), FALSE));
    DWORD exitCode = 0;
    EXPECT_EQ(0, ExecuteApp(admin, exitCode, L"x", 0));
    EXPECT_TRUE(log.Contains(L"CCommonTools::IsXP()"));
    EXPECT_FALSE(log.Contains(L"GetExtIsNeedAdmin"));
    EXPECT_EQ(1u, ReadLaunchRecords(admin).size());
}

TEST_F(LaunchTest, Windows2000StartsThroughTheShellWithoutWaiting)
{
    CScopedOsVersion w2k(5, 0);
    const std::wstring recorder = Recorder(L"target.exe", 3);
    DWORD exitCode = 0;
    EXPECT_EQ(0, ExecuteApp(recorder, exitCode, L"run", 0));
    EXPECT_EQ(10u, exitCode);
    auto records = WaitForLaunchRecords(recorder, 1);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(L"run", records[0].commandLine.substr(records[0].commandLine.size() - 3));
    EXPECT_EQ(13, ExecuteApp(m_dir / L"missing.exe", exitCode, L"run", 0));
    ::Sleep(200);
}

TEST_F(VistaLaunchTest, NoLoggedOnUserStartsNothing)
{
    m_sessions.fake.hasUserToken = false;
    CLogTail log(OwnModule(), L"OrvServ");
    const std::wstring recorder = Recorder(L"target.exe");
    DWORD exitCode = 0;
    EXPECT_EQ(13, CreateUserProcessFromLocalSystem(recorder, L"run", exitCode, 0));
    EXPECT_EQ(13, CreateAdminProcessFromLocalSystem(recorder, L"run", exitCode, 0));
    EXPECT_EQ(13, ExecuteApp(recorder, exitCode, L"run", 0));
    EXPECT_TRUE(log.Contains(L"CreateUserProcessFromLocalSystem   no user token in session "));
    EXPECT_TRUE(log.Contains(L"GetAdminToken Error"));
    ::Sleep(300);
    EXPECT_TRUE(ReadLaunchRecords(recorder).empty());
}

TEST_F(VistaLaunchTest, NoConsoleSessionStartsNothing)
{
    m_sessions.fake.sessionId = DWORD(-1);
    CLogTail log(OwnModule(), L"OrvServ");
    const std::wstring recorder = Recorder(L"target.exe");
    DWORD exitCode = 0;
    EXPECT_EQ(13, CreateUserProcessFromLocalSystem(recorder, L"run", exitCode, 0));
    EXPECT_EQ(13, CreateAdminProcessFromLocalSystem(recorder, L"run", exitCode, 0));
    EXPECT_TRUE(log.Contains(L"(DWORD)-1 == dwSessionId"));
    EXPECT_TRUE(ReadLaunchRecords(recorder).empty());
}

TEST_F(VistaLaunchTest, MissingProgramFailsWithItsPathInTheLog)
{
    CLogTail log(OwnModule(), L"OrvServ");
    const std::wstring missing = m_dir / L"missing.exe";
    DWORD exitCode = 0;
    EXPECT_EQ(13, ExecuteApp(missing, exitCode, L"run", 0));
    EXPECT_TRUE(log.Contains(missing + L" if (!bResult) 2 "));
}

TEST_F(LaunchTest, ShellLaunchResults)
{
    const std::wstring recorder = Recorder(L"target.exe", 5);
    const std::wstring missing = m_dir / L"missing.exe";
    // Service variant: the exit code only when waiting without limit.
    EXPECT_EQ(5, ExecuteApplication(recorder, L"regguid", 0, 0, SW_HIDE, L""));
    EXPECT_EQ(-1, ExecuteApplication(recorder, L"regguid", 5000, 0, SW_HIDE, L""));
    EXPECT_EQ(-2, ExecuteApplication(missing, L"regguid", 0, 0, SW_HIDE, L""));
    EXPECT_EQ(5, ExecuteApplication(recorder, L"elevated", 0, 1, SW_HIDE, L""));   // "runas"
    // Installer variant: always waits and reads the exit code.
    EXPECT_EQ(5, ExecuteApplication(recorder, L"/s", m_dir.Path()));
    EXPECT_EQ(-2, ExecuteApplication(missing, L"/s", L""));

    auto records = WaitForLaunchRecords(recorder, 4);
    ASSERT_EQ(4u, records.size());
    EXPECT_NE(std::wstring::npos, records[0].commandLine.find(L"regguid"));
    EXPECT_NE(std::wstring::npos, records[2].commandLine.find(L"elevated"));
    EXPECT_NE(std::wstring::npos, records[3].commandLine.find(L"/s"));
    EXPECT_EQ(m_dir.Path(), records[3].workingDir);
}

TEST(TokenCopies, DuplicateToSessionGivesAPrimaryToken)
{
    CHandle own;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, own.Receive()));
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    CHandle copy;
    ASSERT_TRUE(DuplicateTokenToSession(own.Get(), 0x1AB, copy, session));
    TOKEN_TYPE type = TokenImpersonation;
    DWORD size = 0;
    ASSERT_TRUE(::GetTokenInformation(copy.Get(), TokenType, &type, sizeof(type), &size));
    EXPECT_EQ(TokenPrimary, type);
}
