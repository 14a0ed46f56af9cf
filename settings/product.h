// Names and the version the launcher shows, logs and stamps into reports. The version is
// written here and nowhere else: the build takes the project's version from this line,
// and the About page, the error log, bug reports and the release archive all show it.
#pragma once

namespace product {
constexpr const char kName[] = "Kestrane";
// The launcher and the port it builds are released together under one number.
constexpr const char kVersion[] = "0.1.0";
constexpr const char* kLauncherVersion = kVersion;
constexpr const char kGameExeName[] = "KestraneGame.exe";
}  // namespace product
