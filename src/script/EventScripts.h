// Event scripts of script.ini that fire on incoming messages, and the
// start-up command list run after the message of the day.
#pragma once

#include "session/IrcMessage.h"

namespace zorl {

class CZorlApp;
class CIrcSocket;

class CEventScripts {
public:
    explicit CEventScripts(CZorlApp& app) : app_(app) {}

    void LoadScript();
    void MatchEvents(CIrcSocket* socket, const IrcMessage& message, bool ignored);
    void RunStartup();

private:
    CZorlApp& app_;
};

}  // namespace zorl
