// The free space the jobs check before they write large files. Test builds replace the
// measurement, since no test can choose the free space of a real drive.
#pragma once

#include <cstdint>
#include <string>

// Bytes free for this user on the drive of `folder`, or -1 when unknown.
int64_t JobFreeSpace(const std::string& folder);

namespace JobsTesting {
using FreeSpaceProbe = int64_t (*)(const std::string& folder);
void SetFreeSpaceProbe(FreeSpaceProbe probe);
}  // namespace JobsTesting
