#include "app/NetvetterApp.h"
#include "app/NetvetterDlg.h"
#include <commctrl.h>

BEGIN_MESSAGE_MAP(CNetvetterApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CNetvetterApp::CNetvetterApp() {}
CNetvetterApp::~CNetvetterApp() {}

// The one application object.
CNetvetterApp theApp;

BOOL CNetvetterApp::InitInstance()
{
    INITCOMMONCONTROLSEX icc = {8, 0xFF};
    ::InitCommonControlsEx(&icc);
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    CNetvetterDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // The dialog has closed: return FALSE so that the framework ends the program rather than
    // entering a message loop of its own.
    return FALSE;
}
