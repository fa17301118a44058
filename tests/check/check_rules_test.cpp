#include <gtest/gtest.h>
#include "FakeProbes.h"
#include "supportlist/SupportList.h"

static const wchar_t kClass[] = L"System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}";

struct CheckFixture : ::testing::Test {
    FakeProbes p;
    AdapterList list;
    ~CheckFixture() override { DeleteAdapterRecords(list); }
    // A wireless device: its class key carries ComponentId and IfType 71; its service names a driver.
    void AddDevice(const std::wstring& desc, const std::wstring& hwid, WORD a = 0, WORD b = 0, WORD c = 0, WORD d = 0,
                   bool wireless = true)
    {
        size_t n = p.devices.size();
        wchar_t sub[16];
        swprintf(sub, 16, L"\\%04u", (unsigned)n);
        std::wstring key = std::wstring(kClass) + sub;
        std::wstring cid = hwid.substr(0, hwid.find(L'&', hwid.find(L'&') + 1));
        p.AddSz(key, L"ComponentId", cid);
        p.AddDword(key, L"IfType", wireless ? 71 : 6);
        std::wstring svc = L"svc" + std::to_wstring(n);
        p.AddSz(L"System\\CurrentControlSet\\Services\\" + svc, L"ImagePath", L"\\SystemRoot\\system32\\DRIVERS\\" + svc + L".sys");
        if (a || b || c || d) p.SetFileVersion(L"C:\\WINDOWS\\system32\\DRIVERS\\" + svc + L".sys", a, b, c, d);
        p.devices.push_back(FakeDevice{desc, hwid, svc, 0});
    }
    CAdapterRecord* Rec(int i) { return GetAdapter(list, i); }
    void Enumerate() { CAdapterCheck(p, list).EnumerateAdapters(); }
};

TEST(AdapterRecordTest, NewRecordIsEmptyAndListHelperDeletesAll)
{
    CAdapterRecord r;
    EXPECT_TRUE(r.Description.IsEmpty() && r.HardwareId.IsEmpty() && r.DriverVersionText.IsEmpty() && r.ResolutionText.IsEmpty());
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
    AddDevice(L"Stick", L"USB\\VID_0CF3&PID_9170&REV_0001", 103, 1, 0, 112);
    AddDevice(L"Stick", L"USB\\VID_0CF3&PID_9170&REV_0001", 103, 1, 0, 113);
    AddDevice(L"Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 200);
    AddDevice(L"Stick", L"USB\\VID_1435&PID_0804", 103, 2, 0, 113);
    AddDevice(L"Other", L"USB\\VID_1234&PID_5678");
    AddDevice(L"OneAmp", L"USB\\VID_1234&PID_5678");
    Enumerate();
    ASSERT_EQ(7, list.GetSize());
    EXPECT_STREQ(L"PCI\\VEN_0000&DEV_0000", Rec(0)->HardwareId);
    EXPECT_EQ(1, Rec(0)->DriverVersionOk);
    EXPECT_STREQ(L"Passed", Rec(0)->DriverVersionText);
    EXPECT_STREQ(L"USB\\VID_0CF3&PID_9170", Rec(1)->HardwareId);
    EXPECT_STREQ(L"Incorrect USB driver version", Rec(1)->DriverVersionText);
    EXPECT_EQ(0, Rec(1)->DriverVersionOk);
    EXPECT_EQ(CAdapterRecord::KindUsb, Rec(1)->AdapterKind);
    EXPECT_EQ(1, Rec(2)->DriverVersionOk);
    EXPECT_EQ(1, Rec(3)->DriverVersionOk);
    EXPECT_EQ(200, Rec(3)->DriverVersion[3]);
    EXPECT_STREQ(L"Incorrect USB driver version", Rec(4)->DriverVersionText);
    EXPECT_EQ(1, Rec(5)->DriverVersionOk);  // unlisted USB: any version, even 0.0.0.0
}

TEST_F(CheckFixture, Intel3945ExceptionsAndProSet)
{
    AddDevice(L"Intel(R) PRO/Wireless 3945ABG", L"PCI\\VEN_8086&DEV_4222&SUBSYS_1", 10, 5, 1, 2, false);
    AddDevice(L"Intel(R) PRO/Wireless 3945ABG", L"PCI\\VEN_8086&DEV_4222&SUBSYS_2", 10, 4, 0, 0, false);
    AddDevice(L"intel(r) pro/wireless 3945ABG", L"PCI\\VEN_8086&DEV_4227", 10, 5, 0, 0, false);  // case matters
    p.libByName = true;
    FakeProbes::s_apiVersion = 0xA0005;
    Enumerate();
    ASSERT_EQ(2, list.GetSize());
    EXPECT_EQ(CAdapterRecord::KindIntel3945, Rec(0)->AdapterKind);
    EXPECT_EQ(1, Rec(0)->DriverVersionOk);
    EXPECT_STREQ(L"Incorrect Intel(R) 3945 driver version", Rec(1)->DriverVersionText);
    EXPECT_GT(p.setDllDirCalls, 0);
    DeleteAdapterRecords(list);
    FakeProbes::s_apiVersion = 0xA0006;
    Enumerate();
    EXPECT_EQ(CAdapterRecord::KindPci, Rec(0)->AdapterKind);
    EXPECT_EQ(0, Rec(0)->DriverVersionOk);
    EXPECT_STREQ(L"Incorrect Intel(R) PROSet Utility version", Rec(0)->DriverVersionText);
    FakeProbes::s_apiVersion = 0xA0005;
}

TEST_F(CheckFixture, ProSetFromBinDirRestoresDirectory)
{
    CAdapterCheck c(p, list);
    EXPECT_EQ(1, c.CheckProSetVersion());  // nowhere
    p.AddSz(L"SOFTWARE\\Intel\\Wireless", L"BinDir", L"C:\\PROSET");
    p.libInFolder = true;
    FakeProbes::s_apiVersion = 0x90005;
    EXPECT_EQ(0, c.CheckProSetVersion());
    EXPECT_EQ(L"C:\\PROSET\\MurocApi.dll", p.loadedFrom);
    EXPECT_EQ(L"C:\\START", p.cwd);
    p.libHasEntry = false;
    EXPECT_EQ(1, c.CheckProSetVersion());
    FakeProbes::s_apiVersion = 0xA0005;
    EXPECT_EQ(0, p.openKeys);
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
    p.AddSz(k0, L"ComponentId", L"pci\\ven_0000&dev_0000");
    p.AddDword(k0, L"IfType", 6);
    p.AddDword(k0 + L"\\Ndi", L"RadioEnable", 1);  // sub-key markers do not count
    p.AddSz(k1, L"ComponentId", L"PCI\\VEN_0000");
    p.AddDword(k1, L"RadioEnable", 1);
    CAdapterCheck c(p, list);
    EXPECT_EQ(0, c.IsWirelessAdapter(L"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000"));
    p.AddDword(k0, L"RadioEnabled", 1);  // not equal to RADIOENABLE
    EXPECT_EQ(0, c.IsWirelessAdapter(L"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000"));
    p.AddDword(k0, L"XWirelessModeY", 1);
    EXPECT_EQ(1, c.IsWirelessAdapter(L"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000"));
    EXPECT_EQ(1, c.IsWirelessAdapter(L"PCI\\VEN_0000&DEV_9"));  // matches key 1 only
    EXPECT_EQ(0, p.openKeys);
}

TEST_F(CheckFixture, RegistryEmptyComponentIdAndIfTypeByte)
{
    std::wstring k0 = std::wstring(kClass) + L"\\0000";
    p.AddSz(k0, L"ComponentId", L"");
    p.AddDword(k0, L"*IfType", 0x147);  // first byte 0x47
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
    p.devices[0].service = longSvc;  // needs the enlarged buffer
    p.AddSz(L"System\\CurrentControlSet\\Services\\" + longSvc, L"ImagePath", L"system32\\DRIVERS\\svc0.sys");
    // Fetched with the enlarged buffer, but a 700-character key path is over the limit: no version.
    testing::internal::CaptureStdout();
    Enumerate();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find(std::string(700, 'S') + "\n"));
    EXPECT_EQ(0, Rec(0)->DriverVersion[0]);
    DeleteAdapterRecords(list);
    p.devices[0].service = L"svc0";
    p.keys[FakeProbes::Norm(L"System\\CurrentControlSet\\Services\\svc0")].values[0].data.clear();
    Enumerate();
    EXPECT_EQ(0, Rec(0)->DriverVersion[0]);  // empty ImagePath: no file
}
