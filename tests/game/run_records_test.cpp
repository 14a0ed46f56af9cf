// runs.tsv, outcome texts, crash reports and the log file of each run, on files made by
// hand in a per-test logs folder.
#include "game/run_records.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <thread>

#include "platform/text.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/child_run.h"
#include "tests/support/folder_link.h"

using testsupport::PathExists;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

class RunRecordsTest : public SettingsTest {
 protected:
  std::string Logs(const std::string& name) const { return Path("local\\Kestrane\\logs\\" + name); }
  void WriteRuns(const std::string& text) { WriteFile(Logs("runs.tsv"), text); }
  static RunRecord Run(const std::string& startedAt, int seconds, uint32_t code, bool logKept = true) {
    RunRecord run;
    run.startedAt = startedAt;
    run.seconds = seconds;
    run.exitCode = code;
    run.kind = RunKind(code);
    run.logKept = logKept;
    return run;
  }
  static std::string Line(const RunRecord& r) {
    char line[200];
    snprintf(line, sizeof line, "%s\t%d\t%08x\t%s\t%d\n", r.startedAt.c_str(), (int)r.seconds, (unsigned)r.exitCode,
             r.kind.c_str(), r.logKept ? 1 : 0);
    return line;
  }
  // A crashed run and the crash reports present next to it.
  std::string CrashReportFor(const std::string& startedAt, int seconds, const std::vector<std::string>& reports) {
    testsupport::RemoveTree(Path("local\\Kestrane\\logs"));
    for (const std::string& name : reports) WriteFile(Logs(name), "Crash report\n");
    std::string found = FindCrashReport(Run(startedAt, seconds, 0xC0000005));
    return found.empty() ? std::string() : found.substr(found.find_last_of('\\') + 1);
  }
};

TEST(RunOutcomes, KindAndTextChangeAtTheirBoundaries) {
  struct Case {
    uint32_t code;
    const char* kind;
    const wchar_t* text;
  } cases[] = {
      {0, "OK", L"OK"},
      {1, "Stopped", L"Stopped (exit code 1)"},
      // The game's own codes run from 94 to 99; their neighbours are plain exit codes.
      {93, "Stopped", L"Stopped (exit code 93)"},
      {94, "Stopped", L"Stopped: couldn't read main.dol"},
      {99, "Stopped", L"Stopped: reached a part of the port not written yet"},
      {100, "Stopped", L"Stopped (exit code 100)"},
      // Below the first exception code, so "Stopped", though the player reads a crash.
      {0x80000003, "Stopped", L"Crashed (breakpoint)"},
      {0x80000004, "Stopped", L"Stopped (exit code 2147483652)"},
      {0xBFFFFFFF, "Stopped", L"Stopped (exit code 3221225471)"},
      {0xC0000000, "Crashed", L"Crashed (0xC0000000)"},
      {0xC0000005, "Crashed", L"Crashed (access violation)"},
      {0xC0000006, "Crashed", L"Crashed (0xC0000006)"},
      {0xC000001D, "Crashed", L"Crashed (illegal instruction)"},
      {0xC00000FD, "Crashed", L"Crashed (stack overflow)"},
      {0xC0000409, "Crashed", L"Crashed (stopped by a check)"},
      {0xC00000fe, "Crashed", L"Crashed (0xC00000FE)"},  // upper-case digits
      {0xFFFFFFFF, "Crashed", L"Crashed (0xFFFFFFFF)"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(c.kind, RunKind(c.code)) << std::hex << c.code;
    EXPECT_EQ(std::wstring(c.text), OutcomeText(c.code)) << std::hex << c.code;
  }
}

TEST(RunOutcomes, LengthsRoundToTheNearestSecond) {
  EXPECT_EQ(60, MakeRunRecord("2024-05-01 10:00", 59.5, 0, true).seconds);
  EXPECT_EQ(0, MakeRunRecord("2024-05-01 10:00", 0.4, 0, true).seconds);
  EXPECT_EQ(1, MakeRunRecord("2024-05-01 10:00", 0.5, 0, true).seconds);
}

TEST_F(RunRecordsTest, TheFileKeepsTheLastTenRunsOldestFirst) {
  EXPECT_TRUE(ReadRuns().empty());
  std::string expected;
  for (int i = 0; i < 11; ++i) {
    RunRecord run = Run("2024-05-01 10:" + std::to_string(10 + i), i, i == 3 ? 0xC0000094 : i, i % 2 == 0);
    ASSERT_TRUE(RecordRun(run));
    if (i > 0) expected += Line(run);
  }
  // Text mode: the lines end in CR LF on disk.
  std::string text = ReadFile(Logs("runs.tsv"));
  std::string lf;
  for (char c : text)
    if (c != '\r') lf += c;
  EXPECT_EQ(expected, lf);
  EXPECT_FALSE(PathExists(Logs("runs.tsv.tmp")));

  std::vector<RunRecord> runs = ReadRuns();
  ASSERT_EQ(10u, runs.size());
  EXPECT_EQ("2024-05-01 10:20", runs[0].startedAt);
  EXPECT_EQ("2024-05-01 10:11", runs[9].startedAt);
  EXPECT_EQ(0xC0000094u, runs[7].exitCode);
  EXPECT_EQ("Crashed", runs[7].kind);
  EXPECT_EQ(3, runs[7].seconds);
  EXPECT_TRUE(runs[0].logKept);
  EXPECT_FALSE(runs[1].logKept);
}

TEST_F(RunRecordsTest, DamagedLinesAreSkippedAndDroppedByTheNextRewrite) {
  std::string overlong = "2024-05-01 09:00\t5\t00000000\tOK\t1" + std::string(600, ' ') + "\n";
  // The piece of an overlong line that follows its first 511 characters looks like a record.
  std::string overlong_with_record = std::string(511, 'x') + "2024-05-01 09:01\t5\t00000000\tOK\t1\n";
  WriteRuns("2024-05-01 09:30\t7\t00000061\tStopped\t1\n"
            "garbage\n"
            "\n"
            "2024-05-01 09:40\tseven\t0\tOK\t1\n" +
            overlong + overlong_with_record +
            "2024-05-01 09:50\t8\t00000000\tOK\n"         // four columns: no log kept
            "2024-05-01 09:55\t9\tc0000005\tCrashed\t1\r\n"  // edited with a Windows editor
            "2024-05-01 09:58\t3\t00000000\tOK");           // no line end at the end of the file
  std::vector<RunRecord> runs = ReadRuns();
  ASSERT_EQ(4u, runs.size());
  EXPECT_EQ("2024-05-01 09:58", runs[0].startedAt);
  EXPECT_EQ("OK", runs[0].kind);
  EXPECT_EQ("Crashed", runs[1].kind);
  EXPECT_TRUE(runs[1].logKept);
  EXPECT_EQ("OK", runs[2].kind);  // exactly "OK": a last column that is missing leaves no line end behind
  EXPECT_FALSE(runs[2].logKept);
  EXPECT_EQ(97u, runs[3].exitCode);

  ASSERT_TRUE(RecordRun(Run("2024-05-01 10:00", 1, 0)));
  runs = ReadRuns();
  ASSERT_EQ(5u, runs.size());
  EXPECT_EQ(std::string::npos, ReadFile(Logs("runs.tsv")).find("garbage"));
}

TEST_F(RunRecordsTest, AFailedRewriteLeavesTheFileAsItWas) {
  WriteRuns("2024-05-01 09:30\t7\t00000061\tStopped\t1\n");
  testsupport::MakeFolders(Logs("runs.tsv.tmp"));  // the temporary file can't be created
  EXPECT_FALSE(RecordRun(Run("2024-05-01 10:00", 1, 0)));
  EXPECT_EQ("2024-05-01 09:30\t7\t00000061\tStopped\t1\n", ReadFile(Logs("runs.tsv")));
}

// [SECTION] Another program holding runs.tsv

// Opens runs.tsv the way a reader that doesn't share deletion does (an indexer, a virus
// scanner, another program's fopen), until closed.
class HeldFile {
 public:
  HeldFile(const std::string& path, DWORD access, DWORD share) {
    handle_ = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  ~HeldFile() { Close(); }
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (held()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

const char kEarlierRun[] = "2024-05-01 09:30\t7\t00000061\tStopped\t1\n";

TEST_F(RunRecordsTest, ReadingSharesTheFileWithOneThatDeletesIt) {
  WriteRuns(kEarlierRun);
  // A handle with delete access admits only readers that share deletion.
  HeldFile deleter(Logs("runs.tsv"), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  ASSERT_TRUE(deleter.held());
  std::vector<RunRecord> runs = ReadRuns();
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ("2024-05-01 09:30", runs[0].startedAt);
}

TEST_F(RunRecordsTest, AFileHeldForAMomentIsReplacedOnceItIsFree) {
  WriteRuns(kEarlierRun);
  HeldFile reader(Logs("runs.tsv"), GENERIC_READ, FILE_SHARE_READ);
  ASSERT_TRUE(reader.held());
  bool recorded = false;
  std::thread monitor([&] { recorded = RecordRun(Run("2024-05-01 10:00", 1, 0)); });
  // The new file is written and its move refused while the reader holds runs.tsv; the
  // reader lets go then, and a retry takes the file.
  ASSERT_TRUE(testsupport::WaitInFolder(Logs(""), [&] {
    return ReadFile(Logs("kestrane_log.txt")).find("runs.tsv is in use") != std::string::npos;
  }, 20000));
  reader.Close();
  monitor.join();
  EXPECT_TRUE(recorded);
  EXPECT_EQ(std::string(kEarlierRun) + "2024-05-01 10:00\t1\t00000000\tOK\t1\n", testsupport::Lf(ReadFile(Logs("runs.tsv"))));
}

TEST_F(RunRecordsTest, ARunThatCantBeWrittenIsKeptForTheNextOne) {
  WriteRuns(kEarlierRun);
  {
    HeldFile reader(Logs("runs.tsv"), GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(reader.held());
    EXPECT_FALSE(RecordRun(Run("2024-05-01 10:00", 1, 0xC0000005)));
    EXPECT_EQ(kEarlierRun, testsupport::Lf(ReadFile(Logs("runs.tsv"))));
    EXPECT_FALSE(PathExists(Logs("runs.tsv.tmp")));
    // Beside it, on the disk: it outlives this process.
    EXPECT_EQ("2024-05-01 10:00\t1\tc0000005\tCrashed\t1\n", ReadFile(PendingRunsFilePath()));
    // Shown as the newest run, so the home screen and the report still see it.
    std::vector<RunRecord> runs = ReadRuns();
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ("2024-05-01 10:00", runs[0].startedAt);
    EXPECT_TRUE(LastFailedRun(nullptr));
  }
  const std::string log = testsupport::Lf(ReadFile(Logs("kestrane_log.txt")));
  EXPECT_NE(std::string::npos, log.find(" [launcher] couldn't write " + Logs("runs.tsv") +
                                        "; the run of 2024-05-01 10:00 (1 s, exit code c0000005) goes in with the "
                                        "next one\n"))
      << log;
  ASSERT_TRUE(RecordRun(Run("2024-05-01 11:00", 2, 0)));
  EXPECT_EQ(std::string(kEarlierRun) + "2024-05-01 10:00\t1\tc0000005\tCrashed\t1\n" +
                "2024-05-01 11:00\t2\t00000000\tOK\t1\n",
            testsupport::Lf(ReadFile(Logs("runs.tsv"))));
  EXPECT_EQ(3u, ReadRuns().size());
  EXPECT_FALSE(PathExists(PendingRunsFilePath()));
}

// [SECTION] Two launchers recording at once

TEST_F(RunRecordsTest, TwoLaunchersRecordingAtOnceKeepEveryRunExactlyOnce) {
  const int kEach = 5;  // two recorders of five: the ten lines the file keeps
  const std::string tag = "Local\\RunRecorder" + std::to_string(GetCurrentProcessId());
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    const std::string ready_name = tag + "Ready" + std::to_string(round), go_name = tag + "Go" + std::to_string(round);
    HANDLE ready = CreateSemaphoreA(nullptr, 0, 2, ready_name.c_str());
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, go_name.c_str());
    ASSERT_TRUE(ready && go);
    unsigned long codes[2] = {1, 1};
    std::thread recorders[2];
    for (int i = 0; i < 2; ++i)
      recorders[i] = std::thread([&, i] {
        const std::string label = "r" + std::to_string(round) + "ab"[i];
        codes[i] = testsupport::RunChild(testsupport::BinDir() + "run_recorder.exe",
                                         {label, std::to_string(kEach), ready_name, go_name})
                       .exit_code;
      });
    // Both wait at the start line, then go together.
    for (int i = 0; i < 2; ++i) EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 60000));
    SetEvent(go);
    for (std::thread& t : recorders) t.join();
    CloseHandle(ready);
    CloseHandle(go);
    EXPECT_TRUE(codes[0] == 0 && codes[1] == 0) << "a run wasn't recorded";

    std::multiset<std::string> labels;
    for (const RunRecord& run : ReadRuns()) labels.insert(run.startedAt);
    EXPECT_EQ(10u, labels.size());
    for (const char* recorder : {"a", "b"})
      for (int n = 1; n <= kEach; ++n)
        EXPECT_EQ(1u, labels.count("r" + std::to_string(round) + recorder + "-" + std::to_string(n))) << recorder << n;
  }
}

TEST_F(RunRecordsTest, AWriteThatFailsMidwayLeavesTheOldFileWhole) {
  WriteRuns(kEarlierRun);
  // Room for the earlier run's line and half of the new one.
  for (long long room : {0LL, 10LL, (long long)strlen(kEarlierRun) + 15}) {
    SCOPED_TRACE(room);
    RunRecordsTesting::SetRoomOnDisk(room);
    EXPECT_FALSE(RecordRun(Run("2024-05-01 10:00", 1, 0)));
    RunRecordsTesting::SetRoomOnDisk(-1);
    EXPECT_EQ(kEarlierRun, ReadFile(Logs("runs.tsv")));
    EXPECT_FALSE(PathExists(Logs("runs.tsv.tmp")));
  }
  // Kept: the next rewrite, with room on the disk, has them.
  ASSERT_TRUE(RecordRun(Run("2024-05-01 11:00", 1, 0)));
  EXPECT_EQ(5u, ReadRuns().size());
}

TEST_F(RunRecordsTest, AFullDeviceFailsTheWriteAndLeavesTheOldFileWhole) {
  WriteRuns(kEarlierRun);
  // Every write to /dev/full fails as on a full disk, after the file was opened.
  if (!testsupport::MakeUnixLink(Logs("runs.tsv.tmp"), "/dev/full")) GTEST_SKIP() << "no full device to write to";
  EXPECT_FALSE(RecordRun(Run("2024-05-01 10:00", 1, 0)));
  EXPECT_EQ(kEarlierRun, ReadFile(Logs("runs.tsv")));
  testsupport::RemoveUnixLink(Logs("runs.tsv.tmp"));
}

TEST_F(RunRecordsTest, TheLastFailedRunIsTheNewestWhenItDidNotEndWell) {
  RunRecord failed;
  EXPECT_FALSE(LastFailedRun(&failed));
  RecordRun(Run("2024-05-01 09:00", 5, 0xC0000005));
  RecordRun(Run("2024-05-01 10:00", 60, 0));
  EXPECT_FALSE(LastFailedRun(&failed));
  RecordRun(Run("2024-05-01 11:00", 61, 96, false));
  ASSERT_TRUE(LastFailedRun(&failed));
  EXPECT_EQ("2024-05-01 11:00", failed.startedAt);
  EXPECT_EQ(61, failed.seconds);
  EXPECT_EQ(96u, failed.exitCode);
  EXPECT_FALSE(failed.logKept);
  EXPECT_TRUE(LastFailedRun(nullptr));
  // Only the kind decides, as the file says it.
  WriteRuns("2024-05-01 12:00\t1\t00000000\tok\t1\n");
  EXPECT_TRUE(LastFailedRun(nullptr));
}

TEST_F(RunRecordsTest, ACrashReportBelongsToTheMinutesOfTheRun) {
  const std::vector<std::string> around = {"crash_2024-05-01_09-59.txt", "crash_2024-05-01_10-00.txt",
                                           "crash_2024-05-01_10-04.txt"};
  EXPECT_EQ("crash_2024-05-01_10-00.txt", CrashReportFor("2024-05-01 10:00", 90, around));
  std::vector<std::string> with_last = around;
  with_last.push_back("crash_2024-05-01_10-03.txt");
  EXPECT_EQ("crash_2024-05-01_10-03.txt", CrashReportFor("2024-05-01 10:00", 90, with_last));
  EXPECT_EQ("", CrashReportFor("2024-05-01 10:00", 90, {"crash_2024-05-01_09-59.txt", "crash_2024-05-01_10-04.txt"}));
  // 150 s: two whole minutes plus two.
  EXPECT_EQ("crash_2024-05-01_10-04.txt", CrashReportFor("2024-05-01 10:00", 150, around));
  // Of two in the window the greatest name wins, whatever their minutes.
  EXPECT_EQ("crash_2024-05-01_10-1.txt",
            CrashReportFor("2024-05-01 10:00", 30, {"crash_2024-05-01_10-1.txt", "crash_2024-05-01_10-02.txt"}));
  EXPECT_EQ("crash_2024-05-01_10-01_b.txt",
            CrashReportFor("2024-05-01 10:00", 30, {"crash_2024-05-01_10-01_b.txt", "crash_2024-05-01_10-01.txt"}));
  // Names that don't scan, months that don't exist, and folders are no reports.
  EXPECT_EQ("", CrashReportFor("2024-05-01 10:00", 30, {"crash_latest.txt", "crash_2024-05.txt",
                                                         "crash_2024-13-01_10-00.txt", "crash_2024-00-01_10-00.txt"}));
  testsupport::MakeFolders(Logs("crash_2024-05-01_10-01.txt"));
  EXPECT_EQ("", FindCrashReport(Run("2024-05-01 10:00", 30, 0xC0000005)));

  // Only a crashed run has one, and only with a start time that scans.
  WriteFile(Logs("crash_2024-05-01_10-00.txt"), "Crash report\n");
  EXPECT_EQ(Logs("crash_2024-05-01_10-00.txt"), FindCrashReport(Run("2024-05-01 10:00", 30, 0xC0000005)));
  EXPECT_EQ("", FindCrashReport(Run("2024-05-01 10:00", 30, 0x80000003)));
  EXPECT_EQ("", FindCrashReport(Run("2024-05-01 10:00", 30, 1)));
  EXPECT_EQ("", FindCrashReport(Run("2024-05-01", 30, 0xC0000005)));
  EXPECT_EQ("", FindCrashReport(Run("2024-13-01 10:00", 30, 0xC0000005)));
}

TEST_F(RunRecordsTest, CrashReportMinutesFollowTheCalendar) {
  // Into a leap year, across midnight of New Year's Eve.
  EXPECT_EQ("crash_2024-01-01_00-01.txt", CrashReportFor("2023-12-31 23:59", 60, {"crash_2024-01-01_00-01.txt"}));
  // Across the leap day, and the leap day is not the first of March.
  EXPECT_EQ("crash_2024-03-01_00-00.txt", CrashReportFor("2024-02-29 23:59", 10, {"crash_2024-03-01_00-00.txt"}));
  EXPECT_EQ("", CrashReportFor("2024-03-01 10:00", 10, {"crash_2024-02-29_10-00.txt"}));
  EXPECT_EQ("crash_2100-03-01_00-01.txt", CrashReportFor("2100-02-28 23:59", 10, {"crash_2100-03-01_00-01.txt"}));
}

TEST_F(RunRecordsTest, EachRunMapsToTheLogThatHoldsIt) {
  // Newest first: kept, kept, not kept, kept, kept, kept, kept, kept.
  const bool kept[] = {true, true, false, true, true, true, true, true};
  for (int i = 7; i >= 0; --i) RecordRun(Run("2024-05-01 10:0" + std::to_string(7 - i), 5, 0xC0000005, kept[i]));
  WriteFile(Logs("kestrane_log.txt"), "newest\n");
  for (int n = 1; n <= 4; ++n) WriteFile(Logs("kestrane_log.txt." + std::to_string(n)), "older\n");

  EXPECT_EQ(Logs("kestrane_log.txt"), LogFileForRun(0));
  EXPECT_EQ(Logs("kestrane_log.txt.1"), LogFileForRun(1));
  EXPECT_EQ(Logs("kestrane_log.txt.2"), LogFileForRun(3));
  EXPECT_EQ(Logs("kestrane_log.txt.4"), LogFileForRun(5));
  EXPECT_EQ("", LogFileForRun(6));  // five newer runs kept logs: rotated away
  EXPECT_EQ("", LogFileForRun(8));
  EXPECT_EQ("", LogFileForRun(-1));

  // A run that kept no log points at its crash report, if there is one.
  EXPECT_EQ("", LogFileForRun(2));
  WriteFile(Logs("crash_2024-05-01_10-05.txt"), "Crash report\n");
  EXPECT_EQ(Logs("crash_2024-05-01_10-05.txt"), LogFileForRun(2));

  DeleteFileA(Logs("kestrane_log.txt.2").c_str());
  EXPECT_EQ("", LogFileForRun(3));
}

}  // namespace
