// The Settings screen: the side list, the page frame and the nine pages that edit
// settings.ini.
#pragma once

void SettingsScreen();
