// The result dialog: the program's only window.
#pragma once
#include "framework/Afx.h"

class CNetvetterDlg : public CDialog {
public:
    explicit CNetvetterDlg(CWnd* pParent = nullptr);
    ~CNetvetterDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    HICON m_hIcon;

    DECLARE_MESSAGE_MAP()
};
