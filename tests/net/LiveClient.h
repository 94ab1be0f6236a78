// A zorl client on the real Qt socket layer and 100 ms tick, connected and
// registered to a private ngircd, with the headless host's window surface
// and dialogs so every window can be read as a transcript. Lines are typed into a
// window's document as the input line would hand them over.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "NetTestSupport.h"
#include "NgircdServer.h"
#include "app/CZorlApp.h"
#include "platform/qt/QtPlatform.h"
#include "support/HeadlessHost.h"
#include "support/TempDir.h"

namespace zorl::test {

class LiveClient {
public:
    explicit LiveClient(const std::string& nick = "zorltest");
    // A client started as the program starts: settings, lists and the files
    // of a first start from `path`, its status window and tick from
    // LoadSettings. Nothing is chosen for it.
    struct InFolder {
        std::filesystem::path path;
        // The desktop's keyring (the session bus's Secret Service) instead of
        // the host's map: only with a KeyringSession of the test's own.
        bool desktopKeyring = false;
    };
    explicit LiveClient(const InFolder& folder);
    ~LiveClient();
    LiveClient(const LiveClient&) = delete;
    LiveClient& operator=(const LiveClient&) = delete;

    // The configuration folder of a client made without one.
    const std::filesystem::path& Home() const { return home_.Path(); }
    // Points the settings at `server` and presses the Connect button.
    void PressConnect(const NgircdServer& server);
    bool WaitForWelcome(int timeoutMs = 10000);
    // Both: connected and registered.
    bool Connect(const NgircdServer& server, int timeoutMs = 10000);

    // The window named `window` ("" is the status window, "~list" the
    // channel list), whatever its connection; 0 when it is not open.
    FrameId FrameOf(const std::string& window) const { return test::FrameOf(app, window); }
    CZorlDoc* Doc(const std::string& window);
    // Types `line` in the window, as Enter on its input line does.
    bool Type(const std::string& window, const std::string& line);

    // The window's recording (empty when it is not open), its pane text with
    // the debug lines, its lines without CR LF (debug lines on request), its
    // caption.
    const RecordedFrame& Window(const std::string& window) const {
        return host.surface.Recording(FrameOf(window));
    }
    std::string Pane(const std::string& window) const { return Window(window).Text(); }
    std::vector<std::string> Lines(const std::string& window, bool withDebug = false) const {
        return Window(window).Lines(withDebug);
    }
    std::string Caption(const std::string& window) const { return Window(window).caption; }
    std::map<std::string, int> Nicks(const std::string& window);

    bool WaitForPane(const std::string& window, const std::string& text, int timeoutMs = 5000);
    bool WaitForNicks(const std::string& window, const std::map<std::string, int>& expected,
                      int timeoutMs = 5000);

    // Every window's pane and the server log, for failure messages.
    std::string Transcript(const NgircdServer* server = nullptr) const;

private:
    TempDir home_{"zorl-live"};

public:
    qt::QtPlatformServices services;
    HeadlessHost host;
    // The host's, unless InFolder asks for the desktop's keyring.
    ISecretStore& secrets = host.secrets;
    Platform platform{
        services.Sockets(), services.Clock(), services.Ticker(), host.sound, host.shell,
        host.dialogs,       host.surface,     services.Crypto(), secrets,    host.history};
    CZorlApp app{platform};
};

}  // namespace zorl::test
