#include "windows/NetworkWindows.h"

#include <vector>

#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "windows/WindowRegistry.h"

namespace zorl {

CServerConnection& OpenNetwork(CNetworks& networks, CWindowRegistry& registry,
                               const std::string& address, const std::string& ports) {
    CServerConnection& network = networks.Add();
    network.ResetState();
    networks.Focus(network);
    if (const ChannelRecord* status = registry.NewWindow("", kWindowStatus, network.Socket(), true))
        registry.UpdateCR(status->frame, "Status", kUpdateTitle);
    // From two networks on, every caption names its own.
    registry.UpdateAllTitles();
    registry.PlaceAllWindows();
    const auto serving = networks.Serve(&network);
    network.SwitchServer(address, ports);
    return network;
}

bool CloseNetwork(CNetworks& networks, CWindowRegistry& registry, CServerConnection& network,
                  const std::string& quitMessage) {
    if (network.IsFirst()) return false;
    {
        const auto serving = networks.Serve(&network);
        network.Leave();
        if (network.State() == CONNECTED)
            network.SendLine(network.Socket(), "QUIT :" + quitMessage, false);
        if (network.State() != IDLE) network.Disconnect();
    }
    std::vector<FrameId> frames;
    for (const ChannelRecord& record : registry.Records())
        if (record.socket == network.Socket()) frames.push_back(record.frame);
    for (const FrameId frame : frames) registry.DeleteChannel(frame);
    networks.Remove(network);
    registry.UpdateAllTitles();
    registry.PlaceAllWindows();
    return true;
}

}  // namespace zorl
