// A picture of a sample grid in a real window, for a person to look at: a fixed row and column,
// status images from an image list, several background and text colours, a selection and a cut-off
// text. The pictures (grid-sample.bmp, grid-titletip.bmp) go to the folder NV_SCREENSHOT_DIR names (a
// Windows path, e.g. Z:\tmp) when it is set, else to a temporary folder that is removed again; either
// way each picture is checked for the colours it must show.
#include "grid/GridCtrl.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include "../common/WindowCapture.h"
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {
void Pump() { PumpMessages(); }
}

TEST(GridScreenshotTest, SampleGridInARealWindow)
{
    wchar_t dir[MAX_PATH] = {};
    bool keep = ::GetEnvironmentVariableW(L"NV_SCREENSHOT_DIR", dir, MAX_PATH) != 0;
    if (!keep) {
        ::GetTempPathW(MAX_PATH, dir);
        wcscat(dir, L"nv_grid_shots");
        ::CreateDirectoryW(dir, nullptr);
    }

    const COLORREF kPaleGreen = RGB(0xD8, 0xF0, 0xD8), kPaleRed = RGB(0xF8, 0xD8, 0xD8);
    const COLORREF kPaleBlue = RGB(0xD8, 0xE4, 0xF8), kDarkRed = RGB(0xB0, 0x00, 0x00);
    const COLORREF kLink = RGB(0x00, 0x33, 0xCC), kGreenText = RGB(0x00, 0x70, 0x00);

    HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | SS_WHITERECT, 40, 40, 580, 230, nullptr,
                                  nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    CGridCtrl grid;
    HWND h = ::CreateWindowExW(0, GRIDCTRL_CLASSNAME, L"", WS_CHILD | WS_VISIBLE, 10, 10, 560, 210, host, (HMENU)100,
                               ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(grid.SubclassWindow(h));

    CImageList images;
    images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 1);
    for (UINT id : {IDI_STATUS_OK, IDI_STATUS_BAD}) {
        HICON icon = (HICON)::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0);
        ASSERT_NE(icon, nullptr);
        images.Add(icon);
        ::DestroyIcon(icon);
    }
    grid.SetImageList(&images);

    const wchar_t* heads[] = {L"#", L"Adapter", L"OS", L"Driver", L"Status"};
    struct Row { const wchar_t* name; const wchar_t* os; const wchar_t* driver; int image; const wchar_t* status; };
    const Row rows[] = {
        {L"Intel(R) Wireless WiFi Link 4965AGN", L"Yes", L"11.5.0.32", 0, L"Supported"},
        {L"Atheros AR5007EG Wireless Network Adapter", L"Yes", L"7.6.0.224", 1, L"Driver too old"},
        {L"Realtek RTL8187 Wireless 802.11g USB 2.0 Network Adapter", L"No", L"1.0.0.1", 1, L"Not supported"},
        {L"Broadcom 802.11n Network Adapter", L"Yes", L"5.100.82.112", 0, L"Supported"},
        {L"Ralink RT2870 Wireless LAN Card", L"Yes", L"3.1.4.0", 0, L"Supported"},
    };
    grid.SetColumnCount(5);
    grid.SetFixedRowCount(1);
    for (int c = 0; c < 5; ++c) grid.SetItemText(0, c, heads[c]);
    for (const Row& r : rows) {
        wchar_t num[8];
        swprintf(num, 8, L"%d", grid.GetRowCount());
        int n = grid.InsertRow(num, -1);
        grid.SetItemText(n, 1, r.name);
        grid.SetItemText(n, 2, r.os);
        grid.SetItemText(n, 3, r.driver);
        grid.SetItemText(n, 4, r.status);
        grid.SetItemImage(n, 4, r.image);
        grid.SetItemBackColor(n, 4, r.image == 0 ? kPaleGreen : kPaleRed);
        grid.SetItemTextColor(n, 4, r.image == 0 ? kGreenText : kDarkRed);
    }
    grid.SetFixedColumnCount(1);
    grid.SetItemBackColor(3, 2, kPaleBlue);
    grid.SetItemTextColor(3, 2, kDarkRed);
    grid.SetItemTextColor(2, 3, kLink);
    grid.SetItemFormat(0, 1, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    for (int r = 0; r < grid.GetRowCount(); ++r) grid.SetRowHeight(r, 26);
    int widths[] = {28, 250, 40, 100, 120};
    for (int c = 0; c < 5; ++c) grid.SetColumnWidth(c, widths[c]);
    grid.SetSelectedRange(5, 1, 5, 3);

    ::SetWindowPos(host, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    ::Sleep(200);
    Pump();

    Capture shot = CaptureWindow(host);
    std::wstring path = std::wstring(dir) + L"\\grid-sample.bmp";
    EXPECT_TRUE(shot.Save(path.c_str())) << "cannot write the picture";

    // What the picture must show, in host coordinates (grid at 10,10 plus its 2-pixel edge).
    int x0 = 12, y0 = 12;
    int statusLeft = x0 + 28 + 250 + 40 + 100;
    EXPECT_EQ(shot.At(statusLeft + 100, y0 + 26 + 20), kPaleGreen);     // row 1 status background
    EXPECT_EQ(shot.At(statusLeft + 100, y0 + 2 * 26 + 20), kPaleRed);   // row 2
    EXPECT_EQ(shot.At(x0 + 14, y0 + 2 * 26 + 3), ::GetSysColor(COLOR_3DFACE));   // fixed column
    EXPECT_EQ(shot.At(x0 + 28 + 250 + 3, y0 + 3 * 26 + 3), kPaleBlue);
    EXPECT_EQ(shot.At(x0 + 28 + 3, y0 + 5 * 26 + 3), ::GetSysColor(COLOR_HIGHLIGHT));   // selected
    // A status image: some pixel of the 16x16 image differs from the cell's background.
    int differing = 0;
    for (int y = y0 + 26 + 4; y < y0 + 2 * 26 - 4; ++y)
        for (int x = statusLeft + 2; x < statusLeft + 22; ++x)
            if (shot.At(x, y) != kPaleGreen) ++differing;
    EXPECT_GT(differing, 50);

    // The cut-off adapter name of row 2 in a title tip over its cell, captured from the screen
    // (the tip is a window of its own above the grid); written as grid-titletip.bmp.
    ::SetForegroundWindow(host);
    grid.SetFocus();
    CRect cell;
    ASSERT_TRUE(grid.GetCellRect(2, 1, &cell));
    CRect text = cell;
    grid.GetCell(2, 1)->GetTipTextRect(&text);
    grid.GetTitleTip().Show(text, grid.GetCell(2, 1)->GetTipText(), 0, &cell, grid.GetCell(2, 1)->GetFont(),
                            RGB(0, 0, 0), RGB(0xFF, 0xFF, 0xE1));
    HWND hTip = grid.GetTitleTip().GetSafeHwnd();
    EXPECT_TRUE(::IsWindowVisible(hTip));
    Pump();
    ::Sleep(200);
    Pump();
    Capture screen = CaptureWindow(::GetDesktopWindow());
    RECT rcHost;
    ::GetWindowRect(host, &rcHost);
    Capture part;
    part.cx = rcHost.right - rcHost.left;
    part.cy = rcHost.bottom - rcHost.top;
    part.bits.assign((size_t)part.Stride() * part.cy, 0);
    for (int y = 0; y < part.cy; ++y)
        for (int x = 0; x < part.cx; ++x) {
            COLORREF c = screen.At(rcHost.left + x, rcHost.top + y);
            BYTE* p = &part.bits[(size_t)(part.cy - 1 - y) * part.Stride() + (size_t)x * 3];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    EXPECT_TRUE(part.Save((std::wstring(dir) + L"\\grid-titletip.bmp").c_str()));
    // The tip's background shows beside the cell, where the grid has the next column.
    RECT rcTip;
    ::GetWindowRect(hTip, &rcTip);
    EXPECT_GT(rcTip.right, rcHost.left + 12 + 28 + 250);
    EXPECT_EQ(screen.At(rcTip.right - 3, (rcTip.top + rcTip.bottom) / 2), RGB(0xFF, 0xFF, 0xE1));
    grid.GetTitleTip().Hide();

    grid.SetImageList(nullptr);
    grid.DestroyWindow();
    ::DestroyWindow(host);
    if (!keep) {
        ::DeleteFileW(path.c_str());
        ::DeleteFileW((std::wstring(dir) + L"\\grid-titletip.bmp").c_str());
        ::RemoveDirectoryW(dir);
    }
}
