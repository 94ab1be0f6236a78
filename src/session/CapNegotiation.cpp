#include "session/CapNegotiation.h"

#include <map>

#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/StsPolicies.h"
#include "platform/Platform.h"
#include "session/ServerConnection.h"
#include "session/SessionListener.h"

namespace zorl {
namespace {

// "multi-prefix sasl=PLAIN,EXTERNAL" -> {multi-prefix: "", sasl: "PLAIN,EXTERNAL"}.
std::map<std::string, std::string> CapabilityValues(std::string_view listed) {
    std::map<std::string, std::string> values;
    std::string_view rest = listed;
    while (!rest.empty()) {
        const Split word = SplitWord(rest);
        rest = word.tail;
        if (word.head.empty()) continue;
        const Split pair = SplitAt(word.head, "=");
        values.emplace(ToLower(pair.head), std::string(pair.tail));
    }
    return values;
}

// What we ask for whenever a server offers it: each changes only lines the
// client reads correctly (tags, prefixes, extra JOIN fields) or adds lines
// it takes in quietly (AWAY, ACCOUNT, CHGHOST, SETNAME, BATCH, TAGMSG).
constexpr const char* kWanted[] = {
    "multi-prefix",      "userhost-in-names", "message-tags", "server-time",
    "extended-join",     "cap-notify",        "away-notify",  "account-notify",
    "chghost",           "setname",           "batch",        "standard-replies",
    "invite-notify",     "echo-message",      "account-tag",  "labeled-response",
    "draft/chathistory",
};

// The wanted ones of `offered`, in the order of kWanted.
std::string WantedOf(const std::map<std::string, std::string>& offered) {
    std::string wanted;
    for (const char* name : kWanted) {
        if (!offered.count(name)) continue;
        if (!wanted.empty()) wanted += ' ';
        wanted += name;
    }
    return wanted;
}

// The text of a reply: its last parameter.
std::string TextOf(const IrcMessage& message) {
    return message.params.empty() ? std::string() : message.params.back();
}

}  // namespace

CCapNegotiation::CCapNegotiation(const SessionServices& services, CServerConnection& connection)
    : s_(services), connection_(connection), sasl_(services, connection) {}

void CCapNegotiation::Begin(const LoginCredentials& login, bool overTls, uint64_t now) {
    step_ = Step::Listing;
    login_ = login;
    over_tls_ = overTls;
    deadline_ = now + kTimeLimitMs;
    listed_.clear();
    list_cut_ = false;
    asked_.clear();
    enabled_.clear();
    mechanisms_.clear();
    connection_.SendLine(connection_.Socket(), "CAP LS 302", false);
}

// :irc.example CAP * LS * :multi-prefix     (more lines follow)
// :irc.example CAP * LS :sasl=PLAIN
// :irc.example CAP joe ACK :sasl
bool CCapNegotiation::OnCap(const IrcMessage& message) {
    const std::string& sub = message.Param(1);
    if (EqualsNoCase(sub, "DEL")) {
        OnDel(TextOf(message));
        return true;
    }
    if (EqualsNoCase(sub, "NEW")) {
        OnNew(TextOf(message));
        return true;
    }
    // cap-notify: what a later NEW asked for comes after registration.
    if (step_ == Step::Off && EqualsNoCase(sub, "ACK")) {
        TakeAck(TextOf(message));
        return true;
    }
    if (step_ == Step::Listing && EqualsNoCase(sub, "LS")) {
        TakeListing(message);
    } else if (step_ == Step::Requesting && EqualsNoCase(sub, "ACK")) {
        OnAck(TextOf(message));
    } else if (step_ == Step::Requesting && EqualsNoCase(sub, "NAK")) {
        // One refused capability refuses the whole request: the login
        // is asked for again on its own.
        if (asked_.count("sasl") && asked_.size() > 1) {
            Request("sasl");
            return true;
        }
        if (asked_.count("sasl") && login_.Any())
            LoginFailed("** The server refused SASL; registering without login");
        if (step_ != Step::Off) End();
    } else {
        return step_ != Step::Off;
    }
    return true;
}

void CCapNegotiation::TakeListing(const IrcMessage& message) {
    const bool more = message.params.size() > 3 && message.Param(2) == "*";
    const std::string piece = TextOf(message);
    if (!list_cut_ && listed_.size() + piece.size() + 1 > kListLimit) {
        list_cut_ = true;
        s_.listener.Status(Cls::UError,
                           "** The server's capability list is longer than 64 KiB: the rest is "
                           "ignored");
    }
    if (!list_cut_) listed_ += " " + piece;
    if (!more) OnListed();
}

void CCapNegotiation::OnListed() {
    const std::map<std::string, std::string> offered = CapabilityValues(listed_);
    listed_.clear();
    if (const auto sts = offered.find("sts"); sts != offered.end() && FollowSts(sts->second))
        return;
    std::string wanted = WantedOf(offered);
    if (login_.Any()) {
        const auto sasl = offered.find("sasl");
        if (!over_tls_ && !login_.withoutTls)
            LoginFailed("** SASL login not sent: the connection is not encrypted");
        else if (sasl == offered.end())
            LoginFailed("** The server offers no SASL login; registering without it");
        else if (CSaslLogin::Choose(login_, sasl->second) == SaslMechanism::None)
            LoginFailed("** The server offers no SASL mechanism we can use (" + sasl->second +
                        "); registering without login");
        else {
            mechanisms_ = sasl->second;
            wanted += wanted.empty() ? "sasl" : " sasl";
        }
    }
    if (step_ == Step::Off) return;
    if (wanted.empty())
        End();
    else
        Request(wanted);
}

bool CCapNegotiation::FollowSts(std::string_view value) {
    const StsValue sts = ParseStsValue(value);
    if (over_tls_) {
        if (sts.duration)
            RememberStsPolicy(s_.ini, connection_.LastAddress(), connection_.LastPort(),
                              *sts.duration, s_.platform.clock.Now());
        return false;
    }
    if (!sts.port) return false;
    step_ = Step::Off;
    connection_.ReconnectOverTls(*sts.port);
    return true;
}

void CCapNegotiation::Request(const std::string& capabilities) {
    asked_.clear();
    step_ = Step::Requesting;
    Ask(capabilities);
}

void CCapNegotiation::Ask(const std::string& capabilities) {
    std::string_view rest = capabilities;
    while (!rest.empty()) {
        const Split word = SplitWord(rest);
        asked_.insert(ToLower(word.head));
        rest = word.tail;
    }
    connection_.SendLine(connection_.Socket(), "CAP REQ :" + capabilities, false);
}

// Only what we asked for is taken: a server cannot switch on what we did
// not request.
void CCapNegotiation::OnAck(std::string_view capabilities) {
    TakeAck(capabilities);
    if (enabled_.count("sasl") && login_.Any())
        StartLogin();
    else
        End();
}

void CCapNegotiation::TakeAck(std::string_view capabilities) {
    std::string_view rest = capabilities;
    while (!rest.empty()) {
        const Split word = SplitWord(rest);
        rest = word.tail;
        std::string name = ToLower(word.head);
        const bool off = !name.empty() && name.front() == '-';
        if (off) name.erase(0, 1);
        if (name.empty()) continue;
        if (!asked_.count(name)) {
            s_.listener.Trace("-- The server acknowledged " + name + ", which was not asked for");
            continue;
        }
        if (off)
            enabled_.erase(name);
        else
            enabled_.insert(name);
    }
}

// :irc.example CAP joe NEW :away-notify     (cap-notify, any time)
void CCapNegotiation::OnNew(std::string_view capabilities) {
    std::map<std::string, std::string> offered = CapabilityValues(capabilities);
    for (const std::string& name : enabled_) offered.erase(name);
    const std::string wanted = WantedOf(offered);
    if (!wanted.empty()) Ask(wanted);
}

void CCapNegotiation::OnDel(std::string_view capabilities) {
    std::string_view rest = capabilities;
    bool saslGone = false;
    while (!rest.empty()) {
        const Split word = SplitWord(rest);
        rest = word.tail;
        const std::string name = ToLower(word.head);
        saslGone |= name == "sasl";
        enabled_.erase(name);
    }
    if (saslGone && step_ == Step::Authenticating) {
        LoginFailed("** The server withdrew SASL; registering without login");
        if (step_ != Step::Off) End();
    }
}

void CCapNegotiation::StartLogin() {
    step_ = Step::Authenticating;
    sasl_.Start(CSaslLogin::Choose(login_, mechanisms_), login_);
}

// AUTHENTICATE +      (the server waits for our message)
bool CCapNegotiation::OnAuthenticate(const IrcMessage& message) {
    if (step_ != Step::Authenticating) return false;
    const std::string ended = sasl_.OnAuthenticate(message.Param(0));
    if (ended.empty()) return true;
    LoginFailed("** SASL login failed: " + ended + "; registering without login");
    if (step_ != Step::Off) End();
    return true;
}

// :irc.example 903 joe :SASL authentication successful
// :irc.example 904 joe :SASL authentication failed
void CCapNegotiation::OnLoginReply(int number, const IrcMessage& message) {
    const std::string text = TextOf(message);
    const bool failed = number == 902 || number == 904 || number == 905 || number == 906;
    if (!failed) {
        s_.listener.Status(Cls::Status, text);
        if (step_ == Step::Authenticating) End();
        return;
    }
    if (step_ != Step::Authenticating) {
        s_.listener.Status(number == 906 ? Cls::Status : Cls::UError,
                           number == 906 ? text : "** SASL login failed: " + text);
        return;
    }
    LoginFailed("** SASL login failed: " + text + "; registering without login");
    if (step_ != Step::Off) End();
}

// :irc.example 421 joe CAP :Unknown command
void CCapNegotiation::OnCapUnknown() {
    if (step_ == Step::Off) return;
    step_ = Step::Off;
    if (login_.Any())
        LoginFailed(
            "** The server does not negotiate capabilities; registering without SASL login");
    else
        s_.listener.Trace("-- The server does not negotiate capabilities");
}

void CCapNegotiation::OnWelcome() {
    const bool pending = step_ != Step::Off;
    step_ = Step::Off;
    if (pending && login_.Any() && login_.required)
        LoginFailed("** The server registered us before the login");
}

void CCapNegotiation::OnTick(uint64_t now) {
    if (step_ == Step::Off || now < deadline_) return;
    const bool loginLost = login_.Any() && (step_ != Step::Requesting || asked_.count("sasl"));
    s_.listener.Status(Cls::UError,
                       "** The server did not finish capability negotiation within 30 s; "
                       "registering without it");
    if (loginLost) LoginFailed("** SASL login not completed; registering without login");
    if (step_ != Step::Off) End();
}

void CCapNegotiation::LoginFailed(const std::string& why) {
    if (!login_.required) {
        s_.listener.Status(Cls::UError, why);
        return;
    }
    // The client leaves instead: a line that says registration goes on
    // would contradict the next one.
    const std::size_t goesOn = why.find("; registering without");
    s_.listener.Status(Cls::UError, why.substr(0, goesOn));
    step_ = Step::Off;
    connection_.DropForLogin();
}

void CCapNegotiation::End() {
    step_ = Step::Off;
    connection_.SendLine(connection_.Socket(), "CAP END", false);
}

}  // namespace zorl
