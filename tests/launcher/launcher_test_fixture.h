// Shared set-up of the launcher tests: GDI+ and the bundled fonts for the whole program;
// per test a fresh LauncherState, toolkit state and settings file in a temporary
// profile, and frames of the real Frame driven by synthetic input, the way the window's
// paint step drives it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "launcher/launcher_state.h"
#include "tests/settings/settings_test_fixture.h"
#include "tests/ui/render_surface.h"
#include "ui/input.h"

namespace launchertest {

class LauncherTest : public SettingsTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // One paint as the window's loop makes it: the events applied, then Frame with this
  // input snapshot and the queued navigation (a queued event is consumed unless the frame
  // applies a screen's default focus), and the frames that settle what it changed.
  void Step(const ui::Input& input = ui::Input());
  // Queues a navigation code (ui::NavEvent) and draws the frame that takes it.
  void Nav(int32_t code);
  // A left click at a design point: the press frame and the release frame.
  void Click(float x, float y);
  // The mouse moved to a design point (hover, focus follows the mouse).
  void Hover(float x, float y);
  void Resize(int width, int height);

  // The focused widget's id and whether the focus ring shows.
  int Focus() const;
  uint32_t Pixel(int x, int y) const { return surface_->Pixel(x, y) & 0x00FFFFFF; }
  bool SavePng(const std::string& name) const;

  std::unique_ptr<uitest::RenderSurface> surface_;
  ui::NavQueue queue_;
};

}  // namespace launchertest
