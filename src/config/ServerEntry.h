// One entry of the server list in servers.ini, section "Servers":
//
//   NetASERVER:irc.example.net:6667,+6697:secretPIN:AB:CD:...SASL:joe:pwGROUP:Europe
//
// name "SERVER:" address ":" ports [":" password] then, each only when set,
// "PIN:" the pinned certificate's fingerprint, "NOTLS:" (the login may go
// over plain TCP), "SASL:" account ":" login password, and "GROUP:" group.
// The extras sit before "GROUP:", so a list written without them reads as
// before. No field may contain "GROUP:"; the server password may not
// contain "PIN:", "NOTLS:" or "SASL:" either.
#pragma once

#include <string>
#include <string_view>

namespace zorl {

struct ServerEntry {
    std::string name;
    std::string address;
    std::string ports;  // "6667,+6697": a "+" asks for TLS on that port
    std::string password;
    std::string group;
    std::string fingerprint;  // SHA-256 of the one certificate trusted beyond the system's
    std::string saslAccount;
    std::string saslPassword;
    bool saslWithoutTls = false;
};

ServerEntry ParseServerEntry(std::string_view value);
std::string FormatServerEntry(const ServerEntry& entry);

}  // namespace zorl
