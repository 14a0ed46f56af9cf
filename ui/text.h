// Measuring and drawing text in the six font roles, in design units. Measuring is the hot
// path (every widget measures its label every frame), so widths are cached by role, size
// in eighths and the exact string; drawing is the costly part of a frame, so lines drawn
// again are kept as layers. All calls except Utf8ToWide run inside a frame.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/fonts.h"
#include "ui/palette.h"

namespace ui {

// DrawText's align: x is the left edge, the centre or the right edge.
constexpr int kAlignLeft = 0;
constexpr int kAlignCentre = 1;
constexpr int kAlignRight = 2;

float MeasureText(const std::wstring& text, FontRole role, float size);
// With spacing * size after every character but the last.
float MeasureTextSpaced(const std::wstring& text, FontRole role, float size, float spacing);
// Draws one line whose 1.2 * size line box has its top at y; returns the measured width.
// To centre text on a line cy, pass y = cy - 0.6 * size.
float DrawText(const std::wstring& text, FontRole role, float size, float x, float y,
               const Color& color, int align = kAlignLeft, float spacing = 0.0f);
// Greedy word wrap at spaces and line feeds; returns the height of all lines (size *
// line_factor each), also when draw is false.
float DrawWrapped(const std::wstring& text, FontRole role, float size, float x, float y,
                  float max_width, const Color& color, float line_factor, bool draw = true);
// The lines DrawWrapped draws, with measure giving a candidate line's width. A word wider
// than max_width stands alone on its line.
std::vector<std::wstring> WrapLines(const std::wstring& text, float max_width,
                                    const std::function<float(const std::wstring&)>& measure);
// The text, or "…" and its longest tail that fits max_width.
std::wstring ElideLeft(const std::wstring& text, FontRole role, float size, float max_width);
// The size at which the spaced text fits max_width (size itself when it fits already).
float FitTextSize(const std::wstring& text, FontRole role, float size, float max_width,
                  float spacing = 0.0f);
// The text, or its longest head that fits max_width followed by "…".
std::wstring ElideRight(const std::wstring& text, FontRole role, float size, float max_width);
std::wstring Utf8ToWide(const std::string& utf8);

// The width cache: its entry count, and emptying it (fonts unloaded).
size_t TextWidthCacheSize();
void ForgetTextWidths();
// How many drawn lines are kept as layers (a line drawn a second time in the same place,
// font and colour is put from a layer).
size_t TextLayerCount();

}  // namespace ui
