// Local calendar time as text, the way run records, report folders and log lines store it.
#pragma once

#include <ctime>
#include <string>

namespace local_time {

// strftime of the current local time (buffer of 64 bytes).
std::string Now(const char* format);
std::string Format(time_t when, const char* format);

}  // namespace local_time
