#include <gtest/gtest.h>
#include "RecordedSystems.h"
#include "supportlist/SupportList.h"
#include "app/ResultTexts.h"

static const wchar_t kClass[] = L"System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}";

struct CheckFixture : ::testing::Test {
    CountingSystem p;
    AdapterList list;
    CheckFixture()
    {
        p.modulePath = L"C:\\APP\\netvetter.exe";
        p.currentDirectory = L"C:\\START";
    }
    ~CheckFixture() override { DeleteAdapterRecords(list); }
    void AddSz(const std::wstring& path, const std::wstring& name, const std::wstring& text, bool terminated = true)
    {
        p.SetValue(Hklm(path), StringValue(name, text, terminated));
    }
    void AddDword(const std::wstring& path, const std::wstring& name, DWORD value)
    {
        p.SetValue(Hklm(path), RecordedValue::Dword(name, value));
    }
    // A wireless device: its class key carries ComponentId and IfType 71; its service names a driver.
    void AddDevice(const std::wstring& desc, const std::wstring& hwid, WORD a = 0, WORD b = 0, WORD c = 0, WORD d = 0,
                   bool wireless = true)
    {
        size_t n = p.devices.size();
        wchar_t sub[16];
        swprintf(sub, 16, L"\\%04u", (unsigned)n);
        std::wstring key = std::wstring(kClass) + sub;
        std::wstring cid = hwid.substr(0, hwid.find(L'&', hwid.find(L'&') + 1));
        AddSz(key, L"ComponentId", cid);
        AddDword(key, L"IfType", wireless ? 71 : 6);
        std::wstring svc = L"svc" + std::to_wstring(n);
        AddSz(L"System\\CurrentControlSet\\Services\\" + svc, L"ImagePath", L"\\SystemRoot\\system32\\DRIVERS\\" + svc + L".sys");
        if (a || b || c || d) SetFileVersion(p, L"C:\\WINDOWS\\system32\\DRIVERS\\" + svc + L".sys", a, b, c, d);
        AddNetworkDevice(p, desc, {hwid}, svc);
    }
    CAdapterRecord* Rec(int i) { return GetAdapter(list, i); }
    void Enumerate() { CAdapterCheck(p, list).EnumerateAdapters(); }
};

TEST(AdapterRecordTest, NewRecordIsEmptyAndListHelperDeletesAll)
{
    CAdapterRecord r;
    EXPECT_TRUE(r.Description.IsEmpty() && r.HardwareId.IsEmpty());
    EXPECT_EQ(CAdapterRecord::VerdictPassed, r.DriverVerdict);
    EXPECT_EQ(0, r.DriverVersion[0] | r.DriverVersion[1] | r.DriverVersion[2] | r.DriverVersion[3]);
    EXPECT_EQ(0, r.Supported + r.DriverVersionOk + r.OsCompatible);
    EXPECT_EQ(CAdapterRecord::KindPci, r.AdapterKind);
    int before = CAdapterRecord::s_nLive;
    AdapterList l;
    l.Add(new CAdapterRecord); l.Add(NULL); l.Add(new CAdapterRecord);
    DeleteAdapterRecords(l);
    EXPECT_EQ(0, l.GetSize());
    EXPECT_EQ(before, CAdapterRecord::s_nLive);
}

TEST_F(CheckFixture, HardwareIdCutBeforeSecondAmpersandAndVerdicts)
{
    AddDevice(L"Some PCI", L"pci\\ven_0000&dev_0000&subsys_00000000");
    AddDevice(L"OneAmp", L"USB\\VID_1234&PID_5678");
    AddDevice(L"NoAmp", L"USB\\ROOT_HUB");
    Enumerate();
    ASSERT_EQ(3, list.GetSize());
    EXPECT_STREQ(L"PCI\\VEN_0000&DEV_0000", Rec(0)->HardwareId);
    EXPECT_EQ(1, Rec(0)->DriverVersionOk);  // a PCI adapter other than the 3945 always passes
    EXPECT_STREQ(L"Passed", DriverVerdictText(Rec(0)->DriverVerdict));
    EXPECT_EQ(CAdapterRecord::KindPci, Rec(0)->AdapterKind);
    EXPECT_STREQ(L"USB\\VID_1234&PID_5678", Rec(1)->HardwareId);
    EXPECT_STREQ(L"USB\\ROOT_HUB", Rec(2)->HardwareId);
    EXPECT_EQ(1, Rec(1)->DriverVersionOk);  // unlisted USB: any version, even 0.0.0.0
}

TEST_F(CheckFixture, Intel3945ExceptionsAndProSet)
{
    AddDevice(L"Intel(R) PRO/Wireless 3945ABG", L"PCI\\VEN_8086&DEV_4222&SUBSYS_1", 10, 5, 1, 2, false);
    AddDevice(L"Intel(R) PRO/Wireless 3945ABG", L"PCI\\VEN_8086&DEV_4222&SUBSYS_2", 10, 4, 0, 0, false);
    AddDevice(L"intel(r) pro/wireless 3945ABG", L"PCI\\VEN_8086&DEV_4227", 10, 5, 0, 0, false);  // case matters
    AddProSetLibrary(p, L"C:\\WINDOWS\\system32\\MurocApi.dll", 0xA0005);
    Enumerate();
    ASSERT_EQ(2, list.GetSize());
    EXPECT_EQ(CAdapterRecord::KindIntel3945, Rec(0)->AdapterKind);
    EXPECT_EQ(1, Rec(0)->DriverVersionOk);
    EXPECT_STREQ(L"Incorrect Intel(R) 3945 driver version", DriverVerdictText(Rec(1)->DriverVerdict));
    EXPECT_GT(p.setDllDirCalls, 0);
    DeleteAdapterRecords(list);
    p.libraries.back().apiVersion = 0xA0006;
    Enumerate();
    EXPECT_EQ(CAdapterRecord::KindPci, Rec(0)->AdapterKind);
    EXPECT_EQ(0, Rec(0)->DriverVersionOk);
    EXPECT_STREQ(L"Incorrect Intel(R) PROSet Utility version", DriverVerdictText(Rec(0)->DriverVerdict));
}

TEST_F(CheckFixture, ProSetFromBinDirRestoresDirectory)
{
    CAdapterCheck c(p, list);
    EXPECT_EQ(1, c.CheckProSetVersion());  // nowhere
    AddSz(L"SOFTWARE\\Intel\\Wireless", L"BinDir", L"C:\\PROSET");
    AddProSetLibrary(p, L"C:\\PROSET\\MurocApi.dll", 0x90005);
    EXPECT_EQ(0, c.CheckProSetVersion());
    EXPECT_EQ(L"C:\\PROSET\\MurocApi.dll", p.loads.back());
    EXPECT_EQ(L"C:\\START", p.currentDirectory);
    p.libraries.back().hasGetAPIVersion = false;
    EXPECT_EQ(1, c.CheckProSetVersion());
    EXPECT_EQ(0, p.OpenKeyCount());
}

TEST_F(CheckFixture, SkippedDevices)
{
    AddDevice(L"Problem", L"PCI\\VEN_1&DEV_1");
    p.devices.back().problem = 22;
    AddDevice(L"Other bus", L"PCMCIA\\X&Y&Z");
    AddDevice(L"Wired", L"PCI\\VEN_2&DEV_2", 0, 0, 0, 0, false);
    AddDevice(L"Both", L"ROOT\\PCI\\USB\\X&Y&Z");  // contains both: ends with the USB kind
    Enumerate();
    ASSERT_EQ(1, list.GetSize());
    EXPECT_EQ(CAdapterRecord::KindUsb, Rec(0)->AdapterKind);
    EXPECT_EQ(1, Rec(0)->DriverVersionOk);
}

TEST_F(CheckFixture, RegistryFirstKeyDecidesAndMarkers)
{
    std::wstring k0 = std::wstring(kClass) + L"\\0000", k1 = std::wstring(kClass) + L"\\0001";
    AddSz(k0, L"ComponentId", L"pci\\ven_0000&dev_0000");
    AddDword(k0, L"IfType", 6);
    AddDword(k0 + L"\\Ndi", L"RadioEnable", 1);  // sub-key markers do not count
    AddSz(k1, L"ComponentId", L"PCI\\VEN_0000");
    AddDword(k1, L"RadioEnable", 1);
    CAdapterCheck c(p, list);
    EXPECT_EQ(0, c.IsWirelessAdapter(L"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000"));
    AddDword(k0, L"RadioEnabled", 1);  // not equal to RADIOENABLE
    EXPECT_EQ(0, c.IsWirelessAdapter(L"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000"));
    AddDword(k0, L"XWirelessModeY", 1);
    EXPECT_EQ(1, c.IsWirelessAdapter(L"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000"));
    EXPECT_EQ(1, c.IsWirelessAdapter(L"PCI\\VEN_0000&DEV_9"));  // matches key 1 only
    EXPECT_EQ(0, p.OpenKeyCount());
}

TEST_F(CheckFixture, RegistryEmptyComponentIdAndIfTypeByte)
{
    std::wstring k0 = std::wstring(kClass) + L"\\0000";
    AddSz(k0, L"ComponentId", L"");
    AddDword(k0, L"*IfType", 0x147);  // first byte 0x47
    CAdapterCheck c(p, list);
    EXPECT_EQ(1, c.IsWirelessAdapter(L"ANYTHING"));
}

TEST_F(CheckFixture, TraceLines)
{
    AddDevice(L"Some PCI", L"PCI\\VEN_0000&DEV_0000");
    testing::internal::CaptureStdout();
    Enumerate();
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("\nNumber of values: 2\n"));
    EXPECT_NE(std::string::npos, out.find("(1) ComponentId\n"));
    EXPECT_NE(std::string::npos, out.find("Driver File=\\SystemRoot\\system32\\DRIVERS\\svc0.sys\n"));
    EXPECT_NE(std::string::npos, out.find("\nWindows Directory:  C:\\WINDOWS\n"));
}

TEST_F(CheckFixture, DriverVersionLongServiceNameAndImagePathForms)
{
    AddDevice(L"A", L"PCI\\VEN_0000&DEV_0000", 1, 2, 3, 4);
    std::wstring longSvc(700, L'S');
    p.devices[0].properties[SPDRP_SERVICE] = RecordedValue::String(L"", longSvc);  // needs the enlarged buffer
    AddSz(L"System\\CurrentControlSet\\Services\\" + longSvc, L"ImagePath", L"system32\\DRIVERS\\svc0.sys");
    // Fetched with the enlarged buffer, but a 700-character key path is over the limit: no version.
    testing::internal::CaptureStdout();
    Enumerate();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find(std::string(700, 'S') + "\n"));
    EXPECT_EQ(0, Rec(0)->DriverVersion[0]);
    DeleteAdapterRecords(list);
    p.devices[0].properties[SPDRP_SERVICE] = RecordedValue::String(L"", L"svc0");
    p.SetValue(Hklm(L"System\\CurrentControlSet\\Services\\svc0"), StringValue(L"ImagePath", L"", false));
    Enumerate();
    EXPECT_EQ(0, Rec(0)->DriverVersion[0]);  // empty ImagePath: no file
}

// Devices the enumeration must leave out: no bus address (property 0x1C; the bus number 0x15 is not
// what is asked), a failed node-status call, a problem number. The hardware ID is the first string of
// the list only.
TEST(EnumerationSkipTest, DeviceQueriesThatDecideTheList)
{
    RecordedProbes p;
    AdapterList list;
    const std::wstring cls = Hklm(std::wstring(kClass) + L"\\0000");
    p.SetValue(cls, RecordedValue::String(L"ComponentId", L""));  // every device is wireless
    p.SetValue(cls, RecordedValue::Dword(L"RadioEnable", 1));
    const wchar_t* names[] = {L"no address", L"no bus number", L"no description", L"no hardware id",
                              L"node fails", L"problem 28", L"listed"};
    for (int i = 0; i < 7; ++i) AddNetworkDevice(p, names[i], {std::wstring(L"PCI\\VEN_1&DEV_") + (wchar_t)(L'0' + i)});
    const DWORD missing[] = {SPDRP_ADDRESS, SPDRP_BUSNUMBER, SPDRP_DEVICEDESC, SPDRP_HARDWAREID};
    for (int i = 0; i < 4; ++i) p.devices[i].properties.erase(missing[i]);
    p.devices[4].nodeResult = CR_NO_SUCH_DEVNODE;
    p.devices[5].problem = 28;
    // A multi-string list of IDs: only the first counts.
    p.devices[6].properties[SPDRP_HARDWAREID] =
        RecordedValue::MultiString(L"", {L"pci\\ven_1&dev_6&subsys_1", L"USB\\VID_9&PID_9"});
    CAdapterCheck(p, list).EnumerateAdapters();
    std::vector<std::wstring> got;
    for (INT_PTR i = 0; i < list.GetSize(); ++i) got.push_back((LPCWSTR)GetAdapter(list, i)->Description);
    EXPECT_EQ((std::vector<std::wstring>{L"no bus number", L"listed"}), got);
    ASSERT_EQ(2, list.GetSize());
    EXPECT_STREQ(L"PCI\\VEN_1&DEV_6", GetAdapter(list, 1)->HardwareId);
    EXPECT_EQ(CAdapterRecord::KindPci, GetAdapter(list, 1)->AdapterKind);
    DeleteAdapterRecords(list);
}

// The five USB IDs with a required driver need 103.1.0 and a revision of 113 or more; every other
// USB adapter passes whatever its version.
TEST_F(CheckFixture, UsbDriverVersionTable)
{
    const wchar_t* ids[] = {L"USB\\VID_0CF3&PID_9170", L"USB\\VID_0846&PID_9010", L"USB\\VID_07D1&PID_3C10",
                            L"USB\\VID_07D1&PID_3A09", L"USB\\VID_1435&PID_0804"};
    struct V { WORD a, b, c, d; int ok; };
    const V versions[] = {{103, 1, 0, 112, 0}, {103, 1, 0, 113, 1}, {103, 1, 0, 200, 1}, {103, 1, 0, 65535, 1},
                          {103, 2, 0, 113, 0}, {103, 1, 1, 113, 0}, {104, 1, 0, 113, 0}, {102, 1, 0, 200, 0},
                          {0, 0, 0, 0, 0}};
    for (const wchar_t* id : ids)
        for (const V& v : versions) AddDevice(L"Stick", std::wstring(id) + L"&REV_0001", v.a, v.b, v.c, v.d);
    AddDevice(L"Unlisted", L"USB\\VID_0CF3&PID_9171&REV_0001");
    AddDevice(L"Unlisted", L"USB\\VID_0CF3&PID_9171", 1, 0, 0, 0);
    Enumerate();
    const size_t nv = sizeof(versions) / sizeof(versions[0]);
    ASSERT_EQ((INT_PTR)(5 * nv + 2), list.GetSize());
    for (size_t i = 0; i < 5 * nv; ++i) {
        const V& v = versions[i % nv];
        EXPECT_STREQ(ids[i / nv], Rec((int)i)->HardwareId);
        EXPECT_EQ(CAdapterRecord::KindUsb, Rec((int)i)->AdapterKind);
        EXPECT_EQ(v.ok, Rec((int)i)->DriverVersionOk) << i;
        EXPECT_STREQ(v.ok ? L"Passed" : L"Incorrect USB driver version", DriverVerdictText(Rec((int)i)->DriverVerdict)) << i;
    }
    EXPECT_EQ(1, Rec((int)(5 * nv))->DriverVersionOk);
    EXPECT_EQ(1, Rec((int)(5 * nv + 1))->DriverVersionOk);
}

// An Intel 3945 on the USB bus is judged by the USB rule only; its utility is not asked.
TEST_F(CheckFixture, Intel3945OnUsbIsAUsbAdapter)
{
    AddDevice(L"Intel(R) PRO/Wireless 3945ABG", L"USB\\VID_8086&PID_4222", 1, 0, 0, 0, false);
    AddSz(L"SOFTWARE\\Intel\\Wireless", L"BinDir", L"C:\\PROSET");
    AddProSetLibrary(p, L"C:\\PROSET\\MurocApi.dll", 0x1);
    Enumerate();
    ASSERT_EQ(1, list.GetSize());
    EXPECT_EQ(CAdapterRecord::KindUsb, Rec(0)->AdapterKind);
    EXPECT_EQ(1, Rec(0)->DriverVersionOk);
    EXPECT_TRUE(p.loads.empty());
}

// Depth first, sub-keys in index order, and nothing more is opened once the device's key is found.
TEST(RegistryWalkTest, DepthFirstFirstKeyDecidesAndStops)
{
    CountingSystem p;
    AdapterList list;
    CAdapterCheck c(p, list);
    const std::wstring k = Hklm(kClass);
    // 0000\A\B is met before 0001: it decides (unmarked), though 0001 is marked.
    p.SetValue(k + L"\\0000\\A\\B", RecordedValue::String(L"ComponentId", L"PCI\\VEN_0001&DEV_0001"));
    p.SetValue(k + L"\\0001", RecordedValue::String(L"ComponentId", L"PCI\\VEN_0001&DEV_0001"));
    p.SetValue(k + L"\\0001", RecordedValue::Dword(L"IfType", 71));
    EXPECT_EQ(0, c.IsWirelessAdapter(L"PCI\\VEN_0001&DEV_0001&SUBSYS_1"));
    // A ComponentId longer than the device's ID corresponds to it when it starts with the ID.
    p.SetValue(k + L"\\0002", RecordedValue::String(L"ComponentId", L"pci\\ven_0002&dev_0002&subsys_0&rev_01"));
    p.SetValue(k + L"\\0002", RecordedValue::Dword(L"IfType", 71));
    EXPECT_EQ(1, c.IsWirelessAdapter(L"PCI\\VEN_0002&DEV_0002&SUBSYS_0"));
    // Neither a prefix nor an extension: no match.
    EXPECT_EQ(0, c.IsWirelessAdapter(L"PCI\\VEN_0002&DEV_0003"));
    // After the key is found no further key is opened: class key, 0000, A, B, 0001, 0002 only.
    for (int i = 3; i < 40; ++i) {
        wchar_t sub[8];
        swprintf(sub, 8, L"\\%04d", i);
        p.SetValue(k + sub, RecordedValue::String(L"ComponentId", L"USB\\OTHER"));
    }
    p.opens = 0;
    EXPECT_EQ(1, c.IsWirelessAdapter(L"PCI\\VEN_0002&DEV_0002"));
    EXPECT_EQ(6, p.opens);
    p.opens = 0;
    EXPECT_EQ(0, c.IsWirelessAdapter(L"PCI\\NOWHERE"));
    EXPECT_EQ(6 + 37, p.opens);  // not found: the whole tree once
    EXPECT_EQ(0, p.OpenKeyCount());
    // IfType is the first byte written as "%0x": 0x47 only; 0x470 as a number starts with 0x70.
    p.DeleteKey(L"HKEY_LOCAL_MACHINE");
    p.SetValue(k + L"\\0000", RecordedValue::String(L"ComponentId", L"X"));
    p.SetValue(k + L"\\0000", BinaryValue(L"IfType", {0x47}));
    EXPECT_EQ(1, c.IsWirelessAdapter(L"X"));
    p.SetValue(k + L"\\0000", BinaryValue(L"IfType", {0x70, 0x04, 0, 0}));
    EXPECT_EQ(0, c.IsWirelessAdapter(L"X"));
    p.SetValue(k + L"\\0000", BinaryValue(L"IfType", {}));  // empty: the byte set to 0 before the read
    EXPECT_EQ(0, c.IsWirelessAdapter(L"X"));
    p.SetValue(k + L"\\0000", BinaryValue(L"IfType", {'4', 0, '7', 0}));  // the text "47"
    EXPECT_EQ(0, c.IsWirelessAdapter(L"X"));
}

// Raw registry data, device properties and ImagePath are used only up to their returned length,
// whatever the buffer held before and whether or not they carry a terminator.
TEST_F(CheckFixture, ValuesAreBoundedByTheirLength)
{
    const std::wstring k0 = std::wstring(kClass) + L"\\0000";
    std::wstring junk(8000, L'Z');
    p.SetValue(Hklm(k0), BinaryValue(L"AJunk", std::vector<BYTE>((BYTE*)junk.data(), (BYTE*)(junk.data() + junk.size()))));
    AddSz(k0, L"ComponentId", L"PCI\\VEN_00AA", false);  // unterminated, after a long value
    AddDword(k0, L"IfType", 71);
    CAdapterCheck c(p, list);
    EXPECT_EQ(1, c.IsWirelessAdapter(L"PCI\\VEN_00AA&DEV_0001"));
    // A value that fills the whole 16383-byte buffer.
    std::wstring fill = L"PCI\\VEN_00BB";
    fill.resize(8192, L'Q');
    p.DeleteKey(L"HKEY_LOCAL_MACHINE");
    p.SetValue(Hklm(k0), BinaryValue(L"ComponentId", std::vector<BYTE>((BYTE*)fill.data(), (BYTE*)fill.data() + 16383)));
    AddDword(k0, L"RadioEnable", 1);
    EXPECT_EQ(1, c.IsWirelessAdapter(L"PCI\\VEN_00BB"));

    // A description and hardware ID longer than the 4096-byte property buffer arrive unterminated.
    p.DeleteKey(L"HKEY_LOCAL_MACHINE");
    AddDevice(std::wstring(3000, L'D'), L"PCI\\VEN_00CC&DEV_0001&" + std::wstring(3000, L'S'), 1, 2, 3, 4);
    // ImagePath without a terminator, read after a longer one.
    const std::wstring svc = L"System\\CurrentControlSet\\Services\\svc0";
    AddSz(svc, L"ImagePath", L"system32\\DRIVERS\\svc0.sys", false);
    AddDevice(L"Long path first", L"PCI\\VEN_00DD&DEV_0001", 0, 0, 0, 0);
    AddSz(L"System\\CurrentControlSet\\Services\\svc1", L"ImagePath", std::wstring(250, L'P'));
    std::swap(p.devices[0], p.devices[1]);
    // An ImagePath filling its 520 bytes: cut at 260 characters.
    AddDevice(L"Full", L"PCI\\VEN_00EE&DEV_0001");
    const std::wstring svc2 = L"System\\CurrentControlSet\\Services\\svc2";
    AddSz(svc2, L"ImagePath", std::wstring(260, L'F'), false);
    testing::internal::CaptureStdout();
    Enumerate();
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(3, list.GetSize());
    EXPECT_EQ(2048, Rec(1)->Description.GetLength());
    EXPECT_STREQ(L"PCI\\VEN_00CC&DEV_0001", Rec(1)->HardwareId);
    EXPECT_EQ(1, Rec(1)->DriverVersion[0]);
    EXPECT_EQ(4, Rec(1)->DriverVersion[3]);
    EXPECT_NE(std::string::npos, out.find("Driver File=" + std::string(260, 'F') + "\n"));
}

// The PROSet library's bare name is looked for in the system folder alone, by its full path there:
// never through the bare-name search (the program's folder, the current directory, PATH), and the
// current directory is not touched for it. Without a system folder only the utility's folder is tried.
struct SearchProbes : CountingSystem {
    bool noSystemFolder = false;
    HRESULT SHGetFolderPathW(HWND o, int f, HANDLE t, DWORD fl, LPWSTR p) override
    {
        if (noSystemFolder) return E_FAIL;
        return CountingSystem::SHGetFolderPathW(o, f, t, fl, p);
    }
};

TEST(ProSetSearchTest, SystemFolderOnlyThenTheUtilityFolder)
{
    struct Case { bool inSystem, byName, noSystemFolder; int result; std::vector<std::wstring> loads; };
    const std::wstring sys = L"C:\\WINDOWS\\system32\\MurocApi.dll", bin = L"C:\\PROSET\\MurocApi.dll";
    const Case cases[] = {
        {true, false, false, 0, {sys}},                  // found in the system folder: the utility's is not tried
        {false, true, false, 1, {sys, bin}},             // on the bare-name search path only: not loaded
        {true, true, true, 1, {bin}},                    // no system folder known: the utility's folder alone
        {false, false, false, 1, {sys, bin}}};
    for (const Case& c : cases) {
        SearchProbes p;
        AdapterList list;
        p.currentDirectory = L"C:\\START";
        if (c.inSystem) AddProSetLibrary(p, sys, 0x1);
        // On the bare-name search path only: in the program's folder.
        if (c.byName) AddProSetLibrary(p, L"C:\\APP\\MurocApi.dll", 0x1, true, true);
        p.noSystemFolder = c.noSystemFolder;
        p.SetValue(Hklm(L"SOFTWARE\\Intel\\Wireless"), RecordedValue::String(L"BinDir", L"C:\\PROSET"));
        int result = CAdapterCheck(p, list).CheckProSetVersion();
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(0, p.bareLoads);
        EXPECT_EQ(c.loads, p.loads);
        EXPECT_EQ(L"C:\\START", p.currentDirectory);
        EXPECT_EQ(1, p.setDllDirCalls);
    }
}
