#include "framework/Afx.h"
#include <gtest/gtest.h>

TEST(CStringTest, TrimCaseAndSearch)
{
    CString s(L"  pLanScope \t");
    s.Trim();
    EXPECT_EQ(s, L"pLanScope");
    s.MakeUpper();
    EXPECT_EQ(s, L"PLANSCOPE");
    s.MakeLower();
    EXPECT_EQ(s, L"planscope");

    CString id(L"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000");
    int first = id.Find(L'&');
    ASSERT_EQ(first, 12);
    int second = id.Find(L'&', first + 1);
    EXPECT_EQ(id.Left(second), L"PCI\\VEN_0000&DEV_0000");
    EXPECT_EQ(id.Find(L"USB\\"), -1);
    EXPECT_EQ(id.Find(L'&', id.GetLength()), -1);
    EXPECT_EQ(id.Find(L'&', id.GetLength() + 5), -1);
    EXPECT_EQ(id.ReverseFind(L'\\'), 3);
    EXPECT_EQ(id.Mid(4, 7), L"VEN_000");
    EXPECT_EQ(id.Mid(400), L"");
    EXPECT_EQ(id.Right(8), L"00000000");
}

TEST(CStringTest, FormatUsesWideStringsAndGrows)
{
    CString s;
    s.Format(L"WiFi Netvetter - %s %s Build %s", L"Corvane Air Inspector", L"11.1", L"37458");
    EXPECT_EQ(s, L"WiFi Netvetter - Corvane Air Inspector 11.1 Build 37458");
    s.Format(L"%d.%d.%d.%d", 103, 1, 0, 65535);
    EXPECT_EQ(s, L"103.1.0.65535");
    CString big(L'x', 5000);
    s.Format(L"[%s]", big.GetString());
    EXPECT_EQ(s.GetLength(), 5002);
    s.Format(L"%s and %s", L"", L"");
    EXPECT_EQ(s, L" and ");
}

TEST(CStringTest, ReplaceRemoveAndCompare)
{
    CString p(L"\\SystemRoot\\system32\\DRIVERS\\x.sys");
    EXPECT_EQ(p.Replace(L"\\SystemRoot\\", L""), 1);
    EXPECT_EQ(p, L"system32\\DRIVERS\\x.sys");
    CString q(L"a\\SystemRoot\\\\SystemRoot\\b");
    EXPECT_EQ(q.Replace(L"\\SystemRoot\\", L""), 2);
    EXPECT_EQ(q, L"ab");
    EXPECT_EQ(CString(L"abc").Compare(L"abd") < 0, true);
    EXPECT_EQ(CString(L"ABC").CompareNoCase(L"abc"), 0);
    EXPECT_TRUE(CString(L"Not supported") == CString(L"Not supported"));
    EXPECT_TRUE(CString(L"Supported") != L"supported");
}

TEST(CStringTest, LoadStringOfMissingResourceIsEmpty)
{
    CString s(L"old");
    EXPECT_FALSE(s.LoadString(60000));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, EightBitTextConvertsThroughAnsiCodePage)
{
    CString s("plain ASCII");
    EXPECT_EQ(s, L"plain ASCII");
    CStringA a(L"C:\\Program Files\\x.exe");
    EXPECT_EQ(a, "C:\\Program Files\\x.exe");
}
