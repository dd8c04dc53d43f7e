#pragma once
#include "app/TrayDockDlg.h"

#include <functional>
#include <vector>

// Runs a CTrayDockDlg modally, as the program does, and plays steps inside
// its loop, one per tick of a thread timer: each step sees the state the
// loop left after the previous one (an idle moment, a dispatched post).
// The first step waits for the loop's first idle moment, when it tries to
// show the dialog. The last step is followed by a sent IDCANCEL, which ends
// the dialog.
class DialogScenario {
public:
    using Step = std::function<void(CTrayDockDlg&)>;

    DialogScenario& then(Step step)
    {
        m_steps.push_back(std::move(step));
        return *this;
    }
    // Runs the steps; returns what DoModal returned.
    INT_PTR run(UINT tickMs = 60);

    CTrayDockDlg dlg;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    static LRESULT CALLBACK WatchShow(int code, WPARAM wParam, LPARAM lParam);
    std::vector<Step> m_steps;
    size_t m_next = 0;
    UINT_PTR m_timer = 0;
    bool m_ending = false;
    bool m_inStep = false;   // a step that pumps must not run the next one nested
    bool m_idle = false;     // the loop went idle and tried to show the dialog
    DWORD m_start = 0;
};
