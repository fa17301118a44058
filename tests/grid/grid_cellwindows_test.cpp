// The windows a cell uses, in real windows: the in-place edit (first character, ending keys, growth,
// loss of focus, the single end of editing), the cell's Edit, the title tip (showing only for cut-off
// text, hiding and passing input on) and the drop target (forwarding only for its own grid).
#include "grid/GridCtrl.h"
#include "grid/InPlaceEdit.h"
#include <gtest/gtest.h>
#include "../common/WindowCapture.h"
#include <functional>
#include <vector>

namespace {
void Pump() { PumpMessages(); }

// What a plain window received: every message, and the end-of-edit records in full.
struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
struct EndEditRecord {
    HWND hwndFrom;
    UINT_PTR idFrom;
    int code;
    int row, col;
    UINT mask;
    LPARAM data;
    CString text;
};
std::vector<Received> g_received;
std::vector<EndEditRecord> g_endEdits;
std::function<void()> g_onEndEdit;   // runs inside the owner's handling of an end-of-edit record

// The editor's end record and the grid's own end notice share the code; only the editor's carries
// the text, so only a notice from an edit window is read as one.
bool FromAnEditor(const NMHDR* p)
{
    wchar_t cls[16] = {};
    return p->hwndFrom && ::GetClassNameW(p->hwndFrom, cls, 16) && ::lstrcmpiW(cls, L"Edit") == 0;
}

LRESULT CALLBACK RecorderProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m != WM_NCHITTEST && m != WM_PAINT && m != WM_NCPAINT && m != WM_ERASEBKGND) g_received.push_back({m, w, l});
    if (m == WM_NOTIFY && ((NMHDR*)l)->code == (UINT)GRIDN_ENDEDIT && FromAnEditor((NMHDR*)l)) {
        GRIDDISPINFO* p = (GRIDDISPINFO*)l;
        g_endEdits.push_back({p->hdr.hwndFrom, p->hdr.idFrom, (int)p->hdr.code, p->item.row, p->item.col,
                              p->item.mask, p->item.lParam, p->item.strText});
        if (g_onEndEdit) g_onEndEdit();
        return 0;
    }
    return ::DefWindowProcW(h, m, w, l);
}

const wchar_t* RecorderClass()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = RecorderProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = L"NvRecorder";
        ::RegisterClassW(&wc);
        registered = true;
    }
    return L"NvRecorder";
}

bool ReceivedMessage(UINT message, WPARAM* pw = nullptr, LPARAM* pl = nullptr)
{
    for (const Received& r : g_received)
        if (r.message == message) {
            if (pw) *pw = r.wParam;
            if (pl) *pl = r.lParam;
            return true;
        }
    return false;
}

// A foreground top-level window at (100, 100) with a recording child of 300 x 200 at its origin.
struct Stage {
    HWND host = nullptr;
    HWND parent = nullptr;
    HWND other = nullptr;   // somewhere else for the focus to go
    explicit Stage(DWORD parentStyle = 0)
    {
        host = ::CreateWindowExW(0, RecorderClass(), L"", WS_POPUP | WS_VISIBLE, 100, 100, 400, 260, nullptr,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
        parent = ::CreateWindowExW(0, RecorderClass(), L"", WS_CHILD | WS_VISIBLE | parentStyle, 0, 0, 300, 200, host,
                                   (HMENU)1, ::GetModuleHandleW(nullptr), nullptr);
        other = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 310, 10, 60, 20, host, (HMENU)2,
                                  ::GetModuleHandleW(nullptr), nullptr);
        ::SetForegroundWindow(host);
        ::SetActiveWindow(host);
        ::SetFocus(parent);
        Pump();
        g_received.clear();
        g_endEdits.clear();
        g_onEndEdit = nullptr;
    }
    ~Stage()
    {
        g_onEndEdit = nullptr;
        ::DestroyWindow(host);
        Pump();
    }
    CWnd* Parent() { return CWnd::FromHandle(parent); }
};

void HoldControl(bool down)
{
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

CString TextOf(HWND h)
{
    wchar_t buf[512] = {};
    ::GetWindowTextW(h, buf, 512);
    return buf;
}

DWORD Selection(HWND h)
{
    DWORD start = 0, end = 0;
    ::SendMessageW(h, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    return MAKELONG(start, end);
}

CInPlaceEdit* OpenEdit(Stage& s, const wchar_t* text, UINT firstChar, CRect rect = CRect(10, 10, 110, 30))
{
    return new CInPlaceEdit(s.Parent(), rect, ES_LEFT, 77, 3, 2, text, firstChar);
}
}

// ---------------------------------------------------------------------------------------------
// In-place edit

TEST(InPlaceEditTest, FirstCharacterDecidesSelectionAndWhatIsTyped)
{
    Stage s;
    // A typed letter: the old text is selected whole, then replaced by the letter.
    CInPlaceEdit* e = OpenEdit(s, L"old text", 'x');
    HWND h = e->GetSafeHwnd();
    ASSERT_TRUE(::IsWindow(h));
    EXPECT_EQ(::GetFocus(), h);
    EXPECT_EQ(Selection(h), (DWORD)MAKELONG(0, 8));
    EXPECT_TRUE(e->GetExitOnArrows());
    Pump();
    EXPECT_STREQ(TextOf(h).GetString(), L"x");
    EXPECT_EQ(::GetWindowLongPtrW(h, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL),
              (LONG_PTR)(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL));
    EXPECT_EQ(::SendMessageW(h, WM_GETDLGCODE, 0, 0), (LRESULT)DLGC_WANTALLKEYS);
    ::DestroyWindow(h);

    // Backspace: caret at the end, and the last character goes.
    e = OpenEdit(s, L"abc", VK_BACK);
    h = e->GetSafeHwnd();
    Pump();
    EXPECT_STREQ(TextOf(h).GetString(), L"ab");
    ::DestroyWindow(h);

    // Return and a mouse click keep the text with the caret at the end; a space or a cursor key
    // selects it all and types nothing.
    for (UINT ch : {(UINT)VK_RETURN, (UINT)VK_LBUTTON, (UINT)VK_SPACE, (UINT)VK_HOME}) {
        e = OpenEdit(s, L"abc", ch);
        h = e->GetSafeHwnd();
        Pump();
        EXPECT_STREQ(TextOf(h).GetString(), L"abc") << ch;
        DWORD expected = (ch == VK_RETURN || ch == VK_LBUTTON) ? MAKELONG(3, 3) : MAKELONG(0, 3);
        EXPECT_EQ(Selection(h), expected) << ch;
        EXPECT_EQ(e->GetExitOnArrows(), ch != VK_LBUTTON) << ch;
        ::DestroyWindow(h);
    }

    // A character beyond 7-bit ASCII arrives as an IME character and still replaces the text.
    e = OpenEdit(s, L"abc", 0x00E9);
    h = e->GetSafeHwnd();
    Pump();
    EXPECT_STREQ(TextOf(h).GetString(), L"\x00E9");
    ::DestroyWindow(h);

    // Through the application's loop, Alt with a character is swallowed before it reaches the
    // control, while a plain character is typed.
    e = OpenEdit(s, L"abc", VK_RETURN);
    h = e->GetSafeHwnd();
    Pump();
    static WNDPROC s_editProc;
    static std::vector<UINT> s_editSaw;
    s_editSaw.clear();
    s_editProc = (WNDPROC)::SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)+[](HWND w, UINT m, WPARAM wp, LPARAM lp) WINAPI -> LRESULT {
        if (m == WM_SYSCHAR || m == WM_CHAR) s_editSaw.push_back(m);
        return ::CallWindowProcW(s_editProc, w, m, wp, lp);
    });
    ::PostMessageW(h, WM_SYSCHAR, 'q', 0x20000001);
    ::PostMessageW(h, WM_CHAR, 'z', 1);
    RunApplicationLoop();
    EXPECT_EQ(s_editSaw, std::vector<UINT>{WM_CHAR});
    EXPECT_STREQ(TextOf(h).GetString(), L"abcz");
    ::SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)s_editProc);
    ::DestroyWindow(h);
    // Destroying the windows ended each edit through the loss of focus.
    EXPECT_FALSE(g_endEdits.empty());
}

TEST(InPlaceEditTest, EndingKeysReportTheTextAndTheKeyAndCloseTheWindow)
{
    struct Case {
        UINT first;
        UINT message;
        UINT key;
        BOOL ctrl;
        const wchar_t* text;   // what the owner is told
    };
    const Case cases[] = {
        {'q', WM_CHAR, VK_RETURN, FALSE, L"qz"},
        {'q', WM_CHAR, VK_TAB, FALSE, L"qz"},
        {'q', WM_CHAR, VK_ESCAPE, FALSE, L"initial"},   // Escape restores the initial text
        {'q', WM_KEYDOWN, VK_DOWN, FALSE, L"qz"},        // typed start: arrows end editing
        {'q', WM_KEYDOWN, VK_NEXT, FALSE, L"qz"},
        {VK_LBUTTON, WM_KEYDOWN, VK_LEFT, TRUE, L"initialz"},   // mouse start: only with Ctrl
    };
    for (const Case& c : cases) {
        Stage s;
        CInPlaceEdit* e = OpenEdit(s, L"initial", c.first);
        HWND h = e->GetSafeHwnd();
        Pump();
        ::SendMessageW(h, WM_CHAR, 'z', 0);
        HoldControl(c.ctrl);
        ::SendMessageW(h, c.message, c.key, 0);
        HoldControl(false);
        Pump();
        ASSERT_EQ(g_endEdits.size(), 1u) << c.key;
        const EndEditRecord& r = g_endEdits[0];
        EXPECT_EQ(r.hwndFrom, h);
        EXPECT_EQ(r.idFrom, 77u);
        EXPECT_EQ(r.code, GRIDN_ENDEDIT);
        EXPECT_EQ(r.row, 3);
        EXPECT_EQ(r.col, 2);
        EXPECT_EQ(r.mask, 5u);
        EXPECT_EQ(r.data, (LPARAM)c.key);
        EXPECT_STREQ(r.text.GetString(), c.text) << c.key;
        EXPECT_FALSE(::IsWindow(h)) << c.key;   // closed, and the object deleted itself
        EXPECT_EQ(::GetFocus(), s.parent);
    }
}

TEST(InPlaceEditTest, ArrowsMoveTheCaretInAnEditStartedByTheMouse)
{
    Stage s;
    CInPlaceEdit* e = OpenEdit(s, L"abc", VK_LBUTTON);
    HWND h = e->GetSafeHwnd();
    Pump();
    ::SendMessageW(h, WM_KEYDOWN, VK_LEFT, 0);
    ::SendMessageW(h, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(Selection(h), (DWORD)MAKELONG(1, 1));
    ::SendMessageW(h, WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_TRUE(::IsWindow(h));
    EXPECT_TRUE(g_endEdits.empty());
    ::SendMessageW(h, WM_CHAR, 'X', 0);
    EXPECT_STREQ(TextOf(h).GetString(), L"aXbc");
    ::SetFocus(s.other);   // focus lost to another window: data 0
    Pump();
    ASSERT_EQ(g_endEdits.size(), 1u);
    EXPECT_EQ(g_endEdits[0].data, 0);
    EXPECT_STREQ(g_endEdits[0].text.GetString(), L"aXbc");
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(::GetFocus(), s.other);
}

TEST(InPlaceEditTest, GrowsWithTheTextUpToTheParentsEdge)
{
    Stage s;
    CInPlaceEdit* e = OpenEdit(s, L"", VK_RETURN, CRect(200, 10, 240, 30));
    HWND h = e->GetSafeHwnd();
    auto rectInParent = [&] {
        CRect r;
        ::GetWindowRect(h, &r);
        ::MapWindowPoints(nullptr, s.parent, (LPPOINT)&r, 2);
        return r;
    };
    ::SendMessageW(h, WM_CHAR, 'W', 0);
    EXPECT_EQ(rectInParent(), CRect(200, 10, 240, 30));   // still fits
    for (int i = 0; i < 3; ++i) ::SendMessageW(h, WM_CHAR, 'W', 0);
    CRect grown = rectInParent();
    EXPECT_GT(grown.right, 240);
    EXPECT_LT(grown.right, 300);
    EXPECT_EQ(grown.left, 200);
    EXPECT_EQ(grown.Height(), 20);
    for (int i = 0; i < 30; ++i) ::SendMessageW(h, WM_CHAR, 'W', 0);
    EXPECT_EQ(rectInParent().right, 300);   // the parent's client edge, no further
    EXPECT_EQ(e->GetEditRect().right, 300);
    ::DestroyWindow(h);
}

TEST(InPlaceEditTest, EndingReportsOnceEvenWhenTheOwnerMovesTheFocus)
{
    Stage s;
    CInPlaceEdit* e = OpenEdit(s, L"text", VK_RETURN);
    HWND h = e->GetSafeHwnd();
    Pump();
    // The owner's handling moves the focus away from the still open edit and asks it to end again.
    g_onEndEdit = [&] {
        ::SetFocus(s.other);
        e->EndEdit();
    };
    e->EndEdit();
    Pump();
    EXPECT_EQ(g_endEdits.size(), 1u);
    EXPECT_FALSE(::IsWindow(h));
    // The guard is released: the next edit reports its end again.
    g_onEndEdit = nullptr;
    e = OpenEdit(s, L"next", VK_RETURN);
    h = e->GetSafeHwnd();
    Pump();
    ::SendMessageW(h, WM_CHAR, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(g_endEdits.size(), 2u);
    EXPECT_FALSE(::IsWindow(h));
}

// ---------------------------------------------------------------------------------------------
// The cell's Edit

TEST(CellEditTest, EditOpensOneEditorAlignedLikeTheCellAndFeedsItLaterCharacters)
{
    Stage s;
    CGridCtrl grid(3, 3, 1, 1);
    HWND hGrid = ::CreateWindowExW(0, GRIDCTRL_CLASSNAME, L"", WS_CHILD | WS_VISIBLE, 0, 0, 280, 180, s.parent,
                                   (HMENU)5, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(grid.SubclassWindow(hGrid));
    CGridCellBase* cell = grid.GetCell(1, 1);
    cell->SetFormat(DT_RIGHT | DT_SINGLELINE);
    cell->SetText(L"old");
    ASSERT_TRUE(cell->Edit(1, 1, CRect(20, 20, 120, 40), CPoint(0, 0), IDC_INPLACE_CONTROL, 'a'));
    EXPECT_TRUE(cell->IsEditing());
    CWnd* pEdit = cell->GetEditWnd();
    ASSERT_NE(pEdit, nullptr);
    HWND hEdit = pEdit->GetSafeHwnd();
    EXPECT_EQ(::GetParent(hEdit), hGrid);
    EXPECT_EQ(::GetDlgCtrlID(hEdit), IDC_INPLACE_CONTROL);
    EXPECT_TRUE(::GetWindowLongPtrW(hEdit, GWL_STYLE) & ES_RIGHT);
    Pump();
    ASSERT_TRUE(cell->Edit(1, 1, CRect(20, 20, 120, 40), CPoint(0, 0), IDC_INPLACE_CONTROL, 'b'));
    EXPECT_EQ(cell->GetEditWnd(), pEdit);   // no second editor
    EXPECT_EQ(TextOf(hEdit), CString(L"ab"));
    EXPECT_EQ(::FindWindowExW(hGrid, hEdit, L"Edit", nullptr), nullptr);

    // The cell ends it through the editor; the grid's handling tells the cell.
    cell->EndEdit();
    Pump();
    EXPECT_FALSE(::IsWindow(hEdit));
    cell->OnEndEdit();
    EXPECT_FALSE(cell->IsEditing());
    EXPECT_EQ(cell->GetEditWnd(), nullptr);

    // A centred cell gets a centred editor; a left one the default.
    cell->SetFormat(DT_CENTER);
    ASSERT_TRUE(cell->Edit(1, 1, CRect(20, 20, 120, 40), CPoint(0, 0), IDC_INPLACE_CONTROL, VK_RETURN));
    hEdit = cell->GetEditWnd()->GetSafeHwnd();
    EXPECT_TRUE(::GetWindowLongPtrW(hEdit, GWL_STYLE) & ES_CENTER);
    ::DestroyWindow(hEdit);
    cell->OnEndEdit();
    grid.DestroyWindow();
}

TEST(CellEditTest, AnEditorWithoutAWindowLeavesTheCellNotEditing)
{
    CGridCtrl grid(2, 2);   // no window: the editor cannot be made
    CGridCellBase* cell = grid.GetCell(1, 1);
    EXPECT_FALSE(cell->Edit(1, 1, CRect(0, 0, 50, 20), CPoint(0, 0), IDC_INPLACE_CONTROL, 'a'));
    EXPECT_FALSE(cell->IsEditing());
    EXPECT_EQ(cell->GetEditWnd(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Title tip

namespace {
// Opens a tip over the cell (10, 10)-(40, 30) of the stage's parent with a text that does not fit.
void ShowLong(CTitleTip& tip, Stage& s)
{
    tip.SetParentWnd(s.Parent());
    tip.Show(CRect(10, 10, 40, 30), L"A text much wider than thirty pixels");
}
}

TEST(TitleTipTest, ShowsOnlyForCutOffTextOverTheCellAndHides)
{
    Stage s;
    CTitleTip tip;
    WNDCLASSW wc;
    ASSERT_TRUE(::GetClassInfoW(::GetModuleHandleW(nullptr), L"ZTitleTip", &wc));
    EXPECT_EQ(wc.style, (UINT)CS_SAVEBITS);
    EXPECT_EQ(wc.hbrBackground, (HBRUSH)(COLOR_INFOBK + 1));

    tip.SetParentWnd(s.Parent());
    tip.Show(CRect(10, 10, 200, 30), L"fits");
    EXPECT_TRUE(tip.IsCreated());
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_NE(::GetCapture(), tip.GetSafeHwnd());

    tip.Show(CRect(10, 10, 40, 30), L"A text much wider than thirty pixels");
    HWND h = tip.GetSafeHwnd();
    ASSERT_TRUE(::IsWindowVisible(h));
    EXPECT_EQ(::GetCapture(), h);
    EXPECT_EQ(::GetWindowLongPtrW(h, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
              (LONG_PTR)(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
    CRect r;
    ::GetWindowRect(h, &r);
    EXPECT_EQ(r.TopLeft(), CPoint(110, 110));   // over the cell, in screen coordinates
    EXPECT_EQ(r.Height(), 20);
    EXPECT_GT(r.Width(), 100);
    // Visible already: another Show changes nothing.
    tip.Show(CRect(50, 50, 60, 60), L"A different and also long text");
    CRect same;
    ::GetWindowRect(h, &same);
    EXPECT_EQ(same, r);

    // Mouse moves inside the cell keep it; the first one outside hides it and reaches the parent.
    CPoint inside(110 + 5, 110 + 5), outside(110 + 60, 110 + 40);
    ::ScreenToClient(h, &inside);
    ::ScreenToClient(h, &outside);
    ::SendMessageW(h, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(inside.x, inside.y));
    EXPECT_TRUE(::IsWindowVisible(h));
    ::SendMessageW(h, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(outside.x, outside.y));
    EXPECT_FALSE(::IsWindowVisible(h));
    EXPECT_NE(::GetCapture(), h);
    Pump();
    WPARAM w = 0;
    LPARAM l = 0;
    ASSERT_TRUE(ReceivedMessage(WM_MOUSEMOVE, &w, &l));
    EXPECT_EQ(w, (WPARAM)MK_SHIFT);
    EXPECT_EQ(CPoint((short)LOWORD(l), (short)HIWORD(l)), CPoint(70, 50));   // in the parent's client area

    // With no window of the application focused nothing is shown.
    ::SetFocus(nullptr);
    tip.Show(CRect(10, 10, 40, 30), L"A text much wider than thirty pixels");
    EXPECT_FALSE(::IsWindowVisible(h));
    tip.DestroyWindow();
    EXPECT_FALSE(tip.IsCreated());
}

TEST(TitleTipTest, KeysAndButtonsHideItAndReachTheWindowUnderneath)
{
    Stage s(WS_VSCROLL);
    {
        CTitleTip tip;
        ShowLong(tip, s);
        HWND h = tip.GetSafeHwnd();
        ASSERT_TRUE(::IsWindowVisible(h));
        ::PostMessageW(h, WM_KEYDOWN, 'K', 0x1234);
        RunApplicationLoop();
        EXPECT_FALSE(::IsWindowVisible(h));
        WPARAM w = 0;
        LPARAM l = 0;
        ASSERT_TRUE(ReceivedMessage(WM_KEYDOWN, &w, &l));
        EXPECT_EQ(w, (WPARAM)'K');
        EXPECT_EQ(l, 0x1234);
    }
    {
        // Two quick presses: a button-down, then a double-click, at the parent's client point.
        g_received.clear();
        CTitleTip tip;
        ShowLong(tip, s);
        HWND h = tip.GetSafeHwnd();
        CPoint p(110 + 8, 110 + 6);
        ::ScreenToClient(h, &p);
        ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        RunApplicationLoop();
        EXPECT_FALSE(::IsWindowVisible(h));
        ShowLong(tip, s);
        ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        RunApplicationLoop();
        std::vector<Received> presses;
        for (const Received& r : g_received)
            if (r.message == WM_LBUTTONDOWN || r.message == WM_LBUTTONDBLCLK) presses.push_back(r);
        ASSERT_EQ(presses.size(), 2u);
        EXPECT_EQ(presses[0].message, (UINT)WM_LBUTTONDOWN);
        EXPECT_EQ(presses[1].message, (UINT)WM_LBUTTONDBLCLK);
        EXPECT_EQ(CPoint((short)LOWORD(presses[0].lParam), (short)HIWORD(presses[0].lParam)), CPoint(18, 16));
    }
    {
        // A press over the parent's scroll bar arrives as the non-client press with its hit-test code.
        g_received.clear();
        CTitleTip tip;
        ShowLong(tip, s);
        HWND h = tip.GetSafeHwnd();
        CRect wr;
        ::GetWindowRect(s.parent, &wr);
        CPoint onBar(wr.right - 4, wr.top + wr.Height() / 2);
        CPoint p = onBar;
        ::ScreenToClient(h, &p);
        ::PostMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
        RunApplicationLoop();
        WPARAM w = 0;
        LPARAM l = 0;
        ASSERT_TRUE(ReceivedMessage(WM_NCRBUTTONDOWN, &w, &l));
        EXPECT_EQ(w, (WPARAM)HTVSCROLL);
        EXPECT_EQ(CPoint((short)LOWORD(l), (short)HIWORD(l)), onBar);
        EXPECT_FALSE(ReceivedMessage(WM_RBUTTONDOWN));
    }
}

// ---------------------------------------------------------------------------------------------
// Drop target

namespace {
class DragGrid : public CGridCtrl {
public:
    int enters = 0, overs = 0, leaves = 0, drops = 0;
    DWORD lastKeys = 0;
    CPoint lastPoint;
    DROPEFFECT OnDragEnter(COleDataObject*, DWORD keys, CPoint pt) override
    {
        ++enters;
        lastKeys = keys;
        lastPoint = pt;
        return DROPEFFECT_LINK;
    }
    DROPEFFECT OnDragOver(COleDataObject*, DWORD keys, CPoint pt) override
    {
        ++overs;
        lastKeys = keys;
        lastPoint = pt;
        return DROPEFFECT_COPY;
    }
    void OnDragLeave() override { ++leaves; }
    BOOL OnDrop(COleDataObject*, DROPEFFECT, CPoint) override
    {
        ++drops;
        return TRUE;
    }
};
}

TEST(DropTargetTest, RegistersOnceForAGridAndForwardsOnlyItsWindowsEvents)
{
    Stage s;
    DragGrid grid;
    HWND hGrid = ::CreateWindowExW(0, GRIDCTRL_CLASSNAME, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 150, s.parent,
                                   (HMENU)6, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(grid.SubclassWindow(hGrid));
    ::MoveWindow(hGrid, 0, 0, 210, 150, TRUE);   // the first resize registers the grid's own target
    CGridDropTarget& target = grid.GetDropTarget();
    ASSERT_TRUE(target.m_bRegistered);
    EXPECT_EQ(target.m_pGridCtrl, &grid);
    DragGrid another;
    EXPECT_FALSE(target.Register(&another));
    EXPECT_EQ(target.m_pGridCtrl, &grid);

    CGridDropTarget loose;
    EXPECT_FALSE(loose.Register(nullptr));
    CWnd notAGrid;
    EXPECT_FALSE(loose.Register(reinterpret_cast<CGridCtrl*>(&notAGrid)));
    EXPECT_FALSE(loose.m_bRegistered);

    // Its own window: forwarded with the arguments unchanged.
    EXPECT_EQ(target.OnDragEnter(&grid, nullptr, MK_SHIFT, CPoint(5, 6)), (DROPEFFECT)DROPEFFECT_LINK);
    EXPECT_EQ(grid.lastPoint, CPoint(5, 6));
    EXPECT_EQ(grid.lastKeys, (DWORD)MK_SHIFT);
    EXPECT_EQ(target.OnDragOver(&grid, nullptr, 0, CPoint(7, 8)), (DROPEFFECT)DROPEFFECT_COPY);
    EXPECT_TRUE(target.OnDrop(&grid, nullptr, DROPEFFECT_COPY, CPoint(7, 8)));
    target.OnDragLeave(&grid);
    EXPECT_EQ(grid.enters + grid.overs + grid.drops + grid.leaves, 4);
    EXPECT_EQ(target.OnDragScroll(&grid, MK_CONTROL, CPoint(1, 1)), (DROPEFFECT)DROPEFFECT_COPY);
    EXPECT_EQ(target.OnDragScroll(&grid, MK_LBUTTON, CPoint(1, 1)), (DROPEFFECT)DROPEFFECT_MOVE);

    // Any other window: no effect, and the grid hears nothing.
    CWnd* pOther = CWnd::FromHandle(s.other);
    EXPECT_EQ(target.OnDragEnter(pOther, nullptr, 0, CPoint(1, 1)), (DROPEFFECT)DROPEFFECT_NONE);
    EXPECT_EQ(target.OnDragOver(pOther, nullptr, 0, CPoint(1, 1)), (DROPEFFECT)DROPEFFECT_NONE);
    EXPECT_FALSE(target.OnDrop(pOther, nullptr, DROPEFFECT_COPY, CPoint(1, 1)));
    target.OnDragLeave(pOther);
    EXPECT_EQ(target.OnDragScroll(pOther, MK_CONTROL, CPoint(1, 1)), (DROPEFFECT)DROPEFFECT_NONE);
    EXPECT_EQ(grid.enters + grid.overs + grid.drops + grid.leaves, 4);

    // Through the system's interface: a drag over the grid at a screen point reaches the grid's
    // handler in client coordinates; the scroll answer is used, never the system's drag scrolling.
    COleDataSource* src = new COleDataSource;
    POINTL pt = {0, 0};
    CPoint client(30, 40);
    ::ClientToScreen(hGrid, &client);
    pt.x = client.x;
    pt.y = client.y;
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(target.m_xDropTarget.DragEnter(src->GetDataObject(), MK_LBUTTON, pt, &effect), S_OK);
    EXPECT_EQ(effect, (DWORD)DROPEFFECT_LINK);
    EXPECT_EQ(grid.lastPoint, CPoint(30, 40));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target.m_xDropTarget.DragOver(MK_LBUTTON | MK_CONTROL, pt, &effect), S_OK);
    EXPECT_EQ(effect & DROPEFFECT_SCROLL, 0u);
    target.m_xDropTarget.DragLeave();
    EXPECT_EQ(grid.leaves, 2);
    src->InternalRelease();

    target.Revoke();
    EXPECT_FALSE(target.m_bRegistered);
    grid.DestroyWindow();
}
