#include "jobs/job_status.h"

#include <gtest/gtest.h>

#include "jobs/build_folder_size.h"
#include "jobs/jobs_lock.h"
#include "settings/install_layout.h"
#include "tests/settings/settings_test_fixture.h"

namespace {

// Each test owns the one job record for its duration.
class JobStatusTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    JobStatus fresh;
    fresh.title = L"Test job";
    for (const wchar_t* title : {L"First", L"Second", L"Third"}) {
      SetupStep step;
      step.title = title;
      fresh.steps.push_back(step);
    }
    ASSERT_TRUE(BeginJob(fresh)) << "an earlier test left a job running";
  }
  void TearDown() override {
    EndJob(false);
    SettingsTest::TearDown();
  }
  SetupStep Step(int index) { return SnapshotJob().steps.at(index); }
};

TEST_F(JobStatusTest, StepTimesFollowTheStateChanges) {
  SetStep(0, StepState::kActive, L"working", -1);
  SetupStep active = Step(0);
  EXPECT_GT(active.startTime, 0);
  EXPECT_EQ(0, active.endTime);
  Sleep(20);
  SetStep(0, StepState::kActive, L"still working", 0.5f);
  EXPECT_EQ(active.startTime, Step(0).startTime);  // already active: the start stays
  SetStep(0, StepState::kDone, L"done", kKeepProgress);
  SetupStep done = Step(0);
  EXPECT_EQ(active.startTime, done.startTime);
  EXPECT_GE(done.endTime, done.startTime);

  SetStep(1, StepState::kSkipped, L"not needed", kKeepProgress);  // never active
  EXPECT_GT(Step(1).startTime, 0);
  EXPECT_EQ(Step(1).startTime, Step(1).endTime);

  SetStep(2, StepState::kFailed, L"broken", kKeepProgress);  // a pending step that fails
  EXPECT_EQ(0, Step(2).startTime);
  EXPECT_EQ(0, Step(2).endTime);
  EXPECT_EQ(StepState::kFailed, Step(2).state);

  SetStep(3, StepState::kDone, L"out of range", 1);
  EXPECT_EQ(3u, SnapshotJob().steps.size());
}

TEST_F(JobStatusTest, KeepMarkersLeaveDetailAndProgress) {
  SetStep(0, StepState::kActive, L"Reading", 0.25f);
  SetStep(0, StepState::kActive, kKeepDetail, 0.5f);
  EXPECT_EQ(L"Reading", Step(0).detail);
  EXPECT_EQ(0.5f, Step(0).progress);
  SetStep(0, StepState::kDone, L"Read", kKeepProgress);
  EXPECT_EQ(L"Read", Step(0).detail);
  EXPECT_EQ(0.5f, Step(0).progress);
  SetStep(0, StepState::kDone, L"", -1);  // an empty detail is a detail, not a marker
  EXPECT_EQ(L"", Step(0).detail);
  EXPECT_EQ(-1, Step(0).progress);
}

TEST_F(JobStatusTest, TheLogKeepsAtMost400LinesDroppingTheOldest100) {
  for (int n = 0; n < 400; ++n) AppendJobLog("line " + std::to_string(n));
  EXPECT_EQ(400u, SnapshotJob().log.size());
  AppendJobLog("line 400");
  std::vector<std::string> log = SnapshotJob().log;
  ASSERT_EQ(301u, log.size());
  EXPECT_EQ("line 100", log.front());
  EXPECT_EQ("line 400", log.back());
}

TEST_F(JobStatusTest, AFailedStepMarksTheJobAndGoesToTheErrorLog) {
  SetStep(1, StepState::kActive, L"checking", 0.5f);
  FailStep(1, L"This disc doesn't match \x2014 sorry.");
  JobStatus job = SnapshotJob();
  EXPECT_EQ(StepState::kFailed, job.steps[1].state);
  EXPECT_EQ(L"This disc doesn't match \x2014 sorry.", job.steps[1].detail);
  EXPECT_EQ(0.5f, job.steps[1].progress);
  EXPECT_TRUE(job.failed);
  EXPECT_FALSE(job.cancelled);
  EXPECT_TRUE(job.running);  // only the job thread's end stops it
  std::string log = testsupport::ReadFile(Path("local\\Kestrane\\logs\\kestrane_log.txt"));
  EXPECT_NE(std::string::npos, log.find(" [launcher] Second: This disc doesn't match \xE2\x80\x94 sorry.\r\n")) << log;
}

TEST_F(JobStatusTest, ACancelIsSeenAtTheNextCheckAndIsNotAFailure) {
  EXPECT_FALSE(CheckCancel(0));
  EXPECT_EQ(StepState::kPending, Step(0).state);
  CancelJob();
  SetStep(2, StepState::kActive, L"building", 0.75f);
  EXPECT_TRUE(CheckCancel(2));
  JobStatus job = SnapshotJob();
  EXPECT_EQ(StepState::kFailed, job.steps[2].state);
  EXPECT_EQ(L"Cancelled. Your current game stays as it is.", job.steps[2].detail);
  EXPECT_EQ(0.75f, job.steps[2].progress);
  EXPECT_TRUE(job.cancelled);
  EXPECT_FALSE(job.failed);
}

TEST_F(JobStatusTest, OnlyOneJobRunsAndANewOneStartsClean) {
  AppendJobLog("from the first job");
  JobStatus other;
  other.kind = kJobEnhance;
  EXPECT_FALSE(BeginJob(other));
  EXPECT_EQ(kJobSetup, SnapshotJob().kind);
  EXPECT_EQ(1u, SnapshotJob().log.size());

  CancelJob();
  EndJob(true);
  JobStatus ended = SnapshotJob();
  EXPECT_FALSE(ended.running);
  EXPECT_TRUE(ended.finished);
  EXPECT_TRUE(BeginJob(other));
  JobStatus next = SnapshotJob();
  EXPECT_EQ(kJobEnhance, next.kind);
  EXPECT_TRUE(next.running);
  EXPECT_FALSE(next.finished);
  EXPECT_TRUE(next.log.empty());
  EXPECT_FALSE(JobCancelRequested());  // the old job's cancel doesn't reach the new one
}

}  // namespace

namespace {

int64_t SettledBuildFolderSize() {
  int64_t size = BuildFolderSize();
  for (int i = 0; size == -1 && i < 600; ++i) {
    Sleep(50);
    size = BuildFolderSize();
  }
  return size;
}

TEST(BuildFolderSize, IsMeasuredOnItsOwnThreadAndAgainAfterABuild) {
  ForgetBuildFolderSize();
  EXPECT_EQ(-1, BuildFolderSize());  // the first ask starts the measurement and doesn't wait
  // The tests run from a build folder, not a source checkout: the launcher's folder counts.
  const int64_t expected = FolderSize(InstallLayout::FullPath(InstallLayout::ExeDir()));
  EXPECT_EQ(expected, SettledBuildFolderSize());
  EXPECT_EQ(expected, BuildFolderSize());
  ForgetBuildFolderSize();
  EXPECT_EQ(-1, BuildFolderSize());
  EXPECT_EQ(expected, SettledBuildFolderSize());
}

}  // namespace
