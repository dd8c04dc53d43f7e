#include "framework/Wnd.h"
#include "framework/WinApp.h"

CWnd::~CWnd()
{
    for (Frame* f = m_pFrame; f; f = f->outer)
        f->destroyed = true;
    m_pFrame = nullptr;
    // A window must not outlive its object: its procedure would reach a
    // destroyed object.
    if (m_hWnd)
        DestroyWindow();
}

// The binding lives in the window's user data, which every window that our
// procedure serves (our own classes' and the dialogs we subclass) leaves to
// us: every message is dispatched through it, and reading it, unlike a
// window property, needs no round trip to the window server.
CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    if (!hwnd || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId())
        return nullptr;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != &StaticWndProc)
        return nullptr;   // another's window: its user data is its own
    return reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void CWnd::Attach(HWND hwnd)
{
    m_hWnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CWnd::PassWindowTo(CWnd& other)
{
    other.m_hWnd = m_hWnd;
    m_hWnd = nullptr;
    if (other.m_hWnd)
        SetWindowLongPtrW(other.m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&other));
}

void CWnd::Detach()
{
    if (m_hWnd) {
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        if (m_pfnSuper)
            SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    m_hWnd = nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu)
{
    if (m_hWnd)
        return FALSE;
    HWND hwnd = CreateWindowExW(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth,
                                nHeight, hWndParent, hMenu, GetModuleHandleW(nullptr), this);
    // The binding was made on WM_NCCREATE; a creation that failed later has
    // already run WM_NCDESTROY and unbound us.
    return hwnd != nullptr;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND hwnd = m_hWnd;
    BOOL ok = ::DestroyWindow(hwnd);
    // Normally WM_NCDESTROY detached us; if the system refused, still let go,
    // so that the object never claims a window it does not control.
    if (m_hWnd == hwnd)
        Detach();
    return ok;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Ours is the procedure of this window, so its user data is ours.
    CWnd* self = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self && message == WM_NCCREATE) {
        self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self)
            self->Attach(hwnd);
    }
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Dispatch(message, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    Frame frame{message, wParam, lParam, m_pFrame, false};
    m_pFrame = &frame;
    LRESULT result = WindowProc(message, wParam, lParam);
    if (frame.destroyed)
        return result;   // the handler's work destroyed the object
    m_pFrame = frame.outer;
    if (message == WM_NCDESTROY) {
        if (CWinApp* app = GetApp(); app && app->m_pMainWnd == this)
            app->m_pMainWnd = nullptr;
        Detach();
        PostNcDestroy();   // may delete this
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && OnCommand(wParam, lParam))
        return 0;
    return Default();
}

BOOL CWnd::OnCommand(WPARAM, LPARAM)
{
    return FALSE;
}

LRESULT CWnd::Default()
{
    if (!m_pFrame)
        return 0;
    if (m_pfnSuper)
        return CallWindowProcW(m_pfnSuper, m_hWnd, m_pFrame->message, m_pFrame->wParam, m_pFrame->lParam);
    return DefWindowProcW(m_hWnd, m_pFrame->message, m_pFrame->wParam, m_pFrame->lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(MSG* pMsg)
{
    CWinApp* app = GetApp();
    HWND hwndStop = (app && app->m_pMainWnd) ? app->m_pMainWnd->m_hWnd : nullptr;
    bool mainSeen = false;
    for (HWND hwnd = pMsg->hwnd; hwnd; hwnd = GetParent(hwnd)) {
        if (CWnd* wnd = FromHandlePermanent(hwnd); wnd && wnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hwnd == hwndStop) {
            mainSeen = true;
            break;
        }
    }
    // The main window also gets a look at messages of windows outside its
    // tree (the tray icons' hidden windows, for one).
    if (!mainSeen && hwndStop && pMsg->hwnd) {
        if (CWnd* main = FromHandlePermanent(hwndStop); main && main->PreTranslateMessage(pMsg))
            return TRUE;
    }
    return FALSE;
}

int CWnd::RunModalLoop(DWORD dwFlags)
{
    if (m_bEndedBeforeLoop) {
        m_bEndedBeforeLoop = false;
        return m_nModalResult;
    }
    if (!m_hWnd)
        return -1;

    const HWND hwnd = m_hWnd;
    bool showOnIdle = (dwFlags & MLF_SHOWONIDLE) != 0;
    const bool wasInLoop = m_bInModalLoop;
    m_bInModalLoop = true;
    m_bContinueModal = true;

    MSG msg;
    while (m_bContinueModal) {
        if (showOnIdle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            showOnIdle = false;
            ShowWindow(hwnd, SW_SHOWNORMAL);
            UpdateWindow(hwnd);
            continue;
        }
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // Leave the quit for the loops outside this one.
            PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 0);
            m_bInModalLoop = wasInLoop;
            m_bContinueModal = false;
            return -1;
        }
        if (!WalkPreTranslateTree(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    m_bInModalLoop = wasInLoop;
    return m_nModalResult;
}

void CWnd::EndModalLoop(int nResult)
{
    m_nModalResult = nResult;
    if (!m_bInModalLoop) {
        m_bEndedBeforeLoop = true;
        return;
    }
    if (m_bContinueModal) {
        m_bContinueModal = false;
        // Wake the loop if it sleeps in GetMessage (the end may come from a
        // message sent by another thread). A thread message survives the
        // window's destruction, which usually follows at once.
        PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
    }
}

LPCWSTR RegisterPlainWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    // One class per argument set, named after the arguments, as a plain
    // window needs nothing more from its class.
    static wchar_t names[16][96];
    static int used = 0;
    wchar_t name[96];
    // Handles at their full width (%p), whichever the build.
    wsprintfW(name, L"Traylet:%x:%p:%p:%p", nClassStyle, static_cast<void*>(hCursor), static_cast<void*>(hbrBackground),
              static_cast<void*>(hIcon));
    for (int i = 0; i < used; ++i)
        if (lstrcmpW(names[i], name) == 0)
            return names[i];
    if (used == 16)
        return nullptr;
    WNDCLASSW wc{};
    wc.style = nClassStyle;
    wc.lpfnWndProc = &CWnd::StaticWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = name;
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    lstrcpynW(names[used], name, ARRAYSIZE(names[used]));
    return names[used++];
}
