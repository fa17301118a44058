// Grid selection, focus, mouse, keyboard, editing and clipboard.
#include "grid/GridCtrl.h"
#include <vector>

namespace {
BOOL CtrlDown() { return ::GetKeyState(VK_CONTROL) < 0; }
BOOL ShiftDown() { return ::GetKeyState(VK_SHIFT) < 0; }
void ArrowCursor() { ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW)); }
}

// ---------------------------------------------------------------------------------------------
// Focus and selection

CCellID CGridCtrl::SetFocusCell(int nRow, int nCol) { return SetFocusCell(CCellID(nRow, nCol)); }

CCellID CGridCtrl::SetFocusCell(CCellID cell)
{
    if (cell == m_idCurrentCell) return m_idCurrentCell;
    CCellID prev = m_idCurrentCell;
    if (cell.row != -1 && cell.row < m_nFixedRows) cell.row = m_nFixedRows;
    if (cell.col != -1 && cell.col < m_nFixedCols) cell.col = m_nFixedCols;
    m_idCurrentCell = cell;

    // The headers of the focus row and column are drawn apart, so they repaint with it.
    auto repaintHeaders = [&](const CCellID& c, const CCellID& other) {
        if (c.col != other.col)
            for (int r = 0; r < m_nFixedRows; ++r) RedrawCell(r, c.col);
        if (c.row != other.row)
            for (int k = 0; k < m_nFixedCols; ++k) RedrawCell(c.row, k);
    };
    if (IsValid(prev)) {
        SetCellState(prev.row, prev.col, GetItemState(prev.row, prev.col) & ~GCS_FOCUSED);
        RedrawCell(prev);
        repaintHeaders(prev, cell);
    }
    if (IsValid(cell)) {
        SetCellState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GCS_FOCUSED);
        RedrawCell(cell);
        repaintHeaders(cell, prev);
        // Screen readers follow the focus cell while the grid has the keyboard focus.
        if (::GetFocus() == GetSafeHwnd()) NotifyAccessibility(EVENT_OBJECT_FOCUS, cell.row, cell.col);
    }
    return prev;
}

void CGridCtrl::OnSetFocus(CWnd*)
{
    Default();
    if (IsValid(m_idCurrentCell)) {
        RedrawCell(m_idCurrentCell);
        NotifyAccessibility(EVENT_OBJECT_FOCUS, m_idCurrentCell.row, m_idCurrentCell.col);
        return;
    }
    // Arriving by keyboard, the focus lands on the first cell that shows, so that it can be seen and
    // the arrow keys have somewhere to start. A click picks its own cell, and a grid not yet on screen
    // (its dialog still setting up) waits until it is.
    if (m_bFocusByMouse || !IsWindowVisible()) return;
    CCellID first = GetTopLeftNonFixedCell();
    for (; first.row >= 0 && first.row < m_nRows && GetRowHeight(first.row) == 0; ++first.row) {}
    for (; first.col >= 0 && first.col < m_nCols && GetColumnWidth(first.col) == 0; ++first.col) {}
    if (IsValid(first)) SetFocusCell(first);
}

void CGridCtrl::OnKillFocus(CWnd*)
{
    Default();
    // The focus rectangle goes with the keyboard focus.
    if (IsValid(m_idCurrentCell)) RedrawCell(m_idCurrentCell);
}

void CGridCtrl::SelectAllCells()
{
    if (!m_bEnableSelection) return;
    SetSelectedRange(m_nFixedRows, m_nFixedCols, m_nRows - 1, m_nCols - 1, FALSE, TRUE);
}

void CGridCtrl::SelectRows(CCellID currentCell, BOOL bForceRedraw, BOOL bSelectCells)
{
    if (!m_bEnableSelection || !IsValid(currentCell) || currentCell.row < m_nFixedRows) return;
    if (GetSingleRowSelection())
        SetSelectedRange(currentCell.row, m_nFixedCols, currentCell.row, m_nCols - 1, bForceRedraw, bSelectCells);
    else
        SetSelectedRange(std::min(m_SelectionStartCell.row, currentCell.row), m_nFixedCols,
                         std::max(m_SelectionStartCell.row, currentCell.row), m_nCols - 1, bForceRedraw, bSelectCells);
}

void CGridCtrl::SelectColumns(CCellID currentCell, BOOL bForceRedraw, BOOL bSelectCells)
{
    if (!m_bEnableSelection || !IsValid(currentCell) || currentCell.col < m_nFixedCols) return;
    SetSelectedRange(m_nFixedRows, std::min(m_SelectionStartCell.col, currentCell.col), m_nRows - 1,
                     std::max(m_SelectionStartCell.col, currentCell.col), bForceRedraw, bSelectCells);
}

void CGridCtrl::SelectCells(CCellID currentCell, BOOL bForceRedraw, BOOL bSelectCells)
{
    if (!m_bEnableSelection || !IsValid(currentCell) || IsCellFixed(currentCell.row, currentCell.col)) return;
    CCellID start = m_SelectionStartCell;
    if (!IsValid(start)) start = currentCell;
    SetSelectedRange(std::min(start.row, currentCell.row), std::min(start.col, currentCell.col),
                     std::max(start.row, currentCell.row), std::max(start.col, currentCell.col), bForceRedraw,
                     bSelectCells);
}

void CGridCtrl::OnSelecting(const CCellID& currentCell)
{
    if (!m_bEnableSelection) return;
    switch (m_MouseMode) {
    case GMM_SELECT_ALL: SelectAllCells(); break;
    case GMM_SELECT_COL: SelectColumns(currentCell, FALSE, TRUE); break;
    case GMM_SELECT_ROW: SelectRows(currentCell, FALSE, TRUE); break;
    case GMM_SELECT_CELLS: SelectCells(currentCell, FALSE, TRUE); break;
    default: break;
    }
}

void CGridCtrl::OnFixedColumnClick(CCellID& cell)
{
    if (!IsValid(cell) || !m_bFixedColumnSelection) return;
    m_MouseMode = cell.row >= m_nFixedRows ? GMM_SELECT_ROW : GMM_SELECT_ALL;
    OnSelecting(cell);
}

void CGridCtrl::OnFixedRowClick(CCellID& cell)
{
    if (!IsValid(cell) || !m_bFixedRowSelection) return;
    m_MouseMode = cell.col >= m_nFixedCols ? GMM_SELECT_COL : GMM_SELECT_ALL;
    OnSelecting(cell);
}

void CGridCtrl::OnEditSelectAll()
{
    SendMessageToParent(m_idCurrentCell.row, m_idCurrentCell.col, GRIDN_SELCHANGING);
    SelectAllCells();
    SendMessageToParent(m_idCurrentCell.row, m_idCurrentCell.col, GRIDN_SELCHANGED);
}

// ---------------------------------------------------------------------------------------------
// Dividers and resizing

BOOL CGridCtrl::MouseOverRowResizeArea(CPoint& point)
{
    if (point.x >= GetFixedColumnWidth()) return FALSE;
    CCellID cell = GetCellFromPt(point, TRUE);
    CPoint origin;
    if (!GetCellOrigin(cell, &origin)) return FALSE;
    int end = origin.y + GetRowHeight(cell.row) - point.y;
    return (point.y - origin.y < m_nResizeCaptureRange && cell.row != 0) || end < m_nResizeCaptureRange;
}

BOOL CGridCtrl::MouseOverColumnResizeArea(CPoint& point)
{
    if (point.y >= GetFixedRowHeight()) return FALSE;
    CCellID cell = GetCellFromPt(point, TRUE);
    CPoint origin;
    if (!GetCellOrigin(cell, &origin)) return FALSE;
    int end = origin.x + GetColumnWidth(cell.col) - point.x;
    return (point.x - origin.x < m_nResizeCaptureRange && cell.col != 0) || end < m_nResizeCaptureRange;
}

// The drag line is an inverted band: drawing it twice at the same place erases it.
static void InvertBand(HWND hWnd, BOOL bVertical, int pos)
{
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    if (bVertical) { rc.left = pos; rc.right = pos + 2; }
    else { rc.top = pos; rc.bottom = pos + 2; }
    HDC hDC = ::GetDC(hWnd);
    if (!hDC) return;
    ::InvertRect(hDC, &rc);
    ::ReleaseDC(hWnd, hDC);
}

void CGridCtrl::OnBeginDrag() {}

// ---------------------------------------------------------------------------------------------
// Mouse

void CGridCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    m_bFocusByMouse = TRUE;
    SetFocus();
    m_bFocusByMouse = FALSE;
    m_bLMouseButtonDown = TRUE;
    m_LeftClickDownPoint = point;
    m_LeftClickDownCell = GetCellFromPt(point, TRUE);
    if (!IsValid(m_LeftClickDownCell)) return;
    const CCellID cell = m_LeftClickDownCell;
    const BOOL bCtrl = (nFlags & MK_CONTROL) != 0;

    if (nFlags & MK_SHIFT) {
        if (!IsValid(m_SelectionStartCell)) m_SelectionStartCell = m_idCurrentCell;
    } else {
        m_SelectionStartCell = cell;
    }

    EndEditing();

    CGridCellBase* pCell = GetCell(cell.row, cell.col);
    if (pCell) pCell->OnLButtonDown(GetPointClicked(cell.row, cell.col, point));

    BOOL bInText = FALSE;
    CRect rcText;
    if (pCell && GetCellRect(cell, &rcText) && pCell->GetTextRect(&rcText) && rcText.PtInRect(point)) bInText = TRUE;

    if (cell == m_idCurrentCell && !bCtrl && bInText && IsCellEditable(cell)) {
        m_MouseMode = GMM_PREPARE_EDIT;
        return;
    }

    if (IsCellSelected(cell)) {
        SetFocusCell(cell);
        if (bCtrl) {
            SetFocusCell(cell);
            if (m_bListMode) SelectRows(cell, TRUE, FALSE);
            else SelectCells(cell, TRUE, FALSE);
            return;
        }
        if (m_bAllowDragAndDrop) m_MouseMode = GMM_PREPARE_DRAG;
    } else if (m_MouseMode != GMM_OVER_COL_DIVIDE && m_MouseMode != GMM_OVER_ROW_DIVIDE) {
        SetFocusCell(IsCellFixed(cell.row, cell.col) ? CCellID(-1, -1) : cell);
    }

    SetCapture();

    if (m_MouseMode == GMM_NOTHING) {
        if (m_bAllowColumnResize && MouseOverColumnResizeArea(point)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
            m_MouseMode = GMM_OVER_COL_DIVIDE;
        } else if (m_bAllowRowResize && MouseOverRowResizeArea(point)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
            m_MouseMode = GMM_OVER_ROW_DIVIDE;
        }
    }

    if (m_MouseMode == GMM_OVER_COL_DIVIDE || m_MouseMode == GMM_OVER_ROW_DIVIDE) {
        const BOOL bCol = m_MouseMode == GMM_OVER_COL_DIVIDE;
        m_MouseMode = bCol ? GMM_SIZING_COL : GMM_SIZING_ROW;
        const int last = bCol ? m_nCols - 1 : m_nRows - 1;
        const int lastSize = bCol ? GetColumnWidth(last) : GetRowHeight(last);
        const int at = bCol ? point.x : point.y;
        CRect rcVisible;
        GetVisibleNonFixedCellRange(&rcVisible);
        int& index = bCol ? m_LeftClickDownCell.col : m_LeftClickDownCell.row;
        if (lastSize < m_nResizeCaptureRange && abs(at - (bCol ? rcVisible.right : rcVisible.bottom)) < m_nResizeCaptureRange)
            index = last;
        CPoint start;
        if (!GetCellOrigin(m_LeftClickDownCell, &start)) return;
        InvertBand(m_hWnd, bCol, at);
        if (at - (bCol ? start.x : start.y) < m_nResizeCaptureRange && (index != last || lastSize >= m_nResizeCaptureRange)) {
            if (index > 0) --index;
            if (!GetCellOrigin(m_LeftClickDownCell, &start)) return;
        }
        CRect rcClient;
        GetClientRect(&rcClient);
        CRect rcClip = rcClient;
        if (bCol) {
            rcClip.left = start.x + 1;
            rcClip.right = rcClip.left + (rcClient.Width() - GetFixedColumnWidth());
        } else {
            rcClip.top = start.y + 1;
            rcClip.bottom = rcClip.top + (rcClient.Height() - GetFixedRowHeight());
        }
        ClientToScreen(&rcClip);
        ::ClipCursor(&rcClip);
    } else if (m_MouseMode != GMM_PREPARE_DRAG) {
        SendMessageToParent(cell.row, cell.col, GRIDN_SELCHANGING);
        m_PrevSelectedCellMap.RemoveAll();
        if (bCtrl) {
            POSITION pos = m_SelectedCellMap.GetStartPosition();
            while (pos) {
                DWORD key;
                CCellID id;
                m_SelectedCellMap.GetNextAssoc(pos, key, id);
                m_PrevSelectedCellMap.SetAt(key, id);
            }
        }
        CCellID hit = cell;
        if (!IsCellFixed(cell.row, cell.col)) {
            m_MouseMode = m_bListMode ? GMM_SELECT_ROW : GMM_SELECT_CELLS;
            OnSelecting(cell);
            m_nTimerID = SetTimer(WM_GRID_TIMER_ID, (UINT)m_nTimerInterval);
        } else if (cell.col < m_nFixedCols && cell.row >= m_nFixedRows) {
            OnFixedColumnClick(hit);
        } else {
            OnFixedRowClick(hit);
        }
    }
    m_LastMousePoint = point;
}

void CGridCtrl::OnMouseMove(UINT nFlags, CPoint point)
{
    CRect rcClient;
    GetClientRect(&rcClient);
    if (!rcClient.PtInRect(point) && m_MouseMode != GMM_DRAGGING) return;

    const BOOL bDown = (nFlags & MK_LBUTTON) != 0;
    if (!bDown || m_MouseMode == GMM_NOTHING) {
        if (m_bAllowColumnResize && MouseOverColumnResizeArea(point)) {
            if (m_MouseMode != GMM_OVER_COL_DIVIDE) ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
            m_MouseMode = GMM_OVER_COL_DIVIDE;
        } else if (m_bAllowRowResize && MouseOverRowResizeArea(point)) {
            if (m_MouseMode != GMM_OVER_ROW_DIVIDE) ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
            m_MouseMode = GMM_OVER_ROW_DIVIDE;
        } else if (m_MouseMode != GMM_NOTHING) {
            ArrowCursor();
            m_MouseMode = GMM_NOTHING;
        }
        if (m_MouseMode == GMM_NOTHING) {
            CCellID cell = GetCellFromPt(point, TRUE);
            CGridCellBase* pCell = IsValid(cell) ? GetCell(cell.row, cell.col) : nullptr;
            if (pCell) {
                pCell->OnMouseMove();
                CRect rcCell, rcTip;
                LPCTSTR tip = pCell->GetTipText();
                if (m_bTitleTips && tip && *tip && !pCell->IsEditing() && GetCellRect(cell, &rcCell)) {
                    rcTip = rcCell;
                    if (pCell->GetTipTextRect(&rcTip))
                        m_TitleTip.Show(rcTip, tip, 0, &rcCell, pCell->GetFont(), m_crTitleTipTextColor,
                                        m_crTitleTipBackColor);
                }
            }
        }
        m_LastMousePoint = point;
        return;
    }

    if (!IsValid(m_LeftClickDownCell)) {
        m_LastMousePoint = point;
        return;
    }

    switch (m_MouseMode) {
    case GMM_SELECT_COL:
    case GMM_SELECT_ROW:
    case GMM_SELECT_CELLS: {
        CCellID cell = GetCellFromPt(point, TRUE);
        if (!IsValid(cell)) return;
        if (cell != m_idCurrentCell) {
            OnSelecting(cell);
            if (!IsCellFixed(cell.row, cell.col) || m_MouseMode == GMM_SELECT_COL || m_MouseMode == GMM_SELECT_ROW)
                SetFocusCell(cell);
        }
        break;
    }
    case GMM_SIZING_COL:
        InvertBand(m_hWnd, TRUE, m_LastMousePoint.x);
        InvertBand(m_hWnd, TRUE, point.x);
        break;
    case GMM_SIZING_ROW:
        InvertBand(m_hWnd, FALSE, m_LastMousePoint.y);
        InvertBand(m_hWnd, FALSE, point.y);
        break;
    case GMM_PREPARE_EDIT:
    case GMM_PREPARE_DRAG:
        m_MouseMode = GMM_PREPARE_DRAG;
        OnBeginDrag();
        break;
    default: break;
    }
    m_LastMousePoint = point;
}

void CGridCtrl::OnLButtonUp(UINT, CPoint point)
{
    Default();
    m_bLMouseButtonDown = FALSE;
    ::ClipCursor(nullptr);
    if (::GetCapture() == m_hWnd) {
        ::ReleaseCapture();
        KillTimer(m_nTimerID);
        m_nTimerID = 0;
    }

    CPoint pointClicked = GetPointClicked(m_idCurrentCell.row, m_idCurrentCell.col, point);
    CGridCellBase* pFocus = GetCell(m_idCurrentCell.row, m_idCurrentCell.col);

    switch (m_MouseMode) {
    case GMM_PREPARE_EDIT:
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, pointClicked, VK_LBUTTON);
        break;
    case GMM_PREPARE_DRAG:
        if (pFocus) pFocus->OnLButtonUp(pointClicked);
        SendMessageToParent(m_LeftClickDownCell.row, m_LeftClickDownCell.col, NM_CLICK);
        SendMessageToParent(m_LeftClickDownCell.row, m_LeftClickDownCell.col, GRIDN_SELCHANGING);
        ResetSelectedRange();
        SendMessageToParent(m_idCurrentCell.row, m_idCurrentCell.col, GRIDN_SELCHANGED);
        break;
    case GMM_SIZING_COL:
    case GMM_SIZING_ROW: {
        const BOOL bCol = m_MouseMode == GMM_SIZING_COL;
        CPoint start;
        if (!GetCellOrigin(m_LeftClickDownCell, &start)) return;
        InvertBand(m_hWnd, bCol, bCol ? m_LastMousePoint.x : m_LastMousePoint.y);
        if (point != m_LeftClickDownPoint && (point.x != 0 || point.y != 0)) {
            if (bCol) SetColumnWidth(m_LeftClickDownCell.col, std::max(0, (int)(point.x - start.x)));
            else SetRowHeight(m_LeftClickDownCell.row, std::max(0, (int)(point.y - start.y)));
            ResetScrollBars();
            Invalidate();
        }
        break;
    }
    default:
        SendMessageToParent(m_idCurrentCell.row, m_idCurrentCell.col, GRIDN_SELCHANGED);
        if (pFocus) pFocus->OnLButtonUp(pointClicked);
        SendMessageToParent(m_LeftClickDownCell.row, m_LeftClickDownCell.col, NM_CLICK);
        break;
    }

    m_MouseMode = GMM_NOTHING;
    ArrowCursor();

    if (IsValid(m_LeftClickDownCell)) {
        CWnd* pOwner = GetOwner();
        if (pOwner && ::IsWindow(pOwner->m_hWnd))
            pOwner->PostMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 0), (LPARAM)m_hWnd);
    }
}

void CGridCtrl::OnLButtonDblClk(UINT, CPoint point)
{
    CCellID cell = GetCellFromPt(point, TRUE);
    if (!IsValid(cell)) return;

    if (m_MouseMode == GMM_OVER_COL_DIVIDE) {
        CPoint start;
        if (!GetCellOrigin(0, cell.col, &start)) return;
        int col = cell.col;
        if (point.x - start.x < m_nResizeCaptureRange) --col;
        while (col >= 0 && GetColumnWidth(col) == 0) --col;
        if (col < 0) return;
        AutoSizeColumn(col, (UINT)m_nAutoSizeColumnStyle, TRUE);
        Invalidate();
    } else if (m_MouseMode == GMM_OVER_ROW_DIVIDE) {
        CPoint start;
        if (!GetCellOrigin(cell.row, 0, &start)) return;
        int row = cell.row;
        if (point.y - start.y < m_nResizeCaptureRange) --row;
        while (row >= 0 && GetRowHeight(row) == 0) --row;
        if (row < 0) return;
        AutoSizeRow(row, TRUE);
        Invalidate();
    } else if (m_MouseMode == GMM_NOTHING) {
        CPoint pointClicked = GetPointClicked(cell.row, cell.col, point);
        CGridCellBase* pCell = GetCell(cell.row, cell.col);
        BOOL bInText = FALSE;
        CRect rcText;
        if (pCell && GetCellRect(cell, &rcText) && pCell->GetTextRect(&rcText) && rcText.PtInRect(point))
            bInText = TRUE;
        if (!IsCellFixed(cell.row, cell.col) && bInText && (IsValid(m_LeftClickDownCell) || m_bListMode))
            OnEditCell(cell.row, cell.col, pointClicked, VK_LBUTTON);
        pCell = GetCell(cell.row, cell.col);
        if (pCell) pCell->OnLButtonDblClk(pointClicked);
        SendMessageToParent(cell.row, cell.col, NM_DBLCLK);
    }
    Default();
}

void CGridCtrl::OnRButtonUp(UINT, CPoint point)
{
    Default();
    EndEditing();
    CCellID cell = GetCellFromPt(point, TRUE);
    if (!IsValid(cell)) {
        SendMessageToParent(-1, -1, NM_RCLICK);
        return;
    }
    SetFocusCell(-1, -1);
    SetFocusCell(std::max(cell.row, m_nFixedRows), std::max(cell.col, m_nFixedCols));
    if (CGridCellBase* pCell = GetCell(cell.row, cell.col)) pCell->OnRButtonUp(GetPointClicked(cell.row, cell.col, point));
    SendMessageToParent(cell.row, cell.col, NM_RCLICK);
}

void CGridCtrl::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != WM_GRID_TIMER_ID) return;
    CPoint origPt;
    ::GetCursorPos(&origPt);
    ScreenToClient(&origPt);
    CRect rect;
    GetClientRect(&rect);
    const int nFixedRowHeight = GetFixedRowHeight();
    const int nFixedColWidth = GetFixedColumnWidth();

    CPoint pt = origPt;
    if (pt.y > rect.bottom) {
        SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        pt.x = std::max((int)rect.left, std::min((int)pt.x, (int)rect.right));
        pt.y = rect.bottom;
        OnSelecting(GetCellFromPt(pt, TRUE));
    } else if (pt.y < nFixedRowHeight) {
        SendMessage(WM_KEYDOWN, VK_UP, 0);
        pt.x = std::max((int)rect.left, std::min((int)pt.x, (int)rect.right));
        pt.y = nFixedRowHeight + 1;
        OnSelecting(GetCellFromPt(pt, TRUE));
    }
    pt = origPt;
    if (pt.x > rect.right) {
        SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
        pt.y = std::max((int)rect.top, std::min((int)pt.y, (int)rect.bottom));
        pt.x = rect.right;
        OnSelecting(GetCellFromPt(pt, TRUE));
    } else if (pt.x < nFixedColWidth) {
        SendMessage(WM_KEYDOWN, VK_LEFT, 0);
        pt.y = std::max((int)rect.top, std::min((int)pt.y, (int)rect.bottom));
        pt.x = nFixedColWidth + 1;
        OnSelecting(GetCellFromPt(pt, TRUE));
    }
}

BOOL CGridCtrl::OnSetCursor(CWnd*, UINT nHitTest, UINT)
{
    if (nHitTest != HTCLIENT) return (BOOL)Default();
    switch (m_MouseMode) {
    case GMM_OVER_ROW_DIVIDE: ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS)); return TRUE;
    case GMM_OVER_COL_DIVIDE: ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE)); return TRUE;
    case GMM_DRAGGING: return TRUE;
    default: break;
    }
    DWORD pos = ::GetMessagePos();
    CPoint pt((short)LOWORD(pos), (short)HIWORD(pos));
    ScreenToClient(&pt);
    CCellID cell = GetCellFromPt(pt, TRUE);
    if (IsValid(cell))
        if (CGridCellBase* pCell = GetCell(cell.row, cell.col)) return pCell->OnSetCursor();
    ArrowCursor();
    return TRUE;
}

void CGridCtrl::OnCaptureChanged(CWnd* pWnd)
{
    if (pWnd && pWnd->m_hWnd == m_hWnd) return;
    if (m_nTimerID != 0) {
        KillTimer(m_nTimerID);
        m_nTimerID = 0;
    }
    if (m_MouseMode == GMM_DRAGGING) m_MouseMode = GMM_NOTHING;
}

// ---------------------------------------------------------------------------------------------
// Keys

void CGridCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    (void)nRepCnt;
    if (!IsValid(m_idCurrentCell)) {
        Default();
        return;
    }
    CCellID next = m_idCurrentCell;
    BOOL bChangeLine = FALSE, bHorzScroll = FALSE, bVertScroll = FALSE;
    const BOOL bCtrl = CtrlDown(), bShift = ShiftDown();

    if (bCtrl) {
        switch (nChar) {
        case VK_INSERT:
        case 'C': OnEditCopy(); break;
        case 'A': OnEditSelectAll(); break;
        case 'V': OnEditPaste(); break;
        case 'X': OnEditCut(); break;
        case VK_ADD: AutoSizeColumns(0); Invalidate(); break;
        default: break;
        }
    } else if (bShift && nChar == VK_INSERT) {
        OnEditPaste();
    }

    // Hidden rows and columns (size 0) are never a target.
    auto rowBelow = [&](int row) { for (int r = row + 1; r < m_nRows; ++r) if (GetRowHeight(r) > 0) return r; return -1; };
    auto rowAbove = [&](int row) { for (int r = row - 1; r >= m_nFixedRows; --r) if (GetRowHeight(r) > 0) return r; return -1; };
    auto colRight = [&](int col) { for (int c = col + 1; c < m_nCols; ++c) if (GetColumnWidth(c) > 0) return c; return -1; };
    auto colLeft = [&](int col) { for (int c = col - 1; c >= m_nFixedCols; --c) if (GetColumnWidth(c) > 0) return c; return -1; };
    auto visibleRowFrom = [&](int row) {
        if (GetRowHeight(row) > 0) return row;
        int r = rowBelow(row);
        return r >= 0 ? r : rowAbove(row);
    };

    if (nChar == VK_DELETE) {
        CutSelectedText();
    } else if (nChar == VK_DOWN) {
        int r = rowBelow(next.row);
        if (r >= 0) next.row = r;
    } else if (nChar == VK_UP) {
        int r = rowAbove(next.row);
        if (r >= 0) next.row = r;
    } else if (nChar == VK_RIGHT || (nChar == VK_TAB && !bShift)) {
        int c = colRight(next.col);
        if (c >= 0) {
            if (nChar == VK_TAB) Default();
            next.col = c;
        } else if (nChar == VK_TAB) {
            int r = rowBelow(next.row);
            if (r >= 0) {
                next.row = r;
                int first = GetColumnWidth(m_nFixedCols) > 0 ? m_nFixedCols : colRight(m_nFixedCols);
                if (first >= 0) next.col = first;
                bChangeLine = TRUE;
            }
        }
    } else if (nChar == VK_LEFT || (nChar == VK_TAB && bShift)) {
        int c = colLeft(next.col);
        if (c >= 0) {
            next.col = c;
        } else if (nChar == VK_TAB && next.row > m_nFixedRows) {
            int r = rowAbove(next.row);
            if (r >= 0) {
                next.row = r;
                int lastCol = GetColumnWidth(m_nCols - 1) > 0 ? m_nCols - 1 : colLeft(m_nCols - 1);
                if (lastCol >= 0) next.col = lastCol;
                bChangeLine = TRUE;
            }
        }
    } else if (nChar == VK_NEXT || nChar == VK_PRIOR) {
        CCellID idOldTopLeft = GetTopLeftNonFixedCell();
        SendMessage(WM_VSCROLL, nChar == VK_NEXT ? SB_PAGEDOWN : SB_PAGEUP, 0);
        bVertScroll = TRUE;
        CCellID idNewTopLeft = GetTopLeftNonFixedCell();
        int increment = idNewTopLeft.row - idOldTopLeft.row;
        if (nChar == VK_NEXT) next.row = increment ? std::min(m_nRows - 1, next.row + increment) : m_nRows - 1;
        else next.row = increment ? std::max(m_nFixedRows, next.row + increment) : m_nFixedRows;
        int r = visibleRowFrom(next.row);
        next.row = r >= 0 ? r : m_idCurrentCell.row;
    } else if (nChar == VK_HOME || nChar == VK_END) {
        const BOOL bHome = nChar == VK_HOME;
        SendMessage(WM_HSCROLL, bHome ? SB_LEFT : SB_RIGHT, 0);
        bHorzScroll = TRUE;
        next.col = bHome ? m_nFixedCols : m_nCols - 1;
        if (bCtrl) {
            SendMessage(WM_VSCROLL, bHome ? SB_TOP : SB_BOTTOM, 0);
            bVertScroll = TRUE;
            next.row = bHome ? m_nFixedRows : m_nRows - 1;
        }
        if (GetColumnWidth(next.col) == 0) {
            int c = bHome ? colRight(next.col) : colLeft(next.col);
            next.col = c >= 0 ? c : m_idCurrentCell.col;
        }
        if (GetRowHeight(next.row) == 0) {
            int r = bHome ? rowBelow(next.row) : rowAbove(next.row);
            next.row = r >= 0 ? r : m_idCurrentCell.row;
        }
    } else if (nChar == VK_F2) {
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), VK_LBUTTON);
    } else if ((nChar == VK_RETURN || nChar == VK_SPACE) && HasDefaultAction(next.row, next.col)) {
        // The keyboard's click on a link cell: once per press, as a button takes it, so that a held
        // key does not open a page or start an installer again with every auto-repeat.
        if (!(nFlags & KF_REPEAT)) RunDefaultAction(next.row, next.col);
        return;
    } else {
        Default();
        return;
    }

    if (next != m_idCurrentCell) {
        if (m_MouseMode == GMM_NOTHING) {
            m_PrevSelectedCellMap.RemoveAll();
            m_MouseMode = m_bListMode ? GMM_SELECT_ROW : GMM_SELECT_CELLS;
            if (!bShift || nChar == VK_TAB) m_SelectionStartCell = next;
            SendMessageToParent(next.row, next.col, GRIDN_SELCHANGING);
            OnSelecting(next);
            SendMessageToParent(next.row, next.col, GRIDN_SELCHANGED);
            m_MouseMode = GMM_NOTHING;
        }
        SetFocusCell(next);
        if (!IsCellVisible(next)) {
            switch (nChar) {
            case VK_TAB:
                if (bShift) {
                    if (bChangeLine) {
                        SendMessage(WM_VSCROLL, SB_LINEUP, 0);
                        SetScrollPos32(SB_HORZ, m_nHScrollMax);
                        bVertScroll = TRUE;
                    } else {
                        SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
                        bHorzScroll = TRUE;
                    }
                } else {
                    if (bChangeLine) {
                        SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
                        SetScrollPos32(SB_HORZ, 0);
                        bVertScroll = TRUE;
                    } else {
                        SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
                        bHorzScroll = TRUE;
                    }
                }
                break;
            case VK_RIGHT: SendMessage(WM_HSCROLL, SB_LINERIGHT, 0); bHorzScroll = TRUE; break;
            case VK_LEFT: SendMessage(WM_HSCROLL, SB_LINELEFT, 0); bHorzScroll = TRUE; break;
            case VK_DOWN: SendMessage(WM_VSCROLL, SB_LINEDOWN, 0); bVertScroll = TRUE; break;
            case VK_UP: SendMessage(WM_VSCROLL, SB_LINEUP, 0); bVertScroll = TRUE; break;
            default: break;
            }
            EnsureVisible(next);
            // Scrolled by moving the pixels, the screen already shows the grid as it is; a scroll
            // position set directly (Tab to another line) needs the whole area painted.
            if (m_idShownTopLeft != GetTopLeftNonFixedCell()) Invalidate();
        }
        EnsureVisible(next);
    }
    if (bHorzScroll) SendMessage(WM_HSCROLL, SB_ENDSCROLL, 0);
    if (bVertScroll) SendMessage(WM_VSCROLL, SB_ENDSCROLL, 0);
}

void CGridCtrl::OnChar(UINT nChar, UINT, UINT)
{
    if (!CtrlDown() && m_MouseMode == GMM_NOTHING && nChar != VK_ESCAPE) {
        if (nChar == VK_TAB) {
            Default();
            return;
        }
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), nChar);
    }
    Default();
}

LRESULT CGridCtrl::OnImeChar(WPARAM wCharCode, LPARAM)
{
    if (!CtrlDown() && m_MouseMode == GMM_NOTHING && wCharCode != VK_ESCAPE)
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), (UINT)wCharCode);
    Default();
    return 0;
}

void CGridCtrl::OnSysKeyDown(UINT, UINT, UINT) { Default(); }

UINT CGridCtrl::OnGetDlgCode()
{
    UINT nCode = DLGC_WANTARROWS | DLGC_WANTCHARS;
    // Tab moves between the cells of a grid that takes input; from a read-only grid it goes on to the
    // next control, so that a keyboard user is not held in it.
    if (!CtrlDown() && m_bEditable) nCode |= DLGC_WANTTAB;
    return nCode;
}

LRESULT CGridCtrl::OnGetDlgCodeFor(WPARAM, LPARAM lParam)
{
    UINT nCode = OnGetDlgCode();
    // Return on a link cell is the cell's, not the dialog's default button's.
    const MSG* pMsg = (const MSG*)lParam;
    if (pMsg && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN &&
        HasDefaultAction(m_idCurrentCell.row, m_idCurrentCell.col))
        nCode |= DLGC_WANTMESSAGE;
    return nCode;
}

// ---------------------------------------------------------------------------------------------
// Editing

void CGridCtrl::OnEditCell(int nRow, int nCol, CPoint point, UINT nChar)
{
    if (::IsWindow(m_TitleTip.GetSafeHwnd())) m_TitleTip.Hide();
    if (!IsValid(nRow, nCol) || !IsCellEditable(nRow, nCol)) return;
    EnsureVisible(nRow, nCol);
    CRect rect;
    if (!IsCellVisible(nRow, nCol) || !GetCellRect(nRow, nCol, &rect)) return;
    if (SendMessageToParent(nRow, nCol, GRIDN_BEGINEDIT) < 0) return;
    if (CGridCellBase* pCell = GetCell(nRow, nCol)) pCell->Edit(nRow, nCol, rect, point, IDC_INPLACE_CONTROL, nChar);
}

void CGridCtrl::OnEndInPlaceEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (!::IsWindow(GetSafeHwnd()) || !pNMHDR) return;
    GRIDITEM* pItem = &((GRIDDISPINFO*)pNMHDR)->item;
    OnEndEditCell(pItem->row, pItem->col, pItem->strText);
    const UINT nKey = (UINT)pItem->lParam;
    if (nKey == VK_TAB || (nKey >= VK_PRIOR && nKey <= VK_DOWN)) {
        OnKeyDown(nKey, 0, 0);
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), nKey);
    }
    *pResult = 0;
}

// An accepted text stays; a text the cell or the owner refuses gives way to the old one.
static BOOL AcceptText(CGridCtrl* pGrid, int nRow, int nCol, const CString& str)
{
    CString strOld = pGrid->GetItemText(nRow, nCol);
    if (str == strOld) return TRUE;
    pGrid->SetItemText(nRow, nCol, str);
    if (pGrid->ValidateEdit(nRow, nCol, str) && pGrid->SendMessageToParent(nRow, nCol, GRIDN_ENDEDIT) >= 0) {
        pGrid->SetModified(TRUE, nRow, nCol);
        pGrid->RedrawCell(nRow, nCol);
        return TRUE;
    }
    pGrid->SetItemText(nRow, nCol, strOld);
    return FALSE;
}

void CGridCtrl::OnEndEditCell(int nRow, int nCol, CString str)
{
    AcceptText(this, nRow, nCol, str);
    if (CGridCellBase* pCell = GetCell(nRow, nCol)) pCell->OnEndEdit();
}

BOOL CGridCtrl::ValidateEdit(int nRow, int nCol, LPCTSTR str)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->ValidateEdit(str) : TRUE;
}

void CGridCtrl::EndEditing()
{
    if (!IsValid(m_idCurrentCell)) return;
    if (CGridCellBase* pCell = GetCell(m_idCurrentCell.row, m_idCurrentCell.col)) pCell->EndEdit();
}

BOOL CGridCtrl::ChangeCellText(int nRow, int nCol, LPCTSTR str)
{
    if (!IsValid(nRow, nCol) || !IsCellEditable(nRow, nCol)) return FALSE;
    if (SendMessageToParent(nRow, nCol, GRIDN_BEGINEDIT) < 0) return FALSE;
    return AcceptText(this, nRow, nCol, CString(str ? str : L""));
}

// ---------------------------------------------------------------------------------------------
// Clipboard

void CGridCtrl::CutSelectedText()
{
    if (!IsEditable()) return;
    std::vector<CCellID> cells;
    POSITION pos = m_SelectedCellMap.GetStartPosition();
    while (pos) {
        DWORD key;
        CCellID cell;
        m_SelectedCellMap.GetNextAssoc(pos, key, cell);
        cells.push_back(cell);
    }
    for (const CCellID& cell : cells) ChangeCellText(cell.row, cell.col, L"");
}

COleDataSource* CGridCtrl::CopyTextFromGrid()
{
    CCellRange selection = GetSelectedCellRange();
    if (!IsValid(selection)) return nullptr;

    std::string text;
    for (int row = selection.GetMinRow(); row <= selection.GetMaxRow(); ++row) {
        if (GetRowHeight(row) == 0) continue;
        CString line;
        for (int col = selection.GetMinCol(); col <= selection.GetMaxCol(); ++col) {
            if (GetColumnWidth(col) == 0) continue;
            if (IsCellSelected(row, col)) line += GetItemText(row, col);
            if (col != selection.GetMaxCol()) line += L"\t";
        }
        if (row != selection.GetMaxRow()) line += L"\r\n";
        int n = ::WideCharToMultiByte(CP_ACP, 0, line, line.GetLength(), nullptr, 0, nullptr, nullptr);
        if (n > 0) {
            std::string bytes((size_t)n, '\0');
            ::WideCharToMultiByte(CP_ACP, 0, line, line.GetLength(), &bytes[0], n, nullptr, nullptr);
            text += bytes;
        }
    }
    HGLOBAL hMem = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    if (!hMem) return nullptr;
    char* p = (char*)::GlobalLock(hMem);
    if (!p) {
        ::GlobalFree(hMem);
        return nullptr;
    }
    memcpy(p, text.c_str(), text.size() + 1);
    ::GlobalUnlock(hMem);

    COleDataSource* pSource = new COleDataSource;
    pSource->CacheGlobalData(CF_TEXT, hMem);
    return pSource;
}

BOOL CGridCtrl::PasteTextToGrid(CCellID cell, COleDataObject* pDataObject, BOOL bSelectPastedCells)
{
    if (!IsValid(cell) || !IsCellEditable(cell) || !pDataObject || !pDataObject->IsDataAvailable(CF_TEXT))
        return FALSE;
    HGLOBAL hMem = pDataObject->GetGlobalData(CF_TEXT);
    if (!hMem) return FALSE;
    CString strText;
    if (const char* p = (const char*)::GlobalLock(hMem)) {
        int len = (int)strnlen(p, ::GlobalSize(hMem));
        int n = ::MultiByteToWideChar(CP_ACP, 0, p, len, nullptr, 0);
        if (n > 0) {
            std::wstring wide((size_t)n, L'\0');
            ::MultiByteToWideChar(CP_ACP, 0, p, len, &wide[0], n);
            strText = CString(wide.c_str(), n);
        }
        ::GlobalUnlock(hMem);
    }
    ::GlobalFree(hMem);

    auto visibleRow = [&](int r) { while (r < m_nRows && GetRowHeight(r) == 0) ++r; return r; };
    auto visibleCol = [&](int c) { while (c < m_nCols && GetColumnWidth(c) == 0) ++c; return c; };

    CCellRange pasted(cell.row, cell.col, -1, -1);
    const int nLen = strText.GetLength();
    int row = visibleRow(cell.row);
    int start = 0;
    while (start <= nLen) {
        int end = start;
        while (end < nLen && strText[end] != L'\n') ++end;
        // The line end after the last line opens no further line.
        if (end == nLen && start == nLen && start > 0) break;
        CString line = strText.Mid(start, end - start);
        int col = visibleCol(cell.col);
        int fieldStart = 0;
        const int lineLen = line.GetLength();
        while (fieldStart <= lineLen) {
            int fieldEnd = fieldStart;
            while (fieldEnd < lineLen && line[fieldEnd] != L'\t' && line[fieldEnd] != L',') ++fieldEnd;
            if (IsValid(row, col)) {
                CString field = line.Mid(fieldStart, fieldEnd - fieldStart);
                field.Trim();
                ChangeCellText(row, col, field);
                SetItemState(row, col, GetItemState(row, col) & ~GCS_SELECTED);
                if (row > pasted.GetMaxRow()) pasted.SetMaxRow(row);
                if (col > pasted.GetMaxCol()) pasted.SetMaxCol(col);
            }
            fieldStart = fieldEnd + 1;
            col = visibleCol(col + 1);
        }
        start = end + 1;
        row = visibleRow(row + 1);
    }

    if (bSelectPastedCells) SetSelectedRange(pasted, TRUE, TRUE);
    else ResetSelectedRange();
    Refresh();
    return TRUE;
}

void CGridCtrl::OnEditCopy()
{
    if (COleDataSource* pSource = CopyTextFromGrid()) pSource->SetClipboard();
}

void CGridCtrl::OnEditCut()
{
    if (!IsEditable()) return;
    COleDataSource* pSource = CopyTextFromGrid();
    if (!pSource) return;
    pSource->SetClipboard();
    CutSelectedText();
}

void CGridCtrl::OnEditPaste()
{
    if (!IsEditable()) return;
    CCellRange selection = GetSelectedCellRange();
    CCellID cell;
    if (IsValid(selection)) cell = selection.GetTopLeft();
    else if (IsValid(m_idCurrentCell)) cell = m_idCurrentCell;
    else cell = GetTopLeftNonFixedCell();
    if (!IsValid(cell)) return;

    CGridCellBase* pCell = GetCell(cell.row, cell.col);
    if (pCell && pCell->IsEditing()) {
        CWnd* pEdit = pCell->GetEditWnd();
        wchar_t cls[16] = {};
        if (pEdit && ::IsWindow(pEdit->m_hWnd) && ::GetClassNameW(pEdit->m_hWnd, cls, 16) && lstrcmpiW(cls, L"Edit") == 0) {
            pEdit->SendMessage(WM_PASTE, 0, 0);
            return;
        }
    }
    COleDataObject obj;
    if (obj.AttachClipboard()) PasteTextToGrid(cell, &obj, TRUE);
}

// Menus and toolbars of the grid's owner ask these whether each edit command can act now.
void CGridCtrl::OnUpdateEditCopy(CCmdUI* pCmdUI) { pCmdUI->Enable(GetSelectedCount() > 0); }

void CGridCtrl::OnUpdateEditCut(CCmdUI* pCmdUI) { pCmdUI->Enable(IsEditable() && GetSelectedCount() > 0); }

void CGridCtrl::OnUpdateEditPaste(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsValid(m_idCurrentCell) && IsEditable() && ::IsClipboardFormatAvailable(CF_TEXT));
}

void CGridCtrl::OnUpdateEditSelectAll(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bEnableSelection); }

// ---------------------------------------------------------------------------------------------
// OLE drags from other programs: shown, never accepted

DROPEFFECT CGridCtrl::OnDragEnter(COleDataObject*, DWORD, CPoint point)
{
    CCellID cell = GetCellFromPt(point, TRUE);
    m_LastDragOverCell = (IsValid(cell) && !IsCellFixed(cell.row, cell.col)) ? cell : CCellID(-1, -1);
    return DROPEFFECT_NONE;
}

DROPEFFECT CGridCtrl::OnDragOver(COleDataObject*, DWORD dwKeyState, CPoint point)
{
    CCellID cell = GetCellFromPt(point, TRUE);
    if (!IsValid(cell) || IsCellFixed(cell.row, cell.col)) {
        OnDragLeave();
        m_LastDragOverCell = CCellID(-1, -1);
        return DROPEFFECT_NONE;
    }
    // The cell the drag entered over is remembered unmarked, so it is marked on the first move too.
    if (cell != m_LastDragOverCell || !(GetItemState(cell.row, cell.col) & GCS_DROPHILITED)) {
        if (IsValid(m_LastDragOverCell) && m_LastDragOverCell != cell) {
            SetItemState(m_LastDragOverCell.row, m_LastDragOverCell.col,
                         GetItemState(m_LastDragOverCell.row, m_LastDragOverCell.col) & ~GCS_DROPHILITED);
            RedrawCell(m_LastDragOverCell);
        }
        m_LastDragOverCell = cell;
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GCS_DROPHILITED);
        RedrawCell(cell);
    }
    return (dwKeyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

void CGridCtrl::OnDragLeave()
{
    if (!IsValid(m_LastDragOverCell)) return;
    SetItemState(m_LastDragOverCell.row, m_LastDragOverCell.col,
                 GetItemState(m_LastDragOverCell.row, m_LastDragOverCell.col) & ~GCS_DROPHILITED);
    RedrawCell(m_LastDragOverCell);
}

BOOL CGridCtrl::OnDrop(COleDataObject*, DROPEFFECT, CPoint)
{
    m_MouseMode = GMM_NOTHING;
    OnDragLeave();
    return FALSE;
}
