// libFuzzer target: the set loader and every fetch, over a master set and one more set
// written from the input into a private folder.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "resdata/gx_texture.h"
#include "resdata/resource_library.h"
#include "tests/resdata/fuzz/fuzz_set_input.h"

namespace {

std::string& FolderName() {
  static std::string folder;
  return folder;
}

void RemoveFolder() {
  remove((FolderName() + "tocres.res").c_str());
  remove((FolderName() + "race.res").c_str());
  rmdir(FolderName().c_str());
}

const std::string& Folder() {
  if (FolderName().empty()) {
    char pattern[] = "/tmp/kestrane_fuzz_set_XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) abort();
    FolderName() = std::string(made) + "/";
    atexit(RemoveFolder);
  }
  return FolderName();
}

void Write(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) abort();
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzinput::TwoSets sets = fuzzinput::Split(data, size);
  Write(Folder() + "tocres.res", sets.tocres);
  Write(Folder() + "race.res", sets.race);

  ResourceLibrary lib;
  lib.Open(Folder());
  lib.LoadSet("race.res");
  lib.LoadSet("RACE.RES");
  for (const auto& set : lib.sets) {
    for (ResourceEntry& entry : set->entries) {
      const std::string name = set->name + "/" + entry.name;
      uint16_t version = 0;
      int32_t bytes = 0;
      bool first_use = false, first_fetch = false;
      ResourceGet(lib, "*" + entry.name, entry.type ^ 1, &version);
      const uint8_t* p = ResourceGet(lib, name, entry.type, &version, &bytes, &first_use, &first_fetch);
      if (p) {
        DecodedTexture texture;
        drCreateTexture(p, size_t(bytes), version, &texture);
      }
      ReleaseExtracted(*set, entry);
    }
  }
  lib.UnloadSet("race.res");
  return 0;
}
