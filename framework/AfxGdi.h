// Device contexts and drawing objects over GDI, and image lists over the common controls.
#pragma once
#include "framework/AfxWin.h"
#include <commctrl.h>

class CGdiObject : public CObject {
    DECLARE_DYNAMIC(CGdiObject)
public:
    CGdiObject() {}
    ~CGdiObject() override { DeleteObject(); }
    HGDIOBJ m_hObject = nullptr;
    operator HGDIOBJ() const { return this ? m_hObject : nullptr; }
    HGDIOBJ GetSafeHandle() const { return this ? m_hObject : nullptr; }
    BOOL Attach(HGDIOBJ h) { if (!h) return FALSE; m_hObject = h; return TRUE; }
    HGDIOBJ Detach() { HGDIOBJ h = m_hObject; m_hObject = nullptr; return h; }
    BOOL DeleteObject() { if (!m_hObject) return FALSE; BOOL r = ::DeleteObject(m_hObject); m_hObject = nullptr; return r; }
    int GetObject(int nCount, LPVOID lpObject) const { return ::GetObjectW(m_hObject, nCount, lpObject); }
    BOOL CreateStockObject(int nIndex) { return Attach(::GetStockObject(nIndex)); }
    // A temporary wrapper that does not own the handle.
    static CGdiObject* FromHandle(HGDIOBJ h);
};

class CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)
public:
    CPen() {}
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor) { return Attach(::CreatePen(nPenStyle, nWidth, crColor)); }
    operator HPEN() const { return (HPEN)GetSafeHandle(); }
    static CPen* FromHandle(HPEN h) { return (CPen*)CGdiObject::FromHandle(h); }
};

class CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
public:
    CBrush() {}
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
    BOOL CreateSysColorBrush(int nIndex) { return CreateSolidBrush(::GetSysColor(nIndex)); }
    operator HBRUSH() const { return (HBRUSH)GetSafeHandle(); }
    static CBrush* FromHandle(HBRUSH h) { return (CBrush*)CGdiObject::FromHandle(h); }
};

class CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
public:
    BOOL CreateFontIndirect(const LOGFONTW* lpLogFont) { return Attach(::CreateFontIndirectW(lpLogFont)); }
    int GetLogFont(LOGFONTW* pLogFont) const { return GetObject(sizeof(LOGFONTW), pLogFont); }
    operator HFONT() const { return (HFONT)GetSafeHandle(); }
    static CFont* FromHandle(HFONT h) { return (CFont*)CGdiObject::FromHandle(h); }
};

class CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)
public:
    BOOL CreateCompatibleBitmap(class CDC* pDC, int nWidth, int nHeight);
    BOOL LoadBitmap(UINT nIDResource);
    CSize GetBitmapDimension() const;
    operator HBITMAP() const { return (HBITMAP)GetSafeHandle(); }
    static CBitmap* FromHandle(HBITMAP h) { return (CBitmap*)CGdiObject::FromHandle(h); }
};

class CDC : public CObject {
    DECLARE_DYNAMIC(CDC)
public:
    CDC() {}
    ~CDC() override;
    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;
    operator HDC() const { return this ? m_hDC : nullptr; }
    HDC GetSafeHdc() const { return this ? m_hDC : nullptr; }
    static CDC* FromHandle(HDC hDC);
    BOOL Attach(HDC hDC) { if (!hDC) return FALSE; m_hDC = m_hAttribDC = hDC; return TRUE; }
    HDC Detach() { HDC h = m_hDC; m_hDC = m_hAttribDC = nullptr; return h; }
    BOOL CreateCompatibleDC(CDC* pDC) { return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr)); }
    BOOL DeleteDC() { if (!m_hDC) return FALSE; BOOL r = ::DeleteDC(Detach()); return r; }
    BOOL IsPrinting() const { return m_bPrinting; }
    CWnd* GetWindow() const { return CWnd::FromHandle(::WindowFromDC(m_hDC)); }

    // Selection returns the previously selected object as a temporary wrapper.
    CPen* SelectObject(CPen* p) { return (CPen*)SelectGdiObject(p); }
    CBrush* SelectObject(CBrush* p) { return (CBrush*)SelectGdiObject(p); }
    CFont* SelectObject(CFont* p) { return (CFont*)SelectGdiObject(p); }
    CBitmap* SelectObject(CBitmap* p) { return (CBitmap*)SelectGdiObject(p); }
    CGdiObject* SelectObject(CGdiObject* p) { return SelectGdiObject(p); }
    CGdiObject* SelectStockObject(int nIndex) { return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(nIndex))); }
    CFont* GetCurrentFont() const { return CFont::FromHandle((HFONT)::GetCurrentObject(m_hDC, OBJ_FONT)); }
    CPen* GetCurrentPen() const { return CPen::FromHandle((HPEN)::GetCurrentObject(m_hDC, OBJ_PEN)); }
    CBrush* GetCurrentBrush() const { return CBrush::FromHandle((HBRUSH)::GetCurrentObject(m_hDC, OBJ_BRUSH)); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int n) { return ::RestoreDC(m_hDC, n); }

    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int m) { return ::SetBkMode(m_hDC, m); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    int SetMapMode(int m) { return ::SetMapMode(m_hDC, m); }
    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }
    CPoint SetWindowOrg(int x, int y) { POINT p; ::SetWindowOrgEx(m_hDC, x, y, &p); return p; }
    CPoint SetViewportOrg(int x, int y) { POINT p; ::SetViewportOrgEx(m_hDC, x, y, &p); return p; }
    CPoint GetViewportOrg() const { POINT p; ::GetViewportOrgEx(m_hDC, &p); return p; }
    CPoint GetWindowOrg() const { POINT p; ::GetWindowOrgEx(m_hDC, &p); return p; }
    void LPtoDP(LPRECT r) const { ::LPtoDP(m_hDC, (LPPOINT)r, 2); }
    void DPtoLP(LPRECT r) const { ::DPtoLP(m_hDC, (LPPOINT)r, 2); }
    void LPtoDP(LPPOINT p, int n = 1) const { ::LPtoDP(m_hDC, p, n); }
    void DPtoLP(LPPOINT p, int n = 1) const { ::DPtoLP(m_hDC, p, n); }

    int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }
    int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
    int IntersectClipRect(LPCRECT r) { return IntersectClipRect(r->left, r->top, r->right, r->bottom); }
    int ExcludeClipRect(LPCRECT r) { return ::ExcludeClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
    int SelectClipRgn(HRGN h) { return ::SelectClipRgn(m_hDC, h); }
    BOOL RectVisible(LPCRECT r) const { return ::RectVisible(m_hDC, r); }

    CPoint MoveTo(int x, int y) { POINT p; ::MoveToEx(m_hDC, x, y, &p); return p; }
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    BOOL Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Polygon(const POINT* pts, int n) { return ::Polygon(m_hDC, pts, n); }
    BOOL Polyline(const POINT* pts, int n) { return ::Polyline(m_hDC, pts, n); }
    void FillRect(LPCRECT r, CBrush* pBrush) { ::FillRect(m_hDC, r, pBrush ? (HBRUSH)pBrush->m_hObject : nullptr); }
    void FillSolidRect(LPCRECT r, COLORREF c);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF c);
    void FrameRect(LPCRECT r, CBrush* pBrush) { ::FrameRect(m_hDC, r, pBrush ? (HBRUSH)pBrush->m_hObject : nullptr); }
    void InvertRect(LPCRECT r) { ::InvertRect(m_hDC, r); }
    void DrawFocusRect(LPCRECT r) { ::DrawFocusRect(m_hDC, r); }
    BOOL DrawEdge(LPRECT r, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, r, edge, flags); }
    BOOL DrawFrameControl(LPRECT r, UINT type, UINT state) { return ::DrawFrameControl(m_hDC, r, type, state); }
    void Draw3dRect(LPCRECT r, COLORREF clrTopLeft, COLORREF clrBottomRight);
    BOOL DrawIcon(int x, int y, HICON h) { return ::DrawIcon(m_hDC, x, y, h); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    BOOL BitBlt(int x, int y, int w, int h, CDC* pSrc, int xSrc, int ySrc, DWORD rop)
    { return ::BitBlt(m_hDC, x, y, w, h, pSrc ? pSrc->m_hDC : nullptr, xSrc, ySrc, rop); }

    int DrawText(LPCWSTR text, int n, LPRECT r, UINT format) { return ::DrawTextW(m_hDC, text, n, r, format); }
    int DrawText(const CString& s, LPRECT r, UINT format) { return ::DrawTextW(m_hDC, s, s.GetLength(), r, format); }
    BOOL TextOut(int x, int y, LPCWSTR text, int n) { return ::TextOutW(m_hDC, x, y, text, n); }
    BOOL TextOut(int x, int y, const CString& s) { return TextOut(x, y, s, s.GetLength()); }
    BOOL ExtTextOut(int x, int y, UINT options, LPCRECT r, LPCWSTR text, UINT n, LPINT dx = nullptr)
    { return ::ExtTextOutW(m_hDC, x, y, options, r, text, n, dx); }
    CSize GetTextExtent(LPCWSTR text, int n) const;
    CSize GetTextExtent(const CString& s) const { return GetTextExtent(s, s.GetLength()); }
    BOOL GetTextMetrics(LPTEXTMETRICW tm) const { return ::GetTextMetricsW(m_hDC, tm); }
    UINT SetTextAlign(UINT flags) { return ::SetTextAlign(m_hDC, flags); }

    // Printing of a document: the grid's cells can print themselves into a printer DC.
    int StartDoc(LPCWSTR name);
    int EndDoc() { return ::EndDoc(m_hDC); }
    int StartPage() { return ::StartPage(m_hDC); }
    int EndPage() { return ::EndPage(m_hDC); }

protected:
    CGdiObject* SelectGdiObject(CGdiObject* p);
    BOOL m_bPrinting = FALSE;
    BOOL m_bTemporary = FALSE;
};

// BeginPaint / EndPaint for the lifetime of the object.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;
protected:
    HWND m_hWnd;
};

// GetDC / ReleaseDC for the lifetime of the object.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;
protected:
    HWND m_hWnd;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;
protected:
    HWND m_hWnd;
};

class CImageList : public CObject {
    DECLARE_DYNAMIC(CImageList)
public:
    CImageList() {}
    ~CImageList() override { DeleteImageList(); }
    HIMAGELIST m_hImageList = nullptr;
    operator HIMAGELIST() const { return this ? m_hImageList : nullptr; }
    HIMAGELIST GetSafeHandle() const { return this ? m_hImageList : nullptr; }
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    BOOL DeleteImageList();
    int Add(HICON hIcon) { return ImageList_AddIcon(m_hImageList, hIcon); }
    int Add(CBitmap* pbmImage, COLORREF crMask) { return ImageList_AddMasked(m_hImageList, *pbmImage, crMask); }
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    BOOL GetImageInfo(int nImage, IMAGEINFO* pInfo) const { return ImageList_GetImageInfo(m_hImageList, nImage, pInfo); }
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) { return ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle); }
    HICON ExtractIcon(int nImage) { return ImageList_ExtractIcon(nullptr, m_hImageList, nImage); }
    COLORREF SetBkColor(COLORREF c) { return ImageList_SetBkColor(m_hImageList, c); }
};
