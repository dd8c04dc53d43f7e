// Hostile messages for the fault run, sent from a process of their own as
// any other program could send them.
//
//   faultdriver buildmenu DLG ICON
//       Sends and posts WM_TRAY_BUILDMENU to DLG with addresses that are no
//       menu of the program: small numbers, the top of the address space,
//       and blocks of this process's own memory, each with ICON and with a
//       made-up handle as lParam. Prints one line per send with its result;
//       exit code 1 when a send was not answered, answered non-zero, or when
//       this process's own blocks changed.
//   faultdriver flood DLG OWNICON COUNT SEED
//       Posts COUNT WM_TRAY_COMMAND messages to DLG with random commands and
//       handles (the program's icons, its dialog, other windows, made-up
//       values). Left out, because their effects are meant to end the
//       program, close windows or change the state a window is in: Exit
//       (141), Options (142), Close All (144), Minimize All from OWNICON, and
//       Restore, Minimize, Maximize and Exit (146-149) from a docked
//       window's icon. Prints the counts of what it posted.
//   faultdriver back CLASS[:TITLE] MS [PID]
//       Prints "watching", waits for process PID to end (if given), then
//       until every top-level window of CLASS (titled TITLE) is visible and
//       minimized or maximized as its title says ("Minimized", "Maximized").
//       Prints "back N ms" from the end of PID (or from "watching"); after MS
//       prints what is not back and exits 1.
//   faultdriver endsession DLG CLASS MS
//       Sends DLG WM_QUERYENDSESSION ("query N": its answer), then
//       WM_ENDSESSION TRUE, and waits as "back" does, from that send.
//   faultdriver corrupt DLG
//       Points the vtable of the object bound to DLG (the window's user data,
//       GWLP_USERDATA) into the first page, in the program's memory, sends
//       DLG a WM_NULL and prints how the send ended and when the process did.
//   faultdriver copydata DLG
//       Sends DLG, as a later start of the program hands it a command,
//       WM_COPYDATA that is not well formed: a wrong magic, an odd size, no
//       size, no terminator, NULs inside that would make "/dock Dock" of the
//       text, a megabyte of text; then a well-formed bad command and a
//       well-formed command that names no window. Prints one line each with
//       the answer; exit code 1 when any answer is not the refusal (the
//       format's answer for a bad command, or 0 for a magic not its own), or
//       the last two are not answered 2 and 1.
//   faultdriver record HWND:PID:FLAGS...
//       Writes a record of docked windows as the program does (value named by
//       this process's id under HKCU\Software\Traylet\Docked, header "TLD1"
//       and this process's creation time, FLAGS 1 minimized, 2 maximized) and
//       prints the id; once this process ends, the record's owner is gone.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kBuildMenu = WM_USER + 500;
constexpr UINT kTrayCommand = WM_USER + 501;

HWND ParseHwnd(const char* s)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoul(s, nullptr, 0)));
}

unsigned long Hex(const void* p)
{
    return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(p));
}

int BuildMenu(HWND dialog, HWND icon)
{
    // Blocks of our own that look like an object of some size: zeros (an
    // empty list, null handles) and a pattern. The receiver lives in another
    // address space; if it took these addresses for a menu it would read or
    // write its own memory there, which the checks in the program refuse.
    std::vector<unsigned char> zeros(4096, 0);
    std::vector<unsigned char> pattern(4096, 0xA5);
    const std::vector<unsigned char> zerosBefore = zeros, patternBefore = pattern;
    unsigned char onStack[256];
    std::memset(onStack, 0x5A, sizeof onStack);

    const void* addresses[] = {reinterpret_cast<void*>(0x1),        reinterpret_cast<void*>(0x10000),
                               reinterpret_cast<void*>(0xFFFFFFF0), reinterpret_cast<void*>(0x400000),
                               zeros.data(),                        pattern.data(),
                               onStack};
    const HWND handles[] = {icon, reinterpret_cast<HWND>(0x1234), nullptr};
    int bad = 0;
    for (const void* address : addresses) {
        for (HWND h : handles) {
            DWORD_PTR result = 0;
            const BOOL answered = SendMessageTimeoutA(dialog, kBuildMenu, reinterpret_cast<WPARAM>(address),
                                                      reinterpret_cast<LPARAM>(h), SMTO_NORMAL, 5000, &result);
            std::printf("send 0x%lx 0x%lx -> %s %lu\n", Hex(address), Hex(h), answered ? "answered" : "no answer",
                        static_cast<unsigned long>(result));
            if (!answered || result != 0)
                ++bad;
            PostMessageA(dialog, kBuildMenu, reinterpret_cast<WPARAM>(address), reinterpret_cast<LPARAM>(h));
        }
    }
    // Behind the posts: the dialog has taken them all off its queue once it
    // answers a sent message that comes after them, give or take the order
    // in which a thread takes sent and posted messages; the script checks
    // the program afterwards in any case.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    bool untouched = zeros == zerosBefore && pattern == patternBefore;
    for (unsigned char c : onStack)
        untouched = untouched && c == 0x5A;
    if (!untouched) {
        std::printf("our own memory changed\n");
        ++bad;
    }
    return bad ? 1 : 0;
}

// Small, seeded and the same on every platform.
struct Random {
    uint32_t state;
    uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state;
    }
    uint32_t Below(uint32_t n) { return (Next() >> 8) % n; }
};

struct Windows {
    DWORD pid = 0;
    HWND ownIcon = nullptr;
    std::vector<HWND> dockedIcons;
    std::vector<HWND> others;   // top-level windows that are no icon of the program
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lParam)
{
    auto* w = reinterpret_cast<Windows*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    const bool plain = std::strncmp(cls, "Traylet:", 8) == 0;
    // The program's icon windows: its plain windows that are never shown
    // and have no owner (a popup menu is shown and owned by the dialog).
    if (pid == w->pid && plain && !IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)) {
        if (hwnd != w->ownIcon)
            w->dockedIcons.push_back(hwnd);
    } else if (std::strcmp(cls, "DockWindowsTool") == 0) {
        w->others.push_back(hwnd);
    }
    return TRUE;
}

Windows Look(HWND dialog, HWND ownIcon)
{
    Windows w;
    GetWindowThreadProcessId(dialog, &w.pid);
    w.ownIcon = ownIcon;
    w.others.push_back(dialog);
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&w));
    return w;
}

HWND Pick(Random& r, const std::vector<HWND>& from)
{
    return from.empty() ? nullptr : from[r.Below(static_cast<uint32_t>(from.size()))];
}

HWND Junk(Random& r)
{
    switch (r.Below(3)) {
    case 0: return nullptr;
    case 1: return reinterpret_cast<HWND>(static_cast<uintptr_t>(r.Next() | 1));
    default: return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10000 + r.Below(0x10000)));
    }
}

// Any handle at all: junk, the own icon, a docked icon, another window.
HWND AnyHandle(Random& r, const Windows& w)
{
    switch (r.Below(4)) {
    case 0: return Junk(r);
    case 1: return w.ownIcon;
    case 2: return Pick(r, w.dockedIcons);
    default: return Pick(r, w.others);
    }
}

// Anything but a docked window's icon.
HWND NotADockedIcon(Random& r, const Windows& w)
{
    switch (r.Below(3)) {
    case 0: return Junk(r);
    case 1: return w.ownIcon;
    default: return Pick(r, w.others);
    }
}

struct Counts {
    int dock = 0, undockAll = 0, undock = 0, perWindow = 0, low = 0, high = 0, farIndex = 0;
};

int Flood(HWND dialog, HWND ownIcon, int count, uint32_t seed)
{
    Random r{seed};
    Counts c;
    Windows w = Look(dialog, ownIcon);
    for (int i = 0; i < count; ++i) {
        if (i % 50 == 0) {
            // Let the program keep up a little, and see its icons as they
            // are now: docking and undocking make and destroy them.
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
            w = Look(dialog, ownIcon);
        }
        const uint32_t dice = r.Below(100);
        WPARAM cmd = 0;
        HWND h = nullptr;
        if (dice < 25) {
            cmd = 150 + r.Below(8);
            h = AnyHandle(r, w);
            ++c.dock;
        } else if (dice < 33) {
            cmd = 143;
            h = AnyHandle(r, w);
            ++c.undockAll;
        } else if (dice < 50) {
            cmd = r.Below(2) ? 145 : 140;
            h = (r.Below(10) < 7 && !w.dockedIcons.empty()) ? Pick(r, w.dockedIcons) : Junk(r);
            ++c.undock;
        } else if (dice < 62) {
            cmd = 146 + r.Below(4);
            h = NotADockedIcon(r, w);
            ++c.perWindow;
        } else if (dice < 72) {
            cmd = r.Below(140);
            h = AnyHandle(r, w);
            ++c.low;
        } else if (dice < 86) {
            // A valid command or index in the low half, junk in the high.
            const WPARAM lowHalf = 140 + r.Below(20);
            cmd = lowHalf | (static_cast<WPARAM>(1 + r.Below(0xFFFF)) << 16);
            h = AnyHandle(r, w);
            ++c.high;
        } else {
            cmd = 158 + r.Below(100000);
            h = AnyHandle(r, w);
            ++c.farIndex;
        }
        if (!PostMessageA(dialog, kTrayCommand, cmd, reinterpret_cast<LPARAM>(h))) {
            std::printf("post %d failed: %lu\n", i, GetLastError());
            return 1;
        }
    }
    std::printf("posted %d: dock %d, undock-all %d, undock %d, per-window %d, below-140 %d, high-bits %d, "
                "far-index %d\n",
                count, c.dock, c.undockAll, c.undock, c.perWindow, c.low, c.high, c.farIndex);
    return 0;
}

struct BackCheck {
    const char* cls = nullptr;
    const char* title = nullptr;   // or any
    int windows = 0;
    std::string notBack;
};

BOOL CALLBACK CheckBack(HWND hwnd, LPARAM lParam)
{
    auto* check = reinterpret_cast<BackCheck*>(lParam);
    char cls[64] = "", title[128] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strcmp(cls, check->cls) != 0)
        return TRUE;
    GetWindowTextA(hwnd, title, sizeof title);
    if (check->title && std::strcmp(title, check->title) != 0)
        return TRUE;
    ++check->windows;
    const bool wantMin = std::strstr(title, "Minimized") != nullptr;
    const bool wantMax = std::strstr(title, "Maximized") != nullptr;
    if (!IsWindowVisible(hwnd) || (IsIconic(hwnd) != 0) != wantMin || (IsZoomed(hwnd) != 0) != wantMax)
        check->notBack += std::string("'") + title + "' ";
    return TRUE;
}

double Ms(const LARGE_INTEGER& from)
{
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

// Polls from start until the windows are back or ms have passed.
int WaitBack(const std::string& what, DWORD ms, const LARGE_INTEGER& start)
{
    const size_t colon = what.find(':');
    const std::string cls = what.substr(0, colon);
    const std::string title = colon == std::string::npos ? std::string() : what.substr(colon + 1);
    for (;;) {
        BackCheck check;
        check.cls = cls.c_str();
        check.title = colon == std::string::npos ? nullptr : title.c_str();
        EnumWindows(CheckBack, reinterpret_cast<LPARAM>(&check));
        if (check.windows > 0 && check.notBack.empty()) {
            std::printf("back %.0f ms\n", Ms(start));
            return 0;
        }
        if (Ms(start) > ms) {
            std::printf("not back after %lu ms: %s\n", ms, check.windows ? check.notBack.c_str() : "no windows");
            return 1;
        }
        Sleep(2);
    }
}

int Back(const char* what, DWORD ms, DWORD pid)
{
    HANDLE process = nullptr;
    if (pid && !(process = OpenProcess(SYNCHRONIZE, FALSE, pid))) {
        std::printf("no process %lu\n", pid);
        return 1;
    }
    std::printf("watching\n");
    std::fflush(stdout);
    if (process) {
        const DWORD waited = WaitForSingleObject(process, ms);
        CloseHandle(process);
        if (waited != WAIT_OBJECT_0) {
            std::printf("process %lu did not end\n", pid);
            return 1;
        }
    }
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    return WaitBack(what, ms, start);
}

int EndSession(HWND dialog, const char* what, DWORD ms)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(dialog, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer)) {
        std::printf("WM_QUERYENDSESSION not answered\n");
        return 1;
    }
    std::printf("query %lu\n", static_cast<unsigned long>(answer));
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(dialog, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &ignored)) {
        std::printf("WM_ENDSESSION not answered\n");
        return 1;
    }
    return WaitBack(what, ms, start);
}

int Corrupt(HWND dialog)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    const auto object = static_cast<uintptr_t>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    HANDLE process = OpenProcess(PROCESS_VM_WRITE | PROCESS_VM_OPERATION | SYNCHRONIZE, FALSE, pid);
    const uintptr_t bogus = 0x100;   // nothing is ever mapped there
    SIZE_T done = 0;
    if (!object || !process ||
        !WriteProcessMemory(process, reinterpret_cast<void*>(object), &bogus, sizeof bogus, &done)) {
        std::printf("cannot rewrite the object 0x%lx of process %lu: error %lu\n", static_cast<unsigned long>(object),
                    pid, GetLastError());
        return 1;
    }
    DWORD_PTR result = 0;
    SetLastError(0);
    LARGE_INTEGER sent;
    QueryPerformanceCounter(&sent);
    const BOOL answered = SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    std::printf("send: %s (error %lu)\n", answered ? "answered" : "no answer", GetLastError());
    if (WaitForSingleObject(process, 2000) == WAIT_TIMEOUT)
        std::printf("process still running\n");
    else
        std::printf("process ended %.0f ms after the send\n", Ms(sent));
    CloseHandle(process);
    return 0;
}

// The record's layout, written out here rather than taken from the program:
// a scenario that plants a record checks the format as well as the rule.

int Record(int count, char** specs)
{
    std::vector<DWORD> data;
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    data.push_back(0x31444C54);   // "TLD1"
    data.push_back(created.dwLowDateTime);
    data.push_back(created.dwHighDateTime);
    for (int i = 0; i < count; ++i) {
        unsigned long hwnd = 0, pid = 0, flags = 0;
        if (std::sscanf(specs[i], "%lx:%lu:%lu", &hwnd, &pid, &flags) != 3) {
            std::fprintf(stderr, "bad entry '%s'\n", specs[i]);
            return 2;
        }
        data.push_back(hwnd);
        data.push_back(pid);
        data.push_back(flags);
    }
    HKEY parent = nullptr, key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Traylet", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &parent, nullptr) != ERROR_SUCCESS ||
        RegCreateKeyExA(parent, "Docked", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
        return 1;
    char name[16];
    std::snprintf(name, sizeof name, "%lu", GetCurrentProcessId());
    const LONG set = RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(data.data()),
                                    static_cast<DWORD>(data.size() * sizeof(DWORD)));
    RegCloseKey(key);
    RegCloseKey(parent);
    if (set != ERROR_SUCCESS)
        return 1;
    std::printf("%s\n", name);
    return 0;
}

// The hand-off as a later start makes it (the program's own format, written
// out here so that the tool checks it rather than shares it).
constexpr ULONG_PTR kHandoffMagic = 0x31434C54;
constexpr DWORD kAnswered = 0x544C0000;

int CopyData(HWND dialog)
{
    const std::wstring dock = L"/dock Dock Normal", inner(L"/dock Dock\0Normal", 18),
                       bad = L"/dock pid:abc", none = L"/dock \"title:No Window Has This Title\"";
    std::wstring megabyte = L"/dock ";
    megabyte.resize(512 * 1024 - 1, L'x');
    auto whole = [](const std::wstring& t) { return static_cast<DWORD>((t.size() + 1) * sizeof(wchar_t)); };
    const struct {
        const char* what;
        ULONG_PTR magic;
        const std::wstring& text;
        DWORD cb;
        DWORD_PTR want;
    } cases[] = {
        {"wrong magic", kHandoffMagic ^ 0x100, dock, whole(dock), 0},
        {"odd size", kHandoffMagic, dock, whole(dock) - 1, kAnswered | 2},
        {"no size", kHandoffMagic, dock, 0, kAnswered | 2},
        {"no terminator", kHandoffMagic, dock, whole(dock) - 2, kAnswered | 2},
        {"NULs inside", kHandoffMagic, inner, whole(inner), kAnswered | 2},
        {"a megabyte", kHandoffMagic, megabyte, whole(megabyte), kAnswered | 2},
        {"a bad command", kHandoffMagic, bad, whole(bad), kAnswered | 2},
        {"no window named", kHandoffMagic, none, whole(none), kAnswered | 1},
    };
    int wrong = 0;
    for (const auto& c : cases) {
        COPYDATASTRUCT cds{c.magic, c.cb, const_cast<wchar_t*>(c.text.c_str())};
        DWORD_PTR answer = 0;
        const BOOL answered = SendMessageTimeoutW(dialog, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                                                  SMTO_ABORTIFHUNG, 10000, &answer);
        std::printf("%s (%lu bytes) -> %s 0x%lx\n", c.what, static_cast<unsigned long>(c.cb),
                    answered ? "answered" : "no answer", static_cast<unsigned long>(answer));
        wrong += !answered || answer != c.want;
    }
    return wrong ? 1 : 0;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: faultdriver buildmenu DLG ICON\n"
                 "       faultdriver flood DLG OWNICON COUNT SEED\n"
                 "       faultdriver back CLASS[:TITLE] MS [PID]\n"
                 "       faultdriver endsession DLG CLASS MS\n"
                 "       faultdriver corrupt DLG\n"
                 "       faultdriver copydata DLG\n"
                 "       faultdriver record HWND:PID:FLAGS...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "buildmenu") == 0)
        return BuildMenu(ParseHwnd(argv[2]), ParseHwnd(argv[3]));
    if (argc == 6 && std::strcmp(argv[1], "flood") == 0)
        return Flood(ParseHwnd(argv[2]), ParseHwnd(argv[3]), std::atoi(argv[4]),
                     static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 0)));
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "back") == 0)
        return Back(argv[2], std::strtoul(argv[3], nullptr, 0), argc == 5 ? std::strtoul(argv[4], nullptr, 0) : 0);
    if (argc == 5 && std::strcmp(argv[1], "endsession") == 0)
        return EndSession(ParseHwnd(argv[2]), argv[3], std::strtoul(argv[4], nullptr, 0));
    if (argc == 3 && std::strcmp(argv[1], "corrupt") == 0)
        return Corrupt(ParseHwnd(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "copydata") == 0)
        return CopyData(ParseHwnd(argv[2]));
    if (argc >= 2 && std::strcmp(argv[1], "record") == 0)
        return Record(argc - 2, argv + 2);
    return Usage();
}
