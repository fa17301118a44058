#include "framework/AfxDlg.h"
#include "framework/AfxApp.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd) return;
    rControl.SubclassDlgItem(nIDC, pDX->m_pDlgWnd);
}

CDialog::CDialog() {}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        // From here on the dialog object sees every message first; what it leaves goes back to
        // the dialog manager, which calls this procedure again and gets FALSE.
        pDlg->SubclassWindow(hWnd);
        return pDlg->OnInitDialog();
    }
    return FALSE;
}

INT_PTR CDialog::DoModal()
{
    m_bModal = TRUE;
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!parent && AfxGetMainWnd() && AfxGetMainWnd() != this) parent = AfxGetMainWnd()->m_hWnd;
    INT_PTR r = ::DialogBoxParamW(AfxGetResourceHandle(), m_lpszTemplateName, parent, AfxDlgProc, (LPARAM)this);
    m_bModal = FALSE;
    return r;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_lpszTemplateName = MAKEINTRESOURCEW(nIDTemplate);
    m_nIDHelp = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    HWND h = ::CreateDialogParamW(AfxGetResourceHandle(), m_lpszTemplateName,
                                  pParentWnd ? pParentWnd->m_hWnd : nullptr, AfxDlgProc, (LPARAM)this);
    return h != nullptr;
}

void CDialog::EndDialog(int nResult)
{
    m_nEndResult = nResult;
    if (m_bModal) ::EndDialog(m_hWnd, nResult);
    else ::DestroyWindow(m_hWnd);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
