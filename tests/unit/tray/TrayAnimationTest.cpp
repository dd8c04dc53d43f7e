// Where the notification area is, and when the owner zooms into it or out.
// Wine's taskbar has no notification-area or clock windows and never
// animates, so the taskbar here is built by the test and the system's
// answers come from the fake shell.
#include "tray/TrayIcon.h"

#include "tests/support/TestSupport.h"
#include "tests/unit/tray/FakeTrayShell.h"
#include "tests/unit/tray/TrayTestUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// For readable failures.
inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& os, const RECT& r)
{
    return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

RECT Rect(LONG l, LONG t, LONG r, LONG b) { return RECT{l, t, r, b}; }

// Windows of the taskbar's classes, registered in this process (class names
// are per process, so they do not clash with the shell's own taskbar).
void RegisterTaskbarClasses()
{
    static bool done = false;
    if (done)
        return;
    for (const char* name : {"Shell_TrayWnd", "TrayNotifyWnd", "TrayClockWClass", "ReBarWindow32"}) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = name;
        RegisterClassA(&wc);
    }
    done = true;
}

// A hidden taskbar of our own with descendants at given screen rectangles.
class FakeTaskbar {
public:
    explicit FakeTaskbar(RECT screen)
    {
        RegisterTaskbarClasses();
        m_hwnd = CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, screen.left, screen.top,
                                 screen.right - screen.left, screen.bottom - screen.top, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    }
    ~FakeTaskbar() { DestroyWindow(m_hwnd); }
    FakeTaskbar(const FakeTaskbar&) = delete;
    FakeTaskbar& operator=(const FakeTaskbar&) = delete;

    HWND hwnd() const { return m_hwnd; }

    // A child of parent (the taskbar when null) covering the screen rectangle.
    HWND Add(const char* cls, RECT screen, HWND parent = nullptr)
    {
        if (!parent)
            parent = m_hwnd;
        POINT origin{screen.left, screen.top};
        ScreenToClient(parent, &origin);
        return CreateWindowExA(0, cls, "", WS_CHILD, origin.x, origin.y, screen.right - screen.left,
                               screen.bottom - screen.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    }

private:
    HWND m_hwnd;
};

RECT TrayRect(test::FakeTrayShell&)
{
    CTrayIcon icon;
    RECT rc = Rect(-1, -1, -1, -1);
    icon.GetTrayRect(&rc);
    return rc;
}

class TrayRectFromTaskbar : public ::testing::Test {
protected:
    test::FakeTrayShell shell;
};

TEST_F(TrayRectFromTaskbar, ClockReachingDownTrimsTheRightEdge)
{
    FakeTaskbar bar(Rect(0, 738, 1024, 768));
    HWND notify = bar.Add("TrayNotifyWnd", Rect(800, 738, 1020, 768));
    bar.Add("TrayClockWClass", Rect(960, 740, 1018, 766), notify);
    shell.taskbar = bar.hwnd();
    EXPECT_EQ(Rect(800, 738, 960, 768), TrayRect(shell));
    ASSERT_EQ(1u, shell.findClasses.size());
    EXPECT_EQ("Shell_TrayWnd", shell.findClasses[0]);
    EXPECT_EQ(0, shell.appBarQueries) << "the taskbar window decides";
    EXPECT_EQ(0, shell.workAreaQueries);
}

TEST_F(TrayRectFromTaskbar, ClockWellAboveTrimsTheTop)
{
    FakeTaskbar bar(Rect(964, 0, 1024, 768));
    HWND notify = bar.Add("TrayNotifyWnd", Rect(964, 500, 1024, 768));
    bar.Add("TrayClockWClass", Rect(966, 502, 1022, 530), notify);
    shell.taskbar = bar.hwnd();
    EXPECT_EQ(Rect(964, 530, 1024, 768), TrayRect(shell));
}

TEST_F(TrayRectFromTaskbar, TheMarginIsFivePixels)
{
    {
        FakeTaskbar bar(Rect(0, 700, 1024, 768));
        HWND notify = bar.Add("TrayNotifyWnd", Rect(800, 700, 1000, 768));
        bar.Add("TrayClockWClass", Rect(900, 702, 990, 763), notify);   // bottom - 5
        shell.taskbar = bar.hwnd();
        EXPECT_EQ(Rect(800, 700, 900, 768), TrayRect(shell));
    }
    {
        FakeTaskbar bar(Rect(0, 700, 1024, 768));
        HWND notify = bar.Add("TrayNotifyWnd", Rect(800, 700, 1000, 768));
        bar.Add("TrayClockWClass", Rect(900, 702, 990, 762), notify);   // bottom - 6
        shell.taskbar = bar.hwnd();
        EXPECT_EQ(Rect(800, 762, 1000, 768), TrayRect(shell));
    }
}

TEST_F(TrayRectFromTaskbar, NoClockLeavesTheNotificationArea)
{
    FakeTaskbar bar(Rect(0, 738, 1024, 768));
    bar.Add("ReBarWindow32", Rect(60, 738, 700, 768));
    HWND notify = bar.Add("TrayNotifyWnd", Rect(800, 738, 1020, 768));
    bar.Add("ReBarWindow32", Rect(810, 740, 830, 760), notify);
    shell.taskbar = bar.hwnd();
    EXPECT_EQ(Rect(800, 738, 1020, 768), TrayRect(shell));
}

TEST_F(TrayRectFromTaskbar, NoNotificationAreaLeavesTheWholeTaskbar)
{
    // Wine's own taskbar is like this: buttons only.
    FakeTaskbar bar(Rect(0, 738, 1024, 768));
    bar.Add("Button", Rect(0, 738, 100, 768));
    shell.taskbar = bar.hwnd();
    EXPECT_EQ(Rect(0, 738, 1024, 768), TrayRect(shell));
}

TEST_F(TrayRectFromTaskbar, AClockBeforeTheNotificationAreaTrimsTheTaskbarAndEndsTheSearch)
{
    FakeTaskbar bar(Rect(0, 738, 1024, 768));
    bar.Add("TrayClockWClass", Rect(960, 740, 1018, 766));
    bar.Add("TrayNotifyWnd", Rect(800, 738, 1020, 768));   // after the clock: never seen
    shell.taskbar = bar.hwnd();
    EXPECT_EQ(Rect(0, 738, 960, 768), TrayRect(shell));
}

TEST_F(TrayRectFromTaskbar, ClassNamesAreCaseSensitive)
{
    RegisterTaskbarClasses();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "traynotifywnd2";
    RegisterClassA(&wc);
    FakeTaskbar bar(Rect(0, 738, 1024, 768));
    bar.Add("traynotifywnd2", Rect(800, 738, 1020, 768));
    shell.taskbar = bar.hwnd();
    EXPECT_EQ(Rect(0, 738, 1024, 768), TrayRect(shell));
}

TEST_F(TrayRectFromTaskbar, TheRealTaskbarGivesItsWholeRectangle)
{
    // Through the real lookup: Wine's taskbar has no notification-area window.
    g_trayShell.pfnFindWindow = &FindWindowA;   // the fake puts its own back when it goes
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    ASSERT_NE(nullptr, taskbar);
    RECT expected{};
    GetWindowRect(taskbar, &expected);
    EXPECT_EQ(expected, TrayRect(shell));
}

class TrayRectFromShell : public ::testing::Test {
protected:
    RECT Query(UINT_PTR answer, UINT edge, RECT rc)
    {
        shell.appBarResult = answer;
        shell.appBarEdge = edge;
        shell.appBarRect = rc;
        return TrayRect(shell);
    }
    test::FakeTrayShell shell;   // no taskbar window
};

TEST_F(TrayRectFromShell, HorizontalTaskbars)
{
    EXPECT_EQ(Rect(924, 738, 1008, 768), Query(1, ABE_BOTTOM, Rect(0, 738, 1024, 768)));
    EXPECT_EQ(Rect(924, 0, 1008, 30), Query(1, ABE_TOP, Rect(0, 0, 1024, 30)));
    EXPECT_EQ(static_cast<DWORD>(ABM_GETTASKBARPOS), shell.appBarMessageSeen);
    EXPECT_EQ(test::kAppBarDataSize, shell.appBarCbSizeSeen);
    EXPECT_EQ(0, shell.workAreaQueries);
}

TEST_F(TrayRectFromShell, VerticalTaskbars)
{
    EXPECT_EQ(Rect(0, 668, 60, 752), Query(1, ABE_LEFT, Rect(0, 0, 60, 768)));
    EXPECT_EQ(Rect(964, 668, 1024, 752), Query(1, ABE_RIGHT, Rect(964, 0, 1024, 768)));
}

TEST_F(TrayRectFromShell, NoAnswerGivesTheWorkAreaCorner)
{
    EXPECT_EQ(Rect(874, 708, 1024, 738), Query(0, ABE_BOTTOM, Rect(0, 738, 1024, 768)));
    EXPECT_EQ(1, shell.workAreaQueries);
    shell.workArea = Rect(100, 0, 800, 600);
    EXPECT_EQ(Rect(650, 570, 800, 600), Query(0, ABE_BOTTOM, RECT{}));
}

TEST_F(TrayRectFromShell, AnUnknownEdgeGivesTheWorkAreaCorner)
{
    EXPECT_EQ(Rect(874, 708, 1024, 738), Query(1, 4, Rect(0, 738, 1024, 768)));
    EXPECT_EQ(Rect(874, 708, 1024, 738), Query(1, 0xFFFFFFFFu, Rect(0, 738, 1024, 768)));
}

TEST_F(TrayRectFromShell, NoWorkAreaEitherGivesTheScreenCorner)
{
    shell.workAreaAnswers = false;
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(Rect(cx - 150, cy - 30, cx, cy), Query(0, ABE_BOTTOM, RECT{}));
}

TEST(TrayAnimationSetting, FollowsTheSystemAndAsksEveryTime)
{
    test::FakeTrayShell shell;
    CTrayIcon icon;
    shell.minAnimate = 1;
    EXPECT_TRUE(icon.IsAnimationEnabled());
    shell.minAnimate = 0;
    EXPECT_FALSE(icon.IsAnimationEnabled());
    EXPECT_EQ(2, shell.animationQueries);
    EXPECT_EQ(8u, shell.animationSizeSeen);
    EXPECT_EQ(8u, shell.animationCbSizeSeen);
}

TEST(TrayAnimationSetting, NoAnswerMeansOff)
{
    test::FakeTrayShell shell;
    shell.animationAnswers = false;
    CTrayIcon icon;
    EXPECT_FALSE(icon.IsAnimationEnabled());
}

TEST(TrayAnimationSetting, WinesSystemSaysOff)
{
    CTrayIcon icon;
    EXPECT_FALSE(icon.IsAnimationEnabled());
}

// The owner that zooms: a captioned window of this test, placed where the
// tray rectangle is easy to tell from it.
class TrayZoom : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = CreateWindowExA(0, "STATIC", "zoom owner", WS_OVERLAPPEDWINDOW, 200, 150, 300, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, owner);
        ownerWnd = std::make_unique<test::BorrowedWnd>(owner);
        ASSERT_TRUE(icon.Create(ownerWnd.get(), test::AppIcon(), L"zoom"));
        // The shell knows a bottom taskbar; no taskbar window exists.
        shell.appBarResult = 1;
        shell.appBarEdge = ABE_BOTTOM;
        shell.appBarRect = Rect(0, 738, 1024, 768);
    }
    void TearDown() override
    {
        ownerWnd.reset();
        DestroyWindow(owner);
    }

    enum class Start { Hidden, Visible, Minimized, HiddenMinimized, HiddenMaximized };
    void Put(Start s)
    {
        ShowWindow(owner, SW_HIDE);
        ShowWindow(owner, SW_RESTORE);
        ShowWindow(owner, SW_HIDE);
        switch (s) {
        case Start::Hidden:
            break;
        case Start::Visible:
            ShowWindow(owner, SW_SHOWNORMAL);
            break;
        case Start::Minimized:
            ShowWindow(owner, SW_SHOWMINIMIZED);
            break;
        case Start::HiddenMinimized:
            ShowWindow(owner, SW_SHOWMINIMIZED);
            ShowWindow(owner, SW_HIDE);
            break;
        case Start::HiddenMaximized:
            ShowWindow(owner, SW_SHOWMAXIMIZED);
            ShowWindow(owner, SW_HIDE);
            break;
        }
        test::Flush();
        shell.draws.clear();
        shell.animationQueries = 0;
        shell.appBarQueries = 0;
        shell.findClasses.clear();
        shell.workAreaQueries = 0;
    }
    RECT OwnerRect() const
    {
        RECT rc{};
        GetWindowRect(owner, &rc);
        return rc;
    }

    const RECT trayRect = Rect(924, 738, 1008, 768);
    test::FakeTrayShell shell;
    HWND owner = nullptr;
    std::unique_ptr<test::BorrowedWnd> ownerWnd;
    CTrayIcon icon;
};

TEST_F(TrayZoom, HideZoomsFromTheWindowToTheTrayWhenTheSystemAnimates)
{
    shell.minAnimate = 1;
    Put(Start::Visible);
    const RECT window = OwnerRect();
    icon.HideToTray(FALSE);
    ASSERT_EQ(1u, shell.draws.size());
    EXPECT_EQ(owner, shell.draws[0].hwnd);
    EXPECT_EQ(IDANI_CAPTION, shell.draws[0].idAni);
    EXPECT_EQ(window, shell.draws[0].from);
    EXPECT_EQ(trayRect, shell.draws[0].to);
    EXPECT_TRUE(shell.draws[0].ownerVisible) << "the zoom comes before the hide";
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_EQ(1, shell.animationQueries);
}

TEST_F(TrayZoom, HideOfAnAlreadyHiddenWindowStillZoomsFromWhereItWas)
{
    shell.minAnimate = 1;
    Put(Start::Hidden);
    icon.HideToTray(FALSE);
    ASSERT_EQ(1u, shell.draws.size());
    EXPECT_EQ(Rect(200, 150, 500, 350), shell.draws[0].from);
    EXPECT_FALSE(IsWindowVisible(owner));
}

TEST_F(TrayZoom, HideWithoutAnimationOnlyHidesAndSearchesNothing)
{
    shell.minAnimate = 0;
    Put(Start::Visible);
    icon.HideToTray(FALSE);
    EXPECT_TRUE(shell.draws.empty());
    EXPECT_EQ(1, shell.animationQueries);
    EXPECT_EQ(0, shell.TraySearches());
    EXPECT_FALSE(IsWindowVisible(owner));
}

TEST_F(TrayZoom, ForcedHideZoomsWithoutAskingTheSystem)
{
    shell.minAnimate = 0;
    Put(Start::Visible);
    icon.HideToTray(TRUE);
    EXPECT_EQ(1u, shell.draws.size());
    EXPECT_EQ(0, shell.animationQueries);
    EXPECT_FALSE(IsWindowVisible(owner));
}

TEST_F(TrayZoom, HideOfAMinimizedWindowDoesNotZoom)
{
    for (BOOL force : {FALSE, TRUE}) {
        shell.minAnimate = 1;
        Put(Start::Minimized);
        ASSERT_TRUE(IsIconic(owner));
        icon.HideToTray(force);
        EXPECT_TRUE(shell.draws.empty()) << "force " << force;
        EXPECT_EQ(0, shell.TraySearches());
        EXPECT_FALSE(IsWindowVisible(owner));
    }
}

// One row of the decision table of ShowFromTray.
struct ShowCase {
    bool force;
    int minAnimate;
    int start;          // TrayZoom::Start
    bool zooms;
    bool iconicAfter;   // SW_SHOW leaves a minimized window minimized; SW_RESTORE does not
    bool zoomedAfter;   // SW_RESTORE would take a maximized window back to normal
};

TEST_F(TrayZoom, ShowFollowsTheDecisionTable)
{
    const ShowCase rows[] = {
        // animation on (or forced)
        {false, 1, int(Start::Minimized), false, false, false},
        {false, 1, int(Start::HiddenMinimized), false, false, false},
        {true, 0, int(Start::Minimized), false, false, false},
        {false, 1, int(Start::Visible), false, false, false},
        {true, 0, int(Start::Visible), false, false, false},
        {false, 1, int(Start::Hidden), true, false, false},
        {true, 0, int(Start::Hidden), true, false, false},
        {true, 0, int(Start::HiddenMaximized), true, false, true},
        // animation off
        {false, 0, int(Start::Minimized), false, false, false},
        {false, 0, int(Start::HiddenMinimized), false, false, false},
        {false, 0, int(Start::Visible), false, false, false},
        {false, 0, int(Start::Hidden), false, false, false},
        {false, 0, int(Start::HiddenMaximized), false, false, true},
    };
    int i = 0;
    for (const ShowCase& row : rows) {
        SCOPED_TRACE("row " + std::to_string(i++));
        shell.minAnimate = row.minAnimate;
        Put(static_cast<Start>(row.start));
        const RECT before = OwnerRect();
        icon.ShowFromTray(row.force ? TRUE : FALSE);
        test::Flush();

        EXPECT_EQ(row.force ? 0 : 1, shell.animationQueries);
        if (row.zooms) {
            ASSERT_EQ(1u, shell.draws.size());
            EXPECT_EQ(trayRect, shell.draws[0].from);
            EXPECT_EQ(before, shell.draws[0].to);
            EXPECT_EQ(IDANI_CAPTION, shell.draws[0].idAni);
            EXPECT_FALSE(shell.draws[0].ownerVisible) << "the zoom comes before the show";
        } else {
            EXPECT_TRUE(shell.draws.empty());
            EXPECT_EQ(0, shell.TraySearches());
        }
        EXPECT_TRUE(IsWindowVisible(owner));
        EXPECT_EQ(row.iconicAfter, IsIconic(owner) != FALSE);
        EXPECT_EQ(row.zoomedAfter, IsZoomed(owner) != FALSE);
        EXPECT_EQ(owner, GetForegroundWindow());
    }
}

}  // namespace
