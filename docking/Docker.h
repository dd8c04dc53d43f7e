#pragma once
#include "docking/DockEntry.h"
#include "docking/DockRecord.h"
#include "docking/IconRecall.h"
#include "docking/Rules.h"
#include "docking/Selector.h"
#include "framework/PtrArray.h"
#include "menu/MenuIconSource.h"

class CMenuEx;
class CTrayIcon;
class CWnd;

// Where the catalogue's walk of the top-level windows comes from. It is
// EnumWindows; tests walk their own windows only, whatever else the desktop
// they share shows.
extern BOOL(WINAPI* g_pfnEnumWindows)(WNDENUMPROC lpEnumFunc, LPARAM lParam);

// Whether the main menu of the Traylet whose dialog is hWndTraylet would list
// hWnd now, with its title as the menu shows it; and a walk of the windows it
// would list, in its order, until pfn answers false. For a process that is
// not that Traylet (a second start that lists windows or waits for one).
bool IsListedWindow(HWND hWnd, HWND hWndTraylet, WCHAR (&szTitle)[100]);
void WalkListedWindows(HWND hWndTraylet, bool (*pfn)(HWND hWnd, LPCWSTR pszTitle, void* pContext), void* pContext);

// The index of the first docked record whose tray icon has the window hIcon
// (null: a record without an icon window), -1 for none.
int FindDockedByIcon(const CTypedPtrArray<DockEntry>& docked, HWND hIcon);

// The one owner of the windows Traylet knows: the catalogue of dockable
// windows and the docked ones. Every change to the docked list goes through
// it, and is written to the process's record of docked windows at once; the
// controller dialog holds it and forwards the tray icons' requests. It gives
// the main menu the icons of its rows as they come into view.
class CDocker : private CMenuIconSource {
public:
    CDocker() = default;
    // Whatever is still docked comes back: a docked window must never be
    // left hidden because its owner went away.
    ~CDocker();
    CDocker(const CDocker&) = delete;
    CDocker& operator=(const CDocker&) = delete;

    // The window that owns the docked windows' icons and receives their
    // requests; it is also the one window never catalogued.
    void SetOwner(CWnd* pOwner);

    // The catalogue (Catalogue.cpp). With bIcons false the windows are not
    // asked for their icons yet: a record's icon is looked up when it is
    // first needed (IconOf), by the menu as its row comes into view or by
    // docking. The menu shows at once the icon a window had in the last
    // catalogue, and asks it again once it is on the screen; IconOf always
    // asks.
    void BuildWindowList(bool bIcons = true);
    void FreeWindowList();
    int FindDockedByIcon(HWND hIcon) const;
    HICON IconOf(DockEntry& entry);

    // The commands of both menus but "Options" and "Exit" (DockCommands.cpp).
    // bOwnIcon: the command came from the program's own icon.
    LRESULT OnCommand(WPARAM nCmd, HWND hIcon, bool bOwnIcon);
    void UndockAll();

    // The keyboard's way in (DockCommands.cpp). DockWindow rebuilds the
    // catalogue and, if it lists hWnd, docks it as choosing its row from the
    // main menu of the program's own icon hOwnIcon would, answering what
    // that command answers; 0 when the catalogue does not list it.
    // UndockLatest undocks the window docked last of those still docked, as
    // "UnDock" would; FALSE when there is none.
    LRESULT DockWindow(HWND hWnd, HWND hOwnIcon);
    BOOL UndockLatest();

    // Windows by their handles, for the rules and the command line: neither
    // touches the catalogue, which an open main menu's rows stand for.
    // IsListed: whether the main menu would list hWnd now, with its title as
    // the menu shows it. DockListed: docks such a window as choosing its row
    // would; false when it is not listed, docked already, or the dock was
    // refused. WalkListed: calls pfn for each window the main menu would
    // list, in its order, until pfn answers false.
    bool IsListed(HWND hWnd, WCHAR (&szTitle)[100]) const;
    bool DockListed(HWND hWnd);
    void WalkListed(bool (*pfn)(HWND hWnd, LPCWSTR pszTitle, void* pContext), void* pContext) const;

    // Once a second: drops docked records whose window is gone or visible
    // again, without touching the window; then the titles of the rest
    // (RefreshTitles), and the rules look at every window.
    void Sweep();

    // The rules that dock windows by themselves (Rules.h).
    CRules& Rules() { return m_rules; }
    const CRules& Rules() const { return m_rules; }

    // Tooltips that follow the titles: a docked window's current title, cut
    // as at dock time, becomes its icon's tooltip when it has changed.
    // RefreshTitle: the docked window hWnd (as a rename is reported);
    // RefreshTitles: every docked window.
    void RefreshTitle(HWND hWnd);
    void RefreshTitles();

    // The command line's verbs (WindowCommands.cpp). DockMatching docks every
    // window the main menu lists that the selector names; UndockMatching
    // brings back, as "UnDock" does, every docked window it names;
    // UndockEvery is "UnDock All". Done when a window was docked or brought
    // back, no match when none was. A handle names one window: one neither
    // listed nor docked is a bad command.
    CommandResult DockMatching(const WindowSelector& selector);
    CommandResult UndockMatching(const WindowSelector& selector);
    CommandResult UndockEvery();

    // True while the docker changes its docked list or hands the shell an
    // icon. A request that arrives nested in one of the waits this involves
    // (a message sent from another process meanwhile) must not change the
    // list under the change in progress: it is to be asked again later.
    bool Busy() const { return m_nBusy > 0; }

    // Menu composition (MenuComposition.cpp). Appends the rows of the main
    // menu (rebuilding the catalogue first), or of the menu of the docked
    // window whose icon is hIcon (none when no docked record has it).
    void ComposeMainMenu(CMenuEx& menu);
    // The main menu's rows from the catalogue as it stands.
    void AddMainMenuRows(CMenuEx& menu);
    void ComposeWindowMenu(CMenuEx& menu, HWND hIcon) const;
    // The rows after a docked window's Exit: one per trigger, checked when
    // a rule for its program has it.
    void AddRuleRows(CMenuEx& menu, const DockEntry& entry) const;

    // Removes the record's icon, destroys it and frees the record.
    static void ReleaseDocked(DockEntry* entry);

    // The two lists, to read: the catalogue, in EnumWindows order, and the
    // docked windows, in the order they were docked.
    const CTypedPtrArray<DockEntry>& Windows() const { return m_arrWindows; }
    const CTypedPtrArray<DockEntry>& Docked() const { return m_arrDocked; }

private:
    friend BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM lParam);

    // CMenuIconSource: the icon of catalogue entry nID - 150.
    void BeginAsking() override;
    MenuIcon IconFor(UINT nID) override;
    HICON AskAgain(UINT nID) override;
    void EndAsking() override;
    DockEntry* CatalogueEntry(UINT nID) const;

    // Counts the changes under way, for Busy.
    class CBusy {
    public:
        explicit CBusy(int& n) : m_n(n) { ++m_n; }
        ~CBusy() { --m_n; }
        CBusy(const CBusy&) = delete;
        CBusy& operator=(const CBusy&) = delete;

    private:
        int& m_n;
    };

    LRESULT Dock(WPARAM n, HWND hIcon);
    // The index of the docked record of hWnd while its window is still
    // hidden (else it is the sweep's to drop), -1 for none.
    int StillDockedIndexOf(HWND hWnd) const;
    void RefreshTitleAt(int i);
    bool PrepareDock(DockEntry* entry, CTrayIcon** ppIcon);
    void FinishDock(DockEntry* entry, CTrayIcon* icon);
    void RunWindowCommand(HWND hIcon, WPARAM nCmd);
    void RunWindowCommandAt(int i, WPARAM nCmd);

    CTypedPtrArray<DockEntry> m_arrWindows;
    CTypedPtrArray<DockEntry> m_arrDocked;
    CWnd* m_pOwner = nullptr;
    HWND m_hWndOwner = nullptr;
    CDockRecord m_record;
    CIconRecall m_recall;
    bool m_bIconsNow = true;   // the catalogue being built asks for icons
    int m_nBusy = 0;
    CRules m_rules{*this};     // last: it goes first, while the lists are still there
};
