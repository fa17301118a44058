// The application object: starts the result dialog and ends the program when it closes.
#pragma once
#include "framework/Afx.h"

class CNetvetterApp : public CWinApp {
public:
    CNetvetterApp();
    ~CNetvetterApp() override;
    BOOL InitInstance() override;
protected:
    DECLARE_MESSAGE_MAP()
};
