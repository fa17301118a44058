// Geometry as arithmetic: a grid with a stand-in client rectangle and plain scroll positions.
#include "grid/GridCtrl.h"
#include "grid/cells/GridCell.h"
#include <gtest/gtest.h>

namespace {
class GeoGrid : public CGridCtrl {
public:
    GeoGrid(int nRows, int nCols, int nFixedRows, int nFixedCols) : CGridCtrl(nRows, nCols, nFixedRows, nFixedCols) {}
    void Client(int cx, int cy)
    {
        CRect r(0, 0, cx, cy);
        SetGeometryOverride(&r);
    }
    void Sizes(std::initializer_list<int> heights, std::initializer_list<int> widths)
    {
        int i = 0;
        for (int h : heights) SetRowHeight(i++, h);
        i = 0;
        for (int w : widths) SetColumnWidth(i++, w);
    }
    int VMax() const { return m_nVScrollMax; }
    int HMax() const { return m_nHScrollMax; }
    int Bars() const { return m_nBarState; }
    int HPage() const { return m_nOverridePage[0]; }
    int VPage() const { return m_nOverridePage[1]; }
    void Scroll(UINT code) { OnVScroll(code, 0, nullptr); }
    void HScroll(UINT code) { OnHScroll(code, 0, nullptr); }
    void SetWheelLines(int n) { m_nRowsPerWheelNotch = n; }
    // A position no scroll bar would accept, for the arithmetic alone.
    void ForcePos(int nBar, int nPos)
    {
        m_nOverridePos[nBar == SB_VERT ? 1 : 0] = nPos;
        ForgetTopLeft();
    }
    BOOL Wheel(short delta) { return OnMouseWheel(0, delta, CPoint(0, 0)); }
};

int VBar() { return ::GetSystemMetrics(SM_CXVSCROLL); }
int HBar() { return ::GetSystemMetrics(SM_CYHSCROLL); }
}

TEST(GridGeometryTest, OriginsAndRectanglesWithFixedScrolledAndHiddenCells)
{
    GeoGrid g(5, 4, 1, 1);
    g.Sizes({20, 30, 0, 40, 50}, {60, 70, 0, 80});
    g.Client(1000, 1000);
    CPoint p;
    ASSERT_TRUE(g.GetCellOrigin(0, 0, &p));
    EXPECT_EQ(p, CPoint(0, 0));
    ASSERT_TRUE(g.GetCellOrigin(3, 3, &p));
    EXPECT_EQ(p, CPoint(60 + 70 + 0, 20 + 30 + 0));   // the hidden row and column take no room
    CRect r;
    ASSERT_TRUE(g.GetCellRect(1, 1, &r));
    EXPECT_EQ(r, CRect(60, 20, 60 + 70 - 1, 20 + 30 - 1));   // both corners inclusive
    ASSERT_TRUE(g.GetCellRect(2, 2, &r));                    // a hidden cell is one pixel left of its origin
    EXPECT_EQ(r, CRect(130, 50, 129, 49));
    EXPECT_FALSE(g.GetCellOrigin(5, 0, &p));
    EXPECT_FALSE(g.GetCellOrigin(0, -1, &p));
    EXPECT_EQ(g.GetPointClicked(3, 3, CPoint(140, 60)), CPoint(10, 10));
    EXPECT_EQ(g.GetPointClicked(9, 9, CPoint(140, 60)), CPoint(0, 0));

    // Scrolled by the first non-fixed row and column: they are out of view, the fixed ones stay.
    g.Client(100, 100);   // small enough to need both bars
    g.ResetScrollBars();
    ASSERT_EQ(g.Bars(), 3);
    g.SetScrollPos32(SB_VERT, 30, FALSE);
    g.SetScrollPos32(SB_HORZ, 70, FALSE);
    EXPECT_EQ(g.GetTopLeftNonFixedCell(FALSE), CCellID(2, 2));
    EXPECT_FALSE(g.GetCellOrigin(1, 1, &p));
    EXPECT_FALSE(g.GetCellOrigin(1, 0, &p));
    ASSERT_TRUE(g.GetCellOrigin(0, 1, &p) == FALSE);   // a fixed-row cell in a scrolled-out column
    ASSERT_TRUE(g.GetCellOrigin(0, 0, &p));
    ASSERT_TRUE(g.GetCellOrigin(3, 3, &p));
    EXPECT_EQ(p, CPoint(60, 20));
    ASSERT_TRUE(g.GetCellOrigin(3, 0, &p));
    EXPECT_EQ(p, CPoint(0, 20));
}

TEST(GridGeometryTest, TopLeftCellSkipsHiddenRowsAndPartlyScrolledOnes)
{
    GeoGrid g(3, 1, 1, 0);
    g.Sizes({20, 0, 20}, {50});
    g.Client(100, 30);
    g.ForcePos(SB_VERT, 20);   // the hidden row 1 adds nothing to the walk
    EXPECT_EQ(g.GetTopLeftNonFixedCell(FALSE).row, 2);
    g.ForcePos(SB_VERT, 0);
    EXPECT_EQ(g.GetTopLeftNonFixedCell(FALSE).row, 1);

    GeoGrid h(4, 1, 1, 0);
    h.Sizes({20, 30, 30, 30}, {50});
    h.Client(50, 40);
    h.ResetScrollBars();
    h.SetScrollPos32(SB_VERT, 1, FALSE);   // one pixel into row 1: row 2 is the first whole one
    EXPECT_EQ(h.GetTopLeftNonFixedCell(FALSE).row, 2);
    h.SetScrollPos32(SB_VERT, 0, FALSE);
    EXPECT_EQ(h.GetTopLeftNonFixedCell(FALSE).row, 1);
}

TEST(GridGeometryTest, APointOnAnEdgeBelongsToTheNextCell)
{
    GeoGrid g(3, 3, 1, 1);
    g.Sizes({20, 25, 25}, {40, 50, 60});
    g.Client(500, 500);
    EXPECT_EQ(g.GetCellFromPt(CPoint(89, 44), TRUE), CCellID(1, 1));
    EXPECT_EQ(g.GetCellFromPt(CPoint(90, 45), TRUE), CCellID(2, 2));   // x = 40 + 50: the third column
    EXPECT_EQ(g.GetCellFromPt(CPoint(40, 20), TRUE), CCellID(1, 1));
    EXPECT_EQ(g.GetCellFromPt(CPoint(39, 19), TRUE), CCellID(0, 0));
    EXPECT_EQ(g.GetCellFromPt(CPoint(39, 19), FALSE), CCellID(-1, -1));   // fixed cells not asked for
    EXPECT_EQ(g.GetCellFromPt(CPoint(150, 70), TRUE), CCellID(-1, -1));   // past the last row and column
    EXPECT_EQ(g.GetCellFromPt(CPoint(-1, 30), TRUE), CCellID(1, -1));

    GeoGrid fixedOnly(1, 2, 1, 0);
    fixedOnly.Sizes({20}, {40, 40});
    fixedOnly.Client(500, 500);
    EXPECT_EQ(fixedOnly.GetCellFromPt(CPoint(10, 30), TRUE).row, -1);   // nothing below the fixed rows
}

TEST(GridGeometryTest, VisibleRangesEndAtTheClientEdge)
{
    GeoGrid g(10, 6, 1, 1);
    for (int r = 0; r < 10; ++r) g.SetRowHeight(r, 20);
    for (int c = 0; c < 6; ++c) g.SetColumnWidth(c, 50);
    g.Client(175, 100);   // rows 1..4 fill 20..100 exactly; columns 1..2 whole, 3 cut off
    CRect rect;
    CCellRange range = g.GetVisibleNonFixedCellRange(&rect, TRUE);
    EXPECT_EQ(range, CCellRange(1, 1, 4, 3));
    EXPECT_EQ(rect, CRect(0, 0, 175, 100));
    range = g.GetVisibleFixedCellRange(&rect, TRUE);
    EXPECT_EQ(range, CCellRange(1, 0, 4, 3));

    g.Client(1000, 1000);   // the walk runs off the end
    range = g.GetVisibleNonFixedCellRange(&rect, TRUE);
    EXPECT_EQ(range, CCellRange(1, 1, 9, 5));
    EXPECT_EQ(rect, CRect(0, 0, 300, 200));

    g.Client(175, 100);
    EXPECT_TRUE(g.IsCellVisible(4, 3));    // cut off at the right still counts
    EXPECT_FALSE(g.IsCellVisible(5, 1));   // starts at the client bottom
    EXPECT_FALSE(g.IsCellVisible(1, 4));
    EXPECT_TRUE(g.IsCellVisible(0, 0));
}

TEST(GridGeometryTest, ScrollRangeAndPageWithAndWithoutBars)
{
    GeoGrid g(5, 2, 1, 1);
    g.Sizes({20, 40, 40, 40, 40}, {30, 100});
    // Non-fixed rows exactly as high as the room below the fixed rows: no vertical bar.
    g.Client(130, 20 + 160);
    g.ResetScrollBars();
    EXPECT_EQ(g.Bars(), 0);
    EXPECT_EQ(g.VMax(), 0);
    EXPECT_EQ(g.HMax(), 0);
    // One pixel less: the bar shows and the range covers the non-fixed rows.
    g.Client(130 + VBar(), 20 + 159);
    g.ResetScrollBars();
    EXPECT_EQ(g.Bars(), 2);
    EXPECT_EQ(g.VMax(), 160 - 1);
    EXPECT_EQ(g.HMax(), 0);
    // The page is the room below the fixed rows: one page down moves by it, clamped at the end.
    g.Scroll(SB_PAGEDOWN);
    EXPECT_EQ(g.GetScrollPos32(SB_VERT, FALSE), 1);   // max 159 - page 159 + 1
    g.Scroll(SB_LINEDOWN);                            // at the maximum position: nothing
    EXPECT_EQ(g.GetScrollPos32(SB_VERT, FALSE), 1);
    g.Scroll(SB_TOP);
    EXPECT_EQ(g.GetScrollPos32(SB_VERT, FALSE), 0);

    // A client area smaller than the fixed area hides both bars.
    g.Client(20, 15);
    g.ResetScrollBars();
    EXPECT_EQ(g.Bars(), 0);

    // Too narrow too: the vertical bar's room makes the horizontal bar necessary.
    g.Client(130, 100);
    g.ResetScrollBars();
    EXPECT_EQ(g.Bars(), 3);
    EXPECT_EQ(g.HMax(), 99);
    EXPECT_EQ(g.VMax(), 159);

    // The other way round: the columns overflow, and the rows fit only without the horizontal bar,
    // so its room makes the vertical bar necessary (and the last row is not hidden under it).
    g.Client(120, 20 + 160 + 2);
    g.ResetScrollBars();
    EXPECT_EQ(g.Bars(), 3);
    EXPECT_EQ(g.VMax(), 159);
    EXPECT_EQ(g.HMax(), 99);
    EXPECT_EQ(g.VPage(), 162 - HBar());
    EXPECT_EQ(g.HPage(), 90 - VBar());
}

TEST(GridGeometryTest, LineScrollingStepsOverHiddenRowsAndStopsAtTheEnds)
{
    GeoGrid g(6, 1, 1, 0);
    g.Sizes({20, 30, 0, 40, 50, 60}, {100});
    g.Client(100, 80);
    g.ResetScrollBars();
    ASSERT_EQ(g.VMax(), 180 - 1);
    g.Scroll(SB_LINEUP);   // at the first non-fixed row: nothing
    EXPECT_EQ(g.GetScrollPos32(SB_VERT, FALSE), 0);
    g.Scroll(SB_LINEDOWN);
    EXPECT_EQ(g.GetScrollPos32(SB_VERT, FALSE), 30);
    EXPECT_EQ(g.GetTopLeftNonFixedCell(FALSE).row, 2);   // the hidden row leads at its own position
    g.Scroll(SB_LINEDOWN);                               // steps over it: row 3's height
    EXPECT_EQ(g.GetScrollPos32(SB_VERT, FALSE), 70);
    EXPECT_EQ(g.GetTopLeftNonFixedCell(FALSE).row, 4);
    g.Scroll(SB_LINEUP);
    EXPECT_EQ(g.GetScrollPos32(SB_VERT, FALSE), 30);
    g.Scroll(SB_LINEUP);
    EXPECT_EQ(g.GetScrollPos32(SB_VERT, FALSE), 0);
    g.Scroll(SB_BOTTOM);
    int bottom = g.GetScrollPos32(SB_VERT, FALSE);
    EXPECT_GT(bottom, 40);
    g.Scroll(SB_LINEDOWN);
    EXPECT_EQ(g.GetScrollPos32(SB_VERT, FALSE), bottom);
}

TEST(GridGeometryTest, AutosizeByStyleMeasuresFixedOrOtherRows)
{
    // Needs a device context: a real (hidden) window.
    HWND hWnd = ::CreateWindowExW(0, L"MFCGridCtrl", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(hWnd);
    GeoGrid g(0, 0, 0, 0);
    ASSERT_TRUE(g.SubclassWindow(hWnd));
    g.SetColumnCount(1);
    g.SetRowCount(3);
    g.SetFixedRowCount(1);
    g.SetItemText(0, 0, L"W");
    g.SetItemText(1, 0, L"WWWWWWWWWWWWWWWWWWWW");
    g.SetItemText(2, 0, L"WW");
    ASSERT_TRUE(g.AutoSizeColumn(0, 1, TRUE));
    int fixedOnly = g.GetColumnWidth(0);
    ASSERT_TRUE(g.AutoSizeColumn(0, 2, TRUE));
    int others = g.GetColumnWidth(0);
    ASSERT_TRUE(g.AutoSizeColumn(0, 3, TRUE));
    int both = g.GetColumnWidth(0);
    EXPECT_GT(others, fixedOnly * 3);
    EXPECT_EQ(both, others);
    // The width is what the widest cell reports for itself.
    CDC* pDC = g.GetDC();
    EXPECT_EQ(others, g.GetCell(1, 0)->GetCellExtent(pDC).cx);
    EXPECT_EQ(fixedOnly, g.GetCell(0, 0)->GetCellExtent(pDC).cx);
    g.ReleaseDC(pDC);

    ASSERT_TRUE(g.AutoSizeRow(1, TRUE));
    EXPECT_GT(g.GetRowHeight(1), 0);
    g.SetColumnWidth(0, 0);   // hidden columns are left alone
    EXPECT_FALSE(g.AutoSizeColumn(0, 3, TRUE));
    EXPECT_EQ(g.GetColumnWidth(0), 0);
    EXPECT_FALSE(g.AutoSizeRow(7, TRUE));
    g.DestroyWindow();
}

TEST(GridGeometryTest, WheelPostsTheConfiguredLinesPerNotch)
{
    HWND hWnd = ::CreateWindowExW(0, L"MFCGridCtrl", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(hWnd);
    GeoGrid g(0, 0, 0, 0);
    ASSERT_TRUE(g.SubclassWindow(hWnd));
    auto drain = [&](UINT code) {
        int n = 0, other = 0;
        MSG msg;
        while (::PeekMessageW(&msg, hWnd, WM_VSCROLL, WM_VSCROLL, PM_REMOVE)) {
            if (LOWORD(msg.wParam) == code) ++n;
            else ++other;
        }
        return other ? -1000 : n;
    };
    g.SetWheelLines(3);
    g.Wheel(120);
    EXPECT_EQ(drain(SB_LINEUP), 3);
    g.Wheel(-240);
    EXPECT_EQ(drain(SB_LINEDOWN), 6);
    g.Wheel(60);   // half a notch of three lines is one line
    EXPECT_EQ(drain(SB_LINEUP), 1);
    g.Wheel(30);
    EXPECT_EQ(drain(SB_LINEUP), 0);
    g.SetWheelLines(-1);   // a page per notch
    g.Wheel(-360);
    EXPECT_EQ(drain(SB_PAGEDOWN), 3);

    // The system's setting is what a new grid starts with.
    UINT lines = 0;
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    EXPECT_EQ(g.GetMouseScrollLines(), (int)lines);
    g.DestroyWindow();
}
