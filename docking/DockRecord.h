#pragma once
#include "docking/DockEntry.h"
#include "framework/PtrArray.h"

// A record of the docked windows that outlives the process that docked them:
// if that process ends without bringing them back (killed, crashed), its
// guard or the next Traylet to start finds them here and does. It lives in a
// volatile key of the user's registry, so it never reaches the disk and goes
// when the user logs off, as the windows it names do.
//
// One REG_BINARY value per running Traylet, named after its process id in
// decimal: a header, then one entry per docked window, all little-endian
// DWORDs. A value only ever names windows that are docked now.

// The values lie in the key "Docked", volatile, under the program's own key
// (kProgramKey), which is not: had the program's key been made volatile, it
// would refuse every lasting key the program may want under it.

constexpr DWORD kDockRecordTag = 0x31444C54;   // "TLD1"

struct DockRecordHeader {
    DWORD dwTag;
    // When the owner was created (GetProcessTimes), so that another process
    // given the same id later is never taken for it.
    DWORD dwCreatedLow;
    DWORD dwCreatedHigh;
};

struct DockRecordEntry {
    DWORD dwWindow;      // the handle; 32 bits are significant on every Windows
    DWORD dwProcessId;   // the window's process when it was docked
    DWORD dwFlags;       // the state it was docked in: kDocked*
};

enum : DWORD {
    kDockedIconic = 1,
    kDockedZoomed = 2,
};

// The value of the process that holds it.
class CDockRecord {
public:
    // The record of this process.
    CDockRecord() = default;
    // The record of another owner (the tests make up owners).
    CDockRecord(DWORD dwOwnerId, ULONGLONG ullCreated);
    CDockRecord(const CDockRecord&) = delete;
    CDockRecord& operator=(const CDockRecord&) = delete;

    // Makes the value name exactly the windows of the docked list, and
    // pPending, a window about to be docked; deletes it when that is none.
    // The keys are made on the first write, so a program that never docks
    // leaves the registry as it was. FALSE when the value could not be
    // stored.
    BOOL Write(const CTypedPtrArray<DockEntry>& docked, const DockEntry* pPending = nullptr);

private:
    void Name();
    void Delete();

    WCHAR m_szName[12] = {};
    ULONGLONG m_ullCreated = 0;
    bool m_bStored = false;   // a value of ours may exist
};

// When a process was created, as a 64-bit FILETIME; 0 when it cannot be read.
ULONGLONG ProcessCreationTime(HANDLE hProcess);

// TRUE while the process with that id and creation time runs.
BOOL IsProcessRunning(DWORD dwProcessId, ULONGLONG ullCreated);

// Reads a value's data as what it is: untrusted, of any size. TRUE for a
// header with our tag followed by whole entries, giving the owner's creation
// time and the number of entries; anything else is not a record.
BOOL ParseDockRecord(const BYTE* pData, DWORD cbData, ULONGLONG* pCreated, DWORD* pCount);
// Entry i of data that ParseDockRecord accepted.
DockRecordEntry DockRecordEntryAt(const BYTE* pData, DWORD i);

// The window an entry names, as a handle of this build.
HWND RecordedWindow(const DockRecordEntry& entry);

// Whether a recorded window is still docked as recorded: the same window, in
// the recorded process, still hidden.
BOOL IsRecordedWindowHidden(const DockRecordEntry& entry);

// The restore rule. A recorded window is brought back as "UnDock" would
// (shown, then maximized or restored, or left minimized, as it was docked)
// only while it is still the window that was docked, still in the recorded
// process and still hidden; a handle or process id that names something else
// now is left alone. TRUE when it was brought back.
BOOL RestoreRecordedWindow(const DockRecordEntry& entry);

// The guard's task once its owner has ended: the windows of the owner's
// value are restored and the value deleted, provided the value is the one
// that owner wrote (same creation time). The number brought back.
int RestoreRecordOf(DWORD dwOwnerId, ULONGLONG ullCreated);

// Calls pfn for each entry of the value of a running owner, given by its id
// and creation time, in the order it docked them; the number of entries (0
// when it has no value or the value is not that owner's record).
DWORD ForEachRecordedWindow(DWORD dwOwnerId, ULONGLONG ullCreated,
                            void (*pfn)(const DockRecordEntry& entry, void* pContext), void* pContext);

// At start-up: the windows of every value whose owner is no longer running
// are restored and the value deleted. Values of running owners (another
// session of the same user) and values that are no record are left alone.
// The number of windows brought back.
int RepairOrphanedRecords();
