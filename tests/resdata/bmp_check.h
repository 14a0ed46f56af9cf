// Helpers for the viewer's tests: solid textures to show, and questions about the BMP
// screenshot it writes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/resdata/res_fixture.h"

namespace bmpcheck {

// A TEX resource (RGB5A3, format code 70) of one opaque colour given as 5:5:5 bits.
resfixture::Resource SolidTexture(const std::string& name, uint16_t width, uint16_t height, uint16_t rgb555);

// A bottom-up 24-bit BMP of this size: both headers, rows padded to 4 bytes, nothing more.
testing::AssertionResult IsBmp24(const std::string& bmp, uint32_t width, uint32_t height);

// Whether any pixel of a 24-bit BMP has exactly this colour.
bool HasColour(const std::string& bmp, uint8_t r, uint8_t g, uint8_t b);

// The pixel at (x, y), counted from the top left, as 0xRRGGBB; 0xFFFFFFFF outside.
uint32_t ColourAt(const std::string& bmp, uint32_t x, uint32_t y);

}  // namespace bmpcheck
