// The single-line edit control a cell opens over itself for editing in place. It reports the final
// text and the key that ended editing to its owner (the grid) and deletes itself when it closes.
#pragma once
#include "framework/AfxCtrls.h"
#include "grid/cells/GridCellBase.h"

class CInPlaceEdit : public CEdit {
public:
    CInPlaceEdit(CWnd* pParent, CRect& rect, DWORD dwStyle, UINT nID, int nRow, int nColumn, CString sInitText,
                 UINT nFirstChar);

    void EndEdit();
    // Deletes an editor whose window could not be made (nothing else would ever free it).
    void Discard() { if (!m_hWnd) delete this; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

    int GetRow() const { return m_nRow; }
    int GetColumn() const { return m_nCol; }
    UINT GetLastChar() const { return m_nLastChar; }
    BOOL GetExitOnArrows() const { return m_bExitOnArrows; }
    const CRect& GetEditRect() const { return m_rcEdit; }

    // Handlers, public for the message map.
    void OnKillFocus(CWnd* pNewWnd);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    UINT OnGetDlgCode();

protected:
    ~CInPlaceEdit() override;
    void PostNcDestroy() override;

    int m_nRow;
    int m_nCol;
    CString m_strInitText;
    UINT m_nLastChar;
    BOOL m_bExitOnArrows;
    CRect m_rcEdit;

    DECLARE_MESSAGE_MAP()
};
