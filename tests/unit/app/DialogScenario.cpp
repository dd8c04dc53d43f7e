#include "tests/unit/app/DialogScenario.h"

#include "app/TrayDockApp.h"

#include <gtest/gtest.h>

namespace {

DialogScenario* g_running = nullptr;

// How long the loop may take to go idle for the first time.
constexpr DWORD kIdleDeadlineMs = 10000;

}  // namespace

INT_PTR DialogScenario::run(UINT tickMs)
{
    g_running = this;
    m_start = GetTickCount();
    // Sees the messages sent to the dialog before its procedure does, so
    // the show that the loop tries once it is idle is seen even though the
    // dialog refuses it.
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &WatchShow, nullptr, GetCurrentThreadId());
    m_timer = SetTimer(nullptr, 0, tickMs, &Tick);
    theApp.m_pMainWnd = &dlg;
    const INT_PTR result = dlg.DoModal();
    theApp.m_pMainWnd = nullptr;
    KillTimer(nullptr, m_timer);
    UnhookWindowsHookEx(hook);
    g_running = nullptr;
    return result;
}

LRESULT CALLBACK DialogScenario::WatchShow(int code, WPARAM wParam, LPARAM lParam)
{
    DialogScenario* self = g_running;
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && self && sent->message == WM_WINDOWPOSCHANGING && sent->hwnd == self->dlg.m_hWnd &&
        self->dlg.IsInModalLoop() && (reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_SHOWWINDOW))
        self->m_idle = true;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogScenario::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    DialogScenario* self = g_running;
    if (!self || self->m_ending || self->m_inStep || !self->dlg.m_hWnd)
        return;
    // The steps start once the loop has been idle and tried to show the
    // dialog; a tick can come before that when making the dialog was slow.
    if (!self->m_idle && GetTickCount() - self->m_start < kIdleDeadlineMs)
        return;
    if (!self->m_idle)
        ADD_FAILURE() << "the dialog's loop never went idle";
    if (self->m_idle && self->m_next < self->m_steps.size()) {
        self->m_inStep = true;
        self->m_steps[self->m_next++](self->dlg);
        self->m_inStep = false;
        return;
    }
    self->m_ending = true;
    SendMessageA(self->dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
}
