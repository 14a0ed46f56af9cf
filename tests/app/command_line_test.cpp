#include "app/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

EntryRequest Parse(std::initializer_list<const char*> args) {
  std::vector<const char*> argv = {"Kestrane.exe"};
  argv.insert(argv.end(), args.begin(), args.end());
  return ParseCommandLine((int)argv.size(), argv.data());
}

TEST(CommandLine, NoArgumentsOpensTheWindowAndUnknownWordsGoToTheDeveloperTools) {
  EXPECT_EQ(EntryMode::kWindow, Parse({}).mode);
  for (const char* help : {"--help", "-h", "/?"}) EXPECT_EQ(EntryMode::kHelp, Parse({help}).mode) << help;
  EXPECT_EQ(EntryMode::kVersion, Parse({"--version"}).mode);
  EXPECT_EQ(EntryMode::kDeveloper, Parse({"--Help"}).mode);
  EXPECT_EQ(EntryMode::kDeveloper, Parse({"--viewer", "--disc", "D:\\dump"}).mode);
}

TEST(CommandLine, OptionWordsCompareWholeAndCaseSensitive) {
  EXPECT_EQ(EntryMode::kDeveloper, Parse({"--Judge", "x"}).mode);
  EXPECT_EQ(EntryMode::kDeveloper, Parse({"--judge=x", "x"}).mode);
  EXPECT_EQ(EntryMode::kDeveloper, Parse({"--enhance "}).mode);
  EXPECT_EQ(EntryMode::kDeveloper, Parse({"-enhance"}).mode);
  EXPECT_EQ(EntryMode::kEnhance, Parse({"--enhance", "ignored"}).mode);
}

TEST(CommandLine, UiShotNeedsScreenAndPathAndBothNumbers) {
  EntryRequest r = Parse({"--ui-shot", "home", "out.bmp"});
  EXPECT_EQ(EntryMode::kUiShot, r.mode);
  EXPECT_EQ("home", r.screen);
  EXPECT_EQ("out.bmp", r.output);
  EXPECT_EQ(1280, r.width);
  EXPECT_EQ(720, r.height);

  r = Parse({"--ui-shot", "home", "out.bmp", "1920"});  // a width alone is not enough
  EXPECT_EQ(1280, r.width);
  EXPECT_EQ(720, r.height);

  r = Parse({"--ui-shot", "home", "out.bmp", "1920", "1080", "extra"});
  EXPECT_EQ(1920, r.width);
  EXPECT_EQ(1080, r.height);

  r = Parse({"--ui-shot", "home", "out.bmp", "wide", "12px"});  // numbers read like atoi
  EXPECT_EQ(0, r.width);
  EXPECT_EQ(12, r.height);

  EXPECT_EQ(EntryMode::kDeveloper, Parse({"--ui-shot", "home"}).mode);
}

TEST(CommandLine, JudgeAndSetupNeedAPath) {
  EXPECT_EQ(EntryMode::kDeveloper, Parse({"--judge"}).mode);
  EXPECT_EQ(EntryMode::kDeveloper, Parse({"--setup"}).mode);

  EntryRequest r = Parse({"--judge", "D:\\dump", "more", "words"});
  EXPECT_EQ(EntryMode::kJudge, r.mode);
  EXPECT_EQ("D:\\dump", r.path);
}

TEST(CommandLine, RebuildIsOnlyTheThirdArgumentOfSetup) {
  EntryRequest r = Parse({"--setup", "D:\\dump", "--rebuild"});
  EXPECT_EQ(EntryMode::kSetup, r.mode);
  EXPECT_EQ("D:\\dump", r.path);
  EXPECT_TRUE(r.rebuild);

  r = Parse({"--setup", "--rebuild", "D:\\dump"});
  EXPECT_EQ("--rebuild", r.path);
  EXPECT_FALSE(r.rebuild);

  EXPECT_FALSE(Parse({"--setup", "D:\\dump", "--Rebuild"}).rebuild);
  EXPECT_FALSE(Parse({"--setup", "D:\\dump"}).rebuild);
}

TEST(CommandLine, LaunchGameSecondsReadLikeAtoi) {
  EXPECT_EQ(EntryMode::kLaunchGame, Parse({"--launch-game"}).mode);
  EXPECT_EQ(20, Parse({"--launch-game"}).seconds);
  EXPECT_EQ(0, Parse({"--launch-game", "0"}).seconds);
  EXPECT_EQ(0, Parse({"--launch-game", "soon"}).seconds);
  EXPECT_EQ(5, Parse({"--launch-game", "5s"}).seconds);
  EXPECT_EQ(7, Parse({"--launch-game", "  7"}).seconds);
  EXPECT_EQ(2147483647, Parse({"--launch-game", "99999999999999"}).seconds);
}

TEST(CommandLine, FirstMatchingRowWins) {
  // A ui-shot request whose screen name looks like another option is still a ui-shot.
  EXPECT_EQ(EntryMode::kUiShot, Parse({"--ui-shot", "--judge", "x"}).mode);
  EXPECT_EQ(EntryMode::kDeveloper, Parse({"--scan", "--judge", "x"}).mode);
}

}  // namespace
