#pragma once
#include "framework/WinApp.h"

class CTrayDockApp : public CWinApp {
public:
    CTrayDockApp() = default;
    ~CTrayDockApp() override = default;

    BOOL InitInstance() override;
};

extern CTrayDockApp theApp;
