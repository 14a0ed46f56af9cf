// Every focus stop of every screen and Settings page, as a screen reader hears it: named,
// and named by what it shows (each part of its name is text drawn inside it), with exactly
// one of them holding the focus.
#include <cwctype>
#include <string>
#include <vector>

#include "launcher/launcher_state.h"
#include "platform/text.h"
#include "tests/launcher/launcher_test_fixture.h"
#include "ui/access.h"

namespace {

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(towlower(c));
  return s;
}

// "Your build: REBUILD" and "Wii disc, USA (RKVE01), READY" are said in parts.
std::vector<std::wstring> Parts(const std::wstring& name) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of(L":,", start);
    if (end == std::wstring::npos) end = name.size();
    std::wstring part = name.substr(start, end - start);
    const size_t first = part.find_first_not_of(L' ');
    if (first != std::wstring::npos) parts.push_back(part.substr(first));
    start = end + 1;
  }
  return parts;
}

bool DrawnInside(const std::wstring& part, const ui::AccessItem& item, const std::vector<ui::CapturedText>& texts) {
  for (const ui::CapturedText& t : texts) {
    const float cx = t.x + t.w / 2, cy = t.y + t.h / 2;  // 1280 x 720: design units are pixels
    if (cx >= item.x && cx < item.x + item.w && cy >= item.y && cy < item.y + item.h &&
        Lower(t.text).find(Lower(part)) != std::wstring::npos)
      return true;
  }
  return false;
}

class AccessNamesTest : public launchertest::LauncherTest {
 protected:
  void TearDown() override {
    ui::AccessRecordFrames(false);
    LauncherTest::TearDown();
  }
};

TEST_F(AccessNamesTest, EveryFocusStopIsNamedByWhatItShows) {
  ui::AccessRecordFrames(true);
  struct Screen {
    ScreenId id;
    SettingsPage page;
  };
  std::vector<Screen> screens = {{ScreenId::Home, SettingsPage::GameFiles},
                                 {ScreenId::DiscChooser, SettingsPage::GameFiles},
                                 {ScreenId::JobProgress, SettingsPage::GameFiles}};
  for (int32_t number = 0; number < kSettingsPageCount; ++number)
    screens.push_back({ScreenId::Settings, WrapSettingsPage(number)});
  Launcher().sample_job = true;
  for (const Screen& screen : screens) {
    LauncherState& st = Launcher();
    st.screen = screen.id;
    st.page = screen.page;
    st.screen_changed = true;
    Step();
    Nav(ui::NavEvent::Down);  // the focus shown, as a keyboard user has it
    ui::PublishAccess(nullptr);
    const ui::AccessSnapshot s = ui::LastAccessSnapshot();
    const std::vector<ui::CapturedText> texts = ui::EndTextCapture(0);
    const std::string where = "screen " + std::to_string(static_cast<int>(screen.id)) + " page " +
                              std::to_string(SettingsPageNumber(screen.page));
    int focused = 0, stops = 0;
    for (const ui::AccessItem& item : s.items) {
      if (item.state & ui::kAccessFocused) ++focused;
      if (item.focus_id < 0) continue;
      ++stops;
      EXPECT_FALSE(item.name.empty()) << where;
      for (const std::wstring& part : Parts(item.name))
        EXPECT_TRUE(DrawnInside(part, item, texts)) << where << ": \"" << text::WideToUtf8(part)
                                                    << "\" of a stop isn't drawn in it";
    }
    EXPECT_GT(stops, 0) << where;
    EXPECT_EQ(1, focused) << where;
  }
}

}  // namespace
