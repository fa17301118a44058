#include "framework/AfxFile.h"
#include <string>

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)

BOOL PASCAL CFile::GetStatus(LPCWSTR lpszFileName, CFileStatus& rStatus)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!lpszFileName || !::GetFileAttributesExW(lpszFileName, GetFileExInfoStandard, &data)) return FALSE;
    rStatus.m_ctime = data.ftCreationTime;
    rStatus.m_mtime = data.ftLastWriteTime;
    rStatus.m_size = ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    rStatus.m_attribute = data.dwFileAttributes;
    DWORD n = ::GetFullPathNameW(lpszFileName, MAX_PATH, rStatus.m_szFullName, nullptr);
    if (n == 0 || n >= MAX_PATH) rStatus.m_szFullName[0] = 0;
    return TRUE;
}

BOOL CStdioFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags)
{
    Close();
    const wchar_t* mode = (nOpenFlags & modeReadWrite) ? L"r+t" : (nOpenFlags & modeWrite) ? L"wt" : L"rt";
    if (nOpenFlags & typeBinary) mode = (nOpenFlags & (modeWrite | modeReadWrite)) ? L"r+b" : L"rb";
    m_pStream = _wfopen(lpszFileName, mode);
    m_bReadError = FALSE;
    m_nRead = 0;
    return m_pStream != nullptr;
}

BOOL CStdioFile::ReadString(CString& rString)
{
    rString.Empty();
    if (!m_pStream) return FALSE;
    std::wstring line;
    int c;
    bool any = false;
    while ((c = fgetc(m_pStream)) != EOF) {
        if (m_nReadLimit && ++m_nRead > m_nReadLimit) {
            m_bReadError = TRUE;
            return FALSE;
        }
        any = true;
        if (c == '\n') break;
        line += (wchar_t)(unsigned char)c;
    }
    if (c == EOF && ferror(m_pStream)) {
        m_bReadError = TRUE;
        return FALSE;
    }
    rString = CString(line);
    return any;
}

void CStdioFile::Close()
{
    if (m_pStream) fclose(m_pStream);
    m_pStream = nullptr;
}

static bool IsDeviceName(std::wstring name)
{
    // The base name counts: "CON.txt" and "nul " name the devices too.
    size_t cut = name.find_first_of(L".:");
    if (cut != std::wstring::npos) name.resize(cut);
    while (!name.empty() && name.back() == L' ') name.pop_back();
    for (wchar_t& c : name)
        if (c >= L'a' && c <= L'z') c = (wchar_t)(c - 32);
    static const wchar_t* const devices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* d : devices)
        if (name == d) return true;
    return name.size() == 4 && (name.compare(0, 3, L"COM") == 0 || name.compare(0, 3, L"LPT") == 0) &&
           name[3] >= L'0' && name[3] <= L'9';
}

CString DeviceNameProblem(LPCWSTR path)
{
    std::wstring p = path ? path : L"";
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    if (p.compare(0, 4, L"\\\\.\\") == 0 || p.compare(0, 4, L"\\\\?\\") == 0 || p.compare(0, 4, L"\\??\\") == 0)
        return L"is a device path, not a file";
    size_t slash = p.find_last_of(L"\\:");
    if (IsDeviceName(slash == std::wstring::npos ? p : p.substr(slash + 1)))
        return L"names a device, not a file";
    // Pipes on another machine: \\server\pipe\name.
    if (p.compare(0, 2, L"\\\\") == 0) {
        size_t share = p.find(L'\\', 2);
        if (share != std::wstring::npos && _wcsnicmp(p.c_str() + share, L"\\PIPE\\", 6) == 0)
            return L"is a pipe, not a file";
    }
    return CString();
}

CString OrdinaryFileProblem(LPCWSTR path, ULONGLONG maxBytes)
{
    CString why = DeviceNameProblem(path);
    if (!why.IsEmpty())
        return why;
    HANDLE h = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return CString();
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(h) != FILE_TYPE_DISK)
        why = L"is not an ordinary file";
    else if (::GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        why = L"is a folder, not a file";
    else {
        LARGE_INTEGER size;
        size.QuadPart = 0;
        if (::GetFileSizeEx(h, &size) && (ULONGLONG)size.QuadPart > maxBytes) {
            why.Format(L"is larger than %I64u MB", maxBytes / (1024 * 1024));
        }
    }
    ::CloseHandle(h);
    return why;
}
