// Typed and scripted lines end to end: the interpreter and the script
// runners send through the real socket layer to a private ngircd, where
// another client on the channel reads them.
#include <gtest/gtest.h>

#include "IrssiPeer.h"
#include "LiveClient.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "incoming/IgnoreNotify.h"
#include "script/EventScripts.h"
#include "session/ServerConnection.h"
#include "support/TempDir.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {
namespace {

TEST(ScriptingIntegrationTest, TypedJoinThenPlainTextReachesTheChannel) {
    NgircdServer server;
    ASSERT_TRUE(server.Running()) << server.Failure();
    IrcTestClient peer;
    ASSERT_TRUE(peer.Connect(server, "peer")) << peer.Transcript();
    ASSERT_TRUE(peer.Join("#x")) << peer.Transcript();

    LiveClient zorl;
    ASSERT_TRUE(zorl.Connect(server)) << zorl.Transcript(&server);

    // Typed in the status window: the command word goes out as JOIN and the
    // server's answer opens the channel window.
    ASSERT_TRUE(zorl.Type("", "/join #x"));
    auto join = peer.WaitForCommand("JOIN");
    ASSERT_TRUE(join) << peer.Transcript() << zorl.Transcript(&server);
    EXPECT_EQ(join->rfind(":zorltest!", 0), 0u) << *join;
    ASSERT_TRUE(WaitUntil([&] { return zorl.Doc("#x") != nullptr; })) << zorl.Transcript(&server);

    // Plain text in the channel window goes to the channel, with the own echo.
    ASSERT_TRUE(zorl.Type("#x", "hello"));
    auto message = peer.WaitForCommand("PRIVMSG");
    ASSERT_TRUE(message) << peer.Transcript() << zorl.Transcript(&server);
    EXPECT_EQ(message->rfind(":zorltest!", 0), 0u) << *message;
    EXPECT_TRUE(message->ends_with(" PRIVMSG #x :hello")) << *message;
    EXPECT_NE(zorl.Pane("#x").find("<zorltest> hello"), std::string::npos)
        << zorl.Transcript(&server);
    EXPECT_EQ(zorl.Doc("#x")->History().back(), "hello");

    // A line with its own colons and blanks arrives whole.
    ASSERT_TRUE(zorl.Type("#x", "a: b  c :d"));
    message = peer.WaitForCommand("PRIVMSG");
    ASSERT_TRUE(message) << peer.Transcript();
    EXPECT_TRUE(message->ends_with(" PRIVMSG #x :a: b  c :d")) << *message;
}

// The start-up list joins a channel after the message of the day; there an
// event script answers irssi, and what irssi wrote stays text.
TEST(ScriptingIntegrationTest, StartupListJoinsAndAnEventAnswersInTheChannel) {
    NgircdServer server;
    ASSERT_TRUE(server.Running()) << server.Failure();
    IrssiPeer irssi{server, "irssi", "/join #ev"};
    ASSERT_TRUE(irssi.Running()) << irssi.Failure();

    TempDir config;
    config.WriteFile("zorl.ini", "[STARTUP]\nn0=/join #ev\n");
    config.WriteFile("script.ini",
                     "[Script]\nTEXTIN hello : *!*@* : /privmsg $channel hi $nick | /privmsg "
                     "$channel you said $2\n");
    LiveClient zorl;
    zorl.app.ini.SetDirectory(config.Path().string() + "/");
    zorl.app.events.LoadScript();
    ASSERT_TRUE(zorl.Connect(server)) << zorl.Transcript(&server);
    ASSERT_TRUE(zorl.WaitForNicks("#ev", {{"irssi", kNickOp}, {"zorltest", 0}}))
        << zorl.Transcript(&server) << irssi.Transcript();

    ASSERT_TRUE(irssi.Type("hello | /quit"));
    EXPECT_TRUE(irssi.WaitForLog("hi irssi")) << irssi.Transcript() << zorl.Transcript(&server);
    EXPECT_TRUE(irssi.WaitForLog("you said hello | /quit")) << irssi.Transcript();
    EXPECT_EQ(zorl.app.Connection().State(), CONNECTED);
}

// The notify list watches a second client: the first check finds nobody,
// the notify timer's next check finds it, and the one after it has left.
TEST(ScriptingIntegrationTest, NotifyListReportsAClientComingAndGoing) {
    NgircdServer server;
    ASSERT_TRUE(server.Running()) << server.Failure();
    TempDir config;
    config.WriteFile("zorl.ini", "[NOTIFY]\nn0=Peer\n");
    LiveClient zorl;
    zorl.app.ini.SetDirectory(config.Path().string() + "/");
    zorl.app.ignoreNotify.LoadNotifyList();
    zorl.app.settings.Notify = 1;
    ASSERT_TRUE(zorl.Connect(server)) << zorl.Transcript(&server);
    ASSERT_TRUE(zorl.WaitForPane("", "*** No one in your notify list is on IRC"))
        << zorl.Transcript(&server);

    IrcTestClient peer;
    ASSERT_TRUE(peer.Connect(server, "peer")) << peer.Transcript();
    const auto fortySeconds = [&] {
        for (int i = 0; i < 400; ++i) zorl.app.OnTick();
    };
    fortySeconds();  // the notify timer asks again
    EXPECT_TRUE(zorl.WaitForPane("", "*** peer is on IRC")) << zorl.Transcript(&server);

    ASSERT_TRUE(peer.Send("QUIT :bye"));
    ASSERT_TRUE(peer.WaitForCommand("ERROR")) << peer.Transcript();
    fortySeconds();
    EXPECT_TRUE(zorl.WaitForPane("", "*** peer has left IRC")) << zorl.Transcript(&server);
}

}  // namespace
}  // namespace zorl::test
