// Settings pages Game files, Display, Graphics, Audio, Controls and Language.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "art/emblem.h"
#include "dump/dump_judgement.h"
#include "jobs/enhance_job.h"
#include "jobs/job_status.h"
#include "launcher/data_folder_move.h"
#include "launcher/launcher_actions.h"
#include "launcher/offload.h"
#include "launcher/pickers.h"
#include "launcher/settings_options.h"
#include "launcher/settings_pages.h"
#include "launcher/settings_rows.h"
#include "launcher/status_snapshot.h"
#include "platform/text.h"
#include "settings/install_layout.h"
#include "settings/settings_store.h"
#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/indicators.h"
#include "ui/interaction.h"
#include "ui/text.h"

namespace {

using ui::FontRole;
using ui::Palette;

constexpr float kControlX = 496, kRight = 880;

SettingsPagesTesting::FolderPicker g_folder_picker = nullptr;

std::string Setting(const char* key) { return SettingsStore::Get(key); }

// [SECTION] Game files

std::string DumpFolderToOpen(const DumpJudgement& j) {
  if (!IsDiscImage(j.path)) return j.path;
  const size_t cut = j.path.find_last_of("\\/");
  return cut == std::string::npos ? j.path : j.path.substr(0, cut);
}

void ChangeDataFolder() {
  const std::wstring refusal = DataFolderMoveRefusal();
  if (!refusal.empty()) {
    ShowToast(refusal);  // before the picker: choosing a folder only to be refused is worse
    return;
  }
  const std::wstring title = L"Choose where Kestrane keeps its game data";
  const std::string chosen = g_folder_picker ? g_folder_picker(title) : PickFolder(title);
  if (!chosen.empty()) StartDataFolderMove(chosen);
}

void StatusRow(const DumpStatus& s) {
  const DumpJudgement& j = s.judgement;
  // A changed main.dol shows both digests and, as the row's help, what is wrong.
  const bool changed = Launcher().status_known && s.configured && MainDolChanged(j);
  const RowPlace row =
      SettingsRow(L"Status", changed ? text::Utf8ToWide(j.message) : std::wstring(), nullptr, changed ? 66 : 50);
  std::wstring line;
  if (!Launcher().status_known && s.configured) {
    // The status is a stand-in until the dump has been read; "Not found" would be wrong.
    ui::Chip(L"Checking\u2026", kControlX, row.top, Palette::text_dim, false);
    line = L"Reading your disc dump\u2026";
  } else {
    if (!s.configured)
      ui::Chip(L"No disc", kControlX, row.top, Palette::warn, false);
    else if (!j.recognised)
      ui::Chip(L"Not found", kControlX, row.top, Palette::error, false);
    else if (j.verified)
      ui::Chip(L"Verified \u00B7 Wii (USA), RKVE01", kControlX, row.top, Palette::ok, true);
    else
      ui::Chip(L"Unknown build", kControlX, row.top, Palette::error, false);
    line = j.sha1.empty() ? text::Utf8ToWide(j.message) : L"main.dol SHA-1 " + text::Utf8ToWide(j.sha1);
  }
  std::wstring expected;
  if (changed) {
    line = L"main.dol SHA-1 " + text::Utf8ToWide(j.sha1);
    expected = L"retail   SHA-1 " + text::Utf8ToWide(kExpectedMainDolSha1);
  }
  if (!line.empty()) {
    const float size = std::min(12.0f, ui::FitTextSize(line, FontRole::Mono, 12, 384));
    ui::DrawText(line, FontRole::Mono, size, kControlX, row.top + 28, Palette::text_dim);
    if (!expected.empty()) ui::DrawText(expected, FontRole::Mono, size, kControlX, row.top + 46, Palette::text_dim);
  }
}

std::wstring MinutesSeconds(double seconds) {
  const int s = std::max(0, static_cast<int>(seconds));
  wchar_t text[32];
  swprintf(text, 32, L"%d:%02d", s / 60, s % 60);
  return text;
}

}  // namespace

void GameFilesContent() {
  LauncherState& st = Launcher();
  const DumpStatus& s = st.status;
  const SettingsPageFiles& f = st.settings_files;
  const bool moving = st.data_move_running;

  RowPlace row = SettingsRow(L"Disc folder", L"", nullptr, 36);
  if (s.configured && !s.judgement.path.empty())
    ui::DrawText(ui::ElideLeft(text::Utf8ToWide(s.judgement.path), FontRole::Mono, 12.5f, 240), FontRole::Mono, 12.5f,
                 kControlX, row.top + 10, Palette::text);
  else
    ui::DrawText(L"(none chosen yet)", FontRole::Mono, 12.5f, kControlX, row.top + 10, Palette::text_dim);
  if (RowButton(row.id, L"Change\u2026", kRight, row.top - 4, !moving)) GoToScreen(ScreenId::DiscChooser);

  std::wstring help = L"The extracted disc, enhanced files and texture packs.";
  if (moving) {
    const double elapsed = NowSeconds() - st.data_move_started;
    st.data_move_shown_second = static_cast<int>(elapsed);
    help = L"Moving your game data \u00B7 " + MinutesSeconds(elapsed) + L". Keep Kestrane open until it's done.";
  }
  row = SettingsRow(L"Game data folder", help, nullptr, 36);
  const std::wstring folder = moving ? L"\u2192 " + text::Utf8ToWide(st.data_move_target) : text::Utf8ToWide(f.data_dir);
  ui::DrawText(ui::ElideLeft(folder, FontRole::Mono, 12.5f, 240), FontRole::Mono, 12.5f, kControlX, row.top + 10,
               moving ? Palette::warn : Palette::text);
  if (RowButton(row.id, L"Change\u2026", kRight, row.top - 4, !moving)) ChangeDataFolder();

  StatusRow(s);

  row = SettingsRow(L"Index", L"", nullptr, 22);
  ui::DrawText(f.index_known ? f.index_line : L"Not indexed yet", FontRole::Body, 14, kControlX, row.top + 2,
               s.imported ? Palette::text : Palette::warn);

  MoveRowCursor(22);
  ButtonRow buttons{RowCursor()};
  // The toast follows the verdict, which a worker brings.
  if (buttons.Add(L"Check again", !moving)) CheckDumpAgain();
  if (buttons.Add(L"Open folder", s.configured && s.judgement.recognised)) OpenForPlayer(DumpFolderToOpen(s.judgement));
  if (buttons.Add(L"Index again", s.configured && s.judgement.verified && !moving)) StartSetup(false);
  MoveRowCursor(60);
}

void GameFilesColumn() {
  InfoHeading(L"Your disc");
  InfoText(L"Kestrane plays from your own Wii disc dump. It's only read, never changed or copied anywhere else. The "
           L"game's files stay where you extracted them.",
           182);
  InfoNote(L"Later: show your disc's own banner art on the home screen, read from your dump.", 276);
}

// [SECTION] Display

void DisplayContent() {
  const SettingsOptionLists& o = Launcher().settings_options;
  static const std::vector<SettingOption> kWindowModes = {
      {"windowed", L"Windowed"}, {"borderless", L"Borderless"}, {"fullscreen", L"Fullscreen"}};
  static const std::vector<SettingOption> kAspects = {
      {"4:3", L"4:3 Retail"}, {"16:9", L"16:9 Widescreen"}, {"native", L"Match window"}};
  static const std::vector<SettingOption> kFrameRates = {{"59.94", L"59.94 Hz (Wii)"}, {"60", L"60 Hz"}};
  static const std::vector<SettingOption> kAnimation = {{"auto", L"Auto"}, {"on", L"On"}, {"off", L"Off"}};

  SegmentedRow(L"Window mode", "display.window_mode", kWindowModes, L"");
  SelectorRow(L"Resolution", "display.resolution", o.size_values, o.size_labels,
              Setting("display.window_mode") == "borderless" ? L"Borderless always uses the desktop size." : L"");
  const std::string aspect = Setting("display.aspect");
  std::wstring aspect_help;
  if (aspect == "4:3")
    aspect_help = L"4:3 is how the game looks on a standard TV. Takes effect the next time the game starts.";
  else if (aspect == "native")
    aspect_help = L"Match window widens the view to fill any window shape. Menus and the HUD keep their proportions. "
                  L"Takes effect the next time the game starts.";
  else
    aspect_help = L"16:9 uses the game's own widescreen mode. Takes effect the next time the game starts.";
  SegmentedRow(L"Aspect ratio", "display.aspect", kAspects, aspect_help);
  ToggleRow(L"V-sync", "display.vsync", L"");
  SegmentedRow(L"Frame rate", "display.frame_rate", kFrameRates,
               L"The game runs one step per TV frame, so it can't go faster without speeding up the race.");
  if (o.monitor_labels.size() >= 2) {
    std::vector<std::string> values;
    for (size_t i = 0; i < o.monitor_labels.size(); ++i) values.push_back(std::to_string(i));
    SelectorRow(L"Monitor", "display.monitor", values, o.monitor_labels, L"");
  }
  SegmentedRow(L"Home animation", "display.background_animation", kAnimation,
               L"The truck run and the turning stars on Home. Auto follows Windows' animation setting.");
}

void DisplayColumn() {
  const SettingsOptionLists& o = Launcher().settings_options;
  InfoHeading(L"Preview");
  const float bx = 924, by = 182, bw = 300, bh = 169;
  ui::FillRoundRect(bx, by, bw, bh, 6, Palette::ink);
  const AspectPreview preview = PreviewOfAspect(Setting("display.aspect"), o);
  const float r = preview.ratio;
  const std::wstring& caption = preview.caption;
  const float w = std::min(165 * r, 296.0f), h = std::min(w / r, 165.0f);
  const float px = bx + (bw - w) / 2, py = by + (bh - h) / 2;
  // The sky reaches the sun's colour 1.4 h below its top: at its foot it is that far along.
  ui::FillRoundRectGradient(px, py, w, h, 0, 0xFF3A1E66, ui::Mix(0xFF3A1E66, Palette::sun, 1 / 1.4f), 90);
  const float tw = 0.46f * w, th = 0.46f * w * 140 / 230;
  art::TruckBadge(px + (w - tw) / 2, py + (h - th) / 2, tw, th);
  ui::StrokeRoundRect(bx, by, bw, bh, 6, Palette::line, 2);
  ui::DrawText(caption, FontRole::Mono, 11, 1216, 333, Palette::text_dim, ui::kAlignRight);
  InfoText(L"Black bars fill whatever the picture doesn't cover. Menus and the HUD follow the same shape.", 363);
  InfoNote(L"You can change these during a race too: press Tab or Esc.", 421);
}

// [SECTION] Graphics

namespace {

void StartEnhancing() {
  LauncherState& st = Launcher();
  int kind = kJobSetup;
  if (JobRunning(&kind)) {
    if (kind == kJobEnhance) {
      st.sample_job = false;
      GoToScreen(ScreenId::JobProgress);  // the one under way
    } else {
      ShowToast(L"Kestrane is being set up. Enhance the intro when that's done.");
    }
    return;
  }
  if (!StartEnhanceJob()) {
    ShowToast(L"Another job started just now. Try again when it's done.");
    return;
  }
  NoteJobStarted();
  st.sample_job = false;
  st.finish_seen = false;
  GoToScreen(ScreenId::JobProgress);
}

// REMOVE deletes the video and the cached frames (thousands of files) on the worker; the
// page reads its files again and a failure says why when it's done.
void RemoveVideo() {
  Launcher().video_removing = true;
  auto message = std::make_shared<std::wstring>();
  Offload::Post([message] { RemoveEnhancedVideo(message.get()); },
                [message] {
                  LauncherState& st = Launcher();
                  st.video_removing = false;
                  st.settings_files.loaded = false;  // the loop reads the page's files again
                  if (!message->empty()) ShowToast(*message);
                });
  SettleWhenWindowless();
}

void IntroVideoRow() {
  LauncherState& st = Launcher();
  const int64_t size = st.settings_files.enhanced_video_size;
  const bool has_video = size > 0;
  const std::wstring help =
      has_video ? L"Enhanced on this PC (" + InstallLayout::FormatSize(size) +
                      L"). Menus, HUD and truck paint come later."
                : L"Sharpens your own intro on this PC with AI (see AI model below for the time). Your files are never "
                  L"changed.";
  const RowPlace row = SettingsRow(L"Intro video", help, nullptr, 48);
  const bool moving = st.data_move_running;
  const std::wstring label = has_video ? L"Enhance again" : L"Enhance\u2026";
  if (RowButton(row.id, label, kRight, row.top, !moving && !st.video_removing)) StartEnhancing();
  if (!has_video) return;
  const float ew = ui::ButtonWidth(label);
  const float rw = ui::ButtonWidth(L"Remove");
  const int id = ui::Ctx().widget_count;
  // Never under a running job: the enhancement writes this very file.
  if (ui::Button(L"Remove", kRight - ew - 16 - rw, row.top, nullptr, !moving && !st.job.running && !st.video_removing) &&
      !RefuseWhileGameRuns())
    RemoveVideo();
  AddFocusRow(id, row.top, 44);
}

}  // namespace

void GraphicsContent() {
  static const std::vector<SettingOption> kScales = {
      {"1", L"1\u00D7"}, {"2", L"2\u00D7"}, {"3", L"3\u00D7"}, {"4", L"4\u00D7"}, {"window", L"Window"}};
  static const std::vector<SettingOption> kMsaa = {{"0", L"Off"}, {"2", L"2\u00D7"}, {"4", L"4\u00D7"}, {"8", L"8\u00D7"}};
  static const std::vector<SettingOption> kFilters = {
      {"game", L"Game"}, {"bilinear", L"Bilinear"}, {"trilinear", L"Trilinear"}, {"aniso16", L"Aniso 16\u00D7"}};
  static const std::vector<SettingOption> kModels = {{"realesrgan", L"Best quality"}, {"fast", L"Fast"}};
  static const std::vector<SettingOption> kUpscales = {{"2", L"2\u00D7"}, {"4", L"4\u00D7"}};

  SegmentedRow(L"Internal resolution", "graphics.internal_scale", kScales,
               L"How sharp the 3D is drawn. 1\u00D7 is the Wii's own 640\u00D7480.");
  SegmentedRow(L"Anti-aliasing", "graphics.msaa", kMsaa, L"Smooths jagged edges. Higher costs more GPU time.");
  SegmentedRow(L"Texture filtering", "graphics.texture_filter", kFilters,
               L"Game keeps the original. The others sharpen angled textures.");
  ToggleRow(L"Show FPS", "graphics.show_fps", L"");
  GroupHeading(L"Enhance my game");
  IntroVideoRow();
  SegmentedRow(L"AI model", "graphics.upscale_model", kModels,
               L"Real-ESRGAN, on your graphics card. Best quality takes about an hour for the intro on a fast card; "
               L"Fast about 20 minutes and looks a little softer.");
  SegmentedRow(L"Upscale", "graphics.upscale_scale", kUpscales,
               L"Applies the next time you enhance. 4\u00D7 takes longer and uses more disk space.");
  ToggleRow(L"Use enhanced files", "graphics.enhanced_assets",
            L"Play the enhanced intro instead of the original. Takes effect the next time the game starts.");
}

void GraphicsColumn() {
  InfoHeading(L"Graphics");
  InfoText(L"These change how the picture is drawn, never how the game plays. Rows marked Next start apply when the "
           L"game starts again.",
           182);
  InfoNote(L"Renderer: OpenGL. The setting lives under Builds.", 266);
}

// [SECTION] Audio

void AudioContent() {
  const SettingsOptionLists& o = Launcher().settings_options;
  static const std::vector<SettingOption> kSpeaker = {{"off", L"Off"}, {"main", L"Main output"}};
  SliderRow(L"Master volume", "audio.master", 100, 5, L"The final level of everything the game plays.");
  SegmentedRow(L"Wii Remote speaker", "audio.remote_speaker", kSpeaker,
               L"Sounds the Wii plays from the remote's speaker are mixed into your main output.");
  ToggleRow(L"Mute in background", "audio.mute_unfocused", L"Silence the game while another window has focus.");
  SelectorRow(L"Output device", "audio.device", o.audio_values, o.audio_labels, L"");
}

void AudioColumn() {
  InfoHeading(L"Audio");
  InfoText(L"Music and effects get their own sliders once the port can tell them apart.", 182);
}

// [SECTION] Controls

void ControlsContent() {
  static const std::vector<SettingOption> kDevices = {
      {"auto", L"Auto"}, {"keyboard", L"Keyboard"}, {"gamepad", L"Gamepad"}};
  static const std::vector<SettingOption> kSteer = {{"stick", L"Stick"}, {"keys", L"Keys"}};
  static const std::vector<SettingOption> kCurves = {{"linear", L"Linear"}, {"smooth", L"Smooth"}, {"sharp", L"Sharp"}};
  SegmentedRow(L"Device", "controls.device", kDevices, L"Auto uses whichever you touched last.");
  SegmentedRow(L"Steer with", "controls.steer_source", kSteer,
               Setting("controls.steer_source") == "keys"
                   ? L"Shift + \u2190 / \u2192 steers at full lock. The plain arrows stay the remote's D-pad."
                   : L"The left stick tilts the remote to steer.");
  SliderRow(L"Tilt sensitivity", "controls.tilt_sensitivity", 200, 10, L"");
  SliderRow(L"Dead zone", "controls.deadzone", 40, 2, L"");
  SegmentedRow(L"Steering curve", "controls.steer_curve", kCurves, L"");
  ToggleRow(L"Invert steering", "controls.invert_steer", L"");
  ToggleRow(L"Rumble", "controls.rumble", L"");
}

void ControlsColumn() {
  InfoHeading(L"Default buttons");
  static const wchar_t* const kTable[9][3] = {
      {L"Wii", L"Keyboard", L"Pad"},         {L"2", L"2 or /", L"A"},
      {L"1", L"1 or .", L"B"},               {L"D-pad", L"WASD, arrows", L"D-pad"},
      {L"Tilt", L"A D, \u2190 \u2192", L"Stick X"}, {L"+", L"+", L"Start"},
      {L"\u2212", L"\u2212", L"LB"},         {L"HOME", L"Enter", L"Back"},
      {L"Menu", L"Esc, Tab", L"Hold Start"}};
  static const float kColumns[3] = {924, 1014, 1124};
  for (int r = 0; r < 9; ++r) {
    const float y = 186 + 24.0f * r;
    for (int c = 0; c < 3; ++c)
      DrawTextWithArrows(kTable[r][c], r == 0 ? FontRole::Label : FontRole::Body, 13, kColumns[c], y,
                         r == 0 ? Palette::text_dim : Palette::text);
  }
  ui::DrawLine(924, 207, 1224, 207, Palette::gold_tint, 1);
  // The last row's line box ends 1.2 * 13 below its top.
  InfoNote(L"Remapping comes in a later version.", 186 + 24.0f * 8 + 13 * 1.2f + 12);
}

// [SECTION] Language

void LanguageContent() {
  static const std::vector<std::string> kLanguageValues = {"en"};
  static const std::vector<std::wstring> kLanguageLabels = {L"English (from your disc)"};
  static const std::vector<SettingOption> kShotKeys = {
      {"F12", L"F12"}, {"F11", L"F11"}, {"PrintScreen", L"Print Screen"}, {"none", L"None"}};
  SelectorRow(L"Language", "game.language", kLanguageValues, kLanguageLabels,
              L"The languages your disc has. A USA disc has English.");
  GroupHeading(L"Game");
  ToggleRow(L"Pause in background", "game.pause_unfocused", L"Opens the Kestrane menu when the game loses focus.");
  ToggleRow(L"Open menu with Tab", "game.menu_on_tab", L"Esc always opens it.");
  SegmentedRow(L"Screenshot key", "game.screenshot_key", kShotKeys, L"Saves a PNG in Pictures\\Kestrane.");
}

void LanguageColumn() {
  InfoHeading(L"Language");
  InfoText(L"The game's text comes from your disc. Changes here apply the next time the game starts.", 182);
}

namespace SettingsPagesTesting {
void SetFolderPicker(FolderPicker picker) { g_folder_picker = picker; }
}  // namespace SettingsPagesTesting
