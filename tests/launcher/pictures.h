// The launcher's pictures: every screen state the screens are judged by, made with the
// real program (the test build, so a fixture dump verifies) in install folders with the
// stand-in tools, at the four window sizes, as PNGs in build/launcher_shots/<w>x<h>/.
//
// Each screen's states live in a pictures_<screen>.cpp that registers a maker; the maker
// builds its scenes and shoots them.
#pragma once

#include <string>
#include <vector>

#include "tests/launcher/scene.h"
#include "tests/support/child_run.h"

namespace pictures {

struct Size {
  int width, height;
};
// 1280 x 720, 1920 x 1080, 1280 x 800 (16:10 handhelds) and 1024 x 576 (the minimum).
const std::vector<Size>& Sizes();
// "1280x720".
std::string SizeName(const Size& size);

using launchertest::Scene;
// A fresh scene (tests/launcher/scene.h) in the pictures' work folder, with the truck
// placed 2.5 s into its run.
Scene MakeScene(const std::string& name);
using launchertest::MakeReadyDump;
// Runs a program of the scene; a child that doesn't start or finish counts as a failure.
testsupport::ChildResult Run(const Scene& scene, const std::vector<std::string>& args,
                             const std::string& program = "Kestrane.exe");
// The BMP at that path as a PNG beside it; the BMP is removed.
bool BmpToPng(const std::string& bmp);
// Writes settings.ini of the scene's profile.
void WriteSettings(const Scene& scene, const std::string& text);

// For a scene with the game built: the built game becomes the stand-in that plays the
// intro for its frames, and the stand-in enhancer goes slowly enough to be caught upscaling.
void SteerEnhancement(const Scene& scene);

// "--ui-shot <screen>" at every size, saved as <state>.png.
void Shoot(const Scene& scene, const std::string& state, const std::string& screen);
// The probe shoots at every size after its own set-up in process (a job running, say):
// launcher_probe shots <out dir> <state> <screen> <setup...>.
void ShootWithProbe(const Scene& scene, const std::string& state, const std::string& screen,
                    const std::vector<std::string>& setup);

using Maker = void (*)();
struct Registrar {
  Registrar(const char* group, Maker maker);
};

}  // namespace pictures
