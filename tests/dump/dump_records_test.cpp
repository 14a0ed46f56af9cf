// The dump status derived from launcher.dump_path, dump.ini, the game executable and the
// source checkout's revision file.
#include <gtest/gtest.h>

#include <cctype>

#include "dump/dump_records.h"
#include "settings/install_layout.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/settings/settings_test_fixture.h"

using fixtures::MakeDump;
using testsupport::ScopedEnv;

namespace {

class DumpRecordsTest : public SettingsTest {
 protected:
  void WriteDumpIni(const std::string& text) { testsupport::WriteFile(InstallLayout::DumpIniPath(), text); }
};

std::string Upper(std::string s) {
  for (char& c : s) c = (char)toupper((unsigned char)c);
  return s;
}

TEST_F(DumpRecordsTest, DumpIniNamesTheDumpAndSaysWhetherItWasImported) {
  fixtures::DumpContents contents;
  contents.layout = fixtures::DumpLayout::kData;
  fixtures::MadeDump d = MakeDump(Path("D\\dump"), contents);

  WriteDumpIni("# written by the dump importer\ndisc=" + d.files_dir + "\ndol=" + d.dol_path + "\nverified=1\n");
  DumpStatus s = ReadDumpStatus();
  EXPECT_TRUE(s.configured);
  EXPECT_TRUE(s.imported);
  EXPECT_EQ(Path("D\\dump"), s.judgement.path);
  EXPECT_TRUE(s.judgement.verified);
  EXPECT_EQ(-1, s.judgement.bytes);

  WriteDumpIni("disc=" + d.files_dir + "\nverified=yes\n");
  EXPECT_FALSE(ReadDumpStatus().imported);

  // Spaces around '=' belong to the key: there is no "disc" then.
  WriteDumpIni("disc = " + d.files_dir + "\nverified = 1\n");
  EXPECT_FALSE(ReadDumpStatus().configured);

  // The setting names the dump; dump.ini's path differs only in letter case.
  SettingsStore::Set("launcher.dump_path", d.root.c_str());
  WriteDumpIni("disc=" + Upper(d.files_dir) + "\nverified=1\n");
  EXPECT_TRUE(ReadDumpStatus().imported);
}

TEST_F(DumpRecordsTest, AnotherOrAMissingDumpIsNotTheImportedOne) {
  fixtures::MadeDump mine = MakeDump(Path("mine"));
  fixtures::MadeDump other = MakeDump(Path("other"));
  WriteDumpIni("disc=" + other.files_dir + "\nverified=1\n");
  SettingsStore::Set("launcher.dump_path", mine.root.c_str());
  DumpStatus s = ReadDumpStatus();
  EXPECT_TRUE(s.configured && s.judgement.verified);
  EXPECT_FALSE(s.imported);

  SettingsStore::Set("launcher.dump_path", Path("gone").c_str());
  WriteDumpIni("disc=" + Path("gone\\files") + "\nverified=1\n");
  s = ReadDumpStatus();
  EXPECT_TRUE(s.configured);
  EXPECT_FALSE(s.imported);
  EXPECT_EQ(0u, s.judgement.message.find("There's nothing at " + Path("gone") + ". ")) << s.judgement.message;
}

TEST_F(DumpRecordsTest, WithoutASettingOrADiscInDumpIniNothingIsConfigured) {
  EXPECT_FALSE(ReadDumpStatus().configured);
  WriteDumpIni("dol=" + Path("x\\sys\\main.dol") + "\nverified=1\n");
  DumpStatus s = ReadDumpStatus();
  EXPECT_FALSE(s.configured);
  EXPECT_EQ("", s.judgement.path);
  EXPECT_EQ("", s.source_ref);  // the test program is not in a source checkout
}

TEST_F(DumpRecordsTest, BuiltMeansTheGameExecutableIsAFile) {
  testsupport::WriteFile(Path("game\\KestraneGame.exe"), "MZ");
  {
    ScopedEnv exe("KESTRANE_GAME_EXE", Path("game\\KestraneGame.exe"));
    DumpStatus s = ReadDumpStatus();
    EXPECT_TRUE(s.built);
    EXPECT_EQ(InstallLayout::FileDate(Path("game\\KestraneGame.exe")), s.built_time);
  }
  ScopedEnv folder("KESTRANE_GAME_EXE", Path("game"));
  EXPECT_FALSE(ReadDumpStatus().built);
  EXPECT_EQ("", ReadDumpStatus().built_time);
}

TEST_F(DumpRecordsTest, ASourceCheckoutGivesTheStartOfItsRevision) {
  const std::string probe = Path("port\\build\\probe.exe");
  ASSERT_TRUE(fixtures::AddTool(Path("port\\build"), "probe.exe", "dump_status_probe.exe"));
  testsupport::WriteFile(Path("port\\tools\\gametrial\\link.py"), "");
  const std::pair<std::string, std::string> cases[] = {
      {"4b825dc642cb6eb9a060e54bf8d69288fbee4904\n", "4b825dc"}, {"", ""}, {"v2\r\nmore\n", "v2"}};
  for (const auto& [file, ref] : cases) {
    testsupport::WriteFile(Path("port\\tools\\gametrial\\decomp_ref.txt"), file);
    testsupport::ChildResult r = testsupport::RunChild(probe, {}, fixtures::LauncherOptions(Path("profile")));
    EXPECT_NE(std::string::npos, r.out.find("source_ref [" + ref + "]\n")) << r.out;
  }
}

}  // namespace
