// CTCP inside PRIVMSG (requests, actions, DCC offers) and NOTICE (replies).
// The dispatcher hands over every PRIVMSG or NOTICE whose c_command is set,
// unless the sender is ignored.
#pragma once

#include "session/IrcMessage.h"

namespace zorl {

class CZorlApp;
class CIrcSocket;

class CCtcp {
public:
    explicit CCtcp(CZorlApp& app) : app_(app) {}

    // :alice!a@host PRIVMSG me :\x01PING 12345\x01
    void HandleCtcpRequest(CIrcSocket* socket, const IrcMessage& message);
    // :alice!a@host NOTICE me :\x01PING 12345\x01
    void HandleCtcpReply(CIrcSocket* socket, const IrcMessage& message);

private:
    CZorlApp& app_;
};

}  // namespace zorl
