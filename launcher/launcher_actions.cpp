#include "launcher/launcher_actions.h"

#include <windows.h>

#include <atomic>
#include <memory>

#include "dump/dump_search.h"
#include "game/bug_report.h"
#include "game/game_supervisor.h"
#include "jobs/job_status.h"
#include "jobs/setup_job.h"
#include "launcher/data_folder_move.h"
#include "launcher/dump_checks.h"
#include "launcher/offload.h"
#include "launcher/settings_pages.h"
#include "platform/clipboard.h"
#include "platform/shell_open.h"
#include "platform/text.h"

void GoToScreen(ScreenId s) {
  LauncherState& st = Launcher();
  st.screen = s;
  st.screen_changed = true;
  st.settings_scroll = 0;
  if (s == ScreenId::Home) RefreshDumpStatus();
  if (s == ScreenId::DiscChooser && !st.search_started) {
    DumpSearch::Start(ConfiguredDump());  // once per process: its rows show as it finds them
    st.search_started = true;
  }
}

void GoToSettingsPage(SettingsPage page) {
  LauncherState& st = Launcher();
  st.screen = ScreenId::Settings;
  st.page = WrapSettingsPage(SettingsPageNumber(page));
  st.screen_changed = true;
  st.settings_scroll = 0;
  LoadSettingsPageFiles(st.page);  // before the page's first frame, never inside one
}

bool RefuseWhileGameRuns() {
  if (!IsGameRunning()) return false;
  ShowToast(L"Quit the game first: this changes the files it runs from.");
  return true;
}

bool StartSetup(bool rebuild) {
  if (RefuseWhileDataFolderMoves()) return false;
  // A build relinks the very files the running game was started from.
  if (RefuseWhileGameRuns()) return false;
  LauncherState& st = Launcher();
  st.screen_changed = true;
  st.settings_scroll = 0;
  if (st.status.judgement.path.empty()) {
    GoToScreen(ScreenId::DiscChooser);
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
  if (!StartSetupJob(st.status.judgement.path, rebuild, KeepDump)) {
    ShowToast(L"Another job started just now. Try again when it's done.");
    return false;
  }
  NoteJobStarted();
  st.screen = ScreenId::JobProgress;
  return true;
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

namespace {

// Read on the worker, set by a test before the window opens.
std::atomic<void (*)(const std::string&)> g_opener{nullptr};

void Open(const std::string& path) {
  void (*open)(const std::string&) = g_opener;
  (open ? open : OpenInShell)(path);
}

}  // namespace

void LauncherActionsTesting::SetOpener(void (*open)(const std::string& path)) { g_opener = open; }

void OpenForPlayer(const std::string& path) {
  Offload::Post([path] { Open(path); });
}

void CopyReport() {
  LauncherState& st = Launcher();
  if (st.report_busy) return;  // one at a time; the first one's toast follows
  st.report_busy = true;
  const DumpStatus status = st.status;
  const BuildStatus build = st.build;
  auto text = std::make_shared<std::string>();
  Offload::Post([status, build, text] { *text = ComposeReport(status, build); },
                [text] {
                  LauncherState& now = Launcher();
                  now.report_busy = false;
                  if (CopyToClipboard(now.hwnd, *text)) ShowToast(L"Report copied. Paste it wherever you send it.");
                });
  SettleWhenWindowless();
}

void SaveReport() {
  LauncherState& st = Launcher();
  if (st.report_busy) return;
  st.report_busy = true;
  const DumpStatus status = st.status;
  const BuildStatus build = st.build;
  auto folder = std::make_shared<std::string>();
  Offload::Post(
      [status, build, folder] {
        *folder = WriteReportFolder(status, build);
        if (!folder->empty()) Open(*folder);
      },
      [folder] {
        Launcher().report_busy = false;
        ShowToast(folder->empty()
                      ? L"Couldn't write the report folder."
                      : L"Report saved. Nothing was sent; attach the folder wherever you report the problem.");
      });
  SettleWhenWindowless();
}

void ChooseDumpPath(const std::string& path) {
  if (path.empty()) return;
  if (RefuseWhileDataFolderMoves()) return;  // a disc image would be extracted into it
  DumpCandidate waiting;
  waiting.path = path;
  waiting.kind = kDumpBeingChecked;
  PutFirstInChooser(waiting);
  DumpChecks::QueueChoice(path);
}

