#include "session/ScramClient.h"

#include <utility>

#include "common/Base64.h"
#include "common/Format.h"
#include "common/Numbers.h"
#include "common/TextSplit.h"
#include "platform/Crypto.h"

namespace zorl {
namespace {

constexpr const char* kGs2Header = "n,,";
constexpr std::size_t kKeyLength = 32;

// "=" and "," would end the name early: they travel as "=3D" and "=2C".
std::string SaslName(std::string_view user) {
    std::string out;
    for (char c : user) {
        if (c == '=')
            out += "=3D";
        else if (c == ',')
            out += "=2C";
        else
            out += c;
    }
    return out;
}

// "r=abc,s=c2FsdA==,i=4096" -> the value of `key`, or nothing.
std::optional<std::string_view> Attribute(std::string_view message, char key) {
    std::string_view rest = message;
    while (!rest.empty()) {
        const Split item = SplitAt(rest, ",");
        if (item.head.size() >= 2 && item.head[0] == key && item.head[1] == '=')
            return item.head.substr(2);
        rest = item.tail;
    }
    return std::nullopt;
}

std::string Xor(std::string a, std::string_view b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        a[i] = static_cast<char>(a[i] ^ b[i]);
    return a;
}

}  // namespace

CScramClient::CScramClient(ICrypto& crypto, std::string user, std::string password,
                           std::string nonce)
    : crypto_(crypto),
      user_(std::move(user)),
      password_(std::move(password)),
      nonce_(std::move(nonce)) {}

std::string CScramClient::ClientFirstBare() const {
    return "n=" + SaslName(user_) + ",r=" + nonce_;
}

std::string CScramClient::ClientFirst() const { return kGs2Header + ClientFirstBare(); }

std::optional<std::string> CScramClient::ClientFinal(std::string_view serverFirst) {
    if (serverFirst.substr(0, 2) == "m=") {
        Fail("the server asks for an extension we do not know");
        return std::nullopt;
    }
    const auto nonce = Attribute(serverFirst, 'r');
    const auto salt64 = Attribute(serverFirst, 's');
    const auto count = Attribute(serverFirst, 'i');
    if (!nonce || !salt64 || !count) {
        Fail("the server's challenge is incomplete");
        return std::nullopt;
    }
    // The server's nonce extends ours: anything else is a replay or a mix-up.
    if (nonce->size() <= nonce_.size() || nonce->substr(0, nonce_.size()) != nonce_) {
        Fail("the server's nonce does not extend ours");
        return std::nullopt;
    }
    const std::optional<std::string> salt = Base64Decode(*salt64);
    if (!salt || salt->empty()) {
        Fail("the server's salt is not Base64");
        return std::nullopt;
    }
    const long long iterations = IsAllDigits(*count) ? AtoiLL(*count) : 0;
    if (iterations < 1 || iterations > kMaxIterations) {
        Fail(Format("the server asks for %.20s iterations (1 to %lld are done)",
                    std::string(*count).c_str(), kMaxIterations));
        return std::nullopt;
    }
    const std::string withoutProof = "c=" + Base64Encode(kGs2Header) + ",r=" + std::string(*nonce);
    const std::string authMessage =
        ClientFirstBare() + "," + std::string(serverFirst) + "," + withoutProof;
    const std::string salted =
        crypto_.Pbkdf2Sha256(password_, *salt, static_cast<int>(iterations), kKeyLength);
    const std::string clientKey = crypto_.HmacSha256(salted, "Client Key");
    const std::string storedKey = crypto_.Sha256(clientKey);
    const std::string proof = Xor(clientKey, crypto_.HmacSha256(storedKey, authMessage));
    const std::string serverKey = crypto_.HmacSha256(salted, "Server Key");
    server_signature_ = crypto_.HmacSha256(serverKey, authMessage);
    return withoutProof + ",p=" + Base64Encode(proof);
}

bool CScramClient::ServerFinalIsGenuine(std::string_view serverFinal) {
    if (const auto error = Attribute(serverFinal, 'e'))
        return Fail("the server says: " + std::string(*error));
    const auto verifier = Attribute(serverFinal, 'v');
    const std::optional<std::string> signature = verifier ? Base64Decode(*verifier) : std::nullopt;
    if (server_signature_.empty() || !signature || *signature != server_signature_)
        return Fail("the server's signature is wrong: it does not know the password");
    return true;
}

bool CScramClient::Fail(std::string why) {
    error_ = std::move(why);
    return false;
}

}  // namespace zorl
