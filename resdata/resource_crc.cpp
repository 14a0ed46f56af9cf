#include "resdata/resource_crc.h"

#include <array>

namespace {

// kTables[0] is the plain MSB-first table; kTables[k][i] is the CRC of byte i followed by
// k zero bytes, so sixteen message bytes fold into the register with sixteen look-ups
// and no loop-carried dependency between them. Built at compile time: no start-up race.
constexpr int kSlices = 16;
using Tables = std::array<std::array<uint32_t, 256>, kSlices>;

constexpr Tables MakeTables() {
  Tables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = i << 24;
    for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
    t[0][i] = r;
  }
  for (int k = 1; k < kSlices; ++k)
    for (uint32_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 24];
  return t;
}

constexpr Tables kTables = MakeTables();
static_assert(kTables[0][1] == 0x04C11DB7u && kTables[0][128] == 0x690CE0EEu);

inline uint32_t LoadBig(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Messages shorter than four bytes have no first word to start the register with.
uint32_t ShortMessageCrc(const uint8_t* p, size_t length) {
  uint32_t reg = kTables[0][128];
  for (size_t i = 0; i < length; ++i) reg = ((reg << 8) | p[i]) ^ kTables[0][reg >> 24];
  return ~reg;
}

}  // namespace

uint32_t ResourceCrcBytewise(const void* data, size_t length) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (length < 4) return ShortMessageCrc(p, length);
  uint32_t reg = ~LoadBig(p);
  for (size_t i = 4; i < length; ++i) reg = ((reg << 8) | p[i]) ^ kTables[0][reg >> 24];
  return ~reg;
}

uint32_t ResourceCrc(const void* data, size_t length) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (length < 4) return ShortMessageCrc(p, length);
  // The equivalent form: the table CRC over the body, then the last word folded in.
  size_t body = length - 4;
  uint32_t crc = 0xFFFFFFFFu;
  const auto& t = kTables;
  while (body >= 16) {
    uint32_t a = crc ^ LoadBig(p);
    crc = t[15][a >> 24] ^ t[14][(a >> 16) & 0xFF] ^ t[13][(a >> 8) & 0xFF] ^ t[12][a & 0xFF] ^
          t[11][p[4]] ^ t[10][p[5]] ^ t[9][p[6]] ^ t[8][p[7]] ^
          t[7][p[8]] ^ t[6][p[9]] ^ t[5][p[10]] ^ t[4][p[11]] ^
          t[3][p[12]] ^ t[2][p[13]] ^ t[1][p[14]] ^ t[0][p[15]];
    p += 16;
    body -= 16;
  }
  while (body > 0) {
    crc = (crc << 8) ^ t[0][(crc >> 24) ^ *p++];
    --body;
  }
  return ~(crc ^ LoadBig(p));
}
