// The title tip: a borderless top-most pop-up laid over a cell whose text is cut off.
#include "grid/TitleTip.h"
#include "framework/AfxApp.h"
#include "framework/AfxExcept.h"

BEGIN_MESSAGE_MAP(CTitleTip, CWnd)
    ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

CTitleTip::CTitleTip()
    : m_pParentWnd(nullptr), m_dwLastLButtonDown(0xFFFFFFFF), m_dwDoubleClickTime(::GetDoubleClickTime()),
      m_bCreated(FALSE)
{
    HINSTANCE hInst = AfxGetInstanceHandle();
    WNDCLASSW wc;
    if (!::GetClassInfoW(hInst, TITLETIP_CLASSNAME, &wc)) {
        wc.style = CS_SAVEBITS;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.cbClsExtra = 0;
        wc.cbWndExtra = 0;
        wc.hInstance = hInst;
        wc.hIcon = nullptr;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_INFOBK + 1);
        wc.lpszMenuName = nullptr;
        wc.lpszClassName = TITLETIP_CLASSNAME;
        if (!::RegisterClassW(&wc)) AfxThrowResourceException();
    }
}

CTitleTip::~CTitleTip()
{
    if (::IsWindow(m_hWnd)) DestroyWindow();
}

BOOL CTitleTip::Create(CWnd* pParentWnd)
{
    if (m_bCreated) return TRUE;
    m_pParentWnd = pParentWnd;
    // A pop-up takes no default position or size from the system (CW_USEDEFAULT means 0 for it);
    // Show places and sizes the tip each time.
    m_bCreated = CWnd::CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TITLETIP_CLASSNAME, nullptr, WS_POPUP | WS_BORDER,
                                CRect(0, 0, 0, 0), nullptr, 0);
    return m_bCreated;
}

BOOL CTitleTip::DestroyWindow()
{
    m_bCreated = FALSE;
    return CWnd::DestroyWindow();
}

void CTitleTip::Hide()
{
    if (!::IsWindow(m_hWnd)) return;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    ShowWindow(SW_HIDE);
}

void CTitleTip::Show(CRect rectTitle, LPCTSTR lpszTitleText, int xoffset, LPRECT lpHoverRect,
                     const LOGFONT* lpLogFont, COLORREF crTextClr, COLORREF crBackClr)
{
    if (!::IsWindow(m_hWnd)) Create(m_pParentWnd);
    if (!::IsWindow(m_hWnd) || !m_pParentWnd) return;
    if (rectTitle.IsRectEmpty() || IsWindowVisible()) return;

    // The hover area is kept in the tip's client coordinates as they are once the tip stands over
    // the cell: converted before the move it would be relative to wherever the tip stood last, and
    // the first mouse move inside the cell would hide the tip.
    CRect rectHoverScreen = lpHoverRect ? CRect(*lpHoverRect) : rectTitle;
    rectHoverScreen.right++;
    rectHoverScreen.bottom++;
    m_pParentWnd->ClientToScreen(&rectHoverScreen);
    m_rectHover = rectHoverScreen;
    ScreenToClient(&m_rectHover);

    // Only for an active application.
    if (!::GetFocus()) return;

    m_pParentWnd->ClientToScreen(&rectTitle);
    HDC hDC = ::GetDC(m_hWnd);
    if (!hDC) return;
    CString strTitle = CString(L" ") + (lpszTitleText ? lpszTitleText : L"") + L" ";

    CFont font;
    HGDIOBJ hOldFont;
    if (lpLogFont) {
        font.CreateFontIndirect(lpLogFont);
        hOldFont = ::SelectObject(hDC, font.GetSafeHandle());
    } else {
        hOldFont = ::SelectObject(hDC, (HGDIOBJ)m_pParentWnd->SendMessage(WM_GETFONT));
    }

    SIZE size = {0, 0};
    ::GetTextExtentPoint32W(hDC, strTitle, strTitle.GetLength(), &size);
    TEXTMETRICW tm;
    ::GetTextMetricsW(hDC, &tm);
    size.cx += tm.tmOverhang;

    CRect rectDisplay = rectTitle;
    rectDisplay.left += xoffset;
    rectDisplay.right = rectDisplay.left + size.cx + xoffset;

    if (rectDisplay.right > rectTitle.right - xoffset) {
        SetWindowPos(&wndTop, rectDisplay.left, rectDisplay.top, rectDisplay.Width(), rectDisplay.Height(),
                     SWP_SHOWWINDOW | SWP_NOACTIVATE);
        m_rectHover = rectHoverScreen;
        ScreenToClient(&m_rectHover);
        if (crBackClr != CLR_DEFAULT) {
            HBRUSH hBrush = ::CreateSolidBrush(crBackClr);
            HGDIOBJ hOldBrush = ::SelectObject(hDC, hBrush);
            RECT rcClip;
            ::GetClipBox(hDC, &rcClip);
            ::PatBlt(hDC, rcClip.left, rcClip.top, rcClip.right - rcClip.left, rcClip.bottom - rcClip.top, PATCOPY);
            ::SelectObject(hDC, hOldBrush);
            ::DeleteObject(hBrush);
        }
        if (crTextClr != CLR_DEFAULT) ::SetTextColor(hDC, crTextClr);
        ::SetBkMode(hDC, TRANSPARENT);
        ::TextOutW(hDC, 0, 0, strTitle, strTitle.GetLength());
        SetCapture();
    }

    ::SelectObject(hDC, hOldFont);
    ::ReleaseDC(m_hWnd, hDC);
}

void CTitleTip::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_rectHover.PtInRect(point)) return;
    Hide();

    ClientToScreen(&point);
    HWND hTarget = ::WindowFromPoint(point);
    if (hTarget == m_hWnd && m_pParentWnd) hTarget = m_pParentWnd->m_hWnd;
    if (!hTarget) return;
    LRESULT hit = ::SendMessageW(hTarget, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    if (hit == HTCLIENT) {
        ::ScreenToClient(hTarget, &point);
        ::PostMessageW(hTarget, WM_MOUSEMOVE, nFlags, MAKELPARAM(point.x, point.y));
    } else {
        ::PostMessageW(hTarget, WM_NCMOUSEMOVE, hit, MAKELPARAM(point.x, point.y));
    }
}

BOOL CTitleTip::PreTranslateMessage(MSG* pMsg)
{
    switch (pMsg->message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        BOOL bDoubleClick = FALSE;
        if (pMsg->message == WM_LBUTTONDOWN) {
            DWORD now = ::GetTickCount();
            bDoubleClick = (DWORD)(now - m_dwLastLButtonDown) <= m_dwDoubleClickTime;
            m_dwLastLButtonDown = now;
        }
        POINT pt = {(short)LOWORD(pMsg->lParam), (short)HIWORD(pMsg->lParam)};
        ::ClientToScreen(pMsg->hwnd, &pt);
        Hide();
        HWND hTarget = ::WindowFromPoint(pt);
        if (!hTarget) return CWnd::PreTranslateMessage(pMsg);
        if (hTarget == m_hWnd && m_pParentWnd) hTarget = m_pParentWnd->m_hWnd;
        LRESULT hit = ::SendMessageW(hTarget, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
        UINT message = pMsg->message;
        WPARAM wParam = pMsg->wParam;
        LPARAM lParam;
        if (hit == HTCLIENT) {
            ::ScreenToClient(hTarget, &pt);
            lParam = MAKELPARAM(pt.x, pt.y);
        } else {
            message = message == WM_LBUTTONDOWN ? WM_NCLBUTTONDOWN
                    : message == WM_RBUTTONDOWN ? WM_NCRBUTTONDOWN : WM_NCMBUTTONDOWN;
            wParam = hit;
            lParam = MAKELPARAM(pt.x, pt.y);
        }
        if (bDoubleClick && pMsg->message == WM_LBUTTONDOWN)
            message = hit == HTCLIENT ? WM_LBUTTONDBLCLK : WM_NCLBUTTONDBLCLK;
        ::PostMessageW(hTarget, message, wParam, lParam);
        return TRUE;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        Hide();
        if (m_pParentWnd) m_pParentWnd->PostMessage(pMsg->message, pMsg->wParam, pMsg->lParam);
        return TRUE;
    }
    if (!::GetFocus()) {
        Hide();
        return TRUE;
    }
    return CWnd::PreTranslateMessage(pMsg);
}
