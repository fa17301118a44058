// Cell attributes without a window: fallback to the default cell of the cell's kind, the sentinels,
// the default cell's fixed behaviour and measured size, owned and shared fonts, copying and reset.
#include "grid/GridCtrl.h"
#include <gtest/gtest.h>

namespace {
LOGFONT Font(LONG height, const wchar_t* face)
{
    LOGFONT lf = {};
    lf.lfHeight = height;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

// The measured size of a default cell for a font: margin " ", width and 1.5 x height of " XXXXXXXXXXXX ".
void Measure(const LOGFONT& lf, int& margin, CSize& size)
{
    HDC dc = ::GetDC(nullptr);
    HFONT f = ::CreateFontIndirectW(&lf);
    HGDIOBJ old = ::SelectObject(dc, f);
    SIZE s;
    ::GetTextExtentPoint32W(dc, L" ", 1, &s);
    margin = s.cx;
    ::GetTextExtentPoint32W(dc, L" XXXXXXXXXXXX ", 14, &s);
    size = CSize(s.cx, s.cy * 3 / 2);
    ::SelectObject(dc, old);
    ::DeleteObject(f);
    ::ReleaseDC(nullptr, dc);
}
}

TEST(GridCellTest, UnsetAttributesResolveThroughTheDefaultCellOfTheKind)
{
    CGridCtrl g(2, 2, 1, 1);
    g.m_cellDefault.SetMargin(7);
    g.m_cellFixedRowColDef.SetMargin(11);
    CGridCell cell;
    cell.SetGrid(&g);
    // A fresh cell: the plain default's format and margin; colours stay unset as stored.
    EXPECT_EQ(cell.GetFormat(), 0x8824u);
    EXPECT_EQ(cell.GetMargin(), 7u);
    EXPECT_EQ(cell.GetTextColor(), (COLORREF)CLR_DEFAULT);
    EXPECT_EQ(cell.GetBackColor(), (COLORREF)CLR_DEFAULT);
    EXPECT_EQ(cell.GetFont(), g.m_cellDefault.GetFont());
    EXPECT_EQ(cell.GetFontObject(), g.m_cellDefault.GetFontObject());
    EXPECT_STREQ(cell.GetText(), L"");
    EXPECT_EQ(cell.GetImage(), -1);

    // Fixed in both directions: the corner default cell.
    cell.SetState(GCS_FIXED | GCS_FIXEDROW | GCS_FIXEDCOL);
    EXPECT_EQ(cell.GetDefaultCell(), &g.m_cellFixedRowColDef);
    EXPECT_EQ(cell.GetMargin(), 11u);

    // Only the exact sentinel means unset: 0 is the cell's own.
    cell.SetFormat(0);
    cell.SetMargin(0);
    EXPECT_EQ(cell.GetFormat(), 0u);
    EXPECT_EQ(cell.GetMargin(), 0u);
    cell.SetFormat(0xFFFFFFFF);
    EXPECT_EQ(cell.GetFormat(), g.m_cellFixedRowColDef.GetFormat());

    // Without a grid there is nothing to fall back to.
    CGridCell alone;
    EXPECT_EQ(alone.GetDefaultCell(), nullptr);
    EXPECT_EQ(alone.GetFormat(), 0u);
    EXPECT_EQ(alone.GetMargin(), 0u);
    EXPECT_EQ(alone.GetFont(), nullptr);
    EXPECT_EQ(alone.GetFontObject(), nullptr);
}

TEST(GridCellTest, DefaultCellKeepsItsStateAndDataAndMeasuresItsFont)
{
    CGridCtrl g;
    CGridDefaultCell& d = g.m_cellDefault;
    EXPECT_TRUE(d.GetState() & GCS_READONLY);
    d.SetState(GCS_SELECTED);
    EXPECT_EQ(d.GetState(), (DWORD)GCS_READONLY);
    d.SetData(99);
    EXPECT_EQ(d.GetData(), 0);
    // The sentinels do not unset a default cell's concrete values.
    d.SetFormat(0xFFFFFFFF);
    d.SetMargin(0xFFFFFFFF);
    EXPECT_EQ(d.GetFormat(), 0x8824u);
    EXPECT_NE(d.GetMargin(), 0xFFFFFFFFu);

    LOGFONT big = Font(-24, L"Tahoma");
    d.SetFont(&big);
    int margin;
    CSize size;
    Measure(big, margin, size);
    EXPECT_EQ((int)d.GetMargin(), margin);
    EXPECT_EQ(d.GetWidth(), size.cx);
    EXPECT_EQ(d.GetHeight(), size.cy);
    EXPECT_EQ(d.GetFont()->lfHeight, -24);
    LOGFONT got = {};
    ASSERT_TRUE(::GetObjectW((HFONT)d.GetFontObject()->GetSafeHandle(), sizeof got, &got));
    EXPECT_EQ(got.lfHeight, -24);
    // A null font changes nothing on a default cell.
    d.SetFont(nullptr);
    EXPECT_EQ(d.GetFont()->lfHeight, -24);
    EXPECT_FALSE(d.IsDefaultFont());
    // New rows take their height from the plain default cell.
    g.SetColumnCount(1);
    g.SetRowCount(1);
    EXPECT_EQ(g.GetRowHeight(0), size.cy);
}

TEST(GridCellTest, FixedDefaultCellsWithUnsetFormatOrMarginTakeThePlainDefaultCells)
{
    CGridCtrl g(3, 3, 1, 1);
    const DWORD plainFormat = DT_RIGHT | DT_SINGLELINE | DT_VCENTER;
    g.m_cellDefault.SetFormat(plainFormat);
    g.m_cellDefault.SetMargin(9);
    CGridDefaultCell* fixed[] = {&g.m_cellFixedRowDef, &g.m_cellFixedColDef, &g.m_cellFixedRowColDef};
    for (CGridDefaultCell* d : fixed) {
        d->SetFormat(0xFFFFFFFF);
        d->SetMargin(0xFFFFFFFF);
        EXPECT_EQ(d->GetFormat(), plainFormat);
        EXPECT_EQ(d->GetMargin(), 9u);
    }
    // Cells in fixed rows and columns, the corner included, see the same.
    const DWORD states[] = {GCS_FIXED | GCS_FIXEDROW, GCS_FIXED | GCS_FIXEDCOL, GCS_FIXED | GCS_FIXEDROW | GCS_FIXEDCOL};
    for (DWORD state : states) {
        CGridCell cell;
        cell.SetGrid(&g);
        cell.SetState(state);
        EXPECT_EQ(cell.GetFormat(), plainFormat) << state;
        EXPECT_EQ(cell.GetMargin(), 9u) << state;
    }
    for (int c = 0; c < 3; ++c) EXPECT_EQ(g.GetCell(0, c)->GetMargin(), 9u) << c;
    // A value of their own still wins over the plain default cell's.
    g.m_cellFixedRowDef.SetMargin(2);
    EXPECT_EQ(g.GetCell(0, 1)->GetMargin(), 2u);
    EXPECT_EQ(g.GetCell(1, 0)->GetMargin(), 9u);
}

TEST(GridCellTest, OwnFontsAreCopiedAndShareOneFontObject)
{
    CGridCtrl g(1, 2);
    CGridCellBase* a = g.GetCell(0, 0);
    CGridCellBase* b = g.GetCell(0, 1);
    LOGFONT la = Font(-30, L"Arial"), lb = Font(-12, L"Courier New");
    a->SetFont(&la);
    la.lfHeight = -5;   // the cell keeps its own copy
    EXPECT_EQ(a->GetFont()->lfHeight, -30);
    EXPECT_FALSE(a->IsDefaultFont());
    b->SetFont(&lb);

    CFont* fa = a->GetFontObject();
    LOGFONT got = {};
    ::GetObjectW((HFONT)fa->GetSafeHandle(), sizeof got, &got);
    EXPECT_EQ(got.lfHeight, -30);
    CFont* fb = b->GetFontObject();
    EXPECT_EQ(fa, fb);   // one object, remade for each asking cell
    ::GetObjectW((HFONT)fb->GetSafeHandle(), sizeof got, &got);
    EXPECT_EQ(got.lfHeight, -12);
    EXPECT_NE(fa, g.m_cellDefault.GetFontObject());

    a->SetFont(nullptr);
    EXPECT_TRUE(a->IsDefaultFont());
    EXPECT_EQ(a->GetFont(), g.m_cellDefault.GetFont());
    EXPECT_EQ(a->GetFontObject(), g.m_cellDefault.GetFontObject());
}

TEST(GridCellTest, CopyFromResolvesFormatAndMarginButKeepsColoursAndFontAsStored)
{
    CGridCtrl g(2, 2);
    CGridCell src;
    src.SetGrid(&g);
    src.SetText(L"copied");
    src.SetImage(4);
    src.SetData(1234);
    src.SetState(GCS_READONLY | GCS_MODIFIED);
    src.SetBackColor(RGB(1, 2, 3));

    CGridCell dst;
    dst.SetTextColor(RGB(9, 9, 9));
    dst.CopyFrom(src);
    EXPECT_EQ(dst.GetGrid(), &g);
    EXPECT_STREQ(dst.GetText(), L"copied");
    EXPECT_EQ(dst.GetImage(), 4);
    EXPECT_EQ(dst.GetData(), 1234);
    EXPECT_EQ(dst.GetState(), (DWORD)(GCS_READONLY | GCS_MODIFIED));
    EXPECT_EQ(dst.GetBackColor(), RGB(1, 2, 3));
    EXPECT_EQ(dst.GetTextColor(), (COLORREF)CLR_DEFAULT);   // unset is copied as unset
    EXPECT_TRUE(dst.IsDefaultFont());

    // The default's format and margin became the copy's own: changing the default moves only the source.
    UINT margin = src.GetMargin();
    g.m_cellDefault.SetFormat(DT_RIGHT);
    g.m_cellDefault.SetMargin(margin + 5);
    EXPECT_EQ(src.GetFormat(), (DWORD)DT_RIGHT);
    EXPECT_EQ(dst.GetFormat(), 0x8824u);
    EXPECT_EQ(dst.GetMargin(), margin);

    // An own font is copied; a copy onto itself changes nothing.
    LOGFONT lf = Font(-20, L"Arial");
    src.SetFont(&lf);
    dst.CopyFrom(src);
    ASSERT_FALSE(dst.IsDefaultFont());
    EXPECT_EQ(dst.GetFont()->lfHeight, -20);
    EXPECT_NE(dst.GetFont(), src.GetFont());
    dst.CopyFrom(dst);
    EXPECT_STREQ(dst.GetText(), L"copied");
    EXPECT_EQ(dst.GetFont()->lfHeight, -20);
}

TEST(GridCellTest, ResetRestoresConstructionValuesAndForgetsTheGrid)
{
    CGridCtrl g(1, 1);
    CGridCellBase* c = g.GetCell(0, 0);
    LOGFONT lf = Font(-20, L"Arial");
    c->SetText(L"x");
    c->SetImage(2);
    c->SetData(5);
    c->SetState(GCS_SELECTED);
    c->SetFormat(DT_CENTER);
    c->SetMargin(9);
    c->SetTextColor(RGB(1, 1, 1));
    c->SetFont(&lf);
    c->Reset();
    EXPECT_STREQ(c->GetText(), L"");
    EXPECT_EQ(c->GetImage(), -1);
    EXPECT_EQ(c->GetData(), 0);
    EXPECT_EQ(c->GetState(), 0u);
    EXPECT_EQ(c->GetTextColor(), (COLORREF)CLR_DEFAULT);
    EXPECT_TRUE(c->IsDefaultFont());
    EXPECT_EQ(c->GetGrid(), nullptr);
    EXPECT_EQ(c->GetFormat(), 0u);   // unset again, and no grid to resolve it
    EXPECT_EQ(c->GetMargin(), 0u);
    EXPECT_FALSE(c->IsEditing());
    EXPECT_EQ(c->GetEditWnd(), nullptr);
    c->SetGrid(&g);
    EXPECT_EQ(c->GetFormat(), 0x8824u);
    // The selection map still knew nothing of the cell's own state change.
    EXPECT_EQ(g.GetSelectedCount(), 0);
}
