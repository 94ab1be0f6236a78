// Lines with missing or empty parameters for every branch. None may crash,
// read past a parameter list (the sanitizer build watches), close the status
// window or a channel it does not name, or disturb a nick list it does not
// name. Lines below a branch's parameter count are dropped without output.
#include "incoming/IncomingFixture.h"
#include "windows/WindowRegistry.h"

namespace zorl::test {
namespace {

class MalformedLinesTest : public IncomingTest {};

TEST_F(MalformedLinesTest, EveryBranchWithTooFewOrEmptyParameters) {
    constexpr bool kDropped = true;
    constexpr bool kShown = false;
    struct Case {
        const char* line;
        bool dropped;
    };
    const Case cases[] = {
        {"NICK", kDropped},
        {":alice!a@host NICK", kDropped},
        {":alice!a@host NICK :", kDropped},
        {"NICK :alicia", kDropped},
        {"QUIT", kShown},
        {":zed!z@host QUIT :", kShown},
        {"JOIN", kDropped},
        {":alice!a@host JOIN", kDropped},
        {":alice!a@host JOIN :", kDropped},
        {":alice!a@host JOIN :,, ,", kDropped},
        {"PART", kDropped},
        {":me!u@client PART", kDropped},
        {":me!u@client PART :", kDropped},
        {":me!u@client PART :,,", kDropped},
        {"MODE", kDropped},
        {":op!o@host MODE #a", kDropped},
        {":op!o@host MODE :", kDropped},
        {":op!o@host MODE #a :", kShown},
        {":op!o@host MODE #a +ovovbkl", kShown},
        {":op!o@host MODE #a -ov+ov", kShown},
        {":op!o@host MODE : +o", kDropped},
        {"TOPIC", kDropped},
        {":alice!a@host TOPIC #a", kDropped},
        {"INVITE", kShown},
        {"KICK", kDropped},
        {":op!o@host KICK #a", kDropped},
        {":op!o@host KICK #a zed", kShown},
        {":op!o@host KICK : me :", kDropped},
        {":op!o@host KICK #a zed :", kShown},
        {"PRIVMSG", kDropped},
        {":alice!a@host PRIVMSG", kDropped},
        {":alice!a@host PRIVMSG :", kShown},
        {":alice!a@host PRIVMSG #a", kShown},
        {":alice!a@host PRIVMSG #a :\x01", kShown},
        {":alice!a@host PRIVMSG #a :\x01\x01", kShown},
        {"NOTICE", kDropped},
        {":alice!a@host NOTICE", kDropped},
        {":alice!a@host NOTICE #a :\x01 \x01", kShown},
        {"PING", kShown},
        {"ERROR", kShown},
        {":irc.test", kShown},
        {":irc.test FOO", kShown},
        {"001", kShown},
        {"303", kShown},
        {"317", kDropped},
        {"317 me alice 5", kDropped},
        {"317 me alice 5 :99999999999999999999999", kShown},
        {"321", kShown},
        {"322", kShown},
        {"322 me", kShown},
        {"324", kDropped},
        {"324 me #a", kDropped},
        {"329 me #a", kDropped},
        {"329 me #a :-99999999999999999999", kShown},
        {"332 me #a", kDropped},
        {"333 me #a", kDropped},
        {"333 me #a :", kShown},
        {"333 me #a :alice", kShown},
        {"352", kShown},
        {"352 me #a", kShown},
        {"353", kShown},
        {"353 me = #a", kShown},
        {"353 me = #a :", kShown},
        {"366", kDropped},
        {"366 me", kDropped},
        {"375", kShown},
        {"376", kShown},
        {"391", kShown},
        {"12x", kShown},
        {"-5 me", kShown},
        {"99999999999999999999 me :x", kShown},
    };

    Recv(":me!u@client JOIN #a");
    Recv(":irc.test 353 me = #a :me @alice");
    Recv(":irc.test 366 me #a :End of NAMES list");
    const std::map<std::string, int> nicks = Nicks("#a");
    const FrameId status = app.registry.pStatusFrm;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Clear();
        Recv(c.line);
        ASSERT_TRUE(HasWindow("")) << Transcript();
        EXPECT_EQ(Record("")->frame, status);
        ASSERT_TRUE(HasWindow("#a")) << Transcript();
        EXPECT_EQ(Nicks("#a"), nicks) << Transcript();
        if (!c.dropped) continue;
        ExpectNothingShown();
        ExpectNothingSent();
    }
}

}  // namespace
}  // namespace zorl::test
