// What the client does with each message from the server: updates the
// model (own nick, windows, nick lists, titles), answers what must be
// answered and shows the display templates.
#pragma once

#include "session/IrcMessage.h"

namespace zorl {

class CZorlApp;
class CIrcSocket;

class CIncomingDispatcher {
public:
    explicit CIncomingDispatcher(CZorlApp& app) : app_(app) {}

    void DispatchIncoming(CIrcSocket* socket, const IrcMessage& message, bool ignored);

private:
    CZorlApp& app_;
};

}  // namespace zorl
