#include "check/RealProbes.h"
#include "framework/AfxSystemLibrary.h"
#include <shlobj.h>
#include <shlwapi.h>
#include <direct.h>
#include <winver.h>

HDEVINFO RealProbes::SetupDiGetClassDevsW(const GUID* g, PCWSTR e, HWND p, DWORD f) { return ::SetupDiGetClassDevsW(g, e, p, f); }
BOOL RealProbes::SetupDiEnumDeviceInfo(HDEVINFO s, DWORD i, PSP_DEVINFO_DATA d) { return ::SetupDiEnumDeviceInfo(s, i, d); }
BOOL RealProbes::SetupDiGetDeviceRegistryPropertyW(HDEVINFO s, PSP_DEVINFO_DATA d, DWORD p, PDWORD t, PBYTE b, DWORD n,
                                                   PDWORD r)
{
    return ::SetupDiGetDeviceRegistryPropertyW(s, d, p, t, b, n, r);
}
BOOL RealProbes::SetupDiGetDeviceInstanceIdW(HDEVINFO s, PSP_DEVINFO_DATA d, PWSTR b, DWORD n, PDWORD r)
{
    return ::SetupDiGetDeviceInstanceIdW(s, d, b, n, r);
}
BOOL RealProbes::SetupDiDestroyDeviceInfoList(HDEVINFO s) { return ::SetupDiDestroyDeviceInfoList(s); }
CONFIGRET RealProbes::CM_Get_DevNode_Status(PULONG s, PULONG p, DEVINST d, ULONG f) { return ::CM_Get_DevNode_Status(s, p, d, f); }
DWORD RealProbes::GetLastError() { return ::GetLastError(); }

LONG RealProbes::RegOpenKeyExW(HKEY r, LPCWSTR s, DWORD o, REGSAM a, PHKEY k) { return ::RegOpenKeyExW(r, s, o, a, k); }
LONG RealProbes::RegQueryInfoKeyW(HKEY k, LPWSTR c, LPDWORD cl, LPDWORD r, LPDWORD sk, LPDWORD msk, LPDWORD mc,
                                  LPDWORD v, LPDWORD mvn, LPDWORD mv, LPDWORD sd, PFILETIME lw)
{
    return ::RegQueryInfoKeyW(k, c, cl, r, sk, msk, mc, v, mvn, mv, sd, lw);
}
LONG RealProbes::RegEnumValueW(HKEY k, DWORD i, LPWSTR n, LPDWORD nl, LPDWORD r, LPDWORD t, LPBYTE d, LPDWORD dl)
{
    return ::RegEnumValueW(k, i, n, nl, r, t, d, dl);
}
LONG RealProbes::RegEnumKeyExW(HKEY k, DWORD i, LPWSTR n, LPDWORD nl, LPDWORD r, LPWSTR c, LPDWORD cl, PFILETIME lw)
{
    return ::RegEnumKeyExW(k, i, n, nl, r, c, cl, lw);
}
LONG RealProbes::RegQueryValueExW(HKEY k, LPCWSTR n, LPDWORD r, LPDWORD t, LPBYTE d, LPDWORD dl)
{
    return ::RegQueryValueExW(k, n, r, t, d, dl);
}
LONG RealProbes::RegCloseKey(HKEY k) { return ::RegCloseKey(k); }

// version.dll is no known library: imported at load time it would be looked for in the program's
// folder first. It is loaded once, by its full path in the system folder, when first needed.
namespace {
struct VersionLibrary {
    DWORD(WINAPI* size)(LPCWSTR, LPDWORD) = NULL;
    BOOL(WINAPI* info)(LPCWSTR, DWORD, DWORD, LPVOID) = NULL;
    BOOL(WINAPI* query)(LPCVOID, LPCWSTR, LPVOID*, PUINT) = NULL;
    VersionLibrary()
    {
        HMODULE lib = AfxLoadSystemLibrary(L"version.dll");
        if (!lib) return;
        size = (DWORD(WINAPI*)(LPCWSTR, LPDWORD))(void*)::GetProcAddress(lib, "GetFileVersionInfoSizeW");
        info = (BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID))(void*)::GetProcAddress(lib, "GetFileVersionInfoW");
        query = (BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT))(void*)::GetProcAddress(lib, "VerQueryValueW");
    }
};
const VersionLibrary& Version()
{
    static VersionLibrary lib;
    return lib;
}
}  // namespace

DWORD RealProbes::GetFileVersionInfoSizeW(LPCWSTR p, LPDWORD h)
{
    if (!Version().size) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return Version().size(p, h);
}
BOOL RealProbes::GetFileVersionInfoW(LPCWSTR p, DWORD h, DWORD l, LPVOID d)
{
    if (!Version().info) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    return Version().info(p, h, l, d);
}
BOOL RealProbes::VerQueryValueW(LPCVOID b, LPCWSTR s, LPVOID* o, PUINT l)
{
    return Version().query ? Version().query(b, s, o, l) : FALSE;
}

HMODULE RealProbes::LoadLibraryW(LPCWSTR n) { return ::LoadLibraryW(n); }
HMODULE RealProbes::LoadLibraryExW(LPCWSTR n, HANDLE f, DWORD fl) { return ::LoadLibraryExW(n, f, fl); }
FARPROC RealProbes::GetProcAddress(HMODULE m, LPCSTR p) { return ::GetProcAddress(m, p); }
BOOL RealProbes::FreeLibrary(HMODULE m) { return ::FreeLibrary(m); }
HMODULE RealProbes::GetModuleHandleW(LPCWSTR n) { return ::GetModuleHandleW(n); }
DWORD RealProbes::GetModuleFileNameW(HMODULE m, LPWSTR b, DWORD n) { return ::GetModuleFileNameW(m, b, n); }

// Entry points that older systems lack are looked up by name, so that the program still loads there.
static FARPROC Kernel32Entry(const char* name)
{
    HMODULE k = ::GetModuleHandleW(L"kernel32.dll");
    return k ? ::GetProcAddress(k, name) : NULL;
}

BOOL RealProbes::SetDllDirectoryW(LPCWSTR path)
{
    // Absent before XP SP1.
    typedef BOOL(WINAPI * Fn)(LPCWSTR);
    Fn fn = (Fn)(void*)Kernel32Entry("SetDllDirectoryW");
    return fn ? fn(path) : FALSE;
}

BOOL RealProbes::GetVersionExW(LPOSVERSIONINFOW info) { return ::GetVersionExW(info); }
BOOL(WINAPI* RealProbes::GetIsWow64Process())(HANDLE, PBOOL)
{
    return (BOOL(WINAPI*)(HANDLE, PBOOL))(void*)Kernel32Entry("IsWow64Process");
}
void(WINAPI* RealProbes::GetGetNativeSystemInfo())(LPSYSTEM_INFO)
{
    return (void(WINAPI*)(LPSYSTEM_INFO))(void*)Kernel32Entry("GetNativeSystemInfo");
}
HANDLE RealProbes::GetCurrentProcess() { return ::GetCurrentProcess(); }
UINT RealProbes::GetWindowsDirectoryW(LPWSTR b, UINT n) { return ::GetWindowsDirectoryW(b, n); }
HRESULT RealProbes::SHGetFolderPathW(HWND o, int f, HANDLE t, DWORD fl, LPWSTR p) { return ::SHGetFolderPathW(o, f, t, fl, p); }
BOOL RealProbes::PathAppendW(LPWSTR p, LPCWSTR m) { return ::PathAppendW(p, m); }

BOOL RealProbes::Wow64DisableWow64FsRedirection(PVOID* old)
{
    // Libraries loaded from the system folder while redirection is off would be the 64-bit ones: the
    // version library is loaded now, before the file reads it serves.
    Version();
    typedef BOOL(WINAPI * Fn)(PVOID*);
    Fn fn = (Fn)(void*)Kernel32Entry("Wow64DisableWow64FsRedirection");
    return fn ? fn(old) : FALSE;
}
BOOL RealProbes::Wow64RevertWow64FsRedirection(PVOID old)
{
    typedef BOOL(WINAPI * Fn)(PVOID);
    Fn fn = (Fn)(void*)Kernel32Entry("Wow64RevertWow64FsRedirection");
    return fn ? fn(old) : FALSE;
}

BOOL RealProbes::GetComputerNameW(LPWSTR b, LPDWORD n) { return ::GetComputerNameW(b, n); }
void RealProbes::GetSystemTime(LPSYSTEMTIME t) { ::GetSystemTime(t); }

wchar_t* RealProbes::_wgetcwd(wchar_t* b, int n) { return ::_wgetcwd(b, n); }
int RealProbes::_wchdir(const wchar_t* d) { return ::_wchdir(d); }
