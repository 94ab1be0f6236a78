#include "common/TextSplit.h"

#include <algorithm>
#include <string>

namespace zorl {

Split SplitAt(std::string_view text, std::string_view separator) {
    // A one-byte separator is a plain byte search.
    const std::size_t at = separator.size() == 1 ? text.find(separator[0]) : text.find(separator);
    if (at == std::string_view::npos) return {text, {}, false};
    return {text.substr(0, at), text.substr(at + separator.size()), true};
}

std::string_view TakeWord(std::string_view text, std::size_t& pos) {
    std::size_t end = std::min(text.find(' ', pos), text.size());
    std::string_view word = text.substr(pos, end - pos);
    pos = end;
    return word;
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    return pos;
}

namespace {

struct MaskParts {
    std::string nick, user, host;
};

MaskParts SplitMask(std::string_view text) {
    const std::string lowered = ToLower(TrimRight(text));
    Split nickRest = SplitAt(lowered, "!");
    Split userHost = SplitAt(nickRest.tail, "@");
    MaskParts parts{std::string(nickRest.head), std::string(userHost.head),
                    std::string(userHost.tail)};
    for (std::string* part : {&parts.nick, &parts.user, &parts.host})
        if (part->empty()) part->assign(1, '*');
    return parts;
}

// "*" is only a wildcard when it is the whole part.
bool PartMatches(const std::string& a, const std::string& b) {
    return a == "*" || b == "*" || a == b;
}

}  // namespace

// The mask host "dialup" covers "dialuphost.example".
bool MatchMask(std::string_view prefix, std::string_view mask) {
    MaskParts p = SplitMask(prefix);
    MaskParts m = SplitMask(mask);
    if (!PartMatches(p.nick, m.nick)) return false;
    if (!PartMatches(p.user, m.user)) return false;
    if (p.host == "*" || m.host == "*") return true;
    return p.host.find(m.host) != std::string::npos || m.host.find(p.host) != std::string::npos;
}

}  // namespace zorl
