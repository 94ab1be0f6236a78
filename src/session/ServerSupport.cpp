#include "session/ServerSupport.h"

#include <algorithm>

#include "common/Numbers.h"
#include "common/SharedTypes.h"
#include "common/TextSplit.h"

namespace zorl {
namespace {

// The bit of each prefix mode letter whose meaning is the same everywhere;
// any other letter of a PREFIX has no bit, and its nicks are listed plain.
int BitOfLetter(char letter) {
    switch (letter) {
        case 'q': return kNickOwner;
        case 'a': return kNickAdmin;
        case 'o': return kNickOp;
        case 'h': return kNickHalfop;
        case 'v': return kNickVoice;
        default: return 0;
    }
}

// "beI,k,l,imnpst" -> its first three groups.
void SplitChanModes(std::string_view value, std::string* groups[3]) {
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = value.find(',');
        groups[i]->assign(value.substr(0, comma));
        if (comma == std::string_view::npos) {
            for (int j = i + 1; j < 3; ++j) groups[j]->clear();
            return;
        }
        value.remove_prefix(comma + 1);
    }
}

// A mapping this client does not know (rfc7613, utf8) folds at least the
// ASCII letters, as every one of them does.
CaseMapping MappingNamed(std::string_view name) {
    if (name == "rfc1459") return CaseMapping::Rfc1459;
    if (name == "strict-rfc1459") return CaseMapping::StrictRfc1459;
    return CaseMapping::Ascii;
}

}  // namespace

void CServerSupport::Apply(const std::vector<std::string>& params) {
    const CServerSupport defaults;
    // params[0] is the own nick, the last one the "are supported" text.
    for (std::size_t i = 1; i + 1 < params.size(); ++i) {
        std::string_view token = params[i];
        const bool negated = !token.empty() && token.front() == '-';
        if (negated) token.remove_prefix(1);
        const Split pair = SplitAt(token, "=");
        if (pair.head == "PREFIX") {
            if (negated || pair.tail.empty()) {
                prefix_modes_ = defaults.prefix_modes_;
                prefix_symbols_ = defaults.prefix_symbols_;
            } else {
                SetPrefix(pair.tail);
            }
        } else if (pair.head == "CHANTYPES") {
            chantypes_ = negated ? defaults.chantypes_ : std::string(pair.tail);
        } else if (pair.head == "CHANMODES") {
            std::string* groups[3] = {&list_modes_, &always_modes_, &set_modes_};
            SplitChanModes(negated ? std::string_view() : pair.tail, groups);
        } else if (pair.head == "STATUSMSG") {
            statusmsg_ = negated ? "" : std::string(pair.tail);
        } else if (pair.head == "MODES") {
            // Without a value there is no limit; a dozen keeps lines short.
            modes_per_line_ = negated             ? kModesPerLine
                              : pair.tail.empty() ? 12
                                                  : std::clamp(Atoi(pair.tail), 1, 100);
        } else if (pair.head == "MONITOR") {
            monitor_ = negated ? -1 : std::max(0, Atoi(pair.tail));
        } else if (pair.head == "LINELEN") {
            const int length = negated ? 0 : Atoi(pair.tail);
            line_length_ = std::clamp<std::size_t>(
                length > 0 ? static_cast<std::size_t>(length) : 0, kLineLength, kLongestLineLength);
        } else if (pair.head == "NICKLEN" || pair.head == "TOPICLEN") {
            const int length = negated ? 0 : std::max(0, Atoi(pair.tail));
            (pair.head == "NICKLEN" ? nick_length_ : topic_length_) =
                static_cast<std::size_t>(length);
        } else if (pair.head == "WHOX") {
            whox_ = !negated;
        } else if (pair.head == "CASEMAPPING") {
            case_mapping_ = negated ? CaseMapping::Ascii : MappingNamed(pair.tail);
        } else if (pair.head == "NETWORK") {
            network_ = negated ? "" : std::string(pair.tail);
        }
    }
}

// "(qaohv)~&@%+": as many symbols as letters, or the token is not used.
void CServerSupport::SetPrefix(std::string_view value) {
    if (value.empty() || value.front() != '(') return;
    const std::size_t close = value.find(')');
    if (close == std::string_view::npos) return;
    const std::string_view letters = value.substr(1, close - 1);
    const std::string_view symbols = value.substr(close + 1);
    if (letters.size() != symbols.size()) return;
    prefix_modes_ = letters;
    prefix_symbols_ = symbols;
}

std::string_view CServerSupport::StripPrefixes(std::string_view nick, int& bits) const {
    bits = 0;
    while (!nick.empty()) {
        const std::size_t at = prefix_symbols_.find(nick.front());
        if (at == std::string::npos) break;
        bits |= BitOfLetter(prefix_modes_[at]);
        nick.remove_prefix(1);
    }
    return nick;
}

int CServerSupport::ModeBits(char letter) const {
    return IsPrefixMode(letter) ? BitOfLetter(letter) : 0;
}

bool CServerSupport::TakesParameter(char letter, bool plus) const {
    if (IsPrefixMode(letter)) return true;
    if (list_modes_.find(letter) != std::string::npos) return true;
    if (always_modes_.find(letter) != std::string::npos) return true;
    return plus && set_modes_.find(letter) != std::string::npos;
}

bool CServerSupport::IsChannel(std::string_view name) const {
    return !name.empty() && chantypes_.find(name.front()) != std::string::npos;
}

}  // namespace zorl
