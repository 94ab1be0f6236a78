// Capability negotiation while registering (IRCv3 CAP 302):
//
//   >> CAP LS 302                 (before NICK and USER, on every connection)
//   << CAP * LS * :multi-prefix sts=duration=86400
//   << CAP * LS :sasl=PLAIN,EXTERNAL,SCRAM-SHA-256
//   >> CAP REQ :multi-prefix sasl (what we use of what is offered)
//   << CAP joe ACK :sasl
//      ... the AUTHENTICATE exchange (session/SaslLogin.h) ...
//   << 903 joe :SASL authentication successful
//   >> CAP END
//
// A server that does not negotiate answers 421 or simply registers us. The
// server decides whether a client without a login may stay, unless the
// server's entry requires the login: then a failed login disconnects.
// Whatever the server does, negotiation ends within kTimeLimitMs with CAP
// END, and what it lists is bounded, so it can neither hold registration
// nor fill memory.
//
// "sts" (strict transport security): on a plain connection its port makes
// the connection go over TLS there; on a TLS connection its duration is
// remembered for the host (config/StsPolicies.h).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "session/IrcMessage.h"
#include "session/SaslLogin.h"

namespace zorl {

class CServerConnection;
struct SessionServices;

class CCapNegotiation {
public:
    static constexpr uint64_t kTimeLimitMs = 30000;
    static constexpr std::size_t kListLimit = 64 * 1024;

    CCapNegotiation(const SessionServices& services, CServerConnection& connection);

    // At connect, before NICK and USER: CAP LS 302 goes out.
    void Begin(const LoginCredentials& login, bool overTls, uint64_t now);
    // False when the line is not part of a negotiation: it is shown as it is.
    bool OnCap(const IrcMessage& message);
    bool OnAuthenticate(const IrcMessage& message);
    // 902-907: how the login ended.
    void OnLoginReply(int number, const IrcMessage& message);
    // 421 (or 451) for CAP: the server does not negotiate.
    void OnCapUnknown();
    // The welcome: whatever was still open is over.
    void OnWelcome();
    void OnTick(uint64_t now);
    bool Negotiating() const { return step_ != Step::Off; }
    // The capabilities the server acknowledged in this session.
    const std::set<std::string>& Enabled() const { return enabled_; }
    bool Has(const std::string& capability) const { return enabled_.count(capability) != 0; }

private:
    enum class Step { Off, Listing, Requesting, Authenticating };

    void TakeListing(const IrcMessage& message);
    void OnListed();
    // True when the policy moved the connection elsewhere.
    bool FollowSts(std::string_view value);
    // A new request: what was asked before no longer counts.
    void Request(const std::string& capabilities);
    // CAP REQ, and what it asks for remembered (also after registration).
    void Ask(const std::string& capabilities);
    void OnAck(std::string_view capabilities);
    // Records what the server acknowledged of what we asked for.
    void TakeAck(std::string_view capabilities);
    void OnNew(std::string_view capabilities);
    void OnDel(std::string_view capabilities);
    void StartLogin();
    // The login did not happen: one line, then CAP END, or the disconnect
    // when the entry requires the login (then the line loses its
    // "; registering without ..." end).
    void LoginFailed(const std::string& why);
    void End();

    const SessionServices& s_;
    CServerConnection& connection_;
    CSaslLogin sasl_;
    Step step_ = Step::Off;
    LoginCredentials login_;
    bool over_tls_ = false;
    uint64_t deadline_ = 0;
    std::string listed_;  // the capabilities of a listing sent in several lines
    bool list_cut_ = false;
    std::set<std::string> asked_;
    std::set<std::string> enabled_;
    std::string mechanisms_;  // the value of "sasl"
};

}  // namespace zorl
