// Times the grid's model operations on a large grid and counts the heap bytes the cells take:
// growing to 100,000 rows of 10 columns, appending rows, selecting a large range and clearing it,
// and deleting everything. A second part selects the same small range in a small and in a large
// grid: selecting, testing and clearing must cost what the selection holds, not what the grid holds.
#include "grid/GridCtrl.h"
#include "tools/BenchClock.h"
#include <cstdio>
#include <cstdlib>
#include <new>

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

int wmain(int argc, wchar_t** argv)
{
    // A larger selection can be asked for on the command line (rows of 9 selectable columns).
    int nLargeSelRows = argc > 1 ? _wtoi(argv[1]) : 50000;
    if (nLargeSelRows < 1 || nLargeSelRows > 65534) nLargeSelRows = 50000;

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
        wprintf(L"  %-46ls %10.1f bytes per cell (%lld bytes for %lld cells; empty grid %lld bytes)\n",
                L"heap", (double)(g_liveBytes - empty) / (double)cells, g_liveBytes - empty, cells, empty - before);

        long long filled = g_liveBytes;
        for (int r = 1; r <= 1000; ++r) grid.SetItemText(r, 1, L"Some text of a cell");
        wprintf(L"  %-46ls %10.1f bytes more per cell given a 19-character text\n", L"heap",
                (double)(g_liveBytes - filled) / 1000.0);

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

    wprintf(L"\nwith a window (scroll bars are recomputed from the row heights on every append)\n");
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
    return 0;
}
