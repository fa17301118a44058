// Painting in a real window, checked by reading the pixels back.
#include "grid/GridCtrl.h"
#include "grid/cells/GridCell.h"
#include "grid/MemDC.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <utility>
#include <vector>

namespace {
const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kGridBk = RGB(0, 128, 0);
const COLORREF kRed = RGB(255, 0, 0);

class PaintGrid : public CGridCtrl {
public:
    PaintGrid() : CGridCtrl(0, 0, 0, 0) {}
    using CGridCtrl::OnDraw;
};

// A solid-colour 16x16 icon.
HICON SolidIcon(COLORREF colour)
{
    HDC screen = ::GetDC(nullptr);
    HBITMAP color = ::CreateCompatibleBitmap(screen, 16, 16);
    HBITMAP mask = ::CreateBitmap(16, 16, 1, 1, nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, color);
    RECT r = {0, 0, 16, 16};
    HBRUSH b = ::CreateSolidBrush(colour);
    ::FillRect(dc, &r, b);
    ::DeleteObject(b);
    ::SelectObject(dc, mask);
    ::PatBlt(dc, 0, 0, 16, 16, BLACKNESS);   // all opaque
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    ICONINFO ii = {TRUE, 0, 0, mask, color};
    HICON h = ::CreateIconIndirect(&ii);
    ::DeleteObject(color);
    ::DeleteObject(mask);
    return h;
}

// A grid window of 400x200 with a fixed row and column, three more rows and two more columns.
struct Fixture {
    HWND host = nullptr;
    PaintGrid grid;
    CImageList images;
    Fixture()
    {
        host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 10, 10, 420, 220, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
        HWND h = ::CreateWindowExW(0, L"MFCGridCtrl", L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 200, host, (HMENU)100,
                                   ::GetModuleHandleW(nullptr), nullptr);
        grid.SubclassWindow(h);
        grid.SetColumnCount(3);
        grid.SetRowCount(4);
        grid.SetFixedRowCount(1);
        grid.SetFixedColumnCount(1);
        for (int r = 0; r < 4; ++r) grid.SetRowHeight(r, 24);
        grid.SetColumnWidth(0, 60);
        grid.SetColumnWidth(1, 100);
        grid.SetColumnWidth(2, 30);
        grid.SetGridBkColor(kGridBk);
        images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1);
        HICON icon = SolidIcon(kRed);
        images.Add(icon);
        ::DestroyIcon(icon);
        grid.SetImageList(&images);
    }
    ~Fixture()
    {
        grid.DestroyWindow();
        ::DestroyWindow(host);
    }
};

// The client area painted by OnDraw into a bitmap that starts out magenta.
struct Canvas {
    CDC dc;
    CBitmap bmp;
    CBitmap* pOld = nullptr;
    explicit Canvas(int cx = 400, int cy = 200)
    {
        HDC screen = ::GetDC(nullptr);
        dc.Attach(::CreateCompatibleDC(screen));
        bmp.Attach(::CreateCompatibleBitmap(screen, cx, cy));
        ::ReleaseDC(nullptr, screen);
        pOld = dc.SelectObject(&bmp);
        CRect all(0, 0, cx, cy);
        dc.FillSolidRect(&all, kMagenta);
    }
    ~Canvas() { dc.SelectObject(pOld); }
    COLORREF At(int x, int y) { return dc.GetPixel(x, y); }
    int CountOther(const CRect& r, COLORREF c)
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (dc.GetPixel(x, y) != c) ++n;
        return n;
    }
};
}

TEST(GridPaintTest, BackgroundsGridLinesAndTheAreaBeyondTheLastColumn)
{
    Fixture f;
    f.grid.SetItemBackColor(1, 1, kYellow);
    Canvas c;
    f.grid.OnDraw(&c.dc);
    // Columns end at 60, 160 and 190; rows at 24, 48, 72, 96.
    EXPECT_EQ(c.At(100, 30), kYellow);
    EXPECT_EQ(c.At(159, 30), RGB(0xC0, 0xC0, 0xC0));   // vertical grid line on the last pixel column
    EXPECT_EQ(c.At(100, 47), RGB(0xC0, 0xC0, 0xC0));   // horizontal one on the last pixel row
    EXPECT_EQ(c.At(175, 60), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(c.At(300, 50), kGridBk);   // right of the last column
    EXPECT_EQ(c.At(100, 150), kGridBk);  // below the last row
    EXPECT_EQ(c.CountOther(CRect(0, 0, 400, 200), kMagenta), 400 * 200);   // every pixel painted
}

TEST(GridPaintTest, ImageAndTextAreDrawnInTheirCellsAndClippedToThem)
{
    Fixture f;
    f.grid.SetItemImage(2, 1, 0);
    f.grid.SetItemText(3, 1, L"WWWW");
    f.grid.SetItemText(1, 2, L"WWWWWWWWWWWWWWWWWWWW");   // far too wide for its 30 pixels
    Canvas c;
    f.grid.OnDraw(&c.dc);
    COLORREF window = ::GetSysColor(COLOR_WINDOW);
    int margin = (int)f.grid.GetDefaultCell(FALSE, FALSE)->GetMargin();
    // The image sits at the cell's top-left corner inside the margin.
    EXPECT_EQ(c.At(60 + margin + 8, 48 + margin + 8), kRed);
    EXPECT_EQ(c.At(60 + margin + 17, 48 + margin + 8), window);
    // Text shows where it is drawn ...
    EXPECT_GT(c.CountOther(CRect(61, 73, 159, 95), window), 10);
    // ... and nothing of the over-long text reaches past its cell.
    EXPECT_EQ(c.CountOther(CRect(190, 24, 400, 48), kGridBk), 0);
    EXPECT_EQ(c.CountOther(CRect(61, 25, 158, 46), window), 0);
}

namespace {
// A plain cell that notes each time it is drawn.
std::vector<std::pair<int, int>> g_drawn;
class CCountingCell : public CGridCell {
    DECLARE_DYNCREATE(CCountingCell)
public:
    BOOL Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd) override
    {
        g_drawn.emplace_back(nRow, nCol);
        return CGridCell::Draw(pDC, nRow, nCol, rect, bEraseBkgnd);
    }
};
IMPLEMENT_DYNCREATE(CCountingCell, CGridCell)

std::vector<std::pair<int, int>> DrawnAfterPaint(PaintGrid& grid)
{
    g_drawn.clear();
    grid.UpdateWindow();
    std::sort(g_drawn.begin(), g_drawn.end());
    return g_drawn;
}
}

TEST(GridPaintTest, APaintOfOneInvalidatedCellDrawsOnlyThatCell)
{
    Fixture f;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) f.grid.SetCellType(r, c, RUNTIME_CLASS(CCountingCell));
    f.grid.Invalidate();
    EXPECT_EQ(DrawnAfterPaint(f.grid).size(), 12u);
    typedef std::vector<std::pair<int, int>> Cells;
    // The clip box's right and bottom edges are exclusive: the neighbours to the right and below
    // stay as they are. The corner cell is always drawn.
    ASSERT_TRUE(f.grid.InvalidateCellRect(2, 1));
    EXPECT_EQ(DrawnAfterPaint(f.grid), (Cells{{0, 0}, {2, 1}}));
    ASSERT_TRUE(f.grid.InvalidateCellRect(1, 2));
    EXPECT_EQ(DrawnAfterPaint(f.grid), (Cells{{0, 0}, {1, 2}}));
    // A fixed cell in the first column, and one heading cell.
    ASSERT_TRUE(f.grid.InvalidateCellRect(3, 0));
    EXPECT_EQ(DrawnAfterPaint(f.grid), (Cells{{0, 0}, {3, 0}}));
    ASSERT_TRUE(f.grid.InvalidateCellRect(0, 1));
    EXPECT_EQ(DrawnAfterPaint(f.grid), (Cells{{0, 0}, {0, 1}}));
    // One pixel row across the middle of row 2 reaches every cell of that row, and no other row.
    CRect band(0, 55, 400, 56);
    f.grid.InvalidateRect(&band, FALSE);
    EXPECT_EQ(DrawnAfterPaint(f.grid), (Cells{{0, 0}, {2, 0}, {2, 1}, {2, 2}}));
}

TEST(GridPaintTest, ThePaintMessageGoesThroughTheOffScreenBitmapToTheWindow)
{
    Fixture f;
    f.grid.SetItemBackColor(2, 2, kYellow);
    f.grid.Invalidate();
    f.grid.UpdateWindow();
    // What the window shows: copied out of its own context.
    CDC* pDC = f.grid.GetDC();
    COLORREF cell = pDC->GetPixel(175, 60);
    COLORREF beyond = pDC->GetPixel(300, 60);
    f.grid.ReleaseDC(pDC);
    EXPECT_EQ(cell, kYellow);
    EXPECT_EQ(beyond, kGridBk);
    EXPECT_EQ(f.grid.SendMessage(WM_ERASEBKGND, 0, 0), 1);
}

TEST(GridPaintTest, RedrawCellPaintsOneCellWithItsGridLines)
{
    Fixture f;
    Canvas c;
    f.grid.SetItemBackColor(2, 1, kYellow);
    ASSERT_TRUE(f.grid.RedrawCell(2, 1, &c.dc));
    EXPECT_EQ(c.At(100, 60), kYellow);
    EXPECT_EQ(c.At(159, 60), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(c.At(100, 71), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(c.At(100, 47), kMagenta);   // nothing outside the cell
    EXPECT_EQ(c.At(161, 60), kMagenta);
    EXPECT_FALSE(f.grid.RedrawCell(9, 1, &c.dc));
    EXPECT_TRUE(f.grid.InvalidateCellRect(2, 1));
    EXPECT_FALSE(f.grid.InvalidateCellRect(2, 7));
}

TEST(GridCellDrawTest, SelectionFocusAndEraseDecideTheFill)
{
    Fixture f;
    CGridCellBase* cell = f.grid.GetCell(2, 1);
    ASSERT_TRUE(cell);
    COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    {
        Canvas c;   // no colour of its own, no erase: not filled
        ASSERT_TRUE(cell->Draw(&c.dc, 2, 1, CRect(10, 10, 49, 29), FALSE));
        EXPECT_EQ(c.CountOther(CRect(10, 10, 50, 30), kMagenta), 0);
    }
    {
        Canvas c;   // selected, not focused: highlight fill over the inclusive rectangle, no frame
        cell->SetState(cell->GetState() | GCS_SELECTED);
        ASSERT_TRUE(cell->Draw(&c.dc, 2, 1, CRect(10, 10, 49, 29), FALSE));
        EXPECT_EQ(c.CountOther(CRect(10, 10, 50, 30), highlight), 0);
        EXPECT_EQ(c.At(50, 30), kMagenta);
    }
    {
        Canvas c;   // focused and selected with grid lines: frame one pixel inside at right and bottom
        cell->SetState(cell->GetState() | GCS_FOCUSED);
        ASSERT_TRUE(cell->Draw(&c.dc, 2, 1, CRect(10, 10, 49, 29), FALSE));
        COLORREF frame = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        EXPECT_EQ(c.At(10, 20), frame);
        EXPECT_EQ(c.At(48, 20), frame);
        EXPECT_EQ(c.At(49, 20), highlight);
        EXPECT_EQ(c.At(30, 28), frame);
        EXPECT_EQ(c.At(30, 29), highlight);
    }
    EXPECT_FALSE(cell->Draw(nullptr, 2, 1, CRect(0, 0, 10, 10), TRUE));
    Canvas c;
    EXPECT_FALSE(cell->Draw(&c.dc, 2, 1, CRect(5, 5, 5, 10), TRUE));
}

TEST(GridCellDrawTest, MeasuringAddsMarginsAndTheImage)
{
    Fixture f;
    CGridCellBase* cell = f.grid.GetCell(2, 1);
    CDC* pDC = f.grid.GetDC();
    CFont* pOld = pDC->SelectObject(cell->GetFontObject());
    CSize plain = pDC->GetTextExtent(L"Hello", 5);
    pDC->SelectObject(pOld);
    int m = (int)cell->GetMargin();
    EXPECT_EQ(cell->GetTextExtent(L"Hello", pDC), CSize(plain.cx + 2 * m, plain.cy + 2 * m));
    cell->SetText(L"Hello");
    EXPECT_EQ(cell->GetCellExtent(pDC), CSize(plain.cx + 2 * m + 1, plain.cy + 2 * m + 1));
    cell->SetImage(0);
    CSize withImage = cell->GetCellExtent(pDC);
    EXPECT_EQ(withImage.cx, plain.cx + 2 * m + 16 + m + 1);
    EXPECT_EQ(withImage.cy, std::max<int>(plain.cy + 2 * m, 16 + 2 * m) + 1);
    // A fixed cell's extent is one larger each way.
    CGridCellBase* fixed = f.grid.GetCell(0, 1);
    fixed->SetText(L"Hello");
    EXPECT_EQ(fixed->GetCellExtent(pDC), CSize(plain.cx + 2 * m + 2, plain.cy + 2 * m + 2));
    // The text rectangle of a cell with an image starts past it.
    CRect r(0, 0, 100, 20);
    cell->GetTextRect(&r);
    EXPECT_EQ(r.left, 16 + 1 + m);
    // Word-wrapped text wraps at its widest line.
    cell->SetFormat(DT_WORDBREAK);
    cell->SetImage(-1);
    CSize wrapped = cell->GetTextExtent(L"ab\nabcd", pDC);
    CSize two = cell->GetTextExtent(L"ab", nullptr);   // without a context: the grid's own
    EXPECT_GT(wrapped.cy - 2 * m, two.cy - 2 * m);       // two lines
    f.grid.ReleaseDC(pDC);
}

namespace {
// What a cell printout put on a page: each text with where it starts and its colour.
struct PrintedText {
    CString text;
    CPoint at;
    COLORREF colour;
};

int CALLBACK CollectTexts(HDC, HANDLETABLE*, const ENHMETARECORD* rec, int, LPARAM lParam)
{
    auto* state = reinterpret_cast<std::pair<std::vector<PrintedText>, std::vector<COLORREF>>*>(lParam);
    std::vector<COLORREF>& colours = state->second;   // the text colour, with one entry per saved state
    switch (rec->iType) {
    case EMR_SETTEXTCOLOR:
        colours.back() = ((const EMRSETTEXTCOLOR*)rec)->crColor;
        break;
    case EMR_SAVEDC:
        colours.push_back(colours.back());
        break;
    case EMR_RESTOREDC:
        if (colours.size() > 1) colours.pop_back();
        break;
    case EMR_EXTTEXTOUTW: {
        const EMREXTTEXTOUTW* t = (const EMREXTTEXTOUTW*)rec;
        const wchar_t* s = (const wchar_t*)((const BYTE*)rec + t->emrtext.offString);
        state->first.push_back({CString(s, (int)t->emrtext.nChars), CPoint((int)t->emrtext.ptlReference.x, (int)t->emrtext.ptlReference.y), colours.back()});
        break;
    }
    }
    return 1;
}
}

TEST(GridCellDrawTest, APrintedPageHoldsEachCellsTextInItsPlaceAndColourAndTheFixedCellsFills)
{
    Fixture f;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            CString s;
            s.Format(L"R%dC%d", r, c);
            f.grid.SetItemText(r, c, s);
        }
    f.grid.SetItemTextColor(2, 1, kRed);
    f.grid.SetItemBackColor(3, 2, kYellow);
    f.grid.SetColumnWidth(2, 100);   // room for every text in full
    // A page: an enhanced metafile, printed cell by cell at the cells' places in the window.
    HDC hMeta = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hMeta, nullptr);
    CDC page;
    page.Attach(hMeta);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            CRect rect;
            ASSERT_TRUE(f.grid.GetCellRect(r, c, &rect));
            EXPECT_TRUE(f.grid.GetCell(r, c)->PrintCell(&page, r, c, rect)) << r << c;
        }
    page.Detach();
    HENHMETAFILE hPage = ::CloseEnhMetaFile(hMeta);
    ASSERT_NE(hPage, nullptr);

    std::pair<std::vector<PrintedText>, std::vector<COLORREF>> state;
    state.second.push_back(RGB(0, 0, 0));
    ::EnumEnhMetaFile(nullptr, hPage, CollectTexts, &state, nullptr);
    const std::vector<PrintedText>& texts = state.first;
    ASSERT_EQ(texts.size(), 12u);
    std::vector<CString> seen;
    for (const PrintedText& t : texts) {
        int r = t.text[1] - L'0', c = t.text[3] - L'0';
        CRect rect;
        f.grid.GetCellRect(r, c, &rect);
        EXPECT_TRUE(rect.PtInRect(t.at)) << r << c;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), t.text), 0);
        seen.push_back(t.text);
        COLORREF expected = (r == 2 && c == 1) ? kRed : f.grid.GetDefaultCell(r < 1, c < 1)->GetTextColor();
        EXPECT_EQ(t.colour, expected) << r << c;
    }

    // Played at its own size onto a white page: the fixed cells and the yellow cell are filled, the
    // others are not, and nothing lies beyond the cells.
    ENHMETAHEADER header = {};
    ::GetEnhMetaFileHeader(hPage, sizeof header, &header);
    CRect bounds(header.rclBounds.left, header.rclBounds.top, header.rclBounds.right + 1, header.rclBounds.bottom + 1);
    EXPECT_EQ(bounds.TopLeft(), CPoint(0, 0));
    EXPECT_LE(bounds.right, 261);
    EXPECT_LE(bounds.bottom, 97);
    Canvas page2;
    CRect all(0, 0, 400, 200);
    page2.dc.FillSolidRect(&all, RGB(255, 255, 255));
    ::PlayEnhMetaFile(page2.dc.m_hDC, hPage, &bounds);
    ::DeleteEnhMetaFile(hPage);
    COLORREF fixedBack = f.grid.GetDefaultCell(FALSE, TRUE)->GetBackColor();
    ASSERT_NE(fixedBack, (COLORREF)CLR_DEFAULT);
    EXPECT_EQ(page2.At(150, 50), RGB(255, 255, 255));   // (2, 1): no background of its own
    EXPECT_EQ(page2.At(185, 73), kYellow);              // (3, 2)
    EXPECT_EQ(page2.At(55, 50), fixedBack);             // (2, 0), a fixed cell
    EXPECT_EQ(page2.CountOther(CRect(262, 0, 400, 200), RGB(255, 255, 255)), 0);
    EXPECT_EQ(page2.CountOther(CRect(0, 98, 262, 200), RGB(255, 255, 255)), 0);
}
