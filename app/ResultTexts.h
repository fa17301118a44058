// What the result window shows for a checked system, worked out in one place for the window and for
// the report tool, so that a report reads exactly like the window a user saw.
#pragma once
#include "app/OsName.h"
#include "check/AdapterRecord.h"

enum ResolutionAction { ResolutionNone, ResolutionPage, ResolutionInstaller };

struct ResultRow {
    CString cells[5];          // the row's texts in column order; cells[4] is the resolution command
    int statusImage = 0;       // 1: green check mark, 0: red cross
    ResolutionAction action = ResolutionNone;
    CString target;            // the page's address, the installer's command line, or empty
};

// The text a user reads for a verdict of the driver rules.
CString DriverVerdictText(CAdapterRecord::Verdict verdict);
// The row of one record after the check. installerCommand is what a click on the installer command
// would run on that system.
ResultRow ResultRowOf(const CAdapterRecord& record, const CString& installerCommand);
// The text under the table: the congratulation, the no-adapter text, or empty.
CString ResultSummary(const AdapterList& list);
// What the user is told when the list file is not there to be opened.
CString MissingListMessage(const CString& listPath);
// The USB driver installer below the folder of the program whose full path is given.
CString InstallerBeside(const CString& programPath);
// The same for the program as the probe surface sees it: the running one, or a recorded one.
CString InstallerCommandLine(IProbes& probes);
