#pragma once
// Small helpers shared by the tray tests.
#include "framework/Wnd.h"

#include <string>

namespace test {

// A CWnd that names a window the test owns, as the owner argument of
// CTrayIcon::Create; it never destroys that window.
struct BorrowedWnd : CWnd {
    explicit BorrowedWnd(HWND hwnd) { m_hWnd = hwnd; }
    ~BorrowedWnd() override { m_hWnd = nullptr; }
};

inline HICON AppIcon() { return LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); }   // IDI_APPLICATION

inline BOOL CALLBACK CountWindowProc(HWND hwnd, LPARAM p)
{
    if (CWnd::FromHandlePermanent(hwnd))
        ++*reinterpret_cast<int*>(p);
    return TRUE;
}

// Top-level windows of this thread that belong to our window objects (the
// system adds windows of its own, an input-method window for one), to see
// that none is left behind.
inline int ThreadWindows()
{
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindowProc, reinterpret_cast<LPARAM>(&n));
    return n;
}

// Messages waiting in this thread's queue for no window (what PostMessage to
// a null window produces); takes them out.
inline int TakeThreadMessages(UINT message)
{
    int n = 0;
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), message, message, PM_REMOVE))
        ++n;
    return n;
}

}  // namespace test
