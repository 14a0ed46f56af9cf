#include "launcher/data_folder_move.h"

#include <windows.h>
#include <objbase.h>

#include "game/game_supervisor.h"
#include "launcher/dump_checks.h"
#include "launcher/launcher_state.h"
#include "launcher/status_snapshot.h"
#include "platform/scoped_lock.h"
#include "platform/text.h"
#include "settings/game_data_folder.h"

namespace {

// g_lock guards the worker's record below; the move itself runs outside it.
StaticLock g_lock;
struct Worker {
  HANDLE thread = nullptr;  // the running (or ended, not yet applied) move's thread
  bool done = false;
  bool ok = false;
  std::string message;
  std::string target;
};
Worker g_worker;
HANDLE g_gate = nullptr;  // under g_lock

DWORD WINAPI MoveThread(LPVOID) {
  std::string target;
  HANDLE gate = nullptr;
  {
    ScopedLock lock(&g_lock);
    target = g_worker.target;
    gate = g_gate;
  }
  if (gate) WaitForSingleObject(gate, INFINITE);
  // The shell's move (used across drives) wants COM on the calling thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string message;
  const bool ok = ChangeDataDir(target, &message);
  if (SUCCEEDED(com)) CoUninitialize();
  ScopedLock lock(&g_lock);
  g_worker.ok = ok;
  g_worker.message = message;
  g_worker.done = true;
  return 0;
}

}  // namespace

std::wstring DataFolderMoveRefusal() {
  const LauncherState& st = Launcher();
  if (st.data_move_running) return L"The game data folder is being moved already.";
  // A job that started with the old folder would finish into it: an hour of upscaling
  // could end in a folder that has moved away.
  if (JobRunning()) return L"A job is using the game data folder. Move it when the job is done.";
  if (IsGameRunning()) return L"The game is running. Move the game data folder after you quit it.";
  if (st.video_removing) return L"The enhanced video is being removed. Move the game data folder when that's done.";
  // A check may be reading a disc image into the folder.
  if (DumpChecks::Busy()) return L"Your disc is being checked. Move the game data folder when that's done.";
  return std::wstring();
}

bool StartDataFolderMove(const std::string& chosen) {
  LauncherState& st = Launcher();
  const std::wstring refusal = DataFolderMoveRefusal();
  if (!refusal.empty()) {
    ShowToast(refusal);
    return false;
  }
  {
    ScopedLock lock(&g_lock);
    g_worker = Worker();
    g_worker.target = chosen;
    g_worker.thread = CreateThread(nullptr, 0, MoveThread, nullptr, 0, nullptr);
    if (!g_worker.thread) {
      ShowToast(L"Couldn't start moving the game data. Nothing was moved.");
      return false;
    }
  }
  st.data_move_running = true;
  st.data_move_target = chosen;
  st.data_move_started = NowSeconds();
  st.data_move_shown_second = -1;
  return true;
}

bool DataFolderMoving() { return Launcher().data_move_running; }

bool RefuseWhileDataFolderMoves() {
  if (!DataFolderMoving()) return false;
  ShowToast(L"Kestrane is moving its game data. Try again when that's done.");
  return true;
}

bool ApplyFinishedDataFolderMove() {
  LauncherState& st = Launcher();
  if (!st.data_move_running) return false;
  bool ok = false;
  std::string message;
  {
    ScopedLock lock(&g_lock);
    if (!g_worker.done) return false;
    ok = g_worker.ok;
    message = g_worker.message;
    CloseHandle(g_worker.thread);
    g_worker.thread = nullptr;
  }
  st.data_move_running = false;
  st.settings_files.loaded = false;  // the data folder the pages show has changed
  RefreshDumpStatus();
  ShowToast(ok ? std::wstring(L"Moved. Kestrane keeps its game data there now.") : text::Utf8ToWide(message));
  if (st.close_after_data_move && st.hwnd) PostMessageW(st.hwnd, WM_CLOSE, 0, 0);
  st.close_after_data_move = false;
  return true;
}

bool DataFolderMoveAllowsClose() {
  LauncherState& st = Launcher();
  if (!st.data_move_running) return true;
  st.close_after_data_move = true;
  ShowToast(L"Moving your game data. Kestrane closes when that's done.");
  return false;
}

bool WaitForDataFolderMove(unsigned long timeout_ms) {
  HANDLE thread = nullptr;
  {
    ScopedLock lock(&g_lock);
    if (!g_worker.thread || g_worker.done) return true;
    thread = g_worker.thread;  // closed only by the GUI thread, which is the one waiting here
  }
  return WaitForSingleObject(thread, timeout_ms) == WAIT_OBJECT_0;
}

namespace DataFolderMoveTesting {

void SetGate(void* gate) {
  ScopedLock lock(&g_lock);
  g_gate = static_cast<HANDLE>(gate);
}

}  // namespace DataFolderMoveTesting
