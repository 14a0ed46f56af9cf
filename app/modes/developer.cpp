// The developer viewer and scan (any command line no other mode claims): checks the dump's
// main.dol, opens the game's resource library on its files folder, then shows one texture
// or decodes every texture of every set.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/modes/modes.h"
#include "app/modes/usage.h"
#include "dump/dump_judgement.h"
#include "platform/env.h"
#include "resdata/resource_library.h"
#include "resdata/resource_scan.h"
#include "resdata/texture_view.h"
#include "resdata/viewer_options.h"
#include "settings/ini_file.h"
#include "settings/install_layout.h"
#include "settings/product.h"

namespace {

constexpr char kDiscName[] = "Wii (USA), RKVE01";

DumpChoice ChooseConfiguredDump(const ViewerOptions& options) {
  const std::string launcher_ini = InstallLayout::ExeDir() + "Kestrane.ini";
  const std::string ini_disc = ReadLauncherIniValue(launcher_ini, "disc");
  const std::string ini_dol = ReadLauncherIniValue(launcher_ini, "dol");
  const std::string env_disc = env::Value("SKARVEL_DISC");
  DumpChoice choice = ChooseDump(options, env_disc, ini_disc, ini_dol, nullptr);
  if (!choice.disc.empty()) return choice;
  // Only now: finding dump.ini's path makes the launcher's local folder.
  IniMap dump_ini;
  if (!ReadIniFile(InstallLayout::DumpIniPath(), &dump_ini)) return choice;
  return ChooseDump(options, env_disc, ini_disc, ini_dol, &dump_ini);
}

// The main.dol HashMainDol reads when none is named.
std::string MainDolPath(const DumpChoice& dump) {
  if (!dump.dol.empty()) return dump.dol;
  std::string files = dump.disc;
  while (!files.empty() && (files.back() == '\\' || files.back() == '/')) files.pop_back();
  return files + "\\..\\sys\\main.dol";
}

}  // namespace

int RunDeveloperTools(int argc, char** argv) {
  ViewerOptions options;
  std::string problem;
  if (!ParseViewerOptions(argc, argv, &options, &problem)) {
    // A mode word without the arguments it needs lands here, not in its mode.
    static const char* const kShort[][2] = {{"--judge", "--judge needs a PATH."},
                                            {"--setup", "--setup needs a PATH."},
                                            {"--ui-shot", "--ui-shot needs a SCREEN and an OUT file."}};
    for (const auto& mode : kShort)
      if (argc > 1 && strcmp(argv[1], mode[0]) == 0) problem = mode[1];
    return RefuseArguments(problem.c_str());
  }
  const DumpChoice dump = ChooseConfiguredDump(options);
  if (dump.disc.empty()) {
    fputs("No dump configured. Run tools/import <your extracted disc folder> first, or pass --disc <files dir>\n",
          stderr);
    return 2;
  }

  printf("%s - %s\n", product::kName, "Decomp Project");
  bool verified = false;
  const std::string digest = HashMainDol(dump.disc, dump.dol, &verified);
  printf("Dump: %s  main.dol sha1 %s  %s\n", kDiscName, digest.empty() ? "(not found)" : digest.c_str(),
         verified ? "VERIFIED" : "UNVERIFIED");
  fflush(stdout);
  if (!verified && !options.allow_unverified) {
    fprintf(stderr,
            "This dump is not the supported %s retail disc (expected main.dol sha1 %s at %s).\n"
            "Use --dol to point at its main.dol, or --allow-unverified to try anyway.\n",
            kDiscName, kExpectedMainDolSha1, MainDolPath(dump).c_str());
    return 3;
  }

  ResourceLibrary library;
  const bool open = library.Open(dump.disc);
  if (options.scan && !open) {
    // A scan that can't read the sets has nothing to report: no texture was asked for.
    for (const std::string& line : library.Messages()) printf("  %s\n", line.c_str());
    fflush(stdout);
    fprintf(stderr, "Could not open the resource sets in %s, so there is nothing to scan.\n", dump.disc.c_str());
    return 1;
  }
  if (options.scan) {
    const ScanTotals totals = ScanResourceSets(library, ListResourceSets(dump.disc), stdout);
    PrintScanSummary(totals, stdout);
    fflush(stdout);
    return totals.Clean() ? 0 : 1;
  }
  TextureViewRequest request;
  request.texture = options.texture;
  request.disc = dump.disc;
  request.verified = verified;
  request.screenshot = options.screenshot;
  return RunTextureView(library, open, request);
}
