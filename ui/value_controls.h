// Controls that edit a value the caller owns: segmented control, toggle, slider, selector
// and check box. They take no focus id of their own: the caller registers the row that
// holds one (ui::Focusable) and passes its id, so a whole settings row is one focus stop.
// Each returns true on the frame it changed the value.
#pragma once

#include <string>
#include <vector>

namespace ui {

// Adjacent text segments, one selected; Left/Right step without wrapping.
bool Segmented(const std::vector<std::wstring>& options, int* index, float x, float y, int id,
               float height);
// A switch captioned "On"/"Off": a click or Activate flips it, Left sets Off, Right sets On.
bool Toggle(bool* value, float x, float y, int id);
// An integer in [min, max] in whole steps from min, dragged or stepped with Left/Right;
// the value and suffix (may be null) show at the right end.
bool Slider(int* value, int min, int max, int step, float x, float y, float w, int id,
            const wchar_t* suffix);
// One option shown between two arrows; clicks on either half, Left/Right and Activate step
// through the list with wrap-around.
bool Selector(const std::vector<std::wstring>& options, int* index, float x, float y, float w, int id);
bool Checkbox(bool* value, const std::wstring& label, float x, float y, int id);

}  // namespace ui
