#include "app/GridCommandCell.h"
#include "framework/Afx.h"
#include "app/ShellActions.h"
#include "app/ResultTexts.h"
#include "grid/GridCtrl.h"
#include "res/resource.h"

IMPLEMENT_DYNCREATE(CGridCommandCell, CGridCell)

// Shared by every command cell for the rest of the run.
static HCURSOR g_hHandCursor = nullptr;

static HCURSOR SharedHandCursor()
{
    if (!g_hHandCursor) {
        HCURSOR system = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));
        if (system) g_hHandCursor = (HCURSOR)::CopyIcon((HICON)system);
    }
    return g_hHandCursor;
}

HCURSOR CGridCommandCell::GetHandCursor() { return g_hHandCursor; }

CGridCommandCell::CGridCommandCell()
    : m_crLink(::GetSysColor(COLOR_HIGHLIGHT)), m_nAction(ResolutionNone), m_pOwnerDlg(nullptr), m_nOwnerRow(0),
      m_bReplay(FALSE)
{
    SharedHandCursor();
}

CGridCommandCell::~CGridCommandCell() {}

BOOL CGridCommandCell::IsCommandText(const CString& text)
{
    return text == AfxResourceString(IDS_CMD_USB) || text == AfxResourceString(IDS_CMD_LIST) || text == AfxResourceString(IDS_CMD_3945);
}

BOOL CGridCommandCell::Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd)
{
    if (IsCommandText(GetText())) SetTextColor(m_crLink);
    m_rcCell = rect;
    return CGridCell::Draw(pDC, nRow, nCol, rect, bEraseBkgnd);
}

BOOL CGridCommandCell::Edit(int, int, CRect, CPoint, UINT, UINT)
{
    return FALSE;
}

BOOL CGridCommandCell::HitCommandText(CPoint& point, CString& text)
{
    CSize extent = GetTextExtent(GetText(), nullptr);
    point.x += m_rcCell.left;
    int x = point.x;
    DWORD format = m_nFormat;   // the cell's own format, not the default cell's
    int centre = m_rcCell.left + m_rcCell.Width() / 2;
    bool over = false;
    if ((format & DT_RIGHT) && x >= m_rcCell.right - extent.cx) over = true;
    else if ((format & DT_CENTER) && x >= centre - extent.cx / 2 && x <= centre + extent.cx / 2) over = true;
    else if (x <= m_rcCell.left + extent.cx) over = true;
    if (!over) return FALSE;
    text = GetText();
    return IsCommandText(text);
}

BOOL CGridCommandCell::OnSetCursor()
{
    CGridCtrl* pGrid = GetGrid();
    if (pGrid && pGrid->GetSafeHwnd()) {
        DWORD pos = ::GetMessagePos();
        CPoint point((short)LOWORD(pos), (short)HIWORD(pos));
        pGrid->ScreenToClient(&point);
        point.x -= m_rcCell.left;
        point.y -= m_rcCell.top;
        CString text;
        if (HitCommandText(point, text)) {
            ::SetCursor(g_hHandCursor);
            return TRUE;
        }
    }
    return CGridCell::OnSetCursor();
}

void CGridCommandCell::OnLButtonUp(CPoint PointCellRelative)
{
    CString text;
    if (HitCommandText(PointCellRelative, text)) RunCommand();
}

BOOL CGridCommandCell::IsLink() const { return IsCommandText(GetText()); }

CString CGridCommandCell::GetDefaultAction() const { return IsLink() ? AfxResourceString(IDS_ACTION_CLICK) : CString(); }

BOOL CGridCommandCell::DoDefaultAction()
{
    if (!IsLink()) return FALSE;
    RunCommand();
    return TRUE;
}

void CGridCommandCell::RunCommand()
{
    if (m_nAction == ResolutionPage) {
        GetShellActions().OpenDocument(m_strCommand);
    } else if (m_nAction == ResolutionInstaller && m_bReplay) {
        CString message;
        message.Format(AfxResourceString(IDS_REPLAY_INSTALLER), m_strCommand.GetString());
        AfxMessageBox(message, MB_OK | MB_ICONINFORMATION);
    } else if (m_nAction == ResolutionInstaller) {
        // Nothing is started, and nothing said, when the installer is not beside the program.
        CFileStatus status;
        if (m_strCommand.IsEmpty() || !CFile::GetStatus(m_strCommand, status)) return;
        GetShellActions().StartProgram(m_strCommand);
        if (m_pOwnerDlg && m_nOwnerRow > 0) m_pOwnerDlg->OnOK();
    }
}
