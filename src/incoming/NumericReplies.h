// Three-digit replies of the server. In a reply params[0] is the user's own
// nick, so the templates mostly start at $2.
//
// Each reply the client handles is one row of a table: how many parameters
// it reads (a reply with fewer is dropped without output), the template shown
// in the status window, and the steps that run before or after the text.
// Replies the table does not name show "$2-" in the status window.
#pragma once

#include <cstddef>
#include <string>

#include "platform/WindowSurface.h"
#include "session/IrcMessage.h"

namespace zorl {

struct IncomingContext;
class CIrcSocket;

class CNumericReplies {
public:
    // The token of the WHOX query sent on joining a channel.
    static constexpr const char* kWhoxToken = "152";
    explicit CNumericReplies(const IncomingContext& context) : c_(context) {}

    // `message.command` reads as a non-zero number ("001", "433", "12x").
    void HandleNumeric(CIrcSocket* socket, const IrcMessage& message);

    // A double click on a row of the channel list joins that row's channel.
    // False when `frame` is not the channel list.
    bool JoinListedChannel(FrameId frame, const std::string& row);

private:
    using Step = void (CNumericReplies::*)(CIrcSocket*, const IrcMessage&);
    struct Row;
    static const Row kRows[];
    static const Row* FindRow(int number);

    // Connection (NumericReplies.cpp).
    void Welcome(CIrcSocket* socket, const IrcMessage& message);
    void CloseIdent(CIrcSocket* socket, const IrcMessage& message);
    void MotdEnd(CIrcSocket* socket, const IrcMessage& message);
    void IsonReply(CIrcSocket* socket, const IrcMessage& message);
    void WhoxEntry(CIrcSocket* socket, const IrcMessage& message);
    void WhoEnd(CIrcSocket* socket, const IrcMessage& message);
    void ListModeEntry(CIrcSocket* socket, const IrcMessage& message);
    void ListModeEnd(CIrcSocket* socket, const IrcMessage& message);

    void IdleTime(CIrcSocket* socket, const IrcMessage& message);
    void WhoEntry(CIrcSocket* socket, const IrcMessage& message);
    void NickErroneous(CIrcSocket* socket, const IrcMessage& message);
    void NickTaken(CIrcSocket* socket, const IrcMessage& message);
    void UnknownCommand(CIrcSocket* socket, const IrcMessage& message);
    void SaslResult(CIrcSocket* socket, const IrcMessage& message);

    // Channels and the channel list (ChannelReplies.cpp).
    void ListStart(CIrcSocket* socket, const IrcMessage& message);
    void ListEnd(CIrcSocket* socket, const IrcMessage& message);
    void ListEntry(CIrcSocket* socket, const IrcMessage& message);
    void ChannelModes(CIrcSocket* socket, const IrcMessage& message);
    void Isupport(CIrcSocket* socket, const IrcMessage& message);
    void MonitorOnline(CIrcSocket* socket, const IrcMessage& message);
    void MonitorOffline(CIrcSocket* socket, const IrcMessage& message);
    // The channels the user was in when the last connection ended.
    void RejoinKeptChannels(CIrcSocket* socket);
    void ChannelCreated(CIrcSocket* socket, const IrcMessage& message);
    void Topic(CIrcSocket* socket, const IrcMessage& message);
    void TopicSetter(CIrcSocket* socket, const IrcMessage& message);
    void Names(CIrcSocket* socket, const IrcMessage& message);
    void NamesEnd(CIrcSocket* socket, const IrcMessage& message);

    const IncomingContext& c_;
};

}  // namespace zorl
