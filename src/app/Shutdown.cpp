// Closing the main window while connected: the others should read the
// user's quit message, not a dropped connection, so the QUIT goes out first
// and the window waits a moment for the server to close the link.
#include "app/CZorlApp.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "session/IrcSocket.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"

namespace zorl {
namespace {

bool AnyConnected(const CNetworks& networks) {
    for (const auto& network : networks.All())
        if (network->State() == CONNECTED) return true;
    return false;
}

// Each network ends in its own scope, so that its lines go to its windows.
void DisconnectAll(CNetworks& networks) {
    for (const auto& network : networks.All()) {
        const auto serving = networks.Serve(network.get());
        if (network->State() != IDLE) network->Disconnect();
    }
}

}  // namespace

bool CZorlApp::OnMainClose() {
    switch (exit_state) {
        case Exit::Running:
            if (!AnyConnected(networks)) return true;
            exit_state = Exit::WaitingForServer;
            exit_deadline = platform.clock.TickCount() + kExitWait;
            for (const auto& network : networks.All()) {
                network->Leave();
                if (network->State() == CONNECTED)
                    network->SendLine(network->Socket(), "QUIT :" + settings.Quit, false);
            }
            return false;
        case Exit::WaitingForServer:
            // Asked again while waiting: the user does not want to wait.
            exit_state = Exit::Closing;
            DisconnectAll(networks);
            return true;
        case Exit::Closing: break;
    }
    return true;
}

// The window goes once the server has closed the connection, or when it
// took too long to.
void CZorlApp::CheckExit() {
    if (exit_state != Exit::WaitingForServer) return;
    const bool closed = !AnyConnected(networks);
    if (!closed && platform.clock.TickCount() < exit_deadline) return;
    exit_state = Exit::Closing;
    DisconnectAll(networks);
    platform.surface.CloseMainWindow();
}

}  // namespace zorl
