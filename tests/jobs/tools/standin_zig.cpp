// Stands in for zig.exe: the launcher only looks for it; the build script runs it.
#include <cstdio>

int main() {
  puts("0.13.0");
  return 0;
}
