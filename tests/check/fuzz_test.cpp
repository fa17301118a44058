#include <gtest/gtest.h>
#include "FakeProbes.h"
#include "supportlist/SupportList.h"
#include <random>
#include <stdio.h>

static const wchar_t kClass[] = L"System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}";

// Random registry trees (bad types, empty, oversized and unterminated values, deep nesting) and random
// list files through the whole check: no crash, records stay consistent.
TEST(FuzzTest, RandomTreesAndListsThroughTheCheck)
{
    std::mt19937 rng(12345);
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::wstring listPath = std::wstring(tmp) + L"nv_fuzz_list.txt";
    const char* pieces[] = {"_", "W7", "W8", "81", "W10", "X64", "x64", "wlh", ",", "#", "PCI\\VEN_0000&DEV_0000",
                            "USB\\VID_0CF3&PID_9170", "intel(r) pro/wireless 3945", " ", "\r\n", "\n", "&", "\xEF\xBB\xBF"};
    const wchar_t* names[] = {L"ComponentId", L"IfType", L"RadioEnable", L"WirelessMode", L"x", L""};
    int live = CAdapterRecord::s_nLive;
    for (int iter = 0; iter < 2000; ++iter) {
        FakeProbes p;
        std::wstring key = kClass;
        int depth = rng() % 10 == 0 ? 40 + rng() % 20 : rng() % 12;
        for (int d = 0; d <= depth; ++d) {
            key += L"\\" + std::to_wstring(rng() % 3);
            int nv = rng() % 4;
            for (int v = 0; v < nv; ++v) {
                FakeValue fv{names[rng() % 6], (DWORD)(rng() % 8), {}};
                // Some fill the whole buffer unterminated, some are larger than it.
                size_t len = rng() % 5 == 0 ? 16383 + rng() % 3 : rng() % 40;
                for (size_t b = 0; b < len; ++b) fv.data.push_back((BYTE)(rng() % 3 ? 'A' + rng() % 26 : rng()));
                p.Key(key).values.push_back(fv);
            }
        }
        std::wstring svcKey = L"System\\CurrentControlSet\\Services\\svc";
        std::wstring image(260, L'Z');  // ImagePath that fills its 520 bytes without a terminator
        FakeValue iv{L"ImagePath", REG_SZ, std::vector<BYTE>((BYTE*)image.data(), (BYTE*)image.data() + 520)};
        if (rng() % 2) iv.data.resize(rng() % 530);  // over 520 bytes: unreadable
        p.Key(svcKey).values.push_back(iv);
        int nd = rng() % 4;
        for (int d = 0; d < nd; ++d) {
            std::wstring hw = rng() % 2 ? L"PCI\\VEN_0000&DEV_0000&SUBSYS_1" : L"USB\\VID_0CF3&PID_9170";
            if (rng() % 4 == 0) hw = std::wstring(3000, L'&');
            std::wstring desc = rng() % 3 ? L"Intel(R) PRO/Wireless 3945" : L"x";
            if (rng() % 5 == 0) desc.resize(rng() % 5000, L'd');  // past the 4096-byte property buffer
            std::wstring svc = rng() % 6 ? L"svc" : std::wstring(rng() % 1500, L's');
            p.devices.push_back(FakeDevice{desc, hw, svc, (ULONG)(rng() % 8 == 0)});
        }
        std::string text;
        int np = rng() % 60;
        for (int i = 0; i < np; ++i) text += pieces[rng() % (sizeof(pieces) / sizeof(pieces[0]))];
        FILE* f = _wfopen(listPath.c_str(), L"wb");
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        p.osMajor = rng() % 2 ? 6 : 5; p.osMinor = rng() % 3; p.wow64 = rng() % 2; p.arch = rng() % 2 ? 9 : 0;
        p.SetSystemVersion(rng() % 11, rng() % 4);
        AdapterList list;
        CNetvetterCheck check(p, list);
        check.SupportList().SetListPath(listPath.c_str());
        EXPECT_EQ(1, check.RunCheck());
        for (INT_PTR i = 0; i < list.GetSize(); ++i) {
            CAdapterRecord* r = GetAdapter(list, i);
            EXPECT_TRUE(r->HardwareId.Find(L"PCI\\") >= 0 || r->HardwareId.Find(L"USB\\") >= 0);
            EXPECT_TRUE(r->OsCompatible == 0 || r->Supported == 1);
        }
        DeleteAdapterRecords(list);
        EXPECT_EQ(0, p.openKeys);
    }
    EXPECT_EQ(live, CAdapterRecord::s_nLive);
    DeleteFileW(listPath.c_str());
}

// Random list files against random systems, compared with simple transforms of themselves: case
// does not matter anywhere in the file, LF and CR LF line ends read alike, lines added at the end
// never take a mark back, and the same lines made comments mark nothing.
namespace {
struct Marks {
    std::vector<int> v;
    bool operator==(const Marks& o) const { return v == o.v; }
    bool Within(const Marks& o) const
    {
        for (size_t i = 0; i < v.size(); ++i)
            if (v[i] & ~o.v[i]) return false;
        return true;
    }
};
}  // namespace

TEST(FuzzTest, RandomListsAgainstTheirTransforms)
{
    std::mt19937 rng(777);
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring path = std::wstring(tmp) + L"nv_fuzz_transforms.txt";
    const char* pieces[] = {"_", "W7", "W8", "81", "W10", "X", "V", "X64", "x64", "wlh", ",", ",", "#", " ", "\t",
                            "pci\\ven_0000&dev_0000", "PCI\\VEN_0000&DEV_0000&SUBSYS_1", "USB\\VID_0CF3&PID_9170",
                            "usb\\vid_0cf3", "Intel(R) PRO/Wireless 3945", "-", "Q", "\xEF\xBB\xBF", "\n", "\n", "\n"};
    const wchar_t* ids[] = {L"PCI\\VEN_0000&DEV_0000", L"USB\\VID_0CF3&PID_9170", L"USB\\VID_0CF3", L"PCI\\VEN_9999&DEV_9"};
    auto run = [&](FakeProbes& p, const std::string& text) {
        FILE* f = _wfopen(path.c_str(), L"wb");
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        AdapterList list;
        for (int i = 0; i < 5; ++i) {
            CAdapterRecord* r = new CAdapterRecord;
            r->HardwareId = ids[i % 4];
            r->Description = i == 4 ? L"Intel(R) PRO/Wireless 3945ABG" : L"Adapter";
            list.Add(r);
        }
        CSupportList sl(p, list);
        sl.SetListPath(path.c_str());
        EXPECT_EQ(1, sl.ApplySupportList());
        Marks m;
        for (INT_PTR i = 0; i < list.GetSize(); ++i) {
            CAdapterRecord* r = GetAdapter(list, i);
            EXPECT_TRUE(r->OsCompatible == 0 || r->Supported == 1);
            m.v.push_back(r->Supported | r->OsCompatible << 1);
        }
        DeleteAdapterRecords(list);
        return m;
    };
    auto randomText = [&](int n) {
        std::string t;
        for (int i = 0; i < n; ++i) t += pieces[rng() % (sizeof(pieces) / sizeof(pieces[0]))];
        return t + "\n";
    };
    for (int iter = 0; iter < 700; ++iter) {
        FakeProbes p;
        const WORD sys[][4] = {{5, 1, 5, 1}, {5, 2, 5, 2}, {6, 0, 6, 0}, {6, 1, 6, 1}, {6, 2, 6, 2}, {6, 2, 6, 3},
                               {6, 2, 10, 0}, {6, 2, 0, 0}};
        const WORD* s = sys[rng() % 8];
        p.osMajor = s[0]; p.osMinor = s[1];
        p.SetSystemVersion(s[2], s[3]);
        p.wow64 = rng() % 2; p.arch = rng() % 2 ? 9 : 0;
        std::string text = randomText(rng() % 40);
        Marks base = run(p, text);
        std::string lower = text, crlf, commented = "#";
        for (char& c : lower) c = (char)tolower((unsigned char)c);
        for (char c : text) {
            crlf += c == '\n' ? "\r\n" : std::string(1, c);
            commented += c == '\n' ? "\n#" : std::string(1, c);
        }
        EXPECT_TRUE(base == run(p, lower)) << text;
        EXPECT_TRUE(base == run(p, crlf)) << text;
        EXPECT_TRUE(base.Within(run(p, text + randomText(rng() % 20)))) << text;
        EXPECT_TRUE(run(p, commented) == Marks{std::vector<int>(5, 0)}) << text;
    }
    DeleteFileW(path.c_str());
}
