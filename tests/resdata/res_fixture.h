// Builds the game's resource sets and textures byte by byte, for the tests, the fuzzers'
// seed corpus, the scan fixtures and the benchmark. Standard library only: the fuzzers
// build it natively. Every fault a reader must catch can be written on purpose.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace resfixture {

// Little-endian words into a byte string.
void Put16(std::string* out, uint16_t v);
void Put32(std::string* out, uint32_t v);
void Poke32(std::string* out, size_t at, uint32_t v);

struct Resource {
  std::string name;
  uint32_t type = 0;
  uint16_t version = 0;
  std::string bytes;
  bool resident = true;      // inside the load_size part of the data block
  bool wrong_crc = false;    // the TOC records a CRC that does not match the bytes
  std::optional<int32_t> size_field;    // what the TOC says instead of the real size
  std::optional<int32_t> offset_field;  // ... and instead of the real offset
};

struct SetContents {
  std::vector<Resource> resources;
  bool external_toc = false;   // flags bit 0: the TOC lives in tocres.res
  uint32_t create_time = 0x64A1B2C3;
  // Header faults.
  uint32_t cookie = 0x52535430;
  uint32_t header_size = 52;
  uint32_t version = 8;
  int32_t file_size_delta = 0;           // added to the true file size in the header
  std::optional<int32_t> res_count;      // instead of the number of resources
  std::optional<uint32_t> load_size;     // instead of the true resident size
  bool wrong_toc_crc = false;
  // External TOC faults.
  uint32_t toc_version = 0;
  uint32_t toc_header_size = 20;
  int32_t toc_create_time_delta = 0;
  std::optional<int32_t> toc_res_count;
  int32_t toc_load_size_delta = 0;
  size_t toc_cut = 0;                    // bytes cut off the end of the external TOC
};

struct BuiltSet {
  std::string file;   // the .res file's bytes
  std::string toc;    // the external TOC resource (type ETOC) when the layout asks for one
};

BuiltSet BuildSet(const SetContents& layout);

// The master set holding the external TOCs of `sets` (name, layout) plus `extra` resources.
std::string BuildTocres(const std::vector<std::pair<std::string, SetContents>>& sets,
                        const std::vector<Resource>& extra = {});

// A TEX resource: the 24-byte header, the descriptor at `descriptor` and the parts after
// it. A part left empty gets offset 0 unless an offset is forced.
struct TexLayout {
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t format = 0;
  uint8_t lods = 1;
  uint8_t wrap_s = 0;
  uint8_t wrap_t = 0;
  uint32_t descriptor = 24;
  std::string palette;
  std::string texels;
  std::string alpha;
};
std::string BuildTex(const TexLayout& layout);

// A well-formed texture of any known format code with pseudo-random data of the right size.
std::string SampleTex(int format_code, uint16_t width, uint16_t height, uint32_t seed);
// Pseudo-random bytes, the same for the same seed.
std::string Noise(size_t size, uint32_t seed);

// Writes bytes to a file (binary); false on failure.
bool WriteBytes(const std::string& path, const std::string& bytes);

constexpr uint32_t kEtoc = 0x45544F43;
constexpr uint32_t kTex = 0x54455820;

}  // namespace resfixture
