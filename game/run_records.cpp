#include "game/run_records.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/scoped_lock.h"
#include "settings/launcher_log.h"

// [SECTION] Outcomes

namespace {

const RunOutcome kRunOutcomes[] = {
    {0, L"OK"},
    {94, L"Stopped: couldn't read main.dol"},
    {95, L"Stopped: no disc configured"},
    {96, L"Stopped: the game reported a fatal error"},
    {97, L"Stopped: the game panicked"},
    {98, L"Stopped: couldn't set up the Wii memory map"},
    {99, L"Stopped: reached a part of the port not written yet"},
    {0x80000003, L"Crashed (breakpoint)"},
    {0xC0000005, L"Crashed (access violation)"},
    {0xC000001D, L"Crashed (illegal instruction)"},
    {0xC0000094, L"Crashed (divide by zero)"},
    {0xC00000FD, L"Crashed (stack overflow)"},
    {0xC0000409, L"Crashed (stopped by a check)"},
};

const uint32_t kFirstCrashCode = 0xC0000000;

}  // namespace

const char* RunKind(uint32_t exitCode) {
  if (exitCode == 0) return "OK";
  return exitCode < kFirstCrashCode ? "Stopped" : "Crashed";
}

std::wstring OutcomeText(uint32_t exitCode) {
  for (const RunOutcome& row : kRunOutcomes)
    if (row.exitCode == exitCode) return row.text;
  wchar_t buffer[64];
  if (exitCode >= kFirstCrashCode)
    swprintf(buffer, 64, L"Crashed (0x%08X)", (unsigned)exitCode);
  else
    swprintf(buffer, 64, L"Stopped (exit code %u)", (unsigned)exitCode);
  return buffer;
}

RunRecord MakeRunRecord(const std::string& startedAt, double elapsedSeconds, uint32_t exitCode, bool logKept) {
  RunRecord run;
  run.startedAt = startedAt;
  run.seconds = (int32_t)(elapsedSeconds + 0.5);
  run.exitCode = exitCode;
  run.kind = RunKind(exitCode);
  run.logKept = logKept;
  return run;
}

// [SECTION] The run file

namespace {

// Runs that couldn't be written to their run file (another program held it), oldest first,
// with that file's path. They are shown as if recorded and go into the next rewrite.
// g_pending_lock guards both.
StaticLock g_pending_lock;
std::string g_pending_file;
std::vector<RunRecord> g_pending;

// Something holding runs.tsv open without delete sharing (an indexer, a virus scanner)
// blocks its replacement only for a moment, mostly.
const DWORD kMoveRetryMs = 3000;
const DWORD kMoveRetryStepMs = 100;

bool ReplaceWithRetries(const std::string& from, const std::string& to) {
  const DWORD start = GetTickCount();
  while (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    if (GetTickCount() - start >= kMoveRetryMs) return false;
    Sleep(kMoveRetryStepMs);
  }
  return true;
}

std::vector<RunRecord> PendingRunsFor(const std::string& path) {
  ScopedLock lock(&g_pending_lock);
  return path == g_pending_file ? g_pending : std::vector<RunRecord>();
}

// The file's records, oldest first, as they are on disk.
std::vector<RunRecord> ReadRunFile(const std::string& path) {
  std::vector<RunRecord> runs;
  // Delete sharing: reading must never stop the monitor from replacing the file.
  FILE* f = files::OpenToRead(path, "r");
  if (!f) return runs;
  char line[512];
  bool continuation = false;  // the rest of a line too long for the buffer
  while (fgets(line, sizeof line, f)) {
    size_t n = strlen(line);
    const bool complete = n > 0 && line[n - 1] == '\n';
    const bool skip = continuation;
    continuation = !complete && !feof(f);
    // No record is this long: a line that doesn't fit is damaged, all of it.
    if (skip || continuation) continue;
    // Without the terminator a line of four columns would scan its kind as "OK\n".
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = '\0';
    char startedAt[64] = "", kind[64] = "";
    int seconds = 0, logKept = 0;
    unsigned exitCode = 0;
    if (sscanf(line, "%63[^\t]\t%d\t%x\t%63[^\t]\t%d", startedAt, &seconds, &exitCode, kind, &logKept) < 4) continue;
    RunRecord run;
    run.startedAt = startedAt;
    run.seconds = seconds;
    run.exitCode = exitCode;
    run.kind = kind;
    run.logKept = logKept != 0;
    runs.push_back(run);
  }
  fclose(f);
  return runs;
}

// The file's records and the runs still waiting to go in, oldest first, the last ten.
std::vector<RunRecord> AllRuns(const std::string& path) {
  std::vector<RunRecord> runs = ReadRunFile(path);
  const std::vector<RunRecord> pending = PendingRunsFor(path);
  runs.insert(runs.end(), pending.begin(), pending.end());
  if (runs.size() > (size_t)kMaxRuns) runs.erase(runs.begin(), runs.end() - kMaxRuns);
  return runs;
}

// The room tests leave on the disk for a rewrite, in bytes; -1 when they don't limit it.
std::atomic<long long> g_room_for_tests{-1};

// fwrite, except that a test can make the disk fill up after some bytes.
size_t WriteBytes(const std::string& bytes, FILE* f) {
  size_t n = bytes.size();
  const long long room = g_room_for_tests.load();
  if (room >= 0 && (unsigned long long)room < n) n = (size_t)room;
  return n == 0 ? 0 : fwrite(bytes.data(), 1, n, f);
}

bool WriteRunFile(const std::string& path, const std::vector<RunRecord>& runs) {
  std::string text;
  for (const RunRecord& r : runs) {
    char line[200];  // both texts were read back with at most 63 characters
    snprintf(line, sizeof line, "%s\t%d\t%08x\t%s\t%d\n", r.startedAt.c_str(), (int)r.seconds, (unsigned)r.exitCode,
             r.kind.c_str(), r.logKept ? 1 : 0);
    text += line;
  }
  const std::string tmp = path + ".tmp";
  FILE* f = fopen(tmp.c_str(), "w");
  if (!f) return false;
  bool ok = WriteBytes(text, f) == text.size();
  ok = fclose(f) == 0 && ok;
  // A short write (a full disk) must not replace the history with part of it.
  if (!ok || !ReplaceWithRetries(tmp, path)) {
    DeleteFileA(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::string RunsFilePath() { return LogsFolder() + "\\runs.tsv"; }

std::vector<RunRecord> ReadRuns() {
  std::vector<RunRecord> runs = AllRuns(RunsFilePath());
  std::reverse(runs.begin(), runs.end());
  return runs;
}

bool RecordRun(const RunRecord& run) {
  const std::string path = RunsFilePath();
  std::vector<RunRecord> runs = AllRuns(path);
  runs.push_back(run);
  if (runs.size() > (size_t)kMaxRuns) runs.erase(runs.begin(), runs.end() - kMaxRuns);
  const bool written = WriteRunFile(path, runs);
  {
    ScopedLock lock(&g_pending_lock);
    if (path != g_pending_file) g_pending.clear();
    g_pending_file = path;
    if (written)
      g_pending.clear();
    else
      g_pending.push_back(run);
    if (g_pending.size() > (size_t)kMaxRuns) g_pending.erase(g_pending.begin());
  }
  if (!written)
    LogLine("[launcher] couldn't write %s; the run of %s (%d s, exit code %08x) goes in with the next one",
            path.c_str(), run.startedAt.c_str(), (int)run.seconds, (unsigned)run.exitCode);
  return written;
}

bool LastFailedRun(RunRecord* record) {
  std::vector<RunRecord> runs = ReadRuns();
  if (runs.empty() || runs[0].kind == "OK") return false;
  if (record) *record = runs[0];
  return true;
}

// [SECTION] Crash reports and log files

namespace {

bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Minutes since a fixed origin for "Y-M-D?h?m" text, or -1 when it doesn't scan fully.
// A true calendar count: around a leap day and at the turn of a year the minutes of a
// run and of its crash report must follow each other as they did on the clock.
int64_t MinuteStamp(const char* text) {
  static const int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  char sep1 = 0, sep2 = 0;
  if (sscanf(text, "%d-%d-%d%c%d%c%d", &year, &month, &day, &sep1, &hour, &sep2, &minute) != 7) return -1;
  if (month < 1 || month > 12) return -1;  // a name from the folder is no trusted index
  const int64_t y = (int64_t)year - 1;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400 + kDaysBeforeMonth[month - 1] + day;
  if (month > 2 && IsLeapYear(year)) ++days;
  const int64_t stamp = (days * 24 + hour) * 60 + minute;
  return stamp < 0 ? -1 : stamp;
}

}  // namespace

std::string FindCrashReport(const RunRecord& run) {
  if (run.kind != "Crashed") return std::string();
  const int64_t first = MinuteStamp(run.startedAt.c_str());
  if (first < 0) return std::string();
  const int64_t last = first + run.seconds / 60 + 2;

  const std::string folder = LogsFolder();
  std::string best;
  for (const files::FolderEntry& e : files::ListFolder(folder, "crash_*.txt")) {
    if (e.folder) continue;
    const int64_t stamp = e.name.size() > 6 ? MinuteStamp(e.name.c_str() + 6) : -1;
    if (stamp < first || stamp > last) continue;
    if (best.empty() || strcmp(e.name.c_str(), best.c_str()) > 0) best = e.name;
  }
  return best.empty() ? std::string() : folder + "\\" + best;
}

std::string LogFileForRun(int index) { return LogFileForRun(ReadRuns(), index); }

std::string LogFileForRun(const std::vector<RunRecord>& runs, int index) {
  if (index < 0 || index >= (int)runs.size()) return std::string();
  const RunRecord& run = runs[index];
  if (!run.logKept) return FindCrashReport(run);
  // Every start with logs on shifted the logs one place.
  int newer = 0;
  for (int i = 0; i < index; ++i)
    if (runs[i].logKept) ++newer;
  if (newer > 4) return std::string();
  std::string path = ErrorLogPath();
  if (newer != 0) path += "." + std::to_string(newer);
  return files::Exists(path) ? path : std::string();
}

namespace RunRecordsTesting {

void SetRoomOnDisk(long long bytes) { g_room_for_tests.store(bytes); }

}  // namespace RunRecordsTesting
