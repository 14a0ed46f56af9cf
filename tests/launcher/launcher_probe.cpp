// The launcher's screens in a process that also runs the background jobs, copied into an
// install folder next to the stand-in tools the way the launcher is installed:
//   launcher_probe shots OUT_DIR STATE SCREEN [SETUP...]
// runs SETUP in process, then renders SCREEN at every picture size into
// OUT_DIR\<w>x<h>\STATE.bmp with the real UI-shot code. SETUP words:
//   enhance-running   the intro-video enhancement, shot while it upscales
//   scroll=N          the Settings content scrolled N units down
//   moving-data=PATH  the Game files page while the data folder moves to PATH (12 s in)
//   launcher_probe firstrun DUMP
// opens the real window with no dump configured, takes DUMP the way a drop does, sets the
// game up, plays with the keyboard until the game ends, and prints what each screen showed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "jobs/enhance_job.h"
#include "game/game_supervisor.h"
#include "jobs/job_status.h"
#include "launcher/dump_checks.h"
#include "launcher/home_screen.h"
#include "launcher/launcher_state.h"
#include "launcher/navigation.h"
#include "platform/text.h"
#include "settings/settings_store.h"
#include "tests/launcher/window_harness.h"
#include "launcher/ui_shot.h"
#include "tests/launcher/pictures.h"

namespace {

// Waits (bounded) until the job's step is active; false when the job ended first.
bool WaitForStep(size_t step, DWORD limit_ms) {
  const ULONGLONG until = GetTickCount64() + limit_ms;
  while (GetTickCount64() < until) {
    const JobStatus job = SnapshotJob();
    if (job.steps.size() > step && job.steps[step].state == StepState::kActive) return true;
    if (!job.running) return false;
    Sleep(20);
  }
  return false;
}

bool RunSetup(const char* word) {
  if (strcmp(word, "enhance-running") == 0) return StartEnhanceJob() && WaitForStep(2, 60000);
  if (strncmp(word, "scroll=", 7) == 0) {
    Launcher().settings_scroll = static_cast<float>(atof(word + 7));
    return true;
  }
  if (strncmp(word, "moving-data=", 12) == 0) {
    // Only how the page looks meanwhile: the shot restarts the clock, so 12 s ago is -12.
    // The status is read first; during a move the shot's own read waits for the move.
    RefreshDumpStatus();
    Launcher().data_move_running = true;
    Launcher().data_move_target = word + 12;
    Launcher().data_move_started = -12;
    return true;
  }
  fprintf(stderr, "unknown set-up %s\n", word);
  return false;
}

int FirstRun(const std::string& dump) {
  launchertest::WindowHarness w;
  if (!w.Start()) return 3;
  auto say = [](const char* what, const std::string& value) { printf("%s: %s\n", what, value.c_str()); };
  w.OnGui([&] { say("first screen", std::to_string(static_cast<int>(Launcher().screen))); });

  // The chooser takes the dump as it takes a drop, and the verdict comes in the background.
  w.OnGui([&] { ChooseDumpPath(dump); });
  if (!w.WaitFor([] { return !Launcher().chosen.empty() && Launcher().chosen.front().kind != kDumpBeingChecked; }))
    return 4;
  w.OnGui([&] { say("chosen", DumpKindName(Launcher().chosen.front().kind)); });

  // CONTINUE: the dump becomes the configured one and the setup starts.
  w.OnGui([&] {
    SettingsStore::Set("launcher.dump_path", Launcher().chosen.front().path.c_str());
    RefreshDumpStatus();
    say("setup started", StartSetup(false) ? "yes" : "no");
  });
  if (!w.WaitFor([] { return !SnapshotJob().running; }, 120000)) return 5;
  for (const SetupStep& step : SnapshotJob().steps)
    say(text::WideToUtf8(step.title).c_str(), StepStateWord(step.state));

  // HOME, then PLAY with the keyboard: the default focus is on PLAY.
  w.OnGui([] { GoToScreen(ScreenId::Home); });
  w.WaitFullFrames(2);
  w.OnGui([&] { say("ready level", std::to_string(ReadyLevel())); });
  w.Key(VK_RETURN);
  w.OnGui([&] { say("game started", Launcher().game_started ? "yes" : "no"); });

  // The stand-in game crashes; the monitor records the run and the window comes back.
  if (!w.WaitFor([] { return !Launcher().game_started && IsWindowVisible(Launcher().hwnd) && Launcher().last_run_valid; },
                 120000))
    return 6;
  w.OnGui([&] {
    const LauncherState& st = Launcher();
    say("screen", std::to_string(static_cast<int>(st.screen)));
    say("toast", text::WideToUtf8(st.toast_text));
    say("last run", st.last_run_unexpected ? st.last_run.kind : "none");
  });
  return w.Close() == 0 ? 0 : 7;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "firstrun") == 0) return FirstRun(argv[2]);
  if (argc < 5 || strcmp(argv[1], "shots") != 0) {
    fprintf(stderr, "usage: launcher_probe shots OUT_DIR STATE SCREEN [SETUP...]\n");
    return 2;
  }
  for (int i = 5; i < argc; ++i)
    if (!RunSetup(argv[i])) return 3;
  int failed = 0;
  for (const pictures::Size& size : pictures::Sizes()) {
    const std::string folder = std::string(argv[2]) + "\\" + pictures::SizeName(size);
    CreateDirectoryA(folder.c_str(), nullptr);
    if (RenderUiShot(argv[4], folder + "\\" + argv[3] + ".bmp", size.width, size.height) != 0) failed = 1;
  }
  CancelJob();
  return failed;
}
