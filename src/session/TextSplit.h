// The two text operations the parser is built from, used everywhere else too.
#pragma once

#include <string>
#include <string_view>

namespace zorl {

struct Split {
    std::string head;
    std::string tail;
    bool found = false;
};

// Cuts at the first exact occurrence of `separator`, which is dropped.
// Not found: head is the whole text, tail empty.
Split SplitAt(std::string_view text, std::string_view separator);

// Left-trims, cuts at the first blank; the rest is trimmed on both sides.
//   SplitWord("  PRIVMSG  #x :hi ") -> {"PRIVMSG", "#x :hi", true}
Split SplitWord(std::string_view text);

// True when a nick!user@host prefix is covered by a mask: nick and user
// match whole or as "*", hosts when either contains the other.
bool MatchMask(std::string_view prefix, std::string_view mask);

}  // namespace zorl
