#include "tests/resdata/bmp_check.h"

#include "resdata/gx_texture.h"

namespace bmpcheck {

namespace {

uint32_t Le32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(s[at + size_t(i)]);
  return v;
}

size_t RowBytes(uint32_t width) { return (size_t(width) * 3 + 3) & ~size_t(3); }

}  // namespace

resfixture::Resource SolidTexture(const std::string& name, uint16_t width, uint16_t height, uint16_t rgb555) {
  resfixture::TexLayout layout;
  layout.width = width;
  layout.height = height;
  layout.format = 70;
  const uint16_t texel = uint16_t(0x8000 | rgb555);
  for (uint64_t i = 0; i < GxDataSize(GxType::kRGB5A3, width, height) / 2; ++i) {
    layout.texels.push_back(char(texel >> 8));
    layout.texels.push_back(char(texel & 0xFF));
  }
  resfixture::Resource r;
  r.name = name;
  r.type = resfixture::kTex;
  r.version = 15;
  r.bytes = resfixture::BuildTex(layout);
  return r;
}

testing::AssertionResult IsBmp24(const std::string& bmp, uint32_t width, uint32_t height) {
  if (bmp.size() < 54 || bmp.compare(0, 2, "BM") != 0) return testing::AssertionFailure() << "no BMP header";
  const size_t image = RowBytes(width) * height;
  struct Field {
    const char* what;
    size_t at;
    uint32_t expected;
  };
  const Field fields[] = {{"file size", 2, uint32_t(54 + image)}, {"pixel offset", 10, 54}, {"info size", 14, 40},
                          {"width", 18, width},    {"height (bottom-up)", 22, height},
                          {"planes and bits", 26, 0x00180001}, {"compression", 30, 0}, {"image size", 34, uint32_t(image)}};
  for (const Field& f : fields)
    if (Le32(bmp, f.at) != f.expected)
      return testing::AssertionFailure() << f.what << " is " << Le32(bmp, f.at) << ", not " << f.expected;
  if (bmp.size() != 54 + image) return testing::AssertionFailure() << "file is " << bmp.size() << " bytes";
  return testing::AssertionSuccess();
}

bool HasColour(const std::string& bmp, uint8_t r, uint8_t g, uint8_t b) {
  if (bmp.size() < 54) return false;
  const uint32_t width = Le32(bmp, 18), height = Le32(bmp, 22);
  const size_t row = RowBytes(width);
  for (size_t y = 0; y < height; ++y)
    for (size_t x = 0; x < width; ++x) {
      const size_t at = 54 + y * row + x * 3;
      if (at + 2 >= bmp.size()) return false;
      if (uint8_t(bmp[at]) == b && uint8_t(bmp[at + 1]) == g && uint8_t(bmp[at + 2]) == r) return true;
    }
  return false;
}

uint32_t ColourAt(const std::string& bmp, uint32_t x, uint32_t y) {
  if (bmp.size() < 54) return 0xFFFFFFFFu;
  const uint32_t width = Le32(bmp, 18), height = Le32(bmp, 22);
  if (x >= width || y >= height) return 0xFFFFFFFFu;
  const size_t at = 54 + size_t(height - 1 - y) * RowBytes(width) + size_t(x) * 3;  // bottom-up rows
  if (at + 2 >= bmp.size()) return 0xFFFFFFFFu;
  return uint32_t(uint8_t(bmp[at + 2])) << 16 | uint32_t(uint8_t(bmp[at + 1])) << 8 | uint8_t(bmp[at]);
}

}  // namespace bmpcheck
