// The bug report: its text in order, the scrubbing of the player's home folder and name,
// and the saved folder.
#include "game/bug_report.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <regex>

#include "game/run_records.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "settings/install_layout.h"
#include "settings/settings_store.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/game/game_test_support.h"

using testsupport::PathExists;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::WriteFile;

namespace {

class BugReportTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    home_ = Path("Users\\gamer7");
    testsupport::MakeFolders(home_);
    profile_ = std::make_unique<ScopedEnv>("USERPROFILE", home_);
    user_ = std::make_unique<ScopedEnv>("USERNAME", "gamer7");
    no_game_ = std::make_unique<ScopedEnv>("KESTRANE_GAME_EXE", Path("not built\\KestraneGame.exe"));
  }
  void TearDown() override {
    no_game_.reset();
    user_.reset();
    profile_.reset();
    SettingsTest::TearDown();
  }

  // What the window's snapshot would hold: the status of the dump the settings name.
  static std::string Report() { return ComposeReport(Dump(), ReadBuildStatus()); }
  static std::string SavedReportFolder() { return WriteReportFolder(Dump(), ReadBuildStatus()); }
  static DumpStatus Dump() { return ReadDumpStatus(ConfiguredDumpPath(SettingsStore::Get("launcher.dump_path"))); }

  std::string Logs(const std::string& name) const { return Path("local\\Kestrane\\logs\\" + name); }
  std::string Forward(std::string path) const {
    for (char& c : path)
      if (c == '\\') c = '/';
    return path;
  }
  static std::string Upper(std::string text) {
    for (char& c : text) c = (char)toupper((unsigned char)c);
    return text;
  }
  static std::string Lower(std::string text) {
    for (char& c : text) c = (char)tolower((unsigned char)c);
    return text;
  }
  std::string ShortHome() const {
    char buffer[MAX_PATH];
    const DWORD n = GetShortPathNameA(home_.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
  }
  // Numbered lines that mention the home folder both ways and the user by name.
  std::string Lines(const std::string& tag, int count) const {
    std::string text;
    for (int i = 1; i <= count; ++i)
      text += tag + " " + std::to_string(i) + " " + home_ + "\\Saves " + Forward(home_) + "/x gamer7\n";
    return text;
  }
  // The same in the spellings Windows and its programs also use.
  std::string OtherSpellings() const {
    return "lower " + Lower(home_) + "\\x\nshort " + ShortHome() + "\\x\nupper " + Upper(Forward(home_)) + " GAMER7\n";
  }
  void ExpectNothingPersonal(const std::string& text, const std::string& what) const {
    const std::string upper = Upper(text);
    for (const std::string& personal : {home_, Forward(home_), ShortHome(), std::string("gamer7")})
      EXPECT_EQ(std::string::npos, upper.find(Upper(personal))) << what << " holds " << personal;
    EXPECT_EQ(std::string::npos, text.find("%<user>")) << what;
  }
  static RunRecord Run(const std::string& startedAt, int seconds, uint32_t code) {
    return MakeRunRecord(startedAt, seconds, code, true);
  }

  std::string home_;
  std::unique_ptr<ScopedEnv> profile_, user_, no_game_;
};

TEST(ScrubPersonalData, TheHomeFolderAndTheUserNameAreReplacedInAnySpelling) {
  struct Case {
    const char* profile;  // nullptr: not set
    const char* user;
    std::string text, scrubbed;
  } cases[] = {
      {"D:\\Users\\gamer7", "gamer7",
       "D:\\Users\\gamer7\\AppData and D:/Users/gamer7/x, then gamer7 elsewhere, gamer7gamer7",
       "%USERPROFILE%\\AppData and %USERPROFILE%/x, then <user> elsewhere, <user><user>"},
      // Windows doesn't care about letter case or the kind of slash, so neither may the scrub.
      {"D:\\Users\\gamer7", "gamer7", "d:\\users\\GAMER7\\x, D:/USERS\\Gamer7/y, GAMER7",
       "%USERPROFILE%\\x, %USERPROFILE%/y, <user>"},
      {"D:\\Users\\gamer7\\", "gamer7", "D:\\Users\\gamer7\\x", "%USERPROFILE%\\x"},
      {"D:\\Users\\Zo\xC3\xAB", "Zo\xC3\xAB", "d:\\users\\ZO\xC3\x8B\\x ZO\xC3\x8B", "%USERPROFILE%\\x <user>"},
      // A user named USER: what the scrub put in, or found, is never rewritten.
      {"C:\\Users\\USER", "USER", "C:\\Users\\USER\\a, %USERPROFILE%\\b, %userprofile%\\c, <user>, user",
       "%USERPROFILE%\\a, %USERPROFILE%\\b, %userprofile%\\c, <user>, <user>"},
      {"C:\\Users\\user", "user", "c:\\users\\user\\x <USER>", "%USERPROFILE%\\x <USER>"},
      // A name of two characters would take letters out of ordinary words.
      {"C:\\Users\\al", "al", "C:\\Users\\al\\Desktop, also al", "%USERPROFILE%\\Desktop, also al"},
      {"", "user", "user and user", "<user> and <user>"},
      // Bytes that aren't UTF-8 stay as they are, next to what is replaced.
      {"D:\\Users\\gamer7", "gamer7", "caf\xE9 gamer7\xFF\xC3", "caf\xE9 <user>\xFF\xC3"},
      {nullptr, nullptr, "C:\\Users\\gamer7", "C:\\Users\\gamer7"},
      {"D:\\Users\\gamer7", "gamer7", "", ""},
  };
  for (const Case& c : cases) {
    ScopedEnv profile = c.profile ? ScopedEnv("USERPROFILE", c.profile) : ScopedEnv("USERPROFILE");
    ScopedEnv user = c.user ? ScopedEnv("USERNAME", c.user) : ScopedEnv("USERNAME");
    EXPECT_EQ(c.scrubbed, ScrubPersonalData(c.text)) << testing::PrintToString(c.text);
  }
}

TEST_F(BugReportTest, AFreshInstallReportsWhatIsMissing) {
  EXPECT_EQ(std::string("Kestrane bug report\n"
                        "version 0.1.0, launcher 0.1.0\n"
                        "build: not built\n"
                        "dump: not verified, main.dol sha1 -\n"
                        "\n## Last runs\n"
                        "\n## settings.ini (changed values only)\n") +
                SettingsStore::Text() +
                "\n## kestrane_log.txt (last 200 lines)\n"
                "(no log: \"Save error logs\" is off or the game hasn't run yet)\n",
            Report());
}

TEST_F(BugReportTest, TheReportHoldsEverythingInOrderWithNothingPersonal) {
  const std::string game = Path("Users\\gamer7\\build\\KestraneGame.exe");
  WriteFile(game, "a game");
  ScopedEnv built("KESTRANE_GAME_EXE", game);
  fixtures::MadeDump dump = fixtures::MakeDump(Path("Users\\gamer7\\Skarvel dump"));
  SettingsStore::Set("launcher.dump_path", dump.chosen.c_str());
  SettingsStore::Set("audio.master", "35");
  RecordRun(Run("2024-05-01 09:00", 30, 0));
  RecordRun(Run("2024-05-01 10:00", 90, 0xC0000005));
  WriteFile(Logs("kestrane_log.txt"), Lines("log", 250));
  WriteFile(Logs("crash_2024-05-01_10-02.txt"), Lines("crash", 250));
  WriteFile(Logs("crash_2024-05-01_09-00.txt"), "an older crash\n");

  const std::string report = Report();
  std::string log_tail, crash_head;
  for (int i = 51; i <= 250; ++i) log_tail += "log " + std::to_string(i) + " %USERPROFILE%\\Saves %USERPROFILE%/x <user>\n";
  for (int i = 1; i <= 200; ++i) crash_head += "crash " + std::to_string(i) + " %USERPROFILE%\\Saves %USERPROFILE%/x <user>\n";
  EXPECT_EQ("Kestrane bug report\n"
            "version 0.1.0, launcher 0.1.0\n"
            "build: " + InstallLayout::FileDate(game) + "\n"
            "dump: verified RKVE01, main.dol sha1 " + fixtures::kFixtureMainDolSha1 + "\n"
            "\n## Last runs\n"
            "2024-05-01 10:00  90 s  Crashed (access violation)\n"
            "2024-05-01 09:00  30 s  OK\n"
            "\n## settings.ini (changed values only)\n" +
                ScrubPersonalData(SettingsStore::Text()) +
                "\n## kestrane_log.txt (last 200 lines)\n" + log_tail +
                "\n## crash_2024-05-01_10-02.txt\n" + crash_head,
            report);
  EXPECT_NE(std::string::npos, report.find("%USERPROFILE%\\Skarvel dump"));
  ExpectNothingPersonal(report, "report");

  // A line longer than the reading buffer counts as several.
  WriteFile(Logs("kestrane_log.txt"), Lines("log", 199) + std::string(5000, 'x') + "\n");
  const std::string tail = Report();
  EXPECT_EQ(std::string::npos, tail.find("log 2 "));
  EXPECT_NE(std::string::npos, tail.find("log 3 "));
}

TEST_F(BugReportTest, TheCrashSectionBelongsToTheNewestRunOnly) {
  WriteFile(Logs("crash_2024-05-01_10-00.txt"), "Crash report\n");
  RecordRun(Run("2024-05-01 10:00", 30, 0xC0000094));
  EXPECT_NE(std::string::npos, Report().find("\n## crash_2024-05-01_10-00.txt\nCrash report\n"));
  RecordRun(Run("2024-05-01 10:01", 30, 0));
  EXPECT_EQ(std::string::npos, Report().find("## crash_"));
  RecordRun(Run("2024-05-01 11:00", 30, 0xC0000005));  // crashed, but wrote no report
  EXPECT_EQ(std::string::npos, Report().find("## crash_"));
}

TEST_F(BugReportTest, TheSavedFolderHoldsScrubbedCopiesAndIsNeverReused) {
  ASSERT_NE(Upper(home_), Upper(ShortHome())) << "the home folder needs a short form of its own";
  SettingsStore::Set("launcher.data_dir", (Lower(home_) + "\\Games\\Kestrane").c_str());
  SettingsStore::Set("launcher.dump_path", (ShortHome() + "\\dump").c_str());
  WriteFile(Logs("kestrane_log.txt"), Lines("newest", 3) + OtherSpellings());
  WriteFile(Logs("kestrane_log.txt.1"), Lines("older", 3) + OtherSpellings());
  WriteFile(Logs("kestrane_log.txt.3"), Lines("oldest", 3) + OtherSpellings());
  RecordRun(Run("2024-05-01 10:00", 5, 1));

  const std::string folder = SavedReportFolder();
  ASSERT_TRUE(std::regex_match(folder, std::regex(std::regex_replace(Path("local\\Kestrane\\reports\\"), std::regex("[\\\\.]"), "\\$&") +
                                                  "report_\\d{4}-\\d\\d-\\d\\d_\\d{6}")))
      << folder;
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  do {
    if (found.cFileName[0] == '.') continue;
    names.push_back(found.cFileName);
    ExpectNothingPersonal(ReadFile(folder + "\\" + found.cFileName), found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"kestrane_log.1.txt", "kestrane_log.3.txt", "kestrane_log.txt", "report.txt",
                                      "settings.ini"}),
            names);
  EXPECT_EQ(Report(), ReadFile(folder + "\\report.txt"));
  EXPECT_EQ(ScrubPersonalData(Lines("older", 3) + OtherSpellings()), ReadFile(folder + "\\kestrane_log.1.txt"));
  EXPECT_NE(std::string::npos, ReadFile(folder + "\\kestrane_log.1.txt")
                                   .find("lower %USERPROFILE%\\x\nshort %USERPROFILE%\\x\nupper %USERPROFILE% <user>\n"));
  EXPECT_EQ(ScrubPersonalData(SettingsStore::Text()), ReadFile(folder + "\\settings.ini"));
  EXPECT_NE(std::string::npos, ReadFile(folder + "\\settings.ini").find("%USERPROFILE%\\Games\\Kestrane"));

  // Within one second the folder name is taken: the save fails rather than mixing two reports.
  bool refused = false;
  for (int attempt = 0; attempt < 3 && !refused; ++attempt) {
    SavedReportFolder();
    refused = SavedReportFolder().empty();  // unless a new second began between the two
  }
  EXPECT_TRUE(refused);
}

}  // namespace
