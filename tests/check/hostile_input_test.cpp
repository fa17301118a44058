// Hostile recorded systems and snapshot files: the check and the loader neither crash nor hang on
// them, refuse what cannot be right with the line that holds it, and large inputs load in time linear
// in their size (the timings themselves are in check_bench; here the executable's time limit is the
// only bound).
#include <gtest/gtest.h>
#include "CheckVerdicts.h"
#include "RecordedSystems.h"
#include "recorded/RecordedProbes.h"
#include "recorded/Snapshot.h"
#include "supportlist/SupportList.h"
#include <random>
#include <string>
#include <vector>

namespace {

const std::wstring kClass = L"HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}";

// A device whose class key (at key) names it and carries a wireless marker.
void AddWirelessKey(RecordedProbes& p, const std::wstring& key, const std::wstring& componentId)
{
    p.SetValue(key, RecordedValue::String(L"ComponentId", componentId));
    p.SetValue(key, RecordedValue::Dword(L"IfType", 71));
}

struct Counting : RecordedProbes {
    int opens = 0;
    LONG RegOpenKeyExW(HKEY r, LPCWSTR s, DWORD o, REGSAM a, PHKEY k) override
    {
        ++opens;
        return RecordedProbes::RegOpenKeyExW(r, s, o, a, k);
    }
};

std::wstring Load(const std::wstring& text, RecordedProbes& p)
{
    std::wstring error;
    LoadSnapshotText(text, p, error);
    return error;
}

}  // namespace

// A sub-key whose name starts with (or holds) a NUL cannot be turned into a path: the path built
// from it would name its parent again, and the scan would recurse until the stack ran out.
TEST(HostileRegistry, KeyNamesThatAreNoPathAreSkipped)
{
    Counting p;
    AdapterList list;
    p.AddKey(kClass + L"\\" + std::wstring(L"\0evil", 5));
    p.AddKey(kClass + L"\\" + std::wstring(L"a\0b", 3));
    AddWirelessKey(p, kClass + L"\\0001", L"PCI\\VEN_0001&DEV_0001");
    CAdapterCheck check(p, list);
    EXPECT_EQ(1, check.IsWirelessAdapter(L"PCI\\VEN_0001&DEV_0001"));
    EXPECT_EQ(2, p.opens);  // the class key and 0001: the two names were passed over
    EXPECT_EQ(0, p.OpenKeyCount());
    EXPECT_FALSE(CAdapterCheck::IsUsableKeyName(L""));
    EXPECT_FALSE(CAdapterCheck::IsUsableKeyName(L"a\\b"));
    EXPECT_TRUE(CAdapterCheck::IsUsableKeyName(L"0000 ]\n\""));
}

// A class tree 8,000 levels deep is scanned to 512 levels below the class key, and the scan goes on
// with the keys after it.
TEST(HostileRegistry, DeepTreeScannedToTheBound)
{
    RecordedProbes p;
    AdapterList list;
    std::wstring deep = kClass + L"\\0000";
    for (int level = 1; level < 8000; ++level) {
        deep += L"\\k";
        if (level == CAdapterCheck::kMaxClassDepth - 1) AddWirelessKey(p, deep, L"PCI\\VEN_00AA&DEV_0001");
        if (level == CAdapterCheck::kMaxClassDepth) AddWirelessKey(p, deep, L"PCI\\VEN_00BB&DEV_0001");
    }
    p.AddKey(deep);
    AddWirelessKey(p, kClass + L"\\0001", L"PCI\\VEN_00CC&DEV_0001");
    CAdapterCheck check(p, list);
    EXPECT_EQ(1, check.IsWirelessAdapter(L"PCI\\VEN_00AA&DEV_0001"));  // 512 levels below the class key
    EXPECT_EQ(0, check.IsWirelessAdapter(L"PCI\\VEN_00BB&DEV_0001"));  // one deeper
    EXPECT_EQ(1, check.IsWirelessAdapter(L"PCI\\VEN_00CC&DEV_0001"));
    EXPECT_EQ(0, p.OpenKeyCount());
}

// Sizes reported from outside are checked before any arithmetic on them: a service name of nearly
// 4 GB would wrap the enlarged buffer's size, a version block of that size would exhaust memory.
struct HugeSizes : RecordedProbes {
    DWORD reported = 0;
    DWORD largestAsked = 0;
    bool asked = false;
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO s, PSP_DEVINFO_DATA d, DWORD property, PDWORD type, PBYTE buffer,
                                           DWORD size, PDWORD required) override
    {
        asked = property == SPDRP_SERVICE;
        if (!asked) return RecordedProbes::SetupDiGetDeviceRegistryPropertyW(s, d, property, type, buffer, size, required);
        largestAsked = size > largestAsked ? size : largestAsked;
        if (type) *type = REG_SZ;
        if (required) *required = reported;
        return FALSE;
    }
    DWORD GetLastError() override { return asked ? ERROR_INSUFFICIENT_BUFFER : RecordedProbes::GetLastError(); }
    DWORD GetFileVersionInfoSizeW(LPCWSTR, LPDWORD) override { return reported; }
};

TEST(HostileRegistry, HugeReportedSizesAreRefused)
{
    const DWORD sizes[] = {0xFFFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFDu, 0x80000000u, CAdapterCheck::kMaxOutsideBytes + 1};
    for (DWORD reported : sizes) {
        HugeSizes p;
        AdapterList list;
        p.reported = reported;
        AddNetworkDevice(p, L"x", {L"PCI\\VEN_1&DEV_1"}, L"svc");
        CAdapterCheck check(p, list);
        SP_DEVINFO_DATA dev = {sizeof(dev)};
        dev.DevInst = 0;
        EXPECT_TRUE(check.GetDeviceStringProperty((HDEVINFO)1, &dev, SPDRP_SERVICE) == NULL) << reported;
        EXPECT_EQ(1024u, p.largestAsked) << reported;  // never grown past the bound
        WORD v[4] = {1, 2, 3, 4};
        check.GetFileVersion(L"C:\\x.sys", v[0], v[1], v[2], v[3]);
        EXPECT_EQ(1, v[0]);
    }
    // Below the bound the buffer still grows to fit.
    HugeSizes p;
    AdapterList list;
    p.reported = 5000;
    CAdapterCheck check(p, list);
    SP_DEVINFO_DATA dev = {sizeof(dev)};
    EXPECT_TRUE(check.GetDeviceStringProperty((HDEVINFO)1, &dev, SPDRP_SERVICE) == NULL);
    EXPECT_EQ(5002u, p.largestAsked);
}

// Within one run every key of the class tree is opened once, however many devices are looked up in
// it; the verdicts and the trace are those of one scan per device.
TEST(HostileRegistry, ClassTreeReadOncePerRun)
{
    Counting p;
    const int devices = 12, keys = 60;
    for (int k = 0; k < keys; ++k) {
        wchar_t sub[16];
        swprintf(sub, 16, L"\\%04d\\Ndi", k);
        p.SetValue(kClass + sub, RecordedValue::String(L"Service", L"x"));
    }
    for (int d = 0; d < devices; ++d) {
        wchar_t sub[16], id[48];
        swprintf(sub, 16, L"\\%04d", keys - 1 - d * 3);  // spread over the tree, the first device last
        swprintf(id, 48, L"PCI\\VEN_%04X&DEV_0001", d);
        if (d % 3) AddWirelessKey(p, kClass + sub, id);  // every third has no key: the whole tree is read
        RecordedDevice dev;
        dev.properties[SPDRP_ADDRESS] = RecordedValue::Dword(L"", 0);
        dev.properties[SPDRP_DEVICEDESC] = RecordedValue::String(L"", L"Adapter");
        dev.properties[SPDRP_HARDWAREID] = RecordedValue::MultiString(L"", {std::wstring(id) + L"&SUBSYS_1"});
        dev.hasInstanceId = true;
        p.devices.push_back(dev);
    }
    AdapterList once, each;
    testing::internal::CaptureStdout();
    CAdapterCheck(p, once).EnumerateAdapters();
    std::string runTrace = testing::internal::GetCapturedStdout();
    EXPECT_EQ(1 + keys * 2, p.opens);
    // The same look-ups one by one, each reading the tree afresh.
    testing::internal::CaptureStdout();
    CAdapterCheck single(p, each);
    std::vector<int> wireless;
    for (int d = 0; d < devices; ++d) {
        wchar_t id[48];
        swprintf(id, 48, L"PCI\\VEN_%04X&DEV_0001&SUBSYS_1", d);
        wireless.push_back(single.IsWirelessAdapter(id));
    }
    std::string singleTrace = testing::internal::GetCapturedStdout();
    ASSERT_EQ(devices - devices / 3, once.GetSize());
    for (int d = 0, r = 0; d < devices; ++d) {
        EXPECT_EQ(d % 3 != 0, wireless[d] == 1);
        if (wireless[d]) {
            EXPECT_EQ(d, wcstol(GetAdapter(once, r++)->HardwareId.Mid(8, 4), NULL, 16));
        }
    }
    EXPECT_EQ(singleTrace, runTrace);
    EXPECT_NE(std::string::npos, runTrace.find("\nNumber of subkeys: 60\n"));
    DeleteAdapterRecords(once);
    EXPECT_EQ(0, p.OpenKeyCount());
}

// The cases that took minutes with a loader that re-joined continuation lines, searched linearly per
// value and per deletion and copied the whole path per level.
TEST(SnapshotLoader, LargeInputsLoadWhole)
{
    {
        // 1.6 MB of binary data over continuation lines, as reg export writes it.
        std::wstring text = L"Windows Registry Editor Version 5.00\r\n[HKLM\\SOFTWARE\\Big]\r\n\"Blob\"=hex:";
        const size_t bytes = 1600 * 1000;
        for (size_t i = 0; i < bytes; ++i) {
            wchar_t b[4];
            swprintf(b, 4, L"%02x", (unsigned)(i * 7 & 0xFF));
            text += b;
            if (i + 1 < bytes) text += (i % 25 == 24) ? L",\\\r\n  " : L",";
        }
        RecordedProbes p;
        ASSERT_EQ(L"", Load(text, p));
        const RecordedKey* k = p.FindKey(L"HKLM\\SOFTWARE\\Big");
        ASSERT_TRUE(k && k->values.size() == 1);
        ASSERT_EQ(bytes, k->values[0].data.size());
        EXPECT_EQ((BYTE)(1234567 * 7 & 0xFF), k->values[0].data[1234567]);
    }
    {
        // 40,000 values in one key, each set twice and every tenth deleted again.
        std::wstring text = L"[HKLM\\SOFTWARE\\Many]\n";
        for (int round = 0; round < 2; ++round)
            for (int i = 0; i < 40000; ++i) text += L"\"v" + std::to_wstring(i) + L"\"=dword:" + std::to_wstring(round) + L"\n";
        for (int i = 0; i < 40000; i += 10) text += L"\"V" + std::to_wstring(i) + L"\"=-\n";
        RecordedProbes p;
        ASSERT_EQ(L"", Load(text, p));
        const RecordedKey* k = p.FindKey(L"HKLM\\SOFTWARE\\Many");
        ASSERT_EQ(36000u, k->values.size());
        EXPECT_EQ(L"v1", k->values[0].name);
        EXPECT_EQ(1, k->values[0].data[0]);
        EXPECT_EQ(L"v39999", k->values.back().name);
    }
    {
        // 10,000 keys, then each deleted again; the survivors keep their order.
        std::wstring text;
        for (int i = 0; i < 10000; ++i) text += L"[HKLM\\SOFTWARE\\Keys\\k" + std::to_wstring(i) + L"\\sub]\n";
        for (int i = 0; i < 10000; ++i)
            if (i % 1000) text += L"[-HKLM\\SOFTWARE\\Keys\\K" + std::to_wstring(i) + L"]\n";
        RecordedProbes p;
        ASSERT_EQ(L"", Load(text, p));
        const RecordedKey* k = p.FindKey(L"HKLM\\SOFTWARE\\Keys");
        std::vector<std::wstring> left;
        for (int i = 0; i < 10000; i += 1000) left.push_back(L"k" + std::to_wstring(i));
        EXPECT_EQ(left, k->subKeys);
        EXPECT_TRUE(p.FindKey(L"HKLM\\SOFTWARE\\Keys\\k1\\sub") == NULL);
        EXPECT_TRUE(p.FindKey(L"HKLM\\SOFTWARE\\Keys\\k2000\\sub") != NULL);
    }
    {
        // One key path 16,000 levels deep.
        std::wstring path = L"HKLM\\SOFTWARE";
        for (int i = 0; i < 16000; ++i) path += L"\\d";
        RecordedProbes p;
        ASSERT_EQ(L"", Load(L"[" + path + L"]\n\"x\"=dword:7\n", p));
        const RecordedKey* k = p.FindKey(path);
        ASSERT_TRUE(k != NULL);
        EXPECT_EQ(1u, k->values.size());
        EXPECT_EQ(1u, p.FindKey(L"HKLM\\SOFTWARE\\d\\d")->subKeys.size());
    }
}

// Strings: a backslash that ends the line leaves the string open; NUL characters stay where the
// registry keeps them (value data and names, device properties) and are refused where the text is
// read back as a path or name (key names, settings).
TEST(SnapshotLoader, StringsAndNulCharacters)
{
    struct Bad { std::wstring text, error; };
    const std::wstring nul(1, L'\0');
    const Bad bad[] = {
        {L"[HKLM\\S]\n\"a\"=\"abc\\\n\"b\"=\"x\"\n", L"line 2: string without its closing quote"},
        {L"[Program]\nPath=\"C:\\\\x\\", L"line 2: string without its closing quote"},
        {L"[HKLM\\S\\a" + nul + L"b]\n", L"line 1: a key name cannot hold a NUL character"},
        {L"[\"HKLM\\\\S\\\\a\\u0000\"]\n", L"line 1: a key name cannot hold a NUL character"},
        {L"[Program]\nPath=\"C:\\\\a" + nul + L".exe\"\n", L"line 2: this setting cannot hold a NUL character"},
        {L"[Device]\nInstanceId=\"PCI\\u0000\"\n", L"line 2: this setting cannot hold a NUL character"},
        {L"[HKLM\\S]\n\"a\"=\"\\u12\"\n", L"line 2: \\u needs four hexadecimal digits"},
        {L"[\"HKLM\\\\S\" ]\n", L"line 1: a quoted key needs ']' right after its closing quote"},
        {L"[Program]\nListFile=\"CON\"\n", L"line 2: ListFile names a device, not a file"},
        {L"[Program]\nListFile=\"C:\\\\lists\\\\nul.txt\"\n", L"line 2: ListFile names a device, not a file"},
        {L"[Program]\nListFile=\"\\\\\\\\.\\\\pipe\\\\list\"\n", L"line 2: ListFile is a device path, not a file"},
        {L"[Program]\nListFile=\"\\\\\\\\?\\\\C:\\\\list.txt\"\n", L"line 2: ListFile is a device path, not a file"},
    };
    for (const Bad& b : bad) {
        RecordedProbes p;
        EXPECT_EQ(b.error, Load(b.text, p)) << std::string(b.text.begin(), b.text.end());
    }

    RecordedProbes p;
    ASSERT_EQ(L"", Load(L"[HKLM\\S]\n\"a" + nul + L"b\"=\"x" + nul + L"y\"\n\"lf\"=\"1\\u000a2\"\n"
                        L"[\"HKLM\\\\S\\\\line\\u000afeed\"]\n@=dword:1\n"
                        L"[Device]\nDeviceDesc=\"d\\u0000e\"\n", p));
    const RecordedKey* k = p.FindKey(L"HKLM\\S");
    ASSERT_TRUE(k && k->values.size() == 2);
    EXPECT_EQ(std::wstring(L"a\0b", 3), k->values[0].name);
    EXPECT_EQ(std::wstring(L"x\0y\0", 4), std::wstring((const wchar_t*)&k->values[0].data[0], 4));
    EXPECT_EQ(std::wstring(L"1\n2\0", 4), std::wstring((const wchar_t*)&k->values[1].data[0], 4));
    EXPECT_EQ(std::vector<std::wstring>{L"line\nfeed"}, k->subKeys);
    ASSERT_EQ(1u, p.devices.size());
    EXPECT_EQ(8u, p.devices[0].properties[SPDRP_DEVICEDESC].data.size());
}

// A capture replays to the same verdicts, and what it writes reads back identically: generated
// systems with names and values of every awkward kind (line feeds, quotes, brackets, lone halves of
// surrogate pairs, NULs in value names, services stored in unusual types).
TEST(SnapshotRoundTrip, GeneratedSystemsCaptureAndReplayAlike)
{
    std::mt19937 rng(4242);
    const std::wstring odd[] = {L"plain", L"with space", L"line\nfeed", L"cr\rret", L"q\"uote", L"br]acket",
                                L"[open", L"semi;colon", L"tab\tbed", std::wstring(L"nul\0in", 6), L"\x1b[2J",
                                L"lone\xD800", L"\xDC00lone", L"pair\xD83D\xDE00", L"\x7f\x80\x9f", L"-dash", L"@"};
    const size_t nOdd = sizeof(odd) / sizeof(odd[0]);
    auto pick = [&]() { return odd[rng() % nOdd]; };
    auto keyName = [&]() {
        std::wstring n = pick();
        for (wchar_t& c : n)
            if (c == 0) c = L'0';  // key names hold no NUL (the loader refuses them)
        return n + std::to_wstring(rng() % 10);
    };
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring listPath = std::wstring(tmp) + L"nv_roundtrip_list.txt";
    const std::wstring snapPath = std::wstring(tmp) + L"nv_roundtrip.snapshot";
    FILE* f = _wfopen(listPath.c_str(), L"wb");
    fputs("_W7_,PCI\\VEN_0001&DEV_0001,a\nUSB\\VID_0CF3&PID_9170,b\n", f);
    fclose(f);
    for (int iter = 0; iter < 60; ++iter) {
        SCOPED_TRACE(iter);
        RecordedProbes p;
        p.os.windowsDirectory = L"C:\\WIN";
        p.os.systemDirectory = L"C:\\WIN\\system32";
        int nDev = 1 + rng() % 4;
        for (int d = 0; d < nDev; ++d) {
            std::wstring hw = rng() % 2 ? L"PCI\\VEN_0001&DEV_000" + std::to_wstring(d) : L"USB\\VID_0CF3&PID_9170";
            std::wstring svc = keyName();
            RecordedDevice dev;
            dev.properties[SPDRP_ADDRESS] = RecordedValue::Dword(L"", d);
            dev.properties[SPDRP_DEVICEDESC] = RecordedValue::String(L"", pick());
            dev.properties[SPDRP_HARDWAREID] = RecordedValue::MultiString(L"", {hw + L"&SUBSYS_" + std::to_wstring(d)});
            RecordedValue service = RecordedValue::String(L"", svc);
            if (rng() % 2) {
                service.type = rng() % 2 ? REG_BINARY : 1;
                service.data.resize(service.data.size() - 2);  // no terminator
            }
            dev.properties[SPDRP_SERVICE] = service;
            dev.hasInstanceId = true;
            dev.instanceId = L"ID\\" + keyName();
            p.devices.push_back(dev);
            std::wstring driver = L"system32\\drivers\\" + keyName() + L".sys";
            p.SetValue(L"HKLM\\SYSTEM\\CurrentControlSet\\Services\\" + svc,
                       RecordedValue::String(L"ImagePath", L"\\SystemRoot\\" + driver));
            RecordedFile file;
            file.path = L"C:\\WIN\\" + driver;
            file.hasVersion = rng() % 2;
            file.fileVersionMS = rng() % 2 ? MAKELONG(1, 103) : MAKELONG(5, 10);
            file.fileVersionLS = MAKELONG(113, 0);
            p.files.push_back(file);
            // The device's class key, somewhere in a tree of awkward names and values.
            std::wstring key = kClass;
            int depth = 1 + rng() % 3;
            for (int l = 0; l < depth; ++l) key += L"\\" + keyName();
            p.SetValue(key, RecordedValue::String(rng() % 4 ? L"ComponentId" : std::wstring(L"ComponentId\0x", 13),
                                                  hw.substr(0, hw.find(L'&', hw.find(L'&') + 1))));
            RecordedValue value;
            value.name = pick();
            value.type = rng() % 12;
            for (int b = rng() % 40; b > 0; --b) value.data.push_back((BYTE)rng());
            p.SetValue(key, value);
            if (rng() % 2) p.SetValue(key, RecordedValue::Dword(rng() % 2 ? L"IfType" : L"RadioEnable", rng() % 2 ? 71 : 6));
        }
        if (rng() % 2) {
            RecordedLibrary lib;
            lib.path = rng() % 2 ? L"MurocApi.dll" : L"C:\\WIN\\system32\\MurocApi.dll";
            lib.hasGetAPIVersion = true;
            lib.apiVersion = rng() % 2 ? 0xA0005 : 0x90001;
            p.libraries.push_back(lib);
        }
        p.devices[0].properties[SPDRP_DEVICEDESC] = RecordedValue::String(L"", L"Intel(R) PRO/Wireless 3945ABG");

        testing::internal::CaptureStdout();
        std::wstring live = CheckVerdicts(p, listPath);
        std::wstring captured = CaptureSnapshot(p, listPath);
        RecordedProbes q;
        std::wstring error;
        bool loaded = WriteSnapshotFile(snapPath, captured, error) && LoadSnapshotFile(snapPath, q, error);
        std::wstring replayed = loaded ? CheckVerdicts(q, listPath) : L"";
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(loaded) << std::string(error.begin(), error.end());
        EXPECT_FALSE(live.empty());
        EXPECT_EQ(live, replayed);
        EXPECT_EQ(captured, CaptureSnapshot(q, listPath));
    }
    DeleteFileW(listPath.c_str());
    DeleteFileW(snapPath.c_str());
}
