// A cell's place in a grid: row and column, (-1, -1) meaning none.
#pragma once
#include <windows.h>

class CCellID {
public:
    int row, col;

    explicit CCellID(int nRow = -1, int nCol = -1) : row(nRow), col(nCol) {}

    BOOL IsValid() const { return row >= 0 && col >= 0; }
    bool operator==(const CCellID& rhs) const { return row == rhs.row && col == rhs.col; }
    bool operator!=(const CCellID& rhs) const { return !(*this == rhs); }
};
