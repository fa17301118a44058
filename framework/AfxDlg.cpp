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
        BOOL wasVisible = ::IsWindowVisible(hWnd);
        CRect before;
        ::GetWindowRect(hWnd, &before);
        BOOL r = pDlg->OnInitDialog();
        // A top-level dialog that neither showed nor placed itself while it set up opens centred,
        // whatever size it gave itself.
        CRect after;
        ::GetWindowRect(hWnd, &after);
        if (::IsWindow(hWnd) && !wasVisible && !::IsWindowVisible(hWnd) && !(::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD) &&
            after.TopLeft() == before.TopLeft())
            pDlg->CenterWindow();
        return r;
    }
    return FALSE;
}

INT_PTR CDialog::DoModal()
{
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!owner && AfxGetMainWnd() && AfxGetMainWnd() != this) owner = AfxGetMainWnd()->m_hWnd;
    // Only a top-level window can own a dialog and be disabled for it.
    if (owner) owner = ::GetAncestor(owner, GA_ROOT);
    BOOL disabledOwner = owner && ::IsWindowEnabled(owner);
    if (disabledOwner) ::EnableWindow(owner, FALSE);

    m_bModal = TRUE;
    m_bEndModal = FALSE;
    m_nModalResult = -1;
    HWND h = ::CreateDialogParamW(AfxGetResourceHandle(), m_lpszTemplateName, owner, AfxDlgProc, (LPARAM)this);
    if (h && !m_bEndModal) {
        if (!::IsWindowVisible(h)) ::ShowWindow(h, SW_SHOWNORMAL);
        RunModalLoop(h);
    }
    // Give the owner back its input before this window goes, so that activation returns to it.
    if (h && ::IsWindow(h))
        ::SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (disabledOwner) ::EnableWindow(owner, TRUE);
    if (owner && h && ::GetActiveWindow() == h) ::SetActiveWindow(owner);
    if (h && ::IsWindow(h)) ::DestroyWindow(h);
    m_bModal = FALSE;
    return h ? m_nModalResult : -1;
}

void CDialog::RunModalLoop(HWND hDlg)
{
    MSG msg;
    // A dialog destroyed otherwise than by EndDialog ends its loop too (result -1): nothing could end
    // it any more. The window object lets go of its handle when the window goes.
    while (!m_bEndModal) {
        if (m_hWnd != hDlg) {
            m_nModalResult = -1;
            break;
        }
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is quitting: end this loop and leave the quit for the loop outside.
            ::PostQuitMessage((int)msg.wParam);
            break;
        }
        if (got < 0) break;
        if (AfxPreTranslateMessage(&msg, hDlg)) continue;
        if (::IsWindow(hDlg) && ::IsDialogMessageW(hDlg, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
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
    if (m_bModal) {
        m_nModalResult = nResult;
        m_bEndModal = TRUE;
        // Wakes the loop in case this came from a message that did not pass through it.
        if (m_hWnd) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    } else {
        ::DestroyWindow(m_hWnd);
    }
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
