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

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long DaysFromCivil(long year, unsigned month, unsigned day) {
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long>(dayOfEra) - 719468;
}

// `count` digits at `at` as a number; -1 when they are not all digits.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<std::time_t> ParseServerTime(std::string_view text) {
    // YYYY-MM-DDThh:mm:ss
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text.back() != 'Z')
        return std::nullopt;
    const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    const int hour = Digits(text, 11, 2), minute = Digits(text, 14, 2),
              second = Digits(text, 17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 60)
        return std::nullopt;
    const std::string_view rest = text.substr(19, text.size() - 20);
    if (!rest.empty() && (rest[0] != '.' || rest.size() == 1 ||
                          rest.find_first_not_of("0123456789", 1) != std::string_view::npos))
        return std::nullopt;
    const long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return static_cast<std::time_t>(days * 86400L + hour * 3600L + minute * 60L + second);
}

}  // namespace zorl
