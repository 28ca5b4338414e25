#include "stl_string.h"

#include <gtest/gtest.h>

TEST(StlString, FormatUsesWideStringsAndCutsAtCapacity)
{
    CStlStringW s;
    s.Format(L"%s=%d", L"key", 42);
    EXPECT_EQ(L"key=42", s);

    CStlStringW small;
    small.SetFormatCapacity(5);
    small.Format(L"%s", L"abcdefgh");
    EXPECT_EQ(L"abcd", small);

    CStlStringA narrow;
    narrow.Format("%s %u", "level", 7u);
    EXPECT_EQ("level 7", narrow);
}

TEST(StlString, DefaultCapacityIs1024)
{
    CStlStringW s;
    std::wstring big(3000, L'x');
    s.Format(L"%s", big.c_str());
    EXPECT_EQ(1023u, s.size());
}

TEST(StlString, SplitKeepsEmptyPieces)
{
    auto pieces = CStlStringW(L"a..b.").Split(L'.');
    ASSERT_EQ(4u, pieces.size());
    EXPECT_EQ(L"a", pieces[0]);
    EXPECT_EQ(L"", pieces[1]);
    EXPECT_EQ(L"b", pieces[2]);
    EXPECT_EQ(L"", pieces[3]);
    EXPECT_EQ(1u, CStlStringW(L"").Split(L'.').size());
}

TEST(StlString, TrimReplaceCaseAndParts)
{
    CStlStringW s(L"\\\\path\\\\");
    s.TrimLeft(L"\\").TrimRight(L"\\");
    EXPECT_EQ(L"\\path\\", s);

    CStlStringW r(L"a-b-c");
    EXPECT_EQ(2u, r.ReplaceAll(L"-", L"--"));
    EXPECT_EQ(L"a--b--c", r);

    CStlStringW u(L"vid_3c5d\u00e9");
    u.MakeUpperAscii();
    EXPECT_EQ(L"VID_3C5D\u00e9", u);

    CStlStringW lr(L"abcdef");
    EXPECT_EQ(L"ab", lr.Left(2));
    EXPECT_EQ(L"ef", lr.Right(2));
    EXPECT_EQ(L"abcdef", lr.Right(10));
    EXPECT_LT(CStlStringW(L"A").Compare(L"a"), 0);
}
