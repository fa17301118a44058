// The grid's model: counts, cell storage, default cells, cell attributes, the selection map, the
// modified state, expand-to-fit arithmetic, window class, construction and destruction.
#include "grid/GridCtrl.h"
#include "grid/GridAccessible.h"
#include "framework/AfxApp.h"
#include "framework/AfxDisplay.h"
#include <algorithm>

IMPLEMENT_DYNCREATE(CGridCtrl, CWnd)

BEGIN_MESSAGE_MAP(CGridCtrl, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONUP()
    ON_WM_TIMER()
    ON_WM_SETCURSOR()
    ON_WM_CAPTURECHANGED()
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_SYSKEYDOWN()
    ON_MESSAGE(WM_GETDLGCODE, &CGridCtrl::OnGetDlgCodeFor)
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_MESSAGE(WM_GETOBJECT, &CGridCtrl::OnGetObject)
    ON_MESSAGE(WM_GRID_DEFAULTACTION, &CGridCtrl::OnDefaultAction)
    ON_WM_SYSCOLORCHANGE()
    ON_WM_SETTINGCHANGE()
    ON_MESSAGE(WM_DPICHANGED_AFTERPARENT, &CGridCtrl::OnDpiChangedAfterParent)
    ON_MESSAGE(WM_IME_CHAR, &CGridCtrl::OnImeChar)
    ON_MESSAGE(WM_SETFONT, &CGridCtrl::OnSetFont)
    ON_MESSAGE(WM_GETFONT, &CGridCtrl::OnGetFont)
    ON_COMMAND(ID_EDIT_COPY, &CGridCtrl::OnEditCopy)
    ON_COMMAND(ID_EDIT_CUT, &CGridCtrl::OnEditCut)
    ON_COMMAND(ID_EDIT_PASTE, &CGridCtrl::OnEditPaste)
    ON_COMMAND(ID_EDIT_SELECT_ALL, &CGridCtrl::OnEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CGridCtrl::OnUpdateEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, &CGridCtrl::OnUpdateEditCut)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, &CGridCtrl::OnUpdateEditPaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, &CGridCtrl::OnUpdateEditSelectAll)
    ON_NOTIFY(GRIDN_ENDEDIT, IDC_INPLACE_CONTROL, &CGridCtrl::OnEndInPlaceEdit)
END_MESSAGE_MAP()

// Guards the subclass set-up against the moves it makes itself.
static BOOL g_bInSubclassSetup = FALSE;

CGridCtrl::CGridCtrl(int nRows, int nCols, int nFixedRows, int nFixedCols)
    : m_SelectedCellMap(10), m_PrevSelectedCellMap(10)
{
    RegisterWindowClass();

    if (!AfxOleIsInitialized() && !AfxOleInit()) AfxMessageBox(AFX_MSG_OLE_INIT_FAILED);

    m_crWindowText = ::GetSysColor(COLOR_WINDOWTEXT);
    m_crWindowColor = ::GetSysColor(COLOR_WINDOW);
    m_cr3DFace = ::GetSysColor(COLOR_3DFACE);
    m_crShadow = ::GetSysColor(COLOR_3DSHADOW);
    m_crGridBkColor = m_crShadow;
    m_crGridLineColor = RGB(192, 192, 192);
    m_crTitleTipBackColor = CLR_DEFAULT;
    m_crTitleTipTextColor = CLR_DEFAULT;
    m_nGridLines = GVL_BOTH;
    m_bEditable = TRUE;
    m_bModified = FALSE;
    m_bAllowDragAndDrop = FALSE;
    m_bListMode = FALSE;
    m_bSingleRowSelection = FALSE;
    m_bAllowDraw = TRUE;
    m_bEnableSelection = TRUE;
    m_bFixedColumnSelection = TRUE;
    m_bFixedRowSelection = TRUE;
    m_bDoubleBuffer = TRUE;
    m_bTitleTips = TRUE;
    m_nBarState = 0;
    m_bTrackFocusCell = TRUE;
    m_bFrameFocus = TRUE;
    m_nAutoSizeColumnStyle = GVS_BOTH;
    m_nRows = 0;
    m_nFixedRows = 0;
    m_nCols = 0;
    m_nFixedCols = 0;
    m_nVScrollMax = 0;
    m_nHScrollMax = 0;
    m_pRtcDefault = RUNTIME_CLASS(CGridCell);
    m_pImageList = nullptr;
    m_MouseMode = GMM_NOTHING;
    m_bLMouseButtonDown = FALSE;
    m_nTimerID = 0;
    m_nTimerInterval = 25;
    m_nDpi = AfxGetSystemDpi();
    m_nResizeCaptureRange = ScaleForDpi(3);
    m_bHighContrast = AfxIsHighContrast();
    m_bAllowRowResize = TRUE;
    m_bAllowColumnResize = TRUE;
    m_nSortColumn = -1;
    m_bAscending = TRUE;
    m_bPrintColors = TRUE;
    m_nRowsPerWheelNotch = GetMouseScrollLines();

    CGridDefaultCell* defaults[] = {&m_cellDefault, &m_cellFixedColDef, &m_cellFixedRowDef, &m_cellFixedRowColDef};
    for (CGridDefaultCell* p : defaults) {
        p->SetGrid(this);
        p->SetTextColor(m_crWindowText);
        p->SetBackColor(m_cr3DFace);
    }
    m_cellDefault.SetBackColor(m_crWindowColor);

    SetGridBkColor(m_crShadow);

    SetRowCount(nRows);
    SetColumnCount(nCols);
    SetFixedRowCount(nFixedRows);
    SetFixedColumnCount(nFixedCols);

    SetTitleTipTextColor(CLR_DEFAULT);
    SetTitleTipBackColor(CLR_DEFAULT);
    m_SelectedCellMap.RemoveAll();
    m_PrevSelectedCellMap.RemoveAll();
}

CGridCtrl::~CGridCtrl()
{
    GridAccessibleDisconnect(m_pAccessible);
    DeleteAllItems();
    // The tip is a top-level window that would outlive its object: it goes whether or not tips are on.
    if (::IsWindow(m_TitleTip.GetSafeHwnd())) m_TitleTip.DestroyWindow();
    if (m_DropTarget.m_bRegistered) m_DropTarget.Revoke();
    if (::IsWindow(m_hWnd)) DestroyWindow();
    // Data this process offered stays on the clipboard after the grid goes.
    if (COleDataSource::GetClipboardOwner()) COleDataSource::FlushClipboard();
}

BOOL CGridCtrl::RegisterWindowClass()
{
    HINSTANCE hInst = AfxGetInstanceHandle();
    WNDCLASSW wc;
    if (::GetClassInfoW(hInst, GRIDCTRL_CLASSNAME, &wc)) return TRUE;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = hInst;
    wc.hIcon = nullptr;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_3DFACE + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = GRIDCTRL_CLASSNAME;
    if (!::RegisterClassW(&wc)) AfxThrowResourceException();
    return TRUE;
}

void CGridCtrl::PreSubclassWindow()
{
    CWnd::PreSubclassWindow();
    SubclassSetup();
}

BOOL CGridCtrl::SubclassSetup()
{
    if (g_bInSubclassSetup) return FALSE;
    g_bInSubclassSetup = TRUE;
    m_TitleTip.SetParentWnd(this);
    SetDpi(AfxGetWindowDpi(m_hWnd));
    m_bHighContrast = AfxIsHighContrast();
    ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    CRect rect;
    GetWindowRect(&rect);
    if (HWND hParent = ::GetParent(m_hWnd)) ::MapWindowPoints(nullptr, hParent, (LPPOINT)&rect, 2);
    CRect bigger = rect;
    bigger.InflateRect(1, 1);
    MoveWindow(&bigger, TRUE);
    MoveWindow(&rect, TRUE);
    g_bInSubclassSetup = FALSE;
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Counts

// A new row array; running out of memory here is reported like every other failure of growth.
static GRID_ROW* NewRowArray()
{
    try {
        return new GRID_ROW;
    } catch (std::bad_alloc&) {
        AfxThrowMemoryException();
    }
}

BOOL CGridCtrl::SetRowCount(int nRows)
{
    if (nRows < 0) return FALSE;
    if (nRows == m_nRows) return TRUE;
    BOOL bResult = TRUE;

    ForgetTopLeft();
    if (nRows < m_nFixedRows) m_nFixedRows = nRows;
    if (m_idCurrentCell.row >= nRows) SetFocusCell(-1, -1);

    int addedRows = nRows - m_nRows;
    if (addedRows < 0) {
        for (int row = nRows; row < m_nRows; ++row) {
            GRID_ROW* pRow = GetRowArray(row);
            if (pRow) {
                for (int col = 0; col < m_nCols; ++col) DestroyCell(row, col);
                delete pRow;
                m_RowData.SetAt(row, nullptr);
            }
        }
        m_nRows = nRows;
    }

    try {
        m_arRowHeights.SetSize(nRows, m_cellDefault.GetHeight());
        m_RowData.SetSize(nRows);
        if (addedRows > 0) {
            int startRow = nRows - addedRows;
            for (int row = startRow; row < nRows; ++row) {
                GRID_ROW* pRow = NewRowArray();
                m_RowData[row] = pRow;
                pRow->SetSize(m_nCols);
                for (int col = 0; col < m_nCols; ++col) pRow->SetAt(col, CreateCell(row, col));
                ++m_nRows;
            }
        }
    } catch (CMemoryException* e) {
        e->ReportError();
        e->Delete();
        bResult = FALSE;
        // Keep the arrays in step with the rows that were built.
        for (int row = m_nRows; row < (int)m_RowData.GetSize(); ++row) {
            GRID_ROW* pRow = m_RowData[row];
            if (pRow) {
                for (INT_PTR col = 0; col < pRow->GetSize(); ++col) delete pRow->GetAt(col);
                delete pRow;
            }
        }
        m_RowData.SetSize(m_nRows);
        m_arRowHeights.SetSize(m_nRows);
    }

    SetModified(TRUE, -1, -1);
    ResetScrollBars();
    Refresh();
    NotifyAccessibility(EVENT_OBJECT_REORDER);
    return bResult;
}

BOOL CGridCtrl::SetColumnCount(int nCols)
{
    if (nCols < 0) return FALSE;
    if (nCols == m_nCols) return TRUE;
    BOOL bResult = TRUE;

    ForgetTopLeft();
    if (nCols < m_nFixedCols) m_nFixedCols = nCols;
    if (m_idCurrentCell.col >= nCols) SetFocusCell(-1, -1);

    int addedCols = nCols - m_nCols;
    if (addedCols < 0) {
        for (int row = 0; row < m_nRows; ++row)
            for (int col = nCols; col < m_nCols; ++col) DestroyCell(row, col);
    }

    int builtCols = m_nCols;   // columns that every row has in full
    try {
        // The column order is reset below, after the cells: its room is taken first.
        try {
            m_arColOrder.reserve(nCols);
        } catch (std::bad_alloc&) {
            AfxThrowMemoryException();
        }
        m_arColWidths.SetSize(nCols, m_cellFixedColDef.GetWidth());
        for (int row = 0; row < m_nRows; ++row) {
            GRID_ROW* pRow = GetRowArray(row);
            if (pRow) pRow->SetSize(addedCols < 0 ? nCols : pRow->GetSize());
        }
        if (addedCols < 0) builtCols = nCols;
        if (addedCols > 0) {
            int startCol = m_nCols;
            for (int row = 0; row < m_nRows; ++row) {
                GRID_ROW* pRow = GetRowArray(row);
                if (!pRow) continue;
                pRow->SetSize(nCols);
                for (int col = startCol; col < nCols; ++col) pRow->SetAt(col, nullptr);
            }
            // Fill column by column so that a failure leaves whole columns.
            for (int col = startCol; col < nCols; ++col) {
                for (int row = 0; row < m_nRows; ++row) {
                    GRID_ROW* pRow = GetRowArray(row);
                    if (pRow) pRow->SetAt(col, CreateCell(row, col));
                }
                builtCols = col + 1;
            }
        }
    } catch (CMemoryException* e) {
        e->ReportError();
        e->Delete();
        bResult = FALSE;
        for (int row = 0; row < m_nRows; ++row) {
            GRID_ROW* pRow = GetRowArray(row);
            if (!pRow) continue;
            for (INT_PTR col = builtCols; col < pRow->GetSize(); ++col) delete pRow->GetAt(col);
            pRow->SetSize(builtCols);
        }
        m_arColWidths.SetSize(builtCols);
        nCols = builtCols;
        if (nCols < m_nFixedCols) m_nFixedCols = nCols;
    }

    m_arColOrder.resize(nCols);
    for (int i = 0; i < nCols; ++i) m_arColOrder[i] = i;
    m_nCols = nCols;

    SetModified(TRUE, -1, -1);
    ResetScrollBars();
    Refresh();
    NotifyAccessibility(EVENT_OBJECT_REORDER);
    return bResult;
}

BOOL CGridCtrl::SetFixedRowCount(int nFixedRows)
{
    if (nFixedRows < 0) return FALSE;
    if (nFixedRows == m_nFixedRows) return TRUE;

    ResetSelectedRange();
    ForgetTopLeft();

    if (nFixedRows > m_nRows && !SetRowCount(nFixedRows)) return FALSE;
    if (m_idCurrentCell.row != -1 && m_idCurrentCell.row < nFixedRows) SetFocusCell(-1, -1);

    if (nFixedRows <= m_nFixedRows) {
        for (int row = nFixedRows; row < m_nFixedRows; ++row) {
            for (int col = 0; col < m_nCols; ++col) {
                if (col < m_nFixedCols) {
                    SetItemState(row, col, GetItemState(row, col) & ~GCS_FIXEDROW);
                } else {
                    SetItemState(row, col, GetItemState(row, col) & ~(GCS_FIXED | GCS_FIXEDROW));
                    SetItemBackColor(row, col, CLR_DEFAULT);
                    SetItemTextColor(row, col, CLR_DEFAULT);
                }
            }
        }
    } else {
        for (int row = m_nFixedRows; row < nFixedRows; ++row) {
            for (int col = 0; col < m_nCols; ++col) {
                SetItemState(row, col, GetItemState(row, col) | GCS_FIXED | GCS_FIXEDROW);
                SetItemBackColor(row, col, CLR_DEFAULT);
                SetItemTextColor(row, col, CLR_DEFAULT);
            }
        }
    }

    m_nFixedRows = nFixedRows;
    Refresh();
    return TRUE;
}

BOOL CGridCtrl::SetFixedColumnCount(int nFixedCols)
{
    if (nFixedCols < 0) return FALSE;
    if (nFixedCols == m_nFixedCols) return TRUE;

    if (nFixedCols > m_nCols && !SetColumnCount(nFixedCols)) return FALSE;
    if (m_idCurrentCell.col != -1 && m_idCurrentCell.col < nFixedCols) SetFocusCell(-1, -1);

    ResetSelectedRange();
    ForgetTopLeft();

    if (nFixedCols <= m_nFixedCols) {
        for (int row = 0; row < m_nRows; ++row) {
            for (int col = nFixedCols; col < m_nFixedCols; ++col) {
                if (row < m_nFixedRows) {
                    SetItemState(row, col, GetItemState(row, col) & ~GCS_FIXEDCOL);
                } else {
                    SetItemState(row, col, GetItemState(row, col) & ~(GCS_FIXED | GCS_FIXEDCOL));
                    SetItemBackColor(row, col, CLR_DEFAULT);
                    SetItemTextColor(row, col, CLR_DEFAULT);
                }
            }
        }
    } else {
        for (int row = 0; row < m_nRows; ++row) {
            for (int col = m_nFixedCols; col < nFixedCols; ++col) {
                SetItemState(row, col, GetItemState(row, col) | GCS_FIXED | GCS_FIXEDCOL);
                SetItemBackColor(row, col, CLR_DEFAULT);
                SetItemTextColor(row, col, CLR_DEFAULT);
            }
        }
    }

    m_nFixedCols = nFixedCols;
    Refresh();
    return TRUE;
}

int CGridCtrl::InsertRow(LPCTSTR strHeading, int nRow)
{
    if (nRow >= 0 && (nRow < m_nFixedRows || nRow >= m_nRows)) return -1;

    // Resetting the selection drops the focus too; the focus is put back on the same cell below.
    CCellID focus = m_idCurrentCell;
    ForgetTopLeft();
    ResetSelectedRange();
    if (m_nCols < 1 && !SetColumnCount(1)) return -1;

    GRID_ROW* pRow = nullptr;
    BOOL bHeightInserted = FALSE, bRowInserted = FALSE;
    try {
        if (nRow < 0) nRow = m_nRows;
        m_arRowHeights.InsertAt(nRow, 0);
        bHeightInserted = TRUE;
        pRow = NewRowArray();
        m_RowData.InsertAt(nRow, pRow);
        bRowInserted = TRUE;
        pRow->SetSize(m_nCols);
    } catch (CMemoryException* e) {
        e->ReportError();
        e->Delete();
        // Undo the half-made insertion so that the arrays match the row count again.
        if (bRowInserted) m_RowData.RemoveAt(nRow);
        delete pRow;
        if (bHeightInserted) m_arRowHeights.RemoveAt(nRow);
        if (IsValid(focus)) SetFocusCell(focus);
        return -1;
    }

    ++m_nRows;
    for (int col = 0; col < m_nCols; ++col) pRow->SetAt(col, CreateCell(nRow, col));

    SetItemText(nRow, 0, strHeading);
    if (strHeading && strHeading[0])
        m_arRowHeights.SetAt(nRow, GetTextExtent(nRow, 0, strHeading).cy);
    else
        m_arRowHeights.SetAt(nRow, m_cellFixedRowDef.GetHeight());

    // A row inserted at or above the focus row pushes the focused cell down with it.
    if (focus.row != -1 && nRow <= focus.row) ++focus.row;
    if (IsValid(focus)) SetFocusCell(focus);

    ResetScrollBars();
    SetModified(TRUE, -1, -1);
    NotifyAccessibility(EVENT_OBJECT_REORDER);
    return nRow;
}

BOOL CGridCtrl::DeleteRow(int nRow)
{
    if (nRow < 0 || nRow >= m_nRows) return FALSE;

    // An editor open on the row ends while its cell is still there to take the text.
    EndEditing();
    // As with an insertion, the selection goes and the focus stays on the same cell, one row up
    // when the row went from above it.
    CCellID focus = m_idCurrentCell;
    ForgetTopLeft();
    ResetSelectedRange();

    if (GRID_ROW* pRow = GetRowArray(nRow)) {
        for (int col = 0; col < m_nCols; ++col) DestroyCell(nRow, col);
        delete pRow;
    }
    m_RowData.RemoveAt(nRow);
    m_arRowHeights.RemoveAt(nRow);
    --m_nRows;
    if (nRow < m_nFixedRows) --m_nFixedRows;

    if (focus.row == nRow) focus = CCellID();
    else if (focus.row > nRow) --focus.row;
    if (IsValid(focus)) SetFocusCell(focus);

    ResetScrollBars();
    SetModified(TRUE, -1, -1);
    Refresh();
    NotifyAccessibility(EVENT_OBJECT_REORDER);
    return TRUE;
}

BOOL CGridCtrl::DeleteAllItems()
{
    const BOOL bHadItems = m_nRows > 0 || m_nCols > 0;
    ResetSelectedRange();
    m_arColWidths.RemoveAll();
    m_arRowHeights.RemoveAll();
    for (int row = 0; row < (int)m_RowData.GetSize(); ++row) {
        GRID_ROW* pRow = GetRowArray(row);
        if (!pRow) continue;
        for (int col = 0; col < (int)pRow->GetSize(); ++col) DestroyCell(row, col);
        delete pRow;
    }
    m_RowData.RemoveAll();
    m_idCurrentCell.row = m_idCurrentCell.col = -1;
    m_nRows = m_nFixedRows = m_nCols = m_nFixedCols = 0;
    m_arColOrder.clear();
    ResetScrollBars();
    SetModified(TRUE, -1, -1);
    if (bHadItems) NotifyAccessibility(EVENT_OBJECT_REORDER);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Cells

CGridCellBase* CGridCtrl::CreateCell(int nRow, int nCol)
{
    if (!m_pRtcDefault || !m_pRtcDefault->IsDerivedFrom(RUNTIME_CLASS(CGridCellBase))) return nullptr;
    CGridCellBase* pCell = (CGridCellBase*)m_pRtcDefault->CreateObject();
    if (!pCell) return nullptr;
    pCell->SetGrid(this);
    pCell->SetCoords(nRow, nCol);
    if (nCol < m_nFixedCols) pCell->SetState(pCell->GetState() | GCS_FIXED | GCS_FIXEDCOL);
    if (nRow < m_nFixedRows) pCell->SetState(pCell->GetState() | GCS_FIXED | GCS_FIXEDROW);
    CGridCellBase* pDefault = pCell->GetDefaultCell();
    pCell->SetFormat(pDefault ? pDefault->GetFormat() : 0);
    return pCell;
}

void CGridCtrl::DestroyCell(int nRow, int nCol)
{
    // Destruction works on stored columns, so that the column order cannot hide a cell from it.
    GRID_ROW* pRow = GetRowArray(nRow);
    if (!pRow || nCol < 0 || nCol >= (int)pRow->GetSize()) return;
    CGridCellBase* pCell = pRow->GetAt(nCol);
    if (!pCell) return;
    if (pCell->IsSelected()) m_SelectedCellMap.RemoveKey(SelectionKey(nRow, nCol));
    m_PrevSelectedCellMap.RemoveKey(SelectionKey(nRow, nCol));
    pCell->SetState(0);
    delete pCell;
    pRow->SetAt(nCol, nullptr);
}

CGridCellBase* CGridCtrl::GetCell(int nRow, int nCol) const
{
    if (!IsValid(nRow, nCol)) return nullptr;
    GRID_ROW* pRow = GetRowArray(nRow);
    if (!pRow) return nullptr;
    int stored = m_arColOrder[nCol];
    if (stored < 0 || stored >= (int)pRow->GetSize()) return nullptr;
    return pRow->GetAt(stored);
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(BOOL bFixedRow, BOOL bFixedCol) const
{
    if (bFixedRow && bFixedCol) return const_cast<CGridDefaultCell*>(&m_cellFixedRowColDef);
    if (bFixedRow) return const_cast<CGridDefaultCell*>(&m_cellFixedRowDef);
    if (bFixedCol) return const_cast<CGridDefaultCell*>(&m_cellFixedColDef);
    return const_cast<CGridDefaultCell*>(&m_cellDefault);
}

BOOL CGridCtrl::IsValid(int nRow, int nCol) const
{
    return nRow >= 0 && nRow < m_nRows && nCol >= 0 && nCol < m_nCols;
}

BOOL CGridCtrl::IsValid(const CCellID& cell) const { return IsValid(cell.row, cell.col); }

BOOL CGridCtrl::IsValid(const CCellRange& range) const
{
    return range.IsValid() && range.GetMaxRow() < m_nRows && range.GetMaxCol() < m_nCols;
}

BOOL CGridCtrl::SetCellType(int nRow, int nCol, CRuntimeClass* pRuntimeClass)
{
    if (!IsValid(nRow, nCol)) return FALSE;
    if (!pRuntimeClass || !pRuntimeClass->IsDerivedFrom(RUNTIME_CLASS(CGridCellBase))) return FALSE;
    CGridCellBase* pNewCell = (CGridCellBase*)pRuntimeClass->CreateObject();
    if (!pNewCell) return FALSE;
    GRID_ROW* pRow = GetRowArray(nRow);
    if (!pRow) {
        delete pNewCell;
        return FALSE;
    }
    int stored = m_arColOrder[nCol];
    CGridCellBase* pCurrCell = pRow->GetAt(stored);
    if (pCurrCell) pNewCell->CopyFrom(*pCurrCell);
    pNewCell->SetCoords(nRow, nCol);
    pRow->SetAt(stored, pNewCell);
    delete pCurrCell;
    ForgetShownPicture();
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Cell attributes

BOOL CGridCtrl::SetItemText(int nRow, int nCol, LPCTSTR str)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell) return FALSE;
    pCell->SetText(str);
    ForgetShownPicture();
    SetModified(TRUE, nRow, nCol);
    return TRUE;
}

CString CGridCtrl::GetItemText(int nRow, int nCol) const
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? CString(pCell->GetText()) : CString();
}

BOOL CGridCtrl::SetItemImage(int nRow, int nCol, int iImage)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell) return FALSE;
    pCell->SetImage(iImage);
    ForgetShownPicture();
    SetModified(TRUE, nRow, nCol);
    return TRUE;
}

int CGridCtrl::GetItemImage(int nRow, int nCol) const
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetImage() : -1;
}

BOOL CGridCtrl::SetItemData(int nRow, int nCol, LPARAM lParam)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell) return FALSE;
    pCell->SetData(lParam);
    SetModified(TRUE, nRow, nCol);
    return TRUE;
}

LPARAM CGridCtrl::GetItemData(int nRow, int nCol) const
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetData() : 0;
}

BOOL CGridCtrl::SetItemFormat(int nRow, int nCol, UINT nFormat)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell) return FALSE;
    pCell->SetFormat(nFormat);
    ForgetShownPicture();
    return TRUE;
}

UINT CGridCtrl::GetItemFormat(int nRow, int nCol) const
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetFormat() : 0;
}

BOOL CGridCtrl::SetItemTextColor(int nRow, int nCol, COLORREF cr)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell) return FALSE;
    pCell->SetTextColor(cr);
    ForgetShownPicture();
    return TRUE;
}

COLORREF CGridCtrl::GetItemTextColor(int nRow, int nCol) const
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetTextColor() : 0;
}

BOOL CGridCtrl::SetItemBackColor(int nRow, int nCol, COLORREF cr)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell) return FALSE;
    pCell->SetBackColor(cr);
    ForgetShownPicture();
    return TRUE;
}

COLORREF CGridCtrl::GetItemBackColor(int nRow, int nCol) const
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetBackColor() : 0;
}

BOOL CGridCtrl::SetItemFont(int nRow, int nCol, const LOGFONT* plf)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell) return FALSE;
    pCell->SetFont(plf);
    ForgetShownPicture();
    return TRUE;
}

const LOGFONT* CGridCtrl::GetItemFont(int nRow, int nCol)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetFont() : m_cellDefault.GetFont();
}

BOOL CGridCtrl::SetItemState(int nRow, int nCol, UINT nState)
{
    BOOL bResult = SetCellState(nRow, nCol, nState);
    // The caller may leave the cell's pixels as they were: the screen no longer shows the grid.
    ForgetShownPicture();
    return bResult;
}

BOOL CGridCtrl::SetCellState(int nRow, int nCol, UINT nState)
{
    BOOL bSelected = IsCellSelected(nRow, nCol);
    if (bSelected && !(nState & GCS_SELECTED)) {
        m_SelectedCellMap.RemoveKey(SelectionKey(nRow, nCol));
    } else if (!bSelected && (nState & GCS_SELECTED)) {
        try {
            m_SelectedCellMap.SetAt(SelectionKey(nRow, nCol), CCellID(nRow, nCol));
        } catch (CMemoryException* e) {
            e->ReportError();
            e->Delete();
            return FALSE;
        }
    }
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell) return FALSE;
    pCell->SetState(nState);
    // Nothing is drawn: whatever the screen showed stays unknown to the grid.
    if (!m_bAllowDraw) ForgetShownPicture();
    return TRUE;
}

UINT CGridCtrl::GetItemState(int nRow, int nCol) const
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetState() : 0;
}

CSize CGridCtrl::GetTextExtent(int nRow, int nCol, LPCTSTR str)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetTextExtent(str) : CSize(0, 0);
}

BOOL CGridCtrl::IsCellEditing(int nRow, int nCol) const
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->IsEditing() : FALSE;
}

BOOL CGridCtrl::IsCellEditable(int nRow, int nCol) const
{
    return m_bEditable && !(GetItemState(nRow, nCol) & GCS_READONLY);
}

BOOL CGridCtrl::IsCellSelected(int nRow, int nCol) const
{
    return m_bEnableSelection && (GetItemState(nRow, nCol) & GCS_SELECTED);
}

// ---------------------------------------------------------------------------------------------
// Sizes

int CGridCtrl::GetRowHeight(int nRow) const
{
    if (nRow < 0 || nRow >= m_nRows || nRow >= (int)m_arRowHeights.GetSize()) return -1;
    return (int)m_arRowHeights[nRow];
}

BOOL CGridCtrl::SetRowHeight(int nRow, int height)
{
    if (nRow < 0 || nRow >= m_nRows || height < 0) return FALSE;
    m_arRowHeights.SetAt(nRow, height);
    ResetScrollBars();
    return TRUE;
}

int CGridCtrl::GetColumnWidth(int nCol) const
{
    if (nCol < 0 || nCol >= m_nCols) return -1;
    return (int)m_arColWidths[m_arColOrder[nCol]];
}

BOOL CGridCtrl::SetColumnWidth(int nCol, int width)
{
    if (nCol < 0 || nCol >= m_nCols || width < 0) return FALSE;
    m_arColWidths.SetAt(m_arColOrder[nCol], width);
    ResetScrollBars();
    return TRUE;
}

// The sums come from the size arrays, which keep them up to date as sizes change. Columns are
// shown in stored order (the column order is the identity: it is reset with every change of the
// column count and nothing else moves it), so the first stored widths are the fixed columns'.
int CGridCtrl::GetFixedRowHeight() const
{
    return (int)m_arRowHeights.GetLeadingTotal(m_nFixedRows);
}

int CGridCtrl::GetFixedColumnWidth() const
{
    return (int)m_arColWidths.GetLeadingTotal(m_nFixedCols);
}

long CGridCtrl::GetVirtualHeight() const
{
    return (long)m_arRowHeights.GetTotal();
}

long CGridCtrl::GetVirtualWidth() const
{
    return (long)m_arColWidths.GetTotal();
}

// Spreads a difference over the sizes from nFirst on that are not hidden (0): each gets the truncated
// share, and the first (|difference| mod count) steps, hidden ones counted, one pixel more or less.
// A size the difference would take below one pixel stays at one: a visible row or column neither
// disappears nor wraps round to an enormous unsigned size.
static UINT Adjusted(UINT size, long delta)
{
    long value = (long)size + delta;
    return (UINT)(value < 1 ? 1 : value);
}

static void SpreadDifference(CGridSizeArray& sizes, int nFirst, int nCount, long difference)
{
    int nVisible = 0;
    for (int i = nFirst; i < nCount; ++i)
        if (sizes[i] > 0) ++nVisible;
    if (nVisible == 0) return;
    long share = difference / nVisible;
    for (int i = nFirst; i < nCount; ++i)
        if (sizes[i] > 0) sizes.SetAt(i, Adjusted(sizes[i], share));
    long remainder = difference > 0 ? difference % nVisible : (-difference) % nVisible;
    for (int i = nFirst; i < nCount && remainder > 0; ++i, --remainder)
        if (sizes[i] > 0) sizes.SetAt(i, Adjusted(sizes[i], difference > 0 ? 1 : -1));
}

// Without a window (or its stand-in) there is no client area to fit, and nothing changes.
void CGridCtrl::ExpandRowsToFit(BOOL bExpandFixed)
{
    if (m_nRows <= 0 || (!bExpandFixed && m_nRows <= m_nFixedRows) || !HasGeometry()) return;
    EnableScrollBars(SB_VERT, FALSE);
    CRect rect;
    GetGridClientRect(&rect);
    int nFirst = bExpandFixed ? 0 : m_nFixedRows;
    int nVisible = 0;
    for (int row = nFirst; row < m_nRows; ++row)
        if (m_arRowHeights[row] > 0) ++nVisible;
    if (nVisible == 0) return;
    SpreadDifference(m_arRowHeights, nFirst, m_nRows, rect.Height() - GetVirtualHeight());
    Refresh();
    ResetScrollBars();
}

void CGridCtrl::ExpandColumnsToFit(BOOL bExpandFixed)
{
    if (m_nCols <= 0 || (!bExpandFixed && m_nCols <= m_nFixedCols) || !HasGeometry()) return;
    EnableScrollBars(SB_HORZ, FALSE);
    CRect rect;
    GetGridClientRect(&rect);
    int nFirst = bExpandFixed ? 0 : m_nFixedCols;
    int nVisible = 0;
    for (int col = nFirst; col < m_nCols; ++col)
        if (m_arColWidths[col] > 0) ++nVisible;
    if (nVisible == 0) return;
    SpreadDifference(m_arColWidths, nFirst, m_nCols, rect.Width() - GetVirtualWidth());
    Refresh();
    ResetScrollBars();
}

void CGridCtrl::ExpandLastColumn()
{
    if (m_nCols <= 0 || !HasGeometry()) return;
    int nLastCol = m_nCols - 1;
    while (nLastCol >= 0 && m_arColWidths[nLastCol] == 0) --nLastCol;
    if (nLastCol <= 0) return;
    EnableScrollBars(SB_HORZ, FALSE);
    CRect rect;
    GetGridClientRect(&rect);
    long difference = rect.Width() - GetVirtualWidth();
    if (difference > 0) {
        m_arColWidths.SetAt(nLastCol, m_arColWidths[nLastCol] + (UINT)difference);
        Refresh();
    }
    ResetScrollBars();
}

// ---------------------------------------------------------------------------------------------
// Settings

void CGridCtrl::SetListMode(BOOL bEnableListMode)
{
    ResetSelectedRange();
    SetSortColumn(-1);
    m_bListMode = bEnableListMode;
    SetFixedColumnSelection(FALSE);
    Refresh();
}

void CGridCtrl::EnableSelection(BOOL bEnable)
{
    ResetSelectedRange();
    m_bEnableSelection = bEnable;
    ResetSelectedRange();
}

void CGridCtrl::SetSortColumn(int nCol)
{
    if (m_nSortColumn >= 0) InvalidateCellRect(0, m_nSortColumn);
    m_nSortColumn = nCol;
    if (nCol >= 0) InvalidateCellRect(0, nCol);
}

// ---------------------------------------------------------------------------------------------
// Selection, modified state, redraw

void CGridCtrl::SetSelectedRange(const CCellRange& Range, BOOL bForceRepaint, BOOL bSelectCells)
{
    SetSelectedRange(Range.GetMinRow(), Range.GetMinCol(), Range.GetMaxRow(), Range.GetMaxCol(), bForceRepaint,
                     bSelectCells);
}

void CGridCtrl::SetSelectedRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, BOOL bForceRepaint,
                                 BOOL bSelectCells)
{
    if (!m_bEnableSelection) return;

    // Clearing a selection that is already empty has nothing to show or wait for.
    const BOOL bRangeGiven = nMinRow >= 0 && nMinCol >= 0 && nMaxRow >= 0 && nMaxCol >= 0;
    if (!bRangeGiven && m_SelectedCellMap.IsEmpty() && m_PrevSelectedCellMap.IsEmpty()) return;

    static const HCURSOR hWaitCursor = ::LoadCursorW(nullptr, IDC_WAIT);
    HCURSOR hOldCursor = ::SetCursor(hWaitCursor);
    const BOOL bWindow = ::IsWindow(GetSafeHwnd());
    CDC* pDC = (bForceRepaint && bWindow) ? GetDC() : nullptr;

    CCellRange visibleCells, fixedVisibleCells;
    if (bWindow) {
        visibleCells = GetVisibleNonFixedCellRange();
        fixedVisibleCells = GetVisibleFixedCellRange();
    }
    auto isVisible = [&](int row, int col) {
        return bWindow && (visibleCells.InRange(row, col) || fixedVisibleCells.InRange(row, col));
    };
    auto redraw = [&](int row, int col) {
        if (pDC) RedrawCell(row, col, pDC);
        else InvalidateCellRect(row, col);
    };

    if (nMinRow >= 0 && nMinRow < m_nFixedRows) nMinRow = m_nFixedRows;
    if (nMaxRow >= 0 && nMaxRow < m_nFixedRows) nMaxRow = m_nFixedRows;
    if (nMinCol >= 0 && nMinCol < m_nFixedCols) nMinCol = m_nFixedCols;
    if (nMaxCol >= 0 && nMaxCol < m_nFixedCols) nMaxCol = m_nFixedCols;
    CCellRange range(nMinRow, nMinCol, nMaxRow, nMaxCol);

    if (bSelectCells) {
        POSITION pos = m_SelectedCellMap.GetStartPosition();
        while (pos) {
            DWORD key;
            CCellID cell;
            m_SelectedCellMap.GetNextAssoc(pos, key, cell);
            if (!IsValid(cell)) {
                m_SelectedCellMap.RemoveKey(key);
                continue;
            }
            SetCellState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~GCS_SELECTED);
            m_SelectedCellMap.RemoveKey(key);   // also when the cell itself has gone
            if (!range.InRange(cell) && isVisible(cell.row, cell.col)) redraw(cell.row, cell.col);
        }
        SizeSelectionMap(range, bRangeGiven && !GetSingleRowSelection() ? m_PrevSelectedCellMap.GetCount() : 0);
        if (!GetSingleRowSelection() && bRangeGiven) {
            pos = m_PrevSelectedCellMap.GetStartPosition();
            while (pos) {
                DWORD key;
                CCellID cell;
                m_PrevSelectedCellMap.GetNextAssoc(pos, key, cell);
                if (!IsValid(cell)) continue;
                SetCellState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GCS_SELECTED);
                if (isVisible(cell.row, cell.col)) redraw(cell.row, cell.col);
            }
        }
    }

    if (IsValid(range)) {
        for (int row = nMinRow; row <= nMaxRow; ++row) {
            for (int col = nMinCol; col <= nMaxCol; ++col) {
                BOOL bSelected = IsCellSelected(row, col);
                if (bSelectCells == bSelected) continue;
                UINT state = GetItemState(row, col);
                SetCellState(row, col, bSelectCells ? (state | GCS_SELECTED) : (state & ~GCS_SELECTED));
                if (isVisible(row, col)) redraw(row, col);
            }
        }
    }

    if (pDC) ReleaseDC(pDC);
    ::SetCursor(hOldCursor);
}

// The walk above has emptied the map. Its table is sized for what it is about to hold, so that
// lookups stay short however large the selection; a map that stays empty goes back to a small
// table, so that the next walk costs what the next selection holds, not what an earlier one held.
// The key hash drops the key's low four bits, so sixteen neighbouring rows of a column share a slot
// whatever the table's size: a quarter of the cell count is enough slots.
void CGridCtrl::SizeSelectionMap(const CCellRange& range, INT_PTR nRestored)
{
    if (!m_SelectedCellMap.IsEmpty()) return;
    long long nCells = nRestored;
    if (IsValid(range))
        nCells += (long long)(range.GetMaxRow() - range.GetMinRow() + 1) * (range.GetMaxCol() - range.GetMinCol() + 1);
    UINT nSize = (UINT)std::min<long long>(std::max<long long>(nCells / 4, 17), 1 << 22) | 1;
    if (nSize == m_SelectedCellMap.GetHashTableSize()) return;
    m_SelectedCellMap.RemoveAll();   // also gives back the nodes of the entries removed one by one
    try {
        m_SelectedCellMap.InitHashTable(nSize);
    } catch (std::bad_alloc&) {
        // A table too large to allocate: the old one stays, and lookups are only slower.
    }
}

void CGridCtrl::ResetSelectedRange()
{
    m_PrevSelectedCellMap.RemoveAll();
    SetSelectedRange(-1, -1, -1, -1, FALSE, TRUE);
    SetFocusCell(-1, -1);
}

CCellRange CGridCtrl::GetSelectedCellRange() const
{
    CCellRange selection(m_nRows, m_nCols, -1, -1);
    POSITION pos = m_SelectedCellMap.GetStartPosition();
    while (pos) {
        DWORD key;
        CCellID cell;
        m_SelectedCellMap.GetNextAssoc(pos, key, cell);
        selection.SetMinRow(std::min(selection.GetMinRow(), cell.row));
        selection.SetMinCol(std::min(selection.GetMinCol(), cell.col));
        selection.SetMaxRow(std::max(selection.GetMaxRow(), cell.row));
        selection.SetMaxCol(std::max(selection.GetMaxCol(), cell.col));
    }
    return selection;
}

void CGridCtrl::SetModified(BOOL bModified, int nRow, int nCol)
{
    if (nRow < 0 || nCol < 0) {
        m_bModified = bModified;
    } else if (bModified) {
        SetItemState(nRow, nCol, GetItemState(nRow, nCol) | GCS_MODIFIED);
        m_bModified = TRUE;
    } else {
        SetItemState(nRow, nCol, GetItemState(nRow, nCol) & ~GCS_MODIFIED);
    }
    if (!m_bModified) {
        for (int row = 0; row < m_nRows; ++row)
            for (int col = 0; col < m_nCols; ++col)
                if (CGridCellBase* pCell = GetCell(row, col))
                    if (pCell->GetState() & GCS_MODIFIED) pCell->SetState(pCell->GetState() & ~GCS_MODIFIED);
    }
}

BOOL CGridCtrl::IsModified(int nRow, int nCol)
{
    if (nRow >= 0 && nCol >= 0) return (GetItemState(nRow, nCol) & GCS_MODIFIED) != 0;
    return m_bModified;
}

void CGridCtrl::Refresh()
{
    if (::IsWindow(GetSafeHwnd()) && m_bAllowDraw) Invalidate(TRUE);
}

LRESULT CGridCtrl::SendMessageToParent(int nRow, int nCol, int nMessage) const
{
    if (!::IsWindow(GetSafeHwnd())) return 0;
    GRIDNOTIFY nmgv;
    nmgv.iRow = nRow;
    nmgv.iColumn = nCol;
    nmgv.hdr.hwndFrom = m_hWnd;
    nmgv.hdr.idFrom = GetDlgCtrlID();
    nmgv.hdr.code = nMessage;
    CWnd* pOwner = GetOwner();
    if (pOwner && ::IsWindow(pOwner->m_hWnd))
        return pOwner->SendMessage(WM_NOTIFY, nmgv.hdr.idFrom, (LPARAM)&nmgv);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Screen readers and default actions

void CGridCtrl::SetImageName(int nImage, LPCTSTR name)
{
    if (nImage < 0) return;
    if ((size_t)nImage >= m_arImageNames.size()) m_arImageNames.resize((size_t)nImage + 1);
    m_arImageNames[(size_t)nImage] = name ? name : L"";
}

CString CGridCtrl::GetImageName(int nImage) const
{
    return nImage >= 0 && (size_t)nImage < m_arImageNames.size() ? m_arImageNames[(size_t)nImage] : CString();
}

void CGridCtrl::NotifyAccessibility(DWORD event, int nRow, int nCol) const
{
    if (!::IsWindow(GetSafeHwnd())) return;
    LONG child = IsValid(nRow, nCol) ? GridAccessibleCellId(nRow, nCol) : CHILDID_SELF;
    GridNotifyWinEvent(event, m_hWnd, OBJID_CLIENT, child);
}

LRESULT CGridCtrl::OnGetObject(WPARAM wParam, LPARAM lParam)
{
    if ((DWORD)lParam == (DWORD)OBJID_CLIENT)
        if (LRESULT r = GridAccessibleAnswer(this, m_pAccessible, wParam)) return r;
    return Default();
}

BOOL CGridCtrl::HasDefaultAction(int nRow, int nCol) const
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell && !pCell->GetDefaultAction().IsEmpty();
}

BOOL CGridCtrl::RunDefaultAction(int nRow, int nCol)
{
    if (!HasDefaultAction(nRow, nCol)) return FALSE;
    // As a click would, the action's cell takes the focus first.
    SetFocusCell(nRow, nCol);
    CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell && pCell->DoDefaultAction();
}

LRESULT CGridCtrl::OnDefaultAction(WPARAM wParam, LPARAM lParam)
{
    return RunDefaultAction((int)wParam, (int)lParam);
}
