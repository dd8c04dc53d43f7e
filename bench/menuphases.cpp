// Right-click to painted menu, phase by phase, inside one process that runs
// the program's own code as the main menu does: the catalogue, the
// composition of the menu, the layout (with the icons of the rows in view),
// the window (placed and shown, then brought to the foreground) and the
// first paint, between the two as the popup does it. The windows to list
// belong to another process, as they do for the program. From the second
// opening on, the rows show the icons their windows had in the last one;
// asking for them again, which the popup does once it is on the screen, is
// timed apart ("again") and is not part of the total.
//   usage: menuphases RUNS X Y
// Prints the median of each phase in milliseconds, one line:
//   "catalogue C composition M layout L window W paint P total T again A rows R"
#include "bench/PhaseKit.h"
#include "menu/MenuEx.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The popup's rows, which the popup asks again by a timer this program never
// lets fire.
struct PhaseMenu : CMenuEx {
    bool AskAgain() { return MutableRows().AskAgain(); }
};

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const int runs = std::atoi(argv[1]);
    const POINT at{std::atoi(argv[2]), std::atoi(argv[3])};
    StandInOwner owner(L"menuphases");
    CDocker& docker = owner.docker;

    std::vector<double> cat, comp, lay, win, paint, total, again;
    int rows = 0;
    for (int i = 0; i < runs; ++i) {
        SetCursorPos(at.x, at.y);
        PhaseMenu menu;
        const double t0 = NowMs();
        docker.BuildWindowList(false);
        const double t1 = NowMs();
        menu.Create(owner.hwnd());
        docker.AddMainMenuRows(menu);
        const double t2 = NowMs();
        menu.Layout(at);
        const double t3 = NowMs();
        menu.Show();
        const double t4 = NowMs();
        UpdateWindow(menu.m_hWnd);
        GdiFlush();
        const double t5 = NowMs();
        menu.Activate();
        const double t6 = NowMs();
        menu.AskAgain();
        const double t7 = NowMs();
        cat.push_back(t1 - t0);
        comp.push_back(t2 - t1);
        lay.push_back(t3 - t2);
        win.push_back(t4 - t3 + t6 - t5);
        paint.push_back(t5 - t4);
        total.push_back(t6 - t0);
        again.push_back(t7 - t6);
        rows = menu.Rows().ItemCount();
        menu.Close();
        // The desktop repaints what the popup covered before the next run.
        Pump();
        Sleep(300);
        Pump();
    }
    std::printf("catalogue %.2f composition %.2f layout %.2f window %.2f paint %.2f total %.2f again %.2f rows %d\n",
                MedianOf(cat), MedianOf(comp), MedianOf(lay), MedianOf(win), MedianOf(paint), MedianOf(total),
                MedianOf(again), rows);
    return 0;
}
