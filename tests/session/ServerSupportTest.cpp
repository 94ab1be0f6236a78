// ISUPPORT tokens as servers send them, odd ones included, and the rules
// they leave in force.
#include <gtest/gtest.h>

#include "common/SharedTypes.h"
#include "session/ServerSupport.h"

namespace zorl {
namespace {

// The nick and bits a NAMES entry gives after one 005 line of `tokens`.
struct Stripped {
    std::string nick;
    int bits;
    bool operator==(const Stripped&) const = default;
};

Stripped Strip(const CServerSupport& support, std::string_view entry) {
    int bits = 0;
    const std::string_view nick = support.StripPrefixes(entry, bits);
    return {std::string(nick), bits};
}

TEST(ServerSupport, PrefixTokens) {
    const struct {
        std::vector<std::string> tokens;
        const char* entry;
        Stripped expected;
    } rows[] = {
        {{}, "@+bob", {"bob", kNickOp | kNickVoice}},
        {{}, "~bob", {"~bob", 0}},  // no PREFIX yet: ~ is part of the nick
        {{"PREFIX=(qaohv)~&@%+"}, "~bob", {"bob", kNickOwner}},
        {{"PREFIX=(qaohv)~&@%+"}, "&%carol", {"carol", kNickAdmin | kNickHalfop}},
        {{"PREFIX=(Yov)!@+"}, "!@dave", {"dave", kNickOp}},  // Y has no bit of its own
        {{"PREFIX=(ov)@"}, "+erin", {"erin", kNickVoice}},   // unequal halves: not used
        {{"PREFIX=(qaohv)~&@%+", "-PREFIX"}, "~fay", {"~fay", 0}},
        {{"PREFIX="}, "@gus", {"gus", kNickOp}},
        {{"PREFIX"}, "@gus", {"gus", kNickOp}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entry);
        CServerSupport support;
        std::vector<std::string> params{"me"};
        params.insert(params.end(), row.tokens.begin(), row.tokens.end());
        params.push_back("are supported by this server");
        support.Apply(params);
        EXPECT_EQ(Strip(support, row.entry), row.expected);
    }
}

TEST(ServerSupport, ChannelTypesModesAndName) {
    CServerSupport support;
    EXPECT_TRUE(support.IsChannel("&local"));
    EXPECT_FALSE(support.IsChannel("+modeless"));
    EXPECT_FALSE(support.TakesParameter('b', true));  // the fixed rules: o and v only
    EXPECT_TRUE(support.TakesParameter('o', false));

    support.Apply({"me", "CHANTYPES=#+", "CHANMODES=beI,k,l,imnpst", "NETWORK=Example Net",
                   "STATUSMSG=@+", "SOMETHING=else", "LINELEN=2048", "NICKLEN=9", "TOPICLEN=x",
                   "are supported"});
    EXPECT_EQ(support.LineLength(), 2048u);
    EXPECT_EQ(support.NickLength(), 9u);
    EXPECT_EQ(support.TopicLength(), 0u);  // not a number: as if unsaid
    EXPECT_TRUE(support.IsChannel("+modeless"));
    EXPECT_FALSE(support.IsChannel("&local"));
    EXPECT_EQ(support.Network(), "Example Net");
    EXPECT_EQ(support.StatusPrefixes(), "@+");
    for (char letter : {'b', 'e', 'I', 'k'}) {
        EXPECT_TRUE(support.TakesParameter(letter, true)) << letter;
        EXPECT_TRUE(support.TakesParameter(letter, false)) << letter;
    }
    EXPECT_TRUE(support.TakesParameter('l', true));
    EXPECT_FALSE(support.TakesParameter('l', false));
    EXPECT_FALSE(support.TakesParameter('n', true));

    support.Apply({"me", "LINELEN=100", "are supported"});  // never below what all relay
    EXPECT_EQ(support.LineLength(), CServerSupport::kLineLength);
    support.Apply({"me", "CHANMODES=b", "-NETWORK", "are supported"});  // short and negated
    EXPECT_TRUE(support.TakesParameter('b', true));
    EXPECT_FALSE(support.TakesParameter('k', true));
    EXPECT_EQ(support.Network(), "");
}

}  // namespace
}  // namespace zorl
