// What a server's entry in servers.ini holds beyond name, address, ports,
// password and group: a pinned certificate, a client certificate and an
// account login. They sit between the password and "GROUP:", each only when
// set:
//
//   NetASERVER:irc.example.net:+6697:secretPIN:AB:CD:...CERT:certs/neta.pemREQLOGIN:NOTLS:SASL:joe:pwGROUP:Europe
//
// "AUTO:" connect at start, then the channels to join ("AUTO:#a,#b"),
// "PIN:" the fingerprint, "CERT:" the PEM file (certificate and key) that
// logs in with SASL EXTERNAL, "PROXY:" this server's own way there instead
// of [PROXY] of zorl.ini ("PROXY:socks5:127.0.0.1:9050", "PROXY:http:h:3128",
// or "PROXY:none" for a direct connection), "REQLOGIN:" (disconnect when
// the login fails),
// "NOTLS:" (the login may go over plain TCP), "SASL:" account ":" login
// password. Taken out of a value, they leave the entry as the server list
// reads it; a value without them is unchanged. The server password may not
// contain any of the markers.
#pragma once

#include <string>
#include <string_view>

namespace zorl {

struct ServerExtras {
    std::string fingerprint;  // SHA-256 of the one certificate trusted beyond the system's
    std::string saslAccount;  // empty: no login
    std::string saslPassword;
    bool saslWithoutTls = false;
    std::string clientCert{};  // PEM file: SASL EXTERNAL with this certificate
    bool requireLogin = false;
    // Connected when the client starts, these channels joined once the
    // server has greeted us ("#a,#b"; may be empty).
    bool connectAtStart = false;
    std::string startChannels{};
    // "": [PROXY] of zorl.ini; "none": direct; else "type:host:port".
    std::string proxy{};

    bool operator==(const ServerExtras&) const = default;
};

// "ab cd:EF" and "AB:CD:EF" name the same fingerprint: "AB:CD:EF".
std::string NormalFingerprint(std::string_view text);

// The markers, in the order they are written.
inline constexpr const char* kServerExtrasMarkers[] = {
    "AUTO:", "PIN:", "CERT:", "PROXY:", "REQLOGIN:", "NOTLS:", "SASL:"};

// Why `extras` would not read back as written; "" when they would.
std::string ServerExtrasProblem(const ServerExtras& extras);

// Removes the extras from a stored value and returns them.
ServerExtras TakeServerExtras(std::string& value);
// The stored value with `extras` put in before its "GROUP:" (or at the end).
std::string WithServerExtras(const std::string& value, const ServerExtras& extras);

}  // namespace zorl
