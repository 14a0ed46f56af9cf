// The launcher's screens in a process that also runs the background jobs, copied into an
// install folder next to the stand-in tools the way the launcher is installed:
//   launcher_probe shots OUT_DIR STATE SCREEN [SETUP...]
// runs SETUP in process, then renders SCREEN at every picture size into
// OUT_DIR\<w>x<h>\STATE.bmp with the real UI-shot code. SETUP words:
//   enhance-running   the intro-video enhancement, shot while it upscales
//   scroll=N          the Settings content scrolled N units down
//   moving-data=PATH  the Game files page while the data folder moves to PATH (12 s in)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "jobs/enhance_job.h"
#include "jobs/job_status.h"
#include "launcher/launcher_state.h"
#include "launcher/navigation.h"
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

}  // namespace

int main(int argc, char** argv) {
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
