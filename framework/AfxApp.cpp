#include "framework/AfxApp.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

static CWinApp* g_pApp = nullptr;
static HINSTANCE g_hResource = nullptr;
static AfxMessageBoxHook g_messageBoxHook;

CWinApp::CWinApp(LPCWSTR lpszAppName)
{
    g_pApp = this;
    m_hInstance = ::GetModuleHandleW(nullptr);
    if (lpszAppName) {
        m_strAppName = lpszAppName;
    } else {
        // Without a name the application is called after its executable file.
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        path[MAX_PATH - 1] = 0;
        CString s(path);
        s = s.Mid(s.ReverseFind(L'\\') + 1);
        int dot = s.ReverseFind(L'.');
        m_strAppName = dot > 0 ? s.Left(dot) : s;
    }
}

CWinApp::~CWinApp()
{
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (AfxPreTranslateMessage(&msg, m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
}

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey) { m_strRegistryKey = lpszRegistryKey; }

CWinApp* AfxGetApp() { return g_pApp; }

BOOL AfxPreTranslateMessage(MSG* pMsg, HWND hWndStop)
{
    if (CWnd::WalkPreTranslateTree(hWndStop, pMsg)) return TRUE;
    return g_pApp ? g_pApp->PreTranslateMessage(pMsg) : FALSE;
}
HINSTANCE AfxGetInstanceHandle() { return g_pApp ? g_pApp->m_hInstance : ::GetModuleHandleW(nullptr); }
HINSTANCE AfxGetResourceHandle() { return g_hResource ? g_hResource : ::GetModuleHandleW(nullptr); }
void AfxSetResourceHandle(HINSTANCE hInst) { g_hResource = hInst; }
LPCWSTR AfxGetAppName() { return g_pApp ? g_pApp->m_strAppName.GetString() : L""; }
CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }
void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = hInstance;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}

AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook)
{
    AfxMessageBoxHook old = g_messageBoxHook;
    g_messageBoxHook = hook;
    return old;
}

int AfxMessageBox(LPCWSTR lpszText, UINT nType, UINT)
{
    if (g_messageBoxHook) return g_messageBoxHook(lpszText, nType);
    HWND owner = nullptr;
    if (CWnd* main = AfxGetMainWnd()) owner = main->GetSafeHwnd();
    if (!owner) owner = ::GetActiveWindow();
    return ::MessageBoxW(owner, lpszText, AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString s;
    s.LoadString(nIDPrompt);
    return AfxMessageBox(s, nType, nIDHelp);
}
