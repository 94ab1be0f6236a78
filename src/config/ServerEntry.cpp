#include "config/ServerEntry.h"

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

ServerEntry ParseServerEntry(std::string_view value) {
    ServerEntry entry;
    Split cut = SplitAt(value, "SERVER:");
    entry.name = cut.head;
    cut = SplitAt(cut.tail, ":");
    entry.address = cut.head;
    cut = SplitAt(cut.tail, "GROUP:");
    entry.group = cut.tail;
    std::string rest(cut.head);
    std::string sasl, flag;
    if (TakeTail(rest, "SASL:", sasl)) {
        Split login = SplitAt(sasl, ":");
        entry.saslAccount = login.head;
        entry.saslPassword = login.tail;
    }
    entry.saslWithoutTls = TakeTail(rest, "NOTLS:", flag);
    TakeTail(rest, "PIN:", entry.fingerprint);
    cut = SplitAt(rest, ":");
    entry.ports = cut.head;
    entry.password = cut.tail;
    return entry;
}

std::string FormatServerEntry(const ServerEntry& entry) {
    std::string value = entry.name + "SERVER:" + entry.address + ":" + entry.ports;
    if (!entry.password.empty()) value += ":" + entry.password;
    if (!entry.fingerprint.empty()) value += "PIN:" + entry.fingerprint;
    if (entry.saslWithoutTls) value += "NOTLS:";
    if (!entry.saslAccount.empty()) value += "SASL:" + entry.saslAccount + ":" + entry.saslPassword;
    if (!entry.group.empty()) value += "GROUP:" + entry.group;
    return value;
}

}  // namespace zorl
