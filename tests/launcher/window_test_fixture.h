// What every test of the real window starts from: a profile folder of its own, fresh
// launcher and toolkit state, and the pointer away from where the window opens, so no
// hover changes what the window shows.
#pragma once

#include <windows.h>

#include <memory>

#include "launcher/launcher_state.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "ui/context.h"

namespace launchertest {

class RealWindowTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    testsupport::MakeFolders(Path("home"));
    profile_ = std::make_unique<testsupport::ScopedEnv>("USERPROFILE", Path("home"));
    Launcher() = LauncherState();
    ui::Ctx() = ui::Context();
    SetCursorPos(0, 0);
  }

  std::unique_ptr<testsupport::ScopedEnv> profile_;
};

}  // namespace launchertest
