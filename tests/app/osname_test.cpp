#include "app/OsName.h"
#include <gtest/gtest.h>

namespace {
CString Name(WORD km, WORD kn, DWORD rm, DWORD rn, const wchar_t* sp, BOOL wow64, WORD kernelBuild = 0)
{
    CSystemFacts f = {km, kn, rm, rn, sp, wow64, kernelBuild};
    return OsDisplayName(f);
}
}

TEST(OsNameTest, KernelVersionDecidesFromWindows7On)
{
    EXPECT_EQ(Name(6, 1, 6, 1, L"Service Pack 1", TRUE), L"Windows 7 64-Bit (Service Pack 1)");
    EXPECT_EQ(Name(6, 1, 6, 1, L"", FALSE), L"Windows 7");
    EXPECT_EQ(Name(6, 2, 6, 2, L"", TRUE), L"Windows 8 64-Bit");
    EXPECT_EQ(Name(6, 3, 6, 2, L"", FALSE), L"Windows 8.1");
    EXPECT_EQ(Name(6, 3, 6, 2, L"SP9", FALSE), L"Windows 8.1 (SP9)");
    // Windows 10 reports 6.2 to this program; the kernel library says 10.0.
    EXPECT_EQ(Name(10, 0, 6, 2, L"", TRUE), L"Windows 10 64-Bit");
    EXPECT_EQ(Name(10, 0, 5, 1, L"", FALSE), L"Windows 10");
}

TEST(OsNameTest, UnknownKernelReleasesHaveNoName)
{
    EXPECT_EQ(Name(6, 0, 6, 0, L"Service Pack 2", FALSE), L"");
    EXPECT_EQ(Name(10, 1, 6, 2, L"", FALSE), L"");
    EXPECT_EQ(Name(6, 4, 6, 2, L"", TRUE), L"");
    EXPECT_EQ(Name(0, 0, 4, 0, L"", FALSE), L"");
    EXPECT_EQ(Name(0, 0, 6, 1, L"", FALSE), L"");
}

TEST(OsNameTest, ReportedVersionNamesOlderSystemsAndIgnoresWow64)
{
    EXPECT_EQ(Name(0, 0, 6, 0, L"Service Pack 2", TRUE), L"Windows Vista (Service Pack 2)");
    EXPECT_EQ(Name(0, 0, 6, 0, L"", FALSE), L"Windows Vista");
    EXPECT_EQ(Name(5, 1, 5, 1, L"Service Pack 3", FALSE), L"Windows XP (Service Pack 3)");
    // 5.2 alone chooses the 64-bit XP name, also on a 32-bit system.
    EXPECT_EQ(Name(5, 2, 5, 2, L"", FALSE), L"Windows XP 64-Bit");
    EXPECT_EQ(Name(0, 0, 5, 2, L"Service Pack 2", TRUE), L"Windows XP 64-Bit (Service Pack 2)");
}

TEST(OsNameTest, Windows11IsTenWithBuild22000OrLater)
{
    EXPECT_EQ(Name(10, 0, 6, 2, L"", TRUE, 22000), L"Windows 11 64-Bit");
    EXPECT_EQ(Name(10, 0, 6, 2, L"", FALSE, 22631), L"Windows 11");
    EXPECT_EQ(Name(10, 0, 6, 2, L"SP1", TRUE, 26100), L"Windows 11 64-Bit (SP1)");
    EXPECT_EQ(Name(10, 0, 6, 2, L"SP1", FALSE, 65535), L"Windows 11 (SP1)");
    // The last Windows 10 builds, and an unreadable build, stay Windows 10.
    EXPECT_EQ(Name(10, 0, 6, 2, L"", TRUE, 21999), L"Windows 10 64-Bit");
    EXPECT_EQ(Name(10, 0, 6, 2, L"", FALSE, 19045), L"Windows 10");
    EXPECT_EQ(Name(10, 0, 6, 2, L"", FALSE, 0), L"Windows 10");
    // Only with 10.0: a build number does not name other releases.
    EXPECT_EQ(Name(10, 1, 6, 2, L"", FALSE, 22000), L"");
    EXPECT_EQ(Name(6, 3, 6, 2, L"", FALSE, 22000), L"Windows 8.1");
}
