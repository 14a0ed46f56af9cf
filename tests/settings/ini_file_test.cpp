// dump.ini as the importer writes it and the launcher reads and rewrites it.
#include <gtest/gtest.h>

#include "settings/ini_file.h"
#include "tests/support/temp_folder.h"

namespace {

class IniFileTest : public testsupport::TempFolderTest {};

TEST_F(IniFileTest, ReadsKeyValueLinesAsTheyAre) {
  testsupport::WriteFile(Path("dump.ini"),
                         "# comment=1\r\n; also=2\r\n\r\nno equals sign\r\ndisc=D:\\dump\\files\r\n"
                         "key with space = value \r\nurl=a=b\nverified=0\nverified=1\n=empty key\n");
  IniMap ini;
  ASSERT_TRUE(ReadIniFile(Path("dump.ini"), &ini));
  EXPECT_EQ((IniMap{{"disc", "D:\\dump\\files"},
                    {"key with space ", " value "},
                    {"url", "a=b"},
                    {"verified", "1"},
                    {"", "empty key"}}),
            ini);
  EXPECT_FALSE(ReadIniFile(Path("missing.ini"), &ini));
}

TEST_F(IniFileTest, RewritesInByteOrderUnderTheCommentAndReadsBack) {
  const IniMap ini = {{"verified", "1"}, {"dol", "E:\\d\\sys\\main.dol"}, {"disc", "E:\\d\\files"}, {"Zz", "importer's"}};
  ASSERT_TRUE(WriteIniFile(Path("dump.ini"), ini, "paths to the dump"));
  EXPECT_EQ("# paths to the dump\r\nZz=importer's\r\ndisc=E:\\d\\files\r\ndol=E:\\d\\sys\\main.dol\r\nverified=1\r\n",
            testsupport::ReadFile(Path("dump.ini")));
  EXPECT_FALSE(testsupport::PathExists(Path("dump.ini.tmp")));
  IniMap back;
  ASSERT_TRUE(ReadIniFile(Path("dump.ini"), &back));
  EXPECT_EQ(ini, back);
}

TEST_F(IniFileTest, AFailedWriteKeepsTheOldFile) {
  testsupport::WriteFile(Path("dump.ini"), "disc=D:\\x\n");
  testsupport::MakeFolders(Path("dump.ini.tmp"));  // the temporary file can't be made
  EXPECT_FALSE(WriteIniFile(Path("dump.ini"), {{"disc", "E:\\y"}}, "c"));
  EXPECT_EQ("disc=D:\\x\n", testsupport::ReadFile(Path("dump.ini")));
  EXPECT_FALSE(WriteIniFile(Path("no folder\\dump.ini"), {}, "c"));
}

}  // namespace
