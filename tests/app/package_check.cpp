// The release zips as a player meets them: tests/scripts/package_test.sh unpacks each into
// a folder whose name holds a space and non-ASCII letters, the launcher-only one below
// KESTRANE_UNPACKED_IN and the full one (made from the stand-ins) below
// KESTRANE_FULL_UNPACKED_IN, and runs these checks on what it finds there, with nothing of
// the build around it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/text.h"
#include "settings/product.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/support/child_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_of.h"

namespace {

// The one folder the script unpacked into, below the folder `variable` names; "" when
// there isn't exactly one.
std::wstring UnpackedFolder(const wchar_t* variable) {
  wchar_t parent[1024] = {};
  if (!GetEnvironmentVariableW(variable, parent, 1024)) return L"";
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((std::wstring(parent) + L"\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return L"";
  do {
    const std::wstring name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
      found.push_back(std::wstring(parent) + L"\\" + name);
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return found.size() == 1 ? found[0] : L"";
}

// The folder a zip was unpacked into, checked to have the odd name that tests the paths.
std::string OddlyNamedFolder(const wchar_t* variable) {
  const std::wstring unpacked = UnpackedFolder(variable);
  const std::wstring name = unpacked.substr(unpacked.find_last_of(L'\\') + 1);
  bool non_ascii = false;
  for (wchar_t c : name) non_ascii = non_ascii || c > 127;
  if (!non_ascii || name.find(L' ') == std::wstring::npos) return std::string();
  return text::WideToUtf8(unpacked);
}

class PackageTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    folder_ = OddlyNamedFolder(L"KESTRANE_UNPACKED_IN");
    ASSERT_FALSE(folder_.empty()) << "KESTRANE_UNPACKED_IN must hold one folder, named with a space and non-ASCII letters";
    exe_ = folder_ + "\\Kestrane\\Kestrane.exe";
    options_ = fixtures::LauncherOptions(Path("profile"));
    options_.working_dir = folder_ + "\\Kestrane";  // as a double-click starts it
  }
  std::string folder_, exe_;
  testsupport::ChildOptions options_;
};

TEST_F(PackageTest, TheShippedLauncherJudgesADumpAsTheRetailBuild) {
  // The dump sits beside the unpacked folder, so its path has the same letters.
  fixtures::MadeDump d = fixtures::MakeDump(folder_ + "\\fixture dump");
  ASSERT_TRUE(testsupport::PathExists(d.dol_path));
  testsupport::ChildResult r = testsupport::RunChild(exe_, {"--judge", d.root}, options_);
  ASSERT_TRUE(r.started && !r.timed_out) << r.err;
  // The retail digest: the fixture's main.dol is recognised as the game but not the retail disc.
  EXPECT_EQ(1u, r.exit_code) << r.out << r.err;
  const size_t line_end = r.out.find('\n');
  ASSERT_NE(std::string::npos, line_end) << r.out;
  EXPECT_EQ(0u, r.out.find("kind 1 (not supported) in ")) << r.out;
  EXPECT_EQ("Wii disc (RKVE01)\n"
            "main.dol doesn't match the retail USA release (RKVE01), so this dump is modified or damaged. Dump your "
            "disc again.\n"
            "files " + d.files_dir + "\n" +
            "dol " + d.dol_path + "\n" +
            "sha1 " + fixtures::kFixtureMainDolSha1 + " id RKVE01 bytes " +
            std::to_string(0x440 + 200000 + 22) + "\n" +
            "expected sha1 7c2f0b9e4a61d3853f0e2b7a9c4d6e1f08b3a5c2\n",
            r.out.substr(line_end + 1));
}

TEST_F(PackageTest, TheShippedLauncherDrawsHomeWithTheFontsBesideIt) {
  const std::string shot = folder_ + "\\home shot.bmp";
  testsupport::ChildResult r = testsupport::RunChild(exe_, {"--ui-shot", "home", shot}, options_);
  ASSERT_TRUE(r.started && !r.timed_out) << r.err;
  EXPECT_EQ(0u, r.exit_code) << r.out << r.err;
  EXPECT_NE(std::string::npos,
            r.out.find("saved " + shot + " (fonts: Barlow Condensed Black / Barlow Medium / JetBrains Mono)\n"))
      << r.out << r.err;
  const std::string bmp = testsupport::ReadFile(shot);
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ("BM", bmp.substr(0, 2));
  DeleteFileW(text::Utf8ToWide(shot).c_str());
}

// [SECTION] What the executable carries

std::wstring VersionString(const std::vector<char>& block, const wchar_t* name) {
  wchar_t* value = nullptr;
  UINT length = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return L"";
  return std::wstring(value, length && value[length - 1] == 0 ? length - 1 : length);
}

TEST_F(PackageTest, TheExecutableNamesItselfAndItsVersion) {
  const std::wstring exe = text::Utf8ToWide(exe_);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version resource";
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));

  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(3, sscanf(product::kVersion, "%u.%u.%u", &major, &minor, &patch));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size));
  ASSERT_GE(fixed_size, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(MAKELONG(minor, major), fixed->dwFileVersionMS);
  EXPECT_EQ(MAKELONG(0, patch), fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
  EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);

  const std::wstring version = text::Utf8ToWide(product::kVersion);
  EXPECT_EQ(version, VersionString(block, L"FileVersion"));
  EXPECT_EQ(version, VersionString(block, L"ProductVersion"));
  EXPECT_EQ(L"Kestrane", VersionString(block, L"ProductName"));
  EXPECT_EQ(L"Kestrane launcher", VersionString(block, L"FileDescription"));
  EXPECT_EQ(L"Kestrane.exe", VersionString(block, L"OriginalFilename"));
}

TEST_F(PackageTest, TheExecutableKeepsItsIconAndManifestAndShipsWithoutSymbols) {
  HMODULE image = LoadLibraryExW(text::Utf8ToWide(exe_).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(nullptr, image);
  EXPECT_NE(nullptr, FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */));
  EXPECT_NE(nullptr, FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */));
  FreeLibrary(image);

  // Stripped: no COFF symbol table and no debug sections.
  const std::string pe = testsupport::ReadFile(exe_);
  ASSERT_GT(pe.size(), 0x400u);
  const uint32_t at = *reinterpret_cast<const uint32_t*>(pe.data() + 0x3C);
  ASSERT_LT(at + sizeof(IMAGE_NT_HEADERS64), pe.size());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(pe.data() + at);
  EXPECT_EQ(0u, nt->FileHeader.PointerToSymbolTable);
  EXPECT_EQ(0u, nt->FileHeader.NumberOfSymbols);
  const auto* section = IMAGE_FIRST_SECTION(nt);
  for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    const std::string name(reinterpret_cast<const char*>(section->Name),
                           strnlen(reinterpret_cast<const char*>(section->Name), 8));
    EXPECT_NE(0u, name.find(".debug")) << name;
    EXPECT_NE('/', name[0]) << "a long section name, as debug sections have: " << name;
  }
}

// [SECTION] The full download

// Presses PLAY in the launcher window of process `pid` with Enter, its default control on
// Home, until the game has started: Enter may come before the first frame or while the
// disc is still being checked.
bool PressPlayUntilTheGameStarts(unsigned long pid, const std::string& game_dir) {
  for (int tries = 0; tries < 30; ++tries) {
    if (const HWND window = testsupport::LauncherWindowOf(pid)) {
      SendMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
      SendMessageW(window, WM_KEYUP, VK_RETURN, 0xC0000001);
    }
    const auto started = [&] { return testsupport::PathExists(game_dir + "\\received.txt"); };
    if (testsupport::WaitInFolder(game_dir, started, 2000)) return true;
  }
  return false;
}

TEST(FullDownloadTest, TheFirstSetupRunsFromTheDownloadThroughPlay) {
  const std::string unpacked = OddlyNamedFolder(L"KESTRANE_FULL_UNPACKED_IN");
  ASSERT_FALSE(unpacked.empty()) << "KESTRANE_FULL_UNPACKED_IN must hold one oddly named folder";
  const std::string top = unpacked + "\\Kestrane", launcher = top + "\\Kestrane", profile = unpacked + "\\profile";
  // The test build beside the shipped launcher, so that the fixture's main.dol verifies;
  // everything else is the download's own. A disc image, so the download's dtk reads it.
  const std::string exe = launcher + "\\KestraneTestBuild.exe", image = unpacked + "\\my disc.iso";
  ASSERT_TRUE(CopyFileW(text::Utf8ToWide(fixtures::TestLauncherExe()).c_str(), text::Utf8ToWide(exe).c_str(), FALSE));
  ASSERT_TRUE(testsupport::WriteFile(launcher + "\\game.steer", "run_ms=1500\n") && fixtures::MakeDiscImage(image));
  testsupport::ChildOptions options = fixtures::LauncherOptions(profile);
  options.working_dir = launcher;

  const testsupport::ChildResult setup = testsupport::RunChild(exe, {"--setup", image}, options);
  EXPECT_EQ(0u, setup.exit_code) << setup.out << setup.err;
  for (const char* step : {"Unpack the build tools: done Using the bundled zig and Python\n",
                           "Get the Kestrane source: done Using the source in this download\n",
                           "Build Kestrane: done Built ", "Ready to play: done Press PLAY to start.\n"})
    EXPECT_NE(std::string::npos, setup.out.find(step)) << step << "\n" << setup.out;

  // Home's PLAY, in the window; with close_on_play on, as it starts, the launcher ends with the game.
  options.while_running = [&](unsigned long pid) { EXPECT_TRUE(PressPlayUntilTheGameStarts(pid, launcher)); };
  const testsupport::ChildResult window = testsupport::RunChild(exe, {}, options);
  EXPECT_EQ(0u, window.exit_code) << window.err;
  const std::string received = testsupport::ReadFile(launcher + "\\received.txt");
  EXPECT_NE(std::string::npos, received.find("[env] KESTRANE_LAUNCHED=1\n")) << received;
  EXPECT_NE(std::string::npos, received.find("[cwd] " + top + "\n")) << "it runs in the download's source\n" << received;
}

}  // namespace
