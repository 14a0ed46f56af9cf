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

// A decoded texture of one opaque colour (0xRRGGBB).
DecodedTexture Solid(int width, int height, uint32_t rgb) {
  DecodedTexture t;
  t.width = width;
  t.height = height;
  for (int i = 0; i < width * height; ++i)
    t.pixels.insert(t.pixels.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255});
  return t;
}

// Expects colour inside the pixel rectangle [x0, x1) x [y0, y1) and black just outside it.
void ExpectPlaced(const std::string& bmp, int x0, int y0, int x1, int y1, uint32_t rgb, const char* what) {
  for (auto [x, y] : {std::pair{x0, y0}, {x1 - 1, y0}, {x0, y1 - 1}, {x1 - 1, y1 - 1}, {(x0 + x1) / 2, (y0 + y1) / 2}})
    EXPECT_EQ(rgb, bmpcheck::ColourAt(bmp, uint32_t(x), uint32_t(y))) << what << " at " << x << "," << y;
  const int mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
  for (auto [x, y] : {std::pair{x0 - 1, my}, {x1, my}, {mx, y0 - 1}, {mx, y1}})
    EXPECT_EQ(0u, bmpcheck::ColourAt(bmp, uint32_t(x), uint32_t(y))) << "beside " << what << " at " << x << "," << y;
}

TEST(TextureWindowTest, TheFirstTextureFillsTheTopCentredAndTheOthersLineUpAlongTheBottom) {
  testsupport::TempFolder folder;
  // In 640 x 480 the first texture fits 608 x 384 (width - 32, height - 96), centred across
  // and in the top 384 rows, then moved 8 down. Thumbnails are at most 80 high, from x 8,
  // 8 apart, their bottoms 8 above the window's.
  const std::vector<DecodedTexture> wide = {Solid(64, 32, 0xFF0000), Solid(200, 160, 0x00FF00),
                                            Solid(30, 40, 0x0000FF)};
  ASSERT_EQ(0, ShowTexturesInWindow(wide, "layout", folder.Path("wide.bmp")));
  const std::string bmp = testsupport::ReadFile(folder.Path("wide.bmp"));
  ASSERT_TRUE(bmpcheck::IsBmp24(bmp, 640, 480));
  ExpectPlaced(bmp, 16, 48, 624, 352, 0xFF0000, "64 x 32 at 9.5 times");   // (384 - 304) / 2 + 8 = 48
  ExpectPlaced(bmp, 8, 392, 108, 472, 0x00FF00, "200 x 160 as 100 x 80");
  ExpectPlaced(bmp, 116, 432, 146, 472, 0x0000FF, "30 x 40 as it is");

  const std::vector<DecodedTexture> tall = {Solid(16, 64, 0xFFFF00)};
  ASSERT_EQ(0, ShowTexturesInWindow(tall, "layout", folder.Path("tall.bmp")));
  ExpectPlaced(testsupport::ReadFile(folder.Path("tall.bmp")), 272, 8, 368, 392, 0xFFFF00, "16 x 64 at 6 times");
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
