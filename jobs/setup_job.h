// The setup job: from the player's disc dump to a game ready to play, in eight steps on
// a background thread (find and check the dump, check the disk space and build tools,
// find the source, index the game files with import.exe, build with Python and zig).
// Progress is published in the job record (job_status.h).
#pragma once

#include <string>

// Called on the job's thread once the game files are indexed, with the dump's path as the
// job judged it: the caller keeps it as the player's dump (launcher.dump_path), so a dump
// found through dump.ini or named by a sub-folder is recorded the way it was confirmed.
using DumpIndexedHook = void (*)(const std::string& dumpPath);

// Starts the job for the dump at `dumpPath` unless a job is running already; true when
// this call started it. Without `rebuild` an installed game is kept and only the dump is
// checked and indexed again.
bool StartSetupJob(const std::string& dumpPath, bool rebuild, DumpIndexedHook onIndexed = nullptr);

// The "--setup" console mode: runs the job, prints its progress, and on failure the job
// log; then shuts the background work down (what `onIndexed` stored is saved by then).
// Returns the process exit status, 0 or 1.
int RunSetupFromConsole(const std::string& dumpPath, bool rebuild, DumpIndexedHook onIndexed);
