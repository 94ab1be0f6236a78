// The AUTHENTICATE exchange of a SASL login, once the server has
// acknowledged the "sasl" capability (session/CapNegotiation.h):
//
//   >> AUTHENTICATE PLAIN
//   << AUTHENTICATE +
//   >> AUTHENTICATE am9lAGpvZQBzZWNyZXQ=
//   << 903 joe :SASL authentication successful     (904/905: failed)
//
// EXTERNAL (the client certificate of the TLS handshake) is used when the
// server's entry names a certificate; else SCRAM-SHA-256 when the server
// offers it; else PLAIN. One mechanism an attempt: a failed SCRAM login is
// not tried again as PLAIN, which would show the password itself. The
// credentials go out once an attempt, however often the server asks.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zorl {

class CServerConnection;
struct CSettings;
struct SessionServices;
class CScramClient;

// What the server's entry holds for the login.
struct LoginCredentials {
    std::string account;
    std::string password;
    std::string clientCert;  // PEM file with certificate and key: EXTERNAL
    bool withoutTls = false;
    bool required = false;  // disconnect when the login fails
    bool Any() const { return !account.empty() || !clientCert.empty(); }
};

// The login the settings of the chosen server hold.
LoginCredentials CredentialsOf(const CSettings& settings);

enum class SaslMechanism { None, External, ScramSha256, Plain };
const char* MechanismName(SaslMechanism mechanism);

class CSaslLogin {
public:
    // Server messages longer than this are refused, not collected.
    static constexpr std::size_t kMessageLimit = 8192;
    // The server takes (and sends) messages in pieces of this many characters.
    static constexpr std::size_t kChunk = 400;

    CSaslLogin(const SessionServices& services, CServerConnection& connection);
    ~CSaslLogin();

    // The mechanism for these credentials among `offered` (the value of the
    // "sasl" capability; empty when the server names none).
    static SaslMechanism Choose(const LoginCredentials& login, std::string_view offered);

    // Sends "AUTHENTICATE <mechanism>".
    void Start(SaslMechanism mechanism, const LoginCredentials& login);
    // One AUTHENTICATE line of the server. "" while the exchange goes on,
    // else why this side ended it (the "AUTHENTICATE *" is already out).
    std::string OnAuthenticate(std::string_view payload);

    // "joe", "joe", "secret" -> the base64 of "joe\0joe\0secret".
    static std::string PlainResponse(const std::string& account, const std::string& password);

private:
    // The server's whole message once its last piece came; "+" is empty.
    bool Collect(std::string_view piece, std::string& message);
    std::string Answer(const std::string& message);
    void SendResponse(const std::string& bytes);
    void Send(const std::string& line);
    std::string Abort(const std::string& why);

    const SessionServices& s_;
    CServerConnection& connection_;
    SaslMechanism mechanism_ = SaslMechanism::None;
    LoginCredentials login_;
    std::unique_ptr<CScramClient> scram_;
    std::string collected_;
    int step_ = 0;  // server messages answered in this attempt
};

}  // namespace zorl
