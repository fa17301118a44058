// Paints a 20-row window over grids of 100 and of 100,000 rows and over a list view holding the
// same visible data, and prints the times: painting must cost what is visible, not what is stored.
#include "grid/GridCtrl.h"
#include "bench/BenchClock.h"
#include <commctrl.h>
#include <cstdio>

namespace {
const int kCols = 5;
const int kVisibleRows = 20;
const int kRepaints = 200;

// Milliseconds per full repaint of the window's client area, painted synchronously.
double TimeRepaints(HWND hWnd)
{
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    BenchPump();
    double start = BenchSeconds();
    for (int i = 0; i < kRepaints; ++i) {
        ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        ::GdiFlush();
    }
    return (BenchSeconds() - start) * 1000.0 / kRepaints;
}

CString CellText(int row, int col)
{
    CString s;
    if (row == 0) s.Format(L"Column %d", col);
    else s.Format(L"Row %d, item %d", row, col);
    return s;
}

HWND MakeHost(int width, int height, LPCWSTR title)
{
    HWND h = ::CreateWindowExW(0, L"STATIC", title, WS_POPUP | WS_VISIBLE | WS_CAPTION, 50, 50, width, height,
                               nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return h;
}

struct GridRun {
    double msPerPaint = 0;
    int rowHeight = 0;
};

GridRun TimeGrid(int nRows, int width, int height)
{
    GridRun run;
    CGridCtrl grid(0, 0, 0, 0);
    HWND host = MakeHost(width + 40, height + 60, L"grid");
    HWND hGrid = ::CreateWindowExW(0, L"MFCGridCtrl", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, width, height,
                                   host, (HMENU)1001, ::GetModuleHandleW(nullptr), nullptr);
    grid.SubclassWindow(hGrid);
    grid.SetColumnCount(kCols);
    grid.SetRowCount(nRows);
    grid.SetFixedRowCount(1);
    for (int c = 0; c < kCols; ++c) grid.SetColumnWidth(c, width / kCols);
    for (int r = 0; r < nRows; ++r)
        for (int c = 0; c < kCols; ++c) grid.SetItemText(r, c, CellText(r, c));
    run.rowHeight = grid.GetRowHeight(1);
    ::UpdateWindow(host);
    BenchPump();
    run.msPerPaint = TimeRepaints(hGrid);
    grid.DestroyWindow();
    ::DestroyWindow(host);
    BenchPump();
    return run;
}

double TimeListView(int nRows, int width, int height)
{
    HWND host = MakeHost(width + 40, height + 60, L"list view");
    HWND hList = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, 0, 0, width,
                                   height, host, (HMENU)1002, ::GetModuleHandleW(nullptr), nullptr);
    for (int c = 0; c < kCols; ++c) {
        CString title = CellText(0, c);
        LVCOLUMNW col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = width / kCols;
        col.pszText = (LPWSTR)(LPCWSTR)title;
        ::SendMessageW(hList, LVM_INSERTCOLUMNW, c, (LPARAM)&col);
    }
    for (int r = 1; r < nRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            CString text = CellText(r, c);
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = r - 1;
            item.iSubItem = c;
            item.pszText = (LPWSTR)(LPCWSTR)text;
            ::SendMessageW(hList, c ? LVM_SETITEMTEXTW : LVM_INSERTITEMW, r - 1, (LPARAM)&item);
        }
    }
    ::UpdateWindow(host);
    BenchPump();
    double ms = TimeRepaints(hList);
    ::DestroyWindow(host);
    BenchPump();
    return ms;
}
}

int wmain()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);

    // Measure the row height first so that the window shows 20 rows of either grid.
    GridRun probe = TimeGrid(2, 500, 100);
    int rowHeight = probe.rowHeight > 0 ? probe.rowHeight : 20;
    int width = 500, height = rowHeight * kVisibleRows + 4;

    GridRun small = TimeGrid(100, width, height);
    GridRun large = TimeGrid(100000, width, height);
    double list = TimeListView(100, width, height);

    wprintf(L"window: %d x %d pixels, %d rows of %d pixels, %d repaints each\n", width, height, kVisibleRows,
            rowHeight, kRepaints);
    wprintf(L"grid of 100 rows:      %.3f ms per paint\n", small.msPerPaint);
    wprintf(L"grid of 100,000 rows:  %.3f ms per paint\n", large.msPerPaint);
    wprintf(L"ratio 100,000 / 100:   %.3f\n", small.msPerPaint > 0 ? large.msPerPaint / small.msPerPaint : 0.0);
    wprintf(L"list view, 100 rows:   %.3f ms per paint\n", list);
    wprintf(L"ratio grid / list view: %.3f\n", list > 0 ? small.msPerPaint / list : 0.0);
    return 0;
}
