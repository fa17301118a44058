#include "grid/MemDC.h"
#include <gtest/gtest.h>

namespace {
struct TestDC : CDC {
    void MarkPrinting() { m_bPrinting = TRUE; }
};

// A 100x80 24-bit target that the tests can read back.
struct Target {
    TestDC dc;
    CBitmap bmp;
    CBitmap* pOld = nullptr;
    Target()
    {
        HDC screen = ::GetDC(nullptr);
        dc.Attach(::CreateCompatibleDC(screen));
        bmp.Attach(::CreateCompatibleBitmap(screen, 100, 80));
        ::ReleaseDC(nullptr, screen);
        pOld = dc.SelectObject(&bmp);
        CRect all(0, 0, 100, 80);
        dc.FillSolidRect(&all, RGB(1, 2, 3));
    }
    ~Target() { dc.SelectObject(pOld); }
};
}

TEST(MemDCTest, DrawingAtLogicalPointsOfAnOffsetClipBoxLandsThereOnTheTarget)
{
    Target t;
    HRGN clip = ::CreateRectRgn(20, 30, 60, 70);
    t.dc.SelectClipRgn(clip);
    ::DeleteObject(clip);
    t.dc.SetBkColor(RGB(0, 0, 255));
    {
        CMemDC mem(&t.dc);
        EXPECT_TRUE(mem.IsOffScreen());
        EXPECT_EQ(mem.GetRect(), CRect(20, 30, 60, 70));
        CRect r(25, 35, 30, 40);
        mem.FillSolidRect(&r, RGB(255, 0, 0));
        // Nothing reaches the target before the memory context goes.
        EXPECT_EQ(t.dc.GetPixel(26, 36), RGB(1, 2, 3));
    }
    t.dc.SelectClipRgn(nullptr);
    EXPECT_EQ(t.dc.GetPixel(25, 35), RGB(255, 0, 0));
    EXPECT_EQ(t.dc.GetPixel(29, 39), RGB(255, 0, 0));
    EXPECT_EQ(t.dc.GetPixel(30, 40), RGB(0, 0, 255));   // untouched: the target's background colour
    EXPECT_EQ(t.dc.GetPixel(20, 30), RGB(0, 0, 255));
    EXPECT_EQ(t.dc.GetPixel(59, 69), RGB(0, 0, 255));
    EXPECT_EQ(t.dc.GetPixel(19, 30), RGB(1, 2, 3));     // outside the clip box: left alone
    EXPECT_EQ(t.dc.GetPixel(60, 69), RGB(1, 2, 3));
}

TEST(MemDCTest, APrinterTargetIsDrawnDirectlyAndNeitherDeletedNorReleased)
{
    Target t;
    t.dc.MarkPrinting();
    HDC h = t.dc.m_hDC;
    {
        CMemDC mem(&t.dc);
        EXPECT_FALSE(mem.IsOffScreen());
        EXPECT_EQ(mem.m_hDC, h);
        EXPECT_TRUE(mem.IsPrinting());
        CRect r(0, 0, 4, 4);
        mem.FillSolidRect(&r, RGB(0, 255, 0));
        EXPECT_EQ(t.dc.GetPixel(1, 1), RGB(0, 255, 0));   // straight onto the target
    }
    // The target context still works after the stand-in has gone.
    EXPECT_EQ(::GetObjectType(h), (DWORD)OBJ_MEMDC);
    EXPECT_EQ(t.dc.GetPixel(1, 1), RGB(0, 255, 0));
    EXPECT_EQ(t.dc.GetPixel(5, 5), RGB(1, 2, 3));
}
