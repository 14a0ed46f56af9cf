// The watchdog's cases as scenes: each slow piece of work against a held stand-in, run by
// `launcher_probe watchdog <case>` in an install of its own. The tests check the answers;
// the launcher benchmark prints the longest wait of each.
#pragma once

#include <string>
#include <vector>

#include "tests/support/child_run.h"

namespace launchertest {

struct WatchdogRun {
  testsupport::ChildResult result;  // the probe's run
  double longest_ms = -1;           // the longest wait for an answer; -1 when not printed
};

// held-image, big-log, data-move, job-end, long-runs.
const std::vector<std::string>& WatchdogCases();
// Makes the case's scene under `root` and runs the probe's watchdog in it.
WatchdogRun RunWatchdogCase(const std::string& root, const std::string& name);

}  // namespace launchertest
