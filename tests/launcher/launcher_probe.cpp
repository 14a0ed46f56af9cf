// The launcher's screens in a process that also runs the background jobs, copied into an
// install folder next to the stand-in tools the way the launcher is installed.
//
//   launcher_probe shots OUT_DIR STATE SCREEN [SETUP...]
// runs SETUP in process, then renders SCREEN at every picture size into
// OUT_DIR\<w>x<h>\STATE.bmp with the real UI-shot code. "steady" instead of "shots" also
// draws each shot's frame once more and fails (exit 4) when that frame differs. SCREEN is a --ui-shot name, or
// "progress" or "chooser" for those screens as the set-up left them. SETUP words:
//   enhance-running      the intro-video enhancement, while it upscales
//   setup, rebuild       the setup job on launcher.dump_path (rebuild: with the flag), to its end
//   setup-building       the setup job, while it builds (the build script must spin)
//   cancel               cancels the running job and waits for its end
//   show-details         the log instead of the step details
//   choose=PATH          picks PATH in the chooser and waits for its verdict
//   choose-pending=PATH  picks PATH and leaves its verdict to come
//   how-to               the chooser's how-to panel
//   scroll=N             the Settings content scrolled N units down
//   moving-data=PATH     the Game files page while the data folder moves to PATH (12 s in)
//   unsettled            verdicts aren't waited for, as in the window: a disc image that
//                        dtk holds shows as being checked
//   toast=TEXT           a toast with that text
//
//   launcher_probe firstrun | firstrun-retry
// opens the real window with no dump configured and plays a new player's first start with
// the keyboard alone: Enter on the dump the search found, the setup to its end, then PLAY
// until the game has ended and the window is back (firstrun), or TRY AGAIN and the second
// end (firstrun-retry). Prints what each screen showed.
//
//   launcher_probe drop-image IMAGE GATE
// opens the real window, drops IMAGE on it and counts the frames it draws while the image
// is judged, then creates the file GATE (which the stand-in dtk waits for, through
// STANDIN_DTK_WAIT_FOR) and waits for the verdict. Prints the chooser's first row each time.
//
//   launcher_probe watchdog CASE [ARG]
// opens the real window and sends it a message every 50 ms from a thread of its own while
// the case's slow work runs, then prints the longest wait for an answer (watchdog.h).
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dump/dump_search.h"
#include "game/game_supervisor.h"
#include "jobs/enhance_job.h"
#include "jobs/job_status.h"
#include "jobs/setup_job.h"
#include "launcher/dump_checks.h"
#include "launcher/home_screen.h"
#include "launcher/job_progress_screen.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/ui_shot.h"
#include "platform/text.h"
#include "settings/settings_store.h"
#include "tests/launcher/pictures.h"
#include "tests/launcher/watchdog.h"
#include "tests/launcher/window_harness.h"
#include "ui/context.h"

namespace {

constexpr DWORD kJobLimitMs = 120000;

// Waits until the job's step is active; false when the job ended first.
bool WaitForStep(size_t step) {
  bool ended = false;
  const bool active = launchertest::Poll(
      [&] {
        const JobStatus job = SnapshotJob();
        ended = !job.running;
        return ended || (job.steps.size() > step && job.steps[step].state == StepState::kActive);
      },
      kJobLimitMs);
  return active && !ended;
}


bool StartsWith(const char* word, const char* prefix, std::string* rest) {
  const size_t n = strlen(prefix);
  if (strncmp(word, prefix, n) != 0) return false;
  *rest = word + n;
  return true;
}

bool RunSetup(const char* word) {
  LauncherState& st = Launcher();
  const std::string dump = SettingsStore::Get("launcher.dump_path");
  std::string path;
  if (strcmp(word, "enhance-running") == 0) return StartEnhanceJob() && WaitForStep(2);
  if (strcmp(word, "enhance") == 0) return StartEnhanceJob() && WaitForJobEnd(kJobLimitMs);
  if (strcmp(word, "setup") == 0) return StartSetupJob(dump, false) && WaitForJobEnd(kJobLimitMs);
  if (strcmp(word, "rebuild") == 0) return StartSetupJob(dump, true) && WaitForJobEnd(kJobLimitMs);
  if (strcmp(word, "setup-building") == 0) return StartSetupJob(dump, false) && WaitForStep(5);
  if (strcmp(word, "cancel") == 0) {
    CancelJob();
    return WaitForJobEnd(kJobLimitMs);
  }
  if (strcmp(word, "show-details") == 0) {
    st.show_details = true;
    return true;
  }
  if (strcmp(word, "how-to") == 0) {
    st.show_how_to = true;
    return true;
  }
  if (StartsWith(word, "scroll=", &path)) {
    st.settings_scroll = static_cast<float>(atof(path.c_str()));
    return true;
  }
  if (StartsWith(word, "moving-data=", &path)) {
    // Only how the page looks meanwhile: the shot restarts the clock, so 12 s ago is -12.
    // The status is read first; during a move the shot's own read waits for the move.
    RefreshDumpStatus();
    st.data_move_running = true;
    st.data_move_target = path;
    st.data_move_started = -12;
    return true;
  }
  if (strcmp(word, "unsettled") == 0) {
    st.window_loop = true;
    return true;
  }
  if (StartsWith(word, "toast=", &path)) {
    ShowToast(text::Utf8ToWide(path));
    return true;
  }
  if (StartsWith(word, "choose=", &path)) {
    ChooseDumpPath(path);
    const bool judged = DumpChecks::WaitUntilIdle(kJobLimitMs);
    ApplyFinishedDumpChecks();
    return judged;
  }
  if (StartsWith(word, "choose-pending=", &path)) {
    ChooseDumpPath(path);
    return true;
  }
  fprintf(stderr, "unknown set-up %s\n", word);
  return false;
}

// With `steady`, each shot's frame is drawn once more and compared: a screen that changes
// its own picture without input or time is reported (exit 4) with where it changed.
int Shots(int argc, char** argv, bool steady) {
  for (int i = 5; i < argc; ++i)
    if (!RunSetup(argv[i])) return 3;
  const std::string screen = argv[4];
  LauncherState& st = Launcher();
  const bool own_screen = screen == "progress" || screen == "chooser";
  if (own_screen) st.screen = screen == "progress" ? ScreenId::JobProgress : ScreenId::DiscChooser;
  UiShotTesting::SteadyCheck check;
  if (steady) UiShotTesting::SetSteadyCheck(&check);
  int failed = 0;
  for (const pictures::Size& size : pictures::Sizes()) {
    const std::string folder = std::string(argv[2]) + "\\" + pictures::SizeName(size);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string out = folder + "\\" + argv[3] + ".bmp";
    const int result = own_screen ? RenderCurrentScreenShot(out, size.width, size.height)
                                  : RenderUiShot(screen, out, size.width, size.height);
    if (result != 0) failed = 1;
    if (!steady) continue;
    const RECT& b = check.box;
    if (check.changed_pixels != 0) {
      printf("UNSTEADY %s at %s: %s changes %ld pixels in (%ld, %ld)-(%ld, %ld)\n", argv[3],
             pictures::SizeName(size).c_str(), check.what, check.changed_pixels, b.left, b.top, b.right, b.bottom);
      failed = 4;
    } else {
      printf("steady %s at %s\n", argv[3], pictures::SizeName(size).c_str());
    }
  }
  UiShotTesting::SetSteadyCheck(nullptr);
  CancelJob();
  return failed;
}

const char* ScreenName(ScreenId s) {
  switch (s) {
    case ScreenId::Home: return "home";
    case ScreenId::DiscChooser: return "chooser";
    case ScreenId::JobProgress: return "progress";
    case ScreenId::Settings: return "settings";
  }
  return "?";
}

const char* KindWord(int kind) { return kind == kDumpBeingChecked ? "checking" : DumpKindName(kind); }

// [SECTION] A first start in the real window

void Say(const char* what, const std::string& value) { printf("%s: %s\n", what, value.c_str()); }

// The progress screen's reading of the ended job: each step, the reason of a failed one,
// and the eyebrow and buttons.
void SayJob() {
  const JobStatus job = SnapshotJob();
  for (const SetupStep& step : job.steps) {
    Say(text::WideToUtf8(step.title).c_str(), StepStateWord(step.state));
    if (step.state == StepState::kFailed) Say("  why", text::WideToUtf8(step.detail));
  }
  const JobView view = ViewOfJob(job);
  Say("eyebrow", text::WideToUtf8(view.eyebrow));
  std::string buttons;
  for (JobAction b : view.buttons) buttons += "[" + text::WideToUtf8(JobActionLabel(b)) + "]";
  Say("buttons", buttons);
}

// Where the focus and the pointer were: what a key that led nowhere went to.
void SayFocus() {
  const ui::Context& c = ui::Ctx();
  char line[160];
  snprintf(line, sizeof line, "%d of %d (continue %d); pointer at %.0f,%.0f", c.focus, c.widget_count,
           Launcher().chooser_continue_id, c.mouse[0], c.mouse[1]);
  Say("focus", line);
  Say("toast", text::WideToUtf8(Launcher().toast_text));
}

// Until the job has ended and the screen has handled its end (focus on the new default).
bool WaitForEnd(launchertest::WindowHarness& w) {
  if (!WaitForJobEnd(kJobLimitMs)) return false;
  return w.WaitFor([] { return Launcher().finish_seen && !Launcher().focus_default && !Launcher().screen_changed; }) &&
         w.WaitFullFrames(1);
}

int FirstRun(bool retry) {
  launchertest::WindowHarness w;
  if (!w.Start()) return 3;
  // The keyboard alone moves the focus; the pointer rests where it is, maybe over the window.
  w.OnGui([] { Say("first screen", ScreenName(Launcher().screen)); });

  // The search finds the dump in the player's Downloads and lists it.
  if (!w.WaitFor([] { return !DumpSearch::IsRunning() && !Launcher().shown.empty(); })) return 4;
  w.OnGui([] {
    const DumpCandidate& row = Launcher().shown.front();
    Say("row 0", std::string(KindWord(row.kind)) + " " + row.path);
  });
  // The frame after the list changed is the one that gives the first row the focus; a key
  // read before it would go to whatever held the focus until then.
  w.WaitFullFrames(2, 10000);

  // Enter on it: the dump becomes the configured one and the setup starts. A key's frame
  // may be drawn before the key is read, so each key waits for what it leads to.
  // No frame after the key: it opened a picker, whose dialog holds the window's thread.
  if (!w.Key(VK_RETURN)) Say("frame after Enter", "none");
  w.WaitFor([] { return Launcher().screen != ScreenId::DiscChooser; }, 5000);
  w.OnGui([] {
    Say("screen", ScreenName(Launcher().screen));
    if (Launcher().screen == ScreenId::DiscChooser) SayFocus();
  });
  if (!WaitForEnd(w)) return 5;
  w.OnGui([] {
    SayJob();
    Say("shortcut boxes", Launcher().offer_shortcuts ? "offered" : "none");
  });

  if (retry) {
    double first_start = 0;
    w.OnGui([&] { first_start = SnapshotJob().steps.at(0).startTime; });
    w.Key(VK_RETURN);  // TRY AGAIN
    const bool again = w.WaitFor([&] { return SnapshotJob().steps.at(0).startTime != first_start; }, 5000);
    w.OnGui([&] {
      Say("screen", ScreenName(Launcher().screen));
      Say("job started again", again ? "yes" : "no");
    });
    if (!WaitForEnd(w)) return 5;
    w.OnGui([] { SayJob(); });
    return w.Close() == 0 ? 0 : 7;
  }

  w.Key(VK_RETURN);  // PLAY: Home, and the game starts (a short run may be over already)
  w.WaitFor([] { return Launcher().screen == ScreenId::Home; }, 5000);
  w.OnGui([] {
    const std::string error = text::WideToUtf8(Launcher().launch_error);
    Say("game started", error.empty() ? "yes" : "no, " + error);
    Say("ready level", std::to_string(ReadyLevel()));
  });
  // The stand-in game ends; the monitor records the run and the window comes back.
  if (!w.WaitFor([] { return !Launcher().game_started && IsWindowVisible(Launcher().hwnd) && Launcher().last_run_valid; },
                 kJobLimitMs))
    return 6;
  w.OnGui([] {
    const LauncherState& st = Launcher();
    Say("screen", ScreenName(st.screen));
    Say("toast", text::WideToUtf8(st.toast_text));
    Say("last run", st.last_run_unexpected ? st.last_run.kind : "none");
  });
  return w.Close() == 0 ? 0 : 7;
}

// A WM_DROPFILES as the shell sends it: the DROPFILES header, then the wide path.
HGLOBAL DropOf(const std::wstring& path) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  memcpy(drop + 1, path.c_str(), path.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return memory;
}

void SayFirstRow() {
  const LauncherState& st = Launcher();
  if (st.shown.empty()) return Say("row 0", "none");
  Say("row 0", std::string(KindWord(st.shown.front().kind)) + " " + st.shown.front().path +
                   (st.selected == 0 ? " (selected)" : ""));
}

int DropImage(const std::string& image, const std::string& gate) {
  launchertest::WindowHarness w;
  if (!w.Start()) return 3;
  PostMessageW(w.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(text::Utf8ToWide(image))), 0);
  // The row is there in the first frame after the drop, before any verdict.
  if (!w.WaitFor([] { return !Launcher().chosen.empty(); }) || !w.WaitFullFrames(1)) return 4;
  w.OnGui([] {
    Say("screen", ScreenName(Launcher().screen));
    SayFirstRow();
  });
  // The window keeps drawing while the image is read (the stand-in dtk waits for the gate).
  const int before = w.Counts().full;
  const bool drawing = w.WaitFullFrames(10, 20000);
  bool still_judging = false;
  w.OnGui([&] { still_judging = DumpChecks::Busy() && Launcher().chosen.front().kind == kDumpBeingChecked; });
  Say("frames while judging", drawing && still_judging ? std::to_string(w.Counts().full - before) : "none");

  HANDLE f = CreateFileA(gate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 5;
  CloseHandle(f);
  if (!w.WaitFor([] { return Launcher().chosen.front().kind != kDumpBeingChecked; }, kJobLimitMs) ||
      !w.WaitFullFrames(1))
    return 6;
  w.OnGui([] { SayFirstRow(); });
  return w.Close() == 0 ? 0 : 7;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && strcmp(argv[1], "drop-image") == 0) return DropImage(argv[2], argv[3]);
  if (argc >= 5 && strcmp(argv[1], "shots") == 0) return Shots(argc, argv, false);
  if (argc >= 5 && strcmp(argv[1], "steady") == 0) return Shots(argc, argv, true);
  if (argc >= 3 && strcmp(argv[1], "watchdog") == 0) return Watchdog(argc, argv);
  if (argc == 2 && strcmp(argv[1], "firstrun") == 0) return FirstRun(false);
  if (argc == 2 && strcmp(argv[1], "firstrun-retry") == 0) return FirstRun(true);
  fprintf(stderr,
          "usage: launcher_probe shots|steady OUT_DIR STATE SCREEN [SETUP...] | firstrun | firstrun-retry |"
          " drop-image IMAGE GATE | watchdog CASE [ARG]\n");
  return 2;
}
