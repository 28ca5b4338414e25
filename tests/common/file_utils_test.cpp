#include "file_utils.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

DWORD Attributes(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str());
}

// A small product tree as it arrives from a CD: nested folders, a dot-folder,
// a dot-file, and read-only and hidden files.
struct SourceTree {
    CTempDir dir{L"src"};
    SourceTree()
    {
        ::CreateDirectoryW((dir / L"sub").c_str(), nullptr);
        ::CreateDirectoryW((dir / L"sub\\deeper").c_str(), nullptr);
        ::CreateDirectoryW((dir / L".svn").c_str(), nullptr);
        WriteBytes(dir / L"a.txt", "12345");
        WriteBytes(dir / L".profile", "abc");
        WriteBytes(dir / L"sub\\b.bin", std::string(1000, 'b'));
        WriteBytes(dir / L"sub\\deeper\\readonly.txt", "ro");
        WriteBytes(dir / L"sub\\hidden.txt", "hid");
        WriteBytes(dir / L".svn\\entries", std::string(7777, 's'));
        ::SetFileAttributesW((dir / L"sub\\deeper\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        ::SetFileAttributesW((dir / L"sub\\hidden.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    }
};

} // namespace

TEST(FileUtils, ModulePathParts)
{
    const std::wstring path = GetModulePath();
    EXPECT_EQ(L"common_tests.exe", GetModuleFileNameOnly());
    EXPECT_EQ(path, GetModuleDirectory() + L"\\" + GetModuleFileNameOnly());
    EXPECT_NE(L'\\', GetModuleDirectory().back());
    EXPECT_EQ(L"C:\\", RemoveLastPathComponent(L"C:\\Setup.exe"));
    EXPECT_EQ(L"E:\\Setup", RemoveLastPathComponent(L"E:\\Setup\\Setup.exe"));
    EXPECT_FALSE(GetCommonAppDataPath().empty());
}

TEST(FileUtils, CopyFolderCopiesTreeSkippingDotFolders)
{
    SourceTree src;
    CTempDir dst(L"dst");
    const std::wstring target = dst / L"Program Files\\Product\\Model";   // chain does not exist yet
    ASSERT_TRUE(CopyFolder(src.dir.Path(), target, L"\\*.*"));

    EXPECT_EQ("12345", ReadBytes(target + L"\\a.txt"));
    EXPECT_EQ("abc", ReadBytes(target + L"\\.profile"));
    EXPECT_EQ(std::string(1000, 'b'), ReadBytes(target + L"\\sub\\b.bin"));
    EXPECT_EQ("ro", ReadBytes(target + L"\\sub\\deeper\\readonly.txt"));
    EXPECT_FALSE(Exists(target + L"\\.svn"));
    EXPECT_TRUE(Attributes(target + L"\\sub\\deeper\\readonly.txt") & FILE_ATTRIBUTE_READONLY)
        << "attributes travel with the copy";

    // A second copy overwrites what is there (writable files).
    WriteBytes(target + L"\\a.txt", "stale");
    ASSERT_TRUE(CopyFolder(src.dir.Path(), target, L"\\*.*"));
    EXPECT_EQ("12345", ReadBytes(target + L"\\a.txt"));
}

TEST(FileUtils, CopyFolderFailsWithoutSource)
{
    CTempDir dst(L"dst");
    EXPECT_FALSE(CopyFolder(dst / L"missing", dst / L"out", L"\\*.*"));
    EXPECT_FALSE(Exists(dst / L"out"));
}

TEST(FileUtils, ClearReadOnlyAttributesNormalisesReadOnlyFilesOnly)
{
    SourceTree src;
    WriteBytes(src.dir / L"sub\\archive.txt", "a");
    ::SetFileAttributesW((src.dir / L"sub\\archive.txt").c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    WriteBytes(src.dir / L".svn\\ro", "r");
    ::SetFileAttributesW((src.dir / L".svn\\ro").c_str(), FILE_ATTRIBUTE_READONLY);

    ClearReadOnlyAttributes(src.dir.Path());

    // Wine reports plain files as archive files; what matters is that the
    // read-only and hidden bits are gone.
    const DWORD cleared = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    EXPECT_EQ(0u, Attributes(src.dir / L"sub\\deeper\\readonly.txt") & cleared);
    EXPECT_EQ(0u, Attributes(src.dir / L"sub\\hidden.txt") & cleared) << "hidden read-only becomes visible";
    EXPECT_TRUE(Attributes(src.dir / L"sub\\archive.txt") & FILE_ATTRIBUTE_HIDDEN) << "not read-only: untouched";
    EXPECT_TRUE(Attributes(src.dir / L".svn\\ro") & FILE_ATTRIBUTE_READONLY) << "dot-folders are skipped";
}

TEST(FileUtils, GetFolderSizeCountsEveryFileOnceAndSkipsDotFolders)
{
    SourceTree src;
    uint64_t total = 10;
    EXPECT_EQ(10u + 5 + 3 + 1000 + 2 + 3, GetFolderSize(src.dir.Path(), total, L"\\*.*"));
    EXPECT_EQ(10u + 5 + 3 + 1000 + 2 + 3, total);

    uint64_t untouched = 42;
    EXPECT_EQ(0u, GetFolderSize(src.dir / L"missing", untouched, L"\\*.*"));
    EXPECT_EQ(42u, untouched);
}

TEST(FileUtils, DeleteFolderKeepsReadOnlyFileAndItsChain)
{
    SourceTree src;
    EXPECT_TRUE(DeleteFolder(src.dir.Path(), L"\\*.*"));

    EXPECT_TRUE(Exists(src.dir / L"sub\\deeper\\readonly.txt"));
    EXPECT_TRUE(Exists(src.dir / L"sub\\hidden.txt"));
    EXPECT_FALSE(Exists(src.dir / L"a.txt"));
    EXPECT_FALSE(Exists(src.dir / L".profile"));
    EXPECT_FALSE(Exists(src.dir / L"sub\\b.bin"));
    EXPECT_TRUE(Exists(src.dir / L".svn\\entries")) << "dot-folders are not walked";
}

TEST(FileUtils, DeleteFolderRemovesWritableTreeAndFailsOnMissing)
{
    CTempDir dir(L"del");
    const std::wstring root = dir / L"tree";
    ::CreateDirectoryW(root.c_str(), nullptr);
    ::CreateDirectoryW((root + L"\\x").c_str(), nullptr);
    WriteBytes(root + L"\\x\\f", "f");
    EXPECT_TRUE(DeleteFolder(root, L"\\*.*"));
    EXPECT_FALSE(Exists(root));

    EXPECT_FALSE(DeleteFolder(dir / L"missing", L"\\*.*"));
}
