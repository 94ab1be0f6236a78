// Strict transport security policies (the IRCv3 "sts" capability): a host
// that told us over TLS to be reached only over TLS, for how long, and on
// which port. Kept in sts.ini of the configuration folder, one key a host:
//
//   [Policies]
//   irc.example.net=6697 1767225600      (the TLS port, then the expiry time)
//
// While a policy lasts, no plain connection goes to that host.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace zorl {

class CIniStore;

struct StsPolicy {
    int port = 0;
    std::time_t expires = 0;
};

// The values of an "sts" capability: "port=6697,duration=2592000".
struct StsValue {
    std::optional<int> port;            // a valid port, when given
    std::optional<long long> duration;  // seconds, when given
};
StsValue ParseStsValue(std::string_view value);

// The policy of `host` that lasts beyond `now`; an expired one is removed.
std::optional<StsPolicy> FindStsPolicy(CIniStore& ini, const std::string& host, std::time_t now);
// A TLS connection on `port` said duration `seconds`: the policy lasts until
// now + seconds; 0 removes it.
void RememberStsPolicy(CIniStore& ini, const std::string& host, int port, long long seconds,
                       std::time_t now);

}  // namespace zorl
