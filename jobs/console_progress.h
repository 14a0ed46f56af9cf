// The console view of the background job, for the command modes "--setup" and
// "--enhance": one line per step change, then the outcome.
#pragma once

// Follows the running job until it ends, printing "<step>: <state> <detail>" whenever a
// step's state or tenths of progress change, then "finished %d failed %d cancelled %d".
// Returns 1 when the job failed, else 0.
int PrintJobProgress();
