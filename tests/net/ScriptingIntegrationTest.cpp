// Typed lines end to end: the input line's document hands them to the
// command interpreter, which sends them through the real socket layer to a
// private ngircd, where a raw client on the channel reads them.
#include <gtest/gtest.h>

#include "LiveClient.h"
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

}  // namespace
}  // namespace zorl::test
