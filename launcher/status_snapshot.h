// The dump, build and run status the screens show: one snapshot in LauncherState
// (status, status_checking, status_known, runs, last_run...). Workers refresh it on
// events: the start, Check again, CONTINUE, a job's end, a game's end, a data-folder
// move, opening the Logs page. Screens only read it. Judging the dump (which may extract
// a disc image for minutes and hashes main.dol) and reading runs.tsv never happen on the
// window's thread; the loop applies what the workers bring, beside its other events.
// The screens' copy of the job record, and the toasts a verdict brings, are taken here too.
#pragma once

#include "launcher/launcher_state.h"

// The dump the player has chosen: launcher.dump_path, else the one dump.ini names. The
// window reads the setting here and nowhere else; what it finds is passed on.
std::string ConfiguredDump();
// Makes `path` the player's dump (launcher.dump_path): CONTINUE in the chooser, and the
// setup job once it has indexed the dump (on the job's thread: the store has its lock).
void KeepDump(const std::string& path);

// Asks the dump checker for the status of the dump at `configured` (ConfiguredDump's
// answer, or a path the player just chose). Until the verdict comes, status_checking is
// set and status keeps the last verdict when that dump is the one it was for; another
// dump gets a stand-in (status_known false) that knows only its path, and the build is
// read at once. Without the window's loop the verdict is waited for.
void RefreshDumpStatus(const std::string& configured);
// The same for ConfiguredDump.
void RefreshDumpStatus();

// "Check again": RefreshDumpStatus, and when its verdict arrives the toast that says how
// it went.
void CheckDumpAgain();

// The chooser's toast for a verdict: "" for a ready dump.
std::wstring ChoiceToast(const DumpCandidate& candidate);

// Whether a job of either kind runs now, and which (kJobSetup or kJobEnhance).
bool JobRunning(int* kind = nullptr);
// The job record as the screens need it now: the log's tail only while the progress
// screen shows it.
JobStatus CopyJobForScreens();
// A job was started from here: the screens' copy of the job record is taken again now, so
// the frames that follow in the same paint show it running instead of the record from
// before (whose buttons would take the focus for a frame, and a screen reader would say so).
void NoteJobStarted();

// Reads runs.tsv (and which log each run kept) again on the worker, for Home's last-run
// row and the Logs page.
void RefreshRuns();

// Applies the verdicts the dump checker has finished since the last call: the status, and
// the rows of the chooser that waited for theirs. Window thread, by the loop. True when
// anything changed that a screen shows.
bool ApplyFinishedDumpChecks();

// Waits up to timeout_ms for the dump checks and worker reads under way and applies them.
// The window uses it once before its first frame.
void SettleSnapshot(unsigned timeout_ms);
// Without the window's loop (the UI-shot mode, tests drawing frames themselves) nobody
// else would apply what a request brings: settles it at once. Does nothing in the window.
void SettleWhenWindowless();
