// The launcher's one application record: which screen shows, what the screens keep
// between frames, and the copies of background state they draw from. Only the GUI thread
// (or the UI-shot mode, which has no other) reads or writes it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dump/dump_records.h"
#include "dump/dump_search.h"
#include "game/run_records.h"

enum class ScreenId : int32_t {
  Home = 0,
  DiscChooser = 1,
  JobProgress = 2,
  Settings = 3,
};

// 0..8: Game files, Display, Graphics, Audio, Controls, Language, Builds, Logs, About.
using SettingsPage = int32_t;
constexpr int32_t kSettingsPageCount = 9;

// A chooser entry whose verdict is not in yet: a dropped or picked path waits for the
// dump checker (dump_checks.h). Outside the kinds ClassifyDump gives.
constexpr int kDumpBeingChecked = -1;

struct LauncherState {
  HWND hwnd = nullptr;  // the launcher window; null in the UI-shot mode
  // Disc images are judged by the dump checker (the window); else on the calling thread.
  bool judge_in_background = false;

  ScreenId screen = ScreenId::Home;
  SettingsPage page = 1;
  DumpStatus status;            // refreshed by RefreshDumpStatus, never computed by a screen
  bool status_checking = false; // the configured disc image is being read again
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

  bool game_started = false;
  bool last_run_valid = false;
  bool last_run_unexpected = false;
  RunRecord last_run;
  bool was_enhancing = false;

  // Closing while a job runs asks once; a second close before this time quits.
  double close_confirm_until = -1;

  uint64_t start_tick = 0;
  float truck_time = 0;
  float truck_left = 0;
  float truck_kx = 1;
  float topbar_bottom = 0;
  RECT topbar_buttons[3] = {};  // gear, minimise, close, in window pixels

  // QueryPerformanceCounter at frame start, after the backdrop, at frame end.
  int64_t stamp_start = 0, stamp_backdrop = 0, stamp_end = 0;

  // Disc chooser: last frame's row count and CONTINUE's focus id, so focus stays on its
  // control when rows appear (the search finishing, a drop) and the ids after them move.
  int chooser_rows = 0;
  int chooser_continue_id = -1;
};

LauncherState& Launcher();

// Seconds since start_tick, read afresh.
double NowSeconds();
