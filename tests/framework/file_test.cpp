#include "framework/Afx.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <string>

namespace {
CString WriteTemp(const std::string& bytes)
{
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"nvt", 0, path);
    FILE* f = _wfopen(path, L"wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    return path;
}
}

TEST(StdioFileTest, ReadsLinesInTextModeWithAnyLength)
{
    std::string longLine(100000, 'A');
    CString path = WriteTemp("first\r\nsecond\n\n" + longLine + "\r\n\xe9t\xe9\nlast");
    CStdioFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeRead | CFile::typeText));
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, L"first");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, L"second");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, L"");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line.GetLength(), 100000);
    ASSERT_TRUE(f.ReadString(line));
    // Each byte becomes one character.
    EXPECT_EQ(line, CString(L"\x00e9t\x00e9"));
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line, L"last");
    EXPECT_FALSE(f.ReadString(line));
    EXPECT_FALSE(f.HadReadError());
    f.Close();
    ::DeleteFileW(path);
}

TEST(StdioFileTest, MissingFileAndStatus)
{
    CStdioFile f;
    EXPECT_FALSE(f.Open(L"C:\\no\\such\\driverinfo.txt", CFile::modeRead | CFile::typeText));
    CFileStatus st;
    EXPECT_FALSE(CFile::GetStatus(L"C:\\no\\such\\setup.exe", st));
    CString path = WriteTemp("x");
    EXPECT_TRUE(CFile::GetStatus(path, st));
    EXPECT_EQ(st.m_size, 1u);
    ::DeleteFileW(path);
}
