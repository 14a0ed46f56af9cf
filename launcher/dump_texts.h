// What the player reads about a judged dump: the disc chooser's rows and the --judge
// report show the same words, worded here from the judgement alone.
#pragma once

#include <string>

#include "dump/dump_judgement.h"

// A short name of what was found, for lists: the disc and its region, or what kind of
// path it is when no disc could be read. A row still being checked says so.
std::wstring DumpLabel(const DumpJudgement& j);
// One sentence under the label: why the dump can't be used, or what happens while it is
// checked; empty for a ready dump.
std::wstring DumpDetail(const DumpJudgement& j);
