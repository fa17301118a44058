// Command targets and windows: a CWnd wraps one HWND, receives its messages through the window
// procedure it installs (by subclassing), and dispatches them through its message map.
#pragma once
#include "framework/AfxObject.h"
#include "framework/AfxMsgMap.h"
#include "framework/AfxString.h"
#include "framework/AfxTypes.h"

class CDC;
class CMenu;
class CFont;
class CWnd;
class CScrollBar;

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() {}
    // Finds the handler for a command (WM_COMMAND) or notification (WM_NOTIFY) and calls it.
    virtual BOOL OnCmdMsg(UINT nMessage, UINT nCode, UINT nID, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage, UINT nCode, UINT nID);
    friend class CWnd;
    friend class CCmdUI;
};

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd();
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    operator HWND() const { return this ? m_hWnd : nullptr; }
    HWND GetSafeHwnd() const { return this ? m_hWnd : nullptr; }

    // The permanent object of a window, or a temporary wrapper that lives until the next idle time
    // (here: until the thread ends); null for a null handle.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);
    BOOL Attach(HWND hWnd);
    HWND Detach();

    // Replaces the window procedure of an existing window so that this object receives its messages.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();
    virtual void PreSubclassWindow();

    // Creation of new windows; the object is attached before the first message arrives.
    virtual BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CWnd* pParentWnd, UINT_PTR nIDorHMenu, LPVOID lpParam = nullptr);
    virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, LPVOID pContext = nullptr);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs) { (void)cs; return TRUE; }
    virtual void PostNcDestroy() {}

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* pMsg) { (void)pMsg; return FALSE; }
    // Offers a message to the objects of the window it is for and of each parent in turn, up to and
    // including hWndStop (or to the top when hWndStop is null); TRUE when one of them took it.
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
    // Passes the message being handled on to the window's previous procedure.
    LRESULT Default();

    // Window state and text.
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    // The owner the class library reports: the window's owner, else its parent for a child window.
    CWnd* GetOwner() const;
    void SetOwner(CWnd* pOwner) { m_hWndOwner = pOwner ? pOwner->m_hWnd : nullptr; }
    void SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
    int GetWindowText(LPWSTR buf, int max) const { return ::GetWindowTextW(m_hWnd, buf, max); }
    void GetWindowText(CString& s) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
    DWORD GetStyle() const { return (DWORD)::GetWindowLongPtrW(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon) { return (HICON)SendMessage(WM_SETICON, bBigIcon, (LPARAM)hIcon); }
    CMenu* GetSystemMenu(BOOL bRevert) const;

    // Geometry.
    void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
    void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
    void ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
    void ClientToScreen(LPRECT r) const;
    void ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
    void ScreenToClient(LPRECT r) const;
    void MoveWindow(int x, int y, int w, int h, BOOL bRepaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, bRepaint); }
    void MoveWindow(LPCRECT r, BOOL bRepaint = TRUE) { MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, bRepaint); }
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    // Centres a child in its parent; any other window over its owner (or pAlternateOwner) when that
    // is visible and not minimised, else over the work area of its monitor; kept inside that area.
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    static const CWnd wndTop, wndBottom, wndTopMost, wndNoTopMost;

    // Painting.
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void InvalidateRect(LPCRECT r, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, r, bErase); }
    void ValidateRect(LPCRECT r) { ::ValidateRect(m_hWnd, r); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(LPCRECT r = nullptr, HRGN rgn = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    { return ::RedrawWindow(m_hWnd, r, rgn, flags); }
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;

    // Focus, capture, timers, scroll bars.
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC pfn = nullptr) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, pfn); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    int GetScrollPos(int nBar) const { return ::GetScrollPos(m_hWnd, nBar); }
    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE) { return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw); }
    void GetScrollRange(int nBar, LPINT pMin, LPINT pMax) const { ::GetScrollRange(m_hWnd, nBar, pMin, pMax); }
    void SetScrollRange(int nBar, int nMin, int nMax, BOOL bRedraw = TRUE) { ::SetScrollRange(m_hWnd, nBar, nMin, nMax, bRedraw); }
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO p, UINT nMask = SIF_ALL);
    BOOL SetScrollInfo(int nBar, LPSCROLLINFO p, BOOL bRedraw = TRUE) { return ::SetScrollInfo(m_hWnd, nBar, p, bRedraw); }
    int GetScrollLimit(int nBar);
    void ShowScrollBar(UINT nBar, BOOL bShow = TRUE) { ::ShowScrollBar(m_hWnd, nBar, bShow); }
    void EnableScrollBarCtrl(int nBar, BOOL bEnable = TRUE) { ::ShowScrollBar(m_hWnd, nBar, bEnable); }

    // Messages.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::SendMessageW(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::PostMessageW(m_hWnd, message, wParam, lParam); }
    int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK);

protected:
    // Default handlers: each passes its message on to the window's previous procedure.
    void OnPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    HCURSOR OnQueryDragIcon() { return (HCURSOR)Default(); }
    void OnSize(UINT, int, int) { Default(); }
    int OnCreate(LPCREATESTRUCT) { return (int)Default(); }
    void OnDestroy() { Default(); }
    void OnClose() { Default(); }
    void OnNcDestroy() { Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }
    void OnRButtonUp(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    BOOL OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnKeyUp(UINT, UINT, UINT) { Default(); }
    void OnChar(UINT, UINT, UINT) { Default(); }
    void OnSysKeyDown(UINT, UINT, UINT) { Default(); }
    UINT OnGetDlgCode() { return (UINT)Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    void OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
    void OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSettingChange(UINT, LPCWSTR) { Default(); }
    void OnCaptureChanged(CWnd*) { Default(); }
    void OnShowWindow(BOOL, UINT) { Default(); }
    void OnContextMenu(CWnd*, CPoint) { Default(); }
    void OnWindowPosChanged(WINDOWPOS*) { Default(); }
    void OnSysColorChange() { Default(); }
    LRESULT OnNcHitTest(CPoint) { return Default(); }

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

    WNDPROC m_pfnSuper = nullptr;   // the procedure the window had before this object subclassed it
    HWND m_hWndOwner = nullptr;
    BOOL m_bTemporary = FALSE;

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
    friend LRESULT AfxCallWndProc(CWnd*, HWND, UINT, WPARAM, LPARAM);
};

class CScrollBar : public CWnd {
};

// The notification code under which a command's enable handler is listed in a message map.
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

// One user-interface item of a command (a menu item, or a window such as a toolbar button), handed
// to the command's enable handler so that it can say whether the command can act now.
class CCmdUI {
public:
    CCmdUI() {}
    virtual ~CCmdUI() {}
    UINT m_nID = 0;              // the command
    UINT m_nIndex = 0;           // the item's position in m_pMenu
    CMenu* m_pMenu = nullptr;    // the menu that holds the item, or null
    CWnd* m_pOther = nullptr;    // the window that stands for the command, or null
    BOOL m_bEnableChanged = FALSE;

    virtual void Enable(BOOL bOn = TRUE);
    // Routes the item through pTarget's message map to the command's enable handler. Without one,
    // and with bDisableIfNoHandler, the item is enabled exactly when pTarget handles the command.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler);
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The window procedure for window classes that this program registers itself.
WNDPROC AfxGetAfxWndProc();
