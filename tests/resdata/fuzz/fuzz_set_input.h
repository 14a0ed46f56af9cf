// How one fuzz input becomes a small dump: a 32-bit little-endian length, that many bytes
// of tocres.res, and the rest as race.res. Shared by the fuzzer and its seed writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzinput {

struct TwoSets {
  std::string tocres;
  std::string race;
};

inline TwoSets Split(const uint8_t* data, size_t size) {
  TwoSets out;
  if (size < 4) return out;
  size_t first = size_t(data[0]) | (size_t(data[1]) << 8) | (size_t(data[2]) << 16) | (size_t(data[3]) << 24);
  const size_t rest = size - 4;
  if (first > rest) first = rest;
  out.tocres.assign(reinterpret_cast<const char*>(data + 4), first);
  out.race.assign(reinterpret_cast<const char*>(data + 4 + first), rest - first);
  return out;
}

inline std::string Join(const std::string& tocres, const std::string& race) {
  std::string out;
  const uint32_t n = uint32_t(tocres.size());
  for (int i = 0; i < 4; ++i) out.push_back(char((n >> (8 * i)) & 0xFF));
  return out + tocres + race;
}

}  // namespace fuzzinput
