#pragma once
#include <windows.h>

class CWnd;

// The application object. Exactly one exists, constructed during static
// initialisation; the entry point finds it through GetApp().
class CWinApp {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Start-up. TRUE runs the application's own message loop (Run); FALSE
    // goes straight to ExitInstance and ends the process.
    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    // The main window, while it exists.
    CWnd* GetMainWnd() const { return m_pMainWnd; }

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPCSTR m_lpCmdLine = "";   // the arguments, after the program's name
    LPCSTR m_pszAppName = nullptr;
    int m_nExitCode = 0;
};

CWinApp* GetApp();

// Called by the entry point: start-up, then the loop or the exit handling.
int RunApplication(HINSTANCE hInstance, LPCSTR lpCmdLine);
