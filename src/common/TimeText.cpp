#include "common/TimeText.h"

#include <array>
#include <climits>

namespace zorl {
namespace {

const std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Two(int n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

// Expands one directive; returns false for directives left to strftime.
bool Expand(char d, const std::tm& tm, std::string& out) {
    switch (d) {
        case 'a': out += kDays[static_cast<std::size_t>(tm.tm_wday % 7)]; return true;
        case 'b': out += kMonths[static_cast<std::size_t>(tm.tm_mon % 12)]; return true;
        case 'd': out += Two(tm.tm_mday); return true;
        case 'H': out += Two(tm.tm_hour); return true;
        case 'M': out += Two(tm.tm_min); return true;
        case 'S': out += Two(tm.tm_sec); return true;
        case 'X': out += Two(tm.tm_hour) + ":" + Two(tm.tm_min) + ":" + Two(tm.tm_sec); return true;
        case 'Y': out += std::to_string(tm.tm_year + 1900LL); return true;
        case '%': out += '%'; return true;
        default: return false;
    }
}

}  // namespace

std::string FormatLocalTime(const char* format, std::time_t when) {
    std::tm tm{};
    // A server may send any number: a time whose year does not fit, or lies
    // before the year 0, shows as its number.
    if (!localtime_r(&when, &tm) || tm.tm_year > INT_MAX - 1900 || tm.tm_year < -1900)
        return std::to_string(when);
    std::string out;
    for (const char* p = format; *p; ++p) {
        if (*p != '%' || p[1] == '\0') {
            out += *p;
            continue;
        }
        ++p;
        if (*p == '#' && p[1] == 'H') {
            out += std::to_string(tm.tm_hour);
            ++p;
            continue;
        }
        if (Expand(*p, tm, out)) continue;
        // Anything else: the C library's strftime in the "C" locale.
        char directive[3] = {'%', *p, '\0'};
        char buffer[64];
        // strftime reads no arguments, so a directive taken from the
        // caller's format cannot mismatch anything.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        std::size_t n = std::strftime(buffer, sizeof buffer, directive, &tm);
#pragma GCC diagnostic pop
        out.append(buffer, n);
    }
    return out;
}

}  // namespace zorl
