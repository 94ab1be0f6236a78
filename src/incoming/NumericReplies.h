// Three-digit replies of the server.
#pragma once

#include "session/IrcMessage.h"

namespace zorl {

class CZorlApp;
class CIrcSocket;

class CNumericReplies {
public:
    explicit CNumericReplies(CZorlApp& app) : app_(app) {}

    void HandleNumeric(CIrcSocket* socket, const IrcMessage& message);

private:
    CZorlApp& app_;
};

}  // namespace zorl
