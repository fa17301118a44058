// The grid's drop target: forwards the drag events of the registered grid window to the grid.
#include "grid/GridDropTarget.h"
#include "grid/GridCtrl.h"

BEGIN_MESSAGE_MAP(CGridDropTarget, COleDropTarget)
END_MESSAGE_MAP()

// One registration at a time in the whole process.
static BOOL g_bRegistering = FALSE;

CGridDropTarget::CGridDropTarget() : m_pGridCtrl(nullptr), m_bRegistered(FALSE) {}

CGridDropTarget::~CGridDropTarget() {}

BOOL CGridDropTarget::Register(CGridCtrl* pGridCtrl)
{
    if (m_bRegistered || g_bRegistering) return FALSE;
    g_bRegistering = TRUE;
    if (!pGridCtrl || !pGridCtrl->IsKindOf(RUNTIME_CLASS(CGridCtrl))) {
        g_bRegistering = FALSE;
        return FALSE;
    }
    m_pGridCtrl = pGridCtrl;
    m_bRegistered = COleDropTarget::Register(pGridCtrl);
    g_bRegistering = FALSE;
    return m_bRegistered;
}

void CGridDropTarget::Revoke()
{
    m_bRegistered = FALSE;
    COleDropTarget::Revoke();
}

// The events count only for the registered grid's own window.
static BOOL IsGridWindow(CGridCtrl* pGrid, CWnd* pWnd)
{
    return pGrid && pWnd && pWnd->GetSafeHwnd() && pWnd->GetSafeHwnd() == pGrid->GetSafeHwnd();
}

DROPEFFECT CGridDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
    if (!IsGridWindow(m_pGridCtrl, pWnd)) return DROPEFFECT_NONE;
    return m_pGridCtrl->OnDragEnter(pDataObject, dwKeyState, point);
}

DROPEFFECT CGridDropTarget::OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
    if (!IsGridWindow(m_pGridCtrl, pWnd)) return DROPEFFECT_NONE;
    return m_pGridCtrl->OnDragOver(pDataObject, dwKeyState, point);
}

BOOL CGridDropTarget::OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point)
{
    if (!IsGridWindow(m_pGridCtrl, pWnd)) return FALSE;
    return m_pGridCtrl->OnDrop(pDataObject, dropEffect, point);
}

void CGridDropTarget::OnDragLeave(CWnd* pWnd)
{
    if (IsGridWindow(m_pGridCtrl, pWnd)) m_pGridCtrl->OnDragLeave();
}

DROPEFFECT CGridDropTarget::OnDragScroll(CWnd* pWnd, DWORD dwKeyState, CPoint)
{
    if (!IsGridWindow(m_pGridCtrl, pWnd)) return DROPEFFECT_NONE;
    return (dwKeyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}
