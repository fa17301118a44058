#include "grid/MemDC.h"

CMemDC::CMemDC(CDC* pDC) : m_pOldBitmap(nullptr), m_pDC(pDC), m_bMemDC(FALSE)
{
    if (!pDC) return;
    m_bMemDC = !pDC->IsPrinting();
    if (m_bMemDC) {
        pDC->GetClipBox(&m_rect);
        // Without a compatible context or bitmap there is nothing to double-buffer into: draw
        // straight into the target then, as for a printer, rather than into a context that shows
        // nothing.
        if (CreateCompatibleDC(pDC) &&
            m_bitmap.CreateCompatibleBitmap(pDC, m_rect.Width(), m_rect.Height())) {
            m_pOldBitmap = SelectObject(&m_bitmap);
            SetWindowOrg(m_rect.left, m_rect.top);
            FillSolidRect(&m_rect, pDC->GetBkColor());
            return;
        }
        DeleteDC();
        m_bMemDC = FALSE;
    }
    m_bPrinting = pDC->IsPrinting();
    m_hDC = pDC->m_hDC;
    m_hAttribDC = pDC->m_hAttribDC;
}

CMemDC::~CMemDC()
{
    if (m_bMemDC) {
        m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top,
                      SRCCOPY);
        if (m_pOldBitmap) SelectObject(m_pOldBitmap);
    } else {
        // The target's handles are borrowed: the base class must neither delete nor release them.
        m_hDC = m_hAttribDC = nullptr;
    }
    m_bitmap.DeleteObject();
}
