// Moving the game data folder, and the start-up move out of the local folder.
#include <gtest/gtest.h>

#include <memory>

#include "settings/game_data_folder.h"
#include "settings/ini_file.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/child_run.h"

using testsupport::PathExists;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

class GameDataFolderTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    profile_ = std::make_unique<testsupport::ScopedEnv>("USERPROFILE", Path("home"));
    old_ = InstallLayout::DataDir();  // home\Games\Kestrane
  }
  // The four sub-folders with a file each, and dump.ini pointing into disc.
  void FillOldFolder() {
    for (const char* name : kGameDataSubfolders) WriteFile(old_ + "\\" + name + "\\" + name + ".bin", name);
    WriteFile(InstallLayout::DumpIniPath(), "disc=" + old_ + "\\disc\\DATA\\files\ndol=" + old_ +
                                                "\\DISC\\DATA\\sys\\main.dol\nimporter=kept\nverified=1\n");
  }
  IniMap DumpIni() {
    IniMap ini;
    ReadIniFile(InstallLayout::DumpIniPath(), &ini);
    return ini;
  }
  std::string Log() { return testsupport::Lf(ReadFile(ErrorLogPath())); }

  std::unique_ptr<testsupport::ScopedEnv> profile_;
  std::string old_;
};

TEST_F(GameDataFolderTest, EverythingMovesAndDumpIniFollows) {
  FillOldFolder();
  testsupport::MakeFolders(Path("E"));  // the chosen folder's parent must exist
  std::string message = "stale";
  EXPECT_TRUE(ChangeDataDir(Path("E\\games\\"), &message));
  EXPECT_EQ("", message);
  const std::string now = Path("E\\games");
  for (const char* name : kGameDataSubfolders) {
    EXPECT_EQ(name, ReadFile(now + "\\" + name + "\\" + name + ".bin"));
    EXPECT_FALSE(PathExists(old_ + "\\" + name));
  }
  EXPECT_EQ((IniMap{{"disc", now + "\\disc\\DATA\\files"},
                    {"dol", now + "\\disc\\DATA\\sys\\main.dol"},
                    {"importer", "kept"},
                    {"verified", "1"}}),
            DumpIni());
  EXPECT_EQ(now, InstallLayout::DataDir());
  EXPECT_NE(std::string::npos, SavedText().find(now));  // flushed at once
  EXPECT_NE(std::string::npos, Log().find(" [launcher] game data folder: " + old_ + " -> " + now + "\n"));
}

TEST_F(GameDataFolderTest, TheCurrentFolderInAnotherCaseChangesNothing) {
  FillOldFolder();
  std::string upper = old_ + "\\";
  for (char& c : upper) c = (char)toupper((unsigned char)c);
  std::string message;
  EXPECT_TRUE(ChangeDataDir(upper, &message));
  EXPECT_TRUE(PathExists(old_ + "\\disc\\disc.bin"));
  EXPECT_EQ("", SavedText());
  EXPECT_EQ("", Log());
}

TEST_F(GameDataFolderTest, AFolderAlreadyThereStaysAndTheOthersMove) {
  FillOldFolder();
  WriteFile(Path("E\\disc\\theirs.bin"), "theirs");
  std::string message;
  EXPECT_FALSE(ChangeDataDir(Path("E"), &message));
  EXPECT_EQ("A disc folder is already in the new place; the old one was left. ", message);
  EXPECT_EQ("disc", ReadFile(old_ + "\\disc\\disc.bin"));
  EXPECT_EQ("theirs", ReadFile(Path("E\\disc\\theirs.bin")));
  EXPECT_FALSE(PathExists(Path("E\\disc\\disc.bin")));
  EXPECT_TRUE(PathExists(Path("E\\cache\\cache.bin")) && PathExists(Path("E\\textures\\textures.bin")));
  EXPECT_EQ(old_ + "\\disc\\DATA\\files", DumpIni()["disc"]);
  EXPECT_EQ(Path("E"), InstallLayout::DataDir());
  EXPECT_NE(std::string::npos, Log().find("game data folder: " + old_ + " -> " + Path("E") + ": " + message + "\n"));
}

TEST_F(GameDataFolderTest, OnlyPathsInsideAMovedFolderAreRewritten) {
  WriteFile(old_ + "\\disc\\x.bin", "x");
  WriteFile(old_ + "\\disc2\\files\\tocres.res", "not moved");
  WriteFile(InstallLayout::DumpIniPath(), "disc=" + old_ + "\\disc2\\files\ndol=" + old_ + "\\disc\n");
  testsupport::MakeFolders(Path("E"));
  std::string message;
  EXPECT_TRUE(MoveGameData(old_, Path("E"), &message));
  EXPECT_EQ(old_ + "\\disc2\\files", DumpIni()["disc"]);
  EXPECT_EQ(Path("E\\disc"), DumpIni()["dol"]);
  EXPECT_TRUE(PathExists(old_ + "\\disc2\\files\\tocres.res"));
}

TEST_F(GameDataFolderTest, AFolderThatCantBeCreatedChangesNothing) {
  FillOldFolder();
  std::string message;
  EXPECT_FALSE(ChangeDataDir(Path("no parent\\games"), &message));
  EXPECT_EQ("That folder can't be created.", message);
  EXPECT_EQ(old_, InstallLayout::DataDir());
  EXPECT_TRUE(PathExists(old_ + "\\disc\\disc.bin"));
}

TEST_F(GameDataFolderTest, AMoveToAnotherVolumeLosesNothing) {
  // Under Wine, Z:\dev\shm is a separate (memory) file system.
  const std::string other = "Z:\\dev\\shm\\" + root().substr(root().find_last_of('\\') + 1);
  if (!testsupport::MakeFolders(other)) GTEST_SKIP() << "no second volume to move to";
  FillOldFolder();
  std::string message;
  const bool moved = MoveGameData(old_, other, &message);
  // Windows' shell moves across volumes; Wine's claims to and doesn't, which must not
  // pass for a move.
  const std::string now = moved ? other : old_;
  EXPECT_EQ(moved ? "" : "Couldn't move disc. Couldn't move cache. Couldn't move textures. Couldn't move dump. ",
            message);
  EXPECT_EQ("disc", ReadFile(now + "\\disc\\disc.bin"));
  EXPECT_EQ(now + "\\disc\\DATA\\files", DumpIni()["disc"]);
  testsupport::RemoveTree(other);
}

TEST_F(GameDataFolderTest, LocalGameDataMovesAtTheFirstStartOnly) {
  WriteFile(InstallLayout::LocalDir() + "\\cache\\frames.bin", "frames");
  WriteFile(InstallLayout::LocalDir() + "\\other\\keep.bin", "keep");
  MigrateLocalGameData();
  MigrateLocalGameData();
  EXPECT_EQ("frames", ReadFile(old_ + "\\cache\\frames.bin"));
  EXPECT_TRUE(PathExists(InstallLayout::LocalDir() + "\\other\\keep.bin"));
  const std::string log = Log();
  EXPECT_NE(std::string::npos,
            log.find(" [launcher] moved the game data from " + InstallLayout::LocalDir() + " to " + old_ + "\n"));
  EXPECT_EQ(1, (int)std::count(log.begin(), log.end(), '\n'));

  // A data folder that is the local folder has nothing to move.
  SettingsStore::Set("launcher.data_dir", InstallLayout::LocalDir().c_str());
  WriteFile(InstallLayout::LocalDir() + "\\textures\\t.bin", "t");
  MigrateLocalGameData();
  EXPECT_EQ(1, (int)std::count(log.begin(), log.end(), '\n'));
  EXPECT_EQ(log, Log());
}

}  // namespace
