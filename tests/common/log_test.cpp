#include "log.h"

#include "file_utils.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <time.h>

#include <regex>
#include <thread>

using namespace testing_support;

namespace {

std::wstring DateStamp(time_t moment)
{
    struct tm parts = {};
    localtime_s(&parts, &moment);
    wchar_t text[16];
    wcsftime(text, 16, L"%Y%m%d", &parts);
    return text;
}

std::wstring Today()
{
    return DateStamp(time(nullptr));
}

std::wstring DaysAgo(int days)
{
    return DateStamp(time(nullptr) - time_t(days) * 24 * 60 * 60);
}

// Decodes a UTF-16LE file (byte-order mark kept as the first character).
std::wstring ReadUtf16(const std::wstring& path)
{
    std::string bytes = ReadBytes(path);
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(wchar_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
    return text;
}

std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = text.empty() || text[0] != L'\xFEFF' ? 0 : 1;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::wstring LogDir()
{
    return BinDir() + L"\\log";
}

std::wstring ModuleName()
{
    return L"common_tests";
}

// A copy of the log writer in its own folder, with an optional switch file.
struct WriterFolder {
    CTempDir dir{L"log"};
    std::wstring exe = dir / L"Writer.exe";
    explicit WriterFolder(const std::wstring& switches = L"")
    {
        EXPECT_TRUE(::CopyFileW((BinDir() + L"\\log_writer.exe").c_str(), exe.c_str(), FALSE));
        if (!switches.empty())
            WriteIni(dir / L"SdkFeature.ini", L"[SDK_FEATURE]\n" + switches);
    }
    DWORD Run(const std::wstring& category, const std::wstring& message, const std::wstring& cwd = L"")
    {
        DWORD code = 99;
        EXPECT_TRUE(RunProgram(exe, L"Writer.exe \"" + category + L"\" \"" + message + L"\"", code, 30000, cwd));
        return code;
    }
};

} // namespace

TEST(Log, FileNameFollowsModuleCategoryAndDate)
{
    struct Case {
        std::wstring category, expectedName;
    } cases[] = {
        {L"OrvServ", L"common_testsOrvServ" + Today() + L".log"},
        {L"", L"common_testsDataCardLog" + Today() + L".txt"},
        {L"a.b.c", L"common_testsa" + Today() + L".c"},
        {L"TT", L"common_testsTT" + Today() + L".log"},
    };
    for (const Case& c : cases) {
        const std::wstring path = LogDir() + L"\\" + c.expectedName;
        ::DeleteFileW(path.c_str());
        GetLog().Write(L"naming check", c.category);
        EXPECT_TRUE(Exists(path)) << ToUtf8(c.expectedName);
        ::DeleteFileW(path.c_str());
    }
}

TEST(Log, NewFileHasByteOrderMarkCrLfAndLineShape)
{
    const std::wstring path = LogDir() + L"\\" + ModuleName() + L"Shape" + Today() + L".log";
    ::DeleteFileW(path.c_str());
    GetLog().Write(L"first line", L"Shape");
    WriteLog(L"not this file");
    GetLog().Write(L"second line", L"Shape");

    const std::string bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ('\xFF', bytes[0]);
    EXPECT_EQ('\xFE', bytes[1]);

    const std::wstring text = ReadUtf16(path);
    EXPECT_EQ(text.find(L"\n"), text.find(L"\r\n") + 1) << "every line ends with CR LF";
    auto lines = Lines(text);
    ASSERT_EQ(2u, lines.size());
    const std::wregex shape(L" \\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}:\\d{3} Thread ID=\\d+ (.*)");
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, shape)) << ToUtf8(lines[0]);
    EXPECT_EQ(L"first line", match[1].str());
    EXPECT_NE(std::wstring::npos, lines[1].find(L"Thread ID=" + std::to_wstring(::GetCurrentThreadId()) + L" second line"));
    ::DeleteFileW(path.c_str());
}

TEST(Log, ExistingFileIsAppendedAndEmptyMessageWritesNothing)
{
    const std::wstring path = LogDir() + L"\\" + ModuleName() + L"Append" + Today() + L".log";
    ::DeleteFileW(path.c_str());
    GetLog().Write(L"one", L"Append");
    GetLog().Write(L"", L"Append");
    GetLog().Write(L"two", L"Append");
    auto lines = Lines(ReadUtf16(path));
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::wstring::npos, lines[1].find(L"two"));

    // An empty message neither writes nor deletes.
    const std::wstring old = LogDir() + L"\\" + ModuleName() + L"Quiet" + DaysAgo(15) + L".log";
    WriteBytes(old, "x");
    GetLog().Write(L"", L"Quiet");
    EXPECT_TRUE(Exists(old));
    EXPECT_FALSE(Exists(LogDir() + L"\\" + ModuleName() + L"Quiet" + Today() + L".log"));
    ::DeleteFileW(old.c_str());
    ::DeleteFileW(path.c_str());
}

TEST(Log, DeletesOnlyTheFileOfExactlyFifteenDaysAgo)
{
    const std::wstring prefix = LogDir() + L"\\" + ModuleName() + L"Retain";
    const std::wstring day14 = prefix + DaysAgo(14) + L".log";
    const std::wstring day15 = prefix + DaysAgo(15) + L".log";
    const std::wstring day16 = prefix + DaysAgo(16) + L".log";
    const std::wstring otherCategory = LogDir() + L"\\" + ModuleName() + L"Other" + DaysAgo(15) + L".log";
    for (auto* p : {&day14, &day15, &day16, &otherCategory})
        WriteBytes(*p, "old");

    GetLog().Write(L"retention", L"Retain");

    EXPECT_TRUE(Exists(day14));
    EXPECT_FALSE(Exists(day15));
    EXPECT_TRUE(Exists(day16));
    EXPECT_TRUE(Exists(otherCategory));
    for (auto* p : {&day14, &day16, &otherCategory})
        ::DeleteFileW(p->c_str());
    ::DeleteFileW((prefix + Today() + L".log").c_str());
}

TEST(Log, ConcurrentWritersProduceWholeLines)
{
    const std::wstring path = LogDir() + L"\\" + ModuleName() + L"Threads" + Today() + L".log";
    ::DeleteFileW(path.c_str());
    const std::wstring a(300, L'a'), b(300, L'b');
    auto writer = [](const std::wstring& message) {
        for (int i = 0; i < 100; ++i)
            GetLog().Write(message, L"Threads");
    };
    std::thread t1(writer, a), t2(writer, b);
    t1.join();
    t2.join();

    auto lines = Lines(ReadUtf16(path));
    ASSERT_EQ(200u, lines.size());
    for (const auto& line : lines) {
        const std::wstring tail = line.substr(line.size() - 300);
        EXPECT_TRUE(tail == a || tail == b) << "interleaved line";
    }
    ::DeleteFileW(path.c_str());
}

TEST(LogSwitches, LoggingOffCreatesAndDeletesNothing)
{
    WriterFolder folder(L"SDK_LOG_ON=0\n");
    EXPECT_EQ(0u, folder.Run(L"OrvServ", L"hello"));
    EXPECT_FALSE(Exists(folder.dir / L"log"));
    EXPECT_FALSE(Exists(folder.dir / (L"WriterOrvServ" + Today() + L".log")));

    ASSERT_TRUE(::CreateDirectoryW((folder.dir / L"log").c_str(), nullptr));
    const std::wstring old = folder.dir / (L"log\\WriterOrvServ" + DaysAgo(15) + L".log");
    WriteBytes(old, "old");
    EXPECT_EQ(0u, folder.Run(L"OrvServ", L"hello"));
    EXPECT_TRUE(Exists(old));
}

TEST(LogSwitches, DefaultsWriteBesideTheProgramAndTemplateStartsNewFiles)
{
    WriterFolder folder;
    CTempDir cwd(L"cwd");
    WriteBytes(cwd / L"unicodeLog.dat", std::string("\xFF\xFE#\0\r\0\n\0", 8));
    EXPECT_EQ(0u, folder.Run(L"OrvServ", L"from writer", cwd.Path()));
    const std::wstring file = folder.dir / (L"log\\WriterOrvServ" + Today() + L".log");
    auto lines = Lines(ReadUtf16(file));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"#", lines[0]) << "the template's contents start the day's file";
    EXPECT_NE(std::wstring::npos, lines[1].find(L"from writer"));

    // The template never overwrites an existing day's file.
    EXPECT_EQ(0u, folder.Run(L"OrvServ", L"again", cwd.Path()));
    EXPECT_EQ(3u, Lines(ReadUtf16(file)).size());
}

TEST(LogSwitches, TempDirectorySwitchWritesUnderTemp)
{
    WriterFolder folder(L"SDK_LOG_WRITE_TO_TEMP_DIR=1\n");
    CTempDir temp(L"tmp");
    wchar_t oldTmp[MAX_PATH] = {}, oldTemp[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
    ::GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
    ::SetEnvironmentVariableW(L"TMP", temp.Path().c_str());
    ::SetEnvironmentVariableW(L"TEMP", temp.Path().c_str());
    folder.Run(L"OrvServ", L"to temp");
    ::SetEnvironmentVariableW(L"TMP", oldTmp);
    ::SetEnvironmentVariableW(L"TEMP", oldTemp);

    EXPECT_TRUE(Exists(temp / (L"log\\WriterOrvServ" + Today() + L".log")));
    EXPECT_FALSE(Exists(folder.dir / L"log"));
}
