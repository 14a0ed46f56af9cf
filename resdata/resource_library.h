// The game's resource sets (.res): a 52-byte header, a table of contents (in the set or,
// for sets that do not carry their own, in the master set tocres.res) and a data block of
// named, typed resources, each with its own CRC. Read exactly as the game writes them;
// never written. Every problem becomes a line in the library's message list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "resdata/res_file.h"

// Type codes, written as their four characters from the most significant byte down.
constexpr uint32_t kResourceSetCookie = 0x52535430;  // RST0
constexpr uint32_t kResourceTypeEtoc = 0x45544F43;   // ETOC
constexpr uint32_t kResourceTypeTex = 0x54455820;    // "TEX "

constexpr int kSetHeaderSize = 52;
constexpr int kSetVersion = 8;
constexpr int kTocEntrySize = 68;
constexpr int kExternalTocHeaderSize = 20;

// ResourceEntry::flags
constexpr uint32_t kResourceResident = 0x08;    // bytes in memory and CRC-verified
constexpr uint32_t kResourceExtracted = 0x04;   // read from the file on demand
constexpr uint32_t kResourceHandedOut = 0x02;   // returned by ResourceGet at least once
constexpr uint32_t kResourceFetchSeen = 0x01;   // a caller asked whether it was the first fetch

// The set header words, as read (little-endian).
struct ResourceSetHeader {
  uint32_t cookie = 0;
  uint32_t header_size = 0;
  uint32_t version = 0;
  uint32_t flags = 0;          // bit 0: the TOC is external, in tocres.res
  uint32_t file_size = 0;
  uint32_t create_time = 0;
  uint32_t load_offset = 0;    // file offset of the data block
  uint32_t word_1c = 0;
  int32_t res_count = 0;
  uint32_t load_size = 0;      // bytes of the data block loaded with the set
  uint32_t word_28 = 0;
  uint32_t toc_crc = 0;
  uint32_t word_30 = 0;
};

struct ResourceEntry {
  std::string name;            // up to 32 characters
  uint32_t type = 0;
  uint16_t format_version = 0;
  int32_t size = 0;
  int32_t offset = 0;          // from the set's load offset
  uint32_t crc = 0;
  uint32_t flags = 0;
  int use_count = 0;           // ResourceGet calls that returned it
  const uint8_t* data = nullptr;  // in the resident block, in `buffer`, or none
  std::vector<uint8_t> buffer;    // own copy once read on demand
};

struct ResourceSet {
  std::string name;            // as it was loaded
  std::string path;            // base folder + separator + name
  ResourceSetHeader header;
  int64_t file_bytes = 0;      // the file's size when the set was loaded
  std::vector<uint8_t> resident;  // load_size bytes from the load offset
  std::vector<ResourceEntry> entries;
  // Kept open while the set is loaded, for the resources read on demand.
  std::unique_ptr<resfile::Reader> file;

  bool Holds(const ResourceEntry& e) const {
    return int64_t(e.offset) + e.size <= int64_t(header.load_size);
  }
};

struct ResourceLibrary {
  std::vector<std::string> messages;  // in order of occurrence
  std::string base_folder;            // holds the .res files
  std::vector<std::unique_ptr<ResourceSet>> sets;  // in load order

  // Remembers the folder and loads "tocres.res"; true when that set loaded.
  bool Open(const std::string& folder);
  // The loaded set of that name (ignoring case), else loads it; none on failure.
  ResourceSet* LoadSet(const std::string& name);
  ResourceSet* FindSet(const std::string& name) const;
  // Frees the first loaded set of that name; addresses handed out from it die with it.
  void UnloadSet(const std::string& name);
  const std::vector<std::string>& Messages() const { return messages; }

  // Appends one message, cut to 511 bytes as the game's own buffer cuts it.
  void Add(const char* format, ...)
#if defined(__GNUC__) || defined(__clang__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
};

// The bytes of a resource by name, made resident if needed, or none (with a message).
// "set.res/name" searches only that set; "name" every loaded set in load order; a leading
// "*" is ignored; names compare ignoring case. The address stays valid while the set is
// loaded. size, first_use and first_fetch may be null.
const uint8_t* ResourceGet(ResourceLibrary& library, const std::string& name, uint32_t expected_type,
                           uint16_t* format_version, int32_t* size = nullptr, bool* first_use = nullptr,
                           bool* first_fetch = nullptr);

// The same for one entry of a loaded set that the caller already holds (a name with a
// slash of its own could not be looked up by "set/name"); `name` is how messages call it.
const uint8_t* ResourceGetEntry(ResourceLibrary& library, ResourceSet& set, ResourceEntry& entry,
                                const std::string& name, uint32_t expected_type, uint16_t* format_version,
                                int32_t* size = nullptr, bool* first_use = nullptr, bool* first_fetch = nullptr);

// The external TOC's resource name for a set: its file name, extension ".toc", lower case.
std::string ExternalTocName(const std::string& set_name);

// Frees a fetched resource's own buffer; one outside the resident block becomes
// non-resident again, so the next ResourceGet reads it anew.
void ReleaseExtracted(const ResourceSet& set, ResourceEntry& entry);
