#pragma once
#include <windows.h>

// Calls into other programs' windows that would otherwise wait for the
// window's thread. One hung program must not freeze the menu, the sweep and
// every icon with it, so each such wait is bounded.

// How long a window may take to answer before it counts as not answering.
constexpr UINT kWindowAnswerMs = 250;

// The bounded send itself; tests replace it to play a window that does not
// answer.
extern decltype(&SendMessageTimeoutA) g_pfnSendMessageTimeoutA;

// SendMessageA with a bounded wait. FALSE when the window did not answer in
// time (or is gone); *pResult is then 0.
BOOL SendWithin(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* pResult);

// A thread that lets a bounded wait run out counts as silent for a moment
// after: it is not waited for again meanwhile, so that a busy program with
// many windows (a rule docks them as they open) holds Traylet up once, not
// once per window. This thread never counts as silent.
constexpr DWORD kSilentMs = 1000;

// TRUE when the window answers a harmless message within the bounded wait;
// FALSE at once for a window of a silent thread. A window of this thread
// always answers, without a message being sent.
BOOL WindowAnswers(HWND hWnd);

// SendWithin, but to a window of a silent thread the message goes without
// any wait (SendNotifyMessage, which keeps it in order with other sent
// messages and a ShowWindowAsync after it), and the answer is FALSE.
BOOL SendOrNotify(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// ShowWindow, which for a window of another thread waits until that thread
// has carried it out. A window that did not answer gets the command queued
// instead (ShowWindowAsync): it is carried out once the window pumps again.
void ShowWindowBounded(HWND hWnd, int nCmdShow, BOOL bAnswers);

// Back into the state the window had when it was docked, by posted system
// commands: maximized again, or restored, or left minimized if it was
// minimized then.
void PostDockedState(HWND hWnd, BOOL bWasIconic, BOOL bWasZoomed);

// "UnDock" of a hidden window: shown (bounded), then put back into the state
// it was docked in.
void BringBack(HWND hWnd, BOOL bWasIconic, BOOL bWasZoomed);
