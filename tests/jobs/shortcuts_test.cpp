// Shortcuts written through the shell and read back through it.
#include "jobs/shortcuts.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/text.h"
#include "settings/install_layout.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/child_run.h"

using testsupport::ReadFile;
using testsupport::ScopedEnv;

namespace {

struct Link {
  std::wstring target, working_dir, icon, description, arguments;
  int icon_index = -1;
};

// COM is the caller's to start, as the window's thread does in the launcher.
class ShortcutTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override {
    CoUninitialize();
    SettingsTest::TearDown();
  }

  static bool ReadLink(const std::wstring& path, Link* link) {
    IShellLinkW* shell_link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell_link))))
      return false;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(path.c_str(), STGM_READ));
    if (ok) {
      wchar_t buffer[1024];
      ok = SUCCEEDED(shell_link->GetPath(buffer, 1024, nullptr, SLGP_RAWPATH));
      link->target = buffer;
      shell_link->GetWorkingDirectory(buffer, 1024);
      link->working_dir = buffer;
      shell_link->GetIconLocation(buffer, 1024, &link->icon_index);
      link->icon = buffer;
      shell_link->GetDescription(buffer, 1024);
      link->description = buffer;
      shell_link->GetArguments(buffer, 1024);
      link->arguments = buffer;
    }
    if (file) file->Release();
    shell_link->Release();
    return ok;
  }

  static std::wstring OwnExe() {
    wchar_t buffer[MAX_PATH];
    return std::wstring(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
  }
};

TEST_F(ShortcutTest, BothKindsLandInTheRedirectedFolderAndPointAtTheLauncher) {
  const std::string dir = Path("Zo\xC3\xAB's shortcuts");
  testsupport::MakeFolders(dir);
  ScopedEnv redirect("KESTRANE_SHORTCUT_DIR", dir);
  const std::wstring desktop = text::Utf8ToWide(dir) + L"\\Kestrane (desktop).lnk";
  const std::wstring start = text::Utf8ToWide(dir) + L"\\Kestrane (start).lnk";
  EXPECT_EQ(desktop, ShortcutPath(kShortcutDesktop));
  EXPECT_EQ(start, ShortcutPath(kShortcutStartMenu));
  EXPECT_FALSE(ShortcutExists(kShortcutDesktop));
  EXPECT_FALSE(ShortcutExists(kShortcutStartMenu));

  ASSERT_TRUE(CreateShortcut(kShortcutDesktop));
  EXPECT_TRUE(ShortcutExists(kShortcutDesktop));
  EXPECT_FALSE(ShortcutExists(kShortcutStartMenu));
  ASSERT_TRUE(CreateShortcut(kShortcutStartMenu));
  ASSERT_TRUE(CreateShortcut(kShortcutStartMenu));  // an existing one is overwritten
  EXPECT_TRUE(ShortcutExists(kShortcutStartMenu));

  for (const std::wstring& path : {desktop, start}) {
    Link link;
    ASSERT_TRUE(ReadLink(path, &link)) << text::WideToUtf8(path);
    EXPECT_EQ(OwnExe(), link.target);
    EXPECT_EQ(text::Utf8ToWide(InstallLayout::ExeDir()), link.working_dir);
    EXPECT_EQ(OwnExe(), link.icon);
    EXPECT_EQ(0, link.icon_index);
    EXPECT_EQ(L"Kestrane launcher", link.description);
    EXPECT_EQ(L"", link.arguments);
  }
}

TEST_F(ShortcutTest, WithoutARedirectTheyGoToTheDesktopAndTheProgramsFolder) {
  auto known = [](const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    std::wstring folder = SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) ? path : L"";
    CoTaskMemFree(path);
    return folder;
  };
  for (bool empty : {false, true}) {
    // An empty value redirects nowhere: it would put them at the root of the drive.
    std::unique_ptr<ScopedEnv> redirect =
        empty ? std::make_unique<ScopedEnv>("KESTRANE_SHORTCUT_DIR", "") : std::make_unique<ScopedEnv>("KESTRANE_SHORTCUT_DIR");
    ASSERT_FALSE(known(FOLDERID_Desktop).empty());
    EXPECT_EQ(known(FOLDERID_Desktop) + L"\\Kestrane.lnk", ShortcutPath(kShortcutDesktop));
    EXPECT_EQ(known(FOLDERID_Programs) + L"\\Kestrane.lnk", ShortcutPath(kShortcutStartMenu));
  }
}

TEST_F(ShortcutTest, AShortcutThatCantBeWrittenIsLogged) {
  const std::string dir = Path("no such folder");
  ScopedEnv redirect("KESTRANE_SHORTCUT_DIR", dir);
  EXPECT_FALSE(CreateShortcut(kShortcutDesktop));
  EXPECT_FALSE(ShortcutExists(kShortcutDesktop));
  EXPECT_NE(std::string::npos, testsupport::Lf(ReadFile(Path("local\\Kestrane\\logs\\kestrane_log.txt")))
                                   .find(" [launcher] couldn't create the shortcut " + dir + "\\Kestrane (desktop).lnk\n"));
}

}  // namespace
