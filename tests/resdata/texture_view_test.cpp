#include "resdata/texture_view.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "tests/resdata/bmp_check.h"
#include "tests/resdata/res_fixture.h"
#include "tests/support/temp_folder.h"

using resfixture::BuildSet;
using resfixture::BuildTocres;
using resfixture::SetContents;

namespace {

class TextureViewTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    SetContents race;
    race.resources = {bmpcheck::SolidTexture("VXO_logo.tm0", 64, 32, 0x7C00),
                      bmpcheck::SolidTexture("VXO_logo.tex", 16, 16, 0x03E0)};
    race.resources[1].resident = false;
    ASSERT_TRUE(testsupport::WriteFile(Path("files/tocres.res"), BuildTocres({})));
    ASSERT_TRUE(testsupport::WriteFile(Path("files/race.res"), BuildSet(race).file));
    ASSERT_TRUE(lib.Open(Path("files")));
  }
  ResourceLibrary lib;
};

TEST_F(TextureViewTest, TheScreenshotShowsTheTextureAndItsSiblingInAPaddedBottomUpBmp) {
  TextureViewRequest request;
  request.texture = "race.res/VXO_logo.TM0";
  request.disc = Path("files");
  request.screenshot = Path("shot.bmp");
  ASSERT_EQ(0, RunTextureView(lib, true, request));

  const std::string bmp = testsupport::ReadFile(Path("shot.bmp"));
  EXPECT_TRUE(bmpcheck::IsBmp24(bmp, 640, 480));
  EXPECT_TRUE(bmpcheck::HasColour(bmp, 255, 0, 0)) << "the texture";
  EXPECT_TRUE(bmpcheck::HasColour(bmp, 0, 255, 0)) << "its .tex sibling";
  EXPECT_FALSE(testsupport::PathExists(Path("shot.bmp.tmp")));
}

TEST_F(TextureViewTest, NothingToShowIsExitStatusOne) {
  TextureViewRequest request;
  request.texture = "missing.res/VXO_logo.tm0";
  request.disc = Path("files");
  EXPECT_EQ(1, RunTextureView(lib, true, request));
  request.texture = "race.res/VXO_logo.tm0";
  EXPECT_EQ(1, RunTextureView(lib, false, request));  // the library did not open
}

TEST_F(TextureViewTest, TheWindowTitleNamesTheTextureAndAnUnverifiedDump) {
  // Watch for the window from another thread while the view runs on this one.
  std::atomic<bool> done{false};
  std::wstring title;
  std::thread watcher([&] {
    while (!done) {
      if (HWND w = FindWindowW(L"SkarvelHost", nullptr)) {
        wchar_t text[256] = {};
        GetWindowTextW(w, text, 256);
        if (text[0]) title = text;
      }
      Sleep(1);
    }
  });
  TextureViewRequest request;
  request.texture = "race.res/VXO_logo.tex";
  request.disc = Path("files");
  request.verified = false;
  request.screenshot = Path("shot.bmp");
  const int status = RunTextureView(lib, true, request);
  done = true;
  watcher.join();
  EXPECT_EQ(0, status);
  EXPECT_EQ(L"Kestrane - phase 0 host - race.res/VXO_logo.tex  [dump UNVERIFIED]", title);
}

TEST(WriteBmp24, RowsArePaddedToFourBytes) {
  testsupport::TempFolder folder;
  std::vector<uint8_t> bgr(641 * 2 * 3, 0x7F);
  ASSERT_TRUE(WriteBmp24(folder.Path("row.bmp"), 641, 2, bgr));
  const std::string bmp = testsupport::ReadFile(folder.Path("row.bmp"));
  EXPECT_EQ(54u + 1924u * 2u, bmp.size());
  EXPECT_EQ(0, bmp[54 + 1923]);     // padding after 641 * 3 = 1923 bytes
  EXPECT_EQ(0x7F, bmp[54 + 1924]);  // the second row starts on the boundary
  EXPECT_FALSE(WriteBmp24(folder.Path("no/such/folder/x.bmp"), 641, 2, bgr));
}

}  // namespace
