#include "app/NetvetterDlg.h"
#include "app/AboutDlg.h"
#include "app/GridCommandCell.h"
#include "app/OsName.h"
#include "app/ProductIdentity.h"
#include "app/ResultTexts.h"
#include "app/SupportReport.h"
#include "recorded/Snapshot.h"
#include "res/resource.h"
#include "framework/AfxDisplay.h"
#include <algorithm>

BEGIN_MESSAGE_MAP(CNetvetterDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_MESSAGE(WM_DPICHANGED, &CNetvetterDlg::OnDpiChanged)
    ON_WM_SYSCOLORCHANGE()
    ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

namespace {
const COLORREF kHeadingBack = RGB(150, 255, 150);
const COLORREF kLabelText = RGB(0, 0, 192);
const UINT kHeadingFormat = DT_CENTER | DT_WORDBREAK;
const UINT kRowFormat = DT_WORDBREAK;
const int kResultWidths[5] = {240, 90, 80, 110, 100};
const UINT kHeadings[5] = {IDS_HEAD_ADAPTER, IDS_HEAD_OS, IDS_HEAD_DRIVER, IDS_HEAD_STATUS, IDS_HEAD_RESOLUTION};

HICON LoadProgramIcon(UINT id)
{
    return AfxGetApp() ? AfxGetApp()->LoadIcon(id) : ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
}
}

CNetvetterDlg::CNetvetterDlg(CWnd* pParent) : CNetvetterDlg(m_realProbes, pParent) {}

CNetvetterDlg::CNetvetterDlg(IProbes& probes, CWnd* pParent)
    : CDialog(IDD_NETVETTER_DIALOG, pParent), m_gridHeader(0, 0, 0, 0), m_gridResult(0, 0, 0, 0),
      m_pStatusImages(nullptr), m_probes(probes), m_check(probes, AdapterList)
{
    m_hIcon = LoadProgramIcon(IDR_MAINFRAME);
    memset(&m_lfTable, 0, sizeof m_lfTable);
}

CNetvetterDlg::~CNetvetterDlg()
{
    DeleteAdapterRecords(AdapterList);
    if (m_pStatusImages) {
        delete m_pStatusImages;
        m_pStatusImages = nullptr;
    }
    if (m_hWindowIcon) ::DestroyIcon(m_hWindowIcon);
}

void CNetvetterDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_GRID_HEADER, m_gridHeader);
    DDX_Control(pDX, IDC_GRID_RESULT, m_gridResult);
    DDX_Control(pDX, IDC_SUMMARY, m_staticSummary);
}

void CNetvetterDlg::SetReplay(const CString& snapshotPath, const CString& listPath)
{
    m_strReplayFile = snapshotPath;
    if (!listPath.IsEmpty()) m_check.SupportList().SetListPath(listPath);
}

int CNetvetterDlg::RunCheck() { return m_check.RunCheck(); }

BOOL CNetvetterDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_nDpi = AfxGetWindowDpi(m_hWnd);
    // Moved to a display of another scale, the window lays itself out again from its own numbers.
    AfxTakeOverDialogScaling(m_hWnd);
    AddAboutMenuEntry();
    if (m_strReplayFile.IsEmpty()) AddSupportMenuEntry();
    LoadWindowIcons();
    CString title = LoadProductTitle();
    if (!m_strReplayFile.IsEmpty()) {
        CString replay;
        replay.Format(AfxResourceString(IDS_REPLAY_TITLE), title.GetString(), m_strReplayFile.GetString());
        title = replay;
    }
    SetWindowText(title);

    // Without a readable list file the tables stay empty; a missing one is named to the user.
    if (!RunCheck()) {
        if (m_check.SupportList().ListMissing())
            AfxMessageBox(MissingListMessage(m_check.SupportList().GetListPath()), MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    WidenToScale();

    BuildTableFont();
    SetUpHeaderTable();
    FillOsRow();

    CRect rcResult;
    m_gridResult.GetWindowRect(&rcResult);
    int heightBeforeRows = rcResult.Height();

    BuildStatusImages();
    SetUpResultTable();
    FillResultTable();
    SetRowHeights(heightBeforeRows);
    return TRUE;
}

int CNetvetterDlg::SystemMetric(int nIndex) const { return AfxGetSystemMetricsForDpi(nIndex, m_nDpi); }

// The program icon at the system's large-icon size for the window's scale, from the image of that
// size. It serves as the small icon too, as it always has: the system makes the title bar's icon
// from it, always smaller, never stretched, and at 96 dots per inch the title bar stays as it was.
void CNetvetterDlg::LoadWindowIcons()
{
    HICON old = m_hWindowIcon;
    m_hWindowIcon = AfxLoadIconForSize(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                       SystemMetric(SM_CXICON), SystemMetric(SM_CYICON));
    HICON shown = m_hWindowIcon ? m_hWindowIcon : m_hIcon;
    SetIcon(shown, TRUE);
    SetIcon(shown, FALSE);
    if (old) ::DestroyIcon(old);
}

// The status icons at the table's scale, each drawn for that size rather than stretched.
void CNetvetterDlg::BuildStatusImages()
{
    CImageList* old = m_pStatusImages;
    int side = Scale(16);
    m_pStatusImages = new CImageList;
    m_pStatusImages->Create(side, side, ILC_COLOR32 | ILC_MASK, 0, 0);
    for (UINT id : {IDI_STATUS_BAD, IDI_STATUS_OK}) {
        HICON h = AfxLoadIconForSize(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), side, side);
        m_pStatusImages->Add(h);
        if (h) ::DestroyIcon(h);
    }
    if (old) {
        m_gridResult.SetImageList(m_pStatusImages);
        delete old;
    }
}

void CNetvetterDlg::AddAboutMenuEntry()
{
    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (!pSysMenu) return;
    CString about = AfxResourceString(IDS_ABOUTBOX);
    if (about.IsEmpty()) return;
    pSysMenu->AppendMenu(MF_SEPARATOR);
    pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
}

void CNetvetterDlg::BuildTableFont()
{
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &m_lfTable);
    m_lfTable.lfHeight = Scale(12);
    m_lfTable.lfWeight = 580;
    m_lfTable.lfEscapement = 0;
    m_lfTable.lfItalic = FALSE;
    m_lfTable.lfUnderline = FALSE;
    m_lfTable.lfStrikeOut = FALSE;
}

void CNetvetterDlg::SetUpHeaderTable()
{
    CGridCtrl& g = m_gridHeader;
    g.SetRowCount(1);
    g.SetEditable(FALSE);
    g.SetListMode(TRUE);
    g.SetRowResize(TRUE);
    g.SetSingleRowSelection(TRUE);
    g.SetColumnResize(FALSE);
    g.SetFixedRowSelection(FALSE);
    g.EnableSelection(FALSE);
    g.SetColumnCount(2);
    g.SetColumnWidth(0, Scale(240));
    g.ExpandLastColumn();
    g.ExpandRowsToFit(TRUE);
}

void CNetvetterDlg::FillOsRow()
{
    m_gridHeader.SetItemFont(0, 0, &m_lfTable);
    m_gridHeader.SetItemFont(0, 1, &m_lfTable);
    m_gridHeader.SetItemText(0, 0, AfxResourceString(IDS_OPERATING_SYSTEM));
    m_gridHeader.SetItemText(0, 1, OsDisplayName(m_check.Facts()));
    m_gridHeader.SetItemTextColor(0, 0, kLabelText);
}

void CNetvetterDlg::SetUpResultTable()
{
    CGridCtrl& g = m_gridResult;
    g.SetImageList(m_pStatusImages);
    // Screen readers name a status icon by the verdict it shows.
    g.SetImageName(0, AfxResourceString(IDS_STATUS_FAILED));
    g.SetImageName(1, AfxResourceString(IDS_PASSED));
    g.SetEditable(FALSE);
    g.SetListMode(TRUE);
    g.SetRowResize(TRUE);
    g.SetSingleRowSelection(TRUE);
    g.SetColumnResize(FALSE);
    g.SetFixedRowCount(1);
    g.SetFixedRowSelection(FALSE);
    g.EnableSelection(FALSE);
    g.SetRowCount(1);
    g.SetColumnCount(0);
    g.SetColumnCount(5);
    for (int c = 0; c < 5; ++c) g.SetColumnWidth(c, Scale(kResultWidths[c]));
    g.EnableTitleTips(FALSE);
    g.ExpandLastColumn();

    for (int c = 0; c < 5; ++c) {
        g.SetItemFormat(0, c, kHeadingFormat);
        g.SetItemBackColor(0, c, kHeadingBack);
    }
    for (int c = 0; c < 5; ++c) g.SetItemText(0, c, AfxResourceString(kHeadings[c]));
    for (int c = 0; c < 5; ++c) g.SetItemFont(0, c, &m_lfTable);
}

void CNetvetterDlg::FillResultTable()
{
    CGridCtrl& g = m_gridResult;
    CString installer = InstallerCommandLine(m_probes);
    m_bResolutions = FALSE;
    INT_PTR count = AdapterList.GetSize();
    for (short i = 0; i < count; ++i) {
        CAdapterRecord* r = static_cast<CAdapterRecord*>(AdapterList[i]);
        if (!r) continue;
        ResultRow texts = ResultRowOf(*r, installer);
        int row = g.InsertRow(L"", -1);
        g.SetItemData(row, 0, (LPARAM)r);
        for (int c = 0; c < 5; ++c) g.SetItemFormat(row, c, kRowFormat);
        for (int c = 0; c < 3; ++c) g.SetItemText(row, c, texts.cells[c]);
        for (int c = 0; c < 5; ++c) g.SetItemFont(row, c, &m_lfTable);
        g.SetItemText(row, 3, texts.cells[3]);
        g.SetItemImage(row, 3, texts.statusImage);
        g.SetItemTextColor(row, 0, kLabelText);
        if (SetResolution(texts, (short)row)) m_bResolutions = TRUE;
    }
    FitResultTable(m_bResolutions);
}

BOOL CNetvetterDlg::SetResolution(const ResultRow& texts, short nRow)
{
    const int col = 4;
    if (texts.action == ResolutionNone) return FALSE;
    m_gridResult.SetCellType(nRow, col, RUNTIME_CLASS(CGridCommandCell));
    auto* cell = static_cast<CGridCommandCell*>(m_gridResult.GetCell(nRow, col));
    if (!cell) return FALSE;
    // The installer closes the dialog once started; in the replay of a recorded PC it is only shown.
    if (texts.action == ResolutionInstaller) cell->SetOwner(this, nRow);
    cell->SetText(texts.cells[col]);
    cell->SetAction(texts.action, texts.target, texts.action == ResolutionInstaller && !m_strReplayFile.IsEmpty());
    return TRUE;
}

void CNetvetterDlg::ShowSummary()
{
    // Where there is nothing to say the summary keeps the template's empty text.
    CString summary = ResultSummary(AdapterList);
    if (!summary.IsEmpty()) m_staticSummary.SetWindowText(summary);
}

void CNetvetterDlg::FitResultTable(BOOL bResolutions)
{
    m_gridResult.ExpandRowsToFit(TRUE);
    m_gridResult.ExpandColumnsToFit(TRUE);
    ShowSummary();
    if (bResolutions) {
        m_gridResult.SetFocus();
        return;
    }

    // No row needs a resolution: hide that column and narrow the window to the rest.
    CRect rc;
    m_gridResult.GetClientRect(&rc);
    int w4 = m_gridResult.GetColumnWidth(4);
    m_gridResult.SetColumnWidth(4, 0);
    CRect rcWnd;
    m_gridResult.GetWindowRect(&rcWnd);
    ScreenToClient(&rcWnd);
    // The table stays directly below the header table, where the template puts it.
    m_gridResult.SetWindowPos(&CWnd::wndTop, 0, rcWnd.top, rc.Width() - w4 + Scale(5), rc.Height() + Scale(5),
                              SWP_SHOWWINDOW);
    // When the row-height rule will make the rows scroll, the table is made wider by the vertical
    // bar, so that the bar does not cover the last column and no horizontal bar appears.
    CRect rcNow;
    m_gridResult.GetClientRect(&rcNow);
    int vBar = RowsWillScroll(rcWnd.Height(), rcNow.Height()) ? SystemMetric(SM_CXVSCROLL) : 0;
    if (vBar)
        m_gridResult.SetWindowPos(nullptr, 0, 0, rc.Width() - w4 + Scale(5) + vBar, rc.Height() + Scale(5),
                                  SWP_NOMOVE | SWP_NOZORDER);

    int s = m_gridResult.GetColumnWidth(1) + m_gridResult.GetColumnWidth(2) + m_gridResult.GetColumnWidth(3);
    m_gridHeader.SetColumnWidth(1, s + vBar);
    CRect rcHead;
    m_gridHeader.GetClientRect(&rcHead);
    m_gridHeader.SetRowHeight(0, rcHead.Height());
    m_gridHeader.SetWindowPos(&CWnd::wndTop, rcHead.left, rcHead.top, m_gridHeader.GetColumnWidth(0) + s + vBar + Scale(5),
                              rcHead.Height() + Scale(5), SWP_SHOWWINDOW);

    CRect rcTable, rcDlg;
    m_gridResult.GetClientRect(&rcTable);
    GetWindowRect(&rcDlg);
    MoveWindow(rcDlg.left, rcDlg.top, rcTable.Width() + Scale(9), rcDlg.Height(), TRUE);

    if (CWnd* close = GetDlgItem(IDOK)) {
        CRect rcButton;
        close->GetWindowRect(&rcButton);
        ScreenToClient(&rcButton);
        GetWindowRect(&rcDlg);
        int left = rcDlg.Width() / 2 - rcButton.Width() / 2;
        close->SetWindowPos(nullptr, left, rcButton.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        // In the narrower window the summary would reach under the button: it keeps its place but
        // ends a little before the button, so that both stay readable.
        if (m_staticSummary.GetSafeHwnd()) {
            CRect rcSummary, gap(0, 0, 4, 0);
            m_staticSummary.GetWindowRect(&rcSummary);
            ScreenToClient(&rcSummary);
            ::MapDialogRect(m_hWnd, &gap);
            int right = left - gap.right;
            if (rcSummary.right > right && right > rcSummary.left) {
                // Narrower, the text may need another line: the summary may then reach down to the
                // bottom of the window, never above its place.
                CRect rcClient;
                GetClientRect(&rcClient);
                int height = std::max((int)rcSummary.Height(),
                                      std::min(SummaryTextHeight(right - rcSummary.left), (int)(rcClient.bottom - rcSummary.top)));
                m_staticSummary.SetWindowPos(nullptr, 0, 0, right - rcSummary.left, height, SWP_NOMOVE | SWP_NOZORDER);
            }
        }
    }
    m_gridResult.SetFocus();
}

// The height the summary's text takes when wrapped at the given width, in the summary's font.
int CNetvetterDlg::SummaryTextHeight(int width)
{
    CString text;
    m_staticSummary.GetWindowText(text);
    HDC dc = ::GetDC(m_staticSummary.m_hWnd);
    if (!dc) return 0;
    HGDIOBJ old = ::SelectObject(dc, (HFONT)m_staticSummary.SendMessage(WM_GETFONT));
    CRect r(0, 0, width, 0);
    ::DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_staticSummary.m_hWnd, dc);
    return r.Height();
}

// Whether the row-height rule (SetRowHeights) will give the rows more height than the table shows.
BOOL CNetvetterDlg::RowsWillScroll(int heightBeforeRows, int clientHeight) const
{
    int n = (int)AdapterList.GetSize();
    if ((int)((double)heightBeforeRows / (n + 1)) >= Scale(45)) return FALSE;
    return Scale(40) + Scale(45) * n > clientHeight;
}

void CNetvetterDlg::SetRowHeights(int heightBeforeRows)
{
    int n = (int)AdapterList.GetSize();
    int perRow = (int)((double)heightBeforeRows / (n + 1));
    if (perRow >= Scale(45)) return;
    m_gridResult.SetRowHeight(0, Scale(40));
    for (int row = 1; row <= n; ++row) m_gridResult.SetRowHeight(row, Scale(45));

    // The rows may now need the vertical scroll bar. Its room comes off the last shown column, so
    // that the columns still fit side by side and no horizontal bar appears; the other columns
    // keep their widths.
    CGridCtrl& g = m_gridResult;
    CRect rc;
    g.GetClientRect(&rc);
    BOOL vBar = (g.GetStyle() & WS_VSCROLL) != 0;
    BOOL hBar = (g.GetStyle() & WS_HSCROLL) != 0;
    int height = rc.Height() + (hBar ? SystemMetric(SM_CYHSCROLL) : 0);
    int width = rc.Width() + (vBar ? SystemMetric(SM_CXVSCROLL) : 0);
    long rows = 0, cols = 0;
    for (int row = 0; row < g.GetRowCount(); ++row) rows += g.GetRowHeight(row);
    for (int col = 0; col < g.GetColumnCount(); ++col) cols += g.GetColumnWidth(col);
    if (rows > height) width -= SystemMetric(SM_CXVSCROLL);
    int last = g.GetColumnCount() - 1;
    while (last >= 0 && g.GetColumnWidth(last) == 0) --last;
    if (last >= 0 && cols > width && cols - width < g.GetColumnWidth(last))
        g.SetColumnWidth(last, g.GetColumnWidth(last) - (int)(cols - width));
    g.ResetScrollBars();
    g.Refresh();
}

void CNetvetterDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_SUPPORTREPORT) {
        SaveSupportReport();
    } else if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CNetvetterDlg::OnPaint()
{
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, (WPARAM)dc.GetSafeHdc(), 0);
        int cxIcon = SystemMetric(SM_CXICON);
        int cyIcon = SystemMetric(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        int x = (rect.Width() - cxIcon + 1) / 2;
        int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CNetvetterDlg::OnQueryDragIcon() { return (HCURSOR)m_hIcon; }

void CNetvetterDlg::AddSupportMenuEntry()
{
    CMenu* pSysMenu = GetSystemMenu(FALSE);
    CString text = AfxResourceString(IDS_SUPPORT_REPORT);
    if (pSysMenu && !text.IsEmpty()) pSysMenu->AppendMenu(MF_STRING, IDM_SUPPORTREPORT, text);
}

// The same file as netvetter-report --capture writes, so that support replays exactly this PC.
void CNetvetterDlg::SaveSupportReport()
{
    std::wstring path = AskSupportReportPath(m_hWnd, DocumentsFolder(), SupportReportFileName(m_probes));
    if (path.empty()) return;
    HCURSOR before = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    std::wstring error;
    bool saved = WriteSnapshotFile(path, CaptureSnapshot(m_probes, (LPCWSTR)m_check.SupportList().GetListPath()), error);
    ::SetCursor(before);
    if (saved) return;
    CString message;
    message.Format(AfxResourceString(IDS_SUPPORT_FAILED), error.c_str());
    AfxMessageBox(message, MB_OK | MB_ICONERROR);
}

BOOL CNetvetterDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 'C' && ::GetKeyState(VK_CONTROL) < 0 &&
        ::GetKeyState(VK_MENU) >= 0 && ::GetKeyState(VK_SHIFT) >= 0) {
        PutTextOnClipboard(m_hWnd, WindowTextForClipboard());
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

// What the window says: the operating-system line, one line per adapter with its five cells
// separated by tabs, and the summary.
std::wstring CNetvetterDlg::WindowTextForClipboard()
{
    auto oneLine = [](CString s) {
        s.Replace(L"\r\n", L" ");
        s.Replace(L"\n", L" ");
        return std::wstring((LPCWSTR)s);
    };
    std::wstring body;
    if (m_gridHeader.GetRowCount() > 0 && m_gridHeader.GetColumnCount() >= 2)
        body += oneLine(m_gridHeader.GetItemText(0, 0)) + L"\t" + oneLine(m_gridHeader.GetItemText(0, 1)) + L"\n";
    for (int row = m_gridResult.GetFixedRowCount(); row < m_gridResult.GetRowCount(); ++row) {
        for (int col = 0; col < 5 && col < m_gridResult.GetColumnCount(); ++col)
            body += (col ? L"\t" : L"") + oneLine(m_gridResult.GetItemText(row, col));
        body += L"\n";
    }
    CString summary, title, button;
    m_staticSummary.GetWindowText(summary);
    if (!summary.IsEmpty()) body += std::wstring((LPCWSTR)summary) + L"\n";
    GetWindowText(title);
    if (CWnd* close = GetDlgItem(IDOK)) close->GetWindowText(button);
    button.Remove(L'&');
    return MessageBoxStyleText(title, body, button);
}

// ---------------------------------------------------------------------------------------------
// Display scale and colours

void CNetvetterDlg::ApplyTableFont()
{
    for (int c = 0; c < m_gridHeader.GetColumnCount(); ++c) m_gridHeader.SetItemFont(0, c, &m_lfTable);
    for (int row = 0; row < m_gridResult.GetRowCount(); ++row)
        for (int c = 0; c < m_gridResult.GetColumnCount(); ++c) m_gridResult.SetItemFont(row, c, &m_lfTable);
}

// The window went to a display of another scale: everything is laid out again from the template
// and the 96-dot numbers, never from the sizes it has now, so that it looks as if opened there and
// going back and forth does not drift.
LRESULT CNetvetterDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    UINT dpi = LOWORD(wParam);
    const RECT* suggested = (const RECT*)lParam;
    if (!dpi || !suggested) return 0;
    m_nDpi = dpi;
    LayOutAgain(*suggested);
    return 0;
}

void CNetvetterDlg::LayOutAgain(const RECT& rcSuggested)
{
    // The children where the template puts them in the units of the dialog's font at this scale,
    // and that font for the texts, as the dialog manager would have made them here.
    AfxDialogLayout layout;
    CFont scaled;
    SIZE units = DialogBaseUnitsAt(m_nDpi, &scaled);
    if (units.cx && AfxReadDialogLayout(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_NETVETTER_DIALOG), layout)) {
        for (int i = 0; i < layout.nItems; ++i) {
            HWND child = ::GetDlgItem(m_hWnd, layout.items[i].nID);
            if (!child) continue;
            RECT r = AfxMapDialogRect(layout.items[i].rc, units);
            ::SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            if (child != m_gridHeader.m_hWnd && child != m_gridResult.m_hWnd)
                ::SendMessageW(child, WM_SETFONT, (WPARAM)(HFONT)scaled, FALSE);
        }
        RECT client = AfxMapDialogRect(RECT{0, 0, layout.cx, layout.cy}, units);
        AfxAdjustWindowRectExForDpi(&client, GetStyle(), FALSE, GetExStyle(), m_nDpi);
        SetWindowPos(nullptr, rcSuggested.left, rcSuggested.top, client.right - client.left,
                     client.bottom - client.top, SWP_NOZORDER | SWP_NOACTIVATE);
        m_fontScaled.DeleteObject();
        m_fontScaled.Attach(scaled.Detach());
    } else {
        SetWindowPos(nullptr, rcSuggested.left, rcSuggested.top, rcSuggested.right - rcSuggested.left,
                     rcSuggested.bottom - rcSuggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LoadWindowIcons();
    m_gridHeader.SetDpi(m_nDpi);
    m_gridResult.SetDpi(m_nDpi);
    // An empty window (no list file) has no tables to lay out.
    if (m_gridResult.GetColumnCount() == 0) {
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        return;
    }

    WidenToScale();
    BuildTableFont();
    ApplyTableFont();
    BuildStatusImages();

    // The sizes the rows and columns had before the first fit, at this scale.
    CGridCtrl& h = m_gridHeader;
    h.SetRowHeight(0, h.GetDefaultCell(FALSE, FALSE)->GetHeight());
    h.SetColumnWidth(1, h.GetDefaultCell(FALSE, TRUE)->GetWidth());
    h.SetColumnWidth(0, Scale(240));
    h.ExpandLastColumn();
    h.ExpandRowsToFit(TRUE);

    CGridCtrl& g = m_gridResult;
    g.SetRowHeight(0, g.GetDefaultCell(FALSE, FALSE)->GetHeight());
    for (int row = 1; row < g.GetRowCount(); ++row) g.SetRowHeight(row, g.GetDefaultCell(TRUE, FALSE)->GetHeight());
    for (int c = 0; c < 5; ++c) g.SetColumnWidth(c, Scale(kResultWidths[c]));
    g.ExpandLastColumn();

    CRect rcResult;
    g.GetWindowRect(&rcResult);
    FitResultTable(m_bResolutions);
    SetRowHeights(rcResult.Height());
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

// The dialog's base units at a scale: the template's font made for that scale and measured as the
// dialog manager measures it. The font is handed over when asked for.
SIZE CNetvetterDlg::DialogBaseUnitsAt(UINT dpi, CFont* pFont)
{
    SIZE none = {0, 0};
    AfxDialogLayout layout;
    HFONT font = (HFONT)SendMessage(WM_GETFONT);
    LOGFONTW lf;
    if (!AfxReadDialogLayout(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_NETVETTER_DIALOG), layout) ||
        !layout.nPointSize || !font || !::GetObjectW(font, sizeof lf, &lf))
        return none;
    lf.lfHeight = -::MulDiv(layout.nPointSize, (int)dpi, 72);
    CFont made;
    if (!made.CreateFontIndirect(&lf)) return none;
    SIZE units = AfxDialogBaseUnits(made);
    if (pFont) pFont->Attach(made.Detach());
    return units;
}

// The dialog's font does not grow quite in step with the scale (its letters are whole pixels), so
// a window of the template's size comes out narrower than the 96-dot window scaled, while the
// tables' columns scale exactly. The tables and the window get that room back, so that the last
// column is as wide, in proportion, as at 96 dots per inch and its texts keep their lines.
void CNetvetterDlg::WidenToScale()
{
    if (m_nDpi == 96) return;
    AfxDialogLayout layout;
    SIZE at96 = DialogBaseUnitsAt(96, nullptr), here = DialogBaseUnitsAt(m_nDpi, nullptr);
    if (!at96.cx || !here.cx ||
        !AfxReadDialogLayout(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_NETVETTER_DIALOG), layout))
        return;
    int width = layout.cx;
    int deficit = Scale(::MulDiv(width, at96.cx, 4)) - ::MulDiv(width, here.cx, 4);
    if (deficit <= 0) return;
    for (CWnd* grid : {(CWnd*)&m_gridHeader, (CWnd*)&m_gridResult}) {
        CRect r;
        grid->GetWindowRect(&r);
        grid->SetWindowPos(nullptr, 0, 0, r.Width() + deficit, r.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (CWnd* close = GetDlgItem(IDOK)) {
        CRect r;
        close->GetWindowRect(&r);
        ScreenToClient(&r);
        close->SetWindowPos(nullptr, r.left + deficit / 2, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CRect rcDlg;
    GetWindowRect(&rcDlg);
    SetWindowPos(nullptr, 0, 0, rcDlg.Width() + deficit, rcDlg.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// High contrast may have come or gone: the tables take the system's colours, or their own again.
// The system tells only the top-level window; the tables hear it from here.
void CNetvetterDlg::OnSysColorChange()
{
    Default();
    for (CGridCtrl* g : {&m_gridHeader, &m_gridResult})
        if (g->GetSafeHwnd()) g->SendMessage(WM_SYSCOLORCHANGE);
    Invalidate();
}

void CNetvetterDlg::OnSettingChange(UINT uFlags, LPCWSTR lpszSection)
{
    Default();
    for (CGridCtrl* g : {&m_gridHeader, &m_gridResult})
        if (g->GetSafeHwnd()) g->SendMessage(WM_SETTINGCHANGE, uFlags, (LPARAM)lpszSection);
}
