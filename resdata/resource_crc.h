// The 32-bit CRC the game stamps on every resource and every internal TOC.
#pragma once

#include <cstddef>
#include <cstdint>

// CRC on 0x04C11DB7, most significant bit first, with the message bytes shifted into the
// register (no zero bytes appended). For four bytes or more this is the usual table CRC
// over all but the last four bytes, XOR those four read big-endian, complemented.
// ResourceCrc("abc", 3) == 0x5978A081, ResourceCrc("abcd", 4) == 0x61626364,
// ResourceCrc(nullptr, 0) == 0x96F31F11.
uint32_t ResourceCrc(const void* data, size_t length);

// The byte-at-a-time form, kept as the reference the sliced one is checked and timed against.
uint32_t ResourceCrcBytewise(const void* data, size_t length);
