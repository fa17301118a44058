#include "framework/AfxExcept.h"
#include "framework/AfxApp.h"
#include <cwchar>

const wchar_t AFX_MSG_OUT_OF_MEMORY[] = L"Out of memory.";
const wchar_t AFX_MSG_RESOURCE_FAILURE[] = L"A required resource was unavailable.";

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CResourceException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)

static BOOL CopyMessage(LPCWSTR text, LPWSTR buf, UINT max)
{
    if (!buf || max == 0) return FALSE;
    wcsncpy(buf, text, max - 1);
    buf[max - 1] = 0;
    return TRUE;
}

BOOL CException::GetErrorMessage(LPWSTR buf, UINT max, PUINT) const
{
    return CopyMessage(L"An unsupported operation was attempted.", buf, max);
}

int CException::ReportError(UINT nType, UINT) const
{
    wchar_t text[512];
    GetErrorMessage(text, 512);
    return AfxMessageBox(text, nType);
}

BOOL CMemoryException::GetErrorMessage(LPWSTR buf, UINT max, PUINT) const
{
    return CopyMessage(AFX_MSG_OUT_OF_MEMORY, buf, max);
}

BOOL CResourceException::GetErrorMessage(LPWSTR buf, UINT max, PUINT) const
{
    return CopyMessage(AFX_MSG_RESOURCE_FAILURE, buf, max);
}

BOOL CFileException::GetErrorMessage(LPWSTR buf, UINT max, PUINT) const
{
    return CopyMessage(L"A file error occurred.", buf, max);
}

void AfxThrowMemoryException() { throw new CMemoryException(); }
void AfxThrowResourceException() { throw new CResourceException(); }
void AfxThrowFileException(LONG osError) { throw new CFileException(osError); }
