// Grid geometry and scrolling.
#include "grid/GridCtrl.h"

CCellID CGridCtrl::GetTopLeftNonFixedCell(BOOL) { return CCellID(m_nFixedRows, m_nFixedCols); }
CCellRange CGridCtrl::GetVisibleNonFixedCellRange(LPRECT pRect, BOOL)
{
    if (pRect) ::SetRectEmpty(pRect);
    return CCellRange(m_nFixedRows, m_nFixedCols, m_nRows - 1, m_nCols - 1);
}
CCellRange CGridCtrl::GetVisibleFixedCellRange(LPRECT pRect, BOOL)
{
    if (pRect) ::SetRectEmpty(pRect);
    return CCellRange(m_nFixedRows, 0, m_nRows - 1, m_nFixedCols - 1);
}
BOOL CGridCtrl::GetCellOrigin(int, int, LPPOINT) { return FALSE; }
BOOL CGridCtrl::GetCellOrigin(const CCellID& cell, LPPOINT p) { return GetCellOrigin(cell.row, cell.col, p); }
BOOL CGridCtrl::GetCellRect(int, int, LPRECT) { return FALSE; }
BOOL CGridCtrl::GetCellRect(const CCellID& cell, LPRECT pRect) { return GetCellRect(cell.row, cell.col, pRect); }
CPoint CGridCtrl::GetPointClicked(int, int, const CPoint&) { return CPoint(0, 0); }
CCellID CGridCtrl::GetCellFromPt(CPoint, BOOL) { return CCellID(); }
BOOL CGridCtrl::IsCellVisible(int, int) { return FALSE; }
void CGridCtrl::EnsureVisible(int, int) {}
void CGridCtrl::ResetScrollBars() { ForgetTopLeft(); }
void CGridCtrl::EnableScrollBars(int, BOOL) {}
int CGridCtrl::SetScrollPos32(int, int, BOOL) { ForgetTopLeft(); return 0; }
int CGridCtrl::GetScrollPos32(int, BOOL) { return 0; }
BOOL CGridCtrl::AutoSizeRow(int, BOOL) { return FALSE; }
BOOL CGridCtrl::AutoSizeColumn(int, UINT, BOOL) { return FALSE; }
void CGridCtrl::AutoSizeColumns(UINT) {}
int CGridCtrl::GetMouseScrollLines() { return 3; }
void CGridCtrl::OnSize(UINT, int, int) { Default(); }
void CGridCtrl::OnHScroll(UINT, UINT, CScrollBar*) {}
void CGridCtrl::OnVScroll(UINT, UINT, CScrollBar*) {}
BOOL CGridCtrl::OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
LRESULT CGridCtrl::OnSetFont(WPARAM, LPARAM) { return Default(); }
LRESULT CGridCtrl::OnGetFont(WPARAM, LPARAM) { return (LRESULT)m_cellDefault.GetFontObject()->GetSafeHandle(); }
