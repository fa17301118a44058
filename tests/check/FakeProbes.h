// A small stand-in system for the check's tests: devices, a registry tree, version blocks, OS facts.
#pragma once
#include "check/probes.h"
#include <map>
#include <string>
#include <vector>

struct FakeDevice {
    std::wstring desc, hwid, service;
    ULONG problem = 0;
};
struct FakeValue {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};
struct FakeKey {
    std::vector<FakeValue> values;
    std::vector<std::wstring> subKeys;  // names in index order
};

class FakeProbes : public IProbes {
public:
    std::vector<FakeDevice> devices;
    std::map<std::wstring, FakeKey> keys;          // full path, single backslashes, upper case
    std::map<std::wstring, DWORD> fileVersionMS, fileVersionLS, productVersionMS;  // upper-case path
    std::wstring modulePath = L"C:\\APP\\netvetter.exe";
    DWORD osMajor = 6, osMinor = 1;
    BOOL hasWow = TRUE, wow64 = FALSE;
    WORD arch = 0;
    int openKeys = 0;
    DWORD lastError = 0;
    static FakeProbes* s_cur;

    static std::wstring Norm(std::wstring p)
    {
        std::wstring r;
        for (wchar_t c : p) {
            if (c == L'\\' && !r.empty() && r.back() == L'\\') continue;
            r += (c >= L'a' && c <= L'z') ? (wchar_t)(c - 32) : c;
        }
        while (!r.empty() && r.back() == L'\\') r.pop_back();
        return r;
    }
    FakeKey& Key(const std::wstring& path)
    {
        std::wstring n = Norm(path);
        size_t slash = n.rfind(L'\\');
        if (slash != std::wstring::npos && !keys.count(n)) {
            FakeKey& parent = Key(n.substr(0, slash));
            parent.subKeys.push_back(path.substr(path.rfind(L'\\') + 1));
        }
        return keys[n];
    }
    void AddDword(const std::wstring& path, const std::wstring& name, DWORD v)
    {
        FakeValue fv{name, REG_DWORD, std::vector<BYTE>((BYTE*)&v, (BYTE*)&v + 4)};
        Key(path).values.push_back(fv);
    }
    void AddSz(const std::wstring& path, const std::wstring& name, const std::wstring& s, bool terminate = true)
    {
        std::vector<BYTE> d((BYTE*)s.c_str(), (BYTE*)(s.c_str() + s.size() + (terminate ? 1 : 0)));
        Key(path).values.push_back(FakeValue{name, REG_SZ, d});
    }
    void SetFileVersion(const std::wstring& path, WORD a, WORD b, WORD c, WORD d)
    {
        fileVersionMS[Norm(path)] = MAKELONG(b, a);
        fileVersionLS[Norm(path)] = MAKELONG(d, c);
    }

    HDEVINFO SetupDiGetClassDevsW(const GUID*, PCWSTR, HWND, DWORD) override { return (HDEVINFO)1; }
    BOOL SetupDiEnumDeviceInfo(HDEVINFO, DWORD index, PSP_DEVINFO_DATA data) override
    {
        if (index >= devices.size()) return FALSE;
        data->DevInst = index;
        return TRUE;
    }
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO, PSP_DEVINFO_DATA data, DWORD property, PDWORD type, PBYTE buffer,
                                           DWORD size, PDWORD required) override
    {
        FakeDevice& d = devices[data->DevInst];
        std::wstring s = property == 0 ? d.desc : property == 1 ? d.hwid : property == 4 ? d.service : L"0";
        if (property == 4 && s.empty()) { lastError = ERROR_INVALID_DATA; return FALSE; }
        DWORD bytes = (DWORD)(s.size() + 1) * 2;
        if (property == 1) bytes += 2;
        if (type) *type = property == 1 ? REG_MULTI_SZ : REG_SZ;
        if (required) *required = bytes;
        if (bytes > size) {
            // Fill what fits, unterminated, as a hostile driver might.
            if (property != 4) { memcpy(buffer, s.c_str(), size); return TRUE; }
            lastError = ERROR_INSUFFICIENT_BUFFER;
            return FALSE;
        }
        memset(buffer, 0, bytes);
        memcpy(buffer, s.c_str(), s.size() * 2);
        return TRUE;
    }
    BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO, PSP_DEVINFO_DATA, PWSTR b, DWORD, PDWORD) override { b[0] = 0; return TRUE; }
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO) override { return TRUE; }
    CONFIGRET CM_Get_DevNode_Status(PULONG st, PULONG pr, DEVINST di, ULONG) override
    {
        *st = 0;
        *pr = devices[di].problem;
        return CR_SUCCESS;
    }
    DWORD GetLastError() override { return lastError; }

    LONG RegOpenKeyExW(HKEY, LPCWSTR sub, DWORD, REGSAM, PHKEY out) override
    {
        auto it = keys.find(Norm(sub));
        if (it == keys.end()) return ERROR_FILE_NOT_FOUND;
        ++openKeys;
        *out = (HKEY) new std::wstring(it->first);
        return ERROR_SUCCESS;
    }
    FakeKey& K(HKEY k) { return keys[*(std::wstring*)k]; }
    LONG RegQueryInfoKeyW(HKEY k, LPWSTR, LPDWORD, LPDWORD, LPDWORD subKeys, LPDWORD, LPDWORD, LPDWORD values, LPDWORD,
                          LPDWORD, LPDWORD, PFILETIME) override
    {
        if (subKeys) *subKeys = (DWORD)K(k).subKeys.size();
        if (values) *values = (DWORD)K(k).values.size();
        return ERROR_SUCCESS;
    }
    LONG RegEnumValueW(HKEY k, DWORD i, LPWSTR name, LPDWORD nameLen, LPDWORD, LPDWORD type, LPBYTE data,
                       LPDWORD dataLen) override
    {
        FakeKey& key = K(k);
        if (i >= key.values.size()) return ERROR_NO_MORE_ITEMS;
        FakeValue& v = key.values[i];
        if (v.name.size() >= *nameLen || v.data.size() > *dataLen) return ERROR_MORE_DATA;
        memcpy(name, v.name.c_str(), (v.name.size() + 1) * 2);
        *nameLen = (DWORD)v.name.size();
        if (!v.data.empty()) memcpy(data, &v.data[0], v.data.size());
        *dataLen = (DWORD)v.data.size();
        if (type) *type = v.type;
        return ERROR_SUCCESS;
    }
    LONG RegEnumKeyExW(HKEY k, DWORD i, LPWSTR name, LPDWORD len, LPDWORD, LPWSTR, LPDWORD, PFILETIME) override
    {
        FakeKey& key = K(k);
        if (i >= key.subKeys.size()) return ERROR_NO_MORE_ITEMS;
        if (key.subKeys[i].size() >= *len) return ERROR_MORE_DATA;
        memcpy(name, key.subKeys[i].c_str(), (key.subKeys[i].size() + 1) * 2);
        *len = (DWORD)key.subKeys[i].size();
        return ERROR_SUCCESS;
    }
    LONG RegQueryValueExW(HKEY k, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD len) override
    {
        for (FakeValue& v : K(k).values)
            if (Norm(v.name) == Norm(name)) {
                if (v.data.size() > *len) return ERROR_MORE_DATA;
                if (!v.data.empty()) memcpy(data, &v.data[0], v.data.size());
                *len = (DWORD)v.data.size();
                if (type) *type = v.type;
                return ERROR_SUCCESS;
            }
        return ERROR_FILE_NOT_FOUND;
    }
    LONG RegCloseKey(HKEY k) override { --openKeys; delete (std::wstring*)k; return ERROR_SUCCESS; }

    DWORD GetFileVersionInfoSizeW(LPCWSTR path, LPDWORD) override
    {
        std::wstring n = Norm(path);
        return (fileVersionMS.count(n) || productVersionMS.count(n)) ? 400 : 0;
    }
    BOOL GetFileVersionInfoW(LPCWSTR path, DWORD, DWORD len, LPVOID data) override
    {
        std::wstring n = Norm(path);
        VS_FIXEDFILEINFO f = {};
        f.dwFileVersionMS = fileVersionMS[n];
        f.dwFileVersionLS = fileVersionLS[n];
        f.dwProductVersionMS = productVersionMS[n];
        memcpy(data, &f, sizeof(f) < len ? sizeof(f) : len);
        return TRUE;
    }
    BOOL VerQueryValueW(LPCVOID block, LPCWSTR, LPVOID* buf, PUINT len) override
    {
        *buf = (LPVOID)block;
        *len = sizeof(VS_FIXEDFILEINFO);
        return TRUE;
    }

    // PROSet: a fake library whose version is apiVersion; in the system folder (C:\WINDOWS\system32),
    // on the bare-name search path, or in BinDir.
    bool libInSystem = false, libByName = false, libInFolder = false, libHasEntry = true;
    static DWORD s_apiVersion;
    std::wstring cwd = L"C:\\START", loadedFrom;
    int setDllDirCalls = 0;
    static void WINAPI FakeGetApiVersion(DWORD* v) { *v = s_apiVersion; }
    HMODULE LoadLibraryW(LPCWSTR) override { return libByName ? (HMODULE)0x10 : NULL; }
    HMODULE LoadLibraryExW(LPCWSTR name, HANDLE, DWORD) override
    {
        loadedFrom = name;
        if (Norm(name) == Norm(L"C:\\WINDOWS\\system32\\MurocApi.dll")) return libInSystem ? (HMODULE)0x10 : NULL;
        return libInFolder ? (HMODULE)0x20 : NULL;
    }
    FARPROC GetProcAddress(HMODULE, LPCSTR) override { return libHasEntry ? (FARPROC)(void*)&FakeGetApiVersion : NULL; }
    BOOL FreeLibrary(HMODULE) override { return TRUE; }
    HMODULE GetModuleHandleW(LPCWSTR) override { return (HMODULE)0x30; }
    DWORD GetModuleFileNameW(HMODULE, LPWSTR b, DWORD size) override
    {
        wcsncpy(b, modulePath.c_str(), size);
        return (DWORD)(modulePath.size() < size ? modulePath.size() : size);
    }
    BOOL SetDllDirectoryW(LPCWSTR) override { ++setDllDirCalls; return TRUE; }

    BOOL GetVersionExW(LPOSVERSIONINFOW info) override
    {
        info->dwMajorVersion = osMajor;
        info->dwMinorVersion = osMinor;
        return TRUE;
    }
    static BOOL WINAPI FakeIsWow64(HANDLE, PBOOL b) { *b = s_cur->wow64; return TRUE; }
    static void WINAPI FakeNative(LPSYSTEM_INFO si) { si->wProcessorArchitecture = s_cur->arch; }
    BOOL(WINAPI* GetIsWow64Process())(HANDLE, PBOOL) override { s_cur = this; return hasWow ? &FakeIsWow64 : NULL; }
    void(WINAPI* GetGetNativeSystemInfo())(LPSYSTEM_INFO) override { s_cur = this; return &FakeNative; }
    HANDLE GetCurrentProcess() override { return (HANDLE)-1; }
    UINT GetWindowsDirectoryW(LPWSTR b, UINT) override { wcscpy(b, L"C:\\WINDOWS"); return 10; }
    HRESULT SHGetFolderPathW(HWND, int, HANDLE, DWORD, LPWSTR p) override { wcscpy(p, L"C:\\WINDOWS\\system32"); return S_OK; }
    BOOL PathAppendW(LPWSTR p, LPCWSTR more) override { wcscat(p, L"\\"); wcscat(p, more); return TRUE; }
    BOOL Wow64DisableWow64FsRedirection(PVOID* old) override { *old = NULL; return wow64; }
    BOOL Wow64RevertWow64FsRedirection(PVOID) override { return wow64; }
    BOOL GetComputerNameW(LPWSTR, LPDWORD) override { return FALSE; }
    void GetSystemTime(LPSYSTEMTIME t) override { ZeroMemory(t, sizeof(*t)); }
    wchar_t* _wgetcwd(wchar_t* b, int n) override { wcsncpy(b, cwd.c_str(), n); return b; }
    int _wchdir(const wchar_t* d) override { cwd = d; return 0; }

    void SetSystemVersion(WORD major, WORD minor) { productVersionMS[Norm(L"C:\\WINDOWS\\system32\\kernel32.dll")] = MAKELONG(minor, major); }
};
