// The services accounts of the nicks a network has told us of: with
// account-notify (ACCOUNT), extended-join, account-tag and WHOX. The nick
// list shows a nick's account when the pointer rests on it.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

namespace zorl {

class CAccounts {
public:
    // A network may tell of very many nicks: beyond these, new ones are not kept.
    static constexpr std::size_t kMaxNicks = 100000;

    // "*" or "0" (WHOX) or empty: not logged in.
    void Set(const std::string& nick, const std::string& account);
    void Rename(const std::string& from, const std::string& to);
    void Forget(const std::string& nick);
    // Null when the nick is not known to be logged in.
    const std::string* Of(const std::string& nick) const;
    void Reset() { accounts_.clear(); }

private:
    std::unordered_map<std::string, std::string> accounts_;  // lower-case nick -> account
};

}  // namespace zorl
