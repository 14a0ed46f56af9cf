#include "jobs/build_folder_size.h"

#include <atomic>

#include "jobs/jobs_lock.h"
#include "settings/install_layout.h"

namespace {

const int64_t kNotMeasured = -2;
const int64_t kMeasuring = -1;

// Set by the shutdown: the measurement gives up walking the folder.
std::atomic<bool> g_stop{false};

// The source checkout's build folder, or the launcher's own folder in a download.
DWORD WINAPI MeasureThread(LPVOID) {
  std::string root = InstallLayout::CheckoutRoot();
  int64_t size =
      FolderSize(root.empty() ? InstallLayout::FullPath(InstallLayout::ExeDir()) : root + "\\build", &g_stop);
  ScopedLock lock(JobsLock());
  Jobs().build_folder_size = g_stop ? kNotMeasured : size;  // a walk cut short measured nothing
  return 0;
}

}  // namespace

int64_t BuildFolderSize() {
  HANDLE finished = nullptr;
  {
    ScopedLock lock(JobsLock());
    if (Jobs().build_folder_size != kNotMeasured) return Jobs().build_folder_size;
    Jobs().build_folder_size = kMeasuring;
    finished = Jobs().measure_thread;  // the last measurement has ended: it set the size
    Jobs().measure_thread = nullptr;
  }
  if (finished) CloseHandle(finished);
  g_stop = false;
  HANDLE thread = CreateThread(nullptr, 0, MeasureThread, nullptr, 0, nullptr);
  ScopedLock lock(JobsLock());
  if (thread) {
    Jobs().measure_thread = thread;  // kept, so the shutdown can wait for it
  } else {
    // Without a thread nothing would ever finish the measurement; let a later call retry.
    Jobs().build_folder_size = kNotMeasured;
  }
  return kMeasuring;
}

void ForgetBuildFolderSize() {
  ScopedLock lock(JobsLock());
  if (Jobs().build_folder_size >= 0) Jobs().build_folder_size = kNotMeasured;
}

bool StopBuildFolderSize(unsigned timeoutMs) {
  HANDLE thread = nullptr;
  {
    ScopedLock lock(JobsLock());
    thread = Jobs().measure_thread;
    Jobs().measure_thread = nullptr;
  }
  if (!thread) return true;
  g_stop = true;
  const bool ended = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return ended;
}
