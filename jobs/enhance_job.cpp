#include "jobs/enhance_job.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "dump/delete_tree.h"
#include "game/game_contract.h"
#include "game/game_supervisor.h"
#include "jobs/free_space_probe.h"
#include "jobs/job_status.h"
#include "jobs/jobs_lock.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/window_thread.h"
#include "process/child_process.h"
#include "settings/game_data_folder.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"
#include "settings/settings_store.h"

namespace {

enum EnhanceStepIndex {
  kFreeSpace = 0,
  kReadFrames = 1,
  kUpscale = 2,
  kTurnOn = 3,
  kRemoveFrames = 4,
};

const wchar_t* const kStepTitles[] = {
    L"Check free space",
    L"Read the intro video's frames",
    L"Upscale and encode",
    L"Turn on enhanced files",
    L"Remove the temporary frames",
};

// The dumped and upscaled frames of the intro at 4x and the encoder's work: 275 x 8 MiB.
const int64_t kNeededSpace = 275LL << 23;
const double kNeededSpaceGB = 2.1484375;  // the same, as the message shows it

const DWORD kWatchIntervalMs = 500;
const DWORD kMoveRetryMs = 1000;
// How long the finished video waits for its place when the launcher's own game isn't
// running: a game started some other way, or a player's video preview, may hold the old
// one for a while; a read-only file or folder never lets go.
unsigned g_move_wait_ms = 30000;

struct EnhancePaths {
  std::string data;
  std::string frames;  // what the game dumps
  std::string up;      // what the enhancer upscales them to
  std::string enhanced;
  std::string video;   // the finished video the game plays
  std::string part;    // the enhancer's output until it is complete
  std::string nand;    // the game's Wii storage for the hidden run
};

EnhancePaths Paths() {
  EnhancePaths p;
  p.data = InstallLayout::DataDir();
  p.frames = p.data + "\\cache\\frames";
  p.up = p.frames + "\\up";
  p.enhanced = p.data + "\\cache\\enhanced";
  p.video = p.enhanced + "\\uisingle.mp4";
  p.part = p.enhanced + "\\uisingle.part.mp4";
  p.nand = p.data + "\\cache\\dumpnand";
  return p;
}

void Activate(int step, const std::wstring& detail, float progress) {
  SetStep(step, StepState::kActive, detail, progress);
}
void Done(int step, const std::wstring& detail, float progress) { SetStep(step, StepState::kDone, detail, progress); }

std::wstring ExitCodeText(uint32_t code) { return std::to_wstring((int32_t)code); }

// "<done> of <total> frames" and the fraction, from two counts a tool printed. A total of
// 0 tells nothing.
void ShowFrames(int step, unsigned done, unsigned total, const wchar_t* what) {
  if (total == 0) return;
  Activate(step, std::to_wstring(done) + L" of " + std::to_wstring(total) + what, (float)((double)done / total));
}

void DeleteFilesIn(const std::string& folder) {
  for (const files::FolderEntry& e : files::ListFolder(folder))
    if (!e.folder) DeleteFileA((folder + "\\" + e.name).c_str());
}

// [SECTION] Steps
// Each returns false when the job ends at it (failed or cancelled).

bool CheckFreeSpace(const EnhancePaths& p) {
  Activate(kFreeSpace, kKeepDetail, kKeepProgress);
  const int64_t free_bytes = JobFreeSpace(p.data);  // -1: unknown, which counts as enough
  if (free_bytes >= 0 && free_bytes < kNeededSpace) {
    wchar_t needed[32];
    swprintf(needed, 32, L"%.2f GB", kNeededSpaceGB);
    FailStep(kFreeSpace, std::wstring(L"About ") + needed + L" free space is needed; " +
                             InstallLayout::FormatSize(free_bytes) + L" is free.");
    return false;
  }
  Done(kFreeSpace, free_bytes >= 0 ? InstallLayout::FormatSize(free_bytes) + L" free" : L"", kKeepProgress);
  return true;
}

// The cache folder is the launcher's (made now, or made by it before): only then may the
// job replace and delete what is in it. A data folder can be any folder the player
// picked, and a cache folder there may hold their own files.
bool ClaimCache(const EnhancePaths& p) {
  const std::string cache = p.data + "\\cache";
  if (MakeLauncherFolder(cache)) return true;
  // Short: the step's detail is one line.
  FailStep(kReadFrames,
           text::Utf8ToWide(cache) + L" wasn't made by Kestrane. Move it away or choose another game data folder.");
  return false;
}

bool ReadFrames(const EnhancePaths& p) {
  Activate(kReadFrames, L"The game plays your intro video once, without sound (about a minute).", 0);
  // Everything is checked before anything is deleted.
  if (!files::IsFile(GameExePath())) {
    FailStep(kReadFrames, L"KestraneGame.exe isn't built yet.");
    return false;
  }
  if (!ClaimCache(p)) return false;
  RemoveTemporaryFrames();
  DeleteTree(p.nand);
  CreateDirectoryA(p.nand.c_str(), nullptr);
  CreateDirectoryA(p.frames.c_str(), nullptr);  // where the game is told to write

  const uint32_t code = ChildProcess::Run(
      GameCommandLine(), GameWorkingDir(), FrameDumpEnvironment(p.frames, p.nand),
      [](const std::string& line) {
        AppendJobLog(line);
        unsigned done = 0, total = 0;
        if (sscanf(line.c_str(), "[movie] dumped %u/%u", &done, &total) == 2)
          ShowFrames(kReadFrames, done, total, L" frames");
      },
      JobCancelToken());
  if (CheckCancel(kReadFrames)) return false;  // the game was ended; its exit code means nothing
  if (code != 0) {
    FailStep(kReadFrames, L"The game stopped before the video finished (exit code " + ExitCodeText(code) + L").");
    return false;
  }
  Done(kReadFrames, L"", 1);
  return true;
}

// How putting the finished video in place ended.
enum class Placement {
  kPlaced,
  kNoOutput,   // the enhancer left no video, or an empty one
  kCancelled,
  kHeld,       // the old video stayed held (or read-only) past the wait; see the error
};

// Puts the enhancer's output in place of the finished video. The game holds the old
// video open while it plays, so the move is retried as long as the launcher's game runs,
// and otherwise for a bounded time; a cancel ends the wait. *error is the last attempt's
// Windows error.
Placement PlaceVideo(const EnhancePaths& p, DWORD* error) {
  *error = ERROR_SUCCESS;
  // An empty output is no video, and moved over an earlier one it would lose that too.
  if (files::FileSize(p.part) == 0) {
    DeleteFileA(p.part.c_str());
    return Placement::kNoOutput;
  }
  const ULONGLONG give_up = GetTickCount64() + g_move_wait_ms;
  bool waiting = false;
  while (!MoveFileExA(p.part.c_str(), p.video.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    *error = GetLastError();
    // Without the output (or its folder) no retry can succeed.
    if (*error == ERROR_FILE_NOT_FOUND || *error == ERROR_PATH_NOT_FOUND) return Placement::kNoOutput;
    if (JobCancelRequested()) return Placement::kCancelled;
    if (!IsGameRunning() && GetTickCount64() >= give_up) return Placement::kHeld;
    if (!waiting) Activate(kUpscale, L"Finished: waiting for the game to close to put it in place.", 1);
    waiting = true;
    Sleep(kMoveRetryMs);
  }
  *error = ERROR_SUCCESS;
  return Placement::kPlaced;
}

// What the job decides when it starts: a scale changed meanwhile applies to the next run.
struct UpscalePlan {
  int scale = 2;
  std::string upscaler;  // empty when none is installed
};

UpscalePlan PlanUpscale() {
  UpscalePlan plan;
  plan.scale = SettingsStore::GetInt("graphics.upscale_scale") == 4 ? 4 : 2;
  const std::string upscaler = InstallLayout::ExeDir() + "tools\\realesrgan\\realesrgan-ncnn-vulkan.exe";
  if (files::FileSize(upscaler) > 0) plan.upscaler = upscaler;
  return plan;
}

bool UpscaleAndEncode(const EnhancePaths& p, const UpscalePlan& plan) {
  const std::string launcher_dir = InstallLayout::ExeDir();
  const std::string enhancer = launcher_dir + "enhance.exe";
  const bool has_upscaler = !plan.upscaler.empty();
  const int scale = plan.scale;
  const bool fast = strcmp(SettingsStore::Get("graphics.upscale_model"), "fast") == 0;
  const std::wstring model = fast ? L"realesr-animevideov3-x" + std::to_wstring(scale) : L"realesrgan-x4plus";

  const wchar_t* detail = !has_upscaler ? L"Scaling with Windows' high-quality filter (no AI upscaler installed)."
                          : fast        ? L"AI upscaling with Real-ESRGAN (fast model)."
                                        : L"AI upscaling with Real-ESRGAN (best quality: this takes a while).";
  Activate(kUpscale, detail, 0);
  CreateDirectoryA(p.enhanced.c_str(), nullptr);  // in the cache folder ReadFrames claimed

  std::wstring command = QuoteArgument(text::Utf8ToWide(enhancer)) + L" --frames " +
                         QuoteArgument(text::Utf8ToWide(p.frames)) + L" --name uisingle --scale " +
                         std::to_wstring(scale) + L" --out " + QuoteArgument(text::Utf8ToWide(p.part));
  if (has_upscaler) command += L" --upscaler " + QuoteArgument(text::Utf8ToWide(plan.upscaler)) + L" --model " + model;

  const uint32_t code = ChildProcess::Run(
      command, launcher_dir, {},
      [](const std::string& line) {
        AppendJobLog(line);
        unsigned done = 0, total = 0;
        char word[32] = "";
        if (sscanf(line.c_str(), "progress %u %u %31s", &done, &total, word) == 3)
          ShowFrames(kUpscale, done, total, strcmp(word, "upscale") == 0 ? L" frames upscaled" : L" frames encoded");
      },
      JobCancelToken());
  DWORD error = ERROR_SUCCESS;
  const Placement placed = code == 0 && !JobCancelRequested() ? PlaceVideo(p, &error) : Placement::kNoOutput;
  if (CheckCancel(kUpscale)) {
    DeleteFileA(p.part.c_str());
    return false;
  }
  if (placed == Placement::kPlaced && HasEnhancedVideo()) {
    Done(kUpscale, InstallLayout::FormatSize(EnhancedVideoSize()), 1);
    return true;
  }
  if (placed == Placement::kHeld) {
    DeleteFileA(p.part.c_str());
    wchar_t message[200];
    swprintf(message, 200,
             L"The new video couldn't take the old one's place (Windows error %lu). Close whatever has "
             L"uisingle.mp4 open, or make it writable, then try again.",
             (unsigned long)error);
    FailStep(kUpscale, message);
    return false;
  }
  FailStep(kUpscale, L"enhance.exe failed (exit code " + ExitCodeText(code) + L").");
  return false;
}

void TurnOnEnhancedFiles() {
  Activate(kTurnOn, kKeepDetail, kKeepProgress);
  SettingsStore::Set("graphics.enhanced_assets", "1");
  SettingsStore::Flush();  // the game reads the file, maybe before the saver would write it
  Done(kTurnOn, L"Settings > Graphics > Use enhanced files is on.", kKeepProgress);
}

void RunEnhance() {
  const EnhancePaths p = Paths();
  const UpscalePlan plan = PlanUpscale();
  if (!CheckFreeSpace(p)) return;
  if (!ReadFrames(p)) return;
  if (!UpscaleAndEncode(p, plan)) return;
  TurnOnEnhancedFiles();
  Activate(kRemoveFrames, kKeepDetail, kKeepProgress);
  RemoveTemporaryFrames();
  Done(kRemoveFrames, kKeepDetail, kKeepProgress);
}

// Unlike the setup job, `finished` means success here: the screens announce the new
// video only then.
void EndEnhanceJob() {
  const bool cancel = JobCancelRequested();
  if (cancel) RemoveTemporaryFrames();
  bool failed;
  {
    ScopedLock lock(JobsLock());
    JobStatus& job = Jobs().status;
    if (cancel) job.cancelled = true;
    failed = job.failed;
  }
  EndJob(!failed && !cancel);
}

// [SECTION] Pause watcher

// Holds the enhancer suspended while the game runs. Only upscaling is paused: the frame
// dump is itself a run of the game, and the other steps are short. The job's own thread
// starts it and, before the job ends, stops it and waits for it, so no watcher outlives
// its job (a thread still running while the process exits can hang that exit).
struct PauseWatch {
  uint32_t serial = 0;   // the job's
  HANDLE stop = nullptr;  // manual-reset: the job's work is over
};

DWORD WINAPI PauseWatcher(LPVOID param) {
  const PauseWatch watch = *static_cast<const PauseWatch*>(param);  // a copy: the job's may go first
  const uint32_t serial = watch.serial;
  CancelToken* const token = JobCancelToken();
  uint32_t suspended = 0;  // run number of the tool this watcher suspended, until it resumes or forgets it
  for (;;) {
    const bool game = IsGameRunning();
    {
      ScopedLock lock(JobsLock());
      JobsShared& jobs = Jobs();
      // A later job means ours ended, and with it the tool it may have had suspended.
      if (jobs.job_serial != serial) return 0;
      JobStatus& job = jobs.status;
      const uint32_t tool = CurrentToolRun(token);
      const bool pause = job.running && job.kind == kJobEnhance && job.steps.size() > kUpscale &&
                         job.steps[kUpscale].state == StepState::kActive && tool != 0 && game &&
                         !CancelRequested(token);
      if (!(suspended != 0 && pause && suspended == tool)) {
        // A tool that has ended is forgotten untouched: its processes have gone with it.
        if (suspended != 0 && suspended == tool) SuspendToolRun(token, tool, false);
        suspended = pause && SuspendToolRun(token, tool, true) ? tool : 0;
      }
      job.paused = suspended != 0;
      if (!job.running) return 0;
    }
    if (WaitForSingleObject(watch.stop, kWatchIntervalMs) != WAIT_TIMEOUT) {
      // The work is over, so the tool it may have suspended has ended with it.
      ScopedLock lock(JobsLock());
      Jobs().status.paused = false;
      return 0;
    }
  }
}

// Runs the job's work with its pause watcher beside it.
void RunWatched() {
  PauseWatch watch;
  {
    ScopedLock lock(JobsLock());
    watch.serial = Jobs().job_serial;
  }
  watch.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE watcher = watch.stop ? CreateThread(nullptr, 0, PauseWatcher, &watch, 0, nullptr) : nullptr;
  if (!watcher) LogLine("[launcher] couldn't start the pause watcher: the enhancer will run on while the game plays");
  RunEnhance();
  bool stopped = true;
  if (watcher) {
    SetEvent(watch.stop);
    // Its loop holds no tool and takes only the jobs lock: it ends at once.
    stopped = WaitForSingleObject(watcher, 10000) != WAIT_TIMEOUT;
    if (!stopped) LogLine("[launcher] the pause watcher didn't stop");
    CloseHandle(watcher);
  }
  if (watch.stop && stopped) CloseHandle(watch.stop);  // else the watcher may still wait on it
}

}  // namespace

// [SECTION] Interface

bool StartEnhanceJob() {
  JobStart start;
  start.kind = kJobEnhance;
  start.title = L"Enhancing your intro video";
  start.subtitle =
      L"Your own intro video is upscaled on this PC and kept next to your settings. The disc dump is only read.";
  start.steps.assign(std::begin(kStepTitles), std::end(kStepTitles));
  start.work = [] {
    RunWatched();
    EndEnhanceJob();
  };
  start.finishedAfterFailure = false;
  return StartJob(start);  // false: a setup or enhancement job is working
}

int64_t EnhancedVideoSize() { return files::FileSize(Paths().video); }

bool HasEnhancedVideo() { return EnhancedVideoSize() > 0; }

void RemoveTemporaryFrames() {
  const EnhancePaths p = Paths();
  // Only in the launcher's own cache folder: in one of the player's, frames is theirs.
  if (!IsLauncherFolder(p.data + "\\cache")) return;
  // Never through a link: a junction in place of a frames folder must not cost the
  // player the files it points at.
  if (!files::IsPlainFolder(p.frames)) {
    RemoveDirectoryA(p.frames.c_str());  // a link: only the link goes
    return;
  }
  if (files::IsPlainFolder(p.up)) DeleteFilesIn(p.up);
  RemoveDirectoryA(p.up.c_str());
  DeleteFilesIn(p.frames);
  RemoveDirectoryA(p.frames.c_str());
}

namespace JobsTesting {
void SetVideoMoveWait(unsigned ms) { g_move_wait_ms = ms; }
}  // namespace JobsTesting

bool RemoveEnhancedVideo(std::wstring* message) {
  OFF_WINDOW_THREAD("RemoveEnhancedVideo");  // thousands of cached frames can be deleted
  message->clear();
  const EnhancePaths p = Paths();
  const std::string cache = p.data + "\\cache";
  if (files::Exists(cache) && !IsLauncherFolder(cache)) {
    *message = text::Utf8ToWide(cache) +
               L" wasn't made by Kestrane, so nothing in it is deleted. Move that folder away or choose another game "
               L"data folder.";
    return false;
  }
  RemoveTemporaryFrames();
  bool deleted = true;
  if (HasEnhancedVideo()) {
    deleted = DeleteFileA(p.video.c_str()) != FALSE;
    if (!deleted) LogLine("[launcher] couldn't delete %s (Windows error %lu)", p.video.c_str(), GetLastError());
  }
  SettingsStore::Set("graphics.enhanced_assets", "0");
  if (!deleted) *message = L"Couldn't remove the enhanced video. Quit the game and try again.";
  return deleted;
}
