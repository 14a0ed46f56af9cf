// What the window's loop applies before it decides to draw: the job record's copy and its
// end, the verdicts of the dump checker, the end of a data-folder move, the results of
// the worker (offload.h), and the loads a screen or page entered by other means than
// the navigation operations still owes. Applied once per loop iteration, beside each
// other, never inside a screen's drawing; windowless callers (the UI-shot mode, tests
// that draw frames themselves) call it before each frame the same way.
#pragma once

// Applies everything pending; true when anything changed that a screen shows, so the
// loop draws a full frame.
bool ApplyLoopEvents();

// A game started from here has ended and its run is recorded: Home's last-run row and
// the Logs page read the runs again. The window's handler of the monitor's message calls
// it before it brings Home back.
void NoteGameEnded();
