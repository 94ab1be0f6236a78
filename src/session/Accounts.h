// What a network has told us of its nicks beyond their hosts: the services
// account (account-notify's ACCOUNT, extended-join, account-tag, WHOX) and
// the real name (extended-join, WHOX, SETNAME). The nick list shows both
// when the pointer rests on a nick.
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
    void SetRealName(const std::string& nick, const std::string& realName);
    void Rename(const std::string& from, const std::string& to);
    void Forget(const std::string& nick);
    // Null when the nick is not known to be logged in.
    const std::string* Of(const std::string& nick) const;
    // Null when the nick's real name is not known.
    const std::string* RealNameOf(const std::string& nick) const;
    void Reset() { known_.clear(); }

private:
    struct Known {
        std::string account;
        std::string realName;
    };
    Known* Entry(const std::string& nick);  // null when the table is full

    std::unordered_map<std::string, Known> known_;  // lower-case nick -> what is known
};

}  // namespace zorl
