#include "process/child_process.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/create_process.h"
#include "platform/text.h"
#include "tests/process/process_test_support.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/child_run.h"
#include "tests/support/scoped_env.h"
#include "tests/support/stray_handle.h"
#include "tests/support/temp_folder.h"

using processtest::RunTool;
using processtest::Standin;
using processtest::ToolRun;
using testsupport::ScopedEnv;

namespace {

const std::vector<std::string> kNoLines;

HANDLE ToolJob(CancelToken* token) {
  ScopedLock lock(&token->lock);
  return token->tool;
}

// A tool run on its own thread under a cancel token of its own, the way a job thread runs
// one, watched from the test.
class BackgroundTool {
 public:
  explicit BackgroundTool(const std::vector<std::string>& args, bool cancelled_first = false) {
    if (cancelled_first) RequestCancel(&token_);
    thread_ = std::thread([this, args] {
      uint32_t code = ChildProcess::Run(
          processtest::CommandLine(Standin("standin_tool"), args), "", {},
          [this](const std::string& line) {
            std::lock_guard<std::mutex> hold(mutex_);
            lines_.push_back(line);
            changed_.notify_all();
          },
          &token_);
      std::lock_guard<std::mutex> hold(mutex_);
      exit_code_ = code;
      done_ = true;
      changed_.notify_all();
    });
  }
  ~BackgroundTool() {
    if (thread_.joinable()) {
      Cancel();
      thread_.join();
    }
  }

  CancelToken* token() { return &token_; }
  void Cancel() { RequestCancel(&token_); }

  // The first line starting with `prefix`, waiting up to 20 s for it.
  std::string WaitForLine(const std::string& prefix) {
    std::unique_lock<std::mutex> hold(mutex_);
    std::string found;
    changed_.wait_for(hold, std::chrono::seconds(20), [&] {
      for (const std::string& l : lines_)
        if (l.compare(0, prefix.size(), prefix) == 0) return found = l, true;
      return done_;
    });
    return found;
  }
  // Waits up to 20 s for more than `count` lines; returns the count seen.
  size_t WaitForMoreThan(size_t count) {
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait_for(hold, std::chrono::seconds(20), [&] { return lines_.size() > count || done_; });
    return lines_.size();
  }
  bool WaitDone() {
    std::unique_lock<std::mutex> hold(mutex_);
    return changed_.wait_for(hold, std::chrono::seconds(20), [&] { return done_; });
  }
  size_t Count() {
    std::lock_guard<std::mutex> hold(mutex_);
    return lines_.size();
  }
  // Waits for the run to end; a tool still running after 20 s is ended so no test hangs.
  uint32_t Join() {
    if (!WaitDone()) Cancel();
    thread_.join();
    return exit_code_;
  }

 private:
  CancelToken token_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
  bool done_ = false;
  uint32_t exit_code_ = 0;
  std::thread thread_;
};

// Whether the process ends within `wait_ms`; one that doesn't is ended here, so a test
// that fails leaves nothing running.
bool HasEnded(HANDLE process, DWORD wait_ms) {
  const bool ended = WaitForSingleObject(process, wait_ms) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process, 1);
  return ended;
}

// The process whose id ends the line ("grandchild 1234"), opened to wait for it.
HANDLE ProcessNamedIn(const std::string& line) {
  const size_t space = line.find_last_of(' ');
  if (space == std::string::npos) return nullptr;
  return OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, (DWORD)atol(line.c_str() + space + 1));
}

// Every thread of every process in the job holds a suspension, seen from outside: a
// thread's previous suspend count tells, and it is given back at once.
bool EveryProcessSuspended(HANDLE job) {
  union {
    JOBOBJECT_BASIC_PROCESS_ID_LIST list;
    unsigned char bytes[sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) + 63 * sizeof(ULONG_PTR)];
  } ids = {};
  ids.list.NumberOfAssignedProcesses = 64;
  if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr)) return false;
  if (ids.list.NumberOfProcessIdsInList == 0) return false;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  bool all = true;
  for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList && all; ++i) {
    int threads = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more && all; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID != (DWORD)ids.list.ProcessIdList[i]) continue;
      HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
      if (!thread) continue;  // ended meanwhile
      ++threads;
      const DWORD before = SuspendThread(thread);
      ResumeThread(thread);
      CloseHandle(thread);
      if (before == 0 || before == (DWORD)-1) all = false;
    }
    if (threads == 0) all = false;
  }
  CloseHandle(snapshot);
  return all;
}

// [SECTION] Lines

TEST(ChildProcessRun, SplitsLinesOnCrOrLfAndDropsEmptyOnes) {
  struct Case {
    const char* written;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\\r\\nb", {"a", "b"}},
      {"\\n\\n", {}},
      {"first\\nlast without end", {"first", "last without end"}},
      {"old mac\\rline\\r\\r\\n\\nx\\n", {"old mac", "line", "x"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    ToolRun run = RunTool(Standin("standin_tool"), {"write", c.written});
    EXPECT_EQ(0u, run.exit_code) << c.written;
    EXPECT_EQ(c.lines, run.lines) << c.written;
  }
}

TEST(ChildProcessRun, DeliversEveryLineInOrderAcrossReadBoundaries) {
  // 80-byte lines never line up with 4096-byte reads, so lines straddle every boundary.
  const int kCount = 20000;
  ToolRun run = RunTool(Standin("standin_tool"), {"lines", std::to_string(kCount)});
  ASSERT_EQ((size_t)kCount, run.lines.size()) << "exit code " << run.exit_code;
  for (int n = 0; n < kCount; ++n) {
    char prefix[16];
    snprintf(prefix, sizeof prefix, "%08d ", n);
    ASSERT_EQ(0u, run.lines[n].compare(0, 9, prefix)) << "line " << n;
    ASSERT_EQ(79u, run.lines[n].size()) << "line " << n;
  }
}

TEST(ChildProcessRun, ReturnsTheToolsExitCodeAndBytesUnconverted) {
  ToolRun run = RunTool(Standin("standin_tool"), {"write", "Zo\xC3\xAB\\n", "3"});
  EXPECT_EQ(3u, run.exit_code);
  EXPECT_EQ(std::vector<std::string>{"Zo\xC3\xAB"}, run.lines);
}

class ChildProcessStartTest : public SettingsTest {
 protected:
  std::string Log() const {
    return testsupport::Lf(testsupport::ReadFile(Path("local\\Kestrane\\logs\\kestrane_log.txt")));
  }
  static size_t Count(const std::string& text, const std::string& piece) {
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
  }
};

TEST_F(ChildProcessStartTest, AMissingProgramGivesTheStartFailureNoLineAndTheReasonInTheLog) {
  CancelToken token;
  ToolRun run = RunTool(testsupport::BinDir() + "no_such_tool.exe", {"x"}, {}, "", &token);
  EXPECT_EQ(kToolDidNotStart, run.exit_code);
  EXPECT_EQ(kNoLines, run.lines);
  EXPECT_EQ(nullptr, ToolJob(&token));
  const std::string log = Log();
  EXPECT_NE(std::string::npos, log.find("no_such_tool.exe didn't start (Windows error 2)\n")) << log;
  EXPECT_EQ(std::string::npos, log.find("trying again")) << "a missing program was tried again";
}

TEST_F(ChildProcessStartTest, AStartTheSystemLostIsTriedAgainAtOnceAndTheToolRunsOnce) {
  const std::string retry = "standin_tool.exe didn't start (Windows error 1359); trying again\n";
  ProcessTesting::FailNextStarts(kStartAttempts - 1, ERROR_INTERNAL_ERROR);
  ToolRun run = RunTool(Standin("standin_tool"), {"write", "once\\n", "4"});
  EXPECT_EQ(4u, run.exit_code);
  EXPECT_EQ(std::vector<std::string>{"once"}, run.lines);
  std::string log = Log();
  EXPECT_EQ(size_t(kStartAttempts - 1), Count(log, retry)) << log;
  EXPECT_EQ(std::string::npos, log.find("(Windows error 1359)\n")) << log;

  // Lost every time: the run gives up after the last attempt.
  ProcessTesting::FailNextStarts(kStartAttempts, ERROR_INTERNAL_ERROR);
  run = RunTool(Standin("standin_tool"), {"write", "never\\n", "4"});
  EXPECT_EQ(kToolDidNotStart, run.exit_code);
  EXPECT_EQ(kNoLines, run.lines);
  log = Log();
  EXPECT_EQ(size_t(2 * (kStartAttempts - 1)), Count(log, retry)) << log;
  EXPECT_NE(std::string::npos, log.find("standin_tool.exe didn't start (Windows error 1359)\n")) << log;
}

TEST(ChildProcessRun, TheToolInheritsNothingButItsStandardHandles) {
  // Like the error log of a game the player starts while the tool is being started.
  testsupport::StrayHandle stray;
  ASSERT_TRUE(stray.valid());
  ToolRun run = RunTool(Standin("standin_tool"), {"handle", stray.hex()});
  EXPECT_EQ(std::vector<std::string>{stray.hex() + " closed"}, run.lines);
}

class ChildProcessFolderTest : public testsupport::TempFolderTest {};

TEST_F(ChildProcessFolderTest, TheToolGetsTheOverridesAndTheWorkingFolder) {
  ScopedEnv inherited("KT_INHERITED", "kept");
  ScopedEnv doomed("KT_DOOMED", "there");
  std::string folder = Path("work \xC3\xA9");
  testsupport::MakeFolders(folder);
  ToolRun env = RunTool(Standin("standin_tool"), {"env", "KT_INHERITED", "KT_DOOMED", "KT_NEW"},
                        {{"KT_DOOMED", ""}, {"kt_new", "v1"}, {"KT_NEW", "v2"}});
  EXPECT_EQ((std::vector<std::string>{"KT_INHERITED=kept", "KT_DOOMED unset", "KT_NEW=v2"}), env.lines);
  ToolRun cwd = RunTool(Standin("standin_tool"), {"cwd"}, {}, folder);
  EXPECT_EQ(std::vector<std::string>{folder}, cwd.lines);
}

// [SECTION] Quoting

TEST(QuoteArgument, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(L"\"\"", QuoteArgument(L""));
  EXPECT_EQ(L"C:\\Games\\Kestrane\\import.exe", QuoteArgument(L"C:\\Games\\Kestrane\\import.exe"));
  EXPECT_EQ(L"\"C:\\Program Files\\Kestrane\"", QuoteArgument(L"C:\\Program Files\\Kestrane"));
  EXPECT_EQ(L"\"say \\\"hi\\\"\"", QuoteArgument(L"say \"hi\""));
  // Backslashes that would otherwise escape a quote are doubled.
  EXPECT_EQ(L"\"D:\\my dump\\\\\"", QuoteArgument(L"D:\\my dump\\"));
  EXPECT_EQ(L"\"a\\\\\\\"b\"", QuoteArgument(L"a\\\"b"));
}

TEST(QuoteArgument, EveryToolGetsBackExactlyTheText) {
  const std::vector<std::string> texts = {
      "",
      "plain",
      "D:\\my dump\\",
      "D:\\dump\\",
      "C:\\Program Files\\Kestrane\\",
      "a\\\"b",
      "a\\\\\"b c",
      "\"",
      "\\\\server\\share dir\\\\",
      "tab\there",
      "end with quote\"",
      "Zo\xC3\xAB's games\\",
  };
  ToolRun run = RunTool(Standin("standin_tool"), [&] {
    std::vector<std::string> args = {"echo"};
    args.insert(args.end(), texts.begin(), texts.end());
    return args;
  }());
  ASSERT_EQ(texts.size(), run.lines.size());
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ("[" + texts[i] + "]", run.lines[i]);
}

// [SECTION] Environment block

std::vector<std::wstring> Entries(const std::wstring& block) {
  std::vector<std::wstring> entries;
  for (const wchar_t* p = block.c_str(); *p; p += wcslen(p) + 1) entries.emplace_back(p);
  return entries;
}

TEST(BuildEnvironmentBlock, OverridesIgnoreCaseDeleteOnEmptyAndStaySorted) {
  ScopedEnv lower("pythonunbuffered", "0");
  ScopedEnv doomed("KT_DOOMED", "x");
  std::wstring block = BuildEnvironmentBlock({{"PYTHONUNBUFFERED", "1"}, {"KT_DOOMED", ""}, {"kt_zeta", "z"}});
  ASSERT_GE(block.size(), 2u);
  EXPECT_EQ(L'\0', block[block.size() - 1]);
  EXPECT_EQ(L'\0', block[block.size() - 2]);
  std::vector<std::wstring> entries = Entries(block);
  int python = 0;
  for (const std::wstring& e : entries) {
    if (_wcsnicmp(e.c_str(), L"PYTHONUNBUFFERED=", 17) == 0) {
      ++python;
      EXPECT_EQ(L"PYTHONUNBUFFERED=1", e);
    }
    EXPECT_NE(0, _wcsnicmp(e.c_str(), L"KT_DOOMED=", 10)) << text::WideToUtf8(e);
  }
  EXPECT_EQ(1, python);
  EXPECT_NE(entries.end(), std::find(entries.begin(), entries.end(), L"kt_zeta=z"));
  for (size_t i = 1; i < entries.size(); ++i)
    EXPECT_LE(_wcsicmp(entries[i - 1].c_str(), entries[i].c_str()), 0)
        << text::WideToUtf8(entries[i - 1]) << " before " << text::WideToUtf8(entries[i]);
}

// [SECTION] Cancel and pause

TEST(ChildProcessJob, ACancelEndsTheToolAndItsGrandchildAndTheRunReturnsOne) {
  BackgroundTool tool({"spin"});
  HANDLE grandchild = ProcessNamedIn(tool.WaitForLine("grandchild "));
  ASSERT_NE(nullptr, grandchild);
  ASSERT_NE("", tool.WaitForLine("tool child "));
  EXPECT_NE(nullptr, ToolJob(tool.token()));
  EXPECT_NE(0u, CurrentToolRun(tool.token()));

  tool.Cancel();
  EXPECT_EQ(1u, tool.Join());
  EXPECT_TRUE(HasEnded(grandchild, 5000));
  CloseHandle(grandchild);
  EXPECT_EQ(nullptr, ToolJob(tool.token()));
  EXPECT_EQ(0u, CurrentToolRun(tool.token()));
  tool.Cancel();  // no tool any more: nothing to end, nothing to break
}

TEST(ChildProcessJob, ARunWhoseCancelCameFirstEndsAtOnceWithoutALine) {
  BackgroundTool tool({"spin"}, true);
  EXPECT_TRUE(tool.WaitDone());
  EXPECT_EQ(0u, tool.Count());
  EXPECT_EQ(1u, tool.Join());
}

TEST(ChildProcessJob, ASuspendedToolAndItsChildrenHoldTillResumed) {
  BackgroundTool tool({"spin"});
  ASSERT_NE("", tool.WaitForLine("tool child "));
  ASSERT_NE("", tool.WaitForLine("tool parent "));
  const uint32_t run = CurrentToolRun(tool.token());
  ASSERT_NE(0u, run);
  ASSERT_TRUE(SuspendToolRun(tool.token(), run, true));
  EXPECT_TRUE(EveryProcessSuspended(ToolJob(tool.token())));
  ASSERT_TRUE(SuspendToolRun(tool.token(), run, false));
  EXPECT_FALSE(EveryProcessSuspended(ToolJob(tool.token())));
  const size_t resumed_at = tool.Count();
  EXPECT_GT(tool.WaitForMoreThan(resumed_at + 4), resumed_at + 4);
  // Another run number names a tool that has gone: nothing to touch.
  EXPECT_FALSE(SuspendToolRun(tool.token(), run + 1, true));
  tool.Cancel();
  EXPECT_EQ(1u, tool.Join());
}

TEST(ChildProcessJob, SuspendingAJobWithoutProcessesDoesNothing) {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  ASSERT_NE(nullptr, job);
  SuspendToolProcesses(job, true);
  SuspendToolProcesses(job, false);
  CloseHandle(job);
}

// [SECTION] What a tool leaves behind

class ChildProcessLeftoverTest : public SettingsTest {};

TEST_F(ChildProcessLeftoverTest, WhatTheToolLeftHoldingItsOutputIsEndedAfterAShortGraceAndLogged) {
  BackgroundTool tool({"leave", "7"});
  HANDLE grandchild = ProcessNamedIn(tool.WaitForLine("grandchild "));
  ASSERT_NE(nullptr, grandchild);
  // The grandchild prints on for as long as it lives; the run ends anyway.
  ASSERT_TRUE(tool.WaitDone()) << "the run waited for the grandchild";
  EXPECT_EQ(7u, tool.Join());  // the tool's own code, not the grandchild's
  EXPECT_TRUE(HasEnded(grandchild, 5000));
  CloseHandle(grandchild);
  const std::string log = testsupport::ReadFile(Path("local\\Kestrane\\logs\\kestrane_log.txt"));
  EXPECT_NE(std::string::npos,
            log.find("standin_tool.exe exited, but what it started kept its output open; ended that after 2000 ms"))
      << log;
}

TEST_F(ChildProcessLeftoverTest, WhatTheToolLeftRunningIsEndedWithTheRun) {
  ToolRun run = RunTool(Standin("standin_tool"), {"orphan"});
  EXPECT_EQ(0u, run.exit_code);
  ASSERT_EQ(1u, run.lines.size());
  HANDLE orphan = ProcessNamedIn(run.lines[0]);
  if (orphan) {  // already gone is what is wanted
    EXPECT_TRUE(HasEnded(orphan, 5000)) << "the orphan outlived the run";
    CloseHandle(orphan);
  }
  // A tool that leaves nothing behind is no news for the log.
  EXPECT_EQ("", testsupport::ReadFile(Path("local\\Kestrane\\logs\\kestrane_log.txt")));
}

}  // namespace
