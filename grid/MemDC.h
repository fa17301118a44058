// A device context that stands in for another one for the length of a paint: drawing goes to an
// off-screen bitmap the size of the target's clipping box, and the finished picture reaches the
// target in one block transfer when the object goes, so nothing is ever seen half-drawn.
// For a printer context there is no bitmap: drawing goes straight to the printer.
#pragma once
#include "framework/AfxGdi.h"

class CMemDC : public CDC {
public:
    explicit CMemDC(CDC* pDC);
    ~CMemDC() override;

    CMemDC* operator->() { return this; }
    operator CMemDC*() { return this; }

    // The area the bitmap covers, in the target's logical coordinates.
    const CRect& GetRect() const { return m_rect; }
    BOOL IsOffScreen() const { return m_bMemDC; }

private:
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap;
    CDC* m_pDC;
    CRect m_rect;
    BOOL m_bMemDC;
};
