// The proxy's side of each handshake, byte by byte: what the client sends,
// how much it reads, and whether it goes on or says why not.
#include "common/ProxyHandshake.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorl {
namespace {

using namespace std::string_literals;

struct Case {
    const char* name;
    ProxyType type;
    const char* user;
    std::vector<std::string> answers;  // what the proxy sends, step by step
    std::string sent;                  // all the client sent
    std::string failure;               // "" once the way is open
};

TEST(ProxyHandshakeTest, SpeaksSocks5AndHttpConnect) {
    const std::string request = "\x05\x01\x00\x03\x0Birc.example\x1A\x0B"s;  // port 6667
    const std::string bound = "\x05\x00\x00\x01\x7F\x00\x00\x01\x04\x38"s;
    const Case cases[] = {
        {"socks5 without login",
         ProxyType::Socks5,
         "",
         {"\x05\x00"s, bound},
         "\x05\x01\x00"s + request,
         ""},
        {"socks5 login",
         ProxyType::Socks5,
         "joe",
         {"\x05\x02"s, "\x01\x00"s, bound},
         "\x05\x02\x00\x02"s + "\x01\x03joe\x02pw"s + request,
         ""},
        {"socks5 bound to a name",
         ProxyType::Socks5,
         "",
         {"\x05\x00"s, "\x05\x00\x00\x03\x02hi\x04\x38"s},
         "\x05\x01\x00"s + request,
         ""},
        {"socks5 login refused",
         ProxyType::Socks5,
         "joe",
         {"\x05\x02"s, "\x01\x01"s},
         "\x05\x02\x00\x02"s + "\x01\x03joe\x02pw"s,
         "it refused the user name or password"},
        {"socks5 wants a login",
         ProxyType::Socks5,
         "",
         {"\x05\xFF"s},
         "\x05\x01\x00"s,
         "it asks for a user name and password"},
        {"socks5 server refused",
         ProxyType::Socks5,
         "",
         {"\x05\x00"s, "\x05\x05\x00\x01"s},
         "\x05\x01\x00"s + request,
         "it could not connect: connection refused"},
        {"not socks", ProxyType::Socks5, "", {"HT"s}, "\x05\x01\x00"s, "it does not speak SOCKS5"},
        {"http",
         ProxyType::Http,
         "",
         {"HTTP/1.1 200 Connection established\r\nVia: x\r\n\r\n"},
         "CONNECT irc.example:6667 HTTP/1.1\r\nHost: irc.example:6667\r\n\r\n",
         ""},
        {"http login",
         ProxyType::Http,
         "joe",
         {"HTTP/1.0 407 Proxy Authentication Required\r\n\r\n"},
         "CONNECT irc.example:6667 HTTP/1.1\r\nHost: irc.example:6667\r\n"
         "Proxy-Authorization: Basic am9lOnB3\r\n\r\n",
         "it refused the user name or password"},
        {"http forbidden",
         ProxyType::Http,
         "",
         {"HTTP/1.1 403 Forbidden\r\n\r\n"},
         "CONNECT irc.example:6667 HTTP/1.1\r\nHost: irc.example:6667\r\n\r\n",
         "it answered \"403 Forbidden\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CProxyHandshake handshake({c.type, "proxy", 1080, c.user, "pw"}, "irc.example", 6667);
        std::string sent = handshake.Start();
        // Fed one byte at a time, as a slow proxy would; never more than it wants.
        for (const std::string& answer : c.answers)
            for (char byte : answer) {
                ASSERT_GE(handshake.Wanted(), 1u);
                sent += handshake.Feed(std::string(1, byte));
            }
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(handshake.Failure(), c.failure);
        EXPECT_EQ(handshake.Done(), c.failure.empty());
        EXPECT_EQ(handshake.Wanted(), 0u);
    }
}

}  // namespace
}  // namespace zorl
