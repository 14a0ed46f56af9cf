// A screenful of the toolkit laid out like the launcher's home screen (art, hero text,
// status rows, links, the big button) over the backdrop with a truck run, for the
// gallery's pictures and the benchmark's frames.
#pragma once

#include <functional>
#include <vector>

#include "art/truck_run.h"

namespace uitest {

// Draws the whole screen inside the current frame; focus_play shows the focus ring on the
// big button. The truck's callback values are returned through left and kx.
void DrawSampleHome(art::TruckRun& run, float truck_time, bool focus_play, float* left = nullptr,
                    float* kx = nullptr);

// The same screen as named parts that DrawSampleHome draws in order (for the benchmark's
// breakdown); each draws inside the current frame.
struct SamplePart {
  const char* name;
  std::function<void()> draw;
};
std::vector<SamplePart> SampleHomeParts(art::TruckRun& run, float truck_time, bool focus_play, float* left = nullptr,
                                        float* kx = nullptr);

}  // namespace uitest
