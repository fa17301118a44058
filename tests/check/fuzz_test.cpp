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
    for (int iter = 0; iter < 1500; ++iter) {
        FakeProbes p;
        std::wstring key = kClass;
        int depth = rng() % 12;
        for (int d = 0; d <= depth; ++d) {
            key += L"\\" + std::to_wstring(rng() % 3);
            int nv = rng() % 4;
            for (int v = 0; v < nv; ++v) {
                FakeValue fv{names[rng() % 6], (DWORD)(rng() % 8), {}};
                size_t len = rng() % 5 == 0 ? 16383 : rng() % 40;  // some fill the whole buffer, unterminated
                for (size_t b = 0; b < len; ++b) fv.data.push_back((BYTE)(rng() % 3 ? 'A' + rng() % 26 : rng()));
                p.Key(key).values.push_back(fv);
            }
        }
        std::wstring svcKey = L"System\\CurrentControlSet\\Services\\svc";
        std::wstring image(260, L'Z');  // ImagePath that fills its 520 bytes without a terminator
        FakeValue iv{L"ImagePath", REG_SZ, std::vector<BYTE>((BYTE*)image.data(), (BYTE*)image.data() + 520)};
        if (rng() % 2) iv.data.resize(rng() % 520);
        p.Key(svcKey).values.push_back(iv);
        int nd = rng() % 4;
        for (int d = 0; d < nd; ++d) {
            std::wstring hw = rng() % 2 ? L"PCI\\VEN_0000&DEV_0000&SUBSYS_1" : L"USB\\VID_0CF3&PID_9170";
            if (rng() % 4 == 0) hw = std::wstring(3000, L'&');
            p.devices.push_back(FakeDevice{rng() % 3 ? L"Intel(R) PRO/Wireless 3945" : L"x", hw, L"svc", 0});
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
