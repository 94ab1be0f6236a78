// Placeholder until the event scripts are built: the seams other code calls.
#include "script/EventScripts.h"

#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "windows/WindowRegistry.h"

namespace zorl {

void CEventScripts::LoadScript() {}

void CEventScripts::MatchEvents(CIrcSocket*, const IrcMessage&, bool) {}

void CEventScripts::RunStartup() {}

void CEventScripts::RunScriptLine(FrameId frame, const std::string& line) {
    IrcMessage message;
    message.flags = kHasChannel | kHasMe | kGeneralVariables;
    message.me = app_.settings.m_user_mynick;
    message.channel = app_.registry.GetNameByFrm(frame);
    RunCommandText(frame, line, message);
}

void CEventScripts::RunCommandText(FrameId frame, const std::string& text, IrcMessage& message) {
    app_.SendString(frame, app_.ExpandVariables(message, text));
}

}  // namespace zorl
