#pragma once
// Helpers shared by the popup menu tests.
#include "menu/MenuEx.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace menutest {

// A CMenuEx that records the messages its window gets, and can refuse its
// creation or keep WM_MOUSEMOVE from the menu (so that only the hover timer
// can move the hot item).
class RecordingMenu : public CMenuEx {
public:
    std::vector<UINT> seen;
    bool failCreate = false;
    bool swallowMouseMoves = false;

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

inline LPARAM Point(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// The top of item i's row in client coordinates, from the stored sizes.
inline int RowTop(const CMenuEx& menu, int i)
{
    int y = 5;
    for (int k = 0; k < i; ++k)
        y += menu.m_arrItems[k]->nHeight + 5;
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
// that neither the hover timer nor real mouse moves interfere.
inline void ParkCursor()
{
    SetCursorPos(2, 2);
}

}  // namespace menutest
