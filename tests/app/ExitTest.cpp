// Closing the main window while connected: the QUIT with the user's text
// goes out, and the window waits for the server's close, two seconds at
// most, before it goes.
#include "config/Settings.h"
#include "session/ServerConnection.h"
#include "session/SessionFixture.h"

namespace zorl::test {
namespace {

class ExitTest : public SessionTest {};

TEST_F(ExitTest, QuitGoesOutAndTheWindowWaitsForTheServer) {
    struct Row {
        const char* what;
        bool closes;          // whether the server ends the connection
        WsaError closeError;  // and how
        int actsAfter;        // ms after the QUIT
    };
    const Row rows[] = {
        {"server closes", true, kWsaOk, 300},
        {"server resets", true, kWsaConnectionReset, 300},
        {"server silent", false, kWsaOk, 1900},
    };
    app.settings.AutoReconnect = 1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        app.exit_state = CZorlApp::Exit::Running;
        host.surface.mainCloses = 0;
        auto server = ConnectServer();
        app.Connection().ForceStateForTest(app.Connection().State(), true);
        app.Connection().SendLine(Server(), "PRIVMSG #x :queued", true);
        for (int i = 0; i < 6; ++i) app.Connection().SendLine(Server(), "PRIVMSG #x :more", true);

        EXPECT_FALSE(app.OnMainClose());
        EXPECT_EQ(server->SentLines().back(), "QUIT :bye");  // ahead of the waiting lines
        host.Elapse(row.actsAfter);
        if (row.closes) server->Closed(row.closeError);
        EXPECT_EQ(host.surface.mainCloses, 0);
        host.Elapse(100);
        EXPECT_EQ(host.surface.mainCloses, 1);
        EXPECT_EQ(app.Connection().State(), IDLE);
        EXPECT_EQ(host.sockets.Last(), server) << "no reconnect while leaving";
        EXPECT_TRUE(app.OnMainClose());
        host.Elapse(1000);
        EXPECT_EQ(host.surface.mainCloses, 1);
    }
}

TEST_F(ExitTest, NotConnectedOrAskedTwiceClosesAtOnce) {
    EXPECT_TRUE(app.OnMainClose());
    EXPECT_TRUE(host.sockets.all.empty());

    auto server = ConnectServer();
    EXPECT_FALSE(app.OnMainClose());
    EXPECT_TRUE(app.OnMainClose());
    EXPECT_EQ(server->SentLines(), std::vector<std::string>{"QUIT :bye"});
    EXPECT_TRUE(server->closed);
    EXPECT_EQ(app.Connection().State(), IDLE);
}

}  // namespace
}  // namespace zorl::test
