#include "supportlist/SupportList.h"
#include <vector>

DWORD CSupportList::GetSystemVersion()
{
    WCHAR path[MAX_PATH + 1] = {0};
    if (FAILED(m_probes.SHGetFolderPathW(NULL, 0x25, NULL, 0, path)))
        return 0;
    path[MAX_PATH] = 0;
    if (!m_probes.PathAppendW(path, L"kernel32.dll"))
        return 0;
    DWORD handle = 0;
    DWORD size = m_probes.GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return 0;
    std::vector<BYTE> block(size);
    DWORD result = 0;
    if (m_probes.GetFileVersionInfoW(path, handle, size, &block[0])) {
        VS_FIXEDFILEINFO* info = NULL;
        UINT len = 0;
        if (m_probes.VerQueryValueW(&block[0], L"\\", (LPVOID*)&info, &len) && info && len >= sizeof(VS_FIXEDFILEINFO))
            result = info->dwProductVersionMS;
    }
    return result;
}
