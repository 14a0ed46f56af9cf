// "--ui-shot" as a script runs it: the bitmap's exact layout, the printed lines, the exit
// codes, and the same picture for the same state.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "tests/fixtures/dump_fixture.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"

namespace {

class UiShotTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override { options_ = fixtures::LauncherOptions(Path("profile")); }
  testsupport::ChildResult Shot(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--ui-shot"};
    all.insert(all.end(), args.begin(), args.end());
    testsupport::ChildResult r = testsupport::RunChild(fixtures::TestLauncherExe(), all, options_);
    EXPECT_TRUE(r.started);
    EXPECT_FALSE(r.timed_out);
    return r;
  }
  testsupport::ChildOptions options_;
};

uint32_t U32(const std::string& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
uint16_t U16(const std::string& b, size_t at) {
  uint16_t v;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}

TEST_F(UiShotTest, HomeWithoutASizeIsA1280By720TopDownBitmap) {
  testsupport::ChildResult r = Shot({"home", Path("home.bmp")});
  ASSERT_EQ(0u, r.exit_code) << r.out << r.err;
  const std::string b = testsupport::ReadFile(Path("home.bmp"));
  ASSERT_EQ(3686454u, b.size());
  EXPECT_EQ("BM", b.substr(0, 2));
  EXPECT_EQ(3686454u, U32(b, 2));
  EXPECT_EQ(0u, U32(b, 6));
  EXPECT_EQ(54u, U32(b, 10));
  EXPECT_EQ(40u, U32(b, 14));
  EXPECT_EQ(1280u, U32(b, 18));
  EXPECT_EQ(static_cast<uint32_t>(-720), U32(b, 22));
  EXPECT_EQ(1u, U16(b, 26));
  EXPECT_EQ(32u, U16(b, 28));
  EXPECT_EQ(0u, U32(b, 30));
  EXPECT_EQ(1280u * 720u * 4u, U32(b, 34));
  EXPECT_EQ(std::string(16, '\0'), b.substr(38, 16));
  // The top row is the top bar (dark), not the kerb strip at the bottom of the picture.
  const uint8_t* top_left = reinterpret_cast<const uint8_t*>(b.data() + 54);
  EXPECT_LT(top_left[0] + top_left[1] + top_left[2], 3 * 80);
  EXPECT_NE(std::string::npos, r.out.find("saved " + Path("home.bmp") + " (fonts: Barlow Condensed"));
  EXPECT_NE(std::string::npos, r.out.find("\ndump: configured 0 found 0 verified 0 imported 0 () built 0; settings "));
}

TEST_F(UiShotTest, TheSameStateGivesTheSameBytes) {
  options_.env.push_back({"KESTRANE_TRUCKRUN_T", "3.2"});
  testsupport::ChildResult a = Shot({"home", Path("a.bmp"), "640", "360"});
  testsupport::ChildResult b = Shot({"home", Path("b.bmp"), "640", "360"});
  ASSERT_EQ(0u, a.exit_code);
  ASSERT_EQ(0u, b.exit_code);
  EXPECT_EQ(0u, a.out.find("truck run after 3.2 s: ")) << a.out;
  EXPECT_EQ(testsupport::ReadFile(Path("a.bmp")), testsupport::ReadFile(Path("b.bmp")));
  EXPECT_EQ(54u + 640u * 360u * 4u, testsupport::ReadFile(Path("a.bmp")).size());
}

TEST_F(UiShotTest, BadRequestsFailWithTheirOwnCodes) {
  testsupport::ChildResult unknown = Shot({"hom", Path("x.bmp")});
  EXPECT_EQ(2u, unknown.exit_code);
  EXPECT_EQ("unknown screen hom\nScreens: home, disc, firstrun, settings:files, settings:display, settings:graphics, "
            "settings:audio, settings:controls, settings:language, settings:builds, settings:logs, settings:about\n",
            unknown.err);
  EXPECT_FALSE(testsupport::PathExists(Path("x.bmp")));

  testsupport::ChildResult unwritable = Shot({"home", Path("no such folder\\x.bmp")});
  EXPECT_EQ(1u, unwritable.exit_code);
  EXPECT_EQ(0u, unwritable.out.find("could not write " + Path("no such folder\\x.bmp") + " (fonts: ")) << unwritable.out;
  EXPECT_EQ("could not write " + Path("no such folder\\x.bmp") + ": the folder " + Path("no such folder") +
                " doesn't exist\n",
            unwritable.err);
  testsupport::MakeFolders(Path("a folder.bmp"));
  EXPECT_EQ("could not write " + Path("a folder.bmp") + ": it is a folder\n", Shot({"home", Path("a folder.bmp")}).err);

  // Sizes that would divide by zero or ask for gigabytes are refused before anything is drawn.
  const std::pair<const char*, const char*> sizes[] = {{"0", "300"},  {"-5", "300"}, {"16385", "300"}, {"width", "300"},
                                                       {"300", "0"}, {"300", "-5"}, {"300", "16385"}};
  for (const auto& [w, h] : sizes) {
    SCOPED_TRACE(std::string(w) + " x " + h);
    testsupport::ChildResult r = Shot({"home", Path("s.bmp"), w, h});
    EXPECT_EQ(2u, r.exit_code);
    EXPECT_NE(std::string::npos, r.err.find("1 to 16384")) << r.err;
    EXPECT_FALSE(testsupport::PathExists(Path("s.bmp")));
  }
  EXPECT_EQ(0u, Shot({"settings:nope", Path("s.bmp"), "16", "9"}).exit_code);
}

}  // namespace
