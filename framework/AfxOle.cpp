// OLE initialisation, data objects and sources, and drop targets.
#include "framework/AfxOle.h"
#include <shlobj.h>

const wchar_t AFX_MSG_OLE_INIT_FAILED[] =
    L"OLE initialization failed. Make sure that the OLE libraries are the correct version";

static thread_local BOOL t_bOleInitialized = FALSE;
static BOOL g_bSimulateOleFailure = FALSE;

BOOL AfxOleInit()
{
    if (t_bOleInitialized) return TRUE;
    if (g_bSimulateOleFailure) return FALSE;
    HRESULT hr = ::OleInitialize(nullptr);
    if (FAILED(hr)) return FALSE;
    t_bOleInitialized = TRUE;
    return TRUE;
}

BOOL AfxOleIsInitialized() { return t_bOleInitialized; }

void AfxOleSimulateInitFailure(BOOL bFail) { g_bSimulateOleFailure = bFail; }

// ---------------------------------------------------------------------------------------------

COleDataObject::COleDataObject() : m_lpDataObject(nullptr), m_bAutoRelease(TRUE) {}

COleDataObject::~COleDataObject() { Release(); }

void COleDataObject::Attach(LPDATAOBJECT lpDataObject, BOOL bAutoRelease)
{
    Release();
    m_lpDataObject = lpDataObject;
    m_bAutoRelease = bAutoRelease;
}

LPDATAOBJECT COleDataObject::Detach()
{
    LPDATAOBJECT p = m_lpDataObject;
    m_lpDataObject = nullptr;
    return p;
}

void COleDataObject::Release()
{
    if (m_lpDataObject && m_bAutoRelease) m_lpDataObject->Release();
    m_lpDataObject = nullptr;
}

BOOL COleDataObject::AttachClipboard()
{
    LPDATAOBJECT p = nullptr;
    if (FAILED(::OleGetClipboard(&p)) || !p) return FALSE;
    Attach(p, TRUE);
    return TRUE;
}

static FORMATETC MakeFormat(CLIPFORMAT cf, LPFORMATETC lpFormatEtc)
{
    if (lpFormatEtc) return *lpFormatEtc;
    FORMATETC fmt = {cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return fmt;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc)
{
    if (!m_lpDataObject) return FALSE;
    FORMATETC fmt = MakeFormat(cfFormat, lpFormatEtc);
    return m_lpDataObject->QueryGetData(&fmt) == S_OK;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc)
{
    if (!m_lpDataObject) return nullptr;
    FORMATETC fmt = MakeFormat(cfFormat, lpFormatEtc);
    STGMEDIUM medium = {};
    if (FAILED(m_lpDataObject->GetData(&fmt, &medium))) return nullptr;
    if (medium.tymed != TYMED_HGLOBAL) {
        ::ReleaseStgMedium(&medium);
        return nullptr;
    }
    HGLOBAL h = medium.hGlobal;
    if (medium.pUnkForRelease) {
        // The medium stays the source's: hand out a copy.
        h = (HGLOBAL)::OleDuplicateData(medium.hGlobal, cfFormat, 0);
        ::ReleaseStgMedium(&medium);
    }
    return h;
}

// ---------------------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(COleDataSource, CCmdTarget)

static COleDataSource* g_pClipboardSource = nullptr;

COleDataSource::COleDataSource() : m_dwRef(1), m_pEntries(nullptr), m_nEntries(0)
{
    m_xDataObject.m_pThis = this;
}

COleDataSource::~COleDataSource()
{
    if (g_pClipboardSource == this) g_pClipboardSource = nullptr;
    Empty();
}

void COleDataSource::Empty()
{
    for (int i = 0; i < m_nEntries; ++i)
        if (m_pEntries[i].hGlobal) ::GlobalFree(m_pEntries[i].hGlobal);
    delete[] m_pEntries;
    m_pEntries = nullptr;
    m_nEntries = 0;
}

COleDataSource::Entry* COleDataSource::FindEntry(CLIPFORMAT cf)
{
    for (int i = 0; i < m_nEntries; ++i)
        if (m_pEntries[i].fmt.cfFormat == cf) return &m_pEntries[i];
    return nullptr;
}

void COleDataSource::CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc)
{
    FORMATETC fmt = MakeFormat(cfFormat, lpFormatEtc);
    fmt.tymed = TYMED_HGLOBAL;
    if (Entry* e = FindEntry(cfFormat)) {
        if (e->hGlobal && e->hGlobal != hGlobal) ::GlobalFree(e->hGlobal);
        e->fmt = fmt;
        e->hGlobal = hGlobal;
        return;
    }
    Entry* entries = new Entry[m_nEntries + 1];
    for (int i = 0; i < m_nEntries; ++i) entries[i] = m_pEntries[i];
    entries[m_nEntries].fmt = fmt;
    entries[m_nEntries].hGlobal = hGlobal;
    delete[] m_pEntries;
    m_pEntries = entries;
    ++m_nEntries;
}

LPDATAOBJECT COleDataSource::GetDataObject() { return &m_xDataObject; }

ULONG COleDataSource::InternalAddRef() { return ++m_dwRef; }

ULONG COleDataSource::InternalRelease()
{
    ULONG n = --m_dwRef;
    if (n == 0) delete this;
    return n;
}

void COleDataSource::SetClipboard()
{
    if (SUCCEEDED(::OleSetClipboard(&m_xDataObject))) g_pClipboardSource = this;
    // The clipboard holds its own reference now; the caller's one goes.
    InternalRelease();
}

void COleDataSource::FlushClipboard()
{
    if (GetClipboardOwner()) ::OleFlushClipboard();
}

COleDataSource* COleDataSource::GetClipboardOwner()
{
    if (g_pClipboardSource && ::OleIsCurrentClipboard(&g_pClipboardSource->m_xDataObject) == S_OK)
        return g_pClipboardSource;
    return nullptr;
}

STDMETHODIMP COleDataSource::XDataObject::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleDataSource::XDataObject::AddRef() { return m_pThis->InternalAddRef(); }

STDMETHODIMP_(ULONG) COleDataSource::XDataObject::Release() { return m_pThis->InternalRelease(); }

STDMETHODIMP COleDataSource::XDataObject::GetData(FORMATETC* pFmt, STGMEDIUM* pMedium)
{
    if (!pFmt || !pMedium) return E_INVALIDARG;
    Entry* e = m_pThis->FindEntry(pFmt->cfFormat);
    if (!e || !(pFmt->tymed & TYMED_HGLOBAL) || !e->hGlobal) return DV_E_FORMATETC;
    HGLOBAL h = (HGLOBAL)::OleDuplicateData(e->hGlobal, pFmt->cfFormat, 0);
    if (!h) return E_OUTOFMEMORY;
    pMedium->tymed = TYMED_HGLOBAL;
    pMedium->hGlobal = h;
    pMedium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP COleDataSource::XDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

STDMETHODIMP COleDataSource::XDataObject::QueryGetData(FORMATETC* pFmt)
{
    if (!pFmt) return E_INVALIDARG;
    Entry* e = m_pThis->FindEntry(pFmt->cfFormat);
    return (e && (pFmt->tymed & TYMED_HGLOBAL)) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP COleDataSource::XDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pOut)
{
    if (pOut) pOut->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP COleDataSource::XDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP COleDataSource::XDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum)
{
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    if (dwDirection != DATADIR_GET) return E_NOTIMPL;
    FORMATETC* formats = new FORMATETC[m_pThis->m_nEntries ? m_pThis->m_nEntries : 1];
    for (int i = 0; i < m_pThis->m_nEntries; ++i) formats[i] = m_pThis->m_pEntries[i].fmt;
    HRESULT hr = ::SHCreateStdEnumFmtEtc((UINT)m_pThis->m_nEntries, formats, ppEnum);
    delete[] formats;
    return hr;
}

STDMETHODIMP COleDataSource::XDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}
STDMETHODIMP COleDataSource::XDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
STDMETHODIMP COleDataSource::XDataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

// ---------------------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(COleDropTarget, CCmdTarget)

COleDropTarget::COleDropTarget() : m_hWnd(nullptr), m_dwRef(0)
{
    m_xDropTarget.m_pThis = this;
}

COleDropTarget::~COleDropTarget()
{
    if (m_hWnd) COleDropTarget::Revoke();
}

BOOL COleDropTarget::Register(CWnd* pWnd)
{
    if (!pWnd || !::IsWindow(pWnd->GetSafeHwnd()) || m_hWnd) return FALSE;
    if (FAILED(::RegisterDragDrop(pWnd->m_hWnd, &m_xDropTarget))) return FALSE;
    m_hWnd = pWnd->m_hWnd;
    return TRUE;
}

void COleDropTarget::Revoke()
{
    if (!m_hWnd) return;
    ::RevokeDragDrop(m_hWnd);
    m_hWnd = nullptr;
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint) { return FALSE; }
DROPEFFECT COleDropTarget::OnDropEx(CWnd*, COleDataObject*, DROPEFFECT, DROPEFFECT, CPoint) { return (DROPEFFECT)-1; }
void COleDropTarget::OnDragLeave(CWnd*) {}
DROPEFFECT COleDropTarget::OnDragScroll(CWnd*, DWORD, CPoint) { return DROPEFFECT_NONE; }

STDMETHODIMP COleDropTarget::XDropTarget::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *ppv = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

// The target is a member of its window's object and lives as long as the registration.
STDMETHODIMP_(ULONG) COleDropTarget::XDropTarget::AddRef() { return ++m_pThis->m_dwRef; }
STDMETHODIMP_(ULONG) COleDropTarget::XDropTarget::Release() { return --m_pThis->m_dwRef; }

static CPoint ClientPoint(HWND hWnd, POINTL pt)
{
    POINT p = {pt.x, pt.y};
    ::ScreenToClient(hWnd, &p);
    return CPoint(p);
}

STDMETHODIMP COleDropTarget::XDropTarget::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                                    DWORD* pdwEffect)
{
    COleDropTarget* t = m_pThis;
    if (!pdwEffect) return E_INVALIDARG;
    if (pDataObj) pDataObj->AddRef();
    t->m_dataObject.Attach(pDataObj, TRUE);
    CWnd* pWnd = CWnd::FromHandle(t->m_hWnd);
    *pdwEffect = t->OnDragEnter(pWnd, &t->m_dataObject, grfKeyState, ClientPoint(t->m_hWnd, pt)) & *pdwEffect;
    return S_OK;
}

STDMETHODIMP COleDropTarget::XDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    COleDropTarget* t = m_pThis;
    if (!pdwEffect) return E_INVALIDARG;
    CWnd* pWnd = CWnd::FromHandle(t->m_hWnd);
    CPoint point = ClientPoint(t->m_hWnd, pt);
    DROPEFFECT effect = t->OnDragScroll(pWnd, grfKeyState, point);
    if (!(effect & DROPEFFECT_SCROLL)) effect = t->OnDragOver(pWnd, &t->m_dataObject, grfKeyState, point);
    *pdwEffect = effect & (*pdwEffect | DROPEFFECT_SCROLL);
    return S_OK;
}

STDMETHODIMP COleDropTarget::XDropTarget::DragLeave()
{
    COleDropTarget* t = m_pThis;
    t->OnDragLeave(CWnd::FromHandle(t->m_hWnd));
    t->m_dataObject.Release();
    return S_OK;
}

STDMETHODIMP COleDropTarget::XDropTarget::Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    COleDropTarget* t = m_pThis;
    if (!pdwEffect) return E_INVALIDARG;
    if (pDataObj) pDataObj->AddRef();
    t->m_dataObject.Attach(pDataObj, TRUE);
    CWnd* pWnd = CWnd::FromHandle(t->m_hWnd);
    CPoint point = ClientPoint(t->m_hWnd, pt);
    DROPEFFECT allowed = *pdwEffect;
    DROPEFFECT effect = t->OnDragOver(pWnd, &t->m_dataObject, grfKeyState, point) & allowed;
    DROPEFFECT result = t->OnDropEx(pWnd, &t->m_dataObject, effect, allowed, point);
    if (result == (DROPEFFECT)-1) result = t->OnDrop(pWnd, &t->m_dataObject, effect, point) ? effect : DROPEFFECT_NONE;
    *pdwEffect = result;
    t->m_dataObject.Release();
    return S_OK;
}
