#pragma once
// Helpers shared by the popup menu tests.
#include "menu/MenuEx.h"
#include "menu/MenuMonitor.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace menutest {

// A CMenuEx that records the messages its window gets, and can refuse its
// creation or keep WM_MOUSEMOVE from the menu (so that only the hover timer
// can move the hot item). Its rows can be set up by hand.
class RecordingMenu : public CMenuEx {
public:
    std::vector<UINT> seen;
    bool failCreate = false;
    bool swallowMouseMoves = false;

    CMenuRows& rows() { return MutableRows(); }

    size_t Count(UINT message) const
    {
        size_t n = 0;
        for (UINT m : seen)
            n += m == message;
        return n;
    }
    // Position of the first occurrence, or -1.
    int IndexOf(UINT message) const
    {
        for (size_t i = 0; i < seen.size(); ++i)
            if (seen[i] == message)
                return static_cast<int>(i);
        return -1;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(message);
        if (message == WM_NCCREATE && failCreate)
            return FALSE;
        if (message == WM_MOUSEMOVE && swallowMouseMoves)
            return 0;
        return CMenuEx::WindowProc(message, wParam, lParam);
    }
};

// Runs menu.Track at (x, y) and calls script from inside its modal loop, as
// the first message the loop dispatches. A popup the script leaves open is
// closed after timeoutMs and reported, so no test can hang on it.
inline int TrackWith(CMenuEx& menu, int x, int y, const std::function<void()>& script, DWORD timeoutMs = 10000)
{
    constexpr UINT kRun = WM_APP + 7;
    constexpr UINT_PTR kWatchdog = 77;
    bool timedOut = false;
    test::MessageLog runner("menu test runner");
    runner.answer = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, bool& handled) -> LRESULT {
        if (message == kRun) {
            handled = true;
            script();
        } else if (message == WM_TIMER && wParam == kWatchdog) {
            handled = true;
            KillTimer(hwnd, kWatchdog);
            timedOut = true;
            menu.Close();
        }
        return 0;
    };
    PostMessageA(runner.hwnd(), kRun, 0, 0);
    SetTimer(runner.hwnd(), kWatchdog, timeoutMs, nullptr);
    const int result = menu.Track(0, x, y, nullptr, nullptr);
    KillTimer(runner.hwnd(), kWatchdog);
    EXPECT_FALSE(timedOut) << "the popup was still open after " << timeoutMs << " ms";
    return result;
}

// A popup window after its popup closed: hidden and no popup's, kept for
// the next one (or gone).
inline bool ClosedPopup(HWND hwnd)
{
    return !IsWindowVisible(hwnd) && !dynamic_cast<CMenuEx*>(CWnd::FromHandlePermanent(hwnd));
}

inline LPARAM Point(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// The top of item i's row in client coordinates, from the stored sizes.
inline int RowTop(const CMenuEx& menu, int i)
{
    int y = 5;
    for (int k = 0; k < i; ++k)
        y += menu.Rows().Item(k).nHeight + 5;
    return y;
}

inline void MoveTo(const CMenuEx& menu, int x, int y)
{
    SendMessageA(menu.m_hWnd, WM_MOUSEMOVE, 0, Point(x, y));
}

inline void ClickAt(const CMenuEx& menu, int x, int y)
{
    SendMessageA(menu.m_hWnd, WM_LBUTTONUP, 0, Point(x, y));
}

// Text size as the menu must measure it: Tahoma 13, normal or bold, on the
// screen's DC. Made independently of the menu's own fonts.
inline SIZE Measure(const std::wstring& text, bool bold)
{
    LOGFONTW lf{};
    lf.lfHeight = 13;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return size;
}

// Keeps the real pointer away from where the tests open their popups, so
// that neither the hover timer nor real mouse moves interfere. Under Wine
// each process that watches the pointer hears of a move as an X event and
// passes it on when it gets to it, so a late one puts the pointer back
// where an earlier move took it, for a moment: the test goes on once the
// pointer has read where it was put, and no move has reached this thread,
// for a while.
inline void ParkCursor()
{
    SetCursorPos(2, 2);
    DWORD quietSince = GetTickCount();
    test::PumpUntil([&] {
        POINT pt{};
        GetCursorPos(&pt);
        if (pt.x != 2 || pt.y != 2 || (HIWORD(GetQueueStatus(QS_MOUSEMOVE)) & QS_MOUSEMOVE))
            quietSince = GetTickCount();
        return GetTickCount() - quietSince >= 50;
    }, 2000);
}

// Every monitor reports this DPI while the object lives.
struct ScopedDpi {
    static inline int s_dpi = 96;
    UINT (*m_old)(HMONITOR) = g_pfnMenuDpiForMonitor;
    explicit ScopedDpi(int dpi)
    {
        s_dpi = dpi;
        g_pfnMenuDpiForMonitor = [](HMONITOR) { return static_cast<UINT>(s_dpi); };
    }
    ~ScopedDpi() { g_pfnMenuDpiForMonitor = m_old; }
};

// The main menu's shape: nWindows rows "Window 1".. (ids 150..), the list's
// end, then separator, Minimize All (bold), Close All, separator, Options,
// Exit. Only the windows ask an icon source set before.
inline void FillMainMenu(CMenuEx& menu, int nWindows)
{
    for (int i = 0; i < nWindows; ++i)
        menu.AddItem(0, 150 + i, (L"Window " + std::to_wstring(i + 1)).c_str(), nullptr, FALSE);
    menu.SetIconSource(nullptr);
    menu.BeginFixedRows();
    menu.AddSeparator();
    menu.AddItem(0, 140, L"Minimize All", nullptr, TRUE);
    menu.AddItem(0, 144, L"Close All", nullptr, FALSE);
    menu.AddSeparator();
    menu.AddItem(0, 142, L"Options", nullptr, FALSE);
    menu.AddItem(0, 141, L"Exit", nullptr, FALSE);
}

// Keys and typed text queued to the popup, which has the focus, and read as
// its loop reads them: in UTF-16 (an ANSI pump would make Cyrillic '?').
inline void Send(const CMenuEx& menu, const std::vector<std::pair<UINT, WPARAM>>& messages)
{
    for (const auto& [message, wParam] : messages)
        PostMessageW(menu.m_hWnd, message, wParam, 1);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
inline void Key(const CMenuEx& menu, UINT vk) { Send(menu, {{WM_KEYDOWN, vk}}); }
inline void Type(const CMenuEx& menu, const std::wstring& text)
{
    std::vector<std::pair<UINT, WPARAM>> chars;
    for (wchar_t ch : text)
        chars.push_back({WM_CHAR, ch});
    Send(menu, chars);
}

inline std::wstring HotText(const CMenuEx& menu)
{
    const int hot = menu.Rows().Hot();
    return hot >= 0 ? std::wstring(menu.Rows().Item(hot).szText) : L"(none)";
}

}  // namespace menutest
