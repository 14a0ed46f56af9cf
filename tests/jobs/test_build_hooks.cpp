// Linked only into test builds of the launcher, which take from the environment what no
// test can arrange for real: the free space the jobs see (KESTRANE_TEST_FREE_SPACE, in
// bytes) and how long the finished intro video waits for a held old one to be let go
// (KESTRANE_TEST_VIDEO_MOVE_MS). The shipped launcher has no such variables.
#include <cstdlib>

#include "jobs/enhance_job.h"
#include "jobs/free_space_probe.h"
#include "platform/env.h"
#include "settings/install_layout.h"

namespace {

int64_t TestFreeSpace(const std::string& folder) {
  std::string value;
  if (env::Get("KESTRANE_TEST_FREE_SPACE", &value) && !value.empty()) return strtoll(value.c_str(), nullptr, 10);
  return InstallLayout::FreeSpace(folder);
}

struct InstallHooks {
  InstallHooks() {
    JobsTesting::SetFreeSpaceProbe(TestFreeSpace);
    std::string move_ms;
    if (env::Get("KESTRANE_TEST_VIDEO_MOVE_MS", &move_ms) && !move_ms.empty())
      JobsTesting::SetVideoMoveWait((unsigned)strtoul(move_ms.c_str(), nullptr, 10));
  }
} g_install_hooks;

}  // namespace
