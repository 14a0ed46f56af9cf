#include "platform/local_time.h"

namespace local_time {

std::string Format(time_t when, const char* format) {
  struct tm parts = {};
  if (localtime_s(&parts, &when) != 0) return std::string();
  char buf[64];
  size_t n = strftime(buf, sizeof buf, format, &parts);
  return std::string(buf, n);
}

std::string Now(const char* format) { return Format(time(nullptr), format); }

}  // namespace local_time
