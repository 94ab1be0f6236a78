// The first bytes of a connection through a proxy: SOCKS5 (RFC 1928, with
// the user name and password of RFC 1929) or HTTP CONNECT. The proxy is given
// the host name, not an address, so that it resolves the name itself: the
// name never reaches the local resolver, and a Tor proxy can reach .onion.
//
// The handshake reads no byte beyond the proxy's answer (Wanted() says how
// many it may take), so what the server sends first stays in the socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorl {

enum class ProxyType : std::uint8_t { None, Socks5, Http };

struct ProxyRoute {
    ProxyType type = ProxyType::None;
    std::string host;
    std::uint16_t port = 0;
    std::string user;  // empty: no login
    std::string password;

    bool operator==(const ProxyRoute&) const = default;
};

// "socks5" or "http" (any case); anything else is no proxy.
ProxyType ProxyTypeNamed(std::string_view name);
const char* ProxyTypeName(ProxyType type);

// A proxy written as one word, "socks5:127.0.0.1:9050" or "http:[::1]:3128",
// without a login; ProxyType::None for anything else.
ProxyRoute ProxyOfEntry(std::string_view text);

class CProxyHandshake {
public:
    CProxyHandshake(ProxyRoute route, std::string host, std::uint16_t port);

    // What to send once the connection to the proxy is up.
    std::string Start();
    // How many bytes may be read for the next step (at least 1 until done).
    std::size_t Wanted() const;
    // Takes what was read; returns what to send next (often nothing).
    std::string Feed(std::string_view bytes);

    bool Done() const { return step_ == Step::Done; }
    // Why the proxy did not open the way, in words; "" while it may yet.
    const std::string& Failure() const { return failure_; }

private:
    enum class Step : std::uint8_t {
        Greeting,         // SOCKS5: the method it chose
        Login,            // SOCKS5: the verdict on user and password
        ReplyHead,        // SOCKS5: version, reply, reserved, address type
        ReplyNameLength,  // SOCKS5: the length of the bound name
        ReplyAddress,     // SOCKS5: the bound address and port, skipped
        HttpHeader,       // HTTP: the status line and header, up to a blank line
        Done,
        Failed,
    };

    std::string Request() const;
    std::string Fail(std::string why);
    std::string FeedSocks(std::string_view bytes);
    std::string FeedHttp(std::string_view bytes);

    ProxyRoute route_;
    std::string host_;
    std::uint16_t port_;
    Step step_;
    std::string got_;  // the bytes of the step in hand
    std::size_t need_ = 0;
    std::string failure_;
};

}  // namespace zorl
