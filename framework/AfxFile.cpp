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
