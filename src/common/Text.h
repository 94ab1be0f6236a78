// Byte-string helpers. Letter case folds ASCII letters only.
#pragma once

#include <string>
#include <string_view>

namespace zorl {

bool IsWhite(char c);  // blank, tab, CR, LF, vertical tab, form feed
std::string ToLower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string Trim(std::string_view text);

}  // namespace zorl
