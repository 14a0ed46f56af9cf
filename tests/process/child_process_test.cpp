#include "process/child_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "jobs/jobs_lock.h"
#include "platform/text.h"
#include "tests/jobs/jobs_test_support.h"
#include "tests/support/scoped_env.h"
#include "tests/support/stray_handle.h"
#include "tests/support/temp_folder.h"

using jobstest::RunTool;
using jobstest::Standin;
using jobstest::ToolRun;
using testsupport::ScopedEnv;

namespace {

const std::vector<std::string> kNoLines;

HANDLE CurrentToolJob() {
  ScopedLock lock(JobsLock());
  return Jobs().tool_job;
}

// A tool run on its own thread, the way a job thread runs one, watched from the test.
class BackgroundTool {
 public:
  explicit BackgroundTool(const std::vector<std::string>& args) {
    thread_ = std::thread([this, args] {
      uint32_t code = ChildProcess::Run(jobstest::CommandLine(Standin("standin_tool"), args), "", {},
                                        [this](const std::string& line) {
                                          std::lock_guard<std::mutex> hold(mutex_);
                                          lines_.push_back(line);
                                          changed_.notify_all();
                                        });
      std::lock_guard<std::mutex> hold(mutex_);
      exit_code_ = code;
      done_ = true;
      changed_.notify_all();
    });
  }
  ~BackgroundTool() {
    if (thread_.joinable()) {
      TerminateCurrentTool();
      thread_.join();
    }
  }

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
    if (!WaitDone()) TerminateCurrentTool();
    thread_.join();
    return exit_code_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
  bool done_ = false;
  uint32_t exit_code_ = 0;
  std::thread thread_;
};

bool HasEnded(HANDLE process, DWORD wait_ms) { return WaitForSingleObject(process, wait_ms) == WAIT_OBJECT_0; }

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
  ASSERT_EQ((size_t)kCount, run.lines.size());
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

TEST(ChildProcessRun, AMissingProgramGivesTheStartFailureAndNoLine) {
  ToolRun run = RunTool(testsupport::BinDir() + "no_such_tool.exe", {"x"});
  EXPECT_EQ(kToolDidNotStart, run.exit_code);
  EXPECT_EQ(kNoLines, run.lines);
  EXPECT_EQ(nullptr, CurrentToolJob());
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

TEST(ChildProcessJob, TerminatingTheToolEndsItsGrandchildAndTheRunReturnsOne) {
  BackgroundTool tool({"spin"});
  std::string announced = tool.WaitForLine("grandchild ");
  ASSERT_FALSE(announced.empty());
  HANDLE grandchild = OpenProcess(SYNCHRONIZE, FALSE, (DWORD)atol(announced.c_str() + 11));
  ASSERT_NE(nullptr, grandchild);
  ASSERT_NE("", tool.WaitForLine("tool child "));
  EXPECT_NE(nullptr, CurrentToolJob());

  TerminateCurrentTool();
  EXPECT_EQ(1u, tool.Join());
  EXPECT_TRUE(HasEnded(grandchild, 5000));
  CloseHandle(grandchild);
  EXPECT_EQ(nullptr, CurrentToolJob());
  TerminateCurrentTool();  // an empty slot: nothing to end, nothing to break
}

TEST(ChildProcessJob, SuspendedToolsPrintNothingUntilResumed) {
  BackgroundTool tool({"spin"});
  ASSERT_NE("", tool.WaitForLine("tool child "));
  ASSERT_NE("", tool.WaitForLine("tool parent "));
  {
    ScopedLock lock(JobsLock());
    SuspendToolProcesses(Jobs().tool_job, true);
  }
  Sleep(300);  // lines already in the pipe still arrive
  size_t paused_at = tool.Count();
  Sleep(500);
  EXPECT_EQ(paused_at, tool.Count());
  {
    ScopedLock lock(JobsLock());
    SuspendToolProcesses(Jobs().tool_job, false);
  }
  EXPECT_GT(tool.WaitForMoreThan(paused_at + 4), paused_at + 4);
  TerminateCurrentTool();
  EXPECT_EQ(1u, tool.Join());
}

TEST(ChildProcessJob, SuspendingAJobWithoutProcessesDoesNothing) {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  ASSERT_NE(nullptr, job);
  SuspendToolProcesses(job, true);
  SuspendToolProcesses(job, false);
  CloseHandle(job);
}

TEST(ChildProcessJob, ACancelThatCameBeforeTheToolStartedStillEndsIt) {
  JobStatus fresh;
  fresh.steps.resize(1);
  ASSERT_TRUE(BeginJob(fresh));
  CancelJob();  // no tool yet: only the request is left
  {
    BackgroundTool tool({"spin"});
    EXPECT_TRUE(tool.WaitDone());
    EXPECT_EQ(0u, tool.Count());
    EXPECT_EQ(1u, tool.Join());
  }
  EndJob(true);
}

}  // namespace
