// The game's textures (TEX resources): a TexImage header, an image descriptor, and either a
// palette with linear indices or texel data in the Wii GX hardware's tiled formats, some
// with a separate I4 alpha plane. drCreateTexture turns one into plain RGBA.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// GX texel formats, numbered as the hardware numbers them.
enum class GxType : int {
  kI4 = 0,
  kI8 = 1,
  kIA4 = 2,
  kIA8 = 3,
  kRGB565 = 4,
  kRGB5A3 = 5,
  kRGBA8 = 6,
  kC4 = 8,
  kC8 = 9,
  kCMPR = 14,
};

constexpr int kTexFormatVersion = 15;
constexpr int kTexHeaderSize = 24;
constexpr int kTexDescriptorSize = 12;

struct DecodedTexture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;   // width * height * 4: rows from the top, R G B A
  // The header, as read.
  uint16_t header_width = 0;
  uint16_t header_height = 0;
  uint8_t mip_count = 0;
  uint8_t format_byte = 0;       // bit 7 does not affect decoding
  uint8_t wrap_s = 0;
  uint8_t wrap_t = 0;
  uint32_t header_word8 = 0;
  uint16_t header_word12 = 0;
  uint32_t descriptor_offset = 0;
  int format_code = 0;           // format_byte & 0x7F
  std::string format_name;
  std::string error;             // empty on success
};

// Bytes of texel data a GX image of this size takes (whole blocks).
uint64_t GxDataSize(GxType type, int32_t width, int32_t height);

// Decodes `bytes` into out->pixels, which must already hold width * height * 4 bytes.
// False, with the pixels untouched, when fewer than GxDataSize bytes are available or the
// type is not one of I4, I8, IA4, IA8, RGB565, RGB5A3, RGBA8 and CMPR.
bool DecodeGx(GxType type, const uint8_t* bytes, size_t available, DecodedTexture* out);

// An I4 plane into the alpha bytes of out->pixels, keeping the colours (the CMPR + I4
// alpha variant). Same preconditions as DecodeGx.
bool DecodeGxAlpha(const uint8_t* bytes, size_t available, DecodedTexture* out);

// One TEX resource of `size` bytes with the TOC's format version into RGBA. On failure
// out->error holds the reason; every range is checked against `size` before it is read.
bool drCreateTexture(const void* resource, size_t size, int format_version, DecodedTexture* out);
