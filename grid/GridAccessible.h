// The grid as screen readers see it (Microsoft Active Accessibility): a table whose children are the
// rows and whose rows' children are the cells. The objects ask the grid for everything each time, so
// they never go stale in their content, and they answer "not connected" once the grid is gone.
#pragma once
#include <windows.h>

class CGridCtrl;
class CGridAccessible;

// The child id by which events name cell (row, col); the table object resolves it in get_accChild.
// Rows are its children 1 to the row count.
LONG GridAccessibleCellId(int nRow, int nCol);

// The answer to WM_GETOBJECT for the client area, making the table object on first use; 0 where the
// accessibility library is missing (the system then offers its own plain object for the window).
LRESULT GridAccessibleAnswer(CGridCtrl* pGrid, CGridAccessible*& pTable, WPARAM wParam);

// Cuts the objects off from a grid that goes away; screen readers may hold them for a while yet.
void GridAccessibleDisconnect(CGridAccessible*& pTable);

// Raises a WinEvent for screen readers, where the system offers them.
void GridNotifyWinEvent(DWORD event, HWND hWnd, LONG idObject, LONG idChild);

// The accessibility library is loaded from the system folder on first use and kept. Tests point it
// elsewhere (a missing file stands for a system without it); null goes back to the system folder.
void SetAccessibilityLibraryPath(LPCWSTR path);
