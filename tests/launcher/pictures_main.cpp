// launcher_pictures OUT_DIR [GROUP...]: makes the scenes of every registered group (or the
// named ones) under a temporary folder and writes the pictures into OUT_DIR.
// launcher_pictures --steady OUT_DIR [GROUP...]: the same scenes, each state's frame drawn
// once more by the probe and compared instead (a ctest test); fails when one differs.
// launcher_pictures --png BMP...: turns shots into pictures beside them.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/fixtures/dump_fixture.h"
#include "tests/launcher/pictures.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/render_surface.h"
#include "ui/gdiplus_api.h"

namespace pictures {
namespace {

std::string g_out;
std::string g_work;
int g_failures = 0;
bool g_steady = false;

std::map<std::string, Maker>& Makers() {
  static std::map<std::string, Maker> makers;
  return makers;
}

const CLSID* PngEncoder() {
  static CLSID clsid;
  static bool found = false;
  if (found) return &clsid;
  UINT count = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&count, &size);
  std::vector<unsigned char> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (size == 0 || Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return nullptr;
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      clsid = codecs[i].Clsid;
      found = true;
      return &clsid;
    }
  }
  return nullptr;
}

}  // namespace

// The shot as a PNG beside it; the BMP goes.
bool BmpToPng(const std::string& bmp) {
  const std::string png = bmp.substr(0, bmp.size() - 4) + ".png";
  Gdiplus::GpBitmap* image = nullptr;
  bool ok = false;
  if (Gdiplus::DllExports::GdipCreateBitmapFromFile(text::Utf8ToWide(bmp).c_str(), &image) == Gdiplus::Ok) {
    const CLSID* encoder = PngEncoder();
    ok = encoder && Gdiplus::DllExports::GdipSaveImageToFile(image, text::Utf8ToWide(png).c_str(), encoder,
                                                              nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(image);
  }
  if (ok) DeleteFileA(bmp.c_str());
  return ok;
}

namespace {

void Fail(const std::string& what) {
  fprintf(stderr, "FAILED %s\n", what.c_str());
  ++g_failures;
}

}  // namespace

Registrar::Registrar(const char* group, Maker maker) { Makers()[group] = maker; }

Scene MakeScene(const std::string& name) {
  Scene scene = launchertest::MakeScene(g_work + "\\" + name);
  if (!scene.ok) Fail("scene " + name);
  scene.options.env.push_back({"KESTRANE_TRUCKRUN_T", "2.5"});
  return scene;
}

testsupport::ChildResult Run(const Scene& scene, const std::vector<std::string>& args, const std::string& program) {
  testsupport::ChildResult r = launchertest::RunInScene(scene, args, program);
  if (!r.started || r.timed_out) Fail(program + " in " + scene.root);
  return r;
}

void WriteSettings(const Scene& scene, const std::string& text) {
  testsupport::WriteFile(launchertest::SettingsFileOf(scene), text);
}

void SteerEnhancement(const Scene& scene) {
  if (!fixtures::AddTool(scene.install, "KestraneGame.exe", "standin_game.exe")) Fail("stand-in game in " + scene.root);
  testsupport::WriteFile(scene.install + "\\game.steer", "dump_frames=24\ndump_frame_ms=10\n");
  testsupport::WriteFile(scene.install + "\\enhance.steer", "frame_ms=400\n");
}

void Shoot(const Scene& scene, const std::string& state, const std::string& screen) {
  if (g_steady) return ShootWithProbe(scene, state, screen, {});
  for (const Size& size : Sizes()) {
    const std::string folder = g_out + "\\" + SizeName(size);
    testsupport::MakeFolders(folder);
    const std::string bmp = folder + "\\" + state + ".bmp";
    testsupport::ChildResult r =
        Run(scene, {"--ui-shot", screen, bmp, std::to_string(size.width), std::to_string(size.height)});
    if (r.exit_code != 0 || !BmpToPng(bmp)) Fail(state + " at " + SizeName(size) + ": " + r.out + r.err);
  }
  printf("%s\n", state.c_str());
}

void ShootWithProbe(const Scene& scene, const std::string& state, const std::string& screen,
                    const std::vector<std::string>& setup) {
  for (const Size& size : Sizes()) testsupport::MakeFolders(g_out + "\\" + SizeName(size));
  std::vector<std::string> args = {g_steady ? "steady" : "shots", g_out, state, screen};
  args.insert(args.end(), setup.begin(), setup.end());
  testsupport::ChildResult r = Run(scene, args, "launcher_probe.exe");
  if (r.exit_code != 0) Fail(state + " through the probe (exit " + std::to_string(r.exit_code) + "): " + r.out + r.err);
  if (g_steady) {
    for (const Size& size : Sizes()) DeleteFileA((g_out + "\\" + SizeName(size) + "\\" + state + ".bmp").c_str());
    printf("%s: %s\n", state.c_str(), r.exit_code == 0 ? "steady" : "UNSTEADY");
    return;
  }
  for (const Size& size : Sizes()) {
    const std::string bmp = g_out + "\\" + SizeName(size) + "\\" + state + ".bmp";
    if (!BmpToPng(bmp)) Fail(state + " at " + SizeName(size));
  }
  printf("%s\n", state.c_str());
}

}  // namespace pictures

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: launcher_pictures [--steady] OUT_DIR [GROUP...]\n");
    return 2;
  }
  Gdiplus::GdiplusStartupInput startup;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &startup, nullptr);
  if (strcmp(argv[1], "--png") == 0) {
    // Shots made elsewhere (another display) become pictures like the rest.
    bool ok = argc > 2;
    for (int i = 2; i < argc; ++i) ok = pictures::BmpToPng(argv[i]) && ok;
    Gdiplus::GdiplusShutdown(token);
    return ok ? 0 : 1;
  }
  if (strcmp(argv[1], "--steady") == 0 && argc > 2) {
    pictures::g_steady = true;
    ++argv;
    --argc;
  }
  pictures::g_out = argv[1];
  testsupport::MakeFolders(pictures::g_out);
  testsupport::TempFolder work;
  pictures::g_work = work.path();
  for (const auto& [group, maker] : pictures::Makers()) {
    bool wanted = argc == 2;
    for (int i = 2; i < argc; ++i) wanted = wanted || group == argv[i];
    if (wanted) maker();
  }
  Gdiplus::GdiplusShutdown(token);
  printf("%d failures; %s in %s\n", pictures::g_failures, pictures::g_steady ? "steady checks" : "pictures", argv[1]);
  return pictures::g_failures == 0 ? 0 : 1;
}
