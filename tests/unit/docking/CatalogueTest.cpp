// The catalogue: which top-level windows are listed, with which title and
// icon, in which order, and what is asked of them.
#include "tests/unit/docking/DockTestSupport.h"
#include "docking/ProgramIcon.h"
#include "docking/WindowCalls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using docktest::ClassWindow;
using docktest::IndexOf;
using docktest::WithDialog;

namespace {

bool Listed(const CTrayDockDlg& dlg, HWND hWnd)
{
    return IndexOf(dlg.Docker().Windows(), hWnd) >= 0;
}

// Names of classes of windows that get in the catalogue or not, with the
// name each must read back as (a class name is a session-wide atom, so the
// first registration of a name decides its case).
struct ClassCase {
    const char* cls;
    bool listed;
};

void ExpectClassCases(std::initializer_list<ClassCase> cases)
{
    WithDialog([&](CTrayDockDlg& dlg) {
        std::vector<std::unique_ptr<ClassWindow>> windows;
        for (const ClassCase& c : cases) {
            windows.push_back(std::make_unique<ClassWindow>(c.cls, "A titled window"));
            ASSERT_EQ(c.cls, windows.back()->className()) << "the session holds this class name in another case";
        }
        dlg.Docker().BuildWindowList();
        for (size_t i = 0; i < windows.size(); ++i) {
            const ClassCase& c = cases.begin()[i];
            EXPECT_EQ(c.listed, Listed(dlg, windows[i]->hwnd())) << "class " << c.cls;
            // A skipped window is asked nothing; an admitted one for its icon.
            EXPECT_EQ(c.listed, windows[i]->log().count(WM_GETICON) > 0) << "class " << c.cls;
        }
    });
}

TEST(CatalogueSkips, ExactShellClassesAndAdmitsLookAlikes)
{
    // The look-alikes first: their names are free only until the exact names
    // are registered. "progman" and "shell_traywnd" cannot be made here: the
    // shell holds those names as "Progman" and "Shell_TrayWnd".
    ExpectClassCases({{"sysshadow", true},
                      {"WNDCLASS_DESKED_GSK", true},
                      {"ProgmanX", true},
                      {"Progma", true},
                      {"Shell_TrayWndX", true},
                      {"SysShadow2", true},
                      {"wndclass_desked_gsk_", true}});
    ExpectClassCases({{"Shell_TrayWnd", false},
                      {"wndclass_desked_gsk", false},
                      {"Progman", false},
                      {"SysShadow", false}});
}

TEST(CatalogueSkips, InvisibleOwnedAndUntitledWindows)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog owner("Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        test::MessageLog owned("Owned popup", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, owner.hwnd());
        test::MessageLog unowned("Unowned popup", WS_POPUP | WS_CAPTION | WS_VISIBLE);
        test::MessageLog untitled("", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        test::MessageLog hidden("Hidden window", WS_OVERLAPPEDWINDOW);
        ASSERT_EQ(owner.hwnd(), GetParent(owned.hwnd()));

        dlg.Docker().BuildWindowList();
        EXPECT_TRUE(Listed(dlg, owner.hwnd()));
        EXPECT_TRUE(Listed(dlg, unowned.hwnd()));
        EXPECT_FALSE(Listed(dlg, owned.hwnd()));
        EXPECT_FALSE(Listed(dlg, untitled.hwnd()));
        EXPECT_FALSE(Listed(dlg, hidden.hwnd()));
        for (const test::MessageLog* skipped : {&owned, &untitled, &hidden})
            EXPECT_EQ(0u, skipped->count(WM_GETICON)) << test::Describe(skipped->all());
        EXPECT_EQ(2u, owner.count(WM_GETICON));
    });
}

TEST(CatalogueSkips, TheDialogItselfAlsoWhileShown)
{
    WithDialog([](CTrayDockDlg& dlg) {
        dlg.Docker().BuildWindowList();
        EXPECT_FALSE(Listed(dlg, dlg.m_hWnd));
        docktest::Command(dlg, ID_OPTIONS, docktest::OwnIcon(dlg));
        ASSERT_TRUE(test::PumpUntil([&] { return IsWindowVisible(dlg.m_hWnd) != FALSE; }));
        dlg.Docker().BuildWindowList();
        EXPECT_FALSE(Listed(dlg, dlg.m_hWnd));
        ShowWindow(dlg.m_hWnd, SW_HIDE);
    });
}

TEST(Catalogue, EmptyWhenNothingIsAdmissible)
{
    WithDialog([](CTrayDockDlg& dlg) {
        // The shell's windows and this test's hidden ones, whatever other
        // programs show on the shared desktop.
        docktest::OwnWindowsOnly ownAndShell(true);
        ASSERT_NE(nullptr, FindWindowA("Shell_TrayWnd", nullptr));
        test::MessageLog hidden("Hidden window", WS_OVERLAPPEDWINDOW);
        dlg.Docker().BuildWindowList();
        std::string listed;
        for (int i = 0; i < dlg.Docker().Windows().GetSize(); ++i)
            listed += test::Utf8(dlg.Docker().Windows()[i]->szTitle) + "\n";
        EXPECT_EQ(0, dlg.Docker().Windows().GetSize()) << listed;
    });
}

TEST(Catalogue, RecordsTitleCutTo98AndNothingElse)
{
    WithDialog([](CTrayDockDlg& dlg) {
        std::string title(150, ' ');
        for (size_t i = 0; i < title.size(); ++i)
            title[i] = static_cast<char>('a' + i % 26);
        test::MessageLog longTitle(title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        test::MessageLog shortTitle("Short", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        dlg.Docker().BuildWindowList();
        const int i = IndexOf(dlg.Docker().Windows(), longTitle.hwnd());
        ASSERT_GE(i, 0);
        const DockEntry& e = *dlg.Docker().Windows()[i];
        EXPECT_EQ(test::Wide(title.substr(0, 98).c_str()), std::wstring(e.szTitle));
        EXPECT_EQ(nullptr, e.pTrayIcon);
        EXPECT_FALSE(e.bWasIconic);
        EXPECT_FALSE(e.bWasZoomed);
        const int j = IndexOf(dlg.Docker().Windows(), shortTitle.hwnd());
        ASSERT_GE(j, 0);
        EXPECT_STREQ(L"Short", dlg.Docker().Windows()[j]->szTitle);
    });
}

BOOL CALLBACK CollectProc(HWND hwnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

TEST(Catalogue, KeepsTheOrderOfEnumeration)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog a("Window A", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        test::MessageLog b("Window B", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        test::MessageLog c("Window C", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        // Change the z-order so that creation order and enumeration differ.
        SetWindowPos(a.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        std::vector<HWND> all;
        EnumWindows(CollectProc, reinterpret_cast<LPARAM>(&all));
        std::vector<HWND> expected;
        for (HWND h : all)
            if (h == a.hwnd() || h == b.hwnd() || h == c.hwnd())
                expected.push_back(h);
        ASSERT_EQ(3u, expected.size());

        dlg.Docker().BuildWindowList();
        std::vector<HWND> got;
        for (HWND h : docktest::Handles(dlg.Docker().Windows()))
            if (h == a.hwnd() || h == b.hwnd() || h == c.hwnd())
                got.push_back(h);
        EXPECT_EQ(expected, got);
        EXPECT_EQ(a.hwnd(), got.front());
    });
}

TEST(Catalogue, EachRebuildStartsAfresh)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog w("Before", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        test::MessageLog docked("Docked", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        dlg.Docker().BuildWindowList();
        const int count = dlg.Docker().Windows().GetSize();
        ASSERT_GE(IndexOf(dlg.Docker().Windows(), w.hwnd()), 0);
        // A stale record of a window that no longer exists must not survive:
        // one catalogued, then destroyed.
        auto* gone = new test::MessageLog("Gone", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        const HWND stale = gone->hwnd();
        dlg.Docker().BuildWindowList();
        delete gone;
        ASSERT_GE(IndexOf(dlg.Docker().Windows(), stale), 0);

        SetWindowTextA(w.hwnd(), "After");
        dlg.Docker().BuildWindowList();
        EXPECT_EQ(count, dlg.Docker().Windows().GetSize());
        EXPECT_EQ(-1, IndexOf(dlg.Docker().Windows(), stale));
        const int i = IndexOf(dlg.Docker().Windows(), w.hwnd());
        ASSERT_GE(i, 0);
        EXPECT_STREQ(L"After", dlg.Docker().Windows()[i]->szTitle);

        // A docked window is out of the catalogue while it stays hidden.
        ASSERT_NE(nullptr, docktest::Dock(dlg, docked.hwnd()));
        dlg.Docker().BuildWindowList();
        EXPECT_EQ(-1, IndexOf(dlg.Docker().Windows(), docked.hwnd()));
        EXPECT_EQ(count - 1, dlg.Docker().Windows().GetSize());
    });
}

// While it lives, no program's file can be found: the windows of this test
// program then have no program icon to fall back on.
struct NoProgramIcons {
    NoProgramIcons() { g_pfnQueryFullProcessImageNameW = Fail; }
    ~NoProgramIcons() { g_pfnQueryFullProcessImageNameW = QueryFullProcessImageNameW; }
    static BOOL WINAPI Fail(HANDLE, DWORD, LPWSTR, PDWORD) { return FALSE; }
};

// Windows whose icon queries are answered as the test says.
struct IconWindow {
    explicit IconWindow(HICON small, HICON big) : log("Icon window", WS_OVERLAPPEDWINDOW | WS_VISIBLE)
    {
        log.answer = [small, big](HWND, UINT m, WPARAM w, LPARAM, bool& handled) -> LRESULT {
            if (m != WM_GETICON)
                return 0;
            handled = true;
            return reinterpret_cast<LRESULT>(w == ICON_SMALL ? small : w == ICON_BIG ? big : nullptr);
        };
    }
    test::MessageLog log;
};

TEST(WindowIcon, FirstOfSmallBigClassIconsAndTheStandardIcon)
{
    NoProgramIcons noProgramIcons;
    const HICON iconA = LoadIconA(nullptr, IDI_HAND);
    const HICON iconB = LoadIconA(nullptr, IDI_QUESTION);
    const HICON standard = LoadIconA(nullptr, IDI_APPLICATION);
    ASSERT_NE(iconA, iconB);

    IconWindow both(iconA, iconB);
    EXPECT_EQ(iconA, GetWindowIcon(both.log.hwnd()));
    const auto queries = both.log.only({WM_GETICON});
    ASSERT_EQ(1u, queries.size()) << test::Describe(queries);
    EXPECT_EQ(static_cast<WPARAM>(ICON_SMALL), queries[0].wParam);

    IconWindow bigOnly(nullptr, iconB);
    EXPECT_EQ(iconB, GetWindowIcon(bigOnly.log.hwnd()));
    EXPECT_EQ(2u, bigOnly.log.count(WM_GETICON));

    IconWindow none(nullptr, nullptr);
    EXPECT_EQ(standard, GetWindowIcon(none.log.hwnd()));

    // A class with icons of its own and a window that answers nothing.
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DockTestIconClass";
    wc.hIcon = iconB;
    wc.hIconSm = iconA;
    ASSERT_TRUE(RegisterClassExA(&wc));
    HWND withClassIcon = CreateWindowExA(0, wc.lpszClassName, "Class icon", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                         nullptr, nullptr, wc.hInstance, nullptr);
    EXPECT_EQ(iconA, GetWindowIcon(withClassIcon));
    DestroyWindow(withClassIcon);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

TEST(WindowIcon, AWindowThatStopsAnsweringCountsAsHavingNoIcon)
{
    NoProgramIcons noProgramIcons;
    // The thread stops pumping at the first icon query and stays stopped.
    docktest::StallingWindow hung("Hung window", WM_GETICON);
    EXPECT_EQ(LoadIconA(nullptr, IDI_APPLICATION), GetWindowIcon(hung.hwnd()));
    // Both queries gave up while the window was still stuck.
    EXPECT_TRUE(hung.Stalled());
}

// The pixels of an icon drawn at 16 x 16 on a fixed background.
std::vector<COLORREF> Picture(HICON icon)
{
    test::Canvas canvas(16, 16);
    DrawIconEx(canvas.dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> out;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            out.push_back(canvas.at(x, y));
    return out;
}

// A window that gives no icon of its own shows its program's: this test
// program carries the application icon, which differs from the standard one.
// A hung window gets it too, without waiting once more.
TEST(WindowIcon, WithoutAnIconOfItsOwnAWindowShowsItsProgramsIcon)
{
    const HICON standard = LoadIconA(nullptr, IDI_APPLICATION);
    const HICON ours = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128), IMAGE_ICON,
                                                     16, 16, LR_DEFAULTCOLOR));
    ASSERT_NE(Picture(ours), Picture(standard));

    IconWindow none(nullptr, nullptr);
    const HICON found = GetWindowIcon(none.log.hwnd());
    EXPECT_NE(standard, found);
    EXPECT_EQ(Picture(ours), Picture(found));
    EXPECT_EQ(found, GetWindowIcon(none.log.hwnd())) << "looked up again rather than kept";

    docktest::StallingWindow hung("Hung window", WM_GETICON);
    EXPECT_EQ(found, GetWindowIcon(hung.hwnd()));
    EXPECT_TRUE(hung.Stalled());
    DestroyIcon(ours);
}

// Plays every window of this thread as one that lets its queries time out,
// and records each icon query that goes out.
struct IconQuery {
    HWND hwnd;
    WPARAM type;
};
std::vector<IconQuery> g_queries;

LRESULT WINAPI FakeSend(HWND h, UINT m, WPARAM w, LPARAM l, UINT flags, UINT timeout, PDWORD_PTR result)
{
    if (m == WM_GETICON)
        g_queries.push_back({h, w});
    if (GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId())
        return 0;
    return SendMessageTimeoutA(h, m, w, l, flags, timeout, result);
}

std::vector<WPARAM> QueriesTo(HWND h)
{
    std::vector<WPARAM> out;
    for (const IconQuery& q : g_queries)
        if (q.hwnd == h)
            out.push_back(q.type);
    return out;
}

// One unanswered query is all a silent thread gets in one catalogue: the
// window's second query, and the queries of the thread's other windows,
// could only wait behind it. Other threads are asked as always, and the next
// catalogue asks the silent thread again.
TEST(Catalogue, AThreadThatLetsAQueryTimeOutIsAskedOnce)
{
    test::MessageLog first("Silent one", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    test::MessageLog second("Silent two", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    // A window of another thread that pumps: it is never sent the message it
    // would stall on, so its queries really go out and are answered.
    docktest::StallingWindow other("Answering one", RegisterWindowMessageA("DockTestNeverSent"));
    ASSERT_TRUE(other.hwnd());
    CTrayDockDlg dlg;
    NoProgramIcons noProgramIcons;
    const auto saved = g_pfnSendMessageTimeoutA;
    g_pfnSendMessageTimeoutA = FakeSend;
    for (int round = 0; round < 2; ++round) {
        g_queries.clear();
        dlg.Docker().BuildWindowList();
        const int iFirst = IndexOf(dlg.Docker().Windows(), first.hwnd()), iSecond = IndexOf(dlg.Docker().Windows(), second.hwnd());
        ASSERT_GE(iFirst, 0);
        ASSERT_GE(iSecond, 0);
        // Whichever of the two is listed first was asked once, the other never.
        const HWND asked = iFirst < iSecond ? first.hwnd() : second.hwnd();
        const HWND spared = iFirst < iSecond ? second.hwnd() : first.hwnd();
        EXPECT_EQ(std::vector<WPARAM>{ICON_SMALL}, QueriesTo(asked)) << "round " << round;
        EXPECT_TRUE(QueriesTo(spared).empty()) << "round " << round;
        EXPECT_EQ((std::vector<WPARAM>{ICON_SMALL, ICON_BIG}), QueriesTo(other.hwnd())) << "round " << round;
        // Listed all the same, with the standard icon.
        EXPECT_EQ(LoadIconA(nullptr, IDI_APPLICATION), dlg.Docker().Windows()[iSecond]->hIcon);
    }
    // Outside a catalogue nothing is remembered; the big icon is still not
    // asked for after the small one timed out.
    g_queries.clear();
    GetWindowIcon(second.hwnd());
    GetWindowIcon(first.hwnd());
    EXPECT_EQ(std::vector<WPARAM>{ICON_SMALL}, QueriesTo(second.hwnd()));
    EXPECT_EQ(std::vector<WPARAM>{ICON_SMALL}, QueriesTo(first.hwnd()));
    g_pfnSendMessageTimeoutA = saved;
    dlg.Docker().FreeWindowList();
}

TEST(Catalogue, AHungProgramsWindowIsListed)
{
    // A window of another program that stopped pumping at once.
    docktest::HungProgram hung("Hung program");
    ASSERT_TRUE(hung.hwnd());
    WithDialog([&](CTrayDockDlg& dlg) {
        test::MessageLog after("Responsive window", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        dlg.Docker().BuildWindowList();
        const int i = IndexOf(dlg.Docker().Windows(), hung.hwnd());
        ASSERT_GE(i, 0);
        EXPECT_STREQ(L"Hung program", dlg.Docker().Windows()[i]->szTitle);
        EXPECT_NE(nullptr, dlg.Docker().Windows()[i]->hIcon);
        EXPECT_GE(IndexOf(dlg.Docker().Windows(), after.hwnd()), 0);
    });
    EXPECT_TRUE(hung.StillHanging());
}

TEST(FindDockedByIcon, FirstRecordWithThatIconWindowAndNullForNoIcon)
{
    CTrayIcon icon;
    ASSERT_TRUE(icon.Create(nullptr, nullptr, L"tip"));
    DockEntry withIcon{}, withoutIcon{}, again{};
    withIcon.pTrayIcon = &icon;
    again.pTrayIcon = &icon;
    CTypedPtrArray<DockEntry> docked;
    docked.Add(&withoutIcon);
    docked.Add(&withIcon);
    docked.Add(&again);
    EXPECT_EQ(1, FindDockedByIcon(docked, icon.m_hWnd));
    EXPECT_EQ(0, FindDockedByIcon(docked, nullptr));
    EXPECT_EQ(-1, FindDockedByIcon(docked, reinterpret_cast<HWND>(0x1234)));
}

}  // namespace
