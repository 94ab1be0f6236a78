// A nick the server refuses before its welcome is retried with "_" and then
// a digit, so the connection does not wait unregistered for ever; what was
// tried is shown, and zorl.ini keeps the user's own nick.
#include "config/IniStore.h"
#include "config/Settings.h"
#include "session/ServerConnection.h"
#include "session/SessionFixture.h"

namespace zorl::test {
namespace {

class NickRetryTest : public SessionTest {};

TEST_F(NickRetryTest, RefusedNicksAreRetriedUntilTheWelcome) {
    struct Step {
        const char* received;
        const char* sent;   // "" nothing
        const char* shown;  // the status window's last line
    };
    const Step steps[] = {
        {":irc.example 433 * joe :Nickname already in use", "NICK joe_\r\n",
         "Nick joe is taken, trying joe_"},
        {":irc.example 433 * joe_ :Nickname already in use", "NICK joe_1\r\n",
         "Nick joe_ is taken, trying joe_1"},
        // Too long for this server: the base gives way to the suffix.
        {":irc.example 432 * joe_1 :Erroneous nickname", "NICK jo_1\r\n",
         "Nick joe_1 is refused, trying jo_1"},
        {":irc.example 001 jo_1 :Welcome", "", "Welcome"},
        // After the welcome a refusal answers the user's own /nick.
        {":irc.example 433 jo_1 ann :Nickname already in use", "", "ann Nickname already in use"},
    };
    auto server = ConnectServer();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.received);
        server->Receive(std::string(step.received) + "\r\n");
        EXPECT_EQ(server->sent, step.sent);
        EXPECT_EQ(Lines("").back(), step.shown);
        server->sent.clear();
    }
    EXPECT_EQ(app.settings.m_user_mynick, "jo_1");
    EXPECT_TRUE(Window("").caption.starts_with("Status: jo_1 on ")) << Window("").caption;
    EXPECT_EQ(app.ini.ReadString("USER", "Nick", ""), "");

    // The next connection asks for the user's nick again.
    app.Connection().OnButtonDisconnect();
    server = PressConnect();
    server->Connected();
    EXPECT_NE(server->sent.find("NICK joe\r\n"), std::string::npos) << server->sent;
}

TEST_F(NickRetryTest, GivesUpAfterTenCandidates) {
    auto server = ConnectServer();
    std::string refused = "joe";
    for (int i = 0; i < 10; ++i) {
        server->Receive(":irc.example 433 * " + refused + " :Nickname already in use\r\n");
        refused = app.settings.m_user_mynick;
    }
    EXPECT_EQ(refused, "joe_9");
    server->sent.clear();
    server->Receive(":irc.example 433 * joe_9 :Nickname already in use\r\n");
    EXPECT_EQ(server->sent, "");
    ExpectShown("", Cls::Info, "Nick joe_9 is taken; choose another with /nick");
}

}  // namespace
}  // namespace zorl::test
