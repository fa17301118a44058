// The in-place editor: keys that end editing move the focus to the grid, and the loss of focus ends
// the edit, so every ending goes through one path that reports to the owner and closes the window.
#include "grid/InPlaceEdit.h"

BEGIN_MESSAGE_MAP(CInPlaceEdit, CEdit)
    ON_WM_KILLFOCUS()
    ON_WM_CHAR()
    ON_WM_KEYDOWN()
    ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

// A second EndEdit while the first is still notifying (the owner may move the focus) does nothing.
static BOOL g_bEndingEdit = FALSE;

CInPlaceEdit::CInPlaceEdit(CWnd* pParent, CRect& rect, DWORD dwStyle, UINT nID, int nRow, int nColumn,
                           CString sInitText, UINT nFirstChar)
    : m_nRow(nRow), m_nCol(nColumn), m_strInitText(sInitText), m_nLastChar(0),
      m_bExitOnArrows(nFirstChar != VK_LBUTTON), m_rcEdit(rect)
{
    DWORD dwEditStyle = WS_BORDER | WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | dwStyle;
    if (!Create(dwEditStyle, rect, pParent, nID)) return;

    if (pParent) SendMessage(WM_SETFONT, (WPARAM)pParent->SendMessage(WM_GETFONT), TRUE);
    SetWindowText(sInitText);
    SetFocus();

    switch (nFirstChar) {
    case VK_LBUTTON:
    case VK_RETURN:
        SetSel((int)m_strInitText.GetLength(), -1);
        return;
    case VK_BACK:
        SetSel((int)m_strInitText.GetLength(), -1);
        break;
    case VK_TAB:
    case VK_SPACE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        SetSel(0, -1);
        return;
    default:
        SetSel(0, -1);
        break;
    }
    PostMessage(nFirstChar < 128 ? WM_CHAR : WM_IME_CHAR, nFirstChar, 0);
}

CInPlaceEdit::~CInPlaceEdit() {}

void CInPlaceEdit::PostNcDestroy()
{
    CEdit::PostNcDestroy();
    delete this;
}

BOOL CInPlaceEdit::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_SYSCHAR) return TRUE;
    return CEdit::PreTranslateMessage(pMsg);
}

void CInPlaceEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if ((nChar == VK_PRIOR || nChar == VK_NEXT || nChar == VK_DOWN || nChar == VK_UP || nChar == VK_RIGHT ||
         nChar == VK_LEFT) &&
        (m_bExitOnArrows || (::GetKeyState(VK_CONTROL) < 0))) {
        m_nLastChar = nChar;
        if (CWnd* pParent = GetParent()) pParent->SetFocus();
        return;
    }
    CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CInPlaceEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_TAB || nChar == VK_RETURN) {
        m_nLastChar = nChar;
        if (CWnd* pParent = GetParent()) pParent->SetFocus();
        return;
    }
    if (nChar == VK_ESCAPE) {
        SetWindowText(m_strInitText);
        m_nLastChar = nChar;
        if (CWnd* pParent = GetParent()) pParent->SetFocus();
        return;
    }

    CEdit::OnChar(nChar, nRepCnt, nFlags);
    if (!::IsWindow(m_hWnd)) return;

    // Grow to fit the text, but never past the grid's client edge.
    CString str;
    GetWindowText(str);
    str += L"  ";
    HDC hDC = ::GetWindowDC(m_hWnd);
    if (!hDC) return;
    HGDIOBJ hOld = ::SelectObject(hDC, (HGDIOBJ)SendMessage(WM_GETFONT));
    SIZE size = {0, 0};
    ::GetTextExtentPoint32W(hDC, str, str.GetLength(), &size);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(m_hWnd, hDC);

    if (size.cx > m_rcEdit.Width()) {
        CRect rcParent;
        if (CWnd* pParent = GetParent()) pParent->GetClientRect(&rcParent);
        else rcParent = m_rcEdit;
        m_rcEdit.right = m_rcEdit.left + size.cx;
        if (m_rcEdit.right > rcParent.right) m_rcEdit.right = rcParent.right;
        MoveWindow(&m_rcEdit, TRUE);
    }
}

UINT CInPlaceEdit::OnGetDlgCode()
{
    return DLGC_WANTALLKEYS;
}

void CInPlaceEdit::OnKillFocus(CWnd* pNewWnd)
{
    CEdit::OnKillFocus(pNewWnd);
    EndEdit();
}

void CInPlaceEdit::EndEdit()
{
    if (g_bEndingEdit) return;
    g_bEndingEdit = TRUE;

    HWND hWnd = m_hWnd;
    CString str;
    if (hWnd) GetWindowText(str);

    GRIDDISPINFO dispinfo;
    dispinfo.hdr.hwndFrom = hWnd;
    dispinfo.hdr.idFrom = hWnd ? GetDlgCtrlID() : 0;
    dispinfo.hdr.code = (UINT)GRIDN_ENDEDIT;
    dispinfo.item.row = m_nRow;
    dispinfo.item.col = m_nCol;
    dispinfo.item.mask = 5;
    dispinfo.item.nState = 0;
    dispinfo.item.nFormat = 0;
    dispinfo.item.iImage = 0;
    dispinfo.item.crBkClr = 0;
    dispinfo.item.crFgClr = 0;
    dispinfo.item.lParam = (LPARAM)m_nLastChar;
    ::ZeroMemory(&dispinfo.item.lfFont, sizeof(dispinfo.item.lfFont));
    dispinfo.item.nMargin = 0;
    dispinfo.item.strText = str;

    CWnd* pOwner = hWnd ? GetOwner() : nullptr;
    if (pOwner && ::IsWindow(pOwner->m_hWnd))
        pOwner->SendMessage(WM_NOTIFY, (WPARAM)dispinfo.hdr.idFrom, (LPARAM)&dispinfo);

    // The owner's handling may already have closed the window (and deleted this object).
    if (::IsWindow(hWnd) && CWnd::FromHandlePermanent(hWnd) == this) SendMessage(WM_CLOSE, 0, 0);

    g_bEndingEdit = FALSE;
}
