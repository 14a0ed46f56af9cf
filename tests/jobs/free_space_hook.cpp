// Linked only into test builds of the launcher: the free space the jobs see comes
// from KESTRANE_TEST_FREE_SPACE (bytes) when that is set, since no test can choose the
// free space of a real drive. The shipped launcher has no such variable.
#include <cstdlib>

#include "jobs/free_space_probe.h"
#include "platform/env.h"
#include "settings/install_layout.h"

namespace {

int64_t TestFreeSpace(const std::string& folder) {
  std::string value;
  if (env::Get("KESTRANE_TEST_FREE_SPACE", &value) && !value.empty()) return strtoll(value.c_str(), nullptr, 10);
  return InstallLayout::FreeSpace(folder);
}

struct InstallHook {
  InstallHook() { JobsTesting::SetFreeSpaceProbe(TestFreeSpace); }
} g_install_hook;

}  // namespace
