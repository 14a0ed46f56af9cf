// A settings store pointed at a fresh folder, with LOCALAPPDATA there too, so tests never
// touch the real profile and never see each other's files.
#pragma once

#include <memory>
#include <string>

#include "settings/settings_store.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

class SettingsTest : public testsupport::TempFolderTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string SettingsPath() const { return Path("settings.ini"); }
  // Replaces settings.ini and makes the store read it afresh.
  void UseFileWithText(const std::string& text);
  std::string SavedText() const { return testsupport::ReadFile(SettingsPath()); }

  std::unique_ptr<testsupport::ScopedEnv> local_appdata_;
  std::unique_ptr<testsupport::ScopedEnv> no_settings_file_;
};
