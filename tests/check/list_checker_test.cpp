// The list checker: each kind of trap in a list file is found once, on its line, and nothing else is.
#include <gtest/gtest.h>
#include "supportlist/ListChecker.h"
#include "../common/BuiltPrograms.h"
#include <stdio.h>
#include <string>
#include <vector>

namespace {

std::wstring ListPath(const wchar_t* name)
{
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    return std::wstring(tmp) + name;
}

std::wstring WriteList(const std::string& bytes, const wchar_t* name = L"nv_check_list.txt")
{
    std::wstring path = ListPath(name);
    FILE* f = _wfopen(path.c_str(), L"wb");
    EXPECT_TRUE(f != NULL);
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

// The findings for a list holding bytes, with the file's path taken off the front.
std::vector<std::wstring> Findings(const std::string& bytes)
{
    std::wstring path = WriteList(bytes);
    std::vector<std::wstring> found;
    EXPECT_TRUE(CheckListFile(path, found));
    for (std::wstring& f : found) {
        EXPECT_EQ(0u, f.find(path + L", line ")) << f;
        f = f.substr(path.size() + 2);
    }
    return found;
}

bool Has(const std::vector<std::wstring>& found, const std::wstring& part)
{
    for (const std::wstring& f : found)
        if (f.find(part) != std::wstring::npos) return true;
    return false;
}

std::wstring Joined(const std::vector<std::wstring>& found)
{
    std::wstring all;
    for (const std::wstring& f : found) all += f + L"\n";
    return all;
}

}  // namespace

TEST(ListCheckerTest, WellFormedEntriesOfEveryTagAndKindSayNothing)
{
    std::vector<std::wstring> found = Findings(
        "# comment\r\n\r\n"
        "_X_,PCI\\VEN_8086&DEV_4222,a\n_X_X64,PCI\\VEN_8086&DEV_4222,b\n_V_,USB\\VID_0CF3&PID_9170,c\n"
        "_W7_,pci\\ven_8086&dev_4222&subsys_10208086,lower case\n_W7_X64,PCI\\VEN_8086&DEV_4222,d\n"
        "_W8_,USB\\VID_0CF3&PID_9170&REV_0108,e\n_W8_X64,USB\\VID_0CF3&PID_9170&MI_00,f\n"
        "_81_,PCI\\VEN_8086&DEV_4222,g\n_81_X64,PCI\\VEN_8086&DEV_4222,h\n_W10_,PCI\\VEN_8086&DEV_4222,i\n"
        "_W10_X64, PCI\\VEN_8086&DEV_4222 ,blanks around the ID\n"
        "PCI\\VEN_1814&DEV_0301,plain line\nUSB\\VID_0846&PID_9010\n"
        "_W7_,Intel(R) PRO/Wireless 3945ABG,by name\n"
        "_W7_,PCI\\VEN_8086&DEV_4227&SUBSYS_10118086,free text naming the same PCI\\VEN_8086&DEV_4227 again\n");
    EXPECT_TRUE(found.empty()) << Joined(found);
}

TEST(ListCheckerTest, EachKindOfTrapIsFoundOnItsLine)
{
    struct Case {
        const char* line;
        const wchar_t* finding;
    };
    const Case cases[] = {
        {" # indented comment,PCI\\VEN_1111&DEV_2222,x", L"looks like a comment but does not start with \"#\""},
        {"; semicolon comment", L"looks like a comment"},
        {"// slash comment", L"looks like a comment"},
        {" _W7_,PCI\\VEN_8086&DEV_4222,x", L"an OS line that starts with a blank: the program reads it as a plain line"},
        {"_W81_,PCI\\VEN_8086&DEV_4222,x", L"the tag \"_W81_\" fits no Windows version (Windows 8.1 is \"_81_\")"},
        {"_W10,PCI\\VEN_8086&DEV_4222,x", L"the tag \"_W10\" fits no Windows version (Windows 10 and 11"},
        {"_W7X64,PCI\\VEN_8086&DEV_4222,x", L"the tag \"_W7X64\" fits no Windows version"},
        {"_Q_,PCI\\VEN_8086&DEV_4222,x", L"the tag \"_Q_\" fits no Windows version"},
        {"_W7_,PCI\\VEN_8086&DEV_4222", L"no comma after the hardware ID"},
        {"_W7_X64 PCI\\VEN_8086&DEV_4222", L"no comma after the hardware ID"},
        {"_W7_,PCI\\VEN_8086,x", L"the hardware ID \"PCI\\VEN_8086\" is not shaped like"},
        {"_W7_,PCI\\VEN_808&DEV_4222,x", L"the hardware ID \"PCI\\VEN_808&DEV_4222\" is not shaped"},
        {"_W7_,USB\\VEN_0CF3&DEV_9170,x", L"the hardware ID \"USB\\VEN_0CF3&DEV_9170\" is not shaped"},
        {"_W7_,PCI\\VEN_8086&DEV_42223,x", L"is not shaped like"},
        {"_W7_,,x", L"the hardware ID is empty"},
        {"Intel adapters", L"\"Intel adapters\" is not shaped like"},
        {"_W7_,PCI\\VEN_8086&DEV_4222,replaces PCI\\VEN_8086&DEV_4227",
         L"the free text names PCI\\VEN_8086&DEV_4227, which the program then counts as supported too"},
        {"USB\\VID_0CF3&PID_9170,with usb\\vid_0846&pid_9010", L"the free text names USB\\VID_0846&PID_9010"},
    };
    for (const Case& c : cases) {
        // The trap between two good lines: found on line 2, and only there.
        std::vector<std::wstring> found =
            Findings(std::string("_W7_,PCI\\VEN_1111&DEV_0001,a\n") + c.line + "\n_W7_,PCI\\VEN_1111&DEV_0003,c\n");
        ASSERT_EQ(1u, found.size()) << c.line << "\n" << Joined(found);
        EXPECT_EQ(0u, found[0].find(L"line 2: ")) << found[0];
        EXPECT_NE(std::wstring::npos, found[0].find(c.finding)) << found[0];
    }
}

TEST(ListCheckerTest, RepeatsByteOrderMarksAndSeveralFindingsOnOneLine)
{
    // A repeat counts whatever the case; the first of them is named.
    std::vector<std::wstring> found = Findings(
        "_W7_,PCI\\VEN_8086&DEV_4222,a\n# between\n_w7_,pci\\ven_8086&dev_4222,A\n_W7_,PCI\\VEN_8086&DEV_4222,a\n");
    ASSERT_EQ(2u, found.size()) << Joined(found);
    EXPECT_EQ(L"line 3: repeats line 1", found[0]);
    EXPECT_EQ(L"line 4: repeats line 1", found[1]);

    found = Findings("\xEF\xBB\xBF_W7_,PCI\\VEN_8086&DEV_4222,a\n_W7_,PCI\\VEN_8086&DEV_4227,b\n");
    ASSERT_EQ(1u, found.size()) << Joined(found);
    EXPECT_EQ(0u, found[0].find(L"line 1: the file starts with a byte-order mark")) << found[0];

    // UTF-16: one finding for the whole file, not one per garbled line.
    std::string utf16("\xFF\xFE", 2);
    for (char c : std::string("_W7_,PCI\\VEN_8086&DEV_4222,a\r\n;x\r\n")) utf16 += std::string(1, c) + '\0';
    found = Findings(utf16);
    ASSERT_EQ(1u, found.size()) << Joined(found);
    EXPECT_NE(std::wstring::npos, found[0].find(L"line 1: the file is UTF-16")) << found[0];

    // One line with two traps gives both, in line order with the others.
    found = Findings("_W81_,PCI\\VEN_8086,also PCI\\VEN_1111&DEV_2222\n_81_,PCI\\VEN_8086&DEV_4222\n");
    ASSERT_EQ(4u, found.size()) << Joined(found);
    EXPECT_TRUE(Has({found[0]}, L"line 1: the tag \"_W81_\""));
    EXPECT_TRUE(Has({found[1]}, L"line 1: the hardware ID \"PCI\\VEN_8086\""));
    EXPECT_TRUE(Has({found[2]}, L"line 1: the free text names PCI\\VEN_1111&DEV_2222"));
    EXPECT_TRUE(Has({found[3]}, L"line 2: no comma after the hardware ID"));

    std::vector<std::wstring> none;
    EXPECT_FALSE(CheckListFile(ListPath(L"nv_no_such_list_here.txt"), none));
    EXPECT_TRUE(none.empty());
}

TEST(ListCheckerTest, ReportToolPrintsFindingsWithItsExitCodes)
{
    std::wstring bad = WriteList("_W7_,PCI\\VEN_8086&DEV_4222,a\n_W81_,PCI\\VEN_8086&DEV_4222,b\n", L"nv_bad_list.txt");
    ProgramRun r = RunBuiltProgram(L"netvetter-report.exe", L"--check-list \"" + bad + L"\"");
    EXPECT_EQ(1u, r.exitCode) << r.out << r.err;
    EXPECT_EQ(Utf8(bad) + ", line 2: the tag \"_W81_\" fits no Windows version (Windows 8.1 is \"_81_\"): the line "
                          "makes its adapter supported, but on no system compatible\n", r.out);

    std::wstring good = WriteList("# fine\n_W7_,PCI\\VEN_8086&DEV_4222,a\n", L"nv_good_list.txt");
    r = RunBuiltProgram(L"netvetter-report.exe", L"--check-list \"" + good + L"\"");
    EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
    EXPECT_EQ("", r.out);

    r = RunBuiltProgram(L"netvetter-report.exe", L"--check-list \"" + ListPath(L"nv_no_such_list_here.txt") + L"\"");
    EXPECT_EQ(2u, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("Can't read ")) << r.err;
    EXPECT_EQ(2u, RunBuiltProgram(L"netvetter-report.exe", L"--check-list").exitCode);
    EXPECT_EQ(2u, RunBuiltProgram(L"netvetter-report.exe", L"--json --check-list \"" + good + L"\"").exitCode);
}

TEST(ListCheckerTest, ShippedListChecksClean)
{
    // The list beside the tests is the one that ships (copied from res/ by the build).
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    std::wstring shipped = self;
    shipped = shipped.substr(0, shipped.rfind(L'\\')) + L"\\driverinfo.txt";
    ProgramRun r = RunBuiltProgram(L"netvetter-report.exe", L"--check-list \"" + shipped + L"\"");
    EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
    EXPECT_EQ("", r.out);
}
