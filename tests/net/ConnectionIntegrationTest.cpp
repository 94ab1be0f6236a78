// The server connection and the ident responder end to end: a live client
// against a private ngircd and raw peers, its status window read as a
// transcript.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "LiveClient.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {
namespace {

class ConnectionIntegrationTest : public ::testing::Test {
protected:
    bool StartServer() { return server.emplace().Running(); }

    // Status window lines without their CR LF; debug lines only on request.
    std::vector<std::string> Status(bool withDebug = false) { return zorl.Lines("", withDebug); }
    bool Shown(const std::string& text) { return std::ranges::count(Status(), text) > 0; }
    // A line from the server, seen through its "<< " debug line.
    bool Received(const std::string& fragment) {
        return std::ranges::any_of(Status(true), [&](const std::string& line) {
            return line.find("<< ") != std::string::npos &&
                   line.find(fragment) != std::string::npos;
        });
    }
    std::string Transcript() { return zorl.Transcript(server ? &*server : nullptr); }

    HeadlessHost& host() { return zorl.host; }

    std::optional<NgircdServer> server;
    LiveClient zorl;
    CZorlApp& app = zorl.app;
};

TEST_F(ConnectionIntegrationTest, RegistersAndSendsThroughTheRealSocketLayer) {
    ASSERT_TRUE(StartServer()) << server->Failure();
    IrcTestClient watcher;
    ASSERT_TRUE(watcher.Connect(*server, "watcher")) << watcher.Transcript();

    zorl.PressConnect(*server);
    EXPECT_TRUE(Shown("** Connecting to 127.0.0.1 (" + std::to_string(server->Port()) + ")"))
        << Transcript();
    EXPECT_EQ(app.Connection().State(), CONNECTING);

    ASSERT_TRUE(zorl.WaitForWelcome()) << Transcript();
    EXPECT_EQ(app.Connection().State(), CONNECTED);
    EXPECT_TRUE(Received(" 376 zorltest ") || Received(" 422 zorltest ")) << Transcript();

    app.Connection().SendLine(app.Connection().Socket(), "PRIVMSG watcher :hello from zorl", true);
    auto line = watcher.WaitForCommand("PRIVMSG");
    ASSERT_TRUE(line) << watcher.Transcript() << Transcript();
    EXPECT_EQ(line->rfind(":zorltest!", 0), 0u) << *line;
    EXPECT_NE(line->find(" PRIVMSG watcher :hello from zorl"), std::string::npos) << *line;

    // Disconnect closes at once; the QUIT still reaches the server.
    ASSERT_TRUE(watcher.Join("#zorl"));
    app.Connection().SendLine(app.Connection().Socket(), "JOIN #zorl", false);
    ASSERT_TRUE(watcher.WaitForCommand("JOIN")) << watcher.Transcript();
    app.Connection().OnButtonDisconnect();
    EXPECT_EQ(app.Connection().State(), IDLE);
    EXPECT_TRUE(Shown("** Disconnected")) << Transcript();
    auto quit = watcher.WaitForCommand("QUIT");
    ASSERT_TRUE(quit) << watcher.Transcript();
    EXPECT_NE(quit->find("test over"), std::string::npos) << *quit;
    app.OnTick();  // frees the closed socket outside any notification
}

TEST_F(ConnectionIntegrationTest, AFailedConnectIsReportedAndEndsIdle) {
    const struct {
        const char* what;
        std::string address;
        std::string failure;
    } cases[] = {
        {"nothing listens on the port", "127.0.0.1", "Connection refused"},
        {"the name does not resolve", "no-such-host.invalid", "Unable to resolve server"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        app.settings.m_server_address = c.address;
        app.settings.m_server_ports = std::to_string(FreeLoopbackPort());
        std::size_t from = Status().size();
        app.Connection().OnButtonConnect();
        ASSERT_TRUE(WaitUntil([&] { return app.Connection().State() == IDLE; }, 20000))
            << Transcript();
        std::vector<std::string> lines = Status();
        lines.erase(lines.begin(), lines.begin() + static_cast<long>(from));
        // The failure comes from the connect call or from its notification.
        bool failed = false;
        for (const std::string& line : lines) {
            failed = failed || line == "** Connection failed: " + c.failure ||
                     line == "** Unable to connect (" + c.failure + ")";
        }
        EXPECT_TRUE(failed) << Transcript();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "** Disconnected") << Transcript();
        app.OnTick();
    }
}

TEST_F(ConnectionIntegrationTest, AServerKilledMidSessionGivesTheClosingLines) {
    ASSERT_TRUE(StartServer()) << server->Failure();
    ASSERT_TRUE(zorl.Connect(*server)) << Transcript();
    std::size_t from = Status().size();

    server->Kill();
    ASSERT_TRUE(WaitUntil([&] { return app.Connection().State() == IDLE; })) << Transcript();
    std::vector<std::string> lines = Status();
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(from));
    // The kernel ends a killed process's connections with FIN, or with RST
    // when the server had unread bytes from us.
    const std::vector<std::string> clean{"** Disconnected"};
    const std::vector<std::string> reset{"** Closing: Connection reset by peer", "** Disconnected"};
    EXPECT_TRUE(lines == clean || lines == reset) << Transcript();
    app.OnTick();

    // Nothing more arrives for the dead connection.
    PumpFor(100);
    EXPECT_EQ(Status().size(), from + lines.size()) << Transcript();
}

// A server restart ends the session cleanly. With Auto reconnect the client
// tries again 10 s later and joins its channel again into the window it had,
// whose text is still there.
TEST_F(ConnectionIntegrationTest, ARestartedServerIsJoinedAgainIntoTheSameWindow) {
    ASSERT_TRUE(StartServer()) << server->Failure();
    app.settings.AutoReconnect = 1;
    ASSERT_TRUE(zorl.Connect(*server)) << Transcript();
    ASSERT_TRUE(zorl.Type("", "/join #keep"));
    ASSERT_TRUE(zorl.WaitForPane("#keep", "now talking in channel #keep")) << Transcript();
    const FrameId frame = zorl.FrameOf("#keep");
    ASSERT_TRUE(zorl.Type("#keep", "said before the restart"));

    ASSERT_TRUE(server->Restart()) << server->Failure();
    ASSERT_TRUE(zorl.WaitForPane("", "** Reconnecting in 10 s (try 1)")) << Transcript();
    EXPECT_EQ(zorl.FrameOf("#keep"), frame);
    EXPECT_TRUE(zorl.Nicks("#keep").empty()) << Transcript();

    auto joins = [&] {
        std::vector<std::string> lines = zorl.Lines("#keep");
        return std::ranges::count(lines, "now talking in channel #keep");
    };
    ASSERT_TRUE(WaitUntil([&] { return joins() == 2; }, 20000)) << Transcript();
    EXPECT_EQ(zorl.FrameOf("#keep"), frame);
    EXPECT_NE(zorl.Pane("#keep").find("said before the restart"), std::string::npos);
    EXPECT_TRUE(zorl.WaitForNicks("#keep", {{"zorltest", kNickOp}})) << Transcript();
}

// Two private servers, two networks in one client: each line goes to its own
// network, "#both" is a window on each, and a restart of one server is
// reconnected and rejoined into the same window while the other stays up.
TEST_F(ConnectionIntegrationTest, TwoNetworksStayApartAndOneRestartLeavesTheOtherUp) {
    ASSERT_TRUE(StartServer()) << server->Failure();
    NgircdServer other;
    ASSERT_TRUE(other.Running()) << other.Failure();
    IrcTestClient here, there;
    ASSERT_TRUE(here.Connect(*server, "here") && here.Join("#both")) << here.Transcript();
    ASSERT_TRUE(there.Connect(other, "there") && there.Join("#both")) << there.Transcript();

    app.settings.AutoReconnect = 1;
    // The saved server's password is that of 127.0.0.1, whatever its port.
    app.ini.WriteString("SERVER", "Address", "127.0.0.1");
    app.ini.WriteString("SERVER", "Password", NgircdServer::kPassword);
    ASSERT_TRUE(zorl.Connect(*server)) << Transcript();
    CServerConnection& first = app.networks.First();
    ASSERT_TRUE(zorl.Type("", "/newserver 127.0.0.1 " + std::to_string(other.Port())));
    ASSERT_EQ(app.networks.Count(), 2u);
    CServerConnection& second = *app.networks.All()[1];
    ASSERT_TRUE(WaitUntil([&] { return second.Registered(); }, 10000)) << Transcript();

    const FrameId firstStatus = app.registry.StatusFrameOf(first.Socket());
    const FrameId secondStatus = app.registry.StatusFrameOf(second.Socket());
    app.SendString(firstStatus, "/join #both");
    app.SendString(secondStatus, "/join #both");
    auto frameOn = [&](CServerConnection& network) {
        return app.registry.GetFrmByNameSocket("#both", network.Socket());
    };
    auto pane = [&](FrameId frame) { return host().surface.Recording(frame).Text(); };
    ASSERT_TRUE(WaitUntil([&] {
        return frameOn(first) && frameOn(second) &&
               pane(frameOn(second)).find("now talking in channel") != std::string::npos;
    })) << Transcript();
    const FrameId onFirst = frameOn(first);
    const FrameId onSecond = frameOn(second);
    ASSERT_NE(onFirst, onSecond);

    app.SendString(onSecond, "only for there");
    app.SendString(onFirst, "only for here");
    auto heard = here.WaitForCommand("PRIVMSG");
    ASSERT_TRUE(heard) << here.Transcript();
    EXPECT_NE(heard->find("only for here"), std::string::npos) << *heard;
    heard = there.WaitForCommand("PRIVMSG");
    ASSERT_TRUE(heard) << there.Transcript();
    EXPECT_NE(heard->find("only for there"), std::string::npos) << *heard;

    ASSERT_TRUE(other.Restart()) << other.Failure();
    auto joinsOnSecond = [&] {
        std::vector<std::string> lines = host().surface.Recording(onSecond).Lines();
        return std::ranges::count(lines, "now talking in channel #both");
    };
    ASSERT_TRUE(WaitUntil([&] { return joinsOnSecond() == 2; }, 20000)) << Transcript();
    EXPECT_EQ(frameOn(second), onSecond);
    EXPECT_NE(pane(onSecond).find("only for there"), std::string::npos);
    EXPECT_EQ(first.State(), CONNECTED);
    EXPECT_EQ(pane(firstStatus).find("Reconnecting"), std::string::npos) << Transcript();
    EXPECT_NE(pane(secondStatus).find("** Reconnecting in 10 s (try 1)"), std::string::npos);
}

TEST_F(ConnectionIntegrationTest, IdentAnswersOneQueryWithTheUserName) {
    const uint16_t port = FreeLoopbackPort();
    app.ident.StartIdent("127.0.0.1", port);
    ASSERT_TRUE(app.ident.Socket()) << Transcript();

    RawStream query = RawStream::Connect(port);
    ASSERT_TRUE(query.IsOpen());
    ASSERT_TRUE(query.SendAll("6193, 23\r\n"));
    std::string answer;
    ASSERT_TRUE(query.ReadToEnd(answer)) << answer << Transcript();
    EXPECT_EQ(answer, "6193, 23 : USERID : UNIX : zorl\r\n");
    EXPECT_TRUE(Shown("*** Identd request from 127.0.0.1")) << Transcript();
    EXPECT_TRUE(Shown("*** Identd replied: 6193, 23 : USERID : UNIX : zorl")) << Transcript();
    EXPECT_FALSE(app.ident.Socket());
    app.OnTick();

    // One answer per connection attempt: nobody listens any more.
    EXPECT_FALSE(RawStream::Connect(port, 500).IsOpen());
}

TEST_F(ConnectionIntegrationTest, IdentDropsAPeerThatNeverAsks) {
    const uint16_t port = FreeLoopbackPort();
    app.ident.StartIdent("127.0.0.1", port);
    RawStream silent = RawStream::Connect(port);
    ASSERT_TRUE(silent.IsOpen());
    ASSERT_TRUE(WaitUntil([&] { return app.ident.Socket() && app.ident.Socket()->connected; }));

    for (int tick = 0; tick < CIdentResponder::kTimeoutTicks; ++tick) app.OnTick();
    std::string rest;
    EXPECT_TRUE(silent.ReadToEnd(rest)) << "the peer was not closed" << Transcript();
    EXPECT_EQ(rest, "");
    EXPECT_FALSE(app.ident.Socket());
}

}  // namespace
}  // namespace zorl::test
