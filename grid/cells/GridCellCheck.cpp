// The check cell: the box sits in front of the text, and only a release over the box toggles it.
#include "grid/cells/GridCellCheck.h"
#include "grid/GridCtrl.h"

IMPLEMENT_DYNCREATE(CGridCellCheck, CGridCell)

// The box's side: the width of a scroll-bar arrow at the grid's scale, so it matches the system's
// small controls beside it.
static int BoxSide(const CGridCellCheck* pCell)
{
    CGridCtrl* pGrid = pCell->GetGrid();
    return pGrid ? pGrid->GetSystemMetricForDpi(SM_CXHSCROLL) : ::GetSystemMetrics(SM_CXHSCROLL);
}

CGridCellCheck::CGridCellCheck() : m_bChecked(FALSE), m_bEnabled(TRUE), m_Rect(0, 0, 0, 0), m_bCentred(FALSE) {}

BOOL CGridCellCheck::Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd)
{
    BOOL bResult = CGridCell::Draw(pDC, nRow, nCol, rect, bEraseBkgnd);
    m_Rect = rect;
    CRect box = GetCheckPlacement();
    UINT state = DFCS_BUTTONCHECK;
    if (m_bChecked) state |= DFCS_CHECKED;
    if (!m_bEnabled) state |= DFCS_INACTIVE;
    if (pDC) ::DrawFrameControl(pDC->GetSafeHdc(), &box, DFC_BUTTON, state);
    return bResult;
}

BOOL CGridCellCheck::GetTextRect(LPRECT pRect)
{
    BOOL bResult = CGridCell::GetTextRect(pRect);
    if (bResult) {
        pRect->left += BoxSide(this) + 2 * (int)GetMargin();
        if (pRect->left > pRect->right) pRect->left = pRect->right;
    }
    return bResult;
}

CSize CGridCellCheck::GetCellExtent(CDC* pDC)
{
    CSize size = CGridCell::GetCellExtent(pDC);
    const int extra = BoxSide(this) + 2 * (int)GetMargin();
    size.cx += extra;
    size.cy += extra;
    return size;
}

CRect CGridCellCheck::GetCheckPlacement()
{
    const int w = BoxSide(this);
    CRect place = m_Rect;
    place.OffsetRect((int)GetMargin(), (int)GetMargin());
    place.right = place.left + w;
    place.bottom = place.top + w;
    if (m_bCentred) {
        int d = (m_Rect.Width() - w) / 2;
        if (d > 0) {
            place.left += d;
            place.right = place.left + w;
        }
    }
    return place;
}

void CGridCellCheck::OnLButtonUp(CPoint PointCellRelative)
{
    if (!m_bEnabled) return;
    // A cell never drawn has no box to hit.
    if (m_Rect.IsRectEmpty()) return;
    CPoint point(PointCellRelative.x + m_Rect.left, PointCellRelative.y + m_Rect.top);
    if (!GetCheckPlacement().PtInRect(point)) return;
    m_bChecked = !m_bChecked;
    CGridCtrl* pGrid = GetGrid();
    if (pGrid && ::IsWindow(pGrid->GetSafeHwnd())) pGrid->InvalidateRect(&m_Rect, TRUE);
}
