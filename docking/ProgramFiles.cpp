#include "docking/ProgramFiles.h"

#include <new>

namespace {

// Rounds a process may go unasked about before it is let go (the sweep makes
// one a second).
constexpr DWORD kKeepRounds = 30;

}  // namespace

CProgramFiles::~CProgramFiles()
{
    while (!m_entries.IsEmpty())
        Drop(m_entries.GetSize() - 1);
}

CProgramFiles& ProgramFiles()
{
    static CProgramFiles files;
    return files;
}

void CProgramFiles::Drop(int i)
{
    delete m_entries[i];
    m_entries.RemoveAt(i);
}

void CProgramFiles::NewRound()
{
    ++m_dwRound;
    // A process that could not be read is tried again in the new round.
    for (int i = m_entries.GetSize() - 1; i >= 0; --i)
        if (!m_entries[i]->process || m_dwRound - m_entries[i]->dwRound > kKeepRounds)
            Drop(i);
}

LPCWSTR CProgramFiles::PathOf(DWORD pid)
{
    if (!pid)
        return nullptr;
    for (int i = 0; i < m_entries.GetSize(); ++i) {
        Entry* entry = m_entries[i];
        if (entry->pid != pid)
            continue;
        if (entry->dwRound != m_dwRound) {
            entry->dwRound = m_dwRound;
            entry->bChecked = entry->process && WaitForSingleObject(entry->process.Get(), 0) == WAIT_TIMEOUT;
        }
        if (entry->bChecked)
            return entry->szPath[0] ? entry->szPath : nullptr;
        // Ended, or a failure of an earlier round: the id may name another
        // process now, or be readable.
        Drop(i);
        break;
    }
    auto* entry = new (std::nothrow) Entry{pid, m_dwRound, true, {}, {}};
    if (!entry || m_entries.Add(entry) < 0) {
        delete entry;
        return nullptr;
    }
    // A process that cannot be read is remembered as such for this round
    // only: its windows are not asked about one by one.
    CHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    DWORD cch = MAX_PATH;
    // An ended process can still be opened while anyone holds a handle to it.
    if (!process || WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT ||
        !QueryFullProcessImageNameW(process.Get(), 0, entry->szPath, &cch) || cch == 0 || cch >= MAX_PATH) {
        entry->szPath[0] = L'\0';
        return nullptr;
    }
    entry->process = std::move(process);
    return entry->szPath;
}
