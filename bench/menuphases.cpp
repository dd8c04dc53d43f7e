// Right-click to painted menu, phase by phase, inside one process that runs
// the program's own code as the main menu does: the catalogue, the
// composition of the menu, the layout (with the icons of the rows in view),
// the window (placed and shown, then brought to the foreground) and the
// first paint, between the two as the popup does it. The windows to list
// belong to another process, as they do for the program.
//   usage: menuphases RUNS X Y
// Prints the median of each phase in milliseconds, one line:
//   "catalogue C composition M layout L window W paint P total T rows R"
#include "docking/Docker.h"
#include "framework/WinApp.h"
#include "menu/MenuEx.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

LARGE_INTEGER g_freq;

double Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(g_freq.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

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
    QueryPerformanceFrequency(&g_freq);

    // Stands in for the controller dialog: the popup's owner, never listed.
    CWnd main;
    main.CreateEx(0, RegisterPlainWndClass(0), L"menuphases", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr);
    GetApp()->m_pMainWnd = &main;
    CDocker docker;
    docker.SetOwner(&main);

    std::vector<double> cat, comp, lay, win, paint, total;
    int rows = 0;
    for (int i = 0; i < runs; ++i) {
        SetCursorPos(at.x, at.y);
        CMenuEx menu;
        const double t0 = Now();
        docker.BuildWindowList(false);
        const double t1 = Now();
        menu.Create(main.m_hWnd);
        docker.AddMainMenuRows(menu);
        const double t2 = Now();
        menu.Layout(at);
        const double t3 = Now();
        menu.Show();
        const double t4 = Now();
        UpdateWindow(menu.m_hWnd);
        GdiFlush();
        const double t5 = Now();
        menu.Activate();
        const double t6 = Now();
        cat.push_back(t1 - t0);
        comp.push_back(t2 - t1);
        lay.push_back(t3 - t2);
        win.push_back(t4 - t3 + t6 - t5);
        paint.push_back(t5 - t4);
        total.push_back(t6 - t0);
        rows = menu.Rows().ItemCount();
        menu.Close();
        // The desktop repaints what the popup covered before the next run.
        Pump();
        Sleep(300);
        Pump();
    }
    std::printf("catalogue %.2f composition %.2f layout %.2f window %.2f paint %.2f total %.2f rows %d\n",
                Median(cat), Median(comp), Median(lay), Median(win), Median(paint), Median(total), rows);
    GetApp()->m_pMainWnd = nullptr;
    return 0;
}
