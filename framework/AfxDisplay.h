// Display scale and contrast: the dots per inch a window is shown at, the system's sizes at that
// scale, icons drawn for a size, and whether the user asked for high contrast. The program runs on
// systems from Windows XP on; whatever a system lacks is looked up at run time and replaced by the
// older way of asking, so that nothing here adds a load-time import.
#pragma once
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_DPICHANGED_BEFOREPARENT
#define WM_DPICHANGED_BEFOREPARENT 0x02E2
#endif
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif
#ifndef SM_CXPADDEDBORDER
#define SM_CXPADDEDBORDER 92
#endif

// The scale every layout number of the program is written for.
const UINT AFX_DEFAULT_DPI = 96;

// The dots per inch of the display the window is on (GetDpiForWindow), else of the screen.
UINT AfxGetWindowDpi(HWND hWnd);
// The dots per inch of the screen as the whole system sees it (the screen's LOGPIXELSY).
UINT AfxGetSystemDpi();
// A length written for 96 dots per inch, at the given scale.
inline int AfxScaleForDpi(int n, UINT dpi) { return ::MulDiv(n, (int)dpi, (int)AFX_DEFAULT_DPI); }

// A system size at the given scale (GetSystemMetricsForDpi), else at the system's scale.
int AfxGetSystemMetricsForDpi(int nIndex, UINT dpi);
// The window rectangle around a client rectangle at the given scale (AdjustWindowRectExForDpi),
// else at the system's scale.
BOOL AfxAdjustWindowRectExForDpi(LPRECT pRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle, UINT dpi);
// An icon resource at exactly cx x cy pixels: the image of that size, or a larger one made smaller
// (LoadIconWithScaleDown), never a smaller one made larger where the system can help it. The caller
// destroys it.
HICON AfxLoadIconForSize(HINSTANCE hInst, LPCWSTR lpszName, int cx, int cy);
// Keeps the system from moving and resizing a dialog's children and fonts itself when its window
// changes scale: the dialog lays itself out again from its own numbers. Nothing where the system
// does not do that.
void AfxTakeOverDialogScaling(HWND hDlg);

// Whether the user's high-contrast mode is on (SPI_GETHIGHCONTRAST): windows then draw with the
// system's colours only.
BOOL AfxIsHighContrast();
// Replaces the system's answer, for systems that cannot switch the mode (tests under Wine): 1 on,
// 0 off, -1 asks the system again.
void AfxSetHighContrastOverride(int nState);

// A dialog template's layout in dialog units, and the font it asks for, so that a dialog can lay
// itself out again at another scale exactly as the dialog manager would have made it there.
struct AfxDialogLayout {
    struct Item {
        int nID;
        RECT rc;   // dialog units
    };
    int cx = 0, cy = 0;   // dialog units
    int nPointSize = 0;   // 0: the template names no font
    Item items[32];
    int nItems = 0;
};
// Reads an extended dialog template (DIALOGEX); FALSE for anything else.
BOOL AfxReadDialogLayout(HINSTANCE hInst, LPCWSTR lpszTemplate, AfxDialogLayout& layout);
// The dialog base units of a font as the dialog manager measures them: the average width of the
// letters and the font's height.
SIZE AfxDialogBaseUnits(HFONT hFont);
// A rectangle in dialog units, in pixels for the given base units, rounded as the dialog manager rounds.
RECT AfxMapDialogRect(const RECT& rc, SIZE baseUnits);
