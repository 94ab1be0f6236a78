// Typed lines end to end: the input line's document, the interpreter and the
// dispatcher on the real Qt socket layer, against a private ngircd with a raw
// client on the channel.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "NetTestSupport.h"
#include "NgircdServer.h"
#include "app/CZorlApp.h"
#include "platform/qt/QtPlatform.h"
#include "support/HeadlessHost.h"

namespace zorl::test {
namespace {

class TypedLineIntegrationTest : public ::testing::Test {
protected:
    TypedLineIntegrationTest() {
        CSettings& s = app.settings;
        s.m_user_mynick = "zorltest";
        s.User = "zorl";
        s.RealName = "Zorl Test";
        s.m_server_address = "127.0.0.1";
        if (ChannelRecord* status =
                app.registry.NewWindow("", kWindowStatus, app.pMainSocket.get(), true)) {
            app.registry.pStatusFrm = status->frame;
        }
    }

    // Types a line into the input line of a window.
    void Type(FrameId frame, const std::string& line) {
        CZorlDoc* doc = app.registry.DocOf(frame);
        ASSERT_TRUE(doc);
        doc->ExecuteLine(line);
    }
    std::string Pane(FrameId frame) {
        RecordedFrame* recorded = host.surface.Frame(frame);
        return recorded ? recorded->Text() : std::string();
    }

    qt::QtPlatformServices services;
    HeadlessHost host;
    Platform platform{services.Sockets(), services.Clock(), host.ticker, host.sound,
                      host.shell,         host.dialogs,     host.surface};
    CZorlApp app{platform};
};

TEST_F(TypedLineIntegrationTest, JoinThenPlainTextReachesAnotherClientOnTheChannel) {
    NgircdServer server;
    ASSERT_TRUE(server.Running()) << server.Failure();
    app.settings.m_server_ports = std::to_string(server.Port());
    app.settings.Password = NgircdServer::kPassword;
    IrcTestClient watcher;
    ASSERT_TRUE(watcher.Connect(server.Port()));
    ASSERT_TRUE(watcher.Register("watcher")) << watcher.Transcript();
    ASSERT_TRUE(watcher.Join("#x")) << watcher.Transcript();

    app.connection.OnButtonConnect();
    ASSERT_TRUE(WaitUntil([&] { return app.registered; }, 10000))
        << Pane(app.registry.pStatusFrm) << server.Log();

    Type(app.registry.pStatusFrm, "/join #x");
    ASSERT_TRUE(watcher.WaitForCommand("JOIN")) << watcher.Transcript();
    FrameId channel = 0;
    ASSERT_TRUE(WaitUntil([&] {
        channel = app.registry.GetFrmByNameSocket("#x", app.pMainSocket.get());
        return channel != 0;
    })) << Pane(app.registry.pStatusFrm);

    Type(channel, "hello");
    auto line = watcher.WaitForCommand("PRIVMSG");
    ASSERT_TRUE(line) << watcher.Transcript();
    EXPECT_EQ(line->rfind(":zorltest!", 0), 0u) << *line;
    EXPECT_EQ(line->substr(line->find(' ') + 1), "PRIVMSG #x :hello");
    EXPECT_NE(Pane(channel).find("<zorltest> hello\r\n"), std::string::npos) << Pane(channel);

    app.connection.OnButtonDisconnect();
    app.OnTick();  // frees the closed socket outside any notification
}

}  // namespace
}  // namespace zorl::test
