#include "docking/WindowCalls.h"

decltype(&SendMessageTimeoutA) g_pfnSendMessageTimeoutA = &SendMessageTimeoutA;

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
    DWORD_PTR ignored = 0;
    return SendWithin(hWnd, WM_NULL, 0, 0, &ignored);
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
