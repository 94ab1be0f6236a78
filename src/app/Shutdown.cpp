// Closing the main window while connected: the others should read the
// user's quit message, not a dropped connection, so the QUIT goes out first
// and the window waits a moment for the server to close the link.
#include "app/CZorlApp.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"

namespace zorl {

bool CZorlApp::OnMainClose() {
    switch (exit_state) {
        case Exit::Running:
            if (Connection().State() != CONNECTED) return true;
            exit_state = Exit::WaitingForServer;
            exit_deadline = platform.clock.TickCount() + kExitWait;
            Connection().Leave();
            Connection().SendLine(Connection().Socket(), "QUIT :" + settings.Quit, false);
            return false;
        case Exit::WaitingForServer:
            // Asked again while waiting: the user does not want to wait.
            exit_state = Exit::Closing;
            if (Connection().State() != IDLE) Connection().Disconnect();
            return true;
        case Exit::Closing: break;
    }
    return true;
}

// The window goes once the server has closed the connection, or when it
// took too long to.
void CZorlApp::CheckExit() {
    if (exit_state != Exit::WaitingForServer) return;
    const bool closed = Connection().State() != CONNECTED;
    if (!closed && platform.clock.TickCount() < exit_deadline) return;
    exit_state = Exit::Closing;
    if (!closed) Connection().Disconnect();
    platform.surface.CloseMainWindow();
}

}  // namespace zorl
