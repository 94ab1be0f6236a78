// How a network folds the letter case of nicks and channel names
// (ISUPPORT CASEMAPPING). Under rfc1459 the brackets, the bar and the tilde
// are the capitals of braces, broken bar and caret, so "nick[m]" and
// "NICK{M}" are one user there; strict-rfc1459 leaves out ~ and ^. Until a
// server says so, only the ASCII letters fold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Text.h"

namespace zorl {

enum class CaseMapping : std::uint8_t { Ascii, Rfc1459, StrictRfc1459 };

constexpr char FoldCase(char c, CaseMapping mapping) {
    if (mapping != CaseMapping::Ascii) {
        if (c == '[') return '{';
        if (c == ']') return '}';
        if (c == '\\') return '|';
        if (c == '~' && mapping == CaseMapping::Rfc1459) return '^';
    }
    return ToLower(c);
}

inline std::string FoldCase(std::string_view text, CaseMapping mapping) {
    std::string out(text);
    for (char& c : out) c = FoldCase(c, mapping);
    return out;
}

constexpr bool SameFolded(std::string_view a, std::string_view b, CaseMapping mapping) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i], mapping) != FoldCase(b[i], mapping)) return false;
    return true;
}

}  // namespace zorl
