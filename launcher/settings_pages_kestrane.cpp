// Settings pages Builds, Logs and About, the table of all nine pages, and the files the
// pages show.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "art/emblem.h"
#include "game/run_records.h"
#include "jobs/build_folder_size.h"
#include "jobs/enhance_job.h"
#include "jobs/job_status.h"
#include "launcher/data_folder_move.h"
#include "launcher/launcher_actions.h"
#include "launcher/settings_options.h"
#include "launcher/settings_pages.h"
#include "launcher/settings_rows.h"
#include "platform/env.h"
#include "platform/text.h"
#include "settings/ini_file.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/product.h"
#include "settings/settings_store.h"
#include "ui/access.h"
#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/interaction.h"
#include "ui/text.h"
#include "ui/value_controls.h"

namespace {

using ui::FontRole;
using ui::Palette;

constexpr float kControlX = 496, kRight = 880;

// The path with its leading LOCALAPPDATA (matched exactly) written as the variable, so
// a screenshot of the page doesn't show the player's user folder.
std::wstring WithLocalAppData(const std::string& path, const std::string& local_app_data) {
  if (!local_app_data.empty() && path.compare(0, local_app_data.size(), local_app_data) == 0)
    return L"%LOCALAPPDATA%" + text::Utf8ToWide(path.substr(local_app_data.size()));
  return text::Utf8ToWide(path);
}

float Section(const std::wstring& heading, const std::wstring& paragraph, float y) {
  ui::DrawText(ui::UpperCase(heading), FontRole::Label, 12, 304, y, Palette::text_dim, ui::kAlignLeft, 0.24f);
  const float h = 22 + ui::DrawWrapped(paragraph, FontRole::Body, 14, 304, y + 22, 576, Palette::text, 1.45f);
  ui::AccessText(ui::AccessRole::kText, heading, 304, y, 576, h, paragraph);
  return h;
}

}  // namespace

// [SECTION] Builds

void BuildsContent() {
  const LauncherState& st = Launcher();
  const DumpStatus& s = st.status;
  const BuildStatus& b = st.build;
  const bool verified = DiscVerified(s);

  const RowPlace row = SettingsRow(L"Your build", L"", nullptr, 44);
  if (b.built) {
    ui::DrawText(L"Kestrane " + text::Utf8ToWide(product::kVersion), FontRole::Semibold, 15, kControlX, row.top,
                 Palette::text);
    std::wstring line;
    if (!b.source_ref.empty()) line = L"decomp " + text::Utf8ToWide(b.source_ref) + L" \u00B7 ";
    line += L"built " + text::Utf8ToWide(b.built_time);
    ui::DrawText(line, FontRole::Body, 13, kControlX, row.top + 22, Palette::text_dim);
  } else {
    ui::DrawText(L"Not built yet", FontRole::Semibold, 15, kControlX, row.top, Palette::warn);
    ui::DrawText(L"It takes about two minutes.", FontRole::Body, 13, kControlX, row.top + 22, Palette::text_dim);
  }
  if (RowButton(row.id, b.built ? L"Rebuild" : L"Build", kRight, row.top, verified && !st.data_move_running))
    StartSetup(b.built);

  const RowPlace disk = SettingsRow(L"Disk use", L"The game, its build files and the compiler's cache. Rebuilds reuse the "
                                                 L"cache, so they're faster.",
                                    nullptr, 22);
  const int64_t size = st.build_folder_size;
  if (size < 0)
    ui::DrawText(L"Measuring\u2026", FontRole::Semibold, 15, kControlX, disk.top + 2, Palette::text_dim);
  else
    ui::DrawText(InstallLayout::FormatSize(size), FontRole::Semibold, 15, kControlX, disk.top + 2, Palette::text);

  const RowPlace updates = SettingsRow(L"Updates", L"Kestrane has no update host yet, so nothing is checked. When it has "
                                                   L"one, updates arrive only with your consent and rebuild on this PC.",
                                       nullptr, 22);
  ui::DrawText(L"Local build", FontRole::Semibold, 15, kControlX, updates.top + 2, Palette::text);

  static const std::vector<SettingOption> kChannels = {{"stable", L"Stable"}, {"nightly", L"Nightly"}};
  static const std::vector<SettingOption> kOnPlay = {{"1", L"Close the launcher"}, {"0", L"Minimise it"}};
  static const std::vector<std::string> kRendererValues = {"gl"};
  static const std::vector<std::wstring> kRendererLabels = {L"OpenGL"};
  ToggleRow(L"Check for updates", "launcher.check_updates", L"Only once Kestrane has an update host.");
  SegmentedRow(L"Channel", "launcher.channel", kChannels,
               std::string(SettingsStore::Get("launcher.channel")) == "nightly" ? L"Untested. Back up your saves first."
                                                                                : L"");
  SegmentedRow(L"When the game starts", "launcher.close_on_play", kOnPlay,
               L"Minimise brings the launcher back when the game exits.");
  GroupHeading(L"Advanced");
  SelectorRow(L"Renderer", "graphics.renderer", kRendererValues, kRendererLabels, L"Only one backend for now.");
}

void BuildsColumn() {
  InfoHeading(L"Builds");
  InfoText(L"Kestrane is built on this PC from the decomp's source and your own disc. No game exe is downloaded.", 182);
  const std::string& root = Launcher().settings_files.checkout_root;
  if (!root.empty()) InfoPathNote(L"Source: this PC's checkout, ", text::Utf8ToWide(root), 266);
}

// [SECTION] Logs

namespace {

void ErrorLogRow() {
  const float y = RowCursor();
  const int id = ui::Focusable(284, y, 596, 70);
  bool on = SettingsStore::GetInt("launcher.error_log") != 0;
  if (ui::Checkbox(&on, L"Save error logs", 304, y + 6, id)) SettingsStore::Set("launcher.error_log", on ? "1" : "0");
  static const std::wstring kHelp =
      L"Writes errors and warnings from the launcher and the game to a log file, to help track down problems. "
      L"Applies from the next time the game starts.";
  ui::DrawWrapped(kHelp, FontRole::Body, 13, 340, y + 36, 540, Palette::text_dim, 1.4f);
  if (ui::AccessItem* item = ui::AccessFor(id)) item->description = kHelp;
  float height = 70;
  const char* variable = SettingsStore::OverrideVariable("launcher.error_log");
  if (variable) {
    ui::DrawText(L"Set by " + text::Utf8ToWide(variable) + L" for this session.", FontRole::Mono, 11, 340, y + 72,
                 Palette::focus);
    height += 14;
  }
  AddFocusRow(id, y, height);
  const float line = y + (variable ? 92.0f : 78.0f);
  ui::DrawLine(304, line, 880, line, Palette::gold_tint, 1);
  MoveRowCursor(line + 14 - y);
}

void RunRows() {
  const RunList& f = Launcher().runs;
  if (!f.loaded) return;  // the worker is reading them; a moment later they show
  if (f.runs.empty()) {
    static const std::wstring kNoRuns = L"No runs yet. They show up here after you play.";
    ui::DrawText(kNoRuns, FontRole::Body, 14, 304, RowCursor(), Palette::text_dim);
    ui::AccessText(ui::AccessRole::kText, kNoRuns, 304, RowCursor(), 576, 20);
    MoveRowCursor(30);
    return;
  }
  for (size_t i = 0; i < f.runs.size(); ++i) {
    const RunRecord& run = f.runs[i];
    const float y = RowCursor();
    wchar_t length[32];
    swprintf(length, 32, L"%d:%02d", run.seconds / 60, run.seconds % 60);
    ui::DrawText(text::Utf8ToWide(run.startedAt), FontRole::Mono, 12.5f, 304, y + 2, Palette::text);
    ui::DrawText(length, FontRole::Mono, 12.5f, 474, y + 2, Palette::text_dim);
    const std::wstring outcome = OutcomeText(run.exitCode);
    const ui::Color color = run.kind == "Crashed" ? Palette::error : run.kind == "OK" ? Palette::ok : Palette::warn;
    ui::DrawText(outcome, FontRole::Semibold, std::min(14.0f, ui::FitTextSize(outcome, FontRole::Semibold, 14, 266)), 544,
                 y, color);
    const std::string& log = i < f.run_logs.size() ? f.run_logs[i] : std::string();
    std::wstring said;
    if (ui::AccessRecording()) {
      said = text::Utf8ToWide(run.startedAt) + L", " + length + L", " + outcome;
      ui::AccessText(ui::AccessRole::kListRow, said, 304, y, 576, 22);
    }
    if (!log.empty()) {
      const int id = ui::Ctx().widget_count;
      if (ui::LinkButton(L"Open", kRight, y - 1, 14, Palette::focus, false, nullptr, ui::kAlignRight)) OpenForPlayer(log);
      if (ui::AccessItem* item = ui::AccessFor(id)) item->description = L"The log of the run of " + said;
      AddFocusRow(id, y - 3, 14 * 1.4f + 4);
    } else {
      ui::DrawText(run.logKept ? L"rotated out" : L"no log", FontRole::Body, 13, kRight, y + 1, Palette::text_dim,
                   ui::kAlignRight);
    }
    MoveRowCursor(26);
  }
}

}  // namespace

void LogsContent() {
  ErrorLogRow();
  ui::DrawText(L"LAST RUNS", FontRole::Label, 12, 304, RowCursor(), Palette::text_dim, ui::kAlignLeft, 0.24f);
  MoveRowCursor(26);
  RunRows();
  MoveRowCursor(12);
  ButtonRow buttons{RowCursor()};
  // The report is composed and saved on the worker; its toast follows when it's done.
  if (buttons.Add(L"Open folder")) OpenForPlayer(Launcher().settings_files.logs_folder);
  if (buttons.Add(L"Copy report")) CopyReport();
  if (buttons.Add(L"Save report")) SaveReport();
  MoveRowCursor(60);
}

void LogsColumn() {
  const SettingsPageFiles& f = Launcher().settings_files;
  InfoHeading(L"Logs");
  InfoText(L"The log keeps the last five runs: kestrane_log.txt and .1 to .4. A report holds the log, your settings and "
           L"build info, with your home folder and name removed. Nothing is uploaded; you choose where to send it.",
           182);
  InfoPathNote(L"", WithLocalAppData(f.logs_folder, f.local_app_data), 316);
}

// [SECTION] About

void AboutContent() {
  const float y = RowCursor();
  ui::FillStar(318, y + 22, 14, Palette::gold);
  ui::DrawText(L"Kestrane", FontRole::Display, 40, 344, y, Palette::text);
  ui::DrawText(L"version " + text::Utf8ToWide(product::kVersion) + L" \u00B7 launcher " +
                   text::Utf8ToWide(product::kLauncherVersion),
               FontRole::Mono, 12.5f, 344, y + 50, Palette::text_dim);
  float cursor = y + 84;
  static const std::wstring kOwnCopy = L"Kestrane uses your own copy of the game. No game data is included.";
  const float own_h = ui::DrawWrapped(kOwnCopy, FontRole::Semibold, 16, 304, cursor, 576, Palette::text, 1.45f);
  if (ui::AccessRecording()) {
    ui::AccessText(ui::AccessRole::kText,
                   L"Kestrane, version " + text::Utf8ToWide(product::kVersion) + L", launcher " +
                       text::Utf8ToWide(product::kLauncherVersion),
                   304, y, 576, 70);
    ui::AccessText(ui::AccessRole::kText, kOwnCopy, 304, cursor, 576, own_h);
  }
  cursor += own_h;
  cursor += 14;
  cursor += Section(L"Credits",
                    L"Built from the community decompilation of the game on your disc, and its contributors' matching "
                    L"source. The launcher's art (star, tilt ring, truck) is our own.",
                    cursor) +
            14;
  cursor += Section(L"Licence", L"Unpublished. The licence is chosen before the first release.", cursor) + 14;
  cursor += Section(L"Fonts",
                    L"Interface fonts: " + ui::FontName(FontRole::Display) + L", " + ui::FontName(FontRole::Body) + L", " +
                        ui::FontName(FontRole::Mono) +
                        L". Barlow, Barlow Condensed and JetBrains Mono (SIL OFL 1.1) are used when bundled in "
                        L"assets\\fonts.",
                    cursor) +
            14;
  cursor += Section(L"What Kestrane connects to",
                    L"Nothing, for now. Once an update host exists, the launcher fetches only its signed manifest and "
                    L"source archives, and nothing is uploaded. Turn the check off with launcher.check_updates = 0.",
                    cursor) +
            14;
  MoveRowCursor(cursor - y);
  ButtonRow button{RowCursor()};
  if (button.Add(L"Open settings folder")) OpenForPlayer(Launcher().settings_files.local_dir);
  MoveRowCursor(60);
}

void AboutColumn() {
  const LauncherState& st = Launcher();
  const SettingsPageFiles& f = st.settings_files;
  InfoHeading(L"Your settings");
  InfoText(L"The launcher and the in-game menu edit the same file. Only values you changed are written.", 182);
  InfoPathNote(L"", WithLocalAppData(f.settings_file, f.local_app_data), 246);
  art::Emblem(974, 326, 200, std::fmod(st.truck_time * 9.0f, 360.0f));
}

// [SECTION] The pages and their files

const SettingsPageDef& SettingsPageAt(SettingsPage page) {
  static const SettingsPageDef kPages[kSettingsPageCount] = {
      {L"Game files", "disc", nullptr, GameFilesContent, GameFilesColumn},
      {L"Display", "display", "display", DisplayContent, DisplayColumn},
      {L"Graphics", "graphics", "graphics", GraphicsContent, GraphicsColumn},
      {L"Audio", "audio", "audio", AudioContent, AudioColumn},
      {L"Controls", "pad", "controls", ControlsContent, ControlsColumn},
      {L"Language", "language", "game", LanguageContent, LanguageColumn},
      {L"Builds", "builds", nullptr, BuildsContent, BuildsColumn},
      {L"Logs", "logs", nullptr, LogsContent, LogsColumn},
      {L"About", "about", nullptr, AboutContent, AboutColumn},
  };
  return kPages[SettingsPageNumber(page)];
}

void LoadSettingsPageFiles(SettingsPage page) {
  LauncherState& st = Launcher();
  SettingsPageFiles& f = st.settings_files;
  f = SettingsPageFiles();
  f.loaded = true;
  f.page = page;
  env::Get("LOCALAPPDATA", &f.local_app_data);
  // Small files and paths only: what can be long (runs.tsv, the system's lists) is read
  // by a worker, and the page shows it when it comes.
  switch (page) {
    case SettingsPage::GameFiles: {
      f.data_dir = InstallLayout::DataDir();
      IniMap ini;
      if (ReadIniFile(InstallLayout::DumpIniPath(), &ini) && !ini["sets"].empty()) {
        f.index_known = true;
        f.index_line = text::Utf8ToWide(ini["sets"]) + L" resource sets, " + text::Utf8ToWide(ini["resources"]) +
                       L" resources \u00B7 " + text::Utf8ToWide(ini["imported"]);
      }
      break;
    }
    case SettingsPage::Display:
    case SettingsPage::Audio:
      RequestSettingsOptions();
      break;
    case SettingsPage::Graphics: {
      const int64_t size = EnhancedVideoSize();
      f.enhanced_video_size = size > 0 ? size : -1;  // what HasEnhancedVideo asks, read once
      break;
    }
    case SettingsPage::Builds:
      f.checkout_root = InstallLayout::CheckoutRoot();
      st.build_folder_size = BuildFolderSize();  // asking starts the measurement when none is known
      break;
    case SettingsPage::Logs:
      f.logs_folder = LogsFolder();
      RefreshRuns();
      break;
    case SettingsPage::About:
      f.settings_file = SettingsStore::FilePath();
      f.local_dir = InstallLayout::LocalDir();
      break;
    default:
      break;
  }
}
