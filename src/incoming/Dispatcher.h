// What the client does with each message from the server: updates the
// model (own nick, windows, nick lists, titles), answers what must be
// answered and shows the display templates.
//
// Commands are chosen from one table, tested in order; each row says how many
// parameters its handler reads, and a message with fewer is dropped without
// output. A command that is none of the table's and reads as a non-zero
// number is a numeric reply (CNumericReplies); anything else is shown as it
// came in the status window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/IrcMessage.h"
#include "windows/ChannelRecord.h"

namespace zorl {

struct Batch;

struct IncomingContext;
class CIrcSocket;
class CZorlDoc;

class CIncomingDispatcher {
public:
    explicit CIncomingDispatcher(const IncomingContext& context) : c_(context) {}

    // `ignored`: the sender's prefix matched the ignore list. It silences
    // INVITE, PRIVMSG, NOTICE and PING only; every other branch runs, so the
    // nick lists stay right for ignored users.
    void DispatchIncoming(CIrcSocket* socket, IrcMessage& message, bool ignored);
    // With echo-message the server sends the user's own messages back: they
    // are shown as the user's (and only then), and no event script sees them.
    bool IsOwnEcho(const IrcMessage& message) const;
    // The window for the status lines `message` leads to; 0 keeps the status
    // window. With "Replies in the window that asked", in order: a NAMES list
    // of a channel that has a window goes to it; a labeled answer (on its own
    // or in its batch) to the window of its label; a WHOIS or WHOWAS line to
    // the window that asked about its nick, the end line being the last.
    FrameId AnswerWindow(CIrcSocket* socket, const IrcMessage& message, const Batch* batch) const;

private:
    // One message on its way through a handler.
    struct Incoming {
        CIrcSocket* socket;
        IrcMessage& message;
        bool ignored;
    };
    using Handler = void (CIncomingDispatcher::*)(const Incoming&);
    struct CommandRow {
        std::string_view word;
        bool anyCase;           // compared ignoring letter case (MODE, TOPIC, INVITE)
        std::size_t minParams;  // a message with fewer parameters is dropped
        bool silencedIfIgnored;
        Handler handler;
    };
    static const CommandRow kCommands[];

    // Channel and user events (ChannelEvents.cpp).
    void OnNick(const Incoming& in);
    void OnQuit(const Incoming& in);
    void OnJoin(const Incoming& in);
    void OnPart(const Incoming& in);
    void OnMode(const Incoming& in);
    void OnTopic(const Incoming& in);
    void OnInvite(const Incoming& in);
    void OnKick(const Incoming& in);

    // Messages and server texts (ServerMessages.cpp).
    void OnPrivmsg(const Incoming& in);
    void OnNotice(const Incoming& in);
    void OnPing(const Incoming& in);
    void OnError(const Incoming& in);
    void OnUnknown(const Incoming& in);
    // The account login while registering; outside it, unknown lines.
    void OnCap(const Incoming& in);
    void OnAuthenticate(const Incoming& in);
    void OnQuiet(const Incoming&) {}
    void OnBatch(const Incoming& in);
    void OnChghost(const Incoming& in);
    void OnSetname(const Incoming& in);
    void OnAccount(const Incoming& in);
    // The netsplit or netjoin batch `message` belongs to, if it is one.
    Batch* GatheringBatch(const IrcMessage& message, const char* type) const;
    void OnAway(const Incoming& in);
    void OnStandardReply(const Incoming& in);
    void ShowAddressed(const Incoming& in, MessageKind kind);
    void ShowOwnEcho(const Incoming& in, MessageKind kind);
    bool NoteSeen(const IrcMessage& message);

    // A snapshot of the windows of one connection, taken before a loop that
    // prints: output may open windows, which moves registry records.
    struct WindowRef {
        FrameId frame;
        std::string name;
    };
    // Windows of any type with no `type`.
    std::vector<WindowRef> WindowsOf(const CIrcSocket* socket,
                                     std::optional<WindowType> type) const;

    // The document of a named window, looked up again at each use because a
    // modal dialog run by a script may have closed the window meanwhile.
    CZorlDoc* QuietDoc(const std::string& name, const CIrcSocket* socket);
    // Closes an own channel window after a part or kick; never the status
    // window.
    void CloseChannel(const std::string& channel, CIrcSocket* socket);

    const IncomingContext& c_;
};

}  // namespace zorl
