// Following a channel end to end: what a private ngircd tells the client
// about other users keeps the channel's nick list, its caption and the
// channel list window right; a long line reaches the others whole, and
// leaving says goodbye. The other users are raw clients.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "LiveClient.h"
#include "common/Format.h"
#include "config/Settings.h"
#include "session/ServerConnection.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {
namespace {

using NickTable = std::map<std::string, int>;

class ConversationIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Running()) << server.Failure();
        ASSERT_TRUE(zorl.Connect(server)) << zorl.Transcript(&server);
    }

    // Waits until the channel's nick list is `expected`; reports what it
    // holds instead.
    void ExpectNicks(const std::string& channel, const NickTable& expected) {
        EXPECT_TRUE(zorl.WaitForNicks(channel, expected))
            << ::testing::PrintToString(zorl.Nicks(channel)) << zorl.Transcript(&server);
    }

    NgircdServer server;
    LiveClient zorl;
};

TEST_F(ConversationIntegrationTest, OtherUsersKeepTheNickListRight) {
    // The channel is new, so the server makes its creator an operator.
    ASSERT_TRUE(zorl.Type("", "/join #x"));
    ExpectNicks("#x", {{"zorltest", kNickOp}});

    IrcTestClient bob;
    IrcTestClient carol;
    ASSERT_TRUE(bob.Connect(server, "bob")) << bob.Transcript();
    ASSERT_TRUE(carol.Connect(server, "carol")) << carol.Transcript();

    ASSERT_TRUE(bob.Join("#x")) << bob.Transcript();
    ExpectNicks("#x", {{"zorltest", kNickOp}, {"bob", 0}});
    ASSERT_TRUE(carol.Join("#x")) << carol.Transcript();
    ExpectNicks("#x", {{"zorltest", kNickOp}, {"bob", 0}, {"carol", 0}});

    ASSERT_TRUE(carol.Send("PART #x :back soon"));
    ExpectNicks("#x", {{"zorltest", kNickOp}, {"bob", 0}});
    ASSERT_TRUE(carol.Join("#x")) << carol.Transcript();
    ExpectNicks("#x", {{"zorltest", kNickOp}, {"bob", 0}, {"carol", 0}});

    // The user's own mode change, then one by another user.
    ASSERT_TRUE(zorl.Type("#x", "/mode #x +o bob"));
    ExpectNicks("#x", {{"zorltest", kNickOp}, {"bob", kNickOp}, {"carol", 0}});
    ASSERT_TRUE(bob.WaitForLine([](const std::string& l) { return l.ends_with("+o bob"); }))
        << bob.Transcript();
    ASSERT_TRUE(bob.Send("MODE #x +o carol"));
    ExpectNicks("#x", {{"zorltest", kNickOp}, {"bob", kNickOp}, {"carol", kNickOp}});
    ASSERT_TRUE(bob.Send("MODE #x -o carol"));
    ExpectNicks("#x", {{"zorltest", kNickOp}, {"bob", kNickOp}, {"carol", 0}});

    // A new nick keeps its operator bit.
    ASSERT_TRUE(bob.Send("NICK bobby"));
    ExpectNicks("#x", {{"zorltest", kNickOp}, {"bobby", kNickOp}, {"carol", 0}});

    ASSERT_TRUE(bob.Send("KICK #x carol :out"));
    ExpectNicks("#x", {{"zorltest", kNickOp}, {"bobby", kNickOp}});
    EXPECT_NE(zorl.Pane("#x").find("carol was kicked by bobby (out)"), std::string::npos)
        << zorl.Transcript();

    ASSERT_TRUE(bob.Send("QUIT :done"));
    ExpectNicks("#x", {{"zorltest", kNickOp}});
}

TEST_F(ConversationIntegrationTest, TopicShowsInTheCaptionAndListFillsTheChannelsWindow) {
    ASSERT_TRUE(zorl.Type("", "/join #x"));
    ExpectNicks("#x", {{"zorltest", kNickOp}});
    IrcTestClient bob;
    ASSERT_TRUE(bob.Connect(server, "bob")) << bob.Transcript();
    ASSERT_TRUE(bob.Join("#x")) << bob.Transcript();
    ExpectNicks("#x", {{"zorltest", kNickOp}, {"bob", 0}});
    ASSERT_TRUE(bob.Join("#elsewhere")) << bob.Transcript();

    // Another user's topic, with colons and blanks of its own.
    ASSERT_TRUE(zorl.Type("#x", "/mode #x +o bob"));
    ASSERT_TRUE(bob.WaitForLine([](const std::string& l) { return l.ends_with("+o bob"); }))
        << bob.Transcript();
    ASSERT_TRUE(bob.Send("TOPIC #x :news: all  quiet"));
    EXPECT_TRUE(WaitUntil([&] {
        const std::string caption = zorl.Caption("#x");
        return caption.starts_with("#x") && caption.ends_with(": news: all  quiet");
    })) << zorl.Caption("#x")
        << zorl.Transcript(&server);
    EXPECT_NE(zorl.Pane("#x").find("bob changes topic to news: all  quiet"), std::string::npos)
        << zorl.Transcript();

    // One row per channel: the name padded to 20, the user count, the topic.
    ASSERT_TRUE(zorl.Type("", "/list"));
    const std::string rowX = Format("%-20s %s", "#x", "2 news: all  quiet");
    const std::string rowElsewhere = Format("%-20s %s", "#elsewhere", "1");
    EXPECT_TRUE(zorl.WaitForPane("~list", rowX)) << zorl.Transcript(&server);
    EXPECT_TRUE(zorl.WaitForPane("~list", rowElsewhere)) << zorl.Transcript(&server);
    EXPECT_EQ(zorl.Caption("~list"), "Channels");
    const ChannelRecord* list = zorl.app.registry.FindCR("~list", nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->title, "Channels");
    EXPECT_EQ(list->type, kWindowDefault);

    // The browser instead: the same rows, the topic without its codes.
    zorl.app.settings.ChannelBrowser = 1;
    ASSERT_TRUE(bob.Send("TOPIC #x :\x02news\x02: all  quiet"));
    ASSERT_TRUE(WaitUntil([&] {
        const std::string pane = zorl.Pane("#x");
        return pane.find("bob changes topic to") != pane.rfind("bob changes topic to");
    }));
    ASSERT_TRUE(zorl.Type("", "/list"));
    const std::vector<std::string>& rows = zorl.host.surface.channelList;
    ASSERT_TRUE(WaitUntil([&] { return !rows.empty() && rows.back() == "end"; }))
        << zorl.Transcript(&server);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "#x 2 news: all  quiet"), 1);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "#elsewhere 1 "), 1);
}

// Typed as one line, 2,000 characters go out in pieces the server relays;
// as one line the server would refuse it and drop the connection.
TEST_F(ConversationIntegrationTest, ALongLineArrivesWholeAndInOrder) {
    ASSERT_TRUE(zorl.Type("", "/join #x"));
    ExpectNicks("#x", {{"zorltest", kNickOp}});
    IrcTestClient bob;
    ASSERT_TRUE(bob.Connect(server, "bob")) << bob.Transcript();
    ASSERT_TRUE(bob.Join("#x")) << bob.Transcript();

    std::string text = "start";
    for (int i = 1; text.size() < 1990; ++i) text += Format(" w%04d", i);
    text += " \xC3\xA4nd";
    ASSERT_TRUE(zorl.Type("#x", text));
    const std::string mark = " PRIVMSG #x :";
    std::string arrived;
    while (arrived.size() < text.size()) {
        auto line = bob.WaitForLine(
            [&](const std::string& l) {
                return l.starts_with(":zorltest!") && l.find(mark) != std::string::npos;
            },
            10000);
        ASSERT_TRUE(line) << arrived.size() << " bytes came\n" << bob.Transcript();
        if (!arrived.empty()) arrived += ' ';
        arrived += line->substr(line->find(mark) + mark.size());
    }
    EXPECT_EQ(arrived, text);

    ASSERT_TRUE(zorl.Type("#x", "still here"));
    EXPECT_TRUE(
        bob.WaitForLine([](const std::string& l) { return l.ends_with(":still here"); }, 10000))
        << bob.Transcript() << zorl.Transcript(&server);
    EXPECT_EQ(zorl.app.Connection().State(), CONNECTED);
}

TEST_F(ConversationIntegrationTest, ClosingTheMainWindowQuitsWithTheQuitText) {
    ASSERT_TRUE(zorl.Type("", "/join #x"));
    ExpectNicks("#x", {{"zorltest", kNickOp}});
    IrcTestClient bob;
    ASSERT_TRUE(bob.Connect(server, "bob")) << bob.Transcript();
    ASSERT_TRUE(bob.Join("#x")) << bob.Transcript();

    EXPECT_FALSE(zorl.app.OnMainClose());
    auto quit = bob.WaitForLine(
        [](const std::string& l) { return l.starts_with(":zorltest!") && CommandOf(l) == "QUIT"; });
    ASSERT_TRUE(quit) << bob.Transcript();
    EXPECT_NE(quit->find("test over"), std::string::npos) << *quit;
    EXPECT_TRUE(WaitUntil([&] { return zorl.host.surface.mainCloses == 1; }))
        << zorl.Transcript(&server);
    EXPECT_EQ(zorl.app.Connection().State(), IDLE);
}

}  // namespace
}  // namespace zorl::test
