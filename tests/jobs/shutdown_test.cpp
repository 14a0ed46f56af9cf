// What the launcher stops on its way out: the running job (and the tool it runs), the dump
// search, then the settings store's pending changes, in that order and never waiting
// without end.
#include "jobs/shutdown.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "dump/dump_search.h"
#include "jobs/job_status.h"
#include "settings/settings_store.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/process/process_test_support.h"
#include "tests/settings/settings_test_fixture.h"

using testsupport::ReadFile;
using testsupport::ScopedEnv;

namespace {

// Set when the job's tool has printed its first line, so the tool is surely running.
HANDLE g_tool_running = nullptr;

// A job like the setup job: it runs a tool that would never end by itself, and on its
// way out makes a settings change (the setup job stores the dump path), which a shutdown
// must not lose.
void SpinningJob() {
  ChildProcess::Run(
      processtest::CommandLine(processtest::Standin("standin_tool"), {"spin"}), "", {},
      [](const std::string&) { SetEvent(g_tool_running); }, JobCancelToken());
  CheckCancel(0);
  SettingsStore::Set("launcher.dump_path", "D:\\the job's last word");
  EndJob(true);
}

class ShutdownTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    home_ = std::make_unique<ScopedEnv>("USERPROFILE", Path("home"));
    g_tool_running = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    gate_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  void TearDown() override {
    DumpSearchTesting::SetGate(nullptr);
    EXPECT_TRUE(DumpSearch::Stop(20000));
    CloseHandle(gate_);
    CloseHandle(g_tool_running);
    home_.reset();
    SettingsTest::TearDown();
  }

  std::unique_ptr<ScopedEnv> home_;
  HANDLE gate_ = nullptr;
};

TEST_F(ShutdownTest, TheJobIsCancelledTheSearchStoppedAndThenTheSettingsSaved) {
  JobStart start;
  start.steps = {L"Spin"};
  start.work = SpinningJob;
  ASSERT_TRUE(StartJob(start));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_tool_running, 20000));

  // A dump the search would find, had it the time; it is held at its start meanwhile.
  fixtures::MakeDump(Path("home\\Downloads\\Skarvel"));
  const std::vector<DumpCandidate> before = DumpSearch::Results();
  DumpSearchTesting::SetGate(gate_);
  ASSERT_TRUE(DumpSearch::Start(""));

  SettingsStore::Set("display.aspect", "4:3");  // pending: the saver waits for quiet

  EXPECT_TRUE(ShutdownBackgroundWork(20000));

  const JobStatus job = SnapshotJob();
  EXPECT_FALSE(job.running);
  EXPECT_TRUE(job.cancelled);
  EXPECT_EQ(0u, CurrentToolRun(JobCancelToken())) << "the tool outlived the job";
  EXPECT_FALSE(DumpSearch::IsRunning());
  EXPECT_EQ(before.size(), DumpSearch::Results().size()) << "a stopped search replaced the results";
  // Saved at once, and after the job had made its last change.
  const std::string saved = SavedText();
  EXPECT_NE(std::string::npos, saved.find("aspect = 4:3")) << saved;
  EXPECT_NE(std::string::npos, saved.find("dump_path = D:\\the job's last word")) << saved;
}

TEST_F(ShutdownTest, AJobThatDoesntStopIsWaitedForOnlyAsLongAsAllowed) {
  JobStatus stuck;  // a job record with no thread behind it: nothing will ever end it
  stuck.steps.resize(1);
  ASSERT_TRUE(BeginJob(stuck));
  SettingsStore::Set("display.aspect", "4:3");

  EXPECT_FALSE(ShutdownBackgroundWork(300));
  EXPECT_NE(std::string::npos, SavedText().find("aspect = 4:3")) << "the settings wait for nothing";
  EndJob(false);
}

HANDLE g_linger = nullptr;

TEST_F(ShutdownTest, AJobThreadStillWorkingAfterItsJobEndedIsWaitedFor) {
  // The job has ended, but its thread is not over: a process ending now could hang in
  // its exit under Wine, so the shutdown waits for the thread too.
  g_linger = gate_;
  JobStart start;
  start.steps = {L"Linger"};
  start.work = [] {
    EndJob(true);
    WaitForSingleObject(g_linger, 20000);
  };
  ASSERT_TRUE(StartJob(start));
  ASSERT_TRUE(WaitForJobEnd(20000));
  EXPECT_FALSE(ShutdownBackgroundWork(300));
  SetEvent(gate_);
  EXPECT_TRUE(ShutdownBackgroundWork(20000));
}

}  // namespace
