#include "app/modes/modes.h"
#include "launcher/ui_shot.h"

int RunUiShotMode(const std::string& screen, const std::string& output, int width, int height) {
  return RenderUiShot(screen, output, width, height);
}
