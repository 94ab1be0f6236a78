// Web addresses inside chat text, for the output pane to underline and open.
//
// An address starts with "http://" or "https://" (any letter case) at the
// start of the text or after a character that is not a letter or digit, and
// runs to the next blank, control character, "<", ">" or '"'. Punctuation
// that ends a sentence is not part of it, nor is a ")" that closes a
// bracket opened before the address:
//   "see https://example.org/a_(b)." -> "https://example.org/a_(b)"
//   "(https://example.org)"          -> "https://example.org"
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace zorl {

struct LinkSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    bool operator==(const LinkSpan&) const = default;
};

std::vector<LinkSpan> FindWebLinks(std::string_view text);

// True when the whole text is one such address: what may be handed to the
// desktop to open.
bool IsWebLink(std::string_view text);

}  // namespace zorl
