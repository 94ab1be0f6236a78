// MODE messages as transcripts: summary, explanatory lines, nick-list bits
// and the mode requests sent back.
#include "config/Settings.h"
#include "incoming/IncomingFixture.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {
namespace {

class ModeChangesTest : public IncomingTest {
protected:
    void SetUp() override {
        IncomingTest::SetUp();
        Join("#a", "me @op @bob alice");
        Clear();
    }
};

TEST_F(ModeChangesTest, OpGivenAndTakenInOneLine) {
    app.settings.ExtMode = 1;
    Recv(":op!o@host MODE #a +o-o alice bob");
    ExpectLines("#a", {"op sets mode: +o-o alice bob", "  op rights given to alice",
                       "  op rights removed from bob"});
    ExpectShown("#a", Cls::Info, "  op rights removed from bob");
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"op", kNickOp}, {"bob", 0}, {"alice", kNickOp}}));
    ExpectNothingSent();
}

TEST_F(ModeChangesTest, OAndVTakeTheirNicksInTurnAndSkipWhenNoneIsLeft) {
    app.settings.ExtMode = 1;
    Recv(":op!o@host MODE #a +ov alice");
    ExpectLines("#a", {"op sets mode: +ov alice", "  op rights given to alice"});
    EXPECT_EQ(Nicks("#a")["alice"], kNickOp);

    Clear();
    Recv(":op!o@host MODE #a +v-o alice alice");
    ExpectLines("#a", {"op sets mode: +v-o alice alice", "  voice given to alice",
                       "  op rights removed from alice"});
    EXPECT_EQ(Nicks("#a")["alice"], kNickVoice);
    Recv(":op!o@host MODE #a -v alice");
    EXPECT_EQ(Nicks("#a")["alice"], 0);
}

TEST_F(ModeChangesTest, WithoutExtModeOnlyTheSummaryIsShownAndTheBitsStillChange) {
    Recv(":op!o@host MODE #a +o alice");
    ExpectLines("#a", {"op sets mode: +o alice"});
    EXPECT_EQ(Nicks("#a")["alice"], kNickOp);

    Clear();
    Recv(":op!o@host MODE #a +b *!*@spam");
    ExpectLines("#a", {"op sets mode: +b *!*@spam"});
    ExpectSent({"MODE #a"});
}

TEST_F(ModeChangesTest, BanKeyAndLimitAlwaysShowTheThirdParameter) {
    app.settings.ExtMode = 1;
    struct Case {
        const char* modes;
        std::vector<std::string> explained;
        std::size_t requests;
    };
    const Case cases[] = {
        {"+b mask", {"  ban mask added: mask"}, 1},
        {"+ob alice mask", {"  op rights given to alice", "  ban mask added: alice"}, 1},
        {"-b mask", {"  ban mask removed: mask"}, 1},
        {"+k secret", {"  channel password set to \"secret\""}, 1},
        {"-k secret", {"  channel password removed"}, 1},
        {"+l 50", {"  user limit set to 50"}, 1},
        {"-l", {"  user limit cleared"}, 1},
        {"+nt", {"  external messages not allowed", "  topic change limited"}, 1},  // one per line
        {"-t", {"  topic changeble for anyone"}, 1},
        {"+eI a!*@* b!*@*", {}, 0},  // letters the client does not explain
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modes);
        Clear();
        host.Elapse(kFreshBurst);  // the queries are more than one burst
        Recv(std::string(":op!o@host MODE #a ") + c.modes);
        std::vector<std::string> expected{std::string("op sets mode: ") + c.modes};
        expected.insert(expected.end(), c.explained.begin(), c.explained.end());
        ExpectLines("#a", expected);
        ExpectSent(std::vector<std::string>(c.requests, "MODE #a"));
    }
}

TEST_F(ModeChangesTest, ModeWordInAnyCaseAndWithoutPrefix) {
    Recv(":op!o@host mode #a +v alice");
    EXPECT_EQ(Nicks("#a")["alice"], kNickVoice);

    // Without a prefix nobody is named as the setter: the line is shown, the
    // nick list stays as it was.
    Clear();
    Recv("MODE #a +o alice");
    ExpectLines("#a", {" sets mode: +o alice"});
    EXPECT_EQ(Nicks("#a")["alice"], kNickVoice);
}

TEST_F(ModeChangesTest, ChannelWithoutWindowStillShowsTheSummary) {
    Recv(":op!o@host MODE #zz +o alice");
    ASSERT_TRUE(HasWindow("#zz")) << Transcript();
    ExpectShown("#zz", Cls::Info, "op sets mode: +o alice");
    EXPECT_EQ(Nicks("#a")["alice"], 0);
}

TEST_F(ModeChangesTest, UserModes) {
    app.settings.ExtMode = 1;
    struct Case {
        const char* line;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {":me MODE me :+iw",
         {"me sets usermode for me to: +iw", "  user me made invisible",
          "  wallops enabled for user me"}},
        {":me MODE me :-iws",
         {"me sets usermode for me to: -iws", "  user me made visible",
          "  wallops disabled for user me", "  user me disabled to receive server messages"}},
        {"MODE me +r", {"usermode for me set to: +r", "  connection for user me restricted"}},
        {"MODE me -r", {"usermode for me set to: -r"}},
        {"MODE me +x", {"usermode for me set to: +x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Clear();
        Recv(c.line);
        ExpectLines("", c.shown);
    }
    app.settings.ExtMode = 0;
    Clear();
    Recv(":me MODE me :+i");
    ExpectLines("", {"me sets usermode for me to: +i"});
    ExpectNothingSent();
}

}  // namespace
}  // namespace zorl::test
