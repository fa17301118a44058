// Grid selection, focus, mouse, keyboard, editing and clipboard.
#include "grid/GridCtrl.h"

CCellID CGridCtrl::SetFocusCell(int nRow, int nCol) { return SetFocusCell(CCellID(nRow, nCol)); }
CCellID CGridCtrl::SetFocusCell(CCellID cell)
{
    CCellID prev = m_idCurrentCell;
    m_idCurrentCell = cell;
    return prev;
}
void CGridCtrl::SelectAllCells() {}
void CGridCtrl::SelectRows(CCellID, BOOL, BOOL) {}
void CGridCtrl::SelectColumns(CCellID, BOOL, BOOL) {}
void CGridCtrl::SelectCells(CCellID, BOOL, BOOL) {}
void CGridCtrl::OnSelecting(const CCellID&) {}
BOOL CGridCtrl::ChangeCellText(int, int, LPCTSTR) { return FALSE; }
BOOL CGridCtrl::MouseOverRowResizeArea(CPoint&) { return FALSE; }
BOOL CGridCtrl::MouseOverColumnResizeArea(CPoint&) { return FALSE; }
void CGridCtrl::OnBeginDrag() {}
void CGridCtrl::CutSelectedText() {}
COleDataSource* CGridCtrl::CopyTextFromGrid() { return nullptr; }
BOOL CGridCtrl::PasteTextToGrid(CCellID, COleDataObject*, BOOL) { return FALSE; }
DROPEFFECT CGridCtrl::OnDragEnter(COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
DROPEFFECT CGridCtrl::OnDragOver(COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
void CGridCtrl::OnDragLeave() {}
BOOL CGridCtrl::OnDrop(COleDataObject*, DROPEFFECT, CPoint) { return FALSE; }
void CGridCtrl::OnEditCut() {}
void CGridCtrl::OnEditCopy() {}
void CGridCtrl::OnEditPaste() {}
void CGridCtrl::OnEditSelectAll() {}
void CGridCtrl::OnFixedColumnClick(CCellID&) {}
void CGridCtrl::OnFixedRowClick(CCellID&) {}
void CGridCtrl::OnEditCell(int, int, CPoint, UINT) {}
void CGridCtrl::OnEndEditCell(int nRow, int nCol, CString)
{
    if (CGridCellBase* pCell = GetCell(nRow, nCol)) pCell->OnEndEdit();
}
BOOL CGridCtrl::ValidateEdit(int nRow, int nCol, LPCTSTR str)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->ValidateEdit(str) : TRUE;
}
void CGridCtrl::EndEditing()
{
    CGridCellBase* pCell = GetCell(m_idCurrentCell.row, m_idCurrentCell.col);
    if (pCell) pCell->EndEdit();
}
void CGridCtrl::OnLButtonDown(UINT, CPoint) { Default(); }
void CGridCtrl::OnMouseMove(UINT, CPoint) { Default(); }
void CGridCtrl::OnLButtonUp(UINT, CPoint) { Default(); }
void CGridCtrl::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CGridCtrl::OnRButtonUp(UINT, CPoint) { Default(); }
void CGridCtrl::OnTimer(UINT_PTR) {}
BOOL CGridCtrl::OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
void CGridCtrl::OnCaptureChanged(CWnd*) {}
void CGridCtrl::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CGridCtrl::OnChar(UINT, UINT, UINT) { Default(); }
LRESULT CGridCtrl::OnImeChar(WPARAM, LPARAM) { return 0; }
void CGridCtrl::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
UINT CGridCtrl::OnGetDlgCode() { return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB; }
void CGridCtrl::OnEndInPlaceEdit(NMHDR*, LRESULT* pResult) { *pResult = 0; }
void CGridCtrl::OnUpdateEditCopy(CCmdUI*) {}
void CGridCtrl::OnUpdateEditCut(CCmdUI*) {}
void CGridCtrl::OnUpdateEditPaste(CCmdUI*) {}
void CGridCtrl::OnUpdateEditSelectAll(CCmdUI*) {}
