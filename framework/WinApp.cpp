#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {
// Constant-initialised, so it is in place before any constructor of static
// objects runs, the application object's included.
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* GetApp()
{
    return g_app;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        if (!CWnd::WalkPreTranslateTree(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    m_nExitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

int RunApplication(HINSTANCE hInstance, LPCSTR lpCmdLine)
{
    CWinApp* app = GetApp();
    if (!app)
        return 1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine ? lpCmdLine : "";
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
