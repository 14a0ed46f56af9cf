#include "resdata/texture_view.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "tests/resdata/res_fixture.h"
#include "tests/support/temp_folder.h"

using resfixture::BuildSet;
using resfixture::BuildTex;
using resfixture::BuildTocres;
using resfixture::Resource;
using resfixture::SetSpec;
using resfixture::TexSpec;

namespace {

uint32_t Le32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(s[at + size_t(i)]);
  return v;
}

// A solid RGB5A3 texture of one opaque colour (5 bits each).
Resource Solid(const std::string& name, uint16_t w, uint16_t h, uint16_t rgb555) {
  TexSpec spec;
  spec.width = w;
  spec.height = h;
  spec.format = 70;
  const uint16_t texel = uint16_t(0x8000 | rgb555);
  for (uint64_t i = 0; i < GxDataSize(GxType::kRGB5A3, w, h) / 2; ++i) {
    spec.texels.push_back(char(texel >> 8));
    spec.texels.push_back(char(texel & 0xFF));
  }
  Resource r;
  r.name = name;
  r.type = resfixture::kTex;
  r.version = 15;
  r.bytes = BuildTex(spec);
  return r;
}

// Whether a bottom-up 24-bit BMP holds a pixel of this colour.
bool HasColour(const std::string& bmp, uint8_t r, uint8_t g, uint8_t b) {
  const uint32_t width = Le32(bmp, 18), height = Le32(bmp, 22);
  const size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
  for (size_t y = 0; y < height; ++y)
    for (size_t x = 0; x < width; ++x) {
      const size_t at = 54 + y * row + x * 3;
      if (uint8_t(bmp[at]) == b && uint8_t(bmp[at + 1]) == g && uint8_t(bmp[at + 2]) == r) return true;
    }
  return false;
}

class TextureViewTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    SetSpec race;
    race.resources = {Solid("VXO_logo.tm0", 64, 32, 0x7C00), Solid("VXO_logo.tex", 16, 16, 0x03E0)};
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
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ("BM", bmp.substr(0, 2));
  const uint32_t width = Le32(bmp, 18), height = Le32(bmp, 22);
  EXPECT_EQ(640u, width);
  EXPECT_EQ(480u, height);
  EXPECT_EQ(54u, Le32(bmp, 10));
  EXPECT_EQ(40u, Le32(bmp, 14));
  EXPECT_EQ(0x00180001u, Le32(bmp, 26));  // 1 plane, 24 bits
  EXPECT_EQ(0u, Le32(bmp, 30));           // no compression
  const size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
  EXPECT_EQ(row * height, Le32(bmp, 34));
  EXPECT_EQ(54 + row * height, Le32(bmp, 2));
  EXPECT_EQ(54 + row * height, bmp.size());
  EXPECT_TRUE(HasColour(bmp, 255, 0, 0)) << "the texture";
  EXPECT_TRUE(HasColour(bmp, 0, 255, 0)) << "its .tex sibling";
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
