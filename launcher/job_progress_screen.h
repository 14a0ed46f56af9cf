// The progress screen of the one background job (the setup job or the intro-video
// enhancement): steps, timers, the log and the buttons that cancel, retry or leave.
#pragma once

#include <string>
#include <vector>

#include "jobs/job_status.h"

// Where a job stands as the screen sees it. A job counts as ended once it no longer
// runs and finished, failed or cancelled is set: a cancelled setup ends with finished
// set and failed clear, a cancelled or failed enhancement never sets finished, and
// neither may ever read as a success.
enum class JobPhase {
  kIdle,          // nothing has run yet
  kRunning,
  kSucceeded,
  kUnsuccessful,  // failed or cancelled
};

// What a button of the screen does. The button shows JobActionLabel's text; the action
// follows from the button, never from its text.
enum class JobAction {
  kCancel,
  kContinueInBackground,
  kTryAgain,
  kBack,
  kHome,
  kPlay,
};
const wchar_t* JobActionLabel(JobAction action);

// What the screen makes of one job record; pure, so the screen, its tests and the
// probe read a job the same way.
struct JobView {
  JobPhase phase = JobPhase::kIdle;
  int step_count = 0;   // n
  int step_number = 1;  // m: 1 + the latest step that isn't pending
  int done = 0;         // steps done or skipped
  float fraction = 0;   // the overall bar: done steps plus the active steps' progress (unknown = 0.5)
  int failed_step = -1; // the first failed step, or -1
  bool cancelled = false;
  bool rebuild = false;           // a setup job titled as a rebuild
  bool continue_in_background = false;  // the enhancement is upscaling and may go on behind Home
  std::wstring eyebrow;
  std::vector<JobAction> buttons;  // right to left
};

JobView ViewOfJob(const JobStatus& job);

// The step list's geometry for n steps: row pitch and mark radius, and with the details
// shown, the log box below the list and how many of the newest log lines fit in it. With
// PLAY showing (a job that ended well) the box ends above PLAY and its glow.
struct StepListLayout {
  float pitch = 46;
  float radius = 15;
  float log_top = 0;
  float log_height = 0;
  int log_lines = 0;
};
StepListLayout LayoutStepList(int step_count, bool details, bool play_shown = false);

void JobProgressScreen();
// Applies the shortcut check boxes a finished first setup offered; does nothing when
// none were offered.
void MakeShortcuts();
