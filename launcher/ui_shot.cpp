#include "launcher/ui_shot.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "art/truck_run.h"
#include "dump/dump_search.h"
#include "launcher/back_buffer.h"
#include "launcher/frame.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/launcher_window.h"
#include "launcher/loop_events.h"
#include "launcher/window_geometry.h"
#include "platform/env.h"
#include "platform/files.h"
#include "settings/install_layout.h"
#include "settings/settings_store.h"
#include "ui/context.h"
#include "ui/fonts.h"
#include "ui/gdiplus_api.h"

namespace {

constexpr int kMaxShotSide = 16384;

const char* const kPageNames[kSettingsPageCount] = {"files",    "display", "graphics", "audio", "controls",
                                                     "language", "builds",  "logs",     "about"};

// The screen a shot name asks for; false for an unknown name.
bool ScreenForName(const std::string& name, ScreenId* screen, SettingsPage* page, bool* sample_job) {
  *sample_job = false;
  if (name == "home") {
    *screen = ScreenId::Home;
  } else if (name == "disc") {
    *screen = ScreenId::DiscChooser;
  } else if (name == "firstrun") {
    *screen = ScreenId::JobProgress;
    *sample_job = true;
  } else if (name.rfind("settings:", 0) == 0) {
    *screen = ScreenId::Settings;
    *page = SettingsPage::Display;  // the page the launcher starts with, for a name that matches none
    const std::string page_name = name.substr(9);
    for (int i = 0; i < kSettingsPageCount; ++i)
      if (page_name == kPageNames[i]) *page = WrapSettingsPage(i);
  } else {
    return false;
  }
  return true;
}

void PutU16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
void PutU32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Why `out` couldn't be opened or written (errno as the C library left it), for the player.
std::string WhyNotWritten(const std::string& out, int error) {
  const size_t cut = out.find_last_of("\\/");
  const std::string folder = cut == std::string::npos ? std::string() : out.substr(0, cut);
  if (files::IsFolder(out)) return "it is a folder";
  if (!folder.empty() && !(folder.size() == 2 && folder[1] == ':') && !files::IsFolder(folder))
    return "the folder " + folder + " doesn't exist";
  if (error == EACCES) return "access denied (the file is read-only or in use, or the folder can't be written)";
  if (error == ENOSPC) return "the disk is full";
  return strerror(error);
}

bool WriteBmp(const std::string& out, const BackBuffer& b, std::string* why) {
  const uint32_t image = static_cast<uint32_t>(b.width) * static_cast<uint32_t>(b.height) * 4u;
  unsigned char header[54] = {};
  header[0] = 'B';
  header[1] = 'M';
  PutU32(header + 2, 54 + image);
  PutU32(header + 10, 54);
  PutU32(header + 14, 40);
  PutU32(header + 18, static_cast<uint32_t>(b.width));
  PutU32(header + 22, static_cast<uint32_t>(-b.height));
  PutU16(header + 26, 1);
  PutU16(header + 28, 32);
  PutU32(header + 34, image);
  errno = 0;
  FILE* f = fopen(out.c_str(), "wb");
  if (!f) {
    *why = WhyNotWritten(out, errno);
    return false;
  }
  bool ok = fwrite(header, 1, sizeof header, f) == sizeof header;
  ok = ok && fwrite(b.pixels, 1, image, f) == image;
  const int error = errno;
  ok = (fclose(f) == 0) && ok;
  if (!ok) *why = WhyNotWritten(out, error ? error : errno);
  return ok;
}

UiShotTesting::SteadyCheck* g_steady_check = nullptr;

// The frames of one paint. The mouse at (-1, -1), nothing pressed or queued.
void Paint(const BackBuffer& b) {
  const ui::Input input;
  ui::NavQueue queue;
  Gdiplus::Graphics graphics(b.dc);
  FrameUntilSettled(&graphics, b.width, b.height, input, &queue);
}

// One frame as the window draws it: what the loop applies first, then the paint.
void RenderOneFrame(const BackBuffer& b) {
  ApplyLoopEvents();
  Paint(b);
}

// Pixels of the back buffer now.
std::vector<uint32_t> Pixels(const BackBuffer& b) {
  GdiFlush();
  const uint32_t* p = static_cast<const uint32_t*>(b.pixels);
  return std::vector<uint32_t>(p, p + static_cast<size_t>(b.width) * static_cast<size_t>(b.height));
}

// Where the back buffer differs from `before`; true when it does.
bool Compare(const BackBuffer& b, const std::vector<uint32_t>& before, UiShotTesting::SteadyCheck* check) {
  const std::vector<uint32_t> now = Pixels(b);
  check->changed_pixels = 0;
  check->box = {b.width, b.height, 0, 0};
  for (size_t i = 0; i < now.size(); ++i) {
    if (before[i] == now[i]) continue;
    const LONG x = static_cast<LONG>(i % static_cast<size_t>(b.width));
    const LONG y = static_cast<LONG>(i / static_cast<size_t>(b.width));
    ++check->changed_pixels;
    check->box.left = std::min(check->box.left, x);
    check->box.top = std::min(check->box.top, y);
    check->box.right = std::max(check->box.right, x + 1);
    check->box.bottom = std::max(check->box.bottom, y + 1);
  }
  return check->changed_pixels != 0;
}

// The next paint, with nothing applied in between, must draw the shot again; and so must
// the paint after the one that enters the screen anew with the keyboard's focus shown,
// the way a key leads there. The file then holds the shot itself.
void CheckSteady(const BackBuffer& b, UiShotTesting::SteadyCheck* check) {
  const std::vector<uint32_t> shot = Pixels(b);
  Paint(b);
  check->what = "the next frame";
  if (!Compare(b, shot, check)) {
    // As if from another screen, whose focus number it brings along.
    LauncherState& st = Launcher();
    ui::Ctx().focus_visible = true;
    ui::Ctx().focus = 1;
    st.screen_changed = true;
    Paint(b);
    const std::vector<uint32_t> entered = Pixels(b);
    Paint(b);
    check->what = "the frame after entering with the keyboard";
    Compare(b, entered, check);
  }
  memcpy(b.pixels, shot.data(), shot.size() * sizeof(uint32_t));
}

bool SizeAllowed(int width, int height) {
  if (width >= 1 && height >= 1 && width <= kMaxShotSide && height <= kMaxShotSide) return true;
  fprintf(stderr, "usage: Kestrane --ui-shot <screen> <out.bmp> [<width> <height>], each side 1 to %d\n",
          kMaxShotSide);
  return false;
}

struct ScreenChoice {
  ScreenId screen = ScreenId::Home;
  SettingsPage page = SettingsPage::Display;
  bool sample_job = false;
};

// choice null: the screen LauncherState shows already.
int Render(const ScreenChoice* choice, const std::string& out, int width, int height) {
  SetDpiAwareness();
  LauncherState& st = Launcher();
  st.start_tick = GetTickCount64();
  // Every frame of the shot at one time: the same state gives the same picture.
  st.frozen_tick = st.start_tick;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const bool fonts = LoadLauncherFonts();
  RefreshDumpStatus();

  std::string truck_t;
  if (env::Get("KESTRANE_TRUCKRUN_T", &truck_t)) {
    const double t = strtod(truck_t.c_str(), nullptr);
    art::TruckRun& truck = art::Truck();
    truck = art::TruckRun();  // the same run from its start in every shot of a process
    if (t > 0) {
      double stepped = 0;
      while (stepped < t) {
        truck.Step(1.0f / 30.0f);
        stepped += 1.0 / 30.0;
      }
      st.truck_time = static_cast<float>(t);
    }
    printf("truck run after %.1f s: %s, %.0f px/s\n", t, truck.StateName(), static_cast<double>(truck.Speed()));
  } else if (!BackgroundAnimationEnabled()) {
    art::Truck().Park();  // where the window shows it with the animation off
  }

  if (choice) {
    st.page = choice->page;
    st.sample_job = choice->sample_job;
    if (choice->screen == ScreenId::Settings)
      GoToSettingsPage(choice->page);
    else
      GoToScreen(choice->screen);
  }

  bool saved = false;
  std::string why = "the picture couldn't be drawn";
  BackBuffer buffer;
  if (fonts && MakeBackBuffer(&buffer, nullptr, width, height)) {
    auto searching = [&] { return st.screen == ScreenId::DiscChooser && DumpSearch::IsRunning(); };
    for (int i = 0; i < 3; ++i) {
      RenderOneFrame(buffer);
      if (searching()) Sleep(100);
    }
    for (int i = 0; i < 37 && searching(); ++i) {
      RenderOneFrame(buffer);
      Sleep(100);
    }
    GdiFlush();
    if (g_steady_check) CheckSteady(buffer, g_steady_check);
    saved = WriteBmp(out, buffer, &why);
  }
  FreeBackBuffer(&buffer);

  if (!saved) fprintf(stderr, "could not write %s: %s\n", out.c_str(), why.c_str());
  printf("%s %s (fonts: %ls / %ls / %ls)\n", saved ? "saved" : "could not write", out.c_str(),
         ui::FontName(ui::FontRole::Display).c_str(), ui::FontName(ui::FontRole::Body).c_str(),
         ui::FontName(ui::FontRole::Mono).c_str());
  const DumpStatus& s = st.status;
  printf("dump: configured %d found %d verified %d imported %d (%s) built %d; settings %s\n", s.configured ? 1 : 0,
         s.judgement.recognised ? 1 : 0, s.judgement.verified ? 1 : 0, s.imported ? 1 : 0,
         s.judgement.message.c_str(), st.build.built ? 1 : 0, SettingsStore::FilePath().c_str());
  fflush(stdout);
  if (fonts) ui::UnloadFonts();
  if (SUCCEEDED(com)) CoUninitialize();
  st.frozen_tick = 0;
  return saved ? 0 : 1;
}

}  // namespace

int RenderUiShot(const std::string& screen_name, const std::string& out, int width, int height) {
  if (!SizeAllowed(width, height)) return 2;
  ScreenChoice choice;
  if (!ScreenForName(screen_name, &choice.screen, &choice.page, &choice.sample_job)) {
    fprintf(stderr, "unknown screen %s\n", screen_name.c_str());
    std::string names = "home, disc, firstrun";
    for (const char* page : kPageNames) names += std::string(", settings:") + page;
    fprintf(stderr, "Screens: %s\n", names.c_str());
    return 2;
  }
  return Render(&choice, out, width, height);
}

int RenderCurrentScreenShot(const std::string& out, int width, int height) {
  if (!SizeAllowed(width, height)) return 2;
  return Render(nullptr, out, width, height);
}

void UiShotTesting::SetSteadyCheck(SteadyCheck* check) { g_steady_check = check; }
