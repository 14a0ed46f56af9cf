// The six font roles all launcher text goes through. Each binds, once at start-up, to the
// first family of its fallback chain that exists: the launcher's own font files in a
// private collection first, then installed fonts, then the system's message font and Tahoma, so
// text always shows; Arial when even those are missing.
#pragma once

#include <functional>
#include <string>

#include "ui/gdiplus_api.h"

namespace ui {

enum class FontRole : int { Display = 0, Label = 1, Body = 2, Semibold = 3, Bold = 4, Mono = 5 };
constexpr int kFontRoleCount = 6;

// GDI+ FontStyle values the chains use.
namespace FontStyle {
enum : int { Regular = 0, Bold = 1, Italic = 2, BoldItalic = 3 };
}

struct FontCandidate {
  const wchar_t* family;
  int style;
  bool private_collection;  // looked up in the launcher's own files only; else installed fonts only
};

// The candidate a role binds to, given which families exist: the first of its chain, then
// the installed message_font (the system's, see MessageFontFamily), then Tahoma, each in a
// weight the role suits; Arial Regular when none of these exists either.
FontCandidate ChooseFont(FontRole role, const std::function<bool(const FontCandidate&)>& exists,
                         const wchar_t* message_font = nullptr);
// The family of the system's message font (SPI_GETNONCLIENTMETRICS), or "".
std::wstring MessageFontFamily();

// Where the launcher's font files are: <checkout root>\assets\fonts when the launcher runs
// from a source checkout that has that folder, else the "fonts" folder next to the
// executable (exe_dir ends with its separator).
std::string FontsDirectory(const std::string& checkout_root, const std::string& exe_dir);

// Starts GDI+, loads every *.ttf of the folder (UTF-8 path) and binds the roles. False
// only when GDI+ does not start. With KESTRANE_FONTLOG set, lists the private families.
bool LoadFonts(const std::string& fonts_dir);
// Frees fonts, families and the collection, then shuts GDI+ down.
void UnloadFonts();

// The family a role is bound to ("" before LoadFonts).
std::wstring FontName(FontRole role);
// The role's font at size design units, cached by the size in eighths; null before LoadFonts.
Gdiplus::GpFont* GetFont(FontRole role, float size);
// The role's family and style as bound (for outlines such as the wordmark).
Gdiplus::GpFontFamily* FontFamily(FontRole role);
int FontStyleOf(FontRole role);
// Where a line of text starts below the top of its 1.2 * size line box, as a fraction of
// the size: the glyph cell (ascent + descent) is centred in the box.
float GlyphTop(FontRole role);
// Ascent over em height of the role's family and style.
float AscentRatio(FontRole role);

// Generic typographic format with NoClip and MeasureTrailingSpaces, shared by every call.
Gdiplus::GpStringFormat* TextFormat();

}  // namespace ui
