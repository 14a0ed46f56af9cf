#include "art/wordmark.h"

#include <string>

#include "ui/context.h"
#include "ui/draw.h"
#include "ui/fonts.h"
#include "ui/gdiplus_session.h"
#include "ui/layer.h"
#include "ui/text.h"

namespace art {

// The art is drawn with the toolkit's primitives and GDI+ paths throughout; where both
// name a thing, the toolkit's is meant.
using namespace ui;
using namespace Gdiplus;
using ui::Color;
using ui::FontFamily;

namespace {

const wchar_t kCaption[] = L"SKARVEL PC";
const wchar_t kName[] = L"KESTRANE";

// The letters of text as one outline (fill mode Winding), each character's cell placed at
// the pen and the pen advanced by its measured width plus spacing design units.
GpPath* Outline(const wchar_t* text, float size, float x, float baseline, float spacing) {
  GpPath* path = nullptr;
  gp::GdipCreatePath(FillModeWinding, &path);
  GpFontFamily* family = FontFamily(FontRole::Display);
  if (!family) return path;
  const float top = baseline - AscentRatio(FontRole::Display) * size;
  for (const wchar_t* c = text; *c; ++c) {
    const RectF cell(x, top, 0, 0);
    gp::GdipAddPathString(path, c, 1, family, FontStyleOf(FontRole::Display), size, &cell, TextFormat());
    x += MeasureText(std::wstring(1, *c), FontRole::Display, size) + spacing;
  }
  return path;
}

void Fill(GpGraphics* g, GpPath* path, const Color& color) {
  GpSolidFill* brush = nullptr;
  gp::GdipCreateSolidFill(color, &brush);
  detail::NoteStatus(gp::GdipFillPath(g, brush, path));
  gp::GdipDeleteBrush(brush);
}

// The wordmark, drawn once per placement and then only put into frames. GUI thread only;
// freed when GDI+ stops.
ArtCache& Cache() {
  static ArtCache cache;
  return cache;
}
void ForgetWordmarks() { Cache().layers.clear(); }

void DrawWordmark(GpGraphics* g, float x, float y, float width) {
  GraphicsState saved = 0;
  gp::GdipSaveGraphics(g, &saved);
  gp::GdipTranslateWorldTransform(g, x, y, MatrixOrderPrepend);
  gp::GdipScaleWorldTransform(g, width / 440, width / 440, MatrixOrderPrepend);

  struct SpeedLine {
    float x, y, w, h, alpha;
  };
  for (const SpeedLine& s : {SpeedLine{64, 58, 60, 6, 0.9f}, SpeedLine{54, 72, 52, 6, 0.6f},
                             SpeedLine{68, 86, 44, 6, 0.35f}}) {
    PushSkew(s.x + s.w / 2, s.y + s.h / 2, -14);
    FillRect(s.x, s.y, s.w, s.h, Fade(Palette::focus, s.alpha));
    PopState();
  }

  GpPath* caption = Outline(kCaption, 26, 80, 36, 13);
  Fill(g, caption, Palette::gold);
  gp::GdipDeletePath(caption);

  // Built at x 0 to measure, then moved so it is centred on x 232.
  GpPath* name = Outline(kName, 84, 0, 96, 5);
  RectF bounds;
  gp::GdipGetPathWorldBounds(name, &bounds, nullptr, nullptr);
  GpMatrix* shift = nullptr;
  gp::GdipCreateMatrix2(1, 0, 0, 1, 232 - bounds.Width / 2, 0, &shift);
  gp::GdipTransformPath(name, shift);
  gp::GdipDeleteMatrix(shift);

  struct Layer {
    float dx, dy;
    Color color;
  };
  for (const Layer& l : {Layer{6, 7, Fade(Palette::ink, 0.55f)}, Layer{4, 4, 0xFF2A1060},
                         Layer{3, 3, 0xFF354C95}, Layer{2, 2, 0xFF4188CA}, Layer{1, 1, Palette::focus}}) {
    GraphicsState layer = 0;
    gp::GdipSaveGraphics(g, &layer);
    gp::GdipTranslateWorldTransform(g, l.dx, l.dy, MatrixOrderPrepend);
    Fill(g, name, l.color);
    gp::GdipRestoreGraphics(g, layer);
  }
  GpPen* outline = nullptr;
  gp::GdipCreatePen1(Palette::ink, 5, UnitWorld, &outline);
  gp::GdipSetPenLineJoin(outline, LineJoinRound);
  detail::NoteStatus(gp::GdipDrawPath(g, outline, name));
  gp::GdipDeletePen(outline);

  const PointF face_top(0, 36), face_bottom(0, 100);
  GpLineGradient* face = nullptr;
  gp::GdipCreateLineBrush(&face_top, &face_bottom, 0xFFFFFFFF, Palette::gold, WrapModeTileFlipXY, &face);
  const ARGB colors[3] = {0xFFFFFFFF, 0xFFFFE9A8, Palette::gold};
  const REAL positions[3] = {0.0f, 0.55f, 1.0f};
  gp::GdipSetLinePresetBlend(face, colors, positions, 3);
  detail::NoteStatus(gp::GdipFillPath(g, face, name));
  gp::GdipDeleteBrush(face);

  PushClip(0, 0, 440, 64);
  Fill(g, name, 0x4DFFFFFF);
  PopState();
  gp::GdipDeletePath(name);

  const PointF bar[4] = {PointF(112, 108), PointF(352, 108), PointF(348, 116), PointF(108, 116)};
  FillPolygon(bar, 4, Palette::gold);
  FillStar(363, 112, 11, Palette::gold);
  gp::GdipRestoreGraphics(g, saved);
}

}  // namespace

void Wordmark(float x, float y, float width) {
  const float bx = x - 10, by = y - 10, bw = width + 20, bh = width * 120 / 440 + 20;
  if (!IsVisible(bx, by, bw, bh)) return;
  AtGdiplusStop(ForgetWordmarks);
  DrawCachedArt(Cache(), bx, by, bw, bh, [&](GpGraphics* g) { DrawWordmark(g, x, y, width); });
}

}  // namespace art
