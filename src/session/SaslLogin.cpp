#include "session/SaslLogin.h"

#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"

namespace zorl {
namespace {

// The server takes the response in pieces of at most this many characters.
constexpr std::size_t kChunk = 400;

std::string Base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (n > 1) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (n > 2) v |= static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += n > 1 ? kDigits[(v >> 6) & 63] : '=';
        out += n > 2 ? kDigits[v & 63] : '=';
    }
    return out;
}

// "multi-prefix sasl=PLAIN,EXTERNAL" offers PLAIN; so does a bare "sasl",
// which names no mechanisms.
bool OffersPlain(std::string_view capabilities) {
    std::string_view rest = capabilities;
    while (!rest.empty()) {
        Split word = SplitWord(rest);
        rest = word.tail;
        Split cap = SplitAt(word.head, "=");
        if (!EqualsNoCase(cap.head, "sasl")) continue;
        if (cap.tail.empty()) return true;
        std::string_view mechanisms = cap.tail;
        while (!mechanisms.empty()) {
            Split mechanism = SplitAt(mechanisms, ",");
            if (EqualsNoCase(mechanism.head, "PLAIN")) return true;
            mechanisms = mechanism.tail;
        }
        return false;
    }
    return false;
}

// The text of a reply: its last parameter.
std::string TextOf(const IrcMessage& message) {
    return message.params.empty() ? std::string() : message.params.back();
}

}  // namespace

std::string CSaslLogin::PlainResponse(const std::string& account, const std::string& password) {
    return Base64(account + '\0' + account + '\0' + password);
}

bool CSaslLogin::Begin(bool overTls) {
    step_ = Step::Off;
    offered_.clear();
    const CSettings& settings = app_.settings;
    if (settings.SaslAccount.empty()) return false;
    if (!overTls && settings.SaslWithoutTls == 0) {
        Report("** SASL login not sent: the connection is not encrypted");
        return false;
    }
    step_ = Step::Listing;
    return true;
}

// :irc.example CAP * LS * :multi-prefix     (more lines follow)
// :irc.example CAP * LS :sasl=PLAIN
// :irc.example CAP joe ACK :sasl
bool CSaslLogin::OnCap(const IrcMessage& message) {
    if (step_ == Step::Off) return false;
    const std::string& sub = message.Param(1);
    if (step_ == Step::Listing && EqualsNoCase(sub, "LS")) {
        const bool more = message.params.size() > 3 && message.Param(2) == "*";
        offered_ += " " + TextOf(message);
        if (more) return true;
        if (OffersPlain(offered_)) {
            step_ = Step::Requesting;
            Send("CAP REQ :sasl");
        } else {
            Report("** The server offers no SASL PLAIN login; registering without it");
            Finish();
        }
    } else if (step_ == Step::Requesting && EqualsNoCase(sub, "ACK")) {
        step_ = Step::Authenticating;
        Send("AUTHENTICATE PLAIN");
    } else if (step_ == Step::Requesting && EqualsNoCase(sub, "NAK")) {
        Report("** The server refused SASL; registering without login");
        Finish();
    }
    return true;
}

// AUTHENTICATE +      (the server waits for the credentials)
bool CSaslLogin::OnAuthenticate(const IrcMessage& message) {
    if (step_ != Step::Authenticating) return false;
    if (message.Param(0) != "+") return true;
    const CSettings& settings = app_.settings;
    const std::string response = PlainResponse(settings.SaslAccount, settings.SaslPassword);
    for (std::size_t at = 0; at < response.size(); at += kChunk)
        Send("AUTHENTICATE " + response.substr(at, kChunk));
    // A response that fills its last piece exactly is ended by an empty one.
    if (response.size() % kChunk == 0) Send("AUTHENTICATE +");
    return true;
}

// :irc.example 903 joe :SASL authentication successful
// :irc.example 904 joe :SASL authentication failed
void CSaslLogin::OnResult(int number, const IrcMessage& message) {
    const std::string text = TextOf(message);
    if (number == 904 || number == 905)
        app_.output.Status(Cls::UError,
                           "** SASL login failed: " + text + "; registering without login");
    else
        app_.output.Status(Cls::Status, text);
    if (step_ != Step::Off) Finish();
}

// :irc.example 421 joe CAP :Unknown command
void CSaslLogin::OnCapUnknown() {
    if (step_ == Step::Off) return;
    step_ = Step::Off;
    Report("** The server does not negotiate capabilities; registering without SASL login");
}

void CSaslLogin::Finish() {
    step_ = Step::Off;
    Send("CAP END");
}

void CSaslLogin::Send(const std::string& line) {
    app_.connection.SendLine(app_.pMainSocket.get(), line, false);
}

void CSaslLogin::Report(const std::string& text) { app_.output.Status(Cls::UError, text); }

}  // namespace zorl
