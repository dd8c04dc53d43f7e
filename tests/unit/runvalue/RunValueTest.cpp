// The Run value behind check box 1001: what the controller dialog shows when
// it starts, and what a click on the box stores, against the real per-user
// Run key of the test prefix (put back after every test).
#include "app/RunValue.h"
#include "app/TrayDockDlg.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/RunKeySnapshot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr int kBox = 1001;

std::string OwnPath()
{
    char path[1024] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string SwapCase(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

// The text and its NUL, as the value stores a string.
std::string WithNul(const std::string& s) { return s + std::string(1, '\0'); }

// Runs a controller dialog as the program does (modal, hidden), calls body
// from inside its modal loop once it has initialised, then ends it.
void RunDialog(const std::function<void(CTrayDockDlg&)>& body)
{
    CTrayDockDlg dlg;
    test::MessageLog helper("runvalue-driver");
    bool ran = false;
    helper.answer = [&](HWND, UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
        if (message != WM_APP + 7)
            return 0;
        handled = true;
        ran = true;
        body(dlg);
        dlg.EndDialog(IDOK);
        return 0;
    };
    PostMessageA(helper.hwnd(), WM_APP + 7, 0, 0);
    dlg.DoModal();
    EXPECT_TRUE(ran) << "the dialog did not run";
}

UINT BoxAtStart()
{
    UINT state = 99;
    RunDialog([&](CTrayDockDlg& dlg) { state = IsDlgButtonChecked(dlg.m_hWnd, kBox); });
    return state;
}

// A real click on the box: the button toggles itself and notifies the dialog.
UINT Click(CTrayDockDlg& dlg)
{
    SendDlgItemMessageA(dlg.m_hWnd, kBox, BM_CLICK, 0, 0);
    return IsDlgButtonChecked(dlg.m_hWnd, kBox);
}

bool SetValue(DWORD type, const std::string& bytes)
{
    return runkey::WriteValue(runkey::kValueName, type, bytes.data(), bytes.size());
}

// The value's type and bytes; "absent" when there is none.
std::string Stored()
{
    runkey::Value v;
    if (!runkey::ReadValue(runkey::kValueName, v))
        return "absent";
    return "type " + std::to_string(v.type) + ": " + std::string(v.data.begin(), v.data.end());
}

std::string StoredAs(DWORD type, const std::string& bytes) { return "type " + std::to_string(type) + ": " + bytes; }

class RunValue : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = runkey::Snapshot::Take();
        ASSERT_TRUE(m_saved.exists) << "the test prefix has no Run key";
        runkey::DeleteValue(runkey::kValueName);
    }
    void TearDown() override
    {
        g_pfnGetModuleFileNameW = GetModuleFileNameW;
        EXPECT_TRUE(m_saved.Restore());
    }
    runkey::Snapshot m_saved;
};

TEST_F(RunValue, StartUpChecksTheBoxOnlyForTheQuotedOwnPathAndLeavesTheValueAlone)
{
    const std::string path = OwnPath();
    const std::string text = Quoted(path);
    std::string big(64 * 1024, 'A');
    std::string bigMatching = WithNul(text) + std::string(64 * 1024, 'B');
    struct Case {
        const char* what;
        DWORD type;
        std::string bytes;
        UINT box;
    } cases[] = {
        {"the quoted path", REG_SZ, WithNul(text), BST_CHECKED},
        {"letters in another case", REG_SZ, WithNul(SwapCase(text)), BST_CHECKED},
        {"bytes after the NUL", REG_SZ, WithNul(text) + "junk", BST_CHECKED},
        {"64 KB with the text first", REG_SZ, bigMatching, BST_CHECKED},
        {"no quotes", REG_SZ, WithNul(path), BST_UNCHECKED},
        {"a different path", REG_SZ, WithNul(Quoted("C:\\Program Files\\Traylet\\Traylet.exe")), BST_UNCHECKED},
        {"REG_EXPAND_SZ", REG_EXPAND_SZ, WithNul(text), BST_UNCHECKED},
        {"REG_BINARY", REG_BINARY, WithNul(text), BST_UNCHECKED},
        {"REG_DWORD", REG_DWORD, std::string("\1\0\0\0", 4), BST_UNCHECKED},
        {"no NUL", REG_SZ, text, BST_UNCHECKED},
        {"the closing quote missing", REG_SZ, WithNul(text.substr(0, text.size() - 1)), BST_UNCHECKED},
        {"one character more", REG_SZ, WithNul(text + "x"), BST_UNCHECKED},
        {"an empty text", REG_SZ, WithNul(""), BST_UNCHECKED},
        {"no data at all", REG_SZ, "", BST_UNCHECKED},
        {"64 KB of letters, no NUL", REG_SZ, big, BST_UNCHECKED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(SetValue(c.type, c.bytes));
        // The registry must hold the case as meant (it adds a NUL to a string
        // only when the byte after it in memory is NUL).
        ASSERT_EQ(StoredAs(c.type, c.bytes), Stored());
        const runkey::Snapshot before = runkey::Snapshot::Take();
        EXPECT_EQ(c.box, BoxAtStart());
        const runkey::Snapshot after = runkey::Snapshot::Take();
        EXPECT_TRUE(before.SameAs(after)) << before.Describe() << "\nbecame\n" << after.Describe();
    }
}

TEST_F(RunValue, StartUpWithoutTheValueOrTheKeyLeavesTheBoxUncheckedAndCreatesNothing)
{
    runkey::Snapshot before = runkey::Snapshot::Take();
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), BoxAtStart());
    EXPECT_TRUE(before.SameAs(runkey::Snapshot::Take()));
    EXPECT_EQ("absent", Stored());

    ASSERT_TRUE(runkey::DeleteKey());
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), BoxAtStart());
    EXPECT_FALSE(runkey::KeyExists());
}

TEST_F(RunValue, ClickingStoresExactlyTheQuotedPathAndOneNulThenDeletesTheValue)
{
    const std::string text = Quoted(OwnPath());
    RunDialog([&](CTrayDockDlg& dlg) {
        ASSERT_EQ(static_cast<UINT>(BST_CHECKED), Click(dlg));
        runkey::Value v;
        ASSERT_TRUE(runkey::ReadValue(runkey::kValueName, v));
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), v.type);
        EXPECT_EQ(OwnPath().size() + 3, v.data.size());
        EXPECT_EQ(WithNul(text), std::string(v.data.begin(), v.data.end()));

        EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Click(dlg));
        EXPECT_EQ("absent", Stored());
        EXPECT_TRUE(runkey::KeyExists());
    });
    // What one run stored, the next run shows.
    RunDialog([&](CTrayDockDlg& dlg) { EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Click(dlg)); });
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), BoxAtStart());
}

TEST_F(RunValue, CheckingReplacesAValueThatDidNotMatch)
{
    const std::string text = Quoted(OwnPath());
    ASSERT_TRUE(SetValue(REG_EXPAND_SZ, WithNul(text)));
    RunDialog([&](CTrayDockDlg& dlg) {
        ASSERT_EQ(static_cast<UINT>(BST_UNCHECKED), IsDlgButtonChecked(dlg.m_hWnd, kBox));
        EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Click(dlg));
        EXPECT_EQ(StoredAs(REG_SZ, WithNul(text)), Stored());
    });
}

TEST_F(RunValue, UncheckingWhenTheValueIsAlreadyGoneChangesNothing)
{
    ASSERT_TRUE(SetValue(REG_SZ, WithNul(Quoted(OwnPath()))));
    RunDialog([&](CTrayDockDlg& dlg) {
        ASSERT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(dlg.m_hWnd, kBox));
        ASSERT_TRUE(runkey::DeleteValue(runkey::kValueName));   // someone else removed it meanwhile
        const runkey::Snapshot before = runkey::Snapshot::Take();
        EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Click(dlg));
        const runkey::Snapshot after = runkey::Snapshot::Take();
        EXPECT_TRUE(before.SameAs(after)) << before.Describe() << "\nbecame\n" << after.Describe();
    });
}

TEST_F(RunValue, WithoutTheRunKeyTheBoxKeepsTheUsersStateAndTheKeyIsNotCreated)
{
    ASSERT_TRUE(runkey::DeleteKey());
    RunDialog([&](CTrayDockDlg& dlg) {
        EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Click(dlg));
        EXPECT_FALSE(runkey::KeyExists());
        EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Click(dlg));
        EXPECT_FALSE(runkey::KeyExists());
    });
}

// Paths that no real module of the test has: what GetModuleFileNameA gives
// for them, in the two ways systems report a path that does not fit (older
// ones fill the buffer without a NUL, newer ones cut it short with a NUL and
// ERROR_INSUFFICIENT_BUFFER); both return the buffer's size.
std::wstring g_fakePath;
bool g_cutWithNul = false;

DWORD WINAPI FakeModuleFileName(HMODULE, LPWSTR buffer, DWORD size)
{
    const std::wstring path = g_fakePath;
    const DWORD length = static_cast<DWORD>(path.size());
    if (length < size) {
        std::memcpy(buffer, path.c_str(), (length + 1) * sizeof(wchar_t));
        return length;
    }
    std::memcpy(buffer, path.data(), size * sizeof(wchar_t));
    if (g_cutWithNul) {
        buffer[size - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
    }
    return size;
}

// The path in the ANSI code page, as the tool that reads the Run key back
// converts it; or, for paths outside it, as UTF-16 directly.
std::wstring FromAnsi(const std::string& s)
{
    std::wstring out(s.size(), L'\0');
    out.resize(MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &out[0],
                                   static_cast<int>(out.size())));
    return out;
}

void FakeModulePath(const std::wstring& path, bool cutWithNul = false)
{
    g_fakePath = path;
    g_cutWithNul = cutWithNul;
    g_pfnGetModuleFileNameW = FakeModuleFileName;
}

void FakeModulePath(const std::string& path, bool cutWithNul = false)
{
    g_fakePath = FromAnsi(path);
    g_cutWithNul = cutWithNul;
    g_pfnGetModuleFileNameW = FakeModuleFileName;
}

// "C:\aaaa...\x.exe" of the given length.
std::string PathOfLength(size_t length)
{
    std::string path = "C:\\" + std::string(length - 9, 'a') + "\\x.exe";
    EXPECT_EQ(length, path.size());
    return path;
}

TEST_F(RunValue, APathThatDoesNotFitIsNeverStoredNorMatched)
{
    for (bool cutWithNul : {false, true}) {
        for (size_t length : {260u, 300u}) {
            SCOPED_TRACE(std::string(cutWithNul ? "cut with a NUL, " : "filled without a NUL, ") +
                         std::to_string(length) + " characters");
            const std::string path = PathOfLength(length);
            FakeModulePath(path, cutWithNul);
            // What a program that trusted the cut path would have stored, and the whole path.
            for (const std::string& text : {Quoted(path.substr(0, 259)), Quoted(path.substr(0, 258)), Quoted(path)}) {
                ASSERT_TRUE(SetValue(REG_SZ, WithNul(text)));
                EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), BoxAtStart()) << text.size();
            }

            RunDialog([&](CTrayDockDlg& dlg) {
                const runkey::Snapshot before = runkey::Snapshot::Take();
                EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Click(dlg));
                EXPECT_TRUE(before.SameAs(runkey::Snapshot::Take())) << "a value was written";
                // Unchecking needs no path: the value goes.
                EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), Click(dlg));
                EXPECT_EQ("absent", Stored());
                EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Click(dlg));
                EXPECT_EQ("absent", Stored());
            });
        }
    }
}

TEST_F(RunValue, ALongestPathThatFitsIsStoredWhole)
{
    const std::string path = PathOfLength(259);
    FakeModulePath(path);
    RunDialog([&](CTrayDockDlg& dlg) { EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Click(dlg)); });
    EXPECT_EQ(StoredAs(REG_SZ, WithNul(Quoted(path))), Stored());
    runkey::Value v;
    ASSERT_TRUE(runkey::ReadValue(runkey::kValueName, v));
    EXPECT_EQ(262u, v.data.size());
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), BoxAtStart());
}

// The setting without the dialog: what the box's click and the start-up
// check come to.
TEST_F(RunValue, TheSettingIsOnOnlyWhileTheValueNamesTheProgram)
{
    EXPECT_FALSE(IsStartWithWindowsOn());
    EXPECT_FALSE(SetStartWithWindows(false)) << "there was no value to delete";
    ASSERT_TRUE(SetStartWithWindows(true));
    EXPECT_EQ(StoredAs(REG_SZ, WithNul(Quoted(OwnPath()))), Stored());
    EXPECT_TRUE(IsStartWithWindowsOn());

    // Moved: the value names the program's old place.
    FakeModulePath(PathOfLength(40));
    EXPECT_FALSE(IsStartWithWindowsOn());
    // Moved where its path does not fit: nothing is stored, nothing matches.
    FakeModulePath(PathOfLength(300));
    EXPECT_FALSE(SetStartWithWindows(true));
    EXPECT_EQ(StoredAs(REG_SZ, WithNul(Quoted(OwnPath()))), Stored());
    EXPECT_FALSE(IsStartWithWindowsOn());

    g_pfnGetModuleFileNameW = GetModuleFileNameW;
    EXPECT_TRUE(SetStartWithWindows(false));
    EXPECT_EQ("absent", Stored());
    EXPECT_FALSE(IsStartWithWindowsOn());
    ASSERT_TRUE(runkey::DeleteKey());
    EXPECT_FALSE(SetStartWithWindows(true));
    EXPECT_FALSE(runkey::KeyExists());
}

// Bytes as another program may have stored them, against the text wanted.
bool Matches(const std::wstring& data, const wchar_t* text, size_t extraBytes = 0)
{
    std::string bytes(reinterpret_cast<const char*>(data.data()), data.size() * sizeof(wchar_t));
    bytes.append(extraBytes, 'x');
    return MatchesRunText(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), text);
}

TEST(RunText, OnlyAsciiLettersCompareWithoutRegardToCase)
{
    // Pairs that differ by the case bit without being letters: '[' '{',
    // '\' '|', '@' '`', and accented letters.
    const wchar_t* const text = L"\"C:\\Tools[1]\\Caf\x00E9\\T@y.exe\"";
    struct Case {
        const char* what;
        const wchar_t* data;
        bool match;
    } cases[] = {
        {"ASCII letters in another case", L"\"c:\\tOOLS[1]\\cAF\x00E9\\t@Y.EXE\"", true},
        {"'{' for '['", L"\"C:\\Tools{1]\\Caf\x00E9\\T@y.exe\"", false},
        {"'|' for '\\'", L"\"C:|Tools[1]\\Caf\x00E9\\T@y.exe\"", false},
        {"'`' for '@'", L"\"C:\\Tools[1]\\Caf\x00E9\\T`y.exe\"", false},
        {"capital E acute for e acute", L"\"C:\\Tools[1]\\Caf\x00C9\\T@y.exe\"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.match, Matches(std::wstring(c.data) + L'\0', text)) << c.what;
}

TEST(RunText, NothingPastTheBytesReadCountsAndTheTextMustEndThere)
{
    const std::wstring text = L"\"C:\\x.exe\"";
    EXPECT_TRUE(Matches(text + L'\0', text.c_str()));
    EXPECT_TRUE(Matches(text + L'\0' + L"junk", text.c_str())) << "bytes after the NUL";
    EXPECT_TRUE(Matches(text + L'\0', text.c_str(), 1)) << "an odd byte after the NUL";
    EXPECT_FALSE(Matches(text, text.c_str())) << "no NUL";
    EXPECT_FALSE(Matches(text, text.c_str(), 1)) << "an odd byte where the NUL would be";
    EXPECT_FALSE(Matches(text.substr(0, 5) + L'\0', text.c_str())) << "shorter";
    EXPECT_FALSE(Matches(text + L"x" + L'\0', text.c_str())) << "longer";
    EXPECT_FALSE(Matches(L"", text.c_str())) << "no data";
}

}  // namespace

namespace {

// The value as the registry keeps it, UTF-16, read without any conversion.
std::wstring StoredWide()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_READ, &key))
        return L"absent";
    wchar_t data[512] = {};
    DWORD size = sizeof data - sizeof(wchar_t), type = 0;
    const LONG r = RegQueryValueExW(key, L"Traylet2", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_SZ)
        return L"absent";
    return std::wstring(data, size / sizeof(wchar_t));
}

TEST_F(RunValue, APathOutsideTheAnsiCodePageIsStoredAndMatchedAsItIs)
{
    const std::wstring path = L"C:\\\x041F\x0440\x043E\x0433\x0440\x0430\x043C\x043C\x044B\\\x4F60\x597D\\Traylet.exe";
    FakeModulePath(path);
    RunDialog([&](CTrayDockDlg& dlg) { EXPECT_EQ(static_cast<UINT>(BST_CHECKED), Click(dlg)); });
    EXPECT_EQ(L"\"" + path + L"\"" + std::wstring(1, L'\0'), StoredWide());
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), BoxAtStart());

    // What an ANSI program would have made of the same path does not match.
    ASSERT_TRUE(SetValue(REG_SZ, WithNul("\"C:\\?????????\\??\\Traylet.exe\"")));
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), BoxAtStart());
}

}  // namespace
