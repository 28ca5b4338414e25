#include "norvane_app_manager.h"
#include "registry_tools.h"

#include "handles.h"
#include "log.h"
#include "log_reader.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const wchar_t kTestKey[] = L"Software\\OrvServTests\\Registry";
const wchar_t kSerialKey[] = L"SYSTEM\\CurrentControlSet\\Services\\OrvSupport\\SerialNumber";
const wchar_t kProjectKey[] = L"SYSTEM\\CurrentControlSet\\Services\\OrvSupport\\Project";

void SetRaw(HKEY hive, const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    CRegKey k;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               k.Receive(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(k.Get(), name, 0, type, static_cast<const BYTE*>(data), size));
}

void SetString(HKEY hive, const std::wstring& key, const wchar_t* name, const std::wstring& text)
{
    SetRaw(hive, key, name, REG_SZ, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
}

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\OrvServTests");
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\OrvServTests");
        for (const std::wstring& project : m_projects)
            ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kProjectKey) + L"\\" + project).c_str());
        CRegKey serials;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialKey, 0, KEY_ALL_ACCESS, serials.Receive()) == ERROR_SUCCESS) {
            for (const std::wstring& serial : m_serials)
                ::RegDeleteValueW(serials.Get(), serial.c_str());
        }
    }

    // Serial number -> project -> values, as the installer leaves them.
    void AddProject(const std::wstring& serial, const std::wstring& project, const std::wstring& installedPath,
                    const std::wstring& mainProgram, const std::wstring& cmType)
    {
        m_serials.push_back(serial);
        m_projects.push_back(project);
        SetString(HKEY_LOCAL_MACHINE, kSerialKey, serial.c_str(), project);
        const std::wstring key = std::wstring(kProjectKey) + L"\\" + project;
        if (!installedPath.empty())
            SetString(HKEY_LOCAL_MACHINE, key, L"InstalledPath", installedPath);
        if (!mainProgram.empty())
            SetString(HKEY_LOCAL_MACHINE, key, L"MainProgram", mainProgram);
        if (!cmType.empty())
            SetString(HKEY_LOCAL_MACHINE, key, L"CmType", cmType);
    }

    std::vector<std::wstring> m_serials, m_projects;
};

} // namespace

TEST(RegistryTools, HiveNumbers)
{
    EXPECT_EQ(HKEY_CLASSES_ROOT, CRegistryTools::HiveOf(0));
    EXPECT_EQ(HKEY_CURRENT_USER, CRegistryTools::HiveOf(1));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, CRegistryTools::HiveOf(2));
    EXPECT_EQ(HKEY_USERS, CRegistryTools::HiveOf(3));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, CRegistryTools::HiveOf(4));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, CRegistryTools::HiveOf(-1));
}

TEST_F(RegistryTest, WriteCreatesTheKeyAndReadGivesTheText)
{
    EXPECT_EQ(0, CRegistryTools::WriteString(1, kTestKey, L"Name", L"Value one"));
    std::wstring text;
    EXPECT_EQ(0, CRegistryTools::ReadString(1, kTestKey, L"Name", 260, text));
    EXPECT_EQ(L"Value one", text);

    CRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, key.Receive()));
    DWORD type = 0;
    ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(key.Get(), L"Name", nullptr, &type, nullptr, nullptr));
    EXPECT_EQ(DWORD(REG_SZ), type);
}

TEST_F(RegistryTest, ReadRefusesWhatIsNotAFittingTerminatedString)
{
    const DWORD number = 7;
    SetRaw(HKEY_CURRENT_USER, kTestKey, L"Number", REG_DWORD, &number, sizeof(number));
    // The character after the stored three is not zero, so the registry does not add a terminator.
    SetRaw(HKEY_CURRENT_USER, kTestKey, L"Unterminated", REG_SZ, L"abcd", 3 * sizeof(wchar_t));
    const std::wstring expandable = L"%TEMP%\\x";
    SetRaw(HKEY_CURRENT_USER, kTestKey, L"Expand", REG_EXPAND_SZ, expandable.c_str(),
           DWORD((expandable.size() + 1) * sizeof(wchar_t)));
    SetString(HKEY_CURRENT_USER, kTestKey, L"Six", L"abcdef");

    struct Case {
        const wchar_t* key;
        const wchar_t* value;
        DWORD maxChars;
        int result;
        const wchar_t* text;   // the out text afterwards ("untouched" when refused)
    } cases[] = {
        {kTestKey, L"Number", 260, 1, L"untouched"},
        {kTestKey, L"Unterminated", 260, 1, L"untouched"},
        {kTestKey, L"Missing", 260, 1, L"untouched"},
        {L"Software\\OrvServTests\\NoSuchKey", L"Six", 260, 1, L"untouched"},
        {kTestKey, L"Six", 6, 1, L"untouched"},   // no room for the terminator
        {kTestKey, L"Six", 7, 0, L"abcdef"},
        {kTestKey, L"Expand", 260, 0, L"%TEMP%\\x"},   // not expanded
    };
    for (const Case& c : cases) {
        std::wstring text = L"untouched";
        EXPECT_EQ(c.result, CRegistryTools::ReadString(1, c.key, c.value, c.maxChars, text)) << ToUtf8(c.value);
        EXPECT_EQ(c.text, text) << ToUtf8(c.value);
    }
}

TEST_F(RegistryTest, MainProgramAndKindComeFromTheSerialNumbersProject)
{
    AddProject(L"TESTSN0001", L"OrvTestProjectA", L"C:\\Program Files\\Orv", L"Main.exe", L"WEBUI");
    EXPECT_EQ(L"C:\\Program Files\\Orv\\Main.exe", CNorvaneAppManager::GetMainProgramPath(L"TESTSN0001"));
    EXPECT_EQ(L"WEBUI", CNorvaneAppManager::GetCmType(L"TESTSN0001"));
}

TEST_F(RegistryTest, MissingRecordsGiveEmptyResultsAndLogWhy)
{
    AddProject(L"TESTSN0002", L"OrvTestProjectB", L"C:\\Orv", L"", L"");
    CLogTail log(GetLog().GetModuleName(), L"OrvServ");
    EXPECT_EQ(L"", CNorvaneAppManager::GetMainProgramPath(L"TESTSN0002"));
    EXPECT_TRUE(log.Contains(L"InstalledPath.empty() || MainProgram.empty()\n"));
    EXPECT_EQ(L"", CNorvaneAppManager::GetCmType(L"TESTSN0002"));
    EXPECT_TRUE(log.Contains(L"InstalleStyle.empty()\n"));
    EXPECT_EQ(L"", CNorvaneAppManager::GetMainProgramPath(L"TESTSN_UNKNOWN"));
    EXPECT_TRUE(log.Contains(L" TESTSN_UNKNOWN\n"));
}

TEST_F(RegistryTest, InstallLocationLosesOneTrailingBackslash)
{
    const std::wstring product = L"SOFTWARE\\OrvServTests\\Product";
    struct Case {
        const wchar_t* stored;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\Orv\\", L"C:\\Orv"},
        {L"C:\\Orv\\\\", L"C:\\Orv\\"},
        {L"C:\\Orv", L"C:\\Orv"},
    };
    for (const Case& c : cases) {
        SetString(HKEY_LOCAL_MACHINE, product, L"InstallLocation", c.stored);
        EXPECT_EQ(c.expected, CNorvaneAppManager::GetInstallLocation(product)) << ToUtf8(c.stored);
    }
    SetString(HKEY_LOCAL_MACHINE, product, L"APP_IN_VERSION", L"AB2V1.0.0B05");
    EXPECT_EQ(L"AB2V1.0.0B05", CNorvaneAppManager::ReadRegistryString(product, L"APP_IN_VERSION"));
    EXPECT_EQ(L"", CNorvaneAppManager::ReadRegistryString(product, L"AppVersion"));
    EXPECT_EQ(L"", CNorvaneAppManager::GetInstallLocation(L"SOFTWARE\\OrvServTests\\None"));
}

TEST(VersionCompare, Table)
{
    struct Case {
        const wchar_t* installed;
        const wchar_t* other;
        int verdict;
    } cases[] = {
        {L"AB2V1.0.0B05", L"AB2V1.0.0B07", 2},
        {L"AB2V1.0.0B07", L"AB2V1.0.0B05", 1},
        {L"AB2V1.0.0B05", L"AB2V1.0.0B05", 1},
        {L"AB2V1.0.0B05", L"CD7V1.0.0B05", 0},   // other product line
        {L"ab2v1.0.0B05", L"AB2V1.0.0B05", 1},   // line compared without case
        {L"", L"AB2V1.0.0B05", 0},
        {L"", L"", 1},
        {L"AB2V9.0", L"AB2V12.0", 2},            // the line number keeps its order
        {L"AB2V1.1a", L"AB2V1.12", 1},           // field 2 is compared as written
        {L"AB2V1.0.0B02", L"AB2V1.0.0002", 1},   // letters in field 3 read as 0
        {L"AB2V1.0.0.9", L"AB2V1.0.0.10", 2},    // padded: "00009" < "00010"
        {L"AB2V1'0.0.5", L"AB2V1.0.0.5", 2},     // an apostrophe ends the scan
        {L".1.2.3", L"AB2V1.0", 0},              // a leading period leaves everything empty
        {L"AB2V1.2.3.4 extra", L"AB2V1.2.3.4", 1},
        // Over-long fields are cut to their leading characters.
        {L"AB2V1.1234567890123.0", L"AB2V1.123456789.0", 1},
        {L"AB2V1.0.0.123456789999", L"AB2V1.0.0.123456789", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.verdict, CNorvaneAppManager::CompareVersion(c.installed, c.other))
            << ToUtf8(c.installed) << " vs " << ToUtf8(c.other);
}

TEST(VersionCompare, NormalizedForm)
{
    NormalizedVersion v = CNorvaneAppManager::NormalizeVersion(L"AB2V12.0.0B02");
    EXPECT_EQ(L"AB2V", v.prefix);
    EXPECT_EQ(L"00012.00000.00002.00000", v.comparable);
    v = CNorvaneAppManager::NormalizeVersion(L"X1.1a.7.B05");
    EXPECT_EQ(L"X", v.prefix);
    EXPECT_EQ(L"00001.0001a.00007.00B05", v.comparable);
    v = CNorvaneAppManager::NormalizeVersion(L"AB2V1.0.0." + std::wstring(20, L'9'));
    EXPECT_EQ(L"00001.00000.00000.999999999", v.comparable);
    v = CNorvaneAppManager::NormalizeVersion(std::wstring(70, L'A') + L"1.2");
    EXPECT_EQ(std::wstring(63, L'A'), v.prefix);
    EXPECT_EQ(L"00000.00002.00000.00000", v.comparable);
}

TEST(OtherPrograms, EitherMutexGatesTheService)
{
    EXPECT_FALSE(CNorvaneAppManager::IsOtherProgramRunning());
    for (const wchar_t* name : {L"Global\\NORVANEQ730K1,{3BECC0C8-F8F4-4dae-91C3-BBC1DA71DD21}",
                                L"Global\\SetUp,{C2A53245-48A4-4566-8836-D4BB87221CFE}"}) {
        CHandle held(::CreateMutexW(nullptr, FALSE, name));
        ASSERT_TRUE(held.IsValid());
        EXPECT_TRUE(CNorvaneAppManager::IsOtherProgramRunning()) << ToUtf8(name);
    }
    EXPECT_FALSE(CNorvaneAppManager::IsOtherProgramRunning());
}
