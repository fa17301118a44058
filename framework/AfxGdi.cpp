#include "framework/AfxGdi.h"
#include "framework/AfxApp.h"
#include <map>
#include <memory>

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CImageList, CObject)

namespace {
// A temporary wrapper never owns its handle: detach it before it goes.
struct TempGdi : CGdiObject {
    ~TempGdi() override { Detach(); }
};
struct TempDC : CDC {
    ~TempDC() override { Detach(); }
};
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ h)
{
    if (!h) return nullptr;
    static thread_local std::map<HGDIOBJ, std::unique_ptr<TempGdi>> temporary;
    auto& p = temporary[h];
    if (!p) {
        p.reset(new TempGdi);
        p->m_hObject = h;
    }
    return p.get();
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    return Attach(::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource)));
}

CSize CBitmap::GetBitmapDimension() const
{
    BITMAP bm = {};
    GetObject(sizeof bm, &bm);
    return CSize(bm.bmWidth, bm.bmHeight);
}

CDC::~CDC()
{
    if (m_hDC && !m_bTemporary) ::DeleteDC(Detach());
}

CDC* CDC::FromHandle(HDC hDC)
{
    if (!hDC) return nullptr;
    static thread_local std::map<HDC, std::unique_ptr<TempDC>> temporary;
    auto& p = temporary[hDC];
    if (!p) {
        p.reset(new TempDC);
        p->m_hDC = p->m_hAttribDC = hDC;
        p->m_bTemporary = TRUE;
    }
    return p.get();
}

CGdiObject* CDC::SelectGdiObject(CGdiObject* p)
{
    if (!p || !p->m_hObject) return nullptr;
    return CGdiObject::FromHandle(::SelectObject(m_hDC, p->m_hObject));
}

void CDC::FillSolidRect(LPCRECT r, COLORREF c)
{
    COLORREF old = ::SetBkColor(m_hDC, c);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF c)
{
    RECT r = {x, y, x + cx, y + cy};
    FillSolidRect(&r, c);
}

void CDC::Draw3dRect(LPCRECT r, COLORREF tl, COLORREF br)
{
    int x = r->left, y = r->top, cx = r->right - r->left, cy = r->bottom - r->top;
    FillSolidRect(x, y, cx - 1, 1, tl);
    FillSolidRect(x, y, 1, cy - 1, tl);
    FillSolidRect(x + cx, y, -1, cy, br);
    FillSolidRect(x, y + cy, cx, -1, br);
}

CSize CDC::GetTextExtent(LPCWSTR text, int n) const
{
    SIZE s = {0, 0};
    ::GetTextExtentPoint32W(m_hAttribDC ? m_hAttribDC : m_hDC, text, n, &s);
    return s;
}

int CDC::StartDoc(LPCWSTR name)
{
    DOCINFOW di = {sizeof di, name, nullptr, nullptr, 0};
    m_bPrinting = TRUE;
    return ::StartDocW(m_hDC, &di);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd)
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    return m_hImageList != nullptr;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList) return FALSE;
    BOOL r = ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return r;
}
