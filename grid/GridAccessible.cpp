#include "grid/GridAccessible.h"
#include "grid/GridCtrl.h"
#include "framework/AfxSystemLibrary.h"
#include <oleacc.h>
#include <algorithm>
#include <climits>
#include <vector>

// The import library's IID_IAccessible cannot be used as data with this tool chain.
static const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// ---------------------------------------------------------------------------------------------
// The accessibility library, loaded on first use from the system folder: it is not one of the
// libraries Windows always takes from there, so its bare name could load a planted copy.

namespace {
typedef LRESULT(WINAPI* LresultFromObjectFn)(REFIID, WPARAM, LPUNKNOWN);
typedef HRESULT(WINAPI* CreateStdAccessibleObjectFn)(HWND, LONG, REFIID, void**);
typedef void(WINAPI* NotifyWinEventFn)(DWORD, HWND, LONG, LONG);

struct Oleacc {
    bool tried = false;
    LresultFromObjectFn lresultFromObject = nullptr;
    CreateStdAccessibleObjectFn createStdAccessibleObject = nullptr;
};
Oleacc g_oleacc;
std::wstring g_libraryPath;   // empty: the system folder's

const Oleacc& Library()
{
    if (g_oleacc.tried) return g_oleacc;
    g_oleacc.tried = true;
    // Kept for the rest of the run: objects handed out may be in use until the process ends.
    HMODULE h = g_libraryPath.empty() ? AfxLoadSystemLibrary(L"oleacc.dll")
                                      : ::LoadLibraryExW(g_libraryPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!h) return g_oleacc;
    g_oleacc.lresultFromObject = (LresultFromObjectFn)(void*)::GetProcAddress(h, "LresultFromObject");
    g_oleacc.createStdAccessibleObject =
        (CreateStdAccessibleObjectFn)(void*)::GetProcAddress(h, "CreateStdAccessibleObject");
    return g_oleacc;
}
}

void SetAccessibilityLibraryPath(LPCWSTR path)
{
    g_libraryPath = path ? path : L"";
    g_oleacc = Oleacc();
}

void GridNotifyWinEvent(DWORD event, HWND hWnd, LONG idObject, LONG idChild)
{
    static NotifyWinEventFn notify = (NotifyWinEventFn)(void*)::GetProcAddress(::GetModuleHandleW(L"user32.dll"),
                                                                               "NotifyWinEvent");
    if (notify && hWnd) notify(event, hWnd, idObject, idChild);
}

// Negative, so that they never meet the rows' ids; packed independently of the counts, so that an
// event still names its cell when the reader resolves it after columns came or went.
LONG GridAccessibleCellId(int nRow, int nCol)
{
    if (nRow < 0 || nRow > 0x7FFF || nCol < 0 || nCol > 0xFFFE) return CHILDID_SELF;
    return -(LONG)(((DWORD)nRow << 16) + (DWORD)nCol + 1);
}

// ---------------------------------------------------------------------------------------------
// The objects

namespace {
// What all objects of one grid share: the grid while it lives, and its table object.
struct Link {
    LONG refs = 1;
    CGridCtrl* pGrid = nullptr;
    void AddRef() { ::InterlockedIncrement(&refs); }
    void Release() { if (::InterlockedDecrement(&refs) == 0) delete this; }
};

HRESULT Empty(VARIANT* pv)
{
    ::VariantInit(pv);
    return S_FALSE;
}

HRESULT Self(VARIANT* pv)
{
    pv->vt = VT_I4;
    pv->lVal = CHILDID_SELF;
    return S_OK;
}

HRESULT Text(BSTR* p, const CString& s)
{
    if (s.IsEmpty()) return S_FALSE;
    *p = ::SysAllocString(s);
    return *p ? S_OK : E_OUTOFMEMORY;
}

// The reference count and interface lookup of an object handed out through COM: I is the interface
// it implements, which it also answers for its bases named by Offers.
template <class I>
class CComObject : public I {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || Offers(riid)) {
            *ppv = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)::InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = ::InterlockedDecrement(&m_refs);
        if (n == 0) delete this;
        return (ULONG)n;
    }

protected:
    virtual ~CComObject() {}
    virtual bool Offers(REFIID riid) const = 0;

private:
    LONG m_refs = 1;
};

// A list of objects, as get_accSelection hands several out.
class CObjectList final : public CComObject<IEnumVARIANT> {
public:
    explicit CObjectList(const std::vector<IDispatch*>& items) : m_items(items)
    {
        for (IDispatch* p : m_items) p->AddRef();
    }
    ~CObjectList() override
    {
        for (IDispatch* p : m_items) p->Release();
    }
    bool Offers(REFIID riid) const override { return riid == IID_IEnumVARIANT; }
    STDMETHODIMP Next(ULONG celt, VARIANT* rgVar, ULONG* pFetched) override
    {
        if (!rgVar) return E_POINTER;
        ULONG n = 0;
        for (; n < celt && m_pos < m_items.size(); ++n, ++m_pos) {
            rgVar[n].vt = VT_DISPATCH;
            rgVar[n].pdispVal = m_items[m_pos];
            m_items[m_pos]->AddRef();
        }
        if (pFetched) *pFetched = n;
        return n == celt ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG celt) override
    {
        m_pos = std::min(m_items.size(), m_pos + (size_t)celt);
        return m_pos < m_items.size() ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        m_pos = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumVARIANT** ppEnum) override
    {
        if (!ppEnum) return E_POINTER;
        CObjectList* p = new CObjectList(m_items);
        p->m_pos = m_pos;
        *ppEnum = p;
        return S_OK;
    }

private:
    std::vector<IDispatch*> m_items;
    size_t m_pos = 0;
};
}

// One object: the table (row and column -1), a row (column -1) or a cell.
class CGridAccessible final : public CComObject<IAccessible> {
public:
    CGridAccessible(Link* link, int nRow, int nCol) : m_link(link), m_nRow(nRow), m_nCol(nCol) { link->AddRef(); }
    ~CGridAccessible() override { m_link->Release(); }
    Link* GetLink() const { return m_link; }
    bool Offers(REFIID riid) const override { return riid == IID_IDispatch || riid == kIidAccessible; }

    // IDispatch: screen readers call the interface directly; there is no type information.
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo) return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** pp) override
    {
        if (pp) *pp = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** ppdispParent) override;
    STDMETHODIMP get_accChildCount(long* pcountChildren) override;
    STDMETHODIMP get_accChild(VARIANT varChild, IDispatch** ppdispChild) override;
    STDMETHODIMP get_accName(VARIANT varChild, BSTR* pszName) override;
    STDMETHODIMP get_accValue(VARIANT, BSTR* pszValue) override { return NotOffered(pszValue); }
    STDMETHODIMP get_accDescription(VARIANT varChild, BSTR* pszDescription) override;
    STDMETHODIMP get_accRole(VARIANT varChild, VARIANT* pvarRole) override;
    STDMETHODIMP get_accState(VARIANT varChild, VARIANT* pvarState) override;
    STDMETHODIMP get_accHelp(VARIANT, BSTR* pszHelp) override { return NotOffered(pszHelp); }
    STDMETHODIMP get_accHelpTopic(BSTR* pszHelpFile, VARIANT, long* pidTopic) override
    {
        if (pidTopic) *pidTopic = 0;
        return NotOffered(pszHelpFile);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR* pszKeyboardShortcut) override
    {
        return NotOffered(pszKeyboardShortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* pvarChild) override;
    STDMETHODIMP get_accSelection(VARIANT* pvarChildren) override;
    STDMETHODIMP get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) override;
    STDMETHODIMP accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    STDMETHODIMP accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight, VARIANT varChild) override;
    STDMETHODIMP accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt) override;
    STDMETHODIMP accHitTest(long xLeft, long yTop, VARIANT* pvarChild) override;
    STDMETHODIMP accDoDefaultAction(VARIANT varChild) override;
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    bool IsTable() const { return m_nRow < 0; }
    bool IsRow() const { return m_nRow >= 0 && m_nCol < 0; }
    bool IsCell() const { return m_nCol >= 0; }
    // The grid, while it and its window live and this object's row and cell still exist.
    CGridCtrl* Grid() const;
    CGridAccessible* Make(int nRow, int nCol) const { return new CGridAccessible(m_link, nRow, nCol); }
    // The object a call is about: this one for CHILDID_SELF, else the child the id names (AddRef'd).
    HRESULT Target(const VARIANT& v, CGridAccessible** pp);
    CGridAccessible* Child(LONG id) const;
    static HRESULT NotOffered(BSTR* p)
    {
        if (p) *p = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT Object(CGridAccessible* p, VARIANT* pv) const
    {
        if (!p) return Empty(pv);
        pv->vt = VT_DISPATCH;
        pv->pdispVal = p;
        return S_OK;
    }
    CString CellName(CGridCtrl* g, int nRow, int nCol) const;
    CRect ClientRect(CGridCtrl* g) const;
    bool OnScreen(CGridCtrl* g) const;
    bool HasKeyboardFocus(CGridCtrl* g) const { return ::GetFocus() == g->GetSafeHwnd(); }

    Link* m_link;
    int m_nRow, m_nCol;
};

CGridCtrl* CGridAccessible::Grid() const
{
    CGridCtrl* g = m_link->pGrid;
    if (!g || !::IsWindow(g->GetSafeHwnd())) return nullptr;
    if (m_nRow >= g->GetRowCount() || m_nCol >= g->GetColumnCount()) return nullptr;
    return g;
}

CGridAccessible* CGridAccessible::Child(LONG id) const
{
    CGridCtrl* g = m_link->pGrid;
    if (IsTable()) {
        if (id > 0 && id <= g->GetRowCount()) return Make(id - 1, -1);
        if (id < 0 && id != LONG_MIN) {
            DWORD n = (DWORD)(-id) - 1;
            int row = (int)(n >> 16), col = (int)(n & 0xFFFF);
            if (g->IsValid(row, col)) return Make(row, col);
        }
    } else if (IsRow()) {
        if (id > 0 && id <= g->GetColumnCount()) return Make(m_nRow, id - 1);
    }
    return nullptr;
}

HRESULT CGridAccessible::Target(const VARIANT& v, CGridAccessible** pp)
{
    *pp = nullptr;
    if (!Grid()) return CO_E_OBJNOTCONNECTED;
    if (v.vt != VT_I4) return E_INVALIDARG;
    if (v.lVal == CHILDID_SELF) {
        AddRef();
        *pp = this;
        return S_OK;
    }
    *pp = Child(v.lVal);
    return *pp ? S_OK : E_INVALIDARG;
}

// Runs a property of the object a call names on that object itself.
#define AT_TARGET(var, call)                                   \
    if ((var).vt != VT_I4 || (var).lVal != CHILDID_SELF) {     \
        CGridAccessible* pTarget;                              \
        HRESULT hrTarget = Target(var, &pTarget);              \
        if (FAILED(hrTarget)) return hrTarget;                 \
        VARIANT self;                                          \
        self.vt = VT_I4;                                       \
        self.lVal = CHILDID_SELF;                              \
        (void)self;                                            \
        HRESULT hrCall = pTarget->call;                        \
        pTarget->Release();                                    \
        return hrCall;                                         \
    }

CString CGridAccessible::CellName(CGridCtrl* g, int nRow, int nCol) const
{
    CString text = g->GetItemText(nRow, nCol);
    if (!text.IsEmpty()) return text;
    // Without a text, what the owner says the cell's image means.
    return g->GetImageName(g->GetItemImage(nRow, nCol));
}

// Where the object lies in the grid's client area, also when it is scrolled out of view.
CRect CGridAccessible::ClientRect(CGridCtrl* g) const
{
    CRect rc;
    if (IsTable()) {
        g->GetClientRect(&rc);
        return rc;
    }
    CCellID topLeft = g->GetTopLeftNonFixedCell();
    auto start = [](int index, int fixed, int first, int (CGridCtrl::*size)(int) const, const CGridCtrl* grid) {
        int pos = 0;
        for (int i = 0; i < std::min(index, fixed); ++i) pos += (grid->*size)(i);
        if (index < fixed) return pos;
        if (first < fixed) first = fixed;
        for (int i = first; i < index; ++i) pos += (grid->*size)(i);
        for (int i = index; i < first; ++i) pos -= (grid->*size)(i);
        return pos;
    };
    rc.top = start(m_nRow, g->GetFixedRowCount(), topLeft.row, &CGridCtrl::GetRowHeight, g);
    rc.bottom = rc.top + g->GetRowHeight(m_nRow);
    if (IsCell()) {
        rc.left = start(m_nCol, g->GetFixedColumnCount(), topLeft.col, &CGridCtrl::GetColumnWidth, g);
        rc.right = rc.left + g->GetColumnWidth(m_nCol);
    } else {
        int last = g->GetColumnCount() - 1;
        rc.left = start(0, g->GetFixedColumnCount(), topLeft.col, &CGridCtrl::GetColumnWidth, g);
        rc.right = last < 0 ? rc.left
                            : start(last, g->GetFixedColumnCount(), topLeft.col, &CGridCtrl::GetColumnWidth, g) +
                                  g->GetColumnWidth(last);
    }
    return rc;
}

// Whether any of the object shows in the client area (hidden rows and columns never do).
bool CGridAccessible::OnScreen(CGridCtrl* g) const
{
    if (IsTable()) return ::IsWindowVisible(g->GetSafeHwnd()) != FALSE;
    CRect rc = ClientRect(g), client, shown;
    g->GetClientRect(&client);
    if (rc.Width() <= 0 || rc.Height() <= 0) return false;
    // Scrolled under the fixed rows or columns counts as out of view.
    if (m_nRow >= g->GetFixedRowCount()) client.top = std::min(client.bottom, (LONG)g->GetFixedRowHeight());
    if (IsCell() && m_nCol >= g->GetFixedColumnCount())
        client.left = std::min(client.right, (LONG)g->GetFixedColumnWidth());
    return shown.IntersectRect(&rc, &client) != FALSE;
}

STDMETHODIMP CGridAccessible::get_accParent(IDispatch** ppdispParent)
{
    if (!ppdispParent) return E_POINTER;
    *ppdispParent = nullptr;
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    if (IsCell()) *ppdispParent = Make(m_nRow, -1);
    else if (IsRow()) *ppdispParent = Make(-1, -1);
    else if (Library().createStdAccessibleObject)
        Library().createStdAccessibleObject(g->GetSafeHwnd(), OBJID_WINDOW, IID_IDispatch, (void**)ppdispParent);
    return *ppdispParent ? S_OK : S_FALSE;
}

STDMETHODIMP CGridAccessible::get_accChildCount(long* pcountChildren)
{
    if (!pcountChildren) return E_POINTER;
    *pcountChildren = 0;
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    if (IsTable()) *pcountChildren = g->GetRowCount();
    else if (IsRow()) *pcountChildren = g->GetColumnCount();
    return S_OK;
}

STDMETHODIMP CGridAccessible::get_accChild(VARIANT varChild, IDispatch** ppdispChild)
{
    if (!ppdispChild) return E_POINTER;
    *ppdispChild = nullptr;
    if (!Grid()) return CO_E_OBJNOTCONNECTED;
    if (varChild.vt != VT_I4 || varChild.lVal == CHILDID_SELF) return E_INVALIDARG;
    *ppdispChild = Child(varChild.lVal);
    return *ppdispChild ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CGridAccessible::get_accName(VARIANT varChild, BSTR* pszName)
{
    if (!pszName) return E_POINTER;
    *pszName = nullptr;
    AT_TARGET(varChild, get_accName(self, pszName))
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    if (IsTable()) {
        wchar_t text[256] = {};
        ::GetWindowTextW(g->GetSafeHwnd(), text, 256);
        return Text(pszName, text);
    }
    if (IsCell()) return Text(pszName, CellName(g, m_nRow, m_nCol));
    // A row goes by its first cell that shows.
    for (int c = 0; c < g->GetColumnCount(); ++c)
        if (g->GetColumnWidth(c) > 0) return Text(pszName, CellName(g, m_nRow, c));
    return S_FALSE;
}

STDMETHODIMP CGridAccessible::get_accDescription(VARIANT varChild, BSTR* pszDescription)
{
    if (!pszDescription) return E_POINTER;
    *pszDescription = nullptr;
    AT_TARGET(varChild, get_accDescription(self, pszDescription))
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    if (!IsCell()) return S_FALSE;
    // A cell named by its text tells what its image means here, unless the text says it already.
    CString text = g->GetItemText(m_nRow, m_nCol);
    CString image = g->GetImageName(g->GetItemImage(m_nRow, m_nCol));
    if (text.IsEmpty() || image == text) return S_FALSE;
    return Text(pszDescription, image);
}

STDMETHODIMP CGridAccessible::get_accRole(VARIANT varChild, VARIANT* pvarRole)
{
    if (!pvarRole) return E_POINTER;
    ::VariantInit(pvarRole);
    AT_TARGET(varChild, get_accRole(self, pvarRole))
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    pvarRole->vt = VT_I4;
    if (IsTable()) {
        pvarRole->lVal = ROLE_SYSTEM_TABLE;
    } else if (IsRow()) {
        pvarRole->lVal = ROLE_SYSTEM_ROW;
    } else {
        CGridCellBase* pCell = g->GetCell(m_nRow, m_nCol);
        pvarRole->lVal = pCell && pCell->IsLink() ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_CELL;
    }
    return S_OK;
}

STDMETHODIMP CGridAccessible::get_accState(VARIANT varChild, VARIANT* pvarState)
{
    if (!pvarState) return E_POINTER;
    ::VariantInit(pvarState);
    AT_TARGET(varChild, get_accState(self, pvarState))
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    long state = 0;
    if (!OnScreen(g)) state |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    if (IsTable()) {
        state |= STATE_SYSTEM_FOCUSABLE;
        if (HasKeyboardFocus(g)) state |= STATE_SYSTEM_FOCUSED;
        if (!g->IsEditable()) state |= STATE_SYSTEM_READONLY;
        if (!::IsWindowEnabled(g->GetSafeHwnd())) state |= STATE_SYSTEM_UNAVAILABLE;
    } else if (IsRow()) {
        // A row is selected when all of its non-fixed cells are.
        bool any = false, all = true;
        for (int c = g->GetFixedColumnCount(); c < g->GetColumnCount(); ++c) {
            any = true;
            all = all && g->IsCellSelected(m_nRow, c);
        }
        if (any && all && m_nRow >= g->GetFixedRowCount()) state |= STATE_SYSTEM_SELECTED;
        if (g->IsSelectable() && m_nRow >= g->GetFixedRowCount()) state |= STATE_SYSTEM_SELECTABLE;
    } else {
        const bool fixed = g->IsCellFixed(m_nRow, m_nCol) != FALSE;
        if (g->IsCellSelected(m_nRow, m_nCol)) state |= STATE_SYSTEM_SELECTED;
        if (g->IsSelectable() && !fixed) state |= STATE_SYSTEM_SELECTABLE;
        if (!fixed) state |= STATE_SYSTEM_FOCUSABLE;
        if (g->GetFocusCell() == CCellID(m_nRow, m_nCol) && HasKeyboardFocus(g)) state |= STATE_SYSTEM_FOCUSED;
        if (!g->IsCellEditable(m_nRow, m_nCol)) state |= STATE_SYSTEM_READONLY;
        CGridCellBase* pCell = g->GetCell(m_nRow, m_nCol);
        if (pCell && pCell->IsLink()) state |= STATE_SYSTEM_LINKED;
    }
    pvarState->vt = VT_I4;
    pvarState->lVal = state;
    return S_OK;
}

STDMETHODIMP CGridAccessible::get_accFocus(VARIANT* pvarChild)
{
    if (!pvarChild) return E_POINTER;
    ::VariantInit(pvarChild);
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    if (!HasKeyboardFocus(g)) return S_FALSE;
    CCellID focus = g->GetFocusCell();
    if (IsCell()) return focus == CCellID(m_nRow, m_nCol) ? Self(pvarChild) : S_FALSE;
    if (!g->IsValid(focus)) return IsTable() ? Self(pvarChild) : S_FALSE;
    if (IsRow() && focus.row != m_nRow) return S_FALSE;
    return Object(Make(focus.row, focus.col), pvarChild);
}

STDMETHODIMP CGridAccessible::get_accSelection(VARIANT* pvarChildren)
{
    if (!pvarChildren) return E_POINTER;
    ::VariantInit(pvarChildren);
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    if (IsCell()) return S_FALSE;
    std::vector<CCellID> cells;
    POSITION pos = g->m_SelectedCellMap.GetStartPosition();
    while (pos) {
        DWORD key;
        CCellID cell;
        g->m_SelectedCellMap.GetNextAssoc(pos, key, cell);
        if (g->IsValid(cell) && (IsTable() || cell.row == m_nRow)) cells.push_back(cell);
    }
    if (cells.empty()) return S_FALSE;
    std::sort(cells.begin(), cells.end(),
              [](const CCellID& a, const CCellID& b) { return a.row != b.row ? a.row < b.row : a.col < b.col; });
    if (cells.size() == 1) return Object(Make(cells[0].row, cells[0].col), pvarChildren);
    std::vector<IDispatch*> items;
    for (const CCellID& c : cells) items.push_back(Make(c.row, c.col));
    CObjectList* list = new CObjectList(items);
    for (IDispatch* p : items) p->Release();
    pvarChildren->vt = VT_UNKNOWN;
    pvarChildren->punkVal = list;
    return S_OK;
}

STDMETHODIMP CGridAccessible::get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction)
{
    if (!pszDefaultAction) return E_POINTER;
    *pszDefaultAction = nullptr;
    AT_TARGET(varChild, get_accDefaultAction(self, pszDefaultAction))
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    CGridCellBase* pCell = IsCell() ? g->GetCell(m_nRow, m_nCol) : nullptr;
    return pCell ? Text(pszDefaultAction, pCell->GetDefaultAction()) : S_FALSE;
}

STDMETHODIMP CGridAccessible::accDoDefaultAction(VARIANT varChild)
{
    AT_TARGET(varChild, accDoDefaultAction(self))
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    if (!IsCell() || !g->HasDefaultAction(m_nRow, m_nCol)) return DISP_E_MEMBERNOTFOUND;
    // The caller is a screen reader waiting on this call: the action (a browser opening, the dialog
    // closing) runs once the call has returned, from the grid's own message queue.
    return g->PostMessage(WM_GRID_DEFAULTACTION, (WPARAM)m_nRow, (LPARAM)m_nCol) ? S_OK : E_FAIL;
}

STDMETHODIMP CGridAccessible::accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight,
                                          VARIANT varChild)
{
    if (!pxLeft || !pyTop || !pcxWidth || !pcyHeight) return E_POINTER;
    *pxLeft = *pyTop = *pcxWidth = *pcyHeight = 0;
    AT_TARGET(varChild, accLocation(pxLeft, pyTop, pcxWidth, pcyHeight, self))
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    CRect rc = ClientRect(g);
    g->ClientToScreen(&rc);
    *pxLeft = rc.left;
    *pyTop = rc.top;
    *pcxWidth = rc.Width();
    *pcyHeight = rc.Height();
    return S_OK;
}

STDMETHODIMP CGridAccessible::accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt)
{
    if (!pvarEndUpAt) return E_POINTER;
    ::VariantInit(pvarEndUpAt);
    AT_TARGET(varStart, accNavigate(navDir, self, pvarEndUpAt))
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    const int rows = g->GetRowCount(), cols = g->GetColumnCount();
    int row = -2, col = -2;   // where the move ends; -2: nowhere
    if (IsTable()) {
        if (navDir == NAVDIR_FIRSTCHILD && rows > 0) row = 0, col = -1;
        if (navDir == NAVDIR_LASTCHILD && rows > 0) row = rows - 1, col = -1;
    } else if (IsRow()) {
        switch (navDir) {
        case NAVDIR_FIRSTCHILD: if (cols > 0) row = m_nRow, col = 0; break;
        case NAVDIR_LASTCHILD: if (cols > 0) row = m_nRow, col = cols - 1; break;
        case NAVDIR_NEXT: case NAVDIR_DOWN: if (m_nRow + 1 < rows) row = m_nRow + 1, col = -1; break;
        case NAVDIR_PREVIOUS: case NAVDIR_UP: if (m_nRow > 0) row = m_nRow - 1, col = -1; break;
        default: break;
        }
    } else {
        switch (navDir) {
        case NAVDIR_NEXT: case NAVDIR_RIGHT: if (m_nCol + 1 < cols) row = m_nRow, col = m_nCol + 1; break;
        case NAVDIR_PREVIOUS: case NAVDIR_LEFT: if (m_nCol > 0) row = m_nRow, col = m_nCol - 1; break;
        case NAVDIR_DOWN: if (m_nRow + 1 < rows) row = m_nRow + 1, col = m_nCol; break;
        case NAVDIR_UP: if (m_nRow > 0) row = m_nRow - 1, col = m_nCol; break;
        default: break;
        }
    }
    return row == -2 ? S_FALSE : Object(Make(row, col), pvarEndUpAt);
}

STDMETHODIMP CGridAccessible::accHitTest(long xLeft, long yTop, VARIANT* pvarChild)
{
    if (!pvarChild) return E_POINTER;
    ::VariantInit(pvarChild);
    CGridCtrl* g = Grid();
    if (!g) return CO_E_OBJNOTCONNECTED;
    CPoint pt(xLeft, yTop);
    g->ScreenToClient(&pt);
    CRect client, own = ClientRect(g);
    g->GetClientRect(&client);
    if (!client.PtInRect(pt) || !own.PtInRect(pt)) return S_FALSE;
    if (IsCell()) return Self(pvarChild);
    CCellID cell = g->GetCellFromPt(pt, TRUE);
    if (!g->IsValid(cell) || (IsRow() && cell.row != m_nRow)) return Self(pvarChild);
    return Object(IsTable() ? Make(cell.row, -1) : Make(cell.row, cell.col), pvarChild);
}

#undef AT_TARGET

// ---------------------------------------------------------------------------------------------

LRESULT GridAccessibleAnswer(CGridCtrl* pGrid, CGridAccessible*& pTable, WPARAM wParam)
{
    const Oleacc& lib = Library();
    if (!lib.lresultFromObject) return 0;
    if (!pTable) {
        Link* link = new Link;
        link->pGrid = pGrid;
        pTable = new CGridAccessible(link, -1, -1);
        link->Release();
    }
    LRESULT r = lib.lresultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(pTable));
    return r > 0 ? r : 0;
}

void GridAccessibleDisconnect(CGridAccessible*& pTable)
{
    if (!pTable) return;
    pTable->GetLink()->pGrid = nullptr;
    // Screen readers' references to the table go now; the rows and cells they hold answer
    // "not connected" until they let go.
    ::CoDisconnectObject(static_cast<IAccessible*>(pTable), 0);
    pTable->Release();
    pTable = nullptr;
}
