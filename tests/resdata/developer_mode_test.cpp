// Kestrane.exe's developer viewer and scan, run as a child against fixture dumps.
#include <gtest/gtest.h>

#include "tests/fixtures/dump_fixture.h"
#include "tests/resdata/bmp_check.h"
#include "tests/resdata/res_fixture.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"

using resfixture::BuildSet;
using resfixture::BuildTocres;
using resfixture::SetContents;
using testsupport::ChildResult;

namespace {

testing::AssertionResult Has(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

class DeveloperModeTest : public testsupport::TempFolderTest {
 protected:
  // A verified dump whose race.res holds a red VXO_logo.tm0 and a green VXO_logo.tex.
  fixtures::MadeDump MakeDump(const std::string& name, fixtures::DumpContents contents = {}) {
    SetContents race;
    race.resources = {bmpcheck::SolidTexture("VXO_logo.tm0", 64, 32, 0x7C00),
                      bmpcheck::SolidTexture("VXO_logo.tex", 16, 16, 0x03E0)};
    contents.files.insert(contents.files.begin(), {{"tocres.res", BuildTocres({})}, {"race.res", BuildSet(race).file}});
    return fixtures::MakeDump(Path(name), contents);
  }
  ChildResult Run(const std::vector<std::string>& args, const std::string& skarvel_disc = "") {
    if (exe_.empty()) exe_ = fixtures::MakeInstall(Path("install"));
    testsupport::ChildOptions options = fixtures::LauncherOptions(Path("profile"));
    options.env.push_back({"SKARVEL_DISC", skarvel_disc});
    ChildResult r = testsupport::RunChild(exe_, args, options);
    EXPECT_TRUE(r.started);
    return r;
  }
  static std::string DumpLine(const std::string& digest, const char* verdict) {
    return "Kestrane - Decomp Project\nDump: Wii (USA), RKVE01  main.dol sha1 " + digest + "  " + verdict + "\n";
  }
  std::string exe_;
};

TEST_F(DeveloperModeTest, TheViewShowsTheTextureAndItsSiblingAndSavesTheScreenshot) {
  fixtures::MadeDump dump = MakeDump("dump");
  ChildResult r = Run({"--viewer", "--disc", dump.files_dir, "--screenshot", Path("out.bmp")});
  EXPECT_EQ(0u, r.exit_code) << r.err;
  EXPECT_EQ(0u, r.out.find(DumpLine(fixtures::kFixtureMainDolSha1, "VERIFIED"))) << r.out;
  EXPECT_TRUE(Has(r.out, "race.res/VXO_logo.tm0          64x32   format 0x46 RGB5A3         lods 1 wrap 0/0\n"
                         "race.res/VXO_logo.tex          16x16   format 0x46 RGB5A3         lods 1 wrap 0/0\n"
                         "  res: loading tocres.res\n  res: loading race.res\nGL: "));
  EXPECT_TRUE(Has(r.out, "saved " + Path("out.bmp") + "\n"));
  const std::string bmp = testsupport::ReadFile(Path("out.bmp"));
  EXPECT_TRUE(bmpcheck::IsBmp24(bmp, 640, 480));
  EXPECT_TRUE(bmpcheck::HasColour(bmp, 255, 0, 0));
  EXPECT_TRUE(bmpcheck::HasColour(bmp, 0, 255, 0));
}

TEST_F(DeveloperModeTest, TheDumpComesFromTheCommandLineEnvironmentLauncherIniOrDumpIni) {
  fixtures::MadeDump dump = MakeDump("dump");
  const std::string verified = DumpLine(fixtures::kFixtureMainDolSha1, "VERIFIED");
  EXPECT_EQ(0u, Run({"--scan", "--disc", dump.files_dir}, Path("nowhere")).out.find(verified));
  EXPECT_EQ(0u, Run({"--scan"}, dump.files_dir).out.find(verified));

  ChildResult none = Run({"--viewer"});
  EXPECT_EQ(2u, none.exit_code);
  EXPECT_EQ("No dump configured. Run tools/import <your extracted disc folder> first, or pass --disc <files dir>\n",
            none.err);

  ASSERT_TRUE(testsupport::WriteFile(Path("install/Kestrane.ini"), "disc=" + dump.files_dir + "  \r\n"));
  EXPECT_EQ(0u, Run({"--scan"}).out.find(verified));
  ASSERT_TRUE(testsupport::WriteFile(Path("install/Kestrane.ini"), ""));

  // dump.ini names a main.dol of its own, which is the one hashed.
  ASSERT_TRUE(testsupport::WriteFile(Path("other.dol"), fixtures::OtherMainDol()));
  ASSERT_TRUE(testsupport::WriteFile(Path("profile/local/Kestrane/dump.ini"),
                                     "disc=" + dump.files_dir + "\ndol=" + Path("other.dol") + "\n"));
  ChildResult from_dump_ini = Run({"--scan"});
  EXPECT_EQ(3u, from_dump_ini.exit_code);
  EXPECT_TRUE(Has(from_dump_ini.err, "at " + Path("other.dol") + ")"));
}

TEST_F(DeveloperModeTest, AnUnverifiedDumpStopsUnlessAllowed) {
  fixtures::DumpContents other;
  other.main_dol = fixtures::OtherMainDol();
  fixtures::MadeDump dump = MakeDump("other", other);
  ChildResult stopped = Run({"--scan", "--disc", dump.files_dir});
  EXPECT_EQ(3u, stopped.exit_code);
  EXPECT_EQ("This dump is not the supported Wii (USA), RKVE01 retail disc (expected main.dol sha1 " +
                std::string(fixtures::kFixtureMainDolSha1) + " at " + dump.files_dir +
                "\\..\\sys\\main.dol).\nUse --dol to point at its main.dol, or --allow-unverified to try anyway.\n",
            stopped.err);
  ChildResult allowed = Run({"--scan", "--allow-unverified", "--disc", dump.files_dir});
  EXPECT_EQ(0u, allowed.exit_code);
  EXPECT_TRUE(Has(allowed.out, "  UNVERIFIED\n"));

  fixtures::DumpContents no_dol;
  no_dol.main_dol = std::nullopt;
  fixtures::MadeDump missing = MakeDump("nodol", no_dol);
  EXPECT_EQ(0u, Run({"--scan", "--disc", missing.files_dir}).out.find(DumpLine("(not found)", "UNVERIFIED")));
}

TEST_F(DeveloperModeTest, UsageErrorsExitWithTwo) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--viewer", "--tex"}, {"--viewer", "--x"}}) {
    ChildResult r = Run(args);
    EXPECT_EQ(2u, r.exit_code);
    EXPECT_EQ(0u, r.err.find(args[1] == "--tex" ? "--tex needs a value after it.\n\nusage: Kestrane [MODE]\n"
                                                 : "Unknown argument: --x\n\nusage: Kestrane [MODE]\n"))
        << r.err;
    EXPECT_EQ("", r.out);
  }
}

TEST_F(DeveloperModeTest, TheScanReportsOnlyFailuresThenTheSummary) {
  fixtures::MadeDump clean = MakeDump("clean");
  ChildResult ok = Run({"--scan", "--disc", clean.files_dir});
  EXPECT_EQ(0u, ok.exit_code);
  EXPECT_EQ(DumpLine(fixtures::kFixtureMainDolSha1, "VERIFIED") +
                "\nsets 2 (failed 0), TEX decoded 2, failed 0\n  format 0x46: 2\n",
            ok.out);

  SetContents broken;
  broken.resources = {bmpcheck::SolidTexture("cut.tex", 8, 8, 0)};
  broken.resources[0].bytes.resize(40);  // the descriptor is whole, the texels are cut
  SetContents bad_header;
  bad_header.cookie = 0;
  fixtures::DumpContents contents;
  contents.files = {{"menu.car", BuildSet(broken).file}, {"zz.sng", BuildSet(bad_header).file}};
  fixtures::MadeDump dump = MakeDump("broken", contents);
  ChildResult failed = Run({"--scan", "--disc", dump.files_dir});
  EXPECT_EQ(1u, failed.exit_code);
  EXPECT_EQ(DumpLine(fixtures::kFixtureMainDolSha1, "VERIFIED") +
                "TEX FAIL menu.car/cut.tex: texel data out of range\nSET FAIL zz.sng\n"
                "\nsets 4 (failed 1), TEX decoded 2, failed 1\n  format 0x46: 2\n",
            failed.out);

  // A library that does not open: nothing to scan, and no texture nobody asked for.
  fixtures::DumpContents no_tocres;
  no_tocres.files = {{"tocres.res", "not a set"}};
  fixtures::MadeDump unopened = MakeDump("unopened", no_tocres);
  ChildResult unread = Run({"--scan", "--disc", unopened.files_dir});
  EXPECT_EQ(1u, unread.exit_code);
  EXPECT_EQ("Could not open the resource sets in " + unopened.files_dir + ", so there is nothing to scan.\n",
            unread.err);
}

}  // namespace
