// NICK, QUIT, JOIN, PART, MODE, TOPIC, INVITE and KICK: the messages that
// change who is where. Templates number parameters from 1 ($1 is params[0]).
#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/Settings.h"
#include "incoming/Dispatcher.h"
#include "incoming/IncomingContext.h"
#include "incoming/IncomingText.h"
#include "incoming/ModeChanges.h"
#include "incoming/NumericReplies.h"
#include "session/Accounts.h"
#include "session/Batches.h"
#include "session/CapNegotiation.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {
namespace {

// Comings and goings read quieter than what people say in the conversation
// view (new folders): the class of status lines.
Cls Coming(const IncomingContext& c) {
    return c.settings.ConversationView ? Cls::Status : Cls::Info;
}

}  // namespace

// :alice!a@host NICK :alicia
// NOTE: the old entry is removed before the new one is added, so a change of
// letter case only ("alice" -> "Alice") keeps the nick in the list.
void CIncomingDispatcher::OnNick(const Incoming& in) {
    const IrcMessage& m = in.message;
    const std::string& oldNick = m.nick;
    const std::string& newNick = m.params[0];
    // Without both nicks there is nothing to rename, and the empty name
    // would address the status window.
    if (oldNick.empty() || newNick.empty()) return;

    c_.Connection().Accounts().Rename(oldNick, newNick);
    if (oldNick == c_.Connection().Nick()) {
        c_.Connection().SetOwnNick(newNick);
        c_.output.PrintF(nullptr, "", Cls::Info, "Your nick is changed to %s", newNick.c_str());
    }

    std::string line;
    for (const WindowRef& window : WindowsOf(in.socket, kWindowChannel)) {
        CZorlDoc* doc = c_.registry.DocOf(window.frame);
        if (!doc) continue;
        int bits = doc->NickFlags(oldNick);
        if (bits == kNickAbsent) continue;
        doc->NickUpdate(kNickRemove, oldNick, 0);
        doc->NickUpdate(kNickAdd, newNick, 0);
        doc->NickUpdate(kNickSet, newNick, bits);
        if (line.empty()) line = c_.listener.ExpandVariables(m, "$nick is now known as $1");
        c_.output.Print(in.socket, window.name, Coming(c_), line);
    }

    // A query window follows its peer (or the user) to the new nick, unless
    // another window already has that name. Only a query: a server may name
    // a "nick" after a channel, whose window is not the peer's.
    const ChannelRecord* record = c_.registry.FindCR(oldNick, in.socket);
    if (!record || record->type != kWindowQuery) return;
    const FrameId query = record->frame;
    FrameId holder = c_.registry.GetFrmByNameSocket(newNick, in.socket);
    if (holder == 0 || holder == query) c_.registry.UpdateCR(query, newNick, kUpdateName);
}

// :alice!a@host QUIT :bye
// Shown in every window whose nick list holds the nick, and nowhere else.
void CIncomingDispatcher::OnQuit(const Incoming& in) {
    const IrcMessage& m = in.message;
    if (m.nick.empty()) return;
    c_.Connection().Accounts().Forget(m.nick);
    Batch* split = GatheringBatch(m, "netsplit");
    std::string line;
    for (const WindowRef& window : WindowsOf(in.socket, std::nullopt)) {
        CZorlDoc* doc = c_.registry.DocOf(window.frame);
        if (!doc || doc->NickFlags(m.nick) == kNickAbsent) continue;
        doc->NickUpdate(kNickRemove, m.nick, 0);
        if (split) {
            split->Gather(window.name, m.nick);
            continue;
        }
        if (line.empty())
            line = c_.listener.ExpandVariables(
                m, m.params.empty() ? "$nick has quit channel" : "$nick has quit channel ($1)");
        c_.output.Print(in.socket, window.name, Coming(c_), line);
    }
}

// :bob!b@host AWAY :lunch      (away-notify; "AWAY" alone: back again)
// Marks the nick in every channel list it is in; the list greys it.
void CIncomingDispatcher::OnAway(const Incoming& in) {
    const IrcMessage& m = in.message;
    const bool away = !m.params.empty() && !m.params[0].empty();
    for (const WindowRef& window : WindowsOf(in.socket, kWindowChannel)) {
        CZorlDoc* doc = c_.registry.DocOf(window.frame);
        if (!doc || doc->NickFlags(m.nick) == kNickAbsent) continue;
        doc->NickUpdate(away ? kNickSet : kNickClear, m.nick, kNickAway);
    }
}

// :bob!b@old.host CHGHOST newuser new.host   (chghost)
// A query window with bob shows his address in its caption: the new one.
void CIncomingDispatcher::OnChghost(const Incoming& in) {
    const IrcMessage& m = in.message;
    const ChannelRecord* record = c_.registry.FindCR(m.nick, in.socket);
    if (record && record->type == kWindowQuery)
        c_.registry.UpdateCR(record->frame, m.params[0] + "@" + m.params[1], kUpdateSender);
}

// :bob!b@host SETNAME :Robert B.   (setname)
void CIncomingDispatcher::OnSetname(const Incoming& in) {
    c_.Connection().Accounts().SetRealName(in.message.nick, in.message.params[0]);
}

// :bob!b@host ACCOUNT bobby   (account-notify; "*": logged out)
void CIncomingDispatcher::OnAccount(const Incoming& in) {
    c_.Connection().Accounts().Set(in.message.nick, in.message.params[0]);
}

// :alice!a@host JOIN :#a,#b
// A channel whose window is open on this connection, with the user in it, is
// somebody else's join; a channel without one, or with a window kept after
// the user left, is the user's own, whoever the nick is.
void CIncomingDispatcher::OnJoin(const Incoming& in) {
    const IrcMessage& m = in.message;
    CServerConnection& network = c_.Connection();
    // extended-join: ":alice!a@host JOIN #a account :Real Name".
    if (m.params.size() >= 3 && network.Caps().Has("extended-join")) {
        network.Accounts().Set(m.nick, m.params[1]);
        network.Accounts().SetRealName(m.nick, m.params[2]);
    }
    ForEachChannel(m.params[0], [&](const std::string& channel) {
        ChannelRecord* kept = c_.registry.FindCR(channel, in.socket);
        if (kept && kept->presence != Presence::Out) {
            if (Batch* netjoin = GatheringBatch(m, "netjoin"); netjoin && !m.nick.empty())
                netjoin->Gather(channel, m.nick);
            else
                c_.output.Print(
                    in.socket, channel, Coming(c_),
                    ExpandFollowedBy(c_, m, "$nick ($sender) has joined channel ", channel));
            if (m.nick.empty()) return;
            if (CZorlDoc* doc = c_.registry.GetDocByNameSocket(channel, in.socket))
                doc->NickUpdate(kNickAdd, m.nick, 0);
            return;
        }
        if (kept) {
            c_.registry.MarkRejoined(*kept);
        } else if (ChannelRecord* record =
                       c_.registry.NewWindow(channel, kWindowChannel, in.socket, true)) {
            if (CZorlDoc* doc = c_.registry.DocOf(record->frame))
                doc->NickUpdate(kNickClearAll, "", 0);
        }
        // The 324 answer fills the window's mode flags; WHOX, where the
        // server has it, who is away and who is logged in.
        network.SendLine(in.socket, "MODE " + channel, false);
        if (network.Support().Whox()) {
            network.QuietWho().insert(ToLower(channel));
            network.SendLine(in.socket,
                             "WHO " + channel + " %tcuhnfar," + CNumericReplies::kWhoxToken, false);
        }
        network.FetchHistory(channel);
        c_.output.PrintF(in.socket, channel, Cls::Info, "now talking in channel %s",
                         channel.c_str());
    });
}

// :alice!a@host PART #a,#b :reason
// Own only when the nick matches exactly. A part the user asked for closes
// the window, and the event scripts see it while the window still exists;
// one the server made (or a raw PART) leaves the window open with its text.
void CIncomingDispatcher::OnPart(const Incoming& in) {
    const IrcMessage& m = in.message;
    ForEachChannel(m.params[0], [&](const std::string& channel) {
        ChannelRecord* record = c_.registry.FindCR(channel, in.socket);
        if (m.nick == c_.Connection().Nick() && record && record->presence != Presence::Leaving) {
            ShowExpanded(c_, in.socket, channel, Coming(c_), m, "$nick has left channel");
            c_.registry.MarkLeft(*record, false);
            return;
        }
        if (m.nick != c_.Connection().Nick()) {
            ShowExpanded(c_, in.socket, channel, Coming(c_), m, "$nick has left channel");
            if (CZorlDoc* doc = c_.registry.GetDocByNameSocket(channel, in.socket))
                doc->NickUpdate(kNickRemove, m.nick, 0);
            return;
        }
        // Each window's scripts see their own channel, also when one PART
        // leaves several.
        IrcMessage one = m;
        one.channel = channel;
        c_.listener.MatchEvents(in.socket, one, in.ignored);
        CloseChannel(channel, in.socket);
    });
}

// :alice!a@host MODE #a +o bob
void CIncomingDispatcher::OnMode(const Incoming& in) { c_.modes.HandleMode(in.socket, in.message); }

// :alice!a@host TOPIC #a :new topic
// The channel record keeps the topic for the window caption.
void CIncomingDispatcher::OnTopic(const Incoming& in) {
    const IrcMessage& m = in.message;
    ShowExpanded(c_, in.socket, m.params[0], Cls::Info, m, "$nick changes topic to $2");
    c_.registry.UpdateCR(c_.registry.GetFrmByNameSocket(m.params[0], in.socket), m.params[1],
                         kUpdateTopic);
}

// :alice!a@host INVITE me :#a   ->   "alice invites you to me #a"
// With invite-notify the server also tells of others invited to a channel
// of ours: ":alice!a@host INVITE bob #a" -> "alice invites bob to #a" there.
void CIncomingDispatcher::OnInvite(const Incoming& in) {
    const IrcMessage& m = in.message;
    if (m.params.size() >= 2 &&
        !c_.Connection().Support().SameName(m.params[0], c_.Connection().Nick()) &&
        c_.registry.FindCR(m.params[1], in.socket)) {
        ShowExpanded(c_, in.socket, m.params[1], Cls::Info, m, "$nick invites $1 to $2");
        return;
    }
    ShowExpanded(c_, nullptr, "", Cls::Info, m, "$nick invites you to $1-");
}

// :op!o@host KICK #a alice :reason
// The kicked nick is compared ignoring case: servers may echo the user's nick
// in another spelling.
void CIncomingDispatcher::OnKick(const Incoming& in) {
    const IrcMessage& m = in.message;
    const std::string& channel = m.params[0];
    const std::string& victim = m.params[1];
    // "KICK #c nick" without a comment is as valid as one with an empty one.
    const bool noReason = m.params.size() < 3 || m.params[2].empty();
    // The empty name is the status window's, which is no channel.
    if (channel.empty() || !c_.registry.GetDocByNameSocket(channel, in.socket)) return;

    if (c_.Connection().Support().SameName(victim, c_.Connection().Nick())) {
        const char* text = noReason ? "you were kicked from channel $1 by $nick"
                                    : "you were kicked from channel $1 by $nick ($3)";
        ShowExpanded(c_, nullptr, "", Cls::Info, m, text);
        ShowExpanded(c_, in.socket, channel, Cls::Info, m, text);
        if (ChannelRecord* record = c_.registry.FindCR(channel, in.socket))
            c_.registry.MarkLeft(*record, false);
        // The server's JOIN answer comes back to the same window.
        if (c_.settings.AutoRejoin)
            c_.Connection().SendLine(in.socket, c_.listener.ExpandVariables(m, "JOIN $1"), false);
        return;
    }
    ShowExpanded(c_, in.socket, channel, Cls::Info, m,
                 noReason ? "$2 was kicked by $nick" : "$2 was kicked by $nick ($3)");
    if (CZorlDoc* doc = QuietDoc(channel, in.socket)) doc->NickUpdate(kNickRemove, victim, 0);
}

}  // namespace zorl
