// The record of docked windows: what the owner writes as its docked list
// changes, how a value is read back (as untrusted data), and which recorded
// windows the restore rule and the start-up repair bring back.
#include "docking/DockRecord.h"
#include "tests/unit/docking/DockTestSupport.h"

#include <gtest/gtest.h>

using docktest::Dock;
using docktest::SysCommands;
using docktest::WithDialog;
using Seq = std::vector<std::string>;

// Found by the lookup that the standard library's comparisons make.
bool operator==(const DockRecordEntry& a, const DockRecordEntry& b)
{
    return a.dwWindow == b.dwWindow && a.dwProcessId == b.dwProcessId && a.dwFlags == b.dwFlags;
}

namespace {

// Where other copies of the program look for the record.
const char kDockedKey[] = "Software\\Traylet\\Docked";
constexpr DWORD kNormal = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
const DWORD kSelf = GetCurrentProcessId();
const ULONGLONG kCreated = ProcessCreationTime(GetCurrentProcess());

DWORD H(HWND hWnd)
{
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(hWnd));
}

std::vector<BYTE> Raw(const std::string& name)
{
    DWORD cb = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, kDockedKey, name.c_str(), RRF_RT_REG_BINARY, nullptr, nullptr, &cb))
        return {};
    std::vector<BYTE> data(cb + 1);
    RegGetValueA(HKEY_CURRENT_USER, kDockedKey, name.c_str(), RRF_RT_REG_BINARY, nullptr, data.data(), &cb);
    data.resize(cb);
    return data;
}

bool Exists(const std::string& name)
{
    return RegGetValueA(HKEY_CURRENT_USER, kDockedKey, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

// The entries of a value, checked to be a record written at `created`.
std::vector<DockRecordEntry> Entries(const std::string& name, ULONGLONG created = kCreated)
{
    const std::vector<BYTE> data = Raw(name);
    ULONGLONG written = 0;
    DWORD count = 0;
    std::vector<DockRecordEntry> out;
    if (ParseDockRecord(data.data(), static_cast<DWORD>(data.size()), &written, &count) && written == created)
        for (DWORD i = 0; i < count; ++i)
            out.push_back(DockRecordEntryAt(data.data(), i));
    return out;
}

void Plant(const std::string& name, DWORD type, const std::vector<BYTE>& data)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kDockedKey, 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_SET_VALUE, nullptr, &key, nullptr));
    RegSetValueExA(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

std::vector<BYTE> Record(ULONGLONG created, std::initializer_list<DockRecordEntry> entries, DWORD tag = kDockRecordTag)
{
    const DockRecordHeader header{tag, static_cast<DWORD>(created), static_cast<DWORD>(created >> 32)};
    std::vector<BYTE> data(reinterpret_cast<const BYTE*>(&header), reinterpret_cast<const BYTE*>(&header + 1));
    for (const DockRecordEntry& e : entries)
        data.insert(data.end(), reinterpret_cast<const BYTE*>(&e), reinterpret_cast<const BYTE*>(&e + 1));
    return data;
}

// Neither shown nor driven (activation elsewhere reaches every window).
bool Untouched(const test::MessageLog& log)
{
    return log.only({WM_SHOWWINDOW, WM_SYSCOMMAND, WM_WINDOWPOSCHANGING}).empty();
}

TEST(DockRecord, ADialogThatNeverDocksWritesNothing)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kDockedKey);
    WithDialog([](CTrayDockDlg& dlg) {
        dlg.Docker().Sweep();
        dlg.Docker().UndockAll();
    });
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kDockedKey, 0, KEY_READ, &key));
}

TEST(DockRecord, NamesExactlyTheDockedWindowsThroughEveryChange)
{
    WithDialog([](CTrayDockDlg& dlg) {
        test::MessageLog normal("Recorded normal", kNormal);
        test::MessageLog minimized("Recorded minimized", kNormal | WS_MINIMIZE);
        test::MessageLog maximized("Recorded maximized", kNormal | WS_MAXIMIZE);
        // Docking hides the window only once the record names it.
        bool namedWhenHidden = false;
        normal.answer = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, bool&) -> LRESULT {
            if (message == WM_SHOWWINDOW && !wParam)
                for (const DockRecordEntry& e : Entries(std::to_string(kSelf)))
                    namedWhenHidden = namedWhenHidden || e.dwWindow == H(hwnd);
            return 0;
        };
        ASSERT_NE(nullptr, Dock(dlg, normal.hwnd()));
        DockEntry* min = Dock(dlg, minimized.hwnd());
        ASSERT_NE(nullptr, min);
        ASSERT_NE(nullptr, Dock(dlg, maximized.hwnd()));
        EXPECT_TRUE(namedWhenHidden);
        const std::string name = std::to_string(kSelf);
        const DockRecordEntry n{H(normal.hwnd()), kSelf, 0}, x{H(maximized.hwnd()), kSelf, kDockedZoomed};
        EXPECT_EQ((std::vector<DockRecordEntry>{n, {H(minimized.hwnd()), kSelf, kDockedIconic}, x}), Entries(name));

        // The key is volatile (it refuses a lasting subkey); its parent is not.
        HKEY probe = nullptr;
        EXPECT_EQ(ERROR_CHILD_MUST_BE_VOLATILE,
                  RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Traylet\\Docked\\Probe", 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &probe, nullptr));

        docktest::Command(dlg, ID_UNDOCK, reinterpret_cast<LPARAM>(min->pTrayIcon->m_hWnd));
        EXPECT_EQ((std::vector<DockRecordEntry>{n, x}), Entries(name));
        ShowWindow(normal.hwnd(), SW_SHOW);   // its program shows it: the sweep drops it
        dlg.Docker().Sweep();
        EXPECT_EQ(std::vector<DockRecordEntry>{x}, Entries(name));
        dlg.Docker().UndockAll();
        EXPECT_FALSE(Exists(name));
    });
}

TEST(DockRecord, DataIsARecordOnlyWithTheTagAndWholeEntries)
{
    std::vector<BYTE> data = Record(0x0123456789ABCDEFull, {});
    data.resize(64, 0xA5);
    for (DWORD cb = 0; cb <= data.size(); ++cb) {
        ULONGLONG created = 0;
        DWORD count = 99;
        const bool whole = cb >= 12 && (cb - 12) % 12 == 0;
        EXPECT_EQ(whole, !!ParseDockRecord(data.data(), cb, &created, &count)) << cb << " bytes";
        if (whole) {
            EXPECT_TRUE(created == 0x0123456789ABCDEFull && count == (cb - 12) / 12) << cb << " bytes";
        }
    }
    const std::vector<BYTE> foreign = Record(1, {{1, 2, 0}}, 0x32444C54);
    ULONGLONG created = 0;
    DWORD count = 0;
    EXPECT_FALSE(ParseDockRecord(foreign.data(), static_cast<DWORD>(foreign.size()), &created, &count));
    EXPECT_FALSE(ParseDockRecord(nullptr, 24, &created, &count));
}

// The 32-bit and the 64-bit program write and read one format, so that
// either repairs what the other left: little-endian DWORDs, and a window
// handle in 32 bits (window handles are 32-bit values on 64-bit Windows too,
// sign-extended when widened). The bytes are spelled out here, not taken from
// the program's structures, and every build's tests check the same ones.
TEST(DockRecord, EveryBuildWritesAndReadsTheSameBytes)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kDockedKey);
    const std::string name = "4294967271";
    CDockRecord record(4294967271u, 0x0123456789ABCDEFull);
    DockEntry zoomed{}, iconic{};
    zoomed.hWnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x00012345));
    zoomed.dwProcessId = 0x2A;
    zoomed.bWasZoomed = TRUE;
    iconic.hWnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(0xFFFF8002u)));
    iconic.dwProcessId = 0x10000;
    iconic.bWasIconic = TRUE;
    CTypedPtrArray<DockEntry> docked;
    docked.Add(&zoomed);
    docked.Add(&iconic);
    ASSERT_TRUE(record.Write(docked));
    const std::vector<BYTE> written = {
        'T', 'L', 'D', '1', 0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01,   // tag, creation time
        0x45, 0x23, 0x01, 0x00, 0x2A, 0, 0, 0, 2, 0, 0, 0,                     // handle, process, zoomed
        0x02, 0x80, 0xFF, 0xFF, 0, 0, 1, 0, 1, 0, 0, 0,                        // handle, process, iconic
    };
    EXPECT_EQ(written, Raw(name));
    docked.RemoveAll();
    record.Write(docked);
    EXPECT_FALSE(Exists(name));

    // What another build left for an owner that has ended: this build brings
    // the window back.
    test::MessageLog left("Left by the other build", WS_OVERLAPPEDWINDOW);
    const DWORD h = H(left.hwnd()), self = kSelf;
    std::vector<BYTE> other = {'T', 'L', 'D', '1', 1, 0, 0, 0, 0, 0, 0, 0};
    for (DWORD v : {h, self, static_cast<DWORD>(kDockedZoomed)})
        for (int shift = 0; shift < 32; shift += 8)
            other.push_back(static_cast<BYTE>(v >> shift));
    Plant(name, REG_BINARY, other);
    EXPECT_EQ(1, RepairOrphanedRecords());
    test::Flush();
    EXPECT_EQ(Seq{"MAX"}, SysCommands(left));
    EXPECT_TRUE(IsWindowVisible(left.hwnd()));
    EXPECT_FALSE(Exists(name));
}

TEST(RestoreRule, OnlyAStillHiddenWindowOfTheRecordedProcessComesBack)
{
    test::MessageLog normal("Hidden normal", WS_OVERLAPPEDWINDOW);
    test::MessageLog zoomed("Hidden zoomed", WS_OVERLAPPEDWINDOW);
    test::MessageLog iconic("Hidden iconic", WS_OVERLAPPEDWINDOW | WS_MINIMIZE);
    test::MessageLog visible("Shown meanwhile", kNormal);
    test::MessageLog other("Another process's now", WS_OVERLAPPEDWINDOW);
    HWND gone = CreateWindowExA(0, "STATIC", "gone", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    test::Flush();
    for (test::MessageLog* log : {&normal, &zoomed, &iconic, &visible, &other})
        log->clear();

    EXPECT_TRUE(RestoreRecordedWindow({H(normal.hwnd()), kSelf, 0}));
    EXPECT_TRUE(RestoreRecordedWindow({H(zoomed.hwnd()), kSelf, kDockedZoomed}));
    EXPECT_TRUE(RestoreRecordedWindow({H(iconic.hwnd()), kSelf, kDockedIconic}));
    EXPECT_FALSE(RestoreRecordedWindow({H(visible.hwnd()), kSelf, 0}));
    EXPECT_FALSE(RestoreRecordedWindow({H(other.hwnd()), kSelf + 4, 0}));
    EXPECT_FALSE(RestoreRecordedWindow({H(gone), kSelf, 0}));
    EXPECT_FALSE(RestoreRecordedWindow({0, kSelf, 0}));
    test::Flush();

    EXPECT_EQ(Seq{"RESTORE"}, SysCommands(normal));
    EXPECT_EQ(Seq{"MAX"}, SysCommands(zoomed));
    EXPECT_EQ(Seq{}, SysCommands(iconic));
    EXPECT_TRUE(IsWindowVisible(normal.hwnd()) && IsWindowVisible(zoomed.hwnd()) && IsWindowVisible(iconic.hwnd()));
    EXPECT_TRUE(IsIconic(iconic.hwnd()));
    EXPECT_TRUE(Untouched(visible)) << test::Describe(visible.all());
    EXPECT_TRUE(Untouched(other)) << test::Describe(other.all());
    EXPECT_FALSE(IsWindowVisible(other.hwnd()));
}

TEST(Repair, RestoresTheRecordsOfEndedOwnersAndLeavesEverythingElse)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kDockedKey);
    test::MessageLog a("Of an ended owner", WS_OVERLAPPEDWINDOW);
    test::MessageLog b("Of a reused id", WS_OVERLAPPEDWINDOW);
    test::MessageLog c("In odd values", WS_OVERLAPPEDWINDOW);
    const std::string self = std::to_string(kSelf), ended = "4294967291";   // no process has that id
    Plant(ended, REG_BINARY, Record(kCreated, {{H(a.hwnd()), kSelf, 0}}));
    // Our own id, written by an earlier process that had it.
    Plant(self, REG_BINARY, Record(kCreated - 1, {{H(b.hwnd()), kSelf, kDockedZoomed}}));
    const std::vector<BYTE> ofC = Record(0, {{H(c.hwnd()), kSelf, 0}});
    const std::vector<std::pair<std::string, std::vector<BYTE>>> odd = {
        {"c", ofC}, {"0", ofC}, {"04294967291", ofC}, {"42949672950", ofC},
        {"4294967287", {}}, {"4294967283", std::vector<BYTE>(ofC.begin(), ofC.end() - 1)},
        {"4294967279", std::vector<BYTE>(70 * 1024, 0)}};
    for (const auto& value : odd)
        Plant(value.first, REG_BINARY, value.second);
    Plant("4294967275", REG_DWORD, {1, 0, 0, 0});

    EXPECT_EQ(2, RepairOrphanedRecords());
    test::Flush();
    EXPECT_EQ(Seq{"RESTORE"}, SysCommands(a));
    EXPECT_EQ(Seq{"MAX"}, SysCommands(b));
    EXPECT_FALSE(Exists(ended) || Exists(self));
    EXPECT_TRUE(Untouched(c)) << test::Describe(c.all());
    for (const auto& value : odd)
        EXPECT_TRUE(Exists(value.first)) << value.first;

    // A running owner's record (another session's) stays; its guard takes
    // only the record its owner wrote.
    Plant(self, REG_BINARY, Record(kCreated, {{H(c.hwnd()), kSelf, 0}}));
    EXPECT_EQ(0, RepairOrphanedRecords());
    EXPECT_EQ(0, RestoreRecordOf(kSelf, kCreated + 1));
    EXPECT_TRUE(Exists(self));
    EXPECT_FALSE(IsWindowVisible(c.hwnd()));
    EXPECT_EQ(1, RestoreRecordOf(kSelf, kCreated));
    EXPECT_FALSE(Exists(self));
    EXPECT_TRUE(IsWindowVisible(c.hwnd()));
    RegDeleteKeyA(HKEY_CURRENT_USER, kDockedKey);
}

}  // namespace
