#pragma once
#include "framework/Owner.h"

struct CHandleRelease {
    // The system answers null or INVALID_HANDLE_VALUE for a failure,
    // depending on the call; neither may be closed.
    static bool Held(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
    static BOOL Free(HANDLE h) { return ::CloseHandle(h); }
};

// Owns a kernel handle (a process, a thread, an event) and closes it once.
using CHandle = COwner<HANDLE, CHandleRelease>;
