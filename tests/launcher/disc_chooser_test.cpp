// The disc chooser: the merged list, picking a listed dump again, CONTINUE and its
// toasts, and the way back to Home, through frames of the real Frame with the dump
// search looking in a profile of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <memory>
#include <string>

#include "dump/dump_search.h"
#include "jobs/job_status.h"
#include "launcher/disc_chooser_screen.h"
#include "launcher/dump_checks.h"
#include "launcher/dump_texts.h"
#include "launcher/launcher_actions.h"
#include "settings/settings_store.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/launcher_test_fixture.h"
#include "tests/support/scoped_env.h"
#include "ui/context.h"

namespace {

using launchertest::LauncherTest;

constexpr unsigned kLimitMs = 60000;


DumpCandidate Candidate(const std::string& path, int kind) {
  DumpCandidate c;
  c.path = path;
  c.kind = kind;
  return c;
}

TEST(ChooserListTest, ChoicesComeFirstAndEachPathOnceIgnoringCase) {
  const auto list = MergeChooserList({Candidate("C:\\Dumps\\Mine", kDumpReady)},
                                     {Candidate("c:\\dumps\\MINE", kDumpReady), Candidate("C:\\Dumps\\Other", 1),
                                      Candidate("C:\\DUMPS\\other", 1)});
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ("C:\\Dumps\\Mine", list[0].path);
  EXPECT_EQ("C:\\Dumps\\Other", list[1].path);
}

// The rows' words for discs the console mode's tests don't judge: a region other than
// Europe, a disc without an ID, a disc image that couldn't be read, a row being checked.
TEST(ChooserListTest, EachDiscIsNamedByItsGameIdAndToldWhy) {
  DumpCandidate japan = Candidate("C:\\Dumps\\Japan", kDumpNotSupported), unknown = japan;
  japan.game_id = "RKVJ01";
  EXPECT_EQ(L"Wii disc, Japan (RKVJ01)", DumpLabel(japan));
  EXPECT_EQ(L"Kestrane is built from the USA version only. Other regions may come later.", DumpDetail(japan));
  EXPECT_EQ(L"Wii disc (unknown game)", DumpLabel(unknown));
  EXPECT_EQ(L"This isn't the retail USA disc. Kestrane only runs RKVE01.", DumpDetail(unknown));
  DumpCandidate image = Candidate("C:\\Dumps\\missing.iso", kDumpIncomplete);
  image.message = "There's nothing at C:\\Dumps\\missing.iso.";
  EXPECT_EQ(L"Disc image", DumpLabel(image));
  EXPECT_EQ(L"There's nothing at C:\\Dumps\\missing.iso.", DumpDetail(image));
  const DumpCandidate waiting = Candidate("C:\\Dumps\\image.rvz", kDumpBeingChecked);
  EXPECT_EQ(L"Checking this disc\u2026", DumpLabel(waiting));
  EXPECT_EQ(L"Reading it now. A disc image can take a few minutes.", DumpDetail(waiting));
}

class DiscChooserTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    // A search another test started still lists that test's profile when it ends.
    ASSERT_TRUE(DumpSearch::WaitForEnd(kLimitMs));
    testsupport::MakeFolders(Home());
    profile_ = std::make_unique<testsupport::ScopedEnv>("USERPROFILE", Home());
    Launcher().screen = ScreenId::DiscChooser;
  }
  void TearDown() override {
    ASSERT_TRUE(WaitForJobEnd(kLimitMs) && DumpChecks::WaitUntilIdle(kLimitMs));
    profile_.reset();
    LauncherTest::TearDown();
  }

  std::string Home(const std::string& relative = "") const {
    return Path("home") + (relative.empty() ? "" : "\\" + relative);
  }

  // Frames until this test's search has finished and its rows show.
  void Search() {
    Step();
    ASSERT_TRUE(DumpSearch::WaitForEnd(kLimitMs));
    Step();
  }

  // Picks a path as a drop or a picker does and applies its verdict.
  void Choose(const std::string& path) {
    ChooseDumpPath(path);
    ASSERT_TRUE(DumpChecks::WaitUntilIdle(kLimitMs));
    ApplyFinishedDumpChecks();
    Step();
  }

  void ClickContinue() { Click(924 + 130, 618 + 31); }

  std::unique_ptr<testsupport::ScopedEnv> profile_;
};

TEST_F(DiscChooserTest, AFourthDumpShowsOnlyWhenPickedAgainAndThenAtTheTop) {
  for (const char* name : {"a", "b", "c", "d"}) fixtures::MakeDump(Home(std::string("Downloads\\") + name));
  Search();
  ASSERT_EQ(4u, Launcher().shown.size());
  // Three rows, DISC IMAGE…, FOLDER…, the how-to link and CONTINUE: no fourth row, no Back.
  EXPECT_EQ(7, ui::Ctx().widget_count);
  GoToScreen(ScreenId::DiscChooser);
  Step();
  EXPECT_EQ(0, Focus()) << "entering with rows: the first row is the default control";
  const std::string fourth = Launcher().shown[3].path;
  Launcher().selected = 2;  // a pick or a drop selects what it put first
  Step();
  ASSERT_EQ(2, Launcher().selected);

  std::string other_case = fourth;
  for (char& ch : other_case) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
  Choose(other_case);
  Choose(fourth);  // again, in its own spelling: still one row
  ASSERT_EQ(4u, Launcher().shown.size());
  EXPECT_EQ(1u, Launcher().chosen.size());
  EXPECT_EQ(fourth, Launcher().shown[0].path);
  EXPECT_EQ(0, Launcher().selected);
}

// Focus ids follow drawing order: rows appearing must not move the focus to whatever
// control now has its number.
TEST_F(DiscChooserTest, FocusStaysOnItsControlWhenRowsAppear) {
  Search();  // nothing yet: an earlier test's results would show while the next search runs
  fixtures::MakeDump(Home("Downloads\\usa"));
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DumpSearchTesting::SetGate(gate);
  Launcher().search_started = false;
  GoToScreen(ScreenId::DiscChooser);
  Step();  // enters while the search waits: no rows, so CONTINUE is the default
  const int continue_alone = Focus();
  EXPECT_EQ(continue_alone, Launcher().chooser_continue_id);
  SetEvent(gate);
  ASSERT_TRUE(DumpSearch::WaitForEnd(kLimitMs));
  DumpSearchTesting::SetGate(nullptr);
  CloseHandle(gate);
  Step();
  EXPECT_EQ(0, Focus()) << "the first rows to appear take the focus from CONTINUE";

  // Focus moved to CONTINUE by the player stays there when a drop adds a row above it.
  for (int i = 0; i < 4; ++i) Nav(ui::NavEvent::Down);
  ASSERT_EQ(Launcher().chooser_continue_id, Focus());
  Choose(fixtures::MakeDump(Path("dropped")).chosen);
  EXPECT_EQ(2u, Launcher().shown.size());
  EXPECT_EQ(Launcher().chooser_continue_id, Focus());
}

TEST_F(DiscChooserTest, ContinueSaysWhyItCantGoOn) {
  Search();
  ClickContinue();
  EXPECT_EQ(L"Choose your disc first: FOLDER…, DISC IMAGE… or drop it here.", Launcher().toast_text);

  fixtures::DumpContents no_files;
  no_files.tocres = false;
  Choose(fixtures::MakeDump(Path("stick\\half"), no_files).chosen);
  EXPECT_EQ(L"That folder isn't a complete disc dump.", Launcher().toast_text);
  ClickContinue();
  EXPECT_EQ(L"That folder can't be used. Pick one marked Ready.", Launcher().toast_text);

  DumpCandidate waiting = Candidate(Path("image.rvz"), kDumpBeingChecked);
  Launcher().chosen.insert(Launcher().chosen.begin(), waiting);
  Step();
  ClickContinue();
  EXPECT_EQ(L"That disc is still being checked. Continue when it's marked Ready.", Launcher().toast_text);
  EXPECT_EQ(ScreenId::DiscChooser, Launcher().screen);
  EXPECT_STREQ("", SettingsStore::Get("launcher.dump_path"));
}

// The job reads launcher.dump_path while it runs: choosing another dump then would move
// it under the job's feet.
TEST_F(DiscChooserTest, ContinueLeavesTheDumpSettingAloneWhileAJobRuns) {
  Search();
  const std::string ready = fixtures::MakeDump(Path("dumps\\usa")).chosen;
  Choose(ready);
  JobStatus running;
  running.title = L"Getting Kestrane ready";
  ASSERT_TRUE(BeginJob(running));
  ClickContinue();
  EndJob(true);
  EXPECT_EQ(L"Kestrane is being set up. Choose another disc when that's done.", Launcher().toast_text);
  EXPECT_STREQ("", SettingsStore::Get("launcher.dump_path"));
  EXPECT_EQ(ScreenId::DiscChooser, Launcher().screen);

  // With no job running the same press takes the dump and starts the setup.
  ClickContinue();
  EXPECT_EQ(Launcher().shown[0].path, std::string(SettingsStore::Get("launcher.dump_path")));
  EXPECT_EQ(ScreenId::JobProgress, Launcher().screen);
  EXPECT_EQ(L"Getting Kestrane ready", SnapshotJob().title);
}

// One judgement at a time, in the order asked; an answer to an older status request
// that arrives after a newer one was asked for is dropped.
TEST_F(DiscChooserTest, VerdictsComeInTheOrderAskedAndAStaleStatusNeverWins) {
  Launcher().window_loop = true;  // verdicts wait for the loop to apply them, as in the window
  SettingsStore::Set("launcher.dump_path", fixtures::MakeDump(Path("old")).chosen.c_str());
  RefreshDumpStatus();
  ASSERT_TRUE(DumpChecks::WaitUntilIdle(kLimitMs));
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DumpChecksTesting::SetGate(gate);
  SettingsStore::Set("launcher.dump_path", Path("new").c_str());
  RefreshDumpStatus();  // held: the older verdict is all there is
  const std::vector<std::string> asked = {Path("a.iso"), Path("b.rvz"), Path("c")};
  for (const std::string& path : asked) DumpChecks::QueueChoice(path);
  ApplyFinishedDumpChecks();
  EXPECT_FALSE(Launcher().status_known);
  EXPECT_EQ(Path("new"), Launcher().status.judgement.path);
  SetEvent(gate);
  ASSERT_TRUE(DumpChecks::WaitUntilIdle(kLimitMs));
  DumpChecksTesting::SetGate(nullptr);
  CloseHandle(gate);
  const std::vector<DumpChecks::Result> done = DumpChecks::TakeFinished();
  std::vector<std::string> order;
  for (const DumpChecks::Result& r : done)
    if (!r.is_status) order.push_back(r.path);
  EXPECT_EQ(asked, order);
  ASSERT_FALSE(done.empty());
  EXPECT_TRUE(done.front().is_status);
}

TEST_F(DiscChooserTest, BackWorksOnlyWithAVerifiedDump) {
  Search();
  const int without = ui::Ctx().widget_count;
  Nav(ui::NavEvent::Back);
  EXPECT_EQ(ScreenId::DiscChooser, Launcher().screen) << "Back with no dump chosen";

  SettingsStore::Set("launcher.dump_path", fixtures::MakeDump(Path("dumps\\usa")).chosen.c_str());
  RefreshDumpStatus();
  Step();
  EXPECT_EQ(without + 1, ui::Ctx().widget_count) << "no Back link";
  Nav(ui::NavEvent::Back);
  EXPECT_EQ(ScreenId::Home, Launcher().screen);
}

}  // namespace
