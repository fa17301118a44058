// The check over the real backend: the real registry (keys written here and removed afterwards), PE
// files with real version resources built beside the tests (tests/check/extra.cmake), a stand-in
// PROSet library found through the real library search, and the real system queries.
#include <gtest/gtest.h>
#include "../common/BuiltPrograms.h"
#include "check/RealProbes.h"
#include "app/ResultTexts.h"
#include "supportlist/NetvetterCheck.h"
#include "framework/AfxApp.h"
#include <shlwapi.h>
#include <setupapi.h>
#include <direct.h>
#include <stdio.h>
#include <algorithm>
#include <string>
#include <vector>

namespace {

const wchar_t kClassKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
const wchar_t kServices[] = L"SYSTEM\\CurrentControlSet\\Services";
const wchar_t kIntelKey[] = L"SOFTWARE\\Intel\\Wireless";

std::wstring ExeDir()
{
    wchar_t self[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(NULL, self, MAX_PATH);
    self[n] = 0;
    std::wstring s(self);
    return s.substr(0, s.rfind(L'\\'));
}
std::wstring TestPe(const wchar_t* rel) { return ExeDir() + L"\\nvtest\\" + rel; }
std::wstring Cwd()
{
    wchar_t b[MAX_PATH + 1];
    return _wgetcwd(b, MAX_PATH) ? std::wstring(b) : std::wstring();
}
std::wstring Env(const wchar_t* name)
{
    wchar_t b[1024];
    DWORD n = GetEnvironmentVariableW(name, b, 1024);
    return n && n < 1024 ? std::wstring(b) : std::wstring();
}
bool KeyExists(const std::wstring& path, REGSAM view = 0)
{
    HKEY k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}
bool SameFile(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

// Deletes a key with everything below it in one registry view (KEY_WOW64_64KEY or KEY_WOW64_32KEY).
void DeleteKeyInView(const std::wstring& path, REGSAM view)
{
    typedef LONG(WINAPI * DeleteTree)(HKEY, LPCWSTR);
    static DeleteTree deleteTree = (DeleteTree)(void*)GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "RegDeleteTreeW");
    size_t cut = path.rfind(L'\\');
    HKEY parent;
    ASSERT_TRUE(deleteTree != NULL);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.substr(0, cut).c_str(), 0, KEY_ALL_ACCESS | view, &parent));
    deleteTree(parent, path.substr(cut + 1).c_str());
    RegCloseKey(parent);
}

// Keys written under HKEY_LOCAL_MACHINE for one test (in the registry view given, or the process's own);
// every key it had to create goes again when the scratch ends, whatever the test's outcome.
class RegistryScratch {
public:
    explicit RegistryScratch(REGSAM view = 0) : m_view(view) {}
    ~RegistryScratch()
    {
        for (size_t i = m_created.size(); i-- > 0;) {
            if (m_view) DeleteKeyInView(m_created[i], m_view);
            else SHDeleteKeyW(HKEY_LOCAL_MACHINE, m_created[i].c_str());
        }
    }
    void Value(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        Track(path);
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS | m_view, NULL, &k, NULL));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(k, name, 0, type, (const BYTE*)data, size));
        RegCloseKey(k);
    }
    void Dword(const std::wstring& path, const wchar_t* name, DWORD v) { Value(path, name, REG_DWORD, &v, 4); }
    void Sz(const std::wstring& path, const wchar_t* name, const std::wstring& s, DWORD type = REG_SZ)
    {
        Value(path, name, type, s.c_str(), (DWORD)(s.size() + 1) * 2);
    }
    // Text without its terminator, as raw bytes.
    void Raw(const std::wstring& path, const wchar_t* name, const std::wstring& s)
    {
        Value(path, name, REG_BINARY, s.data(), (DWORD)s.size() * 2);
    }
    void Key(const std::wstring& path)
    {
        Track(path);
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS | m_view, NULL, &k, NULL));
        RegCloseKey(k);
    }
    // A free sub-key name of the network class key ("9000" and on).
    std::wstring FreeClassSubKey()
    {
        for (int n = 9000;; ++n) {
            wchar_t name[8];
            swprintf(name, 8, L"%04d", n);
            std::wstring p = std::wstring(kClassKey) + L"\\" + name;
            if (!KeyExists(p) && !Reserved(p)) {
                m_reserved.push_back(p);
                return p;
            }
        }
    }

private:
    // Remembers the outermost key of the path that does not exist yet.
    void Track(const std::wstring& path)
    {
        size_t pos = 0;
        while (pos != std::wstring::npos) {
            pos = path.find(L'\\', pos + 1);
            std::wstring prefix = path.substr(0, pos);
            if (!KeyExists(prefix, m_view)) {
                m_created.push_back(prefix);
                return;
            }
        }
    }
    bool Reserved(const std::wstring& p)
    {
        for (auto& r : m_reserved) if (r == p) return true;
        return false;
    }
    REGSAM m_view;
    std::vector<std::wstring> m_created, m_reserved;
};

bool RunsUnderWow64()
{
    BOOL wow = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow) && wow;
}

// A file placed where a 64-bit system keeps it: under the native system32, which this 32-bit process
// reaches only with file-system redirection off (otherwise system32 means SysWOW64). Removed again
// when the scratch ends.
class NativeSystemFile {
public:
    NativeSystemFile(const std::wstring& source, const std::wstring& underWindows)
    {
        wchar_t windir[MAX_PATH];
        GetWindowsDirectoryW(windir, MAX_PATH);
        m_path = std::wstring(windir) + L"\\" + underWindows;
        PVOID old = NULL;
        BOOL off = Wow64DisableWow64FsRedirection(&old);
        m_ok = off && CopyFileW(source.c_str(), m_path.c_str(), FALSE);
        if (off) Wow64RevertWow64FsRedirection(old);
    }
    ~NativeSystemFile()
    {
        PVOID old = NULL;
        BOOL off = Wow64DisableWow64FsRedirection(&old);
        DeleteFileW(m_path.c_str());
        if (off) Wow64RevertWow64FsRedirection(old);
    }
    // Placed, and out of sight of this process as long as redirection is on.
    bool Placed() const { return m_ok && GetFileAttributesW(m_path.c_str()) == INVALID_FILE_ATTRIBUTES; }

private:
    std::wstring m_path;
    bool m_ok = false;
};

// The sub-keys of the class key in the registry's own index order.
std::vector<std::wstring> ClassSubKeysInOrder()
{
    std::vector<std::wstring> names;
    HKEY k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kClassKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(k, i, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        names.push_back(std::wstring(kClassKey) + L"\\" + name);
    }
    RegCloseKey(k);
    return names;
}

// Real calls except the one device property the real system cannot supply (Wine has no network
// devices): the service name of a device.
struct ServiceNameProbes : RealProbes {
    std::wstring service;
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO, PSP_DEVINFO_DATA, DWORD property, PDWORD type, PBYTE buffer,
                                           DWORD size, PDWORD required) override
    {
        if (property != SPDRP_SERVICE) { ::SetLastError(ERROR_INVALID_DATA); return FALSE; }
        DWORD bytes = (DWORD)(service.size() + 1) * 2;
        if (type) *type = REG_SZ;
        if (required) *required = bytes;
        if (bytes > size) { ::SetLastError(ERROR_INSUFFICIENT_BUFFER); return FALSE; }
        memcpy(buffer, service.c_str(), bytes);
        return TRUE;
    }
};

// Real calls, but the system folder is the one holding the stand-in system library, which is named
// nvkernel.dll (Wine answers version queries on any kernel32.dll from its own loaded kernel32).
struct FakeSystemFolderProbes : RealProbes {
    std::wstring folder, appended;
    HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR path) override
    {
        if (csidl != 0x25) return E_INVALIDARG;
        wcscpy(path, folder.c_str());
        return S_OK;
    }
    BOOL PathAppendW(LPWSTR path, LPCWSTR more) override
    {
        appended = more;
        return ::PathAppendW(path, _wcsicmp(more, L"kernel32.dll") == 0 ? L"nvkernel.dll" : more);
    }
};

// Real calls, noting the size of the version block the check hands to the version query.
struct VersionSizeProbes : RealProbes {
    DWORD askedSize = 0;
    BOOL GetVersionExW(LPOSVERSIONINFOW info) override
    {
        askedSize = info->dwOSVersionInfoSize;
        return RealProbes::GetVersionExW(info);
    }
};

struct RealBackend : ::testing::Test {
    AdapterList list;
    ~RealBackend() override { DeleteAdapterRecords(list); }
};

// The scan over the real registry: the first level of the walk is opened through a path with two
// backslashes in a row, which the real registry must take as one.
TEST_F(RealBackend, RegistryScanOnTheRealRegistry)
{
    RealProbes real;
    CAdapterCheck check(real, list);
    const std::wstring full = L"PCI\\VEN_F00D&DEV_0001&SUBSYS_00000000";
    const bool classKeyBefore = KeyExists(kClassKey);
    const size_t keysBefore = ClassSubKeysInOrder().size();
    {
        RegistryScratch reg;
        // A class key without sub-keys, or none at all: nothing is wireless.
        EXPECT_EQ(0, check.IsWirelessAdapter(full.c_str()));
        std::wstring k0 = reg.FreeClassSubKey(), k1 = reg.FreeClassSubKey(), k2 = reg.FreeClassSubKey(),
                     k3 = reg.FreeClassSubKey(), k4 = reg.FreeClassSubKey(), k5 = reg.FreeClassSubKey(),
                     k6 = reg.FreeClassSubKey(), k7 = reg.FreeClassSubKey();
        HKEY probe;
        // Lower-case ComponentId that the full ID starts with; IfType 71 as a 32-bit number.
        reg.Sz(k0, L"ComponentId", L"pci\\ven_f00d&dev_0001");
        reg.Dword(k0, L"IfType", 71);
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                                               (std::wstring(kClassKey) + L"\\\\" + k0.substr(k0.rfind(L'\\') + 1)).c_str(),
                                               0, KEY_READ, &probe));
        RegCloseKey(probe);
        EXPECT_EQ(1, check.IsWirelessAdapter(full.c_str()));

        // IfType 6: wired, unless RadioEnable (equal) or a name containing WirelessMode is there.
        reg.Sz(k1, L"ComponentId", L"PCI\\VEN_F00D&DEV_0002");
        reg.Dword(k1, L"IfType", 6);
        reg.Dword(k1, L"RadioEnabled", 1);
        EXPECT_EQ(0, check.IsWirelessAdapter(L"PCI\\VEN_F00D&DEV_0002&SUBSYS_1"));
        reg.Sz(k1, L"*PhyWirelessModeX", L"1");
        EXPECT_EQ(1, check.IsWirelessAdapter(L"PCI\\VEN_F00D&DEV_0002&SUBSYS_1"));

        // IfType is judged by its first byte: "47" as text starts with the byte '4'.
        reg.Sz(k2, L"ComponentId", L"PCI\\VEN_F00D&DEV_0003");
        reg.Sz(k2, L"IfType", L"47");
        EXPECT_EQ(0, check.IsWirelessAdapter(L"PCI\\VEN_F00D&DEV_0003"));
        reg.Dword(k2, L"*IfType", 0x1247);
        EXPECT_EQ(1, check.IsWirelessAdapter(L"PCI\\VEN_F00D&DEV_0003"));

        // A marker in a sub-key of the device's key does not count.
        reg.Sz(k3, L"ComponentId", L"PCI\\VEN_F00D&DEV_0004");
        reg.Dword(k3 + L"\\Ndi\\Params", L"RadioEnable", 1);
        EXPECT_EQ(0, check.IsWirelessAdapter(L"PCI\\VEN_F00D&DEV_0004"));

        // Two keys for one device: the first in the registry's order decides alone.
        reg.Sz(k4, L"ComponentId", L"USB\\VID_F00D&PID_0005");
        reg.Sz(k5, L"ComponentId", L"USB\\VID_F00D&PID_0005");
        std::vector<std::wstring> order = ClassSubKeysInOrder();
        size_t i4 = std::find(order.begin(), order.end(), k4) - order.begin();
        size_t i5 = std::find(order.begin(), order.end(), k5) - order.begin();
        ASSERT_LT(i4, order.size());
        ASSERT_LT(i5, order.size());
        reg.Dword(i4 < i5 ? k5 : k4, L"RadioEnable", 1);
        EXPECT_EQ(0, check.IsWirelessAdapter(L"USB\\VID_F00D&PID_0005&REV_0001"));
        reg.Dword(i4 < i5 ? k4 : k5, L"IfType", 71);
        EXPECT_EQ(1, check.IsWirelessAdapter(L"USB\\VID_F00D&PID_0005&REV_0001"));

        // Raw data used as text is bounded by its length: an unterminated ComponentId read right after
        // a long value must not pick up that value's tail.
        reg.Raw(k6, L"AJunk", std::wstring(8000, L'Z'));
        reg.Raw(k6, L"ComponentId", L"PCI\\VEN_F00D&DEV_0006");
        reg.Dword(k6, L"IfType", 71);
        EXPECT_EQ(1, check.IsWirelessAdapter(L"PCI\\VEN_F00D&DEV_0006&SUBSYS_2"));

        // A ComponentId that fills the whole 16383-byte buffer still reads; one larger than the buffer
        // cannot be read and is passed over.
        std::wstring fill = L"PCI\\VEN_F00D&DEV_0007";
        fill.resize(8192, L'Q');
        reg.Value(k7, L"ComponentId", REG_BINARY, fill.data(), 16383);
        reg.Dword(k7, L"RadioEnable", 1);
        EXPECT_EQ(1, check.IsWirelessAdapter(L"PCI\\VEN_F00D&DEV_0007"));
        std::wstring k8 = reg.FreeClassSubKey();
        std::wstring big = L"PCI\\VEN_F00D&DEV_0008";
        big.resize(12000, L'Q');
        reg.Raw(k8, L"ComponentId", big);
        reg.Dword(k8, L"RadioEnable", 1);
        EXPECT_EQ(0, check.IsWirelessAdapter(L"PCI\\VEN_F00D&DEV_0008"));
    }
    EXPECT_EQ(classKeyBefore, KeyExists(kClassKey));
    EXPECT_EQ(keysBefore, ClassSubKeysInOrder().size());
}

// The driver file's version comes from the file the service's ImagePath names under the Windows
// directory, and it is the file version, never the product version.
TEST_F(RealBackend, DriverVersionThroughServiceKeyAndBuiltDriverFile)
{
    const std::wstring built = TestPe(L"drv\\nvtestdrv.sys");
    RealProbes real;
    CAdapterCheck direct(real, list);
    WORD v[4] = {1, 2, 3, 4};
    direct.GetFileVersion(built.c_str(), v[0], v[1], v[2], v[3]);
    EXPECT_EQ(103, v[0]); EXPECT_EQ(1, v[1]); EXPECT_EQ(0, v[2]); EXPECT_EQ(113, v[3]);
    // A PE without version information, and a file that is not there, leave the numbers alone.
    WORD w[4] = {7, 7, 7, 7};
    direct.GetFileVersion(TestPe(L"proset\\MurocApi.dll").c_str(), w[0], w[1], w[2], w[3]);
    direct.GetFileVersion((built + L".missing").c_str(), w[0], w[1], w[2], w[3]);
    EXPECT_TRUE(w[0] == 7 && w[1] == 7 && w[2] == 7 && w[3] == 7);

    wchar_t windir[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryW(windir, MAX_PATH), 0u);
    // Where a 64-bit system keeps drivers, out of this 32-bit process's redirected sight.
    ASSERT_TRUE(RunsUnderWow64()) << "the tests run as a 32-bit program on 64-bit Windows";
    NativeSystemFile installed(built, L"system32\\drivers\\nvtest_hb.sys");
    ASSERT_TRUE(installed.Placed());
    RegistryScratch reg;
    const std::wstring svc = std::wstring(kServices) + L"\\NvTestHbSvc";
    ServiceNameProbes probes;
    probes.service = L"NvTestHbSvc";
    CAdapterCheck check(probes, list);
    SP_DEVINFO_DATA dev = {sizeof(dev)};
    auto version = [&](WORD out[4]) {
        out[0] = out[1] = out[2] = out[3] = 0;
        EXPECT_EQ(1, check.GetDriverVersion(NULL, &dev, out[0], out[1], out[2], out[3]));
    };
    WORD got[4];
    version(got);  // no service key yet
    EXPECT_EQ(0, got[0]);
    const std::pair<std::wstring, DWORD> found[] = {
        {L"\\SystemRoot\\system32\\drivers\\nvtest_hb.sys", REG_EXPAND_SZ},
        {L"system32\\drivers\\nvtest_hb.sys", REG_SZ},
    };
    for (const auto& image : found) {
        reg.Sz(svc, L"ImagePath", image.first, image.second);
        version(got);
        EXPECT_EQ(103, got[0]) << image.first.c_str();
        EXPECT_EQ(113, got[3]);
    }
    // Unterminated raw text read right after a longer ImagePath: bounded by its own length.
    reg.Raw(svc, L"ImagePath", L"system32\\drivers\\nvtest_hb.sys");
    version(got);
    EXPECT_EQ(103, got[0]);
    // Absolute paths and variables are put behind the Windows directory unchanged: no file there.
    const std::wstring none[] = {std::wstring(windir) + L"\\system32\\drivers\\nvtest_hb.sys",
                                 L"\\??\\" + std::wstring(windir) + L"\\system32\\drivers\\nvtest_hb.sys",
                                 L"%SystemRoot%\\system32\\drivers\\nvtest_hb.sys"};
    for (const std::wstring& image : none) {
        reg.Sz(svc, L"ImagePath", image, REG_EXPAND_SZ);
        version(got);
        EXPECT_EQ(0, got[0]) << image.c_str();
    }
    // An ImagePath that fills its 520 bytes with no terminator is cut at 260 characters.
    reg.Raw(svc, L"ImagePath", std::wstring(260, L'Y'));
    testing::internal::CaptureStdout();
    version(got);
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("Driver File=" + std::string(260, 'Y') + "\n")) << out;
    EXPECT_EQ(0, got[0]);
    // One byte more does not fit the buffer: the value cannot be read at all.
    reg.Value(svc, L"ImagePath", REG_BINARY, std::wstring(261, L'Y').data(), 521);
    testing::internal::CaptureStdout();
    version(got);
    fflush(stdout);
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("Cannot read driver file from registry\n")) << out;
    // Redirection is back on for the rest of the program.
    EXPECT_TRUE(installed.Placed());
}

// The system version is the product version of the system folder's kernel32.dll.
TEST_F(RealBackend, SystemVersionIsTheProductVersion)
{
    FakeSystemFolderProbes probes;
    probes.folder = TestPe(L"fakesys");
    EXPECT_EQ(0x60003u, ReadSystemFacts(probes).KernelVersion());  // product 6.3, file 5.1
    EXPECT_EQ(L"kernel32.dll", probes.appended);
    probes.folder = TestPe(L"drv");                 // no kernel32.dll there
    EXPECT_EQ(0u, ReadSystemFacts(probes).KernelVersion());

    RealProbes real;
    EXPECT_GE(ReadSystemFacts(real).kernelMajor, 5);
}

// The version query gets the extended block; IsWow64Process and GetNativeSystemInfo come by name.
TEST_F(RealBackend, SystemQueries)
{
    EXPECT_EQ(284u, (unsigned)sizeof(OSVERSIONINFOEXW));
    RealProbes real;
    OSVERSIONINFOEXW ex = {};
    ex.dwOSVersionInfoSize = sizeof(ex);
    ASSERT_TRUE(real.GetVersionExW((LPOSVERSIONINFOW)&ex));
    EXPECT_GE(ex.dwMajorVersion, 5u);

    HMODULE k32 = GetModuleHandleW(L"kernel32.dll");
    auto isWow = real.GetIsWow64Process();
    ASSERT_TRUE(isWow != NULL);
    EXPECT_EQ((void*)GetProcAddress(k32, "IsWow64Process"), (void*)isWow);
    BOOL wow = TRUE;
    ASSERT_TRUE(isWow(real.GetCurrentProcess(), &wow));
#ifdef _WIN64
    EXPECT_FALSE(wow);  // a 64-bit process never runs under WOW64
#endif
    auto native = real.GetGetNativeSystemInfo();
    ASSERT_TRUE(native != NULL);
    SYSTEM_INFO si = {};
    native(&si);
#ifdef _WIN64
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_AMD64, si.wProcessorArchitecture);
#endif

    VersionSizeProbes sized;
    CSupportList sl(sized, list);
    sl.SetListPath((ExeDir() + L"\\driverinfo.txt").c_str());
    EXPECT_EQ(1, sl.ApplySupportList());
    EXPECT_EQ(284u, sized.askedSize);
}

// The whole check on the real system: no network devices under Wine, so nothing is listed; the list
// beside the executable is found by the default path and read to its end.
TEST_F(RealBackend, RunCheckOnTheRealSystem)
{
    RealProbes real;
    CNetvetterCheck check(real, list);
    EXPECT_STREQ((ExeDir() + L"\\driverinfo.txt").c_str(), check.SupportList().GetListPath());
    list.Add(new CAdapterRecord);
    EXPECT_EQ(1, check.RunCheck());
    EXPECT_EQ(0, list.GetSize());
    EXPECT_EQ(1, check.RunCheck());
    EXPECT_EQ(0, list.GetSize());

    // The shipped list on the real system (64-bit, through its 64-bit filter): a listed stick is
    // supported on it, an unlisted adapter is not.
    CAdapterRecord* listed = new CAdapterRecord;
    listed->HardwareId = L"USB\\VID_0CF3&PID_9170";
    list.Add(listed);
    CAdapterRecord* unlisted = new CAdapterRecord;
    unlisted->HardwareId = L"USB\\VID_0BDA&PID_8194";
    list.Add(unlisted);
    EXPECT_EQ(1, check.SupportList().ApplySupportList());
    EXPECT_EQ(1, listed->Supported);
    EXPECT_EQ(1, listed->OsCompatible) << std::hex << check.Facts().KernelVersion();
    EXPECT_EQ(0, unlisted->Supported + unlisted->OsCompatible);

    // Missing list: the run gives 0 and says that the file was not there.
    const std::wstring missing = ExeDir() + L"\\nvtest\\no-such-driverinfo.txt";
    check.SupportList().SetListPath(missing.c_str());
    EXPECT_EQ(0, check.RunCheck());
    EXPECT_TRUE(check.SupportList().ListMissing());
}

// Real devices made through the device set-up service: Wine keeps no bus address for a
// root-enumerated device, so that one property is supplied here; everything else is the real system.
struct BusAddressProbes : RealProbes {
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA dev, DWORD property, PDWORD type,
                                           PBYTE buffer, DWORD size, PDWORD required) override
    {
        if (property == SPDRP_ADDRESS && size >= 4) {
            if (type) *type = REG_DWORD;
            if (required) *required = 4;
            *(DWORD*)buffer = 0;
            return TRUE;
        }
        return RealProbes::SetupDiGetDeviceRegistryPropertyW(set, dev, property, type, buffer, size, required);
    }
};

const GUID kNetClass = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kNdisLan = {0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};

int CountNdisDevices()
{
    HDEVINFO set = SetupDiGetClassDevsW(&kNdisLan, NULL, NULL, DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return 0;
    SP_DEVINFO_DATA d = {sizeof(d)};
    int n = 0;
    while (SetupDiEnumDeviceInfo(set, n, &d)) ++n;
    SetupDiDestroyDeviceInfoList(set);
    return n;
}

// Network devices registered for the NDIS LAN interface for the length of one test.
class DeviceScratch {
public:
    DeviceScratch() : m_set(SetupDiCreateDeviceInfoList(&kNetClass, NULL)) {}
    ~DeviceScratch()
    {
        for (SP_DEVINFO_DATA& d : m_devs) SetupDiRemoveDevice(m_set, &d);
        SetupDiDestroyDeviceInfoList(m_set);
    }
    bool Add(const wchar_t* desc, const std::wstring& hardwareIds, const wchar_t* service)
    {
        SP_DEVINFO_DATA d = {sizeof(d)};
        if (!SetupDiCreateDeviceInfoW(m_set, L"NVTESTHB", &kNetClass, desc, NULL, DICD_GENERATE_ID, &d)) return false;
        m_devs.push_back(d);
        std::wstring multi = hardwareIds + L'\0' + L'\0';
        SP_DEVICE_INTERFACE_DATA iface = {sizeof(iface)};
        return SetupDiRegisterDeviceInfo(m_set, &d, 0, NULL, NULL, NULL) &&
               SetupDiSetDeviceRegistryPropertyW(m_set, &d, SPDRP_HARDWAREID, (const BYTE*)multi.data(),
                                                 (DWORD)multi.size() * 2) &&
               SetupDiSetDeviceRegistryPropertyW(m_set, &d, SPDRP_SERVICE, (const BYTE*)service,
                                                 (DWORD)(wcslen(service) + 1) * 2) &&
               SetupDiCreateDeviceInterfaceW(m_set, &d, &kNdisLan, NULL, 0, &iface);
    }

private:
    HDEVINFO m_set;
    std::vector<SP_DEVINFO_DATA> m_devs;
};

// The whole check over devices of the real device set-up service: enumeration, the registry scan,
// the service's driver file, the PROSet library and the list file, all real.
TEST_F(RealBackend, WholeCheckOverRealDevices)
{
    ASSERT_EQ(0, CountNdisDevices());
    NativeSystemFile installed(TestPe(L"drv\\nvtestdrv.sys"), L"system32\\drivers\\nvtest_hb_e2e.sys");
    ASSERT_TRUE(installed.Placed());
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring listPath = std::wstring(tmp) + L"nv_real_e2e.txt";
    {
        RegistryScratch reg;
        reg.Sz(std::wstring(kServices) + L"\\NvTestHbE2e", L"ImagePath", L"\\SystemRoot\\system32\\drivers\\nvtest_hb_e2e.sys",
               REG_EXPAND_SZ);
        std::wstring stick = reg.FreeClassSubKey(), wired = reg.FreeClassSubKey();
        reg.Sz(stick, L"ComponentId", L"usb\\vid_0cf3&pid_9170");
        reg.Dword(stick, L"IfType", 71);
        reg.Sz(wired, L"ComponentId", L"PCI\\VEN_F00D&DEV_00E1");
        reg.Dword(wired, L"IfType", 6);
        reg.Sz(kIntelKey, L"BinDir", TestPe(L"proset"));
        SetEnvironmentVariableW(L"NV_TEST_MUROC_VERSION", L"A0004");

        std::string text;
        for (const char* tag : {"X_", "V_", "W7_", "W7_X64", "W8_", "W8_X64", "81_", "81_X64", "W10_", "W10_X64"})
            text += std::string("_") + tag + ",USB\\VID_0CF3&PID_9170&REV_0001,Example stick\n";
        FILE* f = _wfopen(listPath.c_str(), L"wb");
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);

        DeviceScratch devices;
        ASSERT_TRUE(devices.Add(L"Example USB Stick", L"USB\\VID_0CF3&PID_9170&REV_0001", L"NvTestHbE2e"));
        ASSERT_TRUE(devices.Add(L"Example wired adapter", L"PCI\\VEN_F00D&DEV_00E1&SUBSYS_00000001", L"NvTestHbE2e"));
        ASSERT_TRUE(devices.Add(L"Intel(R) PRO/Wireless 3945ABG Network Connection",
                                L"PCI\\VEN_8086&DEV_4222&SUBSYS_10018086", L"NvTestHbE2e"));
        ASSERT_EQ(3, CountNdisDevices());

        BusAddressProbes probes;
        CNetvetterCheck check(probes, list);
        check.SupportList().SetListPath(listPath.c_str());
        EXPECT_EQ(1, check.RunCheck());
        SetEnvironmentVariableW(L"NV_TEST_MUROC_VERSION", NULL);
        ASSERT_EQ(2, list.GetSize());
        CAdapterRecord* usb = GetAdapter(list, 0);
        CAdapterRecord* intel = GetAdapter(list, 1);
        if (usb->HardwareId.Find(L"USB\\") < 0) std::swap(usb, intel);
        EXPECT_STREQ(L"Example USB Stick", usb->Description);
        EXPECT_STREQ(L"USB\\VID_0CF3&PID_9170", usb->HardwareId);
        EXPECT_EQ(103, usb->DriverVersion[0]);
        EXPECT_EQ(113, usb->DriverVersion[3]);
        EXPECT_EQ(CAdapterRecord::KindUsb, usb->AdapterKind);
        EXPECT_EQ(1, usb->DriverVersionOk);
        EXPECT_STREQ(L"Passed", DriverVerdictText(usb->DriverVerdict));
        EXPECT_EQ(1, usb->Supported);
        EXPECT_EQ(1, usb->OsCompatible);  // one of the ten tags fits whatever system this is
        EXPECT_STREQ(L"PCI\\VEN_8086&DEV_4222", intel->HardwareId);
        EXPECT_EQ(CAdapterRecord::KindPci, intel->AdapterKind);
        EXPECT_STREQ(L"Incorrect Intel(R) PROSet Utility version", DriverVerdictText(intel->DriverVerdict));
        EXPECT_EQ(0, intel->Supported);

        // The report's capture of this system reads the driver where the check reads it.
        const std::wstring capture = std::wstring(tmp) + L"nv_real_e2e.snapshot";
        ProgramRun r = RunBuiltProgram(L"netvetter-report.exe", L"--list \"" + listPath + L"\" --capture \"" + capture + L"\"");
        EXPECT_NE(0xFFFFFFFFu, r.exitCode) << r.err;
        FILE* cf = _wfopen(capture.c_str(), L"rb");
        ASSERT_TRUE(cf != NULL) << r.err;
        std::string captured;
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof(buf), cf)) > 0;) captured.append(buf, n);
        fclose(cf);
        DeleteFileW(capture.c_str());
        size_t file = captured.find("\\\\system32\\\\drivers\\\\nvtest_hb_e2e.sys\"");
        ASSERT_NE(std::string::npos, file) << captured;
        EXPECT_EQ(captured.find("FileVersion=", file), captured.find("FileVersion=103.1.0.113\r\n", file)) << captured;
    }
    EXPECT_EQ(0, CountNdisDevices());
    DeleteFileW(listPath.c_str());
}

// The PROSet library through the real library search and the real current directory.
struct ProSet : RealBackend {
    RealProbes real;
    CAdapterCheck check{real, list};
    RegistryScratch reg;
    std::wstring startDir = Cwd(), scratch;
    ProSet()
    {
        SetEnvironmentVariableW(L"NV_TEST_MUROC_LOADED", NULL);
        SetEnvironmentVariableW(L"NV_TEST_MUROC_VERSION", NULL);
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        scratch = std::wstring(tmp) + L"nvtest_proset";
        CreateDirectoryW(scratch.c_str(), NULL);
    }
    ~ProSet() override
    {
        _wchdir(startDir.c_str());
        DeleteFileW((scratch + L"\\MurocApi.dll").c_str());
        RemoveDirectoryW(scratch.c_str());
        SetEnvironmentVariableW(L"NV_TEST_MUROC_LOADED", NULL);
        SetEnvironmentVariableW(L"NV_TEST_MUROC_VERSION", NULL);
    }
    int Check(const wchar_t* version)
    {
        SetEnvironmentVariableW(L"NV_TEST_MUROC_LOADED", NULL);
        SetEnvironmentVariableW(L"NV_TEST_MUROC_VERSION", version);
        int r = check.CheckProSetVersion();
        EXPECT_TRUE(GetModuleHandleW(L"MurocApi.dll") == NULL) << "library left loaded";
        return r;
    }
};

TEST_F(ProSet, FoundThroughBinDirAndDirectoryRestored)
{
    ASSERT_FALSE(KeyExists(kIntelKey));
    EXPECT_EQ(1, Check(L"A0004"));  // nowhere: counts as correct
    EXPECT_EQ(L"", Env(L"NV_TEST_MUROC_LOADED"));

    const std::wstring folder = TestPe(L"proset");
    reg.Sz(kIntelKey, L"BinDir", folder);
    EXPECT_EQ(1, Check(L"A0005"));
    EXPECT_TRUE(SameFile(folder + L"\\MurocApi.dll", Env(L"NV_TEST_MUROC_LOADED"))) << Env(L"NV_TEST_MUROC_LOADED").c_str();
    EXPECT_EQ(startDir, Cwd());
    EXPECT_EQ(0, Check(L"A0004"));
    EXPECT_EQ(0, Check(L"A0006"));
    EXPECT_EQ(0, Check(L"0"));
    EXPECT_EQ(startDir, Cwd());

    // A folder whose library does not load, and a library without the entry point: correct.
    HANDLE h = CreateFileW((scratch + L"\\MurocApi.dll").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    WriteFile(h, "not a library", 13, &written, NULL);
    CloseHandle(h);
    reg.Sz(kIntelKey, L"BinDir", scratch);
    EXPECT_EQ(1, Check(L"1"));
    EXPECT_EQ(startDir, Cwd());
    ASSERT_TRUE(CopyFileW(TestPe(L"drv\\nvtestdrv.sys").c_str(), (scratch + L"\\MurocApi.dll").c_str(), FALSE));
    EXPECT_EQ(1, Check(L"1"));
    EXPECT_EQ(startDir, Cwd());
    reg.Sz(kIntelKey, L"BinDir", scratch + L"\\no-such-folder");
    EXPECT_EQ(1, Check(L"1"));
    EXPECT_EQ(startDir, Cwd());
}

// A 64-bit installer writes the utility's folder in the 64-bit registry view, which this 32-bit process
// does not see by default: it is looked up there when the 32-bit view names none. A library there that
// cannot load in this process counts as missing.
TEST_F(ProSet, FolderFromThe64BitViewWhenThe32BitViewHasNone)
{
    ASSERT_TRUE(RunsUnderWow64()) << "the tests run as a 32-bit program on 64-bit Windows";
    ASSERT_FALSE(KeyExists(kIntelKey, KEY_WOW64_64KEY));
    HANDLE h = CreateFileW((scratch + L"\\MurocApi.dll").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    WriteFile(h, "MZ, but no library for this process", 35, &written, NULL);
    CloseHandle(h);
    {
        RegistryScratch reg64(KEY_WOW64_64KEY);
        reg64.Sz(kIntelKey, L"BinDir", scratch);
        ASSERT_FALSE(KeyExists(kIntelKey));  // out of the 32-bit view
        EXPECT_EQ(1, Check(L"A0004"));
        EXPECT_EQ(L"", Env(L"NV_TEST_MUROC_LOADED"));
        EXPECT_EQ(startDir, Cwd());

        reg64.Sz(kIntelKey, L"BinDir", TestPe(L"proset"));
        EXPECT_EQ(0, Check(L"A0004"));
        EXPECT_TRUE(SameFile(TestPe(L"proset\\MurocApi.dll"), Env(L"NV_TEST_MUROC_LOADED")));
        EXPECT_EQ(1, Check(L"A0005"));
        EXPECT_EQ(startDir, Cwd());

        // The 32-bit view's folder goes first, even when its library does not load.
        reg.Sz(kIntelKey, L"BinDir", scratch);
        EXPECT_EQ(1, Check(L"A0004"));
        EXPECT_EQ(L"", Env(L"NV_TEST_MUROC_LOADED"));
    }
    EXPECT_FALSE(KeyExists(kIntelKey, KEY_WOW64_64KEY));
}

// Running as administrator, a MurocApi.dll planted in the current directory, beside the program or
// anywhere along PATH must not be loaded: the bare name is looked for in the system folder alone.
TEST_F(ProSet, OnlyTheSystemFolderIsSearched)
{
    ASSERT_TRUE(CopyFileW(TestPe(L"proset\\MurocApi.dll").c_str(), (scratch + L"\\MurocApi.dll").c_str(), FALSE));
    const std::wstring besideProgram = ExeDir() + L"\\MurocApi.dll";
    ASSERT_TRUE(CopyFileW(TestPe(L"proset\\MurocApi.dll").c_str(), besideProgram.c_str(), FALSE));
    ASSERT_EQ(0, _wchdir(scratch.c_str()));
    // The premise: the default search does take the current directory.
    ::SetDllDirectoryW(NULL);
    HMODULE planted = ::LoadLibraryW(L"MurocApi.dll");
    ASSERT_TRUE(planted != NULL);
    ::FreeLibrary(planted);
    EXPECT_FALSE(Env(L"NV_TEST_MUROC_LOADED").empty());

    const std::wstring path = Env(L"PATH");
    SetEnvironmentVariableW(L"PATH", (TestPe(L"proset") + L";" + path).c_str());
    EXPECT_EQ(1, Check(L"1"));
    SetEnvironmentVariableW(L"PATH", path.c_str());
    EXPECT_EQ(L"", Env(L"NV_TEST_MUROC_LOADED"));
    EXPECT_TRUE(SameFile(scratch, Cwd()));
    DeleteFileW(besideProgram.c_str());

    // The same library in the system folder is found there.
    wchar_t system[MAX_PATH];
    UINT n = GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    const std::wstring inSystem = std::wstring(system) + L"\\MurocApi.dll";
    if (!CopyFileW(TestPe(L"proset\\MurocApi.dll").c_str(), inSystem.c_str(), FALSE))
        GTEST_SKIP() << "the system folder cannot be written here";
    EXPECT_EQ(0, Check(L"1"));
    EXPECT_TRUE(SameFile(inSystem, Env(L"NV_TEST_MUROC_LOADED"))) << Env(L"NV_TEST_MUROC_LOADED").c_str();
    EXPECT_EQ(1, Check(L"A0005"));
    DeleteFileW(inSystem.c_str());
}

}  // namespace
