// The grid's model without a window: counts, storage, default cells, states, selection map,
// modified marks, expand-to-fit arithmetic and allocation failures.
#include "grid/GridCtrl.h"
#include "framework/AfxApp.h"
#include "grid/InPlaceEdit.h"
#include "../common/WindowCapture.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <new>
#include <functional>
#include <string>
#include <vector>

// Plain allocation for the whole test program, with one failure on request: the n-th next
// operator new, or the next one of a given size, throws, as it does when memory runs out.
namespace {
int g_failNewAt = 0;
size_t g_failNewOfSize = 0;
void* Allocate(size_t n)
{
    if (g_failNewAt > 0 && --g_failNewAt == 0) throw std::bad_alloc();
    if (g_failNewOfSize && n == g_failNewOfSize) {
        g_failNewOfSize = 0;
        throw std::bad_alloc();
    }
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
}
void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {
// Records the message boxes shown while it lives.
struct MessageBoxRecorder {
    std::vector<CString> texts;
    AfxMessageBoxHook previous;
    MessageBoxRecorder()
    {
        previous = AfxSetMessageBoxHook([this](LPCWSTR text, UINT) { texts.push_back(text); return IDOK; });
    }
    ~MessageBoxRecorder() { AfxSetMessageBoxHook(previous); }
};

// A cell class of its own, to see that SetCellType copies the attributes over.
class CTaggedCell : public CGridCell {
    DECLARE_DYNCREATE(CTaggedCell)
};
IMPLEMENT_DYNCREATE(CTaggedCell, CGridCell)

void SetColumnWidths(CGridCtrl& g, std::vector<int> widths)
{
    for (size_t i = 0; i < widths.size(); ++i) g.SetColumnWidth((int)i, widths[i]);
}
}

TEST(GridModelTest, ConstructionMarksTheFixedCellsAndEachKindFindsItsDefaultCell)
{
    CGridCtrl g;
    EXPECT_EQ(g.GetFocusCell(), CCellID(-1, -1));
    EXPECT_FALSE(g.GetModified());
    // Each kind of cell takes its look from its own default cell, which knows its grid.
    EXPECT_EQ(g.GetDefaultCell(FALSE, FALSE)->GetGrid(), &g);
    EXPECT_EQ(g.GetDefaultCell(FALSE, FALSE)->GetBackColor(), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(g.GetDefaultCell(TRUE, TRUE)->GetBackColor(), ::GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(g.GetDefaultCell(TRUE, FALSE)->GetTextColor(), ::GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(g.GetDefaultCell(TRUE, FALSE), &g.m_cellFixedRowDef);
    EXPECT_EQ(g.GetDefaultCell(FALSE, TRUE), &g.m_cellFixedColDef);
    EXPECT_EQ(g.GetDefaultCell(TRUE, TRUE), &g.m_cellFixedRowColDef);

    CGridCtrl sized(3, 4, 1, 1);
    EXPECT_EQ(sized.GetRowCount(), 3);
    EXPECT_EQ(sized.GetColumnCount(), 4);
    EXPECT_EQ(sized.GetItemState(0, 0), (UINT)(GCS_FIXED | GCS_FIXEDROW | GCS_FIXEDCOL));
    EXPECT_EQ(sized.GetItemState(0, 2), (UINT)(GCS_FIXED | GCS_FIXEDROW));
    EXPECT_EQ(sized.GetItemState(2, 0), (UINT)(GCS_FIXED | GCS_FIXEDCOL));
    EXPECT_EQ(sized.GetItemState(2, 2), 0u);
}

TEST(GridModelTest, CountsGrowAndShrinkWithTheirSideEffects)
{
    CGridCtrl g;
    ASSERT_TRUE(g.SetColumnCount(3));
    ASSERT_TRUE(g.SetRowCount(5));
    EXPECT_EQ(g.GetRowHeight(4), g.m_cellDefault.GetHeight());
    EXPECT_EQ(g.GetColumnWidth(2), g.m_cellFixedColDef.GetWidth());
    EXPECT_EQ(g.GetRowHeight(5), -1);
    EXPECT_EQ(g.GetColumnWidth(-1), -1);
    EXPECT_TRUE(g.GetModified());

    // Same count: nothing happens, not even the modified flag.
    g.SetModified(FALSE);
    EXPECT_TRUE(g.SetRowCount(5));
    EXPECT_FALSE(g.GetModified());

    g.SetFixedRowCount(3);
    g.SetFocusCell(4, 1);
    ASSERT_EQ(g.GetFocusCell(), CCellID(4, 1));
    EXPECT_TRUE(g.SetRowCount(2));
    EXPECT_EQ(g.GetFixedRowCount(), 2);   // clamped with the rows
    EXPECT_EQ(g.GetFocusCell(), CCellID(-1, -1));
    EXPECT_EQ(g.GetCell(2, 0), nullptr);
    EXPECT_NE(g.GetCell(1, 2), nullptr);

    g.SetFixedColumnCount(2);
    EXPECT_TRUE(g.SetColumnCount(1));
    EXPECT_EQ(g.GetFixedColumnCount(), 1);
    EXPECT_EQ(g.m_arColOrder, std::vector<int>({0}));
    EXPECT_TRUE(g.SetColumnCount(4));
    EXPECT_EQ(g.m_arColOrder, std::vector<int>({0, 1, 2, 3}));
    EXPECT_EQ(g.GetCell(0, 3)->GetState(), (DWORD)(GCS_FIXED | GCS_FIXEDROW));

    EXPECT_FALSE(g.SetRowCount(-1));
}

TEST(GridModelTest, FixedCountsSetAndClearTheirStateBitsAndColours)
{
    CGridCtrl g(1, 2, 0, 0);
    g.SetItemBackColor(0, 1, RGB(1, 2, 3));
    ASSERT_TRUE(g.SetFixedRowCount(1));
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(g.GetItemState(0, c), 0x30u);
        EXPECT_EQ(g.GetItemBackColor(0, c), (COLORREF)CLR_DEFAULT);
        EXPECT_EQ(g.GetItemTextColor(0, c), (COLORREF)CLR_DEFAULT);
    }
    ASSERT_TRUE(g.SetFixedRowCount(0));
    EXPECT_EQ(g.GetItemState(0, 0), 0u);

    // Growing the fixed rows past the row count makes the rows.
    ASSERT_TRUE(g.SetFixedRowCount(3));
    EXPECT_EQ(g.GetRowCount(), 3);
    EXPECT_EQ(g.GetItemState(2, 1), 0x30u);

    ASSERT_TRUE(g.SetFixedColumnCount(1));
    EXPECT_EQ(g.GetItemState(2, 0), 0x70u);
    EXPECT_EQ(g.GetItemState(2, 1), 0x30u);
    ASSERT_TRUE(g.SetFixedRowCount(1));
    EXPECT_EQ(g.GetItemState(2, 0), 0x50u);   // still in the fixed column
    EXPECT_EQ(g.GetItemState(2, 1), 0u);
    ASSERT_TRUE(g.SetFixedColumnCount(0));
    EXPECT_EQ(g.GetItemState(0, 0), 0x30u);   // still in the fixed row
    EXPECT_EQ(g.GetItemState(2, 0), 0u);
}

TEST(GridModelTest, CellsTakeTheDefaultCellOfTheirKind)
{
    CGridCtrl g(2, 2, 1, 1);
    g.m_cellFixedRowColDef.SetFormat(DT_CENTER);
    g.m_cellFixedRowDef.SetFormat(DT_RIGHT);
    g.m_cellFixedColDef.SetFormat(DT_BOTTOM | DT_SINGLELINE);
    CGridCellBase* corner = g.GetCell(0, 0);
    EXPECT_EQ(corner->GetDefaultCell(), &g.m_cellFixedRowColDef);
    EXPECT_EQ(g.GetCell(0, 1)->GetDefaultCell(), &g.m_cellFixedRowDef);
    EXPECT_EQ(g.GetCell(1, 0)->GetDefaultCell(), &g.m_cellFixedColDef);
    EXPECT_EQ(g.GetCell(1, 1)->GetDefaultCell(), &g.m_cellDefault);
    // New cells take their format from their default cell when they are made.
    g.SetRowCount(3);
    EXPECT_EQ(g.GetItemFormat(2, 0), (UINT)(DT_BOTTOM | DT_SINGLELINE));
    EXPECT_EQ(g.GetItemFormat(2, 1), 0x8824u);
    EXPECT_EQ(g.GetCell(1, 1)->GetMargin(), g.m_cellDefault.GetMargin());
}

TEST(GridModelTest, InsertRowRefusesFixedAndPastTheEndAndMovesTheFocus)
{
    CGridCtrl g;
    // No columns yet: one is made; the heading goes into column 0.
    EXPECT_EQ(g.InsertRow(L"Head", -1), 0);
    EXPECT_EQ(g.GetColumnCount(), 1);
    EXPECT_EQ(g.GetItemText(0, 0), CString(L"Head"));
    EXPECT_EQ(g.GetRowHeight(0), g.GetTextExtent(0, 0, L"Head").cy);
    EXPECT_EQ(g.InsertRow(L"", -1), 1);
    EXPECT_EQ(g.GetRowHeight(1), g.m_cellFixedRowDef.GetHeight());

    g.SetFixedRowCount(1);
    g.SetColumnCount(2);
    g.InsertRow(L"a", -1);
    EXPECT_EQ(g.InsertRow(L"x", 0), -1);   // among the fixed rows
    EXPECT_EQ(g.InsertRow(L"x", 3), -1);   // past the end
    EXPECT_EQ(g.GetRowCount(), 3);

    g.SetFocusCell(2, 1);
    g.SetItemText(2, 1, L"focus");
    EXPECT_EQ(g.InsertRow(L"new", 1), 1);
    EXPECT_EQ(g.GetRowCount(), 4);
    EXPECT_EQ(g.GetFocusCell(), CCellID(3, 1));
    EXPECT_EQ(g.GetItemText(3, 1), CString(L"focus"));
    EXPECT_EQ(g.GetItemText(1, 0), CString(L"new"));
    EXPECT_EQ((int)g.m_arRowHeights.GetSize(), 4);
    EXPECT_EQ((int)g.m_RowData.GetSize(), 4);

    // Inserting at the focus row itself pushes the focused cell down too; below it nothing moves.
    EXPECT_EQ(g.InsertRow(L"at", 3), 3);
    EXPECT_EQ(g.GetFocusCell(), CCellID(4, 1));
    EXPECT_EQ(g.GetItemText(4, 1), CString(L"focus"));
    EXPECT_EQ(g.InsertRow(L"end", -1), 5);
    EXPECT_EQ(g.GetFocusCell(), CCellID(4, 1));
}

TEST(GridModelTest, SetCellTypeCopiesTheAttributesIntoTheNewCell)
{
    CGridCtrl g(2, 2, 1, 0);
    LOGFONT lf = {};
    lf.lfHeight = 17;
    // The state first: SetItemState replaces the whole state, and the text adds the modified mark.
    g.SetItemState(1, 1, GCS_READONLY);
    g.SetItemText(1, 1, L"text");
    g.SetItemData(1, 1, 42);
    g.SetItemImage(1, 1, 3);
    g.SetItemBackColor(1, 1, RGB(9, 8, 7));
    g.SetItemFont(1, 1, &lf);
    ASSERT_TRUE(g.SetCellType(1, 1, RUNTIME_CLASS(CTaggedCell)));
    CGridCellBase* cell = g.GetCell(1, 1);
    ASSERT_TRUE(cell->IsKindOf(RUNTIME_CLASS(CTaggedCell)));
    EXPECT_STREQ(cell->GetText(), L"text");
    EXPECT_EQ(cell->GetData(), 42);
    EXPECT_EQ(cell->GetImage(), 3);
    EXPECT_EQ(cell->GetBackColor(), RGB(9, 8, 7));
    EXPECT_EQ(cell->GetTextColor(), (COLORREF)CLR_DEFAULT);
    EXPECT_EQ(cell->GetFont()->lfHeight, 17);
    EXPECT_EQ(cell->GetState(), (DWORD)(GCS_READONLY | GCS_MODIFIED));
    EXPECT_EQ(cell->GetGrid(), &g);
    EXPECT_EQ(cell->GetFormat(), 0x8824u);

    EXPECT_FALSE(g.SetCellType(2, 0, RUNTIME_CLASS(CTaggedCell)));
    EXPECT_FALSE(g.SetCellType(0, 0, RUNTIME_CLASS(CGridCtrl)));
    EXPECT_FALSE(g.SetCellType(0, 0, nullptr));
}

TEST(GridModelTest, SelectedCellsCountOnceEachAndLeaveTheCountWhenClearedOrDestroyed)
{
    CGridCtrl g(4, 4, 1, 1);
    ASSERT_TRUE(g.SetItemState(3, 2, GCS_SELECTED));
    EXPECT_EQ(g.GetSelectedCount(), 1);
    EXPECT_TRUE(g.IsCellSelected(3, 2));
    // The mirror-image cell is another cell.
    EXPECT_FALSE(g.IsCellSelected(2, 3));
    ASSERT_TRUE(g.SetItemState(2, 3, GCS_SELECTED));
    EXPECT_EQ(g.GetSelectedCount(), 2);
    EXPECT_EQ(g.GetSelectedCellRange(), CCellRange(2, 2, 3, 3));
    g.SetItemState(2, 3, 0);

    // Setting it again adds nothing; clearing the bit removes the key.
    g.SetItemState(3, 2, GCS_SELECTED | GCS_READONLY);
    EXPECT_EQ(g.GetSelectedCount(), 1);
    g.SetItemState(3, 2, GCS_READONLY);
    EXPECT_EQ(g.GetSelectedCount(), 0);

    // A missing cell: the map still changes, the call fails.
    EXPECT_FALSE(g.SetItemState(9, 9, GCS_SELECTED));
    EXPECT_EQ(g.GetSelectedCount(), 1);
    g.m_SelectedCellMap.RemoveAll();

    // Destroying a selected cell takes it out of the map.
    g.SetItemState(3, 3, GCS_SELECTED);
    g.SetItemState(2, 3, GCS_SELECTED);
    g.SetColumnCount(3);
    EXPECT_EQ(g.GetSelectedCount(), 0);
}

TEST(GridModelTest, SelectedRangeSelectsClearsAndRespectsTheHeaders)
{
    CGridCtrl g(5, 5, 1, 1);
    g.SetSelectedRange(0, 0, 2, 3);
    // The range is pushed out of the headers.
    EXPECT_EQ(g.GetSelectedCount(), 6);
    EXPECT_EQ(g.GetSelectedCellRange(), CCellRange(1, 1, 2, 3));
    EXPECT_FALSE(g.IsCellSelected(0, 0));
    EXPECT_EQ(g.GetItemState(2, 3) & GCS_SELECTED, (UINT)GCS_SELECTED);

    // A new range replaces the old one.
    g.SetSelectedRange(3, 3, 4, 4);
    EXPECT_EQ(g.GetSelectedCount(), 4);
    EXPECT_FALSE(g.IsCellSelected(1, 1));

    // Deselecting part of it with bSelectCells FALSE.
    g.SetSelectedRange(3, 3, 3, 4, FALSE, FALSE);
    EXPECT_EQ(g.GetSelectedCount(), 2);

    // The previous selection comes back when a control-click adds to it.
    g.SetSelectedRange(1, 1, 1, 1);
    g.m_PrevSelectedCellMap.SetAt(CGridCtrl::SelectionKey(4, 4), CCellID(4, 4));
    g.SetSelectedRange(2, 2, 2, 2);
    EXPECT_TRUE(g.IsCellSelected(4, 4));
    EXPECT_TRUE(g.IsCellSelected(2, 2));
    EXPECT_FALSE(g.IsCellSelected(1, 1));

    g.SetSelectedRange(-1, -1, -1, -1, FALSE, TRUE);
    EXPECT_EQ(g.GetSelectedCount(), 0);
    EXPECT_EQ(g.GetSelectedCellRange(), CCellRange(5, 5, -1, -1));

    // With selection off nothing happens at all.
    g.SetItemState(2, 2, GCS_SELECTED);
    g.m_bEnableSelection = FALSE;
    g.SetSelectedRange(1, 1, 4, 4);
    EXPECT_EQ(g.GetSelectedCount(), 1);
    EXPECT_FALSE(g.IsCellSelected(2, 2));   // selection off: nothing counts as selected
}

TEST(GridModelTest, SetModifiedMarksCellsAndClearsThemAll)
{
    CGridCtrl g(3, 3);
    g.SetModified(FALSE);
    g.SetItemText(1, 1, L"x");
    g.SetItemData(2, 2, 7);
    EXPECT_TRUE(g.GetModified());
    EXPECT_TRUE(g.GetCell(1, 1)->IsModified());
    EXPECT_FALSE(g.GetCell(0, 0)->IsModified());
    g.SetModified(FALSE, 1, 1);
    EXPECT_FALSE(g.GetCell(1, 1)->IsModified());
    EXPECT_TRUE(g.GetCell(2, 2)->IsModified());
    // Format and colours do not count as modifications.
    g.SetItemFormat(0, 0, DT_LEFT);
    g.SetItemTextColor(0, 0, RGB(1, 1, 1));
    EXPECT_FALSE(g.GetCell(0, 0)->IsModified());
    g.SetModified(FALSE, -1, -1);
    EXPECT_FALSE(g.GetModified());
    EXPECT_FALSE(g.GetCell(2, 2)->IsModified());
}

TEST(GridModelTest, AttributeAccessOfMissingCellsFailsQuietly)
{
    CGridCtrl g(2, 2);
    EXPECT_FALSE(g.SetItemText(2, 0, L"x"));
    EXPECT_EQ(g.GetItemText(0, 5), CString());
    EXPECT_EQ(g.GetItemData(-1, 0), 0);
    EXPECT_EQ(g.GetItemState(5, 5), 0u);
    EXPECT_EQ(g.GetTextExtent(5, 5, L"x"), CSize(0, 0));
    EXPECT_FALSE(g.IsCellEditing(5, 5));
    EXPECT_FALSE(g.SetRowHeight(0, -1));
    EXPECT_FALSE(g.SetColumnWidth(2, 10));
    EXPECT_TRUE(g.IsCellEditable(1, 1));
    g.SetItemState(1, 1, GCS_READONLY);
    EXPECT_FALSE(g.IsCellEditable(1, 1));
    g.SetEditable(FALSE);
    EXPECT_FALSE(g.IsCellEditable(0, 0));
}

TEST(GridModelTest, DeleteAllItemsEmptiesEverything)
{
    CGridCtrl g(4, 3, 1, 1);
    g.SetItemState(2, 2, GCS_SELECTED);
    g.SetFocusCell(2, 2);
    EXPECT_TRUE(g.DeleteAllItems());
    EXPECT_EQ(g.GetRowCount() + g.GetColumnCount() + g.GetFixedRowCount() + g.GetFixedColumnCount(), 0);
    EXPECT_EQ(g.GetSelectedCount(), 0);
    EXPECT_EQ(g.GetFocusCell(), CCellID());
    EXPECT_EQ(g.m_RowData.GetSize(), 0);
    EXPECT_EQ(g.GetVirtualWidth(), 0);
    EXPECT_TRUE(g.GetModified());
}

TEST(GridModelTest, SettingsWithBehaviour)
{
    CGridCtrl g(3, 3, 1, 1);
    g.SetSingleRowSelection(TRUE);
    EXPECT_FALSE(g.GetSingleRowSelection());   // only in list mode
    g.SetItemState(1, 1, GCS_SELECTED);
    g.SetListMode(TRUE);
    EXPECT_TRUE(g.GetSingleRowSelection());
    EXPECT_FALSE(g.GetFixedColumnSelection());
    EXPECT_EQ(g.GetSelectedCount(), 0);
    g.SetItemState(1, 1, GCS_SELECTED);
    g.EnableSelection(FALSE);
    EXPECT_EQ(g.GetSelectedCount(), 0);
    EXPECT_FALSE(g.IsSelectable());
    g.SetSortColumn(2);
    EXPECT_EQ(g.GetSortColumn(), 2);
}

// ---------------------------------------------------------------------------------------------
// Expand to fit, against a real client rectangle.

namespace {
struct HostedGrid {
    CWnd host;
    CGridCtrl grid;
    HostedGrid(int clientWidth, int clientHeight)
    {
        host.CreateEx(0, L"STATIC", L"host", WS_POPUP, CRect(0, 0, 600, 600), nullptr, 0);
        grid.CreateEx(0, GRIDCTRL_CLASSNAME, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50), &host, 100);
        // Size the window so that its client area is exactly as asked.
        CRect wnd, client;
        grid.GetWindowRect(&wnd);
        grid.GetClientRect(&client);
        grid.MoveWindow(0, 0, clientWidth + wnd.Width() - client.Width(), clientHeight + wnd.Height() - client.Height());
    }
    ~HostedGrid()
    {
        grid.DestroyWindow();
        host.DestroyWindow();
    }
};
}

TEST(GridExpandTest, ColumnsSpreadTheDifferenceAndSkipHiddenOnes)
{
    HostedGrid h(301, 200);
    CRect rc;
    h.grid.GetClientRect(&rc);
    ASSERT_EQ(rc.Width(), 301);
    h.grid.SetRowCount(1);
    h.grid.SetColumnCount(3);
    SetColumnWidths(h.grid, {100, 0, 50});
    h.grid.ExpandColumnsToFit(TRUE);
    EXPECT_EQ(h.grid.GetColumnWidth(0), 176);
    EXPECT_EQ(h.grid.GetColumnWidth(1), 0);
    EXPECT_EQ(h.grid.GetColumnWidth(2), 125);
    EXPECT_EQ(h.grid.GetVirtualWidth(), 301);

    // Without the fixed columns the fixed one keeps its width.
    h.grid.SetFixedColumnCount(1);
    SetColumnWidths(h.grid, {100, 50, 50});
    h.grid.ExpandColumnsToFit(FALSE);
    EXPECT_EQ(h.grid.GetColumnWidth(0), 100);
    EXPECT_EQ(h.grid.GetColumnWidth(1), 101);
    EXPECT_EQ(h.grid.GetColumnWidth(2), 100);
}

TEST(GridExpandTest, RowsShrinkWhenTallerThanTheClient)
{
    HostedGrid h(200, 100);
    h.grid.SetColumnCount(1);
    h.grid.SetRowCount(4);
    for (int r = 0; r < 4; ++r) h.grid.SetRowHeight(r, r == 2 ? 0 : 50);
    // 150 rows in a 100-pixel client: difference -50 over 3 visible rows: -16 each, and
    // (50 mod 3) = 2 steps from the first row, the hidden one counted: rows 0 and 1 lose one more.
    h.grid.ExpandRowsToFit(TRUE);
    EXPECT_EQ(h.grid.GetRowHeight(0), 33);
    EXPECT_EQ(h.grid.GetRowHeight(1), 33);
    EXPECT_EQ(h.grid.GetRowHeight(2), 0);
    EXPECT_EQ(h.grid.GetRowHeight(3), 34);
    EXPECT_EQ(h.grid.GetVirtualHeight(), 100);
}

TEST(GridExpandTest, LastColumnTakesTheRestOnlyWhenThereIsRoom)
{
    HostedGrid h(300, 100);
    h.grid.SetRowCount(1);
    h.grid.SetColumnCount(3);
    SetColumnWidths(h.grid, {100, 50, 0});
    h.grid.ExpandLastColumn();
    EXPECT_EQ(h.grid.GetColumnWidth(1), 200);   // the hidden last column is stepped over
    EXPECT_EQ(h.grid.GetColumnWidth(2), 0);
    SetColumnWidths(h.grid, {250, 100, 0});
    h.grid.ExpandLastColumn();
    EXPECT_EQ(h.grid.GetColumnWidth(1), 100);
    // Only column 0 visible: nothing to widen.
    SetColumnWidths(h.grid, {10, 0, 0});
    h.grid.ExpandLastColumn();
    EXPECT_EQ(h.grid.GetColumnWidth(0), 10);
}

namespace {
// A dialog made from an in-memory template with one control of the grid's class, as the program's
// dialogs carry it; the grid object is attached by subclassing that control.
struct GridDialog {
    HWND hDlg = nullptr;
    static INT_PTR CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
    explicit GridDialog(UINT nID)
    {
        std::vector<WORD> t(64, 0);
        DLGTEMPLATE* d = (DLGTEMPLATE*)t.data();
        d->style = WS_POPUP | WS_VISIBLE;
        d->cdit = 1;
        d->cx = 200;
        d->cy = 120;
        size_t i = sizeof(DLGTEMPLATE) / 2 + 3;   // no menu, standard class, empty title
        if (i % 2) ++i;                          // the item starts on a DWORD boundary
        DLGITEMTEMPLATE* item = (DLGITEMTEMPLATE*)&t[i];
        item->style = WS_CHILD | WS_VISIBLE;
        item->x = 10;
        item->y = 10;
        item->cx = 150;
        item->cy = 80;
        item->id = (WORD)nID;
        i += sizeof(DLGITEMTEMPLATE) / 2;
        for (const wchar_t* c = GRIDCTRL_CLASSNAME; *c; ++c) t[i++] = *c;
        t[i++] = 0;   // class name end
        t[i++] = 0;   // empty title
        t[i++] = 0;   // no creation data
        hDlg = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), d, nullptr, Proc, 0);
    }
    ~GridDialog()
    {
        if (hDlg) ::DestroyWindow(hDlg);
    }
};
}

TEST(GridWindowTest, RegisteredClassAndSubclassSetUp)
{
    CGridCtrl grid(2, 2);
    WNDCLASSW wc;
    ASSERT_TRUE(::GetClassInfoW(AfxGetInstanceHandle(), GRIDCTRL_CLASSNAME, &wc));
    EXPECT_EQ(wc.style, (UINT)(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(wc.hbrBackground, (HBRUSH)(COLOR_3DFACE + 1));
    EXPECT_EQ(wc.hCursor, ::LoadCursorW(nullptr, IDC_ARROW));
    // Registered once: a second registration attempt would fail and throw.
    EXPECT_TRUE(grid.RegisterWindowClass());
    CGridCtrl second;
    EXPECT_TRUE(AfxOleIsInitialized());

    GridDialog dlg(1000);
    ASSERT_NE(dlg.hDlg, nullptr);
    HWND hCtl = ::GetDlgItem(dlg.hDlg, 1000);
    ASSERT_NE(hCtl, nullptr);
    CRect before;
    ::GetWindowRect(hCtl, &before);
    ::MapWindowPoints(nullptr, dlg.hDlg, (LPPOINT)&before, 2);
    EXPECT_FALSE(::GetWindowLongPtrW(hCtl, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    ASSERT_TRUE(grid.SubclassDlgItem(1000, CWnd::FromHandle(dlg.hDlg)));
    EXPECT_EQ(grid.GetSafeHwnd(), hCtl);
    EXPECT_TRUE(grid.GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_EQ(grid.GetTitleTip().GetParentWnd(), &grid);
    // Same place in the dialog, and the new frame is in force: the client area lost the edge.
    CRect after, client;
    ::GetWindowRect(hCtl, &after);
    ::MapWindowPoints(nullptr, dlg.hDlg, (LPPOINT)&after, 2);
    EXPECT_EQ(after, before);
    grid.GetClientRect(&client);
    EXPECT_EQ(client.Width(), before.Width() - 2 * ::GetSystemMetrics(SM_CXEDGE));
    EXPECT_EQ(client.Height(), before.Height() - 2 * ::GetSystemMetrics(SM_CYEDGE));
    // The grid handles the control's messages now.
    EXPECT_EQ(CWnd::FromHandlePermanent(hCtl), &grid);
    grid.UnsubclassWindow();
}

TEST(GridWindowTest, ClassThatCannotBeRegisteredThrowsTheResourceException)
{
    CGridCtrl grid;
    // The system refuses classes for its own user-interface library's instance.
    CWinApp app(L"other");
    app.m_hInstance = ::GetModuleHandleW(L"user32.dll");
    CResourceException* caught = nullptr;
    try {
        grid.RegisterWindowClass();
    } catch (CResourceException* e) {
        caught = e;
    }
    ASSERT_NE(caught, nullptr);
    caught->Delete();

    caught = nullptr;
    try {
        CGridCtrl doomed(2, 2);
    } catch (CResourceException* e) {
        caught = e;
    }
    ASSERT_NE(caught, nullptr);
    caught->Delete();
}

TEST(GridWindowTest, NotificationsGoToTheOwnerWithRowAndColumn)
{
    struct Owner : CWnd {
        int row = 0, col = 0, code = 0;
        UINT_PTR id = 0;
        BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
        {
            GRIDNOTIFY* n = (GRIDNOTIFY*)lParam;
            id = wParam;
            row = n->iRow;
            col = n->iColumn;
            code = (int)n->hdr.code;
            *pResult = 7;
            return TRUE;
        }
    } owner;
    owner.CreateEx(0, L"STATIC", L"owner", WS_POPUP, CRect(0, 0, 300, 300), nullptr, 0);
    CGridCtrl grid(3, 3);
    EXPECT_EQ(grid.SendMessageToParent(1, 2, GRIDN_SELCHANGED), 0);   // no window yet
    grid.CreateEx(0, GRIDCTRL_CLASSNAME, nullptr, WS_CHILD, CRect(0, 0, 100, 100), &owner, 55);
    EXPECT_EQ(grid.SendMessageToParent(1, 2, GRIDN_SELCHANGED), 7);
    EXPECT_EQ(owner.id, 55u);
    EXPECT_EQ(owner.row, 1);
    EXPECT_EQ(owner.col, 2);
    EXPECT_EQ(owner.code, GRIDN_SELCHANGED);
    grid.DestroyWindow();
    owner.DestroyWindow();
}

// ---------------------------------------------------------------------------------------------
// Memory exhaustion where the grid grows.

TEST(GridMemoryTest, GrowingRowsReportsAndKeepsWhatWasBuilt)
{
    MessageBoxRecorder boxes;
    CGridCtrl g(0, 3);
    AfxInjectAllocationFailure(4);
    EXPECT_FALSE(g.SetRowCount(10));
    AfxInjectAllocationFailure(0);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], CString(AFX_MSG_OUT_OF_MEMORY));
    EXPECT_GT(g.GetRowCount(), 0);
    EXPECT_LT(g.GetRowCount(), 10);
    EXPECT_EQ(g.m_RowData.GetSize(), g.GetRowCount());
    EXPECT_EQ(g.m_arRowHeights.GetSize(), g.GetRowCount());
    for (int r = 0; r < g.GetRowCount(); ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NE(g.GetCell(r, c), nullptr);
    // The grid works on afterwards.
    EXPECT_TRUE(g.SetRowCount(10));
    EXPECT_NE(g.GetCell(9, 2), nullptr);
}

TEST(GridMemoryTest, GrowingColumnsAndInsertingRowsFailCleanly)
{
    MessageBoxRecorder boxes;
    CGridCtrl g(4, 1);
    AfxInjectAllocationFailure(3);
    EXPECT_FALSE(g.SetColumnCount(5));
    AfxInjectAllocationFailure(0);
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ((int)g.m_arColOrder.size(), g.GetColumnCount());
    EXPECT_EQ(g.m_arColWidths.GetSize(), g.GetColumnCount());
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < g.GetColumnCount(); ++c) EXPECT_NE(g.GetCell(r, c), nullptr);

    int rows = g.GetRowCount();
    for (int n = 1; n <= 3; ++n) {
        AfxInjectAllocationFailure(n);
        EXPECT_EQ(g.InsertRow(L"x", n == 2 ? 1 : -1), -1) << n;
        AfxInjectAllocationFailure(0);
        EXPECT_EQ(g.GetRowCount(), rows);
        EXPECT_EQ(g.m_RowData.GetSize(), rows);
        EXPECT_EQ(g.m_arRowHeights.GetSize(), rows);
    }
    EXPECT_EQ(boxes.texts.size(), 4u);
    EXPECT_EQ(g.InsertRow(L"y", -1), rows);
}

TEST(GridMemoryTest, OleInitialisationFailureIsReportedOnceAndTheGridWorksOn)
{
    // OLE is already up on the test thread; another thread sees the failure.
    struct Result { std::vector<CString> texts; int rows = 0; } result;
    AfxOleSimulateInitFailure(TRUE);
    HANDLE h = ::CreateThread(nullptr, 0, [](LPVOID p) WINAPI -> DWORD {
        Result* r = (Result*)p;
        MessageBoxRecorder boxes;
        {
            CGridCtrl g(2, 2);
            r->rows = g.GetRowCount();
        }
        r->texts = boxes.texts;
        return 0;
    }, &result, 0, nullptr);
    ::WaitForSingleObject(h, 10000);
    ::CloseHandle(h);
    AfxOleSimulateInitFailure(FALSE);
    ASSERT_EQ(result.texts.size(), 1u);
    EXPECT_EQ(result.texts[0], CString(L"OLE initialization failed. Make sure that the OLE libraries are the correct version"));
    EXPECT_EQ(result.rows, 2);
}

// ---------------------------------------------------------------------------------------------
// The selection map and the cells' selected bits tell the same story through every change.

namespace {
// Empty when every selected cell is in the map under its packed key and the map holds nothing else.
std::string SelectionDisagreement(CGridCtrl& g)
{
    std::string out;
    int selected = 0;
    for (int r = 0; r < g.GetRowCount(); ++r)
        for (int c = 0; c < g.GetColumnCount(); ++c) {
            CCellID id;
            BOOL inMap = g.m_SelectedCellMap.Lookup(CGridCtrl::SelectionKey(r, c), id);
            BOOL bit = (g.GetItemState(r, c) & GCS_SELECTED) != 0;
            selected += bit;
            if (inMap != bit || (inMap && id != CCellID(r, c)))
                out += "(" + std::to_string(r) + "," + std::to_string(c) + ") ";
        }
    if (selected != g.GetSelectedCount())
        out += "count " + std::to_string(g.GetSelectedCount()) + " vs " + std::to_string(selected);
    return out;
}
}

TEST(GridSelectionTest, MapAndCellStatesAgreeThroughStructuralChanges)
{
    CGridCtrl g(300, 20, 1, 1);
    // A selection larger than the map's first table, then a small one, then none.
    g.SetSelectedRange(1, 1, 299, 19);
    EXPECT_EQ(g.GetSelectedCount(), 299 * 19);
    EXPECT_EQ(SelectionDisagreement(g), "");
    g.SetSelectedRange(2, 2, 3, 3);
    EXPECT_EQ(g.GetSelectedCount(), 4);
    EXPECT_EQ(SelectionDisagreement(g), "");
    g.SetSelectedRange(-1, -1, -1, -1);
    EXPECT_EQ(g.GetSelectedCount(), 0);
    EXPECT_EQ(SelectionDisagreement(g), "");

    // Cells that go away leave the map; a replaced cell keeps its selected bit and its entry.
    g.SetSelectedRange(5, 5, 12, 12);
    g.SetRowCount(10);
    EXPECT_EQ(g.GetSelectedCount(), 5 * 8);
    g.SetColumnCount(8);
    EXPECT_EQ(g.GetSelectedCount(), 5 * 3);
    EXPECT_EQ(SelectionDisagreement(g), "");
    ASSERT_TRUE(g.SetCellType(6, 6, RUNTIME_CLASS(CGridCell)));
    EXPECT_TRUE(g.IsCellSelected(6, 6));
    EXPECT_EQ(SelectionDisagreement(g), "");

    // Changing the fixed counts or inserting a row resets the selection.
    g.SetFixedRowCount(2);
    EXPECT_EQ(g.GetSelectedCount(), 0);
    EXPECT_EQ(SelectionDisagreement(g), "");
    g.SetSelectedRange(3, 3, 4, 4);
    g.InsertRow(L"r", 3);
    EXPECT_EQ(g.GetSelectedCount(), 0);
    EXPECT_EQ(SelectionDisagreement(g), "");
    g.SetSelectedRange(3, 3, 4, 4);
    g.SetFixedColumnCount(4);
    EXPECT_EQ(g.GetSelectedCount(), 0);
    EXPECT_EQ(SelectionDisagreement(g), "");
}

TEST(GridSelectionTest, FixedCountChangesClearTheFocusAndGrowTheGrid)
{
    CGridCtrl g(6, 6, 1, 1);
    g.SetFocusCell(3, 3);
    g.SetFixedRowCount(2);
    EXPECT_EQ(g.GetFocusCell(), CCellID(-1, -1));   // the reset selection takes the focus with it
    g.SetFocusCell(3, 3);
    g.SetFixedRowCount(4);
    EXPECT_EQ(g.GetFocusCell(), CCellID(-1, -1));
    g.SetFixedRowCount(1);
    g.SetFocusCell(4, 5);
    EXPECT_TRUE(g.SetFixedColumnCount(8));   // grows the columns too
    EXPECT_EQ(g.GetColumnCount(), 8);
    EXPECT_EQ(g.GetFocusCell(), CCellID(-1, -1));
    EXPECT_EQ(g.GetItemState(3, 7), 0x50u);
}

TEST(GridMemoryTest, SelectingACellWithoutMemoryLeavesItUnselected)
{
    MessageBoxRecorder boxes;
    CGridCtrl g(4, 4, 1, 1);
    AfxInjectAllocationFailure(1);
    EXPECT_FALSE(g.SetItemState(2, 2, GCS_SELECTED));
    AfxInjectAllocationFailure(0);
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_FALSE(g.IsCellSelected(2, 2));
    EXPECT_EQ(SelectionDisagreement(g), "");
    EXPECT_TRUE(g.SetItemState(2, 2, GCS_SELECTED));
    EXPECT_EQ(SelectionDisagreement(g), "");
}

TEST(GridMemoryTest, AFailedAllocationAnywhereInGrowthIsReportedAndLeavesAConsistentGrid)
{
    auto consistent = [](CGridCtrl& g) {
        if (g.m_RowData.GetSize() != g.GetRowCount() || g.m_arRowHeights.GetSize() != g.GetRowCount()) return false;
        if (g.m_arColWidths.GetSize() != g.GetColumnCount() || (int)g.m_arColOrder.size() != g.GetColumnCount())
            return false;
        for (int r = 0; r < g.GetRowCount(); ++r) {
            GRID_ROW* row = (GRID_ROW*)g.m_RowData[r];
            if (!row || row->GetSize() != g.GetColumnCount()) return false;
        }
        return true;
    };
    // Each operation is run with its first, second, ... allocation failing in turn.
    const std::function<BOOL(CGridCtrl&)> ops[] = {
        [](CGridCtrl& g) { return g.SetRowCount(6); },
        [](CGridCtrl& g) { return g.SetColumnCount(7); },
        [](CGridCtrl& g) { return (BOOL)(g.InsertRow(L"heading", -1) >= 0); },
        [](CGridCtrl& g) { return (BOOL)(g.InsertRow(L"", 1) >= 0); },
    };
    for (size_t op = 0; op < 4; ++op) {
        int failures = 0;
        for (int n = 1; n <= 40; ++n) {
            CGridCtrl g(3, 3, 1, 1);
            MessageBoxRecorder boxes;
            BOOL ok = FALSE;
            bool escaped = false;
            g_failNewAt = n;
            try {
                ok = ops[op](g);
            } catch (...) {
                escaped = true;
            }
            g_failNewAt = 0;
            EXPECT_FALSE(escaped) << "operation " << op << ", allocation " << n;
            if (!ok) {
                ++failures;
                ASSERT_EQ(boxes.texts.size(), 1u) << op << " " << n;
                EXPECT_EQ(boxes.texts[0], CString(AFX_MSG_OUT_OF_MEMORY));
            } else {
                EXPECT_TRUE(boxes.texts.empty()) << op << " " << n;
            }
            EXPECT_TRUE(consistent(g)) << "operation " << op << ", allocation " << n;
        }
        EXPECT_GT(failures, 0) << op;
    }
}

TEST(GridExpandTest, ArithmeticWithoutAWindowExcludesFixedRowsAndNeverWrapsASize)
{
    CGridCtrl g(4, 2, 1, 0);
    int heights[] = {20, 30, 0, 31};
    for (int r = 0; r < 4; ++r) g.SetRowHeight(r, heights[r]);
    // No window and no stand-in: no client area, nothing changes.
    g.ExpandRowsToFit(TRUE);
    g.ExpandColumnsToFit(TRUE);
    g.ExpandLastColumn();
    for (int r = 0; r < 4; ++r) EXPECT_EQ(g.GetRowHeight(r), heights[r]);
    EXPECT_EQ(g.GetColumnWidth(1), g.m_cellFixedColDef.GetWidth());

    // 81 pixels of rows in a 60-pixel client, the fixed row left out: -21 over the two visible
    // rows is -10 each and one more off the first step (row 1); the hidden row 2 stays hidden.
    CRect client(0, 0, 1000, 60);   // wide: no horizontal bar takes room
    g.SetGeometryOverride(&client);
    g.ExpandRowsToFit(FALSE);
    EXPECT_EQ(g.GetRowHeight(0), 20);
    EXPECT_EQ(g.GetRowHeight(1), 19);
    EXPECT_EQ(g.GetRowHeight(2), 0);
    EXPECT_EQ(g.GetRowHeight(3), 21);
    EXPECT_EQ(g.GetVirtualHeight(), 60);

    // A row smaller than its share of a negative difference keeps one pixel.
    g.SetRowCount(2);
    g.SetRowHeight(0, 5);
    g.SetRowHeight(1, 95);
    CRect tiny(0, 0, 1000, 20);
    g.SetGeometryOverride(&tiny);
    g.ExpandRowsToFit(TRUE);
    EXPECT_EQ(g.GetRowHeight(0), 1);
    EXPECT_EQ(g.GetRowHeight(1), 55);

    // Columns wider than the client: the last one keeps its width, the scroll bars are reset.
    g.SetColumnWidth(0, 250);
    g.SetColumnWidth(1, 100);
    CRect wide(0, 0, 300, 200);
    g.SetGeometryOverride(&wide);
    g.m_nHScrollMax = 0;
    g.ExpandLastColumn();
    EXPECT_EQ(g.GetColumnWidth(1), 100);
    EXPECT_GT(g.m_nHScrollMax, 0);
    g.SetGeometryOverride(nullptr);
}

TEST(GridAllocationTest, AnEditorThatCannotBeMadeLeavesTheCellReadyForTheNextEdit)
{
    HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 10, 10, 320, 140, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    HWND h = ::CreateWindowExW(0, L"MFCGridCtrl", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 120, host, (HMENU)100,
                               ::GetModuleHandleW(nullptr), nullptr);
    CGridCtrl grid;
    grid.SubclassWindow(h);
    grid.SetRowCount(3);
    grid.SetColumnCount(3);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    grid.SetEditable(TRUE);
    grid.SetFocus();
    grid.SetFocusCell(1, 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        // A typed character would open an editor, but there is no memory for it.
        g_failNewOfSize = sizeof(CInPlaceEdit);
        grid.PostMessage(WM_CHAR, 'a', 1);
        PumpMessages();
        EXPECT_EQ(g_failNewOfSize, 0u);   // the editor's allocation was tried, and failed
        g_failNewOfSize = 0;
        CGridCellBase* cell = grid.GetCell(1, 1);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(::GetDlgItem(h, IDC_INPLACE_CONTROL), nullptr);
        EXPECT_FALSE(cell->IsEditing());
        EXPECT_EQ(cell->GetEditWnd(), nullptr);
        // With memory again, the next character opens an editor.
        grid.PostMessage(WM_CHAR, 'b', 1);
        PumpMessages();
        EXPECT_NE(::GetDlgItem(h, IDC_INPLACE_CONTROL), nullptr);
        EXPECT_TRUE(cell->IsEditing());
        grid.EndEditing();
        PumpMessages();
        EXPECT_FALSE(cell->IsEditing());
    }
    grid.DestroyWindow();
    ::DestroyWindow(host);
}
