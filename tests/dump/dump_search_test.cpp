// The background dump search over a synthetic user profile.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "dump/dump_search.h"
#include "dump/dump_status.h"
#include "platform/files.h"
#include "settings/install_layout.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/folder_link.h"

using fixtures::MakeDump;
using testsupport::ScopedEnv;

namespace {

class DumpSearchTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    profile_ = std::make_unique<ScopedEnv>("USERPROFILE", Path("home"));
  }
  void TearDown() override {
    WaitForSearch();
    SettingsTest::TearDown();
  }

  static void WaitForSearch() {
    for (int i = 0; i < 6000 && DumpSearch::IsRunning(); ++i) Sleep(10);
    ASSERT_FALSE(DumpSearch::IsRunning());
  }
  // The found dumps' paths relative to the test folder, in the order listed, with `chosen`
  // as the setting the window would pass on.
  std::vector<std::string> Search(const std::string& chosen = std::string()) {
    EXPECT_TRUE(DumpSearch::Start(ConfiguredDumpPath(chosen)));
    WaitForSearch();
    std::vector<std::string> paths;
    for (const DumpCandidate& c : DumpSearch::Results()) paths.push_back(c.path.substr(root().size() + 1));
    return paths;
  }
  void Dump(const std::string& at, const fixtures::DumpContents& contents = fixtures::DumpContents()) { MakeDump(Path(at), contents); }

  std::unique_ptr<ScopedEnv> profile_;
};

using Paths = std::vector<std::string>;

TEST_F(DumpSearchTest, LooksThreeLevelsBelowEachProfileFolder) {
  Dump("home\\Downloads\\Games\\Skarvel");
  Dump("home\\Documents\\a\\b\\c");
  Dump("home\\Documents\\a\\b\\d\\e");  // four levels down
  Dump("home\\Desktop\\one\\two\\three\\four\\five\\six");
  Dump("home\\OneDrive\\Documents\\disc");
  Dump("home\\Music\\disc");  // not a searched place
  fixtures::DumpContents data;
  data.layout = fixtures::DumpLayout::kData;
  Dump("home\\Desktop\\whole disc", data);
  EXPECT_EQ((Paths{"home\\Downloads\\Games\\Skarvel", "home\\Desktop\\whole disc", "home\\Documents\\a\\b\\c",
                   "home\\OneDrive\\Documents\\disc"}),
            Search());
  EXPECT_EQ(L"Searched Downloads, Desktop, Documents \u00B7 4 found", DumpSearch::Status());
}

TEST_F(DumpSearchTest, PassesOverHiddenToolAndLinkedFolders) {
  Dump("home\\Downloads\\.cache\\disc");
  Dump("home\\Downloads\\$RECYCLE.BIN\\disc");
  Dump("home\\Documents\\Node_Modules\\disc");
  Dump("home\\Desktop\\AppData\\disc");
  Dump("elsewhere\\disc");
  testsupport::MakeFolders(Path("home\\Downloads"));
  const bool linked = testsupport::MakeFolderLink(Path("home\\Downloads\\link"), Path("elsewhere"));
  EXPECT_EQ(Paths{}, Search());
  if (linked) testsupport::RemoveFolderLink(Path("home\\Downloads\\link"));
}

TEST_F(DumpSearchTest, TheConfiguredDumpAndItsSiblingsAreFound) {
  Dump("Dumps\\Mine");
  Dump("Dumps\\Other");
  Dump("Dumps\\nested\\deeper");
  EXPECT_EQ((Paths{"Dumps\\Mine", "Dumps\\Other"}), Search(Path("Dumps\\Mine")));

  // Without the setting, dump.ini's files folder leads there.
  testsupport::WriteFile(InstallLayout::DumpIniPath(), "disc=" + Path("Dumps\\Other\\files") + "\n");
  EXPECT_EQ((Paths{"Dumps\\Other", "Dumps\\Mine"}), Search());
}

TEST_F(DumpSearchTest, OneDumpFoundTwiceIsListedOnce) {
  fixtures::DumpContents data;
  data.layout = fixtures::DumpLayout::kData;
  Dump("home\\Downloads\\disc", data);
  // Found as DATA itself, as the folder above it, and again below Downloads.
  EXPECT_EQ(Paths{"home\\Downloads\\disc"}, Search(Path("home\\Downloads\\disc\\DATA")));
}

TEST_F(DumpSearchTest, ReadyDumpsComeFirstAndAtMost21AreListed) {
  fixtures::DumpContents europe, incomplete;
  europe.boot_bin = fixtures::BootBin("RKVP01");
  europe.main_dol = fixtures::OtherMainDol();
  incomplete.main_dol = std::nullopt;
  Dump("home\\Downloads\\europe", europe);
  Dump("home\\Desktop\\broken", incomplete);
  Dump("home\\Documents\\usa");
  std::vector<DumpCandidate> first;
  Search();
  first = DumpSearch::Results();
  ASSERT_EQ(3u, first.size());
  EXPECT_EQ(kDumpReady, first[0].kind);
  EXPECT_EQ(kDumpNotSupported, first[1].kind);
  EXPECT_EQ("RKVP01", first[1].game_id);
  EXPECT_EQ(kDumpIncomplete, first[2].kind);
  EXPECT_GT(first[0].bytes, 0);

  for (int i = 0; i < 25; ++i) Dump("home\\Documents\\many\\" + std::to_string(i));
  EXPECT_EQ(21u, Search().size());
}

TEST_F(DumpSearchTest, ManyCandidatesKeepTheirFoundOrderWithinAKind) {
  // More than a sort handles by insertion alone, with many of each kind.
  fixtures::DumpContents europe, incomplete;
  europe.boot_bin = fixtures::BootBin("RKVP01");
  europe.main_dol = fixtures::OtherMainDol();
  incomplete.main_dol = std::nullopt;
  const int kDumps = 20;
  for (int i = 0; i < kDumps; ++i)
    Dump("home\\Documents\\many\\" + std::to_string(100 + i), i % 3 == 0 ? incomplete : i % 3 == 1 ? europe : fixtures::DumpContents());
  // Found in the order the folder lists them; within a kind that order stays.
  std::vector<std::string> by_kind[3];
  for (const files::FolderEntry& e : files::ListFolder(Path("home\\Documents\\many"))) {
    const int i = std::stoi(e.name) - 100;
    by_kind[i % 3 == 0 ? kDumpIncomplete : i % 3 == 1 ? kDumpNotSupported : kDumpReady].push_back(
        "home\\Documents\\many\\" + e.name);
  }
  Paths expected;
  for (const std::vector<std::string>& kind : by_kind) expected.insert(expected.end(), kind.begin(), kind.end());
  ASSERT_EQ((size_t)kDumps, expected.size());
  EXPECT_EQ(expected, Search());
}

TEST_F(DumpSearchTest, OneSearchRunsAtATime) {
  Dump("home\\Downloads\\disc");
  Search();
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DumpSearchTesting::SetGate(gate);
  Dump("home\\Desktop\\disc");
  EXPECT_TRUE(DumpSearch::Start(""));
  EXPECT_FALSE(DumpSearch::Start(""));
  EXPECT_TRUE(DumpSearch::IsRunning());
  EXPECT_EQ(L"Searching Downloads, Desktop, Documents\u2026", DumpSearch::Status());
  EXPECT_EQ(1u, DumpSearch::Results().size());  // the last search's, until this one ends
  SetEvent(gate);
  WaitForSearch();
  DumpSearchTesting::SetGate(nullptr);
  CloseHandle(gate);
  EXPECT_EQ(2u, DumpSearch::Results().size());
}

TEST_F(DumpSearchTest, WithoutAProfileOrAConfiguredDumpNothingIsFound) {
  Dump("home\\Downloads\\disc");
  ScopedEnv no_profile("USERPROFILE");
  EXPECT_EQ(Paths{}, Search());
  EXPECT_EQ(L"Searched Downloads, Desktop, Documents \u00B7 0 found", DumpSearch::Status());
}

}  // namespace
