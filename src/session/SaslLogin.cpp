#include "session/SaslLogin.h"

#include <optional>

#include "common/Base64.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/Settings.h"
#include "platform/Crypto.h"
#include "platform/Platform.h"
#include "session/ScramClient.h"
#include "session/ServerConnection.h"

namespace zorl {
namespace {

// 120 bits, 20 characters of Base64: as long as the nonces of RFC 7677.
constexpr std::size_t kNonceBytes = 15;

// "EXTERNAL,PLAIN" names `mechanism`; so does "", which names none.
bool Offers(std::string_view offered, std::string_view mechanism) {
    if (offered.empty()) return true;
    std::string_view rest = offered;
    while (!rest.empty()) {
        const Split item = SplitAt(rest, ",");
        if (EqualsNoCase(item.head, mechanism)) return true;
        rest = item.tail;
    }
    return false;
}

}  // namespace

const char* MechanismName(SaslMechanism mechanism) {
    switch (mechanism) {
        case SaslMechanism::None: return "";
        case SaslMechanism::External: return "EXTERNAL";
        case SaslMechanism::ScramSha256: return "SCRAM-SHA-256";
        case SaslMechanism::Plain: return "PLAIN";
    }
    return "";
}

CSaslLogin::CSaslLogin(const SessionServices& services, CServerConnection& connection)
    : s_(services), connection_(connection) {}
CSaslLogin::~CSaslLogin() = default;

std::string CSaslLogin::PlainResponse(const std::string& account, const std::string& password) {
    return Base64Encode(account + '\0' + account + '\0' + password);
}

SaslMechanism CSaslLogin::Choose(const LoginCredentials& login, std::string_view offered) {
    if (!login.clientCert.empty() && Offers(offered, "EXTERNAL")) return SaslMechanism::External;
    if (login.account.empty()) return SaslMechanism::None;
    // Only a list that names it says the server can do it.
    if (!offered.empty() && Offers(offered, "SCRAM-SHA-256")) return SaslMechanism::ScramSha256;
    if (Offers(offered, "PLAIN")) return SaslMechanism::Plain;
    return SaslMechanism::None;
}

void CSaslLogin::Start(SaslMechanism mechanism, const LoginCredentials& login) {
    mechanism_ = mechanism;
    login_ = login;
    collected_.clear();
    step_ = 0;
    scram_.reset();
    if (mechanism == SaslMechanism::ScramSha256) {
        const std::string nonce = Base64Encode(s_.platform.crypto.RandomBytes(kNonceBytes));
        scram_ = std::make_unique<CScramClient>(s_.platform.crypto, login.account, login.password,
                                                nonce);
    }
    Send(std::string("AUTHENTICATE ") + MechanismName(mechanism));
}

// AUTHENTICATE +                     (the server waits for our first message)
// AUTHENTICATE cj1yT3ByTkdmd0V...    (a SCRAM challenge, in 400-byte pieces)
std::string CSaslLogin::OnAuthenticate(std::string_view payload) {
    // Ended by us: the server's 906 will follow.
    if (mechanism_ == SaslMechanism::None) return {};
    std::string message;
    if (collected_.size() + payload.size() > kMessageLimit)
        return Abort("the server's message is longer than 8 KiB");
    if (!Collect(payload, message)) return {};
    return Answer(message);
}

bool CSaslLogin::Collect(std::string_view piece, std::string& message) {
    if (piece != "+") collected_ += piece;
    if (piece.size() == kChunk) return false;
    message = std::move(collected_);
    collected_.clear();
    return true;
}

std::string CSaslLogin::Answer(const std::string& message) {
    const int step = step_++;
    if (mechanism_ == SaslMechanism::ScramSha256 && step > 0) {
        const std::optional<std::string> decoded = Base64Decode(message);
        if (!decoded) return Abort("the server's message is not Base64");
        if (step == 1) {
            const std::optional<std::string> final = scram_->ClientFinal(*decoded);
            if (!final) return Abort(scram_->Error());
            SendResponse(*final);
            return {};
        }
        if (step == 2) {
            if (!scram_->ServerFinalIsGenuine(*decoded)) return Abort(scram_->Error());
            Send("AUTHENTICATE +");
            return {};
        }
    }
    if (step > 0) return Abort("the server asked for the credentials again");
    switch (mechanism_) {
        case SaslMechanism::External: Send("AUTHENTICATE +"); break;
        case SaslMechanism::ScramSha256: SendResponse(scram_->ClientFirst()); break;
        case SaslMechanism::Plain:
            SendResponse(std::string(login_.account) + '\0' + login_.account + '\0' +
                         login_.password);
            break;
        case SaslMechanism::None: return Abort("no mechanism was chosen");
    }
    return {};
}

void CSaslLogin::SendResponse(const std::string& bytes) {
    const std::string response = Base64Encode(bytes);
    for (std::size_t at = 0; at < response.size(); at += kChunk)
        Send("AUTHENTICATE " + response.substr(at, kChunk));
    // A response that fills its last piece exactly (or is empty) is ended
    // by an empty one.
    if (response.size() % kChunk == 0) Send("AUTHENTICATE +");
}

std::string CSaslLogin::Abort(const std::string& why) {
    Send("AUTHENTICATE *");
    mechanism_ = SaslMechanism::None;
    return why;
}

void CSaslLogin::Send(const std::string& line) {
    connection_.SendLine(connection_.Socket(), line, false);
}

LoginCredentials CredentialsOf(const CSettings& settings) {
    return {settings.SaslAccount, settings.SaslPassword, settings.ClientCert,
            settings.SaslWithoutTls != 0, settings.RequireLogin != 0};
}

}  // namespace zorl
