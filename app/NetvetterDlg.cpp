#include "app/NetvetterDlg.h"
#include "app/ProductIdentity.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CNetvetterDlg, CDialog)
END_MESSAGE_MAP()

// Until the grid control registers its own class, the template's grid controls need one to exist.
static void EnsureGridClass()
{
    WNDCLASSW wc = {};
    if (::GetClassInfoW(AfxGetInstanceHandle(), L"MFCGridCtrl", &wc)) return;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_3DFACE + 1);
    wc.lpszClassName = L"MFCGridCtrl";
    ::RegisterClassW(&wc);
}

CNetvetterDlg::CNetvetterDlg(CWnd* pParent) : CDialog(IDD_NETVETTER_DIALOG, pParent)
{
    EnsureGridClass();
    m_hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME)
                          : ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CNetvetterDlg::~CNetvetterDlg() {}

void CNetvetterDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

BOOL CNetvetterDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetWindowText(LoadProductTitle());
    return TRUE;
}
