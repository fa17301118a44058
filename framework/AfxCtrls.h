// Thin wrappers of the standard controls and of menus.
#pragma once
#include "framework/AfxWin.h"

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
};

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
};

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
    { return CWnd::CreateEx(0, L"EDIT", nullptr, dwStyle, rect, pParentWnd, nID); }
    void SetSel(int nStart, int nEnd, BOOL bNoScroll = FALSE)
    { SendMessage(EM_SETSEL, nStart, nEnd); if (!bNoScroll) SendMessage(EM_SCROLLCARET); }
    DWORD GetSel() const { return (DWORD)SendMessage(EM_GETSEL); }
    void GetSel(int& nStart, int& nEnd) const { SendMessage(EM_GETSEL, (WPARAM)&nStart, (LPARAM)&nEnd); }
    void ReplaceSel(LPCWSTR text, BOOL bCanUndo = FALSE) { SendMessage(EM_REPLACESEL, bCanUndo, (LPARAM)text); }
    void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, nChars); }
    int LineFromChar(int nIndex = -1) const { return (int)SendMessage(EM_LINEFROMCHAR, nIndex); }
    int GetLineCount() const { return (int)SendMessage(EM_GETLINECOUNT); }
};

// A menu handle; temporary wrappers for handles the system owns.
class CMenu : public CObject {
    DECLARE_DYNAMIC(CMenu)
public:
    CMenu() {}
    HMENU m_hMenu = nullptr;
    operator HMENU() const { return this ? m_hMenu : nullptr; }
    static CMenu* FromHandle(HMENU hMenu);
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr)
    { return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem); }
    UINT GetMenuItemCount() const { return (UINT)::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    int GetMenuString(UINT nIDItem, CString& s, UINT nFlags) const;
};
