#include "launcher/job_progress_screen.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "jobs/enhance_job.h"
#include "jobs/shortcuts.h"
#include "launcher/home_screen.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/sample_job.h"
#include "launcher/status_snapshot.h"
#include "platform/text.h"
#include "ui/access.h"
#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/icons.h"
#include "ui/indicators.h"
#include "ui/interaction.h"
#include "ui/text.h"
#include "ui/value_controls.h"

const wchar_t* JobActionLabel(JobAction action) {
  switch (action) {
    case JobAction::kCancel: return L"CANCEL";
    case JobAction::kContinueInBackground: return L"CONTINUE IN BACKGROUND";
    case JobAction::kTryAgain: return L"TRY AGAIN";
    case JobAction::kBack: return L"BACK";
    case JobAction::kHome: return L"HOME";
    case JobAction::kPlay: return L"PLAY";
  }
  return L"";
}

JobView ViewOfJob(const JobStatus& job) {
  JobView v;
  const int n = static_cast<int>(job.steps.size());
  v.step_count = n;
  int latest = 0;
  float active_progress = 0;
  for (int j = 0; j < n; ++j) {
    const SetupStep& step = job.steps[j];
    switch (step.state) {
      case StepState::kPending:
        continue;
      case StepState::kActive:
        active_progress += step.progress >= 0 ? step.progress : 0.5f;
        break;
      case StepState::kDone:
      case StepState::kSkipped:
        ++v.done;
        break;
      case StepState::kFailed:
        if (v.failed_step < 0) v.failed_step = j;
        break;
    }
    latest = std::max(latest, j);
  }
  v.step_number = 1 + latest;
  if (n > 0) v.fraction = (static_cast<float>(v.done) + active_progress) / static_cast<float>(n);

  if (job.running)
    v.phase = JobPhase::kRunning;
  else if (job.failed || job.cancelled)
    v.phase = JobPhase::kUnsuccessful;
  else if (job.finished)
    v.phase = JobPhase::kSucceeded;
  v.cancelled = job.cancelled;
  v.rebuild = job.kind == kJobSetup && job.title.find(L"Rebuild") != std::wstring::npos;
  v.continue_in_background = job.running && job.kind == kJobEnhance && n > 2 &&
                             job.steps[2].state == StepState::kActive;

  switch (v.phase) {
    case JobPhase::kUnsuccessful:
      v.eyebrow = v.cancelled ? L"Cancelled" : L"Something went wrong";
      v.buttons = {JobAction::kTryAgain, JobAction::kBack};
      break;
    case JobPhase::kSucceeded:
      v.eyebrow = L"All set";
      v.buttons = {JobAction::kPlay, JobAction::kHome};
      break;
    case JobPhase::kRunning:
    case JobPhase::kIdle: {
      // "First run" only where it is one: not over a rebuild or an enhancement.
      wchar_t eyebrow[64];
      const bool first_run = job.kind == kJobSetup && !v.rebuild;
      swprintf(eyebrow, 64, first_run ? L"First run · step %d of %d" : L"Step %d of %d", v.step_number, n);
      v.eyebrow = eyebrow;
      if (v.phase == JobPhase::kIdle) {
        v.buttons = {JobAction::kBack};
      } else {
        v.buttons = {JobAction::kCancel};
        if (v.continue_in_background) v.buttons.push_back(JobAction::kContinueInBackground);
      }
      break;
    }
  }
  return v;
}

StepListLayout LayoutStepList(int step_count, bool details, bool play_shown) {
  StepListLayout l;
  l.pitch = details ? 34.0f : 46.0f;
  l.radius = details ? 12.0f : 15.0f;
  if (details) {
    l.log_top = 222 + static_cast<float>(step_count) * l.pitch + 16 + 12;
    // PLAY's body starts at 618 and its glow 14 units above that.
    l.log_height = (play_shown ? 604.0f : 624.0f) - l.log_top;
    l.log_lines = std::max(0, static_cast<int>(std::floor((l.log_height - 16) / 19)));
  }
  return l;
}

void MakeShortcuts() {
  LauncherState& st = Launcher();
  // Only what a finished first setup offered: a shortcut the player deleted since stays
  // deleted after a rebuild or a later visit to this screen.
  if (!st.offer_shortcuts) return;
  st.offer_shortcuts = false;
  bool failed = false;
  if (st.want_desktop_shortcut && !ShortcutExists(kShortcutDesktop)) failed = !CreateShortcut(kShortcutDesktop) || failed;
  if (st.want_start_menu_entry && !ShortcutExists(kShortcutStartMenu))
    failed = !CreateShortcut(kShortcutStartMenu) || failed;
  if (failed) ShowToast(L"Couldn't make a shortcut. You can still start Kestrane from its folder.");
}

namespace {

using ui::FontRole;
using ui::Palette;

constexpr float kLeft = 96, kWidth = 1088, kRight = 1184;
constexpr float kButtonY = 627;  // centred on PLAY's line
constexpr float kBarY = 196;

void OverallBar(const JobView& v, bool running) {
  ui::FillRoundRect(kLeft, kBarY, kWidth, 10, 5, Palette::line);
  if (v.fraction <= 0) return;
  const bool unsuccessful = v.phase == JobPhase::kUnsuccessful;
  const float f = std::min(kWidth, std::max(10.0f, kWidth * v.fraction));
  ui::FillRoundRect(kLeft, kBarY, f, 10, 5, unsuccessful ? Palette::error : Palette::accent);
  if (unsuccessful) return;
  ui::PushRoundClip(kLeft, kBarY, f, 10, 5);
  const float offset = running ? static_cast<float>(std::fmod(NowSeconds() * 30.0, 26.4)) : 0.0f;
  for (float p = 66 + offset; p < 126 + f; p += 26.4f) {
    const Gdiplus::PointF stripe[4] = {{p, kBarY}, {p + 13.2f, kBarY}, {p + 8.5f, kBarY + 10}, {p - 4.7f, kBarY + 10}};
    ui::FillPolygon(stripe, 4, 0xFFFF7A22);
  }
  ui::PopState();
  if (v.fraction < 1) {
    ui::FillRect(88 + f, 190, 12, 22, ui::Fade(Palette::gold, 0.15f));
    ui::FillRect(92 + f, 192, 4, 18, Palette::gold);
  }
}

void StepMark(const SetupStep& step, float cy, float r) {
  const float cx = 140;
  switch (step.state) {
    case StepState::kDone:
    case StepState::kSkipped:
      ui::FillCircle(cx, cy, r, Palette::gold);
      ui::DrawIcon("tick", cx - 0.55f * r, cy - 0.55f * r, 1.1f * r, Palette::on_gold, 3);
      break;
    case StepState::kActive:
      ui::StrokeCircle(cx, cy, r - 1, Palette::line, 2);
      ui::StrokeArc(cx, cy, r - 1, static_cast<float>(std::fmod(NowSeconds() * 300.0, 360.0)), 90, Palette::accent,
                    2.4f);
      break;
    case StepState::kFailed:
      ui::FillCircle(cx, cy, r, Palette::error);
      ui::DrawIcon("cross", cx - 0.5f * r, cy - 0.5f * r, r, Palette::text, 2.6f);
      break;
    case StepState::kPending:
      ui::StrokeCircle(cx, cy, r - 1, Palette::line, 2);
      break;
  }
}

// A 160 x 4 track with a 40-unit segment sliding across it every 1.25 s: busy, amount unknown.
void SlidingSegment(float x, float y) {
  ui::FillRoundRect(x, y, 160, 4, 2, Palette::line);
  const float s = x - 40 + 200 * static_cast<float>(std::fmod(NowSeconds() * 0.8, 1.0));
  ui::PushClip(x, y, 160, 4);
  ui::FillRoundRect(s, y, 40, 4, 2, Palette::gold);
  ui::PopState();
}

// A step is heard as its title with its state and detail as the value ("Build Kestrane:
// in progress, compiling main").
void SayStep(const SetupStep& step, float top, float height) {
  static const wchar_t* const kWords[] = {L"waiting", L"in progress", L"done", L"failed", L"skipped"};
  const size_t state = static_cast<size_t>(step.state);
  ui::AccessItem* item = ui::AccessText(ui::AccessRole::kProgressStep, step.title, kLeft, top, kWidth, height);
  if (!item) return;
  item->value = state < 5 ? kWords[state] : L"";
  if (!step.detail.empty()) item->value += L", " + step.detail;
  if (step.state == StepState::kActive) item->state |= ui::kAccessBusy;
}

std::wstring Timer(const SetupStep& step) {
  if (step.state == StepState::kPending) return L"\u2013";
  const double end = step.state == StepState::kActive ? JobClockNow() : step.endTime;
  const int s = std::max(0, static_cast<int>(std::floor(end - step.startTime)));
  wchar_t text[32];
  swprintf(text, 32, L"%d:%02d", s / 60, s % 60);
  return text;
}

void StepList(const JobStatus& job, const StepListLayout& l, bool details, bool sample) {
  const int n = static_cast<int>(job.steps.size());
  const float p = l.pitch, r = l.radius;
  ui::FillRoundRect(kLeft, 222, kWidth, n * p + 16, 10, ui::Fade(Palette::panel, 0.85f));
  ui::StrokeRoundRect(kLeft, 222, kWidth, n * p + 16, 10, Palette::line, 1);
  for (int j = 0; j < n; ++j) {
    const SetupStep& step = job.steps[j];
    const float t = 230 + j * p;
    const bool started = step.state != StepState::kPending;
    const bool failed = step.state == StepState::kFailed;
    const bool active = step.state == StepState::kActive;
    if (j + 1 < n) {
      const bool passed = step.state == StepState::kDone || step.state == StepState::kSkipped;
      // From just below this mark to just above the next (34 and p with the full rows).
      ui::DrawLine(140, t + 19 + r, 140, t + p + 15 - r, passed ? Palette::gold : Palette::line, 2);
    }
    StepMark(step, t + 16, r);
    const ui::Color title_color = failed ? Palette::error : started ? Palette::text : Palette::text_dim;
    ui::DrawText(step.title, started ? FontRole::Semibold : FontRole::Body, details ? 16.0f : 18.0f, 174,
                 t + (details ? 6.0f : 4.0f), title_color);

    if (!details) {
      float detail_end = 174;
      if (!step.detail.empty()) {
        const float size = ui::FitTextSize(step.detail, FontRole::Body, 14, 808);
        detail_end += ui::DrawText(step.detail, FontRole::Body, size, 174, t + 27,
                                   failed ? Palette::text : Palette::text_dim) + 12;
      }
      // An active step always shows that it is working, also before it has a detail
      // (the disc check can read a disc image for minutes).
      if (active && step.progress >= 0)
        ui::ProgressBar(detail_end, t + 34, 160, 4, step.progress);
      else if (active && step.progress == -1 && !sample)
        SlidingSegment(detail_end, t + 34);
    }
    ui::DrawText(Timer(step), FontRole::Mono, 13, 1156, t + (details ? 8.0f : 7.0f),
                 active ? Palette::gold : Palette::text_dim, ui::kAlignRight);
    if (ui::AccessRecording()) SayStep(step, t, p);
  }
}

void LogView(const JobStatus& job, const StepListLayout& l) {
  if (l.log_lines <= 0) return;
  const float y0 = l.log_top, h = l.log_height;
  ui::FillRoundRect(kLeft, y0, kWidth, h, 6, Palette::ink);
  ui::StrokeRoundRect(kLeft, y0, kWidth, h, 6, Palette::line, 1);
  const size_t k = static_cast<size_t>(l.log_lines);
  const size_t first = job.log.size() > k ? job.log.size() - k : 0;
  ui::PushClip(104, y0 + 4, 1072, h - 8);
  for (size_t i = first; i < job.log.size(); ++i)
    ui::DrawText(text::Utf8ToWide(job.log[i]), FontRole::Mono, 12, 110, y0 + 8 + 19 * static_cast<float>(i - first),
                 Palette::text_dim);
  ui::PopState();
}

// The eyebrow is live: a screen reader says "step 5 of 8" as the job moves on.
void SayHeader(const JobStatus& job, const JobView& v, bool running) {
  if (ui::AccessItem* item = ui::AccessText(ui::AccessRole::kText, v.eyebrow, kLeft, 84, kWidth, 20)) {
    item->key = L"eyebrow";
    item->state |= ui::kAccessLive;
  }
  ui::AccessText(ui::AccessRole::kHeading, job.title, kLeft, 106, kWidth, 58);
  ui::AccessText(ui::AccessRole::kText, job.subtitle, kLeft, 162, kWidth, 22);
  ui::AccessItem* bar = ui::AccessText(ui::AccessRole::kProgressBar, L"Progress", kLeft, kBarY, kWidth, 10);
  if (!bar) return;
  const int percent = static_cast<int>(std::lround(std::clamp(v.fraction, 0.0f, 1.0f) * 100));
  bar->value = std::to_wstring(percent) + L"%";
  bar->number = percent;
  bar->maximum = 100;
  bar->step = 1;
  if (running) bar->state |= ui::kAccessBusy;
}

void TryAgain(const JobStatus& job, const JobView& v) {
  LauncherState& st = Launcher();
  st.sample_job = false;
  if (job.kind == kJobEnhance) {
    st.finish_seen = false;
    st.screen_changed = true;
    if (!StartEnhanceJob())
      ShowToast(L"Another job started just now. Try again when it's done.");
    else
      NoteJobStarted();
    return;
  }
  // The dump itself was the problem: choose another. A cancel there wasn't.
  if (!v.cancelled && (v.failed_step == 0 || v.failed_step == 1)) {
    GoToScreen(ScreenId::DiscChooser);
    return;
  }
  StartSetup(v.rebuild);
}

void Leave() {
  MakeShortcuts();
  GoToScreen(ScreenId::Home);
}

void Act(JobAction action, const JobStatus& job, const JobView& v) {
  LauncherState& st = Launcher();
  switch (action) {
    case JobAction::kCancel:
      CancelJob();
      st.sample_job = false;
      break;
    case JobAction::kContinueInBackground:
      GoToScreen(ScreenId::Home);  // which reads the dump status again
      ShowToast(L"Enhancing in the background. You can play now: it pauses while the game runs.");
      break;
    case JobAction::kTryAgain:
      TryAgain(job, v);
      break;
    case JobAction::kBack:
      GoToScreen(ScreenId::Home);
      break;
    case JobAction::kHome:
      Leave();
      break;
    case JobAction::kPlay:
      MakeShortcuts();
      GoToScreen(ScreenId::Home);  // which reads the dump status again
      PlayGame();
      break;
  }
}

}  // namespace

void JobProgressScreen() {
  LauncherState& st = Launcher();
  ui::Context& c = ui::Ctx();
  // The loop's copy of the job record: its end was handled there, before this frame.
  const JobStatus job = st.sample_job ? SampleJob() : st.job;
  const JobView v = ViewOfJob(job);
  const bool running = v.phase == JobPhase::kRunning;
  const bool succeeded = v.phase == JobPhase::kSucceeded;

  // Header and bar.
  ui::SectionTitle(v.eyebrow, kLeft, 84, v.phase == JobPhase::kUnsuccessful ? Palette::error : Palette::gold);
  ui::DrawText(job.title, FontRole::Display, ui::FitTextSize(job.title, FontRole::Display, 48, kWidth), kLeft, 106,
               Palette::text);
  ui::DrawText(job.subtitle, FontRole::Body, ui::FitTextSize(job.subtitle, FontRole::Body, 17, kWidth), kLeft, 162,
               Palette::text_dim);
  OverallBar(v, running);
  if (ui::AccessRecording()) SayHeader(job, v, running);

  const StepListLayout layout = LayoutStepList(static_cast<int>(job.steps.size()), st.show_details, succeeded);
  StepList(job, layout, st.show_details, st.sample_job);
  if (st.show_details) LogView(job, layout);

  // Bottom row.
  float link_w = 0;
  const int details_id = c.widget_count;
  if (ui::LinkButton(st.show_details ? L"Hide details" : L"Show details", kLeft, 646, 15, Palette::focus, true,
                     &link_w))
    st.show_details = !st.show_details;
  if (ui::AccessItem* item = ui::AccessFor(details_id)) item->state |= st.show_details ? ui::kAccessExpanded : ui::kAccessCollapsed;
  const float q = kLeft + link_w + 28;
  if (st.offer_shortcuts && succeeded) {
    const int desktop = ui::Focusable(q, 642, 190, 30);
    ui::Checkbox(&st.want_desktop_shortcut, L"Desktop shortcut", q, 645, desktop);
    const int start_menu = ui::Focusable(q + 220, 642, 210, 30);
    ui::Checkbox(&st.want_start_menu_entry, L"Start menu entry", q + 220, 645, start_menu);
  } else {
    ui::DrawIcon("shield", q, 649, 16, Palette::ok, 1.8f);
    static const std::wstring kPrivacy = L"Your dump is only read, never changed. Nothing leaves this PC.";
    const float w = ui::DrawText(kPrivacy, FontRole::Body, 14, q + 24, 648, Palette::text_dim);
    ui::AccessText(ui::AccessRole::kText, kPrivacy, q, 642, w + 24, 24);
  }

  // Buttons, registered left to right so Tab walks them as they read; the first label
  // (the rightmost) is the default.
  int default_id = -1;
  bool any_pressed = false;
  JobAction pressed = JobAction::kBack;
  auto press = [&](JobAction action) {
    any_pressed = true;
    pressed = action;
  };
  if (succeeded) {
    const wchar_t* home = JobActionLabel(JobAction::kHome);
    if (ui::Button(home, 894 - ui::ButtonWidth(home), kButtonY)) press(JobAction::kHome);
    default_id = c.widget_count;
    if (ui::PlayButton(JobActionLabel(JobAction::kPlay), 924, 618, 260, 62, true, false)) press(JobAction::kPlay);
  } else {
    std::vector<float> left(v.buttons.size());
    float right = kRight;
    for (size_t i = 0; i < v.buttons.size(); ++i) {
      left[i] = right - ui::ButtonWidth(JobActionLabel(v.buttons[i]));
      right = left[i] - 20;
    }
    for (size_t i = v.buttons.size(); i-- > 0;) {
      if (i == 0) default_id = c.widget_count;
      if (ui::Button(JobActionLabel(v.buttons[i]), left[i], kButtonY)) press(v.buttons[i]);
    }
  }
  if (any_pressed) Act(pressed, job, v);

  if (!c.consumed && c.input.nav_back) {
    c.consumed = true;
    if (running) {
      Act(JobAction::kCancel, job, v);
    } else if (succeeded) {
      Leave();
    } else {
      GoToScreen(ScreenId::Home);
    }
  }

  if (st.focus_default && default_id >= 0) {
    c.focus = default_id;
    st.focus_default = false;
  }
}
