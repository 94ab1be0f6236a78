// Links such as "irc://irc.example.net:6668/#zorl" that a desktop hands to
// the program on its command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorl {

struct IrcLink {
    std::string host;
    int port = 6667;      // 6697 for an ircs:// link
    bool tls = false;     // ircs://
    std::string channel;  // "" when the link names none
};

// irc://host[:port][/[#]channel], or ircs:// for TLS. The scheme's case does not matter; the
// channel may be percent-encoded ("%23zorl") and gets a "#" when it has no
// channel prefix of its own; flags after a "," (",needpass") are ignored.
// Nothing: not such a link, or a host, port or channel no server would take.
std::optional<IrcLink> ParseIrcLink(std::string_view text);

}  // namespace zorl
