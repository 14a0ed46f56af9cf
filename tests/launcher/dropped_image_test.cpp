// A disc image dropped on the real window: its row shows at once as being checked, the
// window keeps drawing while dtk reads the image, and the verdict replaces the row. The
// window runs in the probe, installed with the stand-in dtk, which waits for a gate file
// so the reading lasts as long as the test needs.
#include <gtest/gtest.h>

#include <string>

#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/scene.h"
#include "tests/support/temp_folder.h"

namespace {

class DroppedImageTest : public testsupport::TempFolderTest {};

TEST_F(DroppedImageTest, TheRowShowsAtOnceAndTheWindowKeepsDrawingUntilTheVerdict) {
  launchertest::Scene scene = launchertest::MakeScene(Path("scene"));
  ASSERT_TRUE(scene.ok);
  const std::string image = Path("images\\Skarvel (USA).rvz");
  testsupport::MakeFolders(Path("images"));
  ASSERT_TRUE(fixtures::MakeDiscImage(image));
  const std::string gate = Path("dtk may go");
  scene.options.env.push_back({"STANDIN_DTK_WAIT_FOR", gate});

  const testsupport::ChildResult r =
      launchertest::RunInScene(scene, {"drop-image", image, gate}, "launcher_probe.exe");
  ASSERT_EQ(0u, r.exit_code) << r.out << r.err;
  const std::string expected[] = {
      "screen: chooser",
      "row 0: checking " + image + " (selected)",
      "frames while judging: ",
      "row 0: ready " + image + " (selected)",
  };
  size_t at = 0;
  for (const std::string& line : expected) {
    const size_t found = r.out.find(line, at);
    ASSERT_NE(std::string::npos, found) << "missing, in order: " << line << "\n" << r.out;
    at = found + line.size();
  }
  EXPECT_EQ(std::string::npos, r.out.find("frames while judging: none")) << r.out;
}

}  // namespace
