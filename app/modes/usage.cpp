#include "app/modes/usage.h"

const char kUsage[] =
    "usage: Kestrane [MODE]\n"
    "\n"
    "Without arguments Kestrane opens its window: exit 0 when it closes, 1 when GDI+ can't start.\n"
    "\n"
    "  --judge PATH\n"
    "      Judges a disc dump (folder or disc image) and prints the verdict.\n"
    "      Exit 0 ready, 1 not supported, 2 incomplete.\n"
    "  --setup PATH [--rebuild]\n"
    "      Gets the game ready from that dump; --rebuild builds it again.\n"
    "      Exit 0 done, 1 failed (the job's log follows).\n"
    "  --launch-game [SECONDS]\n"
    "      Starts the built game, ends it after SECONDS (20) and records the run.\n"
    "      Exit 0 run recorded, 1 couldn't start.\n"
    "  --enhance\n"
    "      Upscales the game's intro video.\n"
    "      Exit 0 done, 1 failed.\n"
    "  --ui-shot SCREEN OUT [W H]\n"
    "      Draws a screen into the BMP file OUT, W x H pixels (1280 x 720). SCREEN is home,\n"
    "      disc, firstrun or settings:PAGE with PAGE one of files, display, graphics, audio,\n"
    "      controls, language, builds, logs, about.\n"
    "      Exit 0 saved, 1 couldn't write, 2 unknown screen or size.\n"
    "  --viewer [--disc DIR] [--dol FILE] [--tex SET/NAME] [--screenshot OUT.bmp] [--allow-unverified]\n"
    "      For developers: shows a texture of the dump (--tex, race.res/VXO_logo.tm0 unless given),\n"
    "      or writes it to OUT.bmp and ends.\n"
    "      Exit 0 closed or written, 1 the texture couldn't be loaded or shown.\n"
    "  --scan [--disc DIR] [--dol FILE] [--allow-unverified]\n"
    "      For developers: decodes every texture of every resource set and reports.\n"
    "      Exit 0 all clean, 1 not.\n"
    "      For both: --disc is the disc's files folder (else SKARVEL_DISC, Kestrane.ini or\n"
    "      the imported dump), --dol its main.dol. A main.dol that isn't the retail one\n"
    "      stops them unless --allow-unverified is given.\n"
    "      Exit 2 no dump or wrong arguments, 3 main.dol not verified.\n"
    "  --version\n"
    "      Prints the version. Exit 0.\n"
    "  --help, -h, /?\n"
    "      Prints this text. Exit 0; any argument no mode takes prints it too, with exit 2.\n";

int RefuseArguments(const char* what) {
  fprintf(stderr, "%s\n\n%s", what, kUsage);
  fflush(stderr);
  return 2;
}
