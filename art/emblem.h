// The emblem (a star, a tilted ring, the truck badge and a slowly turning ring of stars in
// a 400 x 400 box) and the tilted truck drawing it carries.
#pragma once

namespace art {

// Draws the emblem with its box's top-left at (x, y), scaled to size. Its glow with the
// ring's dashes (kept at a few steps of their repeat) and its front are cached as
// device-resolution bitmaps; only the ring's stars, turned by ring_angle degrees, are
// drawn afresh each frame.
void Emblem(float x, float y, float size, float ring_angle);
// The truck drawing, tilted 10 degrees, in a 230 x 140 box at (x, y) scaled to (w, h).
void TruckBadge(float x, float y, float w, float h);

// Cached emblem layer pairs, how often one was rendered, and freeing them all (GDI+
// shutdown does it too).
int EmblemCacheSize();
int EmblemLayerBuilds();
void ForgetEmblemLayers();

}  // namespace art
