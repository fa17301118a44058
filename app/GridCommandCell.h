// A result-table cell whose text is a command: drawn in the link colour, a hand cursor over the text,
// and a click opens a support page or starts the USB driver installer.
#pragma once
#include "grid/cells/GridCell.h"
#include "app/ResultTexts.h"

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

    // What a click runs: the page at the address command, or the installer whose command line command
    // is (closing the owner dialog). In the replay of a recorded PC the installer's command line is
    // shown instead of run on the PC at hand.
    void SetAction(ResolutionAction action, const CString& command, BOOL bReplay = FALSE)
    {
        m_nAction = action;
        m_strCommand = command;
        m_bReplay = bReplay;
    }
    void SetOwner(CDialog* pOwnerDlg, short nOwnerRow) { m_pOwnerDlg = pOwnerDlg; m_nOwnerRow = nOwnerRow; }
    static BOOL IsCommandText(const CString& text);
    // The hand shown over command texts, shared by every command cell (null when the system has none).
    static HCURSOR GetHandCursor();
    // point is relative to the cell's top-left corner; its x is made grid-relative in place.
    BOOL HitCommandText(CPoint& point, CString& text);
    // Runs the cell's action.
    void RunCommand();

    COLORREF m_crLink;
    CRect m_rcCell;
    ResolutionAction m_nAction;
    CString m_strCommand;   // the page's address or the installer's command line
    CDialog* m_pOwnerDlg;
    short m_nOwnerRow;
    BOOL m_bReplay;
};
