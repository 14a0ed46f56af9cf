#include "tests/launcher/scene.h"

#include <windows.h>

#include "tests/fixtures/dump_fixture.h"
#include "tests/support/temp_folder.h"

namespace launchertest {
namespace {

bool CopyFolderFiles(const std::string& from, const std::string& to) {
  testsupport::MakeFolders(to);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((from + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    ok = CopyFileA((from + "\\" + data.cFileName).c_str(), (to + "\\" + data.cFileName).c_str(), FALSE) && ok;
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return ok;
}

}  // namespace

Scene MakeScene(const std::string& root) {
  Scene scene;
  scene.root = root;
  scene.install = root + "\\checkout\\bin";
  scene.profile = root + "\\profile";
  testsupport::RemoveTree(root);
  scene.ok = fixtures::MakeInstall(scene.install) != "" &&
             fixtures::AddTool(scene.install, "tools\\python\\python.exe", "standin_python.exe") &&
             fixtures::AddTool(scene.install, "tools\\zig\\zig.exe", "standin_zig.exe") &&
             fixtures::AddTool(scene.install, "import.exe", "standin_import.exe") &&
             fixtures::AddTool(scene.install, "enhance.exe", "standin_enhance.exe") &&
             fixtures::AddTool(scene.install, "launcher_probe.exe", "launcher_probe.exe") &&
             fixtures::AddDtk(scene.install) &&
             CopyFolderFiles(testsupport::BinDir() + "fonts", root + "\\checkout\\assets\\fonts") &&
             testsupport::WriteFile(root + "\\checkout\\tools\\gametrial\\link.py",
                                    "output=" + scene.install + "\\KestraneGame.exe\nline=compiling main\nline=linking\n") &&
             testsupport::WriteFile(root + "\\checkout\\tools\\gametrial\\decomp_ref.txt", "4e1b7a2c9d\n");
  scene.options = fixtures::LauncherOptions(scene.profile);
  scene.options.env.push_back({"KESTRANE_TEST_FREE_SPACE", "107374182400"});
  scene.options.env.push_back({"KESTRANE_GAME_EXE", ""});
  scene.options.env.push_back({"ZIG", ""});
  return scene;
}

std::string MakeReadyDump(const Scene& scene, const std::string& relative) {
  return fixtures::MakeDump(scene.root + "\\" + relative).chosen;
}

testsupport::ChildResult RunInScene(const Scene& scene, const std::vector<std::string>& args,
                                    const std::string& program) {
  return testsupport::RunChild(scene.install + "\\" + program, args, scene.options);
}

std::string SettingsFileOf(const Scene& scene) { return scene.profile + "\\local\\Kestrane\\settings.ini"; }

}  // namespace launchertest
