// The option lists the Display and Audio pages take from the system: display sizes,
// monitors and audio outputs. The system is asked once per process, on a worker; how its
// answers become lists is kept apart so it can be checked without a display.
#pragma once

#include <string>
#include <vector>

#include "launcher/launcher_state.h"

struct DisplayMode {
  int width = 0, height = 0;
};

struct DisplaySizeList {
  std::vector<std::string> values;   // "desktop", then "%dx%d"
  std::vector<std::wstring> labels;  // "%d × %d (desktop)", then "%d × %d"
};

// The desktop first, then every size of at least 640 × 480 once (refresh rates and
// colour depths fold together), the largest pixel count first.
DisplaySizeList ListDisplaySizes(int desktop_width, int desktop_height, const std::vector<DisplayMode>& modes);
// "%d · %ls (%ld×%ld)": the 1-based number, the monitor's name and its size.
std::wstring MonitorLabel(int number, const std::wstring& name, long width, long height);
// The Display page's preview of display.aspect: its width over height and its caption.
// For "native" the desktop's own: "window · 16:9 here" for 1920 × 1080, the ratio in
// lowest terms except that 8:5 goes by its usual name, 16:10.
struct AspectPreview {
  float ratio = 16.0f / 9.0f;
  std::wstring caption;
};
AspectPreview PreviewOfAspect(const std::string& aspect, const SettingsOptionLists& lists);

// Asks the system for its lists, on any thread (the window's asks a worker: listing
// display modes and audio devices can take a while on some drivers).
SettingsOptionLists ListSettingsOptions();
// Has the worker fill Launcher().settings_options unless it is filled or asked for
// already; the pages show the lists once they come.
void RequestSettingsOptions();
