// The ordinary cell that holds its own attributes, and the default cell that holds a grid's fallback
// attributes (format, colours, font, margin, default size) for one kind of cell.
#pragma once
#include "grid/cells/GridCellBase.h"

class CGridCell : public CGridCellBase {
    DECLARE_DYNCREATE(CGridCell)
public:
    CGridCell();
    ~CGridCell() override;

    void SetText(LPCTSTR szText) override;
    void SetImage(int nImage) override { m_nImage = nImage; }
    void SetData(LPARAM lParam) override { m_lParam = lParam; }
    void SetFormat(DWORD nFormat) override { m_nFormat = nFormat; }
    void SetTextColor(COLORREF clr) override { m_crText = clr; }
    void SetBackColor(COLORREF clr) override { m_crBack = clr; }
    void SetFont(const LOGFONT* plf) override;
    void SetMargin(UINT nMargin) override { m_nMargin = nMargin; }
    void SetGrid(CGridCtrl* pGrid) override { m_pGrid = pGrid; }
    void SetCoords(int nRow, int nCol) override { (void)nRow; (void)nCol; }

    LPCTSTR GetText() const override;
    int GetImage() const override { return m_nImage; }
    LPARAM GetData() const override { return m_lParam; }
    DWORD GetFormat() const override;
    COLORREF GetTextColor() const override { return m_crText; }
    COLORREF GetBackColor() const override { return m_crBack; }
    const LOGFONT* GetFont() const override;
    CFont* GetFontObject() const override;
    CGridCtrl* GetGrid() const override { return m_pGrid; }
    CWnd* GetEditWnd() const override { return m_pEditWnd; }
    UINT GetMargin() const override;

    BOOL IsDefaultFont() const override { return m_plfFont == nullptr; }
    BOOL IsEditing() const override { return m_bEditing; }

    void Reset() override;

    BOOL Edit(int nRow, int nCol, CRect rect, CPoint point, UINT nID, UINT nChar) override;
    void EndEdit() override;
    void OnEndEdit() override;

protected:
    CString m_strText;
    LPARAM m_lParam;
    int m_nImage;
    DWORD m_nFormat;
    COLORREF m_crText;
    COLORREF m_crBack;
    LOGFONT* m_plfFont;
    UINT m_nMargin;
    BOOL m_bEditing;
    CGridCtrl* m_pGrid;
    CWnd* m_pEditWnd;
};

class CGridDefaultCell : public CGridCell {
    DECLARE_DYNCREATE(CGridDefaultCell)
public:
    CGridDefaultCell();
    ~CGridDefaultCell() override;

    void SetData(LPARAM lParam) override { (void)lParam; }
    void SetState(DWORD nState) override { (void)nState; }
    DWORD GetState() const override { return m_nState | GCS_READONLY; }
    void SetFont(const LOGFONT* plf) override;
    const LOGFONT* GetFont() const override { return m_plfFont; }
    CFont* GetFontObject() const override;
    // The plain default cell must always hold concrete values; the sentinel is ignored for it. The
    // fixed default cells accept it and then take the plain default cell's value.
    void SetFormat(DWORD nFormat) override;
    void SetMargin(UINT nMargin) override;

    virtual int GetWidth() const { return m_Size.cx; }
    virtual int GetHeight() const { return m_Size.cy; }
    virtual void SetWidth(int nWidth) { m_Size.cx = nWidth; }
    virtual void SetHeight(int nHeight) { m_Size.cy = nHeight; }

protected:
    BOOL MayBeUnset() const;
    CSize m_Size;
    CFont m_Font;
};
