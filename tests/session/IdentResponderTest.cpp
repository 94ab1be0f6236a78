// The ident responder: a query connects, one answer goes back, the socket
// closes, and nobody listens any more.
#include "config/Settings.h"
#include "session/IdentResponder.h"
#include "session/ServerConnection.h"
#include "session/SessionFixture.h"

namespace zorl::test {
namespace {

using Texts = std::vector<std::string>;

class IdentTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        app.ident.StartIdent("0.0.0.0", 113);
        listener = IdentListener();
        ASSERT_TRUE(listener);
        ASSERT_TRUE(listener->listening);
    }
    // A server connects to the ident port.
    std::shared_ptr<ScriptedSocketState> Query(const std::string& peer = "10.0.0.7") {
        auto query = host.sockets.PrepareAccept(peer);
        IdentListener()->Accept();
        return query;
    }

    std::shared_ptr<ScriptedSocketState> listener;
};

TEST_F(IdentTest, AnswersOneQueryWithTheUserNameAndCloses) {
    struct Case {
        const char* what;
        std::string chunk;
        std::string answer;
    } cases[] = {
        {"query with CR LF", "6193, 23\r\n", "6193, 23 : USERID : UNIX : joe\r\n"},
        {"query without CR LF", "6193, 23", "6193, 23 : USERID : UNIX : joe\r\n"},
        {"cut at the first LF", "6193, 23\nrest\r\n", "6193, 23 : USERID : UNIX : joe\r\n"},
        {"zero byte inside", std::string("6193,\0 23\r\n", 11),
         "6193, 23 : USERID : UNIX : joe\r\n"},
        {"format characters stay text", "%s%n%d\r\n", "%s%n%d : USERID : UNIX : joe\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app.ident.StartIdent("0.0.0.0", 113);
        listener = IdentListener();
        auto query = Query();
        EXPECT_TRUE(listener->closed) << "still listening after the accept";
        ASSERT_TRUE(app.ident.Socket());
        query->Receive(c.chunk);
        EXPECT_EQ(query->sent, c.answer);
        EXPECT_TRUE(query->closed);
        EXPECT_FALSE(app.ident.Socket());
    }
    ExpectShown("", Cls::Info, "*** Identd request from 10.0.0.7");
    ExpectShown("", Cls::Info, "*** Identd replied: 6193, 23 : USERID : UNIX : joe");
}

TEST_F(IdentTest, SecondQueryIsNotAccepted) {
    auto first = Query();
    first->Receive("6193, 23\r\n");
    auto second = Query();
    EXPECT_EQ(host.sockets.pendingAccepts.size(), 1u) << "the second query was accepted";
    EXPECT_EQ(second->sent, "");
}

TEST_F(IdentTest, LongQueryIsCutToTheLimit) {
    auto query = Query();
    query->Receive(std::string(5000, '7') + "\r\n");
    EXPECT_EQ(query->sent,
              std::string(CIdentResponder::kQueryLimit, '7') + " : USERID : UNIX : joe\r\n");
}

TEST_F(IdentTest, SilentPeerIsClosedAfterTheTimeOut) {
    auto query = Query();
    for (int i = 1; i < CIdentResponder::kTimeoutTicks; ++i) app.OnTick();
    EXPECT_FALSE(query->closed);
    app.OnTick();
    EXPECT_TRUE(query->closed);
    EXPECT_EQ(query->sent, "");
    EXPECT_FALSE(app.ident.Socket());
    ExpectShown("", Cls::Info, "*** Identd: no request within 30 seconds, closed");
}

TEST_F(IdentTest, ListeningSocketDoesNotTimeOut) {
    for (int i = 0; i < 2 * CIdentResponder::kTimeoutTicks; ++i) app.OnTick();
    EXPECT_TRUE(listener->listening);
    EXPECT_TRUE(app.ident.Socket());
}

TEST_F(IdentTest, PeerThatClosesIsDropped) {
    app.settings.ExtConnect = 1;
    auto query = Query();
    query->Closed();
    EXPECT_TRUE(query->closed);
    EXPECT_FALSE(app.ident.Socket());
    ExpectShown("", Cls::Flow, "-- Ident Close");
}

TEST_F(IdentTest, FailuresAreReportedAndTheConnectionGoesOn) {
    struct Case {
        const char* what;
        WsaError createError;
        WsaError listenError;
        WsaError acceptError;
        const char* line;
    } cases[] = {
        {"port in use", kWsaAddressInUse, kWsaOk, kWsaOk,
         "** Ident: Unable to create socket (Address already in use)"},
        {"listen", kWsaOk, kWsaAccessDenied, kWsaOk,
         "** Ident: Unable to listen socket (Permission denied)"},
        {"accept", kWsaOk, kWsaOk, kWsaConnectionAborted,
         "** Ident: Accept error (Software caused connection abort)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.sockets.createErrors = {c.createError};
        host.sockets.listenErrors = {c.listenError};
        auto server = PressConnect();
        if (c.acceptError != kWsaOk) {
            host.sockets.acceptErrors = {c.acceptError};
            Query();
            EXPECT_TRUE(IdentListener()->listening);
        } else {
            EXPECT_FALSE(app.ident.Socket());
        }
        ExpectShown("", Cls::UError, c.line);
        ASSERT_TRUE(server);
        server->Connected();
        EXPECT_EQ(app.Connection().State(), CONNECTED);
        app.Connection().OnButtonDisconnect();
        host.sockets.pendingAccepts.clear();
    }
}

TEST_F(IdentTest, EveryConnectOpensAFreshListenerAndDisconnectClosesIt) {
    app.settings.ExtConnect = 1;
    PressConnect();
    auto first = IdentListener();
    EXPECT_TRUE(listener->closed) << "the earlier listener was not replaced";
    app.Connection().OnButtonDisconnect();
    EXPECT_TRUE(first->closed);
    EXPECT_FALSE(app.ident.Socket());
    ExpectShown("", Cls::Flow, "-- Ident socket Close");

    PressConnect();
    auto second = IdentListener();
    EXPECT_NE(second, first);
    EXPECT_TRUE(second->listening);
    // The welcome closes it through the same call.
    app.ident.Close();
    EXPECT_TRUE(second->closed);
    EXPECT_FALSE(app.ident.Socket());
}

}  // namespace
}  // namespace zorl::test
