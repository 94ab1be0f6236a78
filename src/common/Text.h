// Byte-string helpers. Letter case folds ASCII letters only; the character
// classes are ASCII too, so a byte of a multi-byte character is never white
// space or a digit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorl {

// Blank, tab, CR, LF, vertical tab, form feed: what trimming removes and what
// number reading skips.
constexpr bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of decimal digits at the start of `text`.
std::size_t DigitRun(std::string_view text);

constexpr char ToLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string ToLower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// The trims return views of `text`: they live as long as the text does.
constexpr std::string_view TrimLeft(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhite(text[i])) ++i;
    return text.substr(i);
}
constexpr std::string_view TrimRight(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && IsWhite(text[n - 1])) --n;
    return text.substr(0, n);
}
constexpr std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

}  // namespace zorl
