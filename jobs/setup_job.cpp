#include "jobs/setup_job.h"

#include <windows.h>

#include <cstdio>
#include <iterator>

#include "dump/dump_judgement.h"
#include "game/build_status.h"
#include "jobs/build_folder_size.h"
#include "jobs/console_progress.h"
#include "jobs/free_space_probe.h"
#include "jobs/job_status.h"
#include "jobs/shutdown.h"
#include "jobs/toolchain.h"
#include "platform/files.h"
#include "platform/text.h"
#include "process/child_process.h"
#include "settings/game_location.h"
#include "settings/install_layout.h"
#include "settings/launcher_log.h"

namespace {

enum SetupStepIndex {
  kFindDump = 0,
  kCheckDisc = 1,
  kBuildTools = 2,
  kSource = 3,
  kIndex = 4,
  kBuild = 5,
  kShaders = 6,
  kReady = 7,
};

const wchar_t* const kStepTitles[] = {
    L"Find your disc dump",
    L"Check it's the retail USA disc",
    L"Unpack the build tools",
    L"Get the Kestrane source",
    L"Index the game files",
    L"Build Kestrane",
    L"Prepare the shaders",
    L"Ready to play",
};

// About 1.5 GiB: what a build of the game takes. More than this must be free.
const int64_t kBuildSpaceLimit = 0x5FFFFFFF;
const int64_t kBuildSpaceShown = 0x60000000;

struct SetupRequest {
  std::string dump_path;
  bool rebuild = false;
  DumpIndexedHook on_indexed = nullptr;
};

void Done(int step, const std::wstring& detail) { SetStep(step, StepState::kDone, detail, kKeepProgress); }
void Skip(int step, const std::wstring& detail) { SetStep(step, StepState::kSkipped, detail, kKeepProgress); }
void Activate(int step) { SetStep(step, StepState::kActive, kKeepDetail, kKeepProgress); }

// The last-write time, or zero when the file can't be read.
FILETIME LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return FILETIME{0, 0};
  return data.ftLastWriteTime;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The full download carries a tools folder next to the launcher; the launcher-only one doesn't.
bool HasToolsFolder() { return files::IsFolder(InstallLayout::ExeDir() + "tools"); }

// [SECTION] Steps
// Each returns false when the job ends at it (failed or cancelled).

bool FindDump(const SetupRequest& request, DumpJudgement* judgement) {
  Activate(kFindDump);
  AppendJobLog("[launcher] looking at " + request.dump_path);
  // A disc image is extracted here, by dtk under the job's cancel.
  *judgement = JudgeDump(request.dump_path, true, JobCancelToken());
  if (!judgement->recognised) {
    // A cancelled extraction leaves no judgement worth reporting: the cancel is the news.
    if (CheckCancel(kFindDump)) return false;
    FailStep(kFindDump, text::Utf8ToWide(judgement->message));
    return false;
  }
  Done(kFindDump, text::Utf8ToWide(judgement->path) +
                      (IsDiscImage(judgement->path) ? L" (disc image, " : L" (extracted folder, ") +
                      InstallLayout::FormatSize(judgement->bytes) + L")");
  return true;
}

bool CheckDisc(const DumpJudgement& judgement) {
  if (CheckCancel(kCheckDisc)) return false;
  Activate(kCheckDisc);
  AppendJobLog("[launcher] main.dol sha1 " + judgement.sha1);
  if (!judgement.verified) {
    FailStep(kCheckDisc, L"This disc doesn't match the retail USA game, so Kestrane can't run it.");
    return false;
  }
  Done(kCheckDisc, L"main.dol SHA-1 matches RKVE01 " + text::Utf8ToWide(InstallLayout::Shorten(judgement.sha1)));
  return true;
}

bool CheckBuildTools(bool already_built) {
  if (CheckCancel(kBuildTools)) return false;
  if (already_built) {
    Skip(kBuildTools, L"Not needed: the game is already built");
    return true;
  }
  Activate(kBuildTools);
  const std::string source = InstallLayout::CheckoutRoot();
  int64_t free_bytes = JobFreeSpace(source.empty() ? InstallLayout::ExeDir() : source);
  if (free_bytes >= 0 && free_bytes <= kBuildSpaceLimit) {
    FailStep(kBuildTools, L"Building needs about " + InstallLayout::FormatSize(kBuildSpaceShown) +
                              L" free on this drive; there's " + InstallLayout::FormatSize(free_bytes) +
                              L". Free some space, then try again.");
    return false;
  }
  ToolchainPaths tools = FindToolchain(JobCancelToken());
  // A cancel during the version probe ends the probe, which would read as "no Python".
  if (CheckCancel(kBuildTools)) return false;
  // The launcher-only download has no tools folder: downloading it again can't help.
  const bool full_download = HasToolsFolder();
  if (tools.python.empty()) {
    FailStep(kBuildTools, full_download
                              ? L"Python wasn't found. The Kestrane download has it in tools\\python; download it again."
                              : L"Python wasn't found. Install Python 3.11 or newer (python.org) and add it to PATH, "
                                L"then try again.");
    return false;
  }
  if (tools.zig.empty()) {
    FailStep(kBuildTools, full_download
                              ? L"zig wasn't found. The Kestrane download has it in tools\\zig; download it again."
                              : L"zig wasn't found. Install zig (ziglang.org) and add it to PATH or set ZIG to zig.exe, "
                                L"then try again.");
    return false;
  }
  Done(kBuildTools, tools.fromToolsFolder ? L"Using the bundled zig and Python"
                                          : L"Using zig and Python already on this PC (developer setup)");
  return true;
}

bool FindSource(bool already_built, const std::string& ref) {
  if (CheckCancel(kSource)) return false;
  if (already_built) {
    Skip(kSource, L"Not needed: the game is already built");
    return true;
  }
  const std::string source = InstallLayout::CheckoutRoot();
  if (source.empty()) {
    FailStep(kSource, HasToolsFolder() ? L"The Kestrane source isn't on this PC. Downloads arrive with the update host."
                                       : L"The Kestrane source isn't on this PC. Unpack it so tools\\gametrial sits "
                                         L"beside Kestrane's folder, then try again.");
    return false;
  }
  std::wstring detail = files::IsFolder(source + "\\.git") ? L"Using this PC's checkout" : L"Using the source in this download";
  if (!ref.empty()) detail += L" \x00B7 decomp " + text::Utf8ToWide(ref);
  Done(kSource, detail);
  return true;
}

bool IndexGameFiles(const SetupRequest& request, const DumpJudgement& judgement) {
  if (CheckCancel(kIndex)) return false;
  SetStep(kIndex, StepState::kActive, L"Reading every resource set and checking its CRCs", -1);
  const std::string launcher_dir = InstallLayout::ExeDir();
  const std::string importer = launcher_dir + "import.exe";
  if (!files::IsFile(importer)) {
    FailStep(kIndex, L"import.exe is missing next to the launcher.");
    return false;
  }
  // The importer takes the folder holding the disc's sys and files.
  const std::string dump = IsDiscImage(judgement.path) ? judgement.files_dir + "\\.." : judgement.path;
  const std::wstring command =
      QuoteArgument(text::Utf8ToWide(importer)) + L" " + QuoteArgument(text::Utf8ToWide(dump));
  std::string summary, error;
  const uint32_t code = ChildProcess::Run(command, launcher_dir, {}, [&](const std::string& line) {
    AppendJobLog("[import] " + line);
    if (StartsWith(line, "sets:")) summary = line;
    if (StartsWith(line, "error:")) error = line.size() > 7 ? line.substr(7) : std::string();
  }, JobCancelToken());
  if (CheckCancel(kIndex)) return false;  // the tool was ended; its exit code means nothing
  if (code != 0) {
    FailStep(kIndex, code == kToolDidNotStart ? L"Couldn't start import.exe."
                     : !error.empty()         ? text::Utf8ToWide(error)
                                              : L"The importer failed.");
    return false;
  }
  int ok = 0, failed = 0;
  long long resources = 0;
  sscanf(summary.c_str(), "sets: %d ok, %d failed, %lld resources", &ok, &failed, &resources);
  wchar_t detail[128];
  swprintf(detail, 128, L"%d resource sets, %lld resources, every CRC checked", ok, resources);
  SetStep(kIndex, StepState::kDone, detail, -1);
  if (request.on_indexed) request.on_indexed(judgement.path);
  return true;
}

bool BuildGame(const DumpJudgement& judgement, const BuildStatus& before_job) {
  if (CheckCancel(kBuild)) return false;
  if (before_job.built) {
    Skip(kBuild, L"Already built (" + text::Utf8ToWide(before_job.built_time) + L")");
    return true;
  }
  SetStep(kBuild, StepState::kActive, L"Compiling the decomp into a PC game. This takes a few minutes.", -1);
  const std::string game = GameExePath();
  const FILETIME before = LastWriteTime(game);
  ToolchainPaths tools = FindToolchain(JobCancelToken());
  if (CheckCancel(kBuild)) return false;

  const std::string source = InstallLayout::CheckoutRoot();
  const std::wstring command = QuoteArgument(text::Utf8ToWide(tools.python)) + L" -I " +
                               QuoteArgument(text::Utf8ToWide(source + "\\tools\\gametrial\\link.py"));
  EnvOverrides environment = {{"KESTRANE_DOL", judgement.dol_path}, {"PYTHONUNBUFFERED", "1"}};
  if (IsZigPath(tools.zig)) environment.push_back({"ZIG", tools.zig});
  AppendJobLog("[launcher] python " + tools.python + ", zig " + tools.zig);

  std::string last_line;
  const uint32_t code = ChildProcess::Run(command, source, environment, [&](const std::string& line) {
    AppendJobLog("[build] " + line);
    last_line = line;
    // Short lines scroll through the step's detail; long ones would only be cut off.
    if (line.size() <= 119) SetStep(kBuild, StepState::kActive, text::Utf8ToWide(line), kKeepProgress);
  }, JobCancelToken());
  if (CheckCancel(kBuild)) return false;  // the tool was ended; its exit code means nothing

  const FILETIME after = LastWriteTime(game);
  const bool newer = (after.dwLowDateTime | after.dwHighDateTime) != 0 && CompareFileTime(&after, &before) > 0;
  if (code != 0 || !newer) {
    LogLine("[launcher] build failed (exit %d): %s", (int)code, last_line.c_str());
    FailStep(kBuild, L"Build failed. Show details for the log.");
    return false;
  }
  Done(kBuild, L"Built " + text::Utf8ToWide(InstallLayout::FileDate(game)));
  ForgetBuildFolderSize();
  return true;
}

void RunSetup(const SetupRequest& request) {
  // Read once: the steps that keep an installed game must agree on it. A rebuild counts
  // the installed game as not there.
  BuildStatus before_job = ReadBuildStatus();
  if (request.rebuild) before_job.built = false;
  const bool already_built = before_job.built;
  DumpJudgement judgement;
  if (!FindDump(request, &judgement)) return;
  if (!CheckDisc(judgement)) return;
  if (!CheckBuildTools(already_built)) return;
  if (!FindSource(already_built, before_job.source_ref)) return;
  if (!IndexGameFiles(request, judgement)) return;
  if (!BuildGame(judgement, before_job)) return;
  Skip(kShaders, L"Not needed: shaders are made as the game runs");
  Done(kReady, L"Press PLAY to start.");
}

}  // namespace

bool StartSetupJob(const std::string& dumpPath, bool rebuild, DumpIndexedHook onIndexed) {
  JobStart start;
  start.kind = kJobSetup;
  start.title = rebuild ? L"Rebuilding Kestrane" : L"Getting Kestrane ready";
  start.subtitle = L"We read your disc dump and build the game on this PC. This takes a few minutes.";
  start.steps.assign(std::begin(kStepTitles), std::end(kStepTitles));
  const SetupRequest request{dumpPath, rebuild, onIndexed};
  start.work = [request] {
    RunSetup(request);
    EndJob(true);  // finished, whether it succeeded, failed or was cancelled
  };
  return StartJob(start);
}

int RunSetupFromConsole(const std::string& dumpPath, bool rebuild, DumpIndexedHook onIndexed) {
  if (!StartSetupJob(dumpPath, rebuild, onIndexed)) {
    printf("a job is already running\n");
    fflush(stdout);
    return 1;
  }
  const int failed = PrintJobProgress();
  // The dump path the job stored must reach settings.ini before this process ends.
  ShutdownBackgroundWork(kShutdownWaitMs);
  if (failed == 0) return 0;
  JobStatus job = SnapshotJob();
  printf("---- log (last %d lines)\n", (int)job.log.size());
  for (const std::string& line : job.log) printf("%s\n", line.c_str());
  fflush(stdout);
  return 1;
}
