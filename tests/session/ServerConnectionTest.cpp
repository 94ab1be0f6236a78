// Connecting, registering, sending, closing and reconnecting, read as
// transcripts of the status window and the bytes on the scripted socket.
#include <set>

#include "common/Format.h"
#include "common/Random.h"
#include "config/Settings.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/NotifyTimer.h"
#include "session/ServerConnection.h"
#include "session/SessionFixture.h"
#include "windows/LastingHistory.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl::test {
namespace {

using Texts = std::vector<std::string>;

class ConnectionTest : public SessionTest {};

TEST_F(ConnectionTest, ConnectOpensIdentThenServerAndRegisters) {
    app.settings.ExtConnect = 1;
    auto server = PressConnect();
    ASSERT_TRUE(server);
    auto ident = IdentListener();
    ASSERT_TRUE(ident);
    EXPECT_EQ(ident->bindAddress, "0.0.0.0");
    EXPECT_TRUE(ident->listening);
    EXPECT_EQ(ident->backlog, 5);
    EXPECT_EQ(host.clock.sleeps, std::vector<int>{200});

    EXPECT_EQ(server->connectHost, "irc.example");
    EXPECT_EQ(server->connectPort, 6667);
    EXPECT_EQ(server->events, kEventRead | kEventOutOfBand | kEventConnect | kEventClose);
    EXPECT_EQ(app.Connection().State(), CONNECTING);
    EXPECT_EQ(app.Connection().LastAddress(), "irc.example");
    EXPECT_EQ(app.Connection().LastPort(), 6667);
    EXPECT_FALSE(app.Connection().State() == IDLE);
    EXPECT_TRUE(app.Connection().State() != IDLE);
    EXPECT_FALSE(host.surface.connectCommand);
    EXPECT_EQ(Lines(""),
              (Texts{"-- Ident socket Create", ">> STARTING", "-- (StartSocket) Create",
                     "** Connecting to irc.example (6667)", "-- (StartSocket) Connect",
                     "-- Connect socket reply (Operation would block)", ">> CONNECTING"}))
        << Transcript();
    ExpectShown("", Cls::Flow, "** Connecting to irc.example (6667)");
    EXPECT_EQ(server->sent, "");

    host.clock.now += 60;
    server->Connected();
    EXPECT_EQ(app.Connection().State(), CONNECTED);
    EXPECT_EQ(server->sent,
              "PASS secret\r\n"
              "CAP LS 302\r\n"
              "NICK joe\r\n"
              "USER joe localhost localhost : Joe Bloggs\r\n");
    EXPECT_EQ(app.Connection().LastSendTime(), host.clock.now);
}

TEST_F(ConnectionTest, EmptyPasswordSendsNoPassLine) {
    app.settings.Password = "";
    auto server = PressConnect();
    server->Connected();
    EXPECT_EQ(server->sent,
              "CAP LS 302\r\n"
              "NICK joe\r\n"
              "USER joe localhost localhost : Joe Bloggs\r\n");
}

TEST_F(ConnectionTest, MissingSettingsShowABoxAndOpenNothing) {
    struct Case {
        const char* nick;
        const char* user;
        const char* server;
        const char* box;
    } cases[] = {
        {"", "joe", "irc.example", "Please choose a valid nickname and username"},
        {"joe", "", "irc.example", "Please choose a valid nickname and username"},
        {"joe", "joe", "", "Please choose a valid server"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        app.settings.m_user_mynick = c.nick;
        app.settings.User = c.user;
        app.settings.m_server_address = c.server;
        host.dialogs.boxes.clear();
        app.Connection().OnButtonConnect();
        EXPECT_EQ(host.dialogs.boxes, Texts{c.box});
        EXPECT_TRUE(host.sockets.all.empty());
        EXPECT_EQ(app.Connection().State(), IDLE);
    }
}

TEST_F(ConnectionTest, WrongStatesChangeNothing) {
    app.Connection().OnButtonDisconnect();
    ExpectShown("", Cls::Error, "(OnButtonDisconnect) Wrong state IDLE");

    auto server = PressConnect();
    std::size_t sockets = host.sockets.all.size();
    app.Connection().OnButtonConnect();
    ExpectShown("", Cls::Error, "(OnButtonConnect) Wrong state CONNECTING");
    app.Connection().StartSocket("other.example", 7000, "");
    ExpectShown("", Cls::Error, "** (StartSocket) Wrong state CONNECTING");
    EXPECT_EQ(host.sockets.all.size(), sockets);
    EXPECT_EQ(app.Connection().LastAddress(), "irc.example");

    server->Connected();
    server->sent.clear();
    app.OnConnect(kWsaOk, *app.Connection().Socket());
    ExpectShown("", Cls::Error, "** (OnConnect) Wrong state CONNECTED");
    EXPECT_EQ(server->sent, "");
    EXPECT_EQ(app.Connection().State(), CONNECTED);

    app.Connection().Disconnect();
    app.OnClose(kWsaOk, *app.Connection().Socket());
    ExpectShown("", Cls::Error, "** (OnClose) Wrong state IDLE");
    EXPECT_EQ(app.Connection().State(), IDLE);
}

TEST_F(ConnectionTest, PortIsOneEntryOfTheListChosenAtRandom) {
    std::set<int> seen;
    for (int seed = 1; seed <= 60; ++seed) {
        app.random.Seed(static_cast<uint64_t>(seed));
        seen.insert(app.Connection().ChoosePort("6667, 6668,7000").port);
    }
    EXPECT_EQ(seen, (std::set<int>{6667, 6668, 7000}));

    struct Case {
        const char* ports;
        int port;
        bool tls;
    } cases[] = {
        {"6665-6669", 6665, false}, {"", 0, false},        {"  7000", 7000, false}, {"x", 0, false},
        {"7000,", 7000, false},     {"+6697", 6697, true}, {" +6697", 6697, true},  {"+", 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ports);
        const PortChoice choice = app.Connection().ChoosePort(c.ports);
        EXPECT_EQ(choice.port, c.port);
        EXPECT_EQ(choice.tls, c.tls);
    }
}

TEST_F(ConnectionTest, PortZeroAndOutOfRangePortsAreTriedAndReported) {
    app.settings.m_server_ports = "";
    app.Connection().OnButtonConnect();
    EXPECT_EQ(host.sockets.Last()->connectPort, 0);
    EXPECT_EQ(app.Connection().LastPort(), 0);
    app.Connection().Disconnect();

    // Would wrap around to port 4464 if passed on.
    app.settings.m_server_ports = "70000";
    std::size_t sockets = host.sockets.all.size();
    app.Connection().OnButtonConnect();
    for (std::size_t i = sockets; i < host.sockets.all.size(); ++i)
        EXPECT_EQ(host.sockets.all[i]->connectHost, "");
    ExpectShown("", Cls::UError, "** Unable to connect (Can't assign requested address)");
    EXPECT_EQ(app.Connection().State(), IDLE);
}

TEST_F(ConnectionTest, FailuresBeforeTheConnectionIsUp) {
    struct Case {
        const char* what;
        WsaError createError;
        WsaError connectResult;
        WsaError connectError;
        Texts lines;
    } cases[] = {
        {"socket creation",
         kWsaTooManyFiles,
         kWsaWouldBlock,
         kWsaOk,
         {"** Unable to create socket (Too many open files)"}},
        {"name resolution",
         kWsaOk,
         kWsaInvalid,
         kWsaOk,
         {"** Connecting to irc.example (6667)", "** Unable to connect (Unable to resolve server)",
          "** Disconnected"}},
        {"refused later",
         kWsaOk,
         kWsaWouldBlock,
         kWsaConnectionRefused,
         {"** Connecting to irc.example (6667)", "** Connection failed: Connection refused",
          "** Disconnected"}},
    };
    app.settings.AutoReconnect = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t from = Lines("").size();
        host.sockets.createErrors = {kWsaOk, c.createError};  // ident, then server
        host.sockets.connectResults = {c.connectResult};
        auto server = PressConnect();
        if (c.connectError != kWsaOk) server->Connected(c.connectError);
        EXPECT_EQ(StatusSince(from), c.lines) << Transcript();
        EXPECT_EQ(app.Connection().State(), IDLE);
        EXPECT_TRUE(app.Connection().State() == IDLE);
        EXPECT_TRUE(host.surface.connectCommand);
        // Disconnect closes the ident socket; a creation failure leaves it.
        EXPECT_EQ(app.ident.Socket() != nullptr, c.createError != kWsaOk);
        // Not repeated, AutoReconnect or not; the next Connect works.
        EXPECT_EQ(host.sockets.all.back()->connectHost.empty(), c.createError != kWsaOk);
        auto again = PressConnect();
        EXPECT_EQ(again->connectHost, "irc.example");
        EXPECT_EQ(app.Connection().State(), CONNECTING);
        app.Connection().OnButtonDisconnect();
    }
    ExpectShown("", Cls::UError, "** Unable to create socket (Too many open files)");
    ExpectShown("", Cls::UError, "** Connection failed: Connection refused");
    ExpectShown("", Cls::Flow, "** Disconnected");
}

TEST_F(ConnectionTest, ConnectionUpAtOnceRegistersWithoutANotification) {
    host.sockets.connectResults = {kWsaOk};
    auto server = PressConnect();
    EXPECT_EQ(app.Connection().State(), CONNECTED);
    EXPECT_NE(server->sent.find("NICK joe\r\n"), std::string::npos);
}

// A server that stops reading: the line that finds the send queue full ends
// the connection with one line, and AutoReconnect starts a new one.
TEST_F(ConnectionTest, FullSendQueueClosesTheConnection) {
    app.settings.AutoReconnect = 1;
    auto server = ConnectServer();
    app.Connection().MarkRegistered();
    server->sendQueueFull = true;
    std::size_t from = Lines("").size();
    server->Receive("PING :1\r\nPING :2\r\n");
    EXPECT_EQ(StatusSince(from),
              (Texts{"PING? PONG!", "** Closing: the server stopped reading (send queue full)",
                     "** Disconnected", "** Reconnecting in 10 s (try 1)"}))
        << Transcript();
    EXPECT_TRUE(server->closed);
    host.clock.ticks += 10'000;
    app.OnTick();
    EXPECT_NE(host.sockets.Last(), server);
}

// A session that ends without the user asking is tried again 10 s later,
// then twice as long after each failed try, at most five minutes apart; a
// welcomed session starts the round again.
TEST_F(ConnectionTest, LostConnectionsAreTriedAgainLaterAndLater) {
    app.settings.AutoReconnect = 1;
    auto server = ConnectServer();
    app.Connection().MarkRegistered();  // the welcome arrived
    std::size_t from = Lines("").size();
    server->Closed(kWsaConnectionReset);
    EXPECT_EQ(StatusSince(from), (Texts{"** Closing: Connection reset by peer", "** Disconnected",
                                        "** Reconnecting in 10 s (try 1)"}))
        << Transcript();
    ExpectShown("", Cls::UError, "** Closing: Connection reset by peer");
    EXPECT_EQ(app.Connection().State(), IDLE);

    for (int delay : {10, 20, 40, 80, 160, 300, 300}) {
        SCOPED_TRACE(delay);
        host.clock.ticks += delay * 1000 - 1;
        app.OnTick();
        ASSERT_EQ(host.sockets.Last(), server) << "tried early";
        host.clock.ticks += 1;
        app.OnTick();
        ASSERT_NE(host.sockets.Last(), server);
        server = host.sockets.Last();
        server->Connected();
        server->Closed(kWsaConnectionReset);  // dropped before the welcome
    }
    EXPECT_EQ(app.Connection().ReconnectCount(), 8);
    EXPECT_EQ(Lines("").back(), "** Reconnecting in 300 s (try 8)");

    // Disconnect ends the round.
    app.Connection().OnButtonDisconnect();
    ExpectShown("", Cls::Flow, "** Reconnecting cancelled");
    host.clock.ticks += 300'000;
    app.OnTick();
    EXPECT_EQ(host.sockets.Last(), server);
    EXPECT_EQ(app.Connection().ReconnectCount(), 0);
}

// A server that restarts closes cleanly: that is retried as well, but not a
// session the user ended with QUIT, nor one the server banned us from.
TEST_F(ConnectionTest, CleanCloseIsRetriedUnlessWeQuitOrWereBanned) {
    app.settings.AutoReconnect = 1;
    struct Case {
        const char* before;  // what the user sent, or the server's ERROR
        bool fromServer;
        const char* last;
    } cases[] = {
        {"", false, "** Reconnecting in 10 s (try 1)"},
        {"QUIT :bye", false, "** Disconnected"},
        {"ERROR :Closing Link: joe (K-Lined: spam)", true,
         "** Not reconnecting: the server refused us (Closing Link: joe (K-Lined: spam))"},
        {"ERROR :Closing Link: joe (Server shutting down)", true,
         "** Reconnecting in 10 s (try 1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        auto server = ConnectServer();
        app.Connection().MarkRegistered();
        if (c.fromServer)
            server->Receive(std::string(c.before) + "\r\n");
        else if (*c.before)
            app.Connection().SendLine(app.Connection().Socket(), c.before, false);
        server->Closed();
        EXPECT_EQ(Lines("").back(), c.last) << Transcript();
        EXPECT_EQ(app.Connection().ReconnectPending(), std::string(c.last).starts_with("** Rec"));
        app.Connection().OnButtonDisconnect();
    }
}

TEST_F(ConnectionTest, ResetWithoutAutoReconnectStaysIdle) {
    auto server = ConnectServer();
    std::size_t sockets = host.sockets.all.size();
    server->Closed(kWsaConnectionReset);
    EXPECT_EQ(app.Connection().State(), IDLE);
    EXPECT_EQ(host.sockets.all.size(), sockets);
    EXPECT_EQ(app.Connection().ReconnectCount(), 0);
}

TEST_F(ConnectionTest, CleanCloseReconnectsOnlyWhenAsked) {
    for (bool again : {false, true}) {
        SCOPED_TRACE(again);
        auto server = ConnectServer();
        app.Connection().SetReconnectAfterCloseForTest(again);
        std::size_t from = Lines("").size();
        server->Closed();
        Texts expected{"** Disconnected"};
        if (again) expected.push_back("** Connecting to irc.example (6667)");
        EXPECT_EQ(StatusSince(from), expected) << Transcript();
        EXPECT_EQ(app.Connection().State(), again ? CONNECTING : IDLE);
        EXPECT_FALSE(app.Connection().ReconnectAfterClose());
        if (again) app.Connection().OnButtonDisconnect();
    }
}

TEST_F(ConnectionTest, DisconnectCommand) {
    // Connected: QUIT goes out and the socket is closed at once.
    auto server = ConnectServer();
    auto ident = IdentListener();
    app.Connection().OnButtonDisconnect();
    EXPECT_EQ(server->sent, "QUIT :bye\r\n");
    EXPECT_TRUE(server->closed);
    EXPECT_TRUE(ident->closed);
    EXPECT_FALSE(app.ident.Socket());
    EXPECT_EQ(app.Connection().State(), IDLE);
    EXPECT_TRUE(app.Connection().State() == IDLE);
    EXPECT_FALSE(app.Connection().State() != IDLE);
    ExpectShown("", Cls::Flow, "** Disconnected");

    // Still connecting: nothing is sent.
    server = PressConnect();
    app.Connection().OnButtonDisconnect();
    EXPECT_EQ(server->sent, "");
    EXPECT_TRUE(server->closed);
    EXPECT_EQ(app.Connection().State(), IDLE);
}

TEST_F(ConnectionTest, DisconnectStopsTheNotifyTimer) {
    ConnectServer();
    app.Connection().StartNotifyTimer();
    app.Connection().Disconnect();
    EXPECT_FALSE(app.Connection().NotifyTimer().Running());
}

TEST_F(ConnectionTest, SendLineChecksStateAndSocketType) {
    auto server = PressConnect();
    app.Connection().SendLine(app.Connection().Socket(), "PRIVMSG #x :early", false);
    ExpectShown("", Cls::UError, "No active connection");
    EXPECT_EQ(server->sent, "");

    CIrcSocket file(app.SocketHost());
    file.type = kSocketDccSendIn;
    ASSERT_EQ(file.Create(kEventRead | kEventConnect | kEventClose), 0);
    auto fileState = host.sockets.Last();
    app.Connection().SendLine(&file, "hello", false);
    EXPECT_EQ(fileState->sent, "");
    ExpectShown("", Cls::Error, Format("ERROR: Send to wrong socket type: 3 (%08X)", file.Id()));

    CIrcSocket unused(app.SocketHost());
    app.Connection().SendLine(&unused, "hello", false);
    ExpectShown("", Cls::Error, Format("ERROR: Send to NONE socket (%08X)", unused.Id()));
    app.Connection().SendLine(nullptr, "hello", false);
    ExpectShown("", Cls::Error, "ERROR: Send to NULL-socket");

    // Activity is marked even when nothing could be sent.
    host.clock.now += 5;
    app.Connection().SendLine(&file, "x", true);
    EXPECT_EQ(app.Connection().LastSendTime(), host.clock.now);
}

TEST_F(ConnectionTest, SentLinesAreOneLineAndShownWithDebugOn) {
    auto server = ConnectServer();
    app.output.SetDebug(true);
    app.Connection().SendLine(app.Connection().Socket(), "NOTICE bob :\x01PING 1\nQUIT\r\x01",
                              false);
    EXPECT_EQ(server->sent, "NOTICE bob :\x01PING 1 QUIT \x01\r\n");
    auto lines = Pieces("");
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().debug);
    EXPECT_EQ(lines.back().colour, ColourOf(Cls::Own));
    EXPECT_NE(lines.back().text.find(">> NOTICE bob :"), std::string::npos) << Transcript();
}

TEST_F(ConnectionTest, ANewAttemptKeepsEveryWindow) {
    CIrcSocket dcc(app.SocketHost());
    app.registry.NewWindow("#zorl", kWindowChannel, app.Connection().Socket(), false);
    app.registry.NewWindow("bob", kWindowQuery, app.Connection().Socket(), false);
    app.registry.NewWindow("carol", kWindowDccQuery, &dcc, false);
    app.registry.NewWindow("~debug", kWindowDefault, nullptr, false);
    ASSERT_EQ(app.registry.Records().size(), 5u);

    PressConnect();
    Texts left;
    for (const ChannelRecord& record : app.registry.Records()) left.push_back(record.name);
    EXPECT_EQ(left, (Texts{"", "#zorl", "bob", "carol", "~debug"}));
    EXPECT_NE(host.surface.Frame(app.registry.pStatusFrm), nullptr);
}

TEST_F(ConnectionTest, ChannelWindowsHearOfTheDisconnectWithChanConnect) {
    for (int chanConnect : {1, 0}) {
        SCOPED_TRACE(chanConnect);
        app.settings.ChanConnect = chanConnect;
        auto server = ConnectServer();
        ChannelRecord* channel =
            app.registry.NewWindow("#zorl", kWindowChannel, app.Connection().Socket(), false);
        ASSERT_TRUE(channel);
        FrameId frame = channel->frame;
        server->Closed();
        RecordedFrame* shown = host.surface.Frame(frame);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->Text(), chanConnect ? "** Disconnected\r\n" : "");
        app.output.Lasting().Forget(*channel);  // the next row's window starts empty
        app.registry.DeleteChannel(frame);
    }
}

TEST_F(ConnectionTest, StatusCaptionFollowsTheState) {
    app.registry.UpdateCR(app.registry.pStatusFrm, "Status", kUpdateTitle);
    app.settings.m_server_name = "Example";
    auto server = PressConnect();
    RecordedFrame* status = host.surface.Frame(app.registry.pStatusFrm);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->caption, "Status: joe");
    server->Connected();
    EXPECT_EQ(status->caption, "Status: joe on Example");
    app.Connection().OnButtonDisconnect();
    EXPECT_EQ(status->caption, "Status");
}

TEST_F(ConnectionTest, StateNamesAndErrorTexts) {
    struct {
        ConnectionState state;
        const char* name;
    } states[] = {{IDLE, "IDLE"},
                  {STARTING, "STARTING"},
                  {CONNECTING, "CONNECTING"},
                  {CONNECTED, "CONNECTED"},
                  {static_cast<ConnectionState>(4), "unknown state"},
                  {static_cast<ConnectionState>(-1), "unknown state"}};
    for (const auto& s : states) {
        app.Connection().ForceStateForTest(s.state, app.Connection().Registered());
        EXPECT_EQ(app.Connection().StateName(), s.name);
    }
    struct {
        WsaError code;
        const char* text;
    } errors[] = {{kWsaOk, "no error (0)"},
                  {kWsaInterrupted, "Interrupted system call"},
                  {kWsaAddressInUse, "Address already in use"},
                  {kWsaHostUnreachable, "No Route to Host"},
                  {kWsaDisconnecting, "WSAEDISCON"},
                  {kWsaNoData, "Valid name, no data record of requested type."},
                  {kWsaSystemCallFailure, "unknown WSA error"},
                  {static_cast<WsaError>(10000), "unknown WSA error"},
                  {static_cast<WsaError>(10072), "unknown WSA error"},
                  {static_cast<WsaError>(-10054), "unknown WSA error"}};
    for (const auto& e : errors) {
        SCOPED_TRACE(e.code);
        EXPECT_EQ(CServerConnection::WsaErrorText(e.code), e.text);
    }
}

}  // namespace
}  // namespace zorl::test
