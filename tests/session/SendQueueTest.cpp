// Lines for the server are paced so that a paste or a script loop never gets
// the user disconnected for flooding: a burst of five at once, then one
// every two seconds on the manual clock; PONG and QUIT never wait.
#include "session/SendQueue.h"

#include "session/ServerConnection.h"
#include "session/SessionFixture.h"

namespace zorl::test {
namespace {

using Texts = std::vector<std::string>;

class SendQueueTest : public SessionTest {
protected:
    void Say(int from, int to) {
        for (int i = from; i <= to; ++i)
            app.Connection().SendLine(Server(), "PRIVMSG #x :" + Num(i), true);
    }
    static std::string Num(int i) { return "line " + std::to_string(i); }
    // The PRIVMSG numbers that went out, in order.
    Texts Said(const ScriptedSocketState& wire) const {
        Texts said;
        for (const std::string& line : wire.SentLines())
            said.push_back(line.starts_with("PRIVMSG #x :") ? line.substr(12) : line);
        return said;
    }
};

TEST_F(SendQueueTest, BurstThenOneLineEveryTwoSeconds) {
    auto server = ConnectServer();  // registration does not count
    app.Connection().ForceStateForTest(app.Connection().State(), true);
    Say(1, 12);
    EXPECT_EQ(Said(*server), (Texts{Num(1), Num(2), Num(3), Num(4), Num(5)}));
    EXPECT_EQ(host.surface.mainTitle, "ZORL (7 lines waiting)");

    host.Elapse(1900);
    EXPECT_EQ(Said(*server).size(), 5u);
    host.Elapse(100);
    EXPECT_EQ(Said(*server).back(), Num(6));
    EXPECT_EQ(host.surface.mainTitle, "ZORL (6 lines waiting)");

    // The server's PING is answered at once, and a QUIT is not held either.
    server->Receive("PING :irc.example\r\n");
    EXPECT_EQ(Said(*server).back(), "PONG irc.example");
    app.Connection().SendLine(Server(), "QUIT :later", false);
    EXPECT_EQ(Said(*server).back(), "QUIT :later");

    // A new line waits behind the others; the queue empties at the pace.
    Say(13, 13);
    host.Elapse(5 * 2000);
    EXPECT_EQ(Said(*server).back(), Num(11));
    host.Elapse(2 * 2000);
    EXPECT_EQ(Said(*server).back(), Num(13));
    EXPECT_EQ(host.surface.mainTitle, "ZORL");

    // Quiet for ten seconds: a whole burst again.
    host.Elapse(10000);
    server->sent.clear();
    Say(14, 19);
    EXPECT_EQ(Said(*server), (Texts{Num(14), Num(15), Num(16), Num(17), Num(18)}));
    EXPECT_EQ(host.surface.mainTitle, "ZORL (1 line waiting)");

    // The waiting lines end with the connection, and the user hears of it.
    app.Connection().OnButtonDisconnect();
    ExpectShown("", Cls::UError, "** 1 waiting line was not sent");
    EXPECT_EQ(host.surface.mainTitle, "ZORL");
    host.Elapse(10000);
    EXPECT_EQ(Said(*server).back(), "QUIT :bye");
}

TEST_F(SendQueueTest, NickRetriesBeforeTheWelcomeNeverWait) {
    auto server = ConnectServer();
    Say(1, 5);
    app.Connection().SendLine(Server(), "NICK joe_", false);
    EXPECT_EQ(Said(*server).back(), "NICK joe_");
    app.Connection().ForceStateForTest(app.Connection().State(), true);
    app.Connection().SendLine(Server(), "NICK joe2", false);
    EXPECT_EQ(Said(*server).back(), "NICK joe_");
    EXPECT_EQ(app.Connection().LinesWaiting(), 1u);
}

TEST_F(SendQueueTest, AFullQueueRefusesLinesWithOneMessage) {
    auto server = ConnectServer();
    app.Connection().ForceStateForTest(app.Connection().State(), true);
    Say(1, static_cast<int>(CSendQueue::kBurst + CSendQueue::kLimit + 3));
    EXPECT_EQ(app.Connection().LinesWaiting(), CSendQueue::kLimit);
    int refusals = 0;
    for (const std::string& line : Lines(""))
        if (line.find("further lines are dropped") != std::string::npos) ++refusals;
    EXPECT_EQ(refusals, 1) << Transcript();
}

}  // namespace
}  // namespace zorl::test
