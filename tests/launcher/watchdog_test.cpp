// The real window keeps answering while slow work runs against a held stand-in: a disc
// image that dtk doesn't finish reading, a report over a 20 MB log, a data-folder move
// held at its start, a setup job's end, the Logs page over a long runs.tsv. A window that
// waits on such work misses answers for seconds, or until the stand-in lets go; one that
// hands it off answers within a frame or two. Closing it ends a held judgement cleanly.
#include <gtest/gtest.h>

#include <string>

#include "tests/launcher/watchdog_cases.h"
#include "tests/support/temp_folder.h"

namespace {

class WatchdogTest : public testsupport::TempFolderTest {};

// Far from both: a busy machine answered in 1.4 s beside two test runs, and a waiting window
// misses for many seconds (7 s over the 20 MB log) or until released. How
// close to the 250 ms goal it stays is the launcher benchmark's figure.
constexpr double kAnswerBoundMs = 5000;

TEST_F(WatchdogTest, TheWindowAnswersWhileSlowWorkRuns) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;  // what the probe must have said, in order
  } cases[] = {
      {"held-image",
       {"status at start: checking", "report copied while the image is read: yes",
        "report saved while the image is read: yes", "still reading: yes", "closed: in"}},
      {"big-log", {"toast: Report saved.", "scrubbed copy: clean"}},
      {"data-move", {"move started: yes", "toast: Moved."}},
      {"job-end", {"screen: progress"}},
      {"long-runs", {"runs listed: 10"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const launchertest::WatchdogRun run = launchertest::RunWatchdogCase(Path(c.name), c.name);
    const std::string& out = run.result.out;
    ASSERT_EQ(0u, run.result.exit_code) << out << run.result.err;
    EXPECT_GE(run.longest_ms, 0) << out;
    EXPECT_LT(run.longest_ms, kAnswerBoundMs) << out;
    size_t at = 0;
    for (const std::string& line : c.lines) {
      const size_t found = out.find(line, at);
      ASSERT_NE(std::string::npos, found) << "missing, in order: " << line << "\n" << out;
      at = found + line.size();
    }
    // A closed window leaves no half-read disc image behind.
    EXPECT_NE(std::string::npos, out.find("probe folder left: no")) << out;
  }
}

}  // namespace
