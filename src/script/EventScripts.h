// Event scripts of script.ini that fire on incoming messages, and the
// start-up command list run after the message of the day.
#pragma once

#include <string>

#include "platform/WindowSurface.h"
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
    // One script line in the window of `frame`, with the window's channel,
    // the own nick, the general variables and the line's own words as $1...
    void RunScriptLine(FrameId frame, const std::string& line);
    void RunCommandText(FrameId frame, const std::string& text, IrcMessage& message);

private:
    CZorlApp& app_;
};

}  // namespace zorl
