#include "resdata/resource_library.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "resdata/resource_crc.h"
#include "tests/resdata/res_fixture.h"
#include "tests/support/temp_folder.h"

using resfixture::BuildSet;
using resfixture::BuildTocres;
using resfixture::Resource;
using resfixture::SetContents;

namespace {

constexpr uint32_t kModl = 0x4D4F444C;  // a type the reader has no special knowledge of

Resource Res(const std::string& name, const std::string& bytes, bool resident = true, uint32_t type = kModl) {
  Resource r;
  r.name = name;
  r.type = type;
  r.version = 3;
  r.bytes = bytes;
  r.resident = resident;
  return r;
}

SetContents TwoResources() {
  SetContents s;
  s.resources = {Res("track", "track data in race"), Res("far", "read when first asked for", false)};
  return s;
}

class ResourceLibraryTest : public testsupport::TempFolderTest {
 protected:
  std::string Files() const { return Path("files"); }
  void Write(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(testsupport::WriteFile(Path("files/" + name), bytes));
  }
  // tocres.res with the external TOCs of `external` sets, and the sets themselves.
  void WriteDump(const std::vector<std::pair<std::string, SetContents>>& external = {},
                 const std::vector<Resource>& tocres_extra = {}) {
    Write("tocres.res", BuildTocres(external, tocres_extra));
    for (const auto& [name, layout] : external) Write(name, BuildSet(layout).file);
  }
  bool HasMessage(const std::string& line) const {
    const auto& m = lib.Messages();
    return std::find(m.begin(), m.end(), line) != m.end();
  }
  std::string LastMessage() const { return lib.Messages().empty() ? "" : lib.Messages().back(); }
  // Loads a set with an internal TOC from `layout`, after opening an empty master set.
  ResourceSet* LoadInternal(const SetContents& layout, const std::string& name = "race.res") {
    WriteDump();
    EXPECT_TRUE(lib.Open(Files()));
    Write(name, BuildSet(layout).file);
    return lib.LoadSet(name);
  }

  ResourceLibrary lib;
};

// [SECTION] Set header

TEST_F(ResourceLibraryTest, HeaderFieldsAreCheckedInOrderAndTheFirstFaultIsNamed) {
  struct Case {
    SetContents layout;
    std::string message;
  };
  SetContents bad_cookie;  // a bad version too, but the cookie is looked at first
  bad_cookie.cookie = 0x52535431;
  bad_cookie.version = 7;
  SetContents version_first;  // a bad header size too, but the version is looked at first
  version_first.version = 7;
  version_first.header_size = 48;
  SetContents bad_header;
  bad_header.header_size = 48;
  SetContents longer_file;
  longer_file.file_size_delta = -1;  // the file is one byte longer than its header says
  SetContents negative_count;
  negative_count.res_count = -1;
  const std::string file_size = std::to_string(BuildSet(SetContents()).file.size());
  std::vector<Case> cases = {
      {bad_cookie, "res: bad set header on race.res: bad cookie '0x52535431'"},
      {version_first, "res: bad set header on race.res: bad version '7' != '8'"},
      {bad_header, "res: bad set header on race.res: bad header size '48'"},
      {longer_file, "res: bad set header on race.res: bad file size '" + std::to_string(std::stoi(file_size) - 1) +
                        "' != '" + file_size + "'"},
      {negative_count, "res: bad set header on race.res: bad res_count '-1'"},
  };
  WriteDump();
  ASSERT_TRUE(lib.Open(Files()));
  for (const Case& c : cases) {
    Write("race.res", BuildSet(c.layout).file);
    EXPECT_EQ(nullptr, lib.LoadSet("race.res"));
    EXPECT_EQ(c.message, LastMessage());
    EXPECT_EQ(nullptr, lib.FindSet("race.res"));
  }
  EXPECT_EQ(1u, lib.sets.size());
}

TEST_F(ResourceLibraryTest, MissingOrShortFilesCannotBeOpened) {
  EXPECT_FALSE(lib.Open(Files() + "\\"));
  EXPECT_EQ("res: loading tocres.res", lib.Messages()[0]);
  EXPECT_EQ("res: can't open " + Files() + "\\tocres.res", LastMessage());  // no doubled separator
  Write("tocres.res", BuildTocres({}).substr(0, 51));
  EXPECT_FALSE(lib.Open(Files()));
  EXPECT_EQ("res: can't open " + Files() + "\\tocres.res", LastMessage());
}

TEST_F(ResourceLibraryTest, ADataBlockBeyondTheFileIsAShortRead) {
  SetContents layout = TwoResources();
  layout.load_size = 0xFFFFFFF0u;  // would wrap a 32-bit offset + size back inside the file
  EXPECT_EQ(nullptr, LoadInternal(layout));
  EXPECT_EQ("res: short read on race.res", LastMessage());
}

// [SECTION] Internal TOC

TEST_F(ResourceLibraryTest, AnEmptySetLoadsWithTheCrcOfNothing) {
  ResourceSet* set = LoadInternal(SetContents());
  ASSERT_NE(nullptr, set);
  EXPECT_EQ(0x96F31F11u, set->header.toc_crc);
  EXPECT_TRUE(set->entries.empty());
}

TEST_F(ResourceLibraryTest, TocFaultsRejectTheSet) {
  SetContents beyond = TwoResources();
  beyond.res_count = 3;
  EXPECT_EQ(nullptr, LoadInternal(beyond));
  EXPECT_EQ("res: TOC beyond load size on race.res", LastMessage());

  SetContents bad_crc = TwoResources();
  bad_crc.wrong_toc_crc = true;
  EXPECT_EQ(nullptr, LoadInternal(bad_crc));
  EXPECT_EQ("res: Bad TOC crc on race.res", LastMessage());

  SetContents resident_crc = TwoResources();
  resident_crc.resources.insert(resident_crc.resources.begin(), Res("first", "fine"));
  resident_crc.resources[1].wrong_crc = true;
  EXPECT_EQ(nullptr, LoadInternal(resident_crc));
  EXPECT_EQ("res: crc failure on race.res[1]/track", LastMessage());
  EXPECT_EQ(1u, lib.sets.size());
}

TEST_F(ResourceLibraryTest, NegativeSizesAndOffsetsAreRefused) {
  SetContents size = TwoResources();
  size.resources[0].size_field = -4;
  EXPECT_EQ(nullptr, LoadInternal(size));
  EXPECT_EQ("res: bad TOC entry on race.res[0]/track: size -4, offset 136", LastMessage());

  SetContents offset = TwoResources();
  offset.resources[1].offset_field = -100;
  EXPECT_EQ(nullptr, LoadInternal(offset));
  EXPECT_EQ("res: bad TOC entry on race.res[1]/far: size 25, offset -100", LastMessage());
}

TEST_F(ResourceLibraryTest, AnOffsetPlusSizeThatWouldWrapStaysOutsideTheBlockAndIsNeverRead) {
  SetContents layout = TwoResources();
  layout.resources[1].offset_field = 0x7FFFFFF0;
  layout.resources[1].size_field = 0x7FFFFFF0;  // 32-bit sum wraps to a small number
  ResourceSet* set = LoadInternal(layout);
  ASSERT_NE(nullptr, set);
  EXPECT_EQ(0u, set->entries[1].flags & kResourceResident);
  uint16_t version = 0;
  EXPECT_EQ(nullptr, ResourceGet(lib, "far", kModl, &version));
  EXPECT_TRUE(HasMessage("res: read failed on extraction: far"));
  EXPECT_EQ("res: Can't make far resident.", LastMessage());
  EXPECT_TRUE(set->entries[1].buffer.empty());
}

TEST_F(ResourceLibraryTest, NamesUseAllThirtyTwoBytesWithoutANul) {
  SetContents layout;
  const std::string long_name(32, 'n');
  layout.resources = {Res(long_name, "x")};
  ResourceSet* set = LoadInternal(layout);
  ASSERT_NE(nullptr, set);
  EXPECT_EQ(long_name, set->entries[0].name);
}

// [SECTION] External TOC

TEST_F(ResourceLibraryTest, AnExternalTocComesFromTheMasterSet) {
  SetContents race = TwoResources();
  race.external_toc = true;
  WriteDump({{"Race.res", race}});
  ASSERT_TRUE(lib.Open(Files()));
  ResourceSet* set = lib.LoadSet("Race.res");
  ASSERT_NE(nullptr, set);
  ASSERT_EQ(2u, set->entries.size());
  EXPECT_EQ("track", set->entries[0].name);
  EXPECT_EQ(kResourceResident, set->entries[0].flags);
  uint16_t version = 0;
  int32_t size = 0;
  const uint8_t* bytes = ResourceGet(lib, "Race.res/far", kModl, &version, &size);
  ASSERT_NE(nullptr, bytes);
  EXPECT_EQ("read when first asked for", std::string(reinterpret_cast<const char*>(bytes), size_t(size)));
}

TEST_F(ResourceLibraryTest, ExternalTocMismatchesAreWarningsOnly) {
  SetContents race = TwoResources();
  race.external_toc = true;
  race.toc_version = 1;
  race.toc_create_time_delta = 5;
  race.toc_load_size_delta = 1;
  WriteDump({{"race.res", race}});
  ASSERT_TRUE(lib.Open(Files()));
  ASSERT_NE(nullptr, lib.LoadSet("race.res"));
  EXPECT_TRUE(HasMessage("res: Bad external toc version/size (1 != 0 || 20 != 20)"));
  EXPECT_TRUE(HasMessage("res(race.res): TOC mismatch (create_time)"));
  EXPECT_TRUE(HasMessage("res(race.res): TOC mismatch (load_size)"));
  EXPECT_FALSE(HasMessage("res(race.res): TOC mismatch (res_count)"));
}

TEST_F(ResourceLibraryTest, ExternalTocFaultsRejectTheSet) {
  struct Case {
    const char* what;
    SetContents layout;
    std::string message;
  };
  auto external = [] {
    SetContents s = TwoResources();
    s.external_toc = true;
    return s;
  };
  std::vector<Case> cases;
  cases.push_back({"cut", external(), "res(race.res): TOC truncated"});
  cases.back().layout.toc_cut = 1;
  cases.push_back({"more entries than bytes", external(), "res(race.res): TOC truncated"});
  cases.back().layout.toc_res_count = 3;
  cases.push_back({"header cut", external(), "res(race.res): TOC truncated"});
  cases.back().layout.toc_cut = 2 * 68 + 4;  // 16 bytes left: the header itself is short
  cases.push_back({"negative count", external(), "res(race.res): bad TOC res_count '-1'"});
  cases.back().layout.toc_res_count = -1;
  for (const Case& c : cases) {
    lib = ResourceLibrary();
    WriteDump({{"race.res", c.layout}});
    ASSERT_TRUE(lib.Open(Files())) << c.what;
    EXPECT_EQ(nullptr, lib.LoadSet("race.res")) << c.what;
    EXPECT_EQ(c.message, LastMessage()) << c.what;
  }
  // The header cut short is refused before any of its words is read.
  EXPECT_FALSE(HasMessage("res(race.res): TOC mismatch (create_time)"));
}

TEST_F(ResourceLibraryTest, AnExternalTocCountsTheEntriesWhateverTheHeaderSays) {
  for (int32_t header_count : {-1, 1, 7}) {
    lib = ResourceLibrary();
    SetContents race = TwoResources();
    race.external_toc = true;
    race.res_count = header_count;  // with an external TOC only a warning
    race.toc_res_count = 2;
    WriteDump({{"race.res", race}});
    ASSERT_TRUE(lib.Open(Files()));
    ResourceSet* set = lib.LoadSet("race.res");
    ASSERT_NE(nullptr, set) << header_count;
    EXPECT_EQ(2u, set->entries.size()) << header_count;
    EXPECT_TRUE(HasMessage("res(race.res): TOC mismatch (res_count)")) << header_count;
  }
}

TEST_F(ResourceLibraryTest, ASetWithoutItsExternalTocIsRefused) {
  SetContents race = TwoResources();
  race.external_toc = true;
  WriteDump();
  Write("race.res", BuildSet(race).file);
  ASSERT_TRUE(lib.Open(Files()));
  EXPECT_EQ(nullptr, lib.LoadSet("race.res"));
  EXPECT_EQ("res: can't find race.toc", lib.Messages()[lib.Messages().size() - 2]);
  EXPECT_EQ("res(race.res): Library has no TOC for set.", LastMessage());
  EXPECT_EQ("race.toc", ExternalTocName("Race.RES"));
  EXPECT_EQ("noext.toc", ExternalTocName("NoExt"));
  EXPECT_EQ("race.toc", ExternalTocName("sub\\Race.res"));
}

// [SECTION] Sets in the library

TEST_F(ResourceLibraryTest, LoadingASetAgainUnderAnotherCaseReturnsTheFirst) {
  ResourceSet* set = LoadInternal(TwoResources());
  ASSERT_NE(nullptr, set);
  const size_t lines = lib.Messages().size();
  EXPECT_EQ(set, lib.LoadSet("RACE.RES"));
  EXPECT_EQ(lines, lib.Messages().size());  // not read again
  EXPECT_EQ(set, lib.FindSet("Race.Res"));
}

TEST_F(ResourceLibraryTest, UnloadingKeepsTheOthersInOrder) {
  WriteDump();
  ASSERT_TRUE(lib.Open(Files()));
  for (const char* name : {"a.res", "b.res", "c.res"}) {
    Write(name, BuildSet(SetContents()).file);
    ASSERT_NE(nullptr, lib.LoadSet(name));
  }
  lib.UnloadSet("B.RES");
  ASSERT_EQ(3u, lib.sets.size());
  EXPECT_EQ("tocres.res", lib.sets[0]->name);
  EXPECT_EQ("a.res", lib.sets[1]->name);
  EXPECT_EQ("c.res", lib.sets[2]->name);
  lib.UnloadSet("not-loaded.res");
  EXPECT_EQ(3u, lib.sets.size());
}

TEST_F(ResourceLibraryTest, WhatIsUnloadedOrReleasedIsFreedNotKeptForTheNextSet) {
  SetContents big;
  big.resources = {Res("bulk", std::string(1 << 20, 'b')), Res("far", std::string(1 << 20, 'f'), false)};
  SetContents small;
  small.resources = {Res("bit", "x"), Res("far-bit", "y", false)};
  WriteDump();
  ASSERT_TRUE(lib.Open(Files()));
  Write("big.res", BuildSet(big).file);
  Write("small.res", BuildSet(small).file);
  ResourceSet* set = lib.LoadSet("big.res");
  ASSERT_NE(nullptr, set);
  uint16_t version = 0;
  ASSERT_NE(nullptr, ResourceGet(lib, "big.res/far", kModl, &version));
  ReleaseExtracted(*set, set->entries[1]);
  lib.UnloadSet("big.res");

  set = lib.LoadSet("small.res");
  ASSERT_NE(nullptr, set);
  ASSERT_NE(nullptr, ResourceGet(lib, "small.res/far-bit", kModl, &version));
  EXPECT_LT(set->resident.capacity(), 4096u);
  EXPECT_LT(set->entries[1].buffer.capacity(), 4096u);
}

TEST_F(ResourceLibraryTest, MessagesAreCutToTheLineBuffer) {
  WriteDump();
  ASSERT_TRUE(lib.Open(Files()));
  EXPECT_EQ(nullptr, lib.LoadSet(std::string(600, 'z') + ".res"));
  EXPECT_EQ(511u, lib.Messages()[lib.Messages().size() - 2].size());
}

// [SECTION] Fetching

TEST_F(ResourceLibraryTest, NameFormsSelectTheSetsSearched) {
  SetContents a;
  a.resources = {Res("track", "from a")};
  SetContents race;
  race.resources = {Res("Track", "from race")};
  WriteDump();
  ASSERT_TRUE(lib.Open(Files()));
  Write("a.res", BuildSet(a).file);
  Write("race.res", BuildSet(race).file);
  ASSERT_NE(nullptr, lib.LoadSet("a.res"));
  ASSERT_NE(nullptr, lib.LoadSet("race.res"));

  auto get = [&](const std::string& name) {
    int32_t size = 0;
    const uint8_t* p = ResourceGet(lib, name, kModl, nullptr, &size);
    return p ? std::string(reinterpret_cast<const char*>(p), size_t(size)) : std::string("(none)");
  };
  EXPECT_EQ("from race", get("race.res/track"));
  EXPECT_EQ("from race", get("RACE.RES/TRACK"));
  EXPECT_EQ("from a", get("track"));
  EXPECT_EQ("from a", get("*track"));
  EXPECT_EQ("from race", get("*race.res/track"));
  EXPECT_EQ("(none)", get("other.res/track"));  // a set that is not loaded holds nothing
  EXPECT_EQ("res: can't find other.res/track", LastMessage());
  EXPECT_EQ("(none)", get("*nothing"));
  EXPECT_EQ("res: can't find *nothing", LastMessage());
}

TEST_F(ResourceLibraryTest, ASetNameMayHoldASlashTheResourceNameNot) {
  WriteDump();
  ASSERT_TRUE(lib.Open(Files()));
  ASSERT_TRUE(testsupport::WriteFile(Path("files/sub/race.res"), BuildSet(TwoResources()).file));
  ASSERT_NE(nullptr, lib.LoadSet("sub/race.res"));
  int32_t size = 0;
  const uint8_t* p = ResourceGet(lib, "sub/race.res/track", kModl, nullptr, &size);
  ASSERT_NE(nullptr, p) << LastMessage();
  EXPECT_EQ("track data in race", std::string(reinterpret_cast<const char*>(p), size_t(size)));
}

TEST_F(ResourceLibraryTest, TheFirstFetchIsMarkedOnlyForACallerWhoAsks) {
  ResourceSet* set = LoadInternal(TwoResources());
  ASSERT_NE(nullptr, set);
  uint16_t version = 0;
  bool first_use = false, first_fetch = false;
  ASSERT_NE(nullptr, ResourceGet(lib, "track", kModl, &version, nullptr, &first_use));
  EXPECT_TRUE(first_use);
  EXPECT_EQ(kResourceResident | kResourceHandedOut, set->entries[0].flags);
  ASSERT_NE(nullptr, ResourceGet(lib, "track", kModl, &version, nullptr, &first_use, &first_fetch));
  EXPECT_FALSE(first_use);
  EXPECT_TRUE(first_fetch);  // the first caller to ask
  EXPECT_EQ(kResourceResident | kResourceHandedOut | kResourceFetchSeen, set->entries[0].flags);
  ASSERT_NE(nullptr, ResourceGet(lib, "track", kModl, &version, nullptr, nullptr, &first_fetch));
  EXPECT_FALSE(first_fetch);
}

TEST_F(ResourceLibraryTest, AResourceOutsideTheBlockIsReadOnceOnFirstUse) {
  ResourceSet* set = LoadInternal(TwoResources());
  ASSERT_NE(nullptr, set);
  ResourceEntry& far = set->entries[1];
  EXPECT_EQ(0u, far.flags);
  uint16_t version = 0;
  int32_t size = 0;
  bool first_use = false, first_fetch = false;
  ASSERT_NE(nullptr, ResourceGet(lib, "far", kModl, &version, &size, &first_use, &first_fetch));
  EXPECT_EQ("EXTRACTION: LOADED race.res/far", LastMessage());
  EXPECT_EQ(3, version);
  EXPECT_EQ(25, size);
  EXPECT_TRUE(first_use);
  EXPECT_TRUE(first_fetch);
  EXPECT_EQ(kResourceResident | kResourceExtracted | kResourceHandedOut | kResourceFetchSeen, far.flags);

  const size_t lines = lib.Messages().size();
  // Delete the file: a second fetch must come from memory.
  ASSERT_TRUE(testsupport::WriteFile(Path("files/race.res"), ""));
  ASSERT_NE(nullptr, ResourceGet(lib, "far", kModl, &version, nullptr, &first_use, &first_fetch));
  EXPECT_EQ(lines, lib.Messages().size());
  EXPECT_FALSE(first_use);
  EXPECT_FALSE(first_fetch);
  EXPECT_EQ(2, far.use_count);

  // Released, it is read again on the next fetch (and the emptied file now fails that).
  ReleaseExtracted(*set, far);
  EXPECT_EQ(0u, far.flags & (kResourceResident | kResourceExtracted));
  EXPECT_EQ(nullptr, ResourceGet(lib, "far", kModl, &version));
  EXPECT_TRUE(HasMessage("res: read failed on extraction: far"));
}

TEST_F(ResourceLibraryTest, ABadCrcOnExtractionRejectsOnlyThatResource) {
  SetContents layout = TwoResources();
  layout.resources[1].wrong_crc = true;
  ResourceSet* set = LoadInternal(layout);
  ASSERT_NE(nullptr, set);
  uint16_t version = 0;
  EXPECT_EQ(nullptr, ResourceGet(lib, "*far", kModl, &version));
  const auto& m = lib.Messages();
  ASSERT_GE(m.size(), 2u);
  EXPECT_EQ("res: crc failure on extraction: far", m[m.size() - 2]);
  EXPECT_EQ("res: Can't make *far resident.", m.back());
  EXPECT_TRUE(set->entries[1].buffer.empty());
  EXPECT_NE(nullptr, ResourceGet(lib, "track", kModl, &version));
}

TEST_F(ResourceLibraryTest, AWrongTypeIsRefusedAndTheResourceStaysLoaded) {
  SetContents layout;
  layout.resources = {Res("logo.tm0", "texture bytes", true, resfixture::kTex)};
  ResourceSet* set = LoadInternal(layout);
  ASSERT_NE(nullptr, set);
  uint16_t version = 0;
  bool first_use = false;
  EXPECT_EQ(nullptr, ResourceGet(lib, "logo.tm0", kResourceTypeEtoc, &version, nullptr, &first_use));
  EXPECT_EQ("res: ResourceGet(\"logo.tm0\"): Expected type 0x45544f43, got 0x54455820", LastMessage());
  EXPECT_EQ(kResourceResident, set->entries[0].flags);
  EXPECT_EQ(0, set->entries[0].use_count);
  EXPECT_NE(nullptr, ResourceGet(lib, "logo.tm0", kResourceTypeTex, &version, nullptr, &first_use));
  EXPECT_TRUE(first_use);
}

TEST_F(ResourceLibraryTest, AnEmptyResourceStillHasAnAddress) {
  SetContents layout;
  layout.resources = {Res("empty", ""), Res("empty-far", "", false)};
  ASSERT_NE(nullptr, LoadInternal(layout));
  uint16_t version = 0;
  int32_t size = -1;
  EXPECT_NE(nullptr, ResourceGet(lib, "empty", kModl, &version, &size));
  EXPECT_EQ(0, size);
  EXPECT_NE(nullptr, ResourceGet(lib, "empty-far", kModl, &version, &size));
}

}  // namespace
