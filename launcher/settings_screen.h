// The Settings screen: the side list, the page frame and the nine pages that edit
// settings.ini.
#pragma once

void SettingsScreen();

// The screen wants its next frame now rather than at the loop's next idle redraw: the
// Game files page counts the seconds of a data-folder move. The window loop asks every
// iteration.
bool SettingsNeedFrames();
