// The launcher's one application record: which screen shows, what the screens keep
// between frames, and the copies of background state they draw from. Only the GUI thread
// (or the UI-shot mode, which has no other) reads or writes it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dump/dump_search.h"
#include "dump/dump_status.h"
#include "game/build_status.h"
#include "game/run_records.h"
#include "jobs/job_status.h"

enum class ScreenId : int32_t {
  Home = 0,
  DiscChooser = 1,
  JobProgress = 2,
  Settings = 3,
};

// The Settings pages in the order of the side list, which Q and E step through. Their
// numbers are the pages' places in that order.
enum class SettingsPage : int32_t {
  GameFiles = 0,
  Display = 1,
  Graphics = 2,
  Audio = 3,
  Controls = 4,
  Language = 5,
  Builds = 6,
  Logs = 7,
  About = 8,
};
constexpr int32_t kSettingsPageCount = 9;
// Any page number brought into 0..8 the way Q and E step through them: past the last is
// the first, before the first is the last.
inline SettingsPage WrapSettingsPage(int32_t number) {
  return static_cast<SettingsPage>(((number % kSettingsPageCount) + kSettingsPageCount) % kSettingsPageCount);
}
// A page's number, 0..8: the page after it is number + 1, wrapped.
inline int32_t SettingsPageNumber(SettingsPage page) {
  return static_cast<int32_t>(WrapSettingsPage(static_cast<int32_t>(page)));
}

// A chooser entry whose verdict is not in yet: a dropped or picked path waits for the
// dump checker (dump_checks.h). Outside the kinds ClassifyDump gives.
constexpr int kDumpBeingChecked = -1;

// A focusable row of the Settings content: its top in content coordinates (0 at the top
// of the content, whatever the scroll) and its height.
struct SettingsFocusRow {
  int id = 0;
  float top = 0;
  float height = 0;
};

// The system's display sizes, monitors and audio outputs, listed once per process for the
// Display and Audio pages.
struct SettingsOptionLists {
  bool filled = false;
  bool requested = false;  // a worker is listing them
  int desktop_width = 1920, desktop_height = 1080;
  std::vector<std::string> size_values;  // "desktop", then "%dx%d"
  std::vector<std::wstring> size_labels;
  std::vector<std::wstring> monitor_labels;
  std::vector<std::string> audio_values;  // "default", then product names
  std::vector<std::wstring> audio_labels;
};

// What the Settings pages show from small files, read when a page opens and again by the
// loop after the events that change them (loaded cleared), never inside a frame.
struct SettingsPageFiles {
  bool loaded = false;
  SettingsPage page = SettingsPage::GameFiles;  // the page they were read for, once loaded
  std::string data_dir;              // InstallLayout::DataDir
  std::wstring index_line;           // the Index row's text from dump.ini
  bool index_known = false;          // dump.ini names its resource sets
  int64_t enhanced_video_size = -1;  // -1: no enhanced video
  std::string checkout_root;
  std::string logs_folder;
  std::string local_app_data;           // LOCALAPPDATA, "" when unset
  std::string settings_file;
  std::string local_dir;
};

// runs.tsv as a worker last read it, for Home's last-run row and the Logs page.
struct RunList {
  bool loaded = false;
  std::vector<RunRecord> runs;        // newest first
  std::vector<std::string> run_logs;  // LogFileForRun of each, "" when none
};

struct LauncherState {
  HWND hwnd = nullptr;  // the launcher window; null in the UI-shot mode
  // The window's loop applies the workers' results as they come. Without it (the UI-shot
  // mode, tests that draw frames themselves) every request is waited for where it is made.
  bool window_loop = false;

  ScreenId screen = ScreenId::Home;
  SettingsPage page = SettingsPage::Display;
  // The dump and build status the screens show (status_snapshot.h): the last verdict a
  // worker brought, refreshed on events, never computed by a screen.
  DumpStatus status;
  BuildStatus build;               // read with every status, and at once for a stand-in
  bool status_checking = false;    // a newer verdict is on its way
  bool status_known = false;       // status is a verdict on the configured dump, not a stand-in
  std::string status_for;          // the configured path (as set) the verdict is for
  bool check_again_toast = false;  // "Check again" waits for its verdict to say how it went
  RunList runs;                    // refreshed at start, on Logs and when a game ends
  // The job record as the loop copied it this iteration (the log's tail only while the
  // progress screen shows it): screens read this copy, never the record.
  JobStatus job;
  bool focus_default = true;
  bool screen_changed = true;

  // Disc chooser.
  std::vector<DumpCandidate> chosen;  // dropped or picked, newest first
  std::vector<DumpCandidate> shown;   // this frame's merged list
  int selected = 0;
  bool show_how_to = false;
  bool search_started = false;

  // Job progress.
  bool show_details = false;
  bool sample_job = false;
  bool finish_seen = false;
  bool offer_shortcuts = false;
  bool want_desktop_shortcut = true;
  bool want_start_menu_entry = true;

  float settings_scroll = 0;

  std::wstring toast_text;
  double toast_until = 0;
  std::wstring launch_error;
  bool report_busy = false;     // a bug report is being composed or saved on the worker
  bool video_removing = false;  // REMOVE's deletions run on the worker

  bool game_started = false;
  bool last_run_valid = false;
  bool last_run_unexpected = false;
  RunRecord last_run;
  bool was_enhancing = false;

  // Closing while a job runs asks once; a second close before this time quits.
  double close_confirm_until = -1;

  uint64_t start_tick = 0;
  // The UI-shot mode's clock: while not 0, every "now" of a frame is this tick, so a shot
  // is the same picture however long its frames take.
  uint64_t frozen_tick = 0;
  float truck_time = 0;
  float truck_left = 0;
  float truck_kx = 1;
  float topbar_bottom = 0;
  RECT topbar_buttons[3] = {};  // gear, minimise, close, in window pixels

  // The frame being drawn is the window layer's picture of what lies over the backdrop:
  // the emblem, which the animation draws itself, is left out.
  bool foreground_pass = false;
  // QueryPerformanceCounter at frame start, after the backdrop, at frame end.
  int64_t stamp_start = 0, stamp_backdrop = 0, stamp_end = 0;

  // Settings screen.
  std::vector<SettingsFocusRow> settings_rows;  // this frame's, to keep the focused one in view
  float settings_cursor = 0;                    // where the next row goes
  SettingsOptionLists settings_options;
  SettingsPageFiles settings_files;
  int64_t build_folder_size = -1;  // BuildFolderSize as the loop last read it for Builds
  // The game data folder moving on its worker (data_folder_move.h).
  bool data_move_running = false;
  std::string data_move_target;
  double data_move_started = 0;
  int data_move_shown_second = -1;   // the elapsed second the row last showed
  bool close_after_data_move = false;  // the player closed the window during the move

  // Disc chooser: last frame's row count and CONTINUE's focus id, so focus stays on its
  // control when rows appear (the search finishing, a drop) and the ids after them move.
  int chooser_rows = 0;
  int chooser_continue_id = -1;
};

LauncherState& Launcher();

// The configured dump was found and its main.dol is the retail one: what Home, the chooser
// and the Builds page mean by a verified disc.
inline bool DiscVerified(const DumpStatus& s) { return s.configured && s.judgement.recognised && s.judgement.verified; }

// Shows text for 3.5 s; a new toast replaces the old one and starts its time again.
void ShowToast(const std::wstring& text);

// GetTickCount64, or the frozen tick of a UI shot.
uint64_t TickNow();
// Seconds since start_tick, read afresh.
double NowSeconds();
// TickNow in seconds: the clock of job steps' start and end times.
double JobClockNow();
