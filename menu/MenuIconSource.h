#pragma once
#include <windows.h>

// An icon as a source gives it. A recalled one is what the same window showed
// when the source last asked it: the popup shows it at once and asks for the
// icon again (AskAgain) once it is on the screen, so that no question to
// another program holds up an opening, and a window that changed its icon
// shows the new one a moment later.
struct MenuIcon {
    HICON hIcon;
    bool bRecalled;
};

// Gives the icons of a popup's rows that were added without one, once they
// come into view: a popup of many rows shows only some of them, and an icon
// may cost the giver a question to another program. The popup asks in
// batches, between BeginAsking and EndAsking.
class CMenuIconSource {
public:
    virtual void BeginAsking() {}
    virtual MenuIcon IconFor(UINT nID) = 0;
    // The icon asked now, never recalled.
    virtual HICON AskAgain(UINT nID) = 0;
    virtual void EndAsking() {}

protected:
    ~CMenuIconSource() = default;
};
