// The grid at scale: the arrays that are cheap at both ends, the sums the scroll bars are made from
// as rows come and go, deleting rows, and scrolling that moves the pixels on screen instead of
// painting them again (checked against a full repaint, pixel for pixel).
#include "grid/GridCtrl.h"
#include "framework/AfxApp.h"
#include <gtest/gtest.h>
#include "../common/WindowCapture.h"
#include <cstdio>
#include <string>
#include <vector>

namespace {
// A small deterministic generator, so that a failing sequence can be replayed.
struct Lcg {
    unsigned state;
    explicit Lcg(unsigned seed) : state(seed) {}
    int Next(int n) { state = state * 1103515245u + 12345u; return (int)((state >> 8) % (unsigned)n); }
};

long long WalkedHeight(CGridCtrl& g, int from, int to)
{
    long long sum = 0;
    for (int r = from; r < to; ++r) sum += g.GetRowHeight(r);
    return sum;
}

long long WalkedWidth(CGridCtrl& g, int from, int to)
{
    long long sum = 0;
    for (int c = from; c < to; ++c) sum += g.GetColumnWidth(c);
    return sum;
}

// The kept sums against a walk over every row and column.
::testing::AssertionResult SumsMatchAWalk(CGridCtrl& g)
{
    long long h = WalkedHeight(g, 0, g.GetRowCount()), w = WalkedWidth(g, 0, g.GetColumnCount());
    long long fh = WalkedHeight(g, 0, g.GetFixedRowCount()), fw = WalkedWidth(g, 0, g.GetFixedColumnCount());
    if (g.GetVirtualHeight() != h || g.GetVirtualWidth() != w || g.GetFixedRowHeight() != fh ||
        g.GetFixedColumnWidth() != fw)
        return ::testing::AssertionFailure()
               << "kept " << g.GetVirtualHeight() << "/" << g.GetFixedRowHeight() << " x " << g.GetVirtualWidth()
               << "/" << g.GetFixedColumnWidth() << ", walked " << h << "/" << fh << " x " << w << "/" << fw;
    if (g.m_RowData.GetSize() != g.GetRowCount() || g.m_arRowHeights.GetSize() != g.GetRowCount())
        return ::testing::AssertionFailure() << "arrays out of step with " << g.GetRowCount() << " rows";
    return ::testing::AssertionSuccess();
}
}

TEST(GridArrayTest, InsertsAndRemovalsAnywhereAgreeWithAPlainVector)
{
    CGridArray<int> a;
    CGridSizeArray sizes;
    std::vector<int> ref;
    Lcg rnd(7);
    for (int step = 0; step < 4000; ++step) {
        int n = (int)ref.size();
        int op = rnd.Next(10);
        if (op < 3 || n == 0) {   // insert: mostly at the ends, where the grid inserts
            int at = rnd.Next(3) == 0 ? rnd.Next(n + 1) : (rnd.Next(2) ? n : 0);
            int v = rnd.Next(50);
            a.InsertAt(at, v);
            sizes.InsertAt(at, (UINT)v);
            ref.insert(ref.begin() + at, v);
        } else if (op < 7) {   // remove: mostly from the top, as a list that is read and dropped
            int at = rnd.Next(3) == 0 ? rnd.Next(n) : (rnd.Next(4) ? 0 : n - 1);
            a.RemoveAt(at);
            sizes.RemoveAt(at);
            ref.erase(ref.begin() + at);
        } else if (op < 9) {
            int at = rnd.Next(n), v = rnd.Next(50);
            a[at] = v;
            sizes.SetAt(at, (UINT)v);
            ref[at] = v;
        } else {
            int size = rnd.Next(2) ? n + rnd.Next(5) : rnd.Next(n + 1);
            a.SetSize(size);
            sizes.SetSize(size, 9);
            int old = (int)ref.size();
            ref.resize(size, 9);
            for (int i = old; i < size; ++i) a[i] = 9;
        }
        // The leading total is asked for with a few counts in turn, as fixed counts change.
        int lead = step % 50 < 40 ? 2 : rnd.Next(6);
        ASSERT_EQ(a.GetSize(), (INT_PTR)ref.size()) << "step " << step;
        ASSERT_EQ(sizes.GetSize(), (INT_PTR)ref.size()) << "step " << step;
        long long total = 0, leading = 0;
        for (int i = 0; i < (int)ref.size(); ++i) {
            ASSERT_EQ(a[i], ref[i]) << "step " << step << ", element " << i;
            ASSERT_EQ(sizes[i], (UINT)ref[i]) << "step " << step << ", element " << i;
            total += ref[i];
            if (i < lead) leading += ref[i];
        }
        ASSERT_EQ(sizes.GetTotal(), total) << "step " << step;
        ASSERT_EQ(sizes.GetLeadingTotal(lead), leading) << "step " << step << ", first " << lead;
    }
    a.RemoveAll();
    sizes.RemoveAll();
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(sizes.GetTotal(), 0);
    EXPECT_EQ(sizes.GetLeadingTotal(2), 0);
}

TEST(GridScaleTest, SumsStayTrueThroughEveryChangeOfRowsColumnsAndSizes)
{
    CGridCtrl g(0, 0);
    CRect client(0, 0, 400, 300);
    g.SetGeometryOverride(&client);
    g.SetColumnCount(4);
    g.SetRowCount(30);
    g.SetFixedRowCount(2);
    g.SetFixedColumnCount(1);
    ASSERT_TRUE(SumsMatchAWalk(g));

    Lcg rnd(11);
    for (int step = 0; step < 600; ++step) {
        int rows = g.GetRowCount();
        switch (rnd.Next(12)) {
        case 0: case 1: case 2:
            g.InsertRow(rnd.Next(2) ? L"heading" : L"", rnd.Next(3) || rows <= g.GetFixedRowCount() ? -1
                                                         : g.GetFixedRowCount() + rnd.Next(rows - g.GetFixedRowCount()));
            break;
        case 3: case 4:
            if (rows > 0) g.DeleteRow(rnd.Next(4) ? 0 : rnd.Next(rows));
            break;
        case 5: case 6:
            if (rows > 0) g.SetRowHeight(rnd.Next(rows), rnd.Next(40));
            break;
        case 7:
            g.SetColumnWidth(rnd.Next(g.GetColumnCount()), rnd.Next(90));
            break;
        case 8:   // fixed counts leave the bars to the caller
            g.SetFixedRowCount(rnd.Next(4));
            g.ResetScrollBars();
            break;
        case 9:
            g.SetFixedColumnCount(rnd.Next(3));
            g.ResetScrollBars();
            break;
        case 10:
            g.SetRowCount(rnd.Next(60));
            break;
        case 11:
            if (rnd.Next(2)) g.ExpandRowsToFit(rnd.Next(2));
            else g.ExpandColumnsToFit(rnd.Next(2));
            break;
        }
        if (g.GetColumnCount() == 0) g.SetColumnCount(4);
        ASSERT_TRUE(SumsMatchAWalk(g)) << "step " << step;
        // The scroll range is the height of the rows below the fixed ones, less one, when they do not fit.
        long long below = WalkedHeight(g, g.GetFixedRowCount(), g.GetRowCount());
        if (g.m_nBarState & 2) {
            ASSERT_EQ(g.m_nVScrollMax, below - 1) << "step " << step;
        } else if (g.GetFixedRowHeight() < client.Height() && g.GetFixedColumnWidth() < client.Width()) {
            ASSERT_EQ(g.m_nVScrollMax, 0) << "step " << step;
        }
    }

    // A failed insertion leaves the sums as they were (its message box is answered at once).
    int boxes = 0;
    AfxMessageBoxHook previous = AfxSetMessageBoxHook([&boxes](LPCWSTR, UINT) { ++boxes; return IDOK; });
    int before = g.GetVirtualHeight();
    AfxInjectAllocationFailure(2);
    EXPECT_EQ(g.InsertRow(L"x", -1), -1);
    AfxInjectAllocationFailure(0);
    AfxSetMessageBoxHook(previous);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(g.GetVirtualHeight(), before);
    EXPECT_TRUE(SumsMatchAWalk(g));
    g.DeleteAllItems();
    EXPECT_TRUE(SumsMatchAWalk(g));
    EXPECT_EQ(g.GetVirtualHeight(), 0);
}

TEST(GridScaleTest, DeleteRowKeepsFocusOnItsCellAndFixedRowsFixed)
{
    CGridCtrl g(8, 3, 2, 1);
    for (int r = 0; r < 8; ++r) g.SetItemText(r, 1, std::to_wstring(r).c_str());
    g.SetRowHeight(5, 33);
    EXPECT_FALSE(g.DeleteRow(-1));
    EXPECT_FALSE(g.DeleteRow(8));
    EXPECT_EQ(g.GetRowCount(), 8);

    g.SetFocusCell(5, 1);
    g.SetSelectedRange(6, 1, 7, 2);
    g.SetModified(FALSE);
    ASSERT_TRUE(g.DeleteRow(3));   // above the focus
    EXPECT_EQ(g.GetRowCount(), 7);
    EXPECT_EQ(g.GetFocusCell(), CCellID(4, 1));
    EXPECT_EQ(g.GetItemState(4, 1) & GCS_FOCUSED, (UINT)GCS_FOCUSED);
    EXPECT_EQ(g.GetItemText(4, 1), CString(L"5"));
    EXPECT_EQ(g.GetRowHeight(4), 33);   // the height went with its row
    EXPECT_EQ(g.GetSelectedCount(), 0);
    for (int r = 0; r < g.GetRowCount(); ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(g.GetItemState(r, c) & GCS_SELECTED, 0u) << r << "," << c;
    EXPECT_TRUE(g.GetModified());

    ASSERT_TRUE(g.DeleteRow(4));   // the focus row itself
    EXPECT_EQ(g.GetFocusCell(), CCellID());
    EXPECT_EQ(g.GetItemText(4, 1), CString(L"6"));

    ASSERT_TRUE(g.DeleteRow(0));   // a fixed row: the other fixed row stays the only one
    EXPECT_EQ(g.GetFixedRowCount(), 1);
    EXPECT_EQ(g.GetItemText(0, 1), CString(L"1"));
    EXPECT_EQ(g.GetItemState(0, 1) & GCS_FIXEDROW, (UINT)GCS_FIXEDROW);
    EXPECT_EQ(g.GetItemState(1, 1) & GCS_FIXEDROW, 0u);
    EXPECT_TRUE(SumsMatchAWalk(g));

    while (g.GetRowCount() > 0) ASSERT_TRUE(g.DeleteRow(0));
    EXPECT_EQ(g.GetFixedRowCount(), 0);
    EXPECT_EQ(g.GetVirtualHeight(), 0);
    EXPECT_EQ(g.InsertRow(L"again", -1), 0);
    EXPECT_EQ(g.GetItemText(0, 0), CString(L"again"));
}

// ---------------------------------------------------------------------------------------------
// In real windows: the pictures that scrolling leaves on screen.

namespace {
const int kGridWidth = 360, kGridHeight = 240;

struct ShownGrid {
    HWND host = nullptr;
    CGridCtrl grid;
    HWND hWnd = nullptr;
    ShownGrid(int x, int y)
    {
        host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, x, y, kGridWidth, kGridHeight, nullptr,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
        hWnd = ::CreateWindowExW(0, GRIDCTRL_CLASSNAME, L"", WS_CHILD | WS_VISIBLE, 0, 0, kGridWidth, kGridHeight,
                                 host, (HMENU)100, ::GetModuleHandleW(nullptr), nullptr);
        grid.SubclassWindow(hWnd);
    }
    ~ShownGrid()
    {
        grid.DestroyWindow();
        ::DestroyWindow(host);
        PumpMessages();
    }
    // Everything painted afresh, frame and scroll bars included.
    void RepaintAll() { ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW); }
    SCROLLINFO Bar(int nBar) const
    {
        SCROLLINFO si = {sizeof si, SIF_ALL};
        ::GetScrollInfo(hWnd, nBar, &si);
        return si;
    }
};

// Rows of differing heights with one hidden, columns of differing widths with one hidden, texts,
// colours, a selection and a focus cell.
void FillSample(CGridCtrl& g, int rows, int cols)
{
    g.SetColumnCount(cols);
    g.SetRowCount(rows);
    g.SetFixedRowCount(1);
    g.SetFixedColumnCount(1);
    for (int r = 0; r < rows; ++r) {
        g.SetRowHeight(r, r == 7 ? 0 : 18 + (r % 3) * 5);
        for (int c = 0; c < cols; ++c) {
            wchar_t text[32];
            swprintf(text, 32, L"r%d c%d text", r, c);
            g.SetItemText(r, c, text);
            if ((r + 2 * c) % 7 == 0 && r > 0 && c > 0) g.SetItemBackColor(r, c, RGB(0xE0, 0xF0, 40 * (c % 5)));
            if ((r + c) % 5 == 0) g.SetItemTextColor(r, c, RGB(0xB0, 0, 0));
        }
    }
    for (int c = 0; c < cols; ++c) g.SetColumnWidth(c, c == 4 ? 0 : 38 + (c % 4) * 13);
    g.SetSelectedRange(3, 2, 9, 5);
    g.SetFocusCell(6, 3);
}

// Where two pictures first differ, or nothing when they are the same.
std::string Difference(const Capture& a, const Capture& b)
{
    if (a.cx != b.cx || a.cy != b.cy) return "sizes differ";
    for (int y = 0; y < a.cy; ++y)
        for (int x = 0; x < a.cx; ++x)
            if (a.At(x, y) != b.At(x, y)) {
                char text[96];
                snprintf(text, sizeof text, "first difference at (%d, %d): %06lx against %06lx", x, y,
                         (unsigned long)a.At(x, y), (unsigned long)b.At(x, y));
                return text;
            }
    return "";
}

// What the screen shows once everything queued is handled, against what a full repaint paints.
std::string DifferenceFromFullRepaint(ShownGrid& s)
{
    PumpMessages();
    Capture shown = CaptureWindow(s.hWnd);
    s.RepaintAll();
    PumpMessages();
    return Difference(shown, CaptureWindow(s.hWnd));
}
}

TEST(GridScrollPictureTest, ScrolledPicturesEqualAFullRepaintAndOnlyTheNewBandIsPainted)
{
    ShownGrid s(30, 30);
    FillSample(s.grid, 120, 14);
    s.RepaintAll();
    PumpMessages();

    // One line down: only the band of one row at the bottom is left to paint; the fixed row stays.
    CRect client;
    ::GetClientRect(s.hWnd, &client);
    int firstHeight = s.grid.GetRowHeight(1);
    ::SendMessageW(s.hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
    CRect band;
    ASSERT_TRUE(::GetUpdateRect(s.hWnd, &band, FALSE));
    EXPECT_EQ(band, CRect(0, client.bottom - firstHeight, client.right, client.bottom));
    PumpMessages();
    // One column right: the band at the right edge, fixed column kept.
    int firstWidth = s.grid.GetColumnWidth(1);
    ::SendMessageW(s.hWnd, WM_HSCROLL, SB_LINERIGHT, 0);
    ASSERT_TRUE(::GetUpdateRect(s.hWnd, &band, FALSE));
    EXPECT_EQ(band, CRect(client.right - firstWidth, 0, client.right, client.bottom));
    PumpMessages();
    EXPECT_EQ(s.Bar(SB_VERT).nPos, firstHeight);
    EXPECT_EQ(s.Bar(SB_HORZ).nPos, firstWidth);

    // Each step leaves on screen what a full repaint paints, at the scroll positions it always had.
    struct Step {
        const char* name;
        UINT message;
        WPARAM code;
        int times;
    };
    const Step steps[] = {
        {"three lines down", WM_VSCROLL, SB_LINEDOWN, 3},
        {"over the hidden row", WM_VSCROLL, SB_LINEDOWN, 4},
        {"a page down", WM_VSCROLL, SB_PAGEDOWN, 1},
        {"two columns right, over the hidden one", WM_HSCROLL, SB_LINERIGHT, 3},
        {"a line up", WM_VSCROLL, SB_LINEUP, 1},
        {"a page right", WM_HSCROLL, SB_PAGERIGHT, 1},
        {"a column left", WM_HSCROLL, SB_LINELEFT, 1},
        {"a page up", WM_VSCROLL, SB_PAGEUP, 1},
        {"a wheel notch down (three lines before one paint)", WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120), 1},
        {"to the bottom, then lines up", WM_VSCROLL, SB_BOTTOM, 1},
        {"lines up from the bottom", WM_VSCROLL, SB_LINEUP, 2},
        {"a page left", WM_HSCROLL, SB_PAGELEFT, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        for (int i = 0; i < step.times; ++i) ::SendMessageW(s.hWnd, step.message, step.code, 0);
        PumpMessages();
        int pos = s.Bar(SB_VERT).nPos, hpos = s.Bar(SB_HORZ).nPos;
        EXPECT_EQ(DifferenceFromFullRepaint(s), "");
        EXPECT_EQ(s.Bar(SB_VERT).nPos, pos);
        EXPECT_EQ(s.Bar(SB_HORZ).nPos, hpos);
    }

    // A part waiting for its paint when the scroll comes moves along; a text changed without a
    // repaint shows after the scroll as it did when scrolling repainted the whole area.
    ::SendMessageW(s.hWnd, WM_VSCROLL, SB_TOP, 0);
    ::SendMessageW(s.hWnd, WM_HSCROLL, SB_LEFT, 0);
    PumpMessages();
    CRect cell;
    ASSERT_TRUE(s.grid.GetCellRect(9, 2, &cell));
    ::InvalidateRect(s.hWnd, &cell, FALSE);
    ::SendMessageW(s.hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
    ::SendMessageW(s.hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(DifferenceFromFullRepaint(s), "");

    s.grid.SetItemText(6, 2, L"changed");
    ::SendMessageW(s.hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(DifferenceFromFullRepaint(s), "");
}

TEST(GridScrollPictureTest, KeysAndTheWheelScrollByMovingPixelsAndTheBarFollowsTheThumb)
{
    // Long enough that most lines move the thumb by less than a pixel.
    ShownGrid s(30, 30);
    FillSample(s.grid, 120, 14);
    s.grid.SetRowCount(3000);
    s.RepaintAll();
    PumpMessages();
    CRect client;
    ::GetClientRect(s.hWnd, &client);
    const int area = client.Height() - s.grid.GetFixedRowHeight();
    // What is left to paint right after a scroll: no more than the rows that came in.
    auto paintedHeight = [&s]() {
        CRect r;
        return ::GetUpdateRect(s.hWnd, &r, FALSE) ? r.Height() : 0;
    };

    // The arrow key takes the focus down from row 6 and on past the bottom edge.
    int scrolls = 0;
    for (int i = 0; i < 24; ++i) {
        SCOPED_TRACE(i);
        int before = s.Bar(SB_VERT).nPos;
        ::SendMessageW(s.hWnd, WM_KEYDOWN, VK_DOWN, 0);
        if (s.Bar(SB_VERT).nPos != before) {
            ++scrolls;
            EXPECT_LT(paintedHeight(), area / 2);
        }
        EXPECT_EQ(DifferenceFromFullRepaint(s), "");
    }
    EXPECT_EQ(s.grid.GetFocusCell(), CCellID(31, 3));
    EXPECT_GT(scrolls, 10);

    // A notch of the wheel: three lines, each moving the pixels.
    int before = s.Bar(SB_VERT).nPos;
    ::SendMessageW(s.hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120), 0);
    MSG msg;
    while (::PeekMessageW(&msg, s.hWnd, WM_VSCROLL, WM_VSCROLL, PM_REMOVE)) ::DispatchMessageW(&msg);
    EXPECT_GT(s.Bar(SB_VERT).nPos, before);
    EXPECT_LT(paintedHeight(), area / 2);
    EXPECT_EQ(DifferenceFromFullRepaint(s), "");
}

TEST(GridScrollPictureTest, AGridGrownAndCutRowByRowEndsAsOneBuiltAtOnce)
{
    ShownGrid grown(20, 560), built(400, 560);
    CGridCtrl& a = grown.grid;
    a.SetColumnCount(6);
    a.SetFixedRowCount(1);
    a.SetFixedColumnCount(1);
    for (int i = 0; i < 160; ++i) {
        wchar_t text[32];
        swprintf(text, 32, L"row %d", i);
        int r = a.InsertRow(i % 3 ? L"" : text, -1);
        a.SetItemText(r, 2, text);
    }
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(a.DeleteRow(1));
    ASSERT_TRUE(a.DeleteRow(40));
    ASSERT_TRUE(a.DeleteRow(a.GetRowCount() - 1));
    ASSERT_EQ(a.InsertRow(L"inserted", 30), 30);
    a.SetRowHeight(10, 40);
    a.SetRowHeight(0, 30);
    a.SetColumnWidth(3, 120);

    CGridCtrl& b = built.grid;
    b.SetColumnCount(6);
    b.SetFixedRowCount(1);
    b.SetFixedColumnCount(1);
    b.SetRowCount(a.GetRowCount());
    for (int c = 0; c < 6; ++c) b.SetColumnWidth(c, a.GetColumnWidth(c));
    for (int r = 0; r < a.GetRowCount(); ++r) {
        b.SetRowHeight(r, a.GetRowHeight(r));
        for (int c = 0; c < 6; ++c) {
            b.SetItemText(r, c, a.GetItemText(r, c));
            b.SetItemFormat(r, c, a.GetItemFormat(r, c));
        }
    }
    a.SetModified(FALSE);
    b.SetModified(FALSE);
    a.Refresh();
    b.Refresh();
    PumpMessages();

    auto sameBars = [&](const char* when) {
        for (int bar : {SB_VERT, SB_HORZ}) {
            SCROLLINFO sa = grown.Bar(bar), sb = built.Bar(bar);
            EXPECT_EQ(sa.nMin, sb.nMin) << when;
            EXPECT_EQ(sa.nMax, sb.nMax) << when;
            EXPECT_EQ(sa.nPage, sb.nPage) << when;
            EXPECT_EQ(sa.nPos, sb.nPos) << when;
        }
        EXPECT_EQ(a.m_nBarState, b.m_nBarState) << when;
        EXPECT_EQ(a.m_nVScrollMax, (int)WalkedHeight(a, 1, a.GetRowCount()) - 1) << when;
    };
    sameBars("after growing and cutting");
    EXPECT_EQ(Difference(CaptureWindow(grown.hWnd), CaptureWindow(built.hWnd)), "");

    for (UINT code : {SB_PAGEDOWN, SB_PAGEDOWN, SB_LINEDOWN, SB_LINEDOWN, SB_LINEUP}) {
        ::SendMessageW(grown.hWnd, WM_VSCROLL, code, 0);
        ::SendMessageW(built.hWnd, WM_VSCROLL, code, 0);
    }
    ::SendMessageW(grown.hWnd, WM_HSCROLL, SB_LINERIGHT, 0);
    ::SendMessageW(built.hWnd, WM_HSCROLL, SB_LINERIGHT, 0);
    PumpMessages();
    sameBars("after scrolling both");
    EXPECT_EQ(Difference(CaptureWindow(grown.hWnd), CaptureWindow(built.hWnd)), "");

    // Rows deleted from the top while scrolled: the range shrinks the same way in both.
    for (int i = 0; i < 60; ++i) a.DeleteRow(1);
    for (int i = 0; i < 60; ++i) b.DeleteRow(1);
    PumpMessages();
    sameBars("after deleting while scrolled");
    EXPECT_EQ(Difference(CaptureWindow(grown.hWnd), CaptureWindow(built.hWnd)), "");
}

TEST(GridScrollPictureTest, RowsAddedAndTakenAwayOneByOneLeaveTheBarsAsAFullRepaintDrawsThem)
{
    ShownGrid s(30, 300);
    CGridCtrl& g = s.grid;
    g.SetColumnCount(4);
    g.SetFixedRowCount(1);
    s.RepaintAll();
    PumpMessages();
    // The cells are painted again, the frame and its scroll bars are left as the grid drew them.
    auto barsAsRepainted = [&]() {
        g.Refresh();
        return DifferenceFromFullRepaint(s);
    };

    // The bar comes, its thumb shrinks a pixel at a time and at last stays at its smallest.
    for (int i = 0; i < 400; ++i) {
        ASSERT_GE(g.InsertRow(i % 2 ? L"" : L"row", -1), 0);
        if (i < 40 || i % 50 == 0) {
            SCOPED_TRACE(i);
            EXPECT_EQ(barsAsRepainted(), "");
        }
    }
    SCROLLINFO filled = s.Bar(SB_VERT);
    EXPECT_EQ(filled.nMax, (int)g.GetVirtualHeight() - g.GetFixedRowHeight() - 1);
    g.SetColumnWidth(2, kGridWidth);   // the horizontal bar comes too
    EXPECT_EQ(barsAsRepainted(), "");

    // From the end of the list the rows go from the top: the thumb moves and grows, and the bar goes.
    ::SendMessageW(s.hWnd, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(barsAsRepainted(), "");
    for (int i = 0; g.GetRowCount() > 1; ++i) {
        ASSERT_TRUE(g.DeleteRow(1));
        if (g.GetRowCount() < 40 || i % 50 == 0) {
            SCOPED_TRACE(i);
            EXPECT_EQ(barsAsRepainted(), "");
        }
    }
    EXPECT_EQ(g.m_nBarState & 2, 0);
}
