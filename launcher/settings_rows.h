// The rows of the Settings pages: each row is one setting with its label, control, help
// text and tags ("Next start", "set by" an environment variable), and one focus stop.
// A row asks the store once per frame for all it shows of its key (SettingsStore::View).
// Rows stack down the scrolling content column from the row cursor; each writes its
// setting through SettingsStore::Set the moment the player changes it. GUI thread only,
// inside a Settings frame.
#pragma once

#include <string>
#include <vector>

#include "ui/fonts.h"
#include "ui/palette.h"

struct SettingView;

// One choice of a fixed control: the text stored in settings.ini and what the player sees.
struct SettingOption {
  const char* value;
  const wchar_t* label;
};

// [SECTION] Row logic

// The option whose value is `current`; else the one whose value is `def`; else 0.
int SegmentedIndex(const std::vector<SettingOption>& options, const std::string& current, const std::string& def);
// The position of `current` in `values` (exact), else 0.
int SelectorIndex(const std::vector<std::string>& values, const std::string& current);
// What a slider writes after it moved from `before` to `moved`: a value on its grid of
// steps inside 0..max. A stored value off the grid (the game's menu may write one) steps
// to the neighbouring grid value in the direction moved.
int SliderValue(int before, int moved, int max, int step);

// [SECTION] Content column

constexpr float kContentTop = 156;      // where the content starts at scroll 0
constexpr float kVisibleHeight = 476;   // 156 to 632
constexpr float kClipX = 264, kClipY = 154, kClipW = 620, kClipH = 480;

// Row cursor back to the top (156 - scroll) and no focus rows yet.
void BeginSettingsContent();
float RowCursor();
void MoveRowCursor(float dy);
// A focusable thing of the content (a row, or a button below the rows) at design y.
void AddFocusRow(int id, float y, float height);

// The scroll that shows the content-coordinate span (top, height) whole, changed as
// little as possible; the top wins when the span is taller than the visible part.
float ScrollToShow(float scroll, float top, float height);
float ClampScroll(float scroll, float content_height);

// [SECTION] Rows

struct RowPlace {
  int id;       // the row's focus id
  float top;    // the control's top y
};
// The frame of every row (label, tags, help, highlight and separator); the caller draws
// the control at (496, top) with the row's id. `view` is what the store said of the row's
// setting this frame (its tags come from it), or null for a row of no setting.
RowPlace SettingsRow(const std::wstring& label, const std::wstring& help, const SettingView* view,
                     float control_height);
int SegmentedRow(const std::wstring& label, const char* key, const std::vector<SettingOption>& options,
                 const std::wstring& help);
int SelectorRow(const std::wstring& label, const char* key, const std::vector<std::string>& values,
                const std::vector<std::wstring>& labels, const std::wstring& help);
int ToggleRow(const std::wstring& label, const char* key, const std::wstring& help);
int SliderRow(const std::wstring& label, const char* key, int max, int step, const std::wstring& help);
void GroupHeading(const std::wstring& text);

// A button inside a row takes the row's focus id, so Activate on the row presses it.
bool RowButton(int row_id, const std::wstring& label, float right, float y, bool enabled = true);

// Buttons below the rows, side by side from x 304 and 24 units apart, each its own focus
// stop kept in view like a row.
struct ButtonRow {
  float y;
  float x = 304;
  bool Add(const std::wstring& label, bool enabled = true);
};

// [SECTION] Text with arrows

// The interface faces have no arrow glyphs (the Controls page speaks of ← and →): runs of
// arrows are drawn in the Mono face, which has them. Returns the width.
float DrawTextWithArrows(const std::wstring& text, ui::FontRole role, float size, float x, float y,
                         ui::Color color);
// A row's help: Body 13 wrapped to width with line spacing 1.4, arrows as above; its height.
float DrawHelp(const std::wstring& text, float x, float y, float width, bool draw = true);

// [SECTION] Right column

void InfoHeading(const std::wstring& text);
// Body 13, text_dim, width 300, line spacing 1.5: the column's paragraphs.
void InfoText(const std::wstring& text, float y);
void InfoNote(const std::wstring& text, float y);
// A note ending in a path, the path shortened from the left to one line of the note.
void InfoPathNote(const std::wstring& prefix, const std::wstring& path, float y);
