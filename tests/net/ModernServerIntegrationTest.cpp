// A modern network end to end: InspIRCd with its IRCv3 modules and member
// prefixes beyond @ and +, every line it sends tagged.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>

#include "InspircdServer.h"
#include "LiveClient.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "incoming/IgnoreNotify.h"
#include "session/CapNegotiation.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {

TEST(ModernServerIntegrationTest, CapabilitiesTagsAndPrefixesOfInspircd) {
    InspircdServer server(InspircdOptions{.sts = false});
    ASSERT_TRUE(server.Running()) << server.Failure();
    LiveClient zorl;
    CSettings& s = zorl.app.settings;
    s.m_server_address = "127.0.0.1";
    s.m_server_ports = std::to_string(server.Port());
    s.Password = "";
    s.Notify = 1;
    zorl.app.ini.WriteList("zorl.ini", "NOTIFY", {"carol"});
    zorl.app.ignoreNotify.LoadNotifyList();
    zorl.app.Connection().OnButtonConnect();
    ASSERT_TRUE(zorl.WaitForWelcome()) << zorl.Transcript() << server.Log();

    const std::set<std::string>& enabled = zorl.app.Connection().Caps().Enabled();
    for (const char* cap : {"multi-prefix", "userhost-in-names", "message-tags", "server-time",
                            "extended-join", "cap-notify", "away-notify", "account-notify",
                            "chghost", "setname", "batch", "invite-notify", "echo-message"})
        EXPECT_TRUE(enabled.count(cap)) << cap << zorl.Transcript();

    ASSERT_TRUE(zorl.Type("", "/join #v3"));
    ASSERT_TRUE(zorl.WaitForNicks("#v3", {{"zorltest", kNickOp}})) << zorl.Transcript();
    IrcTestClient bob;
    ASSERT_TRUE(bob.Connect(server.Port(), "bob")) << bob.Transcript();
    ASSERT_TRUE(bob.Join("#v3")) << bob.Transcript();
    ASSERT_TRUE(bob.Send("PRIVMSG #v3 :tagged hello"));
    EXPECT_TRUE(zorl.WaitForPane("#v3", "<bob> tagged hello")) << zorl.Transcript();
    // The own line comes back from the server (echo-message) and shows once.
    ASSERT_TRUE(zorl.Type("#v3", "said once"));
    EXPECT_TRUE(bob.WaitForCommand("PRIVMSG")) << bob.Transcript();
    EXPECT_TRUE(zorl.WaitForPane("#v3", "<zorltest> said once")) << zorl.Transcript();
    EXPECT_EQ(std::ranges::count(zorl.Lines("#v3"), "<zorltest> said once"), 1);

    // A message to the channel's operators shows in the channel, marked.
    ASSERT_TRUE(bob.Send("PRIVMSG @#v3 :ops only"));
    EXPECT_TRUE(zorl.WaitForPane("#v3", "<bob> (@) ops only")) << zorl.Transcript();

    // Founder, admin, half-op and voice at once; after a new join the names
    // list gives all of them, and the founder's nick change and part apply.
    constexpr int kBobsRanks = kNickOwner | kNickAdmin | kNickHalfop | kNickVoice;
    ASSERT_TRUE(zorl.Type("#v3", "/mode #v3 +qahv bob bob bob bob"));
    EXPECT_TRUE(zorl.WaitForNicks("#v3", {{"zorltest", kNickOp}, {"bob", kBobsRanks}}))
        << zorl.Transcript();
    ASSERT_TRUE(zorl.Type("#v3", "/part"));
    ASSERT_TRUE(WaitUntil([&] { return zorl.FrameOf("#v3") == 0; })) << zorl.Transcript();
    ASSERT_TRUE(zorl.Type("", "/join #v3"));
    EXPECT_TRUE(zorl.WaitForNicks("#v3", {{"zorltest", 0}, {"bob", kBobsRanks}}))
        << zorl.Transcript();

    ASSERT_TRUE(bob.Send("NICK robert"));
    EXPECT_TRUE(zorl.WaitForNicks("#v3", {{"zorltest", 0}, {"robert", kBobsRanks}}))
        << zorl.Transcript();
    ASSERT_TRUE(bob.Send("PART #v3"));
    EXPECT_TRUE(zorl.WaitForNicks("#v3", {{"zorltest", 0}})) << zorl.Transcript();
    // MONITOR, not ISON, tells of carol coming and going.
    IrcTestClient carol;
    ASSERT_TRUE(carol.Connect(server.Port(), "carol")) << carol.Transcript();
    EXPECT_TRUE(zorl.WaitForPane("", "*** carol is on IRC")) << zorl.Transcript();
    carol.Send("QUIT :bye");
    EXPECT_TRUE(zorl.WaitForPane("", "*** carol has left IRC")) << zorl.Transcript();
    for (const std::string& line : zorl.Lines("", true))
        EXPECT_EQ(line.find(">> ISON"), std::string::npos) << line;

    // The channel's history on join comes with the server's times, in a
    // chathistory batch: it calls nobody, though it names the user.
    ASSERT_TRUE(carol.Connect(server.Port(), "carol2")) << carol.Transcript();
    ASSERT_TRUE(carol.Join("#hist") && carol.Send("MODE #hist +H 10:1d") &&
                carol.Send("PRIVMSG #hist :zorltest: said before"));
    ASSERT_TRUE(zorl.Type("", "/join #hist"));
    ASSERT_TRUE(zorl.WaitForPane("#hist", "zorltest: said before")) << zorl.Transcript();
    EXPECT_TRUE(std::ranges::any_of(zorl.Lines("", true), [](const std::string& line) {
        return line.find("BATCH +") != std::string::npos &&
               line.find("chathistory") != std::string::npos;
    })) << zorl.Transcript();
    for (const Piece& piece : zorl.Window("#hist").pieces) {
        if (piece.text.find("said before") != std::string::npos) {
            EXPECT_FALSE(piece.mention) << zorl.Transcript();
        }
    }
    ASSERT_TRUE(carol.Send("PRIVMSG #hist :zorltest: said now"));
    ASSERT_TRUE(zorl.WaitForPane("#hist", "zorltest: said now")) << zorl.Transcript();
    EXPECT_TRUE(zorl.Window("#hist").pieces.back().mention) << zorl.Transcript();

    // Nothing of it was shown raw.
    for (const std::string& line : zorl.Lines(""))
        EXPECT_EQ(line.find("@time="), std::string::npos) << line;
}

}  // namespace zorl::test
