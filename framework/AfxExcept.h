// The class library's exceptions: thrown as pointers, deleted by the catcher with Delete().
#pragma once
#include "framework/AfxObject.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}
    void Delete() { if (m_bAutoDelete) delete this; }
    virtual BOOL GetErrorMessage(LPWSTR buf, UINT max, PUINT pnHelpContext = nullptr) const;
    // Shows the exception's standard message in a message box.
    virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0) const;
protected:
    BOOL m_bAutoDelete;
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    using CException::CException;
    BOOL GetErrorMessage(LPWSTR buf, UINT max, PUINT pnHelpContext = nullptr) const override;
};

class CResourceException : public CException {
    DECLARE_DYNAMIC(CResourceException)
public:
    using CException::CException;
    BOOL GetErrorMessage(LPWSTR buf, UINT max, PUINT pnHelpContext = nullptr) const override;
};

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    explicit CFileException(LONG osError = 0) : m_lOsError(osError) {}
    BOOL GetErrorMessage(LPWSTR buf, UINT max, PUINT pnHelpContext = nullptr) const override;
    LONG m_lOsError;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowResourceException();
[[noreturn]] void AfxThrowFileException(LONG osError);

// The standard texts of the class library's messages.
extern const wchar_t AFX_MSG_OUT_OF_MEMORY[];
extern const wchar_t AFX_MSG_RESOURCE_FAILURE[];
