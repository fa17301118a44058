// Drawing, measuring and printing of a cell: the operations of CGridCellBase that every cell
// class shares.
#include "grid/cells/GridCellBase.h"
#include "grid/cells/GridCell.h"
#include "grid/GridCtrl.h"

namespace {
// Fills and lines in GDI leave out the right and bottom edge of a rectangle; cell rectangles are
// inclusive, so fills grow them by one pixel there.
inline void GrowRightBottom(CRect& r, int n)
{
    r.right += n;
    r.bottom += n;
}

BOOL ImageInfo(CGridCtrl* pGrid, int nImage, IMAGEINFO& info)
{
    CImageList* pList = pGrid ? pGrid->GetImageList() : nullptr;
    if (!pList || !pList->GetSafeHandle() || nImage < 0) return FALSE;
    return pList->GetImageInfo(nImage, &info);
}

// The raised look of a header: light top and left, dark right and bottom.
void DrawRaisedBorder(CDC* pDC, const CRect& rect)
{
    CPen lightPen(PS_SOLID, 1, ::GetSysColor(COLOR_3DHIGHLIGHT));
    CPen darkPen(PS_SOLID, 1, ::GetSysColor(COLOR_3DDKSHADOW));
    CPen* pOldPen = pDC->GetCurrentPen();
    pDC->SelectObject(&lightPen);
    pDC->MoveTo(rect.right, rect.top);
    pDC->LineTo(rect.left, rect.top);
    pDC->LineTo(rect.left, rect.bottom);
    pDC->SelectObject(&darkPen);
    pDC->MoveTo(rect.right, rect.top);
    pDC->LineTo(rect.right, rect.bottom);
    pDC->LineTo(rect.left, rect.bottom);
    pDC->SelectObject(pOldPen);
}
}

BOOL CGridCellBase::Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd)
{
    CGridCtrl* pGrid = GetGrid();
    if (!pGrid || !pDC || rect.Width() <= 0 || rect.Height() <= 0) return FALSE;
    CGridDefaultCell* pDefault = static_cast<CGridDefaultCell*>(GetDefaultCell());
    if (!pDefault) return FALSE;

    const CRect rcCell = rect;
    int nSavedDC = pDC->SaveDC();
    pDC->SetBkMode(TRANSPARENT);

    COLORREF crText = GetTextColor();
    if (crText == CLR_DEFAULT) crText = pDefault->GetTextColor();
    COLORREF crBack = GetBackColor();
    if (crBack == CLR_DEFAULT) crBack = pDefault->GetBackColor();
    else bEraseBkgnd = TRUE;
    // High contrast: the system's colours for headings, links and every other cell alike.
    if (pGrid->IsHighContrast()) {
        crBack = ::GetSysColor(IsFixed() ? COLOR_BTNFACE : COLOR_WINDOW);
        crText = ::GetSysColor(IsLink() ? COLOR_HOTLIGHT : IsFixed() ? COLOR_BTNTEXT : COLOR_WINDOWTEXT);
        bEraseBkgnd = TRUE;
    }

    const BOOL bGridLines = pGrid->GetGridLines() != 0;
    if (IsFocused() || IsDropHighlighted()) {
        if (GetState() & GCS_SELECTED) {
            crBack = ::GetSysColor(COLOR_HIGHLIGHT);
            crText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
            bEraseBkgnd = TRUE;
        }
        GrowRightBottom(rect, 1);
        if (bEraseBkgnd) {
            CBrush brush;
            if (brush.CreateSolidBrush(crBack)) pDC->FillRect(&rect, &brush);
        }
        if (bGridLines) GrowRightBottom(rect, -1);
        if (pGrid->GetFrameFocusCell()) {
            CBrush frame;
            if (frame.CreateSolidBrush(crText)) pDC->FrameRect(&rect, &frame);
        }
        pDC->SetTextColor(crText);
        if (!bGridLines) GrowRightBottom(rect, -1);
    } else if (GetState() & GCS_SELECTED) {
        GrowRightBottom(rect, 1);
        pDC->FillSolidRect(&rect, ::GetSysColor(COLOR_HIGHLIGHT));
        GrowRightBottom(rect, -1);
        pDC->SetTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        if (bEraseBkgnd) {
            GrowRightBottom(rect, 1);
            CBrush brush(crBack);
            pDC->FillRect(&rect, &brush);
            GrowRightBottom(rect, -1);
        }
        pDC->SetTextColor(crText);
    }

    if (IsFixed() && bGridLines) {
        CCellID focus = pGrid->GetFocusCell();
        if (pGrid->GetTrackFocusCell() && pGrid->IsValid(focus) && (focus.row == nRow || focus.col == nCol)) {
            GrowRightBottom(rect, 1);
            pDC->DrawEdge(&rect, BDR_SUNKENINNER, BF_RECT);
            rect.DeflateRect(1, 1);
        } else {
            DrawRaisedBorder(pDC, rect);
            rect.DeflateRect(1, 1);
        }
    }

    if (!pDC->IsPrinting()) {
        CFont* pFont = GetFontObject();
        if (pFont) pDC->SelectObject(pFont);
    }

    int nMargin = (int)GetMargin();
    rect.DeflateRect(nMargin, nMargin);
    GrowRightBottom(rect, 1);

    IMAGEINFO info;
    if (ImageInfo(pGrid, GetImage(), info))
        pGrid->GetImageList()->Draw(pDC, GetImage(), rect.TopLeft(), ILD_NORMAL);

    if (nCol == pGrid->GetSortColumn() && nRow == 0) {
        CSize size = pDC->GetTextExtent(L"M", 1);
        const int nOffset = 2;
        int side = size.cy - nOffset * 2;
        if (side >= rect.Height()) side = rect.Height() - nOffset * 2;
        const LOGFONT* plf = GetFont();
        BOOL bVertical = plf && plf->lfEscapement == 900;
        if (rect.left + side < rect.right) {
            int y0 = rect.bottom - nOffset - side;
            int x0 = bVertical ? (rect.left + rect.right - side) / 2 : rect.right - side;
            CPen penShadow(PS_SOLID, 0, ::GetSysColor(COLOR_3DSHADOW));
            CPen penLight(PS_SOLID, 0, ::GetSysColor(COLOR_3DHIGHLIGHT));
            CPen* pOldPen = pDC->GetCurrentPen();
            if (pGrid->GetSortAscending()) {
                pDC->SelectObject(&penLight);
                pDC->MoveTo(x0 + 1, y0 + side + 1);
                pDC->LineTo(x0 + side / 2 + 1, y0 + 1);
                pDC->LineTo(x0 + side + 1, y0 + side + 1);
                pDC->LineTo(x0 + 1, y0 + side + 1);
                pDC->SelectObject(&penShadow);
                pDC->MoveTo(x0, y0 + side);
                pDC->LineTo(x0 + side / 2, y0);
                pDC->LineTo(x0 + side, y0 + side);
                pDC->LineTo(x0, y0 + side);
            } else {
                pDC->SelectObject(&penLight);
                pDC->MoveTo(x0 + 1, y0 + 1);
                pDC->LineTo(x0 + side / 2 + 1, y0 + side + 1);
                pDC->LineTo(x0 + side + 1, y0 + 1);
                pDC->LineTo(x0 + 1, y0 + 1);
                pDC->SelectObject(&penShadow);
                pDC->MoveTo(x0, y0);
                pDC->LineTo(x0 + side / 2, y0 + side);
                pDC->LineTo(x0 + side, y0);
                pDC->LineTo(x0, y0);
            }
            pDC->SelectObject(pOldPen);
            if (!bVertical) rect.right -= side;
        }
    }

    GetTextRect(&rect);
    GrowRightBottom(rect, 1);
    LPCTSTR text = GetText();
    pDC->DrawText(text, -1, &rect, GetFormat() | DT_NOPREFIX);

    // Where the keyboard is: the system's focus rectangle inside the frame, while the grid has the focus.
    if (IsFocused() && !pDC->IsPrinting() && pGrid->GetSafeHwnd() && ::GetFocus() == pGrid->GetSafeHwnd()) {
        CRect rcFocus = rcCell;
        rcFocus.DeflateRect(2, 2);
        if (rcFocus.Width() > 0 && rcFocus.Height() > 0) {
            pDC->SetTextColor(RGB(0, 0, 0));
            pDC->SetBkColor(RGB(255, 255, 255));
            pDC->DrawFocusRect(&rcFocus);
        }
    }

    pDC->RestoreDC(nSavedDC);
    return TRUE;
}

BOOL CGridCellBase::GetTextRect(LPRECT pRect)
{
    IMAGEINFO info;
    if (GetImage() >= 0 && ImageInfo(GetGrid(), GetImage(), info)) {
        int nImageWidth = info.rcImage.right - info.rcImage.left + 1;
        pRect->left += nImageWidth + (int)GetMargin();
    }
    return TRUE;
}

CSize CGridCellBase::GetTextExtent(LPCTSTR szText, CDC* pDC)
{
    CGridCtrl* pGrid = GetGrid();
    CGridDefaultCell* pDefault = static_cast<CGridDefaultCell*>(GetDefaultCell());
    BOOL bReleaseDC = FALSE;
    if (!pDC && szText && pGrid && pGrid->GetSafeHwnd()) {
        pDC = pGrid->GetDC();
        bReleaseDC = pDC != nullptr;
    }
    if (!pDC || !szText) {
        if (!pDefault) return CSize(0, 0);
        return CSize(pDefault->GetWidth(), pDefault->GetHeight());
    }

    CFont* pOldFont = nullptr;
    CFont* pFont = GetFontObject();
    if (pFont) pOldFont = pDC->SelectObject(pFont);

    CSize size;
    DWORD nFormat = GetFormat();
    if ((nFormat & DT_WORDBREAK) && !(nFormat & DT_SINGLELINE)) {
        // The widest line sets the wrap width; DrawText then measures the whole text wrapped there.
        int nMaxWidth = 0;
        LPCTSTR line = szText;
        for (;;) {
            LPCTSTR end = line;
            while (*end && *end != 10) ++end;
            CSize lineSize = pDC->GetTextExtent(line, (int)(end - line));
            if (lineSize.cx > nMaxWidth) nMaxWidth = lineSize.cx;
            if (!*end) break;
            line = end + 1;
        }
        CRect rect(0, 0, nMaxWidth + 1, 0);
        pDC->DrawText(szText, -1, &rect, nFormat | DT_CALCRECT);
        size = CSize(rect.Width(), rect.Height());
    } else {
        size = pDC->GetTextExtent(szText, (int)wcslen(szText));
    }

    int nMargin = (int)GetMargin();
    size.cx += 2 * nMargin;
    size.cy += 2 * nMargin;

    const LOGFONT* plf = GetFont();
    if (plf && (plf->lfEscapement == 900 || plf->lfEscapement == -900)) {
        int t = size.cx;
        size.cx = size.cy;
        size.cy = t;
        size.cy += 4 * nMargin;
    }

    if (pOldFont) pDC->SelectObject(pOldFont);
    if (bReleaseDC) pGrid->ReleaseDC(pDC);
    return size;
}

CSize CGridCellBase::GetCellExtent(CDC* pDC)
{
    CSize size = GetTextExtent(GetText(), pDC);
    CSize imageSize(0, 0);
    IMAGEINFO info;
    if (GetImage() >= 0 && ImageInfo(GetGrid(), GetImage(), info)) {
        int nMargin = (int)GetMargin();
        imageSize = CSize(info.rcImage.right - info.rcImage.left, info.rcImage.bottom - info.rcImage.top);
        if (size.cx > 2 * nMargin) imageSize.cx += nMargin;
        imageSize.cy += 2 * nMargin;
    }
    size.cx += imageSize.cx + 1;
    size.cy = (size.cy > imageSize.cy ? size.cy : imageSize.cy) + 1;
    if (IsFixed()) {
        ++size.cx;
        ++size.cy;
    }
    return size;
}

BOOL CGridCellBase::PrintCell(CDC* pDC, int nRow, int nCol, CRect rect)
{
    (void)nRow;
    (void)nCol;
    CGridCtrl* pGrid = GetGrid();
    if (!pGrid || !pDC || rect.Width() <= 0 || rect.Height() <= 0) return FALSE;

    int nSavedDC = pDC->SaveDC();
    pDC->SetBkMode(TRANSPARENT);

    COLORREF crText = 0;
    if (pGrid->GetPrintColors()) {
        CGridDefaultCell* pDefault = static_cast<CGridDefaultCell*>(GetDefaultCell());
        if (!pDefault) {
            pDC->RestoreDC(nSavedDC);
            return FALSE;
        }
        BOOL bFill = FALSE;
        COLORREF crBack = GetBackColor();
        if (IsFixed()) {
            if (crBack == CLR_DEFAULT) crBack = pDefault->GetBackColor();
            bFill = TRUE;
        } else {
            bFill = crBack != CLR_DEFAULT && crBack != pDefault->GetBackColor();
        }
        crText = GetTextColor();
        if (crText == CLR_DEFAULT) crText = pDefault->GetTextColor();
        if (pDC->GetDeviceCaps(NUMCOLORS) == 2 && !bFill) {
            // A two-colour printer would drop light colours altogether; scale them by brightness.
            crText = RGB((int)(GetRValue(crText) * 0.30), (int)(GetGValue(crText) * 0.59),
                         (int)(GetBValue(crText) * 0.11));
        }
        if (bFill) {
            GrowRightBottom(rect, 1);
            CBrush brush(crBack);
            pDC->FillRect(&rect, &brush);
            GrowRightBottom(rect, -1);
        }
    }
    pDC->SetTextColor(crText);
    CFont* pFont = GetFontObject();
    if (pFont) pDC->SelectObject(pFont);

    if (pGrid->GetGridLines() != 0 && IsFixed()) {
        DrawRaisedBorder(pDC, rect);
        rect.DeflateRect(1, 1);
    }

    int nMargin = (int)GetMargin();
    rect.DeflateRect(nMargin, 0);

    IMAGEINFO info;
    if (ImageInfo(pGrid, GetImage(), info)) {
        pGrid->GetImageList()->Draw(pDC, GetImage(), rect.TopLeft(), ILD_NORMAL);
        rect.left += info.rcImage.right - info.rcImage.left + nMargin;
    }

    pDC->DrawText(GetText(), -1, &rect, GetFormat() | DT_NOPREFIX);
    pDC->RestoreDC(nSavedDC);
    return TRUE;
}
