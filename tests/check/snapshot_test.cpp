#include <gtest/gtest.h>
#include "recorded/RecordedProbes.h"
#include "app/ResultTexts.h"
#include "recorded/Snapshot.h"
#include "supportlist/NetvetterCheck.h"
#include "framework/AfxApp.h"
#include "../common/BuiltPrograms.h"
#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

const wchar_t kClassPath[] = L"System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}";

std::wstring SamplePath() { return SourceRoot() + L"\\tools\\samples\\three-adapters.snapshot"; }

std::wstring TempPath(const wchar_t* name)
{
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    return std::wstring(tmp) + name;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_TRUE(f != NULL);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::vector<BYTE> Bytes(const RecordedProbes& p, const std::wstring& key, const std::wstring& name, DWORD* type = NULL)
{
    const RecordedKey* k = p.FindKey(key);
    if (!k) return std::vector<BYTE>(1, 0xEE);
    for (const RecordedValue& v : k->values)
        if (v.name == name) {
            if (type) *type = v.type;
            return v.data;
        }
    return std::vector<BYTE>(1, 0xEE);
}
std::vector<BYTE> Wide(const std::wstring& s) { return std::vector<BYTE>((BYTE*)s.data(), (BYTE*)(s.data() + s.size())); }

struct Verdict {
    const wchar_t *desc, *id, *text;
    WORD ver[4];
    int supported, os, ok;
    short kind;
};

// The three adapters of the sample, in enumeration order; the wired card is left out.
const Verdict kSample[] = {
    {L"Corvane AirStick N300 USB Wireless Adapter", L"USB\\VID_0CF3&PID_9170", L"Passed", {103, 1, 0, 113}, 1, 1, 1, CAdapterRecord::KindUsb},
    {L"Intel(R) PRO/Wireless 3945ABG Network Connection", L"PCI\\VEN_8086&DEV_4222",
     L"Incorrect Intel(R) PROSet Utility version", {10, 5, 1, 75}, 1, 1, 0, CAdapterRecord::KindPci},
    {L"Contoso 802.11g PCI Wireless Adapter", L"PCI\\VEN_1814&DEV_0301", L"Passed", {1, 3, 4, 0}, 0, 0, 1, CAdapterRecord::KindPci},
};

void ExpectSampleVerdicts(const AdapterList& list)
{
    ASSERT_EQ(3, list.GetSize());
    for (int i = 0; i < 3; ++i) {
        const CAdapterRecord* r = GetAdapter(list, i);
        const Verdict& v = kSample[i];
        SCOPED_TRACE(i);
        EXPECT_STREQ(v.desc, r->Description);
        EXPECT_STREQ(v.id, r->HardwareId);
        EXPECT_STREQ(v.text, DriverVerdictText(r->DriverVerdict));
        for (int k = 0; k < 4; ++k) EXPECT_EQ(v.ver[k], r->DriverVersion[k]);
        EXPECT_EQ(v.supported, r->Supported);
        EXPECT_EQ(v.os, r->OsCompatible);
        EXPECT_EQ(v.ok, r->DriverVersionOk);
        EXPECT_EQ(v.kind, r->AdapterKind);
    }
}

}  // namespace

TEST(SnapshotParser, EveryValueFormOfARegistryExport)
{
    // As reg export writes it: strings with escapes, the default value, dword, binary, the typed hex
    // forms spread over continuation lines, deletions.
    const wchar_t* text =
        L"Windows Registry Editor Version 5.00\r\n"
        L"\r\n"
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n"
        L"@=\"default\"\r\n"
        L"\"Path\"=\"C:\\\\dir\\\\\"\r\n"
        L"\"Quote\"=\"say \\\"hi\\\"\"\r\n"
        L"\"Count\"=dword:0000001f\r\n"
        L"\"Blob\"=hex:01,ff,0a\r\n"
        L"\"None\"=hex(0):\r\n"
        L"\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
        L"\"Multi\"=hex(7):61,00,00,00,\\\r\n"
        L"  62,00,63,00,00,00,\\\r\n"
        L"  00,00\r\n"
        L"\"Big\"=hex(b):01,02,03,04,05,06,07,08\r\n"
        L"\"Gone\"=\"x\"\r\n"
        L"\"Gone\"=-\r\n"
        L"\r\n"
        L"[HKLM\\SOFTWARE\\T\\Sub]\r\n"
        L"\"a\"=\"1\"\r\n"
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Dropped\\Child]\r\n"
        L"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Dropped]\r\n"
        L"\"ignored\"=\"inside a deleted key\"\r\n";
    RecordedProbes p;
    std::wstring error;
    ASSERT_TRUE(LoadSnapshotText(text, p, error)) << error;
    const std::wstring k = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\T";
    DWORD type = 0;
    EXPECT_EQ(Wide(std::wstring(L"default", 8)), Bytes(p, k, L""));
    EXPECT_EQ(Wide(std::wstring(L"C:\\dir\\", 8)), Bytes(p, k, L"Path"));
    EXPECT_EQ(Wide(std::wstring(L"say \"hi\"", 9)), Bytes(p, k, L"Quote"));
    EXPECT_EQ((std::vector<BYTE>{0x1f, 0, 0, 0}), Bytes(p, k, L"Count", &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ((std::vector<BYTE>{1, 0xff, 0x0a}), Bytes(p, k, L"Blob", &type));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_TRUE(Bytes(p, k, L"None", &type).empty());
    EXPECT_EQ((DWORD)REG_NONE, type);
    EXPECT_EQ(Wide(std::wstring(L"%A%", 4)), Bytes(p, k, L"Expand", &type));
    EXPECT_EQ((DWORD)REG_EXPAND_SZ, type);
    EXPECT_EQ(Wide(std::wstring(L"a\0bc\0\0", 6)), Bytes(p, k, L"Multi", &type));
    EXPECT_EQ((DWORD)REG_MULTI_SZ, type);
    EXPECT_EQ(8u, Bytes(p, k, L"Big", &type).size());
    EXPECT_EQ((DWORD)REG_QWORD, type);
    EXPECT_EQ(9u, p.FindKey(k)->values.size());  // "Gone" was removed again
    ASSERT_TRUE(p.FindKey(k + L"\\SUB") != NULL);
    EXPECT_EQ(std::vector<std::wstring>{L"Sub"}, p.FindKey(k)->subKeys);
    EXPECT_TRUE(p.FindKey(L"HKLM\\SOFTWARE\\Dropped") == NULL);
    EXPECT_TRUE(p.FindKey(L"HKLM\\SOFTWARE\\Dropped\\Child") == NULL);
    EXPECT_EQ((std::vector<std::wstring>{L"T"}), p.FindKey(L"HKLM\\SOFTWARE")->subKeys);

    // The same export as reg export saves it (UTF-16LE with a byte-order mark) reads the same.
    std::wstring w(text);
    std::string utf16("\xFF\xFE", 2);
    for (wchar_t c : w) utf16 += std::string{(char)(c & 0xFF), (char)(c >> 8)};
    RecordedProbes q;
    ASSERT_TRUE(LoadSnapshotText(DecodeSnapshotBytes(utf16), q, error)) << error;
    EXPECT_EQ(Bytes(p, k, L"Multi"), Bytes(q, k, L"Multi"));
    EXPECT_EQ(DecodeSnapshotBytes("\xEF\xBB\xBFx\xC3\xA9"), std::wstring(L"x\u00e9"));
}

TEST(SnapshotParser, ErrorsNameTheLine)
{
    struct Case {
        const wchar_t* text;
        int line;
        const wchar_t* words;
    } cases[] = {
        {L"[Program]\nPath=\"C:\\Windows\"\n", 2, L"unknown escape"},
        {L"\n[Program]\nPath=\"C:\\\\x\n", 3, L"closing quote"},
        {L"[HKLM\\A]\n\"v\"=hex:01,02,\\\n  03,zz\n", 3, L"hexadecimal"},
        {L"[HKLM\\A]\n\"v\"=dword:123456789\n", 2, L"dword"},
        {L"[HKLM\\A]\n\"v\"=hex(2)01\n", 2, L"':'"},
        {L"[HKLM\\A]\nv=\"1\"\n", 2, L"value line"},
        {L"[HKLM\\A]\n\"v\"\"1\"\n", 2, L"'='"},
        {L"[HKLM\\A]\n\"v\"=\"1\" trailing\n", 2, L"unexpected text"},
        {L"[HKEY_NOWHERE\\A]\n", 1, L"unknown registry root"},
        {L";c\n[Devices]\n", 2, L"unknown section"},
        {L"[Device]\nColour=\"red\"\n", 2, L"unknown device setting"},
        {L"[Device]\nDeviceDesc=plain words\n", 2, L"expected a value"},
        {L"[System]\nVersion=6.x\n", 2, L"version"},
        {L"[System]\nIsWow64Process=maybe\n", 2, L"absent, no, yes or fails"},
        {L"[File]\nPath=\"a\"\nFileVersion=1.2.3\n", 3, L"version"},
        {L"\n\n[File]\nFileVersion=1.2.3.4\n[Program]\n", 3, L"needs a Path"},
        {L"[Library]\nPath=\"m.dll\"\nGetAPIVersion=-1\n", 3, L"number"},
        {L"Path=\"x\"\n", 1, L"outside any section"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RecordedProbes p;
        std::wstring error;
        ASSERT_FALSE(LoadSnapshotText(c.text, p, error));
        EXPECT_EQ(0u, error.find(L"line " + std::to_wstring(c.line) + L": ")) << error;
        EXPECT_NE(std::wstring::npos, error.find(c.words)) << error;
    }
    RecordedProbes p;
    std::wstring error;
    std::wstring bad = TempPath(L"nv_bad.snapshot");
    WriteBytes(bad, "[System]\nVersion=6.1\nNativeArchitecture=x64\n");
    ASSERT_FALSE(LoadSnapshotFile(bad, p, error));
    EXPECT_EQ(0u, error.find(bad + L", line 3: ")) << error;
}

TEST(RecordedProbesTest, DevicesAnswerLikeSetupApi)
{
    RecordedProbes p;
    for (int i = 0; i < 2; ++i) {
        RecordedDevice d;
        d.properties[SPDRP_SERVICE] = RecordedValue::String(L"", std::wstring(1500, L'S'));
        d.properties[SPDRP_HARDWAREID] = RecordedValue::MultiString(L"", {L"PCI\\A", L"PCI\\B"});
        p.devices.push_back(d);
    }
    static const GUID ndis = {0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};
    HDEVINFO set = p.SetupDiGetClassDevsW(&ndis, NULL, NULL, DIGCF_DEVICEINTERFACE);
    SP_DEVINFO_DATA dev = {sizeof(dev)};
    ASSERT_TRUE(p.SetupDiEnumDeviceInfo(set, 0, &dev));
    ASSERT_TRUE(p.SetupDiEnumDeviceInfo(set, 1, &dev));
    EXPECT_FALSE(p.SetupDiEnumDeviceInfo(set, 2, &dev));
    EXPECT_EQ((DWORD)ERROR_NO_MORE_ITEMS, p.GetLastError());

    // Too small a buffer: error 122 with the size and type, which the service-name fetch relies on.
    BYTE buf[1024];
    DWORD type = 0, need = 0;
    EXPECT_FALSE(p.SetupDiGetDeviceRegistryPropertyW(set, &dev, SPDRP_SERVICE, &type, buf, sizeof(buf), &need));
    EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, p.GetLastError());
    EXPECT_EQ(3002u, need);
    EXPECT_EQ((DWORD)REG_SZ, type);
    AdapterList list;
    CAdapterCheck check(p, list);
    WCHAR* service = check.GetDeviceStringProperty(set, &dev, SPDRP_SERVICE);
    ASSERT_TRUE(service != NULL);
    EXPECT_EQ(std::wstring(1500, L'S'), service);
    delete[] (BYTE*)service;
    EXPECT_FALSE(p.SetupDiGetDeviceRegistryPropertyW(set, &dev, SPDRP_DEVICEDESC, &type, buf, sizeof(buf), &need));
    EXPECT_EQ((DWORD)ERROR_INVALID_DATA, p.GetLastError());  // a property the device lacks
    EXPECT_FALSE(p.SetupDiGetDeviceInstanceIdW(set, &dev, (PWSTR)buf, 512, NULL));

    EXPECT_EQ(1, p.OpenDeviceSetCount());
    EXPECT_TRUE(p.SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(p.SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(0, p.OpenDeviceSetCount());
}

TEST(RecordedProbesTest, RegistryAnswersLikeWindows)
{
    RecordedProbes p;
    std::wstring key = std::wstring(L"HKLM\\") + kClassPath + L"\\0000";
    p.SetValue(key, RecordedValue::String(L"zeta", L"1"));
    p.SetValue(key, RecordedValue::Dword(L"Alpha", 2));
    p.SetValue(key, RecordedValue::String(L"mid", L"a longer value"));
    p.AddKey(std::wstring(L"HKLM\\") + kClassPath + L"\\0000\\Ndi");

    // The first level below the class key is opened with two backslashes in a row.
    HKEY a = NULL, b = NULL, c = NULL;
    ASSERT_EQ(ERROR_SUCCESS, p.RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kClassPath) + L"\\\\0000").c_str(), 0, 0x20019, &a));
    ASSERT_EQ(ERROR_SUCCESS, p.RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"system\\currentcontrolset\\control\\class\\"
                                                                 L"{4d36e972-e325-11ce-bfc1-08002be10318}\\0000", 0, 1, &b));
    ASSERT_EQ(ERROR_SUCCESS, p.RegOpenKeyExW(a, L"Ndi", 0, 1, &c));
    EXPECT_TRUE(a != b && b != c && a != c);
    EXPECT_EQ(3, p.OpenKeyCount());
    HKEY none = NULL;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, p.RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\Nowhere", 0, 1, &none));

    DWORD subs = 9, values = 9, maxName = 0, maxData = 0;
    ASSERT_EQ(ERROR_SUCCESS, p.RegQueryInfoKeyW(a, NULL, NULL, NULL, &subs, NULL, NULL, &values, &maxName, &maxData, NULL, NULL));
    EXPECT_EQ(1u, subs);
    EXPECT_EQ(3u, values);
    EXPECT_EQ(5u, maxName);
    EXPECT_EQ(30u, maxData);

    // Values in the order they were recorded, not sorted.
    const wchar_t* order[] = {L"zeta", L"Alpha", L"mid"};
    WCHAR name[64];
    BYTE data[64];
    for (DWORD i = 0; i < 3; ++i) {
        DWORD nameLen = 64, dataLen = 64;
        ASSERT_EQ(ERROR_SUCCESS, p.RegEnumValueW(a, i, name, &nameLen, NULL, NULL, data, &dataLen));
        EXPECT_STREQ(order[i], name);
        EXPECT_EQ(wcslen(order[i]), nameLen);
    }
    DWORD nameLen = 64, dataLen = 64;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, p.RegEnumValueW(a, 3, name, &nameLen, NULL, NULL, data, &dataLen));
    nameLen = 4;  // "zeta" needs five characters with its terminator
    EXPECT_EQ(ERROR_MORE_DATA, p.RegEnumValueW(a, 0, name, &nameLen, NULL, NULL, data, &dataLen));
    nameLen = 64, dataLen = 10;
    EXPECT_EQ(ERROR_MORE_DATA, p.RegEnumValueW(a, 2, name, &nameLen, NULL, NULL, data, &dataLen));
    EXPECT_EQ(30u, dataLen);
    nameLen = 3;
    EXPECT_EQ(ERROR_MORE_DATA, p.RegEnumKeyExW(a, 0, name, &nameLen, NULL, NULL, NULL, NULL));
    nameLen = 4;
    EXPECT_EQ(ERROR_SUCCESS, p.RegEnumKeyExW(a, 0, name, &nameLen, NULL, NULL, NULL, NULL));
    EXPECT_STREQ(L"Ndi", name);
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, p.RegEnumKeyExW(a, 1, name, &nameLen, NULL, NULL, NULL, NULL));

    dataLen = 64;
    DWORD type = 0;
    EXPECT_EQ(ERROR_SUCCESS, p.RegQueryValueExW(b, L"ALPHA", NULL, &type, data, &dataLen));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(4u, dataLen);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, p.RegQueryValueExW(b, L"ImagePath", NULL, &type, data, &dataLen));

    EXPECT_EQ(ERROR_SUCCESS, p.RegCloseKey(c));
    EXPECT_EQ(ERROR_INVALID_HANDLE, p.RegCloseKey(c));
    EXPECT_EQ(ERROR_INVALID_HANDLE, p.RegQueryValueExW(c, L"x", NULL, NULL, NULL, NULL));
    p.RegCloseKey(a);
    p.RegCloseKey(b);
    EXPECT_EQ(0, p.OpenKeyCount());
}

TEST(RecordedProbesTest, VersionBlocksLibrariesAndDirectory)
{
    RecordedProbes p;
    RecordedFile f;
    f.path = L"C:\\WINDOWS\\system32\\DRIVERS\\x.sys";
    f.hasVersion = true;
    f.fileVersionMS = MAKELONG(5, 10), f.fileVersionLS = MAKELONG(7, 3);
    f.productVersionMS = MAKELONG(2, 6), f.productVersionLS = 0;
    p.files.push_back(f);
    RecordedFile k32;
    k32.path = L"c:\\windows\\SYSTEM32\\kernel32.dll";
    k32.hasVersion = true;
    k32.fileVersionMS = MAKELONG(3, 6), k32.productVersionMS = MAKELONG(0, 10);
    p.files.push_back(k32);
    RecordedFile plain;
    plain.path = L"C:\\WINDOWS\\system32\\DRIVERS\\plain.sys";
    p.files.push_back(plain);

    AdapterList list;
    CNetvetterCheck check(p, list);
    WORD v[4] = {0, 0, 0, 0};
    check.Adapters().GetFileVersion(L"C:\\WINDOWS\\\\system32\\DRIVERS\\X.SYS", v[0], v[1], v[2], v[3]);
    EXPECT_EQ((std::vector<WORD>{10, 5, 3, 7}), std::vector<WORD>(v, v + 4));  // the file version
    EXPECT_EQ(MAKELONG(0, 10), (LONG)ReadSystemFacts(p).KernelVersion());  // the product version
    EXPECT_EQ(0u, p.GetFileVersionInfoSizeW(plain.path.c_str(), NULL));
    EXPECT_EQ(0u, p.GetFileVersionInfoSizeW(L"C:\\missing.sys", NULL));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, p.GetLastError());
    // The block is a real version resource: the system's own reader finds the same fixed part.
    std::vector<BYTE> block = RecordedProbes::MakeVersionBlock(f);
    VS_FIXEDFILEINFO* fi = NULL;
    UINT len = 0;
    ASSERT_TRUE(::VerQueryValueW(&block[0], L"\\", (LPVOID*)&fi, &len));
    EXPECT_EQ(f.fileVersionLS, fi->dwFileVersionLS);

    // PROSet: missing from the search path, found in BinDir; the directory comes back afterwards.
    p.currentDirectory = L"C:\\Start";
    p.SetValue(L"HKLM\\SOFTWARE\\Intel\\Wireless", RecordedValue::String(L"BinDir", L"C:\\Intel\\Bin"));
    RecordedLibrary lib;
    lib.path = L"C:\\Intel\\Bin\\MurocApi.dll";
    lib.onSearchPath = false;
    lib.hasGetAPIVersion = true;
    lib.apiVersion = 0xA0005;
    p.libraries.push_back(lib);
    EXPECT_TRUE(p.LoadLibraryW(L"MurocApi.dll") == NULL);
    EXPECT_EQ(1, check.Adapters().CheckProSetVersion());
    p.libraries[0].apiVersion = 0xA0006;
    EXPECT_EQ(0, check.Adapters().CheckProSetVersion());
    p.libraries[0].hasGetAPIVersion = false;
    EXPECT_EQ(1, check.Adapters().CheckProSetVersion());
    EXPECT_EQ(L"C:\\Start", p.currentDirectory);
    EXPECT_EQ(0, p.LoadedLibraryCount());
    EXPECT_EQ(0, p.OpenKeyCount());
    EXPECT_EQ(-1, p._wchdir(L"C:\\Nowhere"));
    EXPECT_EQ(0, p._wchdir(L"C:\\Intel"));
}

TEST(SnapshotCheck, SampleSnapshotGivesTheExpectedVerdicts)
{
    RecordedProbes p;
    std::wstring error;
    ASSERT_TRUE(LoadSnapshotFile(SamplePath(), p, error)) << error;
    AdapterList list;
    CNetvetterCheck check(p, list);
    check.SupportList().SetListPath(p.listFile.c_str());
    EXPECT_EQ(1, check.RunCheck());
    ExpectSampleVerdicts(list);
    EXPECT_EQ(0, p.OpenKeyCount());
    EXPECT_EQ(0, p.OpenDeviceSetCount());
    EXPECT_EQ(0, p.LoadedLibraryCount());
    EXPECT_EQ(L"C:\\Program Files\\Netvetter", p.currentDirectory);

    // Replaying a capture of the recorded system gives the same verdicts, and capturing the replay
    // gives the same text again.
    std::wstring captured = CaptureSnapshot(p, p.listFile);
    EXPECT_EQ(0, p.OpenKeyCount());
    RecordedProbes q;
    ASSERT_TRUE(LoadSnapshotText(captured, q, error)) << error;
    AdapterList again;
    CNetvetterCheck replay(q, again);
    replay.SupportList().SetListPath(q.listFile.c_str());
    EXPECT_EQ(1, replay.RunCheck());
    ExpectSampleVerdicts(again);
    EXPECT_EQ(captured, CaptureSnapshot(q, q.listFile));
    DeleteAdapterRecords(list);
    DeleteAdapterRecords(again);
}

TEST(SnapshotCheck, CaptureKeepsValuesByteForByte)
{
    // Values that a quoted string cannot give back unchanged are written in hex form.
    RecordedProbes p;
    const std::wstring k = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
                           L"{4D36E972-E325-11CE-BFC1-08002BE10318}";
    RecordedValue unterminated;
    unterminated.name = L"ComponentId";
    unterminated.type = REG_SZ;
    unterminated.data = Wide(L"pci\\x");
    p.SetValue(k + L"\\0000", unterminated);
    RecordedValue odd = unterminated;
    odd.name = L"Odd \"name\"";
    odd.data.push_back(7);
    p.SetValue(k + L"\\0000", odd);
    p.SetValue(k + L"\\0000", RecordedValue::String(L"Lines", L"a\nb"));
    p.SetValue(k + L"\\0000", RecordedValue::MultiString(L"M", {L"x", L"y"}));
    RecordedValue shortDword;
    shortDword.name = L"D";
    shortDword.type = REG_DWORD;
    shortDword.data = {1, 2};
    p.SetValue(k + L"\\0000", shortDword);
    RecordedValue big;
    big.name = L"Big";
    big.type = REG_BINARY;
    big.data.assign(100, 0xAB);
    p.SetValue(k + L"\\0000", big);
    std::wstring text = CaptureSnapshot(p, L"");
    RecordedProbes q;
    std::wstring error;
    ASSERT_TRUE(LoadSnapshotText(text, q, error)) << error << text;
    const RecordedKey* a = p.FindKey(k + L"\\0000");
    const RecordedKey* b = q.FindKey(k + L"\\0000");
    ASSERT_TRUE(b != NULL) << text;
    ASSERT_EQ(a->values.size(), b->values.size());
    for (size_t i = 0; i < a->values.size(); ++i) {
        EXPECT_EQ(a->values[i].name, b->values[i].name);
        EXPECT_EQ(a->values[i].type, b->values[i].type);
        EXPECT_EQ(a->values[i].data, b->values[i].data) << a->values[i].name;
    }
}

// --- the report tool as a child process -------------------------------------------------------------

namespace {

typedef ProgramRun ReportRun;
ReportRun RunReport(const std::wstring& args)
{
    EXPECT_FALSE(BuiltProgram(L"netvetter-report.exe").empty()) << "netvetter-report.exe is not built beside the tests' folder";
    return RunBuiltProgram(L"netvetter-report.exe", args);
}

bool Has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

// A system with one supported USB stick; its list lies beside the snapshot.
std::wstring OneStick(const std::wstring& desc, const char* listLine)
{
    std::wstring list = TempPath(L"nv_one.driverinfo.txt"), snap = TempPath(L"nv_one.snapshot");
    WriteBytes(list, listLine);
    std::wstring text = L"[Program]\nListFile=\"nv_one.driverinfo.txt\"\n[System]\nVersion=6.1\n"
                        L"[Device]\nAddress=0\nDeviceDesc=\"" + desc + L"\"\nHardwareID=multi:\"USB\\\\VID_1234&PID_0001\"\n"
                        L"InstanceId=\"USB\\\\1\"\n"
                        L"[HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\0000]\n"
                        L"\"ComponentId\"=\"usb\\\\vid_1234&pid_0001\"\n\"RadioEnable\"=dword:1\n";
    std::wstring error;
    EXPECT_TRUE(WriteSnapshotFile(snap, text, error)) << error;
    return L"--snapshot \"" + snap + L"\"";
}

}  // namespace

TEST(ReportTool, SampleLinesJsonAndExitCodes)
{
    ReportRun r = RunReport(L"--snapshot \"" + SamplePath() + L"\"");
    EXPECT_EQ(1u, r.exitCode) << r.out << r.err;
    size_t report = r.out.find("=== Netvetter report ===");
    ASSERT_NE(std::string::npos, report) << r.out;
    std::string tail = r.out.substr(report);  // the check's trace comes before the report
    EXPECT_TRUE(Has(tail, "Adapter 1: Corvane AirStick N300 USB Wireless Adapter | USB\\VID_0CF3&PID_9170 | driver "
                          "103.1.0.113 | Passed | supported yes | OS compatible yes | kind USB | correct\n")) << tail;
    EXPECT_TRUE(Has(tail, "Adapter 2: Intel(R) PRO/Wireless 3945ABG Network Connection | PCI\\VEN_8086&DEV_4222 | "
                          "driver 10.5.1.75 | Incorrect Intel(R) PROSet Utility version | supported yes | "
                          "OS compatible yes | kind PCI | needs action\n")) << tail;
    EXPECT_TRUE(Has(tail, "Adapter 3: Contoso 802.11g PCI Wireless Adapter | PCI\\VEN_1814&DEV_0301 | driver 1.3.4.0 | "
                          "Passed | supported no | OS compatible no | kind PCI | needs action\n")) << tail;
    EXPECT_TRUE(Has(tail, "Outcome: 2 of 3 adapters need action\n")) << tail;
    EXPECT_FALSE(Has(tail, "Realtek"));

    // JSON: stdout holds the JSON alone, the trace went to stderr.
    ReportRun j = RunReport(L"--json --snapshot \"" + SamplePath() + L"\"");
    EXPECT_EQ(1u, j.exitCode);
    EXPECT_EQ('{', j.out[0]) << j.out;
    EXPECT_TRUE(Has(j.out, "\"hardwareId\": \"PCI\\\\VEN_8086&DEV_4222\", \"driverVersion\": \"10.5.1.75\"")) << j.out;
    EXPECT_TRUE(Has(j.out, "\"kind\": \"USB\", \"fullyCorrect\": true,")) << j.out;
    EXPECT_TRUE(Has(j.out, "\"outcome\": \"actionNeeded\",\n  \"exitCode\": 1\n}\n")) << j.out;
    EXPECT_FALSE(Has(j.out, "Number of values"));
    EXPECT_TRUE(Has(j.err, "Number of values"));

    // One correct adapter: 0; its name escaped in JSON.
    std::wstring stick = OneStick(L"Stick \\\"N\\\" \\\\ \u00e9", "_W7_,USB\\VID_1234&PID_0001,stick\n");
    ReportRun ok = RunReport(stick);
    EXPECT_EQ(0u, ok.exitCode) << ok.out << ok.err;
    EXPECT_TRUE(Has(ok.out, Utf8(L"Adapter 1: Stick \"N\" \\ \u00e9 | USB\\VID_1234&PID_0001 | driver 0.0.0.0 | Passed")))
        << ok.out;
    EXPECT_TRUE(Has(ok.out, "Outcome: all installed adapters are supported and have correct driver version\n"));
    ReportRun okJson = RunReport(L"--json " + stick);
    EXPECT_TRUE(Has(okJson.out, "\"description\": \"Stick \\\"N\\\" \\\\ \\u00e9\"")) << okJson.out;
    EXPECT_TRUE(Has(okJson.out, "\"outcome\": \"allCorrect\""));
    EXPECT_TRUE(Has(okJson.out, "\"summary\": \"Congratulations!\\nAll installed adapters are supported and have "
                                "correct driver version.\",")) << okJson.out;
    EXPECT_TRUE(Has(ok.out, "Summary: Congratulations!\n  All installed adapters are supported")) << ok.out;

    // Listed for another system only: 1. No list at all: 2, the message on stderr.
    EXPECT_EQ(1u, RunReport(OneStick(L"Stick", "_W10_,USB\\VID_1234&PID_0001,stick\n")).exitCode);
    ReportRun missing = RunReport(stick + L" --list \"" + TempPath(L"nv_no_such_list.txt") + L"\"");
    EXPECT_EQ(2u, missing.exitCode);
    EXPECT_TRUE(Has(missing.err, "Can't open ")) << missing.err;
    EXPECT_TRUE(Has(missing.err, "nv_no_such_list.txt exists.")) << missing.err;
}

TEST(ReportTool, NoAdapterBadSnapshotAndBadOptions)
{
    std::wstring snap = TempPath(L"nv_empty.snapshot");
    std::wstring list = TempPath(L"nv_empty.driverinfo.txt");
    WriteBytes(list, "# nothing\n");
    WriteBytes(snap, "[Program]\nListFile=\"nv_empty.driverinfo.txt\"\n");
    ReportRun none = RunReport(L"--snapshot \"" + snap + L"\"");
    EXPECT_EQ(0u, none.exitCode);
    EXPECT_TRUE(Has(none.out, "Summary: No installed adapter detected.\nOutcome: No installed adapter detected"))
        << none.out;

    WriteBytes(snap, "[Program]\n\n[Device]\nDeviceDesc=\"unterminated\n");
    ReportRun bad = RunReport(L"--snapshot \"" + snap + L"\"");
    EXPECT_EQ(2u, bad.exitCode);
    EXPECT_TRUE(Has(bad.err, ", line 4: string without its closing quote")) << bad.err;
    EXPECT_TRUE(bad.out.empty()) << bad.out;

    ReportRun unknown = RunReport(L"--verbose");
    EXPECT_EQ(2u, unknown.exitCode);
    EXPECT_TRUE(Has(unknown.err, "Unknown option: --verbose")) << unknown.err;
    EXPECT_TRUE(Has(unknown.err, "Usage: netvetter-report")) << unknown.err;
    EXPECT_EQ(2u, RunReport(L"--snapshot").exitCode);

    // --capture of a replayed system writes a snapshot that replays to the same report.
    std::wstring cap = TempPath(L"nv_capture.snapshot");
    ReportRun first = RunReport(L"--snapshot \"" + SamplePath() + L"\" --capture \"" + cap + L"\"");
    ReportRun second = RunReport(L"--snapshot \"" + cap + L"\"");
    EXPECT_EQ(1u, second.exitCode) << second.err;
    size_t a = first.out.find("=== Netvetter report ==="), b = second.out.find("=== Netvetter report ===");
    ASSERT_NE(std::string::npos, a);
    ASSERT_NE(std::string::npos, b);
    EXPECT_EQ(first.out.substr(a), second.out.substr(b));

    // The same for this (Wine's) system, captured through the real backend.
    ReportRun live = RunReport(L"--capture \"" + cap + L"\"");
    ReportRun replayed = RunReport(L"--snapshot \"" + cap + L"\"");
    EXPECT_EQ(live.exitCode, replayed.exitCode) << replayed.err;
    a = live.out.find("=== Netvetter report ==="), b = replayed.out.find("=== Netvetter report ===");
    ASSERT_NE(std::string::npos, a) << live.out << live.err;
    ASSERT_NE(std::string::npos, b) << replayed.out << replayed.err;
    // The same PC and time; only the source differs.
    std::string liveReport = live.out.substr(a);
    size_t source = liveReport.find(" | live\n");
    ASSERT_NE(std::string::npos, source) << liveReport;
    EXPECT_EQ(liveReport.replace(source, 8, " | snapshot\n"), replayed.out.substr(b));
}

namespace {
// What the result window shows for each recorded system of tools/samples, as the report gives it.
struct WindowAdapter {
    std::string json;  // the adapter's cells and resolution in the JSON report
    std::string text;  // the same in the text report
};
struct SampleWindow {
    const wchar_t* file;
    const char* osName;
    std::vector<WindowAdapter> adapters;
};
const char kListPage[] = "https://support.corvane.com/support/supported_adapters/";
const char kDriverPage[] = "https://support.corvane.com/my_corvane/public/documents/#3rdpartydriver/";

std::vector<SampleWindow> SampleWindows()
{
    std::string list = kListPage, driver = kDriverPage;
    return {
        {L"three-adapters.snapshot", "Windows 7 (Service Pack 1)",
         {{"\"cells\": [\"Corvane AirStick N300 USB Wireless Adapter\", \"Supported\", \"103.1.0.113\", \"Passed\", "
           "\"\"], \"resolution\": {\"action\": \"none\", \"target\": \"\"}}",
           "  Window row: Corvane AirStick N300 USB Wireless Adapter | Supported | 103.1.0.113 | Passed | \n"
           "  Resolution: none\n"},
          {("\"cells\": [\"Intel(R) PRO/Wireless 3945ABG Network Connection\", \"Supported\", \"10.5.1.75\", "
                   "\"Incorrect Intel(R) PROSet Utility version\", \"Click here to go to supported Intel 3945\"], "
                   "\"resolution\": {\"action\": \"page\", \"target\": \"" + driver + "\"}}"),
           ("  Window row: Intel(R) PRO/Wireless 3945ABG Network Connection | Supported | 10.5.1.75 | Incorrect "
                   "Intel(R) PROSet Utility version | Click here to go to supported Intel 3945\n  Resolution: page " +
                   driver + "\n")},
          {("\"cells\": [\"Contoso 802.11g PCI Wireless Adapter\", \"Not supported\", \"1.3.4.0\", \"Not "
                   "supported\", \"Click here to see supported WLAN adapter list\"], \"resolution\": {\"action\": "
                   "\"page\", \"target\": \"" + list + "\"}}"),
           ("  Window row: Contoso 802.11g PCI Wireless Adapter | Not supported | 1.3.4.0 | Not supported | "
                   "Click here to see supported WLAN adapter list\n  Resolution: page " + list + "\n")}}},
        // Windows 11 by its build number; its W10 line makes the card compatible.
        {L"windows11.snapshot", "Windows 11 64-Bit",
         {{"\"cells\": [\"Intel(R) Wi-Fi 6E AX210 160MHz\", \"Supported\", \"22.250.1.2\", \"Passed\", \"\"], "
           "\"resolution\": {\"action\": \"none\", \"target\": \"\"}}",
           "  Window row: Intel(R) Wi-Fi 6E AX210 160MHz | Supported | 22.250.1.2 | Passed | \n  Resolution: none\n"},
          {"\"cells\": [\"Corvane AirStick N300 USB Wireless Adapter\", \"Supported\", \"103.1.0.100\", \"Incorrect USB "
           "driver version\", \"Click here to install USB abgn driver\"], \"resolution\": {\"action\": \"installer\", "
           "\"target\": \"C:\\\\Program Files (x86)\\\\Netvetter\\\\WlanStickSetup\\\\setup.exe\"}}",
           "  Window row: Corvane AirStick N300 USB Wireless Adapter | Supported | 103.1.0.100 | Incorrect USB driver "
           "version | Click here to install USB abgn driver\n  Resolution: installer C:\\Program Files "
           "(x86)\\Netvetter\\WlanStickSetup\\setup.exe\n"}}},
        // Composite USB functions, and a PROSet utility found through the 64-bit registry view.
        {L"windows10-x64.snapshot", "Windows 10 64-Bit",
         {{"\"cells\": [\"Realtek RTL8723AU Wireless LAN 802.11n USB 2.0 Network Adapter\", \"Supported\", "
           "\"1030.4.812.2012\", \"Passed\", \"\"], \"resolution\": {\"action\": \"none\", \"target\": \"\"}}",
           "  Window row: Realtek RTL8723AU Wireless LAN 802.11n USB 2.0 Network Adapter | Supported | 1030.4.812.2012 | "
           "Passed | \n  Resolution: none\n"},
          {("\"cells\": [\"Realtek RTL8192DU Wireless LAN 802.11n USB 2.0 Network Adapter\", \"Not supported\", "
                   "\"1030.4.812.2012\", \"Not supported\", \"Click here to see supported WLAN adapter list\"], "
                   "\"resolution\": {\"action\": \"page\", \"target\": \"" + list + "\"}}"),
           ("  Window row: Realtek RTL8192DU Wireless LAN 802.11n USB 2.0 Network Adapter | Not supported | "
                   "1030.4.812.2012 | Not supported | Click here to see supported WLAN adapter list\n  Resolution: page " +
                   list + "\n")},
          {("\"cells\": [\"Realtek RTL8192DU Wireless LAN 802.11n USB 2.0 Network Adapter #2\", \"Not supported\", "
                   "\"1030.4.812.2012\", \"Not supported\", \"Click here to see supported WLAN adapter list\"], "
                   "\"resolution\": {\"action\": \"page\", \"target\": \"" + list + "\"}}"),
           ("  Window row: Realtek RTL8192DU Wireless LAN 802.11n USB 2.0 Network Adapter #2 | Not supported | "
                   "1030.4.812.2012 | Not supported | Click here to see supported WLAN adapter list\n  Resolution: page " +
                   list + "\n")},
          {("\"cells\": [\"Intel(R) PRO/Wireless 3945ABG Network Connection\", \"Supported\", \"10.5.1.75\", "
                   "\"Incorrect Intel(R) PROSet Utility version\", \"Click here to go to supported Intel 3945\"], "
                   "\"resolution\": {\"action\": \"page\", \"target\": \"" + driver + "\"}}"),
           ("  Window row: Intel(R) PRO/Wireless 3945ABG Network Connection | Supported | 10.5.1.75 | Incorrect "
                   "Intel(R) PROSet Utility version | Click here to go to supported Intel 3945\n  Resolution: page " +
                   driver + "\n")}}},
    };
}
}  // namespace

TEST(ReportTool, EverySampleCarriesWhatTheWindowShows)
{
    std::vector<SampleWindow> known = SampleWindows();
    std::vector<std::wstring> samples = SampleSnapshots();
    ASSERT_GE(samples.size(), known.size());
    for (const std::wstring& sample : samples) {
        std::wstring name = sample.substr(sample.rfind(L'\\') + 1);
        const SampleWindow* w = nullptr;
        for (const SampleWindow& k : known)
            if (name == k.file) w = &k;
        if (!w) {
            ADD_FAILURE() << Utf8(name) << ": a sample without its expected window texts here";
            continue;
        }
        SCOPED_TRACE(Utf8(name));
        ReportRun j = RunReport(L"--json --snapshot \"" + sample + L"\"");
        EXPECT_TRUE(Has(j.out, std::string("\"osName\": \"") + w->osName + "\",\n  \"summary\": \"\",\n")) << j.out;
        ReportRun t = RunReport(L"--snapshot \"" + sample + L"\"");
        EXPECT_TRUE(Has(t.out, std::string("\nOperating system: ") + w->osName + "\n")) << t.out;
        EXPECT_TRUE(Has(t.out, "\nSummary: \nOutcome: ")) << t.out;
        size_t jAt = 0, tAt = 0;
        for (const WindowAdapter& a : w->adapters) {
            // In adapter order: each fragment after the previous one.
            size_t jn = j.out.find(a.json, jAt), tn = t.out.find(a.text, tAt);
            EXPECT_NE(std::string::npos, jn) << a.json << "\n" << j.out;
            EXPECT_NE(std::string::npos, tn) << a.text << "\n" << t.out;
            jAt = jn == std::string::npos ? jAt : jn;
            tAt = tn == std::string::npos ? tAt : tn;
        }
    }
}

// Lists that are no ordinary files are refused at once with exit code 2 and a message naming the
// setting, instead of waiting for console input or reading a device without end; descriptions reach
// the terminal with their control characters made visible.
TEST(ReportTool, ListsThatAreNoFilesAndTerminalEscapes)
{
    std::wstring stick = OneStick(L"Stick\\u001b]0;owned\\u0007 \\u009b2J", "_W7_,USB\\VID_1234&PID_0001,stick\n");
    ReportRun shown = RunReport(stick);
    EXPECT_EQ(0u, shown.exitCode) << shown.err;
    EXPECT_TRUE(Has(shown.out, "Adapter 1: Stick\\x1b]0;owned\\x07 \\x9b2J | USB\\VID_1234&PID_0001")) << shown.out;
    EXPECT_FALSE(Has(shown.out, "\x1b")) << shown.out;
    ReportRun json = RunReport(L"--json " + stick);
    EXPECT_TRUE(Has(json.out, "\"description\": \"Stick\\u001b]0;owned\\u0007 \\u009b2J\"")) << json.out;

    std::wstring folder = TempPath(L"nv_list_folder");
    CreateDirectoryW(folder.c_str(), NULL);
    std::wstring big = TempPath(L"nv_big_list.txt");
    WriteBytes(big, std::string(16 * 1024 * 1024 + 1, '#'));
    struct Case { std::wstring args; const char* message; };
    const Case cases[] = {
        {L"--list CON", "--list: CON names a device, not a file"},
        {L"--list c:\\lists\\aux.txt", "--list: c:\\lists\\aux.txt names a device, not a file"},
        {L"--list \\\\.\\pipe\\nv_list", "--list: \\\\.\\pipe\\nv_list is a device path, not a file"},
        {L"--list \"" + folder + L"\"", "is a folder, not a file"},
        {L"--list \"" + big + L"\"", "is larger than 16 MB"},
        {L"--snapshot CON", "CON: the snapshot file names a device, not a file"},
    };
    for (const Case& c : cases) {
        ReportRun r = RunReport(stick + L" " + c.args);
        EXPECT_EQ(2u, r.exitCode) << Utf8(c.args);
        EXPECT_TRUE(Has(r.err, c.message)) << r.err;
        EXPECT_FALSE(Has(r.out, "=== Netvetter report ===")) << r.out;
    }
    ReportRun checked = RunReport(L"--check-list CON");
    EXPECT_EQ(2u, checked.exitCode);
    EXPECT_TRUE(Has(checked.err, "--check-list: CON names a device, not a file")) << checked.err;
    std::wstring snap = TempPath(L"nv_device_list.snapshot");
    WriteBytes(snap, "[Program]\nListFile=\"NUL\"\n");
    ReportRun named = RunReport(L"--snapshot \"" + snap + L"\"");
    EXPECT_EQ(2u, named.exitCode);
    EXPECT_TRUE(Has(named.err, "nv_device_list.snapshot, line 2: ListFile names a device, not a file")) << named.err;
    // Under Wine a Unix device that never ends: refused, or read no further than the limit.
    if (GetFileAttributesW(L"Z:\\dev\\zero") != INVALID_FILE_ATTRIBUTES) {
        ReportRun zero = RunReport(stick + L" --list Z:\\dev\\zero");
        EXPECT_EQ(2u, zero.exitCode) << zero.err;
    }
    RemoveDirectoryW(folder.c_str());
    DeleteFileW(big.c_str());
    DeleteFileW(snap.c_str());
}

// --capture looks for the PROSet library where the check does (the system folder, then the utility's
// folder): one in the current directory or along PATH is neither loaded nor recorded.
TEST(ReportTool, CaptureLoadsNoLibraryFromTheCurrentDirectory)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    std::wstring exeDir = self;
    exeDir = exeDir.substr(0, exeDir.rfind(L'\\'));
    std::wstring muroc = exeDir + L"\\nvtest\\proset\\MurocApi.dll";
    std::wstring scratch = TempPath(L"nv_capture_cwd");
    CreateDirectoryW(scratch.c_str(), NULL);
    ASSERT_TRUE(CopyFileW(muroc.c_str(), (scratch + L"\\MurocApi.dll").c_str(), FALSE));
    wchar_t startDir[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, startDir);
    wchar_t path[8192];
    DWORD n = GetEnvironmentVariableW(L"PATH", path, 8192);
    std::wstring oldPath = n && n < 8192 ? path : L"";
    SetEnvironmentVariableW(L"PATH", (exeDir + L"\\nvtest\\proset;" + oldPath).c_str());
    SetCurrentDirectoryW(scratch.c_str());
    std::wstring cap = TempPath(L"nv_capture_cwd.snapshot");
    ReportRun r = RunReport(L"--capture \"" + cap + L"\"");
    SetCurrentDirectoryW(startDir);
    SetEnvironmentVariableW(L"PATH", oldPath.c_str());
    EXPECT_NE(2u, r.exitCode) << r.err;
    std::string text = ReadFileBytes(cap);
    EXPECT_TRUE(Has(text, "[Program]")) << text;
    EXPECT_FALSE(Has(text, "[Library]")) << text;
    DeleteFileW((scratch + L"\\MurocApi.dll").c_str());
    RemoveDirectoryW(scratch.c_str());
    DeleteFileW(cap.c_str());
}

// A 64-bit Windows 10 as the 32-bit program sees it: functions of composite USB devices are named in
// the class key by their "MI_" form, which only a later hardware ID carries; the PROSet folder is
// looked up in the 32-bit registry view first, then in the 64-bit one.
TEST(SnapshotCheck, CompositeUsbFunctionsAndBothRegistryViewsOnA64BitSystem)
{
    struct Expected {
        const wchar_t* id;
        const wchar_t* text;
        int supported, os, ok;
        short kind;
    };
    auto expect = [](const AdapterList& list, const std::vector<Expected>& want) {
        ASSERT_EQ((INT_PTR)want.size(), list.GetSize());
        for (size_t i = 0; i < want.size(); ++i) {
            SCOPED_TRACE(i);
            const CAdapterRecord* r = GetAdapter(list, (INT_PTR)i);
            EXPECT_STREQ(want[i].id, r->HardwareId);
            EXPECT_STREQ(want[i].text, DriverVerdictText(r->DriverVerdict));
            EXPECT_EQ(want[i].supported, r->Supported);
            EXPECT_EQ(want[i].os, r->OsCompatible);
            EXPECT_EQ(want[i].ok, r->DriverVersionOk);
            EXPECT_EQ(want[i].kind, r->AdapterKind);
        }
    };
    const std::wstring sample = SourceRoot() + L"\\tools\\samples\\windows10-x64.snapshot";
    auto check = [&](RecordedProbes& p, const std::vector<Expected>& want) {
        AdapterList list;
        CNetvetterCheck check(p, list);
        check.SupportList().SetListPath(p.listFile.c_str());
        EXPECT_EQ(1, check.RunCheck());
        expect(list, want);
        DeleteAdapterRecords(list);
        EXPECT_EQ(0, p.LoadedLibraryCount());
    };
    // The sample with more added; the capture of it replays to the same verdicts. Gives the capture.
    auto run = [&](const std::wstring& more, const std::vector<Expected>& want) {
        RecordedProbes p, q;
        std::wstring error, captured;
        EXPECT_TRUE(LoadSnapshotFile(sample, p, error)) << error;
        if (!more.empty()) {
            EXPECT_TRUE(LoadSnapshotText(more, p, error)) << error;
        }
        check(p, want);
        captured = CaptureSnapshot(p, p.listFile);
        EXPECT_TRUE(LoadSnapshotText(captured, q, error)) << error;
        check(q, want);
        return captured;
    };
    const Expected rtl8723au = {L"USB\\VID_0BDA&PID_0724", L"Passed", 1, 1, 1, CAdapterRecord::KindUsb};
    const Expected rtl8192du = {L"USB\\VID_0BDA&PID_8194", L"Passed", 0, 0, 1, CAdapterRecord::KindUsb};
    const Expected intelOldUtility = {L"PCI\\VEN_8086&DEV_4227", L"Incorrect Intel(R) PROSet Utility version", 1, 1,
                                      0, CAdapterRecord::KindPci};
    const Expected intelGood = {L"PCI\\VEN_8086&DEV_4227", L"Passed", 1, 1, 1, CAdapterRecord::KindIntel3945};

    // The Wi-Fi function of the RTL8723AU and both of the RTL8192DU; the dock's wired function is left
    // out. The only PROSet folder is in the 64-bit view, and its utility is too old. The capture of a
    // 64-bit system keeps what each view holds.
    std::wstring captured = run(L"", {rtl8723au, rtl8192du, rtl8192du, intelOldUtility});
    EXPECT_NE(std::wstring::npos, captured.find(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Intel\\Wireless]\r\n\"BinDir\"="));

    // A folder in the 32-bit view comes first: its utility is the right one.
    const std::wstring view32 =
        L"[Library]\r\nPath=\"C:\\\\Program Files (x86)\\\\Intel\\\\Bin\\\\MurocApi.dll\"\r\nOnSearchPath=no\r\n"
        L"GetAPIVersion=0x000A0005\r\n"
        L"Windows Registry Editor Version 5.00\r\n"
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Intel\\Wireless]\r\n"
        L"\"BinDir\"=\"C:\\\\Program Files (x86)\\\\Intel\\\\Bin\"\r\n";
    captured = run(view32, {rtl8723au, rtl8192du, rtl8192du, intelGood});
    EXPECT_NE(std::wstring::npos, captured.find(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Intel\\Wireless]\r\n"
                                                L"\"BinDir\"=\"C:\\\\Program Files (x86)\\\\Intel\\\\Bin\""));

    // On 32-bit Windows the registry has one view, and no key is sent to Wow6432Node: the folder is
    // found where it stands, and the 64-bit lines of the list do not apply.
    run(L"[System]\r\nIsWow64Process=no\r\nNativeArchitecture=0\r\n",
        {{L"USB\\VID_0BDA&PID_0724", L"Passed", 1, 0, 1, CAdapterRecord::KindUsb}, rtl8192du, rtl8192du,
         {L"PCI\\VEN_8086&DEV_4227", L"Incorrect Intel(R) PROSet Utility version", 1, 0, 0, CAdapterRecord::KindPci}});
}
