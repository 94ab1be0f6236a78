#include "windows/ZorlDoc.h"

#include "common/CaseMapping.h"

#include <algorithm>

#include "common/Random.h"
#include "common/Text.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "windows/WindowServices.h"

namespace zorl {

CZorlDoc::CZorlDoc(const WindowServices& services, std::string name, WindowType type)
    : s_(services), name_(std::move(name)), type_(type) {}

bool CZorlDoc::AppendString(const std::string& text, Colour colour, bool debug) {
    s_.platform.surface.AppendPiece(frame_, text, colour, debug);
    RememberSpeaker(text);
    return true;
}

// "<alice> hi" makes alice the last speaker, unless alice is the user.
void CZorlDoc::RememberSpeaker(const std::string& text) {
    if (text.empty() || text[0] != '<') return;
    const std::size_t close = text.find('>');
    if (close == std::string::npos) return;
    std::string speaker = text.substr(1, close - 1);
    if (EqualsNoCase(speaker, s_.host.OwnNick(nullptr))) return;
    last_speaker_ = std::move(speaker);
    NoteSpeaker(last_speaker_);
}

void CZorlDoc::NoteSpeaker(const std::string& nick) {
    // A channel's regulars are a few dozen; older speakers complete in
    // alphabetical order with everybody else.
    constexpr std::size_t kKept = 64;
    if (nick.empty()) return;
    auto same = std::find_if(speakers_.begin(), speakers_.end(),
                             [&nick](const std::string& s) { return EqualsNoCase(s, nick); });
    if (same != speakers_.end()) speakers_.erase(same);
    speakers_.push_front(nick);
    if (speakers_.size() > kKept) speakers_.pop_back();
}

void CZorlDoc::UpdateAllViews(int hints) { s_.platform.surface.UpdateViews(frame_, hints); }

// ---- Nick table ----------------------------------------------------------

void CZorlDoc::SetCaseMapping(CaseMapping mapping) {
    if (mapping == mapping_) return;
    mapping_ = mapping;
    lower_to_key_.clear();
    for (const auto& entry : nicks_) lower_to_key_[FoldCase(entry.first, mapping_)] = entry.first;
}

std::map<std::string, int>::iterator CZorlDoc::FindNoCase(const std::string& nick) {
    auto folded = lower_to_key_.find(FoldCase(nick, mapping_));
    return folded == lower_to_key_.end() ? nicks_.end() : nicks_.find(folded->second);
}

// "@+alice" is alice with bits 1 and 2. Add, Set and Clear find an entry in
// any letter case and write it under the spelling given, so the table never
// holds two spellings of one nick; Remove, like NickFlags, takes the exact
// spelling.
int CZorlDoc::NickUpdate(int operation, const std::string& nickIn, int bits) {
    std::string_view nick = nickIn;
    int prefix = 0;
    if (!nick.empty() && nick.front() == '@') {
        nick.remove_prefix(1);
        prefix |= kNickOp;
    }
    if (!nick.empty() && nick.front() == '+') {
        nick.remove_prefix(1);
        prefix |= kNickVoice;
    }
    const std::string key(nick);

    auto write = [this, &key](std::map<std::string, int>::iterator found, int value) {
        if (found != nicks_.end() && found->first != key) {
            nicks_.erase(found);
            found = nicks_.end();
        }
        if (found == nicks_.end()) {
            nicks_[key] = value;
            lower_to_key_[FoldCase(key, mapping_)] = key;
        } else {
            found->second = value;
        }
    };

    switch (operation) {
        case kNickAdd: {
            if (key.empty()) break;  // a stray "@" in a name reply is no nick
            auto found = FindNoCase(key);
            const int old = found == nicks_.end() ? 0 : found->second;
            write(found, old | prefix | bits);
            break;
        }
        case kNickSet: {
            auto found = FindNoCase(key);
            if (found != nicks_.end()) write(found, found->second | prefix | bits);
            break;
        }
        case kNickClear: {
            auto found = FindNoCase(key);
            if (found != nicks_.end()) write(found, (found->second | prefix) & ~bits);
            break;
        }
        case kNickRemove: {
            auto exact = nicks_.find(key);
            if (exact != nicks_.end()) {
                lower_to_key_.erase(FoldCase(key, mapping_));
                nicks_.erase(exact);
            }
            break;
        }
        case kNickClearAll:
            nicks_.clear();
            lower_to_key_.clear();
            break;
        default: break;
    }
    UpdateAllViews(kHintNicks);
    return 1;
}

int CZorlDoc::NickFlags(const std::string& nick) const {
    auto it = nicks_.find(nick);
    return it == nicks_.end() ? kNickAbsent : it->second;
}

std::string CZorlDoc::RandomNick() const {
    if (nicks_.size() <= 1) return {};
    std::vector<const std::string*> candidates;
    candidates.reserve(nicks_.size());
    for (const auto& [nick, bits] : nicks_) {
        if (!nick.empty() && !EqualsNoCase(nick, s_.host.OwnNick(nullptr))) {
            candidates.push_back(&nick);
        }
    }
    if (candidates.empty()) return {};
    const int pick = s_.random.Below(static_cast<int>(candidates.size()));
    return *candidates[static_cast<std::size_t>(pick)];
}

std::vector<std::string> CZorlDoc::NickCompletions(std::string_view prefix) const {
    const std::string& me = s_.host.OwnNick(nullptr);
    auto wanted = [&](const std::string& nick) {
        return !nick.empty() && StartsWithNoCase(nick, prefix) && !EqualsNoCase(nick, me);
    };
    std::vector<std::string> recent;
    for (const std::string& speaker : speakers_) {
        auto folded = lower_to_key_.find(ToLower(speaker));
        if (folded != lower_to_key_.end() && wanted(folded->second))
            recent.push_back(folded->second);
    }
    std::vector<std::string> others;
    for (const auto& [nick, bits] : nicks_) {
        if (wanted(nick) && std::find(recent.begin(), recent.end(), nick) == recent.end())
            others.push_back(nick);
    }
    std::stable_sort(others.begin(), others.end(), [](const std::string& a, const std::string& b) {
        return ToLower(a) < ToLower(b);
    });
    recent.insert(recent.end(), others.begin(), others.end());
    return recent;
}

// ---- Input line ------------------------------------------------------------

void CZorlDoc::ExecuteLine(const std::string& line) {
    if (line.empty()) return;
    const std::string command = line;  // `line` may live in this document
    if (history_.size() >= kHistorySize) history_.erase(history_.begin());
    history_.push_back(command);
    history_pos_ = history_.size();
    // The line may close this window: nothing of this document is used after.
    s_.host.OnTypedLine(frame_, command);
}

}  // namespace zorl
