#include "settings/install_layout.h"

#include <windows.h>

#include "settings/settings_store.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/child_run.h"
#include "tests/support/folder_link.h"

using testsupport::MakeFolders;
using testsupport::ScopedEnv;
using testsupport::WriteFile;

namespace {

// [SECTION] Texts

TEST(InstallLayoutText, FormatSizeSwitchesUnitsAtTheBoundaries) {
  EXPECT_EQ(L"0 KB", InstallLayout::FormatSize(0));
  EXPECT_EQ(L"0 KB", InstallLayout::FormatSize(-1));
  EXPECT_EQ(L"1023 KB", InstallLayout::FormatSize(1048575));
  EXPECT_EQ(L"1 MB", InstallLayout::FormatSize(1048576));
  EXPECT_EQ(L"1024 MB", InstallLayout::FormatSize(1073741823));
  EXPECT_EQ(L"1.00 GB", InstallLayout::FormatSize(1073741824));
  EXPECT_EQ(L"4.37 GB", InstallLayout::FormatSize(4692251771LL));
}

TEST(InstallLayoutText, ShortenKeepsFourBytesEachSide) {
  EXPECT_EQ("abcdefg", InstallLayout::Shorten("abcdefg"));
  EXPECT_EQ("abcd\xE2\x80\xA6" "efgh", InstallLayout::Shorten("abcdefgh"));
  EXPECT_EQ("7c2f\xE2\x80\xA6" "a5c2", InstallLayout::Shorten("7c2f0b9e4a61d3853f0e2b7a9c4d6e1f08b3a5c2"));
  EXPECT_EQ("", InstallLayout::Shorten(""));
}

TEST(InstallLayoutText, FullPathDropsTrailingSeparatorsButNotARootsOwn) {
  EXPECT_EQ("C:\\", InstallLayout::FullPath("C:\\"));
  EXPECT_EQ("C:\\Games\\Kestrane", InstallLayout::FullPath("C:\\Games\\Kestrane\\\\"));
  EXPECT_EQ("C:\\Games", InstallLayout::FullPath("C:\\Games\\Kestrane\\.."));
}

class InstallLayoutTest : public SettingsTest {};

TEST_F(InstallLayoutTest, FileDateIsLocalTimeWithMonthAbbreviation) {
  std::string file = Path("dated.bin");
  WriteFile(file, "x");
  SYSTEMTIME local = {};
  local.wYear = 2026;
  local.wMonth = 12;
  local.wDay = 8;
  local.wHour = 10;
  local.wMinute = 29;
  FILETIME lft, ft;
  ASSERT_TRUE(SystemTimeToFileTime(&local, &lft));
  ASSERT_TRUE(LocalFileTimeToFileTime(&lft, &ft));
  HANDLE h = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
  CloseHandle(h);
  EXPECT_EQ("8 Dec 2026, 10:29", InstallLayout::FileDate(file));
  local.wMonth = 1;
  local.wDay = 31;
  local.wHour = 7;
  local.wMinute = 5;
  SystemTimeToFileTime(&local, &lft);
  LocalFileTimeToFileTime(&lft, &ft);
  h = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
  EXPECT_EQ("31 Jan 2026, 07:05", InstallLayout::FileDate(file));
  EXPECT_EQ("", InstallLayout::FileDate(Path("missing.bin")));
}

// [SECTION] Folders

TEST_F(InstallLayoutTest, LocalDirIsCreatedUnderLocalAppData) {
  EXPECT_EQ(Path("local\\Kestrane"), InstallLayout::LocalDir());
  EXPECT_TRUE(testsupport::PathExists(Path("local\\Kestrane")));
  EXPECT_EQ(Path("local\\Kestrane") + "/dump.ini", InstallLayout::DumpIniPath());
}

TEST_F(InstallLayoutTest, WithoutLocalAppDataTheLocalDirIsRelative) {
  ScopedEnv none("LOCALAPPDATA");
  char old[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, old);
  SetCurrentDirectoryA(root().c_str());
  EXPECT_EQ(".\\Kestrane", InstallLayout::LocalDir());
  EXPECT_TRUE(testsupport::PathExists(Path("Kestrane")));
  SetCurrentDirectoryA(old);
}

TEST_F(InstallLayoutTest, DataDirDropsTrailingSeparatorsAndCreatesAncestors) {
  std::string wanted = Path("Games\\Kestrane");
  SettingsStore::Set("launcher.data_dir", (wanted + "\\").c_str());
  EXPECT_EQ(wanted, InstallLayout::DataDir());
  EXPECT_TRUE(testsupport::PathExists(wanted));
  EXPECT_EQ(wanted + "\\disc", InstallLayout::DiscDir());
}

TEST_F(InstallLayoutTest, DataDirExpandsVariablesAndFallsBackWhenUndefined) {
  ScopedEnv profile("USERPROFILE", Path("profile"));
  EXPECT_EQ(Path("profile\\Games\\Kestrane"), InstallLayout::DataDir());  // the default
  SettingsStore::Set("launcher.data_dir", "%NOSUCHVAR_KESTRANE%\\x");
  EXPECT_EQ(InstallLayout::LocalDir(), InstallLayout::DataDir());
  SettingsStore::Set("launcher.data_dir", "");  // empty means the default again
  {
    ScopedEnv empty_override("KESTRANE_LAUNCHER_DATA_DIR", "");
    EXPECT_EQ(Path("profile\\Games\\Kestrane"), InstallLayout::DataDir());
  }
}

TEST_F(InstallLayoutTest, DataDirAtADriveRootStaysThreeCharacters) {
  SettingsStore::Set("launcher.data_dir", "C:\\");
  EXPECT_EQ("C:\\", InstallLayout::DataDir());
}

TEST_F(InstallLayoutTest, DataDirThatCannotBeCreatedFallsBack) {
  WriteFile(Path("blocker"), "a file where a folder should be");
  SettingsStore::Set("launcher.data_dir", Path("blocker\\data").c_str());
  EXPECT_EQ(InstallLayout::LocalDir(), InstallLayout::DataDir());
}

TEST_F(InstallLayoutTest, NonAsciiLocalAndDataFoldersRoundTrip) {
  std::string local = Path("\xE6\x97\xA5\xE6\x9C\xAC");         // 日本
  std::string data = Path("Zo\xC3\xAB\\Spiele");                  // Zoë\Spiele
  MakeFolders(local);
  ScopedEnv appdata("LOCALAPPDATA", local);
  SettingsStoreTesting::UseFile("");  // the settings file now lives under the new local folder
  EXPECT_EQ(local + "\\Kestrane", InstallLayout::LocalDir());
  SettingsStore::Set("launcher.data_dir", data.c_str());
  SettingsStore::Flush();
  EXPECT_EQ(local + "\\Kestrane\\settings.ini", SettingsStore::FilePath());
  EXPECT_EQ("[launcher]\ndata_dir = " + data + "\n", testsupport::ReadFile(local + "\\Kestrane\\settings.ini"));
  EXPECT_EQ(data, InstallLayout::DataDir());
  EXPECT_TRUE(testsupport::PathExists(data));
}

TEST_F(InstallLayoutTest, FreeSpaceOfAnExistingAndAMissingVolume) {
  EXPECT_GT(InstallLayout::FreeSpace(root()), 0);
  EXPECT_EQ(-1, InstallLayout::FreeSpace("Q:\\no\\such\\volume"));
}

TEST_F(InstallLayoutTest, FolderSizeStopsTwelveLevelsDown) {
  std::string folder = root() + "\\m";
  WriteFile(folder + "\\top.bin", std::string(100, 'a'));
  std::string deep = folder;
  for (int level = 1; level <= 13; ++level) {
    deep += "\\d";
    WriteFile(deep + "\\f.bin", std::string((size_t)level, 'b'));
  }
  // Levels 1 to 12 hold 1+2+...+12 = 78 bytes; the file at level 13 is not counted.
  EXPECT_EQ(100 + 78, FolderSize(folder));
  EXPECT_EQ(0, FolderSize(Path("missing")));
}

TEST_F(InstallLayoutTest, FolderSizeSkipsLinkedFolders) {
  WriteFile(Path("outside\\big.bin"), std::string(5000, 'x'));
  WriteFile(Path("measured\\small.bin"), std::string(10, 'x'));
  if (!testsupport::MakeFolderLink(Path("measured\\link"), Path("outside")))
    GTEST_SKIP() << "this system cannot make a folder link";
  EXPECT_EQ(10, FolderSize(Path("measured")));
}

// [SECTION] Where the launcher runs from

struct ProbeOutput {
  std::string exe_dir, checkout;
};

ProbeOutput RunProbeFrom(const std::string& exe_path) {
  testsupport::ChildResult r = testsupport::RunChild(exe_path, {});
  EXPECT_EQ(0u, r.exit_code) << r.err;
  ProbeOutput p;
  size_t a = r.out.find("exe "), b = r.out.find("\ncheckout ");
  if (a == std::string::npos || b == std::string::npos) return p;
  p.exe_dir = r.out.substr(a + 4, b - a - 4);
  p.checkout = r.out.substr(b + 10);
  while (!p.checkout.empty() && p.checkout.back() == '\n') p.checkout.pop_back();
  return p;
}

TEST_F(InstallLayoutTest, CheckoutRootNeedsLinkPyAsAFile) {
  std::string exe = Path("port\\build\\probe.exe");
  MakeFolders(Path("port\\build"));
  ASSERT_TRUE(CopyFileA((testsupport::BinDir() + "layout_probe.exe").c_str(), exe.c_str(), FALSE));

  ProbeOutput none = RunProbeFrom(exe);
  EXPECT_EQ(Path("port\\build\\"), none.exe_dir);
  EXPECT_EQ("", none.checkout);

  MakeFolders(Path("port\\tools\\gametrial\\link.py"));
  EXPECT_EQ("", RunProbeFrom(exe).checkout) << "a folder named link.py is not a checkout";

  RemoveDirectoryA(Path("port\\tools\\gametrial\\link.py").c_str());
  WriteFile(Path("port\\tools\\gametrial\\link.py"), "# build script\n");
  EXPECT_EQ(Path("port"), RunProbeFrom(exe).checkout);
}

}  // namespace
