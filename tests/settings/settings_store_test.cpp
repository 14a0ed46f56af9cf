#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings_document.h"
#include "settings/settings_store.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/child_run.h"

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::WriteFile;

namespace {

const char kEmptyStoreText[] =
    "# Kestrane settings. Only values you changed are listed; delete a line to go back to its default.\n";

// [SECTION] The key table

TEST(SettingsTable, EveryKeyIsFoundByItsExactTextOnly) {
  ASSERT_GT(SettingDefCount(), 0);
  std::set<std::string> seen;
  for (int i = 0; i < SettingDefCount(); ++i) {
    const char* key = SettingDefs()[i].key;
    SCOPED_TRACE(key);
    EXPECT_TRUE(seen.insert(key).second) << "listed twice";
    const char* dot = strchr(key, '.');
    ASSERT_NE(nullptr, dot);
    EXPECT_GT(dot - key, 0);
    EXPECT_NE('\0', dot[1]);
    for (const char* p = key; *p; ++p) EXPECT_FALSE(*p >= 'A' && *p <= 'Z');
    EXPECT_EQ(&SettingDefs()[i], FindSettingDef(key));
  }
  // The walk order of the settings pages starts and ends here.
  EXPECT_STREQ("display.window_mode", SettingDefs()[0].key);
  EXPECT_STREQ("launcher.last_seen_version", SettingDefs()[SettingDefCount() - 1].key);
  for (const char* near_miss : {"Display.Window_Mode", "display.window_mode ", "display", "display.", ".window_mode",
                                "display.window_mod", ""})
    EXPECT_EQ(nullptr, FindSettingDef(near_miss)) << near_miss;
}

TEST(SettingsTable, TheDefaultsTheLauncherReadsItself) {
  // Text as written, never a number: 59.94 stays 59.94.
  EXPECT_STREQ("59.94", SettingsStore::DefaultOf("display.frame_rate"));
  EXPECT_STREQ("%USERPROFILE%\\Games\\Kestrane", SettingsStore::DefaultOf("launcher.data_dir"));
  EXPECT_STREQ("1", SettingsStore::DefaultOf("launcher.error_log"));
  EXPECT_STREQ("1", SettingsStore::DefaultOf("launcher.close_on_play"));
  EXPECT_STREQ("", SettingsStore::DefaultOf("launcher.dump_path"));
  EXPECT_STREQ("", SettingsStore::DefaultOf("no.such_key"));
  EXPECT_TRUE(SettingsStore::NextStart("display.aspect"));
  EXPECT_TRUE(SettingsStore::NextStart("launcher.data_dir"));
  EXPECT_FALSE(SettingsStore::NextStart("display.vsync"));
  EXPECT_FALSE(SettingsStore::NextStart("no.such_key"));
  EXPECT_STREQ("KESTRANE_ASPECT", FindSettingDef("display.aspect")->variable);
  EXPECT_STREQ("KESTRANE_ERROR_LOG", FindSettingDef("launcher.error_log")->variable);
  EXPECT_EQ(nullptr, FindSettingDef("display.window_mode")->variable);
}

// [SECTION] The line model

TEST(SettingsDocument, InsertsBeforeTheBlankLineThatSeparatesSections) {
  SettingsDocument doc;
  ParseSettingsText(&doc, "[display]\nvsync = 0\n\n[audio]\nmaster = 50\n");
  InsertSettingsLine(&doc, SplitSettingsKey("display.monitor"), "1");
  InsertSettingsLine(&doc, SplitSettingsKey("audio.sfx"), "20");
  EXPECT_EQ("[display]\nvsync = 0\nmonitor = 1\n\n[audio]\nmaster = 50\nsfx = 20\n", RenderSettingsText(doc));
}

TEST(SettingsDocument, CommentsCountAsContentOfTheirSection) {
  SettingsDocument doc;
  ParseSettingsText(&doc, "[game]\n# my note\n[audio]\n");
  InsertSettingsLine(&doc, SplitSettingsKey("game.language"), "fr");
  EXPECT_EQ("[game]\n# my note\nlanguage = fr\n[audio]\n", RenderSettingsText(doc));
}

TEST(SettingsDocument, NewSectionAfterACreatedLineGetsNoBlankLine) {
  SettingsDocument doc;
  InsertSettingsLine(&doc, SplitSettingsKey("display.vsync"), "0");
  InsertSettingsLine(&doc, SplitSettingsKey("audio.master"), "50");
  EXPECT_EQ("[display]\nvsync = 0\n[audio]\nmaster = 50\n", RenderSettingsText(doc));
  // Once saved and read again, the next new section is separated by a blank line.
  ParseSettingsText(&doc, RenderSettingsText(doc));
  InsertSettingsLine(&doc, SplitSettingsKey("game.language"), "de");
  EXPECT_EQ("[display]\nvsync = 0\n[audio]\nmaster = 50\n\n[game]\nlanguage = de\n", RenderSettingsText(doc));
}

TEST(SettingsDocument, ANewLineNeverLandsAboveAnEmptyCreatedHeader) {
  // A header the store created, whose only key was removed again, must still receive the
  // section's next key below it; above it the key would belong to the previous section
  // once the file is read back.
  SettingsDocument doc;
  ParseSettingsText(&doc, "[display]\nvsync = 0\n");
  InsertSettingsLine(&doc, SplitSettingsKey("audio.master"), "50");
  ASSERT_TRUE(RemoveSettingsLine(&doc, SplitSettingsKey("audio.master")));
  InsertSettingsLine(&doc, SplitSettingsKey("audio.sfx"), "20");
  std::string saved = RenderSettingsText(doc);
  EXPECT_EQ("[display]\nvsync = 0\n\n[audio]\nsfx = 20\n", saved);
  SettingsDocument reread;
  ParseSettingsText(&reread, saved);
  int i = FindSettingsLine(reread, SplitSettingsKey("audio.sfx"));
  ASSERT_GE(i, 0);
  EXPECT_EQ("audio", reread.lines[(size_t)i].section);
}

TEST(SettingsDocument, KeepsUnparsedLinesAndNormalisesKeyLines) {
  SettingsDocument doc;
  ParseSettingsText(&doc, "  ; note  \r\n[ display ]\r\nWindow_Mode=windowed\r\njust words\r\n=orphan\r\n");
  EXPECT_EQ("  ; note  \n[display]\nWindow_Mode = windowed\njust words\n=orphan\n", RenderSettingsText(doc));
}

TEST(SettingsDocument, ASectionThatAppearsTwiceGrowsAtItsFirstPlace) {
  SettingsDocument doc;
  ParseSettingsText(&doc, "[display]\nvsync = 0\n\n[audio]\nmaster = 5\n\n[display]\nmonitor = 1\n");
  // Both places are read; a new key joins the first and the blank line stays below it.
  EXPECT_GE(FindSettingsLine(doc, SplitSettingsKey("display.monitor")), 0);
  InsertSettingsLine(&doc, SplitSettingsKey("display.window_mode"), "windowed");
  EXPECT_EQ("[display]\nvsync = 0\nwindow_mode = windowed\n\n[audio]\nmaster = 5\n\n[display]\nmonitor = 1\n",
            RenderSettingsText(doc));
}

// [SECTION] The store: reading

struct SaveLog {
  CRITICAL_SECTION lock;
  HANDLE saved_event;
  std::vector<SettingsStoreTesting::SaveEvent> events;
  SaveLog() {
    InitializeCriticalSection(&lock);
    saved_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  }
  ~SaveLog() {
    CloseHandle(saved_event);
    DeleteCriticalSection(&lock);
  }
  static void Record(const SettingsStoreTesting::SaveEvent& e, void* context) {
    SaveLog* log = static_cast<SaveLog*>(context);
    EnterCriticalSection(&log->lock);
    log->events.push_back(e);
    LeaveCriticalSection(&log->lock);
    SetEvent(log->saved_event);
  }
  size_t Count() {
    EnterCriticalSection(&lock);
    size_t n = events.size();
    LeaveCriticalSection(&lock);
    return n;
  }
};

TEST_F(SettingsTest, FreshStoreGivesDefaultsAndSavesOnlyTheChange) {
  EXPECT_STREQ("1", SettingsStore::Get("display.vsync"));
  SettingsStore::Set("display.window_mode", "windowed");
  SettingsStore::Flush();
  EXPECT_EQ("[display]\nwindow_mode = windowed\n", SavedText());
  EXPECT_FALSE(testsupport::PathExists(SettingsPath() + ".tmp"));
}

TEST_F(SettingsTest, CommentOnlyFileGetsABlankLineBeforeTheNewSection) {
  UseFileWithText(kEmptyStoreText);
  SettingsStore::Set("display.vsync", "0");
  SettingsStore::Flush();
  EXPECT_EQ(std::string(kEmptyStoreText) + "\n[display]\nvsync = 0\n", SavedText());
}

TEST_F(SettingsTest, SettingTheDefaultRemovesTheLine) {
  UseFileWithText("[display]\nvsync = 0\nmonitor = 2\n");
  SettingsStore::Set("display.vsync", "1");
  SettingsStore::Set("display.monitor", "  0\t");
  SettingsStore::Flush();
  EXPECT_EQ("[display]\n", SavedText());
  SettingsStore::Reset("display.window_mode");  // nothing to remove, nothing to save
  EXPECT_FALSE(SettingsStoreTesting::IsDirty());
}

TEST_F(SettingsTest, AStoreWithNoLinesSavesTheCommentLine) {
  UseFileWithText("[display]\nvsync = 0\n");
  SettingsStore::ResetSection("display");
  SettingsStore::Flush();
  EXPECT_EQ("[display]\n", SavedText());
  UseFileWithText("vsync = 0\n");
  SettingsStore::Reset("vsync");
  SettingsStore::Flush();
  EXPECT_EQ(kEmptyStoreText, SavedText());
}

TEST_F(SettingsTest, SectionCompareIsExactNameCompareIgnoresCase) {
  UseFileWithText("[display]\nWindow_Mode=windowed\n");
  EXPECT_STREQ("windowed", SettingsStore::Get("display.window_mode"));
  UseFileWithText("[Display]\nwindow_mode=windowed\n");
  EXPECT_STREQ("borderless", SettingsStore::Get("display.window_mode"));
}

TEST_F(SettingsTest, LinesAreReadByTheirFirstEqualsSignAndTheirBrackets) {
  struct Case {
    const char* file;
    const char* key;
    const char* value;
  } cases[] = {
      {"[game]\nscreenshot_key = a=b\n", "game.screenshot_key", "a=b"},      // the first "=" splits
      {"[game]\nscreenshot_key==\n", "game.screenshot_key", "="},
      {"[display]\n; vsync = 0\n", "display.vsync", "1"},                    // a comment, not a key
      {"[display]\n  # vsync = 0\n", "display.vsync", "1"},
      {"[display\nvsync = 0\n", "display.vsync", "1"},                       // no "]": no header
      {"[display\nvsync = 0\n", "vsync", "0"},                               // ... so the key has no section
      {"[audio]\n[display] ; note\nvsync = 0\n", "audio.vsync", "0"},       // not ending in "]"
      {"[ display ]\nvsync = 0\n", "display.vsync", "0"},                    // the inner text is trimmed
      {"[display]\n vsync\t=\t0 \r\n", "display.vsync", "0"},
      {"[display]\nvsync =\n", "display.vsync", ""},                          // an empty value counts
  };
  for (const Case& c : cases) {
    UseFileWithText(c.file);
    EXPECT_STREQ(c.value, SettingsStore::Get(c.key)) << testing::PrintToString(c.file) << " " << c.key;
  }
  // Comments and unparsed lines come back as they were read, "=" or not.
  UseFileWithText("[display\n;vsync=0\n  #aspect=4:3\n");
  SettingsStore::Set("mods.x", "1");
  SettingsStore::Flush();
  EXPECT_EQ("[display\n;vsync=0\n  #aspect=4:3\n\n[mods]\nx = 1\n", SavedText());
}

TEST_F(SettingsTest, SettingTheValueAKeyAlreadyHasSavesNothing) {
  struct Case {
    const char* file;
    const char* key;
    const char* value;
  } cases[] = {
      {"[display]\nvsync = 0\n", "display.vsync", "0"},
      {"[display]\nvsync = 0\n", "display.vsync", " 0\t"},
      {"[display]\nVSync=0\n", "display.vsync", "0"},   // the line keeps its own spelling
      {"[display]\n", "display.vsync", "1"},             // the default, with no line to remove
      {"[mods]\nturbo = on\n", "mods.turbo", "on"},
      {"[mods]\nturbo = \n", "mods.turbo", ""},
  };
  SaveLog log;
  SettingsStoreTesting::SetSaveObserver(&SaveLog::Record, &log);
  for (const Case& c : cases) {
    UseFileWithText(c.file);
    SettingsStore::Set(c.key, c.value);
    SettingsStore::Flush();
    EXPECT_FALSE(SettingsStoreTesting::IsDirty()) << c.file << " " << c.key;
    EXPECT_EQ(c.file, SavedText());
  }
  SettingsStore::SetInt("mods.turbo", 0);  // "" is not "0"
  EXPECT_TRUE(SettingsStoreTesting::IsDirty());
  SettingsStoreTesting::UseFile(SettingsPath());
  EXPECT_EQ(0u, log.Count());
}

TEST_F(SettingsTest, SettingAnExistingLineKeepsItsNameAndPlace) {
  UseFileWithText("# top\n[display]\nWindow_Mode=windowed\nvsync=0\n");
  SettingsStore::Set("display.window_mode", "fullscreen");
  SettingsStore::Flush();
  EXPECT_EQ("# top\n[display]\nWindow_Mode = fullscreen\nvsync = 0\n", SavedText());
}

TEST_F(SettingsTest, FirstOfTwoLinesWinsAndResetUncoversTheSecond) {
  UseFileWithText("[audio]\nmaster = 10\nmaster = 20\n");
  EXPECT_STREQ("10", SettingsStore::Get("audio.master"));
  SettingsStore::Reset("audio.master");
  EXPECT_STREQ("20", SettingsStore::Get("audio.master"));
}

TEST_F(SettingsTest, KeyWithoutADotLivesBeforeTheFirstHeader) {
  UseFileWithText("colour = red\n[display]\ncolour = blue\n");
  EXPECT_STREQ("red", SettingsStore::Get("colour"));
  EXPECT_STREQ("blue", SettingsStore::Get("display.colour"));
}

TEST_F(SettingsTest, ByteOrderMarkIsReadAndNotWritten) {
  UseFileWithText("\xEF\xBB\xBF[display]\nvsync = 0\n");
  EXPECT_STREQ("0", SettingsStore::Get("display.vsync"));
  SettingsStore::Set("display.monitor", "1");
  SettingsStore::Flush();
  EXPECT_EQ("[display]\nvsync = 0\nmonitor = 1\n", SavedText());
}

TEST_F(SettingsTest, GetIntReadsLikeAtoi) {
  UseFileWithText("[display]\nframe_rate = 59.94\nvsync = on\nmonitor = -2x\n");
  EXPECT_EQ(59, SettingsStore::GetInt("display.frame_rate"));
  EXPECT_EQ(0, SettingsStore::GetInt("display.vsync"));
  EXPECT_EQ(-2, SettingsStore::GetInt("display.monitor"));
  EXPECT_EQ(1280, SettingsStore::GetInt("display.window_width"));
  SettingsStore::SetInt("display.window_width", 1600);
  EXPECT_STREQ("1600", SettingsStore::Get("display.window_width"));
}

TEST_F(SettingsTest, FourResultsStayUsableTogether) {
  UseFileWithText("[audio]\nmaster = 1\nmusic = 2\nsfx = 3\ndevice = 4\n");
  const char* a = SettingsStore::Get("audio.master");
  const char* b = SettingsStore::Get("audio.music");
  const char* c = SettingsStore::Get("audio.sfx");
  const char* d = SettingsStore::Get("audio.device");
  EXPECT_STREQ("1", a);
  EXPECT_STREQ("2", b);
  EXPECT_STREQ("3", c);
  EXPECT_STREQ("4", d);
}

TEST_F(SettingsTest, AnOverrideNameDoesNotShortenTheLifeOfGetResults) {
  UseFileWithText("[audio]\nmaster = 50\n");
  ScopedEnv device("KESTRANE_AUDIO_DEVICE", "usb");
  const char* a = SettingsStore::Get("audio.master");
  EXPECT_STREQ("KESTRANE_AUDIO_DEVICE", SettingsStore::OverrideVariable("audio.device"));
  for (int i = 0; i < 3; ++i) EXPECT_STREQ("usb", SettingsStore::Get("audio.device"));
  EXPECT_STREQ("50", a);
  // And the other way round: Get results don't overwrite the name.
  const char* name = SettingsStore::OverrideVariable("audio.device");
  for (int i = 0; i < 5; ++i) SettingsStore::Get("audio.master");
  EXPECT_STREQ("KESTRANE_AUDIO_DEVICE", name);
}

TEST_F(SettingsTest, UnknownKeysAreKeptReadSetAndReset) {
  UseFileWithText("[mods]\nturbo = 1\n");
  EXPECT_STREQ("1", SettingsStore::Get("mods.turbo"));
  EXPECT_STREQ("", SettingsStore::Get("mods.other"));
  SettingsStore::Set("mods.other", "");  // not in the table: an empty value is still a line
  SettingsStore::Set("display.vsync", "0");
  SettingsStore::Flush();
  // The new section follows a line the store created, so no blank line separates them.
  EXPECT_EQ("[mods]\nturbo = 1\nother = \n[display]\nvsync = 0\n", SavedText());
  SettingsStore::ResetSection("mods");  // only table keys are reset
  SettingsStore::Flush();
  EXPECT_STREQ("1", SettingsStore::Get("mods.turbo"));
}

TEST_F(SettingsTest, ResetSectionKeepsTheDumpPath) {
  UseFileWithText("[launcher]\ndump_path = D:\\dump\nclose_on_play = 0\nchannel = beta\n");
  SettingsStore::ResetSection("launcher");
  SettingsStore::Flush();
  EXPECT_EQ("[launcher]\ndump_path = D:\\dump\n", SavedText());
}

// [SECTION] Environment overrides

TEST_F(SettingsTest, GenericVariableWinsOverTheDedicatedOne) {
  ScopedEnv generic("KESTRANE_DISPLAY_ASPECT", "4:3");
  ScopedEnv dedicated("KESTRANE_ASPECT", "21:9");
  EXPECT_STREQ("4:3", SettingsStore::Get("display.aspect"));
  EXPECT_STREQ("KESTRANE_DISPLAY_ASPECT", SettingsStore::OverrideVariable("display.aspect"));
  SettingsStore::Set("display.aspect", "5:4");
  SettingsStore::Flush();
  EXPECT_EQ("[display]\naspect = 5:4\n", SavedText());
  EXPECT_STREQ("4:3", SettingsStore::Get("display.aspect"));
}

// A row reads its key once a frame; what it shows must be what the single calls say.
TEST_F(SettingsTest, ARowsViewAgreesWithTheSingleCalls) {
  UseFileWithText("[display]\naspect = 16:10\n[audio]\nmaster = 50\n");
  ScopedEnv generic("KESTRANE_DISPLAY_ASPECT");
  ScopedEnv dedicated("KESTRANE_ASPECT", "4:3");
  ScopedEnv device("KESTRANE_AUDIO_DEVICE", "usb");
  for (const char* key : {"display.aspect", "audio.device", "audio.master", "display.vsync", "mods.turbo"}) {
    SCOPED_TRACE(key);
    const SettingView view = SettingsStore::View(key);
    EXPECT_EQ(SettingsStore::Get(key), view.value);
    EXPECT_STREQ(SettingsStore::DefaultOf(key), view.def);
    EXPECT_EQ(SettingsStore::NextStart(key), view.next_start);
    const char* variable = SettingsStore::OverrideVariable(key);
    EXPECT_EQ(variable ? variable : "", view.variable);
  }
}

TEST_F(SettingsTest, DedicatedVariableAndEmptyOverrides) {
  ScopedEnv none("KESTRANE_DISPLAY_ASPECT");
  EXPECT_EQ(nullptr, SettingsStore::OverrideVariable("display.aspect"));
  {
    ScopedEnv dedicated("KESTRANE_ASPECT", "4:3");
    EXPECT_STREQ("4:3", SettingsStore::Get("display.aspect"));
    EXPECT_STREQ("KESTRANE_ASPECT", SettingsStore::OverrideVariable("display.aspect"));
  }
  // A variable that is defined but empty still overrides.
  ScopedEnv empty("KESTRANE_GAME_LANGUAGE", "");
  EXPECT_STREQ("", SettingsStore::Get("game.language"));
  EXPECT_STREQ("KESTRANE_GAME_LANGUAGE", SettingsStore::OverrideVariable("game.language"));
  // Unknown keys have a generic variable too.
  ScopedEnv mod("KESTRANE_MODS_TURBO", "9");
  EXPECT_EQ(9, SettingsStore::GetInt("mods.turbo"));
}

TEST_F(SettingsTest, SettingsFileVariableNamesTheFileAtFirstLoad) {
  std::string other = Path("elsewhere\\my settings.ini");
  WriteFile(other, "[audio]\nmaster = 33\n");
  ScopedEnv file("KESTRANE_SETTINGS_FILE", other);
  SettingsStoreTesting::UseFile("");  // look the path up again, as a new process would
  EXPECT_STREQ("33", SettingsStore::Get("audio.master"));
  EXPECT_EQ(other, SettingsStore::FilePath());
}

TEST_F(SettingsTest, WithoutTheVariableTheFileIsInTheLocalFolder) {
  SettingsStoreTesting::UseFile("");
  EXPECT_EQ(Path("local\\Kestrane\\settings.ini"), SettingsStore::FilePath());
  ScopedEnv empty("KESTRANE_SETTINGS_FILE", "");  // empty counts as not set
  SettingsStoreTesting::UseFile("");
  EXPECT_EQ(Path("local\\Kestrane\\settings.ini"), SettingsStore::FilePath());
}

// [SECTION] Saving

TEST_F(SettingsTest, ABurstOfChangesIsSavedOnceAfterTheQuietTime) {
  SaveLog log;
  SettingsStoreTesting::SetSaveObserver(&SaveLog::Record, &log);
  for (int i = 0; i < 20; ++i) SettingsStore::SetInt("audio.master", i);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(log.saved_event, 10000)) << "the saver never saved";
  ASSERT_EQ(1u, log.Count());
  EXPECT_TRUE(log.events[0].saved);
  EXPECT_GE(log.events[0].save_tick - log.events[0].change_tick, 300u);
  // Nothing is pending any more, so no second save can follow.
  EXPECT_FALSE(SettingsStoreTesting::IsDirty());
  SettingsStore::Flush();
  EXPECT_EQ(1u, log.Count());
  EXPECT_EQ("[audio]\nmaster = 19\n", SavedText());
}

TEST_F(SettingsTest, AFailedSaveLeavesTheFileAndKeepsTheChangePending) {
  UseFileWithText("[display]\nvsync = 0\n");
  SaveLog log;
  SettingsStoreTesting::SetSaveObserver(&SaveLog::Record, &log);
  // The temporary file can't be created while a folder has its name.
  ASSERT_TRUE(testsupport::MakeFolders(SettingsPath() + ".tmp"));
  SettingsStore::Set("display.vsync", "2");
  SettingsStore::Flush();
  ASSERT_GE(log.Count(), 1u);
  EXPECT_FALSE(log.events.back().saved);
  EXPECT_EQ("[display]\nvsync = 0\n", SavedText());
  EXPECT_TRUE(SettingsStoreTesting::IsDirty());
  RemoveDirectoryA((SettingsPath() + ".tmp").c_str());
  SettingsStore::Flush();
  EXPECT_EQ("[display]\nvsync = 2\n", SavedText());
  EXPECT_FALSE(SettingsStoreTesting::IsDirty());
}

TEST_F(SettingsTest, AFailedMoveRemovesTheTemporaryFile) {
  UseFileWithText("[display]\nvsync = 0\n");
  // Another program holding settings.ini without delete sharing blocks the replace.
  HANDLE held = CreateFileA(SettingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  SettingsStore::Set("display.vsync", "2");
  SettingsStore::Flush();
  CloseHandle(held);
  EXPECT_EQ("[display]\nvsync = 0\n", SavedText());
  EXPECT_FALSE(testsupport::PathExists(SettingsPath() + ".tmp"));
  EXPECT_TRUE(SettingsStoreTesting::IsDirty());
  SettingsStore::Flush();
  EXPECT_EQ("[display]\nvsync = 2\n", SavedText());
}

TEST_F(SettingsTest, ReloadSavesPendingChangesThenReadsTheFile) {
  UseFileWithText("[display]\nvsync = 0\n");
  SettingsStore::Set("audio.master", "50");
  EXPECT_EQ("[display]\nvsync = 0\n\n[audio]\nmaster = 50\n", SettingsStore::Text());
  SettingsStore::Reload();
  EXPECT_EQ("[display]\nvsync = 0\n\n[audio]\nmaster = 50\n", SavedText());
  // The game changes the file while it runs; the launcher then sees its change.
  WriteFile(SettingsPath(), "[display]\nvsync = 1\n");
  SettingsStore::Reload();
  EXPECT_STREQ("1", SettingsStore::Get("display.vsync"));
  EXPECT_STREQ("80", SettingsStore::Get("audio.master"));
}

TEST_F(SettingsTest, AReloadAfterAFailedSaveLeavesNothingPending) {
  UseFileWithText("[display]\nvsync = 0\n");
  ASSERT_TRUE(testsupport::MakeFolders(SettingsPath() + ".tmp"));  // blocks the save
  SettingsStore::Set("display.vsync", "2");
  SettingsStore::Flush();
  ASSERT_TRUE(SettingsStoreTesting::IsDirty());
  SettingsStore::Reload();  // the save fails again; the file's lines are what counts now
  RemoveDirectoryA((SettingsPath() + ".tmp").c_str());
  EXPECT_FALSE(SettingsStoreTesting::IsDirty());
  EXPECT_STREQ("0", SettingsStore::Get("display.vsync"));
  // So the game's file isn't rewritten for nothing.
  SaveLog log;
  SettingsStoreTesting::SetSaveObserver(&SaveLog::Record, &log);
  SettingsStore::Flush();
  EXPECT_EQ(0u, log.Count());
}

TEST_F(SettingsTest, ALineOfAnyLengthIsOneLineAndSurvivesASaveWhole) {
  // Cut after 4,095 bytes, the tail of this comment would read as a live key.
  const std::string long_comment = "# " + std::string(4093, 'x') + "speed = 9";
  UseFileWithText(long_comment + "\n[display]\nvsync = 0\n");
  EXPECT_STREQ("", SettingsStore::Get("speed"));
  SettingsStore::Set("display.vsync", "2");
  SettingsStore::Flush();
  EXPECT_EQ(long_comment + "\n[display]\nvsync = 2\n", SavedText());
}

// [SECTION] The file changed by someone else while the launcher is open

TEST_F(SettingsTest, ASaveKeepsWhatWasWrittenToTheFileMeanwhileAndPutsItsOwnChangesOnTop) {
  UseFileWithText("[display]\nvsync = 0\nmonitor = 1\n");
  EXPECT_STREQ("0", SettingsStore::Get("display.vsync"));
  // A text editor (or the game) rewrites the file: a comment, a changed value, a new section.
  WriteFile(SettingsPath(), "# tuned by hand\n[display]\nvsync = 0\nmonitor = 2\n\n[controls]\ndeadzone = 20\n");
  SettingsStore::Set("display.vsync", "2");
  SettingsStore::Set("audio.master", "50");
  SettingsStore::Reset("display.monitor");
  SettingsStore::Flush();
  EXPECT_EQ("# tuned by hand\n[display]\nvsync = 2\n\n[controls]\ndeadzone = 20\n\n[audio]\nmaster = 50\n",
            SavedText());
}

TEST_F(SettingsTest, ActivationReadsAChangedFileAndKeepsTheChangesNotYetSaved) {
  UseFileWithText("[display]\nvsync = 0\n");
  SettingsStore::Set("audio.master", "50");  // pending: the saver waits for quiet
  WriteFile(SettingsPath(), "[display]\nvsync = 1\n");
  SettingsStore::ReloadIfChanged();
  EXPECT_STREQ("1", SettingsStore::Get("display.vsync"));
  EXPECT_STREQ("50", SettingsStore::Get("audio.master"));
  // A change the file already holds is nothing left to save.
  WriteFile(SettingsPath(), "[display]\nvsync = 1\n[audio]\nmaster = 50\n");
  SettingsStore::ReloadIfChanged();
  EXPECT_FALSE(SettingsStoreTesting::IsDirty());
}

TEST_F(SettingsTest, AFileThatCantBeReadJustNowIsNeverSavedOver) {
  UseFileWithText("[display]\nvsync = 0\n# the player's note\n");
  // Another program has it open and shares nothing: what it holds can't be known.
  HANDLE held = CreateFileA(SettingsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  SettingsStore::Set("display.vsync", "2");
  SettingsStore::Flush();
  CloseHandle(held);
  SettingsStore::Flush();
  EXPECT_EQ("[display]\nvsync = 2\n# the player's note\n", SavedText());
}

TEST_F(SettingsTest, ChangesFromSeveralThreadsAllArrive) {
  const int kThreads = 4, kKeysEach = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int k = 0; k < kKeysEach; ++k) {
        std::string key = "mods.t" + std::to_string(t) + "_" + std::to_string(k);
        SettingsStore::SetInt(key.c_str(), k + 1);
        SettingsStore::Get("display.vsync");
      }
    });
  }
  for (std::thread& th : threads) th.join();
  SettingsStore::Flush();
  SettingsStoreTesting::UseFile(SettingsPath());
  for (int t = 0; t < kThreads; ++t)
    for (int k = 0; k < kKeysEach; ++k) {
      std::string key = "mods.t" + std::to_string(t) + "_" + std::to_string(k);
      ASSERT_EQ(k + 1, SettingsStore::GetInt(key.c_str())) << key;
    }
}

// [SECTION] Files a text editor saved

// "text" as UTF-16 code units in the given byte order, with or without a byte order mark.
std::string Utf16(const std::wstring& text, bool big_endian, bool mark) {
  std::wstring all = mark ? L"\xFEFF" + text : text;
  std::string bytes;
  for (wchar_t u : all) {
    char lo = (char)(u & 0xFF), hi = (char)(u >> 8);
    bytes += big_endian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return bytes;
}

TEST_F(SettingsTest, AUtf16FileIsReadAsTheTextItIsAndSavedAsUtf8) {
  const std::wstring text = L"[audio]\r\nmaster = 35\r\n[launcher]\r\ndump_path = D:\\Zo\x00EB \x65E5\r\n";
  const std::pair<const char*, std::string> cases[] = {
      {"little-endian with a mark", Utf16(text, false, true)},
      {"big-endian with a mark", Utf16(text, true, true)},
      {"little-endian without a mark", Utf16(text, false, false)},
      {"big-endian without a mark", Utf16(text, true, false)},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    UseFileWithText(bytes);
    EXPECT_STREQ("35", SettingsStore::Get("audio.master"));
    EXPECT_STREQ("D:\\Zo\xC3\xAB \xE6\x97\xA5", SettingsStore::Get("launcher.dump_path"));
    SettingsStore::Set("display.vsync", "0");
    SettingsStore::Flush();
    EXPECT_EQ("[audio]\nmaster = 35\n[launcher]\ndump_path = D:\\Zo\xC3\xAB \xE6\x97\xA5\n\n[display]\nvsync = 0\n",
              SavedText());
  }
}

TEST_F(SettingsTest, AFileThatIsNotTextIsNeverSavedOver) {
  const std::string kLineWithNul = std::string("[audio]\nmaster = 35\n[launcher]\nchannel = be") + '\0' + "ta\n";
  std::string lone_surrogate = Utf16(L"[audio]\r\nmaster = 35\r\n", false, true);
  lone_surrogate += std::string("\x00\xD8", 2);  // a high surrogate with nothing after it
  const std::pair<const char*, std::string> cases[] = {
      {"a NUL byte in a line", kLineWithNul},
      {"a NUL byte in a line, an even count of bytes", kLineWithNul + "\n"},
      {"UTF-16 cut short by a byte", Utf16(L"[audio]\r\nmaster = 35\r\n", false, true) + "x"},
      {"UTF-16 with half a surrogate pair", lone_surrogate},
      {"UTF-16 holding a NUL character", Utf16(std::wstring(L"[audio]\r\nmaster = 3") + L'\0' + L"5\r\n", true, true)},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    UseFileWithText(bytes);
    SettingsStore::Set("audio.sfx", "20");
    SettingsStore::Flush();
    EXPECT_EQ(bytes, SavedText());
    EXPECT_FALSE(testsupport::PathExists(SettingsPath() + ".tmp"));
    // The change lives on in memory, also across a reload of the unchanged file.
    EXPECT_TRUE(SettingsStoreTesting::IsDirty());
    SettingsStore::Reload();
    EXPECT_STREQ("20", SettingsStore::Get("audio.sfx"));
    EXPECT_EQ(bytes, SavedText());
  }
  // What can be read of a line with a NUL byte still counts.
  UseFileWithText(cases[0].second);
  EXPECT_STREQ("35", SettingsStore::Get("audio.master"));
  const std::string log = testsupport::Lf(testsupport::ReadFile(Path("local\\Kestrane\\logs\\kestrane_log.txt")));
  EXPECT_NE(std::string::npos,
            log.find(" [launcher] " + SettingsPath() +
                     " holds bytes that aren't text; it is left as it is and changes to settings aren't saved\n"))
      << log;

  // Once the player has mended the file, it is read and saved again.
  testsupport::WriteFile(SettingsPath(), "[audio]\nmaster = 40\n");
  SettingsStore::Reload();
  EXPECT_STREQ("40", SettingsStore::Get("audio.master"));
  SettingsStore::Set("audio.sfx", "20");
  SettingsStore::Flush();
  EXPECT_EQ("[audio]\nmaster = 40\nsfx = 20\n", SavedText());
}

TEST_F(SettingsTest, OtherBytesStayAsTheyAre) {
  // A Latin-1 letter typed into a hand-edited line, and a byte order mark of UTF-8.
  UseFileWithText("\xEF\xBB\xBF[launcher]\ndump_path = D:\\Spiele\\Zo\xEB\n");
  EXPECT_STREQ("D:\\Spiele\\Zo\xEB", SettingsStore::Get("launcher.dump_path"));
  SettingsStore::Set("launcher.channel", "beta");
  SettingsStore::Flush();
  EXPECT_EQ("[launcher]\ndump_path = D:\\Spiele\\Zo\xEB\nchannel = beta\n", SavedText());
}

// [SECTION] Names beyond ASCII

TEST_F(SettingsTest, NonAsciiSettingsPathRoundTrips) {
  ASSERT_EQ(65001u, GetACP()) << "the UTF-8 code page from the manifest is not in effect";
  std::string path = Path("Zo\xC3\xAB \xE6\x97\xA5\xE6\x9C\xAC\\settings.ini");  // "Zoë 日本"
  ASSERT_TRUE(testsupport::MakeFolders(Path("Zo\xC3\xAB \xE6\x97\xA5\xE6\x9C\xAC")));
  ScopedEnv file("KESTRANE_SETTINGS_FILE", path);
  SettingsStoreTesting::UseFile("");
  SettingsStore::Set("launcher.dump_path", "D:\\Spiele\\Zo\xC3\xAB");
  SettingsStore::Flush();
  EXPECT_EQ("[launcher]\ndump_path = D:\\Spiele\\Zo\xC3\xAB\n", ReadFile(path));
  SettingsStoreTesting::UseFile("");
  EXPECT_STREQ("D:\\Spiele\\Zo\xC3\xAB", SettingsStore::Get("launcher.dump_path"));
}

}  // namespace
