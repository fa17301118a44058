// What a user hands to support from the result window: the capture of this PC saved where the user
// chooses, and the window's text on the clipboard.
#pragma once
#include "framework/Afx.h"
#include "check/probes.h"
#include <string>

// The name proposed for the capture: Netvetter-<computer>-<yyyymmdd-hhmm>.snapshot, from the
// computer's name and the time (UTC) as the probes give them; characters no file name may hold are
// left out.
std::wstring SupportReportFileName(IProbes& probes);
// The user's Documents folder, empty when the system names none.
std::wstring DocumentsFolder();
// Asks for the file with the standard save dialog over owner, proposing name in folder. Empty when
// the user cancels or the dialog cannot be shown.
std::wstring AskSupportReportPath(HWND owner, const std::wstring& folder, const std::wstring& name);

// The window's text as a message box copies its own: title, body and buttons between dashed lines,
// CR LF line ends.
std::wstring MessageBoxStyleText(const CString& title, const std::wstring& body, const CString& buttons);
// Plain text on the clipboard; FALSE when the clipboard cannot be had.
BOOL PutTextOnClipboard(HWND owner, const std::wstring& text);
