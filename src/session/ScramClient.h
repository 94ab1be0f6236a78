// The client side of SCRAM-SHA-256 (RFC 5802, RFC 7677), without channel
// binding:
//
//   client-first  n,,n=user,r=rOprNGfwEbeRWgbNEkqO
//   server-first
//   r=rOprNGfwEbeRWgbNEkqO%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0,s=W22ZaJ0SNY7soEsUEjb6gQ==,i=4096
//   client-final
//   c=biws,r=rOprNGfwEbeRWgbNEkqO%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0,p=dHzbZapWIk4jUhN+Ute9ytag9zjfMHgsqmmiz7AndVQ=
//   server-final  v=6rriTRBi23WpRR/wtup+mMhUZUn/dB5nLTJRsjl95G4=
//
// The server proves in its final message that it knows the password too; a
// wrong proof means it is not the server the account belongs to.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorl {

class ICrypto;

class CScramClient {
public:
    // More iterations than this would hold the one thread for seconds: a
    // hostile server could freeze the client with one number.
    static constexpr long long kMaxIterations = 100000;

    // `nonce`: printable, without ","; made from the secure random source.
    CScramClient(ICrypto& crypto, std::string user, std::string password, std::string nonce);

    std::string ClientFirst() const;
    // The client-final message, or nothing (and Error()) when the server's
    // first message is not one we can answer.
    std::optional<std::string> ClientFinal(std::string_view serverFirst);
    // True when the server-final message carries the server's signature.
    bool ServerFinalIsGenuine(std::string_view serverFinal);
    const std::string& Error() const { return error_; }

private:
    std::string ClientFirstBare() const;
    bool Fail(std::string why);

    ICrypto& crypto_;
    std::string user_;
    std::string password_;
    std::string nonce_;
    std::string server_signature_;
    std::string error_;
};

}  // namespace zorl
