// Shared set-up of the toolkit tests: GDI+ and the bundled fonts for the whole program, a
// fresh toolkit state and a 1280 x 720 back buffer per test, and one-call frames.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/ui/render_surface.h"
#include "ui/context.h"
#include "ui/input.h"

namespace uitest {

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // One frame on the surface with this input; draw runs between BeginFrame and EndFrame.
  void Frame(const ui::Input& input, const std::function<void()>& draw);
  // A frame with the mouse at a design point and the given per-frame flags applied.
  ui::Input At(float x, float y) const { return MouseAt(x, y, surface_->width(), surface_->height()); }
  // Replaces the surface (other window sizes).
  void Resize(int width, int height);
  uint32_t Pixel(int x, int y) const { return surface_->Pixel(x, y) & 0x00FFFFFF; }

  std::unique_ptr<RenderSurface> surface_;
};

// RGB distance, for colours that anti-aliasing or blending may move slightly.
int ColorDistance(uint32_t a, uint32_t b);

}  // namespace uitest
