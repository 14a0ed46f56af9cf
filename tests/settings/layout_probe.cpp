// Prints the locations the launcher would derive if it ran from where this program is.
#include <cstdio>

#include "settings/install_layout.h"

int main() {
  printf("exe %s\n", InstallLayout::ExeDir().c_str());
  printf("checkout %s\n", InstallLayout::CheckoutRoot().c_str());
  return 0;
}
