// The $-variable language against hand-built messages: every rule of the
// scan, the required mark, parameters, the "#" rule, the generator, the clock
// and the input request. Rules that read script.ini or windows are in
// ScriptVariablesTest.cpp.
#include <gtest/gtest.h>

#include <ctime>

#include "app/CZorlApp.h"
#include "common/Random.h"
#include "platform/Platform.h"
#include "script/VariableExpander.h"
#include "session/IrcMessage.h"
#include "support/HeadlessHost.h"

namespace zorl {
namespace {

constexpr int kAll = kAllRecordFields | kGeneralVariables;

struct Case {
    int flags;
    const char* text;
    const char* expected;
};

class Expansion : public ::testing::Test {
protected:
    // A channel message from joe with every field filled.
    static IrcMessage Full(int flags = kAll) {
        IrcMessage m;
        m.flags = flags;
        m.channel = "#chat";
        m.me = "Zed";
        m.nick = "joe";
        m.sender = "~j@dialup";
        m.command = "PRIVMSG";
        m.params = {"#chat", "hello there"};
        m.c_command = "VERSION";
        m.c_params = "v1";
        return m;
    }
    static IrcMessage WithParams(std::vector<std::string> params) {
        IrcMessage m = Full();
        m.params = std::move(params);
        return m;
    }

    std::string Expand(const IrcMessage& m, const std::string& text) {
        return app.ExpandVariables(m, text);
    }
    // Each template against Full(flags).
    void ExpectCases(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string("template '") + c.text + "' flags " + std::to_string(c.flags));
            EXPECT_EQ(Expand(Full(c.flags), c.text), c.expected);
        }
    }

    test::HeadlessHost host;
    CZorlApp app{host.platform};
};

TEST_F(Expansion, EachNameNeedsItsFlagAndIgnoresLetterCase) {
    ExpectCases({
        {kAll, "$channel", "#chat"},
        {kAll & ~kHasChannel, "$channel", "$channel"},
        {kAll, "$me", "Zed"},
        {kAll & ~kHasMe, "$me", "$me"},
        {kAll, "$nick", "joe"},
        {kAll & ~kHasNick, "$nick", "$nick"},
        {kAll, "$sender", "~j@dialup"},
        {kAll & ~kHasSender, "$sender", "$sender"},
        {kAll, "$command", "PRIVMSG"},
        {kAll & ~kHasCommand, "$command", "$command"},
        {kAll, "$c_command", "VERSION"},
        {kAll & ~kHasCCommand, "$c_command", "$c_command"},
        {kAll, "$c_params", "v1"},
        {kAll & ~kHasCParams, "$c_params", "$c_params"},
        {kAll, "$NICK $Nick $nIcK", "joe joe joe"},
        {kAll, "$CHANNEL/$Me", "#chat/Zed"},
        // Nothing is required after a name.
        {kAll, "$message", "Zedssage"},
        {kAll, "$nickname", "joename"},
        {kAll, "<$nick>$sender!", "<joe>~j@dialup!"},
        // Unknown names and a lone "$" stay as they are.
        {kAll, "$unknown $ $", "$unknown $ $"},
        {0, "$nick $channel", "$nick $channel"},
    });
}

TEST_F(Expansion, CtcpMarkAndLineBreakNeedNoFlag) {
    ExpectCases({
        {0, "$!ACTION waves$!",
         "\x01"
         "ACTION waves\x01"},
        {0, "a$nlb", "a\r\nb"},
        {0, "$NL$!", "\r\n\x01"},
    });
}

TEST_F(Expansion, LocalVariablesStayLiteralWithoutTheirFlag) {
    app.expander.SetUserVar(1, "one");
    ExpectCases({
        {kAllRecordFields, "$time $date $dayofweek", "$time $date $dayofweek"},
        {kAllRecordFields, "$random 5 $x1 $?", "$random 5 $x1 $?"},
        {kAllRecordFields, "$randline s $getline s k", "$randline s $getline s k"},
        {kAllRecordFields, "$randnick $lastnick", "$randnick $lastnick"},
    });
    EXPECT_TRUE(host.dialogs.prompts.empty());
}

TEST_F(Expansion, ParametersAndRanges) {
    IrcMessage nine = WithParams({"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9"});
    EXPECT_EQ(Expand(nine, "$2 $6 $7 $3@$4 $8-"), "p2 p6 p7 p3@p4 p8 p9");
    EXPECT_EQ(Expand(nine, "$1-"), "p1 p2 p3 p4 p5 p6 p7 p8 p9");
    EXPECT_EQ(Expand(nine, "$9-x"), "p9x");
    EXPECT_EQ(Expand(nine, "[$10]"), "[]");
    EXPECT_EQ(Expand(nine, "[$10-]"), "[]");

    IrcMessage gap = WithParams({"a", "", "b", "c"});
    EXPECT_EQ(Expand(gap, "$3-"), "b c");
    EXPECT_EQ(Expand(gap, "$2-"), "b c");
    EXPECT_EQ(Expand(gap, "[$2]"), "[]");
    EXPECT_EQ(Expand(WithParams({"a", "b"}), "[$3-]"), "[]");
    EXPECT_EQ(Expand(WithParams({}), "[$1][$1-]"), "[][]");

    std::vector<std::string> twelve;
    for (int i = 1; i <= 12; ++i) twelve.push_back("p" + std::to_string(i));
    EXPECT_EQ(Expand(WithParams(twelve), "$12"), "p12");
    EXPECT_EQ(Expand(WithParams(twelve), "$012"), "p12");
    EXPECT_EQ(Expand(nine, "$12"), "");

    // "$0" is no parameter; a huge number is one that does not exist.
    EXPECT_EQ(Expand(nine, "$0 $00"), "$0 $00");
    EXPECT_EQ(Expand(nine, "[$99999999999999999999]"), "[]");
    EXPECT_EQ(Expand(Full(kAll & ~kHasParams), "$1 $2-"), "$1 $2-");
}

TEST_F(Expansion, HashRuleWithAndWithoutChannelFlag) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"JOIN #", "JOIN #chat"}, {"# x", "#chat x"}, {"##", "#"}, {"#x", "#x"},
        {"a##b#", "a#b#chat"},    {"###", "##chat"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Expand(Full(), text), expected);
        EXPECT_EQ(Expand(Full(kAll & ~kHasChannel), text), text);
    }
}

TEST_F(Expansion, RequiredMark) {
    IrcMessage noNick = Full();
    noNick.nick = "";
    IrcMessage m = Full();
    m.params = {"first", "second"};

    // An empty required value empties the whole result.
    EXPECT_EQ(Expand(noNick, "$$nick said $1"), "");
    EXPECT_EQ(Expand(m, "$$nick said $1"), Expand(m, "$nick said $1"));
    EXPECT_EQ(Expand(m, "$$nick said $1"), "joe said first");

    // The mark lasts across literal text up to the next variable.
    EXPECT_EQ(Expand(m, "say $$ plain $3"), "");
    EXPECT_EQ(Expand(m, "say $$ plain $2"), "say $ plain second");
    // ...and is used up by that variable.
    EXPECT_EQ(Expand(m, "$$2 then $3."), "second then .");

    // Before a name this message does not carry, one "$" is dropped, the
    // name copied, and the mark waits for the next variable.
    EXPECT_EQ(Expand(Full(kAllRecordFields), "$$time $nick"), "$time joe");
    EXPECT_EQ(Expand(Full(kAllRecordFields & ~kHasNick), "$$nick $3"), "");

    // An unset user variable counts as empty.
    EXPECT_EQ(Expand(m, "x $$x5"), "");
    EXPECT_EQ(Expand(m, "[$x5]"), "[]");

    // "#" clears the mark without testing it, even for an empty channel.
    EXPECT_EQ(Expand(m, "$$ #x $3"), "$ #x ");
    IrcMessage noChannel = m;
    noChannel.channel = "";
    EXPECT_EQ(Expand(noChannel, "$$# $3|"), "$ |");

    // "$$$nick" is the mark followed by "$$nick", i.e. the mark and $nick.
    EXPECT_EQ(Expand(noNick, "$$$nick"), "");
    EXPECT_EQ(Expand(m, "$$$nick"), "joe");
}

TEST_F(Expansion, UserVariables) {
    app.expander.SetUserVar(1, "one");
    app.expander.SetUserVar(3, "hello world");
    app.expander.SetUserVar(10, "ten");
    IrcMessage m = Full();
    EXPECT_EQ(Expand(m, "$x3!"), "hello world!");
    EXPECT_EQ(Expand(m, "$X1 $x10 $x01"), "one ten one");
    EXPECT_EQ(Expand(m, "$x0 $x11 $x"), "$x0 $x11 $x");
}

TEST_F(Expansion, RandomNumbers) {
    IrcMessage m = Full();
    // Without a number (or with a word that is none) the value is always 1.
    for (int seed = 0; seed < 50; ++seed) {
        app.random.Seed(static_cast<uint64_t>(seed));
        EXPECT_EQ(Expand(m, "$random"), "1");
        EXPECT_EQ(Expand(m, "$random abc |"), "1 |");
        EXPECT_EQ(Expand(m, "$RANDOM"), "1");
    }
    // The value is N x r / 32767 + 1 with r drawn from the program's source.
    for (int seed = 1; seed < 200; ++seed) {
        SCOPED_TRACE(seed);
        CRandom twin;
        twin.Seed(static_cast<uint64_t>(seed));
        const long long r = twin.Next();
        app.random.Seed(static_cast<uint64_t>(seed));
        EXPECT_EQ(Expand(m, "$random  6 dice"), std::to_string(6 * r / 32767 + 1) + " dice");
    }
    // A huge limit does not overflow.
    app.random.Seed(7);
    long long big = std::stoll(Expand(m, "$random 99999999999999"));
    EXPECT_GE(big, 1);
    EXPECT_LE(big, 2147483648LL);
}

TEST_F(Expansion, TimeDateAndDayFromThePlatformClock) {
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 11;  // December
    tm.tm_mday = 7;  // a Monday
    tm.tm_hour = 9;
    tm.tm_min = 5;
    tm.tm_sec = 3;
    tm.tm_isdst = -1;
    host.clock.now = std::mktime(&tm);
    EXPECT_EQ(Expand(Full(), "$time|$date|$dayofweek"), "09:05:03|07-Dec-2026|mon");
    EXPECT_EQ(Expand(Full(), "$Time"), "09:05:03");
    host.clock.now += 6 * 24 * 3600;
    EXPECT_EQ(Expand(Full(), "$DAYOFWEEK $date"), "sun 13-Dec-2026");
}

TEST_F(Expansion, InputRequest) {
    IrcMessage m = Full();
    host.dialogs.inputAnswers = {std::string("typed by $nick"), std::nullopt, std::string("")};
    // The answer is itself expanded against the same message.
    EXPECT_EQ(Expand(m, "<$?>"), "<typed by joe>");
    EXPECT_EQ(host.dialogs.inputTitles, std::vector<std::string>{"Input request"});
    // Cancel appends nothing and clears the mark untested; an accepted empty
    // answer is an empty required value.
    EXPECT_EQ(Expand(m, "a $$$?$x7b"), "a b");
    EXPECT_EQ(Expand(m, "a $$$? b"), "");
    EXPECT_EQ(host.dialogs.prompts.size(), 3u);
}

TEST_F(Expansion, InputRequestThatAsksAgainIsCutAndNextExpansionWorks) {
    IrcMessage m = Full();
    for (int i = 0; i < 40; ++i) host.dialogs.inputAnswers.push_back(std::string("more $?"));
    EXPECT_EQ(Expand(m, "start $?"), "");
    EXPECT_EQ(host.dialogs.prompts.size(), static_cast<std::size_t>(CVariableExpander::kMaxDepth));
    // The cut does not leak into the next expansion.
    host.dialogs.inputAnswers = {std::string("fine")};
    EXPECT_EQ(Expand(m, "$nick: $?"), "joe: fine");
}

// Events go on while the input request is open; an expansion they start
// counts its own depth and its own cut.
TEST_F(Expansion, ExpansionInsideAnOpenInputRequestStandsOnItsOwn) {
    IrcMessage m = Full();
    std::string nested = "unset";
    host.dialogs.duringNextDialog = [&] { nested = Expand(m, "[$?]"); };
    // The nested chain asks first: 16 answers that ask again, and is cut.
    for (int i = 0; i < CVariableExpander::kMaxDepth; ++i)
        host.dialogs.inputAnswers.push_back(std::string("$?"));
    host.dialogs.inputAnswers.push_back(std::string("fine $nick"));
    EXPECT_EQ(Expand(m, "outer: $?"), "outer: fine joe");
    EXPECT_EQ(nested, "");
    EXPECT_EQ(host.dialogs.prompts.size(),
              static_cast<std::size_t>(CVariableExpander::kMaxDepth) + 1);
}

}  // namespace
}  // namespace zorl
