// A command handed to the running copy in the middle of a dock: the dialog
// waits on the docked window's thread to hide it, and the system delivers a
// message sent to the dialog meanwhile. It must be asked again later, not
// change the docked list under the dock in progress.
#include "app/Handoff.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/app/DialogScenario.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A window on a thread of its own whose program, as the window is hidden,
// hands the dialog a /dock of it, as any program may at that moment.
struct HandingWindow {
    HWND dialog = nullptr;
    HWND hwnd = nullptr;
    LRESULT answer = -1;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;

    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<HandingWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (m == WM_SHOWWINDOW && !wp && self && self->answer == -1) {
            WCHAR text[40];
            wsprintfW(text, L"/dock hwnd:0x%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(h)));
            COPYDATASTRUCT cds{kHandoffMagic, static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(WCHAR)), text};
            self->answer = SendMessageW(self->dialog, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
        }
        return DefWindowProcW(h, m, wp, lp);
    }
    static DWORD WINAPI Run(void* p)
    {
        auto* self = static_cast<HandingWindow*>(p);
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = L"HandingWindow";
        RegisterClassW(&wc);
        HWND h = CreateWindowExW(0, wc.lpszClassName, L"Handing Window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                 100, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        InterlockedExchangePointer(reinterpret_cast<void**>(&self->hwnd), h);
        MSG msg;
        while (MsgWaitForMultipleObjects(1, &self->done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
        DestroyWindow(h);
        UnregisterClassW(wc.lpszClassName, nullptr);
        return 0;
    }
    ~HandingWindow()
    {
        SetEvent(done);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        CloseHandle(done);
    }
};

TEST(Handoff, ACommandThatArrivesInTheMiddleOfADockIsAskedAgainLater)
{
    HandingWindow w;
    DialogScenario s;
    int docked = -1;
    s.then([&](CTrayDockDlg& d) {
        w.dialog = d.m_hWnd;
        w.thread = CreateThread(nullptr, 0, HandingWindow::Run, &w, 0, nullptr);
        ASSERT_TRUE(test::PumpUntil([&] { return w.hwnd != nullptr; }, 5000));
        ASSERT_TRUE(d.Docker().DockListed(w.hwnd));
        docked = d.Docker().Docked().GetSize();
        d.Docker().UndockAll();
    });
    s.run();
    EXPECT_EQ(static_cast<LRESULT>(kHandoffBusy), w.answer);
    EXPECT_EQ(1, docked) << "the window was docked more than once";
}

}  // namespace
