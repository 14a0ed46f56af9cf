#include "platform/shell_open.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "platform/text.h"
#include "tests/support/temp_folder.h"

namespace {

// A file type of the test's own, opened by a copy of the stand-in game, which records its
// arguments in received.txt beside itself (written whole) and, steered so, ends at once.
// Registered in HKEY_CLASSES_ROOT: Wine's shell doesn't look at per-user classes.
class ShellOpenTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override {
    const std::string opener = Path("opener\\opener.exe");
    ASSERT_TRUE(testsupport::MakeFolders(Path("opener")));
    ASSERT_TRUE(CopyFileW(text::Utf8ToWide(testsupport::BinDir() + "standin_game.exe").c_str(),
                          text::Utf8ToWide(opener).c_str(), FALSE));
    ASSERT_TRUE(testsupport::WriteFile(Path("opener\\game.steer"), "run_ms=0\n"));
    const std::wstring command = L"\"" + text::Utf8ToWide(opener) + L"\" \"%1\"";
    ASSERT_TRUE(SetKey(L".kestranetest", L"KestraneTest.File"));
    ASSERT_TRUE(SetKey(L"KestraneTest.File\\shell\\open\\command", command));
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".kestranetest");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"KestraneTest.File");
  }
  static bool SetKey(const wchar_t* key, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, value.c_str(),
                           (DWORD)((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
};

TEST_F(ShellOpenTest, AFileIsOpenedWithItsProgram) {
  const std::string file = Path("Zo\xC3\xAB's report.kestranetest");
  testsupport::WriteFile(file, "report");
  OpenInShell(file);
  const std::string received = Path("opener\\received.txt");
  ASSERT_TRUE(testsupport::WaitInFolder(Path("opener"), [&] { return testsupport::PathExists(received); }, 30000));
  const std::string lines = testsupport::ReadFile(received);
  EXPECT_NE(std::string::npos, lines.find("[arg] " + file + "\n")) << lines;
}

}  // namespace
