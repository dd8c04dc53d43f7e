// The one-second sweep with rules, inside one process that runs the
// program's own code as the controller dialog does, over the windows of
// another process (bench/manywindows.cpp) that the main menu lists.
// With rules, a sweep walks the top-level windows once (the program's own
// walk, g_pfnEnumWindows), then looks at each. The walk is timed on its own
// ("walk"); the sweeps are timed over a replay of the same windows, so that
// their figures are what the rules do beyond the walk, apart from the walk
// and its noise:
//   - no rules ("none");
//   - 20 rules, none of them for the listed windows' program ("other");
//   - 20 rules, one of them for it (both triggers, a title pattern that
//     matches none of them), while the windows still count as opening
//     ("opening") and once their ten seconds are over ("after"), and the
//     first sweep that meets them all ("first").
// Each figure but the first is the median of RUNS, in milliseconds.
//   usage: rulephases RUNS
// Prints one line:
//   "windows N walk W none X other O opening P after A first F"
#include "bench/PhaseKit.h"

#include <cstdio>
#include <cstdlib>

namespace {

const wchar_t kKey[] = L"Software\\TrayletBench\\Rules";

std::vector<HWND> g_windows;

BOOL CALLBACK Gather(HWND hWnd, LPARAM)
{
    g_windows.push_back(hWnd);
    return TRUE;
}

BOOL WINAPI Replay(WNDENUMPROC proc, LPARAM lParam)
{
    for (HWND hWnd : g_windows)
        if (!proc(hWnd, lParam))
            break;
    return TRUE;
}

BOOL CALLBACK Nothing(HWND, LPARAM)
{
    return TRUE;
}

double Time(CDocker& docker)
{
    const double t0 = NowMs();
    docker.Sweep();
    return NowMs() - t0;
}

double Median(CDocker& docker, int runs)
{
    std::vector<double> v;
    for (int i = 0; i < runs; ++i)
        v.push_back(Time(docker));
    return MedianOf(v);
}

double MedianWalk(int runs)
{
    std::vector<double> v;
    for (int i = 0; i < runs; ++i) {
        const double t0 = NowMs();
        g_pfnEnumWindows(Nothing, 0);
        v.push_back(NowMs() - t0);
    }
    return MedianOf(v);
}

// Twenty rules under the bench's key; with bMine, the last names the
// listed windows' program.
void WriteRules(int count, bool bMine)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    for (int i = 0; i < count; ++i) {
        wchar_t sub[300], program[64];
        const bool mine = bMine && i == count - 1;
        wsprintfW(program, mine ? L"manywindows.exe" : L"program%02d.exe", i);
        wsprintfW(sub, L"%s\\rule%02d", kKey, i);
        HKEY h = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, sub, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
        const DWORD when = RULE_BOTH;
        RegSetValueExW(h, L"Program", 0, REG_SZ, reinterpret_cast<const BYTE*>(program),
                       static_cast<DWORD>((lstrlenW(program) + 1) * sizeof(wchar_t)));
        RegSetValueExW(h, L"When", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&when), sizeof when);
        if (mine)
            RegSetValueExW(h, L"Title", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Nothing *"), 20);
        RegCloseKey(h);
    }
}

// The docker meets every window anew under these rules; the first sweep's
// time.
double Begin(CDocker& docker, int count, bool bMine)
{
    WriteRules(count, bMine);
    docker.Rules().UseKey(kKey);
    docker.Rules().Start();
    return Time(docker);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const int runs = std::atoi(argv[1]);
    StandInOwner owner(L"rulephases");
    CDocker& docker = owner.docker;

    EnumWindows(Gather, 0);
    const double walk = MedianWalk(runs);
    g_pfnEnumWindows = Replay;
    Begin(docker, 0, false);
    const double none = Median(docker, runs);
    Begin(docker, 20, false);
    const double other = Median(docker, runs);
    const double first = Begin(docker, 20, true);
    const DWORD opened = GetTickCount();
    const double opening = Median(docker, runs);
    // The windows' ten seconds of opening run out.
    Sleep(kOpeningMs + 500 - std::min<DWORD>(GetTickCount() - opened, kOpeningMs));
    const double after = Median(docker, runs);
    std::printf("windows %u walk %.3f none %.3f other %.3f opening %.3f after %.3f first %.3f\n",
                static_cast<unsigned>(g_windows.size()), walk, none, other, opening, after, first);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TrayletBench");
    docker.Rules().Stop();
    return 0;
}
