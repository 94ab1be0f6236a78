// Logging in to an account while registering (SASL PLAIN through capability
// negotiation):
//
//   >> CAP LS 302                 (before NICK and USER)
//   << CAP * LS :multi-prefix sasl=PLAIN,EXTERNAL
//   >> CAP REQ :sasl
//   << CAP * ACK :sasl
//   >> AUTHENTICATE PLAIN
//   << AUTHENTICATE +
//   >> AUTHENTICATE am9lAGpvZQBzZWNyZXQ=
//   << 903 joe :SASL authentication successful     (904/905: failed)
//   >> CAP END
//
// Only when the server's entry names an account; with none, or over plain
// TCP unless the entry allows it, registration is exactly the CAP-less one.
// Whatever goes wrong, CAP END goes out and registration goes on: the server
// decides whether an unauthenticated client may stay.
#pragma once

#include <string>

#include "session/IrcMessage.h"

namespace zorl {

class CZorlApp;

class CSaslLogin {
public:
    explicit CSaslLogin(CZorlApp& app) : app_(app) {}

    // At connect: true when CAP LS must go out before NICK and USER.
    bool Begin(bool overTls);
    // False when no negotiation is going on: the line is not ours.
    bool OnCap(const IrcMessage& message);
    bool OnAuthenticate(const IrcMessage& message);
    // 903-907: the outcome of the login.
    void OnResult(int number, const IrcMessage& message);
    // 421 for CAP: the server does not negotiate; registration goes on.
    void OnCapUnknown();
    // The welcome: whatever was still open is over.
    void OnWelcome() { step_ = Step::Off; }
    bool Negotiating() const { return step_ != Step::Off; }

    // "joe", "joe", "secret" -> the base64 of "joe\0joe\0secret".
    static std::string PlainResponse(const std::string& account, const std::string& password);

private:
    enum class Step { Off, Listing, Requesting, Authenticating };

    void Send(const std::string& line);
    void Finish();
    void Report(const std::string& text);

    CZorlApp& app_;
    Step step_ = Step::Off;
    std::string offered_;  // the capabilities of a listing sent in several lines
};

}  // namespace zorl
