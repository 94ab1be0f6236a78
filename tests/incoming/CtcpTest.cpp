// CTCP requests and replies as transcripts: a request in, the line shown and
// the answer sent back.
#include "common/TimeText.h"
#include "config/Settings.h"
#include "incoming/Ctcp.h"
#include "incoming/IncomingFixture.h"

namespace zorl::test {
namespace {

class CtcpTest : public IncomingTest {
protected:
    void SetUp() override {
        IncomingTest::SetUp();
        app.settings.RealName = "Me Myself";
        app.settings.Email = "me@example.org";
    }
};

TEST_F(CtcpTest, RequestsAreShownAndAnswered) {
    const std::string time = FormatLocalTime("%a %d-%b-%Y %X", host.clock.now);
    const struct {
        const char* request;
        const char* shown;  // in the status window
        std::vector<std::string> sent;
    } cases[] = {
        {"PING 12345", "[alice] [Request: PING]", {"NOTICE alice :\x01PING 12345\x01"}},
        {"VERSION",
         "[alice] [Request: VERSION]",
         {"NOTICE alice :\x01VERSION  ZORL   Version 1.18 (Aug  2 2001)  by T.Orvelle\x01"}},
        {"TIME", "[alice] [Request: TIME]", {"NOTICE alice :\x01TIME " + time + "\x01"}},
        {"SOUND ding",
         "[alice] [Request: SOUND ding]",
         {"NOTICE alice :\x01SOUND me has disabled sound requests\x01"}},
        // Commands compare exactly: this is no VERSION request.
        {"version", "[alice] [Request: version ] (unknown command)", {}},
        {"CLIENTINFO x", "[alice] [Request: CLIENTINFO x] (unknown command)", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        host.clock.ticks += CCtcp::kReplyWindowMs;  // a fresh reply budget
        Clear();
        Recv(std::string(":alice!a@host PRIVMSG me :\x01") + c.request + "\x01");
        ExpectLines("", {c.shown});
        ExpectSent(c.sent);
    }
}

TEST_F(CtcpTest, FingerReportsTheIdleTimeOfTheLastDay) {
    app.Connection().SetLastSendTimeForTest(host.clock.now - 25 * 60 * 60);
    Recv(
        ":alice!a@host PRIVMSG me :\x01"
        "FINGER\x01");
    app.settings.Finger = "out to lunch";
    Recv(
        ":alice!a@host PRIVMSG me :\x01"
        "FINGER\x01");
    ExpectSent(
        {"NOTICE alice :\x01"
         "FINGER Me Myself (me@example.org) Idle 01:00:00\x01",
         "NOTICE alice :\x01"
         "FINGER Me Myself (me@example.org) Idle 01:00:00 (out to "
         "lunch)\x01"});
}

TEST_F(CtcpTest, ActionsAreShownInTheirWindowBothAsRequestAndAsReply) {
    Join("#chan", "me alice");
    Clear();
    Recv(
        ":alice!a@host PRIVMSG #chan :\x01"
        "ACTION waves\x01");
    Recv(
        ":alice!a@host NOTICE #chan :\x01"
        "ACTION bows\x01");
    Recv(
        ":bob!b@host PRIVMSG me :\x01"
        "ACTION winks\x01");
    ExpectLines("#chan", {"* alice waves", "* alice bows"});
    ExpectLines("bob", {"* bob winks"});
    ExpectNothingSent();
}

// A time that no 64-bit difference reaches is shown as it came.
TEST_F(CtcpTest, PingReplyShowsTheElapsedTime) {
    const struct {
        std::string reply;
        const char* shown;
    } cases[] = {
        {"PING " + std::to_string(host.clock.now - 3), "[alice] [Reply: PING] 3 secs"},
        {"PING -9999999999999999999", "[alice] [Reply: PING] -9999999999999999999"},
        {"PING 99999999999999999999", "[alice] [Reply: PING] 99999999999999999999"},
        {"PING -9223372036854775000", "[alice] [Reply: PING] -9223372036854775000"},
        {"VERSION irssi v1.4", "[alice] [Reply: VERSION] irssi v1.4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        Clear();
        Recv(":alice!a@host NOTICE me :\x01" + c.reply + "\x01");
        ExpectLines("", {c.shown});
    }
    ExpectNothingSent();
}

// A sound that is found plays without an answer; one that is not, or a
// name that leaves the sound folders, gets the error notice.
TEST_F(CtcpTest, SoundRequestsPlayOnlyFromTheSoundFolders) {
    app.settings.AllowSound = 1;
    dir.WriteFile("wav/ding.wav", "RIFF");
    dir.WriteFile("secret.WAV", "RIFF");
    const std::vector<std::string> notFound = {
        "NOTICE alice :\x01SOUND Error: sound-file not found\x01"};
    const struct {
        const char* name;
        std::vector<std::string> played;
        std::vector<std::string> sent;
    } cases[] = {
        {"ding", {app.config_dir + "wav/ding.wav"}, {}},
        {"nothere", {}, notFound},
        {"../secret", {}, notFound},
        {"/etc/x", {}, notFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.clock.ticks += CCtcp::kReplyWindowMs;
        host.sound.played.clear();
        Clear();
        Recv(std::string(":alice!a@host PRIVMSG me :\x01SOUND ") + c.name + "\x01");
        EXPECT_EQ(host.sound.played, c.played);
        ExpectSent(c.sent);
        if (!c.sent.empty()) {
            EXPECT_EQ(Lines("").back().rfind("error playing ", 0), 0u);
        }
    }
}

// Servers drop clients that flood; a flood of requests must not make us one.
TEST_F(CtcpTest, RequestFloodIsShownButAnsweredOnlyWithinTheBudget) {
    for (int i = 0; i < 10; ++i) Recv(":alice!a@host PRIVMSG me :\x01VERSION\x01");
    EXPECT_EQ(wire->SentLines().size(), CCtcp::kRepliesPerWindow) << Transcript();
    EXPECT_EQ(Lines("").size(), 10u) << Transcript();

    host.clock.ticks += CCtcp::kReplyWindowMs;
    Recv(":bob!b@host PRIVMSG me :\x01PING 1\x01");
    EXPECT_EQ(wire->SentLines().back(), "NOTICE bob :\x01PING 1\x01") << Transcript();
}

}  // namespace
}  // namespace zorl::test
