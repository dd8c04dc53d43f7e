// Commands handed to the running copy: the envelope checked before anything
// is read, the answers, and a hand-off that arrives in the middle of a dock.
#include "app/Handoff.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/app/DialogScenario.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr DWORD kShown = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

COPYDATASTRUCT Envelope(const std::wstring& text, DWORD cbData, ULONG_PTR magic = kHandoffMagic)
{
    return COPYDATASTRUCT{magic, cbData, const_cast<wchar_t*>(text.c_str())};
}

DWORD Whole(const std::wstring& text)
{
    return static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
}

LRESULT Hand(HWND dialog, COPYDATASTRUCT cds)
{
    return SendMessageW(dialog, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
}

LRESULT Hand(HWND dialog, const std::wstring& text)
{
    return Hand(dialog, Envelope(text, Whole(text)));
}

LRESULT Answer(int result)
{
    return static_cast<LRESULT>(kHandoffAnswer | static_cast<DWORD>(result));
}

std::wstring HandleText(HWND hWnd)
{
    WCHAR text[32];
    wsprintfW(text, L"0x%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hWnd)));
    return text;
}

TEST(HandoffEnvelope, OnlyOurMagicWithWholeTerminatedTextOfASaneSize)
{
    const std::wstring good = L"/dock notepad";
    COPYDATASTRUCT cds = Envelope(good, Whole(good));
    EXPECT_EQ(good.c_str(), HandedArguments(&cds));

    const std::wstring inner(L"/dock Dock\0Normal", 17);   // would read as "/dock Dock"
    const std::wstring huge(kMaxHandoffChars, L'x');        // one unit too many with its NUL
    const std::wstring longest(kMaxHandoffChars - 1, L'x');
    struct Case {
        const char* what;
        COPYDATASTRUCT cds;
    } bad[] = {
        {"wrong magic", Envelope(good, Whole(good), kHandoffMagic + 1)},
        // Where dwData is wider than 32 bits, the whole of it counts.
        {"other bits beside the magic", Envelope(good, Whole(good), kHandoffMagic | (ULONG_PTR{1} << (sizeof(ULONG_PTR) * 8 - 1)))},
        {"odd size", Envelope(good, Whole(good) - 1)},
        {"no terminator", Envelope(good, Whole(good) - 2)},
        {"empty", Envelope(good, 0)},
        {"a NUL alone", Envelope(L"", 2)},
        {"a NUL inside", Envelope(inner, Whole(inner))},
        {"too big", Envelope(huge, Whole(huge))},
        {"no data", COPYDATASTRUCT{kHandoffMagic, Whole(good), nullptr}},
    };
    for (Case& c : bad)
        EXPECT_EQ(nullptr, HandedArguments(&c.cds)) << c.what;
    cds = Envelope(longest, Whole(longest));
    EXPECT_EQ(longest.c_str(), HandedArguments(&cds)) << "the largest allowed";
}

// Commands handed to the dialog, from this thread as from another process:
// each answered with its result; anything malformed answered as a bad
// command, changing nothing; another program's WM_COPYDATA not answered.
TEST(Handoff, TheRunningDialogAnswersEachCommandWithItsResult)
{
    test::MessageLog a("Handed Alpha", kShown), b("Handed Beta", kShown), hidden("Handed Hidden", kShown & ~WS_VISIBLE);
    DialogScenario s;
    s.then([&](CTrayDockDlg& d) {
        const HWND dlg = d.m_hWnd;
        const std::wstring inner(L"/dock title:Handed*\0x", 21);
        EXPECT_EQ(Answer(kCommandBad), Hand(dlg, Envelope(inner, Whole(inner))));
        const std::wstring cut = L"/dock title:Handed*";
        EXPECT_EQ(Answer(kCommandBad), Hand(dlg, Envelope(cut, Whole(cut) - 2)));
        EXPECT_EQ(0, Hand(dlg, Envelope(cut, Whole(cut), 0x1234)));
        for (const wchar_t* bad : {L"/frobnicate", L"/dock title:", L"/dock pid:abc", L"/run notepad", L"/list", L"/?", L""})
            EXPECT_EQ(Answer(kCommandBad), Hand(dlg, bad)) << test::Utf8(bad);
        EXPECT_EQ(0, d.Docker().Docked().GetSize()) << "a refused command docked something";

        EXPECT_EQ(Answer(kCommandNoMatch), Hand(dlg, L"/undock-all"));
        EXPECT_EQ(Answer(kCommandNoMatch), Hand(dlg, L"/dock \"title:Handed Gamma\""));
        EXPECT_EQ(Answer(kCommandBad), Hand(dlg, L"/dock hwnd:" + HandleText(hidden.hwnd())));
        EXPECT_EQ(Answer(kCommandDone), Hand(dlg, L"/dock \"title:Handed Alpha\""));
        EXPECT_EQ(Answer(kCommandDone), Hand(dlg, L"/dock hwnd:" + HandleText(b.hwnd())));
        EXPECT_EQ(2, d.Docker().Docked().GetSize());
        EXPECT_FALSE(IsWindowVisible(a.hwnd()) || IsWindowVisible(b.hwnd()));
        EXPECT_EQ(Answer(kCommandDone), Hand(dlg, L"-UNDOCK alpha"));
        EXPECT_EQ(Answer(kCommandDone), Hand(dlg, L"/undock-all"));
        EXPECT_TRUE(IsWindowVisible(a.hwnd()) && IsWindowVisible(b.hwnd()));
    });
    s.run();
}

// Started with /dock and no copy running: the dialog carries it out once
// its loop runs.
TEST(Handoff, TheCommandAStartCarriedIsCarriedOutOnceTheLoopRuns)
{
    test::MessageLog w("Started Docked", kShown);
    Command command{};
    ASSERT_TRUE(ParseCommand(L"/dock \"title:Started Docked\"", &command));
    DialogScenario s;
    s.dlg.SetStartCommand(&command);
    bool docked = false;
    s.then([&](CTrayDockDlg& d) { docked = d.Docker().Docked().GetSize() == 1 && !IsWindowVisible(w.hwnd()); });
    s.run();
    EXPECT_TRUE(docked);
}

// A window on a thread of its own whose program, as it is hidden, hands the
// dialog a command (as any program may at that moment): the dialog waits on
// the window's thread for the hide and takes the message meanwhile.
struct HandingWindow {
    HWND dialog = nullptr;
    HWND hwnd = nullptr;
    LRESULT answer = -1;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;

    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<HandingWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (m == WM_SHOWWINDOW && !wp && self && self->answer == -1)
            self->answer = Hand(self->dialog, L"/dock hwnd:" + HandleText(h));
        return DefWindowProcW(h, m, wp, lp);
    }
    static DWORD WINAPI Run(void* p)
    {
        auto* self = static_cast<HandingWindow*>(p);
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = L"HandingWindow";
        RegisterClassW(&wc);
        self->hwnd = CreateWindowExW(0, L"HandingWindow", L"Handing Window", kShown, 0, 0, 200, 100, nullptr,
                                     nullptr, nullptr, nullptr);
        SetWindowLongPtrW(self->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        SetEvent(self->ready);
        MSG msg;
        while (WaitForSingleObject(self->done, 0) != WAIT_OBJECT_0) {
            MsgWaitForMultipleObjects(1, &self->done, FALSE, 100, QS_ALLINPUT);
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
        }
        DestroyWindow(self->hwnd);
        UnregisterClassW(L"HandingWindow", nullptr);
        return 0;
    }
    void Start(HWND dlg)
    {
        dialog = dlg;
        thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(ready, 5000);
    }
    ~HandingWindow()
    {
        SetEvent(done);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        CloseHandle(ready);
        CloseHandle(done);
    }
};

TEST(Handoff, ACommandThatArrivesInTheMiddleOfADockIsAskedAgainLater)
{
    HandingWindow w;
    DialogScenario s;
    int docked = -1;
    s.then([&](CTrayDockDlg& d) {
        w.Start(d.m_hWnd);
        ASSERT_NE(nullptr, w.hwnd);
        ASSERT_TRUE(d.Docker().DockListed(w.hwnd));
        docked = d.Docker().Docked().GetSize();
        EXPECT_FALSE(d.Docker().Busy());
        d.Docker().UndockAll();
    });
    s.run();
    EXPECT_EQ(static_cast<LRESULT>(kHandoffBusy), w.answer);
    EXPECT_EQ(1, docked) << "the window was docked twice";
}

}  // namespace
