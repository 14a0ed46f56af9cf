// Font binding, measuring, wrapping, elision and fitting.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_test_fixture.h"
#include "ui/draw.h"
#include "ui/fonts.h"
#include "ui/text.h"

namespace {

using ui::FontRole;
using uitest::UiTest;

// [SECTION] Binding

// Which families "exist": names, each marked private or installed.
ui::FontCandidate Bind(FontRole role, const std::set<std::wstring>& private_names,
                       const std::set<std::wstring>& system_names) {
  return ui::ChooseFont(role, [&](const ui::FontCandidate& c) {
    return (c.private_collection ? private_names : system_names).count(c.family) > 0;
  });
}

TEST(FontBindingTest, TheBundledFamiliesComeFirst) {
  const std::set<std::wstring> bundled = {L"Barlow Condensed Black", L"Barlow Condensed ExtraBold", L"Barlow Condensed",
                                          L"Barlow Medium", L"Barlow SemiBold", L"Barlow", L"JetBrains Mono"};
  const std::set<std::wstring> windows = {L"Arial", L"Arial Narrow", L"Segoe UI", L"Bahnschrift", L"Consolas"};
  ui::FontCandidate c = Bind(FontRole::Display, bundled, windows);
  EXPECT_STREQ(L"Barlow Condensed Black", c.family);
  EXPECT_EQ(ui::FontStyle::Italic, c.style);
  EXPECT_STREQ(L"Barlow Condensed", Bind(FontRole::Label, bundled, windows).family);
  EXPECT_EQ(ui::FontStyle::Bold, Bind(FontRole::Label, bundled, windows).style);
  EXPECT_STREQ(L"Barlow Medium", Bind(FontRole::Body, bundled, windows).family);
  EXPECT_STREQ(L"Barlow SemiBold", Bind(FontRole::Semibold, bundled, windows).family);
  EXPECT_STREQ(L"Barlow", Bind(FontRole::Bold, bundled, windows).family);
  EXPECT_STREQ(L"JetBrains Mono", Bind(FontRole::Mono, bundled, windows).family);

  // Without the condensed heavies Display falls to the bold italic of the base family.
  c = Bind(FontRole::Display, {L"Barlow Condensed"}, windows);
  EXPECT_STREQ(L"Barlow Condensed", c.family);
  EXPECT_EQ(ui::FontStyle::BoldItalic, c.style);
}

TEST(FontBindingTest, SystemFallbacksAndTheLastResort) {
  const std::set<std::wstring> none;
  const std::set<std::wstring> windows = {L"Arial", L"Arial Narrow", L"Segoe UI", L"Courier New"};
  ui::FontCandidate c = Bind(FontRole::Display, none, windows);
  EXPECT_STREQ(L"Arial Narrow", c.family);
  EXPECT_EQ(ui::FontStyle::BoldItalic, c.style);
  EXPECT_FALSE(c.private_collection);
  EXPECT_STREQ(L"Segoe UI", Bind(FontRole::Body, none, windows).family);
  EXPECT_STREQ(L"Courier New", Bind(FontRole::Mono, none, windows).family);

  // The semi-condensed Bahnschrift face is looked up by its exact 31-character name.
  c = Bind(FontRole::Label, none, {L"Bahnschrift SemiBold SemiConden"});
  EXPECT_EQ(31u, std::wstring(c.family).size());
  EXPECT_EQ(ui::FontStyle::Regular, c.style);

  // A family installed on the system is not taken for a private candidate.
  EXPECT_STREQ(L"Segoe UI", Bind(FontRole::Body, none, {L"Barlow", L"Barlow Medium", L"Segoe UI"}).family);

  for (int role = 0; role < ui::kFontRoleCount; ++role) {
    c = Bind(static_cast<FontRole>(role), none, none);
    EXPECT_STREQ(L"Arial", c.family);
    EXPECT_EQ(ui::FontStyle::Regular, c.style);
  }

  // After its own chain every role takes the system's message font, then Tahoma.
  const auto wine = [](const ui::FontCandidate& f) {
    return std::wstring(f.family) == L"Tahoma" || std::wstring(f.family) == L"MS Shell Dlg";
  };
  for (int role = 0; role < ui::kFontRoleCount; ++role) {
    EXPECT_STREQ(L"MS Shell Dlg", ui::ChooseFont(static_cast<FontRole>(role), wine, L"MS Shell Dlg").family);
    EXPECT_STREQ(L"Tahoma", ui::ChooseFont(static_cast<FontRole>(role), wine, L"Not Installed").family);
  }
}

TEST(FontBindingTest, TheFontsFolderIsInTheCheckoutOrNextToTheLauncher) {
  testsupport::TempFolder temp;
  const std::string checkout = temp.Path("checkout");
  testsupport::MakeFolders(checkout + "\\assets\\fonts");
  EXPECT_EQ(checkout + "\\assets\\fonts", ui::FontsDirectory(checkout, "C:\\Games\\Kestrane\\"));
  EXPECT_EQ("C:\\Games\\Kestrane\\fonts", ui::FontsDirectory("", "C:\\Games\\Kestrane\\"));
  // A game source without the launcher's assets: the fonts that came with the launcher.
  EXPECT_EQ("C:\\Games\\Kestrane\\fonts", ui::FontsDirectory(temp.Path("source"), "C:\\Games\\Kestrane\\"));
}

TEST(FontBindingTest, TheBundledFilesBindEveryRole) {
  EXPECT_EQ(L"Barlow Condensed Black", ui::FontName(FontRole::Display));
  EXPECT_EQ(L"Barlow Condensed", ui::FontName(FontRole::Label));
  EXPECT_EQ(L"Barlow Medium", ui::FontName(FontRole::Body));
  EXPECT_EQ(L"Barlow SemiBold", ui::FontName(FontRole::Semibold));
  EXPECT_EQ(L"Barlow", ui::FontName(FontRole::Bold));
  EXPECT_EQ(L"JetBrains Mono", ui::FontName(FontRole::Mono));
  EXPECT_EQ(ui::GetFont(FontRole::Body, 14.01f), ui::GetFont(FontRole::Body, 14.0f));  // same eighth
  EXPECT_NE(ui::GetFont(FontRole::Body, 14.2f), ui::GetFont(FontRole::Body, 14.0f));
}

class FontLogTest : public testsupport::TempFolderTest {};

TEST_F(FontLogTest, StartUpListsThePrivateFamiliesWhenAsked) {
  const std::string probe = testsupport::BinDir() + "font_probe.exe";
  testsupport::ChildOptions options;
  options.env.push_back({"KESTRANE_FONTLOG", "1"});
  testsupport::ChildResult r = testsupport::RunChild(probe, {uitest::BuiltFontsDir()}, options);
  ASSERT_TRUE(r.started);
  EXPECT_EQ(0u, r.exit_code);
  EXPECT_NE(std::string::npos, r.out.find("font family 'Barlow Condensed': regular 0 bold 1 italic 0 bolditalic 1\n"))
      << r.out;
  EXPECT_NE(std::string::npos, r.out.find("font family 'JetBrains Mono': regular 1 bold 0 italic 0 bolditalic 0\n"));
  EXPECT_NE(std::string::npos, r.out.find("role 0: Barlow Condensed Black\n"));

  // No log without the variable; a missing folder silently falls back along the chains.
  testsupport::ChildResult quiet = testsupport::RunChild(probe, {Path("no fonts here")});
  EXPECT_EQ(0u, quiet.exit_code);
  EXPECT_EQ(std::string::npos, quiet.out.find("font family"));
  EXPECT_EQ(std::string::npos, quiet.out.find("Barlow")) << quiet.out;
  // Every role still has a family, so text shows: a Wine prefix has none of the chains'.
  for (int role = 0; role < ui::kFontRoleCount; ++role)
    EXPECT_EQ(std::string::npos, quiet.out.find("role " + std::to_string(role) + ": \n")) << quiet.out;
}

// [SECTION] Measuring and drawing

class TextTest : public UiTest {
 protected:
  // Runs body inside a frame, where measuring is possible.
  template <typename Body>
  void InFrame(Body body) {
    Frame(ui::Input(), body);
  }
};

TEST_F(TextTest, SpacedWidthAddsTheSpacingBetweenCharactersOnly) {
  InFrame([] {
    const float a = ui::MeasureText(L"A", FontRole::Label, 10);
    const float b = ui::MeasureText(L"B", FontRole::Label, 10);
    EXPECT_GT(a, 0);
    EXPECT_NEAR(a + b + 1.2f, ui::MeasureTextSpaced(L"AB", FontRole::Label, 10, 0.12f), 1e-4);
    EXPECT_FLOAT_EQ(ui::MeasureText(L"AB", FontRole::Label, 10), ui::MeasureTextSpaced(L"AB", FontRole::Label, 10, 0));
    EXPECT_FLOAT_EQ(0, ui::MeasureTextSpaced(L"", FontRole::Label, 10, 0.5f));
    // A character outside the basic plane is one character, not two halves.
    const std::wstring face = L"\U0001F600";
    EXPECT_NEAR(ui::MeasureText(face, FontRole::Body, 10) + ui::MeasureText(L"B", FontRole::Body, 10) + 1.0f,
                ui::MeasureTextSpaced(face + L"B", FontRole::Body, 10, 0.1f), 1e-4);
  });
}

TEST_F(TextTest, AlignmentPutsTheMeasuredTextBesideItsAnchor) {
  float w = 0;
  InFrame([&] { w = ui::DrawText(L"KESTRANE", FontRole::Display, 40, 600, 300, 0xFFFFFFFF, ui::kAlignRight, 0.1f); });
  auto painted_columns = [&](int from, int to) {
    int n = 0;
    for (int x = from; x < to; ++x)
      for (int y = 300; y < 348; ++y)
        if (Pixel(x, y) != 0) {
          ++n;
          break;
        }
    return n;
  };
  EXPECT_GT(w, 100);
  EXPECT_EQ(0, painted_columns(604, 700));
  EXPECT_GT(painted_columns(static_cast<int>(600 - w), 600), w * 0.6);
  EXPECT_EQ(0, painted_columns(0, static_cast<int>(600 - w) - 6));
  // The line box starts at y: nothing above it.
  for (int x = 400; x < 600; ++x) EXPECT_EQ(0u, Pixel(x, 296)) << x;
}

TEST_F(TextTest, WrappingIsGreedyAndKeepsBlankLines) {
  auto tens = [](const std::wstring& s) { return 10.0f * static_cast<float>(s.size()); };
  EXPECT_EQ((std::vector<std::wstring>{L"aa bb", L"cc"}), ui::WrapLines(L"aa bb cc", 50, tens));
  EXPECT_EQ((std::vector<std::wstring>{L"a", L"", L"b"}), ui::WrapLines(L"a\n\nb", 500, tens));
  EXPECT_EQ((std::vector<std::wstring>{L"x", L"overlong", L"y"}), ui::WrapLines(L"x overlong y", 40, tens));
  EXPECT_EQ((std::vector<std::wstring>{L"end"}), ui::WrapLines(L"end\n", 500, tens));
  EXPECT_TRUE(ui::WrapLines(L"", 500, tens).empty());

  InFrame([] {
    EXPECT_FLOAT_EQ(3 * 18 * 1.45f, ui::DrawWrapped(L"a\n\nb", FontRole::Body, 18, 0, 0, 600, 0xFFFFFFFF, 1.45f, false));
    const float one = ui::MeasureText(L"Your disc", FontRole::Body, 18);
    EXPECT_FLOAT_EQ(2 * 18 * 1.5f, ui::DrawWrapped(L"Your disc checks", FontRole::Body, 18, 0, 0, one + 1, 0xFFFFFFFF, 1.5f, false));
  });
}

TEST_F(TextTest, LeftElisionKeepsTheLongestTailThatFits) {
  InFrame([] {
    const std::wstring path = L"C:\\Users\\player\\Downloads\\Skarvel dump\\files\\sys\\main.dol";
    const float full = ui::MeasureText(path, FontRole::Body, 14);
    EXPECT_EQ(path, ui::ElideLeft(path, FontRole::Body, 14, full));

    const float max = full * 0.5f;
    const std::wstring elided = ui::ElideLeft(path, FontRole::Body, 14, max);
    ASSERT_EQ(L'\u2026', elided[0]);
    const std::wstring tail = elided.substr(1);
    EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
    EXPECT_LE(ui::MeasureText(elided, FontRole::Body, 14), max);
    const std::wstring one_more = L"\u2026" + path.substr(path.size() - tail.size() - 1);
    EXPECT_GT(ui::MeasureText(one_more, FontRole::Body, 14), max);

    EXPECT_EQ(L"\u2026", ui::ElideLeft(path, FontRole::Body, 14, 1));
  });
}

TEST_F(TextTest, ElisionNeverSplitsACharacterOutsideTheBasicPlane) {
  std::wstring faces = L"ab";
  for (int i = 0; i < 12; ++i) faces += L"\U0001F600";
  InFrame([&] {
    const float face = ui::MeasureText(L"\U0001F600", FontRole::Body, 14);
    const float dots = ui::MeasureText(L"\u2026", FontRole::Body, 14);
    ASSERT_GT(face, 0);
    for (float room = dots; room < dots + 12 * face; room += face / 3) {
      const std::wstring elided = ui::ElideLeft(faces, FontRole::Body, 14, room);
      ASSERT_EQ(L'\u2026', elided[0]);
      ASSERT_EQ(1u, elided.size() % 2) << "a half of a pair at " << room;
      for (size_t i = 1; i < elided.size(); i += 2) EXPECT_EQ(L"\U0001F600", elided.substr(i, 2)) << room;
    }
  });
}

TEST_F(TextTest, AnotherScaleMeasuresAfresh) {
  // Hinting makes widths depend on the scale the text is drawn at, so widths measured at
  // one window size are wrong at another.
  const std::wstring link = L"Change where the game files live";
  auto measure = [&](int width, int height) {
    Resize(width, height);
    float w = 0;
    InFrame([&] { w = ui::MeasureText(link, FontRole::Semibold, 15); });
    return w;
  };
  ui::ForgetTextWidths();
  const float big = measure(1920, 1080);
  ui::ForgetTextWidths();
  const float small = measure(1280, 720);
  ASSERT_NE(small, big) << "the measurement does not depend on the scale here";
  EXPECT_EQ(big, measure(1920, 1080));
  EXPECT_EQ(small, measure(1280, 720));
}

TEST_F(TextTest, FitSizeShrinksOnlyWhatIsTooWide) {
  InFrame([] {
    const std::wstring title = L"Welcome back, driver.";
    const float w = ui::MeasureTextSpaced(title, FontRole::Display, 64, 0.05f);
    EXPECT_FLOAT_EQ(64, ui::FitTextSize(title, FontRole::Display, 64, w + 1, 0.05f));
    const float fitted = ui::FitTextSize(title, FontRole::Display, 64, w / 2, 0.05f);
    EXPECT_FLOAT_EQ(32, fitted);
    EXPECT_NEAR(w / 2, ui::MeasureTextSpaced(title, FontRole::Display, fitted, 0.05f), w * 0.03);
  });
}

TEST_F(TextTest, ALineDrawnAgainIsPutFromALayerOnTheSamePixels) {
  struct Case {
    int width, height;
    const wchar_t* text;
    FontRole role;
    float size, x, spacing;
    ui::Color color;
  };
  const Case cases[] = {
      {1280, 720, L"Wii disc, USA (RKVE01)", FontRole::Body, 18, 298.4f, 0, 0xFFF4EFFB},
      {1280, 720, L"YOUR GAME", FontRole::Label, 14, 110.7f, 0.2f, 0xD9A99BC6},  // spaced and translucent
      {1000, 720, L"Welcome back, driver.", FontRole::Display, 52, 84, 0, 0xFFFFC22E},
      {1920, 1080, L"C:\\Users\\Zo\u00eb \u2026 sys", FontRole::Mono, 12, 500.2f, 0, 0xFF4CC4FF},
      {1280, 720, L"Jeff\u00c9", FontRole::Display, 64, 600, 0, 0xFFFFFFFF},  // reaching past its advance
  };
  for (const Case& c : cases) {
    Resize(c.width, c.height);
    auto draw = [&](ui::Color color, float shift = 0) {
      Frame(ui::Input(), [&] {
        ui::FillRect(0, 180, 1280, 120, 0xFF3B2B5B);
        ui::DrawText(c.text, c.role, c.size, c.x + shift, 200, color, ui::kAlignLeft, c.spacing);
      });
      std::vector<uint32_t> pixels;
      for (int y = 0; y < surface_->height(); y += 1)
        for (int x = 0; x < surface_->width(); x += 1) pixels.push_back(Pixel(x, y));
      return pixels;
    };
    const size_t layers = ui::TextLayerCount();
    const std::vector<uint32_t> direct = draw(c.color);  // first sighting: drawn directly
    EXPECT_EQ(layers, ui::TextLayerCount()) << c.text;
    EXPECT_TRUE(draw(c.color) == direct) << c.text;  // second: its layer is made
    EXPECT_EQ(layers + 1, ui::TextLayerCount()) << c.text;
    EXPECT_TRUE(draw(c.color) == direct) << c.text;  // and put again
    EXPECT_EQ(layers + 1, ui::TextLayerCount()) << c.text;
    if (c.width == 1280) {  // whole pixels further right: the same layer, moved
      const std::vector<uint32_t> moved = draw(c.color, 3);
      EXPECT_EQ(layers + 1, ui::TextLayerCount()) << c.text;
      int wrong = 0;
      for (size_t row = 0; row < direct.size(); row += size_t(c.width))
        wrong += !std::equal(direct.begin() + row, direct.begin() + row + c.width - 3, moved.begin() + row + 3);
      EXPECT_EQ(0, wrong) << c.text;
    }
    // The same line in another colour is another line.
    const std::vector<uint32_t> other = draw(ui::Mix(c.color, 0xFF000000, 0.5f));
    EXPECT_FALSE(other == direct) << c.text;
    EXPECT_TRUE(draw(ui::Mix(c.color, 0xFF000000, 0.5f)) == other) << c.text;
  }
}

TEST_F(TextTest, ALineFromALayerKeepsToTheClip) {
  auto draw = [&] {
    Frame(ui::Input(), [] { ui::DrawText(L"Kestrane 0.1.0", FontRole::Display, 40, 100, 100, 0xFFFFFFFF); });
  };
  draw();
  draw();  // now in a layer
  const int half[1][4] = {{100, 90, 90, 80}};
  surface_->Clear(0xFF000000);
  surface_->ClipTo(half, 1);
  draw();
  surface_->ClipTo(nullptr, 0);
  int inside = 0, outside = 0;
  for (int y = 80; y < 160; ++y)
    for (int x = 90; x < 400; ++x)
      if (Pixel(x, y) != 0) (x >= 100 && x < 190 && y >= 90 && y < 170 ? inside : outside)++;
  EXPECT_GT(inside, 100);
  EXPECT_EQ(0, outside);
}

TEST_F(TextTest, TheWidthCacheIsEmptiedAtTheTwentyThousandAndFirstString) {
  InFrame([] {
    ui::ForgetTextWidths();
    const float first = ui::MeasureText(L"0", FontRole::Mono, 12);
    EXPECT_FLOAT_EQ(first, ui::MeasureText(L"0", FontRole::Mono, 12));
    EXPECT_EQ(1u, ui::TextWidthCacheSize());
    // The same string at another role or eighth of a unit is another entry.
    ui::MeasureText(L"0", FontRole::Mono, 12.125f);
    ui::MeasureText(L"0", FontRole::Body, 12);
    EXPECT_EQ(3u, ui::TextWidthCacheSize());
    for (int i = 3; i < 20000; ++i) ui::MeasureText(std::to_wstring(i), FontRole::Mono, 12);
    EXPECT_EQ(20000u, ui::TextWidthCacheSize());
    ui::MeasureText(L"0", FontRole::Mono, 12);  // cached: nothing changes
    EXPECT_EQ(20000u, ui::TextWidthCacheSize());
    ui::MeasureText(L"one more", FontRole::Mono, 12);
    EXPECT_EQ(1u, ui::TextWidthCacheSize());
  });
}

TEST(Utf8Test, ConvertsAndKeepsEmptyEmpty) {
  EXPECT_EQ(L"", ui::Utf8ToWide(""));
  EXPECT_EQ(L"Zo\u00eb \u2026", ui::Utf8ToWide("Zo\xC3\xAB \xE2\x80\xA6"));
}

}  // namespace
