// The progress screen: what it makes of a job record, the shortcut offer at the end of a
// job, and its keys and buttons, through frames of the real Frame over job records
// published the way the job threads publish them.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <string>
#include <vector>

#include "jobs/job_status.h"
#include "launcher/job_progress_screen.h"
#include "launcher/launcher_actions.h"
#include "settings/settings_store.h"
#include "tests/launcher/launcher_test_fixture.h"
#include "tests/support/scoped_env.h"
#include "ui/context.h"
#include "ui/palette.h"

namespace {

using launchertest::LauncherTest;

const wchar_t* const kSetupTitles[8] = {
    L"Find your disc dump",    L"Check it's the retail USA disc", L"Unpack the build tools",
    L"Get the Kestrane source", L"Index the game files",          L"Build Kestrane",
    L"Prepare the shaders",    L"Ready to play"};

// A setup job record: the states as a string of p(ending), a(ctive), d(one), f(ailed), s(kipped).
JobStatus SetupJob(const char* states, float active_progress = -1, const wchar_t* title = L"Getting Kestrane ready") {
  JobStatus job;
  job.title = title;
  job.kind = kJobSetup;
  job.running = true;
  for (int j = 0; states[j]; ++j) {
    SetupStep step;
    step.title = j < 8 ? kSetupTitles[j] : L"More";
    switch (states[j]) {
      case 'a': step.state = StepState::kActive; step.progress = active_progress; break;
      case 'd': step.state = StepState::kDone; break;
      case 'f': step.state = StepState::kFailed; break;
      case 's': step.state = StepState::kSkipped; break;
      default: break;
    }
    job.steps.push_back(step);
  }
  return job;
}

JobStatus Ended(JobStatus job, bool finished, bool failed, bool cancelled) {
  job.running = false;
  job.finished = finished;
  job.failed = failed;
  job.cancelled = cancelled;
  return job;
}

// The job record as a job thread leaves it; whatever a test before left running stops.
void Publish(const JobStatus& job) {
  EndJob(false);
  ASSERT_TRUE(BeginJob(job));
  if (!job.running) EndJob(job.finished);
}

TEST(JobViewTest, StepNumberDoneCountAndFraction) {
  struct Case {
    const char* states;
    float progress;
    int m, done;
    float fraction;
  };
  const Case cases[] = {
      {"ddddappp", 0.62f, 5, 4, (4 + 0.62f) / 8},
      {"ddddappp", -1, 5, 4, (4 + 0.5f) / 8},  // unknown progress counts half a step
      {"ddddappp", 0, 5, 4, 4.0f / 8},          // a step just begun counts nothing yet
      {"ddddappp", 1, 5, 4, 5.0f / 8},
      {"dsdsdpppp", 0, 5, 5, 5.0f / 9},
      {"pppppppp", 0, 1, 0, 0},
      {"dfpppppp", 0, 2, 1, 1.0f / 8},
      {"", 0, 1, 0, 0},
  };
  for (const Case& c : cases) {
    const JobView v = ViewOfJob(SetupJob(c.states, c.progress));
    EXPECT_EQ(c.m, v.step_number) << c.states;
    EXPECT_EQ(c.done, v.done) << c.states;
    EXPECT_NEAR(c.fraction, v.fraction, 1e-6) << c.states;
  }
  EXPECT_EQ(L"First run · step 5 of 8", ViewOfJob(SetupJob("ddddappp", 0.62f)).eyebrow);
}

// A cancelled setup ends finished and not failed; a cancelled or failed enhancement never
// sets finished. None of them may read as a success.
TEST(JobViewTest, EveryEndingReadsAsWhatItWas) {
  JobStatus enhance = SetupJob("ddappp");
  enhance.kind = kJobEnhance;
  enhance.title = L"Enhancing your intro video";
  struct Case {
    JobStatus job;
    JobPhase phase;
    const wchar_t* eyebrow;
    std::vector<std::wstring> buttons;
  };
  const std::vector<Case> cases = {
      {SetupJob("ddddappp"), JobPhase::kRunning, L"First run · step 5 of 8", {L"CANCEL"}},
      {SetupJob("ddddappp", -1, L"Rebuilding Kestrane"), JobPhase::kRunning, L"Step 5 of 8", {L"CANCEL"}},
      {Ended(SetupJob("dddddfpp"), true, false, true), JobPhase::kUnsuccessful, L"Cancelled", {L"TRY AGAIN", L"BACK"}},
      {Ended(SetupJob("dfpppppp"), true, true, false), JobPhase::kUnsuccessful, L"Something went wrong",
       {L"TRY AGAIN", L"BACK"}},
      {Ended(SetupJob("dddddddd"), true, false, false), JobPhase::kSucceeded, L"All set", {L"PLAY", L"HOME"}},
      {enhance, JobPhase::kRunning, L"Step 3 of 6", {L"CANCEL", L"CONTINUE IN BACKGROUND"}},
      {Ended(enhance, false, false, true), JobPhase::kUnsuccessful, L"Cancelled", {L"TRY AGAIN", L"BACK"}},
      {Ended(enhance, false, true, false), JobPhase::kUnsuccessful, L"Something went wrong", {L"TRY AGAIN", L"BACK"}},
      {JobStatus(), JobPhase::kIdle, L"First run · step 1 of 0", {L"BACK"}},
  };
  for (const Case& c : cases) {
    const JobView v = ViewOfJob(c.job);
    EXPECT_EQ(c.phase, v.phase) << c.job.title;
    EXPECT_EQ(c.eyebrow, v.eyebrow);
    std::vector<std::wstring> labels;
    for (JobAction b : v.buttons) labels.push_back(JobActionLabel(b));
    EXPECT_EQ(c.buttons, labels) << c.job.title;
  }
}

TEST(JobViewTest, DetailsShrinkTheRowsAndShowTheNewestLogLinesThatFit) {
  const StepListLayout plain = LayoutStepList(8, false);
  EXPECT_EQ(46, plain.pitch);
  EXPECT_EQ(15, plain.radius);
  EXPECT_EQ(0, plain.log_lines);
  const StepListLayout details = LayoutStepList(8, true);
  EXPECT_EQ(34, details.pitch);
  EXPECT_EQ(12, details.radius);
  EXPECT_EQ(222 + 8 * 34 + 16 + 12, details.log_top);
  EXPECT_EQ(4, details.log_lines);  // floor((624 - 522 - 16) / 19)
  EXPECT_EQ(9, LayoutStepList(5, true).log_lines);
}

class JobProgressTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    shortcuts_ = Path("shortcuts");
    testsupport::MakeFolders(shortcuts_);
    shortcut_env_ = std::make_unique<testsupport::ScopedEnv>("KESTRANE_SHORTCUT_DIR", shortcuts_);
    Launcher().screen = ScreenId::JobProgress;
  }
  void TearDown() override {
    EndJob(false);
    shortcut_env_.reset();
    CoUninitialize();
    LauncherTest::TearDown();
  }

  std::string Desktop() const { return shortcuts_ + "\\Kestrane (desktop).lnk"; }
  std::string StartMenu() const { return shortcuts_ + "\\Kestrane (start).lnk"; }

  std::string shortcuts_;
  std::unique_ptr<testsupport::ScopedEnv> shortcut_env_;
};

TEST_F(JobProgressTest, TheBarFillsToTheDoneStepsPlusTheActiveStepsProgress) {
  const uint32_t track = ui::Palette::line & 0x00FFFFFF;
  struct Case {
    float progress;
    float fill_end;  // 96 + 1088 * R
  };
  for (const Case c : {Case{0.62f, 96 + 1088 * (4.62f / 8)}, Case{-1, 96 + 1088 * (4.5f / 8)}}) {
    Publish(SetupJob("ddddappp", c.progress));
    Step();
    const int end = static_cast<int>(c.fill_end);
    EXPECT_NE(track, Pixel(end - 9, 201)) << "filled short of " << c.fill_end;
    EXPECT_EQ(track, Pixel(end + 8, 201)) << "filled past " << c.fill_end;
  }
}

TEST_F(JobProgressTest, ShowDetailsMovesTheMarksUpAndOpensTheLog) {
  JobStatus job = SetupJob("dddddddd");
  for (int i = 0; i < 30; ++i) job.log.push_back("[build] line " + std::to_string(i));
  Publish(Ended(job, true, false, false));
  Step();
  // Inside the second step's mark with full rows (centre y 292, radius 15), outside it with details.
  const uint32_t gold = ui::Palette::gold & 0x00FFFFFF, ink = ui::Palette::ink & 0x00FFFFFF;
  EXPECT_EQ(gold, Pixel(131, 292));
  EXPECT_NE(ink, Pixel(99, 600));
  Click(120, 656);  // "Show details"
  EXPECT_TRUE(Launcher().show_details);
  Step();
  EXPECT_NE(gold, Pixel(131, 292));
  EXPECT_EQ(gold, Pixel(131, 280));
  EXPECT_EQ(ink, Pixel(99, 600)) << "no log box under the list";
}

// Which shortcuts a finished job offers, and what leaving through HOME then creates.
TEST_F(JobProgressTest, ShortcutsAreOfferedOnlyAfterAFirstSetupAndOnlyForTheMissingOnes) {
  JobStatus enhance = SetupJob("ddddd");
  enhance.kind = kJobEnhance;
  enhance.title = L"Enhancing your intro video";
  struct Case {
    const char* name;
    JobStatus job;
    bool desktop_exists;
    bool offer, want_desktop, want_start_menu;
  };
  const std::vector<Case> cases = {
      {"first setup, desktop shortcut there", Ended(SetupJob("dddddsdd"), true, false, false), true, true, false, true},
      {"first setup, none there", Ended(SetupJob("dddddddd"), true, false, false), false, true, true, true},
      {"rebuild", Ended(SetupJob("dddddddd", -1, L"Rebuilding Kestrane"), true, false, false), false, false, false,
       false},
      {"cancelled setup", Ended(SetupJob("dddddfpp"), true, false, true), false, false, false, false},
      {"enhancement", Ended(enhance, true, false, false), false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(Desktop().c_str());
    DeleteFileA(StartMenu().c_str());
    if (c.desktop_exists) testsupport::WriteFile(Desktop(), "the player's own");
    Launcher().finish_seen = false;
    GoToScreen(ScreenId::JobProgress);
    Publish(c.job);
    Step();  // handles the end
    Step();  // applies the focus it moved
    EXPECT_EQ(c.offer, Launcher().offer_shortcuts);
    if (c.offer) {
      EXPECT_EQ(c.want_desktop, Launcher().want_desktop_shortcut);
      EXPECT_EQ(c.want_start_menu, Launcher().want_start_menu_entry);
    }
    Nav(ui::NavEvent::Back);  // leaves through the Back key, which applies the boxes
    EXPECT_EQ(ScreenId::Home, Launcher().screen);
    EXPECT_EQ(c.offer && c.want_desktop, testsupport::PathExists(Desktop()) && !c.desktop_exists);
    EXPECT_EQ(c.offer && c.want_start_menu, testsupport::PathExists(StartMenu()));
    if (c.desktop_exists) {
      EXPECT_EQ("the player's own", testsupport::ReadFile(Desktop()));
    }
  }
}

// The disc was the problem: choose another. A cancel there wasn't: the job runs again.
TEST_F(JobProgressTest, TryAgainOpensTheChooserOnlyWhenTheDiscFailed) {
  // A dump is configured, so a restart has one to start on.
  SettingsStore::Set("launcher.dump_path", Path("a dump that was moved").c_str());
  struct Case {
    const char* states;
    bool cancelled;
    ScreenId then;
    const wchar_t* title;  // of the job ended, and of the one restarted
  };
  const wchar_t* const first = L"Getting Kestrane ready";
  for (const Case c : {Case{"fppppppp", false, ScreenId::DiscChooser, first},
                       Case{"dfpppppp", false, ScreenId::DiscChooser, first},
                       Case{"dfpppppp", true, ScreenId::JobProgress, first},
                       Case{"dddddfpp", false, ScreenId::JobProgress, L"Rebuilding Kestrane"}}) {
    GoToScreen(ScreenId::JobProgress);
    Launcher().finish_seen = false;
    Publish(Ended(SetupJob(c.states, -1, c.title), true, !c.cancelled, c.cancelled));
    Step();  // the end: focus moves to TRY AGAIN on the next frame
    Step();
    Nav(ui::NavEvent::Activate);
    EXPECT_EQ(c.then, Launcher().screen) << c.states << (c.cancelled ? " cancelled" : "");
    if (c.then == ScreenId::JobProgress) {
      EXPECT_EQ(c.title, SnapshotJob().title);
    }
    // A restarted job runs on the missing dump; it ends at its first step.
    EXPECT_TRUE(WaitForJobEnd(60000));
  }
}

// An enhancement started from the settings doesn't come through StartSetup, so nothing
// cleared the mark of the last job's end: its own end is still handled.
TEST_F(JobProgressTest, AJobStartedElsewhereStillHasItsEndHandled) {
  Launcher().finish_seen = true;
  JobStatus enhance = SetupJob("apppp");
  enhance.kind = kJobEnhance;
  enhance.title = L"Enhancing your intro video";
  Publish(enhance);
  Step();
  Step();
  const int cancel = Focus();
  FailStep(0, L"About 2.15 GB free space is needed; 1.00 GB is free.");
  EndJob(false);
  Step();
  Step();
  EXPECT_TRUE(Launcher().finish_seen);
  EXPECT_EQ(cancel + 1, Focus()) << "focus not moved from BACK to TRY AGAIN";
}

TEST_F(JobProgressTest, EscapeCancelsTheRunningJobAndItsEndReadsCancelled) {
  Publish(SetupJob("dddddapp"));
  Step();
  Step();
  Nav(ui::NavEvent::Back);
  EXPECT_TRUE(JobCancelRequested());
  EXPECT_EQ(ScreenId::JobProgress, Launcher().screen);

  // The job thread notices the cancel, as the setup job does: finished set, failed not.
  CheckCancel(5);
  EndJob(true);
  Step();
  Step();
  EXPECT_EQ(L"Cancelled", ViewOfJob(SnapshotJob()).eyebrow);
  EXPECT_FALSE(Launcher().offer_shortcuts);
  EXPECT_FALSE(testsupport::PathExists(Desktop()));
  // The default control is TRY AGAIN, not PLAY: with no dump chosen it opens the chooser.
  Nav(ui::NavEvent::Activate);
  EXPECT_EQ(ScreenId::DiscChooser, Launcher().screen);
}

}  // namespace
