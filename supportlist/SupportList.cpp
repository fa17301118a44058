#include "supportlist/SupportList.h"
#include "supportlist/OsTags.h"
#include "framework/AfxFile.h"

int CNetvetterCheck::RunCheck()
{
    DeleteAdapterRecords(m_list);
    m_adapters.EnumerateAdapters();
    return m_support.ApplySupportList() ? 1 : 0;
}

CString CSupportList::GetListPath()
{
    if (!m_strOverridePath.IsEmpty())
        return m_strOverridePath;
    WCHAR self[MAX_PATH + 1];
    DWORD n = m_probes.GetModuleFileNameW(NULL, self, MAX_PATH);
    if (n > MAX_PATH) n = MAX_PATH;
    self[n] = 0;
    CString path(self);
    int slash = path.ReverseFind(L'\\');
    if (slash >= 0)
        path = path.Left(slash);
    return path + L"\\driverinfo.txt";
}

// The character at pos, or 0 when the line is too short: such positions compare unequal.
static WCHAR At(const CString& s, int pos) { return pos < s.GetLength() ? s.GetAt(pos) : 0; }

static void UpperAscii(CString& s)
{
    std::wstring w((LPCWSTR)s, s.GetLength());
    for (size_t i = 0; i < w.size(); ++i)
        if (w[i] >= L'a' && w[i] <= L'z') w[i] = (WCHAR)(w[i] - 32);
    s = CString(w);
}

int CSupportList::ApplySupportList()
{
    DWORD sysVer = GetSystemVersion();
    WORD sysMajor = HIWORD(sysVer), sysMinor = LOWORD(sysVer);
    OSVERSIONINFOEXW osvi;
    ZeroMemory(&osvi, sizeof(osvi));
    osvi.dwOSVersionInfoSize = sizeof(osvi);
    if (!m_probes.GetVersionExW((LPOSVERSIONINFOW)&osvi))
        osvi.dwMajorVersion = osvi.dwMinorVersion = 0;
    DWORD major = osvi.dwMajorVersion, minor = osvi.dwMinorVersion;
    BOOL wow64 = FALSE;
    WORD arch = 0xFFFF;
    BOOL(WINAPI * isWow64)(HANDLE, PBOOL) = m_probes.GetIsWow64Process();
    if (isWow64) {
        BOOL flag = FALSE;
        if (isWow64(m_probes.GetCurrentProcess(), &flag)) {
            wow64 = flag;
            void(WINAPI * native)(LPSYSTEM_INFO) = m_probes.GetGetNativeSystemInfo();
            if (native) {
                SYSTEM_INFO si;
                ZeroMemory(&si, sizeof(si));
                si.wProcessorArchitecture = 0xFFFF;
                native(&si);
                arch = si.wProcessorArchitecture;
            }
        }
    }
    BOOL nativeX64 = (arch == 9);
    BOOL filter = wow64 && (sysMajor < 6 || sysMinor == 0);

    CString path = GetListPath();
    CStdioFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeText)) {
        CString msg;
        msg.Format(L"Can't open %s.\nCheck to make sure %s exists.", (LPCWSTR)path, (LPCWSTR)path);
        AfxMessageBox(msg, MB_OK | MB_ICONWARNING);
        return 0;
    }
    // Whoever names the list (the report's options, a snapshot) refuses devices and oversized files
    // beforehand; this bound keeps any other from growing memory without end.
    file.SetReadLimit(kMaxListBytes);
    CString line;
    while (file.ReadString(line)) {
        if (line.IsEmpty() || line.GetAt(0) == L'#')
            continue;
        UpperAscii(line);
        for (INT_PTR i = 0; i < m_list.GetSize(); ++i) {
            CAdapterRecord* rec = GetAdapter(m_list, i);
            if (rec && line.Find(rec->HardwareId) >= 0)
                rec->Supported = 1;
        }
        int lineOsOk = 0;
        if (line.GetAt(0) == L'_') {
            for (size_t t = 0; t < kOsTagCount && !lineOsOk; ++t) {
                const OsTag& tag = kOsTags[t];
                BOOL reported = tag.source == OsTag::Reported;
                DWORD tagMajor = reported ? major : sysMajor, tagMinor = reported ? minor : sysMinor;
                if (OsTagCharsFit(tag, line, line.GetLength()) && tagMajor == (DWORD)tag.major &&
                    (tag.minor < 0 || tagMinor == (DWORD)tag.minor) &&
                    (tag.bitness == OsTag::AnyBitness || (tag.bitness == OsTag::Only64Bit) == (wow64 != FALSE)))
                    lineOsOk = 1;
            }
            if (filter) {
                if (major == 6 && minor == 0 && !(At(line, 1) == L'W' && At(line, 2) == L'L' && At(line, 3) == L'H'))
                    continue;
                int us = line.Find(L'_', 1);
                if (us < 0)
                    continue;
                if (nativeX64 && !(At(line, us + 1) == L'X' && At(line, us + 2) == L'6' && At(line, us + 3) == L'4'))
                    continue;
            }
            int comma = line.Find(L',');
            if (comma >= 0)
                line = line.Mid(comma + 1);
        }
        int comma = line.Find(L',');
        CString idField;
        if (comma >= 0) {
            idField = line.Left(comma);
            idField.Trim();
        }
        BOOL lineIntel = line.Find(L"INTEL(R) PRO/WIRELESS 3945") >= 0;
        for (INT_PTR i = 0; i < m_list.GetSize(); ++i) {
            CAdapterRecord* rec = GetAdapter(m_list, i);
            if (!rec)
                continue;
            if (!idField.IsEmpty() && idField.Find(rec->HardwareId) >= 0) {
                rec->Supported = 1;
                if (rec->OsCompatible == 0) rec->OsCompatible = (short)lineOsOk;
            }
            if (lineIntel && rec->Description.Find(L"Intel(R) PRO/Wireless 3945") >= 0) {
                rec->Supported = 1;
                if (rec->OsCompatible == 0) rec->OsCompatible = (short)lineOsOk;
            }
        }
    }
    // A read error ends the loop like the end of the file does; it is no success.
    BOOL readError = file.HadReadError();
    file.Close();
    return readError ? 0 : 1;
}
