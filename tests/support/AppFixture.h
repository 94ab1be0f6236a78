// A started client on a fresh temporary configuration folder, for engine tests
// that need the whole application: the folders and ini files exist, the
// settings are read and the status window is open.
//
//   class JoinTest : public test::AppFixture {};
//   TEST_F(JoinTest, Shows) {
//       app.output.Print(Server(), "", Cls::Status, "hello");
//       ExpectShown("", Cls::Status, "hello");
//   }
//
// Write ini files before the start in BeforeStart() of a derived fixture, or
// rewrite zorl.ini later with ReloadSettings().
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/CZorlApp.h"
#include "session/SendQueue.h"
#include "session/ServerConnection.h"
#include "support/HeadlessHost.h"
#include "support/TempDir.h"

namespace zorl::test {

// A local time as the clock would report it: LocalTime(2024, 3, 9, 9, 5)
// formats as "[9:05] " whatever the machine's time zone.
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second = 0);

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    // Runs before app.LoadSettings(), with the configuration directory given.
    virtual void BeforeStart() {}

    // Rewrites zorl.ini and reads the settings again (nothing else).
    void ReloadSettings(const std::string& zorlIni);

    CIrcSocket* Server() { return app.Connection().Socket(); }
    // Time for the send queue to allow a whole burst again (host.Elapse).
    static constexpr int kFreshBurst = CSendQueue::kBurst * CSendQueue::kInterval;
    Colour ColourOf(Cls cls) const;

    // Connect pressed: the server socket, its connect in progress.
    std::shared_ptr<ScriptedSocketState> PressConnect() {
        return test::PressConnect(app, host.sockets);
    }
    // Connect pressed and the TCP connection up, the server listing no
    // capabilities; the registration lines are already forgotten.
    std::shared_ptr<ScriptedSocketState> ConnectServer();

    // Opens a window the way the incoming handling does, on the server
    // connection; returns its frame.
    FrameId Open(const std::string& name, WindowType type, bool show = false);
    FrameId OpenChannel(const std::string& name, const std::vector<std::string>& nicks = {});

    // The window of a registry name (any letter case, any socket; "" is the
    // status window): its frame, its recording (null or empty when it is not
    // open), its pane text, its pieces, its lines without CR LF.
    FrameId FrameOf(const std::string& window) const { return test::FrameOf(app, window); }
    RecordedFrame* Recorded(const std::string& window) {
        return host.surface.Frame(FrameOf(window));
    }
    const RecordedFrame& Window(const std::string& window) const {
        return host.surface.Recording(FrameOf(window));
    }
    std::string Shown(const std::string& window) const { return Window(window).Text(); }
    std::vector<Piece> Pieces(const std::string& window) const { return Window(window).pieces; }
    std::vector<std::string> Lines(const std::string& window, bool withDebug = false) const {
        return Window(window).Lines(withDebug);
    }
    // Registry name -> pane text of every window that shows something.
    std::map<std::string, std::string> AllShown() const;
    // Forgets what every pane showed so far.
    void ClearPanes();

    // A piece of this window in this colour whose text is `text` (a line
    // also matches without its "\r\n"). Fails with the whole transcript.
    ::testing::AssertionResult Shows(const std::string& window, Colour colour,
                                     const std::string& text);
    void ExpectShown(const std::string& window, Colour colour, const std::string& text) {
        EXPECT_TRUE(Shows(window, colour, text));
    }
    void ExpectShown(const std::string& window, Cls cls, const std::string& text) {
        EXPECT_TRUE(Shows(window, ColourOf(cls), text));
    }
    // Every window, every socket's sent lines and the message boxes.
    std::string Transcript() const { return test::Transcript(host); }

    TempDir dir;
    HeadlessHost host;
    CZorlApp app{host.platform};
};

}  // namespace zorl::test
