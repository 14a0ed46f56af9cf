#include "ui/text.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "platform/text.h"
#include "ui/access.h"
#include "ui/context.h"
#include "ui/draw.h"
#include "ui/gdiplus_session.h"
#include "ui/layer.h"

namespace ui {

using namespace Gdiplus;

namespace {

constexpr size_t kWidthCacheLimit = 20000;

struct WidthKey {
  uint64_t font;  // role << 32 | size in eighths
  std::wstring text;
  bool operator==(const WidthKey& o) const { return font == o.font && text == o.text; }
};
struct WidthKeyHash {
  size_t operator()(const WidthKey& k) const {
    return std::hash<std::wstring>()(k.text) ^ (std::hash<uint64_t>()(k.font) * 0x9E3779B97F4A7C15ull);
  }
};
// GUI thread only. Hinting fits glyphs to the pixel grid, so a width holds only at the
// canvas scale it was measured at; the cache is emptied when the scale changes.
struct WidthCache {
  std::unordered_map<WidthKey, float, WidthKeyHash> widths;
  float scale = 0;
};
WidthCache& TheWidthCache() {
  static WidthCache cache;
  return cache;
}
std::unordered_map<WidthKey, float, WidthKeyHash>& Widths() {
  WidthCache& cache = TheWidthCache();
  if (cache.scale != Ctx().scale) {
    cache.widths.clear();
    cache.scale = Ctx().scale;
  }
  return cache.widths;
}

uint64_t FontKey(FontRole role, float size) {
  return (static_cast<uint64_t>(static_cast<int>(role)) << 32) |
         static_cast<uint32_t>(std::lround(size * 8.0f));
}

// Length of the character at i: a surrogate pair is one character.
size_t CharLength(const std::wstring& text, size_t i) {
  if (i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 &&
      text[i + 1] <= 0xDFFF)
    return 2;
  return 1;
}

const wchar_t kEllipsis[] = L"\u2026";

// Text whose characters each map to one glyph with no shaping, reordering or line breaks:
// Latin, its punctuation and general punctuation (the ellipsis, the middle dot, dashes).
bool SimpleText(const std::wstring& text) {
  for (wchar_t c : text)
    if (!((c >= 0x20 && c < 0x300) || (c >= 0x2000 && c < 0x2070))) return false;
  return true;
}

// Simple text placed glyph by glyph in one driver-string call, on the baseline a
// DrawString at `top` uses. This skips the string layout, and for letter-spaced text it
// replaces a DrawString per character; the glyphs land on the same pixels either way.
void DrawSimpleText(GpGraphics* g, const std::wstring& text, FontRole role, float size, GpFont* font,
                    GpBrush* brush, float x, float top, float spacing) {
  const UINT16* glyphs = reinterpret_cast<const UINT16*>(text.c_str());
  const PointF origin(0, 0);
  RectF cell;
  gp::GdipMeasureDriverString(g, glyphs, 1, font, &origin, DriverStringOptionsCmapLookup, nullptr, &cell);
  const float baseline = top - cell.Y;
  if (spacing == 0.0f) {
    const PointF pen(x, baseline);
    const INT flags = DriverStringOptionsCmapLookup | DriverStringOptionsRealizedAdvance;
    detail::Note(Ctx().graphics,
                 gp::GdipDrawDriverString(g, glyphs, static_cast<INT>(text.size()), font, brush, &pen, flags, nullptr));
    return;
  }
  std::vector<PointF> pen;
  pen.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    pen.push_back(PointF(x, baseline));
    x += MeasureText(text.substr(i, 1), role, size) + spacing * size;
  }
  detail::Note(Ctx().graphics, gp::GdipDrawDriverString(g, glyphs, static_cast<INT>(text.size()), font, brush,
                                                        pen.data(), DriverStringOptionsCmapLookup, nullptr));
}

// One DrawText's text, font, place, colour and letter spacing.
struct TextDraw {
  const std::wstring& text;
  FontRole role;
  float size, x, y;
  Color color;
  float spacing;
};

void DrawGlyphs(GpGraphics* g, const TextDraw& d) {
  GpFont* font = GetFont(d.role, d.size);
  GpSolidFill* brush = nullptr;
  detail::Note(Ctx().graphics, gp::GdipCreateSolidFill(d.color, &brush));
  const float top = d.y + d.size * GlyphTop(d.role);
  const std::wstring& text = d.text;
  if (SimpleText(text)) {
    DrawSimpleText(g, text, d.role, d.size, font, brush, d.x, top, d.spacing);
  } else if (d.spacing == 0.0f) {
    const RectF layout(d.x, top, 0, 0);
    detail::Note(Ctx().graphics, gp::GdipDrawString(g, text.c_str(), static_cast<INT>(text.size()), font, &layout,
                                                    TextFormat(), brush));
  } else {
    float x = d.x;
    for (size_t i = 0; i < text.size();) {
      const size_t n = CharLength(text, i);
      const RectF layout(x, top, 0, 0);
      detail::Note(Ctx().graphics, gp::GdipDrawString(g, text.c_str() + i, static_cast<INT>(n), font, &layout,
                                                      TextFormat(), brush));
      x += MeasureText(text.substr(i, n), d.role, d.size) + d.spacing * d.size;
      i += n;
    }
  }
  gp::GdipDeleteBrush(brush);
}

// [SECTION] Drawn text kept as layers
//
// GDI+ under Wine rasterises every glyph of a string anew on each draw, which makes text
// most of a frame's cost. A line drawn a second time at the same fraction of a pixel,
// scale, font and colour is kept as a layer and afterwards only blended into frames; it
// lands on the same pixels. Text seen once (counters, log lines) is drawn directly.

// Bounds of the kept layers together (each holds one GDI object); beyond either they are
// all freed.
constexpr size_t kTextLayerPixels = 4 << 20;
constexpr size_t kTextLayerCount = 512;
constexpr size_t kTextSightings = 8192;  // remembered one-off lines

struct TextLayerKey {
  std::wstring text;
  uint64_t font;
  Color color;
  int spacing;           // thousandths
  int frac_x, frac_y;    // the layout origin's place inside its device pixel, in 64ths
  int m[4];              // the transform's linear part, in thousandths
  bool operator==(const TextLayerKey& o) const {
    return text == o.text && font == o.font && color == o.color && spacing == o.spacing && frac_x == o.frac_x &&
           frac_y == o.frac_y && std::equal(m, m + 4, o.m);
  }
};
struct TextLayerKeyHash {
  size_t operator()(const TextLayerKey& k) const {
    size_t h = std::hash<std::wstring>()(k.text) ^ (k.font * 0x9E3779B97F4A7C15ull);
    for (int v : {int(k.color), k.spacing, k.frac_x, k.frac_y, k.m[0], k.m[1], k.m[2], k.m[3]})
      h = (h ^ static_cast<size_t>(v)) * 0x100000001B3ull;
    return h;
  }
};
struct TextLayer {
  std::unique_ptr<Layer> layer;
  int dx = 0, dy = 0;  // the layer's top-left from the origin's device pixel
};
// GUI thread only; freed when GDI+ stops.
struct TextLayers {
  std::unordered_map<TextLayerKey, TextLayer, TextLayerKeyHash> layers;
  std::unordered_set<size_t> sighted;  // hashes of lines drawn once
  size_t pixels = 0;
};
TextLayers& TheTextLayers() {
  static TextLayers cache;
  return cache;
}
void ForgetTextLayers() {
  TheTextLayers().layers.clear();
  TheTextLayers().sighted.clear();
  TheTextLayers().pixels = 0;
}

// Puts the text from its layer, making the layer on its second sighting; false when the
// caller must draw it.
bool DrawFromTextLayer(GpGraphics* g, const TextDraw& d, float width) {
  if (detail::DrawingIntoLayer()) return false;  // art being cached keeps its text itself
  // Everything the glyphs may paint: italic overhangs and accents reach past the line box.
  const float margin = 0.3f * d.size + 4;
  const ArtPlacement at(g, d.x - margin, d.y - margin, width + 2 * margin, 1.2f * d.size + 2 * margin);
  if (at.m[1] != 0 || at.m[2] != 0) return false;  // skewed or turned: drawn directly
  PointF origin(d.x, d.y);
  gp::GdipTransformMatrixPoints(at.transform, &origin, 1);
  const float px = std::floor(origin.X), py = std::floor(origin.Y);
  auto in = [](float v, float parts) { return static_cast<int>(std::lround(v * parts)); };
  TextLayerKey key{d.text,
                   FontKey(d.role, d.size),
                   d.color,
                   in(d.spacing, 1000),
                   in(origin.X - px, 64),
                   in(origin.Y - py, 64),
                   {in(at.m[0], 1000), 0, 0, in(at.m[3], 1000)}};
  TextLayers& cache = TheTextLayers();
  auto it = cache.layers.find(key);
  if (it == cache.layers.end()) {
    const size_t hash = TextLayerKeyHash()(key);
    if (cache.sighted.insert(hash).second) {
      if (cache.sighted.size() > kTextSightings) cache.sighted.clear();
      return false;
    }
    TextLayer entry;
    entry.layer = RenderLayer(at.transform, at.box, [&](GpGraphics* target) { DrawGlyphs(target, d); });
    if (!entry.layer) return false;
    entry.dx = at.box.x - static_cast<int>(px);
    entry.dy = at.box.y - static_cast<int>(py);
    const size_t pixels = static_cast<size_t>(at.box.w) * static_cast<size_t>(at.box.h);
    if (cache.pixels + pixels > kTextLayerPixels || cache.layers.size() >= kTextLayerCount) {
      cache.layers.clear();
      cache.pixels = 0;
    }
    cache.pixels += pixels;
    AtGdiplusStop(ForgetTextLayers);
    it = cache.layers.emplace(std::move(key), std::move(entry)).first;
  }
  const Layer& layer = *it->second.layer;
  PixelBox box;
  box.x = static_cast<int>(px) + it->second.dx;
  box.y = static_cast<int>(py) + it->second.dy;
  box.w = layer.width;
  box.h = layer.height;
  PutLayer(layer, box, false);
  return true;
}

}  // namespace

float MeasureText(const std::wstring& text, FontRole role, float size) {
  if (text.empty()) return 0.0f;
  auto& widths = Widths();
  WidthKey key{FontKey(role, size), text};
  auto it = widths.find(key);
  if (it != widths.end()) return it->second;

  GpGraphics* g = detail::Native(Ctx().graphics);
  GpFont* font = GetFont(role, size);
  if (!g || !font) return 0.0f;
  const RectF layout(0, 0, 0, 0);
  RectF bounds;
  const Status status = gp::GdipMeasureString(g, text.c_str(), static_cast<INT>(text.size()), font,
                                              &layout, TextFormat(), &bounds, nullptr, nullptr);
  detail::Note(Ctx().graphics, status);
  if (status != Ok) return 0.0f;
  if (widths.size() >= kWidthCacheLimit) widths.clear();
  widths.emplace(std::move(key), bounds.Width);
  return bounds.Width;
}

float MeasureTextSpaced(const std::wstring& text, FontRole role, float size, float spacing) {
  if (text.empty()) return 0.0f;
  if (spacing == 0.0f) return MeasureText(text, role, size);
  float total = 0.0f;
  for (size_t i = 0; i < text.size();) {
    const size_t n = CharLength(text, i);
    total += MeasureText(text.substr(i, n), role, size) + spacing * size;
    i += n;
  }
  return total - spacing * size;
}

float DrawText(const std::wstring& text, FontRole role, float size, float x, float y,
               const Color& color, int align, float spacing) {
  const float w = MeasureTextSpaced(text, role, size, spacing);
  if (align == kAlignCentre) x -= w / 2;
  if (align == kAlignRight) x -= w;
  if (detail::g_capturing) detail::CaptureText(text, x, y, w, 1.2f * size);
  if (text.empty() || !IsVisible(x - 4, y - 4, w + 8, 1.6f * size + 8)) return w;
  GpGraphics* g = detail::Native(Ctx().graphics);
  if (!GetFont(role, size)) return w;
  const TextDraw draw{text, role, size, x, y, color, spacing};
  if (!DrawFromTextLayer(g, draw, w)) DrawGlyphs(g, draw);
  return w;
}

std::vector<std::wstring> WrapLines(const std::wstring& text, float max_width,
                                    const std::function<float(const std::wstring&)>& measure) {
  std::vector<std::wstring> lines;
  std::wstring current;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(L" \n", start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring word = text.substr(start, end - start);
    if (current.empty()) {
      current = word;
    } else {
      std::wstring candidate = current + L" " + word;
      if (measure(candidate) > max_width) {
        lines.push_back(current);
        current = word;
      } else {
        current = std::move(candidate);
      }
    }
    if (end < text.size() && text[end] == L'\n') {
      lines.push_back(current);
      current.clear();
    }
    start = end + 1;
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

float DrawWrapped(const std::wstring& text, FontRole role, float size, float x, float y,
                  float max_width, const Color& color, float line_factor, bool draw) {
  const std::vector<std::wstring> lines = WrapLines(
      text, max_width, [&](const std::wstring& line) { return MeasureText(line, role, size); });
  const float line_height = size * line_factor;
  if (draw) {
    for (size_t i = 0; i < lines.size(); ++i) {
      DrawText(lines[i], role, size, x, y + static_cast<float>(i) * line_height + (line_height - 1.2f * size) / 2,
               color, kAlignLeft, 0.0f);
    }
  }
  return static_cast<float>(lines.size()) * line_height;
}

std::wstring ElideLeft(const std::wstring& text, FontRole role, float size, float max_width) {
  if (MeasureText(text, role, size) <= max_width) return text;
  // The tail may start only where a character starts: never inside a surrogate pair.
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) starts.push_back(i);
  starts.push_back(text.size());
  size_t lo = 0, hi = starts.size() - 1;
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    if (MeasureText(kEllipsis + text.substr(starts[mid]), role, size) <= max_width)
      hi = mid;
    else
      lo = mid + 1;
  }
  return kEllipsis + text.substr(starts[lo]);
}

float FitTextSize(const std::wstring& text, FontRole role, float size, float max_width, float spacing) {
  const float w = MeasureTextSpaced(text, role, size, spacing);
  if (w > max_width && w > 0.0f) return size * max_width / w;
  return size;
}

std::wstring ElideRight(const std::wstring& text, FontRole role, float size, float max_width) {
  if (MeasureText(text, role, size) <= max_width) return text;
  size_t lo = 0, hi = text.size();
  while (lo < hi) {
    const size_t mid = (lo + hi + 1) / 2;
    if (MeasureText(text.substr(0, mid) + kEllipsis, role, size) <= max_width)
      lo = mid;
    else
      hi = mid - 1;
  }
  // Never keep half of a surrogate pair.
  if (lo > 0 && text[lo - 1] >= 0xD800 && text[lo - 1] <= 0xDBFF) --lo;
  return text.substr(0, lo) + kEllipsis;
}

std::wstring Utf8ToWide(const std::string& utf8) { return text::Utf8ToWide(utf8); }

size_t TextWidthCacheSize() { return TheWidthCache().widths.size(); }
size_t TextLayerCount() { return TheTextLayers().layers.size(); }
void ForgetTextWidths() { TheWidthCache().widths.clear(); }

}  // namespace ui
