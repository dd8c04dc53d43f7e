// Opens the program's popup menu at a screen point, as a tray icon would,
// for the end-to-end tests to drive with the real pointer.
//
//   popupdemo X Y
//
// Prints, one line each and flushed at once:
//   ready client=CX,CY width=W height=H textheight=T
//   row I top=SCREEN_Y height=ROW_HEIGHT          (one per item)
//   track RESULT
//   chosen ID | none
// Items: 0 "Open the window" (201, icon), 1 separator, 2 "Grayed" (202,
// MF_GRAYED), 3 "Choose me" (203), 4 "Exit" (204, bold).
#include "framework/WinApp.h"
#include "menu/MenuEx.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr UINT kReport = WM_APP + 1;
constexpr UINT_PTR kGiveUp = 1;

CMenuEx* g_menu = nullptr;

void Line(const char* text)
{
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Stands in for the controller dialog: the popup's parent, and the window
// whose messages the popup's loop dispatches along with its own.
class MainWnd : public CWnd {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kReport && g_menu) {
            POINT origin{0, 0};
            ClientToScreen(g_menu->m_hWnd, &origin);
            char buf[160];
            const CMenuRows& rows = g_menu->Rows();
            std::snprintf(buf, sizeof buf, "ready client=%ld,%ld width=%d height=%d textheight=%d", origin.x,
                          origin.y, rows.Width(), rows.Height(), rows.TextHeight());
            Line(buf);
            int y = 5;
            for (int i = 0; i < rows.ItemCount(); ++i) {
                const int row = rows.Item(i).nHeight + 5;
                std::snprintf(buf, sizeof buf, "row %d top=%ld height=%d", i, origin.y + y, row);
                Line(buf);
                y += row;
            }
            return 0;
        }
        if (message == WM_TIMER && wParam == kGiveUp && g_menu) {
            // Nobody came: end rather than hang the test run.
            ::KillTimer(m_hWnd, kGiveUp);
            g_menu->Close();
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: popupdemo X Y\n");
        return 2;
    }
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);

    MainWnd main;
    main.CreateEx(0, RegisterPlainWndClass(0), L"popupdemo", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr);
    GetApp()->m_pMainWnd = &main;
    CWnd owner;
    owner.CreateEx(0, RegisterPlainWndClass(0), L"popupdemo owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr);

    int result = 0;
    {
        CMenuEx menu;
        g_menu = &menu;
        menu.Create(owner.m_hWnd);
        menu.AddItem(0, 201, L"Open the window", LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), FALSE);
        menu.AddSeparator();
        menu.AddItem(MF_GRAYED, 202, L"Grayed", nullptr, FALSE);
        menu.AddItem(0, 203, L"Choose me", nullptr, FALSE);
        menu.AddItem(0, 204, L"Exit", nullptr, TRUE);
        PostMessageA(main.m_hWnd, kReport, 0, 0);
        main.SetTimer(kGiveUp, 60000);
        result = menu.Track(0, x, y, &main, nullptr);
        menu.Close();
        g_menu = nullptr;
    }

    char buf[64];
    std::snprintf(buf, sizeof buf, "track %d", result);
    Line(buf);
    MSG msg;
    if (PeekMessageA(&msg, owner.m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
        std::snprintf(buf, sizeof buf, "chosen %u", static_cast<unsigned>(msg.wParam));
        Line(buf);
    } else {
        Line("none");
    }
    GetApp()->m_pMainWnd = nullptr;
    return 0;
}
