// What the windows ask of the rest of the client.
#include "app/CZorlApp.h"
#include "script/CommandInterpreter.h"
#include "script/Timers.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {

bool CZorlApp::WantsDebug() const { return output.DebugOn(); }

ConnectionState CZorlApp::ConnectionStateNow() const { return connection.State(); }

void CZorlApp::OnWindowClosing(FrameId frame) { timers.StopTimersOf(frame); }

void CZorlApp::OnTypedLine(FrameId frame, const std::string& line) {
    interpreter.SendString(frame, line);
}

void CZorlApp::CloseAllWindows() {
    connection.Disconnect();
    timers.StopTimer(CTimers::kScript);
    timers.StopTimer(CTimers::kIdle);
    registry.CloseAllWindows();
}

}  // namespace zorl
