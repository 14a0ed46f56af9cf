// The disc chooser: what the dump search found and what the player dropped or picked,
// each with its verdict, and CONTINUE into the setup job.
#pragma once

void DiscChooserScreen();
