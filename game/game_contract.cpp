#include "game/game_contract.h"

#include "platform/text.h"
#include "process/quote_argument.h"

std::wstring GameCommandLine() { return QuoteArgument(text::Utf8ToWide(GameExePath())); }

EnvOverrides PlayEnvironment(const std::string& aspect, bool errorLog) {
  // The variable knows only 4:3 and 16:9 and wins over settings.ini, so for "native"
  // (match the window) it is left out, even when the launcher itself was given it: the
  // game then reads "native" from settings.ini.
  const char* const variable = aspect == "4:3" ? "4:3" : aspect == "native" ? "" : "16:9";
  return {
      {"KESTRANE_ASPECT", variable},
      {"KESTRANE_LAUNCHED", "1"},
      {"KESTRANE_ERROR_LOG", errorLog ? "1" : "0"},
  };
}

EnvOverrides FrameDumpEnvironment(const std::string& framesDir, const std::string& nandDir) {
  return {
      {"KESTRANE_LAUNCHED", ""},  // a frame dump is not a play: the game must not act launched
      {"KESTRANE_VIDEODUMP", framesDir},
      {"KESTRANE_VIDEODUMP_QUIT", "1"},
      {"KESTRANE_NAND", nandDir},
      {"KESTRANE_INPUT", "200:2,600:2"},
      {"KESTRANE_MUTE", "1"},
      {"KESTRANE_HIDEWINDOW", "1"},
      {"KESTRANE_DISPLAY_WINDOW_MODE", "windowed"},
  };
}
