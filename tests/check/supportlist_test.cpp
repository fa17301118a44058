#include <gtest/gtest.h>
#include "FakeProbes.h"
#include "supportlist/SupportList.h"
#include "framework/AfxApp.h"
#include <stdio.h>

static const char* kEntry = "PCI\\VEN_0000&DEV_0000&SUBSYS_00000000";

struct ListFixture : ::testing::Test {
    FakeProbes p;
    AdapterList list;
    CSupportList sl{p, list};
    std::wstring path;
    ListFixture()
    {
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
        p.osMajor = osMaj; p.osMinor = osMin; p.wow64 = wow; p.arch = arch;
        p.SetSystemVersion(sysMaj, sysMin);
        R()->Supported = 0; R()->OsCompatible = 0;
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

TEST_F(ListFixture, SixtyFourBitFilter)
{
    EXPECT_EQ(10, Apply(Line("W10_"), 6, 2, 10, 0, TRUE));
    EXPECT_EQ(11, Apply(Line("W10_X64"), 6, 2, 10, 0, TRUE));
    EXPECT_EQ(11, Apply(Line("W10_x64"), 6, 2, 10, 0, TRUE, 0));  // not native x64: no x64 test
    EXPECT_EQ(10, Apply(Line("V_"), 6, 0, 6, 0, TRUE));    // 64-bit Vista: needs "wlh", which no tag accepts
    EXPECT_EQ(10, Apply(Line("wlh_x64"), 6, 0, 6, 0, TRUE));
    EXPECT_EQ(10, Apply(Line("W7_"), 6, 1, 0, 0, TRUE));   // unreadable library: filter applies, no tag fits
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

TEST_F(ListFixture, MissingFileShowsMessageOnce)
{
    DeleteFileW(path.c_str());
    int shown = 0;
    std::wstring text;
    UINT type = 0;
    AfxMessageBoxHook old = AfxSetMessageBoxHook([&](LPCWSTR t, UINT ty) { ++shown; text = t; type = ty; return IDOK; });
    EXPECT_EQ(0, sl.ApplySupportList());
    AfxSetMessageBoxHook(old);
    EXPECT_EQ(1, shown);
    EXPECT_EQ(L"Can't open " + path + L".\nCheck to make sure " + path + L" exists.", text);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), type);
    EXPECT_EQ(0, R()->Supported);
}

TEST_F(ListFixture, DefaultPathAndSystemVersion)
{
    CSupportList d(p, list);
    EXPECT_STREQ(L"C:\\APP\\driverinfo.txt", d.GetListPath());
    p.SetSystemVersion(10, 0);
    EXPECT_EQ(0xA0000u, d.GetSystemVersion());
    p.productVersionMS.clear();
    EXPECT_EQ(0u, d.GetSystemVersion());
}

TEST(CheckRunTest, TwiceLeavesOnlySecondRunRecords)
{
    FakeProbes p;
    AdapterList list;
    p.AddSz(L"System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}\\0000", L"ComponentId", L"");
    p.AddDword(L"System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}\\0000", L"RadioEnable", 1);
    p.devices.push_back(FakeDevice{L"A", L"USB\\VID_1&PID_2", L""});
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
