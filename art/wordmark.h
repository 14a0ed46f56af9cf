// The product wordmark: a gold caption over "KESTRANE" in extruded, outlined letters with
// speed lines and an underline bar with a star, in a 440 x 120 box.
#pragma once

namespace art {

// Draws the wordmark with its box's top-left at (x, y), scaled to width.
void Wordmark(float x, float y, float width);

}  // namespace art
