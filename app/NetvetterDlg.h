// The result dialog: the program's only window. It runs the check once while it initialises and
// shows one row per wireless adapter found.
#pragma once
#include "framework/Afx.h"
#include "grid/GridCtrl.h"
#include "check/AdapterRecord.h"
#include "supportlist/SupportList.h"
#include "check/RealProbes.h"

class CNetvetterDlg : public CDialog {
public:
    explicit CNetvetterDlg(CWnd* pParent = nullptr);
    // Runs the check on the given system instead of the real one (tests replay recorded systems).
    explicit CNetvetterDlg(IProbes& probes, CWnd* pParent = nullptr);
    ~CNetvetterDlg() override;

    int RunCheck();
    void FillResultTable();
    void ShowSummary();
    void SetResolution(CAdapterRecord* pRecord, short nRow);

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
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    void AddAboutMenuEntry();
    void BuildTableFont();
    void SetUpHeaderTable();
    void FillOsRow();
    void SetUpResultTable();
    void FitResultTable();
    void SetRowHeights(int heightBeforeRows);

    RealProbes m_realProbes;
    IProbes& m_probes;
    CNetvetterCheck m_check;

    DECLARE_MESSAGE_MAP()
};
