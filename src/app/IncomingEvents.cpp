// What the handlers of server lines ask of the scripts.
#include "app/CZorlApp.h"
#include "script/CommandInterpreter.h"
#include "script/EventScripts.h"
#include "script/VariableExpander.h"

namespace zorl {

std::string CZorlApp::ExpandVariables(const IrcMessage& message, const std::string& text) {
    return expander.ExpandVariables(message, text);
}

void CZorlApp::MatchEvents(CIrcSocket* socket, const IrcMessage& message, bool ignored) {
    events.MatchEvents(socket, message, ignored);
}

void CZorlApp::SendString(FrameId frame, const std::string& line) {
    interpreter.SendString(frame, line);
}

void CZorlApp::RunStartupList() { events.RunStartup(); }

void CZorlApp::RunNotifyCommand(const std::string& nick, const std::string& command) {
    events.RunNotifyCommand(nick, command);
}

}  // namespace zorl
