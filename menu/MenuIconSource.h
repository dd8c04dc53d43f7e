#pragma once
#include <windows.h>

// Gives the icons of a popup's rows that were added without one, once they
// come into view: a popup of many rows shows only some of them, and an icon
// may cost the giver a question to another program. The popup asks in
// batches, between BeginAsking and EndAsking.
class CMenuIconSource {
public:
    virtual void BeginAsking() {}
    virtual HICON IconFor(UINT nID) = 0;
    virtual void EndAsking() {}

protected:
    ~CMenuIconSource() = default;
};
