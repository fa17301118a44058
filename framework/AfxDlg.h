// Dialogs from resource templates, and the control binding of DoDataExchange.
#pragma once
#include "framework/AfxWin.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds a dialog control to a window object by subclassing the existing child window, once.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally with the owner disabled; returns what EndDialog was given, or -1 when
    // it could not be created or was destroyed without EndDialog.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (tests host dialogs this way).
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // The result EndDialog was given last (also for a modeless dialog), -1 before.
    int m_nEndResult = -1;
    UINT m_nIDHelp = 0;
    LPCWSTR m_lpszTemplateName = nullptr;
    CWnd* m_pParentWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }
    BOOL m_bModal = FALSE;
    BOOL m_bEndModal = FALSE;
    INT_PTR m_nModalResult = -1;
    // Fetches and dispatches messages until EndDialog or until the window is destroyed; each is offered to PreTranslateMessage and
    // then to the dialog manager's keyboard handling first.
    void RunModalLoop(HWND hDlg);

    DECLARE_MESSAGE_MAP()
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
