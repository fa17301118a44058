// Grid painting.
#include "grid/GridCtrl.h"

void CGridCtrl::OnPaint()
{
    CPaintDC dc(this);
    OnDraw(&dc);
}
BOOL CGridCtrl::OnEraseBkgnd(CDC*) { return TRUE; }
void CGridCtrl::OnDraw(CDC*) {}
void CGridCtrl::EraseBkgnd(CDC*) {}
BOOL CGridCtrl::RedrawCell(int, int, CDC*) { return FALSE; }
BOOL CGridCtrl::RedrawCell(const CCellID& cell, CDC* pDC) { return RedrawCell(cell.row, cell.col, pDC); }
BOOL CGridCtrl::InvalidateCellRect(int, int) { return FALSE; }
BOOL CGridCtrl::InvalidateCellRect(const CCellID& cell) { return InvalidateCellRect(cell.row, cell.col); }
void CGridCtrl::OnSysColorChange() { Default(); }
