#pragma once

// A fault in the program's own code ends the process at once, so that its
// guard wakes and brings the docked windows back: no error box and no
// debugger keeps the process alive, and no fault is silently swallowed
// (Windows and Wine both swallow one raised in a window procedure that runs
// for a message sent from another process; a vectored handler sees it
// first). Only faults whose address lies in the program's own image count:
// exceptions that the system raises and handles in its own code are left to
// it. Installed once, at start-up of the program's processes.
void EndProcessOnFault();
