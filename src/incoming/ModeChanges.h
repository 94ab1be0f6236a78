// MODE messages: user and channel mode changes, nick list bits, summaries.
#pragma once

#include "session/IrcMessage.h"

namespace zorl {

class CZorlApp;
class CIrcSocket;

class CModeChanges {
public:
    explicit CModeChanges(CZorlApp& app) : app_(app) {}

    void HandleMode(CIrcSocket* socket, const IrcMessage& message);

private:
    CZorlApp& app_;
};

}  // namespace zorl
