#include "launcher/settings_screen.h"

// The pages land with the settings work; until then Frame shows only the backdrop and
// the top bar here.
void SettingsScreen() {}
