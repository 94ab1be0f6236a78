// The notify list as transcripts: ISON queries out, 303 replies in, and the
// reports of who came on IRC and who left.
#include <gtest/gtest.h>

#include "incoming/IgnoreNotify.h"
#include "incoming/IncomingFixture.h"

namespace zorl {
namespace {

class Notify : public test::IncomingTest {
protected:
    void LoadNotify(const std::string& values) {
        dir.WriteFile("zorl.ini", "[NOTIFY]\n" + values);
        app.ignoreNotify.LoadNotifyList();
    }
    void Reply(const std::string& nicks) { Recv(":irc.test 303 me :" + nicks); }
    CIgnoreNotify& notify() { return app.ignoreNotify; }
};

TEST_F(Notify, ListStopsAtTheFirstEmptyValue) {
    LoadNotify("n0=Alice /msg $nick hi\nn1=;bob\nn2=\nn3=carol\n");
    EXPECT_EQ(notify().NotifyList,
              (std::map<std::string, std::string>{{"alice", "/msg $nick hi"}}));
}

TEST_F(Notify, FullReportThenChangesOnly) {
    LoadNotify("n0=alice /PRIVMSG $nick welcome back $me\nn1=carol\nn2=dave\n");
    notify().RequestIson(true);
    ExpectSent({"ISON alice carol dave"});
    Clear();
    Reply("Alice carol");
    ExpectLines("",
                {"*** Alice is on IRC", "-> *Alice* welcome back me", "*** carol is on IRC", "-"});
    ExpectShown("", Cls::Notify, "*** Alice is on IRC");
    ExpectShown("", Cls::Status, "-");
    ExpectSent({"PRIVMSG Alice :welcome back me"});

    // carol has gone, dave has come; ALICE is the alice already known.
    Clear();
    notify().RequestIson(false);
    Reply("ALICE dave");
    ExpectLines("", {"*** carol has left IRC", "*** dave is on IRC", "-"});
    ExpectSent({"ISON alice carol dave"});

    // No change: not even the separator.
    Clear();
    notify().RequestIson(false);
    Reply("alice dave");
    ExpectNothingShown();

    // Nobody online: those who were have left, at once.
    notify().RequestIson(false);
    Recv(":irc.test 303 me :");
    ExpectLines("", {"*** alice has left IRC", "*** dave has left IRC", "-"});
    Clear();
    notify().RequestIson(true);
    Recv(":irc.test 303 me :");
    ExpectLines("", {"*** No one in your notify list is on IRC"});
}

TEST_F(Notify, TypedIsonIsShownAsItCame) {
    LoadNotify("n0=alice\n");
    Reply("joe ann");
    Recv(":irc.test 303 me :");
    ExpectLines("", {"ison: joe ann", ": no such user"});
    // A notify check takes the first reply after it, whoever asked.
    Clear();
    notify().RequestIson(false);
    Reply("alice");
    Reply("alice");
    ExpectLines("", {"*** alice is on IRC", "-", "ison: alice"});
}

TEST_F(Notify, LongListIsAskedInPartsAndReportedAsOne) {
    std::string values;
    for (int i = 0; i < 80; ++i)
        values += "n" + std::to_string(i) + "=nick" + std::to_string(100 + i) + "\n";
    LoadNotify(values);
    notify().RequestIson(true);
    const std::vector<std::string> sent = wire->SentLines();
    ASSERT_EQ(sent.size(), 2u);
    for (const std::string& line : sent) EXPECT_LE(line.size(), 510u);
    Clear();
    Reply("nick100");
    ExpectNothingShown();
    Reply("nick179");
    ExpectLines("", {"*** nick100 is on IRC", "*** nick179 is on IRC", "-"});
}

TEST_F(Notify, EndOfMotdStartsTheNotifyTimer) {
    app.settings.Notify = 1;
    LoadNotify("n0=alice\n");
    Recv(":irc.test 376 me :End of MOTD command");
    ExpectSent({"ISON alice"});
    host.ticker.Tick(399);
    ExpectSent({"ISON alice"});
    host.ticker.Tick();
    ExpectSent({"ISON alice", "ISON alice"});
}

// A server with MONITOR reports comings and goings itself: no ISON and no
// timer, the same lines.
TEST_F(Notify, MonitorTakesThePlaceOfIson) {
    app.settings.Notify = 1;
    LoadNotify("n0=alice /PRIVMSG $nick hi\nn1=bob\nn2=carol\n");
    Recv(":irc.test 005 me MONITOR=2 :are supported");
    Recv(":irc.test 376 me :End of MOTD command");
    ExpectSent({"MONITOR C", "MONITOR + alice,bob"});
    ExpectShown("", Cls::UError,
                "** The server watches at most 2 nicks: the rest of the notify list is not "
                "watched");
    Clear();
    Recv(":irc.test 730 me :alice!a@host,bob!b@host");
    ExpectLines("", {"*** alice is on IRC", "-> *alice* hi", "*** bob is on IRC", "-"});
    Clear();
    Recv(":irc.test 730 me :alice!a@host");  // already known: nothing
    Recv(":irc.test 731 me :bob,dave");
    ExpectLines("", {"*** bob has left IRC", "-"});
    host.ticker.Tick(400);
    ExpectNothingSent();  // no ISON
}

}  // namespace
}  // namespace zorl
