// libFuzzer target: one TEX resource of any bytes through drCreateTexture.
#include <cstdint>
#include <vector>

#include "resdata/gx_texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly `size` bytes, so AddressSanitizer sees any read past the resource.
  std::vector<uint8_t> resource(data, data + size);
  DecodedTexture texture;
  drCreateTexture(resource.data(), resource.size(), kTexFormatVersion, &texture);
  if (!texture.pixels.empty() && texture.pixels.size() != size_t(texture.width) * size_t(texture.height) * 4)
    __builtin_trap();
  return 0;
}
