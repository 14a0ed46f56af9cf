// Widgets that show rather than act: status chips, badges, section titles, the progress
// bar and the focus ring. None takes a focus id.
#pragma once

#include <string>

#include "ui/palette.h"

namespace ui {

// A 20-unit status tag in Label 11 tinted by color, optionally with a tick before the text.
void Chip(const std::wstring& label, float x, float y, const Color& color, bool with_tick);
float ChipWidth(const std::wstring& label, bool with_tick);
// A 22-unit pill (at least 24 wide) for a key name, count or version.
void Badge(const std::wstring& text, float x, float y, float* out_width = nullptr);
// A slanted accent dash and the upper-cased, letter-spaced title after it.
void SectionTitle(const std::wstring& text, float x, float y, const Color& color);
// A rounded track with the accent gradient over fraction (clamped to 1) of it; a small
// positive fraction still shows a full round cap.
void ProgressBar(float x, float y, float w, float h, float fraction);
// The focus outline around (x, y, w, h), drawn only while keyboard focus is shown.
void FocusRing(float x, float y, float w, float h, float radius);

}  // namespace ui
