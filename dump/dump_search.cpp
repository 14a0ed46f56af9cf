#include "dump/dump_search.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>

#include "platform/env.h"
#include "platform/files.h"
#include "platform/scoped_lock.h"
#include "platform/text.h"
#include "settings/install_layout.h"

namespace {

// Guards every field of SearchState and the test gate. Held only to copy or change them,
// and by Stop while it waits for the end (the wait lets go of it).
StaticLock g_search_lock;
// Woken, under the lock, when a search ends.
CONDITION_VARIABLE g_search_ended = CONDITION_VARIABLE_INIT;

struct SearchState {
  bool running = false;
  std::wstring status;
  std::wstring status_before;  // shown again when a search is stopped
  std::vector<DumpCandidate> results;
  HANDLE gate = nullptr;
  HANDLE stop_event = nullptr;  // set while a stop is asked for; made at the first start
};
SearchState g_search;
// Read by the search thread between folders without the lock; set by Stop, cleared by Start.
std::atomic<bool> g_stop{false};

// ScanFolder stops once the list holds more than this, so a search ends with at most 21.
const size_t kFoundCap = 20;
// The roots and three levels beneath them; the configured dump's parent one level down.
const int kRootDepth = 3;

bool LooksLikeDisc(const std::string& folder) {
  for (const char* marker : {"\\sys\\main.dol", "\\DATA\\sys\\main.dol", "\\files\\tocres.res",
                             "\\DATA\\files\\tocres.res"})
    if (files::IsFile(folder + marker)) return true;
  return false;
}

bool IsSkipped(const files::FolderEntry& e) {
  if (!e.folder || e.link) return true;
  const char* name = e.name.c_str();
  return name[0] == '$' || name[0] == '.' || text::EqualsNoCase(name, "node_modules") ||
         text::EqualsNoCase(name, "AppData");
}

// A folder that looks like an extracted disc is taken whole; otherwise its sub-folders
// are searched, one level less deep. Folders that can't be listed are passed over.
void ScanFolder(const std::string& folder, int depth, std::vector<std::string>* found) {
  if (depth < 0 || found->size() > kFoundCap || g_stop.load()) return;
  if (LooksLikeDisc(folder)) {
    found->push_back(folder);
    return;
  }
  // Sub-folders would be one level too deep; listing them costs more than all the rest.
  if (depth == 0) return;
  for (const files::FolderEntry& e : files::ListFolder(folder)) {
    if (found->size() > kFoundCap) break;
    if (!IsSkipped(e)) ScanFolder(folder + "\\" + e.name, depth - 1, found);
  }
}

std::vector<std::string> FindDiscFolders(const std::string& configured) {
  std::vector<std::string> found;
  if (!configured.empty()) {
    const std::string full = InstallLayout::FullPath(configured);
    if (full.size() > 3) ScanFolder(full, 0, &found);
    ScanFolder(InstallLayout::FullPath(configured + "\\.."), 1, &found);  // its siblings
  }
  std::string profile;
  if (env::Get("USERPROFILE", &profile) && !profile.empty()) {
    for (const char* root : {"\\Downloads", "\\Desktop", "\\Documents", "\\OneDrive\\Desktop",
                             "\\OneDrive\\Documents"})
      if (files::IsFolder(profile + root)) ScanFolder(profile + root, kRootDepth, &found);
  }
  return found;
}

// One entry per dump: a folder equal to or inside one kept before is dropped, and so is
// a judgement of a dump already taken (D:\dump and D:\dump\DATA are one dump).
std::vector<DumpCandidate> ClassifyFolders(const std::vector<std::string>& found) {
  std::vector<std::string> kept;
  for (const std::string& folder : found) {
    const std::string full = InstallLayout::FullPath(folder);
    const bool seen = std::any_of(kept.begin(), kept.end(), [&](const std::string& k) {
      return text::EqualsNoCase(full, k) || text::StartsWithNoCase(full, k + "\\");
    });
    if (!seen) kept.push_back(full);
  }
  std::vector<DumpCandidate> candidates;
  for (const std::string& folder : kept) {
    if (g_stop.load()) break;
    DumpCandidate c = ClassifyDump(folder);
    const bool taken = std::any_of(candidates.begin(), candidates.end(),
                                   [&](const DumpCandidate& t) { return text::EqualsNoCase(t.path, c.path); });
    if (!taken) candidates.push_back(std::move(c));
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const DumpCandidate& a, const DumpCandidate& b) { return a.kind < b.kind; });
  return candidates;
}

// `param` is the configured dump's path, the thread's to delete.
DWORD WINAPI SearchThread(LPVOID param) {
  const std::string configured = *static_cast<std::string*>(param);
  delete static_cast<std::string*>(param);
  HANDLE gate, stop;
  {
    ScopedLock lock(&g_search_lock);
    gate = g_search.gate;
    stop = g_search.stop_event;
  }
  if (gate) {
    HANDLE either[2] = {gate, stop};
    WaitForMultipleObjects(2, either, FALSE, INFINITE);
  }

  std::vector<DumpCandidate> candidates = ClassifyFolders(FindDiscFolders(configured));
  wchar_t status[128];
  swprintf(status, 128, L"Searched Downloads, Desktop, Documents \u00B7 %d found", (int)candidates.size());

  ScopedLock lock(&g_search_lock);
  if (g_stop.load()) {
    // Part of a search is no result: the last finished search stays as it was.
    g_search.status = g_search.status_before;
  } else {
    g_search.results = std::move(candidates);
    g_search.status = status;
  }
  g_search.running = false;
  WakeAllConditionVariable(&g_search_ended);
  return 0;
}

}  // namespace

namespace DumpSearch {

bool Start(const std::string& configured) {
  {
    ScopedLock lock(&g_search_lock);
    if (g_search.running) return false;
    if (!g_search.stop_event) g_search.stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!g_search.stop_event) return false;
    ResetEvent(g_search.stop_event);
    g_stop.store(false);
    g_search.running = true;
    g_search.status_before = g_search.status;
    g_search.status = L"Searching Downloads, Desktop, Documents\u2026";
  }
  auto* param = new std::string(configured);
  HANDLE thread = CreateThread(nullptr, 0, SearchThread, param, 0, nullptr);
  if (!thread) {
    delete param;
    // Without a thread nothing would ever clear the flag and no search could start again.
    ScopedLock lock(&g_search_lock);
    g_search.running = false;
    g_search.status = g_search.status_before;
    return false;
  }
  CloseHandle(thread);
  return true;
}

namespace {

// With g_search_lock held: waits up to `timeoutMs` for the running search to end.
bool WaitForEndLocked(unsigned timeoutMs) {
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  while (g_search.running) {
    const ULONGLONG now = GetTickCount64();
    if (now >= until) return false;
    SleepConditionVariableCS(&g_search_ended, LockSection(&g_search_lock), (DWORD)(until - now));
  }
  return true;
}

}  // namespace

bool Stop(unsigned timeoutMs) {
  ScopedLock lock(&g_search_lock);
  if (!g_search.running) return true;
  g_stop.store(true);
  SetEvent(g_search.stop_event);
  return WaitForEndLocked(timeoutMs);
}

bool WaitForEnd(unsigned timeoutMs) {
  ScopedLock lock(&g_search_lock);
  return WaitForEndLocked(timeoutMs);
}

bool IsRunning() {
  ScopedLock lock(&g_search_lock);
  return g_search.running;
}

std::vector<DumpCandidate> Results() {
  ScopedLock lock(&g_search_lock);
  return g_search.results;
}

std::wstring Status() {
  ScopedLock lock(&g_search_lock);
  return g_search.status;
}

}  // namespace DumpSearch

namespace DumpSearchTesting {

void SetGate(void* gate) {
  ScopedLock lock(&g_search_lock);
  g_search.gate = static_cast<HANDLE>(gate);
}

}  // namespace DumpSearchTesting
