#include "session/TextSplit.h"

#include "common/Text.h"

namespace zorl {

Split SplitAt(std::string_view text, std::string_view separator) {
    std::size_t at = text.find(separator);
    if (at == std::string_view::npos) return {std::string(text), std::string(), false};
    return {std::string(text.substr(0, at)), std::string(text.substr(at + separator.size())), true};
}

Split SplitWord(std::string_view text) {
    std::string left = TrimLeft(text);
    Split parts = SplitAt(left, " ");
    parts.tail = Trim(parts.tail);
    return parts;
}

namespace {

struct MaskParts {
    std::string nick, user, host;
};

MaskParts SplitMask(std::string_view text) {
    std::string lowered = ToLower(TrimRight(text));
    Split nickRest = SplitAt(lowered, "!");
    Split userHost = SplitAt(nickRest.tail, "@");
    MaskParts parts{nickRest.head, userHost.head, userHost.tail};
    for (std::string* part : {&parts.nick, &parts.user, &parts.host})
        if (part->empty()) part->assign(1, '*');
    return parts;
}

// "*" is only a wildcard when it is the whole part.
bool PartMatches(const std::string& a, const std::string& b) {
    return a == "*" || b == "*" || a == b;
}

}  // namespace

// Nick and user compare whole (or "*"); hosts match when either contains the
// other, so the mask host "dialup" covers "dialuphost.example".
bool MatchMask(std::string_view prefix, std::string_view mask) {
    MaskParts p = SplitMask(prefix);
    MaskParts m = SplitMask(mask);
    if (!PartMatches(p.nick, m.nick)) return false;
    if (!PartMatches(p.user, m.user)) return false;
    if (p.host == "*" || m.host == "*") return true;
    return p.host.find(m.host) != std::string::npos || m.host.find(p.host) != std::string::npos;
}

}  // namespace zorl
