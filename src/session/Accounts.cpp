#include "session/Accounts.h"

#include "common/Text.h"

namespace zorl {

void CAccounts::Set(const std::string& nick, const std::string& account) {
    if (nick.empty()) return;
    if (account.empty() || account == "*" || account == "0") {
        Forget(nick);
        return;
    }
    const std::string key = ToLower(nick);
    if (accounts_.size() >= kMaxNicks && !accounts_.count(key)) return;
    accounts_[key] = account;
}

void CAccounts::Rename(const std::string& from, const std::string& to) {
    auto it = accounts_.find(ToLower(from));
    if (it == accounts_.end()) return;
    std::string account = std::move(it->second);
    accounts_.erase(it);
    accounts_[ToLower(to)] = std::move(account);
}

void CAccounts::Forget(const std::string& nick) { accounts_.erase(ToLower(nick)); }

const std::string* CAccounts::Of(const std::string& nick) const {
    auto it = accounts_.find(ToLower(nick));
    return it == accounts_.end() ? nullptr : &it->second;
}

}  // namespace zorl
