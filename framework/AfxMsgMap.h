// Message maps: each window class lists the messages it handles; an entry's thunk unpacks the
// message's parameters and calls the handler with the class library's signature.
#pragma once
#include <windows.h>

class CCmdTarget;

typedef BOOL (*AFX_PMSGTHUNK)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;   // window message; WM_COMMAND and WM_NOTIFY entries also match nCode and the id range
    UINT nCode;      // command notification code or WM_NOTIFY code
    UINT nID;        // first control or command id
    UINT nLastID;    // last id
    AFX_PMSGTHUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() \
    { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, 0, nullptr} \
        }; \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap; \
    }

#define AFX_THIS static_cast<ThisClass*>(p)
#define AFX_THUNK [](CCmdTarget* p, WPARAM wParam, LPARAM lParam, LRESULT* r) -> BOOL
#define AFX_UNUSED (void)p; (void)wParam; (void)lParam; (void)r

// Commands and notifications.
#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), AFX_THUNK { AFX_UNUSED; (AFX_THIS->*(memberFxn))(); return TRUE; }},
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(idLast), AFX_THUNK { AFX_UNUSED; (AFX_THIS->*(memberFxn))(LOWORD(wParam)); return TRUE; }},
#define ON_CONTROL(code, id, memberFxn) \
    {WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), AFX_THUNK { AFX_UNUSED; (AFX_THIS->*(memberFxn))(); return TRUE; }},
#define ON_NOTIFY(code, id, memberFxn) \
    {WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id), AFX_THUNK { AFX_UNUSED; *r = 0; (AFX_THIS->*(memberFxn))((NMHDR*)lParam, r); return TRUE; }},
// The enable handler of a command: called with the CCmdUI of the item being brought up to date.
#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id), AFX_THUNK { AFX_UNUSED; (AFX_THIS->*(memberFxn))((CCmdUI*)lParam); return TRUE; }},
#define ON_MESSAGE(message, memberFxn) \
    {(UINT)(message), 0, 0, 0, AFX_THUNK { AFX_UNUSED; *r = (AFX_THIS->*(memberFxn))(wParam, lParam); return TRUE; }},

// Window messages, each with its handler's usual name and signature.
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnPaint(); *r = 0; return TRUE; }},
#define ON_WM_ERASEBKGND() {WM_ERASEBKGND, 0, 0, 0, AFX_THUNK { AFX_UNUSED; *r = AFX_THIS->OnEraseBkgnd(CDC::FromHandle((HDC)wParam)); return TRUE; }},
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnSysCommand((UINT)wParam, lParam); *r = 0; return TRUE; }},
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, 0, 0, AFX_THUNK { AFX_UNUSED; *r = (LRESULT)AFX_THIS->OnQueryDragIcon(); return TRUE; }},
#define ON_WM_SIZE() {WM_SIZE, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnSize((UINT)wParam, (short)LOWORD(lParam), (short)HIWORD(lParam)); *r = 0; return TRUE; }},
#define ON_WM_CREATE() {WM_CREATE, 0, 0, 0, AFX_THUNK { AFX_UNUSED; *r = AFX_THIS->OnCreate((LPCREATESTRUCT)lParam); return TRUE; }},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnDestroy(); *r = 0; return TRUE; }},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnClose(); *r = 0; return TRUE; }},
#define ON_WM_SETCURSOR() {WM_SETCURSOR, 0, 0, 0, AFX_THUNK { AFX_UNUSED; *r = AFX_THIS->OnSetCursor(CWnd::FromHandle((HWND)wParam), LOWORD(lParam), HIWORD(lParam)); return TRUE; }},
#define AFX_MOUSE_ENTRY(msg, fn) {msg, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->fn((UINT)wParam, CPoint(lParam)); *r = 0; return TRUE; }},
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_MOUSEWHEEL() {WM_MOUSEWHEEL, 0, 0, 0, AFX_THUNK { AFX_UNUSED; *r = AFX_THIS->OnMouseWheel(LOWORD(wParam), (short)HIWORD(wParam), CPoint(lParam)); return TRUE; }},
#define AFX_KEY_ENTRY(msg, fn) {msg, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->fn((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); *r = 0; return TRUE; }},
#define ON_WM_KEYDOWN() AFX_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() AFX_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() AFX_KEY_ENTRY(WM_CHAR, OnChar)
#define ON_WM_SYSKEYDOWN() AFX_KEY_ENTRY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_GETDLGCODE() {WM_GETDLGCODE, 0, 0, 0, AFX_THUNK { AFX_UNUSED; *r = AFX_THIS->OnGetDlgCode(); return TRUE; }},
#define ON_WM_SETFOCUS() {WM_SETFOCUS, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnSetFocus(CWnd::FromHandle((HWND)wParam)); *r = 0; return TRUE; }},
#define ON_WM_KILLFOCUS() {WM_KILLFOCUS, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnKillFocus(CWnd::FromHandle((HWND)wParam)); *r = 0; return TRUE; }},
#define ON_WM_HSCROLL() {WM_HSCROLL, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnHScroll(LOWORD(wParam), HIWORD(wParam), (CScrollBar*)CWnd::FromHandle((HWND)lParam)); *r = 0; return TRUE; }},
#define ON_WM_VSCROLL() {WM_VSCROLL, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnVScroll(LOWORD(wParam), HIWORD(wParam), (CScrollBar*)CWnd::FromHandle((HWND)lParam)); *r = 0; return TRUE; }},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnTimer((UINT_PTR)wParam); *r = 0; return TRUE; }},
#define ON_WM_SETTINGCHANGE() {WM_SETTINGCHANGE, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnSettingChange((UINT)wParam, (LPCWSTR)lParam); *r = 0; return TRUE; }},
#define ON_WM_CAPTURECHANGED() {WM_CAPTURECHANGED, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnCaptureChanged(CWnd::FromHandle((HWND)lParam)); *r = 0; return TRUE; }},
#define ON_WM_NCDESTROY() {WM_NCDESTROY, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnNcDestroy(); *r = 0; return TRUE; }},
#define ON_WM_SHOWWINDOW() {WM_SHOWWINDOW, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnShowWindow((BOOL)wParam, (UINT)lParam); *r = 0; return TRUE; }},
#define ON_WM_CONTEXTMENU() {WM_CONTEXTMENU, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnContextMenu(CWnd::FromHandle((HWND)wParam), CPoint(lParam)); *r = 0; return TRUE; }},
#define ON_WM_WINDOWPOSCHANGED() {WM_WINDOWPOSCHANGED, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnWindowPosChanged((WINDOWPOS*)lParam); *r = 0; return TRUE; }},
#define ON_WM_SYSCOLORCHANGE() {WM_SYSCOLORCHANGE, 0, 0, 0, AFX_THUNK { AFX_UNUSED; AFX_THIS->OnSysColorChange(); *r = 0; return TRUE; }},
#define ON_WM_NCHITTEST() {WM_NCHITTEST, 0, 0, 0, AFX_THUNK { AFX_UNUSED; *r = AFX_THIS->OnNcHitTest(CPoint(lParam)); return TRUE; }},
