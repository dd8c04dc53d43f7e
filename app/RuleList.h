#pragma once
#include <windows.h>

class CDocker;
class CWnd;

// The Rules group of the Options dialog: every rule in a list (program,
// triggers, title and class patterns), and Add, Change and Remove. Change
// also comes from a double-click or Enter on a rule, Remove from Delete.
// Each change is written at once and works at once.
class CRuleList {
public:
    void Init(CWnd* pDialog, CDocker& docker);
    // Fills the list from the rules as they stand.
    void Show();

    // The dialog's messages that are the group's; TRUE when taken.
    BOOL OnCommand(WPARAM wParam);
    BOOL OnNotify(const NMHDR* pHeader);
    BOOL PreTranslateMessage(const MSG* pMsg);

private:
    HWND List() const;
    int Selected() const;
    void Select(int i);
    void EnableButtons();
    void Edit(int i);   // -1: a new rule
    void Change();      // the chosen rule, if there is one
    void Remove(int i);

    CWnd* m_pDialog = nullptr;
    CDocker* m_pDocker = nullptr;
};
