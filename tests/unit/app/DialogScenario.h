#pragma once
#include "app/TrayDockDlg.h"

#include <functional>
#include <vector>

// Runs a CTrayDockDlg modally, as the program does, and plays steps inside
// its loop, one per tick of a thread timer: each step sees the state the
// loop left after the previous one (an idle moment, a dispatched post).
// The last step is followed by a sent IDCANCEL, which ends the dialog.
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
    std::vector<Step> m_steps;
    size_t m_next = 0;
    UINT_PTR m_timer = 0;
    bool m_ending = false;
    bool m_idled = false;    // the first tick has passed: the loop has been idle
    bool m_inStep = false;   // a step that pumps must not run the next one nested
};
