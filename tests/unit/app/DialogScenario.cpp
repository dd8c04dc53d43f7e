#include "tests/unit/app/DialogScenario.h"

#include "app/TrayDockApp.h"

namespace {
DialogScenario* g_running = nullptr;
}

INT_PTR DialogScenario::run(UINT tickMs)
{
    g_running = this;
    m_timer = SetTimer(nullptr, 0, tickMs, &Tick);
    theApp.m_pMainWnd = &dlg;
    const INT_PTR result = dlg.DoModal();
    theApp.m_pMainWnd = nullptr;
    KillTimer(nullptr, m_timer);
    g_running = nullptr;
    return result;
}

void CALLBACK DialogScenario::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    DialogScenario* self = g_running;
    if (!self || self->m_ending || self->m_inStep || !self->dlg.m_hWnd)
        return;
    // The first tick can be due before the loop has ever been idle (making
    // the dialog takes longer on a busy machine); it would then run a step
    // before the loop's show-on-idle, which comes after it. It only lets the
    // loop reach its first idle moment.
    if (!self->m_idled) {
        self->m_idled = true;
        return;
    }
    if (self->m_next < self->m_steps.size()) {
        self->m_inStep = true;
        self->m_steps[self->m_next++](self->dlg);
        self->m_inStep = false;
        return;
    }
    self->m_ending = true;
    SendMessageA(self->dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
}
