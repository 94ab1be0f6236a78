// Conversations kept in the history database of the configuration folder
// and shown again when their windows open, after a restart too.
#include "incoming/IncomingFixture.h"
#include "platform/History.h"
#include "windows/LastingHistory.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl::test {
namespace {

class LastingHistoryTest : public IncomingTest {};

TEST_F(LastingHistoryTest, ConversationsComeBackAfterARestartEachLineOnce) {
    Recv(":irc CAP me ACK :batch server-time message-tags");
    Join("#a", "me bob");
    Recv("@time=2023-11-14T22:13:20.000Z;msgid=m1 :bob!b@h PRIVMSG #a :hello there");
    Recv(
        ":bob!b@h PRIVMSG #a :\x01"
        "ACTION waves\x01");
    app.SendString(FrameOf("#a"), "hi bob");
    Recv(":bob!b@h PRIVMSG me :in private");
    Recv(":irc NOTICE me :status lines are not kept");
    const std::vector<std::string> channel = Lines("#a");
    ASSERT_GE(channel.size(), 4u) << Transcript();

    HistoryQuery everything;
    everything.limit = 100;
    std::vector<HistoryLine> kept = host.history.Search(everything);
    ASSERT_EQ(kept.size(), channel.size() + 1) << Transcript();
    const HistoryLine& hello = kept[3];  // newest first
    EXPECT_EQ(kept.front().window, "bob");
    EXPECT_EQ(kept[1].kind, HistoryKind::Own);
    EXPECT_EQ(kept[2].kind, HistoryKind::Action);
    EXPECT_EQ(hello.msgid, "m1");
    EXPECT_EQ(hello.sender, "bob");
    EXPECT_EQ(hello.time, 1700000000);  // the server's time, the clock's second

    // Another start in the same folder: the windows show what they showed,
    // then the marker, then what is new. A playback of a line kept already
    // does not show it again.
    app.output.Lasting().Stop();
    HeadlessHost host2;
    CZorlApp app2(host2.platform);
    app2.UseConfigDirectory(dir.Path().string());
    app2.LoadSettings();
    app2.settings.TimeStamp = 0;  // as the fixture's client
    const ChannelRecord* again =
        app2.registry.NewWindow("#a", kWindowChannel, app2.Connection().Socket(), false);
    ASSERT_NE(again, nullptr);
    const FrameId frame = again->frame;
    std::vector<std::string> expected = channel;
    expected.push_back(CLastingHistory::kMarker);
    EXPECT_EQ(host2.surface.Recording(frame).Lines(), expected) << test::Transcript(host2);

    app2.Connection().ForceStateForTest(CONNECTED, true);
    CIrcSocket* server2 = app2.Connection().Socket();
    app2.settings.m_user_mynick = "me";
    for (const char* line :
         {":irc CAP me ACK :batch server-time message-tags", ":irc BATCH +h chathistory #a",
          "@batch=h;time=2023-11-14T22:13:20.000Z;msgid=m1 :bob!b@h PRIVMSG #a :hello there",
          "@batch=h;time=2023-11-14T22:13:21.000Z;msgid=m2 :bob!b@h PRIVMSG #a :missed",
          ":irc BATCH -h"})
        app2.Connection().ParseLine(server2, line);
    expected.push_back("<bob> missed");
    EXPECT_EQ(host2.surface.Recording(frame).Lines(), expected) << test::Transcript(host2);
    const ChannelRecord* query =
        app2.registry.NewWindow("Bob", kWindowQuery, app2.Connection().Socket(), false);
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(host2.surface.Recording(query->frame).Lines(),
              (std::vector<std::string>{"<bob> in private", CLastingHistory::kMarker}));
}

}  // namespace
}  // namespace zorl::test
