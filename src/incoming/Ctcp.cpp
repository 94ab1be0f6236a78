#include "incoming/Ctcp.h"

#include <climits>

#include "common/Format.h"
#include "common/Numbers.h"
#include "common/TimeText.h"
#include "common/Version.h"
#include "config/Settings.h"
#include "incoming/DccOffers.h"
#include "incoming/IncomingContext.h"
#include "platform/Platform.h"
#include "session/IrcMessage.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"

namespace zorl {

struct CCtcp::Request {
    const char* command;  // compared exactly: 'version' is not VERSION
    MessageKind kind;     // how ShowIncoming shows it
    const char* shown;    // template
    void (CCtcp::*answer)(CIrcSocket*, const IrcMessage&);
};

// Tested in this order. DCC is shown by nothing but its dialog.
const CCtcp::Request CCtcp::kRequests[] = {
    {"ACTION", kKindAction, "$c_params", nullptr},
    {"PING", kKindCtcp, "[Request: $c_command]", &CCtcp::AnswerPing},
    {"FINGER", kKindCtcp, "[Request: $c_command]", &CCtcp::AnswerFinger},
    {"VERSION", kKindCtcp, "[Request: $c_command]", &CCtcp::AnswerVersion},
    {"TIME", kKindCtcp, "[Request: $c_command]", &CCtcp::AnswerTime},
    {"SOUND", kKindCtcp, "[Request: $c_command $c_params]", &CCtcp::AnswerSound},
};

std::string IdleText(long long seconds) {
    if (seconds < 0) seconds = 0;
    seconds %= 24 * 60 * 60;
    return Format("%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

CCtcp::CCtcp(const IncomingContext& context)
    : c_(context), offers_(std::make_unique<CDccOffers>(context)) {}

CCtcp::~CCtcp() = default;

void CCtcp::HandleCtcpRequest(CIrcSocket* socket, const IrcMessage& message) {
    const std::string& target = message.Param(0);
    if (message.c_command == "DCC") {
        offers_->Receive(message);
        return;
    }
    for (const Request& request : kRequests) {
        if (message.c_command != request.command) continue;
        c_.output.ShowIncoming(socket, message.nick, target, request.kind,
                               c_.listener.ExpandVariables(message, request.shown));
        if (request.answer && MayAnswer()) (this->*request.answer)(socket, message);
        return;
    }
    c_.output.ShowIncoming(
        socket, message.nick, target, kKindCtcp,
        c_.listener.ExpandVariables(message, "[Request: $c_command $c_params] (unknown command)"));
}

void CCtcp::HandleCtcpReply(CIrcSocket* socket, IrcMessage& message) {
    const std::string& target = message.Param(0);
    if (message.c_command == "ACTION") {
        c_.output.ShowIncoming(socket, message.nick, target, kKindAction,
                               c_.listener.ExpandVariables(message, "$c_params"));
        return;
    }
    long long elapsed = 0;
    if (message.c_command == "PING" && ElapsedSince(message.c_params, elapsed))
        message.c_params = Format("%lld secs", elapsed);
    c_.output.ShowIncoming(socket, message.nick, target, kKindCtcpReply,
                           c_.listener.ExpandVariables(message, "[Reply: $c_command] $c_params"));
}

// The seconds since the time a PING reply carries. False for a number that
// does not fit in 64 bits or lies so far off that the difference would not:
// such a reply is shown as it came.
bool CCtcp::ElapsedSince(const std::string& sentText, long long& elapsed) const {
    const long long sent = AtoiLL(sentText);
    if (sent == LLONG_MIN || sent == LLONG_MAX) return false;
    const long long now = c_.platform.clock.Now();
    return !__builtin_sub_overflow(now, sent, &elapsed);
}

bool CCtcp::MayAnswer() {
    const uint64_t now = c_.platform.clock.TickCount();
    while (!answered_at_.empty() && now - answered_at_.front() >= kReplyWindowMs)
        answered_at_.pop_front();
    if (answered_at_.size() >= kRepliesPerWindow) return false;
    answered_at_.push_back(now);
    return true;
}

void CCtcp::Reply(CIrcSocket* socket, const IrcMessage& message, const std::string& text) {
    c_.Connection().SendLine(socket, c_.listener.ExpandVariables(message, text), false);
}

// The same argument goes back: the asker measures the round trip with it.
void CCtcp::AnswerPing(CIrcSocket* socket, const IrcMessage& message) {
    Reply(socket, message, "NOTICE $nick :$!PING $c_params$!");
}

// The texts are formatted first and expanded afterwards, so "$nick" and
// "$!" of the format are expanded.
void CCtcp::AnswerFinger(CIrcSocket* socket, const IrcMessage& message) {
    const CSettings& s = c_.settings;
    const std::string idle = IdleText(static_cast<long long>(c_.platform.clock.Now()) -
                                      static_cast<long long>(c_.Connection().LastSendTime()));
    if (s.Finger.empty())
        Reply(socket, message,
              Format("NOTICE $nick :$!FINGER %s (%s) Idle %s$!", s.RealName.c_str(),
                     s.Email.c_str(), idle.c_str()));
    else
        Reply(socket, message,
              Format("NOTICE $nick :$!FINGER %s (%s) Idle %s (%s)$!", s.RealName.c_str(),
                     s.Email.c_str(), idle.c_str(), s.Finger.c_str()));
}

void CCtcp::AnswerVersion(CIrcSocket* socket, const IrcMessage& message) {
    Reply(socket, message,
          Format("NOTICE $nick :$!VERSION  %s (%s)  by T.Orvelle$!", kVersionText, kBuildDate));
}

void CCtcp::AnswerTime(CIrcSocket* socket, const IrcMessage& message) {
    const std::string now = FormatLocalTime("%a %d-%b-%Y %X", c_.platform.clock.Now());
    Reply(socket, message, Format("NOTICE $nick :$!TIME %s$!", now.c_str()));
}

void CCtcp::AnswerSound(CIrcSocket* socket, const IrcMessage& message) {
    if (c_.settings.AllowSound != 1) {
        Reply(socket, message, "NOTICE $nick :$!SOUND $me has disabled sound requests$!");
        return;
    }
    if (c_.listener.PlaySoundFile(message.c_params)) return;
    Reply(socket, message, "NOTICE $nick :$!SOUND Error: sound-file not found$!");
}

}  // namespace zorl
