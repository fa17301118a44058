#include "framework/AfxDisplay.h"

namespace {
FARPROC User32Entry(const char* name)
{
    HMODULE user = ::GetModuleHandleW(L"user32.dll");
    return user ? ::GetProcAddress(user, name) : nullptr;
}

int g_nHighContrastOverride = -1;
}

UINT AfxGetSystemDpi()
{
    HDC dc = ::GetDC(nullptr);
    int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ::ReleaseDC(nullptr, dc);
    return dpi > 0 ? (UINT)dpi : AFX_DEFAULT_DPI;
}

UINT AfxGetWindowDpi(HWND hWnd)
{
    typedef UINT(WINAPI * GetDpiForWindowFn)(HWND);
    static GetDpiForWindowFn pfn = (GetDpiForWindowFn)User32Entry("GetDpiForWindow");
    if (pfn && hWnd) {
        UINT dpi = pfn(hWnd);
        if (dpi) return dpi;
    }
    return AfxGetSystemDpi();
}

int AfxGetSystemMetricsForDpi(int nIndex, UINT dpi)
{
    typedef int(WINAPI * GetSystemMetricsForDpiFn)(int, UINT);
    static GetSystemMetricsForDpiFn pfn = (GetSystemMetricsForDpiFn)User32Entry("GetSystemMetricsForDpi");
    return pfn ? pfn(nIndex, dpi) : ::GetSystemMetrics(nIndex);
}

BOOL AfxAdjustWindowRectExForDpi(LPRECT pRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle, UINT dpi)
{
    typedef BOOL(WINAPI * AdjustFn)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static AdjustFn pfn = (AdjustFn)User32Entry("AdjustWindowRectExForDpi");
    return pfn ? pfn(pRect, dwStyle, bMenu, dwExStyle, dpi) : ::AdjustWindowRectEx(pRect, dwStyle, bMenu, dwExStyle);
}

HICON AfxLoadIconForSize(HINSTANCE hInst, LPCWSTR lpszName, int cx, int cy)
{
    // The common controls of version 6 come through the manifest and are already loaded; an older
    // library has no such entry and the plain loader picks the nearest image.
    typedef HRESULT(WINAPI * LoadIconWithScaleDownFn)(HINSTANCE, PCWSTR, int, int, HICON*);
    HMODULE common = ::GetModuleHandleW(L"comctl32.dll");
    LoadIconWithScaleDownFn pfn =
        common ? (LoadIconWithScaleDownFn)::GetProcAddress(common, "LoadIconWithScaleDown") : nullptr;
    HICON hIcon = nullptr;
    if (pfn && SUCCEEDED(pfn(hInst, lpszName, cx, cy, &hIcon)) && hIcon) return hIcon;
    return (HICON)::LoadImageW(hInst, lpszName, IMAGE_ICON, cx, cy, 0);
}

void AfxTakeOverDialogScaling(HWND hDlg)
{
    // DDC_DISABLE_ALL: no font update, no resize, no relayout of the children.
    typedef BOOL(WINAPI * SetDialogDpiChangeBehaviorFn)(HWND, int, int);
    static SetDialogDpiChangeBehaviorFn pfn = (SetDialogDpiChangeBehaviorFn)User32Entry("SetDialogDpiChangeBehavior");
    if (pfn && hDlg) pfn(hDlg, 1, 1);
}

BOOL AfxIsHighContrast()
{
    if (g_nHighContrastOverride >= 0) return g_nHighContrastOverride != 0;
    HIGHCONTRASTW hc = {};
    hc.cbSize = sizeof hc;
    if (!::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0)) return FALSE;
    return (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void AfxSetHighContrastOverride(int nState) { g_nHighContrastOverride = nState < 0 ? -1 : (nState != 0); }

namespace {
// A name or number field of a dialog template: 0xFFFF and a number, or a zero-ended string.
const WORD* SkipNameOrNumber(const WORD* p)
{
    if (*p == 0xFFFF) return p + 2;
    while (*p) ++p;
    return p + 1;
}

const WORD* AlignDword(const WORD* p, const BYTE* start)
{
    size_t offset = (const BYTE*)p - start;
    return (const WORD*)(start + ((offset + 3) & ~(size_t)3));
}
}

BOOL AfxReadDialogLayout(HINSTANCE hInst, LPCWSTR lpszTemplate, AfxDialogLayout& layout)
{
    layout = AfxDialogLayout();
    HRSRC res = ::FindResourceW(hInst, lpszTemplate, MAKEINTRESOURCEW(5));   // RT_DIALOG
    HGLOBAL mem = res ? ::LoadResource(hInst, res) : nullptr;
    const BYTE* start = mem ? (const BYTE*)::LockResource(mem) : nullptr;
    DWORD size = res ? ::SizeofResource(hInst, res) : 0;
    if (!start || size < 26) return FALSE;
    const WORD* p = (const WORD*)start;
    if (p[0] != 1 || p[1] != 0xFFFF) return FALSE;   // version 1 of the extended template
    DWORD style = *(const DWORD*)(start + 12);
    int count = p[8];
    layout.cx = (short)p[11];
    layout.cy = (short)p[12];
    p = SkipNameOrNumber(p + 13);   // menu
    p = SkipNameOrNumber(p);        // window class
    p = SkipNameOrNumber(p);        // caption
    if (style & DS_SETFONT) {
        layout.nPointSize = p[0];
        p += 3;   // point size, weight, italic and character set
        p = SkipNameOrNumber(p);
    }
    for (int i = 0; i < count && layout.nItems < (int)(sizeof layout.items / sizeof layout.items[0]); ++i) {
        p = AlignDword(p, start);
        if ((const BYTE*)p + 24 > start + size) return FALSE;
        const short* v = (const short*)p;
        AfxDialogLayout::Item& item = layout.items[layout.nItems++];
        // help id, extended style and style (4 bytes each), then x, y, cx, cy and a 32-bit id
        item.rc.left = v[6];
        item.rc.top = v[7];
        item.rc.right = v[6] + v[8];
        item.rc.bottom = v[7] + v[9];
        item.nID = *(const int*)(p + 10);
        p = SkipNameOrNumber(p + 12);   // class
        p = SkipNameOrNumber(p);        // text
        WORD extra = *p++;
        p = (const WORD*)((const BYTE*)p + extra);
    }
    return TRUE;
}

SIZE AfxDialogBaseUnits(HFONT hFont)
{
    SIZE units = {0, 0};
    HDC dc = ::GetDC(nullptr);
    if (!dc) return units;
    HGDIOBJ old = ::SelectObject(dc, hFont);
    static const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent = {0, 0};
    TEXTMETRICW tm = {};
    if (::GetTextExtentPoint32W(dc, letters, 52, &extent) && ::GetTextMetricsW(dc, &tm)) {
        units.cx = (extent.cx / 26 + 1) / 2;
        units.cy = tm.tmHeight;
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return units;
}

RECT AfxMapDialogRect(const RECT& rc, SIZE baseUnits)
{
    // Place and size are each rounded on their own, as the dialog manager does.
    RECT r;
    r.left = ::MulDiv(rc.left, baseUnits.cx, 4);
    r.right = r.left + ::MulDiv(rc.right - rc.left, baseUnits.cx, 4);
    r.top = ::MulDiv(rc.top, baseUnits.cy, 8);
    r.bottom = r.top + ::MulDiv(rc.bottom - rc.top, baseUnits.cy, 8);
    return r;
}
