// Drawing primitives on the frame's graphics, in design units. Brushes, pens and paths
// live for one call. The culled primitives first ask whether their rectangle (grown by 2)
// can change any pixel of the current clip, which keeps long lists and partial frames cheap.
#pragma once

#include <vector>

#include "ui/gdiplus_api.h"
#include "ui/palette.h"

namespace ui {

// Quality modes and the canvas transform for a frame (or an off-screen layer) drawn
// through g; empties the state stack.
void SetupFrameGraphics(Gdiplus::Graphics* g);

// Whether (x, y, w, h) touches the visible clip; false outside a frame.
bool IsVisible(float x, float y, float w, float h);

// The next frame, drawn through g, paints only inside these device-pixel rectangles
// (right and bottom excluded), as its clip says too. IsVisible then answers "no" for what
// lies outside all of them without GDI+'s region test, which under Wine costs more than
// the drawing a partial frame saves. More than Context::kMaxPaintRects are joined into
// their bounding box. EndFrame forgets them.
void SetPaintRects(Gdiplus::Graphics* g, const RECT* rects, int count);

void FillRect(float x, float y, float w, float h, const Color& color);
void FillRoundRect(float x, float y, float w, float h, float radius, const Color& color);
// The stroke lies inside (x, y, w, h): the path is inset by half the pen width.
void StrokeRoundRect(float x, float y, float w, float h, float radius, const Color& color,
                     float width);
// Dashes along the rounded outline itself (not inset): dash and gap are in pen widths,
// as GDI+ counts them.
void StrokeDashedRoundRect(float x, float y, float w, float h, float radius, const Color& color,
                           float width, float dash, float gap);
void FillRoundRectGradient(float x, float y, float w, float h, float radius, const Color& from,
                           const Color& to, float angle);
void DrawLine(float x1, float y1, float x2, float y2, const Color& color, float width);
void FillCircle(float cx, float cy, float r, const Color& color);
void StrokeCircle(float cx, float cy, float r, const Color& color, float width);
void StrokeArc(float cx, float cy, float r, float start, float sweep, const Color& color,
               float width);
void FillStar(float cx, float cy, float r, const Color& color);
void FillPolygon(const Gdiplus::PointF* points, int count, const Color& color);

// Appends one closed rounded rectangle; the radius is clamped to half the smaller side and
// a radius of 0.01 or less gives a plain rectangle.
void AddRoundRect(Gdiplus::GpPath* path, float x, float y, float w, float h, float radius);

// Shears about the line y = cy: x' = x + tan(angle) (y - cy). Paired with PopState.
void PushSkew(float cx, float cy, float angle_degrees);
// Intersects the clip with (x, y, w, h). Paired with PopState.
void PushClip(float x, float y, float w, float h);
// Intersects the clip with a rounded rectangle (AddRoundRect's). Paired with PopState.
void PushRoundClip(float x, float y, float w, float h, float radius);
// Restores the state before the last push; nothing on an empty stack.
void PopState();

// Sends the primitives to another graphics (an off-screen layer) for its lifetime; the
// frame's graphics and state stack come back afterwards.
class ScopedDrawTarget {
 public:
  explicit ScopedDrawTarget(Gdiplus::Graphics* target);
  ~ScopedDrawTarget();
  ScopedDrawTarget(const ScopedDrawTarget&) = delete;
  ScopedDrawTarget& operator=(const ScopedDrawTarget&) = delete;

 private:
  Gdiplus::Graphics* saved_graphics_;
  std::vector<unsigned> saved_stack_;
};

namespace detail {
// The frame's native graphics (null outside a frame), and where its errors are noted.
Gdiplus::GpGraphics* FrameGraphics();
void NoteStatus(Gdiplus::Status status);
// Whether a ScopedDrawTarget sends the primitives to an off-screen layer now.
bool DrawingIntoLayer();
}  // namespace detail

}  // namespace ui
