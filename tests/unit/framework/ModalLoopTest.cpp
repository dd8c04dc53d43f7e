#include "framework/Wnd.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// A plain window whose handlers a test can script.
class ScriptedWnd : public CWnd {
public:
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> onMessage;
    std::vector<UINT> seen;

    BOOL Create(DWORD style = WS_POPUP)
    {
        return CreateEx(0, RegisterPlainWndClass(0), L"scripted", style, 0, 0, 50, 50, nullptr, nullptr);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(message);
        LRESULT result = 0;
        if (onMessage && onMessage(message, wParam, lParam, result))
            return result;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

constexpr UINT kPoke = WM_APP + 1;

TEST(Routing, HandlersSeeMessagesAndDefaultProcessingAnswersTheRest)
{
    ScriptedWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.onMessage = [](UINT m, WPARAM w, LPARAM, LRESULT& r) {
        if (m != kPoke)
            return false;
        r = static_cast<LRESULT>(w * 2);
        return true;
    };
    EXPECT_EQ(42, SendMessageA(wnd.m_hWnd, kPoke, 21, 0));
    // Unhandled: default processing answers, here WM_GETTEXTLENGTH of the title.
    EXPECT_EQ(8, SendMessageA(wnd.m_hWnd, WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
}

TEST(Routing, DestroyingTheWindowUnbindsTheObject)
{
    ScriptedWnd wnd;
    ASSERT_TRUE(wnd.Create());
    HWND hwnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(wnd.DestroyWindow());
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hwnd));
}

// The object is found in the window's user data, but only where our
// procedure serves the window: another window of the thread keeps its own.
TEST(Routing, OnlyWindowsThatOurProcedureServesAreBound)
{
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    ScriptedWnd wnd;
    SetWindowLongPtrW(other, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&wnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(other));
    DestroyWindow(other);
}

TEST(Routing, ObjectDeletedInsideItsOwnHandlerIsNotTouchedAfterwards)
{
    auto* wnd = new ScriptedWnd;
    ASSERT_TRUE(wnd->Create());
    HWND hwnd = wnd->m_hWnd;
    wnd->onMessage = [wnd](UINT m, WPARAM, LPARAM, LRESULT& r) {
        if (m != kPoke)
            return false;
        delete wnd;   // the dispatcher must not write to it on the way out
        r = 7;
        return true;
    };
    EXPECT_EQ(7, SendMessageA(hwnd, kPoke, 0, 0));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(ModalLoop, EndFromAHandlerReturnsItsValue)
{
    ScriptedWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.onMessage = [&wnd](UINT m, WPARAM w, LPARAM, LRESULT&) {
        if (m == kPoke)
            wnd.EndModalLoop(static_cast<int>(w));
        return false;
    };
    PostMessageA(wnd.m_hWnd, kPoke, 5, 0);
    EXPECT_EQ(5, wnd.RunModalLoop());
    EXPECT_FALSE(wnd.IsInModalLoop());
}

TEST(ModalLoop, EndBeforeTheLoopStartsReturnsAtOnce)
{
    ScriptedWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.EndModalLoop(3);
    // Nothing is posted that could end it otherwise: the loop must not wait.
    const DWORD start = GetTickCount();
    EXPECT_EQ(3, wnd.RunModalLoop());
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST(ModalLoop, QuitDuringTheLoopReturnsMinusOneAndIsPostedAgain)
{
    ScriptedWnd wnd;
    ASSERT_TRUE(wnd.Create());
    PostQuitMessage(17);
    EXPECT_EQ(-1, wnd.RunModalLoop());
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(17u, msg.wParam);
}

TEST(ModalLoop, NestedLoopDispatchesTheOuterWindowsTimersAndEndsInnerFirst)
{
    ScriptedWnd outer, inner;
    ASSERT_TRUE(outer.Create());
    ASSERT_TRUE(inner.Create());
    int outerTicks = 0;
    int innerResult = 0;
    outer.onMessage = [&](UINT m, WPARAM w, LPARAM, LRESULT&) {
        if (m == kPoke) {
            // Runs the inner loop from inside a handler of the outer one.
            innerResult = inner.RunModalLoop();
            outer.EndModalLoop(99);
            return true;
        }
        if (m == WM_TIMER && w == 1 && ++outerTicks == 3)
            inner.EndModalLoop(11);
        return false;
    };
    outer.SetTimer(1, 20);
    PostMessageA(outer.m_hWnd, kPoke, 0, 0);
    EXPECT_EQ(99, outer.RunModalLoop());
    EXPECT_EQ(11, innerResult);
    EXPECT_EQ(3, outerTicks);
    outer.KillTimer(1);
}

TEST(ModalLoop, QuitInsideANestedLoopEndsBothLoops)
{
    ScriptedWnd outer, inner;
    ASSERT_TRUE(outer.Create());
    ASSERT_TRUE(inner.Create());
    int innerResult = 0;
    outer.onMessage = [&](UINT m, WPARAM, LPARAM, LRESULT&) {
        if (m == kPoke) {
            PostQuitMessage(4);
            innerResult = inner.RunModalLoop();
            return true;
        }
        return false;
    };
    PostMessageA(outer.m_hWnd, kPoke, 0, 0);
    EXPECT_EQ(-1, outer.RunModalLoop());
    EXPECT_EQ(-1, innerResult);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(4u, msg.wParam);
}

TEST(ModalLoop, EndSentFromAnotherThreadWakesTheLoop)
{
    ScriptedWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.onMessage = [&wnd](UINT m, WPARAM, LPARAM, LRESULT&) {
        if (m == kPoke)
            wnd.EndModalLoop(8);
        return false;
    };
    const HWND hwnd = wnd.m_hWnd;
    std::thread other([hwnd] {
        Sleep(100);
        SendMessageA(hwnd, kPoke, 0, 0);
    });
    EXPECT_EQ(8, wnd.RunModalLoop());
    other.join();
}

}  // namespace
