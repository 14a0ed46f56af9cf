#include "tests/settings/settings_test_fixture.h"

void SettingsTest::SetUp() {
  testsupport::MakeFolders(Path("local"));
  local_appdata_ = std::make_unique<testsupport::ScopedEnv>("LOCALAPPDATA", Path("local"));
  no_settings_file_ = std::make_unique<testsupport::ScopedEnv>("KESTRANE_SETTINGS_FILE");
  SettingsStoreTesting::UseFile(SettingsPath());
}

void SettingsTest::TearDown() {
  SettingsStoreTesting::SetSaveObserver(nullptr, nullptr);
  // Drops anything pending so a late save can't land in the next test's folder.
  SettingsStoreTesting::UseFile(Path("gone\\settings.ini"));
}

void SettingsTest::UseFileWithText(const std::string& text) {
  testsupport::WriteFile(SettingsPath(), text);
  SettingsStoreTesting::UseFile(SettingsPath());
}
