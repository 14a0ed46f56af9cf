// The launcher's background art, drawn in code: night sky with two sun glows, hill,
// mountain and tree silhouettes stretched to the window's width, the truck (through a
// callback), the dark foreground hill and the kerb strip. Sky, glows and silhouettes are
// rendered once per window size and copied, only where the clip allows, every frame.
#pragma once

#include <functional>

namespace art {

// The whole background of the current frame; truck (may be empty) is called with the
// silhouettes' left edge and horizontal stretch, between the silhouettes and the foreground.
void Backdrop(const std::function<void(float, float)>& truck);
// One sun glow: an elliptical radial gradient, a_centre at the centre, a_mid at 45 %.
void Glow(float cx, float cy, float rx, float ry, float a_centre, float a_mid);

// How often the static layer was rendered (it is kept until the window size changes).
int BackdropLayerBuilds();

}  // namespace art
