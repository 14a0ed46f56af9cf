// Loads the fonts of a folder the way the launcher does at start-up and prints what each
// role bound to, so tests can watch the start-up output of a separate process.
//
//   font_probe.exe <fonts folder>
#include <cstdio>

#include "ui/fonts.h"

int main(int argc, char** argv) {
  if (argc < 2 || !ui::LoadFonts(argv[1])) return 1;
  for (int role = 0; role < ui::kFontRoleCount; ++role)
    std::printf("role %d: %ls\n", role, ui::FontName(static_cast<ui::FontRole>(role)).c_str());
  ui::UnloadFonts();
  return 0;
}
