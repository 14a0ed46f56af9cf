#include "ui/fonts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "platform/env.h"
#include "platform/files.h"
#include "platform/text.h"
#include "ui/gdiplus_session.h"
#include "ui/text.h"

namespace ui {

using namespace Gdiplus;

namespace {

// [SECTION] The chains

const FontCandidate kDisplay[] = {
    {L"Barlow Condensed Black", FontStyle::Italic, true},
    {L"Barlow Condensed ExtraBold", FontStyle::Italic, true},
    {L"Barlow Condensed", FontStyle::BoldItalic, true},
    {L"Bahnschrift Condensed", FontStyle::BoldItalic, false},
    {L"Bahnschrift SemiBold SemiConden", FontStyle::Italic, false},
    {L"Bahnschrift", FontStyle::BoldItalic, false},
    {L"Arial Narrow", FontStyle::BoldItalic, false},
    {L"Segoe UI Black", FontStyle::Italic, false},
};
const FontCandidate kLabel[] = {
    {L"Barlow Condensed", FontStyle::Bold, true},
    {L"Bahnschrift SemiBold SemiConden", FontStyle::Regular, false},
    {L"Bahnschrift", FontStyle::Bold, false},
    {L"Arial Narrow", FontStyle::Bold, false},
    {L"Segoe UI", FontStyle::Bold, false},
};
const FontCandidate kBody[] = {
    {L"Barlow Medium", FontStyle::Regular, true},
    {L"Barlow", FontStyle::Regular, true},
    {L"Segoe UI", FontStyle::Regular, false},
};
const FontCandidate kSemibold[] = {
    {L"Barlow SemiBold", FontStyle::Regular, true},
    {L"Barlow", FontStyle::Bold, true},
    {L"Segoe UI Semibold", FontStyle::Regular, false},
    {L"Segoe UI", FontStyle::Bold, false},
};
const FontCandidate kBold[] = {
    {L"Barlow", FontStyle::Bold, true},
    {L"Segoe UI", FontStyle::Bold, false},
};
const FontCandidate kMono[] = {
    {L"JetBrains Mono", FontStyle::Regular, true},
    {L"Cascadia Mono", FontStyle::Regular, false},
    {L"Consolas", FontStyle::Regular, false},
    {L"Courier New", FontStyle::Regular, false},
};
const FontCandidate kLastResort = {L"Arial", FontStyle::Regular, false};
// Every chain ends with families any Windows (and any Wine prefix) has, so text shows even
// without the fonts folder: the system's message font, then Tahoma. Styles they have.
const int kFallbackStyles[kFontRoleCount] = {FontStyle::Bold, FontStyle::Bold,    FontStyle::Regular,
                                             FontStyle::Bold, FontStyle::Bold,    FontStyle::Regular};
constexpr wchar_t kTahoma[] = L"Tahoma";

struct Chain {
  const FontCandidate* first;
  size_t count;
};
template <size_t N>
constexpr Chain ChainOf(const FontCandidate (&c)[N]) {
  return {c, N};
}
const Chain kChains[kFontRoleCount] = {ChainOf(kDisplay), ChainOf(kLabel),  ChainOf(kBody),
                                       ChainOf(kSemibold), ChainOf(kBold), ChainOf(kMono)};

// [SECTION] Bound state (GUI thread only)

struct BoundRole {
  GpFontFamily* family = nullptr;
  int style = FontStyle::Regular;
  std::wstring name;
  float glyph_top = 0.1f;
  float ascent_ratio = 0.8f;
};

struct Fonts {
  bool loaded = false;
  GpFontCollection* collection = nullptr;
  BoundRole roles[kFontRoleCount];
  std::map<uint64_t, GpFont*> cache;
  GpStringFormat* format = nullptr;
};
Fonts& TheFonts() {
  static Fonts fonts;
  return fonts;
}

int RoleIndex(FontRole role) {
  const int i = static_cast<int>(role);
  return (i >= 0 && i < kFontRoleCount) ? i : static_cast<int>(FontRole::Body);
}

std::wstring FamilyName(GpFontFamily* family) {
  WCHAR name[LF_FACESIZE] = {};
  if (gp::GdipGetFamilyName(family, name, 0) != Ok) return std::wstring();
  return name;
}

// The families of a collection (owned by the collection).
std::vector<GpFontFamily*> Families(GpFontCollection* collection) {
  INT count = 0;
  if (gp::GdipGetFontCollectionFamilyCount(collection, &count) != Ok || count <= 0) return {};
  std::vector<GpFontFamily*> list(static_cast<size_t>(count), nullptr);
  INT found = 0;
  if (gp::GdipGetFontCollectionFamilyList(collection, count, list.data(), &found) != Ok) return {};
  list.resize(static_cast<size_t>(std::max(found, 0)));
  return list;
}

// Some GDI+ versions (Wine's) miss a private family by name when its first face's full
// name differs from the family name; the collection's own list still has it.
GpFontFamily* FindInCollection(GpFontCollection* collection, const wchar_t* name) {
  for (GpFontFamily* family : Families(collection)) {
    if (_wcsicmp(FamilyName(family).c_str(), name) != 0) continue;
    GpFontFamily* clone = nullptr;
    if (gp::GdipCloneFontFamily(family, &clone) == Ok) return clone;
  }
  return nullptr;
}

GpFontFamily* CreateFamily(const FontCandidate& c, GpFontCollection* collection) {
  GpFontFamily* family = nullptr;
  if (c.private_collection) {
    if (!collection) return nullptr;
    if (gp::GdipCreateFontFamilyFromName(c.family, collection, &family) == Ok && family) return family;
    if (family) gp::GdipDeleteFontFamily(family);
    return FindInCollection(collection, c.family);
  }
  if (gp::GdipCreateFontFamilyFromName(c.family, nullptr, &family) == Ok && family) return family;
  if (family) gp::GdipDeleteFontFamily(family);
  return nullptr;
}

void LogPrivateFamilies(GpFontCollection* collection) {
  for (GpFontFamily* family : Families(collection)) {
    int available[4] = {};
    for (int style = 0; style < 4; ++style) {
      BOOL yes = FALSE;
      gp::GdipIsStyleAvailable(family, style, &yes);
      available[style] = yes ? 1 : 0;
    }
    std::printf("font family '%ls': regular %d bold %d italic %d bolditalic %d\n",
                FamilyName(family).c_str(), available[0], available[1], available[2], available[3]);
  }
  std::fflush(stdout);
}

GpFontFamily* AnyInstalledFamily() {
  GpFontCollection* installed = nullptr;
  if (gp::GdipNewInstalledFontCollection(&installed) != Ok || !installed) return nullptr;
  const std::vector<GpFontFamily*> families = Families(installed);
  GpFontFamily* clone = nullptr;
  if (!families.empty()) gp::GdipCloneFontFamily(families.front(), &clone);
  return clone;
}

void Bind(BoundRole* role, const FontCandidate& c, GpFontFamily* family) {
  role->family = family;
  role->style = c.style;
  role->name = FamilyName(family);
  if (role->name.empty()) role->name = c.family;
  UINT16 ascent = 0, descent = 0, em = 0;
  gp::GdipGetCellAscent(family, c.style, &ascent);
  gp::GdipGetCellDescent(family, c.style, &descent);
  gp::GdipGetEmHeight(family, c.style, &em);
  if (em > 0) {
    role->glyph_top = (1.2f - static_cast<float>(ascent + descent) / em) / 2.0f;
    role->ascent_ratio = static_cast<float>(ascent) / em;
  }
}

}  // namespace

FontCandidate ChooseFont(FontRole role, const std::function<bool(const FontCandidate&)>& exists,
                         const wchar_t* message_font) {
  const int index = RoleIndex(role);
  const Chain& chain = kChains[index];
  for (size_t i = 0; i < chain.count; ++i)
    if (exists(chain.first[i])) return chain.first[i];
  const FontCandidate fallbacks[] = {{message_font, kFallbackStyles[index], false},
                                     {kTahoma, kFallbackStyles[index], false}};
  for (const FontCandidate& c : fallbacks)
    if (c.family && c.family[0] && exists(c)) return c;
  return kLastResort;
}

std::wstring MessageFontFamily() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return std::wstring();
  return metrics.lfMessageFont.lfFaceName;
}

std::string FontsDirectory(const std::string& checkout_root, const std::string& exe_dir) {
  // A checkout without the launcher's assets (a game source a player unpacked around the
  // launcher) still has the fonts that came with the launcher.
  if (!checkout_root.empty() && files::IsFolder(checkout_root + "\\assets\\fonts"))
    return checkout_root + "\\assets\\fonts";
  return exe_dir + "fonts";
}

bool LoadFonts(const std::string& fonts_dir) {
  Fonts& f = TheFonts();
  if (f.loaded) UnloadFonts();
  if (!StartGdiplus()) return false;
  f.loaded = true;

  gp::GdipNewPrivateFontCollection(&f.collection);
  const std::wstring dir = text::Utf8ToWide(fonts_dir);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir + L"\\*.ttf").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      gp::GdipPrivateAddFontFile(f.collection, (dir + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  if (env::IsSet("KESTRANE_FONTLOG") && f.collection) LogPrivateFamilies(f.collection);

  const std::wstring message_font = MessageFontFamily();
  for (int i = 0; i < kFontRoleCount; ++i) {
    GpFontFamily* family = nullptr;
    FontCandidate chosen = ChooseFont(static_cast<FontRole>(i), [&](const FontCandidate& c) {
      family = CreateFamily(c, f.collection);
      return family != nullptr;
    }, message_font.c_str());
    if (!family) family = CreateFamily(chosen, f.collection);
    // A fallback family need not have the role's weight: its regular face beats no text.
    const bool fallback = chosen.family == message_font.c_str() || chosen.family == kTahoma;
    BOOL has_style = TRUE;
    if (family && fallback && gp::GdipIsStyleAvailable(family, chosen.style, &has_style) == Ok && !has_style)
      chosen.style = FontStyle::Regular;
    // A system without Arial still gets readable text from the generic sans-serif family,
    // or failing that from any installed family at all.
    if (!family) {
      GpFontFamily* generic = nullptr;
      if (gp::GdipGetGenericFontFamilySansSerif(&generic) == Ok) gp::GdipCloneFontFamily(generic, &family);
    }
    if (!family) family = AnyInstalledFamily();
    if (family) Bind(&f.roles[i], chosen, family);
  }
  return true;
}

void UnloadFonts() {
  Fonts& f = TheFonts();
  if (!f.loaded) return;
  for (auto& entry : f.cache) gp::GdipDeleteFont(entry.second);
  f.cache.clear();
  ForgetTextWidths();
  if (f.format) gp::GdipDeleteStringFormat(f.format);
  f.format = nullptr;
  for (BoundRole& role : f.roles) {
    if (role.family) gp::GdipDeleteFontFamily(role.family);
    role = BoundRole();
  }
  if (f.collection) gp::GdipDeletePrivateFontCollection(&f.collection);
  f.collection = nullptr;
  f.loaded = false;
  StopGdiplus();
}

std::wstring FontName(FontRole role) { return TheFonts().roles[RoleIndex(role)].name; }

GpFont* GetFont(FontRole role, float size) {
  Fonts& f = TheFonts();
  const int index = RoleIndex(role);
  const BoundRole& bound = f.roles[index];
  if (!bound.family) return nullptr;
  const long eighths = std::lround(size * 8.0f);
  const uint64_t key = (static_cast<uint64_t>(index) << 32) | static_cast<uint32_t>(eighths);
  auto it = f.cache.find(key);
  if (it != f.cache.end()) return it->second;
  GpFont* font = nullptr;
  if (gp::GdipCreateFont(bound.family, static_cast<float>(eighths) / 8.0f, bound.style, UnitPixel,
                         &font) != Ok)
    font = nullptr;
  if (font) f.cache.emplace(key, font);
  return font;
}

GpFontFamily* FontFamily(FontRole role) { return TheFonts().roles[RoleIndex(role)].family; }
int FontStyleOf(FontRole role) { return TheFonts().roles[RoleIndex(role)].style; }
float GlyphTop(FontRole role) { return TheFonts().roles[RoleIndex(role)].glyph_top; }
float AscentRatio(FontRole role) { return TheFonts().roles[RoleIndex(role)].ascent_ratio; }

GpStringFormat* TextFormat() {
  Fonts& f = TheFonts();
  if (f.format || !GdiplusRunning()) return f.format;
  GpStringFormat* generic = nullptr;
  if (gp::GdipStringFormatGetGenericTypographic(&generic) != Ok) return nullptr;
  if (gp::GdipCloneStringFormat(generic, &f.format) != Ok) return f.format = nullptr;
  INT flags = 0;
  gp::GdipGetStringFormatFlags(f.format, &flags);
  gp::GdipSetStringFormatFlags(f.format, flags | StringFormatFlagsNoClip |
                                             StringFormatFlagsMeasureTrailingSpaces);
  return f.format;
}

}  // namespace ui
