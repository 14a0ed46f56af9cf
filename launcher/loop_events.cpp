#include "launcher/loop_events.h"

#include "dump/dump_search.h"
#include "jobs/build_folder_size.h"
#include "jobs/job_status.h"
#include "jobs/shortcuts.h"
#include "launcher/data_folder_move.h"
#include "launcher/job_progress_screen.h"
#include "launcher/launcher_state.h"
#include "launcher/offload.h"
#include "launcher/settings_pages.h"
#include "launcher/status_snapshot.h"

namespace {

// Whether two copies of the job record would draw differently.
bool SameJob(const JobStatus& a, const JobStatus& b) {
  if (a.running != b.running || a.finished != b.finished || a.failed != b.failed || a.cancelled != b.cancelled ||
      a.kind != b.kind || a.paused != b.paused || a.title != b.title || a.subtitle != b.subtitle ||
      a.log != b.log || a.steps.size() != b.steps.size())
    return false;
  for (size_t i = 0; i < a.steps.size(); ++i) {
    const SetupStep &x = a.steps[i], &y = b.steps[i];
    if (x.state != y.state || x.detail != y.detail || x.progress != y.progress || x.startTime != y.startTime ||
        x.endTime != y.endTime || x.title != y.title)
      return false;
  }
  return true;
}

// The job's end, once: the dump status is read again (the job may have indexed or
// built), a finished first setup offers the shortcuts, and the progress screen moves its
// focus to its new default.
void ApplyJobEnd(const JobStatus& job) {
  LauncherState& st = Launcher();
  const JobView v = ViewOfJob(job);
  if (v.phase == JobPhase::kRunning) {
    st.finish_seen = false;  // whoever started it, its end is still to come
    return;
  }
  if (st.finish_seen || v.phase == JobPhase::kIdle) return;
  st.finish_seen = true;
  RefreshDumpStatus();
  st.settings_files.loaded = false;  // the index and the enhanced video may have changed
  st.offer_shortcuts = false;
  if (v.phase == JobPhase::kSucceeded && job.kind == kJobSetup && !v.rebuild) {
    st.want_desktop_shortcut = !ShortcutExists(kShortcutDesktop);
    st.want_start_menu_entry = !ShortcutExists(kShortcutStartMenu);
    st.offer_shortcuts = st.want_desktop_shortcut || st.want_start_menu_entry;
  }
  if (st.screen == ScreenId::JobProgress) st.screen_changed = true;
}

// Home tells once that the enhancement it watched running has finished well.
void ApplyEnhancementNotice(const JobStatus& job) {
  LauncherState& st = Launcher();
  if (st.screen != ScreenId::Home) return;
  const bool enhancing = job.kind == kJobEnhance && job.running;
  if (st.was_enhancing && job.kind == kJobEnhance && !job.running && job.finished && !job.failed && !job.cancelled)
    ShowToast(L"Your enhanced intro video is ready. It plays from the next game start.");
  st.was_enhancing = enhancing;
}

}  // namespace

bool ApplyLoopEvents() {
  LauncherState& st = Launcher();
  bool changed = false;

  JobStatus job = CopyJobForScreens();
  if (!SameJob(job, st.job)) changed = true;
  const bool was_finish_seen = st.finish_seen;
  ApplyJobEnd(job);
  ApplyEnhancementNotice(job);
  if (st.finish_seen != was_finish_seen) changed = true;
  st.job = std::move(job);

  changed = ApplyFinishedDumpChecks() || changed;
  changed = ApplyFinishedDataFolderMove() || changed;
  changed = Offload::ApplyFinished() || changed;

  // Entered without the navigation operations (a test, the UI-shot mode): load now.
  if (st.screen == ScreenId::Settings && (!st.settings_files.loaded || st.settings_files.page != st.page)) {
    LoadSettingsPageFiles(st.page);
    changed = true;
  }
  if (st.screen == ScreenId::Settings && st.page == SettingsPage::Builds) {
    const int64_t size = BuildFolderSize();
    if (size != st.build_folder_size) {
      st.build_folder_size = size;
      changed = true;
    }
  }
  if (st.screen == ScreenId::DiscChooser && !st.search_started) {
    DumpSearch::Start(ConfiguredDump());
    st.search_started = true;
    changed = true;
  }
  return changed;
}

void NoteGameEnded() {
  LauncherState& st = Launcher();
  st.game_started = false;
  st.last_run_valid = false;
  st.settings_files.loaded = false;  // the Logs page's folder, the Graphics page's video
  RefreshRuns();
}
