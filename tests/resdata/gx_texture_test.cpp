#include "resdata/gx_texture.h"

#include <gtest/gtest.h>

#include "tests/resdata/res_fixture.h"

using resfixture::BuildTex;
using resfixture::TexLayout;

namespace {

// A pixel as 0xRRGGBBAA.
uint32_t At(const DecodedTexture& t, int x, int y) {
  if (x >= t.width || y >= t.height || t.pixels.size() < size_t(t.width) * size_t(t.height) * 4) {
    ADD_FAILURE() << "no pixel " << x << "," << y;
    return 0xDEADBEEF;
  }
  const uint8_t* p = t.pixels.data() + (size_t(y) * size_t(t.width) + size_t(x)) * 4;
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

TexLayout Layout(uint16_t w, uint16_t h, uint8_t format, const std::string& texels) {
  TexLayout s;
  s.width = w;
  s.height = h;
  s.format = format;
  s.texels = texels;
  return s;
}

DecodedTexture Decode(const std::string& bytes, int version = 15) {
  DecodedTexture t;
  EXPECT_TRUE(drCreateTexture(bytes.data(), bytes.size(), version, &t)) << t.error;
  return t;
}

std::string Fails(const std::string& bytes, int version = 15) {
  DecodedTexture t;
  EXPECT_FALSE(drCreateTexture(bytes.data(), bytes.size(), version, &t));
  return t.error;
}

// [SECTION] Header and ranges

TEST(DrCreateTexture, HeaderFaults) {
  const std::string tex = BuildTex(Layout(8, 8, 73, std::string(64, '\x40')));
  EXPECT_EQ("short header", Fails(tex.substr(0, 23)));
  EXPECT_EQ("bad version 14", Fails(tex, 14));
  EXPECT_EQ("TexImage out of range", Fails(tex.substr(0, 24 + 11)));
  // A descriptor offset whose + 12 wraps a 32-bit sum.
  std::string wrapped = BuildTex(Layout(8, 8, 73, ""));
  resfixture::Poke32(&wrapped, 20, 0xFFFFFFF8u);
  EXPECT_EQ("TexImage out of range", Fails(wrapped));
  EXPECT_EQ("drCreateTexture: unknown type 0x5", Fails(BuildTex(Layout(8, 8, 5, std::string(64, 0)))));
  EXPECT_EQ("drCreateTexture: unknown type 0x14", Fails(BuildTex(Layout(8, 8, 20, std::string(64, 0)))));
}

TEST(DrCreateTexture, TheDescriptionKeepsTheHeaderAsRead) {
  TexLayout s = Layout(5, 3, 0x80 | 73, std::string(32, 0));
  s.lods = 4;
  s.wrap_s = 1;
  s.wrap_t = 2;
  DecodedTexture t = Decode(BuildTex(s));
  EXPECT_EQ(5, t.width);
  EXPECT_EQ(3, t.height);
  EXPECT_EQ(5u, t.header_width);
  EXPECT_EQ(4, t.mip_count);
  EXPECT_EQ(0x80 | 73, t.format_byte);
  EXPECT_EQ(73, t.format_code);
  EXPECT_EQ("I8", t.format_name);
  EXPECT_EQ(1, t.wrap_s);
  EXPECT_EQ(2, t.wrap_t);
  EXPECT_EQ(0x11223344u, t.header_word8);
  EXPECT_EQ(0x5566u, t.header_word12);
  EXPECT_EQ(24u, t.descriptor_offset);
  EXPECT_EQ(5u * 3u * 4u, t.pixels.size());
  EXPECT_TRUE(t.error.empty());
}

TEST(DrCreateTexture, EachFamilyNeedsAllOfItsData) {
  // One byte short of the data each code needs, and the text it fails with.
  struct Case {
    uint8_t code;
    size_t bytes;
    const char* error;
  };
  const Case cases[] = {
      {2, 4 * 4 * 2, "raw data out of range"},      {71, 4 * 4 * 4, "raw data out of range"},
      {16, 8 * 8 / 2, "CMPR data out of range"},    {67, 8 * 8 / 2, "CMPR data out of range"},
      {69, 4 * 4 * 2, "texel data out of range"},   {72, 8 * 8 / 2, "texel data out of range"},
      {73, 8 * 4, "texel data out of range"},       {75, 4 * 4 * 2, "texel data out of range"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.error, Fails(BuildTex(Layout(3, 3, c.code, std::string(c.bytes - 1, 0))))) << int(c.code);
    Decode(BuildTex(Layout(3, 3, c.code, std::string(c.bytes, 0))));
    EXPECT_EQ(c.error, Fails(BuildTex(Layout(3, 3, c.code, "")))) << "no texel offset, code " << int(c.code);
  }
  // A texel offset so large that descriptor + offset + size would wrap in 32 bits.
  std::string wrapped = BuildTex(Layout(4, 4, 69, std::string(32, 0)));
  resfixture::Poke32(&wrapped, 24 + 4, 0xFFFFFFF0u);
  EXPECT_EQ("texel data out of range", Fails(wrapped));
}

TEST(DrCreateTexture, AHugeHeaderOnATinyResourceFailsWithoutSizingTheImage) {
  DecodedTexture t;
  std::string tex = BuildTex(Layout(65535, 65535, 72, std::string(16, 0)));
  EXPECT_FALSE(drCreateTexture(tex.data(), tex.size(), 15, &t));
  EXPECT_EQ("texel data out of range", t.error);
  EXPECT_TRUE(t.pixels.empty());
}

// [SECTION] Palette formats

// A palette texture whose entry `entry` holds the four bytes `value` (A, B, G, R).
TexLayout PaletteLayout(uint16_t w, uint16_t h, uint8_t format, int entry, const char* value, const std::string& indices) {
  TexLayout s = Layout(w, h, format, indices);
  s.palette = std::string(format == 0 || format == 64 ? 64 : 1024, 0);
  s.palette.replace(size_t(entry) * 4, 4, value, 4);
  return s;
}

TEST(DrCreateTexture, PaletteEntriesKeepRgb565PrecisionAndTheirAlpha) {
  // x0 takes the low nibble (1), x1 the high nibble (2).
  TexLayout s = PaletteLayout(4, 1, 0, 1, "\x78\x56\x34\x12", std::string("\x21\x00", 2));
  s.palette.replace(8, 4, "\xFF\xFF\x00\xFF", 4);  // entry 2: magenta
  DecodedTexture t = Decode(BuildTex(s));
  EXPECT_EQ("C4 (TLUT RGB565 + IA8 alpha)", t.format_name);
  EXPECT_EQ(0x10345278u, At(t, 0, 0));
  EXPECT_EQ(0xFF00FFFFu, At(t, 1, 0));
  EXPECT_EQ(0x00000000u, At(t, 2, 0));
}

TEST(DrCreateTexture, FourBitIndicesOfAnOddPixelCountNeedTheLastHalfByte) {
  // Entry 5 is red; one index byte covers only two pixels.
  TexLayout s = PaletteLayout(3, 1, 64, 5, "\xFF\x00\x00\xF8", std::string("\x00", 1));
  EXPECT_EQ("palette/texels out of range", Fails(BuildTex(s)));
  s.texels = std::string("\x00\x05", 2);
  DecodedTexture t = Decode(BuildTex(s));
  EXPECT_EQ(0xFF0000FFu, At(t, 2, 0));
}

TEST(DrCreateTexture, EightBitIndicesAreLinear) {
  // Entry 200 is blue at half alpha.
  TexLayout s = PaletteLayout(2, 2, 65, 200, "\x80\xF8\x00\x00", std::string("\x00\x00\x00\xC8", 4));
  DecodedTexture t = Decode(BuildTex(s));
  EXPECT_EQ(0x0000FF80u, At(t, 1, 1));
  EXPECT_EQ(0x00000000u, At(t, 0, 1));
  s.palette.resize(1023);
  s.texels.clear();
  EXPECT_EQ("palette/texels out of range", Fails(BuildTex(s)));
}

// [SECTION] GX texel formats

TEST(DrCreateTexture, IntensityFormatsExpandTheirBits) {
  DecodedTexture i4 = Decode(BuildTex(Layout(2, 1, 0x80 | 72, std::string("\x3C") + std::string(31, 0))));
  EXPECT_EQ("I4", i4.format_name);
  EXPECT_EQ(0x33333333u, At(i4, 0, 0));  // high nibble first
  EXPECT_EQ(0xCCCCCCCCu, At(i4, 1, 0));

  DecodedTexture i8 = Decode(BuildTex(Layout(1, 1, 73, std::string("\x7F") + std::string(31, 0))));
  EXPECT_EQ(0x7F7F7F7Fu, At(i8, 0, 0));

  DecodedTexture ia4 = Decode(BuildTex(Layout(1, 1, 74, std::string("\x52") + std::string(31, 0))));
  EXPECT_EQ(0x22222255u, At(ia4, 0, 0));  // alpha high, intensity low

  DecodedTexture ia8 = Decode(BuildTex(Layout(1, 1, 75, std::string("\x40\x90") + std::string(30, 0))));
  EXPECT_EQ(0x90909040u, At(ia8, 0, 0));
}

TEST(DrCreateTexture, ColourFormatsExpandTheirBits) {
  // 0x8410: red 10000, green 100000, blue 10000.
  DecodedTexture rgb565 = Decode(BuildTex(Layout(1, 1, 69, std::string("\x84\x10") + std::string(30, 0))));
  EXPECT_EQ(0x848284FFu, At(rgb565, 0, 0));
  DecodedTexture raw = Decode(BuildTex(Layout(1, 1, 2, std::string("\xF8\x1F") + std::string(30, 0))));
  EXPECT_EQ("RGB565 (raw)", raw.format_name);
  EXPECT_EQ(0xFF00FFFFu, At(raw, 0, 0));

  // Top bit set: 5 bits each, opaque. Clear: 3 bits alpha, 4 bits each colour.
  DecodedTexture rgb5a3 = Decode(BuildTex(Layout(2, 1, 70, std::string("\xFC\x00\x5A\xBC", 4) + std::string(28, 0))));
  EXPECT_EQ(0xFF0000FFu, At(rgb5a3, 0, 0));
  EXPECT_EQ(0xAABBCCB6u, At(rgb5a3, 1, 0));  // alpha 101 -> 10110110

  std::string rgba8(64, 0);
  rgba8.replace(2, 2, "\x11\x22");    // texel 1: A 11, R 22
  rgba8.replace(34, 2, "\x33\x44");   // texel 1: G 33, B 44
  DecodedTexture t = Decode(BuildTex(Layout(2, 1, 3, rgba8)));
  EXPECT_EQ("RGBA8", t.format_name);
  EXPECT_EQ(0x22334411u, At(t, 1, 0));
}

TEST(DrCreateTexture, BlocksTileLeftToRightThenDownAndSkipTexelsOutsideTheImage) {
  // 5 x 5 IA8 is 2 x 2 blocks of 4 x 4; mark the first texel of each block.
  std::string data(4 * 32, 0);
  for (int b = 0; b < 4; ++b) data[size_t(b) * 32 + 1] = char(0x10 * (b + 1));
  // and the last texel of block 0 (3, 3)
  data[31] = char(0xEE);
  DecodedTexture t = Decode(BuildTex(Layout(5, 5, 75, data)));
  EXPECT_EQ(0x10101000u, At(t, 0, 0));
  EXPECT_EQ(0x20202000u, At(t, 4, 0));
  EXPECT_EQ(0x30303000u, At(t, 0, 4));
  EXPECT_EQ(0x40404000u, At(t, 4, 4));
  EXPECT_EQ(0xEEEEEE00u, At(t, 3, 3));
}

// [SECTION] Every GX layout over several blocks

// A reference written from the layout rules, pixel by pixel: pixel (x, y) lies in block
// (x / bw, y / bh) of a row of ceil(width / bw) blocks, at texel (x % bw, y % bh) of it.
namespace reference {

uint8_t X3(unsigned v) { return uint8_t((v << 5) | (v << 2) | (v >> 1)); }
uint8_t X4(unsigned v) { return uint8_t(v * 0x11); }
uint8_t X5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
uint8_t X6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }
unsigned Be16(const uint8_t* p) { return unsigned(p[0]) << 8 | p[1]; }
uint32_t Rgba(unsigned r, unsigned g, unsigned b, unsigned a) { return r << 24 | g << 16 | b << 8 | a; }
uint32_t Grey(unsigned i, unsigned a) { return Rgba(i, i, i, a); }
uint32_t Rgb565(unsigned v) { return Rgba(X5(v >> 11), X6((v >> 5) & 63), X5(v & 31), 255); }

uint32_t I4(const uint8_t* b, int tx, int ty) {
  const int t = ty * 8 + tx;
  const unsigned v = t % 2 == 0 ? b[t / 2] >> 4 : b[t / 2] & 15;
  return Grey(X4(v), X4(v));
}
uint32_t I8(const uint8_t* b, int tx, int ty) { return Grey(b[ty * 8 + tx], b[ty * 8 + tx]); }
uint32_t IA4(const uint8_t* b, int tx, int ty) {
  const unsigned v = b[ty * 8 + tx];
  return Grey(X4(v & 15), X4(v >> 4));
}
uint32_t IA8(const uint8_t* b, int tx, int ty) {
  const int t = ty * 4 + tx;
  return Grey(b[2 * t + 1], b[2 * t]);
}
uint32_t RGB565(const uint8_t* b, int tx, int ty) { return Rgb565(Be16(b + 2 * (ty * 4 + tx))); }
uint32_t RGB5A3(const uint8_t* b, int tx, int ty) {
  const unsigned v = Be16(b + 2 * (ty * 4 + tx));
  if (v & 0x8000) return Rgba(X5((v >> 10) & 31), X5((v >> 5) & 31), X5(v & 31), 255);
  return Rgba(X4((v >> 8) & 15), X4((v >> 4) & 15), X4(v & 15), X3(v >> 12));
}
uint32_t RGBA8(const uint8_t* b, int tx, int ty) {
  const int t = ty * 4 + tx;
  return Rgba(b[2 * t + 1], b[32 + 2 * t], b[33 + 2 * t], b[2 * t]);
}
uint32_t CMPR(const uint8_t* b, int tx, int ty) {
  const uint8_t* sub = b + 8 * ((ty / 4) * 2 + tx / 4);  // top-left, top-right, bottom-left, bottom-right
  const unsigned c0 = Be16(sub), c1 = Be16(sub + 2);
  const unsigned index = (sub[4 + ty % 4] >> (6 - 2 * (tx % 4))) & 3;
  const uint32_t p0 = Rgb565(c0), p1 = Rgb565(c1);
  auto channel = [](uint32_t p, int shift) { return (p >> shift) & 0xFF; };
  auto blend = [&](unsigned w0, unsigned w1, unsigned d) {
    return Rgba((w0 * channel(p0, 24) + w1 * channel(p1, 24)) / d, (w0 * channel(p0, 16) + w1 * channel(p1, 16)) / d,
                (w0 * channel(p0, 8) + w1 * channel(p1, 8)) / d, 255);
  };
  switch (index) {
    case 0: return p0;
    case 1: return p1;
    case 2: return c0 > c1 ? blend(2, 1, 3) : blend(1, 1, 2);
    default: return c0 > c1 ? blend(1, 2, 3) : 0;
  }
}

}  // namespace reference

TEST(DrCreateTexture, EveryGxLayoutTilesItsBlocksOverSeveralRowsAndColumns) {
  struct Rule {
    uint8_t code;
    int bw, bh, block_bytes;
    uint32_t (*texel)(const uint8_t*, int, int);
  };
  const Rule rules[] = {
      {72, 8, 8, 32, reference::I4},     {73, 8, 4, 32, reference::I8},      {74, 8, 4, 32, reference::IA4},
      {75, 4, 4, 32, reference::IA8},    {69, 4, 4, 32, reference::RGB565}, {2, 4, 4, 32, reference::RGB565},
      {70, 4, 4, 32, reference::RGB5A3}, {3, 4, 4, 64, reference::RGBA8},   {71, 4, 4, 64, reference::RGBA8},
      {16, 8, 8, 32, reference::CMPR},
  };
  for (const Rule& f : rules) {
    // Three blocks across, two down, the last ones only partly inside the image.
    const int width = 2 * f.bw + 3, height = f.bh + 1;
    const int across = (width + f.bw - 1) / f.bw, down = (height + f.bh - 1) / f.bh;
    const std::string data = resfixture::Noise(size_t(across * down * f.block_bytes), f.code);
    const DecodedTexture t = Decode(BuildTex(Layout(uint16_t(width), uint16_t(height), f.code, data)));
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data.data());
    int wrong = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const uint8_t* block = bytes + size_t(((y / f.bh) * across + x / f.bw) * f.block_bytes);
        const uint32_t expected = f.texel(block, x % f.bw, y % f.bh);
        if (At(t, x, y) != expected && ++wrong <= 3)
          ADD_FAILURE() << "code " << int(f.code) << " pixel " << x << "," << y << ": " << std::hex << At(t, x, y)
                        << " instead of " << expected;
      }
    EXPECT_EQ(0, wrong) << "code " << int(f.code);
  }
}

// [SECTION] CMPR

std::string CmprSubBlock(uint16_t c0, uint16_t c1, const char rows[4]) {
  std::string s;
  s.push_back(char(c0 >> 8));
  s.push_back(char(c0 & 0xFF));
  s.push_back(char(c1 >> 8));
  s.push_back(char(c1 & 0xFF));
  s.append(rows, 4);
  return s;
}

TEST(DrCreateTexture, CmprInterpolatesOrCutsOutByTheOrderOfItsColours) {
  const char indices[4] = {0x1B, 0, 0, 0};  // row 0: colours 0, 1, 2, 3
  std::string block = CmprSubBlock(0xF800, 0x001F, indices);  // c0 > c1: thirds
  block += CmprSubBlock(0x001F, 0xF800, indices);             // c0 <= c1: half and transparent
  block += std::string(16, 0);
  DecodedTexture t = Decode(BuildTex(Layout(8, 1, 16, block)));
  EXPECT_EQ("CMPR", t.format_name);
  EXPECT_EQ(0xFF0000FFu, At(t, 0, 0));
  EXPECT_EQ(0x0000FFFFu, At(t, 1, 0));
  EXPECT_EQ(0xAA0055FFu, At(t, 2, 0));
  EXPECT_EQ(0x5500AAFFu, At(t, 3, 0));
  EXPECT_EQ(0x7F007FFFu, At(t, 6, 0));  // top-right quarter: the second sub-block
  EXPECT_EQ(0x00000000u, At(t, 7, 0));
}

TEST(DrCreateTexture, CmprQuartersComeInOrderAndItsBlendsRoundDown) {
  const char indices[4] = {0x1B, 0, 0, 0};  // row 0: colours 0, 1, 2, 3
  // Top left: c0 == c1 is not c0 > c1, so colour 2 is the half and colour 3 transparent.
  std::string block = CmprSubBlock(0x8410, 0x8410, indices);
  // Top right: c0 (255, 255, 0) > c1 (8, 8, 41); the thirds 518/3, 41/3, 271/3, 82/3 round down.
  block += CmprSubBlock(0xFFE0, 0x0845, indices);
  // Bottom left: the halves 263/2 and 41/2 round down too.
  block += CmprSubBlock(0x0845, 0xFFE0, indices);
  // Bottom right: pure blue and red.
  block += CmprSubBlock(0x001F, 0xF800, indices);
  DecodedTexture t = Decode(BuildTex(Layout(8, 8, 16, block)));
  const uint32_t expected[4][4] = {
      {0x848284FFu, 0x848284FFu, 0x848284FFu, 0x00000000u},
      {0xFFFF00FFu, 0x080829FFu, 0xACAC0DFFu, 0x5A5A1BFFu},
      {0x080829FFu, 0xFFFF00FFu, 0x838314FFu, 0x00000000u},
      {0x0000FFFFu, 0xFF0000FFu, 0x7F007FFFu, 0x00000000u},
  };
  for (int q = 0; q < 4; ++q)
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(expected[q][i], At(t, (q % 2) * 4 + i, (q / 2) * 4)) << "quarter " << q << ", colour " << i;
}

TEST(DrCreateTexture, ASmallCmprTextureShowsOnlyTheTopLeftQuarterOfItsBlock) {
  const char rows[4] = {0, 0x55, 0, 0};
  std::string block = CmprSubBlock(0x07E0, 0xFFFF, rows);  // green; row 1 takes colour 1 (white)
  block += CmprSubBlock(0xF800, 0, rows) + CmprSubBlock(0xF800, 0, rows) + CmprSubBlock(0xF800, 0, rows);
  DecodedTexture t = Decode(BuildTex(Layout(4, 4, 23, block)));
  ASSERT_EQ(4u * 4u * 4u, t.pixels.size());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(y == 1 ? 0xFFFFFFFFu : 0x00FF00FFu, At(t, x, y)) << x << "," << y;
}

TEST(DrCreateTexture, TheI4AlphaPlaneBecomesEachPixelsAlpha) {
  const char rows[4] = {0, 0, 0, 0};
  TexLayout s = Layout(2, 1, 17, CmprSubBlock(0xF800, 0, rows) + std::string(24, 0));
  EXPECT_EQ("alpha plane out of range", Fails(BuildTex(s)));
  DecodedTexture colours;
  std::string no_plane = BuildTex(s);
  drCreateTexture(no_plane.data(), no_plane.size(), 15, &colours);
  EXPECT_EQ(0xFF0000FFu, At(colours, 0, 0));  // the colours were decoded before the failure

  s.alpha = std::string("\x4F") + std::string(31, 0);
  DecodedTexture t = Decode(BuildTex(s));
  EXPECT_EQ("CMPR + I4 alpha", t.format_name);
  EXPECT_EQ(0xFF000044u, At(t, 0, 0));
  EXPECT_EQ(0xFF0000FFu, At(t, 1, 0));
}

TEST(DecodeGx, RefusesTooLittleDataAndTypesItDoesNotDecode) {
  DecodedTexture t;
  t.width = 4;
  t.height = 4;
  t.pixels.assign(64, 0xAB);
  const std::string data(64, 0);
  EXPECT_FALSE(DecodeGx(GxType::kRGBA8, reinterpret_cast<const uint8_t*>(data.data()), 63, &t));
  EXPECT_FALSE(DecodeGx(GxType::kC8, reinterpret_cast<const uint8_t*>(data.data()), 64, &t));
  EXPECT_EQ(std::vector<uint8_t>(64, 0xAB), t.pixels);
  EXPECT_TRUE(DecodeGx(GxType::kRGBA8, reinterpret_cast<const uint8_t*>(data.data()), 64, &t));
  EXPECT_EQ(std::vector<uint8_t>(64, 0), t.pixels);
}

}  // namespace
