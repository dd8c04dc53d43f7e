// The record of docked windows in the registry: writing it as the docked list
// changes, and reading it back, by the guard or at start-up, to bring back
// the windows of an owner that ended without doing so.
#include "docking/DockRecord.h"

#include "docking/WindowCalls.h"
#include "framework/Handle.h"
#include "framework/ProcessId.h"
#include "framework/Registry.h"

#include <cstring>
#include <new>

namespace {

// Under the program's own key.
const wchar_t kDockedKey[] = L"Docked";

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

// A value is named after its owner's process id, in decimal.
void FormatOwnerName(DWORD dwOwnerId, WCHAR (&szName)[12])
{
    wsprintfW(szName, L"%lu", static_cast<unsigned long>(dwOwnerId));
}

// A REG_BINARY value of at most kMaxRecordBytes; the buffer is the caller's
// to delete[]. Null for anything else.
BYTE* ReadValue(HKEY hKey, LPCWSTR pszName, DWORD* pcbData)
{
    BYTE* data = nullptr;
    return QueryRegValue(hKey, pszName, REG_BINARY, kMaxRecordBytes, &data, pcbData) ? data : nullptr;
}

// The key of the values, for reading them and deleting them; never made here.
LONG OpenDockedKey(CRegKey& key)
{
    CRegKey program;
    const LONG result = program.Open(HKEY_CURRENT_USER, kProgramKey, KEY_QUERY_VALUE);
    return result == ERROR_SUCCESS ? key.Open(program, kDockedKey, KEY_QUERY_VALUE | KEY_SET_VALUE) : result;
}

// The value of one owner, read when it is a record that owner wrote (its
// creation time): no data for anything else.
class COwnerRecord {
public:
    COwnerRecord(DWORD dwOwnerId, ULONGLONG ullCreated)
    {
        if (OpenDockedKey(m_key) != ERROR_SUCCESS)
            return;
        FormatOwnerName(dwOwnerId, m_szName);
        DWORD cbData = 0;
        m_data = ReadValue(m_key, m_szName, &cbData);
        ULONGLONG ullWritten = 0;
        if (!m_data || !ParseDockRecord(m_data, cbData, &ullWritten, &m_nCount) || ullWritten != ullCreated) {
            delete[] m_data;
            m_data = nullptr;
            m_nCount = 0;
        }
    }
    ~COwnerRecord() { delete[] m_data; }
    COwnerRecord(const COwnerRecord&) = delete;
    COwnerRecord& operator=(const COwnerRecord&) = delete;

    const BYTE* Data() const { return m_data; }
    DWORD Count() const { return m_nCount; }
    void Delete() { RegDeleteValueW(m_key, m_szName); }

private:
    CRegKey m_key;
    WCHAR m_szName[12] = {};
    BYTE* m_data = nullptr;
    DWORD m_nCount = 0;
};

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
    FormatOwnerName(dwOwnerId, m_szName);
}

void CDockRecord::Name()
{
    if (m_szName[0])
        return;
    m_ullCreated = ProcessCreationTime(GetCurrentProcess());
    FormatOwnerName(GetCurrentProcessId(), m_szName);
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

    CRegKey program;
    LONG result =
        program.Create(HKEY_CURRENT_USER, kProgramKey, REG_OPTION_NON_VOLATILE, KEY_CREATE_SUB_KEY);
    if (result == ERROR_SUCCESS) {
        CRegKey key;
        result = key.Create(program, kDockedKey, REG_OPTION_VOLATILE, KEY_SET_VALUE);
        if (result == ERROR_SUCCESS) {
            m_bStored = true;
            result = RegSetValueExW(key, m_szName, 0, REG_BINARY, data, cbData);
        }
    }
    delete[] data;
    return result == ERROR_SUCCESS;
}

void CDockRecord::Delete()
{
    if (!m_bStored)
        return;
    m_bStored = false;
    CRegKey key;
    if (OpenDockedKey(key) == ERROR_SUCCESS)
        RegDeleteValueW(key, m_szName);
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
    const CHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId));
    return process && ProcessCreationTime(process.Get()) == ullCreated &&
           WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
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

HWND RecordedWindow(const DockRecordEntry& entry)
{
    return ToHandle(entry.dwWindow);
}

BOOL IsRecordedWindowHidden(const DockRecordEntry& entry)
{
    const HWND hWnd = RecordedWindow(entry);
    DWORD dwProcessId = 0;
    return IsWindow(hWnd) && GetWindowThreadProcessId(hWnd, &dwProcessId) && dwProcessId == entry.dwProcessId &&
           !IsWindowVisible(hWnd);
}

BOOL RestoreRecordedWindow(const DockRecordEntry& entry)
{
    if (!IsRecordedWindowHidden(entry))
        return FALSE;
    BringBack(RecordedWindow(entry), (entry.dwFlags & kDockedIconic) != 0, (entry.dwFlags & kDockedZoomed) != 0);
    return TRUE;
}

int RestoreRecordOf(DWORD dwOwnerId, ULONGLONG ullCreated)
{
    COwnerRecord record(dwOwnerId, ullCreated);
    if (!record.Data())
        return 0;
    const int restored = RestoreAll(record.Data(), record.Count());
    record.Delete();
    return restored;
}

DWORD ForEachRecordedWindow(DWORD dwOwnerId, ULONGLONG ullCreated,
                            void (*pfn)(const DockRecordEntry& entry, void* pContext), void* pContext)
{
    const COwnerRecord record(dwOwnerId, ullCreated);
    for (DWORD i = 0; i < record.Count(); ++i)
        pfn(DockRecordEntryAt(record.Data(), i), pContext);
    return record.Count();
}

int RepairOrphanedRecords()
{
    CRegKey key;
    if (OpenDockedKey(key) != ERROR_SUCCESS)
        return 0;
    DWORD nValues = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nValues, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        nValues = 0;
    int restored = 0;
    // From the last value down: deleting one leaves the indexes below it as
    // they were.
    for (DWORD i = nValues; i-- > 0;) {
        WCHAR szName[12];
        DWORD cchName = ARRAYSIZE(szName);
        DWORD dwOwnerId = 0;
        if (RegEnumValueW(key, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        const WCHAR* end = ParseProcessId(szName, &dwOwnerId);
        if (!end || *end != L'\0')
            continue;
        DWORD cbData = 0;
        BYTE* data = ReadValue(key, szName, &cbData);
        ULONGLONG ullCreated = 0;
        DWORD nCount = 0;
        if (data && ParseDockRecord(data, cbData, &ullCreated, &nCount) && !IsProcessRunning(dwOwnerId, ullCreated)) {
            restored += RestoreAll(data, nCount);
            RegDeleteValueW(key, szName);
        }
        delete[] data;
    }
    return restored;
}
