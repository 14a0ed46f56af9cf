// Moving the game data folder, and the start-up move out of the local folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <utility>
#include <vector>

#include "platform/files.h"
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
  // The four sub-folders as the launcher makes them, with a file each, and dump.ini
  // pointing into disc.
  void FillOldFolder() {
    for (const char* name : kGameDataSubfolders) {
      ASSERT_TRUE(MakeLauncherFolder(old_ + "\\" + name));
      WriteFile(old_ + "\\" + name + "\\" + name + ".bin", name);
    }
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

std::string Upper(std::string path) {
  for (char& c : path) c = (char)toupper((unsigned char)c);
  return path;
}
std::string Forward(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}
std::string Short(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

TEST_F(GameDataFolderTest, TheCurrentFolderSpelledAnotherWayIsNothingToDo) {
  FillOldFolder();
  ASSERT_NE(old_, Short(old_)) << "the data folder needs a short form of its own";
  const std::string zoe = Path("Zo\xC3\xAB");  // "Zoë", and "ZOË" in capitals
  const std::string zoe_upper = Upper(Path("")) + "\\ZO\xC3\x8B";
  ASSERT_TRUE(testsupport::MakeFolders(zoe));
  struct Case {
    std::string setting;  // launcher.data_dir as the file holds it; "" for the default
    std::string chosen;
  } cases[] = {
      {"", Upper(old_) + "\\"},
      {"", Forward(old_) + "/"},
      {"", Short(old_)},
      {"", old_ + "\\.\\..\\Kestrane"},
      {Forward(old_) + "/", old_},
      {Upper(old_), Forward(old_)},
      {Short(old_), old_},
      {zoe, zoe_upper},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting + " -> " + c.chosen);
    if (!c.setting.empty()) {
      UseFileWithText("[launcher]\ndata_dir = " + c.setting + "\n");
      ASSERT_TRUE(files::SameEntry(c.setting == zoe ? zoe : old_, InstallLayout::DataDir()));
    }
    const std::string settings_before = SavedText();
    std::string message = "stale";
    EXPECT_TRUE(ChangeDataDir(c.chosen, &message));
    EXPECT_EQ("", message);
    EXPECT_TRUE(PathExists(old_ + "\\disc\\disc.bin"));
    EXPECT_EQ(settings_before, SavedText());
    EXPECT_EQ("", Log());
    UseFileWithText("");
  }
}

TEST_F(GameDataFolderTest, AFolderInsideTheCurrentOneIsRefused) {
  FillOldFolder();
  for (const std::string& chosen :
       {old_ + "\\new", old_ + "\\disc\\new", Forward(old_) + "/cache/new/", Upper(old_) + "\\TEXTURES\\x\\y",
        Short(old_) + "\\dump\\new", old_ + "\\disc"}) {
    SCOPED_TRACE(chosen);
    std::string message;
    EXPECT_FALSE(ChangeDataDir(chosen, &message));
    EXPECT_EQ(InstallLayout::FullPath(chosen) + " is inside the current game data folder, " + old_ +
                  ". Choose a folder outside it.",
              message);
    for (const char* name : kGameDataSubfolders) EXPECT_EQ(name, ReadFile(old_ + "\\" + name + "\\" + name + ".bin"));
    EXPECT_FALSE(PathExists(old_ + "\\new"));
    EXPECT_EQ(old_, InstallLayout::DataDir());
    EXPECT_EQ("", SavedText());
  }
}

TEST_F(GameDataFolderTest, OnlyFoldersTheLauncherMadeMove) {
  WriteFile(InstallLayout::DumpIniPath(), "verified=1\n");
  // An earlier version's folders, known by what it wrote into them.
  WriteFile(old_ + "\\disc\\image.txt", "D:\\skarvel.iso|1|1 Jan 2024, 10:00");
  WriteFile(old_ + "\\cache\\enhanced\\uisingle.mp4", "video");
  // The player's own, in a data folder that is also theirs.
  WriteFile(old_ + "\\dump\\DATA\\sys\\main.dol", "the player's own extraction");
  WriteFile(old_ + "\\textures\\pack\\t.png", "a texture pack");
  testsupport::MakeFolders(Path("E"));
  std::string message;
  EXPECT_FALSE(ChangeDataDir(Path("E"), &message));
  EXPECT_EQ(old_ + "\\textures wasn't made by Kestrane, so it stays where it is. " + old_ +
                "\\dump wasn't made by Kestrane, so it stays where it is. ",
            message);
  EXPECT_EQ("the player's own extraction", ReadFile(old_ + "\\dump\\DATA\\sys\\main.dol"));
  EXPECT_EQ("a texture pack", ReadFile(old_ + "\\textures\\pack\\t.png"));
  EXPECT_FALSE(PathExists(Path("E\\dump")) || PathExists(Path("E\\textures")));
  // The earlier version's moved and are known as the launcher's from now on.
  EXPECT_EQ("video", ReadFile(Path("E\\cache\\enhanced\\uisingle.mp4")));
  for (const char* name : {"disc", "cache"}) {
    EXPECT_FALSE(PathExists(old_ + "\\" + name)) << name;
    EXPECT_TRUE(PathExists(Path("E\\") + name + "\\" + kLauncherFolderMark)) << name;
  }
  // A marked folder is the launcher's whatever it holds; a dump folder with dump.ini too.
  WriteFile(Path("E\\dump\\dump.ini"), "disc=x\n");
  ASSERT_TRUE(MakeLauncherFolder(Path("E\\textures")));
  WriteFile(Path("E\\textures\\t.png"), "t");
  testsupport::MakeFolders(Path("F"));
  EXPECT_TRUE(ChangeDataDir(Path("F"), &message)) << message;
  for (const char* name : kGameDataSubfolders) EXPECT_TRUE(PathExists(Path("F\\") + name)) << name;
}

TEST_F(GameDataFolderTest, AFolderIsMadeTheLaunchersOnlyWhenItIsNewOrEmpty) {
  struct Case {
    const char* name;
    std::vector<std::string> holds;  // files already in it; nullopt-like "-" for no folder at all
    bool launchers;
  } cases[] = {
      {"disc", {"-"}, true},
      {"disc", {}, true},
      {"disc", {"image.txt"}, false},  // "x" is no stamp: the player's own file of that name
      {"disc", {"DATA\\sys\\main.dol"}, false},
      {"dump", {"dump.ini"}, true},
      {"dump", {"image.txt"}, false},
      {"cache", {"dumpnand\\x"}, true},
      {"textures", {"t.png"}, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string folder = Path(std::to_string(n++) + "\\" + c.name);
    testsupport::MakeFolders(Path(std::to_string(n - 1)));
    if (c.holds.empty() || c.holds[0] != "-") testsupport::MakeFolders(folder);
    for (const std::string& file : c.holds)
      if (file != "-") WriteFile(folder + "\\" + file, "x");
    SCOPED_TRACE(folder);
    EXPECT_EQ(c.launchers, MakeLauncherFolder(folder));
    EXPECT_EQ(c.launchers, IsLauncherFolder(folder));
    EXPECT_EQ(c.launchers, PathExists(folder + "\\" + kLauncherFolderMark));
  }
  WriteFile(Path("file\\disc"), "a file, not a folder");
  EXPECT_FALSE(MakeLauncherFolder(Path("file\\disc")));
}

TEST_F(GameDataFolderTest, AnEarlierVersionsDiscFolderIsKnownByTheStampItWrote) {
  const std::string image = Path("skarvel.iso");
  WriteFile(image, "an image");
  const std::string stamp = DiscImageStamp(image);
  EXPECT_EQ(image + "|8|" + InstallLayout::FileDate(image), stamp);
  const std::pair<std::string, bool> cases[] = {
      {stamp, true},
      {"D:\\skarvel.iso|1|1 Jan 2024, 10:00", true},
      {"my notes about this disc", false},
      {"D:\\skarvel.iso|big|yesterday", false},
      {"skarvel.iso|1|1 Jan 2024, 10:00", false},
  };
  int n = 0;
  for (const auto& [text, launchers] : cases) {
    SCOPED_TRACE(text);
    const std::string disc = Path(std::to_string(n++) + "\\disc");
    WriteFile(disc + "\\image.txt", text);
    EXPECT_EQ(launchers, IsLauncherFolder(disc));
  }
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
  ASSERT_TRUE(MakeLauncherFolder(old_ + "\\disc"));
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

TEST_F(GameDataFolderTest, ADrivesRootOrAFolderOnAnotherVolumeIsADataFolder) {
  // The root of the test folder's drive (D:\ is a data folder like any other), and a folder
  // on another file system (under Wine, Z:\dev\shm is a memory file system: another volume).
  const std::string drive_root = root().substr(0, 3);
  const std::string elsewhere = "Z:\\dev\\shm\\" + root().substr(root().find_last_of('\\') + 1);
  // What is below a folder, with the one separator a drive's root ends with already.
  auto below = [](const std::string& folder, const std::string& rest) {
    return folder + (folder.back() == '\\' ? "" : "\\") + rest;
  };
  for (const std::string& target : {drive_root, elsewhere}) {
    SCOPED_TRACE(target);
    if (target == elsewhere && !testsupport::MakeFolders(elsewhere)) continue;
    bool taken = false;
    for (const char* name : kGameDataSubfolders) taken = taken || PathExists(below(target, name));
    if (taken) continue;  // not this test's to touch
    UseFileWithText("");
    testsupport::RemoveTree(old_);
    testsupport::MakeFolders(old_);
    FillOldFolder();
    std::string message;
    const bool moved = ChangeDataDir(target, &message);
    EXPECT_EQ(target, InstallLayout::DataDir());
    // Across volumes MoveFileEx can't move a folder and the shell's move takes over. Wine
    // 8's claims to move and doesn't, which must not pass for a move: nothing is lost.
    EXPECT_TRUE(moved || target != drive_root) << message;
    EXPECT_EQ(moved ? "" : "Couldn't move disc. Couldn't move cache. Couldn't move textures. Couldn't move dump. ",
              message);
    const std::string now = moved ? target : old_;
    for (const char* name : kGameDataSubfolders)
      EXPECT_EQ(name, ReadFile(below(now, name) + "\\" + name + ".bin"));
    // One separator after a root's own.
    EXPECT_EQ(below(now, "disc\\DATA\\files"), DumpIni()["disc"]);
    if (target == drive_root) {
      // Every folder on the drive is inside its root.
      EXPECT_FALSE(ChangeDataDir(old_, &message));
      EXPECT_EQ(old_ + " is inside the current game data folder, " + drive_root + ". Choose a folder outside it.",
                message);
    }
    for (const char* name : kGameDataSubfolders) testsupport::RemoveTree(below(target, name));
  }
  testsupport::RemoveTree(elsewhere);
}

TEST_F(GameDataFolderTest, LocalGameDataMovesAtTheFirstStartOnly) {
  // The local folder is the launcher's own: what is in it moves, marked or not.
  WriteFile(InstallLayout::LocalDir() + "\\cache\\frames.bin", "frames");
  WriteFile(InstallLayout::LocalDir() + "\\other\\keep.bin", "keep");
  MigrateLocalGameData();
  MigrateLocalGameData();
  EXPECT_EQ("frames", ReadFile(old_ + "\\cache\\frames.bin"));
  EXPECT_TRUE(IsLauncherFolder(old_ + "\\cache"));
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
