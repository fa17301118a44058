// A cell with a check box at its top-left, in front of its text, toggled by a click on the box.
#pragma once
#include "grid/cells/GridCell.h"

class CGridCellCheck : public CGridCell {
    DECLARE_DYNCREATE(CGridCellCheck)
public:
    CGridCellCheck();

    BOOL Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd = TRUE) override;
    BOOL GetTextRect(LPRECT pRect) override;
    CSize GetCellExtent(CDC* pDC) override;
    void OnLButtonUp(CPoint PointCellRelative) override;

    CRect GetCheckPlacement();

    BOOL GetCheck() const { return m_bChecked; }
    void SetCheck(BOOL bChecked) { m_bChecked = bChecked; }
    BOOL GetCheckEnabled() const { return m_bEnabled; }
    void SetCheckEnabled(BOOL bEnabled) { m_bEnabled = bEnabled; }
    BOOL GetCentred() const { return m_bCentred; }
    void SetCentred(BOOL bCentred) { m_bCentred = bCentred; }

protected:
    BOOL m_bChecked;
    BOOL m_bEnabled;
    CRect m_Rect;
    BOOL m_bCentred;
};
