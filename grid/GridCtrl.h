// A general-purpose table window: a rectangular array of cell objects whose first rows and columns
// may be fixed headers, with per-row heights, per-column widths, a focus cell, a set of selected
// cells, in-place editing and clipboard commands. The model works without a window: every step that
// would touch the window checks first that there is one.
#pragma once
#include "framework/AfxWin.h"
#include "framework/AfxGdi.h"
#include "framework/AfxColl.h"
#include "framework/AfxOle.h"
#include "framework/AfxDisplay.h"
#include "grid/CellID.h"
#include "grid/CellRange.h"
#include "grid/GridArrays.h"
#include "grid/cells/GridCell.h"
#include "grid/TitleTip.h"
#include "grid/GridDropTarget.h"
#include <vector>

#define GRIDCTRL_CLASSNAME L"MFCGridCtrl"
#define IDC_INPLACE_CONTROL 8      // control id of the in-place editor
#define WM_GRID_TIMER_ID 513       // auto-scroll timer while a selection is dragged
// Posted to the grid to run a cell's default action (wParam row, lParam column) once the caller
// that asked for it (a screen reader) has its answer.
#define WM_GRID_DEFAULTACTION (WM_USER + 100)

// Notifications to the owner (WM_NOTIFY with a GRIDNOTIFY record).
#define GRIDN_SELCHANGING (-100)
#define GRIDN_SELCHANGED (-101)
#define GRIDN_BEGINEDIT (-175)
// GRIDN_ENDEDIT (-176) comes with the cells.
#define GVN_SELCHANGING GRIDN_SELCHANGING
#define GVN_SELCHANGED GRIDN_SELCHANGED
#define GVN_BEGINLABELEDIT GRIDN_BEGINEDIT
#define GVN_ENDLABELEDIT GRIDN_ENDEDIT

// Which grid lines are drawn.
#define GVL_NONE 0
#define GVL_HORZ 1
#define GVL_VERT 2
#define GVL_BOTH 3

// Which cells a double-click autosize measures.
#define GVS_HEADER 1
#define GVS_DATA 2
#define GVS_BOTH 3

// Cell states by their grid names.
#define GVIS_FOCUSED GCS_FOCUSED
#define GVIS_SELECTED GCS_SELECTED
#define GVIS_DROPHILITED GCS_DROPHILITED
#define GVIS_READONLY GCS_READONLY
#define GVIS_FIXED GCS_FIXED
#define GVIS_FIXEDROW GCS_FIXEDROW
#define GVIS_FIXEDCOL GCS_FIXEDCOL
#define GVIS_MODIFIED GCS_MODIFIED

// Mouse modes.
enum {
    GMM_NOTHING = 0,
    GMM_SELECT_ALL = 1,
    GMM_SELECT_COL = 2,
    GMM_SELECT_ROW = 3,
    GMM_SELECT_CELLS = 4,
    GMM_OVER_ROW_DIVIDE = 6,
    GMM_SIZING_ROW = 7,
    GMM_OVER_COL_DIVIDE = 8,
    GMM_SIZING_COL = 9,
    GMM_PREPARE_EDIT = 10,
    GMM_PREPARE_DRAG = 11,
    GMM_DRAGGING = 12
};

struct GRIDNOTIFY {
    NMHDR hdr;
    int iRow;
    int iColumn;
};

class CCmdUI;
class CGridAccessible;

typedef CTypedPtrArray<CObArray, CGridCellBase*> GRID_ROW;
typedef CMap<DWORD, DWORD, CCellID, const CCellID&> CCellIDMap;

class CGridCtrl : public CWnd {
    DECLARE_DYNCREATE(CGridCtrl)
public:
    CGridCtrl(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
    ~CGridCtrl() override;

    BOOL RegisterWindowClass();

    // Counts.
    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    int GetFixedRowCount() const { return m_nFixedRows; }
    int GetFixedColumnCount() const { return m_nFixedCols; }
    BOOL SetRowCount(int nRows = 10);
    BOOL SetColumnCount(int nCols = 10);
    BOOL SetFixedRowCount(int nFixedRows = 1);
    BOOL SetFixedColumnCount(int nFixedCols = 1);
    int InsertRow(LPCTSTR strHeading, int nRow = -1);
    BOOL DeleteRow(int nRow);
    BOOL DeleteAllItems();

    // Sizes.
    int GetRowHeight(int nRow) const;
    BOOL SetRowHeight(int nRow, int height);
    int GetColumnWidth(int nCol) const;
    BOOL SetColumnWidth(int nCol, int width);
    int GetFixedRowHeight() const;
    int GetFixedColumnWidth() const;
    long GetVirtualHeight() const;
    long GetVirtualWidth() const;
    void ExpandRowsToFit(BOOL bExpandFixed = TRUE);
    void ExpandColumnsToFit(BOOL bExpandFixed = TRUE);
    void ExpandLastColumn();

    // Cells.
    CGridCellBase* GetCell(int nRow, int nCol) const;
    CGridDefaultCell* GetDefaultCell(BOOL bFixedRow, BOOL bFixedCol) const;
    BOOL IsValid(int nRow, int nCol) const;
    BOOL IsValid(const CCellID& cell) const;
    BOOL IsValid(const CCellRange& range) const;
    BOOL SetCellType(int nRow, int nCol, CRuntimeClass* pRuntimeClass);

    // Cell attributes.
    BOOL SetItemText(int nRow, int nCol, LPCTSTR str);
    CString GetItemText(int nRow, int nCol) const;
    BOOL SetItemImage(int nRow, int nCol, int iImage);
    int GetItemImage(int nRow, int nCol) const;
    BOOL SetItemData(int nRow, int nCol, LPARAM lParam);
    LPARAM GetItemData(int nRow, int nCol) const;
    BOOL SetItemFormat(int nRow, int nCol, UINT nFormat);
    UINT GetItemFormat(int nRow, int nCol) const;
    BOOL SetItemTextColor(int nRow, int nCol, COLORREF cr);
    COLORREF GetItemTextColor(int nRow, int nCol) const;
    BOOL SetItemBackColor(int nRow, int nCol, COLORREF cr);
    COLORREF GetItemBackColor(int nRow, int nCol) const;
    BOOL SetItemFont(int nRow, int nCol, const LOGFONT* plf);
    const LOGFONT* GetItemFont(int nRow, int nCol);
    BOOL SetItemState(int nRow, int nCol, UINT nState);
    UINT GetItemState(int nRow, int nCol) const;
    CSize GetTextExtent(int nRow, int nCol, LPCTSTR str);
    BOOL IsCellEditing(int nRow, int nCol) const;
    BOOL IsCellEditable(int nRow, int nCol) const;
    BOOL IsCellEditable(const CCellID& cell) const { return IsCellEditable(cell.row, cell.col); }
    BOOL IsCellSelected(int nRow, int nCol) const;
    BOOL IsCellSelected(const CCellID& cell) const { return IsCellSelected(cell.row, cell.col); }
    BOOL IsCellFixed(int nRow, int nCol) const { return nRow < m_nFixedRows || nCol < m_nFixedCols; }

    // Grid settings.
    void SetImageList(CImageList* pList) { m_pImageList = pList; }
    CImageList* GetImageList() const { return m_pImageList; }
    // What an image of the list means, for screen readers: the name of a cell that has no text.
    void SetImageName(int nImage, LPCTSTR name);
    CString GetImageName(int nImage) const;
    void SetEditable(BOOL bEditable = TRUE) { m_bEditable = bEditable; }
    BOOL IsEditable() const { return m_bEditable; }
    void SetListMode(BOOL bEnableListMode = TRUE);
    BOOL GetListMode() const { return m_bListMode; }
    void SetSingleRowSelection(BOOL bSing = TRUE) { m_bSingleRowSelection = bSing; }
    BOOL GetSingleRowSelection() const { return m_bSingleRowSelection && m_bListMode; }
    void EnableSelection(BOOL bEnable = TRUE);
    BOOL IsSelectable() const { return m_bEnableSelection; }
    void SetFixedRowSelection(BOOL bSelect) { m_bFixedRowSelection = bSelect; }
    BOOL GetFixedRowSelection() const { return m_bFixedRowSelection; }
    void SetFixedColumnSelection(BOOL bSelect) { m_bFixedColumnSelection = bSelect; }
    BOOL GetFixedColumnSelection() const { return m_bFixedColumnSelection; }
    void SetRowResize(BOOL bResize = TRUE) { m_bAllowRowResize = bResize; }
    BOOL GetRowResize() const { return m_bAllowRowResize; }
    void SetColumnResize(BOOL bResize = TRUE) { m_bAllowColumnResize = bResize; }
    BOOL GetColumnResize() const { return m_bAllowColumnResize; }
    void EnableTitleTips(BOOL bEnable = TRUE) { m_bTitleTips = bEnable; }
    BOOL GetTitleTips() const { return m_bTitleTips; }
    void SetGridBkColor(COLORREF clr) { m_crGridBkColor = clr; }
    COLORREF GetGridBkColor() const { return m_crGridBkColor; }
    COLORREF GetGridLineColor() const { return m_crGridLineColor; }
    void SetTitleTipBackColor(COLORREF clr = CLR_DEFAULT) { m_crTitleTipBackColor = clr; }
    COLORREF GetTitleTipBackColor() const { return m_crTitleTipBackColor; }
    void SetTitleTipTextColor(COLORREF clr = CLR_DEFAULT) { m_crTitleTipTextColor = clr; }
    COLORREF GetTitleTipTextColor() const { return m_crTitleTipTextColor; }
    int GetGridLines() const { return m_nGridLines; }
    BOOL GetTrackFocusCell() const { return m_bTrackFocusCell; }
    BOOL GetFrameFocusCell() const { return m_bFrameFocus; }
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL GetSortAscending() const { return m_bAscending; }
    BOOL GetPrintColors() const { return m_bPrintColors; }
    BOOL GetDoubleBuffering() const { return m_bDoubleBuffer; }
    BOOL GetDragAndDrop() const { return m_bAllowDragAndDrop; }
    UINT GetAutoSizeStyle() const { return (UINT)m_nAutoSizeColumnStyle; }
    void SetSortColumn(int nCol);
    int GetSelectedCount() const { return (int)m_SelectedCellMap.GetCount(); }
    BOOL GetModified() const { return m_bModified; }
    CTitleTip& GetTitleTip() { return m_TitleTip; }
    CGridDropTarget& GetDropTarget() { return m_DropTarget; }

    // Selection, focus, modified state, redraw.
    void SetSelectedRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, BOOL bForceRepaint = FALSE,
                          BOOL bSelectCells = TRUE);
    void SetSelectedRange(const CCellRange& Range, BOOL bForceRepaint = FALSE, BOOL bSelectCells = TRUE);
    void ResetSelectedRange();
    CCellRange GetSelectedCellRange() const;
    CCellID SetFocusCell(int nRow, int nCol);
    CCellID SetFocusCell(CCellID cell);
    CCellID GetFocusCell() const { return m_idCurrentCell; }
    void SetModified(BOOL bModified = TRUE, int nRow = -1, int nCol = -1);
    BOOL IsModified(int nRow = -1, int nCol = -1);
    void Refresh();
    BOOL RedrawCell(int nRow, int nCol, CDC* pDC = nullptr);
    BOOL RedrawCell(const CCellID& cell, CDC* pDC = nullptr);
    BOOL InvalidateCellRect(int nRow, int nCol);
    BOOL InvalidateCellRect(const CCellID& cell);
    LRESULT SendMessageToParent(int nRow, int nCol, int nMessage) const;

    // A cell's default action (a link cell's click), as Enter, Space and screen readers run it.
    BOOL HasDefaultAction(int nRow, int nCol) const;
    BOOL RunDefaultAction(int nRow, int nCol);

    // The packed key of a cell in the selection maps: row in the low 16 bits, column in the high 16.
    static DWORD SelectionKey(int nRow, int nCol) { return (DWORD)MAKELONG(nRow, nCol); }

    // Geometry and scrolling (GridCtrlGeometry.cpp).
    CCellID GetTopLeftNonFixedCell(BOOL bForceRecalculation = FALSE);
    CCellRange GetVisibleNonFixedCellRange(LPRECT pRect = nullptr, BOOL bForceRecalculation = FALSE);
    CCellRange GetVisibleFixedCellRange(LPRECT pRect = nullptr, BOOL bForceRecalculation = FALSE);
    BOOL GetCellOrigin(int nRow, int nCol, LPPOINT p);
    BOOL GetCellOrigin(const CCellID& cell, LPPOINT p);
    BOOL GetCellRect(int nRow, int nCol, LPRECT pRect);
    BOOL GetCellRect(const CCellID& cell, LPRECT pRect);
    CPoint GetPointClicked(int nRow, int nCol, const CPoint& point);
    CCellID GetCellFromPt(CPoint point, BOOL bAllowFixedCellCheck = TRUE);
    BOOL IsCellVisible(int nRow, int nCol);
    BOOL IsCellVisible(const CCellID& cell) { return IsCellVisible(cell.row, cell.col); }
    void EnsureVisible(int nRow, int nCol);
    void EnsureVisible(const CCellID& cell) { EnsureVisible(cell.row, cell.col); }
    void ResetScrollBars();
    void EnableScrollBars(int nBar, BOOL bEnable = TRUE);
    int SetScrollPos32(int nBar, int nPos, BOOL bRedraw = TRUE);
    int GetScrollPos32(int nBar, BOOL bGetTrackPos = FALSE);
    BOOL AutoSizeRow(int nRow, BOOL bResetScroll = TRUE);
    BOOL AutoSizeColumn(int nCol, UINT nAutoSizeStyle = 0, BOOL bResetScroll = TRUE);
    void AutoSizeColumns(UINT nAutoSizeStyle = 0);
    int GetMouseScrollLines();

    // Painting (GridCtrlPaint.cpp).
    void EraseBkgnd(CDC* pDC);

    // Display scale and contrast. The grid follows the scale of its own window: the default cells'
    // fonts (and with them the default sizes and margins), the resize grip, the check box and the
    // scroll bars' room. Lengths the owner set (row heights, column widths, cell fonts) are the owner's
    // to scale. In high contrast the cells draw with the system's colours, whatever their own.
    UINT GetDpi() const { return m_nDpi; }
    void SetDpi(UINT dpi);
    int ScaleForDpi(int n) const { return AfxScaleForDpi(n, m_nDpi); }
    int GetSystemMetricForDpi(int nIndex) const;
    BOOL IsHighContrast() const { return m_bHighContrast; }
    // The colour the grid lines are drawn in: the grid's own, or the system's text colour in high contrast.
    COLORREF GetShownGridLineColor() const;

    // Geometry without a window: a stand-in client area (the area without scroll bars; shown bars
    // take their room out of it as in a window) and scroll positions kept here instead of in scroll
    // bars. Null goes back to the window. For tests of the arithmetic.
    void SetGeometryOverride(const RECT* pClient);

    // Selection and input (GridCtrlInput.cpp).
    void SelectAllCells();
    void SelectRows(CCellID currentCell, BOOL bForceRedraw = FALSE, BOOL bSelectCells = TRUE);
    void SelectColumns(CCellID currentCell, BOOL bForceRedraw = FALSE, BOOL bSelectCells = TRUE);
    void SelectCells(CCellID currentCell, BOOL bForceRedraw = FALSE, BOOL bSelectCells = TRUE);
    void OnSelecting(const CCellID& currentCell);
    BOOL ChangeCellText(int nRow, int nCol, LPCTSTR str);
    BOOL MouseOverRowResizeArea(CPoint& point);
    BOOL MouseOverColumnResizeArea(CPoint& point);
    void OnBeginDrag();

    // The grid's own virtual operations, in their slot order.
    virtual void CutSelectedText();
    virtual COleDataSource* CopyTextFromGrid();
    virtual BOOL PasteTextToGrid(CCellID cell, COleDataObject* pDataObject, BOOL bSelectPastedCells = TRUE);
    virtual DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual void OnDragLeave();
    virtual BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);
    virtual void OnEditCut();
    virtual void OnEditCopy();
    virtual void OnEditPaste();
    virtual void OnEditSelectAll();
    virtual void OnFixedColumnClick(CCellID& cell);
    virtual void OnFixedRowClick(CCellID& cell);
    virtual void OnEditCell(int nRow, int nCol, CPoint point, UINT nChar);
    virtual void OnEndEditCell(int nRow, int nCol, CString str);
    virtual BOOL ValidateEdit(int nRow, int nCol, LPCTSTR str);
    virtual void EndEditing();
    virtual void OnDraw(CDC* pDC);
    virtual CGridCellBase* CreateCell(int nRow, int nCol);
    virtual void DestroyCell(int nRow, int nCol);

    // Message handlers, public for the message map and for tests that feed events.
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSysColorChange();
    void OnSettingChange(UINT uFlags, LPCWSTR lpszSection);
    LRESULT OnDpiChangedAfterParent(WPARAM wParam, LPARAM lParam);
    void OnSize(UINT nType, int cx, int cy);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetFont(WPARAM wParam, LPARAM lParam);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnCaptureChanged(CWnd* pWnd);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    LRESULT OnImeChar(WPARAM wCharCode, LPARAM lParam);
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    UINT OnGetDlgCode();
    LRESULT OnGetDlgCodeFor(WPARAM wParam, LPARAM lParam);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    LRESULT OnDefaultAction(WPARAM wParam, LPARAM lParam);
    void OnEndInPlaceEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    void OnUpdateEditCut(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);
    void OnUpdateEditSelectAll(CCmdUI* pCmdUI);

protected:
    void PreSubclassWindow() override;
    BOOL SubclassSetup();
    void SizeSelectionMap(const CCellRange& range, INT_PTR nRestored);
    // Forgets the cached top-left non-fixed cell.
    void ForgetTopLeft() { m_idTopLeftCell.row = -1; m_idTopLeftCell.col = -1; }
    // The screen may no longer show the grid as it is (its sizes or a cell changed without a repaint):
    // the next scroll repaints its area instead of moving the pixels on screen.
    void ForgetShownPicture() { m_idShownTopLeft = CCellID(); }
    // Geometry's view of the window (GridCtrlGeometry.cpp, GridCtrlPaint.cpp).
    BOOL HasGeometry() const;
    void GetGridClientRect(LPRECT pRect) const;
    void SendScroll(UINT nMessage, UINT nSBCode);
    void SetBarInfo(int nBar, SCROLLINFO* pInfo);
    // SetScrollInfo that draws the bar (when bRedraw) only if its picture changes.
    int SetScrollInfoDrawn(int nBar, SCROLLINFO* pInfo, BOOL bRedraw);
    BOOL GetSpan(BOOL bColumns, int nFrom, int nTo, int nLimit, int* pSpan) const;
    void ScrollCells(const CCellID& idBefore, const CRect& area);
    // SetItemState for callers that bring the cell's pixels up to date themselves (they redraw or
    // invalidate it where it shows), so that the screen still counts as showing the grid.
    BOOL SetCellState(int nRow, int nCol, UINT nState);
    // The scroll handlers' work for one bar (SB_VERT or SB_HORZ).
    void OnScroll(int nBar, UINT nSBCode);
    void DrawCellBlock(CDC* pDC, const CRect& clipRect, int minRow, int maxRow, int top, int minCol, int maxCol,
                       int left, BOOL bClipTest);
    // Tells screen readers (WinEvents) about the window's client area or one of its cells.
    void NotifyAccessibility(DWORD event, int nRow = -1, int nCol = -1) const;
    GRID_ROW* GetRowArray(int nRow) const
    { return (nRow >= 0 && nRow < (int)m_RowData.GetSize()) ? m_RowData.GetAt(nRow) : nullptr; }

    DECLARE_MESSAGE_MAP()

public:
    COLORREF m_crGridBkColor;
    COLORREF m_crGridLineColor;
    COLORREF m_crWindowText;
    COLORREF m_crWindowColor;
    COLORREF m_cr3DFace;
    COLORREF m_crShadow;
    COLORREF m_crTitleTipBackColor;
    COLORREF m_crTitleTipTextColor;
    int m_nGridLines;
    BOOL m_bEditable;
    BOOL m_bModified;
    BOOL m_bAllowDragAndDrop;
    BOOL m_bListMode;
    BOOL m_bSingleRowSelection;
    BOOL m_bAllowDraw;
    BOOL m_bEnableSelection;
    BOOL m_bFixedColumnSelection;
    BOOL m_bFixedRowSelection;
    BOOL m_bDoubleBuffer;
    BOOL m_bTitleTips;
    int m_nBarState;
    BOOL m_bTrackFocusCell;
    BOOL m_bFrameFocus;
    int m_nAutoSizeColumnStyle;
    int m_nRows;
    int m_nFixedRows;
    int m_nCols;
    int m_nFixedCols;
    CGridSizeArray m_arRowHeights;
    CGridSizeArray m_arColWidths;
    int m_nVScrollMax;
    int m_nHScrollMax;
    CRuntimeClass* m_pRtcDefault;
    CGridDefaultCell m_cellDefault;
    CGridDefaultCell m_cellFixedColDef;
    CGridDefaultCell m_cellFixedRowDef;
    CGridDefaultCell m_cellFixedRowColDef;
    CImageList* m_pImageList;
    CGridArray<GRID_ROW*> m_RowData;
    int m_MouseMode;
    BOOL m_bLMouseButtonDown;
    CPoint m_LeftClickDownPoint;
    CPoint m_LastMousePoint;
    CCellID m_LeftClickDownCell;
    CCellID m_SelectionStartCell;
    CCellID m_idCurrentCell;
    CCellID m_idTopLeftCell;
    UINT_PTR m_nTimerID;
    int m_nTimerInterval;
    int m_nResizeCaptureRange;
    BOOL m_bAllowRowResize;
    BOOL m_bAllowColumnResize;
    int m_nRowsPerWheelNotch;
    CCellIDMap m_SelectedCellMap;
    CCellIDMap m_PrevSelectedCellMap;
    CTitleTip m_TitleTip;
    CCellID m_LastDragOverCell;
    CGridDropTarget m_DropTarget;
    int m_nSortColumn;
    BOOL m_bAscending;
    BOOL m_bPrintColors;
    std::vector<int> m_arColOrder;
    std::vector<CString> m_arImageNames;
    CGridAccessible* m_pAccessible = nullptr;   // made when a screen reader first asks
    BOOL m_bFocusByMouse = FALSE;               // the keyboard focus arrives with a button press

    UINT m_nDpi;                                // the scale the grid draws at
    BOOL m_bHighContrast = FALSE;
    // The default cells' fonts as they were at m_nFontBaseDpi, the numbers a change of scale starts
    // from, so that moving between displays does not drift; kept from the first change of scale on.
    BOOL m_bFontBaseKept = FALSE;
    UINT m_nFontBaseDpi = 96;
    LOGFONTW m_lfFontBase[4];

    // The top-left cell for which the screen shows the scroll area; (-1, -1) when unsure.
    CCellID m_idShownTopLeft;

    // The stand-in geometry of SetGeometryOverride: client area, positions and pages (horizontal, vertical).
    BOOL m_bGeometryOverride = FALSE;
    CRect m_rcOverrideClient;
    int m_nOverridePos[2] = {0, 0};
    int m_nOverridePage[2] = {0, 0};
};
