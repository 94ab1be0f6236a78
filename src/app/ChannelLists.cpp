// The ban, exception and invite lists of a channel, for the lists dialog:
// asked for quietly, changed in MODE lines within the server's limits.
#include <algorithm>

#include "app/CZorlApp.h"
#include "common/Text.h"
#include "session/ModeLines.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/WindowRegistry.h"

namespace zorl {

namespace {
// The lists the dialog knows, in its order.
constexpr const char kListModes[] = "beI";
}  // namespace

std::string CZorlApp::ChannelListModes(FrameId frame) {
    const ChannelRecord* record = registry.FindByFrame(frame);
    CServerConnection* network = record ? networks.Of(record->socket) : nullptr;
    if (!network) return {};
    std::string letters;
    const std::string& server = network->Support().ListModes();
    for (const char mode : std::string_view(kListModes))
        if (mode == 'b' || server.find(mode) != std::string::npos) letters += mode;
    return letters;
}

void CZorlApp::AskChannelLists(FrameId frame) {
    const ChannelRecord* record = registry.FindByFrame(frame);
    CServerConnection* network = record ? networks.Of(record->socket) : nullptr;
    if (!network || network->State() != CONNECTED) return;
    const auto serving = networks.Serve(network);
    for (const char mode : ChannelListModes(frame)) {
        network->QuietLists().insert(ToLower(record->name) + ' ' + mode);
        network->SendLine(record->socket, "MODE " + record->name + " +" + mode, false);
    }
}

void CZorlApp::ChangeChannelList(FrameId frame, char mode, bool add,
                                 const std::vector<std::string>& masks) {
    const ChannelRecord* record = registry.FindByFrame(frame);
    CServerConnection* network = record ? networks.Of(record->socket) : nullptr;
    if (!network || network->State() != CONNECTED) return;
    const auto serving = networks.Serve(network);
    const CServerSupport& support = network->Support();
    for (const std::string& line :
         ModeLines(record->name, add, mode, masks, support.ModesPerLine(), support.LineLength()))
        network->SendLine(record->socket, line, true);
}

}  // namespace zorl
