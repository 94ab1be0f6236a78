// Bytes from the server in, the lines handed to the parser out (seen through
// the "<< " debug lines).
#include "common/Format.h"
#include "config/Settings.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "session/SessionFixture.h"
#include "windows/Output.h"

namespace zorl::test {
namespace {

using Texts = std::vector<std::string>;

class ReceiveTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        server = ConnectServer();
        ASSERT_TRUE(server);
        app.output.SetDebug(true);
    }
    void Recv(const std::string& bytes) { server->Receive(bytes); }
    std::string& Pending() { return app.Connection().Socket()->pending; }
    std::string LastParsed() {
        Texts parsed = Parsed();
        return parsed.empty() ? "(nothing parsed)" : parsed.back();
    }

    std::shared_ptr<ScriptedSocketState> server;
};

TEST_F(ReceiveTest, LinesAreCutAtCrLfAcrossReads) {
    Recv(":srv 001 joe :Welcome\r\nPING :1\r\n");
    EXPECT_EQ(Parsed(), (Texts{":srv 001 joe :Welcome", "PING :1"}));
    EXPECT_EQ(Pending(), "");

    Recv(":srv NOTICE joe :split ");
    EXPECT_EQ(Parsed().size(), 2u);
    EXPECT_EQ(Pending(), ":srv NOTICE joe :split ");
    Recv("here\r");
    EXPECT_EQ(Parsed().size(), 2u);
    Recv("\nPING :2\r\n");
    EXPECT_EQ(Parsed(), (Texts{":srv 001 joe :Welcome", "PING :1", ":srv NOTICE joe :split here",
                               "PING :2"}));
    EXPECT_EQ(Pending(), "");
}

TEST_F(ReceiveTest, LfOnlyServerYieldsNothingUntilCrLf) {
    Recv("PING :1\nPING :2\n");
    EXPECT_TRUE(Parsed().empty());
    Recv("PING :3\r\n");
    EXPECT_EQ(Parsed(), Texts{"PING :1\nPING :2\nPING :3"});
}

TEST_F(ReceiveTest, ZeroBytesAreDroppedAndTheRestOfTheReadKept) {
    Recv(std::string("PING :a\0b\r\nPING :c\r\n\0", 21));
    EXPECT_EQ(Parsed(), (Texts{"PING :ab", "PING :c"}));
    EXPECT_EQ(Pending(), "");
}

// A flood does not hold the event loop: one notification takes a bounded
// share, the next goes on where it stopped, nothing lost or reordered.
TEST_F(ReceiveTest, OneNotificationTakesABoundedShareAndTheNextGoesOn) {
    app.settings.RawDebug = 1;
    std::string line(98, 'x');
    std::string burst;
    for (int i = 0; i < 1000; ++i) burst += line + "\r\n";  // 100000 bytes
    server->inbound.push_back(burst);
    server->inbound.push_back("PING :last\r\n");
    Texts parsed;
    auto pass = [&] {
        app.OnReceive(kWsaOk, *app.Connection().Socket());
        Texts lengths;
        for (const Piece& shown : Pieces(""))
            if (shown.text.find("**receive [") != std::string::npos)
                lengths.push_back(WithoutLineEnd(shown.text.substr(shown.text.find("len="))));
        for (const std::string& text : Parsed()) parsed.push_back(text);
        ClearPanes();
        return lengths;
    };
    EXPECT_EQ(pass(), (Texts{"len=40950", "len=40950"}));
    EXPECT_EQ(parsed.size(), 819u);
    EXPECT_EQ(pass(), (Texts{"len=18100", "len=12", "len=-1"}));
    ASSERT_EQ(parsed.size(), 1001u);
    EXPECT_EQ(parsed[0], line);
    EXPECT_EQ(parsed[999], line);
    EXPECT_EQ(parsed[1000], "PING :last");
}

TEST_F(ReceiveTest, RawDebugShowsEachReadsText) {
    app.settings.RawDebug = 1;
    Recv("PING :1\r\n");
    bool found = false;
    for (const Piece& shown : Pieces(""))
        if (shown.colour == 0x404040u && shown.text.find("PING :1") != std::string::npos)
            found = true;
    EXPECT_TRUE(found) << Transcript();
    std::string id = Format("%08X", app.Connection().Socket()->Id());
    EXPECT_NE(Transcript().find("**receive [" + id + "]: len=9"), std::string::npos)
        << Transcript();
}

TEST_F(ReceiveTest, OverlongLineIsDroppedOnceAndTheConnectionGoesOn) {
    const std::size_t limit = CServerConnection::kPendingLimit;
    const std::string diagnostic =
        Format("ERROR: OnReceive: line longer than %zu bytes dropped", limit);
    // Grows past the limit over many reads, then ends; the next line counts.
    Recv("PING :before\r\n:flood PRIVMSG joe :");
    for (std::size_t sent = 0; sent < limit + 5000; sent += 4000) Recv(std::string(4000, 'a'));
    EXPECT_LE(Pending().size(), limit + 1);
    Recv(std::string(100, 'a') + "\r\nPING :after\r\n");

    EXPECT_EQ(Parsed(), (Texts{"PING :before", "PING :after"}));
    int diagnostics = 0;
    for (const std::string& text : Lines("")) diagnostics += text == diagnostic;
    EXPECT_EQ(diagnostics, 1) << Transcript();
    ExpectShown("", Cls::Error, diagnostic);
    EXPECT_EQ(app.Connection().State(), CONNECTED);

    // A line exactly at the limit still passes.
    std::string longest = ":x PRIVMSG joe :" + std::string(limit - 16, 'b');
    ASSERT_EQ(longest.size(), limit);
    Recv(longest.substr(0, 30000));
    Recv(longest.substr(30000) + "\r");
    Recv("\n");
    EXPECT_EQ(LastParsed(), longest);
}

TEST_F(ReceiveTest, ReceiveErrorIsReportedAndNothingRead) {
    server->inbound.push_back("PING :1\r\n");
    app.OnReceive(kWsaConnectionReset, *app.Connection().Socket());
    ExpectShown("", Cls::UError,
                Format("** Receive error [%08X]: Connection reset by peer",
                       app.Connection().Socket()->Id()));
    EXPECT_TRUE(Parsed().empty());
}

TEST_F(ReceiveTest, NewConnectionStartsWithoutTheOldRest) {
    Recv("PING :half");
    app.Connection().OnButtonDisconnect();
    auto next = PressConnect();
    next->Connected();
    next->Receive("PING :fresh\r\n");
    EXPECT_EQ(Parsed(), Texts{"PING :fresh"});
}

// A line whose handling disconnects, or disconnects and connects anew, ends
// the read: nothing after it is parsed and the new connection gets none of
// the old text.
TEST_F(ReceiveTest, LineThatReplacesTheConnectionStopsTheRead) {
    for (bool reconnect : {false, true}) {
        SCOPED_TRACE(reconnect);
        host.surface.onAppend = [&](const std::string& text) {
            if (text.find("<< ERROR :bye") == std::string::npos) return;
            host.surface.onAppend = nullptr;
            app.Connection().Disconnect();
            if (reconnect) app.Connection().OnButtonConnect();
        };
        std::size_t before = Parsed().size();
        Recv("PING :1\r\nERROR :bye\r\nPING :2\r\nPRIVMSG");
        Texts parsed = Parsed();
        EXPECT_EQ(Texts(parsed.begin() + static_cast<long>(before), parsed.end()),
                  (Texts{"PING :1", "ERROR :bye"}));
        EXPECT_EQ(Pending(), "");
        ASSERT_EQ(app.Connection().State(), reconnect ? CONNECTING : IDLE);
        if (reconnect) {
            server = host.sockets.Last();
            server->Connected();
            Recv("PING :3\r\n");
            EXPECT_EQ(LastParsed(), "PING :3");
        } else {
            server = ConnectServer();
            ASSERT_TRUE(server);
        }
    }
}

}  // namespace
}  // namespace zorl::test
