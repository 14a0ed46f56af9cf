#include "launcher/disc_chooser_screen.h"

#include <algorithm>
#include <cmath>

#include "jobs/job_status.h"
#include "launcher/dump_texts.h"
#include "launcher/launcher_actions.h"
#include "launcher/launcher_state.h"
#include "launcher/pickers.h"
#include "platform/text.h"
#include "settings/install_layout.h"
#include "ui/access.h"
#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/icons.h"
#include "ui/indicators.h"
#include "ui/input.h"
#include "ui/interaction.h"
#include "ui/text.h"

std::vector<DumpCandidate> MergeChooserList(const std::vector<DumpCandidate>& chosen,
                                            const std::vector<DumpCandidate>& found) {
  std::vector<DumpCandidate> list = chosen;
  for (const DumpCandidate& candidate : found) {
    const bool listed = std::any_of(list.begin(), list.end(), [&](const DumpCandidate& c) {
      return text::EqualsNoCase(c.path, candidate.path);
    });
    if (!listed) list.push_back(candidate);
  }
  return list;
}

namespace {

using ui::FontRole;
using ui::Palette;

constexpr float kRowX = 96, kRowWidth = 710, kRowRight = kRowX + kRowWidth;
constexpr size_t kMaxRows = 3;
// The lowest a row may end: below it come the drop zone (6 + 66) and the links at 636.
constexpr float kRowsBottom = 548;

struct KindChip {
  const wchar_t* label;
  ui::Color color;
  bool tick;
};

KindChip ChipFor(int kind) {
  switch (kind) {
    case kDumpReady: return {L"READY", Palette::ok, true};
    case kDumpNotSupported: return {L"NOT SUPPORTED", Palette::error, false};
    case kDumpBeingChecked: return {L"CHECKING", Palette::focus, false};
    default: return {L"INCOMPLETE", Palette::warn, false};
  }
}

// A changed main.dol adds a line with the found and the retail digests under the reason.
bool ShowsDigests(const DumpCandidate& c) { return c.kind == kDumpNotSupported && MainDolChanged(c); }

float RowHeight(const DumpCandidate& c) {
  if (DumpDetail(c).empty()) return 62.0f;
  return ShowsDigests(c) ? 100.0f : 82.0f;
}

// ui::FitTextSize scales the width linearly, but small sizes are hinted wider (at 1280 x
// 720 a line fitted to the drop zone reached under DISC IMAGE…): measure again at the
// fitted size and shrink until the text really fits.
float FitWithin(const std::wstring& text, FontRole role, float size, float width) {
  float fitted = ui::FitTextSize(text, role, size, width);
  for (int i = 0; i < 4; ++i) {
    const float w = ui::MeasureText(text, role, fitted);
    if (w <= width) break;
    fitted *= width / w * 0.99f;
  }
  return fitted;
}

void Spinner(float cx, float cy) {
  ui::StrokeArc(cx, cy, 6, static_cast<float>(std::fmod(NowSeconds() * 400.0, 360.0)), 270, Palette::gold, 2);
}

// The path, the size and (for a ready dump) main.dol's short digest in one Mono line
// of at most 510 units: the size shrinks to fit, and a path too long even at the
// smallest readable size loses its beginning.
void PathLine(const DumpCandidate& c, float x, float y) {
  std::wstring tail;
  if (c.bytes > 0) tail += L"  ·  " + InstallLayout::FormatSize(c.bytes);
  if (!c.sha1.empty() && c.kind == kDumpReady)
    tail += L"  ·  main.dol " + text::Utf8ToWide(InstallLayout::Shorten(c.sha1));
  std::wstring path = text::Utf8ToWide(c.path);
  constexpr float kMinSize = 10;
  float size = ui::FitTextSize(path + tail, FontRole::Mono, 12.5f, 510);
  if (size < kMinSize) {
    size = kMinSize;
    path = ui::ElideLeft(path, FontRole::Mono, size, 510 - ui::MeasureText(tail, FontRole::Mono, size));
  }
  ui::DrawText(path + tail, FontRole::Mono, size, x, y, Palette::text_dim);
}

// A key badge of the usual 24-unit size with an arrow drawn in it: the label font has
// no arrow glyphs.
void ArrowBadge(float x, float y, bool up) {
  float w = 0;
  ui::Badge(std::wstring(), x, y, &w);
  const float cx = x + w / 2, top = y + 6, bottom = y + 16;
  ui::DrawLine(cx, top, cx, bottom, Palette::text, 1.6f);
  const float tip = up ? top : bottom, back = up ? top + 4 : bottom - 4;
  ui::DrawLine(cx - 4, back, cx, tip, Palette::text, 1.6f);
  ui::DrawLine(cx + 4, back, cx, tip, Palette::text, 1.6f);
}

std::wstring NotReadyToast(const LauncherState& st) {
  if (st.shown.empty()) return L"Choose your disc first: FOLDER…, DISC IMAGE… or drop it here.";
  if (st.shown[static_cast<size_t>(st.selected)].kind == kDumpBeingChecked)
    return L"That disc is still being checked. Continue when it's marked Ready.";
  return L"That folder can't be used. Pick one marked Ready.";
}

// CONTINUE and Activate on a ready row: the chosen dump becomes the player's dump, and its
// path goes on to the status and the setup job as it is. A running job records the dump
// it indexed, so while one runs the setting stays as it is.
void ContinueWith(const DumpCandidate& c) {
  int kind = kJobSetup;
  if (JobRunning(&kind)) {
    ShowToast(kind == kJobSetup ? L"Kestrane is being set up. Choose another disc when that's done."
                                : L"The intro video is being enhanced. Choose another disc when that's done.");
    return;
  }
  KeepDump(c.path);
  RefreshDumpStatus(c.path);
  StartSetup(false);
}

// One row; true when its Activate left the screen.
bool Row(size_t i, float y, float h, int* id_out) {
  LauncherState& st = Launcher();
  ui::Context& c = ui::Ctx();
  const DumpCandidate& d = st.shown[i];
  const int index = static_cast<int>(i);
  const int id = ui::Focusable(kRowX, y, kRowWidth, h);
  *id_out = id;
  const bool focused = ui::IsFocused(id) && c.focus_visible;
  if (focused) st.selected = index;
  if (ui::Clicked(kRowX, y, kRowWidth, h)) st.selected = index;
  if (!c.consumed && ui::IsFocused(id) && c.input.nav_activate) {
    c.consumed = true;
    st.selected = index;
    if (d.kind == kDumpReady) {
      const DumpCandidate choice = d;  // the list is rebuilt by what follows
      ContinueWith(choice);
      if (st.screen != ScreenId::DiscChooser) return true;
    } else {
      ShowToast(NotReadyToast(st));
    }
  }

  const bool selected = st.selected == index;
  ui::FillRoundRect(kRowX, y, kRowWidth, h, 6, selected ? Palette::panel_hi : ui::Fade(Palette::panel, 0.85f));
  ui::StrokeRoundRect(kRowX, y, kRowWidth, h, 6, selected ? ui::Fade(Palette::gold, 0.7f) : Palette::line, 1);
  if (selected) {
    ui::PushSkew(84.5f, y + h / 2, -14);
    ui::FillRect(82, y + 12, 5, h - 24, Palette::accent);
    ui::PopState();
  }
  ui::StrokeCircle(124, y + 31, 9, selected ? Palette::gold : Palette::line, 2);
  if (selected) ui::FillCircle(124, y + 31, 5, Palette::gold);

  const KindChip chip = ChipFor(d.kind);
  const float chip_x = 790 - ui::ChipWidth(chip.label, chip.tick);
  ui::Chip(chip.label, chip_x, y + 20, chip.color, chip.tick);
  if (d.kind == kDumpBeingChecked) Spinner(chip_x - 14, y + 30);

  const float label_room = chip_x - 24 - 146;
  const std::wstring label = DumpLabel(d);
  ui::DrawText(ui::ElideRight(label, FontRole::Semibold, 17, label_room), FontRole::Semibold, 17, 146, y + 10,
               d.kind == kDumpReady ? Palette::text : Palette::text_dim);
  const size_t said = ui::BeginTextCapture();
  PathLine(d, 146, y + 36);
  // The third line: the candidate's own reason, or for one still being judged what is
  // happening meanwhile.
  const std::wstring detail = DumpDetail(d);
  if (!detail.empty())
    ui::DrawText(detail, FontRole::Body, FitWithin(detail, FontRole::Body, 13, 640), 146, y + 58, Palette::text_dim);
  if (ShowsDigests(d)) {
    const std::wstring digests =
        L"main.dol " + text::Utf8ToWide(d.sha1) + L"  \u00B7  retail " + text::Utf8ToWide(kExpectedMainDolSha1);
    ui::DrawText(digests, FontRole::Mono, FitWithin(digests, FontRole::Mono, 12, 640), 146, y + 78, Palette::text_dim);
  }
  // Heard as a radio row: its label and verdict, then the path and the reason.
  if (ui::AccessItem* item = ui::AccessFor(id)) {
    const ui::CapturedLines lines = ui::JoinCapturedLines(ui::EndTextCapture(said));
    item->role = ui::AccessRole::kRadioRow;
    item->name = label + L", " + chip.label;
    item->description = lines.first + (lines.rest.empty() ? L"" : L". " + lines.rest);
    if (selected) item->state |= ui::kAccessSelected | ui::kAccessChecked;
    if (d.kind == kDumpBeingChecked) item->state |= ui::kAccessBusy;
    item->action = d.kind == kDumpReady ? L"Continue" : L"Select";
  }
  if (focused) ui::StrokeRoundRect(93, y - 3, 716, h + 6, 8, Palette::focus, 2);
  return false;
}

void SidePanel(bool how_to) {
  ui::FillRoundRect(854, 166, 330, 330, 8, ui::Fade(Palette::panel, 0.92f));
  ui::StrokeRoundRect(854, 166, 330, 330, 8, Palette::line, 1);
  if (how_to) {
    ui::DrawText(L"HOW TO DUMP YOUR DISC", FontRole::Label, 12, 878, 188, Palette::text_dim, ui::kAlignLeft, 0.24f);
    static const wchar_t kHowTo[] =
        L"1. Dump the disc with your own Wii (for example with CleanRip on a homebrew Wii).\n"
        L"2. Open the dump in Dolphin, right-click the game, Properties, Filesystem, then right-click the "
        L"disc and choose Extract Entire Disc.\n"
        L"3. Pick the folder you extracted to here. It has sys and files inside.";
    const float h = ui::DrawWrapped(kHowTo, FontRole::Body, 14, 878, 216, 282, Palette::text, 1.45f);
    if (ui::AccessRecording()) ui::AccessText(ui::AccessRole::kText, L"How to dump your disc", 878, 188, 282, h + 28, kHowTo);
    return;
  }
  ui::DrawText(L"WHAT WE LOOK FOR", FontRole::Label, 12, 878, 188, Palette::text_dim, ui::kAlignLeft, 0.24f);
  static const wchar_t* const kItems[] = {
      L"An extracted Wii disc: a folder with sys and files inside.",
      L"The retail USA version. We check main.dol against its known fingerprint.",
      L"Your dump is only read, never changed or copied anywhere else.",
  };
  float y = 216;
  if (ui::AccessRecording()) ui::AccessText(ui::AccessRole::kText, L"What we look for", 878, 188, 282, 20);
  for (const wchar_t* item : kItems) {
    ui::FillStar(885, y + 9, 7, Palette::gold);
    const float h = ui::DrawWrapped(item, FontRole::Body, 14, 902, y, 258, Palette::text, 1.45f);
    if (ui::AccessRecording()) ui::AccessText(ui::AccessRole::kText, item, 902, y, 258, h);
    y += h + 10;
  }
  ui::FillRoundRect(878, y + 4, 282, 124, 6, Palette::ink);
  ui::StrokeRoundRect(878, y + 4, 282, 124, 6, Palette::line, 1);
  static const wchar_t* const kTree[] = {L"dump\\", L"├─ sys\\", L"│  └─ main.dol", L"└─ files\\",
                                         L"   ├─ tocres.res", L"   └─ …"};
  for (int i = 0; i < 6; ++i) {
    const bool bright = i == 0 || i == 1 || i == 3;
    ui::DrawText(kTree[i], FontRole::Mono, 12, 890, y + 14 + 18 * static_cast<float>(i),
                 bright ? Palette::text : Palette::text_dim);
  }
}

// Focus ids follow drawing order, so rows that appear move every id after them. Focus
// stays on its control; CONTINUE, the default only while there are no rows, hands it
// to the first row when the first rows appear.
void KeepFocusAsRowsChange(size_t rows_now) {
  LauncherState& st = Launcher();
  ui::Context& c = ui::Ctx();
  const int rows = static_cast<int>(rows_now), was = st.chooser_rows;
  st.chooser_rows = rows;
  if (rows == was || st.focus_default) return;
  const int base = c.widget_count;  // the rows are the screen's first focus stops
  if (was == 0 && c.focus == st.chooser_continue_id)
    c.focus = base;
  else if (c.focus >= base + was)
    c.focus += rows - was;
  else if (c.focus >= base)
    c.focus = base + std::min(c.focus - base, std::max(rows - 1, 0));
}

}  // namespace

void DiscChooserScreen() {
  LauncherState& st = Launcher();
  ui::Context& c = ui::Ctx();
  const std::vector<DumpCandidate> found = DumpSearch::Results();
  const bool found_any = !found.empty();
  st.shown = MergeChooserList(st.chosen, found);
  if (st.selected < 0 || static_cast<size_t>(st.selected) >= st.shown.size()) st.selected = 0;
  const bool searching = DumpSearch::IsRunning();
  const bool verified = DiscVerified(st.status);

  ui::SectionTitle(st.status.configured ? L"Choose your disc" : L"First run · choose your disc", kRowX, 84,
                   Palette::gold);
  const float first_w = ui::DrawText(L"Let's find your ", FontRole::Display, 52, kRowX, 110, Palette::text);
  ui::DrawText(L"disc.", FontRole::Display, 52, kRowX + first_w, 110, Palette::gold);
  // "Found these" only for what the search found: the player's own choices aren't finds.
  const wchar_t* paragraph =
      st.shown.empty() ? L"Kestrane plays from your own Wii disc dump. Choose the folder you extracted it to."
      : found_any      ? L"Kestrane plays from your own Wii disc dump. We looked in the usual places and found these."
                       : L"Kestrane plays from your own Wii disc dump. Here is what you chose.";
  const float paragraph_h =
      ui::DrawWrapped(paragraph, FontRole::Body, 17, kRowX, 170, kRowWidth, Palette::text_dim, 1.45f);
  const float n = 170 + paragraph_h + 18;

  ui::DrawText(L"FOUND ON THIS PC", FontRole::Label, 13, kRowX, n, Palette::text_dim, ui::kAlignLeft, 0.22f);
  const std::wstring status = DumpSearch::Status();
  if (ui::AccessRecording()) {
    ui::AccessText(ui::AccessRole::kText, st.status.configured ? L"Choose your disc" : L"First run · choose your disc",
                   kRowX, 84, kRowWidth, 20);
    ui::AccessText(ui::AccessRole::kHeading, L"Let's find your disc.", kRowX, 110, kRowWidth, 62);
    ui::AccessText(ui::AccessRole::kText, paragraph, kRowX, 170, kRowWidth, paragraph_h);
    if (ui::AccessItem* item = ui::AccessText(ui::AccessRole::kText, L"Found on this PC: " + status, kRowX, n, kRowWidth, 20)) {
      item->key = L"found";
      item->state |= ui::kAccessLive | (searching ? ui::kAccessBusy : 0u);
    }
  }
  const float status_w = ui::DrawText(status, FontRole::Mono, 12, kRowRight, n + 1, ui::Fade(Palette::text_dim, 0.8f),
                                      ui::kAlignRight);
  if (searching) Spinner(kRowRight - status_w - 16, n + 8);

  // Rows: at most three, and only as many as leave the drop zone above the links.
  float y = n + 28;
  size_t rows = 0;
  for (float bottom = y; rows < st.shown.size() && rows < kMaxRows; ++rows) {
    bottom += RowHeight(st.shown[rows]);
    if (rows > 0 && bottom > kRowsBottom) break;
    bottom += 8;
  }
  KeepFocusAsRowsChange(rows);
  int first_row_id = -1;
  for (size_t i = 0; i < rows; ++i) {
    const float h = RowHeight(st.shown[i]);
    int id = -1;
    if (Row(i, y, h, &id)) return;  // the setup started: the screen has changed
    if (i == 0) first_row_id = id;
    y += h + 8;
  }
  if (st.shown.empty() && !searching) {
    ui::FillRoundRect(kRowX, y, kRowWidth, 62, 6, ui::Fade(Palette::panel, 0.6f));
    ui::StrokeRoundRect(kRowX, y, kRowWidth, 62, 6, Palette::line, 1);
    ui::DrawText(L"No disc dumps found in Downloads, Desktop or Documents.", FontRole::Semibold, 16, 116, y + 12,
                 Palette::text_dim);
    static const wchar_t kChooseYourself[] =
        L"Choose it yourself with FOLDER… or DISC IMAGE…, or drop it on this window.";
    ui::DrawText(kChooseYourself, FontRole::Body, 14, 116, y + 36, Palette::text_dim);
    if (ui::AccessRecording())
      ui::AccessText(ui::AccessRole::kText, L"No disc dumps found in Downloads, Desktop or Documents.", kRowX, y,
                     kRowWidth, 62, kChooseYourself);
    y += 70;
  }

  // Drop zone.
  const float r = y + 6;
  ui::FillRoundRect(kRowX, r, kRowWidth, 66, 6, Palette::focus_tint);
  ui::StrokeDashedRoundRect(97, r + 1, 708, 64, 5, ui::Fade(Palette::focus, 0.45f), 2, 3, 2);
  const float folder_w = ui::ButtonWidth(L"FOLDER…");
  const float image_w = ui::ButtonWidth(L"DISC IMAGE…");
  const float folder_x = 790 - folder_w, image_x = folder_x - 12 - image_w;
  // The two lines end before the buttons (the skewed button leans 6 units further left).
  const float text_room = image_x - 18 - 156;
  static const std::wstring kDropTitle = L"Drop your disc image or dump folder here";
  static const std::wstring kDropHint = L".iso, .rvz, .wbfs and more, or a folder from Dolphin's Extract.";
  ui::DrawIcon("folder", 114, r + 20, 26, Palette::focus, 1.8f);
  ui::DrawText(kDropTitle, FontRole::Semibold, FitWithin(kDropTitle, FontRole::Semibold, 15, text_room), 156, r + 14,
               Palette::text);
  ui::DrawText(kDropHint, FontRole::Body, FitWithin(kDropHint, FontRole::Body, 13, text_room), 156, r + 36,
               Palette::text_dim);
  if (ui::AccessRecording()) ui::AccessText(ui::AccessRole::kText, kDropTitle, kRowX, r, kRowWidth, 66, kDropHint);
  if (ui::Button(L"DISC IMAGE…", image_x, r + 11)) ChooseDumpPath(PickDiscImage());
  if (ui::Button(L"FOLDER…", folder_x, r + 11)) ChooseDumpPath(PickFolder(L"Choose your extracted Wii disc folder"));

  SidePanel(st.show_how_to);

  // Links and key hints.
  float link_w = 0;
  if (ui::LinkButton(st.show_how_to ? L"What we look for" : L"How do I dump my disc?", kRowX, 636, 15,
                     Palette::focus, true, &link_w))
    st.show_how_to = !st.show_how_to;
  if (verified && ui::LinkButton(L"Back", kRowX + link_w + 32, 636, 15, Palette::text_dim, false))
    GoToScreen(ScreenId::Home);
  // The hints keep their spacing but end clear of CONTINUE's skewed left edge.
  const std::wstring key = ui::gamepad_active ? L"A" : L"ENTER";
  const float key_w = std::max(ui::MeasureTextSpaced(key, FontRole::Label, 12, 0.06f) + 12, 24.0f);
  const float hints_w = 104 + key_w + 6 + ui::MeasureText(L"continue", FontRole::Semibold, 12);
  const float hx = std::min(730.0f, 902 - hints_w);
  ArrowBadge(hx, 638, true);
  ArrowBadge(hx + 28, 638, false);
  ui::DrawText(L"choose", FontRole::Semibold, 12, hx + 56, 641, Palette::text_dim);
  ui::Badge(key, hx + 104, 638);
  ui::DrawText(L"continue", FontRole::Semibold, 12, hx + 104 + key_w + 6, 641, Palette::text_dim);

  // CONTINUE.
  const bool have_selection = static_cast<size_t>(st.selected) < st.shown.size();
  const bool ready = have_selection && st.shown[static_cast<size_t>(st.selected)].kind == kDumpReady;
  const int continue_id = c.widget_count;
  st.chooser_continue_id = continue_id;
  if (ui::PlayButton(L"CONTINUE", 924, 618, 260, 62, true, true)) {
    if (ready)
      ContinueWith(DumpCandidate(st.shown[static_cast<size_t>(st.selected)]));
    else
      ShowToast(NotReadyToast(st));
  }
  if (!ready) ui::FillRoundRect(910, 616, 290, 66, 8, ui::Fade(Palette::bg1, 0.45f));

  if (st.focus_default) {
    c.focus = first_row_id >= 0 ? first_row_id : continue_id;
    st.focus_default = false;
  }
  if (!c.consumed && c.input.nav_back && verified) {
    c.consumed = true;
    GoToScreen(ScreenId::Home);
  }
}
