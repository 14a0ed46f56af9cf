// The launcher's screens in a process that also runs the background jobs, copied into an
// install folder next to the stand-in tools the way the launcher is installed.
//
//   launcher_probe shots OUT_DIR STATE SCREEN [SETUP...]
// runs SETUP in process, then renders SCREEN at every picture size into
// OUT_DIR\<w>x<h>\STATE.bmp with the real UI-shot code. SCREEN is a --ui-shot name, or
// "progress" or "chooser" for those screens as the set-up left them. SETUP words:
//   enhance-running      the intro-video enhancement, while it upscales
//   setup, rebuild       the setup job on launcher.dump_path (rebuild: with the flag), to its end
//   setup-building       the setup job, while it builds (the build script must spin)
//   cancel               cancels the running job and waits for its end
//   show-details         the log instead of the step details
//   choose=PATH          picks PATH in the chooser and waits for its verdict
//   choose-pending=PATH  picks PATH and leaves its verdict to come
//   how-to               the chooser's how-to panel
//
//   launcher_probe keys WORD...
// starts like the launcher window (the chooser first when no dump is configured) and
// steps Frame with the keyboard alone, printing what the screen shows after each word:
//   up, down, enter, escape   one key
//   search                    frames until the dump search has finished
//   job-end                   frames until the job has ended
//   game-end                  frames until the game PLAY started has ended
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "dump/dump_search.h"
#include "game/game_supervisor.h"
#include "jobs/enhance_job.h"
#include "jobs/job_status.h"
#include "jobs/setup_job.h"
#include "launcher/back_buffer.h"
#include "launcher/disc_chooser_screen.h"
#include "launcher/dump_checks.h"
#include "launcher/frame.h"
#include "launcher/home_screen.h"
#include "launcher/job_progress_screen.h"
#include "launcher/launcher_state.h"
#include "launcher/navigation.h"
#include "launcher/ui_shot.h"
#include "platform/text.h"
#include "settings/install_layout.h"
#include "settings/settings_store.h"
#include "tests/launcher/pictures.h"
#include "ui/fonts.h"
#include "ui/gdiplus_api.h"
#include "ui/input.h"

namespace {

constexpr DWORD kJobLimitMs = 120000;

// Waits (bounded) until cond holds; false when it never did.
template <typename Cond>
bool WaitFor(Cond cond, DWORD limit_ms) {
  const ULONGLONG until = GetTickCount64() + limit_ms;
  while (GetTickCount64() < until) {
    if (cond()) return true;
    Sleep(20);
  }
  return cond();
}

// Waits until the job's step is active; false when the job ended first.
bool WaitForStep(size_t step) {
  bool ended = false;
  const bool active = WaitFor(
      [&] {
        const JobStatus job = SnapshotJob();
        ended = !job.running;
        return ended || (job.steps.size() > step && job.steps[step].state == StepState::kActive);
      },
      kJobLimitMs);
  return active && !ended;
}

bool WaitForJobEnd() {
  return WaitFor([] { return !SnapshotJob().running; }, kJobLimitMs);
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
  if (strcmp(word, "setup") == 0) return StartSetupJob(dump, false) && WaitForJobEnd();
  if (strcmp(word, "rebuild") == 0) return StartSetupJob(dump, true) && WaitForJobEnd();
  if (strcmp(word, "setup-building") == 0) return StartSetupJob(dump, false) && WaitForStep(5);
  if (strcmp(word, "cancel") == 0) {
    CancelJob();
    return WaitForJobEnd();
  }
  if (strcmp(word, "show-details") == 0) {
    st.show_details = true;
    return true;
  }
  if (strcmp(word, "how-to") == 0) {
    st.show_how_to = true;
    return true;
  }
  if (StartsWith(word, "choose=", &path)) {
    ChooseDumpPath(path);
    const bool judged = WaitFor([] { return !DumpChecks::Busy(); }, kJobLimitMs);
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

int Shots(int argc, char** argv) {
  for (int i = 5; i < argc; ++i)
    if (!RunSetup(argv[i])) return 3;
  const std::string screen = argv[4];
  LauncherState& st = Launcher();
  const bool own_screen = screen == "progress" || screen == "chooser";
  if (own_screen) st.screen = screen == "progress" ? ScreenId::JobProgress : ScreenId::DiscChooser;
  int failed = 0;
  for (const pictures::Size& size : pictures::Sizes()) {
    const std::string folder = std::string(argv[2]) + "\\" + pictures::SizeName(size);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string out = folder + "\\" + argv[3] + ".bmp";
    const int result = own_screen ? RenderCurrentScreenShot(out, size.width, size.height)
                                  : RenderUiShot(screen, out, size.width, size.height);
    if (result != 0) failed = 1;
  }
  CancelJob();
  return failed;
}

// [SECTION] Keyboard scripts

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

// What the screen shows, one fact a line, from the same records and view the screen
// draws from.
std::string Describe() {
  const LauncherState& st = Launcher();
  std::string out = std::string("screen ") + ScreenName(st.screen) + "\n";
  if (st.screen == ScreenId::DiscChooser) {
    for (size_t i = 0; i < st.shown.size() && i < 3; ++i) {
      const DumpCandidate& c = st.shown[i];
      out += "row " + std::to_string(i) + " " + KindWord(c.kind) + " " + text::WideToUtf8(c.label) + " | " + c.path +
             "\n";
    }
    out += "selected " + std::to_string(st.selected) + "\n";
  } else if (st.screen == ScreenId::JobProgress) {
    const JobStatus job = SnapshotJob();
    const JobView v = ViewOfJob(job);
    out += "eyebrow " + text::WideToUtf8(v.eyebrow) + "\n";
    for (size_t i = 0; i < job.steps.size(); ++i)
      out += "step " + std::to_string(i) + " " + StepStateWord(job.steps[i].state) + " " +
             text::WideToUtf8(job.steps[i].title) + ": " + text::WideToUtf8(job.steps[i].detail) + "\n";
    out += "buttons";
    for (const std::wstring& b : v.buttons) out += " [" + text::WideToUtf8(b) + "]";
    out += "\n";
    if (st.offer_shortcuts) out += "shortcut boxes offered\n";
  } else if (st.screen == ScreenId::Home) {
    out += "ready level " + std::to_string(ReadyLevel()) + "\n";
  }
  if (!st.toast_text.empty() && NowSeconds() <= st.toast_until) out += "toast " + text::WideToUtf8(st.toast_text) + "\n";
  return out;
}

struct KeyRun {
  BackBuffer buffer;
  ui::NavQueue queue;

  // One frame as the window's paint step draws it.
  void Frame() {
    LauncherState& st = Launcher();
    ApplyFinishedDumpChecks();
    st.focus_default |= st.screen_changed;
    st.screen_changed = false;
    const bool applying_default = st.focus_default;
    const ui::Input input = ui::FrameInput(ui::Input(), &queue, applying_default);
    {
      Gdiplus::Graphics graphics(buffer.dc);
      ::Frame(&graphics, buffer.width, buffer.height, input);
    }
    if (applying_default) st.focus_default = false;
  }

  template <typename Cond>
  bool FramesUntil(Cond cond) {
    const ULONGLONG until = GetTickCount64() + kJobLimitMs;
    while (GetTickCount64() < until) {
      Frame();
      if (cond()) return true;
      Sleep(30);
    }
    return false;
  }

  bool Key(int32_t code) {
    queue.Push(code);
    for (int i = 0; i < 4 && !queue.Empty(); ++i) Frame();
    Frame();  // the screen the key led to, with its default focus
    return queue.Empty();
  }

  bool Word(const char* word) {
    if (strcmp(word, "up") == 0) return Key(ui::NavEvent::Up);
    if (strcmp(word, "down") == 0) return Key(ui::NavEvent::Down);
    if (strcmp(word, "enter") == 0) return Key(ui::NavEvent::Activate);
    if (strcmp(word, "escape") == 0) return Key(ui::NavEvent::Back);
    if (strcmp(word, "search") == 0) {
      const bool done = FramesUntil([] { return Launcher().search_started && !DumpSearch::IsRunning(); });
      Frame();  // the rows of the finished search
      return done;
    }
    if (strcmp(word, "job-end") == 0) {
      // Two frames after the end: one handles it, the next applies the focus it moved.
      const bool ended = FramesUntil([] { return !SnapshotJob().running; });
      Frame();
      Frame();
      return ended;
    }
    if (strcmp(word, "game-end") == 0) return FramesUntil([] { return !IsGameRunning(); });
    fprintf(stderr, "unknown word %s\n", word);
    return false;
  }
};

int Keys(int argc, char** argv) {
  LauncherState& st = Launcher();
  st.start_tick = GetTickCount64();
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ui::LoadFonts(ui::FontsDirectory(InstallLayout::CheckoutRoot(), InstallLayout::ExeDir()));
  st.judge_in_background = true;
  RefreshDumpStatus();
  if (!st.status.configured) st.screen = ScreenId::DiscChooser;

  KeyRun run;
  int result = 0;
  if (!MakeBackBuffer(&run.buffer, nullptr, 1280, 720)) {
    result = 4;
  } else {
    run.Frame();
    printf("== start\n%s", Describe().c_str());
    for (int i = 2; i < argc && result == 0; ++i) {
      if (!run.Word(argv[i])) result = 3;
      printf("== %s%s\n%s", argv[i], result ? " (didn't finish)" : "", Describe().c_str());
      fflush(stdout);
    }
    FreeBackBuffer(&run.buffer);
  }
  CancelJob();
  ui::UnloadFonts();
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && strcmp(argv[1], "shots") == 0) return Shots(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "keys") == 0) return Keys(argc, argv);
  fprintf(stderr, "usage: launcher_probe shots OUT_DIR STATE SCREEN [SETUP...] | keys WORD...\n");
  return 2;
}
