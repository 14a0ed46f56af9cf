#include "resdata/resource_library.h"

#include <cstdarg>
#include <cstring>

#include "resdata/res_file.h"
#include "resdata/resource_crc.h"

namespace {

// A zero-length resource still gets an address, so that "none" keeps meaning failure.
const uint8_t kNoBytes[1] = {0};

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

ResourceSetHeader ParseHeader(const uint8_t* p) {
  ResourceSetHeader h;
  h.cookie = Le32(p + 0x00);
  h.header_size = Le32(p + 0x04);
  h.version = Le32(p + 0x08);
  h.flags = Le32(p + 0x0C);
  h.file_size = Le32(p + 0x10);
  h.create_time = Le32(p + 0x14);
  h.load_offset = Le32(p + 0x18);
  h.word_1c = Le32(p + 0x1C);
  h.res_count = int32_t(Le32(p + 0x20));
  h.load_size = Le32(p + 0x24);
  h.word_28 = Le32(p + 0x28);
  h.toc_crc = Le32(p + 0x2C);
  h.word_30 = Le32(p + 0x30);
  return h;
}

ResourceEntry ParseEntry(const uint8_t* p) {
  ResourceEntry e;
  size_t len = 0;
  while (len < 32 && p[len] != 0) ++len;  // a 32-character name has no NUL
  e.name.assign(reinterpret_cast<const char*>(p), len);
  e.type = Le32(p + 0x20);
  e.format_version = uint16_t(p[0x24] | (p[0x25] << 8));
  e.size = int32_t(Le32(p + 0x28));
  e.offset = int32_t(Le32(p + 0x2C));
  e.crc = Le32(p + 0x30);
  return e;
}

// Builds the entries from `count` TOC records; a negative size or offset would point before
// the data block, so the whole set is refused.
bool BuildEntries(ResourceLibrary& lib, ResourceSet& set, const uint8_t* toc, int32_t count) {
  set.entries.reserve(size_t(count));
  for (int32_t i = 0; i < count; ++i) {
    ResourceEntry e = ParseEntry(toc + size_t(i) * kTocEntrySize);
    if (e.size < 0 || e.offset < 0) {
      lib.Add("res: bad TOC entry on %s[%d]/%s: size %d, offset %d", set.name.c_str(), i, e.name.c_str(),
              e.size, e.offset);
      return false;
    }
    set.entries.push_back(std::move(e));
  }
  return true;
}

bool UseExternalToc(ResourceLibrary& lib, ResourceSet& set) {
  const char* name = set.name.c_str();
  uint16_t version = 0;
  int32_t size = 0;
  const uint8_t* toc = ResourceGet(lib, ExternalTocName(set.name), kResourceTypeEtoc, &version, &size);
  if (!toc) {
    lib.Add("res(%s): Library has no TOC for set.", name);
    return false;
  }
  // The five header words must be there before any of them is read.
  if (size < kExternalTocHeaderSize) {
    lib.Add("res(%s): TOC truncated", name);
    return false;
  }
  int32_t toc_version = int32_t(Le32(toc + 0));
  int32_t toc_header = int32_t(Le32(toc + 4));
  if (toc_version != 0 || toc_header != kExternalTocHeaderSize)
    lib.Add("res: Bad external toc version/size (%d != %d || %d != %d)", toc_version, 0, toc_header,
            kExternalTocHeaderSize);
  if (Le32(toc + 8) != set.header.create_time) lib.Add("res(%s): TOC mismatch (create_time)", name);
  int32_t count = int32_t(Le32(toc + 12));
  if (count != set.header.res_count) lib.Add("res(%s): TOC mismatch (res_count)", name);
  if (Le32(toc + 16) != set.header.load_size) lib.Add("res(%s): TOC mismatch (load_size)", name);
  if (count < 0) {
    lib.Add("res(%s): bad TOC res_count '%d'", name, count);
    return false;
  }
  if (int64_t(size) < kExternalTocHeaderSize + int64_t(count) * kTocEntrySize) {
    lib.Add("res(%s): TOC truncated", name);
    return false;
  }
  return BuildEntries(lib, set, toc + kExternalTocHeaderSize, count);
}

bool UseInternalToc(ResourceLibrary& lib, ResourceSet& set) {
  // Only an internal TOC is counted by the header; an external one carries its own count.
  if (set.header.res_count < 0) {
    lib.Add("res: bad set header on %s: bad res_count '%d'", set.name.c_str(), set.header.res_count);
    return false;
  }
  int64_t toc_bytes = int64_t(set.header.res_count) * kTocEntrySize;
  if (toc_bytes > int64_t(set.header.load_size)) {
    lib.Add("res: TOC beyond load size on %s", set.name.c_str());
    return false;
  }
  if (ResourceCrc(set.resident.data(), size_t(toc_bytes)) != set.header.toc_crc) {
    lib.Add("res: Bad TOC crc on %s", set.name.c_str());
    return false;
  }
  return BuildEntries(lib, set, set.resident.data(), set.header.res_count);
}

bool CheckHeader(ResourceLibrary& lib, const ResourceSet& set) {
  const ResourceSetHeader& h = set.header;
  const char* name = set.name.c_str();
  if (h.cookie != kResourceSetCookie) {
    lib.Add("res: bad set header on %s: bad cookie '0x%x'", name, h.cookie);
  } else if (h.version != uint32_t(kSetVersion)) {
    lib.Add("res: bad set header on %s: bad version '%d' != '%d'", name, int32_t(h.version), kSetVersion);
  } else if (h.header_size != uint32_t(kSetHeaderSize)) {
    lib.Add("res: bad set header on %s: bad header size '%d'", name, int32_t(h.header_size));
  } else if (int64_t(h.file_size) != set.file_bytes) {
    lib.Add("res: bad set header on %s: bad file size '%d' != '%lld'", name, int32_t(h.file_size),
            static_cast<long long>(set.file_bytes));
  } else {
    return true;
  }
  return false;
}

// Points every entry inside the resident block at its bytes and checks its CRC once.
bool VerifyResident(ResourceLibrary& lib, ResourceSet& set) {
  for (size_t i = 0; i < set.entries.size(); ++i) {
    ResourceEntry& e = set.entries[i];
    if (!set.Holds(e)) continue;
    e.data = e.size == 0 ? kNoBytes : set.resident.data() + e.offset;
    if (ResourceCrc(e.data, size_t(e.size)) != e.crc) {
      lib.Add("res: crc failure on %s[%d]/%s", set.name.c_str(), int(i), e.name.c_str());
      return false;
    }
    e.flags |= kResourceResident;
  }
  return true;
}

// Reads a resource that lies outside the resident block into its own buffer.
bool Extract(ResourceLibrary& lib, ResourceSet& set, ResourceEntry& e) {
  int64_t start = int64_t(set.header.load_offset) + e.offset;
  bool read = start + e.size <= set.file_bytes;  // never size a buffer beyond the file
  if (read) {
    e.buffer.resize(size_t(e.size));
    if (!set.file || !set.file->ok()) set.file = std::make_unique<resfile::Reader>(set.path);
    read = set.file->ReadAt(start, e.buffer.data(), e.buffer.size());
  }
  if (!read) {
    lib.Add("res: read failed on extraction: %s", e.name.c_str());
  } else if (ResourceCrc(e.buffer.data(), e.buffer.size()) != e.crc) {
    lib.Add("res: crc failure on extraction: %s", e.name.c_str());
  } else {
    e.flags |= kResourceExtracted | kResourceResident;
    e.data = e.size == 0 ? kNoBytes : e.buffer.data();
    lib.Add("EXTRACTION: LOADED %s/%s", set.name.c_str(), e.name.c_str());
    return true;
  }
  std::vector<uint8_t>().swap(e.buffer);
  return false;
}

}  // namespace

void ResourceLibrary::Add(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  int n = vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (n < 0) line[0] = 0;
  messages.emplace_back(line);
}

bool ResourceLibrary::Open(const std::string& folder) {
  base_folder = folder;
  return LoadSet("tocres.res") != nullptr;
}

ResourceSet* ResourceLibrary::FindSet(const std::string& name) const {
  for (const auto& s : sets)
    if (resfile::EqualsNoCase(s->name, name)) return s.get();
  return nullptr;
}

void ResourceLibrary::UnloadSet(const std::string& name) {
  for (auto it = sets.begin(); it != sets.end(); ++it) {
    if (resfile::EqualsNoCase((*it)->name, name)) {
      sets.erase(it);
      return;
    }
  }
}

ResourceSet* ResourceLibrary::LoadSet(const std::string& name) {
  if (ResourceSet* loaded = FindSet(name)) return loaded;
  Add("res: loading %s", name.c_str());

  auto set = std::make_unique<ResourceSet>();
  set->name = name;
  bool has_separator = !base_folder.empty() && (base_folder.back() == '\\' || base_folder.back() == '/');
  set->path = base_folder + (has_separator ? "" : "\\") + name;

  uint8_t raw[kSetHeaderSize];
  set->file = std::make_unique<resfile::Reader>(set->path);
  resfile::Reader& file = *set->file;
  set->file_bytes = file.Size();
  if (set->file_bytes < kSetHeaderSize || !file.ReadAt(0, raw, sizeof raw)) {
    Add("res: can't open %s", set->path.c_str());
    return nullptr;
  }
  set->header = ParseHeader(raw);
  if (!CheckHeader(*this, *set)) return nullptr;

  const ResourceSetHeader& h = set->header;
  if (int64_t(h.load_offset) + h.load_size > set->file_bytes) {
    Add("res: short read on %s", name.c_str());
    return nullptr;
  }
  set->resident.resize(h.load_size);
  if (!file.ReadAt(h.load_offset, set->resident.data(), set->resident.size())) {
    Add("res: short read on %s", name.c_str());
    return nullptr;
  }

  bool external = (set->header.flags & 1) != 0;
  if (!(external ? UseExternalToc(*this, *set) : UseInternalToc(*this, *set))) return nullptr;
  if (!VerifyResident(*this, *set)) return nullptr;

  sets.push_back(std::move(set));
  return sets.back().get();
}

std::string ExternalTocName(const std::string& set_name) {
  size_t slash = set_name.find_last_of("\\/");
  std::string file = slash == std::string::npos ? set_name : set_name.substr(slash + 1);
  size_t dot = file.rfind('.');
  return resfile::Lower((dot == std::string::npos ? file : file.substr(0, dot)) + ".toc");
}

const uint8_t* ResourceGet(ResourceLibrary& library, const std::string& name, uint32_t expected_type,
                           uint16_t* format_version, int32_t* size, bool* first_use, bool* first_fetch) {
  std::string wanted = !name.empty() && name[0] == '*' ? name.substr(1) : name;
  ResourceSet* only = nullptr;
  size_t slash = wanted.rfind('/');
  if (slash != std::string::npos) {
    only = library.FindSet(wanted.substr(0, slash));
    wanted = wanted.substr(slash + 1);
  }

  if (slash == std::string::npos || only) {
    for (const auto& s : library.sets) {
      if (only && s.get() != only) continue;
      for (ResourceEntry& e : s->entries) {
        if (resfile::EqualsNoCase(e.name, wanted))
          return ResourceGetEntry(library, *s, e, name, expected_type, format_version, size, first_use, first_fetch);
      }
    }
  }
  library.Add("res: can't find %s", name.c_str());
  return nullptr;
}

const uint8_t* ResourceGetEntry(ResourceLibrary& library, ResourceSet& set, ResourceEntry& entry,
                                const std::string& name, uint32_t expected_type, uint16_t* format_version,
                                int32_t* size, bool* first_use, bool* first_fetch) {
  if (!(entry.flags & kResourceResident) && !Extract(library, set, entry)) {
    library.Add("res: Can't make %s resident.", name.c_str());
    return nullptr;
  }
  if (entry.type != expected_type) {
    library.Add("res: ResourceGet(\"%s\"): Expected type 0x%08x, got 0x%08x", name.c_str(), expected_type,
                entry.type);
    return nullptr;
  }

  entry.flags |= kResourceHandedOut;
  if (first_fetch) {
    *first_fetch = !(entry.flags & kResourceFetchSeen);
    entry.flags |= kResourceFetchSeen;
  }
  if (size) *size = entry.size;
  if (first_use) *first_use = entry.use_count == 0;
  ++entry.use_count;
  if (format_version) *format_version = entry.format_version;
  return entry.data;
}

void ReleaseExtracted(const ResourceSet& set, ResourceEntry& entry) {
  std::vector<uint8_t>().swap(entry.buffer);
  if (!set.Holds(entry)) {
    entry.flags &= ~(kResourceResident | kResourceExtracted);
    entry.data = nullptr;
  }
}
