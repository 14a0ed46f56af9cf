#include "tests/launcher/launcher_test_fixture.h"

#include "launcher/frame.h"
#include "launcher/loop_events.h"
#include "ui/context.h"
#include "ui/fonts.h"
#include "ui/gdiplus_session.h"

namespace launchertest {
namespace {

class FontsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(ui::StartGdiplus());
    ASSERT_TRUE(ui::LoadFonts(uitest::BuiltFontsDir()));
  }
  void TearDown() override {
    ui::UnloadFonts();
    ui::StopGdiplus();
  }
};
::testing::Environment* const kFonts = ::testing::AddGlobalTestEnvironment(new FontsEnvironment);

}  // namespace

void LauncherTest::SetUp() {
  SettingsTest::SetUp();
  Launcher() = LauncherState();
  Launcher().start_tick = GetTickCount64();
  ui::Ctx() = ui::Context();
  ui::gamepad_active = false;
  queue_ = ui::NavQueue();
  surface_ = std::make_unique<uitest::RenderSurface>(1280, 720);
}

void LauncherTest::TearDown() {
  surface_.reset();
  SettingsTest::TearDown();
}

void LauncherTest::Step(const ui::Input& input) {
  ApplyLoopEvents();
  FrameUntilSettled(surface_->graphics(), surface_->width(), surface_->height(), input, &queue_);
}

void LauncherTest::Nav(int32_t code) {
  queue_.Push(code);
  Step();
}

void LauncherTest::Click(float x, float y) {
  ui::Input press = uitest::MouseAt(x, y, surface_->width(), surface_->height());
  press.mouse_moved = 1;
  press.mouse_pressed = 1;
  press.mouse_down = 1;
  Step(press);
  ui::Input release = uitest::MouseAt(x, y, surface_->width(), surface_->height());
  release.mouse_released = 1;
  Step(release);
}

void LauncherTest::Hover(float x, float y) {
  ui::Input move = uitest::MouseAt(x, y, surface_->width(), surface_->height());
  move.mouse_moved = 1;
  Step(move);
}

void LauncherTest::Resize(int width, int height) {
  surface_ = std::make_unique<uitest::RenderSurface>(width, height);
}

int LauncherTest::Focus() const { return ui::Ctx().focus; }

bool LauncherTest::SavePng(const std::string& name) const { return surface_->SavePng(name); }

}  // namespace launchertest
