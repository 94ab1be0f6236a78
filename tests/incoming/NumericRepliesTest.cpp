// Numeric replies as transcripts.
#include <ctime>

#include "config/Settings.h"
#include "incoming/IncomingFixture.h"
#include "incoming/NumericReplies.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/NotifyTimer.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {
namespace {

class NumericRepliesTest : public IncomingTest {};

// The C library's own text for a time value, without its line end.
std::string CTime(std::time_t t) {
    char buffer[64] = {};
    ctime_r(&t, buffer);
    std::string text = buffer;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

// The kinds of status lines: a reply's own template, the default line after
// the own nick, the end of a list with its separator, and silence.
TEST_F(NumericRepliesTest, StatusWindowLines) {
    struct Case {
        const char* line;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {":irc.test 221 me +iw", {"me +iw"}},
        {":irc.test 311 me alice a host * :Alice A.", {"alice is a@host * Alice A."}},
        {":irc.test 433 me alice :Nickname is already in use",
         {"alice Nickname is already in use"}},
        // A command that merely begins with digits reads as that number.
        {":irc.test 12x me :twelve", {"twelve"}},
        {":irc.test 318 me alice :End of WHOIS", {"alice End of WHOIS", " "}},
        {":irc.test 323 me :End of LIST", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Clear();
        Recv(c.line);
        ExpectLines("", c.shown);
        if (!c.shown.empty()) ExpectShown("", Cls::Status, c.shown.front());
    }
    Clear();
    Recv(":irc.test 341 me alice #a");
    ExpectShown("", Cls::Info, "alice has been invited to channel #a");
}

class IdentClosingTest : public NumericRepliesTest {
protected:
    void OpenIdent() {
        app.ident.StartIdent("0.0.0.0", 113);
        Clear();
    }
};

TEST_F(IdentClosingTest, WelcomeRegistersAndClosesTheIdentResponder) {
    app.Connection().ForceStateForTest(app.Connection().State(), false);
    app.settings.ExtConnect = 1;
    OpenIdent();
    Recv(":irc.test 001 me :Welcome to the test net");
    EXPECT_TRUE(app.Connection().Registered());
    EXPECT_EQ(app.ident.Socket(), nullptr);
    ExpectLines("", {"-- Ident socket Close", "Welcome to the test net"});
    ExpectShown("", Cls::Flow, "-- Ident socket Close");

    // Nothing left to close.
    Clear();
    Recv(":irc.test 375 me :- irc.test Message of the Day -");
    ExpectLines("", {"- irc.test Message of the Day -"});
}

TEST_F(IdentClosingTest, MotdStartClosesItToo) {
    OpenIdent();
    Recv(":irc.test 375 me :- motd -");
    EXPECT_EQ(app.ident.Socket(), nullptr);
    ExpectLines("", {"- motd -"});  // ExtConnect is off
}

TEST_F(NumericRepliesTest, EndOfMotdWithNotifyOffStartsNoNotifyCheck) {
    for (const char* end : {"376", "422"}) {
        SCOPED_TRACE(end);
        Clear();
        Recv(std::string(":irc.test ") + end + " me :End of MOTD");
        ExpectLines("", {"End of MOTD", " "});
        EXPECT_FALSE(app.Connection().NotifyTimer().Running());
        ExpectNothingSent();
    }
}

TEST_F(NumericRepliesTest, IdleTimeShortAndLong) {
    Recv(":irc.test 317 me alice 42 0 :seconds idle");
    ExpectLines("", {"alice has been idle 42 seconds"});

    Clear();
    Recv(":irc.test 317 me alice 42 1700000000 :seconds idle, signon time");
    ExpectLines("", {"alice has been idle 42 seconds, signed on " + CTime(1700000000)});

    Clear();
    Recv(":irc.test 317 me alice 42");
    ExpectLines("", {});
}

// Beyond any calendar: the year would overflow inside the time formatting.
TEST_F(NumericRepliesTest, TimesBeyondTheCalendarShowTheirNumber) {
    Join("#a", "me");
    const struct {
        const char* line;
        const char* window;
        const char* shown;
    } cases[] = {
        {"317 me alice 42 67767976233536400 :idle", "",
         "alice has been idle 42 seconds, signed on 67767976233536400"},
        {"329 me #a 67767976233536400", "", "#a created on 67767976233536400"},
        {"333 me #a alice -67767976233536400", "#a", "Set by alice at -67767976233536400"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Clear();
        Recv(std::string(":irc.test ") + c.line);
        ExpectLines(c.window, {c.shown});
    }
}

TEST_F(NumericRepliesTest, ChannelListFillsTheListWindow) {
    app.settings.ChannelBrowser = 0;  // a folder from before the browser
    // Without 321 the window opens under its own name.
    Recv(":irc.test 322 me #a 12 :the topic");
    ASSERT_TRUE(HasWindow("~list")) << Transcript();
    EXPECT_EQ(Record("~list")->title, "~list");
    EXPECT_EQ(Record("~list")->socket, nullptr);
    ExpectLines("~list", {"#a                   12 the topic"});
    ExpectShown("~list", Cls::Status, "#a                   12 the topic");

    Recv(":irc.test 321 me Channel :Users  Name");
    EXPECT_EQ(Record("~list")->title, "Channels");
    Recv(":irc.test 322 me #a-very-long-channel-name 3");
    Recv(":irc.test 323 me :End of LIST");
    ExpectLines("~list", {"#a                   12 the topic", "#a-very-long-channel-name 3"});
    ExpectLines("", {});

    // A double click on a row joins its channel; elsewhere it is no join.
    Clear();
    EXPECT_TRUE(
        app.numerics.JoinListedChannel(FrameOf("~list"), "#a                   12 the topic"));
    EXPECT_TRUE(app.numerics.JoinListedChannel(FrameOf("~list"), "  "));
    EXPECT_FALSE(app.numerics.JoinListedChannel(FrameOf(""), "#b 1"));
    ExpectSent({"JOIN #a :"});
}

TEST_F(NumericRepliesTest, ChannelModesTopicAndCreationTime) {
    Join("#a", "me");
    Clear();
    Recv(":irc.test 324 me #a +nt");
    ExpectLines("", {"#a +nt"});
    EXPECT_EQ(Record("#a")->flags, "+nt");

    Recv(":irc.test 332 me #a :the topic");
    ExpectShown("#a", Cls::Info, "Topic is 'the topic'");
    EXPECT_EQ(Record("#a")->topic, "the topic");
    EXPECT_EQ(Recorded("#a")->caption, "#a [+nt] : the topic");

    Clear();
    Recv(":irc.test 329 me #a 1700000000");
    ExpectLines("", {"#a created on " + CTime(1700000000)});
}

TEST_F(NumericRepliesTest, TopicSetterWithThreeOrFourParameters) {
    Join("#a", "me");
    Clear();
    Recv(":irc.test 333 me #a alice!a@host 1700000000");
    Recv(":irc.test 333 me #a :bob 1600000000");
    Recv(":irc.test 333 me #a");
    ExpectLines("#a", {"Set by alice!a@host at " + CTime(1700000000),
                       "Set by bob at " + CTime(1600000000)});
    ExpectShown("#a", Cls::Info, "Set by bob at " + CTime(1600000000));
}

TEST_F(NumericRepliesTest, NamesFillTheListOnlyUntilTheEndOfNames) {
    Recv(":me!u@client JOIN #a");
    Recv(":irc.test 353 me = #a :me @alice +bob");
    Recv(":irc.test 353 me = #a :@+carol dave");
    EXPECT_FALSE(Record("#a")->joined);
    Recv(":irc.test 366 me #a :End of NAMES list");
    EXPECT_TRUE(Record("#a")->joined);
    const NickMap filled{{"me", 0},
                         {"alice", kNickOp},
                         {"bob", kNickVoice},
                         {"carol", kNickOp | kNickVoice},
                         {"dave", 0}};
    EXPECT_EQ(Nicks("#a"), filled) << Transcript();

    // A NAMES typed later is shown, not added.
    Clear();
    Recv(":irc.test 353 me = #a :me @alice +bob erin");
    Recv(":irc.test 366 me #a :End of NAMES list");
    EXPECT_EQ(Nicks("#a"), filled);
    ExpectLines("#a", {"#a me @alice +bob erin", "#a End of NAMES list"});  // and no blank line
}

TEST_F(NumericRepliesTest, NamesBurstOfTenThousandNicks) {
    Recv(":me!u@client JOIN #big");
    for (int line = 0; line < 200; ++line) {
        std::string names;
        for (int i = 0; i < 50; ++i) {
            int n = line * 50 + i;
            names += (n % 10 == 0 ? "@" : "") + std::string("nick") + std::to_string(n) + " ";
        }
        Recv(":irc.test 353 me = #big :" + names);
    }
    Recv(":irc.test 366 me #big :End of NAMES list");
    NickMap nicks = Nicks("#big");
    EXPECT_EQ(nicks.size(), 10000u);
    EXPECT_EQ(nicks["nick9990"], kNickOp);
    EXPECT_EQ(nicks["nick9999"], 0);
}

TEST_F(NumericRepliesTest, WhoLineWithAndWithoutExtWho) {
    const char* line = ":irc.test 352 me #a ~al host.example irc.test alice H@ :0 Alice A.";
    app.settings.ExtWho = 0;
    Recv(line);
    app.settings.ExtWho = 1;
    Recv(line);
    ExpectLines("", {"#a alice 0 Alice A.", "#a alice H@ ~al@host.example 0 Alice A."});
}

}  // namespace
}  // namespace zorl::test
