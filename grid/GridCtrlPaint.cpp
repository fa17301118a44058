// Painting: background regions, the cells (each paints itself) and the grid lines, normally into
// an off-screen bitmap so that the screen only ever shows finished frames.
#include "grid/GridCtrl.h"
#include "framework/AfxDisplay.h"
#include "grid/cells/GridCellBase.h"
#include "grid/cells/GridCell.h"
#include "grid/MemDC.h"

void CGridCtrl::OnPaint()
{
    // A paint of the whole client area brings the screen in step with the grid.
    BOOL bWhole = FALSE;
    CRect client, update;
    GetClientRect(&client);
    if (HRGN hUpdate = ::CreateRectRgn(0, 0, 0, 0)) {
        bWhole = ::GetUpdateRgn(m_hWnd, hUpdate, FALSE) == SIMPLEREGION && ::GetRgnBox(hUpdate, &update) &&
                 update.left <= client.left && update.top <= client.top && update.right >= client.right &&
                 update.bottom >= client.bottom;
        ::DeleteObject(hUpdate);
    }
    {
        CPaintDC dc(this);
        if (m_bDoubleBuffer) {
            CMemDC memDC(&dc);
            OnDraw(&memDC);
        } else {
            OnDraw(&dc);
        }
    }
    if (bWhole && m_bAllowDraw) m_idShownTopLeft = GetTopLeftNonFixedCell(FALSE);
}

BOOL CGridCtrl::OnEraseBkgnd(CDC* pDC)
{
    (void)pDC;
    return TRUE;   // the paint pass covers every pixel
}

void CGridCtrl::EraseBkgnd(CDC* pDC)
{
    CRect visRect, clipRect, rect;
    CBrush FixedRowColBack(m_cellFixedRowColDef.GetBackColor());
    CBrush FixedRowBack(m_cellFixedRowDef.GetBackColor());
    CBrush FixedColBack(m_cellFixedColDef.GetBackColor());
    CBrush TextBack(m_cellDefault.GetBackColor());
    CBrush Back(GetGridBkColor());

    if (pDC->GetClipBox(clipRect) == ERROR) return;
    GetVisibleNonFixedCellRange(visRect, FALSE);

    int nFixedColumnWidth = GetFixedColumnWidth();
    int nFixedRowHeight = GetFixedRowHeight();

    if (clipRect.left < nFixedColumnWidth && clipRect.top < nFixedRowHeight)
        pDC->FillRect(CRect(clipRect.left, clipRect.top, nFixedColumnWidth, nFixedRowHeight), &FixedRowColBack);
    if (clipRect.left < nFixedColumnWidth && clipRect.top < visRect.bottom)
        pDC->FillRect(CRect(clipRect.left, clipRect.top, nFixedColumnWidth, visRect.bottom), &FixedColBack);
    if (clipRect.top < nFixedRowHeight && clipRect.right > nFixedColumnWidth && clipRect.left < visRect.right)
        pDC->FillRect(CRect(nFixedColumnWidth - 1, clipRect.top, visRect.right, nFixedRowHeight), &FixedRowBack);
    if (rect.IntersectRect(visRect, clipRect)) {
        CRect CellRect(rect.left > nFixedColumnWidth ? rect.left : nFixedColumnWidth,
                       rect.top > nFixedRowHeight ? rect.top : nFixedRowHeight, rect.right, rect.bottom);
        pDC->FillRect(CellRect, &TextBack);
    }
    if (visRect.right < clipRect.right)
        pDC->FillRect(CRect(visRect.right, clipRect.top, clipRect.right, clipRect.bottom), &Back);
    if (visRect.bottom < clipRect.bottom && clipRect.left < visRect.right)
        pDC->FillRect(CRect(clipRect.left, visRect.bottom, visRect.right, clipRect.bottom), &Back);
}

void CGridCtrl::DrawCellBlock(CDC* pDC, const CRect& clipRect, int minRow, int maxRow, int top, int minCol,
                              int maxCol, int left, BOOL bClipTest)
{
    CRect rect;
    rect.bottom = top;
    for (int row = minRow; row <= maxRow; ++row) {
        int nHeight = GetRowHeight(row);
        if (nHeight <= 0) continue;
        rect.top = rect.bottom + 1;
        rect.bottom = rect.top + nHeight - 1;
        if (bClipTest) {
            // The clip box's right and bottom edges are exclusive, the cell's inclusive.
            if (rect.top >= clipRect.bottom) break;
            if (rect.bottom < clipRect.top) continue;
        }
        rect.right = left;
        for (int col = minCol; col <= maxCol; ++col) {
            int nWidth = GetColumnWidth(col);
            if (nWidth <= 0) continue;
            rect.left = rect.right + 1;
            rect.right = rect.left + nWidth - 1;
            if (bClipTest) {
                if (rect.left >= clipRect.right) break;
                if (rect.right < clipRect.left) continue;
            }
            CGridCellBase* pCell = GetCell(row, col);
            if (pCell) {
                pCell->SetCoords(row, col);
                pCell->Draw(pDC, row, col, rect, FALSE);
            }
        }
    }
}

void CGridCtrl::OnDraw(CDC* pDC)
{
    if (!m_bAllowDraw) return;
    CRect clipRect;
    if (pDC->GetClipBox(&clipRect) == ERROR) return;

    EraseBkgnd(pDC);

    int nFixedRowHeight = GetFixedRowHeight();
    int nFixedColWidth = GetFixedColumnWidth();
    CCellID idTopLeft = GetTopLeftNonFixedCell(FALSE);
    int minVisibleRow = idTopLeft.row, minVisibleCol = idTopLeft.col;
    CRect VisRect;
    CCellRange VisCellRange = GetVisibleNonFixedCellRange(VisRect, FALSE);
    int maxVisibleRow = VisCellRange.GetMaxRow();
    int maxVisibleCol = VisCellRange.GetMaxCol();

    DrawCellBlock(pDC, clipRect, 0, m_nFixedRows - 1, -1, 0, m_nFixedCols - 1, -1, FALSE);
    DrawCellBlock(pDC, clipRect, minVisibleRow, maxVisibleRow, nFixedRowHeight - 1, 0, m_nFixedCols - 1, -1, TRUE);
    DrawCellBlock(pDC, clipRect, 0, m_nFixedRows - 1, -1, minVisibleCol, maxVisibleCol, nFixedColWidth - 1, TRUE);
    DrawCellBlock(pDC, clipRect, minVisibleRow, maxVisibleRow, nFixedRowHeight - 1, minVisibleCol, maxVisibleCol,
                  nFixedColWidth - 1, TRUE);

    CPen pen;
    pen.CreatePen(PS_SOLID, 0, GetShownGridLineColor());
    pDC->SelectObject(&pen);
    if (m_nGridLines == 2 || m_nGridLines == 3) {
        int x = nFixedColWidth;
        for (int col = minVisibleCol; col <= maxVisibleCol; ++col) {
            int nWidth = GetColumnWidth(col);
            if (nWidth <= 0) continue;
            x += nWidth;
            pDC->MoveTo(x - 1, nFixedRowHeight);
            pDC->LineTo(x - 1, VisRect.bottom);
        }
    }
    if (m_nGridLines == 1 || m_nGridLines == 3) {
        int y = nFixedRowHeight;
        for (int row = minVisibleRow; row <= maxVisibleRow; ++row) {
            int nHeight = GetRowHeight(row);
            if (nHeight <= 0) continue;
            y += nHeight;
            pDC->MoveTo(nFixedColWidth, y - 1);
            pDC->LineTo(VisRect.right, y - 1);
        }
    }
    pDC->SelectStockObject(NULL_PEN);
}

BOOL CGridCtrl::RedrawCell(const CCellID& cell, CDC* pDC)
{
    return RedrawCell(cell.row, cell.col, pDC);
}

BOOL CGridCtrl::RedrawCell(int nRow, int nCol, CDC* pDC)
{
    BOOL bResult = TRUE;
    BOOL bMustReleaseDC = FALSE;
    if (!m_bAllowDraw || !IsCellVisible(nRow, nCol)) return FALSE;
    CRect rect;
    if (!GetCellRect(nRow, nCol, rect)) return FALSE;

    if (!pDC && ::IsWindow(m_hWnd)) {
        pDC = GetDC();
        if (pDC) bMustReleaseDC = TRUE;
    }
    if (pDC) {
        CGridCellBase* pCell = GetCell(nRow, nCol);
        if (pCell) bResult = pCell->Draw(pDC, nRow, nCol, rect, TRUE);
        if (nRow >= m_nFixedRows && nCol >= m_nFixedCols && m_nGridLines != 0) {
            CPen pen;
            pen.CreatePen(PS_SOLID, 0, GetShownGridLineColor());
            CPen* pOldPen = pDC->SelectObject(&pen);
            if (m_nGridLines == 1 || m_nGridLines == 3) {
                pDC->MoveTo(rect.left, rect.bottom);
                pDC->LineTo(rect.right + 1, rect.bottom);
            }
            if (m_nGridLines == 2 || m_nGridLines == 3) {
                pDC->MoveTo(rect.right, rect.top);
                pDC->LineTo(rect.right, rect.bottom + 1);
            }
            pDC->SelectObject(pOldPen);
        }
    } else if (::IsWindow(m_hWnd)) {
        InvalidateRect(rect, TRUE);
    }
    if (bMustReleaseDC) ReleaseDC(pDC);
    return bResult;
}

BOOL CGridCtrl::InvalidateCellRect(const CCellID& cell)
{
    return InvalidateCellRect(cell.row, cell.col);
}

BOOL CGridCtrl::InvalidateCellRect(int nRow, int nCol)
{
    if (!::IsWindow(m_hWnd) || !m_bAllowDraw) return FALSE;
    if (!IsValid(nRow, nCol)) return FALSE;
    if (!IsCellVisible(nRow, nCol)) return FALSE;
    CRect rect;
    if (!GetCellRect(nRow, nCol, rect)) return FALSE;
    rect.right++;
    rect.bottom++;
    InvalidateRect(rect, TRUE);
    return TRUE;
}

COLORREF CGridCtrl::GetShownGridLineColor() const
{
    return m_bHighContrast ? ::GetSysColor(COLOR_WINDOWTEXT) : m_crGridLineColor;
}

// High contrast may have come or gone with the new colours: the whole grid is drawn again at once.
void CGridCtrl::OnSettingChange(UINT uFlags, LPCWSTR lpszSection)
{
    (void)lpszSection;
    Default();
    if (uFlags == SPI_SETHIGHCONTRAST || uFlags == 0) {
        m_bHighContrast = AfxIsHighContrast();
        if (::IsWindow(m_hWnd)) Invalidate();
    }
}

void CGridCtrl::OnSysColorChange()
{
    Default();
    m_bHighContrast = AfxIsHighContrast();
    if (::IsWindow(m_hWnd)) Invalidate();
    CGridDefaultCell* cells[] = {&m_cellDefault, &m_cellFixedColDef, &m_cellFixedRowDef, &m_cellFixedRowColDef};
    for (CGridDefaultCell* pCell : cells) {
        if (pCell->GetTextColor() == m_crWindowText) pCell->SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
        if (pCell->GetBackColor() == m_crWindowColor) pCell->SetBackColor(::GetSysColor(COLOR_WINDOW));
    }
    if (GetGridBkColor() == m_crShadow) SetGridBkColor(::GetSysColor(COLOR_3DSHADOW));
    m_crWindowText = ::GetSysColor(COLOR_WINDOWTEXT);
    m_crWindowColor = ::GetSysColor(COLOR_WINDOW);
    m_cr3DFace = ::GetSysColor(COLOR_3DFACE);
    m_crShadow = ::GetSysColor(COLOR_3DSHADOW);
}
