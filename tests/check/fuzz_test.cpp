#include <gtest/gtest.h>
#include "CheckVerdicts.h"
#include "RecordedSystems.h"
#include "recorded/Snapshot.h"
#include "supportlist/NetvetterCheck.h"
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
        TruncatingSystem p;
        std::wstring key = Hklm(kClass);
        int depth = rng() % 10 == 0 ? 40 + rng() % 20 : rng() % 12;
        for (int d = 0; d <= depth; ++d) {
            key += L"\\" + std::to_wstring(rng() % 3);
            int nv = rng() % 4;
            for (int v = 0; v < nv; ++v) {
                RecordedValue fv;
                fv.name = names[rng() % 6];
                fv.type = (DWORD)(rng() % 8);
                // Some fill the whole buffer unterminated, some are larger than it.
                size_t len = rng() % 5 == 0 ? 16383 + rng() % 3 : rng() % 40;
                for (size_t b = 0; b < len; ++b) fv.data.push_back((BYTE)(rng() % 3 ? 'A' + rng() % 26 : rng()));
                p.SetValue(key, fv);
            }
        }
        std::wstring svcKey = Hklm(L"System\\CurrentControlSet\\Services\\svc");
        std::wstring image(260, L'Z');  // ImagePath that fills its 520 bytes without a terminator
        RecordedValue iv = StringValue(L"ImagePath", image, false);
        if (rng() % 2) iv.data.resize(rng() % 530);  // over 520 bytes: unreadable
        p.SetValue(svcKey, iv);
        int nd = rng() % 4;
        for (int d = 0; d < nd; ++d) {
            std::wstring hw = rng() % 2 ? L"PCI\\VEN_0000&DEV_0000&SUBSYS_1" : L"USB\\VID_0CF3&PID_9170";
            if (rng() % 4 == 0) hw = std::wstring(3000, L'&');
            std::wstring desc = rng() % 3 ? L"Intel(R) PRO/Wireless 3945" : L"x";
            if (rng() % 5 == 0) desc.resize(rng() % 5000, L'd');  // past the 4096-byte property buffer
            std::wstring svc = rng() % 6 ? L"svc" : std::wstring(rng() % 1500, L's');
            AddNetworkDevice(p, desc, {hw}, svc, (ULONG)(rng() % 8 == 0));
        }
        std::string text;
        int np = rng() % 60;
        for (int i = 0; i < np; ++i) text += pieces[rng() % (sizeof(pieces) / sizeof(pieces[0]))];
        FILE* f = _wfopen(listPath.c_str(), L"wb");
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        p.os.major = rng() % 2 ? 6 : 5;
        p.os.minor = rng() % 3;
        p.os.wow64 = rng() % 2 ? RecordedOs::Wow64Yes : RecordedOs::Wow64No;
        p.os.nativeArchitecture = rng() % 2 ? 9 : 0;
        SetSystemVersion(p, rng() % 11, rng() % 4);
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
        EXPECT_EQ(0, p.OpenKeyCount());
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
    auto run = [&](RecordedProbes& p, const std::string& text) {
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
        RecordedProbes p;
        const WORD sys[][4] = {{5, 1, 5, 1}, {5, 2, 5, 2}, {6, 0, 6, 0}, {6, 1, 6, 1}, {6, 2, 6, 2}, {6, 2, 6, 3},
                               {6, 2, 10, 0}, {6, 2, 0, 0}};
        const WORD* s = sys[rng() % 8];
        p.os.major = s[0];
        p.os.minor = s[1];
        SetSystemVersion(p, s[2], s[3]);
        p.os.wow64 = rng() % 2 ? RecordedOs::Wow64Yes : RecordedOs::Wow64No;
        p.os.nativeArchitecture = rng() % 2 ? 9 : 0;
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

// Random snapshot files built from pieces of their own syntax and of hostile input (unclosed strings,
// continuation lines, NULs and controls, deletions, deep and odd key paths) with random list files:
// each either loads or is refused with the line that holds the fault, never crashes or hangs; what
// loads runs through the check, and its capture replays to the same verdicts.
TEST(FuzzTest, RandomSnapshotsThroughLoaderCheckAndCapture)
{
    std::mt19937 rng(9001);
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring listPath = std::wstring(tmp) + L"nv_fuzz_snapshot_list.txt";
    const std::wstring cls = L"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
    // Sections of the format with lines that belong in them, and now and then a fragment of hostile
    // input among them.
    const std::wstring keyHeaders[] = {L"[" + cls + L"\\0000]\n", L"[" + cls + L"\\0001\\Ndi]\n",
                                       L"[-" + cls + L"\\0000]\n", L"[\"" + cls + L"\\\\x\\u000a\\u0000\"]\n",
                                       L"[\"" + cls + L"\\\\q\\\"\\u001b\"]\n", L"[" + cls + L"\\a]b]\n",
                                       L"[HKLM\\SYSTEM\\CurrentControlSet\\Services\\svc]\n"};
    const std::wstring valueLines[] = {
        L"\"ComponentId\"=\"pci\\\\ven_0001&dev_0001\"\n", L"\"ComponentId\"=\"usb\\\\vid_0cf3&pid_9170\"\n",
        L"\"ComponentId\"=\"\"\n", L"\"IfType\"=dword:00000047\n", L"\"RadioEnable\"=hex:01,\\\n  02\n",
        L"\"X\"=hex(1):41,00\n", L"\"X\"=-\n", L"\"v\\u0000w\"=\"a\\u0000b\"\n", L"@=hex(7):41,00,00,00\n",
        L"\"ImagePath\"=\"system32\\\\drivers\\\\a.sys\"\n", L"; comment\n", L"\n"};
    const std::wstring deviceLines[] = {
        L"Address=0\n", L"DeviceDesc=\"Intel(R) PRO/Wireless 3945ABG\"\n", L"DeviceDesc=\"e\\u001b[2J\"\n",
        L"HardwareID=multi:\"PCI\\\\VEN_0001&DEV_0001&SUBSYS_1\"\n", L"HardwareID=multi:\"USB\\\\VID_0CF3&PID_9170\"\n",
        L"Service=\"svc\"\n", L"Service=hex(1):73,00,76,00,63,00\n", L"InstanceId=\"X\"\n", L"Problem=1\n"};
    const std::wstring otherSections[] = {
        L"[File]\nPath=\"C:\\\\WINDOWS\\\\system32\\\\drivers\\\\a.sys\"\nFileVersion=103.1.0.113\n",
        L"[Library]\nPath=\"MurocApi.dll\"\nGetAPIVersion=0xA0005\n", L"[System]\nVersion=6.1\n",
        L"[System]\nIsWow64Process=yes\nNativeArchitecture=9\n", L"Windows Registry Editor Version 5.00\n"};
    const std::wstring junk[] = {L"[", L"]", L"\"", L"\\", L"=", L",", L"@", L"hex(7):", L"dword:", L"\\u00",
                                 std::wstring(1, L'\0'), L"\x1b", L"\xD800", L"DeviceDesc=\"d\\\n",
                                 L"[Program]\nListFile=\"CON\"\n", L"[HKLM\\A\\" + std::wstring(1, L'\0') + L"]\n"};
#define NV_PICK(a) a[rng() % (sizeof(a) / sizeof(a[0]))]
    const std::string listPieces[] = {"_W7_,", "_W7_X64,", "PCI\\VEN_0001&DEV_0001", "USB\\VID_0CF3&PID_9170", ",",
                                      "\n", "#", "intel(r) pro/wireless 3945", "\r\n", std::string(1, '\0'), "\xff"};
    int loaded = 0, refused = 0;
    for (int iter = 0; iter < 400; ++iter) {
        std::wstring text;
        for (int sections = rng() % 10; sections > 0; --sections) {
            int kind = rng() % 4;
            text += kind == 0 ? NV_PICK(keyHeaders) : kind == 1 ? std::wstring(L"[Device]\n") : NV_PICK(otherSections);
            for (int n = kind < 2 ? rng() % 6 : 0; n > 0; --n)
                text += rng() % 30 == 0 ? NV_PICK(junk) : kind == 0 ? NV_PICK(valueLines) : NV_PICK(deviceLines);
        }
        if (rng() % 8 == 0) {  // now and then a deep key
            std::wstring deep = L"[" + cls;
            for (int d = 600 + rng() % 200; d > 0; --d) deep += L"\\k";
            text += deep + L"]\n\"ComponentId\"=\"\"\n";
        }
        std::string list;
        for (int n = rng() % 20; n > 0; --n) list += NV_PICK(listPieces);
        FILE* f = _wfopen(listPath.c_str(), L"wb");
        fwrite(list.data(), 1, list.size(), f);
        fclose(f);

        RecordedProbes p;
        std::wstring error;
        if (!LoadSnapshotText(text, p, error)) {
            ++refused;
            EXPECT_EQ(0u, error.find(L"line ")) << std::string(error.begin(), error.end());
            continue;
        }
        ++loaded;
        testing::internal::CaptureStdout();
        std::wstring first = CheckVerdicts(p, listPath);
        EXPECT_EQ(0, p.OpenKeyCount());
        RecordedProbes q;
        bool again = LoadSnapshotText(CaptureSnapshot(p, listPath), q, error);
        std::wstring second = again ? CheckVerdicts(q, listPath) : L"";
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(again) << std::string(error.begin(), error.end());
        EXPECT_EQ(first, second);
    }
#undef NV_PICK
    // The pieces reach both outcomes often enough to mean something.
    EXPECT_GT(loaded, 40);
    EXPECT_GT(refused, 40);
    DeleteFileW(listPath.c_str());
}
