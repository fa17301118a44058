// The application object and the module-wide helpers of the class library.
#pragma once
#include "framework/AfxWin.h"
#include <functional>

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    // The application's own look at each message its loops fetch, after the windows have declined it.
    virtual BOOL PreTranslateMessage(MSG* pMsg) { (void)pMsg; return FALSE; }

    HICON LoadIcon(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(LPCWSTR lpszCursorName) const { return ::LoadCursorW(nullptr, lpszCursorName); }
    // Where settings would be kept; this program writes none.
    void SetRegistryKey(LPCWSTR lpszRegistryKey);

    // The standard help command; the program has no help file, so it does nothing.
    void OnHelp() {}

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;
    CString m_strRegistryKey;

protected:
    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInst);
LPCWSTR AfxGetAppName();
CWnd* AfxGetMainWnd();
// Hosting ActiveX controls is not needed by this program; the call marks where an application enables it.
void AfxEnableControlContainer();
// Offers a fetched message to the window objects from its window up to hWndStop, then to the
// application; TRUE when one of them handled it and it must not be dispatched.
BOOL AfxPreTranslateMessage(MSG* pMsg, HWND hWndStop = nullptr);
// The framework's entry, called by wWinMain.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);

// Message boxes shown by the class library and the program. Tests install a hook that sees them
// instead of a window; the hook returns the button the "user" pressed.
int AfxMessageBox(LPCWSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
typedef std::function<int(LPCWSTR text, UINT type)> AfxMessageBoxHook;
AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook);

// The standard command ids.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif
#define ID_EDIT_CLEAR 0xE120
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_PASTE 0xE125
#define ID_EDIT_SELECT_ALL 0xE12A
