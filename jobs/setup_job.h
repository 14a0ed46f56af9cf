// The setup job: from the player's disc dump to a game ready to play, in eight steps on
// a background thread (find and check the dump, check the disk space and build tools,
// find the source, index the game files with import.exe, build with Python and zig).
// Progress is published in the job record (job_status.h).
#pragma once

#include <string>

// Starts the job for the dump at `dumpPath` unless a job is running already; true when
// this call started it. Without `rebuild` an installed game is kept and only the dump is
// checked and indexed again.
bool StartSetupJob(const std::string& dumpPath, bool rebuild);

// The "--setup" console mode: runs the job, prints its progress, and on failure the job
// log; then shuts the background work down. Returns the process exit status, 0 or 1.
int RunSetupFromConsole(const std::string& dumpPath, bool rebuild);
