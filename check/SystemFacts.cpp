#include "check/SystemFacts.h"
#include "check/AdapterCheck.h"
#include <vector>

BOOL ReadFixedFileInfo(IProbes& probes, LPCWSTR path, VS_FIXEDFILEINFO& info)
{
    DWORD handle = 0;
    DWORD size = probes.GetFileVersionInfoSizeW(path, &handle);
    // A version resource is at most 64 KB; a larger size reported from outside reads as none.
    if (size == 0 || size > CAdapterCheck::kMaxOutsideBytes)
        return FALSE;
    std::vector<BYTE> block(size);
    if (!probes.GetFileVersionInfoW(path, handle, size, &block[0]))
        return FALSE;
    VS_FIXEDFILEINFO* found = NULL;
    UINT len = 0;
    if (!probes.VerQueryValueW(&block[0], L"\\", (LPVOID*)&found, &len) || !found || len < sizeof(VS_FIXEDFILEINFO) ||
        (const BYTE*)found < &block[0] || (const BYTE*)(found + 1) > &block[0] + block.size())
        return FALSE;
    info = *found;
    return TRUE;
}

BOOL QueryWow64(IProbes& probes, CSystemFacts::Wow64Query* query)
{
    CSystemFacts::Wow64Query how = CSystemFacts::Wow64Absent;
    BOOL wow64 = FALSE;
    if (BOOL(WINAPI * isWow64)(HANDLE, PBOOL) = probes.GetIsWow64Process()) {
        how = isWow64(probes.GetCurrentProcess(), &wow64) ? CSystemFacts::Wow64Answered : CSystemFacts::Wow64Failed;
        if (how == CSystemFacts::Wow64Failed) wow64 = FALSE;
    }
    if (query) *query = how;
    return wow64;
}

CSystemFacts ReadSystemFacts(IProbes& probes)
{
    CSystemFacts facts;
    WCHAR path[MAX_PATH + 1] = {0};
    VS_FIXEDFILEINFO kernel;
    if (SUCCEEDED(probes.SHGetFolderPathW(NULL, 0x25 /* CSIDL_SYSTEM */, NULL, 0, path)) &&
        (path[MAX_PATH] = 0, probes.PathAppendW(path, L"kernel32.dll")) && ReadFixedFileInfo(probes, path, kernel)) {
        facts.kernelMajor = HIWORD(kernel.dwProductVersionMS);
        facts.kernelMinor = LOWORD(kernel.dwProductVersionMS);
        facts.kernelBuild = HIWORD(kernel.dwProductVersionLS);
    }

    facts.version.dwOSVersionInfoSize = sizeof(facts.version);
    if (probes.GetVersionExW((LPOSVERSIONINFOW)&facts.version)) {
        facts.versionRead = TRUE;
        facts.version.szCSDVersion[127] = 0;
        facts.reportedMajor = facts.version.dwMajorVersion;
        facts.reportedMinor = facts.version.dwMinorVersion;
        facts.servicePack = facts.version.szCSDVersion;
    } else {
        facts.version = OSVERSIONINFOEXW();
        facts.version.dwOSVersionInfoSize = sizeof(facts.version);
    }

    facts.wow64 = QueryWow64(probes, &facts.wow64Query);
    if (void(WINAPI * native)(LPSYSTEM_INFO) = probes.GetGetNativeSystemInfo()) {
        SYSTEM_INFO si;
        ZeroMemory(&si, sizeof(si));
        si.wProcessorArchitecture = 0xFFFF;
        native(&si);
        facts.nativeKnown = TRUE;
        facts.nativeArchitecture = si.wProcessorArchitecture;
    }
    return facts;
}
