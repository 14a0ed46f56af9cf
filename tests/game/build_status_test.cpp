// The build's status: the game executable and the source checkout's revision file.
#include "game/build_status.h"

#include <gtest/gtest.h>

#include "settings/install_layout.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/settings/settings_test_fixture.h"

using testsupport::ScopedEnv;

namespace {

using BuildStatusTest = SettingsTest;

TEST_F(BuildStatusTest, BuiltMeansTheGameExecutableIsAFile) {
  testsupport::WriteFile(Path("game\\KestraneGame.exe"), "MZ");
  {
    ScopedEnv exe("KESTRANE_GAME_EXE", Path("game\\KestraneGame.exe"));
    const BuildStatus s = ReadBuildStatus();
    EXPECT_TRUE(s.built);
    EXPECT_EQ(InstallLayout::FileDate(Path("game\\KestraneGame.exe")), s.built_time);
    EXPECT_EQ("", s.source_ref);  // the test program is not in a source checkout
  }
  ScopedEnv folder("KESTRANE_GAME_EXE", Path("game"));
  EXPECT_FALSE(ReadBuildStatus().built);
  EXPECT_EQ("", ReadBuildStatus().built_time);
}

TEST_F(BuildStatusTest, ASourceCheckoutGivesTheStartOfItsRevision) {
  const std::string probe = Path("port\\build\\probe.exe");
  ASSERT_TRUE(fixtures::AddTool(Path("port\\build"), "probe.exe", "build_status_probe.exe"));
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
