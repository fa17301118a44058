// Connects a grid window to OLE drag and drop as a drop target, passing the events for that window
// on to the grid's own drag handlers.
#pragma once
#include "framework/AfxOle.h"

class CGridCtrl;

class CGridDropTarget : public COleDropTarget {
public:
    CGridDropTarget();
    ~CGridDropTarget() override;

    BOOL Register(CGridCtrl* pGridCtrl);
    void Revoke() override;
    DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
    BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;
    void OnDragLeave(CWnd* pWnd) override;
    DROPEFFECT OnDragScroll(CWnd* pWnd, DWORD dwKeyState, CPoint point) override;

    CGridCtrl* m_pGridCtrl;
    BOOL m_bRegistered;

protected:
    DECLARE_MESSAGE_MAP()
};
