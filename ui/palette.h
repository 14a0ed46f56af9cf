// The launcher's colours: 32-bit ARGB (alpha in the top byte, the GDI+ layout), the one
// palette the toolkit and the screens share, and the two ways to derive a colour.
#pragma once

#include <cstdint>

namespace ui {

using Color = uint32_t;

struct Palette {
  static constexpr Color bg0 = 0xFF0E0820;         // deepest background, top of the sky
  static constexpr Color bg1 = 0xFF1F1139;         // lighter background, lower sky
  static constexpr Color panel = 0xFF1A0F2E;       // card and button bodies
  static constexpr Color panel_hi = 0xFF261845;    // raised or hovered surfaces
  static constexpr Color ink = 0xFF07030E;         // silhouettes, shadows, tracks
  static constexpr Color sun = 0xFFFF7A2E;         // the backdrop sun and glows
  static constexpr Color text = 0xFFF4EFFB;        // primary text and icons
  static constexpr Color text_dim = 0xFFA99BC6;    // secondary text
  static constexpr Color line = 0xFF3B2B5B;        // borders, separators, tracks
  static constexpr Color gold_tint = 0x2BFFC22E;   // translucent gold fill
  static constexpr Color accent = 0xFFFF5A1F;      // start of accent gradients
  static constexpr Color gold = 0xFFFFC22E;        // end of accent gradients, highlights
  static constexpr Color focus = 0xFF4CC4FF;       // focus rings
  static constexpr Color ok = 0xFF5FE39A;
  static constexpr Color warn = 0xFFFFB02E;
  static constexpr Color error = 0xFFFF4D5E;
  static constexpr Color on_accent = 0xFF2A1000;   // dark text on the accent gradient
  static constexpr Color focus_tint = 0x1A4CC4FF;  // translucent focus blue
  static constexpr Color on_gold = 0xFF241000;     // dark text on a gold fill
};

// The colour with its alpha multiplied by factor (rounded, saturated to 0..255).
Color Fade(const Color& color, float factor);
// Per channel a + t (b - a), rounded and saturated; t = 0 gives a, t = 1 gives b.
Color Mix(const Color& a, const Color& b, float t);

}  // namespace ui
