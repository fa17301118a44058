#include "app/NetvetterApp.h"
#include "app/NetvetterDlg.h"
#include "recorded/RecordedProbes.h"
#include "recorded/Snapshot.h"
#include <commctrl.h>
#include <memory>
#include <shellapi.h>

BEGIN_MESSAGE_MAP(CNetvetterApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CNetvetterApp::CNetvetterApp() : m_nExitCode(0) {}
CNetvetterApp::~CNetvetterApp() {}

// The one application object.
CNetvetterApp theApp;

namespace {
// "--snapshot FILE" replays a recorded PC; anything else on the command line is ignored, as it always
// was. Returns FALSE when --snapshot comes without a file name.
BOOL SnapshotArgument(CString& path)
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return TRUE;
    BOOL ok = TRUE;
    for (int i = 1; i < argc; ++i) {
        if (lstrcmpW(argv[i], L"--snapshot") != 0) continue;
        if (i + 1 < argc && argv[i + 1][0]) path = argv[++i];
        else ok = FALSE;
    }
    ::LocalFree(argv);
    return ok;
}
}

BOOL CNetvetterApp::InitInstance()
{
    INITCOMMONCONTROLSEX icc = {8, 0xFF};
    ::InitCommonControlsEx(&icc);
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    CString snapshot;
    if (!SnapshotArgument(snapshot)) {
        AfxMessageBox(L"--snapshot needs the name of a snapshot file.", MB_OK | MB_ICONERROR);
        m_nExitCode = 2;
        return FALSE;
    }
    RecordedProbes recorded;
    if (!snapshot.IsEmpty()) {
        std::wstring error;
        if (!LoadSnapshotFile((LPCWSTR)snapshot, recorded, error)) {
            AfxMessageBox(error.c_str(), MB_OK | MB_ICONERROR);
            m_nExitCode = 2;
            return FALSE;
        }
    }

    std::unique_ptr<CNetvetterDlg> dlg(snapshot.IsEmpty() ? new CNetvetterDlg : new CNetvetterDlg(recorded));
    if (!snapshot.IsEmpty()) dlg->SetReplay(snapshot, recorded.listFile.c_str());
    m_pMainWnd = dlg.get();
    dlg->DoModal();
    m_pMainWnd = nullptr;
    // The dialog has closed: return FALSE so that the framework ends the program rather than
    // entering a message loop of its own.
    return FALSE;
}

int CNetvetterApp::ExitInstance() { return m_nExitCode; }
