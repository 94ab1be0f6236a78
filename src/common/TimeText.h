// strftime in the C locale, with the one non-standard directive this program
// uses: "%#H", the hour without a leading zero. "%X" is "%H:%M:%S".
// A time that cannot be shown as a date gives its number.
#pragma once

#include <ctime>
#include <string>

namespace zorl {

std::string FormatLocalTime(const char* format, std::time_t when);

}  // namespace zorl
