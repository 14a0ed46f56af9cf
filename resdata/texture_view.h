// The developer viewer: one texture (and its .tex sibling) from the dump, decoded and
// shown in a small OpenGL window, optionally saved as a BMP screenshot.
#pragma once

#include <string>
#include <vector>

#include "resdata/gx_texture.h"
#include "resdata/resource_library.h"

// Fetches a TEX resource by name and decodes it, printing its description line (or the
// decoder's failure on standard error). A missing resource prints nothing of its own: the
// library's messages say why.
bool LoadNamedTexture(ResourceLibrary& library, const std::string& name, DecodedTexture* out);

struct TextureViewRequest {
  std::string texture;      // "set.res/name.tm0"
  std::string disc;         // for the failure line
  bool verified = false;    // main.dol matched
  std::string screenshot;   // BMP to write on the third frame, then close; empty: none
};

// Loads the texture (after its set) and, for a ".tm0", its ".tex" sibling; prints the
// library's messages; shows what loaded. Returns the exit status: 0 shown, 1 nothing to show
// or no window.
int RunTextureView(ResourceLibrary& library, bool library_open, const TextureViewRequest& request);

// The window itself: the first texture large, the others as thumbnails along the bottom,
// until Escape or close, or until the screenshot is written. Returns the exit status.
int ShowTexturesInWindow(const std::vector<DecodedTexture>& textures, const std::string& title,
                         const std::string& screenshot);

// A bottom-up 24-bit BMP from BGR rows given bottom row first, each `width` * 3 bytes long;
// rows are padded to 4 bytes in the file. Written to "<path>.tmp" and moved into place.
bool WriteBmp24(const std::string& path, int width, int height, const std::vector<uint8_t>& bgr);
