// What tests and the benchmark can see of the window loop: how many frames it drew.
#pragma once

namespace LauncherWindowTesting {

struct FrameCounts {
  int full = 0;
  int partial = 0;
};
FrameCounts Counts();

}  // namespace LauncherWindowTesting
