// strftime in the C locale, with the one non-standard directive this program
// uses: "%#H", the hour without a leading zero. "%X" is "%H:%M:%S".
// A time that cannot be shown as a date gives its number.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace zorl {

std::string FormatLocalTime(const char* format, std::time_t when);

// The time of a server-time tag, "2026-12-09T10:00:00.000Z" (UTC; the
// fraction is optional and dropped); nothing for any other text.
std::optional<std::time_t> ParseServerTime(std::string_view text);

}  // namespace zorl
