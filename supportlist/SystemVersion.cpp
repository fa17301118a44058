#include "supportlist/SupportList.h"
#include <vector>

// The product version of the system library, both halves; FALSE when it cannot be read.
BOOL CSupportList::ReadSystemProductVersion(DWORD& ms, DWORD& ls)
{
    ms = ls = 0;
    WCHAR path[MAX_PATH + 1] = {0};
    if (FAILED(m_probes.SHGetFolderPathW(NULL, 0x25, NULL, 0, path)))
        return FALSE;
    path[MAX_PATH] = 0;
    if (!m_probes.PathAppendW(path, L"kernel32.dll"))
        return FALSE;
    DWORD handle = 0;
    DWORD size = m_probes.GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return FALSE;
    std::vector<BYTE> block(size);
    if (!m_probes.GetFileVersionInfoW(path, handle, size, &block[0]))
        return FALSE;
    VS_FIXEDFILEINFO* info = NULL;
    UINT len = 0;
    if (!m_probes.VerQueryValueW(&block[0], L"\\", (LPVOID*)&info, &len) || !info || len < sizeof(VS_FIXEDFILEINFO))
        return FALSE;
    ms = info->dwProductVersionMS;
    ls = info->dwProductVersionLS;
    return TRUE;
}

DWORD CSupportList::GetSystemVersion()
{
    DWORD ms, ls;
    return ReadSystemProductVersion(ms, ls) ? ms : 0;
}

WORD CSupportList::GetSystemBuild()
{
    DWORD ms, ls;
    return ReadSystemProductVersion(ms, ls) ? HIWORD(ls) : 0;
}
