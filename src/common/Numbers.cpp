#include "common/Numbers.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "common/Text.h"

namespace zorl {

long long AtoiLL(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhite(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number so LLONG_MIN is reachable.
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        int digit = text[i] - '0';
        if (value < (LLONG_MIN + digit) / 10) {
            value = LLONG_MIN;
            while (i < text.size() && IsDigit(text[i])) ++i;
            break;
        }
        value = value * 10 - digit;
    }
    if (negative) return value;
    return value == LLONG_MIN ? LLONG_MAX : -value;
}

int Atoi(std::string_view text) {
    long long v = AtoiLL(text);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

long Atol(std::string_view text) {
    long long v = AtoiLL(text);
    if (v > LONG_MAX) return LONG_MAX;
    if (v < LONG_MIN) return LONG_MIN;
    return static_cast<long>(v);
}

uint32_t AtoU32(std::string_view text) {
    long long v = AtoiLL(text);
    if (v < 0) return 0;
    if (v > static_cast<long long>(UINT32_MAX)) return UINT32_MAX;
    return static_cast<uint32_t>(v);
}

bool IsAllDigits(std::string_view text) { return !text.empty() && DigitRun(text) == text.size(); }

double Atof(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhite(text[i])) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    double value = 0;
    std::from_chars(text.data() + i, text.data() + text.size(), value);
    return std::isnan(value) ? 0 : value;
}

}  // namespace zorl
