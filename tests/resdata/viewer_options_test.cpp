#include "resdata/viewer_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/temp_folder.h"

namespace {

bool Parse(std::vector<const char*> args, ViewerOptions* out) {
  args.insert(args.begin(), "Kestrane.exe");
  return ParseViewerOptions(int(args.size()), args.data(), out);
}

TEST(ViewerOptions, EveryOptionAndItsValue) {
  ViewerOptions o;
  ASSERT_TRUE(Parse({"--viewer", "--disc", "D:\\files", "--dol", "--scan", "--tex", "a.res/b.tex", "--screenshot",
                     "out.bmp", "--allow-unverified", "--scan"},
                    &o));
  EXPECT_EQ("D:\\files", o.disc);
  EXPECT_EQ("--scan", o.dol);  // a value is simply the next argument
  EXPECT_EQ("a.res/b.tex", o.texture);
  EXPECT_EQ("out.bmp", o.screenshot);
  EXPECT_TRUE(o.scan);
  EXPECT_TRUE(o.allow_unverified);

  ViewerOptions defaults;
  ASSERT_TRUE(Parse({}, &defaults));
  EXPECT_EQ("race.res/VXO_logo.tm0", defaults.texture);
  EXPECT_FALSE(defaults.scan);
}

TEST(ViewerOptions, UsageErrors) {
  for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
           {"--tex"}, {"--viewer", "--disc"}, {"--screenshot"}, {"--help"}, {"--Scan"}, {"--scan=1"}, {"--judge"}}) {
    ViewerOptions o;
    EXPECT_FALSE(Parse(args, &o)) << args.back();
  }
}

TEST(LauncherIni, TheLastLineOfAKeyWinsAndTrailingBlanksGo) {
  testsupport::TempFolder folder;
  const std::string ini = folder.Path("Kestrane.ini");
  ASSERT_TRUE(testsupport::WriteFile(ini,
                                     "disc=C:\\old\r\n"
                                     "disc =C:\\spaced key\n"
                                     "discs=C:\\other key\n"
                                     "dol=C:\\sys\\main.dol\t \r\n"
                                     "disc=C:\\new  \r\n"
                                     "# disc=C:\\comment\n"
                                     "path=" + std::string(3000, 'p') + "\n"
                                     "dol=C:\\sys\\main.dol\t \r"));  // last line without a line feed
  EXPECT_EQ("C:\\new", ReadLauncherIniValue(ini, "disc"));
  EXPECT_EQ("C:\\sys\\main.dol\t", ReadLauncherIniValue(ini, "dol"));
  EXPECT_EQ(std::string(3000, 'p'), ReadLauncherIniValue(ini, "path"));
  EXPECT_EQ("", ReadLauncherIniValue(ini, "missing"));
  EXPECT_EQ("", ReadLauncherIniValue(folder.Path("none.ini"), "disc"));
}

TEST(ChooseDump, CommandLineThenEnvironmentThenLauncherIniThenDumpIni) {
  ViewerOptions o;
  std::map<std::string, std::string> dump_ini = {{"disc", "E:\\dump\\files"}, {"dol", "E:\\dump\\sys\\main.dol"}};
  o.disc = "A:\\files";
  EXPECT_EQ("A:\\files", ChooseDump(o, "B:\\files", "C:\\files", "", &dump_ini).disc);
  o.disc.clear();
  EXPECT_EQ("B:\\files", ChooseDump(o, "B:\\files", "C:\\files", "", &dump_ini).disc);
  EXPECT_EQ("C:\\files", ChooseDump(o, "", "C:\\files", "", &dump_ini).disc);
  EXPECT_EQ("", ChooseDump(o, "", "C:\\files", "", &dump_ini).dol);  // dump.ini is not asked at all

  DumpChoice from_dump_ini = ChooseDump(o, "", "", "", &dump_ini);
  EXPECT_EQ("E:\\dump\\files", from_dump_ini.disc);
  EXPECT_EQ("E:\\dump\\sys\\main.dol", from_dump_ini.dol);
  o.dol = "F:\\main.dol";
  EXPECT_EQ("F:\\main.dol", ChooseDump(o, "", "", "G:\\main.dol", &dump_ini).dol);
  o.dol.clear();
  EXPECT_EQ("G:\\main.dol", ChooseDump(o, "", "", "G:\\main.dol", &dump_ini).dol);
  EXPECT_EQ("", ChooseDump(o, "", "", "", nullptr).disc);  // dump.ini could not be read
}

}  // namespace
