// The grid at the scale of its own window and in high contrast. tools/dpi-tests.sh runs the
// DisplayScale cases again on displays of 120, 144 and 192 dots per inch (NV_EXPECT_DPI).
#include "grid/GridCtrl.h"
#include "grid/cells/GridCellCheck.h"
#include "framework/AfxDisplay.h"
#include <gtest/gtest.h>
#include "../common/WindowCapture.h"

namespace {
UINT ExpectedDpi()
{
    wchar_t v[16] = {};
    return ::GetEnvironmentVariableW(L"NV_EXPECT_DPI", v, 16) ? (UINT)_wtoi(v) : 96;
}

// A grid window of 300x150 with a heading row over three rows of two columns, the last cell a check cell.
struct ScaledGrid {
    HWND host = nullptr;
    CGridCtrl grid;
    ScaledGrid()
    {
        host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 10, 10, 320, 170, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
        HWND h = ::CreateWindowExW(0, L"MFCGridCtrl", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 150, host, (HMENU)100,
                                   ::GetModuleHandleW(nullptr), nullptr);
        grid.SubclassWindow(h);
        grid.SetColumnCount(2);
        grid.SetRowCount(4);
        grid.SetFixedRowCount(1);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 2; ++c) grid.SetItemText(r, c, L"Cell");
        grid.SetCellType(3, 1, RUNTIME_CLASS(CGridCellCheck));
        PumpMessages(50);
    }
    ~ScaledGrid()
    {
        grid.DestroyWindow();
        ::DestroyWindow(host);
    }
    CGridCellCheck* Check() { return static_cast<CGridCellCheck*>(grid.GetCell(3, 1)); }
    int CheckTextOffset()
    {
        CRect cell;
        grid.GetCellRect(3, 1, &cell);
        CRect text = cell;
        Check()->GetTextRect(&text);
        return text.left - cell.left;
    }
    // Whether the pointer k pixels before the end of the first heading cell is over its divider.
    bool OverDivider(int k)
    {
        CPoint origin;
        grid.GetCellOrigin(0, 0, &origin);
        CPoint p(origin.x + grid.GetColumnWidth(0) - k, origin.y + 3);
        return grid.MouseOverColumnResizeArea(p) != FALSE;
    }
};

struct DefaultSizes {
    int fontHeight[4], width, height, margin;
    bool operator==(const DefaultSizes& o) const
    {
        for (int i = 0; i < 4; ++i)
            if (fontHeight[i] != o.fontHeight[i]) return false;
        return width == o.width && height == o.height && margin == o.margin;
    }
};

DefaultSizes DefaultsOf(CGridCtrl& g)
{
    DefaultSizes d;
    int i = 0;
    for (BOOL row : {FALSE, TRUE})
        for (BOOL col : {FALSE, TRUE}) d.fontHeight[i++] = g.GetDefaultCell(row, col)->GetFont()->lfHeight;
    d.width = g.GetDefaultCell(FALSE, FALSE)->GetWidth();
    d.height = g.GetDefaultCell(FALSE, FALSE)->GetHeight();
    d.margin = (int)g.GetDefaultCell(FALSE, FALSE)->GetMargin();
    return d;
}
}

// The grid takes the scale of the display its window is on; told of another scale, its defaults,
// check box and resize grip follow, and back at the first they are exactly as they were.
TEST(GridDisplayScaleTest, DefaultsCheckBoxAndGripFollowTheWindowsScale)
{
    const UINT dpi = ExpectedDpi(), other = dpi == 96 ? 144 : 96;
    ScaledGrid f;
    CGridCtrl& g = f.grid;
    ASSERT_EQ(dpi, g.GetDpi());
    DefaultSizes opened = DefaultsOf(g);
    int margin = (int)f.Check()->GetMargin();
    EXPECT_EQ(AfxGetSystemMetricsForDpi(SM_CXHSCROLL, dpi) + 2 * margin, f.CheckTextOffset());

    // The column divider catches the pointer within the grip's width, at this scale.
    EXPECT_TRUE(f.OverDivider(::MulDiv(3, dpi, 96) - 1));
    EXPECT_FALSE(f.OverDivider(::MulDiv(3, dpi, 96) + 1));

    g.SetDpi(other);
    DefaultSizes moved = DefaultsOf(g);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(::MulDiv(opened.fontHeight[i], other, dpi), moved.fontHeight[i]) << i;
    EXPECT_NEAR(::MulDiv(opened.height, other, dpi), moved.height, 3);
    EXPECT_NEAR(::MulDiv(opened.width, other, dpi), moved.width, ::MulDiv(opened.width, other, dpi) / 10);
    margin = (int)f.Check()->GetMargin();
    EXPECT_EQ(AfxGetSystemMetricsForDpi(SM_CXHSCROLL, other) + 2 * margin, f.CheckTextOffset());
    EXPECT_TRUE(f.OverDivider(::MulDiv(3, other, 96) - 1));
    EXPECT_FALSE(f.OverDivider(::MulDiv(3, other, 96) + 1));

    for (int trip = 0; trip < 3; ++trip) {
        g.SetDpi(other);
        g.SetDpi(dpi);
    }
    EXPECT_TRUE(DefaultsOf(g) == opened);
}

// In high contrast every cell draws in the system's colours, whatever colours it was given, and the
// grid lines in the system's text colour; the system's colour-change message switches at once.
TEST(GridDisplayTest, HighContrastDrawsInTheSystemsColours)
{
    struct Restore { ~Restore() { AfxSetHighContrastOverride(-1); } } restore;
    AfxSetHighContrastOverride(0);
    ScaledGrid f;
    CGridCtrl& g = f.grid;
    const COLORREF pink = RGB(255, 0, 255), olive = RGB(128, 128, 0);
    g.SetItemBackColor(0, 0, pink);
    g.SetItemBackColor(1, 0, pink);
    g.SetItemTextColor(1, 0, olive);
    g.Invalidate();
    PumpMessages(50);
    auto shown = [&](int row, COLORREF colour) {
        CRect r;
        g.GetCellRect(row, 0, &r);
        Capture c = CaptureWindow(g.m_hWnd);
        CRect wnd;
        g.GetWindowRect(&wnd);
        g.ClientToScreen(&r);
        r.OffsetRect(-wnd.left, -wnd.top);
        for (int y = r.top + 1; y < r.bottom - 1; ++y)
            for (int x = r.left + 1; x < r.right - 1; ++x)
                if (c.At(x, y) == colour) return true;
        return false;
    };
    EXPECT_TRUE(shown(0, pink));
    EXPECT_TRUE(shown(1, pink));

    AfxSetHighContrastOverride(1);
    ::PostMessageW(g.m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
    PumpMessages(100);
    EXPECT_FALSE(shown(0, pink));
    EXPECT_TRUE(shown(0, ::GetSysColor(COLOR_BTNFACE)));
    EXPECT_FALSE(shown(1, pink));
    EXPECT_TRUE(shown(1, ::GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(::GetSysColor(COLOR_WINDOWTEXT), g.GetShownGridLineColor());

    AfxSetHighContrastOverride(0);
    ::SendMessageTimeoutW(g.m_hWnd, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_NORMAL, 5000, nullptr);
    PumpMessages(100);
    EXPECT_TRUE(shown(1, pink));
    EXPECT_EQ(g.GetGridLineColor(), g.GetShownGridLineColor());
}
