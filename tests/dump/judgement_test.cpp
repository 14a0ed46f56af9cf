// Judging dump folders in-process: where the game files are found, what the dump is
// recorded as, and the disc's kind. The console mode's tests cover the messages.
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

TEST_F(JudgementTest, AFilesFolderInADataFolderIsRecordedByTheFolderAbove) {
  DumpContents contents;
  contents.layout = DumpLayout::kFilesOnly;
  fixtures::MadeDump d = MakeDump(Path("dump\\data"), contents);
  DumpJudgement j = JudgeDump(d.chosen, false);
  EXPECT_EQ(Path("dump"), j.path);
  EXPECT_EQ(d.files_dir, j.files_dir);
  EXPECT_TRUE(j.verified);
  EXPECT_EQ(-1, j.bytes);  // not measured
}

TEST_F(JudgementTest, ATocresFolderDoesNotCountAndTheNextLayoutIsTried) {
  fixtures::MadeDump d = MakeDump(Path("dump"));
  testsupport::MakeFolders(Path("dump\\DATA\\files\\tocres.res"));
  DumpJudgement j = JudgeDump(d.root, false);
  EXPECT_EQ(d.files_dir, j.files_dir);
  EXPECT_TRUE(j.verified);
}

TEST_F(JudgementTest, ADumpAtADrivesRootIsRecordedByTheRoot) {
  // The root of the drive the test folder is on.
  const std::string root = this->root().substr(0, 3);  // "C:\\"
  for (const char* name : {"sys", "files", "DATA"})
    if (testsupport::PathExists(root + name)) GTEST_SKIP() << root << name << " is there already";
  struct Case {
    std::string made, chosen, path, files_dir;
  } cases[] = {
      // The files and sys folders right at the root.
      {root, root, root, root + "files"},
      {root, root + "files", root, root + "files"},
      // A root's own DATA folder is the dump: cut at its separator, it would be "C:", a
      // drive's current folder.
      {root + "DATA", root + "DATA", root + "DATA", root + "DATA\\files"},
      {root + "DATA", root, root + "DATA", root + "DATA\\files"},  // the DATA layout, from the root
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    MakeDump(c.made);
    DumpJudgement j = JudgeDump(c.chosen, false);
    EXPECT_TRUE(j.verified) << j.message;
    EXPECT_EQ(c.path, j.path);
    EXPECT_EQ(c.files_dir, j.files_dir);
    EXPECT_EQ(root + (c.made == root ? "" : "DATA\\") + "sys\\main.dol", j.dol_path);
    for (const char* name : {"sys", "files", "DATA"}) testsupport::RemoveTree(root + name);
  }
}

TEST_F(JudgementTest, ForeignDiscsAreNotSupportedWhateverTheirGameId) {
  // Europe, another game and a modified USA disc are judged end to end; these are the rest.
  const std::optional<std::string> cases[] = {fixtures::BootBin("RKVJ01"), std::nullopt};
  for (const auto& boot_bin : cases) {
    DumpContents contents;
    contents.boot_bin = boot_bin;
    contents.main_dol = fixtures::OtherMainDol();
    DumpJudgement j = ClassifyDump(MakeDump(Path(boot_bin ? "japan" : "unknown"), contents).root);
    EXPECT_EQ(kDumpNotSupported, j.kind);
    EXPECT_EQ(boot_bin ? "RKVJ01" : "", j.game_id);
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
  EXPECT_EQ("There's nothing at " + Path("missing.iso") + ". Check the path, or choose your dump again if you moved it.",
            JudgeDump(Path("missing.iso"), true).message);
  EXPECT_EQ(kDumpIncomplete, ClassifyDump(Path("missing.iso")).kind);
}

}  // namespace
