#include "launcher/sample_job.h"

#include "launcher/launcher_state.h"

JobStatus SampleJob() {
  JobStatus job;
  job.title = L"Getting Kestrane ready";
  job.subtitle = L"We read your disc dump and build the game on this PC. This takes a few minutes.";
  job.running = true;
  job.kind = kJobSetup;
  static const wchar_t* const kSteps[8][2] = {
      {L"Find your disc dump", L"D:\\Games\\Wii\\dump (extracted folder, 1.12 GB)"},
      {L"Check it's the retail USA disc", L"main.dol SHA-1 matches RKVE01 7c2f…a5c2"},
      {L"Unpack the build tools", L"Using zig and Python already on this PC (developer setup)"},
      {L"Get the Kestrane source", L"Using the local source · decomp 4e1b7a2"},
      {L"Index the game files", L"Reading every resource set and checking its CRCs"},
      {L"Build Kestrane", L""},
      {L"Prepare the shaders", L""},
      {L"Ready to play", L""},
  };
  const double t0 = JobClockNow();
  for (int j = 0; j < 8; ++j) {
    SetupStep step;
    step.title = kSteps[j][0];
    step.detail = kSteps[j][1];
    step.startTime = t0 - 18 + 2 * j;
    step.endTime = t0 - 16 + 2 * j;
    if (j < 4) {
      step.state = StepState::kDone;
    } else if (j == 4) {
      step.state = StepState::kActive;
      step.progress = 0.62f;
    }
    job.steps.push_back(step);
  }
  job.log = {"[import] disc files: D:\\Games\\Wii\\dump\\DATA\\files",
             "[import] sha1: 7c2f0b9e4a61d3853f0e2b7a9c4d6e1f08b3a5c2",
             "[import] verified: yes (Wii (USA), RKVE01)"};
  return job;
}
