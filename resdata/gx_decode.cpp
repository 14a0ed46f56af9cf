// The published GX texel layouts: blocks left to right and top to bottom over the image
// rounded up to whole blocks, texels row by row within a block, 16-bit values big-endian.
#include <cstring>

#include "resdata/gx_texture.h"

namespace {

struct Px {
  uint8_t r, g, b, a;
};
static_assert(sizeof(Px) == 4);

inline uint8_t Expand3(unsigned v) { return uint8_t((v << 5) | (v << 2) | (v >> 1)); }
inline uint8_t Expand4(unsigned v) { return uint8_t(v * 0x11); }
inline uint8_t Expand5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
inline uint8_t Expand6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }
inline unsigned Be16(const uint8_t* p) { return (unsigned(p[0]) << 8) | p[1]; }

inline Px Grey(uint8_t i, uint8_t a) { return Px{i, i, i, a}; }

inline Px FromRgb565(unsigned v) {
  return Px{Expand5((v >> 11) & 31), Expand6((v >> 5) & 63), Expand5(v & 31), 255};
}

inline Px FromRgb5a3(unsigned v) {
  if (v & 0x8000) return Px{Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31), 255};
  return Px{Expand4((v >> 8) & 15), Expand4((v >> 4) & 15), Expand4(v & 15), Expand3((v >> 12) & 7)};
}

// [SECTION] One block into a BW x BH tile

void BlockI4(const uint8_t* s, Px* t) {  // 8 x 8
  for (int i = 0; i < 32; ++i) {
    t[2 * i] = Grey(Expand4(s[i] >> 4), Expand4(s[i] >> 4));
    t[2 * i + 1] = Grey(Expand4(s[i] & 15), Expand4(s[i] & 15));
  }
}

void BlockI8(const uint8_t* s, Px* t) {  // 8 x 4
  for (int i = 0; i < 32; ++i) t[i] = Grey(s[i], s[i]);
}

void BlockIA4(const uint8_t* s, Px* t) {  // 8 x 4
  for (int i = 0; i < 32; ++i) t[i] = Grey(Expand4(s[i] & 15), Expand4(s[i] >> 4));
}

void BlockIA8(const uint8_t* s, Px* t) {  // 4 x 4
  for (int i = 0; i < 16; ++i) t[i] = Grey(s[2 * i + 1], s[2 * i]);
}

void BlockRGB565(const uint8_t* s, Px* t) {  // 4 x 4
  for (int i = 0; i < 16; ++i) t[i] = FromRgb565(Be16(s + 2 * i));
}

void BlockRGB5A3(const uint8_t* s, Px* t) {  // 4 x 4
  for (int i = 0; i < 16; ++i) t[i] = FromRgb5a3(Be16(s + 2 * i));
}

void BlockRGBA8(const uint8_t* s, Px* t) {  // 4 x 4: 16 AR pairs, then 16 GB pairs
  for (int i = 0; i < 16; ++i) t[i] = Px{s[2 * i + 1], s[32 + 2 * i], s[32 + 2 * i + 1], s[2 * i]};
}

void BlockCMPR(const uint8_t* s, Px* t) {  // 8 x 8 as four 4 x 4 quarters
  for (int q = 0; q < 4; ++q, s += 8) {
    unsigned c0 = Be16(s), c1 = Be16(s + 2);
    Px c[4];
    c[0] = FromRgb565(c0);
    c[1] = FromRgb565(c1);
    if (c0 > c1) {
      c[2] = Px{uint8_t((2 * c[0].r + c[1].r) / 3), uint8_t((2 * c[0].g + c[1].g) / 3),
                uint8_t((2 * c[0].b + c[1].b) / 3), 255};
      c[3] = Px{uint8_t((c[0].r + 2 * c[1].r) / 3), uint8_t((c[0].g + 2 * c[1].g) / 3),
                uint8_t((c[0].b + 2 * c[1].b) / 3), 255};
    } else {
      c[2] = Px{uint8_t((c[0].r + c[1].r) / 2), uint8_t((c[0].g + c[1].g) / 2),
                uint8_t((c[0].b + c[1].b) / 2), 255};
      c[3] = Px{0, 0, 0, 0};
    }
    Px* quarter = t + (q >> 1) * 32 + (q & 1) * 4;
    for (int row = 0; row < 4; ++row) {
      unsigned bits = s[4 + row];
      Px* out = quarter + row * 8;
      out[0] = c[(bits >> 6) & 3];
      out[1] = c[(bits >> 4) & 3];
      out[2] = c[(bits >> 2) & 3];
      out[3] = c[bits & 3];
    }
  }
}

// [SECTION] Walking the blocks

struct CopyTexels {
  void operator()(uint8_t* dst, const Px* src, int n) const { memcpy(dst, src, size_t(n) * sizeof(Px)); }
};

// The alpha plane: each texel's intensity becomes the alpha of the pixel already there.
struct CopyIntensityToAlpha {
  void operator()(uint8_t* dst, const Px* src, int n) const {
    for (int i = 0; i < n; ++i) dst[4 * i + 3] = src[i].r;
  }
};

template <int BW, int BH, int kBlockBytes, typename Store>
void WalkBlocks(void (*decode)(const uint8_t*, Px*), const uint8_t* src, int w, int h, uint8_t* image,
                Store store) {
  Px tile[BW * BH];
  for (int by = 0; by < h; by += BH) {
    const int rows = h - by < BH ? h - by : BH;
    for (int bx = 0; bx < w; bx += BW, src += kBlockBytes) {
      const int cols = w - bx < BW ? w - bx : BW;  // texels outside the image are skipped
      decode(src, tile);
      uint8_t* dst = image + (size_t(by) * size_t(w) + size_t(bx)) * 4;
      for (int y = 0; y < rows; ++y) store(dst + size_t(y) * size_t(w) * 4, tile + y * BW, cols);
    }
  }
}

template <typename Store>
bool Walk(GxType type, const uint8_t* src, int w, int h, uint8_t* image, Store store) {
  switch (type) {
    case GxType::kI4: WalkBlocks<8, 8, 32>(BlockI4, src, w, h, image, store); return true;
    case GxType::kI8: WalkBlocks<8, 4, 32>(BlockI8, src, w, h, image, store); return true;
    case GxType::kIA4: WalkBlocks<8, 4, 32>(BlockIA4, src, w, h, image, store); return true;
    case GxType::kIA8: WalkBlocks<4, 4, 32>(BlockIA8, src, w, h, image, store); return true;
    case GxType::kRGB565: WalkBlocks<4, 4, 32>(BlockRGB565, src, w, h, image, store); return true;
    case GxType::kRGB5A3: WalkBlocks<4, 4, 32>(BlockRGB5A3, src, w, h, image, store); return true;
    case GxType::kRGBA8: WalkBlocks<4, 4, 64>(BlockRGBA8, src, w, h, image, store); return true;
    case GxType::kCMPR: WalkBlocks<8, 8, 32>(BlockCMPR, src, w, h, image, store); return true;
    default: return false;
  }
}

bool Prepared(GxType type, size_t available, const DecodedTexture& out) {
  if (out.width <= 0 || out.height <= 0) return false;
  if (out.pixels.size() < size_t(out.width) * size_t(out.height) * 4) return false;
  return GxDataSize(type, out.width, out.height) <= available;
}

}  // namespace

uint64_t GxDataSize(GxType type, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return 0;
  const uint64_t w4 = (uint64_t(width) + 3) & ~uint64_t(3), h4 = (uint64_t(height) + 3) & ~uint64_t(3);
  const uint64_t w8 = (uint64_t(width) + 7) & ~uint64_t(7), h8 = (uint64_t(height) + 7) & ~uint64_t(7);
  switch (type) {
    case GxType::kI4:
    case GxType::kC4:
    case GxType::kCMPR: return w8 * h8 / 2;
    case GxType::kI8:
    case GxType::kIA4:
    case GxType::kC8: return w8 * h4;
    case GxType::kIA8:
    case GxType::kRGB565:
    case GxType::kRGB5A3: return w4 * h4 * 2;
    case GxType::kRGBA8: return w4 * h4 * 4;
  }
  return 0;
}

bool DecodeGx(GxType type, const uint8_t* bytes, size_t available, DecodedTexture* out) {
  if (!Prepared(type, available, *out)) return false;
  return Walk(type, bytes, out->width, out->height, out->pixels.data(), CopyTexels());
}

bool DecodeGxAlpha(const uint8_t* bytes, size_t available, DecodedTexture* out) {
  if (!Prepared(GxType::kI4, available, *out)) return false;
  return Walk(GxType::kI4, bytes, out->width, out->height, out->pixels.data(),
              CopyIntensityToAlpha());
}
