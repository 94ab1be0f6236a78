// What a server connection holds by value but its header only names: the
// send queue, the nick retry and the record of the line being parsed.
#pragma once

#include "session/IrcMessage.h"
#include "session/NickRetry.h"
#include "session/SendQueue.h"
#include "session/ServerConnection.h"

namespace zorl {

struct CServerConnection::Parts {
    CSendQueue queue;
    CNickRetry nickRetry;
    IrcMessage record;     // the record of the line being handled
    bool parsing = false;  // record is in use
};

}  // namespace zorl
