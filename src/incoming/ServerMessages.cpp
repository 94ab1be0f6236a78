// PRIVMSG, NOTICE, PING, ERROR and commands the client does not know.
#include "common/Text.h"
#include "config/Settings.h"
#include "incoming/Ctcp.h"
#include "incoming/Dispatcher.h"
#include "incoming/IncomingContext.h"
#include "incoming/IncomingText.h"
#include "session/Batches.h"
#include "session/CapNegotiation.h"
#include "session/Labels.h"
#include "session/SeenLines.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {

// :alice!a@host PRIVMSG #a :hello
// :alice!a@host PRIVMSG me :\x01VERSION\x01   (CTCP request)
// The output layer picks the window; a query window that does not know its
// peer's address yet learns it from here.
void CIncomingDispatcher::OnPrivmsg(const Incoming& in) {
    const IrcMessage& m = in.message;
    if (!NoteSeen(m)) return;
    if (IsOwnEcho(m)) {
        ShowOwnEcho(in, m.c_command.empty() ? kKindMessage : kKindAction);
        return;
    }
    if (!m.c_command.empty()) {
        c_.ctcp.HandleCtcpRequest(in.socket, m);
        return;
    }
    ShowAddressed(in, kKindMessage);
    if (m.sender.empty() || m.nick.empty()) return;
    const ChannelRecord* record = c_.registry.FindCR(ToLower(m.nick), in.socket);
    if (record && record->sender.empty())
        c_.registry.UpdateCR(record->frame, m.sender, kUpdateSender);
}

// :alice!a@host NOTICE me :text
// :alice!a@host NOTICE me :\x01PING 123\x01   (CTCP reply)
void CIncomingDispatcher::OnNotice(const Incoming& in) {
    const IrcMessage& m = in.message;
    if (!NoteSeen(m)) return;
    if (IsOwnEcho(m)) {
        ShowOwnEcho(in, kKindNotice);
        return;
    }
    if (!m.c_command.empty()) {
        c_.ctcp.HandleCtcpReply(in.socket, in.message);
        return;
    }
    ShowAddressed(in, kKindNotice);
}

// A line with a msgid or a server time is remembered for its window; one of
// a history batch that was seen already is not shown again (false).
bool CIncomingDispatcher::NoteSeen(const IrcMessage& message) {
    const std::string* id = message.Tag("msgid");
    const std::string* time = message.Tag("time");
    if (!id && !time) return true;
    CServerConnection& network = c_.Connection();
    // A private line belongs to the peer's window, whichever way it went.
    const std::string& target = message.params[0];
    const bool toChannel = network.Support().IsChannel(target);
    const std::string window = toChannel || network.Support().SameName(message.nick, network.Nick())
                                   ? target
                                   : message.nick;
    const std::string key = id ? *id : *time + "\n" + message.nick + "\n" + message.params.back();
    const bool fresh = network.Seen().Note(window, key, time ? *time : std::string());
    const Batch* batch = network.Batches().Of(message);
    return fresh || !batch || !batch->IsHistory();
}

bool CIncomingDispatcher::IsOwnEcho(const IrcMessage& message) const {
    const CServerConnection& network = c_.Connection();
    return (message.command == "PRIVMSG" || message.command == "NOTICE") &&
           network.Caps().Has("echo-message") && !message.nick.empty() &&
           network.Support().SameName(message.nick, network.Nick());
}

// Where the user's line would have been echoed: the target's window when it
// is open, else the status window. A CTCP other than ACTION was echoed when
// it was sent.
void CIncomingDispatcher::ShowOwnEcho(const Incoming& in, MessageKind kind) {
    const IrcMessage& m = in.message;
    if (kind == kKindAction && m.c_command != "ACTION") return;
    const std::string& target = m.params[0];
    const std::string window = c_.registry.FindCR(target, in.socket) ? target : "";
    std::string text = c_.listener.ExpandVariables(m, kind == kKindAction ? "$c_params" : "$2-");
    c_.output.ShowOwn(in.socket, window, target, kind, text);
}

// A message to some members of a channel (STATUSMSG: "PRIVMSG @#c :text")
// is shown in the channel's window, marked with the members it was for.
void CIncomingDispatcher::ShowAddressed(const Incoming& in, MessageKind kind) {
    const IrcMessage& m = in.message;
    const std::string& target = m.params[0];
    std::string text = c_.listener.ExpandVariables(m, "$2-");
    const CServerSupport& support = c_.Connection().Support();
    if (target.size() > 1 && support.StatusPrefixes().find(target[0]) != std::string::npos) {
        const std::string channel = target.substr(1);
        if (support.IsChannel(channel) && c_.registry.FindCR(channel, in.socket)) {
            c_.output.ShowIncoming(in.socket, m.nick, channel, kind,
                                   "(" + target.substr(0, 1) + ") " + text);
            return;
        }
    }
    c_.output.ShowIncoming(in.socket, m.nick, target, kind, text);
}

// PING :irc.example.net   ->   PONG irc.example.net
void CIncomingDispatcher::OnPing(const Incoming& in) {
    if (c_.settings.NoPing == 0) c_.output.Print(nullptr, "", Cls::Info, "PING? PONG!");
    c_.Connection().SendLine(in.socket, c_.listener.ExpandVariables(in.message, "PONG $1-"), false);
}

// ERROR :Closing link (bye)
// Followed by a line holding one blank, which sets it apart.
void CIncomingDispatcher::OnError(const Incoming& in) {
    ShowExpanded(c_, nullptr, "", Cls::Info, in.message, "$1-$nl ");
    if (!in.message.params.empty()) c_.Connection().OnServerError(in.message.params.back());
}

// :irc BATCH +1 netsplit irc.a irc.b     ...     :irc BATCH -1
// A netsplit's quits and a netjoin's joins were gathered while it was open:
// each window they concern gets one line of them now.
void CIncomingDispatcher::OnBatch(const Incoming& in) {
    const IrcMessage& m = in.message;
    const std::string& reference = m.params[0];
    if (reference.size() < 2) return;
    CBatches& batches = c_.Connection().Batches();
    const std::string id = reference.substr(1);
    if (reference[0] == '+') {
        if (m.params.size() < 2) return;
        const std::string* label = m.Tag("label");
        batches.Open(id, m.params[1], {m.params.begin() + 2, m.params.end()},
                     label ? *label : std::string());
        return;
    }
    if (reference[0] != '-') return;
    const std::optional<Batch> batch = batches.Close(id);
    if (batch && !batch->label.empty()) c_.Connection().Labels().Forget(batch->label);
    if (!batch || !batch->Gathers()) return;
    const std::string servers =
        batch->params.size() >= 2 ? " " + batch->params[0] + " <-> " + batch->params[1] : "";
    const char* what = batch->type == "netsplit" ? "*** Netsplit" : "*** Netjoin";
    for (const auto& [window, nicks] : batch->nicks) {
        std::string line = what + servers + ":";
        for (std::size_t i = 0; i < nicks.size(); ++i) line += (i ? ", " : " ") + nicks[i];
        c_.output.Print(in.socket, window, Cls::Info, line);
    }
}

Batch* CIncomingDispatcher::GatheringBatch(const IrcMessage& message, const char* type) const {
    Batch* batch = c_.Connection().Batches().Of(message);
    return batch && batch->type == type ? batch : nullptr;
}

// :irc.example CAP * LS :multi-prefix sasl
void CIncomingDispatcher::OnCap(const Incoming& in) {
    if (!c_.Connection().Caps().OnCap(in.message)) OnUnknown(in);
}

// AUTHENTICATE +
void CIncomingDispatcher::OnAuthenticate(const Incoming& in) {
    if (!c_.Connection().Caps().OnAuthenticate(in.message)) OnUnknown(in);
}

// :server FOO a b   ->   "FOO a b"
// :irc FAIL JOIN CHANNEL_FULL #c :Cannot join, the channel is full
//   ->  "** JOIN failed: Cannot join, the channel is full"
// WARN and NOTE say how a command went without failing it.
void CIncomingDispatcher::OnStandardReply(const Incoming& in) {
    const IrcMessage& m = in.message;
    const std::string& text = m.params.back();
    if (m.command == "FAIL")
        c_.output.Print(nullptr, "", Cls::UError, "** " + m.params[0] + " failed: " + text);
    else if (m.command == "WARN")
        c_.output.Print(nullptr, "", Cls::UError, "** " + m.params[0] + ": " + text);
    else
        c_.output.Print(nullptr, "", Cls::Status, m.params[0] + ": " + text);
}

void CIncomingDispatcher::OnUnknown(const Incoming& in) {
    ShowExpanded(c_, nullptr, "", Cls::Status, in.message, "$command $1-");
}

}  // namespace zorl
