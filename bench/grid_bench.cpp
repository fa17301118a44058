// Times the grid's model operations on a large grid and counts the heap bytes the cells take:
// growing to 100,000 rows of 10 columns, appending rows, selecting a large range and clearing it,
// and deleting everything. A second part selects the same small range in a small and in a large
// grid: selecting, testing and clearing must cost what the selection holds, not what the grid holds.
// The last part puts the grid and a list view side by side in windows of the same size with the same
// data, appends, scrolls and deletes in both, and ends with the summary lines to compare at a glance.
// Appending and deleting happen while the windows are hidden, scrolling while they are shown. Last,
// both are filled with 1,000 and 3,000 rows while they are shown.
// "grid_bench --rows N" runs the side-by-side part with N rows instead of 100,000; "grid_bench --fill"
// runs only the filling of shown windows.
#include "grid/GridCtrl.h"
#include "bench/BenchClock.h"
#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <new>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Live heap bytes requested through operator new (the containers, the cells and their texts).

namespace {
long long g_liveBytes = 0;
const size_t kHeader = 16;   // keeps the returned block 16-byte aligned

void* CountedAlloc(size_t n)
{
    char* p = (char*)std::malloc(n + kHeader);
    if (!p) return nullptr;
    *(size_t*)p = n;
    g_liveBytes += (long long)n;
    return p + kHeader;
}

void CountedFree(void* p)
{
    if (!p) return;
    char* b = (char*)p - kHeader;
    g_liveBytes -= (long long)*(size_t*)b;
    std::free(b);
}
}

void* operator new(size_t n)
{
    void* p = CountedAlloc(n);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](size_t n)
{
    void* p = CountedAlloc(n);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new(size_t n, const std::nothrow_t&) noexcept { return CountedAlloc(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return CountedAlloc(n); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, size_t) noexcept { CountedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedFree(p); }

// ---------------------------------------------------------------------------------------------

namespace {
const int kRows = 100000;
const int kCols = 10;

void Line(LPCWSTR what, double seconds, long long count, LPCWSTR unit)
{
    double per = count > 0 ? seconds * 1e6 / (double)count : 0.0;
    wprintf(L"  %-46ls %10.2f ms  %9.3f us per %ls\n", what, seconds * 1000.0, per, unit);
}

// Selects rows [1, 1 + nSelRows) of every non-fixed column, tests every cell of those rows and as
// many again outside, reads the bounding box, and clears: the times of one round, averaged.
struct SelectionTimes {
    double select = 0, test = 0, clear = 0;
    int selected = 0;
};

SelectionTimes TimeSelection(CGridCtrl& grid, int nSelRows, int rounds)
{
    SelectionTimes t;
    volatile int sink = 0;
    for (int i = 0; i < rounds; ++i) {
        double a = BenchSeconds();
        grid.SetSelectedRange(1, 1, nSelRows, kCols - 1);
        double b = BenchSeconds();
        t.selected = grid.GetSelectedCount();
        for (int r = 1; r <= 2 * nSelRows; ++r)
            for (int c = 1; c < kCols; ++c) sink += grid.IsCellSelected(r, c);
        CCellRange box = grid.GetSelectedCellRange();
        sink += box.GetMaxRow();
        double c = BenchSeconds();
        grid.SetSelectedRange(-1, -1, -1, -1);
        double d = BenchSeconds();
        t.select += b - a;
        t.test += c - b;
        t.clear += d - c;
    }
    t.select /= rounds;
    t.test /= rounds;
    t.clear /= rounds;
    return t;
}
}

// ---------------------------------------------------------------------------------------------
// The grid beside a list view: the same window size, 5 columns, every cell the same 19-character text.

namespace {
const int kSideCols = 5;
const wchar_t kCellText[] = L"Some text of a cell";   // 19 characters
const int kSideWidth = 500, kSideHeight = 420;
const int kScrollLines = 1000;


// 100000 -> "100,000"
CString Thousands(long long n)
{
    CString digits;
    digits.Format(L"%lld", n);
    CString out;
    int len = digits.GetLength();
    for (int i = 0; i < len; ++i) {
        if (i > 0 && (len - i) % 3 == 0) out += L',';
        out += digits[i];
    }
    return out;
}

// Hidden until shown for scrolling: every call that draws on a visible window of this Wine costs
// milliseconds of the display server, which would bury what the controls themselves cost.
HWND MakeHost(LPCWSTR title)
{
    RECT r = {0, 0, kSideWidth, kSideHeight};
    ::AdjustWindowRectEx(&r, WS_POPUP | WS_CAPTION, FALSE, 0);
    return ::CreateWindowExW(0, L"STATIC", title, WS_POPUP | WS_CAPTION, 40, 40, r.right - r.left, r.bottom - r.top,
                             nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

void ShowHost(HWND host, BOOL bShow)
{
    ::ShowWindow(host, bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    ::UpdateWindow(host);
    BenchPump();
}

// Seconds for nLines lines down, each painted at once, with the window shown.
double TimeScroll(HWND host, HWND control, int nLines)
{
    ShowHost(host, TRUE);
    double a = BenchSeconds();
    for (int i = 0; i < nLines; ++i) {
        ::SendMessageW(control, WM_VSCROLL, SB_LINEDOWN, 0);
        ::UpdateWindow(control);
    }
    BenchPump();
    double seconds = BenchSeconds() - a;
    ShowHost(host, FALSE);
    return seconds;
}

struct SideTimes {
    double append = 0, scroll = 0, remove = 0;   // seconds
};

// A grid window with a fixed row of column titles, as the list view has its header.
class GridSide {
public:
    GridSide()
    {
        m_host = MakeHost(L"grid");
        HWND h = ::CreateWindowExW(WS_EX_CLIENTEDGE, GRIDCTRL_CLASSNAME, L"", WS_CHILD | WS_VISIBLE, 0, 0, kSideWidth,
                                   kSideHeight, m_host, (HMENU)101, ::GetModuleHandleW(nullptr), nullptr);
        m_grid.SubclassWindow(h);
        m_grid.SetColumnCount(kSideCols);
        m_grid.SetFixedRowCount(1);
        for (int c = 0; c < kSideCols; ++c) {
            CString title;
            title.Format(L"Column %d", c);
            m_grid.SetItemText(0, c, title);
            m_grid.SetColumnWidth(c, (kSideWidth - 30) / kSideCols);
        }
        ::UpdateWindow(m_host);
        BenchPump();
    }
    ~GridSide()
    {
        m_grid.DestroyWindow();
        ::DestroyWindow(m_host);
        BenchPump();
    }
    double Append(int nRows)
    {
        double a = BenchSeconds();
        for (int i = 0; i < nRows; ++i) {
            int row = m_grid.InsertRow(kCellText, -1);
            for (int c = 1; c < kSideCols; ++c) m_grid.SetItemText(row, c, kCellText);
        }
        ::UpdateWindow(m_grid.GetSafeHwnd());
        BenchPump();
        return BenchSeconds() - a;
    }
    double Scroll(int nLines) { return TimeScroll(m_host, m_grid.GetSafeHwnd(), nLines); }
    void Show() { ShowHost(m_host, TRUE); }
    // The other common fill: all the rows at once, then every cell's text.
    double SetCountThenTexts(int nRows)
    {
        double a = BenchSeconds();
        m_grid.SetRowCount(nRows + 1);
        for (int row = 1; row <= nRows; ++row)
            for (int c = 0; c < kSideCols; ++c) m_grid.SetItemText(row, c, kCellText);
        ::UpdateWindow(m_grid.GetSafeHwnd());
        BenchPump();
        return BenchSeconds() - a;
    }
    double DeleteFromTop()
    {
        double a = BenchSeconds();
        while (m_grid.GetRowCount() > 1) m_grid.DeleteRow(1);
        ::UpdateWindow(m_grid.GetSafeHwnd());
        BenchPump();
        return BenchSeconds() - a;
    }
private:
    HWND m_host = nullptr;
    CGridCtrl m_grid;
};

class ListSide {
public:
    ListSide()
    {
        m_host = MakeHost(L"list view");
        m_list = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0,
                                   kSideWidth, kSideHeight, m_host, (HMENU)102, ::GetModuleHandleW(nullptr), nullptr);
        for (int c = 0; c < kSideCols; ++c) {
            CString title;
            title.Format(L"Column %d", c);
            LVCOLUMNW col = {};
            col.mask = LVCF_TEXT | LVCF_WIDTH;
            col.cx = (kSideWidth - 30) / kSideCols;
            col.pszText = (LPWSTR)(LPCWSTR)title;
            ::SendMessageW(m_list, LVM_INSERTCOLUMNW, c, (LPARAM)&col);
        }
        ::UpdateWindow(m_host);
        BenchPump();
    }
    ~ListSide()
    {
        ::DestroyWindow(m_host);
        BenchPump();
    }
    double Append(int nRows)
    {
        double a = BenchSeconds();
        for (int i = 0; i < nRows; ++i) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = m_count;
            item.pszText = (LPWSTR)kCellText;
            int row = (int)::SendMessageW(m_list, LVM_INSERTITEMW, 0, (LPARAM)&item);
            for (int c = 1; c < kSideCols; ++c) {
                item.iSubItem = c;
                ::SendMessageW(m_list, LVM_SETITEMTEXTW, row, (LPARAM)&item);
            }
            ++m_count;
        }
        ::UpdateWindow(m_list);
        BenchPump();
        return BenchSeconds() - a;
    }
    double Scroll(int nLines) { return TimeScroll(m_host, m_list, nLines); }
    void Show() { ShowHost(m_host, TRUE); }
    double DeleteFromTop()
    {
        double a = BenchSeconds();
        while (::SendMessageW(m_list, LVM_GETITEMCOUNT, 0, 0) > 0) ::SendMessageW(m_list, LVM_DELETEITEM, 0, 0);
        ::UpdateWindow(m_list);
        BenchPump();
        m_count = 0;
        return BenchSeconds() - a;
    }
private:
    HWND m_host = nullptr;
    HWND m_list = nullptr;
    int m_count = 0;
};

double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

// Seconds per row of filling a fresh window that is shown: row by row, or (bAtOnce) by setting the
// grid's row count first and then every cell's text.
double GridFillShownPerRow(int nRows, BOOL bAtOnce)
{
    GridSide side;
    side.Show();
    return (bAtOnce ? side.SetCountThenTexts(nRows) : side.Append(nRows)) / nRows;
}

double ListFillShownPerRow(int nRows)
{
    ListSide side;
    side.Show();
    return side.Append(nRows) / nRows;
}

// Seconds per row of appending nRows rows to a fresh grid window: the median of a few runs.
double GridAppendPerRow(int nRows, int nRuns)
{
    std::vector<double> perRow;
    for (int i = 0; i < nRuns; ++i) {
        GridSide grid;
        perRow.push_back(grid.Append(nRows) / nRows);
    }
    std::sort(perRow.begin(), perRow.end());
    return perRow[perRow.size() / 2];
}
// Filling while the window shows: every change of the grid's rows sets its scroll bar, which this
// Wine draws in milliseconds, so a bar drawn for each row would cost far more than the rows.
void FillShown()
{
    wprintf(L"\nfilling a shown window, %d columns (time per row, cells and final paint included)\n", kSideCols);
    const int kFillRows[2] = {1000, 3000};
    double insert[2], atOnce[2];
    for (int i = 0; i < 2; ++i) {
        insert[i] = GridFillShownPerRow(kFillRows[i], FALSE);
        atOnce[i] = GridFillShownPerRow(kFillRows[i], TRUE);
        wprintf(L"  %-46ls %10.3f ms per row\n", (LPCWSTR)(L"grid InsertRow x " + Thousands(kFillRows[i])), insert[i] * 1e3);
        wprintf(L"  %-46ls %10.3f ms per row\n",
                (LPCWSTR)(L"grid SetRowCount " + Thousands(kFillRows[i]) + L", SetItemText"), atOnce[i] * 1e3);
    }
    // The list view draws its scroll bar for every row under this Wine: 1,000 rows take it seconds.
    double list = ListFillShownPerRow(kFillRows[0]);
    wprintf(L"  %-46ls %10.3f ms per row\n", L"list view LVM_INSERTITEM x 1,000", list * 1e3);
    wprintf(L"fill a shown window with 1,000 rows: grid %.0f ms, list view %.0f ms, ratio grid / list view %.2f\n",
            insert[0] * kFillRows[0] * 1e3, list * kFillRows[0] * 1e3, Ratio(insert[0], list));
    wprintf(L"fill a shown grid, cost per row 3,000 rows / 1,000 rows: InsertRow %.2f, SetRowCount %.2f\n",
            Ratio(insert[1], insert[0]), Ratio(atOnce[1], atOnce[0]));
}
}

int wmain(int argc, wchar_t** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);   // each figure shows as soon as it is measured
    // A larger selection can be asked for on the command line (rows of 9 selectable columns), and
    // another row count for the side-by-side part with --rows N.
    int nLargeSelRows = 50000;
    int nSideRows = 100000;
    BOOL fillOnly = FALSE;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--rows") == 0 && i + 1 < argc) nSideRows = _wtoi(argv[++i]);
        else if (wcscmp(argv[i], L"--fill") == 0) fillOnly = TRUE;
        else nLargeSelRows = _wtoi(argv[i]);
    }
    if (nLargeSelRows < 1 || nLargeSelRows > 65534) nLargeSelRows = 50000;
    if (nSideRows < 1000) nSideRows = 1000;
    double bytesPerCell = 0, bytesMoreWithText = 0;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (fillOnly) {
        FillShown();
        return 0;
    }

    wprintf(L"grid model, no window: %d rows x %d columns, 1 fixed row and column\n", kRows, kCols);
    {
        long long before = g_liveBytes;
        CGridCtrl* pGrid = new CGridCtrl(0, 0, 0, 0);
        CGridCtrl& grid = *pGrid;
        long long empty = g_liveBytes;

        double a = BenchSeconds();
        grid.SetColumnCount(kCols);
        grid.SetRowCount(kRows);
        grid.SetFixedRowCount(1);
        grid.SetFixedColumnCount(1);
        double b = BenchSeconds();
        long long cells = (long long)kRows * kCols;
        Line(L"SetRowCount 0 -> 100,000 (10 columns)", b - a, cells, L"cell");
        bytesPerCell = (double)(g_liveBytes - empty) / (double)cells;
        wprintf(L"  %-46ls %10.1f bytes per cell (%lld bytes for %lld cells; empty grid %lld bytes)\n",
                L"heap", bytesPerCell, g_liveBytes - empty, cells, empty - before);

        long long filled = g_liveBytes;
        for (int r = 1; r <= 1000; ++r) grid.SetItemText(r, 1, kCellText);
        bytesMoreWithText = (double)(g_liveBytes - filled) / 1000.0;
        wprintf(L"  %-46ls %10.1f bytes more per cell given a 19-character text\n", L"heap", bytesMoreWithText);

        const int kAppends = 10000;
        a = BenchSeconds();
        for (int i = 0; i < kAppends; ++i) grid.InsertRow(L"", -1);
        b = BenchSeconds();
        Line(L"InsertRow (empty heading, -1) x 10,000", b - a, kAppends, L"row");
        a = BenchSeconds();
        for (int i = 0; i < kAppends; ++i) grid.InsertRow(L"appended", -1);
        b = BenchSeconds();
        Line(L"InsertRow (heading, -1) x 10,000", b - a, kAppends, L"row");

        a = BenchSeconds();
        grid.SetSelectedRange(1, 1, nLargeSelRows, kCols - 1);
        b = BenchSeconds();
        int selected = grid.GetSelectedCount();
        wchar_t label[96];
        swprintf(label, 96, L"SetSelectedRange %d rows (%d cells)", nLargeSelRows, selected);
        Line(label, b - a, selected, L"cell");
        volatile int sink = 0;
        a = BenchSeconds();
        for (int r = 1; r <= nLargeSelRows; ++r)
            for (int c = 1; c < kCols; ++c) sink += grid.IsCellSelected(r, c);
        b = BenchSeconds();
        Line(L"IsCellSelected over the selection", b - a, selected, L"cell");
        a = BenchSeconds();
        grid.SetSelectedRange(-1, -1, -1, -1);
        b = BenchSeconds();
        Line(L"SetSelectedRange (-1, -1, -1, -1): clear", b - a, selected, L"cell");
        a = BenchSeconds();
        grid.SetSelectedRange(1, 1, nLargeSelRows, kCols - 1);
        grid.SetSelectedRange(1, 1, 2, 2);
        b = BenchSeconds();
        Line(L"select it again, then a 2x2 range", b - a, selected, L"cell");
        grid.SetSelectedRange(-1, -1, -1, -1);

        int rows = grid.GetRowCount();
        a = BenchSeconds();
        grid.DeleteAllItems();
        b = BenchSeconds();
        Line(L"DeleteAllItems", b - a, (long long)rows * kCols, L"cell");
        delete pGrid;
        wprintf(L"  %-46ls %10lld bytes left after the grid is gone\n", L"heap", g_liveBytes - before);
    }

    wprintf(L"\nthe same selection of 100 rows x 9 columns in two grids, averaged over 20 rounds\n");
    {
        CGridCtrl small(1000, kCols, 1, 1);
        CGridCtrl large(kRows, kCols, 1, 1);
        SelectionTimes s = TimeSelection(small, 100, 20);
        SelectionTimes l = TimeSelection(large, 100, 20);
        wprintf(L"  %-28ls %12ls %12ls %12ls\n", L"", L"select", L"test x2", L"clear");
        wprintf(L"  %-28ls %9.3f ms %9.3f ms %9.3f ms   (%d cells)\n", L"grid of 1,000 rows", s.select * 1e3,
                s.test * 1e3, s.clear * 1e3, s.selected);
        wprintf(L"  %-28ls %9.3f ms %9.3f ms %9.3f ms   (%d cells)\n", L"grid of 100,000 rows", l.select * 1e3,
                l.test * 1e3, l.clear * 1e3, l.selected);
        wprintf(L"  %-28ls %12.2f %12.2f %12.2f\n", L"ratio large / small", s.select > 0 ? l.select / s.select : 0,
                s.test > 0 ? l.test / s.test : 0, s.clear > 0 ? l.clear / s.clear : 0);

        // After a large selection has come and gone, a small one still costs what it holds.
        large.SetSelectedRange(1, 1, nLargeSelRows, kCols - 1);
        large.SetSelectedRange(-1, -1, -1, -1);
        SelectionTimes after = TimeSelection(large, 100, 20);
        wprintf(L"  %-28ls %9.3f ms %9.3f ms %9.3f ms   (%d cells)\n", L"100,000 rows, after a large one",
                after.select * 1e3, after.test * 1e3, after.clear * 1e3, after.selected);
    }

    wprintf(L"\nwith a window (the scroll bars follow every append)\n");
    {
        HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 520, 420, nullptr, nullptr,
                                      ::GetModuleHandleW(nullptr), nullptr);
        CGridCtrl grid(0, 0, 0, 0);
        HWND h = ::CreateWindowExW(0, GRIDCTRL_CLASSNAME, L"", WS_CHILD | WS_VISIBLE, 0, 0, 500, 400, host,
                                   (HMENU)100, ::GetModuleHandleW(nullptr), nullptr);
        grid.SubclassWindow(h);
        double a = BenchSeconds();
        grid.SetColumnCount(kCols);
        grid.SetRowCount(kRows);
        double b = BenchSeconds();
        Line(L"SetRowCount 0 -> 100,000 (10 columns)", b - a, (long long)kRows * kCols, L"cell");
        const int kAppends = 1000;
        a = BenchSeconds();
        for (int i = 0; i < kAppends; ++i) grid.InsertRow(L"appended", -1);
        b = BenchSeconds();
        Line(L"InsertRow (heading, -1) x 1,000", b - a, kAppends, L"row");
        a = BenchSeconds();
        grid.SetSelectedRange(1, 1, 1000, kCols - 1);
        grid.SetSelectedRange(-1, -1, -1, -1);
        b = BenchSeconds();
        Line(L"select 1,000 rows and clear", b - a, 1000 * (kCols - 1), L"cell");
        a = BenchSeconds();
        grid.DeleteAllItems();
        b = BenchSeconds();
        Line(L"DeleteAllItems", b - a, (long long)(kRows + kAppends) * kCols, L"cell");
        grid.DestroyWindow();
        ::DestroyWindow(host);
    }

    CString rows = Thousands(nSideRows);
    wprintf(L"\ngrid and list view side by side: windows of %d x %d, %d columns, 19-character texts\n", kSideWidth,
            kSideHeight, kSideCols);
    double perRowSmall = GridAppendPerRow(1000, 5);
    SideTimes grid, list;
    {
        GridSide side;
        grid.append = side.Append(nSideRows);
        grid.scroll = side.Scroll(kScrollLines);
        grid.remove = side.DeleteFromTop();
    }
    {
        ListSide side;
        list.append = side.Append(nSideRows);
        list.scroll = side.Scroll(kScrollLines);
        list.remove = side.DeleteFromTop();
    }
    double perRowLarge = grid.append / nSideRows;
    wprintf(L"append %ls rows: grid %.0f ms, list view %.0f ms, ratio grid / list view %.2f\n", (LPCWSTR)rows,
            grid.append * 1e3, list.append * 1e3, Ratio(grid.append, list.append));
    wprintf(L"append cost per row, %ls rows / 1,000 rows: %.2f\n", (LPCWSTR)rows, Ratio(perRowLarge, perRowSmall));
    wprintf(L"delete %ls rows from the top: grid %.0f ms, list view %.0f ms, ratio grid / list view %.2f\n",
            (LPCWSTR)rows, grid.remove * 1e3, list.remove * 1e3, Ratio(grid.remove, list.remove));
    wprintf(L"scroll %ls lines down: grid %.0f ms, list view %.0f ms, ratio grid / list view %.2f\n",
            (LPCWSTR)Thousands(kScrollLines), grid.scroll * 1e3, list.scroll * 1e3, Ratio(grid.scroll, list.scroll));
    wprintf(L"memory per cell: %.0f bytes (%.0f with a 19-character text)\n", bytesPerCell,
            bytesPerCell + bytesMoreWithText);

    FillShown();
    return 0;
}
