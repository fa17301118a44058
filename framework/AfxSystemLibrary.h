// Loading system libraries without searching where others can write. The programs run elevated and
// are often started from a downloads folder: a library found by its bare name in the program's
// folder, the current directory or along PATH could be anyone's. Their load-time imports are libraries
// that Windows always takes from the system folder (its known libraries, and the common controls
// through the manifest); everything else is loaded at run time by full path.
#pragma once
#include <windows.h>

// Limits every later library search of the process to the system folder, where the system offers
// that (SetDefaultDllDirectories: Windows 8, and Windows 7 and Vista with KB2533623). Call it first.
// FALSE where the system lacks it.
BOOL AfxRestrictLibrarySearch();

// The named library (a bare file name) from the system folder, by its full path; null on failure.
HMODULE AfxLoadSystemLibrary(LPCWSTR fileName);
