#include "launcher/launcher_window.h"

#include <objbase.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "game/game_supervisor.h"
#include "jobs/build_folder_size.h"
#include "jobs/job_status.h"
#include "jobs/shutdown.h"
#include "dump/dump_search.h"
#include "launcher/back_buffer.h"
#include "launcher/data_folder_move.h"
#include "launcher/dump_checks.h"
#include "launcher/frame.h"
#include "launcher/launcher_state.h"
#include "launcher/launcher_window_testing.h"
#include "launcher/navigation.h"
#include "launcher/settings_screen.h"
#include "launcher/window_geometry.h"
#include "platform/env.h"
#include "platform/files.h"
#include "platform/text.h"
#include "settings/game_data_folder.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/settings_store.h"
#include "ui/access.h"
#include "ui/canvas.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/fonts.h"
#include "ui/gamepad.h"
#include "ui/gdiplus_api.h"
#include "ui/input.h"
#include "ui/truck_run.h"

const wchar_t kLauncherWindowClass[] = L"KestraneLauncher";

// [SECTION] Window-layer state

namespace {

constexpr double kStep = 1.0 / 30.0;

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

struct WindowLayer {
  ui::Input input;  // the mouse starts at (-1, -1)
  ui::NavQueue queue;
  double last_frame_time = -1;
  float step_accumulator = 0;
  bool input_pending = false;
  double repaint_deadline = 0;
  bool tracking_leave = false;
  ui::GamepadState pad;
  ui::XInputGetStateFn xinput_get_state = nullptr;
  GetDpiForWindowFn get_dpi_for_window = nullptr;
  bool dpi_looked_up = false;
  BackBuffer buffer;
  // The system's client-area animation switch, read at start and on setting changes.
  bool system_animation = true;
  // KESTRANE_FRAMETIME sums, in milliseconds, over partial frames.
  double sum_frame = 0, sum_backdrop = 0, sum_screen = 0;
  int timed_frames = 0;
  uint64_t partial_serial = 0;  // partial frames so far; the emblem refreshes on every third
  LauncherWindowTesting::FrameCounts counts;
  ui::XInputGetStateFn pad_override = nullptr;  // a test's stand-in for XInputGetState
  std::vector<LauncherWindowTesting::FrameTiming>* frame_log = nullptr;
};

WindowLayer& W() {
  static WindowLayer layer;
  return layer;
}

UINT WindowDpi(HWND hwnd) {
  WindowLayer& w = W();
  if (!w.dpi_looked_up) {
    w.dpi_looked_up = true;
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32)
      w.get_dpi_for_window =
          reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
  }
  const UINT dpi = w.get_dpi_for_window ? w.get_dpi_for_window(hwnd) : 0;
  return dpi ? dpi : 96;
}

bool ReadSystemAnimation() {
  BOOL on = TRUE;
  if (!SystemParametersInfoW(0x1042 /* SPI_GETCLIENTAREAANIMATION */, 0, &on, 0)) return true;
  return on != FALSE;
}

// [SECTION] Sizes

RECT WorkAreaOf(HWND hwnd) {
  RECT work = {0, 0, 1280, 720};
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  HMONITOR monitor = hwnd ? MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST) : nullptr;
  if (monitor && GetMonitorInfoW(monitor, &info))
    work = info.rcWork;
  else
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// [SECTION] Dirty rectangles

// The truck's box and, when asked, the emblem's square, in window pixels.
std::vector<RECT> DirtyRects(bool with_emblem) {
  const LauncherState& st = Launcher();
  const BackBuffer& b = W().buffer;
  const ui::Canvas canvas = ui::ComputeCanvas(std::max(1, b.width), std::max(1, b.height));
  auto to_pixels = [&](float x0, float y0, float x1, float y1) {
    RECT r;
    r.left = static_cast<LONG>(std::floor(x0 * canvas.scale + canvas.offset_x - 2));
    r.top = static_cast<LONG>(std::floor(y0 * canvas.scale + canvas.offset_y - 2));
    r.right = static_cast<LONG>(std::ceil(x1 * canvas.scale + canvas.offset_x + 2));
    r.bottom = static_cast<LONG>(std::ceil(y1 * canvas.scale + canvas.offset_y + 2));
    return r;
  };
  std::vector<RECT> rects;
  float box[4];
  if (ui::Truck().Bounds(st.truck_left, st.truck_kx, box)) rects.push_back(to_pixels(box[0], box[1], box[2], box[3]));
  if (with_emblem) rects.push_back(to_pixels(822, 56, 1186, 420));
  return rects;
}

void LogFrameTime(double frame_ms, double backdrop_ms, double screen_ms) {
  WindowLayer& w = W();
  std::string path;
  if (!env::Get("KESTRANE_FRAMETIME", &path)) return;
  w.sum_frame += frame_ms;
  w.sum_backdrop += backdrop_ms;
  w.sum_screen += screen_ms;
  ++w.timed_frames;
  if (w.timed_frames % 100 != 0) return;
  FILE* f = fopen(path.c_str(), "a");
  if (!f) return;  // a log that can't be opened is skipped, never written through
  fprintf(f, "partial frame %.2f ms (backdrop %.2f, screen %.2f; %d frames)\n", w.sum_frame / w.timed_frames,
          w.sum_backdrop / w.timed_frames, w.sum_screen / w.timed_frames, w.timed_frames);
  fclose(f);
}

}  // namespace

// [SECTION] Painting

bool BackgroundAnimationEnabled() {
  const std::string value = SettingsStore::Get("display.background_animation");
  if (value == "off") return false;
  if (value == "on") return true;
  return W().system_animation;
}

void PaintFrame(HWND hwnd, bool full) {
  WindowLayer& w = W();
  LauncherState& st = Launcher();
  RECT client = {};
  GetClientRect(hwnd, &client);
  const int width = std::max(1, static_cast<int>(client.right - client.left));
  const int height = std::max(1, static_cast<int>(client.bottom - client.top));
  HDC hdc = GetDC(hwnd);
  const bool resized = width != w.buffer.width || height != w.buffer.height || !w.buffer.dc;
  if (resized && !MakeBackBuffer(&w.buffer, hdc, width, height)) {
    ReleaseDC(hwnd, hdc);
    return;  // nothing to draw into; the next paint tries again
  }
  const bool partial = !full && !resized;
  const bool with_emblem = partial && (w.partial_serial++ % 3 == 0);

  std::vector<RECT> dirty;
  if (partial) dirty = DirtyRects(with_emblem);

  const double now = NowSeconds();
  const float dt = w.last_frame_time < 0 ? 0.0f : static_cast<float>(std::min(now - w.last_frame_time, 0.1));
  w.last_frame_time = now;

  if (!BackgroundAnimationEnabled()) {
    ui::Truck().Park();
    w.step_accumulator = 0;
  } else if (st.screen == ScreenId::Home && !IsGameRunning()) {
    st.truck_time += dt;
    w.step_accumulator += dt;
    while (w.step_accumulator >= kStep) {
      ui::Truck().Step(static_cast<float>(kStep));
      w.step_accumulator -= static_cast<float>(kStep);
    }
  }

  if (partial) {
    const std::vector<RECT> after = DirtyRects(with_emblem);
    dirty.insert(dirty.end(), after.begin(), after.end());
  }

  st.focus_default |= st.screen_changed;
  st.screen_changed = false;
  const bool applying_default = st.focus_default;
  const ui::Input frame_input = ui::FrameInput(w.input, &w.queue, applying_default);

  LauncherWindowTesting::FrameTiming timing;
  double ms = 0;
  {
    Gdiplus::Graphics graphics(w.buffer.dc);
    if (partial) {
      Gdiplus::Region region;
      region.MakeEmpty();
      for (const RECT& r : dirty)
        region.Union(Gdiplus::Rect(r.left, r.top, r.right - r.left, r.bottom - r.top));
      graphics.SetClip(&region, Gdiplus::CombineModeReplace);
      ui::SetPaintRects(&graphics, dirty.data(), static_cast<int>(dirty.size()));
    }
    LARGE_INTEGER t0, t1, freq;
    QueryPerformanceCounter(&t0);
    Frame(&graphics, width, height, frame_input);
    QueryPerformanceCounter(&t1);
    QueryPerformanceFrequency(&freq);
    ms = 1000.0 / static_cast<double>(freq.QuadPart);
    timing.partial = partial;
    timing.frame_ms = static_cast<double>(t1.QuadPart - t0.QuadPart) * ms;
    timing.backdrop_ms = static_cast<double>(st.stamp_backdrop - st.stamp_start) * ms;
    timing.screen_ms = static_cast<double>(st.stamp_end - st.stamp_backdrop) * ms;
    if (partial) LogFrameTime(timing.frame_ms, timing.backdrop_ms, timing.screen_ms);
    if (applying_default) st.focus_default = false;
  }
  LARGE_INTEGER p0, p1;
  QueryPerformanceCounter(&p0);

  if (partial) {
    const RECT all = {0, 0, width, height};
    for (const RECT& r : dirty) {
      RECT clipped;
      if (IntersectRect(&clipped, &r, &all))
        BitBlt(hdc, clipped.left, clipped.top, clipped.right - clipped.left, clipped.bottom - clipped.top,
               w.buffer.dc, clipped.left, clipped.top, SRCCOPY);
    }
    ++w.counts.partial;
    if (with_emblem) ++w.counts.emblem;
  } else {
    BitBlt(hdc, 0, 0, width, height, w.buffer.dc, 0, 0, SRCCOPY);
    ++w.counts.full;
  }
  GdiFlush();
  QueryPerformanceCounter(&p1);
  timing.present_ms = static_cast<double>(p1.QuadPart - p0.QuadPart) * ms;
  ReleaseDC(hwnd, hdc);
  w.input_pending = false;
  ui::ClearFrameInput(&w.input);
  // After the frame is on screen: what a screen reader reads is what shows. A frame that
  // changed the screen still shows the old one with the focus on a stale id; the next
  // frame, with the new screen's default focus, is the one to tell.
  if (!st.screen_changed) ui::PublishAccess(hwnd);
  QueryPerformanceCounter(&p0);
  timing.access_ms = static_cast<double>(p0.QuadPart - p1.QuadPart) * ms;
  if (w.frame_log) w.frame_log->push_back(timing);
}

// [SECTION] Window procedure

namespace {

LRESULT HitTest(HWND hwnd, LPARAM lparam) {
  const LauncherState& st = Launcher();
  POINT p = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ScreenToClient(hwnd, &p);
  RECT client = {};
  GetClientRect(hwnd, &client);
  const int b = MulDiv(6, static_cast<int>(WindowDpi(hwnd)), 96);
  if (!IsZoomed(hwnd)) {
    const bool left = p.x < b, right = p.x >= client.right - b;
    const bool top = p.y < b, bottom = p.y >= client.bottom - b;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  for (const RECT& r : st.topbar_buttons)
    if (PtInRect(&r, p)) return HTCLIENT;
  return p.y < st.topbar_bottom ? HTCAPTION : HTCLIENT;
}

void OnDropFiles(HWND hwnd, HDROP drop) {
  LauncherState& st = Launcher();
  // Sized to the first file's own length: a fixed buffer would cut a long path short and
  // send the chooser to a folder that doesn't exist.
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length > 0) {
    std::wstring path(length + 1, L'\0');
    const UINT got = DragQueryFileW(drop, 0, path.data(), length + 1);
    path.resize(got);
    if (!path.empty()) {
      if (st.screen != ScreenId::DiscChooser) {
        st.screen = ScreenId::DiscChooser;
        st.screen_changed = true;
        st.settings_scroll = 0;
      }
      ChooseDumpPath(text::WideToUtf8(path));
    }
  }
  DragFinish(drop);
  SetForegroundWindow(hwnd);
}

void OnGameEnded(HWND hwnd, WPARAM exit_code) {
  LauncherState& st = Launcher();
  st.game_started = false;
  st.last_run_valid = false;
  // Quitting would end a running job through its kill-on-close job object, and the
  // enhancement can run for an hour: with a job running the launcher stays, on Home.
  const bool quit = !IsWindowVisible(hwnd) || SettingsStore::GetInt("launcher.close_on_play") != 0;
  if (quit && !JobRunning()) {
    PostQuitMessage(0);
    return;
  }
  SettingsStore::Reload();
  GoToScreen(ScreenId::Home);
  ShowWindow(hwnd, SW_RESTORE);
  SetForegroundWindow(hwnd);
  if (exit_code != 0) ShowToast(L"The game stopped unexpectedly. See Last run.");
}

// Closing while a job runs would end it through its kill-on-close job object without a
// word: the first close says so, a second one within the toast's time means it.
bool ConfirmClose() {
  LauncherState& st = Launcher();
  if (!DataFolderMoveAllowsClose()) return false;  // it closes the window when done
  if (!JobRunning()) return true;
  if (st.close_confirm_until >= 0 && NowSeconds() <= st.close_confirm_until) return true;
  ShowToast(L"A job is running. Close again to cancel it and quit.");
  st.close_confirm_until = st.toast_until;
  return false;
}

}  // namespace

LRESULT CALLBACK LauncherWndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowLayer& w = W();
  switch (message) {
    case WM_DESTROY:
      ui::AccessWindowGone(hwnd);
      PostQuitMessage(0);
      return 0;
    case WM_GETOBJECT: {
      LRESULT answer = 0;
      bool wants_frame = false;
      if (!ui::AnswerGetObject(hwnd, wparam, lparam, &answer, &wants_frame))
        return DefWindowProcW(hwnd, message, wparam, lparam);
      if (wants_frame) w.input_pending = true;
      return answer;
    }
    case ui::kAccessActionMessage:
      // A screen reader's action, queued as the keys that do the same.
      if (ui::ApplyAccessAction(wparam, lparam, &w.queue)) w.input_pending = true;
      return 0;
    case WM_CLOSE:
      if (ConfirmClose()) {
        DestroyWindow(hwnd);
      } else {
        w.input_pending = true;
      }
      return 0;
    case WM_SIZE:
      w.input_pending = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      // A minimised window shows nothing of its client area: no frame is drawn for it.
      if (!IsIconic(hwnd)) PaintFrame(hwnd, true);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_WININICHANGE:
      w.system_animation = ReadSystemAnimation();
      w.input_pending = true;
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_ACTIVATE:
      // settings.ini may have been edited meanwhile, in a text editor or by the game.
      if (LOWORD(wparam) != WA_INACTIVE) SettingsStore::ReloadIfChanged();
      w.input_pending = true;
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_SHOWWINDOW:
      w.input_pending = true;
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT) {
        SetCursor(LoadCursorA(nullptr, ui::Ctx().hand_cursor ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      const int dpi = static_cast<int>(WindowDpi(hwnd));
      const SIZE min = MinimumWindowSize(dpi, WorkAreaOf(hwnd));
      info->ptMinTrackSize.x = min.cx;
      info->ptMinTrackSize.y = min.cy;
      return 0;
    }
    case WM_NCCALCSIZE:
      if (!wparam) return DefWindowProcW(hwnd, message, wparam, lparam);
      if (IsZoomed(hwnd)) {
        auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam);
        const int inset = GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER);
        InflateRect(&params->rgrc[0], -inset, -inset);
      }
      return 0;
    case WM_NCHITTEST:
      return HitTest(hwnd, lparam);
    case WM_KEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_MOUSELEAVE: {
      w.input_pending = true;
      const unsigned actions = ui::FeedInputMessage(&w.input, &w.queue, &w.tracking_leave, message, wparam, lparam,
                                                    GetKeyState(VK_SHIFT) < 0);
      if (actions & ui::kInputCapture) SetCapture(hwnd);
      if (actions & ui::kInputRelease) ReleaseCapture();
      if (actions & ui::kInputTrackLeave) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
      }
      return 0;
    }
    case WM_DROPFILES:
      w.input_pending = true;
      OnDropFiles(hwnd, reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_DPICHANGED: {
      w.input_pending = true;
      const RECT* r = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case kGameEndedMessage:
      w.input_pending = true;
      OnGameEnded(hwnd, wparam);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

// [SECTION] Start, loop and shutdown

namespace {

HWND CreateLauncherWindow() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = LauncherWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kLauncherWindowClass;
  RegisterClassExW(&wc);

  RECT work = {0, 0, 1280, 720};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  const RECT r = InitialWindowRect(dpi, work);
  return CreateWindowExW(WS_EX_APPWINDOW | WS_EX_ACCEPTFILES, kLauncherWindowClass, L"Kestrane",
                         WS_POPUP | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, r.left, r.top,
                         r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
}

bool MeasuringBuildFolder() {
  const LauncherState& st = Launcher();
  return st.screen == ScreenId::Settings && st.page == 6 && BuildFolderSize() < 0;
}

bool AnimatingScreen(double now) {
  const LauncherState& st = Launcher();
  if (st.screen == ScreenId::JobProgress) return true;
  if (st.screen == ScreenId::Home) {
    const JobStatus job = SnapshotJob();
    if (job.kind == kJobEnhance && job.running) return true;
  }
  if (st.screen == ScreenId::DiscChooser && DumpSearch::IsRunning()) return true;
  if (!st.toast_text.empty() && st.toast_until + 0.1 > now) return true;
  if (DumpChecks::Busy()) return true;
  if (SettingsNeedFrames()) return true;
  return false;
}

void MessageLoop(HWND hwnd) {
  WindowLayer& w = W();
  uint64_t previous_tick = GetTickCount64();
  for (;;) {
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) quit = true;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (quit) return;
    const uint64_t tick = GetTickCount64();
    const float elapsed = static_cast<float>(tick - previous_tick) / 1000.0f;
    previous_tick = tick;
    if (ApplyFinishedDumpChecks()) w.input_pending = true;
    if (ApplyFinishedDataFolderMove()) w.input_pending = true;

    const bool shown = IsWindowVisible(hwnd) && !IsIconic(hwnd);
    if (shown) {
      ui::PollGamepad(&w.pad, ui::ReadFirstPad(w.pad_override ? w.pad_override : w.xinput_get_state), GetForegroundWindow() == hwnd, elapsed,
                      &w.queue);
      const double now = NowSeconds();
      const bool full =
          w.input_pending || !w.queue.Empty() || AnimatingScreen(now) ||
          MeasuringBuildFolder() || now >= w.repaint_deadline;
      if (full) {
        PaintFrame(hwnd, true);
        w.repaint_deadline = now + 2.0;
      } else if (Launcher().screen == ScreenId::Home && BackgroundAnimationEnabled() && !IsGameRunning()) {
        PaintFrame(hwnd, false);
      }
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, shown ? 30 : 200, QS_ALLINPUT);
  }
}

}  // namespace

bool LoadLauncherFonts() {
  const std::string folder = ui::FontsDirectory(InstallLayout::CheckoutRoot(), InstallLayout::ExeDir());
  if (!files::IsFolder(folder))
    LogLine("[launcher] the fonts folder %s is missing; text uses the system's fonts", folder.c_str());
  return ui::LoadFonts(folder);
}

int RunGui() {
  {
    // A window opened again in the same process starts from a clean loop.
    const ui::XInputGetStateFn pad_override = W().pad_override;
    auto* frame_log = W().frame_log;
    W() = WindowLayer();
    W().pad_override = pad_override;
    W().frame_log = frame_log;
  }
  SetDpiAwareness();
  LauncherState& st = Launcher();
  st.start_tick = GetTickCount64();
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (!LoadLauncherFonts()) {
    MessageBoxA(nullptr, "GDI+ failed to start.", "Kestrane", MB_ICONERROR);
    if (SUCCEEDED(com)) CoUninitialize();
    return 1;
  }
  W().system_animation = ReadSystemAnimation();
  MigrateLocalGameData();
  st.judge_in_background = true;
  RefreshDumpStatus();
  if (!st.status.configured) st.screen = ScreenId::DiscChooser;
  W().xinput_get_state = ui::LoadXInput();

  HWND hwnd = CreateLauncherWindow();
  if (!hwnd) {
    // Under Wine this is a missing display: nothing else would tell the player.
    LogLine("[launcher] couldn't create the window (Windows error %lu); is there a display?", GetLastError());
    ui::UnloadFonts();
    if (SUCCEEDED(com)) CoUninitialize();
    return 1;
  }
  st.hwnd = hwnd;
  // The frame computed at creation still has the thick border's client inset; asking again
  // makes the whole window client area.
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RegisterGameWindow(hwnd, kGameEndedMessage);
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);

  MessageLoop(hwnd);

  st.hwnd = nullptr;
  WaitForDataFolderMove();  // a folder left half-moved would split the player's game data
  // A job the player chose to quit during is cancelled here, so its tool ends with it.
  ShutdownBackgroundWork(kShutdownWaitMs);
  FreeBackBuffer(&W().buffer);
  ui::UnloadFonts();
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

LauncherWindowTesting::FrameCounts LauncherWindowTesting::Counts() { return W().counts; }
void LauncherWindowTesting::SetPadReader(ui::XInputGetStateFn reader) { W().pad_override = reader; }
void LauncherWindowTesting::SetFrameLog(std::vector<FrameTiming>* log) { W().frame_log = log; }
