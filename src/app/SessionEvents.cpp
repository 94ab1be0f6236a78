// What the server connection reports, handed to the windows, the incoming
// handlers and the scripts.
#include <vector>

#include "app/CZorlApp.h"
#include "common/TimeText.h"
#include "config/Settings.h"
#include "incoming/Dispatcher.h"
#include "incoming/IgnoreNotify.h"
#include "platform/Platform.h"
#include "script/EventScripts.h"
#include "script/Timers.h"
#include "session/Batches.h"
#include "session/IrcMessage.h"
#include "session/Labels.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "windows/LastingHistory.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {

void CZorlApp::Print(CIrcSocket* socket, const std::string& name, Cls cls,
                     const std::string& text) {
    output.Print(socket, name, cls, text);
}

void CZorlApp::Trace(const std::string& text) { output.Trace(text); }

void CZorlApp::DebugOut(Cls cls, const std::string& text, bool withTime) {
    output.DebugOut(cls, text, withTime);
}

void CZorlApp::DebugOut(Colour colour, const std::string& text, bool withTime) {
    output.DebugOut(colour, text, withTime);
}

// A line for the idle timer's window keeps it from firing; then the
// handlers, and the event scripts see the line as the handlers left it.
void CZorlApp::OnMessage(CIrcSocket* socket, IrcMessage& message, bool ignored) {
    if (timers.IdleTimerOn()) {
        const ChannelRecord* record = registry.FindCR(message.channel, socket);
        if (record && record->frame == timers.IdleTimerWindow()) timers.ResetTimer(CTimers::kIdle);
    }
    // With server-time every line it leads to shows the server's time.
    const std::string* time = message.Tag("time");
    output.SetLineTime(time ? ParseServerTime(*time) : std::nullopt);
    CServerConnection& network = Connection();
    const Batch* batch = network.Batches().Of(message);
    output.SetHistory(batch && batch->IsHistory());
    // Who and what the line is, for what history keeps of it.
    if (platform.history.IsOpen()) {
        const std::string* msgid = message.Tag("msgid");
        output.Lasting().SetOrigin(
            {HistoryKindOf(message.command, message.c_command), message.nick, msgid ? *msgid : ""});
    }
    output.SetStatusRedirect(dispatcher.AnswerWindow(socket, message, batch));
    const std::string* label = message.Tag("label");
    const bool ownEcho = dispatcher.IsOwnEcho(message);
    dispatcher.DispatchIncoming(socket, message, ignored);
    if (!ownEcho) events.MatchEvents(socket, message, ignored);
    // A labeled line on its own is the whole answer; a batch ends with BATCH -.
    if (label && message.command != "BATCH") network.Labels().Forget(*label);
    output.SetLineTime(std::nullopt);
    output.SetHistory(false);
    output.SetStatusRedirect(0);
    output.Lasting().ClearOrigin();
}

// The windows of a connection outlive it: a new attempt keeps them.
void CZorlApp::OnStateChanged(ConnectionState) {
    if (const ChannelRecord* status = registry.StatusOf(Connection().Socket()))
        registry.UpdateWindowTitle(status->frame);
    platform.surface.SetConnectCommands(networks.Focused().State() == IDLE);
}

// Every channel window of the connection stays with its text; the ones the
// user was in are joined again when the server next welcomes the user.
void CZorlApp::OnDisconnecting(CIrcSocket& socket) {
    // Names first: printing may create or remove windows.
    std::vector<std::string> channels;
    for (ChannelRecord& record : registry.Records()) {
        if (record.type != kWindowChannel || record.socket != &socket) continue;
        if (record.presence != Presence::Out)
            registry.MarkLeft(record, record.presence == Presence::In);
        channels.push_back(record.name);
    }
    if (!settings.ChanConnect) return;
    for (const std::string& name : channels)
        output.Print(&socket, name, Cls::Flow, "** Disconnected\r\n");
}

void CZorlApp::OnOwnNickChanged() {
    if (const ChannelRecord* status = registry.StatusOf(Connection().Socket()))
        registry.UpdateWindowTitle(status->frame);
}

void CZorlApp::OnNotifyDue() { ignoreNotify.RequestIson(false); }

}  // namespace zorl
