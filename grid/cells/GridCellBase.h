// The abstract cell of a grid: state flags, the attribute interface every cell class offers, and the
// drawing, measuring, editing and mouse hooks the grid calls. Attributes a cell leaves unset come from
// the grid's default cell for the cell's kind (fixed row, fixed column, both, neither).
#pragma once
#include "framework/AfxWin.h"
#include "framework/AfxGdi.h"
#include "framework/AfxString.h"

class CGridCtrl;
class CGridDefaultCell;

// Cell state flags.
#define GCS_FOCUSED     0x0001
#define GCS_SELECTED    0x0002
#define GCS_DROPHILITED 0x0004
#define GCS_READONLY    0x0008
#define GCS_FIXED       0x0010
#define GCS_FIXEDROW    0x0020
#define GCS_FIXEDCOL    0x0040
#define GCS_MODIFIED    0x0080

#ifndef CLR_DEFAULT
#define CLR_DEFAULT 0xFF000000L
#endif

// The end-of-edit notification code the in-place edit sends to its grid.
#define GRIDN_ENDEDIT (-176)

// One cell's attributes as a notification carries them; the in-place edit fills row, column, mask,
// data (the key that ended editing) and text.
struct GRIDITEM {
    int row;
    int col;
    UINT mask;
    UINT nState;
    UINT nFormat;
    int iImage;
    COLORREF crBkClr;
    COLORREF crFgClr;
    LPARAM lParam;
    LOGFONTW lfFont;
    UINT nMargin;
    CString strText;
};

struct GRIDDISPINFO {
    NMHDR hdr;
    GRIDITEM item;
};

class CGridCellBase : public CObject {
    DECLARE_DYNAMIC(CGridCellBase)
public:
    CGridCellBase();
    ~CGridCellBase() override;

    // Serialisation and diagnostics do nothing in cells.
    virtual void Serialize(void*) {}
    virtual void AssertValid() const {}
    virtual void Dump(void*) const {}

    virtual void SetText(LPCTSTR szText) = 0;
    virtual void SetImage(int nImage) = 0;
    virtual void SetData(LPARAM lParam) = 0;
    virtual void SetState(DWORD nState) { m_nState = nState; }
    virtual void SetFormat(DWORD nFormat) = 0;
    virtual void SetTextColor(COLORREF clr) = 0;
    virtual void SetBackColor(COLORREF clr) = 0;
    virtual void SetFont(const LOGFONT* plf) = 0;
    virtual void SetMargin(UINT nMargin) = 0;
    virtual void SetGrid(CGridCtrl* pGrid) = 0;
    virtual void SetCoords(int nRow, int nCol) = 0;

    virtual LPCTSTR GetText() const = 0;
    virtual LPCTSTR GetTipText() const { return GetText(); }
    virtual int GetImage() const = 0;
    virtual LPARAM GetData() const = 0;
    virtual DWORD GetState() const { return m_nState; }
    virtual DWORD GetFormat() const = 0;
    virtual COLORREF GetTextColor() const = 0;
    virtual COLORREF GetBackColor() const = 0;
    virtual const LOGFONT* GetFont() const = 0;
    virtual CFont* GetFontObject() const = 0;
    virtual CGridCtrl* GetGrid() const = 0;
    virtual CWnd* GetEditWnd() const = 0;
    virtual UINT GetMargin() const = 0;

    virtual CGridCellBase* GetDefaultCell() const;

    virtual BOOL IsDefaultFont() const = 0;
    virtual BOOL IsEditing() const = 0;
    virtual BOOL IsFocused() const { return (GetState() & GCS_FOCUSED) != 0; }
    virtual BOOL IsFixed() const { return (GetState() & GCS_FIXED) != 0; }
    virtual BOOL IsFixedCol() const { return (GetState() & GCS_FIXEDCOL) != 0; }
    virtual BOOL IsFixedRow() const { return (GetState() & GCS_FIXEDROW) != 0; }
    virtual BOOL IsSelected() const { return (GetState() & GCS_SELECTED) != 0; }
    virtual BOOL IsReadOnly() const { return (GetState() & GCS_READONLY) != 0; }
    virtual BOOL IsModified() const { return (GetState() & GCS_MODIFIED) != 0; }
    virtual BOOL IsDropHighlighted() const { return (GetState() & GCS_DROPHILITED) != 0; }

    virtual void CopyFrom(const CGridCellBase& cell);
    virtual void Reset();

    // Drawing and measuring (GridCellDraw.cpp).
    virtual BOOL Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd = TRUE);
    virtual BOOL GetTextRect(LPRECT pRect);
    virtual BOOL GetTipTextRect(LPRECT pRect) { return GetTextRect(pRect); }
    virtual CSize GetTextExtent(LPCTSTR str, CDC* pDC = nullptr);
    virtual CSize GetCellExtent(CDC* pDC);

    virtual BOOL Edit(int nRow, int nCol, CRect rect, CPoint point, UINT nID, UINT nChar) = 0;
    virtual BOOL ValidateEdit(LPCTSTR str) { (void)str; return TRUE; }
    virtual void EndEdit() = 0;

    virtual BOOL PrintCell(CDC* pDC, int nRow, int nCol, CRect rect);

    virtual void OnEndEdit() {}
    virtual void OnMouseEnter() {}
    virtual void OnMouseMove() {}
    virtual void OnMouseLeave() {}
    virtual void OnLButtonUp(CPoint PointCellRelative) { (void)PointCellRelative; }
    virtual void OnLButtonDown(CPoint PointCellRelative) { (void)PointCellRelative; }
    virtual void OnRButtonUp(CPoint PointCellRelative) { (void)PointCellRelative; }
    virtual void OnLButtonDblClk(CPoint PointCellRelative) { (void)PointCellRelative; }
    virtual BOOL OnSetCursor();

    // What a cell offers besides its text to screen readers and the keyboard: a cell that acts as a
    // link names its default action and runs it on request (Enter, Space, a screen reader's command)
    // the way a click on it would.
    virtual BOOL IsLink() const { return FALSE; }
    virtual CString GetDefaultAction() const { return CString(); }
    virtual BOOL DoDefaultAction() { return FALSE; }

protected:
    DWORD m_nState;
};
