#include "resdata/resource_scan.h"

#include <gtest/gtest.h>

#include "tests/resdata/res_fixture.h"
#include "tests/support/temp_folder.h"

using resfixture::BuildSet;
using resfixture::BuildTocres;
using resfixture::Resource;
using resfixture::SampleTex;
using resfixture::SetContents;

namespace {

Resource Tex(const std::string& name, const std::string& bytes, bool resident = true) {
  Resource r;
  r.name = name;
  r.type = resfixture::kTex;
  r.version = 15;
  r.bytes = bytes;
  r.resident = resident;
  return r;
}

class ResourceScanTest : public testsupport::TempFolderTest {
 protected:
  void Write(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(testsupport::WriteFile(Path("files/" + name), bytes));
  }
  // Runs the scan with its report going to a file, and returns the report.
  std::string Scan(const std::vector<std::string>& names, ScanTotals* totals) {
    FILE* out = fopen(Path("report.txt").c_str(), "wb");
    EXPECT_NE(nullptr, out);
    *totals = ScanResourceSets(lib, names, out);
    PrintScanSummary(*totals, out);
    fclose(out);
    return testsupport::ReadFile(Path("report.txt"));
  }
  ResourceLibrary lib;
};

TEST_F(ResourceScanTest, ReportsOnlyTheBrokenSetsAndTexturesThenCountsFormatsInOrder) {
  SetContents race;
  Resource model;
  model.name = "course";
  model.type = 0x4D4F444C;
  model.bytes = "not a texture";
  race.resources = {Tex("VXO_logo.tm0", SampleTex(72, 16, 16, 1)), model,
                    Tex("VXO_logo.tex", SampleTex(16, 8, 8, 2), false), Tex("sky.tex", SampleTex(75, 4, 4, 3))};
  race.external_toc = true;
  SetContents broken_textures;
  Resource bad_crc = Tex("far.tex", SampleTex(72, 8, 8, 4), false);
  bad_crc.wrong_crc = true;
  broken_textures.resources = {Tex("cut.tex", SampleTex(73, 8, 8, 5).substr(0, 40)),
                               Tex("odd.tex", SampleTex(5, 8, 8, 6)), bad_crc, Tex("fine.tex", SampleTex(0, 3, 3, 7))};
  SetContents broken_set;
  broken_set.version = 9;

  Write("tocres.res", BuildTocres({{"race.res", race}}));
  Write("race.res", BuildSet(race).file);
  Write("menu.car", BuildSet(broken_textures).file);
  Write("zz.sng", BuildSet(broken_set).file);
  ASSERT_TRUE(lib.Open(Path("files")));

  ScanTotals totals;
  const std::string report = Scan({"race.res", "menu.car", "zz.sng"}, &totals);
  EXPECT_EQ(
      "TEX FAIL menu.car/cut.tex: texel data out of range\n"
      "TEX FAIL menu.car/odd.tex: drCreateTexture: unknown type 0x5\n"
      "TEX FAIL menu.car/far.tex: get failed\n"
      "SET FAIL zz.sng\n"
      "\nsets 3 (failed 1), TEX decoded 4, failed 3\n"
      "  format 0x00: 1\n"
      "  format 0x10: 1\n"
      "  format 0x48: 1\n"
      "  format 0x4b: 1\n",
      report);
  EXPECT_FALSE(totals.Clean());
  // Only the master set stays: the scanned sets were not loaded before.
  ASSERT_EQ(1u, lib.sets.size());
  EXPECT_EQ("tocres.res", lib.sets[0]->name);
}

TEST_F(ResourceScanTest, ASetLoadedBeforeStaysAndKeepsNoOnDemandBytes) {
  SetContents race;
  race.resources = {Tex("a.tex", SampleTex(72, 8, 8, 1), false), Tex("b.tex", SampleTex(73, 8, 8, 2), false),
                    Tex("c.tex", SampleTex(74, 8, 8, 3))};
  Write("tocres.res", BuildTocres({}));
  Write("race.res", BuildSet(race).file);
  ASSERT_TRUE(lib.Open(Path("files")));
  ResourceSet* set = lib.LoadSet("race.res");
  ASSERT_NE(nullptr, set);

  ScanTotals totals;
  EXPECT_EQ("\nsets 1 (failed 0), TEX decoded 3, failed 0\n  format 0x48: 1\n  format 0x49: 1\n  format 0x4a: 1\n",
            Scan({"race.res"}, &totals));
  EXPECT_TRUE(totals.Clean());
  ASSERT_EQ(set, lib.FindSet("race.res"));
  for (const ResourceEntry& e : set->entries) EXPECT_TRUE(e.buffer.empty()) << e.name;
  EXPECT_EQ(0u, set->entries[0].flags & kResourceResident);
  EXPECT_NE(0u, set->entries[2].flags & kResourceResident);
}

TEST_F(ResourceScanTest, ATextureWhoseNameHoldsASlashIsFetchedFromItsOwnSet) {
  SetContents race;
  race.resources = {Tex("menu/logo.tex", SampleTex(72, 8, 8, 1)), Tex("menu/far.tex", SampleTex(73, 8, 8, 2), false)};
  Write("tocres.res", BuildTocres({}));
  Write("race.res", BuildSet(race).file);
  ASSERT_TRUE(lib.Open(Path("files")));
  ScanTotals totals;
  EXPECT_EQ("\nsets 1 (failed 0), TEX decoded 2, failed 0\n  format 0x48: 1\n  format 0x49: 1\n",
            Scan({"race.res"}, &totals));
}

TEST_F(ResourceScanTest, SetFilesAreListedByPatternThenName) {
  for (const char* name : {"b.res", "A.res", "c.trk", "x.sng", "d.car", "readme.txt", "tocres.res"})
    Write(name, "x");
  testsupport::MakeFolders(Path("files/folder.res"));
  EXPECT_EQ((std::vector<std::string>{"A.res", "b.res", "tocres.res", "c.trk", "d.car", "x.sng"}),
            ListResourceSets(Path("files")));
  EXPECT_TRUE(ListResourceSets(Path("missing")).empty());
}

}  // namespace
