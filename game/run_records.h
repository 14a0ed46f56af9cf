// The history of played runs: runs.tsv in the logs folder keeps the last ten, oldest
// first, each with its start time, length, exit code, kind and whether its error log
// was kept. Also the words the player sees for an exit code, the game's crash report
// that belongs to a run, and the error-log file that holds a run.
//
// Only game monitors write runs.tsv, one at a time across every launcher running (a
// named lock); everything here reads it afresh on every call, sharing it for deletion so
// that no reader blocks the rewrite, and may be called from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RunRecord {
  std::string startedAt;  // local start time, "%Y-%m-%d %H:%M"
  int32_t seconds = 0;    // rounded to whole seconds
  uint32_t exitCode = 0;  // the game's exit code or the exception that ended it
  std::string kind;       // "OK", "Stopped" or "Crashed"
  bool logKept = false;   // error logs were on, so this run's log was written
};

// One row of the table of player-facing texts for exit codes.
struct RunOutcome {
  uint32_t exitCode;
  const wchar_t* text;
};

constexpr int kMaxRuns = 10;

// "OK" for 0, "Crashed" from 0xC0000000 up, else "Stopped".
const char* RunKind(uint32_t exitCode);
std::wstring OutcomeText(uint32_t exitCode);

// The record of a finished run; `elapsedSeconds` is rounded half up.
RunRecord MakeRunRecord(const std::string& startedAt, double elapsedSeconds, uint32_t exitCode, bool logKept);

std::string RunsFilePath();
// Where a run waits that couldn't go into runs.tsv (another program held it): beside it,
// in its line format, oldest first. The next rewrite takes these runs in, in order.
std::string PendingRunsFilePath();
// Newest first, at most ten; damaged lines are skipped, a missing file gives none. Runs
// still waiting to go in are among them.
std::vector<RunRecord> ReadRuns();

// Where RecordRun put a run.
enum class RunRecorded {
  kInRunsFile,  // runs.tsv holds it as its newest line
  kPending,     // it waits in the pending file for the next rewrite
  kInMemory,    // no file took it: it goes in with this process's next run, if there is one
};
// Adds the run as the newest and keeps the last ten. runs.tsv is replaced whole through
// runs.tsv.tmp, under a lock every launcher of the session shares, retrying for a few
// seconds while another program holds the file. True only when the run is in runs.tsv;
// otherwise the file stays as it was, the run is logged and waits as `how` says.
bool RecordRun(const RunRecord& run, RunRecorded* how = nullptr);

// True when there is a newest run and it did not end "OK"; copies it when `record` is given.
bool LastFailedRun(RunRecord* record);
// The game's crash_*.txt for a crashed run: stamped within the run's minutes (from its
// start to its length in whole minutes plus two), the greatest name if several. Else "".
std::string FindCrashReport(const RunRecord& run);
// The error-log file holding the run at `index` of ReadRuns (0 = newest): kestrane_log.txt
// or its rotation .1 to .4, or the crash report for a run that kept no log; "" when
// there is none.
std::string LogFileForRun(int index);
// The same for a list ReadRuns gave, without reading runs.tsv again.
std::string LogFileForRun(const std::vector<RunRecord>& runs, int index);

// A seam for tests: a disk that fills up while runs.tsv is rewritten.
namespace RunRecordsTesting {

// From now on a rewrite of runs.tsv can write only `bytes` bytes, as on a full disk; -1
// lifts the limit.
void SetRoomOnDisk(long long bytes);

}  // namespace RunRecordsTesting
