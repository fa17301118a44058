// The application object: starts the result dialog and ends the program when it closes.
#pragma once
#include "framework/Afx.h"

class CNetvetterApp : public CWinApp {
public:
    CNetvetterApp();
    ~CNetvetterApp() override;
    BOOL InitInstance() override;
    // 2 after a command line or snapshot file that could not be used, otherwise 0.
    int ExitInstance() override;
protected:
    int m_nExitCode;
    DECLARE_MESSAGE_MAP()
};
