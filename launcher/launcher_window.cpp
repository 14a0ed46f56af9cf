#include "launcher/launcher_window.h"

#include <objbase.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "art/truck_run.h"
#include "game/game_supervisor.h"
#include "jobs/job_status.h"
#include "jobs/shutdown.h"
#include "dump/dump_search.h"
#include "launcher/back_buffer.h"
#include "launcher/data_folder_move.h"
#include "launcher/dump_checks.h"
#include "launcher/frame.h"
#include "launcher/home_screen.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/launcher_window_testing.h"
#include "launcher/loop_events.h"
#include "launcher/offload.h"
#include "launcher/settings_options.h"
#include "launcher/settings_screen.h"
#include "launcher/window_geometry.h"
#include "platform/env.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/window_thread.h"
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
  // Where the pointer was on the screen at its last move, or when the window opened.
  POINT pointer = {};
  ui::GamepadState pad;
  bool pad_connected = false;
  double next_pad_poll = 0;  // while no pad answers, when to ask again
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
  // The screen the last full frame showed: partial frames only ever touch up a full
  // frame of Home, never another screen's picture.
  ScreenId presented = ScreenId::Settings;
  // Home's picture of everything over the backdrop but the emblem, drawn once over black
  // and once over white (Foreground): a partial frame draws only what moves and puts this
  // back over it, instead of running the whole screen under a clip.
  // Valid from the first partial frame after a full one until the next full one.
  BackBuffer over_black, over_white;
  bool foreground_valid = false;
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
  // Two pixels more on every side: anti-aliased edges and rounding may reach past the box.
  auto to_pixels = [&](float x0, float y0, float x1, float y1) {
    return DesignToPixels(canvas.scale, canvas.offset_x, canvas.offset_y, x0, y0, x1, y1, 2);
  };
  std::vector<RECT> rects;
  float box[4];
  if (art::Truck().Bounds(st.truck_left, st.truck_kx, box)) rects.push_back(to_pixels(box[0], box[1], box[2], box[3]));
  // The emblem's square and two design units around it, where its ring's stroke reaches.
  if (with_emblem)
    rects.push_back(to_pixels(kHomeEmblemX - 2, kHomeEmblemY - 2, kHomeEmblemX + kHomeEmblemSize + 2,
                              kHomeEmblemY + kHomeEmblemSize + 2));
  return rects;
}

// [SECTION] Home's foreground

// Draws the foreground over black and over white when it isn't there and the buffers
// can be had. False when partial frames must draw the whole screen instead.
bool EnsureForeground(HDC hdc, int width, int height) {
  WindowLayer& w = W();
  if (w.foreground_valid && w.over_black.width == width && w.over_black.height == height) return true;
  w.foreground_valid = false;
  if (w.over_black.width != width || w.over_black.height != height || !w.over_black.dc) {
    if (!MakeBackBuffer(&w.over_black, hdc, width, height) || !MakeBackBuffer(&w.over_white, hdc, width, height)) {
      FreeBackBuffer(&w.over_black);
      FreeBackBuffer(&w.over_white);
      return false;
    }
  }
  ui::Input quiet = w.input;
  ui::ClearFrameInput(&quiet);
  for (BackBuffer* b : {&w.over_black, &w.over_white}) {
    // Filled here, alpha included: a GDI fill leaves alpha 0, and GDI+ then blends
    // translucent art as if nothing lay under it.
    std::fill(b->pixels, b->pixels + static_cast<size_t>(width) * static_cast<size_t>(height),
              b == &w.over_black ? 0xFF000000u : 0xFFFFFFFFu);
    Gdiplus::Graphics graphics(b->dc);
    ForegroundPass(&graphics, width, height, quiet);
  }
  GdiFlush();
  w.foreground_valid = true;
  return true;
}

// Puts the foreground back over each pixel of the dirty rectangles once. Drawn over black
// it is its own premultiplied colour; over white it tells how much of what lies under it
// shows through: out = black + (white - black) * under / 255, channel by channel.
void CompositeForeground(const std::vector<RECT>& dirty, int width, int height) {
  WindowLayer& w = W();
  RECT bounds = {width, height, 0, 0};
  for (const RECT& r : dirty) UnionRect(&bounds, &bounds, &r);
  bounds.left = std::max(0L, bounds.left), bounds.top = std::max(0L, bounds.top);
  bounds.right = std::min(static_cast<LONG>(width), bounds.right);
  bounds.bottom = std::min(static_cast<LONG>(height), bounds.bottom);
  std::vector<std::pair<LONG, LONG>> spans;
  for (LONG y = bounds.top; y < bounds.bottom; ++y) {
    // The row's covered spans, merged, so overlapping rectangles are put back once.
    spans.clear();
    for (const RECT& r : dirty)
      if (y >= r.top && y < r.bottom) spans.push_back({std::max(r.left, bounds.left), std::min(r.right, bounds.right)});
    std::sort(spans.begin(), spans.end());
    LONG done = bounds.left;
    for (const auto& [from, to] : spans) {
      const size_t row = static_cast<size_t>(y) * static_cast<size_t>(width);
      for (LONG x = std::max(from, done); x < to; ++x) {
        const uint32_t black = w.over_black.pixels[row + x], white = w.over_white.pixels[row + x];
        uint32_t& under = w.buffer.pixels[row + x];
        // Most of it is nothing (the backdrop shows) or solid (it hides the backdrop).
        if ((black & 0xFFFFFF) == 0 && (white & 0xFFFFFF) == 0xFFFFFF) continue;
        if ((black & 0xFFFFFF) == (white & 0xFFFFFF)) {
          under = black | 0xFF000000u;
          continue;
        }
        uint32_t out = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
          const uint32_t b = (black >> shift) & 0xFF, t = (white >> shift) & 0xFF, u = (under >> shift) & 0xFF;
          const uint32_t through = t > b ? t - b : 0;
          out |= std::min(255u, b + (through * u + 127) / 255) << shift;
        }
        under = out;
      }
      done = std::max(done, to);
    }
  }
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
  const bool partial = !full && !resized && w.presented == ScreenId::Home && st.screen == ScreenId::Home;
  // A whole frame may show something new over the backdrop.
  if (!partial) w.foreground_valid = false;
  LARGE_INTEGER t0, t1, freq;
  QueryPerformanceCounter(&t0);
  const bool composite = partial && EnsureForeground(hdc, width, height);
  const bool with_emblem = partial && (w.partial_serial++ % 3 == 0);

  std::vector<RECT> dirty;
  if (partial) dirty = DirtyRects(with_emblem);

  const double now = NowSeconds();
  const float dt = w.last_frame_time < 0 ? 0.0f : static_cast<float>(std::min(now - w.last_frame_time, 0.1));
  w.last_frame_time = now;

  if (!BackgroundAnimationEnabled()) {
    art::Truck().Park();
    w.step_accumulator = 0;
  } else if (st.screen == ScreenId::Home && !IsGameRunning()) {
    st.truck_time += dt;
    w.step_accumulator += dt;
    while (w.step_accumulator >= kStep) {
      art::Truck().Step(static_cast<float>(kStep));
      w.step_accumulator -= static_cast<float>(kStep);
    }
  }

  if (partial) {
    const std::vector<RECT> after = DirtyRects(with_emblem);
    dirty.insert(dirty.end(), after.begin(), after.end());
  }

  LauncherWindowTesting::FrameTiming timing;
  {
    Gdiplus::Graphics graphics(w.buffer.dc);
    if (partial) {
      Gdiplus::Region region;
      region.MakeEmpty();
      for (const RECT& r : dirty)
        region.Union(Gdiplus::Rect(r.left, r.top, r.right - r.left, r.bottom - r.top));
      graphics.SetClip(&region, Gdiplus::CombineModeReplace);
      ui::SetPaintRects(&graphics, dirty.data(), static_cast<int>(dirty.size()));
      // Nothing is pending when the loop asks for a partial frame: no input, no queue.
      ui::Input quiet = w.input;
      ui::ClearFrameInput(&quiet);
      if (composite)
        HomeMotionPass(&graphics, width, height, quiet, with_emblem);
      else
        Frame(&graphics, width, height, quiet);
      timing.frames = 1;
    } else {
      timing.frames = FrameUntilSettled(&graphics, width, height, w.input, &w.queue);
      w.presented = st.screen;
    }
  }
  if (composite) {
    GdiFlush();
    CompositeForeground(dirty, width, height);
  }
  QueryPerformanceCounter(&t1);
  QueryPerformanceFrequency(&freq);
  const double ms = 1000.0 / static_cast<double>(freq.QuadPart);
  timing.partial = partial;
  timing.emblem = with_emblem;
  timing.frame_ms = static_cast<double>(t1.QuadPart - t0.QuadPart) * ms;
  timing.backdrop_ms = static_cast<double>(st.stamp_backdrop - st.stamp_start) * ms;
  timing.screen_ms = static_cast<double>(st.stamp_end - st.stamp_backdrop) * ms;
  if (partial) LogFrameTime(timing.frame_ms, timing.backdrop_ms, timing.screen_ms);
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
    w.counts.settle += timing.frames - 1;
  }
  GdiFlush();
  QueryPerformanceCounter(&p1);
  timing.present_ms = static_cast<double>(p1.QuadPart - p0.QuadPart) * ms;
  ReleaseDC(hwnd, hdc);
  w.input_pending = false;
  ui::ClearFrameInput(&w.input);
  // After the frame is on screen: what a screen reader reads is what shows. A frame that
  // changed the screen still shows the old one with the focus on a stale id; the next
  // frame, with the new screen's default focus, is the one to tell. A composited partial
  // frame draws only the backdrop's moving parts: what it recorded is not the screen.
  if (!st.screen_changed && !composite) ui::PublishAccess(hwnd);
  QueryPerformanceCounter(&p0);
  timing.access_ms = static_cast<double>(p0.QuadPart - p1.QuadPart) * ms;
  if (w.frame_log) w.frame_log->push_back(timing);
}

// [SECTION] Window procedure

namespace {

// True when a WM_MOUSEMOVE finds the pointer where it already was on the screen: the
// system sends one when the window opens or moves under a resting pointer. The focus
// follows a moving mouse only, so a player's Enter or A right after the window opens
// goes to the screen's default, not to whatever the pointer happens to rest on.
bool PointerRested(HWND hwnd, LPARAM lparam) {
  WindowLayer& w = W();
  POINT at = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ClientToScreen(hwnd, &at);
  const bool rested = at.x == w.pointer.x && at.y == w.pointer.y;
  w.pointer = at;
  return rested;
}

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
  const LauncherState& st = Launcher();
  // Sized to the first file's own length: a fixed buffer would cut a long path short and
  // send the chooser to a folder that doesn't exist.
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length > 0) {
    std::wstring path(length + 1, L'\0');
    const UINT got = DragQueryFileW(drop, 0, path.data(), length + 1);
    path.resize(got);
    if (!path.empty()) {
      if (st.screen != ScreenId::DiscChooser) GoToScreen(ScreenId::DiscChooser);
      ChooseDumpPath(text::WideToUtf8(path));
    }
  }
  DragFinish(drop);
  SetForegroundWindow(hwnd);
}

void OnGameEnded(HWND hwnd, WPARAM exit_code) {
  NoteGameEnded();
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
      const uint8_t moved_before = w.input.mouse_moved;
      const unsigned actions = ui::FeedInputMessage(&w.input, &w.queue, &w.tracking_leave, message, wparam, lparam,
                                                    GetKeyState(VK_SHIFT) < 0);
      if (message == WM_MOUSEMOVE && PointerRested(hwnd, lparam)) w.input.mouse_moved = moved_before;
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

// Full frames at the loop's pace only where something moves with time: the progress
// screen's marks and timers, the chooser's spinners (the search, a row being checked), a
// toast fading out, the seconds of a data-folder move. A job, a check or a measurement
// that only changes text is drawn when its copy changes (ApplyLoopEvents).
bool AnimatingScreen(double now) {
  const LauncherState& st = Launcher();
  if (st.screen == ScreenId::JobProgress) return true;
  if (st.screen == ScreenId::DiscChooser) {
    if (DumpSearch::IsRunning()) return true;
    for (const DumpCandidate& c : st.chosen)
      if (c.kind == kDumpBeingChecked) return true;
  }
  constexpr double kFade = 0.4;
  if (!st.toast_text.empty() && st.toast_until - kFade < now && now < st.toast_until + 0.1) return true;
  if (SettingsNeedFrames()) return true;
  return false;
}

// The idle frame that shows what no event told of. While Home animates, every frame
// already repaints what moves, and a whole frame (which also draws Home's foreground
// anew, twice) would cost more than the animation itself: then it comes less often.
constexpr double kHeartbeat = 2.0;
constexpr double kAnimatedHeartbeat = 10.0;

// At most this long the window waits before it opens for the first verdict and reads.
constexpr unsigned kStartWaitMs = 1500;

// The workers end with the window, each within a bound: the dump check is cancelled (a
// running dtk ends and cleans its probe up), the worker finishes the piece it runs, and
// a job the player chose to quit during is cancelled, so its tool ends with it.
void StopWorkers() {
  const ULONGLONG until = GetTickCount64() + kShutdownWaitMs;
  auto left = [until]() -> unsigned {
    const ULONGLONG now = GetTickCount64();
    return now < until ? static_cast<unsigned>(until - now) : 0;
  };
  DumpChecks::Stop(left());
  Offload::Stop(left());
  ShutdownBackgroundWork(left());
  Launcher().window_loop = false;
  ClearWindowThread();
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
    if (ApplyLoopEvents()) w.input_pending = true;

    const bool shown = IsWindowVisible(hwnd) && !IsIconic(hwnd);
    if (shown) {
      const double now = NowSeconds();
      // Asking XInput about a pad that isn't there costs a good part of a millisecond under
      // Wine, more than an idle iteration's everything else: while none answers, twice a second.
      if (w.pad_connected || now >= w.next_pad_poll) {
        const ui::PadReading pad = ui::ReadFirstPad(w.pad_override ? w.pad_override : w.xinput_get_state);
        w.pad_connected = pad.connected;
        if (!pad.connected) w.next_pad_poll = now + 0.5;
        ui::PollGamepad(&w.pad, pad, GetForegroundWindow() == hwnd, elapsed, &w.queue);
      }
      const bool full = w.input_pending || !w.queue.Empty() || AnimatingScreen(now) || now >= w.repaint_deadline;
      auto animating_home = [] {
        return Launcher().screen == ScreenId::Home && BackgroundAnimationEnabled() && !IsGameRunning();
      };
      if (full) {
        PaintFrame(hwnd, true);
        w.repaint_deadline = now + (animating_home() ? kAnimatedHeartbeat : kHeartbeat);
      } else if (animating_home()) {
        PaintFrame(hwnd, false);
      }
    }
    // Queued navigation codes are taken one per frame, without waiting between them.
    const DWORD wait = !shown ? 200 : w.queue.Empty() ? 30 : 0;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
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
  // From here on this thread must never wait on slow work (platform/window_thread.h).
  MarkWindowThread();
  LauncherState& st = Launcher();
  st.start_tick = GetTickCount64();
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (!LoadLauncherFonts()) {
    MessageBoxA(nullptr, "GDI+ failed to start.", "Kestrane", MB_ICONERROR);
    if (SUCCEEDED(com)) CoUninitialize();
    ClearWindowThread();
    return 1;
  }
  W().system_animation = ReadSystemAnimation();
  MigrateLocalGameData();
  st.window_loop = true;
  RefreshDumpStatus();
  RefreshRuns();
  RequestSettingsOptions();
  // The first frame shows the verdict, not a stand-in, unless it takes long (a disc image
  // extracted anew): then the window opens with the stand-in and the verdict follows.
  SettleSnapshot(kStartWaitMs);
  if (!st.status.configured) GoToScreen(ScreenId::DiscChooser);
  W().xinput_get_state = ui::LoadXInput();

  GetCursorPos(&W().pointer);
  HWND hwnd = CreateLauncherWindow();
  if (!hwnd) {
    // Under Wine this is a missing display: nothing else would tell the player.
    LogLine("[launcher] couldn't create the window (Windows error %lu); is there a display?", GetLastError());
    StopWorkers();
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
  StopWorkers();
  FreeBackBuffer(&W().buffer);
  FreeBackBuffer(&W().over_black);
  FreeBackBuffer(&W().over_white);
  ui::UnloadFonts();
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

LauncherWindowTesting::FrameCounts LauncherWindowTesting::Counts() { return W().counts; }
void LauncherWindowTesting::SetPadReader(ui::XInputGetStateFn reader) { W().pad_override = reader; }
void LauncherWindowTesting::SetFrameLog(std::vector<FrameTiming>* log) { W().frame_log = log; }

LauncherWindowTesting::CompositeCheck LauncherWindowTesting::CheckComposite() {
  WindowLayer& w = W();
  CompositeCheck check;
  const int width = w.buffer.width, height = w.buffer.height;
  BackBuffer whole, parts;
  ui::Input quiet = w.input;
  ui::ClearFrameInput(&quiet);
  w.foreground_valid = false;
  // One moment for every pass: a fading toast would otherwise differ between them.
  Launcher().frozen_tick = GetTickCount64();
  if (MakeBackBuffer(&whole, nullptr, width, height) && MakeBackBuffer(&parts, nullptr, width, height) &&
      EnsureForeground(nullptr, width, height)) {
    {
      Gdiplus::Graphics graphics(whole.dc);
      Frame(&graphics, width, height, quiet);
    }
    std::swap(parts, w.buffer);  // the composite works on the window's buffer
    {
      Gdiplus::Graphics graphics(w.buffer.dc);
      HomeMotionPass(&graphics, width, height, quiet, true);
    }
    GdiFlush();
    CompositeForeground({RECT{0, 0, width, height}}, width, height);
    std::swap(parts, w.buffer);
    check.differing = 0;
    check.box = {width, height, 0, 0};
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) {
      if ((whole.pixels[i] & 0xFFFFFF) == (parts.pixels[i] & 0xFFFFFF)) continue;
      ++check.differing;
      const RECT at = {static_cast<LONG>(i % static_cast<size_t>(width)), static_cast<LONG>(i / static_cast<size_t>(width)),
                       static_cast<LONG>(i % static_cast<size_t>(width)) + 1,
                       static_cast<LONG>(i / static_cast<size_t>(width)) + 1};
      UnionRect(&check.box, &check.box, &at);
      for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((whole.pixels[i] >> shift) & 0xFF), b = static_cast<int>((parts.pixels[i] >> shift) & 0xFF);
        check.worst = std::max(check.worst, std::abs(a - b));
      }
    }
  }
  Launcher().frozen_tick = 0;
  w.foreground_valid = false;
  FreeBackBuffer(&whole);
  FreeBackBuffer(&parts);
  return check;
}
