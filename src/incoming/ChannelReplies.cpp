// Replies about channels: the channel list window, modes, topic, names.
// A reply naming a channel without a window on this connection still runs
// its registry step, which then reports that it found no window.
#include "common/FormatCodes.h"
#include "common/Numbers.h"
#include "common/TextSplit.h"
#include "config/Settings.h"
#include "incoming/IncomingContext.h"
#include "incoming/IncomingText.h"
#include "incoming/NumericReplies.h"
#include "platform/Platform.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {

namespace {
// The private window LIST fills; no socket, not logged.
constexpr const char* kListWindow = "~list";
}  // namespace

// :irc.example.net 321 me Channel :Users  Name
// Every LIST re-titles the window; rows of a second LIST follow the first.
void CNumericReplies::ListStart(CIrcSocket* socket, const IrcMessage&) {
    if (c_.settings.ChannelBrowser) {
        const std::string& network = c_.Connection().Support().Network();
        c_.platform.surface.ChannelListStart(
            c_.registry.StatusFrameOf(socket),
            network.empty() ? c_.Connection().Server().m_server_name : network);
        return;
    }
    if (ChannelRecord* record = c_.registry.NewWindow(kListWindow, kWindowDefault, nullptr, true))
        c_.registry.UpdateCR(record->frame, "Channels", kUpdateTitle);
}

// :irc.example.net 322 me #a 12 :the topic   ->   "#a" padded to 20, " 12 the topic"
void CNumericReplies::ListEntry(CIrcSocket* socket, const IrcMessage& message) {
    if (c_.settings.ChannelBrowser) {
        if (message.params.size() < 3) return;
        c_.platform.surface.ChannelListRow(
            c_.registry.StatusFrameOf(socket), message.params[1], Atoi(message.params[2]),
            message.params.size() > 3 ? VisibleText(message.params[3]) : std::string());
        return;
    }
    c_.registry.NewWindow(kListWindow, kWindowDefault, nullptr, true);
    std::string channel = c_.listener.ExpandVariables(message, "$2");
    std::string rest = c_.listener.ExpandVariables(message, "$3-");
    c_.output.PrintF(socket, kListWindow, Cls::Status, "%-20s %s", channel.c_str(), rest.c_str());
}

// :irc.example.net 323 me :End of LIST
void CNumericReplies::ListEnd(CIrcSocket* socket, const IrcMessage&) {
    if (c_.settings.ChannelBrowser)
        c_.platform.surface.ChannelListEnd(c_.registry.StatusFrameOf(socket));
}

// "#a                   12 the topic" joins #a, as if typed in the status
// window.
bool CNumericReplies::JoinListedChannel(FrameId frame, const std::string& row) {
    const ChannelRecord* record = c_.registry.FindByFrame(frame);
    if (!record || record->name != kListWindow) return false;
    const std::string channel(SplitWord(row).head);
    if (channel.empty() || std::string_view("#&+!").find(channel[0]) == std::string_view::npos)
        return true;
    c_.listener.SendString(c_.registry.StatusFrameOf(record->socket), "/join " + channel);
    return true;
}

namespace {

// "+lk 50 secret" -> "secret": the parameters follow the letters in order,
// and only k and l of a 324 reply take one.
std::string KeyOf(const IrcMessage& message) {
    std::size_t param = 3;
    for (char letter : message.params[2]) {
        if (letter != 'k' && letter != 'l') continue;
        if (param >= message.params.size()) break;
        if (letter == 'k') return message.params[param];
        ++param;
    }
    return "";
}

}  // namespace

// :irc.example.net 324 me #a +ntl 50
void CNumericReplies::ChannelModes(CIrcSocket* socket, const IrcMessage& message) {
    c_.registry.UpdateCR(c_.registry.GetFrmByNameSocket(message.params[1], socket),
                         message.params[2], kUpdateFlags);
    if (ChannelRecord* record = c_.registry.FindCR(message.params[1], socket))
        record->key = KeyOf(message);
}

void CNumericReplies::RejoinKeptChannels(CIrcSocket* socket) {
    for (const ChannelRecord& record : c_.registry.Records()) {
        if (record.socket != socket || !record.rejoin) continue;
        c_.Connection().SendLine(
            socket,
            record.key.empty() ? "JOIN " + record.name : "JOIN " + record.name + " " + record.key,
            false);
    }
}

// :irc.example.net 329 me #a 1700000000
void CNumericReplies::ChannelCreated(CIrcSocket*, const IrcMessage& message) {
    c_.output.Print(
        nullptr, "", Cls::Status,
        ExpandFollowedBy(c_, message, "$2 created on ", TimeText(Atol(message.params[2]))));
}

// :irc.example.net 332 me #a :the topic
void CNumericReplies::Topic(CIrcSocket* socket, const IrcMessage& message) {
    ShowExpanded(c_, socket, message.params[1], Cls::Info, message, "Topic is '$3'");
    c_.registry.UpdateCR(c_.registry.GetFrmByNameSocket(message.params[1], socket),
                         message.params[2], kUpdateTopic);
}

// :irc.example.net 333 me #a alice!a@host 1700000000
// :irc.example.net 333 me #a :alice 1700000000   (setter and time in one)
void CNumericReplies::TopicSetter(CIrcSocket* socket, const IrcMessage& message) {
    std::string setter;
    std::string time;
    if (message.params.size() == 4) {
        setter = message.params[2];
        time = message.params[3];
    } else {
        Split parts = SplitWord(message.params[2]);
        setter = parts.head;
        time = parts.tail;
    }
    c_.output.PrintF(socket, message.params[1], Cls::Info, "Set by %s at %s", setter.c_str(),
                     TimeText(Atol(time)).c_str());
}

// :irc.example.net 353 me = #a :@alice +bob carol
// Fills the nick list only until the channel's 366 has come: a NAMES typed
// later is shown, not added a second time.
void CNumericReplies::Names(CIrcSocket* socket, const IrcMessage& message) {
    if (message.params.size() < 4) return;
    const std::string& channel = message.params[2];
    if (channel.empty()) return;  // the empty name is the status window's
    CZorlDoc* doc = c_.registry.GetDocByNameSocket(channel, socket);
    const ChannelRecord* record = c_.registry.FindCR(channel, socket);
    if (!doc || !record || record->joined) return;
    const CServerSupport& support = c_.Connection().Support();
    ForEachWord(message.params[3], [&](std::string_view entry) {
        int bits = 0;
        const std::string_view nick = support.StripPrefixes(entry, bits);
        // userhost-in-names: "nick!user@host"
        doc->NickUpdate(kNickAdd, std::string(nick.substr(0, nick.find('!'))), bits);
    });
}

// :irc.example.net 366 me #a :End of NAMES list
void CNumericReplies::NamesEnd(CIrcSocket* socket, const IrcMessage& message) {
    c_.registry.UpdateCR(c_.registry.GetFrmByNameSocket(message.params[1], socket), "1",
                         kUpdateJoined);
}

}  // namespace zorl
