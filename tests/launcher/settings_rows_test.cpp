// The settings rows' logic and the option lists taken from the system, without a window.
#include <gtest/gtest.h>

#include "launcher/settings_options.h"
#include "launcher/settings_rows.h"

namespace {

const std::vector<SettingOption> kModes = {{"windowed", L"Windowed"}, {"borderless", L"Borderless"},
                                           {"fullscreen", L"Fullscreen"}};

TEST(SettingsRowLogic, TheSelectedOptionIsTheStoredValueElseTheDefaultElseTheFirst) {
  struct Case {
    const char* current;
    const char* def;
    int index;
  };
  const Case cases[] = {
      {"fullscreen", "borderless", 2},
      {"Fullscreen", "borderless", 1},  // values compare exactly
      {"weird", "borderless", 1},
      {"", "borderless", 1},
      {"weird", "also weird", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.index, SegmentedIndex(kModes, c.current, c.def)) << c.current << " / " << c.def;
  EXPECT_EQ(0, SegmentedIndex({}, "x", "y"));
}

TEST(SettingsRowLogic, ASelectorFindsItsValueExactlyElseShowsTheFirst) {
  const std::vector<std::string> values = {"desktop", "1920x1080", "1280x720"};
  EXPECT_EQ(1, SelectorIndex(values, "1920x1080"));
  EXPECT_EQ(0, SelectorIndex(values, "1920X1080"));
  EXPECT_EQ(0, SelectorIndex(values, "800x600"));
  EXPECT_EQ(0, SelectorIndex({}, "desktop"));
}

TEST(SettingsRowLogic, ASliderWritesValuesOnItsGridInsideItsRange) {
  struct Case {
    int before, moved, max, step, written;
  };
  const Case cases[] = {
      {80, 85, 100, 5, 85},    // a step from the grid
      {80, 40, 100, 5, 40},    // a drag lands on the grid
      {83, 88, 100, 5, 85},    // the game's menu wrote 83: Right goes to the next grid value
      {83, 78, 100, 5, 80},    // and Left to the one before
      {98, 108, 100, 5, 100},  // never past the end
      {3, -2, 100, 5, 0},      // nor below 0
      {250, 200, 200, 10, 200},
      {11, 13, 40, 2, 12},
      {11, 9, 40, 2, 10},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.written, SliderValue(c.before, c.moved, c.max, c.step))
        << c.before << " -> " << c.moved << " (max " << c.max << ", step " << c.step << ")";
}

TEST(SettingsRowLogic, TheScrollShowsAWholeRowAndStaysInsideTheContent) {
  // Visible part: 476 units. A row below it scrolls up just enough, one above it down.
  EXPECT_FLOAT_EQ(124, ScrollToShow(0, 500, 100));
  EXPECT_FLOAT_EQ(200, ScrollToShow(300, 200, 80));
  EXPECT_FLOAT_EQ(300, ScrollToShow(300, 400, 80));  // already whole: no move
  EXPECT_FLOAT_EQ(10, ScrollToShow(0, 10, 600));     // taller than the view: its top wins
  EXPECT_FLOAT_EQ(0, ClampScroll(-60, 900));
  EXPECT_FLOAT_EQ(424, ClampScroll(1000, 900));
  EXPECT_FLOAT_EQ(0, ClampScroll(120, 300));  // content shorter than the view
}

TEST(SettingsOptions, DisplayModesFoldTogetherDropTheSmallOnesAndSortByPixels) {
  const std::vector<DisplayMode> modes = {{1280, 720},  {1920, 1080}, {640, 400}, {1920, 1080}, {800, 480},
                                          {2560, 1440}, {640, 480},   {600, 800}, {1280, 720}, {1280, 960},
                                          {1600, 768}};
  const DisplaySizeList list = ListDisplaySizes(1920, 1080, modes);
  // Equal pixel counts: the wider first.
  const std::vector<std::string> values = {"desktop",  "2560x1440", "1920x1080", "1600x768",
                                           "1280x960", "1280x720",  "800x480",   "640x480"};
  EXPECT_EQ(values, list.values);
  ASSERT_EQ(values.size(), list.labels.size());
  EXPECT_EQ(L"1920 \u00D7 1080 (desktop)", list.labels[0]);
  EXPECT_EQ(L"2560 \u00D7 1440", list.labels[1]);
  EXPECT_EQ(L"800 \u00D7 480", list.labels[6]);

  const DisplaySizeList none = ListDisplaySizes(1280, 1024, {});
  EXPECT_EQ(std::vector<std::string>{"desktop"}, none.values);
  EXPECT_EQ(std::vector<std::wstring>{L"1280 \u00D7 1024 (desktop)"}, none.labels);
}

TEST(SettingsOptions, TheNativeCaptionShowsTheDesktopRatioAndMonitorsTheirNumberAndSize) {
  struct Case {
    const char* aspect;
    int width, height;
    const wchar_t* caption;
  } cases[] = {{"native", 1920, 1080, L"window \u00B7 16:9 here"}, {"native", 1920, 1200, L"window \u00B7 16:10 here"},
               {"native", 1280, 1024, L"window \u00B7 5:4 here"},  {"native", 2560, 1080, L"window \u00B7 64:27 here"},
               {"4:3", 1920, 1080, L"4:3 \u00B7 640\u00D7480 look"}, {"16:9", 1280, 1024, L"16:9 \u00B7 Wii widescreen"}};
  for (const Case& c : cases) {
    SettingsOptionLists lists;
    lists.desktop_width = c.width;
    lists.desktop_height = c.height;
    const AspectPreview preview = PreviewOfAspect(c.aspect, lists);
    EXPECT_EQ(c.caption, preview.caption);
    const float ratio = c.aspect[0] == 'n' ? 1.0f * c.width / c.height : c.aspect[0] == '4' ? 4 / 3.0f : 16 / 9.0f;
    EXPECT_FLOAT_EQ(ratio, preview.ratio) << c.aspect;
  }
  EXPECT_EQ(L"2 \u00B7 DELL U2720Q (3840\u00D72160)", MonitorLabel(2, L"DELL U2720Q", 3840, 2160));
}

}  // namespace
