// A result-table cell whose text is a command: drawn in the link colour, a hand cursor over the text,
// and a click opens a support page or starts the USB driver installer.
#pragma once
#include "grid/cells/GridCell.h"

class CDialog;

class CGridCommandCell : public CGridCell {
    DECLARE_DYNCREATE(CGridCommandCell)
public:
    CGridCommandCell();
    ~CGridCommandCell() override;

    BOOL Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd = TRUE) override;
    BOOL Edit(int nRow, int nCol, CRect rect, CPoint point, UINT nID, UINT nChar) override;
    void OnLButtonUp(CPoint PointCellRelative) override;
    BOOL OnSetCursor() override;
    // A command text acts as a link: its default action, "Click", runs the command as a click on the text does.
    BOOL IsLink() const override;
    CString GetDefaultAction() const override;
    BOOL DoDefaultAction() override;

    void SetCommand(CString strCommand) { m_strCommand = strCommand; }
    void SetOwner(CDialog* pOwnerDlg, short nOwnerRow) { m_pOwnerDlg = pOwnerDlg; m_nOwnerRow = nOwnerRow; }
    // In the replay of a recorded PC the installer command shows this command line instead of running
    // anything on the PC at hand.
    void SetReplayCommand(const CString& commandLine) { m_strReplayCommand = commandLine; m_bReplay = TRUE; }
    static BOOL IsCommandText(const CString& text);
    // The hand shown over command texts, shared by every command cell (null when the system has none).
    static HCURSOR GetHandCursor();
    // point is relative to the cell's top-left corner; its x is made grid-relative in place.
    BOOL HitCommandText(CPoint& point, CString& text);
    // Runs the command a text names: the USB installer (closing the owner dialog), or the cell's page.
    void RunCommand(const CString& text);

    COLORREF m_crLink;
    CRect m_rcCell;
    CString m_strCommand;
    CDialog* m_pOwnerDlg;
    short m_nOwnerRow;
    BOOL m_bReplay;
    CString m_strReplayCommand;
};
