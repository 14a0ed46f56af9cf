// Clickable widgets: the large skewed action button, the standard skewed button, text
// links and icon buttons. Each registers its own focus id and returns true on the frame
// it is activated (by a click on it or by Activate while focused).
#pragma once

#include <string>

#include "ui/palette.h"

namespace ui {

// The big primary action: accent gradient body with glow and speed stripes, the label in
// Display at h * 36 / 74, optionally a play triangle before (or after) it.
bool PlayButton(const std::wstring& label, float x, float y, float w, float h, bool show_icon,
                bool icon_after);
// The standard 44-unit button, as wide as its upper-cased label plus 52. A disabled button
// still takes a focus id but never activates.
bool Button(const std::wstring& label, float x, float y, float* out_width = nullptr,
            bool enabled = true);
// How wide Button draws `label`, for placing buttons before drawing them.
float ButtonWidth(const std::wstring& label);
// Inline link in Semibold; align 2 puts its right end (chevron included) at x.
bool LinkButton(const std::wstring& label, float x, float y, float size, const Color& color,
                bool show_chevron, float* out_width = nullptr, int align = 0);
// A 16-unit gold icon with an optional Semibold label; 24 units wide without one.
bool IconButton(const char* icon, float x, float y, const std::wstring& label,
                float* out_width = nullptr);

// Upper case, character by character, as labels are shown.
std::wstring UpperCase(const std::wstring& text);

}  // namespace ui
