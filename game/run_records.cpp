#include "game/run_records.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/named_lock.h"
#include "platform/scoped_lock.h"
#include "settings/install_layout.h"
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

// Runs that neither runs.tsv nor the pending file took (the logs folder refused every
// write), oldest first, with the run file's path. They are shown as if recorded and go
// into this process's next rewrite. g_memory_lock guards both.
StaticLock g_memory_lock;
std::string g_memory_file;
std::vector<RunRecord> g_memory;

// Something holding runs.tsv open without delete sharing (an indexer, a virus scanner)
// blocks its replacement only for a moment, mostly.
const DWORD kMoveRetryMs = 3000;
const DWORD kMoveRetryStepMs = 100;
// Another launcher holds the run file's lock for one rewrite: its retries and a few reads
// and writes of small files. Far longer means it hangs; the run then waits in the
// pending file.
const DWORD kRunFileLockWaitMs = 30000;

bool ReplaceWithRetries(const std::string& from, const std::string& to) {
  const DWORD start = GetTickCount();
  for (bool told = false; !MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING); told = true) {
    // Once per rewrite, so a log that ends in a lost run shows what held the file up.
    if (!told)
      LogLine("[launcher] %s is in use (Windows error %lu); trying again for %lu s", to.c_str(),
              (unsigned long)GetLastError(), (unsigned long)(kMoveRetryMs / 1000));
    if (GetTickCount() - start >= kMoveRetryMs) return false;
    Sleep(kMoveRetryStepMs);
  }
  return true;
}

std::vector<RunRecord> MemoryRunsFor(const std::string& path) {
  ScopedLock lock(&g_memory_lock);
  return path == g_memory_file ? g_memory : std::vector<RunRecord>();
}

std::string RunLine(const RunRecord& r) {
  char line[200];  // both texts were read back with at most 63 characters
  snprintf(line, sizeof line, "%s\t%d\t%08x\t%s\t%d\n", r.startedAt.c_str(), (int)r.seconds, (unsigned)r.exitCode,
           r.kind.c_str(), r.logKept ? 1 : 0);
  return line;
}

bool SameRun(const RunRecord& a, const RunRecord& b) {
  return a.startedAt == b.startedAt && a.seconds == b.seconds && a.exitCode == b.exitCode && a.kind == b.kind &&
         a.logKept == b.logKept;
}

// The records of run-file text, oldest first; damaged lines are skipped.
std::vector<RunRecord> ParseRuns(const std::string& text) {
  std::vector<RunRecord> runs;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    // Without the terminator a line of four columns would scan its kind as "OK\r".
    while (!line.empty() && line.back() == '\r') line.pop_back();
    // No record is this long: a line that doesn't fit the reader's buffer is damaged, all of it.
    if (line.size() + 1 > 511) continue;
    char startedAt[64] = "", kind[64] = "";
    int seconds = 0, logKept = 0;
    unsigned exitCode = 0;
    if (sscanf(line.c_str(), "%63[^\t]\t%d\t%x\t%63[^\t]\t%d", startedAt, &seconds, &exitCode, kind, &logKept) < 4)
      continue;
    RunRecord run;
    run.startedAt = startedAt;
    run.seconds = seconds;
    run.exitCode = exitCode;
    run.kind = kind;
    run.logKept = logKept != 0;
    runs.push_back(run);
  }
  return runs;
}

// The file's records, oldest first, as they are on disk.
std::vector<RunRecord> ReadRunFile(const std::string& path) {
  std::string text;
  // Delete sharing: reading must never stop the monitor from replacing the file.
  if (!files::ReadAll(path, &text)) return {};
  return ParseRuns(text);
}

// The file's records, the runs waiting to go in, oldest first, the last ten.
std::vector<RunRecord> AllRuns(const std::string& path) {
  std::vector<RunRecord> runs = ReadRunFile(path);
  for (const std::vector<RunRecord>& waiting : {ReadRunFile(PendingRunsFilePath()), MemoryRunsFor(path)})
    runs.insert(runs.end(), waiting.begin(), waiting.end());
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
  for (const RunRecord& r : runs) text += RunLine(r);
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

// The pending file, opened to be folded in: no other program may write or delete it
// until it is removed or closed, so the runs read from it are exactly the runs removed.
class PendingRuns {
 public:
  explicit PendingRuns(const std::string& path) {
    handle_ = CreateFileA(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) return;
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(handle_, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
    runs_ = ParseRuns(text);
  }
  ~PendingRuns() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  PendingRuns(const PendingRuns&) = delete;
  PendingRuns& operator=(const PendingRuns&) = delete;

  const std::vector<RunRecord>& runs() const { return runs_; }
  // Its runs are in runs.tsv now: the file goes, through the handle that read it.
  bool Remove() {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    FILE_DISPOSITION_INFO dispose = {TRUE};
    return SetFileInformationByHandle(handle_, FileDispositionInfo, &dispose, sizeof dispose) != FALSE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::vector<RunRecord> runs_;
};

// Appends the runs this process holds in memory and then `run` to the pending file, and
// flushes it to the disk, so that they outlive this process; false when the file can't
// take them (they then stay in memory, `run` too).
bool AppendPending(const std::string& path, const RunRecord& run) {
  std::vector<RunRecord> waiting;
  {
    ScopedLock lock(&g_memory_lock);
    if (path != g_memory_file) g_memory.clear();
    g_memory_file = path;
    g_memory.push_back(run);
    if (g_memory.size() > (size_t)kMaxRuns) g_memory.erase(g_memory.begin());
    waiting = g_memory;
  }
  // Written outside the lock: the window reads these runs and never waits for a disk.
  HANDLE f = CreateFileA(PendingRunsFilePath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::string lines;
  for (const RunRecord& r : waiting) lines += RunLine(r);
  DWORD written = 0;
  const bool ok = WriteFile(f, lines.data(), (DWORD)lines.size(), &written, nullptr) && written == lines.size() &&
                  FlushFileBuffers(f);
  CloseHandle(f);
  if (ok) {
    // Only game monitors record, one at a time: nothing joined the list meanwhile.
    ScopedLock lock(&g_memory_lock);
    g_memory.clear();
  }
  return ok;
}

// Under the run file's lock: the file's runs, those waiting and this one, rewritten; true
// once the run reads back as the file's newest line.
bool RewriteWith(const std::string& path, const RunRecord& run) {
  PendingRuns pending(PendingRunsFilePath());
  std::vector<RunRecord> runs = ReadRunFile(path);
  runs.insert(runs.end(), pending.runs().begin(), pending.runs().end());
  const std::vector<RunRecord> memory = MemoryRunsFor(path);
  runs.insert(runs.end(), memory.begin(), memory.end());
  runs.push_back(run);
  if (runs.size() > (size_t)kMaxRuns) runs.erase(runs.begin(), runs.end() - kMaxRuns);
  if (!WriteRunFile(path, runs)) return false;
  // Recorded means it is there: a program that rewrote the file meanwhile without the
  // lock (an older launcher) may have put its own runs in its place. A file that can't be
  // read back just now was still replaced by this move.
  std::string text;
  if (files::ReadAll(path, &text)) {
    const std::vector<RunRecord> written = ParseRuns(text);
    if (written.empty() || !SameRun(written.back(), run)) return false;
  }
  // Left behind, the waiting runs would go in a second time with the next run.
  if (!pending.Remove()) {
    const DWORD error = GetLastError();
    LogLine("[launcher] couldn't remove %s (Windows error %lu); its runs may show twice in %s",
            PendingRunsFilePath().c_str(), error, path.c_str());
  }
  ScopedLock lock(&g_memory_lock);
  if (path == g_memory_file) g_memory.clear();
  return true;
}

}  // namespace

std::string RunsFilePath() { return LogsFolder() + "\\runs.tsv"; }
std::string PendingRunsFilePath() { return LogsFolder() + "\\runs-pending.tsv"; }

std::vector<RunRecord> ReadRuns() {
  std::vector<RunRecord> runs = AllRuns(RunsFilePath());
  std::reverse(runs.begin(), runs.end());
  return runs;
}

bool RecordRun(const RunRecord& run, RunRecorded* how) {
  const std::string path = RunsFilePath();
  RunRecorded where = RunRecorded::kInMemory;
  {
    // Two launchers whose games end together must not both rewrite from the same old file.
    ScopedNamedLock file_lock(named_lock::NameFor("KestraneRuns", InstallLayout::FullPath(path)), kRunFileLockWaitMs);
    if (file_lock.held() && RewriteWith(path, run))
      where = RunRecorded::kInRunsFile;
    else if (AppendPending(path, run))
      where = RunRecorded::kPending;
  }
  if (how) *how = where;
  if (where == RunRecorded::kPending)
    LogLine("[launcher] couldn't write %s; the run of %s (%d s, exit code %08x) goes in with the next one",
            path.c_str(), run.startedAt.c_str(), (int)run.seconds, (unsigned)run.exitCode);
  else if (where == RunRecorded::kInMemory)
    LogLine("[launcher] couldn't write %s or %s; the run of %s (%d s, exit code %08x) is lost when Kestrane closes",
            path.c_str(), PendingRunsFilePath().c_str(), run.startedAt.c_str(), (int)run.seconds,
            (unsigned)run.exitCode);
  return where == RunRecorded::kInRunsFile;
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
