#include "config/ServerExtras.h"

#include <string_view>

#include "common/TextSplit.h"

namespace zorl {
namespace {

// Cuts `marker` and what follows it off `rest`; true when it was there.
bool TakeTail(std::string& rest, std::string_view marker, std::string& tail) {
    const std::size_t at = rest.find(marker);
    if (at == std::string::npos) return false;
    tail = rest.substr(at + marker.size());
    rest.erase(at);
    return true;
}

}  // namespace

ServerExtras TakeServerExtras(std::string& value) {
    ServerExtras extras;
    // Only the part before "GROUP:" holds them; the name ends at "SERVER:".
    const std::size_t server = value.find("SERVER:");
    const std::size_t from = server == std::string::npos ? value.size() : server + 7;
    const std::size_t group = value.find("GROUP:", from);
    const std::size_t to = group == std::string::npos ? value.size() : group;
    std::string rest = value.substr(from, to - from);
    std::string sasl, flag;
    if (TakeTail(rest, "SASL:", sasl)) {
        const Split login = SplitAt(sasl, ":");
        extras.saslAccount = login.head;
        extras.saslPassword = login.tail;
    }
    extras.saslWithoutTls = TakeTail(rest, "NOTLS:", flag);
    TakeTail(rest, "PIN:", extras.fingerprint);
    value = value.substr(0, from) + rest + value.substr(to);
    return extras;
}

std::string WithServerExtras(const std::string& value, const ServerExtras& extras) {
    std::string added;
    if (!extras.fingerprint.empty()) added += "PIN:" + extras.fingerprint;
    if (extras.saslWithoutTls) added += "NOTLS:";
    if (!extras.saslAccount.empty())
        added += "SASL:" + extras.saslAccount + ":" + extras.saslPassword;
    const std::size_t server = value.find("SERVER:");
    const std::size_t group =
        value.find("GROUP:", server == std::string::npos ? value.size() : server + 7);
    if (group == std::string::npos) return value + added;
    return value.substr(0, group) + added + value.substr(group);
}

}  // namespace zorl
