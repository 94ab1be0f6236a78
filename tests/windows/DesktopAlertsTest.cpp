// Desktop notifications: what calls for one, and what keeps it quiet.
#include "incoming/IncomingFixture.h"

namespace zorl::test {
namespace {

class DesktopAlertsTest : public IncomingTest {
protected:
    std::vector<std::string> Bodies() {
        std::vector<std::string> bodies;
        for (const auto& shown : host.surface.notifications) bodies.push_back(shown.body);
        host.surface.notifications.clear();
        return bodies;
    }
};

TEST_F(DesktopAlertsTest, MentionsPrivateMessagesAndOffersOutOfViewOncePerFiveSeconds) {
    Join("#a", "me bob");
    Recv(":irc CAP me ACK :batch server-time");
    Recv(":bob!b@h PRIVMSG #a :me: are you there?");
    ASSERT_EQ(host.surface.notifications.size(), 1u);
    EXPECT_EQ(host.surface.notifications[0].frame, FrameOf("#a"));
    EXPECT_EQ(
        host.surface.notifications[0].title.substr(host.surface.notifications[0].title.size() - 2),
        "#a");
    EXPECT_EQ(Bodies(), (std::vector<std::string>{"<bob> me: are you there?"}));

    Recv(":bob!b@h PRIVMSG #a :me: hello?");  // within five seconds
    Recv(":bob!b@h PRIVMSG #a :no mention");  // calls nobody
    host.Elapse(5000);
    host.surface.inView = FrameOf("#a");
    Recv(":bob!b@h PRIVMSG #a :me: seen where it is");
    host.surface.inView = 0;
    Recv(":irc BATCH +h chathistory #a");
    Recv("@batch=h;time=2020-01-01T00:00:00.000Z :bob!b@h PRIVMSG #a :me: old news");
    Recv(":irc BATCH -h");
    EXPECT_EQ(Bodies(), std::vector<std::string>{});

    Recv(":carol!c@h PRIVMSG me :psst");
    Recv(
        ":dave!d@h PRIVMSG me :\x01"
        "DCC CHAT chat 2130706433 4000\x01");
    EXPECT_EQ(Bodies(), (std::vector<std::string>{"<carol> psst", "dave offers a DCC chat"}));
    app.settings.AlertPrivate = 0;
    host.Elapse(5000);
    Recv(":carol!c@h PRIVMSG me :again");
    EXPECT_EQ(Bodies(), std::vector<std::string>{});
}

}  // namespace
}  // namespace zorl::test
