// Cell attributes: the abstract base's state and fallback, the ordinary cell and the default cell.
#include "grid/cells/GridCell.h"
#include "grid/InPlaceEdit.h"
#include "grid/GridCtrl.h"
#include <new>

IMPLEMENT_DYNAMIC(CGridCellBase, CObject)
IMPLEMENT_DYNCREATE(CGridCell, CGridCellBase)
IMPLEMENT_DYNCREATE(CGridDefaultCell, CGridCell)

static const DWORD kUnset = 0xFFFFFFFF;

CGridCellBase::CGridCellBase() : m_nState(0) {}

CGridCellBase::~CGridCellBase() {}

CGridCellBase* CGridCellBase::GetDefaultCell() const
{
    CGridCtrl* pGrid = GetGrid();
    if (!pGrid) return nullptr;
    return pGrid->GetDefaultCell(IsFixedRow(), IsFixedCol());
}

void CGridCellBase::CopyFrom(const CGridCellBase& cell)
{
    if (&cell == this) return;
    SetGrid(cell.GetGrid());
    SetText(cell.GetText());
    SetImage(cell.GetImage());
    SetData(cell.GetData());
    SetState(cell.GetState());
    SetFormat(cell.GetFormat());
    SetTextColor(cell.GetTextColor());
    SetBackColor(cell.GetBackColor());
    SetFont(cell.IsDefaultFont() ? nullptr : cell.GetFont());
    SetMargin(cell.GetMargin());
}

void CGridCellBase::Reset() { m_nState = 0; }

BOOL CGridCellBase::OnSetCursor()
{
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

// ---------------------------------------------------------------------------------------------

CGridCell::CGridCell() : m_plfFont(nullptr)
{
    CGridCell::Reset();
}

CGridCell::~CGridCell()
{
    delete m_plfFont;
}

void CGridCell::Reset()
{
    CGridCellBase::Reset();
    m_strText.Empty();
    m_lParam = 0;
    m_nImage = -1;
    m_nFormat = kUnset;
    m_crText = CLR_DEFAULT;
    m_crBack = CLR_DEFAULT;
    delete m_plfFont;
    m_plfFont = nullptr;
    m_nMargin = kUnset;
    m_bEditing = FALSE;
    m_pGrid = nullptr;
    m_pEditWnd = nullptr;
}

void CGridCell::SetText(LPCTSTR szText)
{
    m_strText = szText ? szText : L"";
}

LPCTSTR CGridCell::GetText() const
{
    return m_strText.IsEmpty() ? L"" : m_strText.GetString();
}

void CGridCell::SetFont(const LOGFONT* plf)
{
    if (!plf) {
        delete m_plfFont;
        m_plfFont = nullptr;
        return;
    }
    if (!m_plfFont) m_plfFont = new LOGFONT;
    *m_plfFont = *plf;
}

DWORD CGridCell::GetFormat() const
{
    if (m_nFormat != kUnset) return m_nFormat;
    CGridCellBase* pDefault = GetDefaultCell();
    return (pDefault && pDefault != this) ? pDefault->GetFormat() : 0;
}

UINT CGridCell::GetMargin() const
{
    if (m_nMargin != kUnset) return m_nMargin;
    CGridCellBase* pDefault = GetDefaultCell();
    return (pDefault && pDefault != this) ? pDefault->GetMargin() : 0;
}

const LOGFONT* CGridCell::GetFont() const
{
    if (m_plfFont) return m_plfFont;
    CGridCellBase* pDefault = GetDefaultCell();
    return (pDefault && pDefault != this) ? pDefault->GetFont() : nullptr;
}

// One GDI font for every cell that has a font of its own; each request remakes it for the asking cell.
static CFont& SharedCellFont()
{
    static CFont font;
    return font;
}

CFont* CGridCell::GetFontObject() const
{
    if (!m_plfFont) {
        CGridCellBase* pDefault = GetDefaultCell();
        return (pDefault && pDefault != this) ? pDefault->GetFontObject() : nullptr;
    }
    CFont& font = SharedCellFont();
    font.DeleteObject();
    font.CreateFontIndirect(m_plfFont);
    return &font;
}

BOOL CGridCell::Edit(int nRow, int nCol, CRect rect, CPoint, UINT nID, UINT nChar)
{
    if (m_bEditing) {
        if (m_pEditWnd) m_pEditWnd->SendMessage(WM_CHAR, nChar, 0);
        return TRUE;
    }
    DWORD dwFormat = GetFormat();
    DWORD dwStyle = ES_LEFT;
    if (dwFormat & DT_RIGHT) dwStyle = ES_RIGHT;
    else if (dwFormat & DT_CENTER) dwStyle = ES_CENTER;

    m_bEditing = TRUE;
    CInPlaceEdit* pEdit = nullptr;
    try {
        pEdit = new CInPlaceEdit((CWnd*)m_pGrid, rect, dwStyle, nID, nRow, nCol, GetText(), nChar);
    } catch (std::bad_alloc&) {
        pEdit = nullptr;
    }
    if (!pEdit || !pEdit->GetSafeHwnd()) {
        // No editor or no window: nothing would ever end this edit, so the cell must not stay in
        // editing state, or no later edit could start.
        if (pEdit) pEdit->Discard();
        m_bEditing = FALSE;
        m_pEditWnd = nullptr;
        return FALSE;
    }
    m_pEditWnd = pEdit;
    return TRUE;
}

void CGridCell::EndEdit()
{
    if (m_pEditWnd) ((CInPlaceEdit*)m_pEditWnd)->EndEdit();
}

void CGridCell::OnEndEdit()
{
    m_bEditing = FALSE;
    m_pEditWnd = nullptr;
}

// ---------------------------------------------------------------------------------------------

CGridDefaultCell::CGridDefaultCell()
{
    m_nFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    m_crText = CLR_DEFAULT;
    m_crBack = CLR_DEFAULT;
    m_Size = CSize(30, 10);
    m_nMargin = 3;   // until the font below gives a measured one

    NONCLIENTMETRICSW ncm = {};
    ncm.cbSize = 500;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &ncm, 0)) SetFont(&ncm.lfMessageFont);
}

CGridDefaultCell::~CGridDefaultCell() {}

void CGridDefaultCell::SetFont(const LOGFONT* plf)
{
    if (!plf) return;
    m_Font.DeleteObject();
    m_Font.CreateFontIndirect(plf);
    CGridCell::SetFont(plf);

    HDC hDC = ::GetDC(nullptr);
    if (hDC) {
        HGDIOBJ hOld = ::SelectObject(hDC, m_Font.GetSafeHandle());
        SIZE size = {0, 0};
        ::GetTextExtentPoint32W(hDC, L" ", 1, &size);
        m_nMargin = size.cx;
        ::GetTextExtentPoint32W(hDC, L" XXXXXXXXXXXX ", 14, &size);
        m_Size = CSize(size.cx, size.cy * 3 / 2);
        ::SelectObject(hDC, hOld);
        ::ReleaseDC(nullptr, hDC);
    } else {
        m_nMargin = 3;
        m_Size = CSize(40, 16);
    }
}

CFont* CGridDefaultCell::GetFontObject() const
{
    return const_cast<CFont*>(&m_Font);
}

// A fixed default cell may leave format and margin unset and take the plain default cell's; the
// plain default cell is where that lookup ends, so it keeps concrete values.
BOOL CGridDefaultCell::MayBeUnset() const
{
    CGridCellBase* pDefault = GetDefaultCell();
    return pDefault && pDefault != this;
}

void CGridDefaultCell::SetFormat(DWORD nFormat)
{
    if (nFormat != kUnset || MayBeUnset()) m_nFormat = nFormat;
}

void CGridDefaultCell::SetMargin(UINT nMargin)
{
    if (nMargin != kUnset || MayBeUnset()) m_nMargin = nMargin;
}
