// Judging dump folders in-process: where the game files are found, what the dump is
// recorded as, and how the disc is named. The console mode's tests cover the messages.
#include <gtest/gtest.h>

#include "dump/dump_judgement.h"
#include "settings/install_layout.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/support/temp_folder.h"

using fixtures::DumpLayout;
using fixtures::DumpContents;
using fixtures::MakeDump;

namespace {

class JudgementTest : public testsupport::TempFolderTest {};

TEST_F(JudgementTest, TheTestBuildExpectsTheFixtureDigest) {
  // Everything "ready" in these tests rests on this.
  EXPECT_STREQ(fixtures::kFixtureMainDolSha1, kExpectedMainDolSha1);
  testsupport::WriteFile(Path("sys\\main.dol"), fixtures::FixtureMainDol());
  bool matches = false;
  // Without a main.dol path the one beside the files folder is hashed, separators or not.
  EXPECT_EQ(fixtures::kFixtureMainDolSha1, HashMainDol(Path("files\\\\"), "", &matches));
  EXPECT_TRUE(matches);
}

TEST_F(JudgementTest, EachLayoutIsRecordedByTheFolderAboveItsFiles) {
  struct Case {
    DumpLayout layout;
    const char* root;
    const char* recorded;
  } cases[] = {{DumpLayout::kData, "a", "a"},
               {DumpLayout::kFlat, "b", "b"},
               {DumpLayout::kFilesOnly, "c", "c"},
               // A chosen files folder inside a folder named data (any case) records the one above.
               {DumpLayout::kFilesOnly, "d\\data", "d"}};
  for (const Case& c : cases) {
    DumpContents contents;
    contents.layout = c.layout;
    fixtures::MadeDump d = MakeDump(Path(c.root), contents);
    DumpJudgement j = ClassifyDump(d.chosen);
    SCOPED_TRACE(c.root);
    EXPECT_EQ(kDumpReady, j.kind);
    EXPECT_EQ(Path(c.recorded), j.path);
    EXPECT_EQ(d.files_dir, j.files_dir);
    EXPECT_EQ(d.dol_path, j.dol_path);
    EXPECT_EQ("RKVE01", j.game_id);
    EXPECT_EQ(FolderSize(d.disc_dir), j.bytes);
    EXPECT_EQ(L"Wii disc, USA (RKVE01)", j.label);
    EXPECT_EQ(L"", j.detail);
    EXPECT_EQ("", j.message);
    EXPECT_EQ(-1, JudgeDump(d.chosen, false).bytes);
  }
}

TEST_F(JudgementTest, ATocresFolderDoesNotCountAndTheNextLayoutIsTried) {
  fixtures::MadeDump d = MakeDump(Path("dump"));
  testsupport::MakeFolders(Path("dump\\DATA\\files\\tocres.res"));
  DumpJudgement j = JudgeDump(d.root, false);
  EXPECT_EQ(d.files_dir, j.files_dir);
  EXPECT_TRUE(j.verified);
}

TEST_F(JudgementTest, ForeignDiscsAreNamedByTheirGameId) {
  struct Case {
    std::optional<std::string> boot_bin;
    const wchar_t* label;
    const wchar_t* detail;
  } cases[] = {
      {fixtures::BootBin("RKVP01"), L"Wii disc, Europe (RKVP01)",
       L"Kestrane is built from the USA version only. Other regions may come later."},
      {fixtures::BootBin("RKVJ01"), L"Wii disc, Japan (RKVJ01)",
       L"Kestrane is built from the USA version only. Other regions may come later."},
      {fixtures::BootBin("RABC01"), L"Wii disc (RABC01)", L"This isn't the retail USA disc. Kestrane only runs RKVE01."},
      // A modified USA disc is still not the retail one.
      {fixtures::BootBin("RKVE01"), L"Wii disc (RKVE01)", L"This isn't the retail USA disc. Kestrane only runs RKVE01."},
      {std::nullopt, L"Wii disc (unknown game)", L"This isn't the retail USA disc. Kestrane only runs RKVE01."},
  };
  int n = 0;
  for (const Case& c : cases) {
    DumpContents contents;
    contents.boot_bin = c.boot_bin;
    contents.main_dol = fixtures::OtherMainDol();
    DumpJudgement j = ClassifyDump(MakeDump(Path("dump" + std::to_string(n++)), contents).root);
    SCOPED_TRACE(testing::PrintToString(c.label));
    EXPECT_EQ(kDumpNotSupported, j.kind);
    EXPECT_EQ(c.label, j.label);
    EXPECT_EQ(c.detail, j.detail);
    EXPECT_TRUE(j.recognised);
    EXPECT_EQ(
        "This disc doesn't match the retail USA game (RKVE01), so Kestrane can't run it. Other regions aren't "
        "supported yet.",
        j.message);
  }
}

TEST_F(JudgementTest, AGameIdIsSixLettersOrDigitsAndNeverDecidesReadiness) {
  const std::pair<std::string, std::string> cases[] = {
      {"RKVE01", "RKVE01"},  {"rkve01", "rkve01"},           {"RK E01", ""},
      {"RKVE0\x01", ""},     {std::string("RKV\0E01", 7), ""}, {"RKVE0", ""}};
  int n = 0;
  for (const auto& [header, id] : cases) {
    DumpContents contents;
    contents.boot_bin = header.size() < 6 ? header : fixtures::BootBin(header);
    DumpJudgement j = ClassifyDump(MakeDump(Path("dump" + std::to_string(n++)), contents).root);
    EXPECT_EQ(id, j.game_id) << testing::PrintToString(header);
    EXPECT_EQ(kDumpReady, j.kind);
  }
}

TEST_F(JudgementTest, OnlyExistingFilesWithAnImageExtensionAreDiscImages) {
  for (const char* name : {"a.iso", "b.ISO", "c.Rvz", "d.wia", "e.wbfs", "f.ciso", "g.gcz", "h.nfs"}) {
    testsupport::WriteFile(Path(name), "x");
    EXPECT_TRUE(IsDiscImage(Path(name))) << name;
  }
  testsupport::MakeFolders(Path("folder.iso"));
  testsupport::MakeFolders(Path("v1.iso\\dump"));
  testsupport::WriteFile(Path("game.iso.txt"), "x");
  testsupport::WriteFile(Path("isos\\game"), "x");
  for (const char* name : {"folder.iso", "missing.iso", "game.iso.txt", "isos\\game", "v1.iso\\dump"})
    EXPECT_FALSE(IsDiscImage(Path(name))) << name;
  EXPECT_EQ("The folder isn't there any more: " + Path("missing.iso"), JudgeDump(Path("missing.iso"), true).message);
}

}  // namespace
