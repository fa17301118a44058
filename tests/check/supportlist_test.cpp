#include <gtest/gtest.h>
#include "RecordedSystems.h"
#include "supportlist/NetvetterCheck.h"
#include "framework/AfxApp.h"
#include <stdio.h>

static const char* kEntry = "PCI\\VEN_0000&DEV_0000&SUBSYS_00000000";

struct ListFixture : ::testing::Test {
    RecordedProbes p;
    // The optional system queries can be absent or fail.
    bool hasWow = true, wowFails = false, noNative = false;
    AdapterList list;
    CSupportList sl{p, list};
    std::wstring path;
    ListFixture()
    {
        p.modulePath = L"C:\\APP\\netvetter.exe";
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        path = std::wstring(tmp) + L"nv_list_test.txt";
        sl.SetListPath(path.c_str());
        CAdapterRecord* r = new CAdapterRecord;
        r->HardwareId = L"PCI\\VEN_0000&DEV_0000";
        list.Add(r);
    }
    ~ListFixture() override { DeleteAdapterRecords(list); DeleteFileW(path.c_str()); }
    CAdapterRecord* R() { return GetAdapter(list, 0); }
    // Applies the list text on the given system; returns Supported*10 + OsCompatible.
    int Apply(const std::string& text, WORD osMaj, WORD osMin, WORD sysMaj, WORD sysMin, BOOL wow, WORD arch = 9)
    {
        FILE* f = _wfopen(path.c_str(), L"wb");
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        p.os.major = osMaj;
        p.os.minor = osMin;
        p.os.wow64 = !hasWow ? RecordedOs::Wow64Absent : wowFails ? RecordedOs::Wow64Fails
                   : wow ? RecordedOs::Wow64Yes : RecordedOs::Wow64No;
        p.os.hasNativeSystemInfo = !noNative;
        p.os.nativeArchitecture = arch;
        SetSystemVersion(p, sysMaj, sysMin);
        R()->Supported = 0; R()->OsCompatible = CAdapterRecord::OsCompatibleNo;
        EXPECT_EQ(1, sl.ApplySupportList());
        return R()->Supported * 10 + R()->OsCompatible;
    }
    std::string Line(const std::string& tag) { return "_" + tag + "," + kEntry + ",text\n"; }
};

TEST_F(ListFixture, EveryTagOnEveryOs)
{
    struct Os { WORD om, on, sm, sn; BOOL wow; const char* valid; };
    // The tag each system accepts (64-bit XP/Vista/10 go through the filter, see below).
    const Os systems[] = {{5, 1, 5, 1, FALSE, "X_"}, {6, 0, 6, 0, FALSE, "V_"},   {6, 1, 6, 1, FALSE, "W7_"},
                          {6, 1, 6, 1, TRUE, "W7_X64"}, {6, 2, 6, 2, FALSE, "W8_"}, {6, 2, 6, 2, TRUE, "W8_X64"},
                          {6, 2, 6, 3, FALSE, "81_"}, {6, 2, 6, 3, TRUE, "81_X64"}, {6, 2, 10, 0, FALSE, "W10_"},
                          {6, 2, 10, 0, TRUE, "W10_X64"}};
    const char* tags[] = {"X_", "V_", "W7_", "W7_X64", "W8_", "W8_X64", "81_", "81_X64", "W10_", "W10_X64"};
    for (const Os& os : systems)
        for (const char* tag : tags) {
            int expect = strcmp(tag, os.valid) == 0 ? 11 : 10;
            EXPECT_EQ(expect, Apply(Line(tag), os.om, os.on, os.sm, os.sn, os.wow)) << tag << " on " << os.valid;
        }
}

TEST_F(ListFixture, LineForms)
{
    EXPECT_EQ(10, Apply("_W7_," + std::string(kEntry) + "\n", 6, 1, 6, 1, FALSE));  // no comma after entry
    EXPECT_EQ(11, Apply("_w7_," + std::string("pci\\ven_0000&dev_0000&subsys_ffffffff") + ",x\n", 6, 1, 6, 1, FALSE));
    EXPECT_EQ(10, Apply(Line("W81_"), 6, 2, 6, 3, FALSE));
    EXPECT_EQ(11, Apply(Line("81_"), 6, 2, 6, 3, FALSE));
    EXPECT_EQ(10, Apply(std::string(kEntry) + "\n", 6, 1, 6, 1, FALSE));
    EXPECT_EQ(0, Apply("# " + std::string(kEntry) + "\n\n#x\n", 6, 1, 6, 1, FALSE));
    EXPECT_EQ(10, Apply("\xEF\xBB\xBF" + Line("W7_"), 6, 1, 6, 1, FALSE));  // BOM: a plain line
    EXPECT_EQ(11, Apply("x\r\n" + Line("W7_").substr(0, Line("W7_").size() - 1) + "\r\n", 6, 1, 6, 1, FALSE));
    EXPECT_EQ(10, Apply("_W7\n_W10\n" + std::string(20000, 'A') + kEntry + ",\n", 6, 1, 6, 1, FALSE));
    EXPECT_EQ(0, Apply("_W7\n_81\n", 6, 2, 6, 3, FALSE));
}

TEST_F(ListFixture, IntelByDescription)
{
    R()->HardwareId = L"PCI\\VEN_8086&DEV_4222";
    R()->Description = L"Intel(R) PRO/Wireless 3945ABG Network Connection";
    EXPECT_EQ(11, Apply("_W7_,INTEL(R) PRO/WIRELESS 3945,\n", 6, 1, 6, 1, FALSE));
    R()->Description = L"INTEL(R) PRO/WIRELESS 3945";
    EXPECT_EQ(0, Apply("_W7_,intel(r) pro/wireless 3945,\n", 6, 1, 6, 1, FALSE));
}

// A missing file is told to the caller, which alone tells the user; the check itself shows nothing.
TEST_F(ListFixture, MissingFileIsToldToTheCallerOnly)
{
    DeleteFileW(path.c_str());
    int shown = 0;
    AfxMessageBoxHook old = AfxSetMessageBoxHook([&](LPCWSTR, UINT) { ++shown; return IDOK; });
    EXPECT_EQ(0, sl.ApplySupportList());
    AfxSetMessageBoxHook(old);
    EXPECT_EQ(0, shown);
    EXPECT_TRUE(sl.ListMissing());
    EXPECT_EQ(path, std::wstring(sl.GetListPath()));
    EXPECT_EQ(0, R()->Supported);
    EXPECT_EQ(10, Apply(std::string(kEntry) + ",x\n", 6, 1, 6, 1, FALSE));
    EXPECT_FALSE(sl.ListMissing());
}

TEST_F(ListFixture, DefaultPathAndSystemVersion)
{
    CSupportList d(p, list);
    EXPECT_STREQ(L"C:\\APP\\driverinfo.txt", d.GetListPath());
    SetSystemVersion(p, 10, 0);
    EXPECT_EQ(0xA0000u, ReadSystemFacts(p).KernelVersion());
    p.files.clear();
    EXPECT_EQ(0u, ReadSystemFacts(p).KernelVersion());
}

TEST(CheckRunTest, TwiceLeavesOnlySecondRunRecords)
{
    RecordedProbes p;
    AdapterList list;
    const std::wstring cls = Hklm(L"System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}\\0000");
    p.SetValue(cls, RecordedValue::String(L"ComponentId", L""));
    p.SetValue(cls, RecordedValue::Dword(L"RadioEnable", 1));
    AddNetworkDevice(p, L"A", {L"USB\\VID_1&PID_2"});
    int before = CAdapterRecord::s_nLive;
    CNetvetterCheck check(p, list);
    check.SupportList().SetListPath(L"C:\\no\\such\\driverinfo.txt");
    AfxMessageBoxHook old = AfxSetMessageBoxHook([](LPCWSTR, UINT) { return IDOK; });
    EXPECT_EQ(0, check.RunCheck());
    EXPECT_EQ(0, check.RunCheck());
    AfxSetMessageBoxHook(old);
    EXPECT_EQ(1, list.GetSize());
    EXPECT_EQ(before + 1, CAdapterRecord::s_nLive);
    DeleteAdapterRecords(list);
    EXPECT_EQ(before, CAdapterRecord::s_nLive);
}

// The 64-bit filter and the optional queries: with and without x64 as the native architecture, with
// the WOW64 query absent or failing (not 64-bit), with the native query absent (not x64).
TEST_F(ListFixture, SixtyFourBitFilterAndOptionalQueries)
{
    // Position 4 of a W10 x64 line is free, so "_W10-X64_Q," fits that row; the first underscore past
    // position 0 is then followed by "Q,", which the filter refuses only on native x64.
    EXPECT_EQ(10, Apply(Line("W10-X64_Q"), 6, 2, 10, 0, TRUE, 9));
    EXPECT_EQ(11, Apply(Line("W10-X64_Q"), 6, 2, 10, 0, TRUE, 0));
    noNative = true;
    EXPECT_EQ(11, Apply(Line("W10-X64_Q"), 6, 2, 10, 0, TRUE, 9));
    noNative = false;
    EXPECT_EQ(10, Apply(Line("W10_"), 6, 2, 10, 0, TRUE, 9));  // a comma after the first underscore
    EXPECT_EQ(10, Apply(Line("W10_"), 6, 2, 10, 0, TRUE, 0));  // passes the filter, fits no 64-bit row
    EXPECT_EQ(11, Apply(Line("W10_x64"), 6, 2, 10, 0, TRUE, 0));
    EXPECT_EQ(10, Apply(Line("W7_"), 6, 1, 0, 0, TRUE));      // unreadable library: filtered, no row fits
    EXPECT_EQ(11, Apply(Line("w10_x64"), 6, 2, 10, 0, TRUE, 9));
    // 64-bit XP: its library major is below 6, so the filter applies.
    EXPECT_EQ(10, Apply(Line("X_"), 5, 2, 5, 2, TRUE, 9));
    EXPECT_EQ(11, Apply(Line("X_X64"), 5, 2, 5, 2, TRUE, 9));
    EXPECT_EQ(11, Apply(Line("X_"), 5, 2, 5, 2, TRUE, 6));  // Itanium: no x64 test
    // 64-bit 7, 8 and 8.1 are not filtered: their tags decide alone.
    EXPECT_EQ(11, Apply(Line("W7_X64"), 6, 1, 6, 1, TRUE, 9));
    EXPECT_EQ(11, Apply(Line("81_X64"), 6, 2, 6, 3, TRUE, 0));
    // Vista: 32-bit fits V; on 64-bit Vista nothing fits, but the whole line still marks Supported.
    EXPECT_EQ(11, Apply(Line("V_"), 6, 0, 6, 0, FALSE));
    EXPECT_EQ(10, Apply(Line("WLH"), 6, 0, 6, 0, FALSE));
    EXPECT_EQ(10, Apply(Line("WLH_X64"), 6, 0, 6, 0, TRUE, 9));
    EXPECT_EQ(10, Apply(Line("wlh_x64") + Line("V_X64") + Line("V_"), 6, 0, 6, 0, TRUE, 9));
    // No WOW64 query, or a failing one: not 64-bit Windows.
    hasWow = false;
    EXPECT_EQ(11, Apply(Line("W7_"), 6, 1, 6, 1, TRUE));
    EXPECT_EQ(10, Apply(Line("W7_X64"), 6, 1, 6, 1, TRUE));
    EXPECT_EQ(11, Apply(Line("W10_"), 6, 2, 10, 0, TRUE));
    hasWow = true;
    wowFails = true;
    EXPECT_EQ(11, Apply(Line("W8_"), 6, 2, 6, 2, TRUE));
    EXPECT_EQ(10, Apply(Line("W8_X64"), 6, 2, 6, 2, TRUE));
    wowFails = false;
    // W7 and V follow the reported version, W8/81/W10 the system library's: an unreadable library
    // leaves W7 valid on 32-bit 7 and makes W8 invalid on 8.
    EXPECT_EQ(11, Apply(Line("W7_"), 6, 1, 0, 0, FALSE));
    EXPECT_EQ(10, Apply(Line("W8_"), 6, 2, 0, 0, FALSE));
    EXPECT_EQ(10, Apply(Line("W7_"), 6, 2, 6, 1, FALSE));  // library 6.1 but reported 6.2
}

// What the rest of a line may look like: blanks around the ID, an entry with more after the stored
// ID, very long lines, a comment only when "#" is first, OsCompatible never taken back, the Intel
// name on a plain line.
TEST_F(ListFixture, IdFieldAndLineShapes)
{
    EXPECT_EQ(11, Apply("_W7_, \t" + std::string(kEntry) + " \t,x\n", 6, 1, 6, 1, FALSE));
    EXPECT_EQ(11, Apply("_W7_,XX" + std::string(kEntry) + "&REV_01,x\n", 6, 1, 6, 1, FALSE));
    EXPECT_EQ(11, Apply("_W7_," + std::string(100000, ' ') + kEntry + ",x\n", 6, 1, 6, 1, FALSE));
    EXPECT_EQ(11, Apply("_W7_,a,b\n_W7_," + std::string(kEntry) + std::string(50000, 'Y') + ",\n", 6, 1, 6, 1, FALSE));
    EXPECT_EQ(10, Apply(" # " + std::string(kEntry) + "\n", 6, 1, 6, 1, FALSE));  // not a comment
    EXPECT_EQ(10, Apply("_W7_,OTHER," + std::string(kEntry) + "\n", 6, 1, 6, 1, FALSE));  // whole-line rule only
    EXPECT_EQ(10, Apply("_W8_," + std::string(kEntry) + ",x\n", 6, 1, 6, 1, FALSE));
    // Once OsCompatible, later lines for other systems or plain lines do not take it back.
    EXPECT_EQ(11, Apply(Line("W7_") + Line("W8_") + std::string(kEntry) + ",\n", 6, 1, 6, 1, FALSE));
    // The ID must stand before the first comma after the cut.
    EXPECT_EQ(10, Apply("_W7_X," + std::string(kEntry) + ",x\n", 6, 1, 6, 1, FALSE));
    R()->Description = L"Intel(R) PRO/Wireless 3945ABG";
    R()->HardwareId = L"PCI\\VEN_8086&DEV_4222";
    EXPECT_EQ(10, Apply("PLAIN,INTEL(R) PRO/WIRELESS 3945\n", 6, 1, 6, 1, FALSE));
    // The name is looked for in the line after the cut: a tag holding it is not enough.
    EXPECT_EQ(0, Apply("_Intel(R) PRO/Wireless 3945,x,y\n", 6, 1, 6, 1, FALSE));
}

// A read error ends the reading with result 0 and no message; the marks already made stay. The
// list is a named pipe whose writer sends one line and, once the reader has taken it in, disconnects
// the pipe, which the reader sees as a failed read, not as the end of the file.
struct PipeWriterArgs {
    HANDLE pipe;
    CAdapterRecord* rec;
};
static DWORD WINAPI PipeWriter(LPVOID arg)
{
    PipeWriterArgs* a = (PipeWriterArgs*)arg;
    ConnectNamedPipe(a->pipe, NULL);
    std::string line = "_W7_," + std::string(kEntry) + ",x\n";
    DWORD written = 0;
    WriteFile(a->pipe, line.data(), (DWORD)line.size(), &written, NULL);
    for (int i = 0; i < 500 && !*(volatile int*)&a->rec->Supported; ++i) Sleep(10);
    Sleep(50);
    DisconnectNamedPipe(a->pipe);
    return 0;
}

TEST_F(ListFixture, ReadErrorGivesZero)
{
    const wchar_t* name = L"\\\\.\\pipe\\nv_list_read_error";
    HANDLE pipe = CreateNamedPipeW(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    PipeWriterArgs args = {pipe, R()};
    HANDLE writer = CreateThread(NULL, 0, PipeWriter, &args, 0, NULL);
    sl.SetListPath(name);
    p.os.major = 6;
    p.os.minor = 1;
    p.os.wow64 = RecordedOs::Wow64No;
    SetSystemVersion(p, 6, 1);
    int shown = 0;
    AfxMessageBoxHook old = AfxSetMessageBoxHook([&](LPCWSTR, UINT) { ++shown; return IDOK; });
    EXPECT_EQ(0, sl.ApplySupportList());
    AfxSetMessageBoxHook(old);
    WaitForSingleObject(writer, 5000);
    CloseHandle(writer);
    CloseHandle(pipe);
    EXPECT_EQ(0, shown);
    EXPECT_EQ(1, R()->Supported);
    EXPECT_EQ(1, R()->OsCompatible);
}

// The check run: a missing list at the default path names it twice and leaves the new records
// unmarked; a second run replaces the first run's records and marks them afresh; no adapter at all
// still reads the list and gives 1.
TEST(CheckRunTest, MissingDefaultListRunTwiceAndNoAdapter)
{
    RecordedProbes p;
    p.modulePath = L"C:\\NO\\SUCH\\FOLDER\\netvetter.exe";
    const std::wstring cls = Hklm(L"System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}\\0000");
    p.SetValue(cls, RecordedValue::String(L"ComponentId", L""));
    p.SetValue(cls, RecordedValue::Dword(L"RadioEnable", 1));
    AddNetworkDevice(p, L"A", {L"PCI\\VEN_0000&DEV_0000&SUBSYS_1"});
    AddNetworkDevice(p, L"B", {L"USB\\VID_0001&PID_0001"});
    AdapterList list;
    CNetvetterCheck check(p, list);
    EXPECT_EQ(0, check.RunCheck());
    EXPECT_TRUE(check.SupportList().ListMissing());
    EXPECT_EQ(L"C:\\NO\\SUCH\\FOLDER\\driverinfo.txt", std::wstring(check.SupportList().GetListPath()));
    ASSERT_EQ(2, list.GetSize());
    for (int i = 0; i < 2; ++i) EXPECT_EQ(0, GetAdapter(list, i)->Supported + GetAdapter(list, i)->OsCompatible);

    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring listPath = std::wstring(tmp) + L"nv_run_twice.txt";
    FILE* f = _wfopen(listPath.c_str(), L"wb");
    fputs("_W7_,PCI\\VEN_0000&DEV_0000,A\n", f);
    fclose(f);
    check.SupportList().SetListPath(listPath.c_str());
    SetSystemVersion(p, 6, 1);
    int live = CAdapterRecord::s_nLive;
    EXPECT_EQ(1, check.RunCheck());
    EXPECT_EQ(live, CAdapterRecord::s_nLive);
    ASSERT_EQ(2, list.GetSize());
    EXPECT_EQ(11, GetAdapter(list, 0)->Supported * 10 + GetAdapter(list, 0)->OsCompatible);
    EXPECT_EQ(0, GetAdapter(list, 1)->Supported);
    // The second run's records start unmarked: a list that no longer names the adapter leaves it so.
    f = _wfopen(listPath.c_str(), L"wb");
    fputs("# nothing listed\n", f);
    fclose(f);
    EXPECT_EQ(1, check.RunCheck());
    ASSERT_EQ(2, list.GetSize());
    EXPECT_EQ(0, GetAdapter(list, 0)->Supported + GetAdapter(list, 0)->OsCompatible);
    p.devices.clear();
    EXPECT_EQ(1, check.RunCheck());
    EXPECT_EQ(0, list.GetSize());
    EXPECT_EQ(live - 2, CAdapterRecord::s_nLive);
    DeleteFileW(listPath.c_str());
}
