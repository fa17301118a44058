// OLE through the class library's names: initialisation, data objects on the clipboard, and drop
// targets that hand the system's drag events to virtual handlers.
#pragma once
#include "framework/AfxWin.h"
#include <ole2.h>

typedef DWORD DROPEFFECT;

// Initialises OLE for the calling thread; TRUE when it is (now or already) usable.
BOOL AfxOleInit();
// TRUE once AfxOleInit has succeeded on this thread.
BOOL AfxOleIsInitialized();
// The class library's message for a failed OLE initialisation.
extern const wchar_t AFX_MSG_OLE_INIT_FAILED[];
// Tests make the next AfxOleInit calls fail (TRUE) or behave normally again (FALSE).
void AfxOleSimulateInitFailure(BOOL bFail);

// A reader of an IDataObject: the clipboard's, or the one a drag carries.
class COleDataObject {
public:
    COleDataObject();
    ~COleDataObject();

    void Attach(LPDATAOBJECT lpDataObject, BOOL bAutoRelease = TRUE);
    LPDATAOBJECT Detach();
    void Release();
    // Reads the clipboard's current data object; FALSE when there is none.
    BOOL AttachClipboard();

    BOOL IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = nullptr);
    // A copy of the data in global memory that the caller frees; null when not available.
    HGLOBAL GetGlobalData(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = nullptr);

    LPDATAOBJECT m_lpDataObject;
    BOOL m_bAutoRelease;

private:
    COleDataObject(const COleDataObject&) = delete;
    COleDataObject& operator=(const COleDataObject&) = delete;
};

// Offers global-memory data in one or more formats through IDataObject. Allocated with new; once
// handed to the clipboard with SetClipboard the clipboard owns it and deletes it when it lets go.
class COleDataSource : public CCmdTarget {
    DECLARE_DYNAMIC(COleDataSource)
public:
    COleDataSource();
    ~COleDataSource() override;

    // Takes ownership of hGlobal (freed with the source), replacing earlier data of that format.
    void CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc = nullptr);
    void Empty();
    // Puts this source on the clipboard and gives it to the clipboard.
    void SetClipboard();
    // Renders the clipboard's data so that it survives this process.
    static void FlushClipboard();
    // The source of this process that the clipboard holds now, or null.
    static COleDataSource* GetClipboardOwner();

    LPDATAOBJECT GetDataObject();   // without adding a reference

    // COM reference counting of the object as an IDataObject.
    ULONG InternalAddRef();
    ULONG InternalRelease();

    struct Entry {
        FORMATETC fmt;
        HGLOBAL hGlobal;
    };
    Entry* FindEntry(CLIPFORMAT cf);

    class XDataObject : public IDataObject {
    public:
        COleDataSource* m_pThis = nullptr;
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP GetData(FORMATETC* pFmt, STGMEDIUM* pMedium) override;
        STDMETHODIMP GetDataHere(FORMATETC* pFmt, STGMEDIUM* pMedium) override;
        STDMETHODIMP QueryGetData(FORMATETC* pFmt) override;
        STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* pIn, FORMATETC* pOut) override;
        STDMETHODIMP SetData(FORMATETC* pFmt, STGMEDIUM* pMedium, BOOL fRelease) override;
        STDMETHODIMP EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum) override;
        STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
        STDMETHODIMP DUnadvise(DWORD) override;
        STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override;
    } m_xDataObject;

protected:
    ULONG m_dwRef;
    Entry* m_pEntries;
    int m_nEntries;
};

// Registers a window as a drop target; the system's IDropTarget calls become the virtual handlers,
// with the point in the window's client coordinates.
class COleDropTarget : public CCmdTarget {
    DECLARE_DYNAMIC(COleDropTarget)
public:
    COleDropTarget();
    ~COleDropTarget() override;

    BOOL Register(CWnd* pWnd);
    virtual void Revoke();
    virtual DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);
    virtual DROPEFFECT OnDropEx(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropDefault,
                                DROPEFFECT dropList, CPoint point);
    virtual void OnDragLeave(CWnd* pWnd);
    virtual DROPEFFECT OnDragScroll(CWnd* pWnd, DWORD dwKeyState, CPoint point);

    HWND m_hWnd;   // the registered window, null when not registered

    class XDropTarget : public IDropTarget {
    public:
        COleDropTarget* m_pThis = nullptr;
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
        STDMETHODIMP DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
        STDMETHODIMP DragLeave() override;
        STDMETHODIMP Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    } m_xDropTarget;

protected:
    COleDataObject m_dataObject;   // the data of the drag in progress
    ULONG m_dwRef;
};
