// What the windows ask of the rest of the client.
#include "app/CZorlApp.h"

#include <algorithm>

#include "common/Format.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "script/CommandInterpreter.h"
#include "script/Timers.h"
#include "session/Networks.h"
#include "session/SendQueue.h"
#include "session/ServerConnection.h"
#include "windows/LastingHistory.h"
#include "windows/NetworkWindows.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/WindowServices.h"
#include "windows/ZorlDoc.h"

namespace zorl {

bool CZorlApp::WantsDebug() const { return output.DebugOn(); }

NetworkInfo CZorlApp::NetworkOf(const CIrcSocket* socket) const {
    const CServerConnection& network = networks.OfOr(socket, networks.Current());
    const std::string name = network.DisplayName();
    return {network.State(),
            network.Nick(),
            network.Server().m_server_name,
            networks.Count() > 1 ? name : std::string(),
            name,
            network.Id()};
}

const std::string& CZorlApp::OwnNick(const CIrcSocket* socket) const {
    return networks.OfOr(socket, networks.Current()).Nick();
}

const CIrcSocket* CZorlApp::CurrentSocket() const { return networks.Current().Socket(); }

CServerConnection& CZorlApp::NetworkOfFrame(FrameId frame) const {
    const ChannelRecord* record = registry.FindByFrame(frame);
    return networks.OfOr(record ? record->socket : nullptr, networks.Current());
}

void CZorlApp::CloseStatusWindow(FrameId frame) {
    CServerConnection& network = NetworkOfFrame(frame);
    CloseNetwork(networks, registry, network, settings.Quit);
    platform.surface.SetConnectCommands(networks.Focused().State() == IDLE);
}

// The connect commands and the dump follow the network in view.
void CZorlApp::OnWindowActivated(const CIrcSocket* socket) {
    CServerConnection* network = networks.Of(socket);
    if (!network || network == &networks.Focused()) return;
    networks.Focus(*network);
    platform.surface.SetConnectCommands(network->State() == IDLE);
}

void CZorlApp::OnWindowClosing(FrameId frame) { timers.StopTimersOf(frame); }

FrameId CZorlApp::WindowOfHistory(const std::string& network, const std::string& window) const {
    for (const ChannelRecord& record : registry.Records())
        if (record.name == window && NetworkOf(record.socket).name == network) return record.frame;
    return 0;
}

void CZorlApp::ForgetHistoryOf(FrameId frame) {
    const ChannelRecord* record = registry.FindByFrame(frame);
    if (!record) return;
    if (record->type == kWindowStatus)
        platform.history.Clear(NetworkOf(record->socket).name, "");
    else
        output.Lasting().Forget(*record);
}

void CZorlApp::OnTypedLine(FrameId frame, const std::string& line) {
    interpreter.SendString(frame, line);
}

bool CZorlApp::GuardPaste(FrameId frame, const std::vector<std::string>& lines) {
    const ChannelRecord* record = registry.FindByFrame(frame);
    if (settings.PasteGuard == 0 || lines.size() < 2 || !record) return false;
    std::string question =
        Format("Send %zu lines to %s?", lines.size(),
               record->name.empty() ? "the status window" : record->title.c_str());
    // The flood queue lets a burst go at once, then one line every interval.
    const std::size_t queued = lines.size() + NetworkOfFrame(frame).LinesWaiting();
    if (lines.size() > CSendQueue::kBurst && queued > CSendQueue::kBurst) {
        const uint64_t seconds = (queued - CSendQueue::kBurst) * CSendQueue::kInterval / 1000;
        question += Format("\nThe flood queue will take about %llu seconds to send them.",
                           static_cast<unsigned long long>(seconds));
    }
    const PasteAnswer answer = platform.dialogs.AskPaste(question);
    if (answer == PasteAnswer::Cancel) return true;
    std::vector<std::string> send = lines;
    if (answer == PasteAnswer::SendAsOneLine) {
        std::string joined;
        for (const std::string& line : lines) joined += (joined.empty() ? "" : " ") + line;
        send = {joined};
    }
    // A line may close the window: the rest are dropped then.
    for (const std::string& line : send) {
        CZorlDoc* doc = registry.DocOf(frame);
        if (!doc) break;
        doc->ExecuteLine(line);
    }
    return true;
}

// A network the server has closed already said "** Disconnected" once.
void CZorlApp::CloseAllWindows() {
    for (const auto& network : networks.All()) {
        const auto serving = networks.Serve(network.get());
        if (network->State() != IDLE) network->Disconnect();
    }
    timers.StopTimer(CTimers::kScript);
    timers.StopTimer(CTimers::kIdle);
    registry.CloseAllWindows();
}

// A control byte in a name would end the command line early or break the
// offer; such a file is said and skipped.
void CZorlApp::OfferFiles(FrameId frame, const std::string& nick,
                          const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const bool plain = std::none_of(path.begin(), path.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        });
        if (plain)
            interpreter.SendString(frame, "/dcc send " + nick + " " + path);
        else
            output.Status(Cls::UError,
                          "** DCC: a file whose name holds a control character is not offered");
    }
}

}  // namespace zorl
