#include "tests/resdata/res_fixture.h"

#include <cstdio>

#include "resdata/gx_texture.h"
#include "resdata/resource_crc.h"

namespace resfixture {

void Put16(std::string* out, uint16_t v) {
  out->push_back(char(v & 0xFF));
  out->push_back(char(v >> 8));
}

void Put32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(char((v >> (8 * i)) & 0xFF));
}

void Poke32(std::string* out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*out)[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

namespace {

std::string TocEntry(const Resource& r, int32_t size, int32_t offset) {
  std::string e(32, '\0');
  e.replace(0, r.name.size() < 32 ? r.name.size() : 32, r.name.substr(0, 32));
  Put32(&e, r.type);
  Put16(&e, r.version);
  Put16(&e, 0);
  Put32(&e, uint32_t(r.size_field.value_or(size)));
  Put32(&e, uint32_t(r.offset_field.value_or(offset)));
  uint32_t crc = ResourceCrc(r.bytes.data(), r.bytes.size());
  Put32(&e, r.wrong_crc ? crc ^ 0x00010000 : crc);
  e.append(16, '\0');
  return e;
}

}  // namespace

BuiltSet BuildSet(const SetContents& layout) {
  const int32_t count = int32_t(layout.resources.size());
  const size_t toc_bytes = layout.external_toc ? 0 : size_t(count) * 68;

  // The data block: the internal TOC, the resident resources, then the others.
  std::string resident, on_demand;
  std::vector<int32_t> offsets(layout.resources.size(), 0);
  for (size_t i = 0; i < layout.resources.size(); ++i) {
    if (!layout.resources[i].resident) continue;
    offsets[i] = int32_t(toc_bytes + resident.size());
    resident += layout.resources[i].bytes;
  }
  const uint32_t load_size = uint32_t(toc_bytes + resident.size());
  for (size_t i = 0; i < layout.resources.size(); ++i) {
    if (layout.resources[i].resident) continue;
    offsets[i] = int32_t(load_size + on_demand.size());
    on_demand += layout.resources[i].bytes;
  }
  std::string toc;
  for (size_t i = 0; i < layout.resources.size(); ++i)
    toc += TocEntry(layout.resources[i], int32_t(layout.resources[i].bytes.size()), offsets[i]);

  const int32_t res_count = layout.res_count.value_or(count);
  const uint32_t header_load_size = layout.load_size.value_or(load_size);
  const uint32_t load_offset = 64;  // the game aligns the data block
  const uint32_t file_size = uint32_t(load_offset + load_size + on_demand.size());
  uint32_t toc_crc = ResourceCrc(toc.data(), layout.external_toc ? 0 : toc.size());
  if (layout.wrong_toc_crc) toc_crc ^= 1;

  BuiltSet built;
  std::string& f = built.file;
  Put32(&f, layout.cookie);
  Put32(&f, layout.header_size);
  Put32(&f, layout.version);
  Put32(&f, layout.external_toc ? 1 : 0);
  Put32(&f, uint32_t(int64_t(file_size) + layout.file_size_delta));
  Put32(&f, layout.create_time);
  Put32(&f, load_offset);
  Put32(&f, 0);
  Put32(&f, uint32_t(res_count));
  Put32(&f, header_load_size);
  Put32(&f, 0);
  Put32(&f, toc_crc);
  Put32(&f, 0);
  f.resize(load_offset, '\0');
  if (!layout.external_toc) f += toc;
  f += resident;
  f += on_demand;

  if (layout.external_toc) {
    std::string& t = built.toc;
    Put32(&t, layout.toc_version);
    Put32(&t, layout.toc_header_size);
    Put32(&t, layout.create_time + uint32_t(layout.toc_create_time_delta));
    Put32(&t, uint32_t(layout.toc_res_count.value_or(res_count)));
    Put32(&t, header_load_size + uint32_t(layout.toc_load_size_delta));
    t += toc;
    t.resize(layout.toc_cut < t.size() ? t.size() - layout.toc_cut : 0);
  }
  return built;
}

std::string BuildTocres(const std::vector<std::pair<std::string, SetContents>>& sets,
                        const std::vector<Resource>& extra) {
  SetContents master;
  for (const auto& [name, layout] : sets) {
    std::string base = name.substr(0, name.rfind('.'));
    for (char& c : base) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    Resource toc;
    toc.name = base + ".toc";
    toc.type = kEtoc;
    toc.bytes = BuildSet(layout).toc;
    master.resources.push_back(toc);
  }
  for (const Resource& r : extra) master.resources.push_back(r);
  return BuildSet(master).file;
}

std::string BuildTex(const TexLayout& layout) {
  std::string t;
  Put16(&t, layout.width);
  Put16(&t, layout.height);
  t.push_back(char(layout.lods));
  t.push_back(char(layout.format));
  t.push_back(char(layout.wrap_s));
  t.push_back(char(layout.wrap_t));
  Put32(&t, 0x11223344);
  Put16(&t, 0x5566);
  t.append(6, '\0');
  Put32(&t, layout.descriptor);
  t.resize(layout.descriptor, '\0');
  uint32_t at = 12;
  uint32_t offsets[3] = {0, 0, 0};
  const std::string* parts[3] = {&layout.palette, &layout.texels, &layout.alpha};
  std::string body;
  for (int i = 0; i < 3; ++i) {
    if (parts[i]->empty()) continue;
    offsets[i] = at + uint32_t(body.size());
    body += *parts[i];
  }
  for (uint32_t o : offsets) Put32(&t, o);
  return t + body;
}

std::string Noise(size_t size, uint32_t seed) {
  std::string out(size, '\0');
  uint32_t x = seed * 2654435761u + 0x9E3779B9u;
  for (size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    out[i] = char(x >> 24);
  }
  return out;
}

std::string SampleTex(int format_code, uint16_t width, uint16_t height, uint32_t seed) {
  TexLayout layout;
  layout.width = width;
  layout.height = height;
  layout.format = uint8_t(format_code);
  const uint64_t pixels = uint64_t(width) * height;
  auto texels = [&](GxType type) { return Noise(size_t(GxDataSize(type, width, height)), seed); };
  switch (format_code) {
    case 0: case 64:
      layout.palette = Noise(64, seed + 1);
      layout.texels = Noise(size_t((pixels + 1) / 2), seed);
      break;
    case 1: case 65:
      layout.palette = Noise(1024, seed + 1);
      layout.texels = Noise(size_t(pixels), seed);
      break;
    case 2: case 69: layout.texels = texels(GxType::kRGB565); break;
    case 3: case 71: layout.texels = texels(GxType::kRGBA8); break;
    case 16: case 23: case 66: case 67: layout.texels = texels(GxType::kCMPR); break;
    case 17: case 68:
      layout.texels = texels(GxType::kCMPR);
      layout.alpha = Noise(size_t(GxDataSize(GxType::kI4, width, height)), seed + 2);
      break;
    case 70: layout.texels = texels(GxType::kRGB5A3); break;
    case 72: layout.texels = texels(GxType::kI4); break;
    case 73: layout.texels = texels(GxType::kI8); break;
    case 74: layout.texels = texels(GxType::kIA4); break;
    case 75: layout.texels = texels(GxType::kIA8); break;
    default: layout.texels = Noise(64, seed); break;
  }
  return BuildTex(layout);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

}  // namespace resfixture
