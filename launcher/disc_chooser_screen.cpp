#include "launcher/disc_chooser_screen.h"

// The screen lands with the chooser work; until then Frame shows only the backdrop and
// the top bar here.
void DiscChooserScreen() {}
