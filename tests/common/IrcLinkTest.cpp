// irc:// links from the command line: what is taken apart, what is refused,
// and the connection and join they lead to.
#include "common/IrcLink.h"

#include "session/ServerConnection.h"
#include "session/SessionFixture.h"
#include "windows/Output.h"

namespace zorl::test {
namespace {

TEST(IrcLink, TakesHostPortAndChannel) {
    struct Row {
        const char* link;
        bool valid;
        bool tls;
        const char* host;
        int port;
        const char* channel;
    };
    const Row rows[] = {
        {"irc://irc.example.net", true, false, "irc.example.net", 6667, ""},
        {"IRC://irc.example.net:6697/", true, false, "irc.example.net", 6697, ""},
        {"irc://irc.example.net/#zorl", true, false, "irc.example.net", 6667, "#zorl"},
        {"irc://irc.example.net/zorl,needpass", true, false, "irc.example.net", 6667, "#zorl"},
        {"irc://irc.example.net:7000/%23zorl", true, false, "irc.example.net", 7000, "#zorl"},
        {"irc://[::1]:7000/&local", true, false, "::1", 7000, "&local"},
        {"ircs://irc.example.net", true, true, "irc.example.net", 6697, ""},
        {"IRCS://irc.example.net:7070/#zorl", true, true, "irc.example.net", 7070, "#zorl"},
        {"http://irc.example.net", false, false, "", 0, ""},
        {"irc://", false, false, "", 0, ""},
        {"irc://irc.example.net:0", false, false, "", 0, ""},
        {"irc://irc.example.net:70000", false, false, "", 0, ""},
        {"irc://irc.example.net:66x", false, false, "", 0, ""},
        {"irc://bad host/#x", false, false, "", 0, ""},
        {"irc://irc.example.net/#a%20b", false, false, "", 0, ""},
        {"irc://irc.example.net/#a%0D%0AQUIT", false, false, "", 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.link);
        const std::optional<IrcLink> link = ParseIrcLink(row.link);
        ASSERT_EQ(link.has_value(), row.valid);
        if (!link) continue;
        EXPECT_EQ(link->tls, row.tls);
        EXPECT_EQ(link->host, row.host);
        EXPECT_EQ(link->port, row.port);
        EXPECT_EQ(link->channel, row.channel);
    }
}

class IrcLinkConnect : public SessionTest {};

TEST_F(IrcLinkConnect, ConnectsThereAndJoinsOnceGreeted) {
    app.ConnectToLink("ircs://irc.link.example/#zorl");
    EXPECT_TRUE(host.sockets.Last()->tls);
    EXPECT_EQ(host.sockets.Last()->connectPort, 6697);
    app.Connection().Disconnect();

    app.ConnectToLink("irc://irc.link.example:7000/#zorl");
    auto server = host.sockets.Last();
    EXPECT_EQ(server->connectHost, "irc.link.example");
    EXPECT_EQ(server->connectPort, 7000);
    server->Connected();
    server->sent.clear();
    server->Receive(":irc.link.example 001 joe :Welcome\r\n");
    EXPECT_EQ(server->sent, "");
    server->Receive(":irc.link.example 376 joe :End of MOTD\r\n");
    EXPECT_EQ(server->sent, "JOIN #zorl\r\n");
    server->Receive(":irc.link.example 376 joe :End of MOTD\r\n");
    EXPECT_EQ(server->sent, "JOIN #zorl\r\n");

    app.ConnectToLink("http://elsewhere");
    ExpectShown("", Cls::UError, "Not an irc:// link: http://elsewhere");
}

}  // namespace
}  // namespace zorl::test
