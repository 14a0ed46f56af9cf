// --version: the product's name and its one version.
#include <cstdio>

#include "app/modes/modes.h"
#include "settings/product.h"

int RunVersionMode() {
  printf("%s %s\n", product::kName, product::kVersion);
  fflush(stdout);
  return 0;
}
