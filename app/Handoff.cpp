#include "app/Handoff.h"

namespace {

// How long a newcomer waits for the running copy, busy answers included. A
// command that docks many windows waits a bounded time on each of them.
constexpr DWORD kHandoffWaitMs = 30000;
constexpr DWORD kBusyRetryMs = 20;

LRESULT Answer(int result)
{
    return static_cast<LRESULT>(kHandoffAnswer | static_cast<DWORD>(result));
}

}  // namespace

CommandResult RunCommand(CDocker& docker, const Command& command)
{
    switch (command.verb) {
    case Command::kDock:
        return docker.DockMatching(command.selector);
    case Command::kUndock:
        return docker.UndockMatching(command.selector);
    case Command::kUndockAll:
        return docker.UndockEvery();
    default:
        return kCommandBad;
    }
}

LPCWSTR HandedArguments(const COPYDATASTRUCT* pcds)
{
    if (!pcds || pcds->dwData != kHandoffMagic || !pcds->lpData)
        return nullptr;
    const DWORD cb = pcds->cbData;
    if (cb % sizeof(WCHAR) != 0 || cb < 2 * sizeof(WCHAR) || cb > kMaxHandoffChars * sizeof(WCHAR))
        return nullptr;
    const auto* text = static_cast<const WCHAR*>(pcds->lpData);
    const DWORD cch = cb / sizeof(WCHAR);
    // One NUL, at the end: a NUL inside would hide the rest of the text from
    // the parser, which would then take a command the sender never wrote.
    for (DWORD i = 0; i + 1 < cch; ++i)
        if (text[i] == L'\0')
            return nullptr;
    return text[cch - 1] == L'\0' ? text : nullptr;
}

LRESULT AnswerHandoff(CDocker& docker, const COPYDATASTRUCT* pcds)
{
    if (!pcds || pcds->dwData != kHandoffMagic)
        return 0;
    const LPCWSTR args = HandedArguments(pcds);
    if (!args)
        return Answer(kCommandBad);
    if (docker.Busy())
        return static_cast<LRESULT>(kHandoffBusy);
    // Parsed again: the sender is any program that can find the dialog.
    Command command;
    if (!ParseCommand(args, &command))
        return Answer(kCommandBad);
    return Answer(RunCommand(docker, command));
}

int HandOff(HWND hWndRunning, LPCWSTR pszArgs)
{
    const DWORD cch = static_cast<DWORD>(lstrlenW(pszArgs)) + 1;
    if (cch > kMaxHandoffChars)
        return kCommandBad;
    COPYDATASTRUCT cds{kHandoffMagic, cch * static_cast<DWORD>(sizeof(WCHAR)), const_cast<LPWSTR>(pszArgs)};
    const DWORD start = GetTickCount();
    for (;;) {
        // A hung copy is given up on as soon as the system counts it hung.
        DWORD_PTR answer = 0;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= kHandoffWaitMs ||
            !SendMessageTimeoutW(hWndRunning, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG,
                                 kHandoffWaitMs - elapsed, &answer))
            return kCommandNoAnswer;
        // 32 bits of the answer cross from either build to the other.
        const DWORD value = static_cast<DWORD>(answer);
        if (value == kHandoffBusy) {
            Sleep(kBusyRetryMs);
            continue;
        }
        if ((value & 0xFFFFFF00u) == kHandoffAnswer && (value & 0xFFu) <= kCommandBad)
            return static_cast<int>(value & 0xFFu);
        return kCommandNoAnswer;
    }
}
