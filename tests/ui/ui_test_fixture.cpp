#include "tests/ui/ui_test_fixture.h"

#include <cstdlib>

#include "ui/fonts.h"
#include "ui/gdiplus_session.h"
#include "ui/interaction.h"

namespace uitest {
namespace {

// GDI+ and the bundled fonts stay up for the whole test program; the extra GDI+ start
// keeps surfaces valid even while a test reloads the fonts.
class FontsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(ui::StartGdiplus());
    ASSERT_TRUE(ui::LoadFonts(BuiltFontsDir()));
  }
  void TearDown() override {
    ui::UnloadFonts();
    ui::StopGdiplus();
  }
};
::testing::Environment* const kFonts = ::testing::AddGlobalTestEnvironment(new FontsEnvironment);

}  // namespace

void UiTest::SetUp() {
  ui::Ctx() = ui::Context();
  ui::gamepad_active = false;
  surface_ = std::make_unique<RenderSurface>(1280, 720);
}

void UiTest::TearDown() { surface_.reset(); }

void UiTest::Frame(const ui::Input& input, const std::function<void()>& draw) {
  ui::BeginFrame(surface_->graphics(), surface_->width(), surface_->height(), input);
  draw();
  ui::EndFrame();
}

void UiTest::Resize(int width, int height) { surface_ = std::make_unique<RenderSurface>(width, height); }

int ColorDistance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift = 0; shift < 24; shift += 8) d += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
  return d;
}

}  // namespace uitest
