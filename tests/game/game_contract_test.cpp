#include "game/game_contract.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/text.h"
#include "settings/install_layout.h"
#include "tests/support/scoped_env.h"

using testsupport::ScopedEnv;

namespace {

TEST(GameContract, TheGameIsNextToTheLauncherUnlessTheVariableNamesIt) {
  const std::string beside = InstallLayout::ExeDir() + "KestraneGame.exe";
  {
    ScopedEnv unset("KESTRANE_GAME_EXE");
    EXPECT_EQ(beside, GameExePath());
  }
  {
    ScopedEnv empty("KESTRANE_GAME_EXE", "");
    EXPECT_EQ(beside, GameExePath());
  }
  ScopedEnv named("KESTRANE_GAME_EXE", "D:\\Builds\\My Game.exe");
  EXPECT_EQ("D:\\Builds\\My Game.exe", GameExePath());
  EXPECT_EQ(L"\"D:\\Builds\\My Game.exe\"", GameCommandLine());
  // The tests run from a build folder, which is no source checkout.
  EXPECT_EQ(InstallLayout::ExeDir(), GameWorkingDir());
}

// What the game finds in its environment, checked in the block it is started with.
std::vector<std::wstring> BlockEntries(const EnvOverrides& overrides) {
  std::vector<std::wstring> entries;
  std::wstring block = BuildEnvironmentBlock(overrides);
  for (const wchar_t* p = block.c_str(); *p; p += wcslen(p) + 1) entries.emplace_back(p);
  return entries;
}

bool Has(const std::vector<std::wstring>& entries, const std::wstring& entry) {
  return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

bool HasName(const std::vector<std::wstring>& entries, const std::wstring& name) {
  return std::any_of(entries.begin(), entries.end(),
                     [&](const std::wstring& e) { return _wcsnicmp(e.c_str(), (name + L"=").c_str(), name.size() + 1) == 0; });
}

TEST(GameContract, AFrameDumpIsNotAPlayAndKeepsWhatThePlayerSet) {
  ScopedEnv launched("KESTRANE_LAUNCHED", "1");
  ScopedEnv aspect("KESTRANE_ASPECT", "4:3");
  ScopedEnv settings("KESTRANE_SETTINGS_FILE", "D:\\portable\\settings.ini");
  std::vector<std::wstring> dump = BlockEntries(FrameDumpEnvironment("C:\\data\\frames", "C:\\data\\nand"));
  EXPECT_FALSE(HasName(dump, L"KESTRANE_LAUNCHED"));
  EXPECT_TRUE(Has(dump, L"KESTRANE_ASPECT=4:3"));
  EXPECT_TRUE(Has(dump, L"KESTRANE_VIDEODUMP=C:\\data\\frames"));
  EXPECT_TRUE(Has(dump, L"KESTRANE_SETTINGS_FILE=D:\\portable\\settings.ini"));

  std::vector<std::wstring> play = BlockEntries(PlayEnvironment("4:3 ", false));
  EXPECT_TRUE(Has(play, L"KESTRANE_ASPECT=16:9"));  // only exactly 4:3 plays in 4:3
  EXPECT_TRUE(Has(play, L"KESTRANE_ERROR_LOG=0"));
  EXPECT_TRUE(Has(BlockEntries(PlayEnvironment("4:3", true)), L"KESTRANE_ASPECT=4:3"));
}

TEST(GameContract, MatchWindowLeavesTheAspectVariableOutEvenWhenInherited) {
  ScopedEnv inherited("KESTRANE_ASPECT", "16:9");
  EXPECT_FALSE(HasName(BlockEntries(PlayEnvironment("native", true)), L"KESTRANE_ASPECT"));
  EXPECT_TRUE(Has(BlockEntries(PlayEnvironment("16:9", true)), L"KESTRANE_ASPECT=16:9"));
  EXPECT_TRUE(Has(BlockEntries(PlayEnvironment("4:3", true)), L"KESTRANE_ASPECT=4:3"));
}

}  // namespace
