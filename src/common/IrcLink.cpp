#include "common/IrcLink.h"

#include "common/Numbers.h"
#include "common/Text.h"

namespace zorl {
namespace {

constexpr std::string_view kScheme = "irc://";
constexpr std::string_view kTlsScheme = "ircs://";
constexpr int kTlsPort = 6697;
constexpr std::size_t kLongestChannel = 200;
constexpr int kLongestPort = 65535;

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '.' || c == '-' ||
           c == '_';
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%23zorl" -> "#zorl"; a "%" without two hex digits stays as it is.
std::string PercentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// A channel name a server takes: no blank, comma, bell or line end.
bool IsChannelName(std::string_view name) {
    if (name.size() < 2 || name.size() > kLongestChannel) return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == ' ' || c == ',') return false;
    return true;
}

// "host", "host:6668", "[::1]:6668"; false for anything else.
bool TakeAuthority(std::string_view authority, IrcLink& link) {
    std::string_view host = authority;
    std::string_view port;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) return false;
        host = authority.substr(1, close - 1);
        std::string_view rest = authority.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) return false;
        if (!rest.empty()) port = rest.substr(1);
        for (char c : host)
            if (HexValue(c) < 0 && c != ':' && c != '.') return false;
    } else {
        const std::size_t colon = authority.find(':');
        if (colon != std::string_view::npos) {
            host = authority.substr(0, colon);
            port = authority.substr(colon + 1);
        }
        for (char c : host)
            if (!IsHostChar(c)) return false;
    }
    if (host.empty()) return false;
    link.host = std::string(host);
    if (port.empty()) return true;
    if (!IsAllDigits(port) || port.size() > 5) return false;
    link.port = Atoi(port);
    return link.port > 0 && link.port <= kLongestPort;
}

}  // namespace

std::optional<IrcLink> ParseIrcLink(std::string_view text) {
    text = Trim(text);
    IrcLink link;
    if (StartsWithNoCase(text, kTlsScheme)) {
        text.remove_prefix(kTlsScheme.size());
        link.tls = true;
        link.port = kTlsPort;
    } else if (StartsWithNoCase(text, kScheme)) {
        text.remove_prefix(kScheme.size());
    } else {
        return std::nullopt;
    }
    const std::size_t slash = text.find('/');
    if (!TakeAuthority(text.substr(0, slash), link)) return std::nullopt;
    if (slash == std::string_view::npos) return link;

    std::string_view path = text.substr(slash + 1);
    path = path.substr(0, path.find_first_of(",?"));
    std::string channel = PercentDecoded(path);
    if (channel.empty()) return link;
    if (std::string_view("#&+!").find(channel.front()) == std::string_view::npos)
        channel = "#" + channel;
    if (!IsChannelName(channel)) return std::nullopt;
    link.channel = channel;
    return link;
}

}  // namespace zorl
