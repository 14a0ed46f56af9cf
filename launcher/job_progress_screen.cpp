#include "launcher/job_progress_screen.h"

// The screen lands with the progress-screen work; until then Frame shows only the
// backdrop and the top bar here.
void JobProgressScreen() {}
void MakeShortcuts() {}
