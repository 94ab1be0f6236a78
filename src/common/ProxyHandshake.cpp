#include "common/ProxyHandshake.h"

#include "common/Base64.h"
#include "common/Numbers.h"
#include "common/Text.h"

namespace zorl {

namespace {

constexpr char kSocksVersion = 5;
constexpr char kNoLogin = 0;
constexpr char kUserPassword = 2;
constexpr unsigned char kNoAcceptableMethod = 0xFF;
constexpr char kConnect = 1;
constexpr char kDomainName = 3;
constexpr std::size_t kMaxName = 255;
// A proxy's answer to CONNECT is a status line and a few header lines.
constexpr std::size_t kMaxHttpHeader = 8192;

const char* SocksReplyText(unsigned char reply) {
    switch (reply) {
        case 1: return "general failure";
        case 2: return "not allowed by its rules";
        case 3: return "network unreachable";
        case 4: return "host unreachable";
        case 5: return "connection refused";
        case 6: return "timed out";
        case 7: return "command not supported";
        case 8: return "address type not supported";
        default: return "unknown reply";
    }
}

// "[::1]:6697" for an IPv6 address, "irc.example.net:6697" otherwise.
std::string Authority(const std::string& host, std::uint16_t port) {
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace

ProxyType ProxyTypeNamed(std::string_view name) {
    if (EqualsNoCase(name, "socks5")) return ProxyType::Socks5;
    if (EqualsNoCase(name, "http")) return ProxyType::Http;
    return ProxyType::None;
}

ProxyRoute ProxyOfEntry(std::string_view text) {
    ProxyRoute route;
    const std::size_t type = text.find(':');
    const std::size_t port = text.rfind(':');
    if (type == std::string_view::npos || port <= type + 1) return route;
    std::string_view host = text.substr(type + 1, port - type - 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const std::string_view digits = text.substr(port + 1);
    if (!IsAllDigits(digits) || digits.size() > 5) return route;
    const int number = Atoi(digits);
    route.type = ProxyTypeNamed(text.substr(0, type));
    if (number < 1 || number > 65535 || route.type == ProxyType::None) return {};
    route.host = host;
    route.port = static_cast<std::uint16_t>(number);
    return route;
}

const char* ProxyTypeName(ProxyType type) {
    switch (type) {
        case ProxyType::Socks5: return "socks5";
        case ProxyType::Http: return "http";
        case ProxyType::None: break;
    }
    return "";
}

CProxyHandshake::CProxyHandshake(ProxyRoute route, std::string host, std::uint16_t port)
    : route_(std::move(route)),
      host_(std::move(host)),
      port_(port),
      step_(route_.type == ProxyType::Http ? Step::HttpHeader : Step::Greeting) {
    need_ = step_ == Step::Greeting ? 2 : 1;
}

std::string CProxyHandshake::Start() {
    if (route_.type == ProxyType::Http) {
        std::string request = "CONNECT " + Authority(host_, port_) +
                              " HTTP/1.1\r\nHost: " + Authority(host_, port_) + "\r\n";
        if (!route_.user.empty())
            request += "Proxy-Authorization: Basic " +
                       Base64Encode(route_.user + ":" + route_.password) + "\r\n";
        return request + "\r\n";
    }
    if (host_.size() > kMaxName || host_.empty()) return Fail("the host name is too long");
    if (route_.user.size() > kMaxName || route_.password.size() > kMaxName)
        return Fail("the proxy's user name or password is longer than 255 bytes");
    // Offer the login only when there is one: a proxy may take either.
    if (route_.user.empty()) return {kSocksVersion, 1, kNoLogin};
    return {kSocksVersion, 2, kNoLogin, kUserPassword};
}

std::size_t CProxyHandshake::Wanted() const {
    if (step_ == Step::Done || step_ == Step::Failed) return 0;
    // A header ends with a blank line: read it a byte at a time.
    if (step_ == Step::HttpHeader) return 1;
    return need_ - got_.size();
}

std::string CProxyHandshake::Feed(std::string_view bytes) {
    if (step_ == Step::Done || step_ == Step::Failed) return {};
    return step_ == Step::HttpHeader ? FeedHttp(bytes) : FeedSocks(bytes);
}

std::string CProxyHandshake::Fail(std::string why) {
    step_ = Step::Failed;
    failure_ = std::move(why);
    return {};
}

std::string CProxyHandshake::Request() const {
    std::string request{kSocksVersion, kConnect, 0, kDomainName, static_cast<char>(host_.size())};
    request += host_;
    request += static_cast<char>(port_ >> 8);
    request += static_cast<char>(port_ & 0xFF);
    return request;
}

std::string CProxyHandshake::FeedSocks(std::string_view bytes) {
    got_.append(bytes.substr(0, Wanted()));
    if (Wanted() > 0) return {};
    const std::string got = std::move(got_);
    got_.clear();
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(got[i]); };
    switch (step_) {
        case Step::Greeting:
            if (byte(0) != kSocksVersion) return Fail("it does not speak SOCKS5");
            if (byte(1) == kNoLogin) break;
            if (byte(1) == kUserPassword && !route_.user.empty()) {
                step_ = Step::Login;
                need_ = 2;
                return std::string{1, static_cast<char>(route_.user.size())} + route_.user +
                       static_cast<char>(route_.password.size()) + route_.password;
            }
            return Fail(route_.user.empty() ? "it asks for a user name and password"
                                            : "it takes neither of the logins offered");
        case Step::Login:
            if (byte(1) != 0) return Fail("it refused the user name or password");
            break;
        case Step::ReplyHead:
            if (byte(0) != kSocksVersion) return Fail("it does not speak SOCKS5");
            if (byte(1) != 0)
                return Fail(std::string("it could not connect: ") + SocksReplyText(byte(1)));
            // The address it connected from, skipped: IPv4 or IPv6 and the
            // port, or a name with its length first.
            step_ = byte(3) == kDomainName ? Step::ReplyNameLength : Step::ReplyAddress;
            need_ = byte(3) == 1 ? 4 + 2 : byte(3) == 4 ? 16 + 2 : byte(3) == kDomainName ? 1 : 0;
            if (need_ == 0) return Fail("its answer is not SOCKS5");
            return {};
        case Step::ReplyNameLength:
            step_ = Step::ReplyAddress;
            need_ = byte(0) + 2u;
            return {};
        case Step::ReplyAddress: step_ = Step::Done; return {};
        default: return {};
    }
    step_ = Step::ReplyHead;
    need_ = 4;
    return Request();
}

std::string CProxyHandshake::FeedHttp(std::string_view bytes) {
    got_.append(bytes.substr(0, 1));
    if (got_.size() > kMaxHttpHeader) return Fail("its answer to CONNECT is too long");
    if (!got_.ends_with("\r\n\r\n")) return {};
    const std::string status = got_.substr(0, got_.find("\r\n"));
    // "HTTP/1.1 200 Connection established"
    const std::size_t code = status.find(' ');
    if (!status.starts_with("HTTP/") || code == std::string::npos)
        return Fail("its answer is not HTTP");
    const std::string_view number = std::string_view(status).substr(code + 1, 3);
    if (number == "200") {
        step_ = Step::Done;
        return {};
    }
    if (number == "407")
        return Fail(route_.user.empty() ? "it asks for a user name and password"
                                        : "it refused the user name or password");
    return Fail("it answered \"" + status.substr(code + 1) + "\"");
}

}  // namespace zorl
