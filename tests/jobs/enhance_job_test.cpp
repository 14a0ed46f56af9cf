// The intro-video enhancement end to end: the test build of the launcher run as
// "--enhance" in an install folder with the stand-in game and the stand-in enhancer, and
// in process for removing its result.
#include "jobs/enhance_job.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <thread>

#include "platform/create_process.h"
#include "platform/text.h"
#include "process/child_process.h"
#include "settings/game_data_folder.h"
#include "settings/settings_store.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/jobs/jobs_test_support.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/folder_link.h"
#include "tests/support/temp_folder.h"

using jobstest::FinalStates;
using jobstest::Lines;
using testsupport::ChildResult;
using testsupport::PathExists;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

const std::vector<std::string> kTitles = {
    "Check free space", "Read the intro video's frames", "Upscale and encode", "Turn on enhanced files",
    "Remove the temporary frames",
};
const char kOldVideo[] = "the video of an earlier run";
const char kNoUpscaler[] = "Scaling with Windows' high-quality filter (no AI upscaler installed).";
const char kWaiting[] = "Upscale and encode: active Finished: waiting for the game to close to put it in place.";

// A launcher install (test build) with the stand-in game and enhancer next to it, and a
// player profile whose game data folder is the default one under its home folder. Every
// run has exactly the free space the job needs.
class EnhanceJobTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    ASSERT_NE("", fixtures::MakeInstall(Install()));
    ASSERT_TRUE(fixtures::AddTool(Install(), "KestraneGame.exe", "standin_game.exe"));
    ASSERT_TRUE(fixtures::AddTool(Install(), "enhance.exe", "standin_enhance.exe"));
    ASSERT_TRUE(fixtures::AddTool(Install(), "job_probe.exe", "job_probe.exe"));
    options_ = fixtures::LauncherOptions(Path("profile"));
    options_.env.push_back({"KESTRANE_TEST_FREE_SPACE", "2306867200"});
    options_.env.push_back({"KESTRANE_GAME_EXE", ""});
  }

  std::string Install() const { return Path("install"); }
  std::string Data() const { return Path("profile\\home\\Games\\Kestrane"); }
  std::string Frames() const { return Data() + "\\cache\\frames"; }
  std::string Video() const { return Data() + "\\cache\\enhanced\\uisingle.mp4"; }
  std::string Part() const { return Data() + "\\cache\\enhanced\\uisingle.part.mp4"; }
  std::string SettingsFile() const { return Path("profile\\local\\Kestrane\\settings.ini"); }

  void SteerGame(const std::string& lines) { WriteFile(Install() + "\\game.steer", lines); }
  void SteerEnhancer(const std::string& lines) { WriteFile(Install() + "\\enhance.steer", lines); }
  void SetEnv(const std::string& name, const std::string& value) { options_.env.push_back({name, value}); }
  std::string EnhancerGot() const { return ReadFile(Install() + "\\enhance.received"); }

  // "--enhance" on the console, as a script runs it.
  ChildResult Enhance() { return Run("Kestrane.exe", {"--enhance"}); }
  // The job probe in the launcher's place: every step change is in its output, and it
  // cancels or marks where `extra` says (see tests/jobs/job_probe.cpp).
  ChildResult Probe(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"enhance"};
    args.insert(args.end(), extra.begin(), extra.end());
    return Run("job_probe.exe", args);
  }
  ChildResult Run(const std::string& exe, const std::vector<std::string>& args) {
    settings_before_ = ReadFile(SettingsFile());
    ChildResult r = testsupport::RunChild(Install() + "\\" + exe, args, options_);
    EXPECT_TRUE(r.started);
    EXPECT_FALSE(r.timed_out);
    return r;
  }
  std::map<std::string, std::string> States(const ChildResult& r) const { return FinalStates(r.out, kTitles); }

  // The job stopped at `step` with `text` (a state word and the detail), later steps
  // never ran, and an earlier video and the settings stayed as they were.
  void ExpectEndedAt(const ChildResult& r, int step, const std::string& text, bool cancelled = false) {
    std::map<std::string, std::string> states = States(r);
    EXPECT_EQ(text, states[kTitles[step]]) << r.out;
    for (size_t later = step + 1; later < kTitles.size(); ++later) EXPECT_EQ("pending ", states[kTitles[later]]);
    EXPECT_NE(std::string::npos, r.out.find(cancelled ? "\nfinished 0 failed 0 cancelled 1\n"
                                                      : "\nfinished 0 failed 1 cancelled 0\n"))
        << r.out;
    EXPECT_EQ(kOldVideo, ReadFile(Video()));
    EXPECT_EQ(settings_before_, ReadFile(SettingsFile()));
  }

  testsupport::ChildOptions options_;
  std::string settings_before_;  // settings.ini before the last run
};

bool Has(const std::string& out, const std::string& line) { return out.find("\n" + line + "\n") != std::string::npos; }

// [SECTION] Success

TEST_F(EnhanceJobTest, TheVideoIsMadePutInPlaceAndTurnedOn) {
  // Frames and saves of an earlier failed run: the game's new dump must be all the
  // enhancer sees, and the hidden game starts from an empty NAND.
  WriteFile(Frames() + "\\frame_09999.png", "stale");
  WriteFile(Frames() + "\\up\\frame_09999.png", "stale");
  WriteFile(Data() + "\\cache\\dumpnand\\title\\save.bin", "an earlier run's save");
  SteerGame("dump_frames=24\n");

  ChildResult r = Probe();
  EXPECT_EQ(0u, r.exit_code) << r.out;
  std::map<std::string, std::string> states = States(r);
  EXPECT_EQ("done 2.15 GB free", states[kTitles[0]]);  // exactly what the job needs
  EXPECT_EQ("done ", states[kTitles[1]]);
  EXPECT_EQ("done 4 KB", states[kTitles[2]]);
  EXPECT_EQ("done Settings > Graphics > Use enhanced files is on.", states[kTitles[3]]);
  EXPECT_EQ("done ", states[kTitles[4]]);
  EXPECT_TRUE(Has(r.out, "finished 1 failed 0 cancelled 0")) << r.out;
  EXPECT_TRUE(Has(r.out, "Read the intro video's frames: active 12 of 24 frames")) << r.out;
  EXPECT_TRUE(Has(r.out, std::string("Upscale and encode: active ") + kNoUpscaler)) << r.out;

  EXPECT_EQ(std::string(5000, 'v'), ReadFile(Video()));
  EXPECT_FALSE(PathExists(Part()));
  EXPECT_FALSE(PathExists(Frames()));
  EXPECT_NE(std::string::npos, testsupport::Lf(ReadFile(SettingsFile())).find("[graphics]\nenhanced_assets = 1\n"));
  // Without an upscaler there is no --upscaler and no --model; the default scale is 2.
  EXPECT_EQ("[arg] " + Install() + "\\enhance.exe\n[arg] --frames\n[arg] " + Frames() +
                "\n[arg] --name\n[arg] uisingle\n[arg] --scale\n[arg] 2\n[arg] --out\n[arg] " + Part() + "\n",
            EnhancerGot().substr(0, EnhancerGot().find("[cwd]")));
  EXPECT_NE(std::string::npos, EnhancerGot().find("[cwd] " + Install())) << EnhancerGot();
  EXPECT_NE(std::string::npos, EnhancerGot().find("[frames] 24\n")) << EnhancerGot();
  EXPECT_NE(std::string::npos, ReadFile(Install() + "\\received.txt").find("[cwd] " + Install()));
}

TEST_F(EnhanceJobTest, TheUpscalerGetsTheModelAndScaleTheSettingsAskFor) {
  WriteFile(Install() + "\\tools\\realesrgan\\realesrgan-ncnn-vulkan.exe", "upscaler");
  // A progress line without a total tells nothing; the step's first detail stays.
  SteerEnhancer("line=progress 7 0 upscale\n");
  struct Case {
    const char* model;
    const char* scale;
    const char* passed_scale;
    const char* passed_model;
    const char* detail;
  } cases[] = {
      {"fast", "4", "4", "realesr-animevideov3-x4", "AI upscaling with Real-ESRGAN (fast model)."},
      {"fast", "3", "2", "realesr-animevideov3-x2", "AI upscaling with Real-ESRGAN (fast model)."},
      {"realesrgan", "4", "4", "realesrgan-x4plus", "AI upscaling with Real-ESRGAN (best quality: this takes a while)."},
  };
  for (const Case& c : cases) {
    WriteFile(SettingsFile(), std::string("[graphics]\nupscale_model = ") + c.model + "\nupscale_scale = " + c.scale + "\n");
    ChildResult r = Probe();
    EXPECT_EQ(0u, r.exit_code) << r.out;
    EXPECT_TRUE(Has(r.out, std::string("Upscale and encode: active ") + c.detail)) << r.out;
    EXPECT_EQ(std::string::npos, r.out.find(" of 0 frames")) << r.out;
    EXPECT_TRUE(Has(r.out, "Upscale and encode: active 24 of 24 frames upscaled")) << r.out;
    EXPECT_TRUE(Has(r.out, "Upscale and encode: active 24 of 24 frames encoded")) << r.out;
    EXPECT_NE(std::string::npos, EnhancerGot().find(std::string("\n[arg] --scale\n[arg] ") + c.passed_scale + "\n"));
    EXPECT_NE(std::string::npos,
              EnhancerGot().find("\n[arg] --upscaler\n[arg] " + Install() +
                                 "\\tools\\realesrgan\\realesrgan-ncnn-vulkan.exe\n[arg] --model\n[arg] " +
                                 c.passed_model + "\n"))
        << c.model << " " << c.scale << "\n"
        << EnhancerGot();
  }
  // An empty upscaler file is no upscaler.
  WriteFile(Install() + "\\tools\\realesrgan\\realesrgan-ncnn-vulkan.exe", "");
  ChildResult r = Probe();
  EXPECT_TRUE(Has(r.out, std::string("Upscale and encode: active ") + kNoUpscaler)) << r.out;
  EXPECT_EQ(std::string::npos, EnhancerGot().find("--upscaler"));
}

// [SECTION] Failures

TEST_F(EnhanceJobTest, AFailedRunKeepsTheEarlierVideo) {
  WriteFile(Video(), kOldVideo);
  SetEnv("KESTRANE_TEST_FREE_SPACE", "2306867199");
  ExpectEndedAt(Enhance(), 0, "FAILED About 2.15 GB free space is needed; 2.15 GB is free.");
  SetEnv("KESTRANE_TEST_FREE_SPACE", "2306867200");

  SteerGame("dump_exit=94\n");
  ExpectEndedAt(Enhance(), 1, "FAILED The game stopped before the video finished (exit code 94).");
  EXPECT_TRUE(PathExists(Frames() + "\\frame_00024.png"));  // kept until the next run
  SteerGame("");

  SteerEnhancer("exit=5\n");
  ExpectEndedAt(Enhance(), 2, "FAILED enhance.exe failed (exit code 5).");
  // An enhancer that says it succeeded but left no video, or an empty one, succeeded at
  // nothing: the earlier video stays and the job says so.
  SteerEnhancer("output_bytes=none\n");
  ExpectEndedAt(Enhance(), 2, "FAILED enhance.exe failed (exit code 0).");
  SteerEnhancer("output_bytes=0\n");
  ExpectEndedAt(Enhance(), 2, "FAILED enhance.exe failed (exit code 0).");
  EXPECT_FALSE(PathExists(Part()));

  DeleteFileA((Install() + "\\KestraneGame.exe").c_str());
  ExpectEndedAt(Enhance(), 1, "FAILED KestraneGame.exe isn't built yet.");
}

// [SECTION] Cancel

TEST_F(EnhanceJobTest, CancelEndsTheToolsRemovesTheFramesAndKeepsTheEarlierVideo) {
  WriteFile(Video(), kOldVideo);
  SteerGame("dump_frames=1000\ndump_frame_ms=20\n");
  ChildResult dump = Probe({"--cancel", "log [movie] dumped 5/"});
  ExpectEndedAt(dump, 1, "FAILED Cancelled. Your current game stays as it is.", true);
  EXPECT_FALSE(PathExists(Frames()));
  size_t at = dump.out.find("\n[movie] pid ");
  ASSERT_NE(std::string::npos, at) << dump.out;
  if (HANDLE game = OpenProcess(SYNCHRONIZE, FALSE, (DWORD)atol(dump.out.c_str() + at + 13))) {
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(game, 5000)) << "the hidden game still runs";
    CloseHandle(game);
  }

  SteerGame("");
  SteerEnhancer("frame_ms=50\n");
  ChildResult upscale = Probe({"--cancel", "log progress 3 "});
  ExpectEndedAt(upscale, 2, "FAILED Cancelled. Your current game stays as it is.", true);
  EXPECT_FALSE(PathExists(Frames()));
  EXPECT_FALSE(PathExists(Part()));
}

// [SECTION] The game

TEST_F(EnhanceJobTest, ThePlayTestShowsTheEnhancerAndItsChildPausedWhileTheGamePlays) {
  SetEnv("KESTRANE_ENHANCE_PLAYTEST", "4");
  SteerGame("dump_frames=200\ndump_frame_ms=1\n");  // plays, when started to play, until ended
  SteerEnhancer("frame_ms=25\nchild=1\n");
  ChildResult r = Enhance();
  EXPECT_EQ(0u, r.exit_code) << r.out;

  std::vector<std::string> playing, after;
  for (const std::string& line : Lines(r.out)) {
    if (line.rfind("playtest playing: ", 0) == 0) playing.push_back(line.substr(18));
    if (line.rfind("playtest after: ", 0) == 0) after.push_back(line.substr(16));
  }
  ASSERT_EQ(4u, playing.size()) << r.out;
  ASSERT_EQ(10u, after.size()) << r.out;
  // Paused while the game plays, and from then on the upscaling stands still. The
  // watcher looks twice a second; on a busy machine the first line may come before it.
  size_t paused = 0;
  while (paused < playing.size() && playing[paused].rfind("game 1 paused 1 upscale 0.", 0) != 0) ++paused;
  ASSERT_LE(paused, 1u) << "paused late or never:\n" << r.out;
  for (size_t i = paused; i < playing.size(); ++i) EXPECT_EQ(playing[paused], playing[i]) << r.out;
  // Resumed once the game has ended, and the upscaling moves on.
  size_t resumed = 0;
  while (resumed < after.size() && after[resumed].rfind("game 0 paused 0 upscale ", 0) != 0) ++resumed;
  ASSERT_LE(resumed, 1u) << "resumed late or never:\n" << r.out;
  std::set<std::string> progress_after;
  for (size_t i = resumed; i < after.size(); ++i) {
    EXPECT_EQ(0u, after[i].rfind("game 0 paused 0 upscale ", 0)) << r.out;
    progress_after.insert(after[i].substr(24));
  }
  EXPECT_GE(progress_after.size(), 3u) << r.out;
  EXPECT_EQ("done 4 KB", States(r)[kTitles[2]]);

  // Both stalled from the inside for most of the time the game played.
  const std::string pauses = ReadFile(Install() + "\\enhance.pauses");
  for (const char* who : {"enhancer", "child"}) {
    bool long_stall = false;
    for (const std::string& line : Lines(pauses))
      if (line.rfind(std::string(who) + " stalled ", 0) == 0 && atol(line.c_str() + strlen(who) + 9) >= 1500)
        long_stall = true;
    EXPECT_TRUE(long_stall) << who << " was never suspended:\n" << pauses;
  }
}

// The player's game, started outside the launcher, playing the enhanced intro.
class PlayerGame {
 public:
  explicit PlayerGame(const testsupport::ChildOptions& options, const std::string& exe) {
    std::wstring command = QuoteArgument(text::Utf8ToWide(exe));
    std::wstring block = BuildEnvironmentBlock(options.env);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    DWORD error = 0;
    if (CreateProcessTrying(nullptr, command, FALSE, CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, &block[0], nullptr,
                            &si, &pi, &error)) {
      CloseHandle(pi.hThread);
      process_ = pi.hProcess;
    }
  }
  ~PlayerGame() { Quit(); }
  bool started() const { return process_ != nullptr; }
  void Quit() {
    if (!process_) return;
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, 10000);
    CloseHandle(process_);
    process_ = nullptr;
  }

 private:
  HANDLE process_ = nullptr;
};

bool WaitForText(const std::string& path, const std::string& text, unsigned timeout_ms) {
  for (ULONGLONG until = GetTickCount64() + timeout_ms; GetTickCount64() < until; Sleep(50))
    if (ReadFile(path).find(text) != std::string::npos) return true;
  return false;
}

// The player's game, started outside the launcher, plays the old enhanced intro.
class HeldVideoTest : public EnhanceJobTest {
 protected:
  void SetUp() override {
    EnhanceJobTest::SetUp();
    WriteFile(Video(), kOldVideo);
    WriteFile(SettingsFile(), "[graphics]\nenhanced_assets = 1\n");
    game_ = std::make_unique<PlayerGame>(options_, Install() + "\\KestraneGame.exe");
    ASSERT_TRUE(game_->started());
    ASSERT_TRUE(WaitForText(Install() + "\\received.txt", "[video] " + Video() + " open", 30000))
        << ReadFile(Install() + "\\received.txt");
  }
  std::unique_ptr<PlayerGame> game_;
};

const char kWaitingDetail[] = "detail 2 Finished: waiting for the game to close";

TEST_F(HeldVideoTest, TheNewVideoWaitsForTheGameToLetTheOldOneGo) {
  options_.stdout_file = Path("probe.out");
  ChildResult r;
  std::thread launcher([&] { r = Probe({"--mark", kWaitingDetail}); });
  const bool waited = WaitForText(options_.stdout_file, "probe: mark", 60000);
  const std::string while_held = ReadFile(options_.stdout_file);
  const std::string video_while_held = ReadFile(Video());
  game_->Quit();
  launcher.join();

  EXPECT_TRUE(waited) << ReadFile(options_.stdout_file);
  EXPECT_TRUE(Has(testsupport::Lf(while_held), kWaiting)) << while_held;
  EXPECT_EQ(std::string::npos, while_held.find("finished ")) << while_held;
  EXPECT_EQ(kOldVideo, video_while_held);
  const std::string out = testsupport::Lf(ReadFile(options_.stdout_file));
  EXPECT_EQ(0u, r.exit_code) << out;
  EXPECT_EQ("done 4 KB", FinalStates(out, kTitles)[kTitles[2]]) << out;
  EXPECT_EQ(std::string(5000, 'v'), ReadFile(Video()));
}

TEST_F(HeldVideoTest, ACancelWhileTheNewVideoWaitsKeepsTheOldOne) {
  ChildResult r = Probe({"--cancel", kWaitingDetail});
  EXPECT_TRUE(Has(r.out, kWaiting)) << r.out;
  ExpectEndedAt(r, 2, "FAILED Cancelled. Your current game stays as it is.", true);
  EXPECT_FALSE(PathExists(Part()));
  EXPECT_FALSE(PathExists(Frames()));
}

TEST_F(EnhanceJobTest, AVideoThatCantTakeItsPlaceFailsTheStepWithTheReason) {
  // Held by something that isn't the launcher's game (a player's preview, say), which
  // doesn't let go: the wait has an end.
  WriteFile(Video(), kOldVideo);
  HANDLE preview = CreateFileA(Video().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, preview);
  SetEnv("KESTRANE_TEST_VIDEO_MOVE_MS", "1500");
  options_.timeout_ms = 60000;
  ChildResult r = Probe();
  CloseHandle(preview);
  const std::string step = States(r)[kTitles[2]];
  EXPECT_EQ(0u, step.rfind("FAILED The new video couldn't take the old one's place (Windows error ", 0)) << r.out;
  EXPECT_NE(std::string::npos, step.find("). Close whatever has uisingle.mp4 open, or make it writable, then try again."))
      << r.out;
  ExpectEndedAt(r, 2, step);
  EXPECT_FALSE(PathExists(Part()));
}

// [SECTION] A cache folder of the player's own

TEST_F(EnhanceJobTest, EverythingIsCheckedBeforeAnythingIsDeletedAndAPlayersCacheIsLeftAlone) {
  // The data folder is the player's, and so is the cache folder in it.
  WriteFile(Frames() + "\\holiday.png", "a holiday");
  WriteFile(Frames() + "\\up\\x.png", "the player's");
  auto untouched = [&] {
    EXPECT_EQ("a holiday|the player's",
              ReadFile(Frames() + "\\holiday.png") + "|" + ReadFile(Frames() + "\\up\\x.png"));
    EXPECT_FALSE(PathExists(Data() + "\\cache\\made-by-kestrane.txt") || PathExists(Data() + "\\cache\\enhanced"));
  };
  ASSERT_TRUE(DeleteFileW(text::Utf8ToWide(Install() + "\\KestraneGame.exe").c_str()));
  ChildResult r = Enhance();
  EXPECT_EQ("FAILED KestraneGame.exe isn't built yet.", States(r)[kTitles[1]]) << r.out;
  untouched();

  ASSERT_TRUE(fixtures::AddTool(Install(), "KestraneGame.exe", "standin_game.exe"));
  r = Enhance();
  EXPECT_EQ("FAILED " + Data() + "\\cache wasn't made by Kestrane. Move it away or choose another game data folder.",
            States(r)[kTitles[1]])
      << r.out;
  EXPECT_FALSE(PathExists(Install() + "\\received.txt")) << "the game ran";
  untouched();
}

// [SECTION] Removing the result

class RemoveEnhancedVideoTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    SettingsStore::Set("launcher.data_dir", Path("data").c_str());
  }
  std::string Video() const { return Path("data\\cache\\enhanced\\uisingle.mp4"); }
  std::string Frames() const { return Path("data\\cache\\frames"); }
};

TEST_F(RemoveEnhancedVideoTest, UndoesTheVideoAndTheSetting) {
  WriteFile(Video(), "video");
  WriteFile(Frames() + "\\frame_00001.png", "frame");
  WriteFile(Frames() + "\\up\\frame_00001.png", "upscaled");
  SettingsStore::Set("graphics.enhanced_assets", "1");
  EXPECT_TRUE(HasEnhancedVideo());
  EXPECT_EQ(5, EnhancedVideoSize());

  std::wstring message;
  EXPECT_TRUE(RemoveEnhancedVideo(&message));
  EXPECT_FALSE(PathExists(Video()));
  EXPECT_FALSE(PathExists(Frames()));
  EXPECT_EQ(0, SettingsStore::GetInt("graphics.enhanced_assets"));
  EXPECT_FALSE(HasEnhancedVideo());
  EXPECT_EQ(-1, EnhancedVideoSize());
  EXPECT_TRUE(RemoveEnhancedVideo(&message));  // nothing left to delete

  // A game playing it keeps the file; the game won't use it again.
  WriteFile(Video(), "video");
  SettingsStore::Set("graphics.enhanced_assets", "1");
  HANDLE held = CreateFileA(Video().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_FALSE(RemoveEnhancedVideo(&message));
  CloseHandle(held);
  EXPECT_EQ(L"Couldn't remove the enhanced video. Quit the game and try again.", message);
  EXPECT_EQ(0, SettingsStore::GetInt("graphics.enhanced_assets"));
  // An empty file is no video.
  WriteFile(Video(), "");
  EXPECT_FALSE(HasEnhancedVideo());
}

TEST_F(RemoveEnhancedVideoTest, NothingIsDeletedInACacheFolderOfThePlayersOwn) {
  WriteFile(Frames() + "\\holiday.png", "a holiday");
  WriteFile(Frames() + "\\up\\x.png", "the player's");
  std::wstring message;
  EXPECT_FALSE(RemoveEnhancedVideo(&message));
  EXPECT_EQ(text::Utf8ToWide(Path("data\\cache")) +
                L" wasn't made by Kestrane, so nothing in it is deleted. Move that folder away or choose another game "
                L"data folder.",
            message);
  RemoveTemporaryFrames();
  EXPECT_EQ("a holiday|the player's", ReadFile(Frames() + "\\holiday.png") + "|" + ReadFile(Frames() + "\\up\\x.png"));
}

TEST_F(RemoveEnhancedVideoTest, FramesAreNeverRemovedThroughALink) {
  WriteFile(Path("mine\\up\\keep.png"), "the player's");
  WriteFile(Path("mine\\keep.png"), "the player's");
  testsupport::MakeFolders(Path("data"));
  ASSERT_TRUE(MakeLauncherFolder(Path("data\\cache")));
  if (!testsupport::MakeFolderLink(Frames(), Path("mine"))) GTEST_SKIP() << "no folder links here";
  RemoveTemporaryFrames();
  testsupport::RemoveFolderLink(Frames());
  EXPECT_EQ("the player's", ReadFile(Path("mine\\keep.png")));
  EXPECT_EQ("the player's", ReadFile(Path("mine\\up\\keep.png")));

  WriteFile(Frames() + "\\frame_00001.png", "frame");
  if (!testsupport::MakeFolderLink(Frames() + "\\up", Path("mine"))) GTEST_SKIP() << "no folder links here";
  RemoveTemporaryFrames();
  testsupport::RemoveFolderLink(Frames() + "\\up");
  EXPECT_EQ("the player's", ReadFile(Path("mine\\keep.png")));
  EXPECT_FALSE(PathExists(Frames() + "\\frame_00001.png"));
}

}  // namespace
