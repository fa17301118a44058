// The result dialog: the program's only window. It runs the check once while it initialises and
// shows one row per wireless adapter found.
#pragma once
#include "framework/Afx.h"
#include "framework/AfxDisplay.h"
#include "grid/GridCtrl.h"
#include "check/AdapterRecord.h"
#include "app/ResultTexts.h"
#include "supportlist/NetvetterCheck.h"
#include "check/RealProbes.h"

class CNetvetterDlg : public CDialog {
public:
    explicit CNetvetterDlg(CWnd* pParent = nullptr);
    // Runs the check on the given system instead of the real one (tests replay recorded systems).
    explicit CNetvetterDlg(IProbes& probes, CWnd* pParent = nullptr);
    ~CNetvetterDlg() override;

    // Shows a recorded PC: the title names the snapshot file, and the installer command shows the
    // command it would run there instead of running it. A non-empty listPath replaces the list beside
    // the program. Called before the window is created.
    void SetReplay(const CString& snapshotPath, const CString& listPath);

    int RunCheck();
    void FillResultTable();
    void ShowSummary();
    // Makes the row's Resolution cell its command; FALSE when the row has none.
    BOOL SetResolution(const ResultRow& texts, short nRow);

    HICON m_hIcon;
    LOGFONTW m_lfTable;
    CGridCtrl m_gridHeader;
    CGridCtrl m_gridResult;
    CImageList* m_pStatusImages;
    CPtrArray AdapterList;
    CStatic m_staticSummary;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Ctrl+C anywhere in the window copies what it says.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void OnSysColorChange();
    void OnSettingChange(UINT uFlags, LPCWSTR lpszSection);

    void AddAboutMenuEntry();
    // A report for support: the entry (not in a replay), saving the capture, and the window's text.
    void AddSupportMenuEntry();
    void SaveSupportReport();
    std::wstring WindowTextForClipboard();
    void BuildTableFont();
    void SetUpHeaderTable();
    void FillOsRow();
    void SetUpResultTable();
    void FitResultTable(BOOL bResolutions);
    void SetRowHeights(int heightBeforeRows);
    BOOL RowsWillScroll(int heightBeforeRows, int clientHeight) const;
    int SummaryTextHeight(int width);

    // Display scale: every pixel number of this window is written for 96 dots per inch and taken
    // at the window's own scale.
    int Scale(int n) const { return AfxScaleForDpi(n, m_nDpi); }
    int SystemMetric(int nIndex) const;
    void LoadWindowIcons();
    void BuildStatusImages();
    void ApplyTableFont();
    void LayOutAgain(const RECT& rcSuggested);
    SIZE DialogBaseUnitsAt(UINT dpi, CFont* pFont);
    void WidenToScale();

    RealProbes m_realProbes;
    IProbes& m_probes;
    CNetvetterCheck m_check;
    CString m_strReplayFile;   // empty: the PC at hand
    UINT m_nDpi = 96;
    BOOL m_bResolutions = FALSE;                    // some row got a resolution action when filled
    HICON m_hWindowIcon = nullptr;                  // the program icon at the window's scale
    CFont m_fontScaled;                             // the dialog's font at a scale it did not open at

    DECLARE_MESSAGE_MAP()
};
