#include "session/Accounts.h"

#include "common/Text.h"

namespace zorl {

CAccounts::Known* CAccounts::Entry(const std::string& nick) {
    const std::string key = ToLower(nick);
    auto it = known_.find(key);
    if (it != known_.end()) return &it->second;
    if (known_.size() >= kMaxNicks) return nullptr;
    return &known_[key];
}

void CAccounts::Set(const std::string& nick, const std::string& account) {
    if (nick.empty()) return;
    const bool none = account.empty() || account == "*" || account == "0";
    if (none && !known_.count(ToLower(nick))) return;
    if (Known* known = Entry(nick)) known->account = none ? std::string() : account;
}

void CAccounts::SetRealName(const std::string& nick, const std::string& realName) {
    if (nick.empty()) return;
    if (Known* known = Entry(nick)) known->realName = realName;
}

void CAccounts::Rename(const std::string& from, const std::string& to) {
    auto it = known_.find(ToLower(from));
    if (it == known_.end()) return;
    Known known = std::move(it->second);
    known_.erase(it);
    known_[ToLower(to)] = std::move(known);
}

void CAccounts::Forget(const std::string& nick) { known_.erase(ToLower(nick)); }

const std::string* CAccounts::Of(const std::string& nick) const {
    auto it = known_.find(ToLower(nick));
    return it == known_.end() || it->second.account.empty() ? nullptr : &it->second.account;
}

const std::string* CAccounts::RealNameOf(const std::string& nick) const {
    auto it = known_.find(ToLower(nick));
    return it == known_.end() || it->second.realName.empty() ? nullptr : &it->second.realName;
}

}  // namespace zorl
