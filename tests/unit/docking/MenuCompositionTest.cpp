// What each icon's popup holds: the rows, their order, ids, flags, icons and
// emphasis, read back from the menu the dialog filled. And who may ask the
// dialog to fill one.
#include "tests/unit/docking/DockTestSupport.h"

#include "menu/MenuEx.h"
#include "tray/TrayIcon.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

using docktest::Dock;
using docktest::WithDialog;

namespace {

// One row of a filled popup.
struct Row {
    std::string text;
    UINT id;
    UINT flags;
    BOOL bold;
    HICON icon;
};

bool operator==(const Row& a, const Row& b)
{
    return a.text == b.text && a.id == b.id && a.flags == b.flags && !a.bold == !b.bold && a.icon == b.icon;
}

std::ostream& operator<<(std::ostream& os, const Row& r)
{
    return os << '"' << r.text << "\" id " << r.id << " flags " << r.flags << (r.bold ? " bold" : "")
              << " icon " << r.icon;
}

const Row kSeparator{"", 0, MF_SEPARATOR, FALSE, nullptr};

Row Item(const char* text, UINT id, UINT flags = 0, BOOL bold = FALSE)
{
    return Row{text, id, flags, bold, nullptr};
}

std::vector<Row> Rows(const CMenuEx& menu)
{
    std::vector<Row> out;
    for (int i = 0; i < menu.Rows().ItemCount(); ++i) {
        const MenuExItem* it = &menu.Rows().Item(i);
        out.push_back(Row{test::Utf8(it->szText), it->nID, it->nFlags, it->bBold, it->hIcon});
    }
    return out;
}

// Asks the dialog to fill a fresh popup for the icon, as a tray icon does.
struct Composed {
    LRESULT result;
    std::vector<Row> rows;
};

Composed Compose(CTrayDockDlg& dlg, HWND icon)
{
    CMenuEx menu;
    menu.Create(icon);
    const LRESULT r = SendMessageA(dlg.m_hWnd, WM_TRAY_BUILDMENU, reinterpret_cast<WPARAM>(&menu),
                                   reinterpret_cast<LPARAM>(icon));
    Composed c{r, Rows(menu)};
    menu.Close();
    return c;
}

// The window rows the main menu must start with: the catalogue as the
// dialog holds it right after composing.
std::vector<Row> WindowRows(const CTrayDockDlg& dlg)
{
    std::vector<Row> out;
    for (int i = 0; i < dlg.Docker().Windows().GetSize(); ++i) {
        const DockEntry* e = dlg.Docker().Windows()[i];
        out.push_back(Row{test::Utf8(e->szTitle), static_cast<UINT>(ID_DOCK_FIRST + i), 0, FALSE, e->hIcon});
    }
    return out;
}

std::vector<Row> Concat(std::vector<Row> a, const std::vector<Row>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(MainMenu, WithNothingListedAndNothingDocked)
{
    WithDialog([](CTrayDockDlg& dlg) {
        // Whatever else the desktop shows, none of this process's windows
        // is listed.
        docktest::OwnWindowsOnly own;
        dlg.Docker().BuildWindowList();
        ASSERT_EQ(0, dlg.Docker().Windows().GetSize()) << test::Utf8(dlg.Docker().Windows()[0]->szTitle);
        const Composed c = Compose(dlg, dlg.TrayIcon().m_hWnd);
        EXPECT_EQ(1, c.result);
        EXPECT_EQ((std::vector<Row>{Item("Minimize All", ID_MINIMIZE_ALL, 0, TRUE), kSeparator,
                                    Item("Options", ID_OPTIONS), Item("Exit", ID_APP_EXIT_TRAY)}),
                  c.rows);
    });
}

TEST(MainMenu, ListsWindowsWithTheirIconsThenTheFixedRows)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog a("First listed", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        test::MessageLog b("Second listed", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        const Composed c = Compose(dlg, dlg.TrayIcon().m_hWnd);
        const std::vector<Row> windows = WindowRows(dlg);
        ASSERT_GE(windows.size(), 2u);
        EXPECT_EQ(Concat(windows, {kSeparator, Item("Minimize All", ID_MINIMIZE_ALL, 0, TRUE),
                                   Item("Close All", ID_CLOSE_ALL), kSeparator, Item("Options", ID_OPTIONS),
                                   Item("Exit", ID_APP_EXIT_TRAY)}),
                  c.rows);
    });
}

// A row's icon is asked for once the row is in view: a menu of many windows
// asks those of a screenful, and a window docked from beyond it is asked
// when it is docked. Only listed windows are ever asked.
TEST(MainMenu, AsksForTheIconsOfTheRowsInViewOnly)
{
    WithDialog([](CTrayDockDlg& dlg) {
        // The rows beyond the screenful are this test's windows, whatever
        // else the desktop shows.
        docktest::OwnWindowsOnly own;
        std::vector<std::unique_ptr<test::MessageLog>> windows;
        for (int i = 0; i < 70; ++i)
            windows.push_back(std::make_unique<test::MessageLog>("Listed", WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        test::MessageLog hidden("Not listed", WS_OVERLAPPEDWINDOW);
        auto asked = [&](HWND h) {
            for (const auto& w : windows)
                if (w->hwnd() == h)
                    return w->count(WM_GETICON) > 0;
            return false;
        };
        CMenuEx menu;
        menu.Create(dlg.TrayIcon().m_hWnd);
        SendMessageA(dlg.m_hWnd, WM_TRAY_BUILDMENU, reinterpret_cast<WPARAM>(&menu),
                     reinterpret_cast<LPARAM>(dlg.TrayIcon().m_hWnd));
        const int n = dlg.Docker().Windows().GetSize();
        ASSERT_GE(n, 70);
        for (int i = 0; i < n; ++i)
            EXPECT_FALSE(asked(dlg.Docker().Windows()[i]->hWnd)) << "asked before the menu was laid out";
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        menu.Layout(POINT{work.right - 20, work.bottom});
        int inView = 0, beyond = -1;
        for (int i = 0; i < n; ++i) {
            const DockEntry& e = *dlg.Docker().Windows()[i];
            const bool shown = menu.Rows().RowTop(i) != INT_MIN;
            inView += shown;
            beyond = shown ? beyond : i;
            EXPECT_EQ(shown, menu.Rows().Item(i).hIcon != nullptr) << "row " << i;
            EXPECT_EQ(e.hIcon, menu.Rows().Item(i).hIcon) << "the catalogue keeps what was found, row " << i;
            EXPECT_TRUE(shown || !asked(e.hWnd)) << "row " << i << " out of view";
        }
        EXPECT_GT(inView, 20);
        ASSERT_GE(beyond, 0);
        EXPECT_EQ(0u, hidden.count(WM_GETICON));
        menu.Close();

        // Docked from beyond the rows shown: asked now; its tray icon has it.
        const HWND last = dlg.Docker().Windows()[beyond]->hWnd;
        PostMessageA(dlg.m_hWnd, WM_TRAY_COMMAND, ID_DOCK_FIRST + beyond,
                     reinterpret_cast<LPARAM>(dlg.TrayIcon().m_hWnd));
        ASSERT_TRUE(test::PumpUntil([&] { return !IsWindowVisible(last); }));
        const DockEntry* docked = dlg.Docker().Docked()[dlg.Docker().Docked().GetSize() - 1];
        EXPECT_TRUE(asked(last));
        EXPECT_NE(nullptr, docked->hIcon);
        EXPECT_EQ(docked->hIcon, docked->pTrayIcon->m_hTrayIcon);
        dlg.Docker().UndockAll();
    });
}

// The next menu shows at once the icon a window had in the last one, asks it
// again once it is painted, and shows the new one; docking never takes a
// recalled icon.
TEST(MainMenu, ShowsTheIconsOfTheLastMenuAtOnceAndAsksAgainOnceUp)
{
    WithDialog([](CTrayDockDlg& dlg) {
        docktest::OwnWindowsOnly own;
        test::MessageLog w("Changes its icon", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        const HICON icons[] = {LoadIconA(nullptr, IDI_WARNING), LoadIconA(nullptr, IDI_ERROR),
                               LoadIconA(nullptr, IDI_QUESTION)};
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        for (int k = 0; k < 3; ++k) {
            SendMessageA(w.hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons[k]));
            const size_t asked = w.count(WM_GETICON);
            CMenuEx menu;
            menu.Create(dlg.TrayIcon().m_hWnd);
            SendMessageA(dlg.m_hWnd, WM_TRAY_BUILDMENU, reinterpret_cast<WPARAM>(&menu),
                         reinterpret_cast<LPARAM>(dlg.TrayIcon().m_hWnd));
            menu.Layout(POINT{work.right - 20, work.bottom});
            ASSERT_EQ(1, dlg.Docker().Windows().GetSize());
            EXPECT_EQ(icons[k ? k - 1 : 0], menu.Rows().Item(0).hIcon) << "opening " << k;
            EXPECT_EQ(k > 0, asked == w.count(WM_GETICON)) << "asked before the menu was up, opening " << k;
            if (k == 1) {
                menu.Show();
                UpdateWindow(menu.m_hWnd);
                EXPECT_TRUE(test::PumpUntil([&] { return menu.Rows().Item(0).hIcon == icons[1]; }));
                EXPECT_FALSE(menu.Rows().HasRecalled());
            }
        }
        // The last menu closed before it asked again.
        PostMessageA(dlg.m_hWnd, WM_TRAY_COMMAND, ID_DOCK_FIRST, reinterpret_cast<LPARAM>(dlg.TrayIcon().m_hWnd));
        ASSERT_TRUE(test::PumpUntil([&] { return !IsWindowVisible(w.hwnd()); }));
        EXPECT_EQ(icons[2], dlg.Docker().Docked()[dlg.Docker().Docked().GetSize() - 1]->hIcon);
        dlg.Docker().UndockAll();
    });
}

TEST(MainMenu, WithAWindowDockedOffersUnDockAll)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog docked("Docked one", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        test::MessageLog listed("Still listed", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        ASSERT_NE(nullptr, Dock(dlg, docked.hwnd()));
        const Composed c = Compose(dlg, dlg.TrayIcon().m_hWnd);
        const std::vector<Row> windows = WindowRows(dlg);
        ASSERT_GE(windows.size(), 1u);
        for (const Row& r : windows)
            EXPECT_NE("Docked one", r.text);
        EXPECT_EQ(Concat(windows, {kSeparator, Item("UnDock All", ID_UNDOCK_ALL), kSeparator,
                                   Item("Minimize All", ID_MINIMIZE_ALL, 0, TRUE), Item("Close All", ID_CLOSE_ALL),
                                   kSeparator, Item("Options", ID_OPTIONS), Item("Exit", ID_APP_EXIT_TRAY)}),
                  c.rows);
    });
}

TEST(MainMenu, WithOnlyADockedWindowHasNoCloseAllAndNoTopSeparator)
{
    WithDialog([](CTrayDockDlg& dlg) {
        docktest::OwnWindowsOnly own;
        dlg.Docker().BuildWindowList();
        ASSERT_EQ(0, dlg.Docker().Windows().GetSize()) << test::Utf8(dlg.Docker().Windows()[0]->szTitle);
        test::MessageLog docked("Docked alone", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        ASSERT_NE(nullptr, Dock(dlg, docked.hwnd()));
        const Composed c = Compose(dlg, dlg.TrayIcon().m_hWnd);
        EXPECT_EQ((std::vector<Row>{Item("UnDock All", ID_UNDOCK_ALL), kSeparator,
                                    Item("Minimize All", ID_MINIMIZE_ALL, 0, TRUE), kSeparator,
                                    Item("Options", ID_OPTIONS), Item("Exit", ID_APP_EXIT_TRAY)}),
                  c.rows);
    });
}

TEST(MainMenu, ATitleLongerThan98IsListedAs98)
{
    WithDialog([](CTrayDockDlg& dlg) {
        const std::string title(150, 'T');
        test::MessageLog w(title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        const Composed c = Compose(dlg, dlg.TrayIcon().m_hWnd);
        bool found = false;
        for (const Row& r : c.rows)
            found |= r.text == title.substr(0, 98);
        EXPECT_TRUE(found);
    });
}

// Per window: the state it was docked in is grayed, nothing else ever is;
// after Exit, the rules for its program (none here).
TEST(WindowMenu, GraysTheStateTheWindowWasDockedIn)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog normal("Docked normal", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        test::MessageLog minimized("Docked minimized", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_MINIMIZE);
        test::MessageLog maximized("Docked maximized", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_MAXIMIZE);
        auto expect = [](UINT minFlags, UINT maxFlags) {
            return std::vector<Row>{Item("UnDock", ID_UNDOCK, 0, TRUE), kSeparator, Item("Restore", ID_RESTORE),
                                    Item("Minimize", ID_MINIMIZE, minFlags), Item("Maximize", ID_MAXIMIZE, maxFlags),
                                    kSeparator, Item("Exit", ID_CLOSE_WINDOW), kSeparator,
                                    Item("Dock test_docking.exe when it opens", ID_RULE_OPENS),
                                    Item("Dock test_docking.exe when minimized", ID_RULE_MINIMIZED)};
        };
        struct Case {
            const test::MessageLog* w;
            UINT minFlags, maxFlags;
        } cases[] = {{&normal, 0, 0}, {&minimized, MF_GRAYED, 0}, {&maximized, 0, MF_GRAYED}};
        for (const Case& k : cases) {
            DockEntry* e = Dock(dlg, k.w->hwnd());
            ASSERT_NE(nullptr, e);
            const Composed c = Compose(dlg, e->pTrayIcon->m_hWnd);
            EXPECT_EQ(1, c.result);
            EXPECT_EQ(expect(k.minFlags, k.maxFlags), c.rows) << "window " << k.w->hwnd();
        }
    });
}

TEST(WindowMenu, AnIconOfNoDockedWindowGetsAnEmptyMenu)
{
    WithDialog([](CTrayDockDlg& dlg) {
        CTrayIcon stray;
        stray.Create(&dlg, nullptr, L"not docked");
        const Composed c = Compose(dlg, stray.m_hWnd);
        EXPECT_EQ(1, c.result);
        EXPECT_TRUE(c.rows.empty());
    });
}

// The address in wParam is used only when it is a menu our own icon has
// just made for this request; from anywhere else an address is never used.
struct ForeignSend {
    HWND dialog;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = -7;
};

DWORD WINAPI SendFromOtherThread(void* p)
{
    auto* s = static_cast<ForeignSend*>(p);
    s->result = SendMessageA(s->dialog, WM_TRAY_BUILDMENU, s->wParam, s->lParam);
    return 0;
}

LRESULT SendOnOtherThread(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    ForeignSend s{dialog, wParam, lParam};
    HANDLE t = CreateThread(nullptr, 0, SendFromOtherThread, &s, 0, nullptr);
    // The send is answered by this thread's pumping.
    test::PumpUntil([&] { return WaitForSingleObject(t, 0) == WAIT_OBJECT_0; }, 5000);
    CloseHandle(t);
    return s.result;
}

// The shell reports a right-click with a message sent from its own process;
// the icon's request for its menu is then a same-thread send nested in that
// one, and the menu must still be filled. A worker thread stands in for the
// shell. The popup's height shows whether anything was put in it: an empty
// one is just its two margins, 10 pixels.
struct ShellClick {
    HWND icon;
};

DWORD WINAPI RightClickFromShell(void* p)
{
    SendMessageA(static_cast<ShellClick*>(p)->icon, WM_TRAYICON_CALLBACK, 0, WM_RBUTTONUP);
    return 0;
}

struct PopupSeen {
    HWND dialog;
    HWND popup = nullptr;
    int height = 0;
};
PopupSeen* g_seen = nullptr;

BOOL CALLBACK FindShownPopup(HWND hwnd, LPARAM)
{
    if (IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == g_seen->dialog) {
        g_seen->popup = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the popup's own loop: measure it, then take its focus away,
// which closes it and lets the shell's send return.
void CALLBACK MeasureAndClose(HWND, UINT, UINT_PTR id, DWORD)
{
    EnumWindows(FindShownPopup, 0);
    if (!g_seen->popup)
        return;
    KillTimer(nullptr, id);
    RECT rc{};
    GetWindowRect(g_seen->popup, &rc);
    g_seen->height = rc.bottom - rc.top;
    SendMessageA(g_seen->popup, WM_KILLFOCUS, 0, 0);
}

TEST(BuildMenuRequest, NestedInTheShellsSentCallbackIsFilled)
{
    WithDialog([](CTrayDockDlg& dlg) {
        PopupSeen seen{dlg.m_hWnd};
        g_seen = &seen;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, MeasureAndClose);
        ShellClick click{dlg.TrayIcon().m_hWnd};
        HANDLE t = CreateThread(nullptr, 0, RightClickFromShell, &click, 0, nullptr);
        test::PumpUntil([&] { return WaitForSingleObject(t, 0) == WAIT_OBJECT_0; }, 5000);
        const bool returned = WaitForSingleObject(t, 0) == WAIT_OBJECT_0;
        CloseHandle(t);
        KillTimer(nullptr, timer);
        g_seen = nullptr;
        ASSERT_TRUE(returned) << "the popup did not close";
        ASSERT_NE(nullptr, seen.popup) << "no popup was shown";
        // "Minimize All", a separator, "Options" and "Exit" at the least.
        EXPECT_GT(seen.height, 10 + 3 * 18);
    });
}

TEST(BuildMenuRequest, WithAnAddressThatIsNoMenuTouchesNothing)
{
    WithDialog([](CTrayDockDlg& dlg) {
        // A page that faults on any access: reading it would end the test.
        void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
        ASSERT_NE(nullptr, page);
        const LPARAM own = reinterpret_cast<LPARAM>(dlg.TrayIcon().m_hWnd);
        for (WPARAM bogus : {reinterpret_cast<WPARAM>(page), WPARAM(0), WPARAM(0x1234), ~WPARAM(0)}) {
            EXPECT_EQ(0, SendMessageA(dlg.m_hWnd, WM_TRAY_BUILDMENU, bogus, own));
            EXPECT_EQ(0, SendOnOtherThread(dlg.m_hWnd, bogus, own));
            PostMessageA(dlg.m_hWnd, WM_TRAY_BUILDMENU, bogus, own);
        }
        test::PumpFor(50);
        // A menu already shown or already filled is not filled again.
        CMenuEx filled;
        filled.Create(dlg.TrayIcon().m_hWnd);
        filled.AddItem(0, 999, L"mine", nullptr, FALSE);
        EXPECT_EQ(0, SendMessageA(dlg.m_hWnd, WM_TRAY_BUILDMENU, reinterpret_cast<WPARAM>(&filled), own));
        EXPECT_EQ(1, filled.Rows().ItemCount());
        filled.Close();
        VirtualFree(page, 0, MEM_RELEASE);
    });
}

}  // namespace
