// The notifications a grid sends its owner, kept in order, so that a test compares the whole sequence
// it expects with the one that came: a missing, extra or reordered notification fails the comparison
// and the failure prints both sequences by name.
#pragma once
#include "grid/GridCtrl.h"
#include <ostream>
#include <vector>

struct GridNote {
    int code, row, col;
    bool operator==(const GridNote& o) const { return code == o.code && row == o.row && col == o.col; }
};
using GridNotes = std::vector<GridNote>;

inline std::ostream& operator<<(std::ostream& os, const GridNote& n)
{
    switch (n.code) {
    case GRIDN_SELCHANGING: os << "SELCHANGING"; break;
    case GRIDN_SELCHANGED: os << "SELCHANGED"; break;
    case GRIDN_BEGINEDIT: os << "BEGINEDIT"; break;
    case GRIDN_ENDEDIT: os << "ENDEDIT"; break;
    case (int)NM_CLICK: os << "CLICK"; break;
    case (int)NM_DBLCLK: os << "DBLCLK"; break;
    case (int)NM_RCLICK: os << "RCLICK"; break;
    default: os << n.code; break;
    }
    return os << "(" << n.row << "," << n.col << ")";
}

// Adds the notification a WM_NOTIFY carries, when a grid sent it; returns whether it was one.
inline bool RecordGridNote(GridNotes& notes, UINT message, LPARAM lParam)
{
    if (message != WM_NOTIFY) return false;
    const GRIDNOTIFY* p = (const GRIDNOTIFY*)lParam;
    notes.push_back({(int)p->hdr.code, p->iRow, p->iColumn});
    return true;
}
