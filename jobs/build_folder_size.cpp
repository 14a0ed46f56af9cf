#include "jobs/build_folder_size.h"

#include "jobs/jobs_lock.h"
#include "settings/install_layout.h"

namespace {

const int64_t kNotMeasured = -2;
const int64_t kMeasuring = -1;

// The source checkout's build folder, or the launcher's own folder in a download.
DWORD WINAPI MeasureThread(LPVOID) {
  std::string root = InstallLayout::CheckoutRoot();
  int64_t size = FolderSize(root.empty() ? InstallLayout::FullPath(InstallLayout::ExeDir()) : root + "\\build");
  ScopedLock lock(JobsLock());
  Jobs().build_folder_size = size;
  return 0;
}

}  // namespace

int64_t BuildFolderSize() {
  {
    ScopedLock lock(JobsLock());
    if (Jobs().build_folder_size != kNotMeasured) return Jobs().build_folder_size;
    Jobs().build_folder_size = kMeasuring;
  }
  HANDLE thread = CreateThread(nullptr, 0, MeasureThread, nullptr, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
  } else {
    // Without a thread nothing would ever finish the measurement; let a later call retry.
    ScopedLock lock(JobsLock());
    Jobs().build_folder_size = kNotMeasured;
  }
  return kMeasuring;
}

void ForgetBuildFolderSize() {
  ScopedLock lock(JobsLock());
  if (Jobs().build_folder_size >= 0) Jobs().build_folder_size = kNotMeasured;
}
