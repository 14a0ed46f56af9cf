#include "launcher/status_snapshot.h"

#include <memory>

#include "dump/dump_judgement.h"
#include "game/run_records.h"
#include "launcher/dump_checks.h"
#include "launcher/offload.h"
#include "platform/text.h"
#include "settings/settings_store.h"

namespace {

// The newest log lines the progress screen can show at once, with room to spare.
constexpr size_t kShownLogLines = 64;

// How long a windowless caller waits for a verdict: a disc image's extraction included.
constexpr unsigned kWindowlessWaitMs = 10 * 60 * 1000;

// The ticket of the newest status request and the configured path it was made for; an
// older answer that arrives later is stale.
uint64_t g_status_ticket = 0;
std::string g_status_for;
// The newest run-list request; an older list that arrives later is dropped.
uint64_t g_runs_serial = 0;

}  // namespace

void SettleWhenWindowless() {
  if (!Launcher().window_loop) SettleSnapshot(kWindowlessWaitMs);
}

std::string ConfiguredDump() { return ConfiguredDumpPath(SettingsStore::Get("launcher.dump_path")); }

void KeepDump(const std::string& path) { SettingsStore::Set("launcher.dump_path", path.c_str()); }

void RefreshDumpStatus() { RefreshDumpStatus(ConfiguredDump()); }

void RefreshDumpStatus(const std::string& configured) {
  LauncherState& st = Launcher();
  // A disc image's status may extract it into the folder being moved; the move's end
  // refreshes the status anyway. The flag is read here rather than through the move's
  // file, which itself refreshes the status when a move ends.
  if (st.data_move_running) return;
  g_status_ticket = DumpChecks::QueueStatus(configured);
  g_status_for = configured;
  st.status_checking = true;
  if (!st.status_known || !text::EqualsNoCase(st.status_for, configured)) {
    // Another dump than the verdict was for: until its own verdict comes, Home knows only
    // that it is the configured one, and the build, which doesn't depend on the dump.
    DumpStatus standin;
    standin.configured = !configured.empty();
    standin.judgement.path = configured;
    st.status = standin;
    st.build = ReadBuildStatus();
    st.status_known = false;
    st.status_for = configured;
  }
  SettleWhenWindowless();
}

std::wstring ChoiceToast(const DumpCandidate& c) {
  if (c.kind == kDumpNotSupported) return L"That disc isn't supported. See why under its name.";
  if (c.kind == kDumpIncomplete) {
    return IsDiscImage(c.path) ? L"That disc image couldn't be used. See why under its name."
                               : L"That folder isn't a complete disc dump.";
  }
  return std::wstring();
}

bool JobRunning(int* kind) {
  const JobStatus job = SnapshotJob(0);  // the record as it is now, not this frame's copy
  if (kind) *kind = job.kind;
  return job.running;
}

JobStatus CopyJobForScreens() {
  const LauncherState& st = Launcher();
  const bool log_shown = st.screen == ScreenId::JobProgress && st.show_details;
  return SnapshotJob(log_shown ? kShownLogLines : 0);
}

void NoteJobStarted() { Launcher().job = CopyJobForScreens(); }

void CheckDumpAgain() {
  Launcher().check_again_toast = true;
  RefreshDumpStatus();
}

void RefreshRuns() {
  auto fresh = std::make_shared<RunList>();
  const uint64_t serial = ++g_runs_serial;
  Offload::Post(
      [fresh] {
        fresh->runs = ReadRuns();
        for (size_t i = 0; i < fresh->runs.size(); ++i)
          fresh->run_logs.push_back(LogFileForRun(fresh->runs, static_cast<int>(i)));
        fresh->loaded = true;
      },
      [fresh, serial] {
        if (serial != g_runs_serial) return;
        LauncherState& st = Launcher();
        st.runs = std::move(*fresh);
        // The newest run, when it didn't end well, is Home's last-run row.
        st.last_run_unexpected = !st.runs.runs.empty() && st.runs.runs.front().kind != "OK";
        st.last_run = st.last_run_unexpected ? st.runs.runs.front() : RunRecord();
        st.last_run_valid = true;
      });
  SettleWhenWindowless();
}

bool ApplyFinishedDumpChecks() {
  std::vector<DumpChecks::Result> done = DumpChecks::TakeFinished();
  if (done.empty()) return false;
  LauncherState& st = Launcher();
  for (DumpChecks::Result& r : done) {
    if (r.is_status) {
      if (r.ticket != g_status_ticket) continue;
      st.status = std::move(r.status);
      st.build = std::move(r.build);
      st.status_for = g_status_for;
      st.status_known = true;
      st.status_checking = false;
      st.settings_files.loaded = false;  // the Game files page shows the dump's index too
      if (st.check_again_toast) {
        st.check_again_toast = false;
        ShowToast(st.status.judgement.verified ? L"Your disc checks out." : L"Your disc didn't check out. See Status.");
      }
      continue;
    }
    // The verdict replaces the row that waited for it, wherever the player has moved the
    // selection meanwhile; a path picked again since then waits for its newer verdict.
    for (DumpCandidate& c : st.chosen) {
      if (c.kind == kDumpBeingChecked && text::EqualsNoCase(c.path, r.path)) {
        c = r.candidate;
        const std::wstring toast = ChoiceToast(c);
        if (!toast.empty()) ShowToast(toast);
        break;
      }
    }
  }
  return true;
}

void SettleSnapshot(unsigned timeout_ms) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  auto left = [until]() -> unsigned {
    const ULONGLONG now = GetTickCount64();
    return now < until ? static_cast<unsigned>(until - now) : 0;
  };
  DumpChecks::WaitUntilIdle(left());
  Offload::WaitUntilIdle(left());
  ApplyFinishedDumpChecks();
  Offload::ApplyFinished();
}
