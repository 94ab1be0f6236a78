// The private server the integration tests run against.
#include <gtest/gtest.h>

#include "NgircdServer.h"

namespace zorl::test {
namespace {

TEST(NgircdHarnessTest, ServesARegistrationAndGoesAwayWhenStopped) {
    uint16_t port = 0;
    {
        NgircdServer server;
        ASSERT_TRUE(server.Running()) << server.Failure();
        port = server.Port();

        IrcTestClient alice, bob;
        ASSERT_TRUE(alice.Connect(server, "alice")) << alice.Transcript();
        ASSERT_TRUE(bob.Connect(server, "bob")) << bob.Transcript();
        ASSERT_TRUE(alice.Join("#zorl")) << alice.Transcript();
        ASSERT_TRUE(bob.Join("#zorl")) << bob.Transcript();
        ASSERT_TRUE(alice.Send("PRIVMSG #zorl :hello there"));
        auto line = bob.WaitForCommand("PRIVMSG");
        ASSERT_TRUE(line) << bob.Transcript();
        EXPECT_EQ(*line, ":alice!~alice@127.0.0.1 PRIVMSG #zorl :hello there");
    }
    // Stopped by its process id: the port is closed now.
    EXPECT_FALSE(RawStream::Connect(port, 500).IsOpen());
}

}  // namespace
}  // namespace zorl::test
