#include "launcher/home_screen.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "art/emblem.h"
#include "art/wordmark.h"
#include "dump/dump_judgement.h"
#include "game/bug_report.h"
#include "game/game_supervisor.h"
#include "game/run_records.h"
#include "jobs/job_status.h"
#include "launcher/data_folder_move.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "platform/text.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/product.h"
#include "settings/settings_store.h"
#include "ui/access.h"
#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/indicators.h"
#include "ui/text.h"

namespace {

using ui::FontRole;
using ui::Palette;

constexpr float kLeft = 84, kRight = 734, kContentX = 298;

// The graphics settings that make crashes likelier than the safe trio does.
bool GraphicsDifferFromSafe() {
  return SettingsStore::GetInt("graphics.msaa") > 1 || std::string(SettingsStore::Get("graphics.internal_scale")) != "1" ||
         SettingsStore::GetInt("graphics.enhanced_assets") != 0;
}

// Star, label, contents, one link and the separator of a status row; returns the link's click.
bool StatusRow(float y, float h, const wchar_t* label, ui::Color color,
               const std::function<void(float, float)>& contents, const std::wstring& link) {
  ui::FillStar(91, y + 29, 7, color);
  ui::DrawText(ui::UpperCase(label), FontRole::Label, 14, 110, y + 19, Palette::text_dim, ui::kAlignLeft, 0.2f);
  const size_t said = ui::BeginTextCapture();
  contents(kContentX, y + 18);
  // A screen reader hears the row as one line ("Your game: Wii disc, USA (RKVE01), Verified"),
  // and its link with that line as context.
  std::wstring row_text;
  if (ui::AccessRecording()) {
    const ui::CapturedLines lines = ui::JoinCapturedLines(ui::EndTextCapture(said));
    row_text = std::wstring(label) + L": " + lines.first;
    if (ui::AccessItem* item = ui::AccessText(ui::AccessRole::kText, row_text, kLeft, y, kRight - kLeft, h, lines.rest))
      item->key = std::wstring(L"row:") + label;
  }
  const int link_id = ui::Ctx().widget_count;
  const bool clicked = ui::LinkButton(link, kRight, y + 18, 15, Palette::focus, true, nullptr, ui::kAlignRight);
  if (ui::AccessItem* item = ui::AccessFor(link_id)) item->description = row_text;
  ui::DrawLine(kLeft, y + h, kRight, y + h, Palette::gold_tint, 1);
  return clicked;
}

// Title text then a chip after it, as most rows' first lines are.
void TitleWithChip(const std::wstring& title, float x, float y, const std::wstring& chip, ui::Color chip_color,
                   bool tick) {
  const float w = ui::DrawText(title, FontRole::Body, 18, x, y, Palette::text);
  if (!chip.empty()) ui::Chip(chip, x + w + 10, y + 1, chip_color, tick);
}

// A row's second line in Body 14, shrunk to fit its width but never below a readable
// size: a message longer than that wraps onto a second line, which ends in "…" if it
// still doesn't fit.
void FittedLine(const std::wstring& line, float x, float y, float width, ui::Color color) {
  constexpr float kMin = 12;
  const float size = ui::FitTextSize(line, FontRole::Body, 14, width);
  if (size >= kMin) {
    ui::DrawText(line, FontRole::Body, size, x, y, color);
    return;
  }
  std::vector<std::wstring> lines =
      ui::WrapLines(line, width, [](const std::wstring& t) { return ui::MeasureText(t, FontRole::Body, kMin); });
  if (lines.size() > 2) {
    std::wstring rest = lines[1];
    for (size_t i = 2; i < lines.size(); ++i) rest += L" " + lines[i];
    lines.resize(2);
    lines[1] = ui::ElideRight(rest, FontRole::Body, kMin, width);
  }
  for (size_t i = 0; i < lines.size(); ++i)
    ui::DrawText(lines[i], FontRole::Body, kMin, x, y + 14 * static_cast<float>(i), color);
}

void YourGame(const DumpStatus& s, float x, float y) {
  const DumpJudgement& j = s.judgement;
  if (!s.configured) {
    TitleWithChip(L"No disc selected yet", x, y, L"Not found", Palette::warn, false);
    FittedLine(L"Choose the folder you extracted your Wii disc to.", x, y + 26, 330, Palette::text_dim);
  } else if (!Launcher().status_known) {
    // A dump newly configured, or the first look at it: its verdict is on its way.
    TitleWithChip(L"Checking your disc…", x, y, std::wstring(), 0, false);
    ui::DrawText(ui::ElideLeft(text::Utf8ToWide(j.path), FontRole::Body, 14, 330), FontRole::Body, 14, x, y + 26,
                 Palette::text_dim);
  } else if (!j.recognised) {
    TitleWithChip(L"Wii disc", x, y, L"Not found", Palette::error, false);
    FittedLine(text::Utf8ToWide(j.message), x, y + 26, 330, Palette::error);
  } else if (!j.verified) {
    const std::wstring id = text::Utf8ToWide(j.game_id);
    TitleWithChip(id.empty() ? L"Wii disc" : L"Wii disc (" + id + L")", x, y, L"Unknown build", Palette::error, false);
    FittedLine(MainDolChanged(j) ? L"main.dol is modified or damaged. Dump your disc again."
                                 : L"This isn't the retail USA disc. Kestrane only runs RKVE01.",
               x, y + 26, 330, Palette::error);
  } else {
    if (s.imported)
      TitleWithChip(L"Wii disc, USA (RKVE01)", x, y, L"Verified", Palette::ok, true);
    else
      TitleWithChip(L"Wii disc, USA (RKVE01)", x, y, L"Not checked", Palette::warn, false);
    const std::wstring path = ui::ElideLeft(text::Utf8ToWide(j.path), FontRole::Body, 14, 240) + L"  ·  ";
    const float w = ui::DrawText(path, FontRole::Body, 14, x, y + 26, Palette::text_dim);
    ui::DrawText(L"main.dol " + text::Utf8ToWide(InstallLayout::Shorten(j.sha1)), FontRole::Mono, 12.5f, x + w, y + 27,
                 Palette::text_dim);
  }
}

void YourBuild(const BuildStatus& s, float x, float y) {
  if (!s.built) {
    TitleWithChip(L"Kestrane", x, y, L"Missing", Palette::warn, false);
    ui::DrawText(L"Not built yet. It takes about two minutes.", FontRole::Body, 14, x, y + 26, Palette::warn);
    return;
  }
  static const std::wstring kBuilt = L"Kestrane " + text::Utf8ToWide(product::kVersion);
  ui::DrawText(kBuilt, FontRole::Body, 18, x, y, Palette::text);
  float cx = x;
  if (!s.source_ref.empty()) {
    cx += ui::DrawText(L"decomp ", FontRole::Body, 14, cx, y + 26, Palette::text_dim);
    cx += ui::DrawText(text::Utf8ToWide(s.source_ref), FontRole::Mono, 12.5f, cx, y + 27, Palette::text_dim);
    cx += ui::DrawText(L"  ·  ", FontRole::Body, 14, cx, y + 26, Palette::text_dim);
  }
  ui::DrawText(L"built " + text::Utf8ToWide(s.built_time), FontRole::Body, 14, cx, y + 26, Palette::text_dim);
}

void IntroVideo(const JobStatus& job, float x, float y) {
  TitleWithChip(L"Enhancing in the background", x, y, job.paused ? L"Paused while you play" : L"", Palette::warn,
                false);
  std::wstring line = L"Getting ready…";
  if (job.steps.size() > 2 && job.steps[2].state == StepState::kActive && !job.steps[2].detail.empty())
    line = job.steps[2].detail;
  ui::DrawText(ui::ElideRight(line, FontRole::Body, 14, 330), FontRole::Body, 14, x, y + 26, Palette::text_dim);
}

// The last-run row: its own links stack at the right, so it isn't a StatusRow.
void LastRunRow(float y, float h, bool safe_link) {
  LauncherState& st = Launcher();
  const RunRecord& run = st.last_run;
  ui::FillStar(91, y + 29, 7, Palette::error);
  ui::DrawText(L"LAST RUN", FontRole::Label, 14, 110, y + 19, Palette::text_dim, ui::kAlignLeft, 0.2f);
  ui::DrawText(L"Last run stopped unexpectedly.", FontRole::Body, 18, kContentX, y + 18, Palette::error);

  const std::wstring second = run.logKept ? OutcomeText(run.exitCode) + L" · " + text::Utf8ToWide(run.startedAt)
                                          : L"Turn on error logs to keep details next time.";
  if (ui::AccessRecording()) {
    ui::AccessItem* item = ui::AccessText(ui::AccessRole::kText, L"Last run: stopped unexpectedly.", kLeft, y,
                                          kRight - kLeft, h, second);
    if (item) item->key = L"row:Last run";
  }
  float links_width = 0;
  if (run.logKept) {
    float w1 = 0, w2 = 0;
    if (ui::LinkButton(L"View log", kRight, y + 18, 15, Palette::focus, true, &w1, ui::kAlignRight))
      OpenForPlayer(ErrorLogPath());
    if (ui::LinkButton(L"Copy report", kRight, y + 44, 15, Palette::focus, true, &w2, ui::kAlignRight)) CopyReport();
    links_width = std::max(w1, w2);
  } else {
    if (ui::LinkButton(L"Turn on", kRight, y + 18, 15, Palette::focus, true, &links_width, ui::kAlignRight)) {
      SettingsStore::Set("launcher.error_log", "1");
      ShowToast(L"Error logs are on. The next run keeps its details.");
    }
  }
  // Long outcome texts would run under the links: keep the line left of them.
  const float room = kRight - links_width - 16 - kContentX;
  ui::DrawText(ui::ElideRight(second, FontRole::Body, 14, room), FontRole::Body, 14, kContentX, y + 44,
               Palette::text_dim);
  if (safe_link && ui::LinkButton(L"Use safe settings", kRight, y + 70, 15, Palette::focus, true, nullptr,
                                  ui::kAlignRight)) {
    SettingsStore::Set("graphics.msaa", "0");
    SettingsStore::Set("graphics.internal_scale", "1");
    SettingsStore::Set("graphics.enhanced_assets", "0");
    ShowToast(L"Safe settings on: anti-aliasing off, render resolution 1x, enhanced files off. Change them in Graphics.");
  }
  ui::DrawLine(kLeft, y + h, kRight, y + h, Palette::gold_tint, 1);
}

void HeroArt() {
  if (!Launcher().foreground_pass) HomeEmblem();
  art::Wordmark(829, 396, 350);
  static const std::wstring kTagline = L"YOUR DISC · OUR ENGINE";
  const float tw = ui::MeasureTextSpaced(kTagline, FontRole::Label, 12, 0.3f);
  ui::DrawText(kTagline, FontRole::Label, 12, 1004, 503.45f, Palette::text_dim, ui::kAlignCentre, 0.3f);
  ui::FillRect(1004 - tw / 2 - 12 - 54, 510.45f, 54, 2, Palette::gold_tint);
  ui::FillRect(1004 + tw / 2 + 12, 510.45f, 54, 2, Palette::gold_tint);
}

struct Hero {
  const wchar_t* eyebrow;
  const wchar_t* first;
  const wchar_t* second;
  const wchar_t* paragraph;
};

Hero HeroFor(const DumpStatus& s, int level) {
  if (s.configured && !Launcher().status_known)
    return {L"Checking your disc", L"One moment, ", L"driver.",
            L"Kestrane is reading your disc dump. A disc image can take a little longer."};
  if (level == 3)
    return {L"Ready to race", L"Welcome back, ", L"driver.",
            L"Your disc checks out and your build is current. Press Tab or Esc in game for display, sound and controls."};
  if (level == 2)
    return {L"Almost ready", L"Almost there, ", L"driver.",
            L"Your disc checks out. Next, Kestrane builds the game on this PC. It takes a few minutes."};
  if (level == 1)
    return {L"Almost ready", L"Almost there, ", L"driver.",
            L"Your disc checks out. Kestrane needs to index its files once before you play."};
  if (!s.configured)
    return {L"First run", L"Let's find your ", L"disc.",
            L"Kestrane plays from your own Wii disc dump. Choose the folder you extracted it to."};
  if (MainDolChanged(s.judgement))
    return {L"Check your disc", L"Let's find your ", L"disc.",
            L"Your disc is the USA version, but its main.dol doesn't match the retail release: the dump is modified "
            L"or damaged. Dump your disc again."};
  if (s.judgement.recognised)
    return {L"Check your disc", L"Let's find your ", L"disc.",
            L"This disc doesn't match the retail USA game (RKVE01), so Kestrane can't run it. Other regions aren't "
            L"supported yet."};
  return {L"Check your disc", L"Let's find your ", L"disc.",
          L"Kestrane can't find your disc dump where it was. Choose the folder you extracted it to."};
}

// The verdict on a newly configured dump hasn't come yet: PLAY has nothing to go by.
bool VerdictPending() {
  const LauncherState& st = Launcher();
  return st.status.configured && !st.status_known;
}

void PlayAction(int level) {
  if (IsGameRunning()) return;
  if (VerdictPending()) {
    ShowToast(L"Checking your disc. PLAY works in a moment.");
    return;
  }
  if (level == 3) {
    PlayGame();
  } else if (level >= 1) {
    StartSetup(false);
  } else {
    GoToScreen(ScreenId::DiscChooser);
  }
}

}  // namespace

void HomeEmblem() {
  art::Emblem(kHomeEmblemX, kHomeEmblemY, kHomeEmblemSize, std::fmod(Launcher().truck_time * 9.0f, 360.0f));
}

int ReadyLevel() {
  const DumpStatus& s = Launcher().status;
  if (!DiscVerified(s)) return 0;
  if (!Launcher().build.built) return 2;
  return s.imported ? 3 : 1;
}

const wchar_t* PlayLabel() {
  static const wchar_t* const kLabels[] = {L"SELECT YOUR DISC", L"GET READY", L"BUILD KESTRANE", L"PLAY"};
  if (IsGameRunning()) return L"RUNNING";
  return VerdictPending() ? L"CHECKING\u2026" : kLabels[ReadyLevel()];
}

void PlayGame() {
  if (RefuseWhileDataFolderMoves()) return;  // the game reads its files from the data folder
  LauncherState& st = Launcher();
  st.launch_error.clear();
  int kind = kJobSetup;
  if (JobRunning(&kind) && kind == kJobSetup) {
    // The linker may be replacing the very executable PLAY would start.
    ShowToast(L"Kestrane is being set up. PLAY works when that's done.");
    return;
  }
  std::string message;
  if (LaunchGame(&message)) {
    st.game_started = true;
    LogLine("[launcher] game started");
    if (st.hwnd) ShowWindow(st.hwnd, SettingsStore::GetInt("launcher.close_on_play") != 0 ? SW_HIDE : SW_MINIMIZE);
  } else {
    st.launch_error = text::Utf8ToWide(message);
    ShowToast(st.launch_error);
  }
}

void HomeScreen() {
  LauncherState& st = Launcher();
  const DumpStatus& s = st.status;
  const BuildStatus& b = st.build;
  const int level = ReadyLevel();
  const JobStatus& job = st.job;
  const bool enhancing = job.kind == kJobEnhance && job.running;

  HeroArt();

  // Hero.
  const Hero hero = HeroFor(s, level);
  ui::SectionTitle(hero.eyebrow, kLeft, 92, Palette::gold);
  const std::wstring first = hero.first, second = hero.second;
  const float size = ui::FitTextSize(first + second, FontRole::Display, 64, 650);
  const float fw = ui::DrawText(first, FontRole::Display, size, kLeft, 118, Palette::text);
  ui::DrawText(second, FontRole::Display, size, kLeft + fw, 118, Palette::gold);
  float y = size * 0.95f + 118 + 12;
  if (ui::AccessRecording()) {
    ui::AccessText(ui::AccessRole::kText, hero.eyebrow, kLeft, 84, kRight - kLeft, 20);
    ui::AccessText(ui::AccessRole::kHeading, first + second, kLeft, 118, kRight - kLeft, size * 1.2f);
  }
  if (st.last_run_unexpected) {
    y += 6;
  } else {
    const float paragraph = ui::DrawWrapped(hero.paragraph, FontRole::Body, 18, kLeft, y, 650, Palette::text_dim, 1.45f);
    if (ui::AccessRecording()) ui::AccessText(ui::AccessRole::kText, hero.paragraph, kLeft, y, kRight - kLeft, paragraph);
    y += paragraph + 22;
  }
  ui::DrawLine(kLeft, y, kRight, y, Palette::gold_tint, 1);

  // Status rows.
  const float h = st.last_run_unexpected ? 74.0f : 80.0f;
  if (st.last_run_unexpected) {
    const bool safe_link = GraphicsDifferFromSafe();
    const float lh = safe_link ? 100.0f : 74.0f;
    LastRunRow(y, lh, safe_link);
    y += lh;
  }
  const ui::Color game_color = !s.configured          ? Palette::warn
                               : VerdictPending()        ? Palette::text_dim
                               : s.judgement.verified    ? Palette::gold
                                                         : Palette::error;
  if (StatusRow(y, h, L"Your game", game_color, [&s](float x, float cy) { YourGame(s, x, cy); },
                s.configured ? L"Change" : L"Select"))
    GoToScreen(ScreenId::DiscChooser);
  y += h;
  if (StatusRow(y, h, L"Your build", b.built ? Palette::gold : Palette::warn,
                [&b](float x, float cy) { YourBuild(b, x, cy); }, b.built ? L"Rebuild" : L"Build")) {
    if (DiscVerified(s))
      StartSetup(b.built);
    else
      GoToScreen(ScreenId::DiscChooser);
  }
  y += h;
  if (enhancing && job.steps.size() > 2) {
    if (StatusRow(y, h, L"Intro video", Palette::gold, [&job](float x, float cy) { IntroVideo(job, x, cy); },
                  L"Details")) {
      st.sample_job = false;
      GoToScreen(ScreenId::JobProgress);
    }
  } else {
    if (StatusRow(y, h, L"Newest version", Palette::text_dim,
                  [](float x, float cy) {
                    ui::DrawText(L"Local build", FontRole::Body, 18, x, cy, Palette::text);
                    ui::DrawText(L"Update checks are off until Kestrane has an update host.", FontRole::Body, 14, x,
                                 cy + 26, Palette::text_dim);
                  },
                  L"Builds"))
      GoToSettingsPage(SettingsPage::Builds);
  }

  // Navigation links.
  struct NavLink {
    const char* icon;
    const wchar_t* label;
    SettingsPage page;
  };
  static const NavLink kLinks[] = {{"gear", L"Settings", SettingsPage::Display},
                                   {"pad", L"Controls", SettingsPage::Controls},
                                   {"logs", L"Logs", SettingsPage::Logs},
                                   {"about", L"About", SettingsPage::About}};
  float x = kLeft;
  for (const NavLink& link : kLinks) {
    float w = 0;
    if (ui::IconButton(link.icon, x, 626, link.label, &w)) GoToSettingsPage(link.page);
    x += w + 24;
  }

  // PLAY and its key hint.
  const float bw = level == 3 ? 300.0f : 360.0f;
  const int play_id = ui::Ctx().widget_count;
  if (ui::PlayButton(PlayLabel(), 1196 - bw, 600, bw, 74, level == 3, false))
    PlayAction(level);
  const float x0 = 1196 - bw - 28 - 150;
  float bw1 = 0, bw2 = 0;
  ui::Badge(L"A", x0, 626, &bw1);
  const float sw = ui::DrawText(L"/", FontRole::Semibold, 12, x0 + bw1 + 6, 629, Palette::text_dim);
  ui::Badge(L"ENTER", x0 + bw1 + 6 + sw + 6, 626, &bw2);
  ui::DrawText(level == 3 ? L"play" : L"continue", FontRole::Semibold, 12, x0 + bw1 + 6 + sw + 6 + bw2 + 6, 629,
               Palette::text_dim);

  ui::Context& c = ui::Ctx();
  if (st.focus_default) {
    c.focus = play_id;
    st.focus_default = false;
  }
  if (!c.consumed && c.input.nav_start) {
    c.consumed = true;
    PlayAction(level);
  }
  if (!c.consumed && c.input.nav_settings) {
    c.consumed = true;
    GoToSettingsPage(SettingsPage::Display);
  }
}
