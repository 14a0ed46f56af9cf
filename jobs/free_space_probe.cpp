#include "jobs/free_space_probe.h"

#include "settings/install_layout.h"

namespace {
// Constant-initialised, so a test build's hook can replace it from a static constructor.
JobsTesting::FreeSpaceProbe g_free_space = InstallLayout::FreeSpace;
}  // namespace

int64_t JobFreeSpace(const std::string& folder) { return g_free_space(folder); }

namespace JobsTesting {
void SetFreeSpaceProbe(FreeSpaceProbe probe) { g_free_space = probe; }
}  // namespace JobsTesting
