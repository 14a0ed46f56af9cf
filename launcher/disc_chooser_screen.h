// The disc chooser: what the dump search found and what the player dropped or picked,
// each with its verdict, and CONTINUE into the setup job.
#pragma once

#include <vector>

#include "dump/dump_search.h"

// The chooser's rows: the player's own choices (newest first), then what the search
// found, each path once, compared ignoring case.
std::vector<DumpCandidate> MergeChooserList(const std::vector<DumpCandidate>& chosen,
                                            const std::vector<DumpCandidate>& found);

void DiscChooserScreen();
