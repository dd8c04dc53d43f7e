#pragma once
#include <windows.h>

// Flags for CWnd::RunModalLoop.
enum : DWORD {
    MLF_SHOWONIDLE = 0x0001,   // show the window the first time the queue goes idle
};

// Base of every window object. The object is bound to its window from the
// first message on and forgets it on WM_NCDESTROY; each class routes its
// messages in one WindowProc switch and hands the rest to its base, which
// ends in Default() (the window procedure behind ours).
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // The object bound to hwnd, if hwnd is a window of this thread that one of
    // our objects owns; never an object of another thread or process.
    static CWnd* FromHandlePermanent(HWND hwnd);

    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu);
    // Destroys the window and leaves the object without one; FALSE when there
    // was no window or the system refused.
    virtual BOOL DestroyWindow();

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

    // Runs a message loop for the whole thread until EndModalLoop is called
    // for this window. Returns the value given to EndModalLoop, or -1 when a
    // quit message arrives (the quit is posted again for the loops outside).
    // If EndModalLoop came before the loop started, returns its value at once.
    int RunModalLoop(DWORD dwFlags = 0);
    void EndModalLoop(int nResult);
    bool IsInModalLoop() const { return m_bInModalLoop; }

    // Sees every queued message aimed at this window (or a descendant) before
    // it is translated and dispatched; TRUE consumes it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Offers a queued message to the bound objects from its window up to the
    // application's main window, as the framework's pumps do.
    static BOOL WalkPreTranslateTree(MSG* pMsg);

    // The procedure of every class we register: binds the object passed as
    // the creation parameter on WM_NCCREATE and routes to it.
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The one handler switch of a class; unhandled messages go to the base.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND; TRUE when a handler took it. The base routes nothing.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Called after the window is gone; the object may delete itself here.
    virtual void PostNcDestroy() {}

    // Default processing of the message now being handled.
    LRESULT Default();

    // TRUE once the object has been destroyed while the message now being
    // handled was on the stack. A handler that runs a nested loop (a popup's)
    // can lose its object there, and must look before touching members again.
    const bool& DestroyedFlag() const { return m_pFrame->destroyed; }

    void Attach(HWND hwnd);
    // Binds the window to another object instead, in one step; this one has
    // no window afterwards.
    void PassWindowTo(CWnd& other);

    WNDPROC m_pfnSuper = nullptr;   // window procedure behind ours (subclassed windows)

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Detach();

    // One per message being handled, innermost first; the destructor marks
    // them all so that no frame touches the freed object on its way out.
    struct Frame {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        Frame* outer;
        bool destroyed;
    };
    Frame* m_pFrame = nullptr;
    int m_nModalResult = 0;
    bool m_bInModalLoop = false;
    bool m_bContinueModal = false;
    bool m_bEndedBeforeLoop = false;
};

// Registers (once per distinct argument set) a window class for plain
// windows whose procedure binds our objects, and returns its name.
LPCWSTR RegisterPlainWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr,
                             HBRUSH hbrBackground = nullptr, HICON hIcon = nullptr);
