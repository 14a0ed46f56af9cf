// "--judge" end to end: the test build of the launcher, installed in a temporary folder
// next to the stand-in dtk, judges fixture dumps and disc images.
#include <gtest/gtest.h>

#include <windows.h>

#include <regex>

#include "platform/text.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"

using fixtures::DumpLayout;
using fixtures::DumpContents;
using fixtures::MakeDump;
using testsupport::ChildResult;
using testsupport::PathExists;
using testsupport::ReadFile;

namespace {

const char kOtherSha1[] = "79140533b136ba40944e4b9e57c4de5929405f0f";
const long long kFixtureDumpBytes = 0x440 + 200000 + 22;  // boot.bin, main.dol, tocres.res
const char kMainDolChanged[] =
    "main.dol doesn't match the retail USA release (RKVE01), so this dump is modified or damaged. Dump your disc again.";

std::string NothingAt(const std::string& path) {
  return "There's nothing at " + path + ". Check the path, or choose your dump again if you moved it.";
}

struct Verdict {
  int kind;
  std::string label, detail, files, dol, sha1, id;
  long long bytes;
};

// The printed block, with the elapsed milliseconds shown as N.
std::string Block(const Verdict& v) {
  static const char* const kNames[] = {"ready", "not supported", "incomplete"};
  return "kind " + std::to_string(v.kind) + " (" + kNames[v.kind] + ") in N ms\n" + v.label + "\n" + v.detail +
         "\nfiles " + v.files + "\ndol " + v.dol + "\nsha1 " + v.sha1 + " id " + v.id + " bytes " +
         std::to_string(v.bytes) + "\n";
}

class JudgeModeTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    launcher_ = fixtures::MakeInstall(Path("install"));
    ASSERT_FALSE(launcher_.empty());
    ASSERT_TRUE(fixtures::AddDtk(Path("install")));
    options_ = fixtures::LauncherOptions(Path("profile"));
    options_.env.push_back({"STANDIN_DTK_LOG", Path("dtk.log")});
  }

  ChildResult Judge(const std::string& path, const std::vector<std::pair<std::string, std::string>>& env = {},
                    const std::string& exe = "") {
    testsupport::ChildOptions options = options_;
    options.env.insert(options.env.end(), env.begin(), env.end());
    ChildResult r = testsupport::RunChild(exe.empty() ? launcher_ : exe, {"--judge", path}, options);
    EXPECT_TRUE(r.started && !r.timed_out);
    r.out = std::regex_replace(r.out, std::regex("^(kind \\d \\([a-z ]+\\) in )\\d+ ms"), "$1N ms");
    return r;
  }

  void ExpectVerdict(const std::string& path, const Verdict& v) {
    ChildResult r = Judge(path);
    EXPECT_EQ((unsigned long)v.kind, r.exit_code);
    EXPECT_EQ(Block(v), r.out);
  }

  int DtkRuns() {
    std::string log = ReadFile(Path("dtk.log"));
    return (int)std::count(log.begin(), log.end(), '\n');
  }
  std::string Data(const std::string& rest = "") {
    return Path("profile\\home\\Games\\Kestrane\\disc\\DATA") + (rest.empty() ? "" : "\\" + rest);
  }
  Verdict ReadyImage(const std::string& image) {
    return {0, "Wii disc, USA (RKVE01)", "", Data("files"), Data("sys\\main.dol"), fixtures::kFixtureMainDolSha1,
            "RKVE01", (long long)ReadFile(image).size()};
  }

  std::string launcher_;
  testsupport::ChildOptions options_;
};

// [SECTION] Folders

TEST_F(JudgeModeTest, AFixtureDumpIsReadyInEachLayoutForTheTestBuildOnly) {
  for (DumpLayout layout : {DumpLayout::kData, DumpLayout::kFlat, DumpLayout::kFilesOnly}) {
    DumpContents contents;
    contents.layout = layout;
    fixtures::MadeDump d = MakeDump(Path("dump" + std::to_string((int)layout)), contents);
    ExpectVerdict(d.chosen, {0, "Wii disc, USA (RKVE01)", "", d.files_dir, d.dol_path, fixtures::kFixtureMainDolSha1,
                             "RKVE01", kFixtureDumpBytes});
  }
  // The shipped launcher expects the retail digest, which no fixture has.
  fixtures::MadeDump d = MakeDump(Path("dump"));
  ChildResult r = Judge(d.root, {}, testsupport::KestraneExe());
  EXPECT_EQ(1u, r.exit_code);
  // Its disc says RKVE01, so its main.dol was changed: both digests are printed to compare.
  EXPECT_EQ(Block({1, "Wii disc (RKVE01)", kMainDolChanged, d.files_dir, d.dol_path, fixtures::kFixtureMainDolSha1,
                   "RKVE01", kFixtureDumpBytes}) +
                "expected sha1 7c2f0b9e4a61d3853f0e2b7a9c4d6e1f08b3a5c2\n",
            r.out);
}

TEST_F(JudgeModeTest, DiscsOfAnotherRegionOrGameAreNotSupported) {
  DumpContents contents;
  contents.main_dol = fixtures::OtherMainDol();
  contents.boot_bin = fixtures::BootBin("RKVP01");
  fixtures::MadeDump europe = MakeDump(Path("europe"), contents);
  ExpectVerdict(europe.root, {1, "Wii disc, Europe (RKVP01)",
                              "Kestrane is built from the USA version only. Other regions may come later.",
                              europe.files_dir, europe.dol_path, kOtherSha1, "RKVP01", kFixtureDumpBytes});
  contents.boot_bin = fixtures::BootBin("RABC01");
  fixtures::MadeDump other = MakeDump(Path("other"), contents);
  ExpectVerdict(other.root, {1, "Wii disc (RABC01)", "This isn't the retail USA disc. Kestrane only runs RKVE01.",
                             other.files_dir, other.dol_path, kOtherSha1, "RABC01", kFixtureDumpBytes});
  // A USA disc whose main.dol isn't the one the build expects: modified or damaged.
  contents.boot_bin = fixtures::BootBin("RKVE01");
  fixtures::MadeDump changed = MakeDump(Path("changed"), contents);
  EXPECT_EQ(Block({1, "Wii disc (RKVE01)", kMainDolChanged, changed.files_dir, changed.dol_path, kOtherSha1, "RKVE01",
                   kFixtureDumpBytes}) +
                "expected sha1 " + fixtures::kFixtureMainDolSha1 + "\n",
            Judge(changed.root).out);
}

TEST_F(JudgeModeTest, IncompleteDumpsSayWhatIsMissing) {
  ExpectVerdict(Path("gone"), {2, "Disc folder", NothingAt(Path("gone")), "", "", "", "", -1});

  testsupport::MakeFolders(Path("empty\\sys"));
  ExpectVerdict(Path("empty"), {2, "Disc folder",
                                "No game files in this folder. Choose the folder that has sys and files in it.", "",
                                "", "", "", -1});

  testsupport::WriteFile(Path("notes.txt"), "not a disc");
  ExpectVerdict(Path("notes.txt"),
                {2, "Disc folder", "not a folder or a known disc image: " + Path("notes.txt"), "", "", "", "", -1});

  DumpContents contents;
  contents.main_dol = std::nullopt;
  fixtures::MadeDump d = MakeDump(Path("nodol"), contents);
  ExpectVerdict(d.root, {2, "Wii disc, USA (RKVE01)",
                         "main.dol is missing (sys\\main.dol). Dump or extract your disc again.", d.files_dir,
                         d.dol_path, "", "RKVE01", -1});
}

TEST_F(JudgeModeTest, APathWithNonAsciiLettersPrintsAsUtf8) {
  fixtures::MadeDump d = MakeDump(Path("Zo\xC3\xAB's dump"));
  ExpectVerdict(d.root, {0, "Wii disc, USA (RKVE01)", "", d.files_dir, d.dol_path, fixtures::kFixtureMainDolSha1,
                         "RKVE01", kFixtureDumpBytes});
  ExpectVerdict(Path("\xC3\xA9t\xC3\xA9"),
                {2, "Disc folder", NothingAt(Path("\xC3\xA9t\xC3\xA9")), "", "", "", "", -1});
}

// [SECTION] Disc images

TEST_F(JudgeModeTest, AnImageIsExtractedOnceUntilItChanges) {
  const std::string image = Path("images\\skarvel.iso");
  ASSERT_TRUE(fixtures::MakeDiscImage(image));
  ExpectVerdict(image, ReadyImage(image));
  EXPECT_EQ(3, DtkRuns());  // the header, sys, files
  EXPECT_EQ(fixtures::FixtureMainDol(), ReadFile(Data("sys\\main.dol")));
  EXPECT_FALSE(PathExists(Path("profile\\home\\Games\\Kestrane\\disc\\probe")));

  ExpectVerdict(image, ReadyImage(image));
  EXPECT_EQ(3, DtkRuns());

  // Older by two hours: another stamp, so another extraction.
  HANDLE h = CreateFileW(text::Utf8ToWide(image).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME t;
  GetSystemTimeAsFileTime(&t);
  ULARGE_INTEGER v = {{t.dwLowDateTime, t.dwHighDateTime}};
  v.QuadPart -= 2ULL * 3600 * 10000000;
  t = {v.LowPart, v.HighPart};
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &t));
  CloseHandle(h);
  ExpectVerdict(image, ReadyImage(image));
  EXPECT_EQ(6, DtkRuns());

  testsupport::WriteFile(image, ReadFile(image) + "padding");
  ExpectVerdict(image, ReadyImage(image));
  EXPECT_EQ(9, DtkRuns());
}

TEST_F(JudgeModeTest, ImagesOfOtherDiscsStopAfterTheHeaderAndKeepTheEarlierExtraction) {
  const std::string usa = Path("usa.rvz"), europe = Path("europe.wbfs"), blank = Path("blank.iso");
  ASSERT_TRUE(fixtures::MakeDiscImage(usa));
  DumpContents contents;
  contents.boot_bin = fixtures::BootBin("RKVP01");
  contents.main_dol = fixtures::OtherMainDol();
  ASSERT_TRUE(fixtures::MakeDiscImage(europe, contents));
  contents.boot_bin = std::string(0x440, '\0');
  ASSERT_TRUE(fixtures::MakeDiscImage(blank, contents));

  ExpectVerdict(usa, ReadyImage(usa));
  ExpectVerdict(europe, {1, "Wii disc, Europe (RKVP01)",
                         "Kestrane is built from the USA version only. Other regions may come later.", "", "", "",
                         "RKVP01", -1});
  ExpectVerdict(blank, {2, "Disc image", "This isn't Skarvel.", "", "", "", "", -1});
  EXPECT_EQ(5, DtkRuns());  // two header checks after the first extraction
  EXPECT_EQ(fixtures::FixtureMainDol(), ReadFile(Data("sys\\main.dol")));
  ExpectVerdict(usa, ReadyImage(usa));
  EXPECT_EQ(5, DtkRuns());
}

TEST_F(JudgeModeTest, UnreadableImagesAndAMissingReaderAreExplained) {
  // dtk's message names the image; a long name shows that only 200 bytes of it are quoted.
  const std::string image = Path(std::string(120, 'x') + ".iso");
  testsupport::WriteFile(image, "PK\x03\x04 certainly not a disc");
  std::string quoted = ("Error: " + image + ": unsupported or corrupt disc image (unknown format)").substr(0, 200);
  while (quoted.back() == ' ') quoted.pop_back();
  ExpectVerdict(image, {2, "Disc image", "This file couldn't be read as a Wii disc image. " + quoted, "", "", "", "",
                        -1});

  ASSERT_TRUE(DeleteFileW(text::Utf8ToWide(Path("install\\tools\\dtk\\dtk.exe")).c_str()));
  ExpectVerdict(image, {2, "Disc image",
                        "The disc-image reader (tools\\dtk\\dtk.exe) is missing. Extract the disc with Dolphin instead "
                        "(right-click the game, Extract Entire Disc) and choose that folder.",
                        "", "", "", "", -1});
}

TEST_F(JudgeModeTest, ASourceCheckoutUsesItsSiblingBuildOfDtk) {
  launcher_ = fixtures::MakeInstall(Path("src\\port\\build"));
  testsupport::WriteFile(Path("src\\port\\tools\\gametrial\\link.py"), "# build script\n");
  ASSERT_TRUE(fixtures::AddTool(Path("src\\skarvel\\build"), "tools\\dtk.exe", "dtk.exe"));
  const std::string image = Path("skarvel.iso");
  ASSERT_TRUE(fixtures::MakeDiscImage(image));
  ExpectVerdict(image, ReadyImage(image));
  EXPECT_EQ(3, DtkRuns());
}

TEST_F(JudgeModeTest, EmptyExtractedFilesAreLoggedAndKept) {
  DumpContents contents;
  contents.files = {{"Race/tiny.bin", "ab"}, {"readme.txt", "c"}, {"big.bin", std::string(5000, 'd')}};
  const std::string image = Path("skarvel.iso");
  ASSERT_TRUE(fixtures::MakeDiscImage(image, contents));
  ChildResult r = Judge(image, {{"STANDIN_DTK_EMPTY", "tiny.bin,readme.txt"}});
  EXPECT_EQ(0u, r.exit_code) << r.out;
  EXPECT_EQ(0u, ReadFile(Data("files\\Race\\tiny.bin")).size());
  EXPECT_TRUE(PathExists(Data("files\\Race\\tiny.bin")));
  const std::string log = testsupport::Lf(ReadFile(fixtures::ErrorLogIn(Path("profile"))));
  for (const std::string& file : {Data("files\\Race") + "\\tiny.bin", Data("files") + "\\readme.txt"})
    EXPECT_NE(std::string::npos,
              log.find(" [launcher] disc image: " + file + " came out empty (dtk tiny-file quirk?)\n"))
        << log;
  EXPECT_EQ(2, (int)std::count(log.begin(), log.end(), '\n'));
}

// Sets the file's last-write time.
void SetWriteTime(const std::string& path, const FILETIME& t) {
  HANDLE h = CreateFileW(text::Utf8ToWide(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &t));
  CloseHandle(h);
}

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(text::Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

TEST_F(JudgeModeTest, AnExtractionIsReusedOnlyWhileItStillMatchesTheImage) {
  const std::string image = Path("skarvel.iso");
  ASSERT_TRUE(fixtures::MakeDiscImage(image));
  ExpectVerdict(image, ReadyImage(image));
  ASSERT_EQ(3, DtkRuns());

  // Replaced at the same path within the same minute by an image of another size.
  const FILETIME written = WriteTime(image);
  DumpContents bigger;
  bigger.files = {{"extra.bin", std::string(1000, 'e')}};
  ASSERT_TRUE(fixtures::MakeDiscImage(image, bigger));
  SetWriteTime(image, written);
  ExpectVerdict(image, ReadyImage(image));
  EXPECT_EQ(6, DtkRuns());
  EXPECT_TRUE(PathExists(Data("files\\extra.bin")));

  // The extraction lost its main.dol (or its files folder): extracted again, not reused.
  ASSERT_TRUE(DeleteFileW(text::Utf8ToWide(Data("sys\\main.dol")).c_str()));
  ExpectVerdict(image, ReadyImage(image));
  EXPECT_EQ(9, DtkRuns());
  testsupport::RemoveTree(Data("files"));
  ExpectVerdict(image, ReadyImage(image));
  EXPECT_EQ(12, DtkRuns());
  ExpectVerdict(image, ReadyImage(image));
  EXPECT_EQ(12, DtkRuns());
}

// [SECTION] A disc folder the launcher didn't make

TEST_F(JudgeModeTest, ADiscFolderOfThePlayersOwnIsNeverReplaced) {
  // The data folder is the player's; so is the disc folder in it, holding their own extraction.
  const std::string disc = Path("profile\\home\\Games\\Kestrane\\disc");
  fixtures::MadeDump own = MakeDump(disc, [] {
    DumpContents data;
    data.layout = DumpLayout::kData;
    return data;
  }());
  testsupport::WriteFile(disc + "\\probe\\notes.txt", "mine");
  // A file of the name the launcher's stamp has is no sign of the launcher's unless it is one.
  const std::string notes = "Bought 2008, the disc has a scratch near the rim.";
  testsupport::WriteFile(disc + "\\image.txt", notes);
  const std::string image = Path("skarvel.iso");
  ASSERT_TRUE(fixtures::MakeDiscImage(image));
  ExpectVerdict(image, {2, "Disc image",
                        disc + " wasn't made by Kestrane, so no disc image is extracted into it. Move that folder "
                               "away or choose another game data folder.",
                        "", "", "", "", -1});
  EXPECT_EQ(0, DtkRuns());
  EXPECT_EQ(fixtures::FixtureMainDol(), ReadFile(own.dol_path));
  EXPECT_EQ("mine", ReadFile(disc + "\\probe\\notes.txt"));
  EXPECT_EQ(notes, ReadFile(disc + "\\image.txt"));
  EXPECT_FALSE(PathExists(disc + "\\made-by-kestrane.txt"));
}

TEST_F(JudgeModeTest, AnImageKeptInTheExtractedDiscFolderIsRefusedAndKept) {
  const std::string usa = Path("usa.iso");
  ASSERT_TRUE(fixtures::MakeDiscImage(usa));
  ExpectVerdict(usa, ReadyImage(usa));
  const std::string kept = Data("my.iso");
  ASSERT_TRUE(CopyFileW(text::Utf8ToWide(usa).c_str(), text::Utf8ToWide(kept).c_str(), TRUE));
  ChildResult r = Judge(kept);
  EXPECT_NE(std::string::npos, r.out.find(kept + " is inside " + Data() +
                                          ", which Kestrane empties whenever it reads a disc image. Move the image "
                                          "to another folder (your Documents, say) and choose it there."))
      << r.out;
  EXPECT_EQ(ReadFile(usa), ReadFile(kept));
}

TEST_F(JudgeModeTest, ADiscFolderAnEarlierVersionMadeIsStillUsed) {
  const std::string usa = Path("usa.iso"), other = Path("other.iso");
  ASSERT_TRUE(fixtures::MakeDiscImage(usa));
  ASSERT_TRUE(fixtures::MakeDiscImage(other));
  ExpectVerdict(usa, ReadyImage(usa));
  // What an earlier version left: its stamp and extraction, without the mark.
  const std::string mark = Path("profile\\home\\Games\\Kestrane\\disc\\made-by-kestrane.txt");
  ASSERT_TRUE(PathExists(mark));
  ASSERT_TRUE(DeleteFileW(text::Utf8ToWide(mark).c_str()));
  ExpectVerdict(other, ReadyImage(other));
  EXPECT_EQ(6, DtkRuns());
  EXPECT_TRUE(PathExists(mark));
}

TEST_F(JudgeModeTest, AFailedCopyLeavesNoHalfExtraction) {
  const std::string image = Path("skarvel.iso");
  ASSERT_TRUE(fixtures::MakeDiscImage(image));
  ChildResult r = Judge(image, {{"STANDIN_DTK_FAIL", "files"}});
  EXPECT_EQ(2u, r.exit_code);
  EXPECT_EQ(Block({2, "Wii disc, USA (RKVE01)",
                   "Reading the disc image failed: Error: read error in files (block checksum mismatch)", "", "", "",
                   "RKVE01", -1}),
            r.out);
  EXPECT_FALSE(PathExists(Data()));
  ExpectVerdict(image, ReadyImage(image));
}

TEST_F(JudgeModeTest, AnExtractionCutShortIsNeverTakenForTheEarlierImage) {
  const std::string good = Path("good.iso"), other = Path("other.iso");
  ASSERT_TRUE(fixtures::MakeDiscImage(good));
  DumpContents contents;
  contents.main_dol = fixtures::OtherMainDol();
  ASSERT_TRUE(fixtures::MakeDiscImage(other, contents));
  ExpectVerdict(good, ReadyImage(good));

  // The launcher dies while the other image's files are copied: DATA holds its main.dol.
  ChildResult r = Judge(other, {{"STANDIN_DTK_KILL_PARENT", "files"}});
  EXPECT_EQ(9u, r.exit_code);
  EXPECT_EQ(fixtures::OtherMainDol(), ReadFile(Data("sys\\main.dol")));

  ExpectVerdict(good, ReadyImage(good));
  EXPECT_EQ(fixtures::FixtureMainDol(), ReadFile(Data("sys\\main.dol")));
}

}  // namespace

// Two images judged at the same moment (the window's dump checker and the setup job, say)
// share one disc folder: each must be read whole from its own extraction, one after the
// other, never from the other's half-copied DATA.
TEST(DiscFolderTest, TwoImagesJudgedAtOnceAreExtractedOneAfterTheOther) {
  testsupport::TempFolder temp;
  const std::string install = temp.Path("install");
  ASSERT_TRUE(fixtures::AddTool(install, "probe.exe", "dump_status_probe.exe"));
  ASSERT_TRUE(fixtures::AddDtk(install));
  fixtures::DumpContents other;
  other.main_dol = fixtures::OtherMainDol();
  ASSERT_TRUE(fixtures::MakeDiscImage(temp.Path("usa.iso")));
  ASSERT_TRUE(fixtures::MakeDiscImage(temp.Path("other.iso"), other));
  testsupport::ChildOptions options = fixtures::LauncherOptions(temp.Path("profile"));
  options.env.push_back({"STANDIN_DTK_LOG", temp.Path("dtk.log")});
  ChildResult r = testsupport::RunChild(install + "\\probe.exe",
                                        {"together", temp.Path("usa.iso"), temp.Path("other.iso")}, options);
  ASSERT_EQ(0u, r.exit_code) << r.out << r.err;
  EXPECT_NE(std::string::npos, r.out.find(std::string("first ") + fixtures::kFixtureMainDolSha1 + " \n")) << r.out;
  EXPECT_EQ(std::string::npos, r.out.find(std::string("second ") + fixtures::kFixtureMainDolSha1)) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("second ")) << r.out;
  // Each image's three dtk runs (probe, sys, files) stand together in the log.
  const std::string log = ReadFile(temp.Path("dtk.log"));
  std::vector<std::string> images;
  for (size_t at = 0; (at = log.find(".iso:", at)) != std::string::npos; ++at)
    images.push_back(log.substr(log.rfind('\\', at) + 1, at - log.rfind('\\', at) - 1));
  ASSERT_EQ(6u, images.size()) << log;
  EXPECT_EQ(images[0], images[1]) << log;
  EXPECT_EQ(images[1], images[2]) << log;
  EXPECT_EQ(images[3], images[4]) << log;
  EXPECT_EQ(images[4], images[5]) << log;
  EXPECT_NE(images[0], images[3]) << log;
}
