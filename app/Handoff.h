#pragma once
#include "app/CommandLine.h"
#include "docking/Docker.h"

// A command handed to the running copy: WM_COPYDATA sent to its dialog, the
// same for both builds (either talks to the other).
//   dwData  kHandoffMagic, the whole value (no other bits set)
//   lpData  the command's arguments as typed after the program's name, in
//           UTF-16, ended by one NUL and holding no NUL before it
//   cbData  their size in bytes, the NUL included: even, at least 4, at most
//           kMaxHandoffChars code units
// The running copy checks all of this before it reads a character, parses
// the text again as any command line, and answers kHandoffAnswer with the
// command's result in the low byte, or kHandoffBusy: a change of its docked
// windows was under way (the message arrived while it waited on a window),
// and the sender asks again. Anything that is not well formed is answered
// kHandoffAnswer | kCommandBad and changes nothing; a WM_COPYDATA with
// another dwData is none of ours and is answered 0.
constexpr ULONG_PTR kHandoffMagic = 0x31434C54;   // "TLC1"
constexpr DWORD kMaxHandoffChars = 8192;
constexpr DWORD kHandoffAnswer = 0x544C0000;       // "TL" in the high word
constexpr DWORD kHandoffBusy = kHandoffAnswer | 0x100;

// The exit code when the running copy did not answer as a Traylet does
// (hung, ending, or a dialog of another program with the same caption).
constexpr int kCommandNoAnswer = 3;

// Carries out a command that acts on docked or listed windows (/dock,
// /undock, /undock-all) on the running copy's docker; any other is a bad
// command here: the newcomer does those itself.
CommandResult RunCommand(CDocker& docker, const Command& command);

// The arguments a WM_COPYDATA carries when it is a hand-off of ours, well
// formed; null otherwise. Nothing past cbData is read.
LPCWSTR HandedArguments(const COPYDATASTRUCT* pcds);

// The running copy's answer to a WM_COPYDATA (the result of the command
// carried out on its docker).
LRESULT AnswerHandoff(CDocker& docker, const COPYDATASTRUCT* pcds);

// The newcomer's side: hands pszArgs to the dialog hWndRunning and waits,
// within bounds, for the answer. The command's result, or kCommandNoAnswer.
int HandOff(HWND hWndRunning, LPCWSTR pszArgs);
