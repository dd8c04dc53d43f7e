#include "docking/WindowCalls.h"

decltype(&SendMessageTimeoutA) g_pfnSendMessageTimeoutA = &SendMessageTimeoutA;

namespace {

// The threads that let a wait run out lately, and when.
struct SilentThread {
    DWORD dwThread;
    DWORD dwSince;
};
SilentThread g_silent[8];

bool IsSilent(DWORD dwThread)
{
    for (const SilentThread& s : g_silent)
        if (s.dwThread == dwThread && GetTickCount() - s.dwSince < kSilentMs)
            return true;
    return false;
}

void MarkSilent(DWORD dwThread)
{
    // The entry that has been silent longest gives way.
    SilentThread* oldest = &g_silent[0];
    for (SilentThread& s : g_silent)
        if (GetTickCount() - s.dwSince > GetTickCount() - oldest->dwSince)
            oldest = &s;
    *oldest = SilentThread{dwThread, GetTickCount()};
}

// Sends with the bounded wait unless the window's thread is silent; a wait
// that runs out makes it so.
BOOL SendUnlessSilent(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, bool bNotify)
{
    const DWORD thread = GetWindowThreadProcessId(hWnd, nullptr);
    if (thread != GetCurrentThreadId() && IsSilent(thread)) {
        if (bNotify)
            SendNotifyMessageA(hWnd, message, wParam, lParam);
        return FALSE;
    }
    DWORD_PTR ignored = 0;
    if (SendWithin(hWnd, message, wParam, lParam, &ignored))
        return TRUE;
    if (thread && thread != GetCurrentThreadId())
        MarkSilent(thread);
    return FALSE;
}

}  // namespace

BOOL SendWithin(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* pResult)
{
    *pResult = 0;
    // SMTO_BLOCK: nothing else is dispatched on this thread while it waits,
    // so no other handler of ours runs in the middle of the caller's work.
    if (g_pfnSendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kWindowAnswerMs,
                            pResult))
        return TRUE;
    *pResult = 0;
    return FALSE;
}

BOOL WindowAnswers(HWND hWnd)
{
    if (GetWindowThreadProcessId(hWnd, nullptr) == GetCurrentThreadId())
        return TRUE;
    return SendUnlessSilent(hWnd, WM_NULL, 0, 0, false);
}

BOOL SendOrNotify(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendUnlessSilent(hWnd, message, wParam, lParam, true);
}

void ShowWindowBounded(HWND hWnd, int nCmdShow, BOOL bAnswers)
{
    if (bAnswers)
        ShowWindow(hWnd, nCmdShow);
    else
        ShowWindowAsync(hWnd, nCmdShow);
}

void PostDockedState(HWND hWnd, BOOL bWasIconic, BOOL bWasZoomed)
{
    if (bWasZoomed)
        PostMessageA(hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (!bWasIconic)
        PostMessageA(hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
}

void BringBack(HWND hWnd, BOOL bWasIconic, BOOL bWasZoomed)
{
    ShowWindowBounded(hWnd, SW_SHOW, WindowAnswers(hWnd));
    PostDockedState(hWnd, bWasIconic, bWasZoomed);
}
