// Pixel geometry of the grid, its scroll bars, scrolling and autosizing.
#include "grid/GridCtrl.h"
#include "framework/AfxDisplay.h"
#include "grid/cells/GridCellBase.h"
#include "grid/cells/GridCell.h"

namespace {
// A grid resized from inside another grid's resize is not processed.
BOOL g_bInOnSize = FALSE;
}

// ---------------------------------------------------------------------------------------------
// Where geometry reads the window: the client area and the scroll positions. A test can stand
// a fixed rectangle and plain positions in for them.

void CGridCtrl::SetGeometryOverride(const RECT* pClient)
{
    m_bGeometryOverride = pClient != nullptr;
    if (pClient) m_rcOverrideClient = *pClient;
    m_nOverridePos[0] = m_nOverridePos[1] = 0;
    m_nOverridePage[0] = m_nOverridePage[1] = 0;
    m_idTopLeftCell.row = -1;
}

BOOL CGridCtrl::HasGeometry() const
{
    return m_bGeometryOverride || ::IsWindow(m_hWnd);
}

void CGridCtrl::GetGridClientRect(LPRECT pRect) const
{
    if (!m_bGeometryOverride) {
        if (::IsWindow(m_hWnd)) ::GetClientRect(m_hWnd, pRect);
        else ::SetRectEmpty(pRect);
        return;
    }
    // Shown bars take their room out of the client area, as they do in a window.
    *pRect = m_rcOverrideClient;
    if (m_nBarState & 2) pRect->right -= GetSystemMetricForDpi(SM_CXVSCROLL) + GetSystemMetricForDpi(SM_CXBORDER);
    if (m_nBarState & 1) pRect->bottom -= GetSystemMetricForDpi(SM_CYHSCROLL) + GetSystemMetricForDpi(SM_CYBORDER);
}

int CGridCtrl::SetScrollPos32(int nBar, int nPos, BOOL bRedraw)
{
    m_idTopLeftCell.row = -1;
    if (m_bGeometryOverride) {
        // A scroll bar keeps its position within 0 .. max - page + 1.
        int i = nBar == SB_VERT ? 1 : 0;
        int nMax = i ? m_nVScrollMax : m_nHScrollMax;
        int nPage = m_nOverridePage[i];
        int nLimit = nPage > 0 ? nMax - nPage + 1 : nMax;
        if (nPos > nLimit) nPos = nLimit;
        if (nPos < 0) nPos = 0;
        int nOld = m_nOverridePos[i];
        m_nOverridePos[i] = nPos;
        return nOld;
    }
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    si.nPos = nPos;
    return SetScrollInfoDrawn(nBar, &si, bRedraw);
}

// Drawing a scroll bar costs far more than moving the cells' pixels or changing the model (under
// Wine, milliseconds each time), and most changes leave its picture as it was: on a long grid a
// line's step seldom moves the thumb by a pixel, and a row added below a thumb already at its
// smallest changes nothing that shows. The bar is drawn only when it would look different.
int CGridCtrl::SetScrollInfoDrawn(int nBar, SCROLLINFO* pInfo, BOOL bRedraw)
{
    SCROLLBARINFO before = {}, after = {};
    before.cbSize = after.cbSize = sizeof(SCROLLBARINFO);
    const LONG idBar = nBar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL;
    if (!bRedraw || nBar == SB_CTL || !::IsWindow(m_hWnd) || !::GetScrollBarInfo(m_hWnd, idBar, &before))
        return SetScrollInfo(nBar, pInfo, bRedraw);
    int nResult = SetScrollInfo(nBar, pInfo, FALSE);
    if (!::GetScrollBarInfo(m_hWnd, idBar, &after) || after.xyThumbTop != before.xyThumbTop ||
        after.xyThumbBottom != before.xyThumbBottom || after.dxyLineButton != before.dxyLineButton ||
        !::EqualRect(&after.rcScrollBar, &before.rcScrollBar) ||
        memcmp(after.rgstate, before.rgstate, sizeof after.rgstate) != 0)
        SetScrollInfo(nBar, pInfo, TRUE);
    return nResult;
}

int CGridCtrl::GetScrollPos32(int nBar, BOOL bGetTrackPos)
{
    if (m_bGeometryOverride) return m_nOverridePos[nBar == SB_VERT ? 1 : 0];
    if (!::IsWindow(m_hWnd)) return 0;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    if (bGetTrackPos) {
        if (GetScrollInfo(nBar, &si, SIF_TRACKPOS)) return si.nTrackPos;
    } else {
        if (GetScrollInfo(nBar, &si, SIF_POS)) return si.nPos;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Cells and pixels

CCellID CGridCtrl::GetTopLeftNonFixedCell(BOOL bForceRecalculation)
{
    if (m_idTopLeftCell.IsValid() && !bForceRecalculation) return m_idTopLeftCell;

    int nVertScroll = GetScrollPos32(SB_VERT, FALSE);
    int nHorzScroll = GetScrollPos32(SB_HORZ, FALSE);

    m_idTopLeftCell.col = m_nFixedCols;
    int nRight = 0;
    while (nRight < nHorzScroll && m_idTopLeftCell.col < GetColumnCount() - 1)
        nRight += GetColumnWidth(m_idTopLeftCell.col++);

    m_idTopLeftCell.row = m_nFixedRows;
    int nTop = 0;
    while (nTop < nVertScroll && m_idTopLeftCell.row < GetRowCount() - 1)
        nTop += GetRowHeight(m_idTopLeftCell.row++);

    return m_idTopLeftCell;
}

CCellRange CGridCtrl::GetVisibleNonFixedCellRange(LPRECT pRect, BOOL bForceRecalculation)
{
    CRect rect;
    GetGridClientRect(rect);
    CCellID idTopLeft = GetTopLeftNonFixedCell(bForceRecalculation);

    int bottom = GetFixedRowHeight();
    int i;
    for (i = idTopLeft.row; i < GetRowCount(); ++i) {
        bottom += GetRowHeight(i);
        if (bottom >= rect.bottom) {
            bottom = rect.bottom;
            break;
        }
    }
    int maxVisibleRow = i < GetRowCount() ? i : GetRowCount() - 1;

    int right = GetFixedColumnWidth();
    for (i = idTopLeft.col; i < GetColumnCount(); ++i) {
        right += GetColumnWidth(i);
        if (right >= rect.right) {
            right = rect.right;
            break;
        }
    }
    int maxVisibleCol = i < GetColumnCount() ? i : GetColumnCount() - 1;

    if (pRect) {
        pRect->left = pRect->top = 0;
        pRect->right = right;
        pRect->bottom = bottom;
    }
    return CCellRange(idTopLeft.row, idTopLeft.col, maxVisibleRow, maxVisibleCol);
}

CCellRange CGridCtrl::GetVisibleFixedCellRange(LPRECT pRect, BOOL bForceRecalculation)
{
    CRect rect;
    GetGridClientRect(rect);
    CCellID idTopLeft = GetTopLeftNonFixedCell(bForceRecalculation);

    int bottom = GetFixedRowHeight();
    int i;
    for (i = idTopLeft.row; i < GetRowCount(); ++i) {
        bottom += GetRowHeight(i);
        if (bottom >= rect.bottom) {
            bottom = rect.bottom;
            break;
        }
    }
    int maxVisibleRow = i < GetRowCount() ? i : GetRowCount() - 1;

    int right = 0;
    for (i = 0; i < GetColumnCount(); ++i) {
        right += GetColumnWidth(i);
        if (right >= rect.right) {
            right = rect.right;
            break;
        }
    }
    int maxVisibleCol = i < GetColumnCount() ? i : GetColumnCount() - 1;

    if (pRect) {
        pRect->left = pRect->top = 0;
        pRect->right = right;
        pRect->bottom = bottom;
    }
    return CCellRange(idTopLeft.row, 0, maxVisibleRow, maxVisibleCol);
}

BOOL CGridCtrl::GetCellOrigin(int nRow, int nCol, LPPOINT p)
{
    if (!IsValid(nRow, nCol)) return FALSE;
    CCellID idTopLeft;
    if (nCol >= m_nFixedCols || nRow >= m_nFixedRows) idTopLeft = GetTopLeftNonFixedCell(FALSE);
    if (nRow >= m_nFixedRows && nRow < idTopLeft.row) return FALSE;
    if (nCol >= m_nFixedCols && nCol < idTopLeft.col) return FALSE;

    p->x = 0;
    if (nCol < m_nFixedCols) {
        for (int i = 0; i < nCol; ++i) p->x += GetColumnWidth(i);
    } else {
        for (int i = 0; i < m_nFixedCols; ++i) p->x += GetColumnWidth(i);
        for (int i = idTopLeft.col; i < nCol; ++i) p->x += GetColumnWidth(i);
    }
    p->y = 0;
    if (nRow < m_nFixedRows) {
        for (int i = 0; i < nRow; ++i) p->y += GetRowHeight(i);
    } else {
        for (int i = 0; i < m_nFixedRows; ++i) p->y += GetRowHeight(i);
        for (int i = idTopLeft.row; i < nRow; ++i) p->y += GetRowHeight(i);
    }
    return TRUE;
}

BOOL CGridCtrl::GetCellOrigin(const CCellID& cell, LPPOINT p)
{
    return GetCellOrigin(cell.row, cell.col, p);
}

BOOL CGridCtrl::GetCellRect(int nRow, int nCol, LPRECT pRect)
{
    CPoint origin;
    if (!GetCellOrigin(nRow, nCol, &origin)) return FALSE;
    pRect->left = origin.x;
    pRect->top = origin.y;
    pRect->right = origin.x + GetColumnWidth(nCol) - 1;
    pRect->bottom = origin.y + GetRowHeight(nRow) - 1;
    return TRUE;
}

BOOL CGridCtrl::GetCellRect(const CCellID& cell, LPRECT pRect)
{
    return GetCellRect(cell.row, cell.col, pRect);
}

CPoint CGridCtrl::GetPointClicked(int nRow, int nCol, const CPoint& point)
{
    CPoint origin;
    if (!GetCellOrigin(nRow, nCol, &origin)) return CPoint(0, 0);
    return CPoint(point.x - origin.x, point.y - origin.y);
}

CCellID CGridCtrl::GetCellFromPt(CPoint point, BOOL bAllowFixedCellCheck)
{
    CCellID cellID;
    CCellID idTopLeft = GetTopLeftNonFixedCell(FALSE);
    if (!bAllowFixedCellCheck && !IsValid(idTopLeft)) return cellID;

    // A point on a cell's right or bottom edge belongs to the next cell: the walk stops only
    // once the running edge is past the coordinate.
    int fixedColWidth = GetFixedColumnWidth();
    if (point.x < 0) {
        cellID.col = -1;
    } else if (point.x < fixedColWidth) {
        if (bAllowFixedCellCheck) {
            int xpos = 0, col = 0;
            while (col < m_nFixedCols) {
                xpos += GetColumnWidth(col);
                if (xpos > point.x) break;
                ++col;
            }
            cellID.col = col < m_nFixedCols ? col : -1;
        } else {
            cellID.col = -1;
        }
    } else {
        int xpos = fixedColWidth, col = idTopLeft.col;
        while (col < GetColumnCount()) {
            xpos += GetColumnWidth(col);
            if (xpos > point.x) break;
            ++col;
        }
        cellID.col = col < GetColumnCount() ? col : -1;
    }

    int fixedRowHeight = GetFixedRowHeight();
    if (point.y < 0) {
        cellID.row = -1;
    } else if (point.y < fixedRowHeight) {
        if (bAllowFixedCellCheck) {
            int ypos = 0, row = 0;
            while (row < m_nFixedRows) {
                ypos += GetRowHeight(row);
                if (ypos > point.y) break;
                ++row;
            }
            cellID.row = row < m_nFixedRows ? row : -1;
        } else {
            cellID.row = -1;
        }
    } else {
        int ypos = fixedRowHeight, row = idTopLeft.row;
        while (row < GetRowCount()) {
            ypos += GetRowHeight(row);
            if (ypos > point.y) break;
            ++row;
        }
        cellID.row = row < GetRowCount() && row >= 0 ? row : -1;
    }
    return cellID;
}

BOOL CGridCtrl::IsCellVisible(int nRow, int nCol)
{
    if (!HasGeometry()) return FALSE;
    CCellID idTopLeft = GetTopLeftNonFixedCell(FALSE);
    if (nRow >= m_nFixedRows && nRow < idTopLeft.row) return FALSE;
    if (nCol >= m_nFixedCols && nCol < idTopLeft.col) return FALSE;

    CRect rect;
    GetGridClientRect(rect);
    if (nCol < m_nFixedCols) {
        int x = 0;
        for (int i = 0; i <= nCol; ++i) {
            if (x >= rect.right) return FALSE;
            x += GetColumnWidth(i);
        }
    } else {
        int x = GetFixedColumnWidth();
        for (int i = idTopLeft.col; i <= nCol; ++i) {
            if (x >= rect.right) return FALSE;
            x += GetColumnWidth(i);
        }
    }
    if (nRow < m_nFixedRows) {
        int y = 0;
        for (int i = 0; i <= nRow; ++i) {
            if (y >= rect.bottom) return FALSE;
            y += GetRowHeight(i);
        }
    } else {
        int y = GetFixedRowHeight();
        for (int i = idTopLeft.row; i <= nRow; ++i) {
            if (y >= rect.bottom) return FALSE;
            y += GetRowHeight(i);
        }
    }
    return TRUE;
}

void CGridCtrl::EnsureVisible(int nRow, int nCol)
{
    if (!m_bAllowDraw) return;
    HWND hWndFocus = ::GetFocus();
    CCellRange visible = GetVisibleNonFixedCellRange(nullptr, FALSE);

    int right = nCol - visible.GetMaxCol();
    int left = visible.GetMinCol() - nCol;
    int down = nRow - visible.GetMaxRow();
    int up = visible.GetMinRow() - nRow;

    int col = visible.GetMaxCol() + 1;
    while (right > 0) {
        if (GetColumnWidth(col) > 0) SendScroll(WM_HSCROLL, SB_LINERIGHT);
        ++col;
        --right;
    }
    col = visible.GetMinCol() - 1;
    while (left > 0) {
        if (GetColumnWidth(col) > 0) SendScroll(WM_HSCROLL, SB_LINELEFT);
        --col;
        --left;
    }
    int row = visible.GetMaxRow() + 1;
    while (down > 0) {
        if (GetRowHeight(row) > 0) SendScroll(WM_VSCROLL, SB_LINEDOWN);
        ++row;
        --down;
    }
    row = visible.GetMinRow() - 1;
    while (up > 0) {
        if (GetRowHeight(row) > 0) SendScroll(WM_VSCROLL, SB_LINEUP);
        --row;
        --up;
    }

    // A cell partly cut off at the right or bottom is scrolled a line at a time until it fits or
    // the bar can go no further.
    CRect rectCell;
    if (!GetCellRect(nRow, nCol, rectCell)) return;
    CRect rectClient;
    GetGridClientRect(rectClient);
    while (rectCell.right >= rectClient.right && rectCell.left > GetFixedColumnWidth() && (m_nBarState & 1)) {
        CRect before = rectCell;
        SendScroll(WM_HSCROLL, SB_LINERIGHT);
        if (!GetCellRect(nRow, nCol, rectCell)) return;
        if (rectCell == before) break;
    }
    while (rectCell.bottom >= rectClient.bottom && rectCell.top > GetFixedRowHeight() && (m_nBarState & 2)) {
        CRect before = rectCell;
        SendScroll(WM_VSCROLL, SB_LINEDOWN);
        if (!GetCellRect(nRow, nCol, rectCell)) return;
        if (rectCell == before) break;
    }

    if (hWndFocus && ::IsWindow(hWndFocus)) ::SetFocus(hWndFocus);
}

void CGridCtrl::SendScroll(UINT nMessage, UINT nSBCode)
{
    if (::IsWindow(m_hWnd)) SendMessage(nMessage, nSBCode, 0);
    else if (nMessage == WM_HSCROLL) OnHScroll(nSBCode, 0, nullptr);
    else OnVScroll(nSBCode, 0, nullptr);
}

void CGridCtrl::ResetScrollBars()
{
    m_idTopLeftCell.row = -1;
    ForgetShownPicture();
    if (!m_bAllowDraw || !HasGeometry()) return;

    CRect rect;
    GetGridClientRect(rect);
    if (rect.left == rect.right || rect.top == rect.bottom) return;

    if (m_nBarState & 2) rect.right += GetSystemMetricForDpi(SM_CXVSCROLL) + GetSystemMetricForDpi(SM_CXBORDER);
    if (m_nBarState & 1) rect.bottom += GetSystemMetricForDpi(SM_CYHSCROLL) + GetSystemMetricForDpi(SM_CYBORDER);

    rect.left += GetFixedColumnWidth();
    rect.top += GetFixedRowHeight();
    if (rect.left >= rect.right || rect.top >= rect.bottom) {
        EnableScrollBars(SB_BOTH, FALSE);
        return;
    }

    CRect visibleRect(GetFixedColumnWidth(), GetFixedRowHeight(), rect.right, rect.bottom);
    CRect virtualRect(GetFixedColumnWidth(), GetFixedRowHeight(), GetVirtualWidth(), GetVirtualHeight());

    // Each bar takes room from the other direction, so each test sees the other's outcome: the
    // vertical bar can force the horizontal one, and the horizontal one can force the vertical.
    BOOL bVert = visibleRect.Height() < virtualRect.Height();
    if (bVert) visibleRect.right -= GetSystemMetricForDpi(SM_CXVSCROLL);
    if (visibleRect.Width() < virtualRect.Width()) {
        visibleRect.bottom -= GetSystemMetricForDpi(SM_CYHSCROLL);
        if (!bVert && visibleRect.Height() < virtualRect.Height()) visibleRect.right -= GetSystemMetricForDpi(SM_CXVSCROLL);
    }

    if (visibleRect.Height() >= virtualRect.Height()) {
        EnableScrollBars(SB_VERT, FALSE);
        m_nVScrollMax = 0;
    } else {
        EnableScrollBars(SB_VERT, TRUE);
        m_nVScrollMax = virtualRect.Height() - 1;
    }
    if (visibleRect.Width() >= virtualRect.Width()) {
        EnableScrollBars(SB_HORZ, FALSE);
        m_nHScrollMax = 0;
    } else {
        EnableScrollBars(SB_HORZ, TRUE);
        m_nHScrollMax = virtualRect.Width() - 1;
    }

    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_PAGE | SIF_RANGE;
    si.nPage = m_nHScrollMax > 0 ? visibleRect.Width() : 0;
    si.nMin = 0;
    si.nMax = m_nHScrollMax;
    SetBarInfo(SB_HORZ, &si);

    si.fMask |= SIF_DISABLENOSCROLL;
    si.nPage = m_nVScrollMax > 0 ? visibleRect.Height() : 0;
    si.nMax = m_nVScrollMax;
    SetBarInfo(SB_VERT, &si);
}

void CGridCtrl::SetBarInfo(int nBar, SCROLLINFO* pInfo)
{
    if (m_bGeometryOverride) {
        int i = nBar == SB_VERT ? 1 : 0;
        m_nOverridePage[i] = (int)pInfo->nPage;
        SetScrollPos32(nBar, m_nOverridePos[i], FALSE);   // keeps the position inside the new range
        return;
    }
    SetScrollInfoDrawn(nBar, pInfo, TRUE);
}

void CGridCtrl::EnableScrollBars(int nBar, BOOL bEnable)
{
    const BOOL bWindow = !m_bGeometryOverride && ::IsWindow(m_hWnd);
    if (bEnable) {
        if (!(m_nBarState & 1) && (nBar == SB_HORZ || nBar == SB_BOTH)) {
            m_nBarState |= 1;
            if (bWindow) EnableScrollBarCtrl(SB_HORZ, TRUE);
        }
        if (!(m_nBarState & 2) && (nBar == SB_VERT || nBar == SB_BOTH)) {
            m_nBarState |= 2;
            if (bWindow) EnableScrollBarCtrl(SB_VERT, TRUE);
        }
    } else {
        if ((m_nBarState & 1) && (nBar == SB_HORZ || nBar == SB_BOTH)) {
            m_nBarState &= ~1;
            if (bWindow) EnableScrollBarCtrl(SB_HORZ, FALSE);
        }
        if ((m_nBarState & 2) && (nBar == SB_VERT || nBar == SB_BOTH)) {
            m_nBarState &= ~2;
            if (bWindow) EnableScrollBarCtrl(SB_VERT, FALSE);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Scrolling. What stays visible of the scroll area is moved on screen, and only the band that
// scrolled in is painted. The picture of the scroll area depends on the top-left cell alone, not on
// the scroll position itself, so the pixels move by the sizes of the rows or columns that the
// top-left cell passed.

// The pixels from the leading edge of one row (bColumns: column) to that of another, negative when
// the second comes first. FALSE when they are more than nLimit pixels apart (the walk stops there)
// or an index is out of range.
BOOL CGridCtrl::GetSpan(BOOL bColumns, int nFrom, int nTo, int nLimit, int* pSpan) const
{
    int lo = nFrom < nTo ? nFrom : nTo, hi = nFrom < nTo ? nTo : nFrom;
    int span = 0;
    for (int i = lo; i < hi; ++i) {
        int size = bColumns ? GetColumnWidth(i) : GetRowHeight(i);
        if (size < 0) return FALSE;
        span += size;
        if (span > nLimit) return FALSE;
    }
    *pSpan = nFrom < nTo ? span : -span;
    return TRUE;
}

// After the scroll position has moved: brings the picture of the scroll area from the top-left cell
// idBefore to the current one.
void CGridCtrl::ScrollCells(const CCellID& idBefore, const CRect& area)
{
    if (m_bGeometryOverride || !::IsWindow(m_hWnd)) return;
    CCellID idAfter = GetTopLeftNonFixedCell(FALSE);
    if (idAfter == idBefore) return;
    // Pixels are moved only when the screen is known to show the picture they are moved from.
    BOOL bShown = idBefore == m_idShownTopLeft;
    m_idShownTopLeft = idAfter;
    int dx = 0, dy = 0;
    if (!bShown || !GetSpan(TRUE, idAfter.col, idBefore.col, area.Width() - 1, &dx) ||
        !GetSpan(FALSE, idAfter.row, idBefore.row, area.Height() - 1, &dy)) {
        InvalidateRect(area);
        return;
    }
    // A part of the area still waiting for its paint moves along with the pixels.
    ::ScrollWindowEx(m_hWnd, dx, dy, &area, &area, nullptr, nullptr, SW_INVALIDATE);
}

void CGridCtrl::OnVScroll(UINT nSBCode, UINT, CScrollBar*) { OnScroll(SB_VERT, nSBCode); }

void CGridCtrl::OnHScroll(UINT nSBCode, UINT, CScrollBar*) { OnScroll(SB_HORZ, nSBCode); }

// One handler for both bars: rows and the vertical bar, or columns and the horizontal one. The codes
// of the two bars are the same numbers (SB_LINEUP is SB_LINELEFT, SB_TOP is SB_LEFT, and so on).
void CGridCtrl::OnScroll(int nBar, UINT nSBCode)
{
    EndEditing();
    if (::IsWindow(m_TitleTip.GetSafeHwnd())) m_TitleTip.Hide();

    const BOOL bVert = nBar == SB_VERT;
    auto size = [&](int i) { return bVert ? GetRowHeight(i) : GetColumnWidth(i); };
    const int nCount = bVert ? GetRowCount() : GetColumnCount();
    const int nFixed = bVert ? GetFixedRowCount() : GetFixedColumnCount();
    const int nMax = bVert ? m_nVScrollMax : m_nHScrollMax;

    int scrollPos = GetScrollPos32(nBar, FALSE);
    CCellID idTopLeft = GetTopLeftNonFixedCell(FALSE);
    const int nFirst = bVert ? idTopLeft.row : idTopLeft.col;
    // The scroll area: all but the fixed rows (or columns) across the whole client area.
    CRect rect;
    GetGridClientRect(rect);
    if (bVert) rect.top = GetFixedRowHeight();
    else rect.left = GetFixedColumnWidth();
    const int nPage = bVert ? rect.Height() : rect.Width();

    switch (nSBCode) {
    case SB_LINEUP:
        if (scrollPos > 0 && nFirst > nFixed) {
            int iToUse = nFirst - 1;
            while (iToUse > nFixed && size(iToUse) <= 0) --iToUse;
            int step = size(iToUse);
            SetScrollPos32(nBar, scrollPos - step > 0 ? scrollPos - step : 0, TRUE);
            ScrollCells(idTopLeft, rect);
        }
        break;
    case SB_LINEDOWN:
        if (scrollPos < nMax) {
            int iToUse = nFirst;
            while (iToUse < nCount - 1 && size(iToUse) <= 0) ++iToUse;
            SetScrollPos32(nBar, scrollPos + size(iToUse), TRUE);
            if (GetScrollPos32(nBar, FALSE) != scrollPos) ScrollCells(idTopLeft, rect);
        }
        break;
    case SB_PAGEUP:
        if (scrollPos > 0) {
            int pos = scrollPos - nPage;
            SetScrollPos32(nBar, pos > 0 ? pos : 0, TRUE);
            ScrollCells(idTopLeft, rect);
        }
        break;
    case SB_PAGEDOWN:
        if (scrollPos < nMax) {
            int pos = scrollPos + nPage;
            SetScrollPos32(nBar, pos < nMax ? pos : nMax, TRUE);
            ScrollCells(idTopLeft, rect);
        }
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        SetScrollPos32(nBar, GetScrollPos32(nBar, TRUE), TRUE);
        m_idTopLeftCell.row = -1;
        ScrollCells(idTopLeft, rect);
        break;
    case SB_TOP:
        if (scrollPos > 0) {
            SetScrollPos32(nBar, 0, TRUE);
            if (!m_bGeometryOverride && ::IsWindow(m_hWnd)) Invalidate();
        }
        break;
    case SB_BOTTOM:
        if (scrollPos < nMax) {
            SetScrollPos32(nBar, nMax, TRUE);
            if (!m_bGeometryOverride && ::IsWindow(m_hWnd)) Invalidate();
        }
        break;
    default:
        break;
    }
}

BOOL CGridCtrl::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
{
    (void)nFlags;
    (void)pt;
    if (m_nRowsPerWheelNotch == -1) {
        int nPagesScrolled = zDelta / 120;
        for (int i = 0; i < nPagesScrolled; ++i) PostMessage(WM_VSCROLL, SB_PAGEUP, 0);
        for (int i = 0; i > nPagesScrolled; --i) PostMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    } else {
        int nRowsScrolled = m_nRowsPerWheelNotch * zDelta / 120;
        for (int i = 0; i < nRowsScrolled; ++i) PostMessage(WM_VSCROLL, SB_LINEUP, 0);
        for (int i = 0; i > nRowsScrolled; --i) PostMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    }
    return (BOOL)Default();
}

int CGridCtrl::GetMouseScrollLines()
{
    int nScrollLines = 3;
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    BOOL bKnown = ::GetVersionExW(&info);
    if (!bKnown || info.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS || info.dwMinorVersion != 0) {
        UINT nLines = 3;
        if (::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &nLines, 0)) nScrollLines = (int)nLines;
        return nScrollLines;
    }
    // The first Windows 9x release keeps the setting only in the user's desktop settings.
    HKEY hKey;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &hKey) == ERROR_SUCCESS) {
        wchar_t szData[128 + 1] = {};
        DWORD dwKeyDataType = 0, dwDataBufSize = 256;
        if (::RegQueryValueExW(hKey, L"WheelScrollLines", nullptr, &dwKeyDataType, (LPBYTE)szData, &dwDataBufSize) ==
                ERROR_SUCCESS &&
            dwKeyDataType == REG_SZ) {
            szData[128] = 0;
            nScrollLines = (int)wcstoul(szData, nullptr, 10);
        }
        ::RegCloseKey(hKey);
    }
    return nScrollLines;
}

void CGridCtrl::OnSize(UINT nType, int cx, int cy)
{
    if (g_bInOnSize) return;
    g_bInOnSize = TRUE;
    (void)nType;
    (void)cx;
    (void)cy;
    // The drop target is registered once per grid, the first time it has a window here.
    if (::IsWindow(m_hWnd) && !m_DropTarget.m_bRegistered && !m_DropTarget.m_pGridCtrl) m_DropTarget.Register(this);
    EndEditing();
    Default();
    ResetScrollBars();
    g_bInOnSize = FALSE;
}

// ---------------------------------------------------------------------------------------------
// Autosizing

BOOL CGridCtrl::AutoSizeRow(int nRow, BOOL bResetScroll)
{
    if (nRow < 0 || nRow >= m_nRows) return FALSE;
    if (GetRowHeight(nRow) <= 0) return FALSE;
    CDC* pDC = ::IsWindow(m_hWnd) ? GetDC() : nullptr;
    if (!pDC) return FALSE;

    int nHeight = 0;
    for (int nCol = 0; nCol < GetColumnCount(); ++nCol) {
        CGridCellBase* pCell = GetCell(nRow, nCol);
        if (!pCell) continue;
        CSize size = pCell->GetCellExtent(pDC);
        if (size.cy > nHeight) nHeight = size.cy;
    }
    m_arRowHeights.SetAt(nRow, nHeight);
    ReleaseDC(pDC);
    if (bResetScroll) ResetScrollBars();
    return TRUE;
}

BOOL CGridCtrl::AutoSizeColumn(int nCol, UINT nAutoSizeStyle, BOOL bResetScroll)
{
    if (nCol < 0 || nCol >= m_nCols) return FALSE;
    if (GetColumnWidth(nCol) <= 0) return FALSE;
    CDC* pDC = ::IsWindow(m_hWnd) ? GetDC() : nullptr;
    if (!pDC) return FALSE;

    if (nAutoSizeStyle == 0) nAutoSizeStyle = (UINT)m_nAutoSizeColumnStyle;
    int nStartRow = (nAutoSizeStyle & 0x1) ? 0 : GetFixedRowCount();
    int nEndRow = (nAutoSizeStyle & 0x2) ? GetRowCount() - 1 : GetFixedRowCount() - 1;

    int nWidth = 0;
    for (int nRow = nStartRow; nRow <= nEndRow; ++nRow) {
        CGridCellBase* pCell = GetCell(nRow, nCol);
        if (!pCell) continue;
        CSize size = pCell->GetCellExtent(pDC);
        if (size.cx > nWidth) nWidth = size.cx;
    }
    m_arColWidths.SetAt(nCol, nWidth);
    ReleaseDC(pDC);
    if (bResetScroll) ResetScrollBars();
    return TRUE;
}

void CGridCtrl::AutoSizeColumns(UINT nAutoSizeStyle)
{
    for (int nCol = 0; nCol < GetColumnCount(); ++nCol)
        if (GetColumnWidth(nCol) > 0) AutoSizeColumn(nCol, nAutoSizeStyle, FALSE);
    ResetScrollBars();
}

// ---------------------------------------------------------------------------------------------
// Font

LRESULT CGridCtrl::OnSetFont(WPARAM hFont, LPARAM lParam)
{
    (void)lParam;
    LRESULT result = Default();
    LOGFONT lf;
    if (hFont && ::GetObjectW((HGDIOBJ)hFont, sizeof lf, &lf) == (int)sizeof lf) {
        // A font sent for the window's scale is where the next change of scale starts from.
        m_bFontBaseKept = FALSE;
        m_cellDefault.SetFont(&lf);
        m_cellFixedColDef.SetFont(&lf);
        m_cellFixedRowDef.SetFont(&lf);
        m_cellFixedRowColDef.SetFont(&lf);
        Refresh();
    }
    return result;
}

LRESULT CGridCtrl::OnGetFont(WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    CFont* pFont = m_cellDefault.GetFontObject();
    return (LRESULT)(pFont ? pFont->GetSafeHandle() : nullptr);
}

// ---------------------------------------------------------------------------------------------
// Display scale

int CGridCtrl::GetSystemMetricForDpi(int nIndex) const { return AfxGetSystemMetricsForDpi(nIndex, m_nDpi); }

void CGridCtrl::SetDpi(UINT dpi)
{
    if (!dpi || dpi == m_nDpi) return;
    CGridDefaultCell* cells[] = {&m_cellDefault, &m_cellFixedColDef, &m_cellFixedRowDef, &m_cellFixedRowColDef};
    if (!m_bFontBaseKept) {
        for (int i = 0; i < 4; ++i) {
            const LOGFONT* plf = cells[i]->GetFont();
            if (plf) m_lfFontBase[i] = *plf;
            else ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &m_lfFontBase[i]);
        }
        m_nFontBaseDpi = m_nDpi;
        m_bFontBaseKept = TRUE;
    }
    m_nDpi = dpi;
    for (int i = 0; i < 4; ++i) {
        LOGFONTW lf = m_lfFontBase[i];
        lf.lfHeight = ::MulDiv(lf.lfHeight, (int)dpi, (int)m_nFontBaseDpi);
        lf.lfWidth = ::MulDiv(lf.lfWidth, (int)dpi, (int)m_nFontBaseDpi);
        cells[i]->SetFont(&lf);
    }
    m_nResizeCaptureRange = ScaleForDpi(3);
    if (::IsWindow(m_TitleTip.GetSafeHwnd())) m_TitleTip.Hide();
    if (::IsWindow(m_hWnd)) {
        ResetScrollBars();
        Refresh();
    }
}

// The system tells a child after its top-level window has taken the new scale.
LRESULT CGridCtrl::OnDpiChangedAfterParent(WPARAM, LPARAM)
{
    SetDpi(AfxGetWindowDpi(m_hWnd));
    return 0;
}
