// Files: status queries and text-mode line reading.
#pragma once
#include "framework/AfxObject.h"
#include "framework/AfxString.h"
#include <cstdio>

struct CFileStatus {
    FILETIME m_ctime;
    FILETIME m_mtime;
    ULONGLONG m_size;
    DWORD m_attribute;
    WCHAR m_szFullName[MAX_PATH];
};

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags { modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002, shareDenyNone = 0x0040,
                     typeText = 0x4000, typeBinary = 0x8000 };
    // Fills the status of the named file; FALSE when it does not exist.
    static BOOL PASCAL GetStatus(LPCWSTR lpszFileName, CFileStatus& rStatus);
};

// A file read in the C library's text mode: CR LF ends a line like LF, and every byte becomes one
// character of the line.
class CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile() {}
    ~CStdioFile() override { Close(); }
    BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags);
    // Reads the next line without its line end; FALSE at the end of the file or after a read error
    // (see HadReadError). Lines of any length are read whole.
    BOOL ReadString(CString& rString);
    BOOL HadReadError() const { return m_bReadError; }
    // Reading past this many bytes counts as a read error (a file grown beyond any sane size, or a
    // device that never ends). 0: no limit.
    void SetReadLimit(ULONGLONG bytes) { m_nReadLimit = bytes; }
    void Close();
    FILE* m_pStream = nullptr;
private:
    BOOL m_bReadError = FALSE;
    ULONGLONG m_nReadLimit = 0, m_nRead = 0;
};

// Whether path names something that can be read as an ordinary file: not a device name (CON, NUL,
// COM1, ... also with an extension or a folder before it), not a \\.\ or \\?\ device path, not a
// pipe, not a folder, and at most maxBytes long. Returns why not, or an empty text; a file that does
// not exist is left to the caller's open.
CString OrdinaryFileProblem(LPCWSTR path, ULONGLONG maxBytes);
// The part of that which the name alone gives away (devices, device paths, pipes); nothing is opened.
CString DeviceNameProblem(LPCWSTR path);
