#include "LiveClient.h"

#include "config/IniStore.h"
#include "config/Settings.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"
namespace zorl::test {

LiveClient::LiveClient(const std::string& nick) {
    // What the client writes (a pinned certificate, say) stays in a folder
    // of its own.
    app.config_dir = home_.Path().string() + "/";
    app.ini.SetDirectory(app.config_dir);
    CSettings& s = app.settings;
    s.m_user_mynick = nick;
    s.User = "zorl";
    s.RealName = "Zorl Test";
    s.m_server_address = "127.0.0.1";
    s.Quit = "test over";
    s.DebugWindow = 0;  // debug lines land in the status window
    app.output.SetDebug(true);
    if (ChannelRecord* status =
            app.registry.NewWindow("", kWindowStatus, app.Connection().Socket(), true)) {
        app.registry.pStatusFrm = status->frame;
    }
    // The real 100 ms tick: the send queue and the exit wait run on it.
    platform.ticker.Start(100, [this] { app.OnTick(); });
}

LiveClient::LiveClient(const InFolder& folder)
    : secrets(folder.desktopKeyring ? services.Secrets() : host.secrets) {
    app.UseConfigDirectory(folder.path.string());
    app.LoadSettings();
    app.settings.TimeStamp = 0;  // the tests read lines without their time
}

LiveClient::~LiveClient() {
    platform.ticker.Stop();
    if (app.Connection().State() != IDLE) app.Connection().OnButtonDisconnect();
    app.OnTick();  // frees the closed socket outside any notification
}

void LiveClient::PressConnect(const NgircdServer& server) {
    app.settings.m_server_ports = std::to_string(server.Port());
    app.settings.Password = NgircdServer::kPassword;
    app.Connection().OnButtonConnect();
}

bool LiveClient::WaitForWelcome(int timeoutMs) {
    return WaitUntil([&] { return app.Connection().Registered(); }, timeoutMs);
}

bool LiveClient::Connect(const NgircdServer& server, int timeoutMs) {
    PressConnect(server);
    return WaitForWelcome(timeoutMs);
}

CZorlDoc* LiveClient::Doc(const std::string& window) {
    const FrameId frame = FrameOf(window);
    return frame ? app.registry.DocOf(frame) : nullptr;
}

bool LiveClient::Type(const std::string& window, const std::string& line) {
    CZorlDoc* doc = Doc(window);
    if (!doc) return false;
    doc->ExecuteLine(line);
    return true;
}

std::map<std::string, int> LiveClient::Nicks(const std::string& window) {
    const CZorlDoc* doc = Doc(window);
    return doc ? doc->Nicks() : std::map<std::string, int>();
}

bool LiveClient::WaitForPane(const std::string& window, const std::string& text, int timeoutMs) {
    return WaitUntil([&] { return Pane(window).find(text) != std::string::npos; }, timeoutMs);
}

bool LiveClient::WaitForNicks(const std::string& window, const std::map<std::string, int>& expected,
                              int timeoutMs) {
    return WaitUntil([&] { return Nicks(window) == expected; }, timeoutMs);
}

std::string LiveClient::Transcript(const NgircdServer* server) const {
    return test::Transcript(host) + (server ? "---- server log\n" + server->Log() : "");
}

}  // namespace zorl::test
