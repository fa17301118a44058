// A rectangle of cells: min row, min column, max row, max column, all inclusive; (-1, -1, -1, -1) is none.
#pragma once
#include "grid/CellID.h"

class CCellRange {
public:
    explicit CCellRange(int nMinRow = -1, int nMinCol = -1, int nMaxRow = -1, int nMaxCol = -1)
    { Set(nMinRow, nMinCol, nMaxRow, nMaxCol); }

    void Set(int nMinRow = -1, int nMinCol = -1, int nMaxRow = -1, int nMaxCol = -1)
    { m_nMinRow = nMinRow; m_nMinCol = nMinCol; m_nMaxRow = nMaxRow; m_nMaxCol = nMaxCol; }

    BOOL IsValid() const
    {
        return m_nMinRow >= 0 && m_nMinCol >= 0 && m_nMaxRow >= 0 && m_nMaxCol >= 0 &&
               m_nMinRow <= m_nMaxRow && m_nMinCol <= m_nMaxCol;
    }
    BOOL InRange(int row, int col) const
    { return row >= m_nMinRow && row <= m_nMaxRow && col >= m_nMinCol && col <= m_nMaxCol; }
    BOOL InRange(const CCellID& cell) const { return InRange(cell.row, cell.col); }

    CCellID GetTopLeft() const { return CCellID(m_nMinRow, m_nMinCol); }
    int GetMinRow() const { return m_nMinRow; }
    void SetMinRow(int n) { m_nMinRow = n; }
    int GetMinCol() const { return m_nMinCol; }
    void SetMinCol(int n) { m_nMinCol = n; }
    int GetMaxRow() const { return m_nMaxRow; }
    void SetMaxRow(int n) { m_nMaxRow = n; }
    int GetMaxCol() const { return m_nMaxCol; }
    void SetMaxCol(int n) { m_nMaxCol = n; }
    int GetRowSpan() const { return m_nMaxRow - m_nMinRow + 1; }
    int GetColSpan() const { return m_nMaxCol - m_nMinCol + 1; }
    int Count() const { return GetRowSpan() * GetColSpan(); }

    bool operator==(const CCellRange& rhs) const
    {
        return m_nMinRow == rhs.m_nMinRow && m_nMinCol == rhs.m_nMinCol && m_nMaxRow == rhs.m_nMaxRow &&
               m_nMaxCol == rhs.m_nMaxCol;
    }
    bool operator!=(const CCellRange& rhs) const { return !(*this == rhs); }

protected:
    int m_nMinRow;
    int m_nMinCol;
    int m_nMaxRow;
    int m_nMaxCol;
};
