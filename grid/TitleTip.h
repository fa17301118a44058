// The pop-up that shows a cell's whole text over the cell when it is cut off. It hides when the mouse
// leaves the cell or a key or button is pressed, and passes those events to the window underneath.
#pragma once
#include "framework/AfxWin.h"
#include "framework/AfxGdi.h"

#ifndef CLR_DEFAULT
#define CLR_DEFAULT 0xFF000000L
#endif

#define TITLETIP_CLASSNAME L"ZTitleTip"

class CTitleTip : public CWnd {
public:
    CTitleTip();
    ~CTitleTip() override;

    virtual BOOL Create(CWnd* pParentWnd);
    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void Show(CRect rectTitle, LPCTSTR lpszTitleText, int xoffset = 0, LPRECT lpHoverRect = nullptr,
              const LOGFONT* lpLogFont = nullptr, COLORREF crTextClr = CLR_DEFAULT, COLORREF crBackClr = CLR_DEFAULT);
    void Hide();

    // The window the tip belongs to, before it is created.
    void SetParentWnd(CWnd* pParentWnd) { m_pParentWnd = pParentWnd; }
    CWnd* GetParentWnd() const { return m_pParentWnd; }
    BOOL IsCreated() const { return m_bCreated; }
    const CRect& GetHoverRect() const { return m_rectHover; }

    void OnMouseMove(UINT nFlags, CPoint point);

protected:
    CWnd* m_pParentWnd;
    CRect m_rectHover;
    DWORD m_dwLastLButtonDown;
    DWORD m_dwDoubleClickTime;
    BOOL m_bCreated;

    DECLARE_MESSAGE_MAP()
};
