#include "jobs/shutdown.h"

#include <windows.h>

#include "dump/dump_search.h"
#include "jobs/build_folder_size.h"
#include "jobs/job_status.h"
#include "settings/settings_store.h"

bool ShutdownBackgroundWork(unsigned timeoutMs) {
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  auto left = [until]() -> unsigned {
    const ULONGLONG now = GetTickCount64();
    return now < until ? (unsigned)(until - now) : 0;
  };
  bool stopped = true;
  if (SnapshotJob().running) {
    CancelJob();
    stopped = WaitForJobEnd(left());
  }
  stopped = WaitForJobThread(left()) && stopped;
  stopped = DumpSearch::Stop(left()) && stopped;
  stopped = StopBuildFolderSize(left()) && stopped;
  // Last: a job that stopped in time has made its last change by now.
  SettingsStore::Flush();
  return stopped;
}
