// A new user's first session on a private ngircd: an empty configuration
// folder, the properties and Servers dialogs that Connect opens, and the
// short commands of the first start's aliases reaching another client. No
// file and no setting is touched by hand.
#include <gtest/gtest.h>

#include "IrssiPeer.h"
#include "LiveClient.h"
#include "config/IniStore.h"
#include "config/ServerList.h"
#include "config/Settings.h"
#include "session/ServerConnection.h"
#include "support/TempDir.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {
namespace {

TEST(FirstRunIntegrationTest, NewUserAddsAServerJoinsAndActs) {
    NgircdServer server;
    ASSERT_TRUE(server.Running()) << server.Failure();
    IrssiPeer irssi{server, "irssi", "/join #newbie"};
    ASSERT_TRUE(irssi.Running()) << irssi.Failure();
    TempDir config;
    LiveClient zorl{LiveClient::InFolder{config.Path()}};
    zorl.host.dialogs.propertiesAnswers = {[](CSettings& values, const auto&) {
        values.m_user_mynick = values.User = "newbie";
        return true;
    }};
    zorl.app.Connection().OnButtonConnect();

    const ServerEntry local{"Local", "127.0.0.1", std::to_string(server.Port()),
                            NgircdServer::kPassword, "Home"};
    zorl.host.dialogs.editAnswers = {local};
    zorl.host.dialogs.serversAnswers = {[](CServerList& list) {
        list.Add();
        return true;
    }};
    zorl.app.Connection().OnButtonConnect();
    EXPECT_EQ(zorl.host.dialogs.boxes,
              (std::vector<std::string>{"Please choose a valid nickname and username",
                                        "Please choose a valid server"}));
    EXPECT_EQ(zorl.app.ini.ReadString("SERVER", "Address", ""), "127.0.0.1");

    zorl.app.Connection().OnButtonConnect();
    ASSERT_TRUE(zorl.WaitForWelcome()) << zorl.Transcript(&server);
    ASSERT_TRUE(zorl.Type("", "/j #newbie"));
    ASSERT_TRUE(zorl.WaitForNicks("#newbie", {{"irssi", kNickOp}, {"newbie", 0}}))
        << zorl.Transcript(&server);
    ASSERT_TRUE(zorl.Type("#newbie", "/me waves"));
    EXPECT_TRUE(irssi.WaitForLog("* newbie waves")) << zorl.Transcript() << irssi.Transcript();
}

}  // namespace
}  // namespace zorl::test
