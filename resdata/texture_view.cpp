#include "resdata/texture_view.h"

#include <cstdio>

#include "resdata/res_file.h"

bool LoadNamedTexture(ResourceLibrary& library, const std::string& name, DecodedTexture* out) {
  uint16_t version = 0;
  int32_t size = 0;
  const uint8_t* bytes = ResourceGet(library, name, kResourceTypeTex, &version, &size);
  if (!bytes) return false;
  if (!drCreateTexture(bytes, size_t(size), version, out)) {
    fprintf(stderr, "%s: %s\n", name.c_str(), out->error.c_str());
    return false;
  }
  printf("%-28s %4dx%-4d format 0x%02x %-14s lods %d wrap %d/%d\n", name.c_str(), out->width, out->height,
         unsigned(out->format_code), out->format_name.c_str(), out->mip_count, out->wrap_s, out->wrap_t);
  return true;
}

int RunTextureView(ResourceLibrary& library, bool library_open, const TextureViewRequest& request) {
  std::vector<DecodedTexture> textures;
  if (library_open) {
    const std::string& name = request.texture;
    const size_t slash = name.rfind('/');
    const bool set_loaded = slash == std::string::npos || slash == 0 || library.LoadSet(name.substr(0, slash));
    if (set_loaded) {
      DecodedTexture texture;
      if (LoadNamedTexture(library, name, &texture)) textures.push_back(std::move(texture));
      const size_t dot = name.rfind('.');
      if (dot != std::string::npos && resfile::EqualsNoCase(name.substr(dot), ".tm0")) {
        DecodedTexture sibling;
        if (LoadNamedTexture(library, name.substr(0, dot) + ".tex", &sibling)) textures.push_back(std::move(sibling));
      }
    }
  }
  for (const std::string& line : library.Messages()) printf("  %s\n", line.c_str());
  fflush(stdout);
  if (textures.empty()) {
    fprintf(stderr, "Could not load %s from %s\n", request.texture.c_str(), request.disc.c_str());
    return 1;
  }
  const std::string title = std::string("Kestrane") + " - phase 0 host - " + request.texture +
                            (request.verified ? "  [dump verified]" : "  [dump UNVERIFIED]");
  return ShowTexturesInWindow(textures, title, request.screenshot);
}
