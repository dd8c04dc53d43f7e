#pragma once
// Stands in for the shell and system calls of the tray icon while a test
// runs: records exactly what the program hands over and answers as the test
// says. Restores the real calls when it goes.
#include "tray/TrayShell.h"

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// The first form of the UTF-16 record: what the program hands the shell. The
// shell's own figures for it: the pointer-sized fields before the tooltip
// make it longer in a 64-bit program.
constexpr bool k64Bit = sizeof(void*) == 8;
constexpr DWORD kNotifyRecordSize = k64Bit ? 168 : 152;
// The taskbar query's record, likewise.
constexpr DWORD kAppBarDataSize = k64Bit ? 48 : 36;

struct NotifyCall {
    DWORD op;               // NIM_ADD, NIM_DELETE
    DWORD cbSizeSeen;       // the record's own size field
    NOTIFYICONDATAW nid;    // the first cbSizeSeen bytes (at most the first form), rest zero
};

struct DrawCall {
    HWND hwnd;
    int idAni;
    RECT from;
    RECT to;
    BOOL ownerVisible;     // IsWindowVisible of hwnd when the zoom was drawn
    BOOL ownerIconic;
};

class FakeTrayShell {
public:
    FakeTrayShell();
    ~FakeTrayShell();
    FakeTrayShell(const FakeTrayShell&) = delete;
    FakeTrayShell& operator=(const FakeTrayShell&) = delete;

    // Shell_NotifyIconW
    std::vector<NotifyCall> notify;
    BOOL notifyResult = TRUE;
    std::vector<NotifyCall> Calls(DWORD op, HWND hwnd) const;

    // SystemParametersInfoA
    bool animationAnswers = true;   // FALSE result and nothing filled when false
    int minAnimate = 0;
    int animationQueries = 0;
    UINT animationSizeSeen = 0;     // the size argument and cbSize, for the last query
    UINT animationCbSizeSeen = 0;
    bool workAreaAnswers = true;
    RECT workArea{0, 0, 1024, 738};
    int workAreaQueries = 0;

    // DrawAnimatedRects
    std::vector<DrawCall> draws;

    // FindWindowA: the taskbar the program finds (null: none)
    HWND taskbar = nullptr;
    std::vector<std::string> findClasses;

    // SHAppBarMessage(ABM_GETTASKBARPOS)
    UINT_PTR appBarResult = 0;
    UINT appBarEdge = ABE_BOTTOM;
    RECT appBarRect{};
    int appBarQueries = 0;
    DWORD appBarCbSizeSeen = 0;
    DWORD appBarMessageSeen = 0;

    // How many times the notification area was searched for in any way.
    int TraySearches() const
    {
        return static_cast<int>(findClasses.size()) + appBarQueries + workAreaQueries;
    }

private:
    TrayShell m_saved;
};

}  // namespace test
