// Word taking: the two text operations the line parser is built from, the
// word walks of replies and templates, and the mask comparison of the ignore
// list and the event scripts.
//
// Every result is a view of the text passed in, so the parser cuts a line
// without copying it: keep the text alive while the pieces are used, and copy
// a piece (std::string(piece)) to keep it longer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/Text.h"

namespace zorl {

struct Split {
    std::string_view head;
    std::string_view tail;
    bool found = false;
};

// Cuts at the first exact occurrence of `separator`, which is dropped.
// Not found: head is the whole text, tail empty.
Split SplitAt(std::string_view text, std::string_view separator);

// Left-trims, cuts at the first blank; the rest is trimmed on both sides.
// Only a blank separates: a tab stays inside the word.
//   SplitWord("  PRIVMSG  #x :hi ") -> {"PRIVMSG", "#x :hi", true}
// Inline: the parser takes every word of every line with it, and words are
// short enough that a plain loop beats a library search.
constexpr Split SplitWord(std::string_view text) {
    text = TrimLeft(text);
    std::size_t blank = 0;
    while (blank < text.size() && text[blank] != ' ') ++blank;
    if (blank == text.size()) return {text, {}, false};
    return {text.substr(0, blank), Trim(text.substr(blank + 1)), true};
}

// The word of a template at `pos`: up to the next blank or the end. `pos`
// moves past it; SkipBlanks gives the position of the next non-blank.
//   "$random 6" from 8 -> "6"
std::string_view TakeWord(std::string_view text, std::size_t& pos);
std::size_t SkipBlanks(std::string_view text, std::size_t pos);

// Calls visit(word) for each blank-separated word, white space around the
// words dropped: "@op +voiced  plain".
template <class Visit>
void ForEachWord(std::string_view text, Visit visit) {
    std::size_t at = 0;
    while (true) {
        while (at < text.size() && IsWhite(text[at])) ++at;
        if (at >= text.size()) return;
        std::size_t end = text.find(' ', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view word = TrimRight(text.substr(at, end - at));
        if (!word.empty()) visit(word);
        at = end;
    }
}

// Calls visit(channel) for each entry of a JOIN or PART list: "#a,#b, #c".
// Leading blanks of an entry are dropped; empty entries are skipped, because
// the empty name is the status window's.
template <class Visit>
void ForEachChannel(std::string_view list, Visit visit) {
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        std::string_view channel = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        while (!list.empty() && list.front() == ' ') list.remove_prefix(1);
        if (!channel.empty()) visit(std::string(channel));
    }
}

// True when a nick!user@host prefix is covered by a mask: nick and user
// compare whole (any letter case, "*" or empty for any), hosts when either
// contains the other.
bool MatchMask(std::string_view prefix, std::string_view mask);

}  // namespace zorl
