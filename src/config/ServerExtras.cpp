#include "config/ServerExtras.h"

#include <string_view>

#include "common/ProxyHandshake.h"
#include "common/TextSplit.h"

namespace zorl {
namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Cuts `marker` and what follows it off `rest`; true when it was there.
bool TakeTail(std::string& rest, std::string_view marker, std::string& tail) {
    const std::size_t at = rest.find(marker);
    if (at == std::string::npos) return false;
    tail = rest.substr(at + marker.size());
    rest.erase(at);
    return true;
}

// Where the extras stand in a stored value: after the name's "SERVER:", up
// to "GROUP:" or the end.
struct Place {
    std::size_t from;
    std::size_t to;
};

Place PlaceOfExtras(const std::string& value) {
    const std::size_t server = value.find("SERVER:");
    const std::size_t from = server == std::string::npos ? value.size() : server + 7;
    const std::size_t group = value.find("GROUP:", from);
    return {from, group == std::string::npos ? value.size() : group};
}

}  // namespace

std::string NormalFingerprint(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (!IsHexDigit(c)) continue;
        if (!out.empty() && out.size() % 3 == 2) out += ':';
        out += c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return out;
}

// The value is cut at the first "GROUP:" and the markers are searched in it:
// a marker inside a field would move a cut.
std::string ServerExtrasProblem(const ServerExtras& extras) {
    constexpr std::size_t kSha256Digits = 64;
    std::size_t digits = 0;
    for (char c : extras.fingerprint) {
        if (IsHexDigit(c))
            ++digits;
        else if (c != ':' && c != ' ')
            return "The fingerprint must be hex digits (SHA-256), in pairs or not.";
    }
    if (digits != 0 && digits != kSha256Digits)
        return "The fingerprint must have 64 hex digits (SHA-256).";
    if (extras.saslAccount.find(':') != std::string::npos)
        return "The login account must not contain \":\".";
    if (extras.saslAccount.empty() && !extras.saslPassword.empty())
        return "A login password needs a login account.";
    if (extras.saslPassword.find("GROUP:") != std::string::npos ||
        extras.clientCert.find("GROUP:") != std::string::npos)
        return "No field may contain \"GROUP:\".";
    if (!extras.proxy.empty() && extras.proxy != "none" &&
        ProxyOfEntry(extras.proxy).type == ProxyType::None)
        return "The proxy must be socks5:host:port, http:host:port or none.";
    if (extras.startChannels.find_first_of(": ") != std::string::npos)
        return "The channels to join must be separated by commas, without blanks or \":\".";
    for (const char* marker : kServerExtrasMarkers)
        if (extras.clientCert.find(marker) != std::string::npos)
            return std::string("The certificate file name must not contain \"") + marker + "\".";
    return {};
}

ServerExtras TakeServerExtras(std::string& value) {
    ServerExtras extras;
    const auto [from, to] = PlaceOfExtras(value);
    std::string rest = value.substr(from, to - from);
    std::string sasl, flag;
    if (TakeTail(rest, "SASL:", sasl)) {
        const Split login = SplitAt(sasl, ":");
        extras.saslAccount = login.head;
        extras.saslPassword = login.tail;
    }
    extras.saslWithoutTls = TakeTail(rest, "NOTLS:", flag);
    extras.requireLogin = TakeTail(rest, "REQLOGIN:", flag);
    TakeTail(rest, "PROXY:", extras.proxy);
    TakeTail(rest, "CERT:", extras.clientCert);
    TakeTail(rest, "PIN:", extras.fingerprint);
    extras.connectAtStart = TakeTail(rest, "AUTO:", extras.startChannels);
    value = value.substr(0, from) + rest + value.substr(to);
    return extras;
}

std::string WithServerExtras(const std::string& value, const ServerExtras& extras) {
    std::string added;
    if (extras.connectAtStart) added += "AUTO:" + extras.startChannels;
    if (!extras.fingerprint.empty()) added += "PIN:" + extras.fingerprint;
    if (!extras.clientCert.empty()) added += "CERT:" + extras.clientCert;
    if (!extras.proxy.empty()) added += "PROXY:" + extras.proxy;
    if (extras.requireLogin) added += "REQLOGIN:";
    if (extras.saslWithoutTls) added += "NOTLS:";
    if (!extras.saslAccount.empty())
        added += "SASL:" + extras.saslAccount + ":" + extras.saslPassword;
    const std::size_t to = PlaceOfExtras(value).to;
    return value.substr(0, to) + added + value.substr(to);
}

}  // namespace zorl
