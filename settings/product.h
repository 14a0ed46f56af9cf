// Names and versions the launcher shows, logs and stamps into reports.
#pragma once

namespace product {
constexpr const char kName[] = "Kestrane";
constexpr const char kVersion[] = "0.1.0";          // the port
constexpr const char kLauncherVersion[] = "0.1.0";  // this launcher
constexpr const char kGameExeName[] = "KestraneGame.exe";
}  // namespace product
