#include "incoming/Dispatcher.h"

#include "common/Numbers.h"
#include "common/Text.h"
#include "incoming/IncomingContext.h"
#include "incoming/NumericReplies.h"
#include "session/Accounts.h"
#include "session/IrcMessage.h"
#include "session/ServerConnection.h"
#include "windows/WindowRegistry.h"

namespace zorl {

namespace {
constexpr bool kExact = false;
constexpr bool kAnyCase = true;
constexpr bool kAlways = false;
constexpr bool kSilenced = true;
}  // namespace

// Tested in this order; the first row whose word matches takes the message.
const CIncomingDispatcher::CommandRow CIncomingDispatcher::kCommands[] = {
    {"NICK", kExact, 1, kAlways, &CIncomingDispatcher::OnNick},
    {"QUIT", kExact, 0, kAlways, &CIncomingDispatcher::OnQuit},
    {"JOIN", kExact, 1, kAlways, &CIncomingDispatcher::OnJoin},
    {"PART", kExact, 1, kAlways, &CIncomingDispatcher::OnPart},
    {"MODE", kAnyCase, 2, kAlways, &CIncomingDispatcher::OnMode},
    {"TOPIC", kAnyCase, 2, kAlways, &CIncomingDispatcher::OnTopic},
    {"INVITE", kAnyCase, 0, kSilenced, &CIncomingDispatcher::OnInvite},
    {"KICK", kExact, 2, kAlways, &CIncomingDispatcher::OnKick},
    {"PRIVMSG", kExact, 1, kSilenced, &CIncomingDispatcher::OnPrivmsg},
    {"NOTICE", kExact, 1, kSilenced, &CIncomingDispatcher::OnNotice},
    {"PING", kExact, 0, kSilenced, &CIncomingDispatcher::OnPing},
    {"ERROR", kExact, 0, kAlways, &CIncomingDispatcher::OnError},
    {"CAP", kExact, 2, kAlways, &CIncomingDispatcher::OnCap},
    {"AUTHENTICATE", kExact, 1, kAlways, &CIncomingDispatcher::OnAuthenticate},
    // What the capabilities we ask for add: taken in without a line.
    {"AWAY", kExact, 0, kAlways, &CIncomingDispatcher::OnAway},
    {"ACCOUNT", kExact, 1, kAlways, &CIncomingDispatcher::OnAccount},
    {"CHGHOST", kExact, 2, kAlways, &CIncomingDispatcher::OnChghost},
    {"SETNAME", kExact, 1, kAlways, &CIncomingDispatcher::OnSetname},
    {"BATCH", kExact, 1, kAlways, &CIncomingDispatcher::OnBatch},
    {"TAGMSG", kExact, 0, kAlways, &CIncomingDispatcher::OnQuiet},
    {"ACK", kExact, 0, kAlways, &CIncomingDispatcher::OnQuiet},  // a labeled command without answer
    {"FAIL", kExact, 3, kAlways, &CIncomingDispatcher::OnStandardReply},
    {"WARN", kExact, 3, kAlways, &CIncomingDispatcher::OnStandardReply},
    {"NOTE", kExact, 3, kAlways, &CIncomingDispatcher::OnStandardReply},
};

void CIncomingDispatcher::DispatchIncoming(CIrcSocket* socket, IrcMessage& message, bool ignored) {
    const Incoming in{socket, message, ignored};
    // account-tag: any line tells the account of its sender.
    if (const std::string* account = message.Tag("account"); account && !message.nick.empty())
        c_.Connection().Accounts().Set(message.nick, *account);
    for (const CommandRow& row : kCommands) {
        bool match =
            row.anyCase ? EqualsNoCase(message.command, row.word) : message.command == row.word;
        if (!match) continue;
        if (ignored && row.silencedIfIgnored) return;
        if (message.params.size() < row.minParams) return;
        (this->*row.handler)(in);
        return;
    }
    // Read like atoi: "001" is 1, "12x" is 12, "000" and "FOO" are 0.
    if (Atoi(message.command) != 0) {
        c_.numerics.HandleNumeric(socket, message);
        return;
    }
    OnUnknown(in);
}

std::vector<CIncomingDispatcher::WindowRef> CIncomingDispatcher::WindowsOf(
    const CIrcSocket* socket, std::optional<WindowType> type) const {
    std::vector<WindowRef> windows;
    for (const ChannelRecord& record : c_.registry.Records()) {
        if (record.socket != socket) continue;
        if (type && record.type != *type) continue;
        windows.push_back({record.frame, record.name});
    }
    return windows;
}

CZorlDoc* CIncomingDispatcher::QuietDoc(const std::string& name, const CIrcSocket* socket) {
    const ChannelRecord* record = c_.registry.FindCR(name, socket);
    return record ? c_.registry.DocOf(record->frame) : nullptr;
}

void CIncomingDispatcher::CloseChannel(const std::string& channel, CIrcSocket* socket) {
    FrameId frame = c_.registry.GetFrmByNameSocket(channel, socket);
    if (frame == 0 || frame == c_.registry.StatusFrameOf(socket)) return;
    c_.registry.DeleteChannel(frame);
}

}  // namespace zorl
