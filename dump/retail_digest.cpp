// The SHA-1 of main.dol on the retail USA disc: the only digest the shipped launcher
// accepts. Kept in its own translation unit so that test builds can link another.
#include "dump/dump_judgement.h"

extern const char kExpectedMainDolSha1[] = "7c2f0b9e4a61d3853f0e2b7a9c4d6e1f08b3a5c2";
