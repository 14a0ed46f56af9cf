#include "resdata/gx_texture.h"

#include <cstdio>
#include <cstring>

namespace {

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool Fail(DecodedTexture* out, const std::string& error) {
  out->error = error;
  return false;
}

// True when `bytes` bytes starting `offset` past the descriptor lie inside the resource.
// A zero offset means the part is absent. 64-bit, so no sum can wrap.
bool PartFits(uint64_t size, uint32_t descriptor, uint32_t offset, uint64_t bytes) {
  return offset != 0 && uint64_t(descriptor) + offset + bytes <= size;
}

void AllocatePixels(DecodedTexture* out) {
  out->pixels.assign(size_t(out->width) * size_t(out->height) * 4, 0);
}

// Palette entries hold alpha, then blue, green and red at RGB565 precision.
void ConvertPalette(const uint8_t* src, int entries, uint8_t (*rgba)[4]) {
  for (int i = 0; i < entries; ++i, src += 4) {
    unsigned r = src[3] >> 3, g = src[2] >> 2, b = src[1] >> 3;
    rgba[i][0] = uint8_t((r << 3) | (r >> 2));
    rgba[i][1] = uint8_t((g << 2) | (g >> 4));
    rgba[i][2] = uint8_t((b << 3) | (b >> 2));
    rgba[i][3] = src[0];
  }
}

// Linear (untiled) indices. With 4-bit indices pixel x takes the low nibble when x is even.
bool DecodePalette(const uint8_t* p, uint64_t n, uint32_t d, uint32_t palette, uint32_t texels, bool four_bit,
                   DecodedTexture* out) {
  const uint64_t pixels = uint64_t(out->width) * uint64_t(out->height);
  const int entries = four_bit ? 16 : 256;
  // Odd pixel counts still need the last half-filled byte.
  const uint64_t index_bytes = four_bit ? (pixels + 1) / 2 : pixels;
  if (!PartFits(n, d, palette, uint64_t(entries) * 4) || !PartFits(n, d, texels, index_bytes))
    return Fail(out, "palette/texels out of range");

  uint8_t rgba[256][4];
  ConvertPalette(p + d + palette, entries, rgba);
  AllocatePixels(out);
  const uint8_t* idx = p + d + texels;
  uint8_t* dst = out->pixels.data();
  const size_t w = size_t(out->width);
  for (size_t y = 0; y < size_t(out->height); ++y) {
    for (size_t x = 0; x < w; ++x, dst += 4) {
      const size_t i = y * w + x;
      const unsigned entry = four_bit ? ((x & 1) ? idx[i / 2] >> 4 : idx[i / 2] & 15) : idx[i];
      memcpy(dst, rgba[entry], 4);
    }
  }
  return true;
}

// Texel data of one GX type; the pixels are sized only once the data is known to be there,
// so a damaged header cannot ask for a huge image from a tiny resource.
bool DecodeTexels(const uint8_t* p, uint64_t n, uint32_t d, uint32_t texels, GxType type, const char* range_error,
                  DecodedTexture* out) {
  const uint64_t bytes = GxDataSize(type, out->width, out->height);
  if (!PartFits(n, d, texels, bytes)) return Fail(out, range_error);
  AllocatePixels(out);
  DecodeGx(type, p + d + texels, size_t(n - d - texels), out);
  return true;
}

const char* FormatName(int code) {
  switch (code) {
    case 0: case 64: return "C4 (TLUT RGB565 + IA8 alpha)";
    case 1: case 65: return "C8 (TLUT RGB565 + IA8 alpha)";
    case 2: return "RGB565 (raw)";
    case 3: case 71: return "RGBA8";
    case 16: case 23: case 66: case 67: return "CMPR";
    case 17: case 68: return "CMPR + I4 alpha";
    case 69: return "RGB565";
    case 70: return "RGB5A3";
    case 72: return "I4";
    case 73: return "I8";
    case 74: return "IA4";
    case 75: return "IA8";
    default: return "";
  }
}

}  // namespace

bool drCreateTexture(const void* resource, size_t size, int format_version, DecodedTexture* out) {
  // A caller decoding many textures into one result keeps its pixel buffer: allocating
  // and faulting in a fresh image each time costs more than decoding it.
  std::vector<uint8_t> pixels = std::move(out->pixels);
  pixels.clear();
  *out = DecodedTexture();
  out->pixels = std::move(pixels);
  const uint8_t* p = static_cast<const uint8_t*>(resource);
  const uint64_t n = size;
  if (n < uint64_t(kTexHeaderSize)) return Fail(out, "short header");
  if (format_version != kTexFormatVersion) return Fail(out, "bad version " + std::to_string(format_version));

  out->header_width = Le16(p + 0);
  out->header_height = Le16(p + 2);
  out->width = out->header_width;
  out->height = out->header_height;
  out->mip_count = p[4];
  out->format_byte = p[5];
  out->wrap_s = p[6];
  out->wrap_t = p[7];
  out->header_word8 = Le32(p + 8);
  out->header_word12 = Le16(p + 12);
  out->descriptor_offset = Le32(p + 20);
  out->format_code = out->format_byte & 0x7F;

  const uint32_t d = out->descriptor_offset;
  if (uint64_t(d) + kTexDescriptorSize > n) return Fail(out, "TexImage out of range");
  const uint32_t palette = Le32(p + d), texels = Le32(p + d + 4), alpha = Le32(p + d + 8);

  const int code = out->format_code;
  out->format_name = FormatName(code);
  switch (code) {
    case 0: case 64: return DecodePalette(p, n, d, palette, texels, true, out);
    case 1: case 65: return DecodePalette(p, n, d, palette, texels, false, out);
    case 2: return DecodeTexels(p, n, d, texels, GxType::kRGB565, "raw data out of range", out);
    case 3: case 71: return DecodeTexels(p, n, d, texels, GxType::kRGBA8, "raw data out of range", out);
    case 16: case 23: case 66: case 67: case 17: case 68: {
      out->format_name = "CMPR";
      if (!DecodeTexels(p, n, d, texels, GxType::kCMPR, "CMPR data out of range", out)) return false;
      if (code != 17 && code != 68) return true;
      // The colours stay decoded even when the plane is missing, but the call fails.
      const uint64_t plane = GxDataSize(GxType::kI4, out->width, out->height);
      if (!PartFits(n, d, alpha, plane)) return Fail(out, "alpha plane out of range");
      DecodeGxAlpha(p + d + alpha, size_t(n - d - alpha), out);
      out->format_name = "CMPR + I4 alpha";
      return true;
    }
    case 69: return DecodeTexels(p, n, d, texels, GxType::kRGB565, "texel data out of range", out);
    case 70: return DecodeTexels(p, n, d, texels, GxType::kRGB5A3, "texel data out of range", out);
    case 72: return DecodeTexels(p, n, d, texels, GxType::kI4, "texel data out of range", out);
    case 73: return DecodeTexels(p, n, d, texels, GxType::kI8, "texel data out of range", out);
    case 74: return DecodeTexels(p, n, d, texels, GxType::kIA4, "texel data out of range", out);
    case 75: return DecodeTexels(p, n, d, texels, GxType::kIA8, "texel data out of range", out);
    default: {
      char text[64];
      snprintf(text, sizeof text, "drCreateTexture: unknown type 0x%x", unsigned(code));
      return Fail(out, text);
    }
  }
}
