// Interaction in a real window: mouse and key messages go to the grid, and the owner window records
// what the grid tells it.
#include "grid/GridCtrl.h"
#include "grid/cells/GridCell.h"
#include "grid/cells/GridCellCheck.h"
#include "framework/AfxApp.h"
#include "framework/AfxCtrls.h"
#include "../common/GridNotes.h"
#include "../common/WindowCapture.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
GridNotes g_notes;
int g_nCommands = 0;
LRESULT g_endEditAnswer = 0;

LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_NOTIFY) {
        RecordGridNote(g_notes, msg, l);
        return g_notes.back().code == GRIDN_ENDEDIT ? g_endEditAnswer : 0;
    }
    if (msg == WM_COMMAND && LOWORD(w) == 100) ++g_nCommands;
    return ::DefWindowProcW(h, msg, w, l);
}

// A cell that records the points its click hook gets.
class RecordingCell : public CGridCell {
    DECLARE_DYNCREATE(RecordingCell)
public:
    void OnLButtonUp(CPoint p) override { ups.push_back(p); }
    std::vector<CPoint> ups;
};
IMPLEMENT_DYNCREATE(RecordingCell, CGridCell)

void Pump() { PumpMessages(25); }

void SetKey(int vk, bool down)
{
    BYTE ks[256];
    ::GetKeyboardState(ks);
    ks[vk] = down ? 0x80 : 0;
    ::SetKeyboardState(ks);
}

LPARAM Pt(int x, int y) { return MAKELPARAM(x, y); }

// A grid of 5 rows and 4 columns, one fixed row and column; columns 50 wide, rows 20 high, so cell
// (r, c) spans x 50c..50c+50 and y 20r..20r+20.
struct Fixture {
    HWND owner = nullptr;
    CGridCtrl grid;
    Fixture(int rowHeight = 20)
    {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = OwnerProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"GridInputOwner";
            ::RegisterClassW(&wc);
            registered = true;
        }
        owner = ::CreateWindowExW(0, L"GridInputOwner", L"", WS_POPUP | WS_VISIBLE, 10, 10, 420, 220, nullptr,
                                  nullptr, ::GetModuleHandleW(nullptr), nullptr);
        HWND h = ::CreateWindowExW(0, L"MFCGridCtrl", L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 200, owner, (HMENU)100,
                                   ::GetModuleHandleW(nullptr), nullptr);
        grid.SubclassWindow(h);
        grid.SetRowCount(5);
        grid.SetColumnCount(4);
        grid.SetFixedRowCount(1);
        grid.SetFixedColumnCount(1);
        for (int r = 0; r < 5; ++r) grid.SetRowHeight(r, rowHeight);
        for (int c = 0; c < 4; ++c) grid.SetColumnWidth(c, 50);
        for (int r = 1; r < 5; ++r)
            for (int c = 1; c < 4; ++c) grid.SetItemText(r, c, L"t");
        grid.EnableTitleTips(FALSE);
        grid.SetEditable(TRUE);
        // The real pointer stays away, so that no system mouse move reaches the grid between messages.
        ::ClipCursor(nullptr);
        ::SetCursorPos(700, 600);
        ::SetForegroundWindow(owner);
        Pump();
        g_notes.clear();
        g_nCommands = 0;
        g_endEditAnswer = 0;
    }
    ~Fixture()
    {
        SetKey(VK_SHIFT, false);
        SetKey(VK_CONTROL, false);
        grid.DestroyWindow();
        ::DestroyWindow(owner);
        Pump();
    }
    void Down(int x, int y, WPARAM k = 0) { grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | k, Pt(x, y)); }
    void Move(int x, int y, WPARAM k = MK_LBUTTON) { grid.SendMessage(WM_MOUSEMOVE, k, Pt(x, y)); }
    void Up(int x, int y, WPARAM k = 0) { grid.SendMessage(WM_LBUTTONUP, k, Pt(x, y)); }
    void Click(int x, int y, WPARAM k = 0) { Down(x, y, k); Up(x, y, k); Pump(); }
    void Key(UINT vk) { grid.SendMessage(WM_KEYDOWN, vk, 0); }
    void CtrlKey(UINT vk)
    {
        SetKey(VK_CONTROL, true);
        Key(vk);
        SetKey(VK_CONTROL, false);
    }
    HWND Editor() { return ::GetDlgItem(grid.m_hWnd, IDC_INPLACE_CONTROL); }
    std::string Clipboard()
    {
        std::string s;
        if (!::OpenClipboard(nullptr)) return "<closed>";
        if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
            const char* p = (const char*)::GlobalLock(h);
            size_t n = ::GlobalSize(h);
            s.assign(p, n);
            ::GlobalUnlock(h);
        }
        ::CloseClipboard();
        return s;
    }
};
}

TEST(GridInputTest, ClickAndDragSelectionNotifyInOrderAndPostTheButtonCommand)
{
    Fixture f;
    f.Click(125, 50);   // cell (2, 2)
    EXPECT_EQ(g_notes, (GridNotes{{GRIDN_SELCHANGING, 2, 2}, {GRIDN_SELCHANGED, 2, 2}, {(int)NM_CLICK, 2, 2}}));
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(2, 2));
    EXPECT_EQ(f.grid.GetSelectedCount(), 1);
    EXPECT_TRUE(f.grid.GetItemState(2, 2) & GCS_FOCUSED);
    EXPECT_EQ(g_nCommands, 1);
    EXPECT_EQ(::GetCapture(), nullptr);

    g_notes.clear();
    f.Down(75, 30);       // (1, 1)
    f.Move(125, 70);      // (3, 2)
    f.Up(125, 70);
    Pump();
    EXPECT_EQ(g_notes, (GridNotes{{GRIDN_SELCHANGING, 1, 1}, {GRIDN_SELCHANGED, 3, 2}, {(int)NM_CLICK, 1, 1}}));
    EXPECT_EQ(f.grid.GetSelectedCount(), 6);
    EXPECT_TRUE(f.grid.IsCellSelected(3, 2));
    EXPECT_FALSE(f.grid.IsCellSelected(3, 3));
    EXPECT_FALSE(f.grid.GetItemState(2, 2) & GCS_FOCUSED);   // the focus left the earlier cell

    // Shift+click extends from the anchor (1, 1); outside the cells there is no button command.
    f.Click(175, 90, MK_SHIFT);   // (4, 3)
    EXPECT_EQ(f.grid.GetSelectedCount(), 12);
    g_nCommands = 0;
    f.Click(300, 150);
    f.Click(25, 10);   // the corner, a fixed cell
    EXPECT_EQ(g_nCommands, 1);
}

TEST(GridInputTest, ControlClickKeepsTheSelectionAndDeselectsASelectedCell)
{
    Fixture f;
    f.Click(75, 30);
    f.Click(175, 70, MK_CONTROL);
    EXPECT_EQ(f.grid.GetSelectedCount(), 2);
    EXPECT_TRUE(f.grid.IsCellSelected(1, 1));
    EXPECT_TRUE(f.grid.IsCellSelected(3, 3));
    f.Click(75, 30, MK_CONTROL);
    EXPECT_EQ(f.grid.GetSelectedCount(), 1);
    EXPECT_FALSE(f.grid.IsCellSelected(1, 1));
}

TEST(GridInputTest, ListModeSelectsWholeRowsAndSingleRowSelectionMovesOneRow)
{
    Fixture f;
    f.grid.SetListMode(TRUE);
    f.Click(125, 50);
    EXPECT_EQ(f.grid.GetSelectedCount(), 3);
    for (int c = 1; c < 4; ++c) EXPECT_TRUE(f.grid.IsCellSelected(2, c));
    f.Down(75, 30);
    f.Move(75, 70);
    f.Up(75, 70);
    EXPECT_EQ(f.grid.GetSelectedCount(), 9);   // rows 1 to 3

    f.grid.SetSingleRowSelection(TRUE);
    f.Down(75, 30);
    f.Move(75, 50);
    f.Move(75, 70);
    f.Up(75, 70);
    EXPECT_EQ(f.grid.GetSelectedCount(), 3);
    EXPECT_TRUE(f.grid.IsCellSelected(3, 1));
    EXPECT_FALSE(f.grid.IsCellSelected(1, 1));
    // The keyboard moves the one row.
    f.Key(VK_DOWN);
    EXPECT_EQ(f.grid.GetSelectedCount(), 3);
    EXPECT_TRUE(f.grid.IsCellSelected(4, 3));
}

TEST(GridInputTest, KeysStopAtTheEdgesAndStepOverHiddenRows)
{
    Fixture f;
    f.Click(75, 30);   // focus (1, 1)
    g_notes.clear();
    f.Key(VK_LEFT);
    f.Key(VK_UP);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(1, 1));
    EXPECT_TRUE(g_notes.empty());

    f.grid.SetRowHeight(2, 0);
    f.Key(VK_DOWN);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(3, 1));
    EXPECT_EQ(g_notes, (GridNotes{{GRIDN_SELCHANGING, 3, 1}, {GRIDN_SELCHANGED, 3, 1}}));
    EXPECT_EQ(f.grid.GetSelectedCount(), 1);
    f.Key(VK_UP);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(1, 1));

    // Shift+arrows extend from the anchor.
    SetKey(VK_SHIFT, true);
    f.Key(VK_RIGHT);
    f.Key(VK_DOWN);
    SetKey(VK_SHIFT, false);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(3, 2));
    EXPECT_EQ(f.grid.GetSelectedCount(), 6);   // rows 1..3 by columns 1..2, the hidden row included

    f.Key(VK_END);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(3, 3));
    f.Key(VK_RIGHT);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(3, 3));
    f.Key(VK_HOME);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(3, 1));

    // Tab at the last column goes to the first column of the next visible row; in the last row it stays.
    f.Key(VK_UP);
    f.Key(VK_END);
    f.Key(VK_TAB);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(3, 1));
    f.Key(VK_DOWN);
    f.Key(VK_END);
    f.Key(VK_TAB);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(4, 3));
    // Shift+Tab at the first column goes back to the end of the row above.
    f.Key(VK_HOME);
    SetKey(VK_SHIFT, true);
    f.Key(VK_TAB);
    SetKey(VK_SHIFT, false);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(3, 3));
    // A grid that cannot scroll: Page Down goes to the last row, Page Up to the first.
    f.Key(VK_NEXT);
    EXPECT_EQ(f.grid.GetFocusCell().row, 4);
    f.Key(VK_PRIOR);
    EXPECT_EQ(f.grid.GetFocusCell().row, 1);
}

TEST(GridInputTest, EditStartsOnReleaseEndsThroughTheOwnerAndCanBeVetoed)
{
    Fixture f;
    f.Click(75, 30);   // focus (1, 1)
    g_notes.clear();
    f.Down(60, 30);    // on the focus cell's text: no edit yet
    EXPECT_EQ(f.Editor(), nullptr);
    f.Up(60, 30);
    Pump();
    HWND edit = f.Editor();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(g_notes, (GridNotes{{GRIDN_BEGINEDIT, 1, 1}}));
    ::SetWindowTextW(edit, L"new");
    ::SendMessageW(edit, WM_CHAR, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(f.Editor(), nullptr);
    EXPECT_EQ(f.grid.GetItemText(1, 1), CString(L"new"));
    EXPECT_TRUE(f.grid.IsModified(1, 1));
    EXPECT_EQ(g_notes, (GridNotes{{GRIDN_BEGINEDIT, 1, 1}, {GRIDN_ENDEDIT, 1, 1}}));

    // Typing starts an edit with the character; Tab moves on and keeps editing the next cell.
    f.grid.SetFocus();
    f.grid.SendMessage(WM_CHAR, 'x', 0);
    Pump();
    edit = f.Editor();
    ASSERT_NE(edit, nullptr);
    wchar_t text[16] = {};
    ::GetWindowTextW(edit, text, 16);
    EXPECT_STREQ(text, L"x");
    ::SendMessageW(edit, WM_CHAR, VK_TAB, 0);
    Pump();
    EXPECT_EQ(f.grid.GetItemText(1, 1), CString(L"x"));
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(1, 2));
    ASSERT_NE(f.Editor(), nullptr);

    // The owner refuses the next text: the old one comes back.
    g_endEditAnswer = -1;
    ::SetWindowTextW(f.Editor(), L"refused");
    ::SendMessageW(f.Editor(), WM_CHAR, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(f.grid.GetItemText(1, 2), CString(L"t"));
}

TEST(GridInputTest, ResizingAColumnToNothingHidesItAndAStillClickChangesNothing)
{
    Fixture f;
    f.Move(149, 10, 0);   // hover over the divider right of column 2
    EXPECT_EQ(f.grid.m_MouseMode, GMM_OVER_COL_DIVIDE);
    f.grid.SendMessage(WM_SETCURSOR, (WPARAM)f.grid.m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE));
    f.Down(149, 10);
    f.Up(149, 10);
    EXPECT_EQ(f.grid.GetColumnWidth(2), 50);

    f.Move(149, 10, 0);
    f.Down(149, 10);
    f.Move(120, 10);
    f.Up(120, 10);
    EXPECT_EQ(f.grid.GetColumnWidth(2), 20);
    f.Move(119, 10, 0);   // the divider now at 120
    f.Down(119, 10);
    f.Move(60, 10);
    f.Up(60, 10);
    EXPECT_EQ(f.grid.GetColumnWidth(2), 0);
    EXPECT_EQ(f.grid.m_MouseMode, GMM_NOTHING);
    ::ClipCursor(nullptr);
    // The keyboard steps over the hidden column.
    f.Click(75, 30);
    f.Key(VK_RIGHT);
    EXPECT_EQ(f.grid.GetFocusCell(), CCellID(1, 3));
}

TEST(GridInputTest, ClipboardTextHasTabsAndLineEndsAndPastesBack)
{
    Fixture f;
    f.grid.SetItemText(1, 1, L"a");
    f.grid.SetItemText(1, 2, L"b");
    f.grid.SetItemText(2, 1, L"c");
    f.grid.SetItemText(2, 2, L"d");
    f.Down(75, 30);
    f.Move(125, 50);
    f.Up(125, 50);
    f.CtrlKey('C');
    EXPECT_EQ(f.Clipboard(), std::string("a\tb\r\nc\td\0", 9));

    f.Click(75, 70);   // (3, 1)
    f.CtrlKey('V');
    EXPECT_EQ(f.grid.GetItemText(3, 1), CString(L"a"));
    EXPECT_EQ(f.grid.GetItemText(3, 2), CString(L"b"));
    EXPECT_EQ(f.grid.GetItemText(4, 1), CString(L"c"));
    EXPECT_EQ(f.grid.GetItemText(4, 2), CString(L"d"));
    EXPECT_EQ(f.grid.GetSelectedCount(), 4);   // the pasted cells

    // Commas split fields too, and a final line end opens no empty line.
    {
        HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, 8);
        memcpy(::GlobalLock(h), "x,y\r\n", 6);
        ::GlobalUnlock(h);
        COleDataSource* pSource = new COleDataSource;
        pSource->CacheGlobalData(CF_TEXT, h);
        pSource->SetClipboard();
    }
    f.Click(75, 30);
    f.CtrlKey('V');
    EXPECT_EQ(f.grid.GetItemText(1, 1), CString(L"x"));
    EXPECT_EQ(f.grid.GetItemText(1, 2), CString(L"y"));
    EXPECT_EQ(f.grid.GetItemText(2, 1), CString(L"c"));

    // Cut empties the selected cells (the pasted pair is still selected).
    f.CtrlKey('X');
    EXPECT_EQ(f.Clipboard(), std::string("x\ty\0", 4));
    EXPECT_EQ(f.grid.GetItemText(1, 2), CString(L""));
}

TEST(GridInputTest, CheckCellTogglesOnlyOnAClickInsideTheBox)
{
    Fixture f(40);
    f.grid.SetEditable(FALSE);
    ASSERT_TRUE(f.grid.SetCellType(1, 1, RUNTIME_CLASS(CGridCellCheck)));
    CGridCellCheck* pCheck = (CGridCellCheck*)f.grid.GetCell(1, 1);
    f.grid.Invalidate();
    ::UpdateWindow(f.grid.m_hWnd);
    CRect box = pCheck->GetCheckPlacement();
    ASSERT_EQ(box.Width(), ::GetSystemMetrics(SM_CXHSCROLL));
    EXPECT_GT(box.left, 50);   // right of the cell's left edge by the margin

    f.Click(box.right, box.top + 2);   // one pixel right of the box
    EXPECT_FALSE(pCheck->GetCheck());
    f.Click(98, 60);                   // in the text
    EXPECT_FALSE(pCheck->GetCheck());
    f.Click(box.left + 2, box.top + 2);
    EXPECT_TRUE(pCheck->GetCheck());
    f.Click(box.right - 1, box.bottom - 1);
    EXPECT_FALSE(pCheck->GetCheck());
    pCheck->SetCheckEnabled(FALSE);
    f.Click(box.left + 2, box.top + 2);
    EXPECT_FALSE(pCheck->GetCheck());

    // The text rectangle starts after the box; centred, a narrow cell keeps the box at the margin.
    CRect text(50, 40, 100, 80);
    pCheck->GetTextRect(&text);
    EXPECT_GE(text.left, box.right);
    pCheck->SetCentred(TRUE);
    EXPECT_GT(pCheck->GetCheckPlacement().left, box.left);
    f.grid.SetColumnWidth(1, 10);
    f.grid.Invalidate();
    ::UpdateWindow(f.grid.m_hWnd);
    EXPECT_EQ(pCheck->GetCheckPlacement().left, box.left);
}

TEST(GridInputTest, AGridWithoutEditingAndSelectionStillRoutesClicksToCells)
{
    Fixture f;
    f.grid.SetEditable(FALSE);
    f.grid.EnableSelection(FALSE);
    ASSERT_TRUE(f.grid.SetCellType(2, 3, RUNTIME_CLASS(RecordingCell)));
    RecordingCell* pCell = (RecordingCell*)f.grid.GetCell(2, 3);
    f.Click(180, 55);   // (2, 3), origin (150, 40)
    f.Click(180, 55);   // again: would start an edit in an editable grid
    EXPECT_EQ(f.grid.GetSelectedCount(), 0);
    EXPECT_EQ(f.Editor(), nullptr);
    ASSERT_EQ(pCell->ups.size(), 2u);
    EXPECT_EQ(pCell->ups[0], CPoint(30, 15));
    EXPECT_EQ(g_nCommands, 2);
    f.grid.SendMessage(WM_CHAR, 'x', 0);
    f.Key(VK_F2);
    f.grid.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, Pt(180, 55));
    Pump();
    EXPECT_EQ(f.Editor(), nullptr);
    EXPECT_EQ(f.grid.GetItemText(2, 3), CString(L"t"));
    // Clicks and the double click reach the owner; no edit begins.
    EXPECT_EQ(g_notes, (GridNotes{{GRIDN_SELCHANGING, 2, 3}, {GRIDN_SELCHANGED, 2, 3}, {(int)NM_CLICK, 2, 3},
                                  {GRIDN_SELCHANGING, 2, 3}, {GRIDN_SELCHANGED, 2, 3}, {(int)NM_CLICK, 2, 3},
                                  {(int)NM_DBLCLK, 2, 3}}));
    // Ctrl+X and Ctrl+V change nothing either.
    f.CtrlKey('X');
    f.CtrlKey('V');
    EXPECT_EQ(f.grid.GetItemText(2, 3), CString(L"t"));
}

TEST(GridInputTest, DragOverMarksTheCellAndADropLeavesNoMark)
{
    Fixture f;
    EXPECT_EQ(f.grid.OnDragEnter(nullptr, 0, CPoint(75, 30)), DROPEFFECT_NONE);
    EXPECT_EQ(f.grid.OnDragOver(nullptr, 0, CPoint(75, 30)), DROPEFFECT_MOVE);
    EXPECT_TRUE(f.grid.GetItemState(1, 1) & GCS_DROPHILITED);
    EXPECT_EQ(f.grid.OnDragOver(nullptr, MK_CONTROL, CPoint(125, 30)), DROPEFFECT_COPY);
    EXPECT_FALSE(f.grid.GetItemState(1, 1) & GCS_DROPHILITED);
    EXPECT_TRUE(f.grid.GetItemState(1, 2) & GCS_DROPHILITED);
    EXPECT_EQ(f.grid.OnDragOver(nullptr, 0, CPoint(25, 30)), DROPEFFECT_NONE);   // a header
    EXPECT_FALSE(f.grid.GetItemState(1, 2) & GCS_DROPHILITED);
    f.grid.OnDragOver(nullptr, 0, CPoint(75, 50));
    EXPECT_FALSE(f.grid.OnDrop(nullptr, DROPEFFECT_MOVE, CPoint(75, 50)));
    EXPECT_FALSE(f.grid.GetItemState(2, 1) & GCS_DROPHILITED);
    EXPECT_EQ(f.grid.GetItemText(2, 1), CString(L"t"));
}

TEST(GridInputTest, AKeyboardMoveScrollsUntilTheWholeFocusCellIsInView)
{
    Fixture f;
    // Moves the focus by a key from one cell to the next, and reads what the client area then shows
    // of the new focus cell: its right or bottom edge must lie inside.
    auto move = [&](CCellID from, UINT key, CCellID to, int nBar) {
        f.grid.SetFocusCell(from.row, from.col);
        f.grid.PostMessage(WM_KEYDOWN, key, 1);
        Pump();
        EXPECT_EQ(f.grid.GetFocusCell(), to);
        CRect client, cell;
        f.grid.GetClientRect(&client);
        ASSERT_TRUE(f.grid.GetCellRect(to.row, to.col, &cell));
        if (nBar == SB_VERT) EXPECT_LT(cell.bottom, client.bottom);
        else EXPECT_LT(cell.right, client.right);
        EXPECT_GT(f.grid.GetScrollPos32(nBar, FALSE), 0);
    };
    // Rows: the window ends one pixel before row 9's last pixel row.
    f.grid.SetRowCount(12);
    for (int r = 0; r < 12; ++r) f.grid.SetRowHeight(r, 20);
    f.grid.MoveWindow(0, 0, 400, 199);
    move(CCellID(8, 1), VK_DOWN, CCellID(9, 1), SB_VERT);

    // Columns: the client area ends one pixel before column 5's last pixel column.
    f.grid.SetScrollPos32(SB_VERT, 0);
    f.grid.SetRowCount(5);
    f.grid.SetColumnCount(8);
    for (int c = 1; c < 8; ++c) f.grid.SetColumnWidth(c, 70);
    f.grid.MoveWindow(0, 0, 399, 199);
    move(CCellID(1, 4), VK_RIGHT, CCellID(1, 5), SB_HORZ);
}

namespace {
void PutTextOnClipboard(const char* text)
{
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    if (text) {
        size_t n = strlen(text) + 1;
        HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, n);
        memcpy(::GlobalLock(h), text, n);
        ::GlobalUnlock(h);
        ::SetClipboardData(CF_TEXT, h);
    }
    ::CloseClipboard();
}

// The enabled state of each edit command, as a menu of the grid's owner brings its items up to date.
std::string MenuState(CGridCtrl& grid)
{
    const UINT ids[] = {ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_SELECT_ALL, ID_EDIT_CLEAR};
    CMenu menu;
    menu.m_hMenu = ::CreatePopupMenu();
    for (UINT id : ids) menu.AppendMenu(MF_STRING, id, L"item");
    std::string s;
    for (UINT i = 0; i < 5; ++i) {
        CCmdUI ui;
        ui.m_pMenu = &menu;
        ui.m_nIndex = i;
        ui.m_nID = ids[i];
        ui.DoUpdate(&grid, TRUE);
        s += (::GetMenuState(menu.m_hMenu, i, MF_BYPOSITION) & MF_GRAYED) ? '-' : '+';
    }
    ::DestroyMenu(menu.m_hMenu);
    return s;
}
}

TEST(GridInputTest, EditCommandsAreEnabledOnlyWhenTheyCanAct)
{
    Fixture f;
    PutTextOnClipboard("x");
    // Nothing selected and no focus cell: only select all (and the grid has no clear command).
    EXPECT_EQ(MenuState(f.grid), "---+-");
    f.Click(75, 30);
    ASSERT_EQ(f.grid.GetSelectedCount(), 1);
    EXPECT_EQ(MenuState(f.grid), "++++-");
    // Nothing to paste.
    PutTextOnClipboard(nullptr);
    EXPECT_EQ(MenuState(f.grid), "++-+-");
    PutTextOnClipboard("x");
    // Read-only: copying still works, cutting and pasting do not.
    f.grid.SetEditable(FALSE);
    EXPECT_EQ(MenuState(f.grid), "+--+-");
    f.grid.SetEditable(TRUE);
    f.grid.EnableSelection(FALSE);
    EXPECT_EQ(MenuState(f.grid).substr(3, 1), "-");
    f.grid.EnableSelection(TRUE);

    // A button standing for a command is enabled and disabled the same way, through the same route.
    HWND button = ::CreateWindowExW(0, L"BUTTON", L"Copy", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20, f.owner, (HMENU)5,
                                    ::GetModuleHandleW(nullptr), nullptr);
    CCmdUI ui;
    ui.m_pOther = CWnd::FromHandle(button);
    ui.m_nID = ID_EDIT_COPY;
    f.grid.ResetSelectedRange();
    EXPECT_TRUE(ui.DoUpdate(&f.grid, TRUE));
    EXPECT_FALSE(::IsWindowEnabled(button));
    f.grid.SetSelectedRange(1, 1, 2, 2);
    EXPECT_TRUE(ui.DoUpdate(&f.grid, TRUE));
    EXPECT_TRUE(::IsWindowEnabled(button));
    ::DestroyWindow(button);
}
