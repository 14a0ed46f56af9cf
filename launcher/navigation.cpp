#include "launcher/navigation.h"

#include <windows.h>

#include "dump/dump_judgement.h"
#include "jobs/job_status.h"
#include "jobs/setup_job.h"
#include "launcher/data_folder_move.h"
#include "launcher/dump_checks.h"
#include "platform/text.h"
#include "settings/settings_store.h"

namespace {

// The ticket of the newest status request; an older answer that arrives later is stale.
uint64_t g_status_ticket = 0;

}  // namespace

LauncherState& Launcher() {
  static LauncherState state;
  return state;
}

double NowSeconds() { return static_cast<double>(GetTickCount64() - Launcher().start_tick) / 1000.0; }

void GoToScreen(ScreenId s) {
  LauncherState& st = Launcher();
  st.screen = s;
  st.screen_changed = true;
  st.settings_scroll = 0;
  if (s == ScreenId::Home) RefreshDumpStatus();
}

void GoToSettingsPage(SettingsPage page) {
  LauncherState& st = Launcher();
  st.screen = ScreenId::Settings;
  st.page = ((page % kSettingsPageCount) + kSettingsPageCount) % kSettingsPageCount;
  st.screen_changed = true;
  st.settings_scroll = 0;
}

void RefreshDumpStatus() {
  LauncherState& st = Launcher();
  // A disc image's status may extract it into the folder being moved; the move's end
  // refreshes the status anyway.
  if (DataFolderMoving()) return;
  // Only a disc image can need an extraction; a folder is read in milliseconds, and
  // without a window (the UI-shot mode, tests) there is nothing to keep answering.
  const std::string configured = SettingsStore::Get("launcher.dump_path");
  if (st.judge_in_background && IsDiscImage(configured)) {
    g_status_ticket = DumpChecks::QueueStatus();
    st.status_checking = true;
    if (!text::EqualsNoCase(st.status.judgement.path, configured)) {
      // Until the verdict is in, Home knows only that this image is the configured dump.
      st.status = DumpStatus();
      st.status.configured = true;
      st.status.judgement.path = configured;
    }
    return;
  }
  g_status_ticket = 0;  // whatever the checker still brings back is older than this
  st.status = ReadDumpStatus();
  st.status_checking = false;
}

bool JobRunning(int* kind) {
  const JobStatus job = SnapshotJob();
  if (kind) *kind = job.kind;
  return job.running;
}

bool StartSetup(bool rebuild) {
  if (RefuseWhileDataFolderMoves()) return false;
  LauncherState& st = Launcher();
  st.screen_changed = true;
  st.settings_scroll = 0;
  if (st.status.judgement.path.empty()) {
    st.screen = ScreenId::DiscChooser;
    return false;
  }
  int kind = kJobSetup;
  if (JobRunning(&kind)) {
    if (kind == kJobSetup) {
      st.screen = ScreenId::JobProgress;  // the setup already under way
    } else {
      ShowToast(L"The intro video is being enhanced. Cancel it under Details to build now.");
    }
    return false;
  }
  st.sample_job = false;
  st.finish_seen = false;
  if (!StartSetupJob(st.status.judgement.path, rebuild)) {
    ShowToast(L"Another job started just now. Try again when it's done.");
    return false;
  }
  st.screen = ScreenId::JobProgress;
  return true;
}

void ShowToast(const std::wstring& text) {
  LauncherState& st = Launcher();
  st.toast_text = text;
  st.toast_until = NowSeconds() + 3.5;
}

std::wstring ChoiceToast(const DumpCandidate& c) {
  if (c.kind == kDumpNotSupported) return L"That disc isn't supported. See why under its name.";
  if (c.kind == kDumpIncomplete) {
    return IsDiscImage(c.path) ? L"That disc image couldn't be used. See why under its name."
                               : L"That folder isn't a complete disc dump.";
  }
  return std::wstring();
}

namespace {

void PutFirstInChooser(const DumpCandidate& candidate) {
  LauncherState& st = Launcher();
  auto& list = st.chosen;
  for (size_t i = 0; i < list.size();) {
    if (text::EqualsNoCase(list[i].path, candidate.path))
      list.erase(list.begin() + static_cast<ptrdiff_t>(i));
    else
      ++i;
  }
  list.insert(list.begin(), candidate);
  st.selected = 0;
}

}  // namespace

void ChooseDumpPath(const std::string& path) {
  if (path.empty()) return;
  if (RefuseWhileDataFolderMoves()) return;  // a disc image would be extracted into it
  DumpCandidate waiting;
  waiting.path = path;
  waiting.kind = kDumpBeingChecked;
  waiting.label = L"Checking this disc…";
  PutFirstInChooser(waiting);
  DumpChecks::QueueChoice(path);
}

bool ApplyFinishedDumpChecks() {
  std::vector<DumpChecks::Result> done = DumpChecks::TakeFinished();
  if (done.empty()) return false;
  LauncherState& st = Launcher();
  for (DumpChecks::Result& r : done) {
    if (r.is_status) {
      if (r.ticket != g_status_ticket) continue;
      st.status = std::move(r.status);
      st.status_checking = false;
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
