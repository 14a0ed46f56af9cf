// The Settings screen through frames of the real Frame: what rows write and when, the
// page keys, "Reset this page", scrolling with the focus kept in view, and the files the
// pages read.
#include <gtest/gtest.h>

#include <functional>

#include "jobs/job_status.h"
#include "launcher/launcher_actions.h"
#include "launcher/loop_events.h"
#include "launcher/settings_pages.h"
#include "launcher/settings_rows.h"
#include "launcher/settings_screen.h"
#include "settings/settings_store.h"
#include "tests/launcher/launcher_test_fixture.h"
#include "ui/buttons.h"
#include "ui/context.h"
#include "ui/interaction.h"
#include "ui/text.h"

namespace {

using launchertest::LauncherTest;

class SettingsScreenTest : public LauncherTest {
 protected:
  void Open(SettingsPage page) {
    GoToSettingsPage(page);
    Step();  // the frame that opens the page and puts the focus on its first row
  }
  // The focus rows of the last frame; the first content row is rows[0].
  const std::vector<SettingsFocusRow>& Rows() const { return Launcher().settings_rows; }

  // A frame that draws only the given rows, at the top of the content.
  void RowFrame(const std::function<void()>& rows, const ui::Input& input = ui::Input()) {
    ui::BeginFrame(surface_->graphics(), surface_->width(), surface_->height(), ui::FrameInput(input, &queue_, false));
    BeginSettingsContent();
    rows();
    ui::EndFrame();
  }
  void Key(int32_t code, const std::function<void()>& rows) {
    queue_.Push(code);
    RowFrame(rows);
  }

  // Centre of "Reset this page", right of which DONE sits (measured in the last frame).
  void ClickReset() {
    const float done = ui::ButtonWidth(L"Done");
    const float link = ui::MeasureText(L"Reset this page", ui::FontRole::Semibold, 15);
    Click(1224 - done - 24 - link / 2, 670);
  }
};

const char kEverySection[] =
    "[display]\nwindow_mode = windowed\nvsync = 0\nwindow_width = 1600\nmy_own_key = kept\n"
    "[graphics]\nmsaa = 4\nrenderer = gl2\n"
    "[audio]\nmaster = 35\n"
    "[controls]\nrumble = 0\n"
    "[game]\nlanguage = fr\nscreenshot_key = F11\n"
    "[launcher]\ndump_path = D:\\dump\nerror_log = 0\n";

TEST_F(SettingsScreenTest, AStoredValueNoOptionMatchesShowsTheDefaultAndIsNotRewrittenUntilChosen) {
  // The row shows the stored value, else the default, Borderless: one step right from it.
  for (const char* stored : {"sideways", "windowed"}) {
    UseFileWithText(std::string("[display]\nwindow_mode = ") + stored + "\n");
    Open(SettingsPage::Display);
    for (int i = 0; i < 3; ++i) Step();
    EXPECT_FALSE(SettingsStoreTesting::IsDirty()) << "showing a row wrote its setting";
    EXPECT_STREQ(stored, SettingsStore::Get("display.window_mode"));
    EXPECT_EQ(Rows().at(0).id, Focus());
    Nav(ui::NavEvent::Right);
    EXPECT_STREQ(stored[0] == 's' ? "fullscreen" : "borderless", SettingsStore::Get("display.window_mode"));
  }
}

TEST_F(SettingsScreenTest, ASelectorWritesOnlyValuesItsListHas) {
  UseFileWithText("[display]\nresolution = 1920x1080\n");
  // Three labels, two values: the third label has nothing to write.
  const std::vector<std::string> values = {"desktop", "1920x1080"};
  const std::vector<std::wstring> labels = {L"Desktop", L"1920 x 1080", L"Three"};
  const auto rows = [&] { SelectorRow(L"Resolution", "display.resolution", values, labels, L""); };
  RowFrame(rows);
  ui::Ctx().focus = Rows().at(0).id;
  Key(ui::NavEvent::Right, rows);
  EXPECT_STREQ("1920x1080", SettingsStore::Get("display.resolution"));
  EXPECT_FALSE(SettingsStoreTesting::IsDirty());
  Key(ui::NavEvent::Left, rows);
  EXPECT_STREQ("desktop", SettingsStore::Get("display.resolution"));
}

TEST_F(SettingsScreenTest, ASliderStepsAnOffGridValueOntoItsGrid) {
  UseFileWithText("[audio]\nmaster = 83\n");
  Open(SettingsPage::Audio);
  ASSERT_EQ(Rows().at(0).id, Focus());
  Nav(ui::NavEvent::Right);
  EXPECT_EQ(85, SettingsStore::GetInt("audio.master"));
  Nav(ui::NavEvent::Right);
  EXPECT_EQ(90, SettingsStore::GetInt("audio.master"));
}

TEST_F(SettingsScreenTest, BuildDoesNothingUntilTheDiscIsVerified) {
  UseFileWithText("[launcher]\ndump_path = " + Path("not a dump") + "\n");
  RefreshDumpStatus();
  ASSERT_FALSE(Launcher().status.judgement.verified);
  Open(SettingsPage::Builds);
  ASSERT_EQ(Rows().at(0).id, Focus());  // "Your build", whose button shares the row's stop
  Nav(ui::NavEvent::Activate);
  EXPECT_EQ(ScreenId::Settings, Launcher().screen);
  EXPECT_FALSE(JobRunning());
}

TEST_F(SettingsScreenTest, PageKeysWrapBothWays) {
  Open(SettingsPage::GameFiles);
  Nav(ui::NavEvent::PrevPage);
  EXPECT_EQ(SettingsPage::About, Launcher().page);
  Step();
  Nav(ui::NavEvent::NextPage);
  EXPECT_EQ(SettingsPage::GameFiles, Launcher().page);
  Step();
  Nav(ui::NavEvent::NextPage);
  EXPECT_EQ(SettingsPage::Display, Launcher().page);
  EXPECT_EQ(ScreenId::Settings, Launcher().screen);
}

TEST_F(SettingsScreenTest, ResetThisPageRemovesOnlyThatPagesSection) {
  struct Case {
    SettingsPage page;
    std::vector<const char*> reset;  // keys back at their defaults
  };
  const Case cases[] = {
      {SettingsPage::Display, {"display.window_mode", "display.vsync", "display.window_width"}},
      {SettingsPage::Graphics, {"graphics.msaa", "graphics.renderer"}},
      {SettingsPage::Audio, {"audio.master"}},
      {SettingsPage::Controls, {"controls.rumble"}},
      {SettingsPage::Language, {"game.language", "game.screenshot_key"}},
  };
  const char* const all[] = {"display.window_mode", "display.vsync", "display.window_width", "graphics.msaa",
                             "graphics.renderer",   "audio.master",  "controls.rumble",      "game.language",
                             "game.screenshot_key", "launcher.dump_path", "launcher.error_log"};
  for (const Case& c : cases) {
    UseFileWithText(kEverySection);
    Open(c.page);
    ClickReset();
    EXPECT_EQ(L"Back to the defaults for this page.", Launcher().toast_text) << "page " << SettingsPageNumber(c.page);
    for (const char* key : all) {
      const bool reset = std::find_if(c.reset.begin(), c.reset.end(),
                                      [&](const char* k) { return std::string(k) == key; }) != c.reset.end();
      EXPECT_EQ(reset, std::string(SettingsStore::Get(key)) == SettingsStore::DefaultOf(key))
          << key << " on page " << SettingsPageNumber(c.page);
    }
    EXPECT_NE(std::string::npos, SettingsStore::Text().find("my_own_key = kept"));
    Launcher().toast_text.clear();
  }
  for (SettingsPage page : {SettingsPage::GameFiles, SettingsPage::Builds, SettingsPage::Logs, SettingsPage::About}) {
    UseFileWithText(kEverySection);
    Open(page);
    ClickReset();
    EXPECT_TRUE(Launcher().toast_text.empty()) << "page " << SettingsPageNumber(page);
    EXPECT_FALSE(SettingsStoreTesting::IsDirty()) << "page " << SettingsPageNumber(page);
  }
}

// Down through every row of a page taller than the view, then back up: after each move
// (and the frame the move asks for) the focused row is whole in the visible part.
TEST_F(SettingsScreenTest, TheFocusedRowStaysWhollyInViewBothWays) {
  Open(SettingsPage::Graphics);  // taller than the view
  const std::vector<SettingsFocusRow> rows = Rows();
  ASSERT_GE(rows.size(), 8u);
  auto check = [&](const char* way, size_t i) {
    Step();  // the scroll moved at the end of the key's frame; this one shows it
    const float scroll = Launcher().settings_scroll;
    const SettingsFocusRow* focused = nullptr;
    for (const SettingsFocusRow& r : Rows())
      if (r.id == Focus()) focused = &r;
    ASSERT_NE(nullptr, focused) << way << " " << i;
    EXPECT_GE(focused->top, scroll - 0.01f) << way << " " << i;
    EXPECT_LE(focused->top + focused->height, scroll + kVisibleHeight + 0.01f) << way << " " << i;
    EXPECT_FALSE(SettingsNeedFrames()) << "a still page asks for frames";
  };
  for (size_t i = 1; i < rows.size(); ++i) {
    Nav(ui::NavEvent::Down);
    check("down", i);
  }
  EXPECT_GT(Launcher().settings_scroll, 0);
  for (size_t i = rows.size() - 1; i-- > 0;) {
    Nav(ui::NavEvent::Up);
    check("up", i);
  }
  EXPECT_FLOAT_EQ(0, Launcher().settings_scroll);
}

TEST_F(SettingsScreenTest, TheWheelScrollsRightOfTheSideListOnlyAndStopsAtTheEnds) {
  Open(SettingsPage::Graphics);
  ui::Input wheel = uitest::MouseAt(120, 400);  // over the side list
  wheel.wheel = -3;
  Step(wheel);
  EXPECT_FLOAT_EQ(0, Launcher().settings_scroll);
  wheel = uitest::MouseAt(600, 400);
  wheel.wheel = -1;
  Step(wheel);
  EXPECT_FLOAT_EQ(60, Launcher().settings_scroll);
  wheel.wheel = -40;
  Step(wheel);
  Step();
  EXPECT_GT(Launcher().settings_scroll, 60);
  EXPECT_FLOAT_EQ(kContentTop + kVisibleHeight, RowCursor()) << "the content's end isn't at the view's bottom";
  wheel.wheel = 40;
  Step(wheel);
  EXPECT_FLOAT_EQ(0, Launcher().settings_scroll);
}

TEST_F(SettingsScreenTest, TheWheelScrollsAfterTheKeyboardToo) {
  Open(SettingsPage::Graphics);
  Nav(ui::NavEvent::Down);
  Nav(ui::NavEvent::Up);  // the first row focused, its ring shown
  ASSERT_TRUE(ui::Ctx().focus_visible);
  ui::Input wheel = uitest::MouseAt(600, 400);
  wheel.wheel = -1;
  Step(wheel);
  Step();
  EXPECT_FLOAT_EQ(60, Launcher().settings_scroll) << "the focused row pulled the page back";
  EXPECT_FALSE(ui::Ctx().focus_visible);
}

TEST_F(SettingsScreenTest, RowsScrolledOutOfSightTakeNeitherFocusNorClicks) {
  UseFileWithText("");
  Open(SettingsPage::Graphics);
  ui::Input wheel = uitest::MouseAt(600, 400);
  wheel.wheel = -2;
  Step(wheel);
  Step();
  // Just above the content clip, below the title: a hidden row lies under the mouse.
  const float y = 150;
  int hidden = -1;
  for (const SettingsFocusRow& r : Rows()) {
    const float top = r.top - Launcher().settings_scroll + kContentTop;
    if (top <= y && y < top + r.height) hidden = r.id;
  }
  ASSERT_GE(hidden, 0);
  Hover(520, y);
  EXPECT_NE(hidden, Focus());
  Click(520, y);
  Click(700, y);
  EXPECT_FALSE(SettingsStoreTesting::IsDirty()) << "a click outside the content changed a hidden row";
}

TEST_F(SettingsScreenTest, TheLogsPageReadsTheRunsWhenItOpensAndWhenAGameEnds) {
  const std::string runs = Path("local\\Kestrane\\logs\\runs.tsv");
  testsupport::WriteFile(runs, "2026-12-01 18:02\t30\t00000000\tOK\t0\n");
  Open(SettingsPage::Logs);
  ASSERT_EQ(1u, Launcher().runs.runs.size());
  const std::string two = "2026-12-01 18:02\t30\t00000000\tOK\t0\n2026-12-02 18:02\t31\tc0000005\tCrashed\t0\n";
  testsupport::WriteFile(runs, two);
  for (int i = 0; i < 5; ++i) Step();
  EXPECT_EQ(1u, Launcher().runs.runs.size()) << "runs.tsv was read again while nothing happened";
  NoteGameEnded();  // what the window does when the game monitor reports the end
  Step();
  EXPECT_EQ(2u, Launcher().runs.runs.size());
  testsupport::WriteFile(runs, two + "2026-12-03 18:02\t32\t00000000\tOK\t0\n");
  Open(SettingsPage::Builds);
  Open(SettingsPage::Logs);
  EXPECT_EQ(3u, Launcher().runs.runs.size());
}

}  // namespace
