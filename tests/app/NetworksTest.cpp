// Two networks side by side on scripted sockets: each keeps its own server,
// secrets, nick and windows, and a command goes to the network of the window
// it was typed in.
#include "config/IniStore.h"
#include "config/ServerList.h"
#include "config/Settings.h"
#include "session/IrcSocket.h"
#include "session/Networks.h"
#include "session/SessionFixture.h"
#include "windows/WindowRegistry.h"

namespace zorl::test {
namespace {

class NetworksTest : public SessionTest {
protected:
    // The window `name` of the network of `socket`.
    FrameId FrameOn(const std::string& name, const CIrcSocket* socket) {
        return app.registry.GetFrmByNameSocket(name, socket);
    }
    std::shared_ptr<ScriptedSocketState> LastConnecting() { return host.sockets.all.back(); }
};

TEST_F(NetworksTest, TwoNetworksKeepTheirOwnServerNickAndWindows) {
    auto first = ConnectServer();
    first->Receive(":irc.example 001 joe :Welcome\r\n:joe!j@h JOIN #zorl\r\n");
    app.SendString(app.registry.pStatusFrm, "/newserver irc.other +7000");

    ASSERT_EQ(app.networks.Count(), 2u);
    CServerConnection& other = *app.networks.All()[1];
    auto second = LastConnecting();
    EXPECT_EQ(second->connectHost, "irc.other");
    EXPECT_EQ(second->connectPort, 7000);
    EXPECT_TRUE(second->tls);
    EXPECT_EQ(&app.networks.Focused(), &other);  // its status window is in view
    const FrameId otherStatus = FrameOn("", other.Socket());
    ASSERT_NE(otherStatus, app.registry.pStatusFrm);

    second->tlsSession.verified = true;
    second->Connected();
    second->Receive(
        ":irc.other CAP * LS :\r\n:irc.other 001 joe :Hi\r\n:joe!j@h JOIN #zorl\r\n"
        ":joe!j@h NICK joey\r\n");
    // The first server's password is not told to another host.
    EXPECT_EQ(second->sent.find("PASS"), std::string::npos) << second->sent;
    EXPECT_EQ(other.Nick(), "joey");
    EXPECT_EQ(app.networks.First().Nick(), "joe");
    EXPECT_EQ(app.settings.m_user_mynick, "joe");

    const FrameId firstChannel = FrameOn("#zorl", app.networks.First().Socket());
    const FrameId otherChannel = FrameOn("#zorl", other.Socket());
    ASSERT_NE(firstChannel, 0u) << Transcript();
    ASSERT_NE(otherChannel, 0u);
    ASSERT_NE(firstChannel, otherChannel) << Transcript();

    first->sent.clear();
    second->sent.clear();
    app.SendString(otherChannel, "hello there");
    app.SendString(firstChannel, "/me waves");
    host.Elapse(kFreshBurst);
    EXPECT_EQ(second->sent, "PRIVMSG #zorl :hello there\r\n");
    EXPECT_EQ(first->sent,
              "PRIVMSG #zorl :\x01"
              "ACTION waves\x01\r\n");
    EXPECT_EQ(host.surface.Frame(otherChannel)->Lines().back(), "<joey> hello there");

    // Every caption names its network once there are two.
    EXPECT_EQ(host.surface.Frame(otherStatus)->caption, "irc.other / Status: joey on irc.other");
    EXPECT_EQ(host.surface.Frame(otherChannel)->caption, "irc.other / #zorl");
    EXPECT_EQ(host.surface.Frame(app.registry.pStatusFrm)->caption,
              "irc.example / Status: joe on ");

    // Lines of the other network's server land in its own windows.
    second->Receive(":irc.other 372 joey :- motd line\r\n");
    EXPECT_EQ(host.surface.Frame(otherStatus)->Lines().back(), "- motd line");

    // Closing its status window ends the network and its windows only.
    app.CloseStatusWindow(otherStatus);
    EXPECT_NE(second->sent.find("QUIT :bye\r\n"), std::string::npos);
    EXPECT_TRUE(second->closed);
    EXPECT_EQ(app.networks.Count(), 1u);
    EXPECT_FALSE(app.registry.IsFrameRegistered(otherChannel));
    EXPECT_TRUE(app.registry.IsFrameRegistered(firstChannel));
    EXPECT_EQ(host.surface.Frame(app.registry.pStatusFrm)->caption, "Status: joe on ");
    EXPECT_EQ(app.Connection().State(), CONNECTED);
}

// Connect in the Servers dialog: the entry opens a network of its own with
// its own password; the active network and zorl.ini keep their server.
TEST_F(NetworksTest, ConnectInTheServersDialogOpensTheEntryBesideTheOthers) {
    dir.WriteFile("servers.ini", "[Servers]\nn0=OtherSERVER:irc.other:7000:pw2\n");
    auto first = ConnectServer();
    host.dialogs.serversAnswers = {[](CServerList& list) {
        list.openAsNetwork = true;
        return true;
    }};
    app.ChooseServer();

    ASSERT_EQ(app.networks.Count(), 2u);
    auto second = LastConnecting();
    EXPECT_EQ(second->connectHost, "irc.other");
    second->Connected();
    EXPECT_EQ(second->SentLines().front(), "PASS pw2");
    EXPECT_EQ(app.networks.All()[1]->Server().m_server_name, "Other");
    EXPECT_EQ(app.settings.m_server_address, "irc.example");
    EXPECT_EQ(app.settings.Password, "secret");
    EXPECT_EQ(app.ini.ReadString("SERVER", "Address", ""), "");
}

// Entries marked to connect at start: the first on the first network, the
// next on a network of its own, each joining its channels after the MOTD;
// unmarked entries wait for the user.
TEST_F(NetworksTest, MarkedEntriesConnectAtStartAndJoinTheirChannels) {
    dir.WriteFile("servers.ini",
                  "[Servers]\nn0=ASERVER:irc.a:6667AUTO:#a,#b\nn1=CSERVER:irc.c:6667\n"
                  "n2=BSERVER:irc.b:6668AUTO:\n");
    const std::size_t before = host.sockets.all.size();
    EXPECT_TRUE(app.ConnectMarkedServers(false));
    ASSERT_EQ(app.networks.Count(), 2u);
    std::vector<std::string> hosts;
    for (std::size_t i = before; i < host.sockets.all.size(); ++i)
        if (!host.sockets.all[i]->connectHost.empty())
            hosts.push_back(host.sockets.all[i]->connectHost);
    EXPECT_EQ(hosts, (std::vector<std::string>{"irc.a", "irc.b"}));
    EXPECT_EQ(app.networks.First().Server().m_server_address, "irc.a");

    auto a = host.sockets.all[before + 1];
    ASSERT_EQ(a->connectHost, "irc.a");
    a->Connected();
    a->Receive(":irc.a CAP * LS :\r\n:irc.a 001 joe :Hi\r\n:irc.a 376 joe :End\r\n");
    host.Elapse(kFreshBurst);
    EXPECT_EQ(a->SentLines().back(), "JOIN #a,#b");
}

}  // namespace
}  // namespace zorl::test
