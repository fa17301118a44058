#include "framework/AfxWin.h"
#include "framework/AfxApp.h"
#include "framework/AfxGdi.h"
#include "framework/AfxCtrls.h"
#include <map>
#include <memory>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)
IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage, UINT nCode, UINT nID)
{
    for (; pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->pfn; ++e) {
            if (e->nMessage != nMessage) continue;
            if (nMessage == WM_COMMAND || nMessage == WM_NOTIFY) {
                if (e->nCode == nCode && nID >= e->nID && nID <= e->nLastID) return e;
            } else {
                return e;
            }
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nMessage, UINT nCode, UINT nID, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), nMessage, nCode, nID);
    if (!e) return FALSE;
    LRESULT r = 0;
    e->pfn(this, wParam, lParam, &r);
    if (pResult) *pResult = r;
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Command state of menu items and windows

void CCmdUI::Enable(BOOL bOn)
{
    if (m_pMenu && m_pMenu->m_hMenu) {
        ::EnableMenuItem(m_pMenu->m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther && m_pOther->m_hWnd) {
        // A window that loses its command keeps no keyboard focus: the focus moves on first.
        if (!bOn && ::GetFocus() == m_pOther->m_hWnd) {
            HWND parent = ::GetParent(m_pOther->m_hWnd);
            if (parent) ::SendMessageW(parent, WM_NEXTDLGCTL, 0, FALSE);
        }
        ::EnableWindow(m_pOther->m_hWnd, bOn);
    }
    m_bEnableChanged = TRUE;
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler)
{
    if (!pTarget || m_nID == 0) return TRUE;
    m_bEnableChanged = FALSE;
    BOOL handled = pTarget->OnCmdMsg(WM_COMMAND, CN_UPDATE_COMMAND_UI, m_nID, 0, (LPARAM)this, nullptr);
    if (bDisableIfNoHandler && !m_bEnableChanged)
        Enable(CCmdTarget::FindMessageEntry(pTarget->GetMessageMap(), WM_COMMAND, 0, m_nID) != nullptr);
    return handled;
}

// ---------------------------------------------------------------------------------------------
// Handle maps and the message being handled

namespace {
struct CurrentMessage {
    CWnd* pWnd;
    MSG msg;
};

struct ThreadState {
    std::map<HWND, CWnd*> permanent;
    std::map<HWND, std::unique_ptr<CWnd>> temporary;
    CurrentMessage* pCurrent = nullptr;
    CWnd* pWndInit = nullptr;   // the object waiting for the window that is being created
    HHOOK hHookCbt = nullptr;
};

ThreadState& State()
{
    static thread_local ThreadState state;
    return state;
}
}

const CWnd CWnd::wndTop, CWnd::wndBottom, CWnd::wndTopMost, CWnd::wndNoTopMost;

static HWND InsertAfterHandle(const CWnd* p)
{
    if (p == &CWnd::wndTop) return HWND_TOP;
    if (p == &CWnd::wndBottom) return HWND_BOTTOM;
    if (p == &CWnd::wndTopMost) return HWND_TOPMOST;
    if (p == &CWnd::wndNoTopMost) return HWND_NOTOPMOST;
    return p ? p->m_hWnd : nullptr;
}

CWnd::CWnd() {}

CWnd::~CWnd()
{
    if (m_hWnd && !m_bTemporary) {
        // The object goes before its window: let the window live on with its old procedure.
        if (::IsWindow(m_hWnd)) {
            if (m_pfnSuper) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
            else ::DestroyWindow(m_hWnd);
        }
        Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto& perm = State().permanent;
    auto it = perm.find(hWnd);
    return it == perm.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd) return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd)) return p;
    auto& temp = State().temporary;
    auto it = temp.find(hWnd);
    if (it != temp.end()) return it->second.get();
    CWnd* p = new CWnd;
    p->m_hWnd = hWnd;
    p->m_bTemporary = TRUE;
    temp[hWnd].reset(p);
    return p;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd) return FALSE;
    State().temporary.erase(hWnd);
    m_hWnd = hWnd;
    State().permanent[hWnd] = this;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h) {
        auto& perm = State().permanent;
        auto it = perm.find(h);
        if (it != perm.end() && it->second == this) perm.erase(it);
    }
    m_hWnd = nullptr;
    return h;
}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || !Attach(hWnd)) return FALSE;
    PreSubclassWindow();
    WNDPROC old = (WNDPROC)::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
    if (old != &AfxWndProc) m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    HWND h = ::GetDlgItem(pParent->m_hWnd, nID);
    return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
    return Detach();
}

// Attaches the object that CreateEx is creating a window for, before that window's first message.
LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    ThreadState& st = State();
    if (code == HCBT_CREATEWND && st.pWndInit) {
        HWND h = (HWND)wParam;
        CWnd* pWnd = st.pWndInit;
        st.pWndInit = nullptr;
        pWnd->Attach(h);
        pWnd->PreSubclassWindow();
        WNDPROC old = (WNDPROC)::SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
        if (old != &AfxWndProc) pWnd->m_pfnSuper = old;
    }
    return CallNextHookEx(st.hHookCbt, code, wParam, lParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT_PTR nIDorHMenu, LPVOID lpParam)
{
    CREATESTRUCTW cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = dwStyle;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    cs.hMenu = (HMENU)nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) return FALSE;

    ThreadState& st = State();
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, AfxCbtFilterHook, nullptr, ::GetCurrentThreadId());
    st.hHookCbt = hook;
    st.pWndInit = this;
    HWND h = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                               cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    st.pWndInit = nullptr;
    ::UnhookWindowsHookEx(hook);
    st.hHookCbt = nullptr;
    if (!h) {
        if (m_hWnd) Detach();
        return FALSE;
    }
    if (m_hWnd != h) SubclassWindow(h);
    return TRUE;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, nullptr);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

// ---------------------------------------------------------------------------------------------
// Dispatch

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ThreadState& st = State();
    CurrentMessage cur = {pWnd, {hWnd, message, wParam, lParam, 0, {0, 0}}};
    CurrentMessage* prev = st.pCurrent;
    st.pCurrent = &cur;
    LRESULT r = pWnd->WindowProc(message, wParam, lParam);
    st.pCurrent = prev;
    if (message == WM_NCDESTROY) {
        WNDPROC super = pWnd->m_pfnSuper;
        pWnd->Detach();
        pWnd->m_pfnSuper = nullptr;
        if (super) ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)super);
        pWnd->PostNcDestroy();
    }
    return r;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    return AfxCallWndProc(pWnd, hWnd, message, wParam, lParam);
}

WNDPROC AfxGetAfxWndProc() { return &AfxWndProc; }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT r = 0;
    if (!OnWndMsg(message, wParam, lParam, &r)) r = DefWindowProc(message, wParam, lParam);
    return r;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) {
            *pResult = 0;
            return TRUE;
        }
        return FALSE;
    }
    if (message == WM_NOTIFY) {
        LRESULT r = 0;
        if (OnNotify(wParam, lParam, &r)) {
            *pResult = r;
            return TRUE;
        }
        return FALSE;
    }
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), message, 0, 0);
    if (!e) return FALSE;
    return e->pfn(this, wParam, lParam, pResult);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    UINT nCode = HIWORD(wParam);
    // Menu commands and accelerators arrive with code 0 or 1; both count as plain commands.
    if (lParam == 0 && nCode == 1) nCode = 0;
    return OnCmdMsg(WM_COMMAND, nCode, nID, wParam, lParam, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* nm = (NMHDR*)lParam;
    if (!nm) return FALSE;
    return OnCmdMsg(WM_NOTIFY, nm->code, (UINT)nm->idFrom, (WPARAM)nm->idFrom, lParam, pResult);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    CurrentMessage* cur = State().pCurrent;
    if (!cur) return 0;
    return DefWindowProc(cur->msg.message, cur->msg.wParam, cur->msg.lParam);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

// ---------------------------------------------------------------------------------------------
// Window operations

CWnd* CWnd::GetOwner() const
{
    if (m_hWndOwner) return FromHandle(m_hWndOwner);
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (!owner && (GetStyle() & WS_CHILD)) owner = ::GetParent(m_hWnd);
    return FromHandle(owner);
}

void CWnd::GetWindowText(CString& s) const
{
    int n = ::GetWindowTextLengthW(m_hWnd);
    LPWSTR p = s.GetBufferSetLength(n + 1);
    ::GetWindowTextW(m_hWnd, p, n + 1);
    s.ReleaseBuffer();
}

static BOOL ModifyLong(HWND h, int index, DWORD remove, DWORD add, UINT nFlags)
{
    DWORD style = (DWORD)::GetWindowLongPtrW(h, index);
    DWORD newStyle = (style & ~remove) | add;
    if (style == newStyle) return FALSE;
    ::SetWindowLongPtrW(h, index, (LONG_PTR)newStyle);
    if (nFlags) ::SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) { return ModifyLong(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags); }
BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) { return ModifyLong(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags); }

void CWnd::ClientToScreen(LPRECT r) const
{
    ::ClientToScreen(m_hWnd, (LPPOINT)&r->left);
    ::ClientToScreen(m_hWnd, (LPPOINT)&r->right);
}

void CWnd::ScreenToClient(LPRECT r) const
{
    ::ScreenToClient(m_hWnd, (LPPOINT)&r->left);
    ::ScreenToClient(m_hWnd, (LPPOINT)&r->right);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return ::SetWindowPos(m_hWnd, InsertAfterHandle(pWndInsertAfter), x, y, cx, cy, nFlags);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    DWORD style = GetStyle();
    HWND hCenter = pAlternateOwner ? pAlternateOwner->m_hWnd : nullptr;
    CRect area, over;
    if (style & WS_CHILD) {
        HWND parent = ::GetParent(m_hWnd);
        ::GetClientRect(parent, &area);
        over = area;
        if (hCenter && hCenter != parent) {
            ::GetWindowRect(hCenter, &over);
            ::MapWindowPoints(nullptr, parent, (LPPOINT)&over, 2);
        }
    } else {
        if (!hCenter) hCenter = ::GetWindow(m_hWnd, GW_OWNER);
        if (hCenter && (!::IsWindowVisible(hCenter) || ::IsIconic(hCenter))) hCenter = nullptr;
        MONITORINFO mi = {sizeof mi};
        HMONITOR mon = ::MonitorFromWindow(hCenter ? hCenter : m_hWnd, MONITOR_DEFAULTTONEAREST);
        if (mon && ::GetMonitorInfoW(mon, &mi)) area = mi.rcWork;
        else ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        if (hCenter) ::GetWindowRect(hCenter, &over);
        else over = area;
    }
    CRect me;
    ::GetWindowRect(m_hWnd, &me);
    int x = (over.left + over.right) / 2 - me.Width() / 2;
    int y = (over.top + over.bottom) / 2 - me.Height() / 2;
    // A window wider or taller than the area shows its top-left part rather than losing its caption.
    if (x + me.Width() > area.right) x = area.right - me.Width();
    if (x < area.left) x = area.left;
    if (y + me.Height() > area.bottom) y = area.bottom - me.Height();
    if (y < area.top) y = area.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
        CWnd* pWnd = FromHandlePermanent(h);
        if (pWnd && pWnd->PreTranslateMessage(pMsg)) return TRUE;
        if (h == hWndStop) break;
    }
    return FALSE;
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const
{
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

CDC* CWnd::GetDC()
{
    HDC h = ::GetDC(m_hWnd);
    return h ? CDC::FromHandle(h) : nullptr;
}

int CWnd::ReleaseDC(CDC* pDC)
{
    if (!pDC) return 0;
    return ::ReleaseDC(m_hWnd, pDC->m_hDC);
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    SendMessage(WM_SETFONT, (WPARAM)(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const
{
    return CFont::FromHandle((HFONT)SendMessage(WM_GETFONT));
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO p, UINT nMask)
{
    p->cbSize = sizeof(SCROLLINFO);
    p->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, nBar, p);
}

int CWnd::GetScrollLimit(int nBar)
{
    SCROLLINFO si = {};
    if (!GetScrollInfo(nBar, &si, SIF_RANGE | SIF_PAGE)) return 0;
    int limit = si.nMax - (si.nPage ? (int)si.nPage - 1 : 0);
    return limit > 0 ? limit : 0;
}

int CWnd::MessageBox(LPCWSTR text, LPCWSTR caption, UINT type)
{
    if (!caption) caption = AfxGetAppName();
    return ::MessageBoxW(m_hWnd, text, caption, type);
}
