// The dump status derived from the chosen dump's path and dump.ini.
#include <gtest/gtest.h>

#include <cctype>

#include "dump/dump_status.h"
#include "settings/install_layout.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/settings/settings_test_fixture.h"

using fixtures::MakeDump;

namespace {

class DumpStatusTest : public SettingsTest {
 protected:
  void WriteDumpIni(const std::string& text) { testsupport::WriteFile(InstallLayout::DumpIniPath(), text); }
  // As the window asks: the chosen path (the setting's value), else what dump.ini names.
  static DumpStatus Status(const std::string& chosen = std::string()) {
    return ReadDumpStatus(ConfiguredDumpPath(chosen));
  }
};

std::string Upper(std::string s) {
  for (char& c : s) c = (char)toupper((unsigned char)c);
  return s;
}

TEST_F(DumpStatusTest, DumpIniNamesTheDumpAndSaysWhetherItWasImported) {
  fixtures::DumpContents contents;
  contents.layout = fixtures::DumpLayout::kData;
  fixtures::MadeDump d = MakeDump(Path("D\\dump"), contents);

  WriteDumpIni("# written by the dump importer\ndisc=" + d.files_dir + "\ndol=" + d.dol_path + "\nverified=1\n");
  DumpStatus s = Status();
  EXPECT_TRUE(s.configured);
  EXPECT_TRUE(s.imported);
  EXPECT_EQ(Path("D\\dump"), s.judgement.path);
  EXPECT_TRUE(s.judgement.verified);
  EXPECT_EQ(-1, s.judgement.bytes);

  WriteDumpIni("disc=" + d.files_dir + "\nverified=yes\n");
  EXPECT_FALSE(Status().imported);

  // Spaces around '=' belong to the key: there is no "disc" then.
  WriteDumpIni("disc = " + d.files_dir + "\nverified = 1\n");
  EXPECT_FALSE(Status().configured);

  // The setting names the dump; dump.ini's path differs only in letter case.
  WriteDumpIni("disc=" + Upper(d.files_dir) + "\nverified=1\n");
  EXPECT_TRUE(Status(d.root).imported);
}

TEST_F(DumpStatusTest, AnotherOrAMissingDumpIsNotTheImportedOne) {
  fixtures::MadeDump mine = MakeDump(Path("mine"));
  fixtures::MadeDump other = MakeDump(Path("other"));
  WriteDumpIni("disc=" + other.files_dir + "\nverified=1\n");
  DumpStatus s = Status(mine.root);
  EXPECT_TRUE(s.configured && s.judgement.verified);
  EXPECT_FALSE(s.imported);

  WriteDumpIni("disc=" + Path("gone\\files") + "\nverified=1\n");
  s = Status(Path("gone"));
  EXPECT_TRUE(s.configured);
  EXPECT_FALSE(s.imported);
  EXPECT_EQ(0u, s.judgement.message.find("There's nothing at " + Path("gone") + ". ")) << s.judgement.message;
}

TEST_F(DumpStatusTest, WithoutASettingOrADiscInDumpIniNothingIsConfigured) {
  EXPECT_FALSE(Status().configured);
  WriteDumpIni("dol=" + Path("x\\sys\\main.dol") + "\nverified=1\n");
  DumpStatus s = Status();
  EXPECT_FALSE(s.configured);
  EXPECT_EQ("", s.judgement.path);
}

}  // namespace
