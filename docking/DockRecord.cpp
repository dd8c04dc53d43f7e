// The record of docked windows in the registry: writing it as the docked list
// changes, and reading it back, by the guard or at start-up, to bring back
// the windows of an owner that ended without doing so.
#include "docking/DockRecord.h"

#include "docking/WindowCalls.h"

#include <cstring>
#include <new>

const char kTrayletKey[] = "Software\\Traylet";
const char kDockedKey[] = "Software\\Traylet\\Docked";

namespace {

// Larger values are no record of ours (over 5,000 windows): they are left
// alone rather than read.
constexpr DWORD kMaxRecordBytes = 64 * 1024;

ULONGLONG FromFileTime(const FILETIME& ft)
{
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

DWORD FromHandle(HWND hWnd)
{
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(hWnd));
}

// Window handles are sign-extended where they are wider than 32 bits.
HWND ToHandle(DWORD dwWindow)
{
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(dwWindow)));
}

DockRecordEntry EntryOf(const DockEntry& docked)
{
    DockRecordEntry entry{FromHandle(docked.hWnd), docked.dwProcessId, 0};
    if (docked.bWasIconic)
        entry.dwFlags |= kDockedIconic;
    if (docked.bWasZoomed)
        entry.dwFlags |= kDockedZoomed;
    return entry;
}

// A value name as written: the decimal digits of a non-zero 32-bit number,
// nothing else.
BOOL ParseOwnerId(const char* psz, DWORD* pId)
{
    ULONGLONG value = 0;
    int digits = 0;
    for (; *psz; ++psz, ++digits) {
        if (*psz < '0' || *psz > '9' || digits == 10)
            return FALSE;
        value = value * 10 + static_cast<ULONGLONG>(*psz - '0');
    }
    if (digits == 0 || value == 0 || value > 0xFFFFFFFFull)
        return FALSE;
    *pId = static_cast<DWORD>(value);
    return TRUE;
}

// A REG_BINARY value of at most kMaxRecordBytes; the buffer is the caller's
// to delete[]. Null for anything else.
BYTE* ReadValue(HKEY hKey, const char* pszName, DWORD* pcbData)
{
    DWORD type = 0;
    DWORD cb = 0;
    if (RegQueryValueExA(hKey, pszName, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS || type != REG_BINARY ||
        cb > kMaxRecordBytes)
        return nullptr;
    // One spare byte so that an empty value still gets a buffer.
    BYTE* data = new (std::nothrow) BYTE[cb + 1];
    if (!data)
        return nullptr;
    // A value that grew in the meantime fails the read instead of overrunning.
    if (RegQueryValueExA(hKey, pszName, nullptr, &type, data, &cb) != ERROR_SUCCESS || type != REG_BINARY) {
        delete[] data;
        return nullptr;
    }
    *pcbData = cb;
    return data;
}

int RestoreAll(const BYTE* pData, DWORD nCount)
{
    int restored = 0;
    for (DWORD i = 0; i < nCount; ++i)
        if (RestoreRecordedWindow(DockRecordEntryAt(pData, i)))
            ++restored;
    return restored;
}

}  // namespace

CDockRecord::CDockRecord(DWORD dwOwnerId, ULONGLONG ullCreated) : m_ullCreated(ullCreated)
{
    wsprintfA(m_szName, "%lu", static_cast<unsigned long>(dwOwnerId));
}

void CDockRecord::Name()
{
    if (m_szName[0])
        return;
    m_ullCreated = ProcessCreationTime(GetCurrentProcess());
    wsprintfA(m_szName, "%lu", static_cast<unsigned long>(GetCurrentProcessId()));
}

BOOL CDockRecord::Write(const CTypedPtrArray<DockEntry>& docked, const DockEntry* pPending)
{
    const DWORD nCount = static_cast<DWORD>(docked.GetSize()) + (pPending ? 1 : 0);
    if (nCount == 0) {
        Delete();
        return TRUE;
    }
    Name();
    const DWORD cbData = sizeof(DockRecordHeader) + nCount * sizeof(DockRecordEntry);
    BYTE* data = new (std::nothrow) BYTE[cbData];
    if (!data)
        return FALSE;
    const DockRecordHeader header{kDockRecordTag, static_cast<DWORD>(m_ullCreated),
                                  static_cast<DWORD>(m_ullCreated >> 32)};
    std::memcpy(data, &header, sizeof header);
    BYTE* next = data + sizeof header;
    for (int i = 0; i < docked.GetSize(); ++i, next += sizeof(DockRecordEntry)) {
        const DockRecordEntry entry = EntryOf(*docked[i]);
        std::memcpy(next, &entry, sizeof entry);
    }
    if (pPending) {
        const DockRecordEntry entry = EntryOf(*pPending);
        std::memcpy(next, &entry, sizeof entry);
    }

    LONG result = ERROR_OUTOFMEMORY;
    HKEY hParent = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kTrayletKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_CREATE_SUB_KEY,
                        nullptr, &hParent, nullptr) == ERROR_SUCCESS) {
        HKEY hKey = nullptr;
        result = RegCreateKeyExA(hParent, "Docked", 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &hKey,
                                 nullptr);
        if (result == ERROR_SUCCESS) {
            m_bStored = true;
            result = RegSetValueExA(hKey, m_szName, 0, REG_BINARY, data, cbData);
            RegCloseKey(hKey);
        }
        RegCloseKey(hParent);
    }
    delete[] data;
    return result == ERROR_SUCCESS;
}

void CDockRecord::Delete()
{
    if (!m_bStored)
        return;
    m_bStored = false;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDockedKey, 0, KEY_SET_VALUE, &hKey) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(hKey, m_szName);
    RegCloseKey(hKey);
}

ULONGLONG ProcessCreationTime(HANDLE hProcess)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(hProcess, &created, &exited, &kernel, &user))
        return 0;
    return FromFileTime(created);
}

BOOL IsProcessRunning(DWORD dwProcessId, ULONGLONG ullCreated)
{
    // A process that cannot be opened is none of the user's: not the owner.
    HANDLE hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId);
    if (!hProcess)
        return FALSE;
    const BOOL running = ProcessCreationTime(hProcess) == ullCreated && WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT;
    CloseHandle(hProcess);
    return running;
}

BOOL ParseDockRecord(const BYTE* pData, DWORD cbData, ULONGLONG* pCreated, DWORD* pCount)
{
    DockRecordHeader header{};
    if (!pData || cbData < sizeof header || (cbData - sizeof header) % sizeof(DockRecordEntry) != 0)
        return FALSE;
    std::memcpy(&header, pData, sizeof header);
    if (header.dwTag != kDockRecordTag)
        return FALSE;
    *pCreated = (static_cast<ULONGLONG>(header.dwCreatedHigh) << 32) | header.dwCreatedLow;
    *pCount = (cbData - sizeof header) / sizeof(DockRecordEntry);
    return TRUE;
}

DockRecordEntry DockRecordEntryAt(const BYTE* pData, DWORD i)
{
    DockRecordEntry entry{};
    std::memcpy(&entry, pData + sizeof(DockRecordHeader) + i * sizeof entry, sizeof entry);
    return entry;
}

BOOL RestoreRecordedWindow(const DockRecordEntry& entry)
{
    const HWND hWnd = ToHandle(entry.dwWindow);
    DWORD dwProcessId = 0;
    if (!IsWindow(hWnd) || !GetWindowThreadProcessId(hWnd, &dwProcessId) || dwProcessId != entry.dwProcessId ||
        IsWindowVisible(hWnd))
        return FALSE;
    BringBack(hWnd, (entry.dwFlags & kDockedIconic) != 0, (entry.dwFlags & kDockedZoomed) != 0);
    return TRUE;
}

int RestoreRecordOf(DWORD dwOwnerId, ULONGLONG ullCreated)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDockedKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &hKey) != ERROR_SUCCESS)
        return 0;
    char szName[12];
    wsprintfA(szName, "%lu", static_cast<unsigned long>(dwOwnerId));
    int restored = 0;
    DWORD cbData = 0;
    if (BYTE* data = ReadValue(hKey, szName, &cbData)) {
        ULONGLONG ullWritten = 0;
        DWORD nCount = 0;
        if (ParseDockRecord(data, cbData, &ullWritten, &nCount) && ullWritten == ullCreated) {
            restored = RestoreAll(data, nCount);
            RegDeleteValueA(hKey, szName);
        }
        delete[] data;
    }
    RegCloseKey(hKey);
    return restored;
}

int RepairOrphanedRecords()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDockedKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &hKey) != ERROR_SUCCESS)
        return 0;
    DWORD nValues = 0;
    if (RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nValues, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        nValues = 0;
    int restored = 0;
    // From the last value down: deleting one leaves the indexes below it as
    // they were.
    for (DWORD i = nValues; i-- > 0;) {
        char szName[12];
        DWORD cchName = sizeof szName;
        DWORD dwOwnerId = 0;
        if (RegEnumValueA(hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            !ParseOwnerId(szName, &dwOwnerId))
            continue;
        DWORD cbData = 0;
        BYTE* data = ReadValue(hKey, szName, &cbData);
        ULONGLONG ullCreated = 0;
        DWORD nCount = 0;
        if (data && ParseDockRecord(data, cbData, &ullCreated, &nCount) && !IsProcessRunning(dwOwnerId, ullCreated)) {
            restored += RestoreAll(data, nCount);
            RegDeleteValueA(hKey, szName);
        }
        delete[] data;
    }
    RegCloseKey(hKey);
    return restored;
}
