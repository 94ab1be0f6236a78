// The command interpreter as transcripts: a line typed in a window, what went
// to the server and what was shown where.
#include <gtest/gtest.h>

#include "common/Text.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "script/CommandTable.h"
#include "script/ScriptFixture.h"
#include "session/IrcSocket.h"
#include "session/ServerSupport.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

using Panes = std::map<std::string, std::string>;

class Interpreter : public test::ScriptFixture {};

struct Row {
    const char* window;  // where the line is typed ("" the status window)
    const char* typed;
    const char* sent;
    const char* shownIn;  // null: nothing is shown anywhere
    Cls cls;
    const char* shown;
};

TEST_F(Interpreter, EachCommandSendsAndEchoes) {
    Online();
    const Row rows[] = {
        // Plain text goes to the window's channel or peer.
        {"#chan", "hello there", "PRIVMSG #chan :hello there\r\n", "#chan", Cls::Own,
         "<me> hello there"},
        {"joe", "hi", "PRIVMSG joe :hi\r\n", "joe", Cls::Own, "<me> hi"},
        {"", "hello", "", "", Cls::UError, "No active channel"},
        // PRIVMSG echoes in the peer's window when there is one.
        {"#chan", "/privmsg ann :hi there", "PRIVMSG ann :hi there\r\n", "#chan", Cls::Own,
         "-> *ann* hi there"},
        {"#chan", "/PRIVMSG joe hi", "PRIVMSG joe :hi\r\n", "joe", Cls::Own, "<me> hi"},
        {"#chan", "/notice ann hi", "NOTICE ann :hi\r\n", "#chan", Cls::Notice, "-> -ann- hi"},
        {"#chan", "/notice", "", nullptr, Cls::Normal, ""},
        {"#chan", "/action waves",
         "PRIVMSG #chan :\x01"
         "ACTION waves\x01\r\n",
         "#chan", Cls::Action, "* me waves"},
        {"joe", "/ACTION waves",
         "PRIVMSG joe :\x01"
         "ACTION waves\x01\r\n",
         "joe", Cls::Action, "* me waves"},
        {"", "/action waves", "", "", Cls::UError, "No active channel"},
        // CTCP PING carries the time; other requests go as typed.
        {"#chan", "/ctcp ann ping", "PRIVMSG ann :\x01PING 1700000000\x01\r\n", "#chan", Cls::CTCP,
         "-> [ann] ping"},
        {"#chan", "/ctcp ann ping x", "PRIVMSG ann :\x01ping x\x01\r\n", "#chan", Cls::CTCP,
         "-> [ann] ping x"},
        {"#chan", "/ctcp ann", "", nullptr, Cls::Normal, ""},
        {"#chan", "/version", "VERSION\r\n", nullptr, Cls::Normal, ""},
        {"#chan", "/version ann", "PRIVMSG ann :\x01VERSION\x01\r\n", "#chan", Cls::CTCP,
         "-> [ann] VERSION"},
        {"", "/time", "TIME\r\n", nullptr, Cls::Normal, ""},
        {"", "/Time ann", "PRIVMSG ann :\x01TIME\x01\r\n", "", Cls::CTCP, "-> [ann] TIME"},
        {"#chan", "/topic #x", "TOPIC #x\r\n", nullptr, Cls::Normal, ""},
        {"#chan", "/topic #x :new topic", "TOPIC #x :new topic\r\n", nullptr, Cls::Normal, ""},
        {"#chan", "/topic", "TOPIC \r\n", nullptr, Cls::Normal, ""},
        {"#chan", "/part", "PART #chan\r\n", nullptr, Cls::Normal, ""},
        {"#chan", "/part #other", "PART #other\r\n", nullptr, Cls::Normal, ""},
        {"#chan", "/quit", "QUIT :gone fishing\r\n", nullptr, Cls::Normal, ""},
        {"#chan", "/quit bye now", "QUIT :bye now\r\n", nullptr, Cls::Normal, ""},
        // JOIN of the current window's channel, in any case, sends nothing.
        {"#chan", "/join #CHAN", "", nullptr, Cls::Normal, ""},
        {"", "/join #chan", "JOIN #chan :\r\n", nullptr, Cls::Normal, ""},
        {"#chan", "/JOIN #x key", "JOIN #x :key\r\n", nullptr, Cls::Normal, ""},
        {"#chan", "/join", "", nullptr, Cls::Normal, ""},
        // Anything else goes to the server with its word in lower case.
        {"#chan", "/WHOIS joe", "whois joe\r\n", nullptr, Cls::Normal, ""},
        {"#chan", "/AWAY", "away \r\n", nullptr, Cls::Normal, ""},
        {"#chan", "  /MoDe #chan +o  joe ", "mode #chan +o  joe\r\n", nullptr, Cls::Normal, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("typed '") + row.typed + "' in '" + row.window + "'");
        host.Elapse(kFreshBurst);  // the lines are more than one burst
        Type(FrameOf(row.window), row.typed);
        EXPECT_EQ(TakeSent(), row.sent);
        if (!row.shownIn) {
            EXPECT_EQ(AllShown(), Panes{}) << Transcript();
        } else {
            EXPECT_EQ(AllShown(), (Panes{{row.shownIn, std::string(row.shown) + "\r\n"}}));
            EXPECT_TRUE(Shows(row.shownIn, ColourOf(row.cls), row.shown));
        }
        ClearPanes();
    }
}

TEST_F(Interpreter, BlankLinesAndALoneSlashDoNothing) {
    Online();
    for (const char* line : {"", "   ", "\t", "/", "/ hello", "  /  "}) {
        SCOPED_TRACE(std::string("'") + line + "'");
        Type(chan_, line);
        EXPECT_EQ(TakeSent(), "");
        EXPECT_EQ(AllShown(), Panes{});
    }
}

TEST_F(Interpreter, CommandWordsOfLaterCommandsAreNeverSentRaw) {
    Online();
    for (const CommandRow& row : CommandTable()) {
        if (row.run) continue;
        SCOPED_TRACE(row.name);
        Type(chan_, "/" + ToLower(row.name) + " joe x");
        EXPECT_EQ(TakeSent(), "");
    }
}

TEST_F(Interpreter, SendingWhileNotConnected) {
    FrameId chan = OpenChannel("#chan");
    Type(StatusFrame(), "/join #x");
    EXPECT_EQ(AllShown(), (Panes{{"", "No active connection\r\n"}}));
    ExpectShown("", Cls::UError, "No active connection");
    ClearPanes();
    // The connection has never been made: plain text has nowhere to go.
    Type(chan, "hello");
    EXPECT_EQ(AllShown(), Panes{});
    for (const auto& socket : host.sockets.all) EXPECT_EQ(socket->sent, "");
}

TEST_F(Interpreter, UnknownFrameIsReported) {
    Online();
    Type(0xBAD, "hello");
    ExpectOneError("ERROR: SendString: Frm not found");
    EXPECT_EQ(TakeSent(), "");
}

TEST_F(Interpreter, QueryOpensAndClosesQueryWindowsOnly) {
    Online();
    Type(chan_, "/query Ann hi there");
    ASSERT_NE(FrameOf("ann"), 0u);
    EXPECT_EQ(app.registry.GetCRbyFrm(FrameOf("ann"))->type, kWindowQuery);
    EXPECT_EQ(TakeSent(), "PRIVMSG Ann :hi there\r\n");
    EXPECT_EQ(AllShown(), (Panes{{"ann", "<me> hi there\r\n"}}));

    Type(chan_, "/query bob");
    EXPECT_NE(FrameOf("bob"), 0u);
    EXPECT_EQ(TakeSent(), "");

    ClearPanes();
    FrameId ann = FrameOf("ann");
    Type(ann, "/query");
    EXPECT_EQ(FrameOf("ann"), 0u);
    const test::RecordedFrame& closed = host.surface.frames.at(ann);
    EXPECT_TRUE(closed.destroyed);
    EXPECT_EQ(closed.Text(), "Closing query\r\n");
    EXPECT_EQ(closed.pieces.at(0).colour, ColourOf(Cls::Info));

    // Neither the status window nor a channel window closes this way.
    Type(StatusFrame(), "/query");
    Type(chan_, "/QUERY");
    EXPECT_EQ(app.registry.IsFrameRegistered(StatusFrame()), 1);
    EXPECT_EQ(app.registry.IsFrameRegistered(chan_), 1);
    EXPECT_EQ(AllShown(), Panes{});
    EXPECT_EQ(TakeSent(), "");
}

TEST_F(Interpreter, NickChangesLocallyUntilTheServerWelcomesUs) {
    // Offline: only the local nick changes, and it is kept in zorl.ini.
    Type(StatusFrame(), "/NICK first");
    EXPECT_EQ(app.settings.m_user_mynick, "first");
    EXPECT_EQ(app.ini.ReadString("USER", "Nick", ""), "first");
    EXPECT_EQ(AllShown(), (Panes{{"", "Your nick is now first\r\n"}}));
    ExpectShown("", Cls::Info, "Your nick is now first");

    // Connected, before the welcome: sent and changed here at once.
    Connect();
    Type(StatusFrame(), "/nick second");
    EXPECT_EQ(TakeSent(), "NICK second\r\n");
    EXPECT_EQ(app.settings.m_user_mynick, "second");
    EXPECT_EQ(app.ini.ReadString("USER", "Nick", ""), "second");
    EXPECT_EQ(host.surface.Frame(StatusFrame())->caption, "Status: second on irc.example");
    ClearPanes();

    // After the welcome (001 sets the flag) the server's confirmation decides.
    app.Connection().ForceStateForTest(app.Connection().State(), true);
    Type(StatusFrame(), "/nick third");
    EXPECT_EQ(TakeSent(), "NICK third\r\n");
    EXPECT_EQ(app.settings.m_user_mynick, "second");
    EXPECT_EQ(app.ini.ReadString("USER", "Nick", ""), "second");
    EXPECT_EQ(AllShown(), Panes{});

    // Longer than the network's NICKLEN: refused here, with the reason.
    app.Connection().Support().Apply({"second", "NICKLEN=9", "are supported"});
    Type(StatusFrame(), "/nick muchtoolong");
    EXPECT_EQ(TakeSent(), "");
    ExpectShown("", Cls::UError, "This network allows nicks of at most 9 characters");

    // No new nick, or an empty first argument: nothing at all.
    for (const char* typed : {"/nick", "/nick : x"}) {
        Type(StatusFrame(), typed);
        EXPECT_EQ(TakeSent(), "") << typed;
        EXPECT_EQ(app.settings.m_user_mynick, "second");
    }
}

TEST_F(Interpreter, ServerWhileIdleConnectsToTheNamedServer) {
    Type(StatusFrame(), "/server irc.other 7000");
    EXPECT_EQ(app.settings.m_server_address, "irc.other");
    EXPECT_EQ(app.settings.m_server_name, "irc.other");
    EXPECT_EQ(app.settings.m_server_ports, "7000");
    auto socket = SocketTo("irc.other");
    ASSERT_TRUE(socket) << Transcript();
    EXPECT_EQ(socket->connectPort, 7000);
    EXPECT_EQ(app.Connection().State(), CONNECTING);
}

TEST_F(Interpreter, ServerWhileConnectedQuitsAndConnectsAgainAfterTheClose) {
    Online();
    host.clock.now += 60;
    Type(chan_, "/join #x");
    EXPECT_EQ(app.Connection().LastSendTime(), host.clock.now);  // typed commands are activity
    TakeSent();

    host.clock.now += 60;
    Type(StatusFrame(), "/server irc.other 7000");
    EXPECT_EQ(TakeSent(), "QUIT :gone fishing\r\n");
    EXPECT_NE(app.Connection().LastSendTime(), host.clock.now);  // ...but this QUIT is not
    EXPECT_FALSE(SocketTo("irc.other"));

    server_->Closed();
    auto socket = SocketTo("irc.other");
    ASSERT_TRUE(socket) << Transcript();
    EXPECT_EQ(socket->connectPort, 7000);
}

TEST_F(Interpreter, ServerWithoutArgumentsTakesTheLastServerTried) {
    Connect();
    app.settings.m_server_address = "elsewhere";
    Type(StatusFrame(), "/server");
    EXPECT_EQ(app.settings.m_server_address, "irc.example");
    EXPECT_EQ(app.settings.m_server_ports, "6667");
    EXPECT_EQ(TakeSent(), "QUIT :gone fishing\r\n");
}

TEST_F(Interpreter, DccChatWindowSendsTextUnchangedOnceTheChatIsUp) {
    Online();
    auto dcc = std::make_unique<CIrcSocket>(app.SocketHost());
    dcc->type = kSocketDccChat;
    ASSERT_EQ(dcc->Create(0), 0);
    auto peer = host.sockets.Last();
    const ChannelRecord* record = app.registry.NewWindow("ann", kWindowDccQuery, dcc.get(), false);
    ASSERT_TRUE(record);
    const FrameId frame = record->frame;

    Type(frame, "not yet");
    EXPECT_EQ(peer->sent, "");
    EXPECT_EQ(AllShown(), Panes{});

    dcc->connected = true;
    Type(frame, "hello $nick there");
    EXPECT_EQ(peer->sent, "hello $nick there\r\n");
    EXPECT_EQ(TakeSent(), "");
    EXPECT_EQ(AllShown(), (Panes{{"ann", "<me> hello $nick there\r\n"}}));

    app.registry.DeleteChannel(frame);
}

}  // namespace
}  // namespace zorl
