#pragma once
#include "framework/Handle.h"
#include "framework/PtrArray.h"

// The program file each process runs, looked up once per process rather than
// once per window: rules and selectors name programs, and the sweep asks
// about every listed window each second. The handle of every process met is
// kept: while it is held, the system gives its id to no other process, so
// the id names that process until it is seen to have ended, which is checked
// once per round (a sweep, a command) at most.
class CProgramFiles {
public:
    CProgramFiles() = default;
    ~CProgramFiles();
    CProgramFiles(const CProgramFiles&) = delete;
    CProgramFiles& operator=(const CProgramFiles&) = delete;

    // Starts a round: each process asked about in it is checked, once, to be
    // still running. Processes not asked about for a while are let go.
    void NewRound();
    // The full path of the program file pid runs; null when it cannot be had
    // (the process has ended, or is not ours to read).
    LPCWSTR PathOf(DWORD pid);
    // Processes held now.
    int Count() const { return m_entries.GetSize(); }

private:
    struct Entry {
        DWORD pid;
        DWORD dwRound;   // the round it was last asked about in
        bool bChecked;   // in that round, it was seen running (or, unread, asked about)
        CHandle process;          // none: it could not be read
        WCHAR szPath[MAX_PATH];   // empty: it could not be read
    };
    void Drop(int i);

    CTypedPtrArray<Entry> m_entries;
    DWORD m_dwRound = 1;
};

// The program's one table, shared by the rules and the command line.
CProgramFiles& ProgramFiles();
