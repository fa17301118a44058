#include "recorded/Snapshot.h"
#include "recorded/RecordedText.h"
#include "check/AdapterCheck.h"
#include "check/SystemFacts.h"
#include "check/CheckedSystem.h"
#include <stdio.h>
#include <wchar.h>

using recorded_text::Fmt;
using recorded_text::Upper;

// Characters a snapshot line cannot carry as they are: line ends and other controls, and halves of
// surrogate pairs that stand alone (UTF-8 has no form for them).
static bool NeedsEscape(const std::wstring& s, size_t i)
{
    wchar_t c = s[i];
    if (c < 0x20 || c == 0x7F) return true;
    if (c >= 0xD800 && c <= 0xDBFF) return !(i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF);
    if (c >= 0xDC00 && c <= 0xDFFF) return !(i > 0 && s[i - 1] >= 0xD800 && s[i - 1] <= 0xDBFF);
    return false;
}

static std::wstring Quote(const std::wstring& s)
{
    std::wstring r = L"\"";
    for (size_t i = 0; i < s.size(); ++i) {
        wchar_t c = s[i];
        if (c == L'\\' || c == L'"') {
            r += L'\\';
            r += c;
        } else if (NeedsEscape(s, i)) {
            r += Fmt(L"\\u%04x", (unsigned)c);
        } else {
            r += c;
        }
    }
    return r + L"\"";
}

// The section line of a registry key: as reg export writes it where the path allows, else quoted.
static std::wstring KeyHeader(const std::wstring& path)
{
    bool plain = path.find(L'"') == std::wstring::npos;
    for (size_t i = 0; plain && i < path.size(); ++i) plain = !NeedsEscape(path, i);
    return plain ? L"[" + path + L"]" : L"[" + Quote(path) + L"]";
}

// Text that a quoted string gives back byte for byte: whole characters ending in one terminator
// (anything before it, inner zeros included, is written with escapes where needed).
static bool AsText(const std::vector<BYTE>& d, std::wstring& out)
{
    if (d.size() < 2 || d.size() % 2) return false;
    size_t n = d.size() / 2 - 1;
    const WCHAR* w = (const WCHAR*)&d[0];
    if (w[n] != 0) return false;
    out.assign(w, n);
    return true;
}

static bool AsMulti(const std::vector<BYTE>& d, std::vector<std::wstring>& out)
{
    if (d.size() < 2 || d.size() % 2) return false;
    size_t n = d.size() / 2;
    const WCHAR* w = (const WCHAR*)&d[0];
    if (w[n - 1] != 0) return false;
    out.clear();
    std::wstring cur;
    for (size_t i = 0; i + 1 < n; ++i) {
        if (w[i] == 0) {
            out.push_back(cur);
            cur.clear();
        } else if (w[i] < 0x20) {
            return false;
        } else {
            cur += w[i];
        }
    }
    if (!cur.empty()) return false;  // the last string must be terminated before the final zero
    // An empty string inside the list could not be told from the list's end.
    for (auto& s : out)
        if (s.empty()) return false;
    return RecordedValue::MultiString(L"", out).data == d;
}

std::wstring FormatSnapshotValue(const RecordedValue& v, bool allowMulti)
{
    std::wstring text;
    if (v.type == REG_SZ && AsText(v.data, text)) return Quote(text);
    if (v.type == REG_DWORD && v.data.size() == 4) return Fmt(L"dword:%08x", *(const DWORD*)&v.data[0]);
    std::vector<std::wstring> items;
    if (allowMulti && v.type == REG_MULTI_SZ && AsMulti(v.data, items)) {
        std::wstring r = L"multi:";
        for (size_t i = 0; i < items.size(); ++i) r += (i ? L"," : L"") + Quote(items[i]);
        return r;
    }
    std::wstring r = v.type == REG_BINARY ? L"hex:" : Fmt(L"hex(%x):", (unsigned)v.type);
    for (size_t i = 0; i < v.data.size(); ++i) {
        if (i) r += (i % 24 == 0) ? L",\\\r\n  " : L",";
        r += Fmt(L"%02x", v.data[i]);
    }
    return r;
}

namespace {

struct Capture {
    IProbes& p;
    std::wstring out;
    std::vector<std::wstring> filesDone;
    explicit Capture(IProbes& probes) : p(probes) {}

    void Line(const std::wstring& s) { out += s + L"\r\n"; }

    // Writes a key in registry export form: its line, its values, then (when deep) each sub-key, as
    // far down as the check's scan goes and passing over the names it passes over. sam picks the
    // registry view; the key is written under the name shownAs (the path itself by default).
    void DumpKey(const std::wstring& subPath, bool deep, int depth = 0, REGSAM sam = 0, const std::wstring& shownAs = L"")
    {
        HKEY key = NULL;
        if (depth > CAdapterCheck::kMaxClassDepth ||
            p.RegOpenKeyExW(HKEY_LOCAL_MACHINE, subPath.c_str(), 0, KEY_READ | sam, &key) != ERROR_SUCCESS)
            return;
        Line(L"");
        Line(KeyHeader(L"HKEY_LOCAL_MACHINE\\" + (shownAs.empty() ? subPath : shownAs)));
        DWORD subKeys = 0, maxSub = 0, values = 0, maxName = 0, maxData = 0;
        p.RegQueryInfoKeyW(key, NULL, NULL, NULL, &subKeys, &maxSub, NULL, &values, &maxName, &maxData, NULL, NULL);
        std::vector<WCHAR> name(maxName + 2 > 16384 && maxName < 0x100000 ? maxName + 2 : 16384);
        std::vector<BYTE> data(maxData + 2 > 4096 && maxData < 0x4000000 ? maxData + 2 : 4096);
        for (DWORD i = 0; i < 100000; ++i) {
            DWORD nameLen = (DWORD)name.size(), dataLen = (DWORD)data.size(), type = 0;
            LONG r = p.RegEnumValueW(key, i, &name[0], &nameLen, NULL, &type, &data[0], &dataLen);
            if (r == ERROR_NO_MORE_ITEMS) break;
            if (r == ERROR_MORE_DATA && dataLen > data.size() && dataLen < 0x4000000) {
                data.resize(dataLen + 2);
                --i;
                continue;
            }
            if (r != ERROR_SUCCESS || nameLen > name.size() || dataLen > data.size()) continue;
            RecordedValue v;
            v.name.assign(&name[0], nameLen);
            v.type = type;
            v.data.assign(data.begin(), data.begin() + dataLen);
            Line((v.name.empty() ? std::wstring(L"@") : Quote(v.name)) + L"=" + FormatSnapshotValue(v, false));
        }
        std::vector<std::wstring> subs;
        if (deep) {
            std::vector<WCHAR> sub(256);
            for (DWORD i = 0; i < 100000; ++i) {
                DWORD len = (DWORD)sub.size();
                LONG r = p.RegEnumKeyExW(key, i, &sub[0], &len, NULL, NULL, NULL, NULL);
                if (r == ERROR_NO_MORE_ITEMS) break;
                if (r == ERROR_SUCCESS && len <= 255 && CAdapterCheck::IsUsableKeyName(std::wstring(&sub[0], len)))
                    subs.push_back(std::wstring(&sub[0], len));
            }
        }
        p.RegCloseKey(key);
        for (const std::wstring& s : subs)
            DumpKey(subPath + L"\\" + s, true, depth + 1, sam, shownAs.empty() ? L"" : shownAs + L"\\" + s);
    }

    // A driver file is read where the system keeps it (redirection off), as the check reads it.
    void File(const std::wstring& path, bool unredirected = false)
    {
        std::wstring norm = RecordedProbes::NormalizeFilePath(path);
        for (auto& f : filesDone)
            if (f == norm) return;
        filesDone.push_back(norm);
        PVOID redirection = NULL;
        BOOL off = unredirected && p.Wow64DisableWow64FsRedirection(&redirection);
        DWORD handle = 0;
        DWORD size = p.GetFileVersionInfoSizeW(path.c_str(), &handle);
        std::vector<BYTE> block(size ? size : 1);
        bool read = size && p.GetFileVersionInfoW(path.c_str(), handle, size, &block[0]);
        if (off) p.Wow64RevertWow64FsRedirection(redirection);
        VS_FIXEDFILEINFO* fi = NULL;
        UINT len = 0;
        // No file, or no version: both replay as size 0.
        if (!read || !p.VerQueryValueW(&block[0], L"\\", (LPVOID*)&fi, &len) || !fi || len < sizeof(VS_FIXEDFILEINFO))
            return;
        Line(L"");
        Line(L"[File]");
        Line(L"Path=" + Quote(path));
        Line(Fmt(L"FileVersion=%u.%u.%u.%u", HIWORD(fi->dwFileVersionMS), LOWORD(fi->dwFileVersionMS),
                 HIWORD(fi->dwFileVersionLS), LOWORD(fi->dwFileVersionLS)));
        Line(Fmt(L"ProductVersion=%u.%u.%u.%u", HIWORD(fi->dwProductVersionMS), LOWORD(fi->dwProductVersionMS),
                 HIWORD(fi->dwProductVersionLS), LOWORD(fi->dwProductVersionLS)));
    }

    bool Property(HDEVINFO set, SP_DEVINFO_DATA& dev, DWORD code, RecordedValue& v)
    {
        DWORD type = 0, size = 0;
        std::vector<BYTE> d(4096);
        for (int tries = 0; tries < 4; ++tries) {
            if (p.SetupDiGetDeviceRegistryPropertyW(set, &dev, code, &type, &d[0], (DWORD)d.size(), &size)) {
                v.type = type;
                v.data.assign(d.begin(), d.begin() + (size < d.size() ? size : d.size()));
                return true;
            }
            if (p.GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= d.size() || size > 0x1000000) return false;
            d.resize(size);
        }
        return false;
    }

    void Library(const std::wstring& path, bool onSearchPath, HMODULE lib)
    {
        typedef void(WINAPI * Fn)(DWORD*);
        Fn fn = (Fn)(void*)p.GetProcAddress(lib, "GetAPIVersion");
        Line(L"");
        Line(L"[Library]");
        Line(L"Path=" + Quote(path));
        Line(onSearchPath ? L"OnSearchPath=yes" : L"OnSearchPath=no");
        if (fn) {
            DWORD version = 0;
            fn(&version);
            Line(Fmt(L"GetAPIVersion=0x%08X", version));
        } else {
            Line(L"GetAPIVersion=absent");
        }
    }
};

}  // namespace

std::wstring CaptureSnapshot(IProbes& p, const std::wstring& listFile, const std::wstring& checkedAtGiven)
{
    Capture c(p);
    c.Line(L"; Netvetter snapshot: what the adapter check reads on one system.");
    c.Line(L"");
    c.Line(L"[Program]");
    WCHAR buf[MAX_PATH + 1] = {0};
    DWORD n = p.GetModuleFileNameW(NULL, buf, MAX_PATH);
    buf[n <= MAX_PATH ? n : MAX_PATH] = 0;
    c.Line(L"Path=" + Quote(buf));
    c.Line(L"ListFile=" + Quote(listFile));
    if (p._wgetcwd(buf, MAX_PATH)) c.Line(L"CurrentDirectory=" + Quote(buf));

    c.Line(L"");
    c.Line(L"[System]");
    const CSystemFacts facts = ReadSystemFacts(p);
    if (facts.versionRead) {
        const OSVERSIONINFOEXW& vi = facts.version;
        c.Line(Fmt(L"Version=%u.%u.%u", vi.dwMajorVersion, vi.dwMinorVersion, vi.dwBuildNumber));
        c.Line(Fmt(L"PlatformId=%u", vi.dwPlatformId));
        c.Line(L"ServicePack=" + Quote(vi.szCSDVersion));
        c.Line(Fmt(L"ServicePackVersion=%u.%u", vi.wServicePackMajor, vi.wServicePackMinor));
        c.Line(Fmt(L"SuiteMask=0x%04X", vi.wSuiteMask));
        c.Line(Fmt(L"ProductType=%u", vi.wProductType));
    }
    c.Line(facts.wow64Query == CSystemFacts::Wow64Absent   ? L"IsWow64Process=absent"
           : facts.wow64Query == CSystemFacts::Wow64Failed ? L"IsWow64Process=fails"
           : facts.wow64                                   ? L"IsWow64Process=yes"
                                                           : L"IsWow64Process=no");
    c.Line(facts.nativeKnown ? Fmt(L"NativeArchitecture=%u", facts.nativeArchitecture) : L"NativeArchitecture=absent");
    WCHAR windir[MAX_PATH + 1] = {0};
    UINT wn = p.GetWindowsDirectoryW(windir, MAX_PATH);
    if (wn > 0 && wn < MAX_PATH) c.Line(L"WindowsDirectory=" + Quote(windir));
    WCHAR sysdir[MAX_PATH + 1] = {0};
    bool haveSys = SUCCEEDED(p.SHGetFolderPathW(NULL, 0x25, NULL, 0, sysdir));
    if (haveSys) c.Line(L"SystemDirectory=" + Quote(sysdir));
    // Which PC and when, so that a replay names them as the live report did.
    std::wstring computer = CheckedComputerName(p), checkedAt = checkedAtGiven.empty() ? CheckedAtText(p) : checkedAtGiven;
    if (!computer.empty()) c.Line(L"ComputerName=" + Quote(computer));
    if (!checkedAt.empty()) c.Line(L"CheckedAt=" + checkedAt);

    // The devices, as the check enumerates them.
    static const GUID ndis = {0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};
    static const struct { DWORD code; const wchar_t* name; } props[] = {
        {0x1C, L"Address"}, {0x00, L"DeviceDesc"}, {0x01, L"HardwareID"}, {0x04, L"Service"}};
    // The service names and driver files are found by the check's own code, so that the capture holds
    // exactly what the check will look for in it, whatever form the values take.
    AdapterList none;
    CAdapterCheck check(p, none);
    std::vector<std::wstring> services, driverFiles;
    HDEVINFO set = p.SetupDiGetClassDevsW(&ndis, NULL, NULL, DIGCF_DEVICEINTERFACE);
    if (set != INVALID_HANDLE_VALUE && set != NULL) {
        for (DWORD index = 0; index < 10000; ++index) {
            SP_DEVINFO_DATA dev;
            ZeroMemory(&dev, sizeof(dev));
            dev.cbSize = sizeof(dev);
            if (!p.SetupDiEnumDeviceInfo(set, index, &dev)) break;
            c.Line(L"");
            c.Line(L"[Device]");
            for (auto& pr : props) {
                RecordedValue v;
                if (!c.Property(set, dev, pr.code, v)) continue;
                c.Line(std::wstring(pr.name) + L"=" + FormatSnapshotValue(v, true));
            }
            if (WCHAR* svc = check.GetDeviceStringProperty(set, &dev, SPDRP_SERVICE)) {
                if (svc[0]) services.push_back(svc);
                delete[] (BYTE*)svc;
            }
            CString driverFile;
            if (check.GetDriverFilePath(set, &dev, driverFile)) driverFiles.push_back((LPCWSTR)driverFile);
            std::vector<WCHAR> id(4097);
            DWORD need = 0;
            bool haveId = p.SetupDiGetDeviceInstanceIdW(set, &dev, &id[0], 4096, &need) != FALSE;
            if (!haveId && p.GetLastError() == ERROR_INSUFFICIENT_BUFFER && need > 4096 && need < 0x100000) {
                id.resize(need + 1);
                haveId = p.SetupDiGetDeviceInstanceIdW(set, &dev, &id[0], need, NULL) != FALSE;
            }
            if (haveId) c.Line(L"InstanceId=" + Quote(&id[0]));  // an unreadable ID is left out
            ULONG status = 0, problem = 0;
            CONFIGRET cr = p.CM_Get_DevNode_Status(&status, &problem, dev.DevInst, 0);
            c.Line(Fmt(L"NodeResult=%u", (unsigned)cr));
            if (cr == CR_SUCCESS) {
                c.Line(Fmt(L"Status=0x%08X", (unsigned)status));
                c.Line(Fmt(L"Problem=%u", (unsigned)problem));
            }
        }
        p.SetupDiDestroyDeviceInfoList(set);
    }

    // Version blocks: the system library, and each driver file found the way the check finds it.
    if (haveSys) {
        WCHAR k32[MAX_PATH + 1];
        wcscpy(k32, sysdir);
        if (p.PathAppendW(k32, L"kernel32.dll")) c.File(k32);
    }
    for (const std::wstring& file : driverFiles) c.File(file, true);

    // The PROSet library, looked for as the check looks for it: in the system folder, then in the
    // utility's folder.
    p.SetDllDirectoryW(L"");
    std::wstring searched = (LPCWSTR)check.ProSetLibraryInSystemFolder();
    if (!searched.empty()) {
        if (HMODULE lib = p.LoadLibraryExW(searched.c_str(), NULL, LOAD_WITH_ALTERED_SEARCH_PATH)) {
            c.Library(searched, false, lib);
            p.FreeLibrary(lib);
        }
    }
    std::wstring binDir = (LPCWSTR)check.ProSetFolder();
    if (!binDir.empty()) {
        std::wstring full = binDir + L"\\MurocApi.dll";
        if (RecordedProbes::NormalizeFilePath(full) != RecordedProbes::NormalizeFilePath(searched)) {
            if (HMODULE lib = p.LoadLibraryExW(full.c_str(), NULL, LOAD_WITH_ALTERED_SEARCH_PATH)) {
                c.Library(full, false, lib);
                p.FreeLibrary(lib);
            }
        }
    }

    // The registry keys the check reads.
    c.Line(L"");
    c.Line(L"Windows Registry Editor Version 5.00");
    c.DumpKey(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}", true);
    std::vector<std::wstring> done;
    for (const std::wstring& svc : services) {
        std::wstring u = Upper(svc);
        bool seen = false;
        for (auto& d : done) seen = seen || d == u;
        if (seen) continue;
        done.push_back(u);
        c.DumpKey(L"SYSTEM\\CurrentControlSet\\Services\\" + svc, false);
    }
    if (facts.wow64) {
        // Both views, as reg export shows them on a 64-bit system: the check looks in the 32-bit one
        // first, then in the 64-bit one.
        c.DumpKey(L"SOFTWARE\\Intel\\Wireless", false, 0, KEY_WOW64_64KEY);
        c.DumpKey(L"SOFTWARE\\Intel\\Wireless", false, 0, KEY_WOW64_32KEY, L"SOFTWARE\\Wow6432Node\\Intel\\Wireless");
    } else {
        c.DumpKey(L"SOFTWARE\\Intel\\Wireless", false);
    }
    return c.out;
}

bool WriteSnapshotFile(const std::wstring& path, const std::wstring& text, std::wstring& error)
{
    int need = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string bytes("\xEF\xBB\xBF");
    size_t at = bytes.size();
    bytes.resize(at + (need > 0 ? need : 0));
    if (need > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &bytes[at], need, NULL, NULL);
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) {
        error = path + L": cannot create the snapshot file";
        return false;
    }
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (fclose(f) == 0) && ok;
    if (!ok) error = path + L": cannot write the snapshot file";
    return ok;
}
