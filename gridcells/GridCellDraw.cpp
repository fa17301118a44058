// Cell drawing and measuring.
#include "gridcells/GridCellBase.h"
#include "gridcells/GridCell.h"
#include "grid/GridCtrl.h"

BOOL CGridCellBase::Draw(CDC*, int, int, CRect, BOOL) { return FALSE; }
BOOL CGridCellBase::GetTextRect(LPRECT) { return TRUE; }
CSize CGridCellBase::GetTextExtent(LPCTSTR, CDC*)
{
    CGridDefaultCell* pDefault = (CGridDefaultCell*)GetDefaultCell();
    return pDefault ? CSize(pDefault->GetWidth(), pDefault->GetHeight()) : CSize(0, 0);
}
CSize CGridCellBase::GetCellExtent(CDC* pDC) { return GetTextExtent(GetText(), pDC); }
BOOL CGridCellBase::PrintCell(CDC*, int, int, CRect) { return FALSE; }
