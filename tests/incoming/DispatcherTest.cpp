// Server commands as transcripts: a raw line in, what each window shows, what
// the nick lists hold and what was sent back.
#include "common/TimeText.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "incoming/IncomingFixture.h"
#include "session/Accounts.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {
namespace {

class DispatcherTest : public IncomingTest {};

// ---- NICK -----------------------------------------------------------------

TEST_F(DispatcherTest, NickChangeFollowsTheNickIntoEveryChannelKeepingItsBits) {
    Join("#a", "me @alice bob");
    Join("#b", "me +alice");
    Join("#c", "me bob");
    Clear();

    Recv(":alice!a@host NICK :alicia");

    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"alicia", kNickOp}, {"bob", 0}})) << Transcript();
    EXPECT_EQ(Nicks("#b"), (NickMap{{"me", 0}, {"alicia", kNickVoice}})) << Transcript();
    ExpectLines("#a", {"alice is now known as alicia"});
    ExpectShown("#b", Cls::Info, "alice is now known as alicia");
    ExpectLines("#c", {});
    ExpectLines("", {});
    EXPECT_EQ(app.settings.m_user_mynick, "me");
}

// A "new" nick that differs only in letter case, or not at all, is the same
// entry: it must not vanish from the list.
TEST_F(DispatcherTest, NickChangeToTheSameNickKeepsItListed) {
    Join("#a", "me @bob");
    Recv(":bob!b@host NICK :bob");
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"bob", kNickOp}})) << Transcript();

    Recv(":bob!b@host NICK :Bob");
    NickMap nicks = Nicks("#a");
    EXPECT_EQ(nicks.size(), 2u) << Transcript();
    ASSERT_TRUE(nicks.count("Bob") || nicks.count("bob")) << Transcript();
    EXPECT_EQ(nicks.count("Bob") ? nicks["Bob"] : nicks["bob"], kNickOp);
}

TEST_F(DispatcherTest, OwnNickChangeIsStoredAndRenamesTheQueryNamedLikeTheOldNick) {
    app.registry.NewWindow("me", kWindowQuery, server, false);
    Join("#a", "@me");
    Clear();

    Recv(":me!u@client NICK :myself");

    EXPECT_EQ(app.settings.m_user_mynick, "myself");
    ExpectShown("", Cls::Info, "Your nick is changed to myself");
    EXPECT_EQ(app.ini.ReadString("USER", "Nick", ""), "myself");
    EXPECT_FALSE(HasWindow("me")) << Transcript();
    ASSERT_TRUE(HasWindow("myself")) << Transcript();
    EXPECT_EQ(Record("myself")->title, "myself");
    EXPECT_EQ(Nicks("#a"), (NickMap{{"myself", kNickOp}}));
    ExpectLines("#a", {"me is now known as myself"});
}

TEST_F(DispatcherTest, PeerNickChangeRenamesItsQueryUnlessTheNewNameIsTaken) {
    Recv(":alice!a@host PRIVMSG me :hi");
    ASSERT_TRUE(HasWindow("alice")) << Transcript();
    Recv(":alice!a@host NICK :alicia");
    EXPECT_FALSE(HasWindow("alice")) << Transcript();
    EXPECT_TRUE(HasWindow("alicia")) << Transcript();

    // Two windows of one name on one connection would make lookups ambiguous.
    Recv(":carol!c@host PRIVMSG me :hi");
    Recv(":alicia!a@host NICK :carol");
    EXPECT_TRUE(HasWindow("alicia")) << Transcript();
    EXPECT_TRUE(HasWindow("carol")) << Transcript();

    // A "nick" named like a channel leaves the channel's window alone.
    Join("#a", "me");
    Recv(":#a!x@y NICK :dave");
    EXPECT_TRUE(HasWindow("#a")) << Transcript();
    EXPECT_FALSE(HasWindow("dave")) << Transcript();
}

// ---- QUIT -----------------------------------------------------------------

TEST_F(DispatcherTest, QuitIsShownOnlyWhereTheNickIsListed) {
    Join("#a", "me alice bob");
    Join("#b", "me bob");
    Recv(":alice!a@host PRIVMSG me :psst");  // a query window of alice
    Clear();

    Recv(":alice!a@host QUIT :bye");
    ExpectLines("#a", {"alice has quit channel (bye)"});
    ExpectShown("#a", Cls::Info, "alice has quit channel (bye)");
    // The conversation view shows comings and goings as quieter status lines.
    app.settings.ConversationView = 1;
    Recv(":carol!c@host JOIN #a");
    Recv(":carol!c@host PART #a");
    ExpectShown("#a", Cls::Status, "carol (c@host) has joined channel #a");
    ExpectShown("#a", Cls::Status, "carol has left channel");
    app.settings.ConversationView = 0;
    Clear();
    ExpectLines("#b", {});
    ExpectLines("alice", {});
    ExpectLines("", {});
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"bob", 0}}));

    Clear();
    Recv(":bob!b@host QUIT");
    ExpectLines("#a", {"bob has quit channel"});
    ExpectLines("#b", {"bob has quit channel"});

    // Somebody who shares no channel leaves no trace, not even in a query.
    Clear();
    Recv(":alice!a@host QUIT :again");
    ExpectNothingShown();
}

// ---- JOIN -----------------------------------------------------------------

TEST_F(DispatcherTest, OwnJoinOfTwoChannelsOpensBothAndAsksForTheirModes) {
    Recv(":me!u@client JOIN :#a,#b");
    ASSERT_TRUE(HasWindow("#a")) << Transcript();
    ASSERT_TRUE(HasWindow("#b")) << Transcript();
    EXPECT_EQ(Record("#a")->type, kWindowChannel);
    EXPECT_EQ(Record("#b")->socket, server);
    ExpectSent({"MODE #a", "MODE #b"});
    ExpectShown("#a", Cls::Info, "now talking in channel #a");
    ExpectShown("#b", Cls::Info, "now talking in channel #b");
}

TEST_F(DispatcherTest, JoinForAChannelWithoutWindowIsTakenAsOwnJoin) {
    Recv(":alice!a@host JOIN #z");
    ASSERT_TRUE(HasWindow("#z")) << Transcript();
    EXPECT_TRUE(Nicks("#z").empty());
    ExpectSent({"MODE #z"});
}

TEST_F(DispatcherTest, JoinOfAnotherUserIsShownAndListed) {
    Join("#a", "me");
    Clear();
    Recv(":alice!a@host JOIN :#a");
    ExpectLines("#a", {"alice (a@host) has joined channel #a"});
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"alice", 0}}));
    ExpectNothingSent();

    // Percent signs from the wire are text, not conversions.
    Clear();
    Recv(":a%sb!x%n@host JOIN #a");
    ExpectLines("#a", {"a%sb (x%n@host) has joined channel #a"});
}

// ---- Message tags -----------------------------------------------------------

// Servers and bouncers that tag every line are followed as if they did not.
TEST_F(DispatcherTest, TaggedLinesAreHandledAsUntaggedOnes) {
    Join("#a", "me bob");
    Clear();
    Recv("@time=2026-12-09T10:00:00.000Z;msgid=1 PING :irc.test");
    ExpectSent({"PONG irc.test"});
    Recv("@msgid=2;+typing=done :bob!b@h PRIVMSG #a :hi");
    ExpectLines("#a", {"<bob> hi"});

    // server-time: the line is stamped with the server's time, not the clock's.
    app.settings.TimeStamp = 1;
    Clear();
    Recv("@time=2023-11-14T20:13:20.000Z :bob!b@h PRIVMSG #a :earlier");
    Recv(":bob!b@h PRIVMSG #a :now");
    ExpectLines("#a", {FormatLocalTime("[%#H:%M] ", 1700000000 - 7200), "<bob> earlier",
                       FormatLocalTime("[%#H:%M] ", host.clock.now), "<bob> now"});
    app.settings.TimeStamp = 0;

    Clear();
    Recv("@a=" + std::string(9000, 'x') + " :bob!b@h PRIVMSG #a :lost");
    ExpectLines("#a", {});
    ExpectLines("", {"** A line from the server was dropped: its tags are longer than 8191 bytes"});
}

// A server with more member prefixes than @ and +: every member is stored
// under the nick alone, so that nick changes, parts and modes find them.
TEST_F(DispatcherTest, NamesAndModesFollowTheServersPrefixes) {
    Recv(":irc.test 005 me PREFIX=(qaohv)~&@%+ CHANMODES=beI,k,l,imnpst :are supported");
    Join("#a", "me ~bob &carol %dave @+erin fay!f@host");
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0},
                                    {"bob", kNickOwner},
                                    {"carol", kNickAdmin},
                                    {"dave", kNickHalfop},
                                    {"erin", kNickOp | kNickVoice},
                                    {"fay", 0}}));
    Recv(":bob!b@host NICK :robert");
    Recv(":carol!c@host PART #a");
    Recv(":robert!b@host MODE #a +bh-q *!*@spam fay robert");
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0},
                                    {"robert", 0},
                                    {"dave", kNickHalfop},
                                    {"erin", kNickOp | kNickVoice},
                                    {"fay", kNickHalfop}}))
        << Transcript();
}

// Under rfc1459 "[" is the capital of "{": a window opened before the server
// said so is found under either spelling, and so is a member of its list.
TEST_F(DispatcherTest, CaseMappingOfTheServerJoinsBracketsAndBraces) {
    Join("#a[1]", "me nick[m]");
    Recv(":irc.test 005 me CASEMAPPING=rfc1459 :are supported");
    Clear();
    Recv(":x!x@host PRIVMSG #A{1} :hello");
    Recv(":op!o@host MODE #a{1} +o NICK{M}");
    EXPECT_EQ(Nicks("#a[1]"), (NickMap{{"me", 0}, {"NICK{M}", kNickOp}})) << Transcript();
    EXPECT_EQ(Lines("#a[1]").front(), "<x> hello") << Transcript();
}

// What the capabilities we ask for add to a session: taken in quietly, or
// shown where they belong.
TEST_F(DispatcherTest, LinesOfTheRequestedCapabilities) {
    Join("#a", "me bob");
    const struct {
        const char* line;
        const char* window;
        const char* shown;  // nullptr: nothing anywhere
    } rows[] = {
        {":bob!b@h AWAY :lunch", nullptr, nullptr},  // the nick list greys bob
        {":bob!b@h ACCOUNT bobby", nullptr, nullptr},
        {":bob!b@h CHGHOST b new.host", nullptr, nullptr},
        {":bob!b@h SETNAME :Bob B", nullptr, nullptr},
        {":irc BATCH +1 netsplit a b", nullptr, nullptr},
        {"@+typing=active :bob!b@h TAGMSG #a", nullptr, nullptr},
        {":irc FAIL JOIN CHANNEL_FULL #c :Cannot join, the channel is full", "",
         "** JOIN failed: Cannot join, the channel is full"},
        {":irc WARN REHASH CERTS_EXPIRED :Certificate expired", "",
         "** REHASH: Certificate expired"},
        {":irc NOTE * OPER_MESSAGE :hello", "", "*: hello"},
        {":bob!b@h INVITE carol #a", "#a", "bob invites carol to #a"},
        {":bob!b@h INVITE me :#b", "", "bob invites you to me #b"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        Clear();
        Recv(row.line);
        if (row.shown)
            ExpectLines(row.window, {row.shown});
        else
            ExpectNothingShown();
    }
    Recv(":bob!b@h AWAY :lunch");
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"bob", kNickAway}}));
    Recv(":bob!b@h AWAY");
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"bob", 0}}));
    // chghost: a query's caption follows bob's new address.
    Recv(":bob!b@h PRIVMSG me :hi");
    Recv(":bob!b@h CHGHOST b2 new.host");
    EXPECT_EQ(Window("bob").caption, "bob (b2@new.host)");
}

// echo-message: the user's lines are shown when the server relays them back,
// once, where they went; CTCP requests were shown when they were sent.
TEST_F(DispatcherTest, OwnLinesAreShownOnceWhenTheServerEchoesThem) {
    Join("#a", "me bob");
    Recv(":irc CAP me NEW :echo-message");
    Recv(":irc CAP me ACK :echo-message");
    Clear();
    app.SendString(FrameOf("#a"), "hello");
    ExpectSent({"PRIVMSG #a :hello"});
    ExpectNothingShown();
    Recv(":me!u@h PRIVMSG #a :hello");
    Recv(
        ":me!u@h PRIVMSG #a :\x01"
        "ACTION waves\x01");
    Recv(
        ":me!u@h PRIVMSG bob :\x01"
        "VERSION\x01");
    Recv(":me!u@h NOTICE carol :psst");
    ExpectLines("#a", {"<me> hello", "* me waves"});
    ExpectLines("", {"-> -carol- psst"});
}

// batch: a netsplit's quits and a netjoin's joins are one line per channel
// when the batch ends; lines of a history batch mark no window and call
// nobody.
TEST_F(DispatcherTest, BatchesGroupNetsplitsAndKeepHistoryQuiet) {
    Join("#a", "me bob carol dave");
    Clear();
    Recv(":irc BATCH +s1 netsplit irc.a irc.b");
    Recv("@batch=s1 :bob!b@h QUIT :irc.a irc.b");
    Recv("@batch=s1 :carol!c@h QUIT :irc.a irc.b");
    ExpectNothingShown();
    Recv(":irc BATCH -s1");
    Recv(":irc BATCH +j1 netjoin irc.a irc.b");
    Recv("@batch=j1 :bob!b@h JOIN #a");
    Recv(":irc BATCH -j1");
    ExpectLines("#a",
                {"*** Netsplit irc.a <-> irc.b: bob, carol", "*** Netjoin irc.a <-> irc.b: bob"});
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"bob", 0}, {"dave", 0}}));

    Open("#z", kWindowChannel, true);  // #a is in the background
    const ChannelRecord& a = *app.registry.FindCR("#a", Server());
    Recv(":irc BATCH +h1 chathistory #a");
    Recv("@batch=h1 :dave!d@h PRIVMSG #a :me: old news");
    Recv(":irc BATCH -h1");
    EXPECT_FALSE(app.registry.IsHighlighted(a));
    EXPECT_FALSE(Pieces("#a").back().mention);
    Recv(":dave!d@h PRIVMSG #a :me: news");
    EXPECT_TRUE(app.registry.IsHighlighted(a));
    EXPECT_TRUE(Pieces("#a").back().mention);
}

// Accounts and real names from WHOX on joining, extended-join,
// account-notify, account-tag and SETNAME, following nicks; the WHOX also
// tells who is away, quietly.
TEST_F(DispatcherTest, AccountsAndAwayStateFromEverySourceTheServerHas) {
    Recv(":irc.test 005 me WHOX :are supported");
    Recv(":irc CAP me NEW :extended-join");
    Recv(":irc CAP me ACK :extended-join");
    Clear();
    Join("#a", "me bob carol");
    ExpectSent({"MODE #a", "WHO #a %tcuhnfar,152"});
    Clear();
    Recv(":irc 354 me 152 #a b h bob G bobby :Bob B");
    Recv(":irc 354 me 152 #a c h carol H 0");
    Recv(":irc 315 me #a :End of /WHO list.");
    ExpectNothingShown();
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"bob", kNickAway}, {"carol", 0}}));

    Recv(":dave!d@h JOIN #a dave_acct :Dave D");
    Recv(":carol!c@h ACCOUNT carol_acct");
    Recv("@account=eve_acct :eve!e@h PRIVMSG #a :hi");
    Recv(":bob!b@h NICK robert");
    Recv(":dave!d@h SETNAME :David D");
    const CAccounts& accounts = app.Connection().Accounts();
    EXPECT_EQ(*accounts.RealNameOf("robert") + *accounts.RealNameOf("dave"), "Bob BDavid D");
    auto account = [&](const char* nick) {
        const std::string* found = accounts.Of(nick);
        return found ? *found : std::string("-");
    };
    EXPECT_EQ(
        account("robert") + account("bob") + account("carol") + account("dave") + account("eve"),
        "bobby-carol_acctdave_accteve_acct");
    Recv(":carol!c@h ACCOUNT *");
    Recv(":robert!b@h QUIT :bye");
    EXPECT_EQ(account("carol") + account("robert"), "--");

    Clear();
    Recv(":irc 330 me dave dave_acct :is logged in as");
    ExpectLines("", {"dave is logged in as dave_acct"});
}

// labeled-response: a WHOIS typed in a channel is answered there, in a
// batch or in one line; the status window keeps the rest.
TEST_F(DispatcherTest, AnswersToALabeledCommandGoToItsWindow) {
    Join("#a", "me bob");
    Recv(":irc CAP me NEW :message-tags batch labeled-response");
    Recv(":irc CAP me ACK :message-tags batch labeled-response");
    Clear();
    app.settings.RepliesInWindow = 0;  // a folder from before the option
    app.SendString(FrameOf("#a"), "/whois carol");
    app.settings.RepliesInWindow = 1;
    app.SendString(FrameOf("#a"), "/whois bob");
    app.SendString(FrameOf("#a"), "/whois nobody");
    ExpectSent({"whois carol", "@label=z1 whois bob", "@label=z2 whois nobody"});
    Recv("@label=z1 :irc BATCH +w labeled-response");
    Recv("@batch=w :irc 311 me bob b h * :Bob");
    Recv("@batch=w :irc 318 me bob :End of /WHOIS list.");
    Recv(":irc BATCH -w");
    Recv("@label=z2 :irc 401 me nobody :No such nick");
    Recv("@label=z1 :irc 401 me late :No such nick");  // z1 was answered already
    EXPECT_EQ(Lines("#a"), (std::vector<std::string>{"bob is b@h * Bob", "bob End of /WHOIS list.",
                                                     " ", "nobody No such nick"}))
        << Transcript();
    ExpectLines("", {"late No such nick"});
}

// Without labeled-response a WHOIS is followed by its nick until its end
// line, and a NAMES list goes to the window of its channel.
TEST_F(DispatcherTest, AnswersWithoutLabelsGoToTheWindowThatAsked) {
    Join("#a", "me bob");
    app.settings.RepliesInWindow = 1;
    Clear();
    app.SendString(FrameOf("#a"), "/whois irc.test BOB,carol ");
    Recv(":irc 311 me bob b h * :Bob");
    Recv(":irc 311 me dave d h * :Dave");  // nobody asked about dave here
    Recv(":irc 318 me bob :End of /WHOIS list.");
    Recv(":irc 401 me carol :No such nick");
    Recv(":irc 318 me carol :End of /WHOIS list.");
    Recv(":irc 311 me bob b h * :Bob");  // its WHOIS has ended
    Recv(":irc 353 me = #a :me bob");
    Recv(":irc 366 me #a :End of NAMES list");
    EXPECT_EQ(Lines("#a"),
              (std::vector<std::string>{"bob is b@h * Bob", "bob End of /WHOIS list.", " ",
                                        "carol No such nick", "carol End of /WHOIS list.", " ",
                                        "#a me bob", "#a End of NAMES list"}))
        << Transcript();
    ExpectLines("", {"dave is d@h * Dave", "bob is b@h * Bob"});
}

// The lists dialog asks for the lists the server has, gets their entries
// without a line in the status window, and changes them within MODES.
TEST_F(DispatcherTest, ChannelListsGoToTheDialogAndChangesKeepToModes) {
    Recv(":irc 005 me CHANMODES=beI,k,l,imnt MODES=2 :are supported");
    Join("#a", "@me bob");
    Clear();
    app.AskChannelLists(FrameOf("#a"));
    ExpectSent({"MODE #a +b", "MODE #a +e", "MODE #a +I"});
    Recv(":irc 367 me #A *!*@bad.example op!o@h 1700000000");
    Recv(":irc 367 me #a spam!*@*");
    Recv(":irc 368 me #a :End of Channel Ban List");
    Recv(":irc 349 me #a :End of Channel Exception List");
    Recv(":irc 367 me #a typed!*@*");  // asked for by the user: shown as before
    EXPECT_EQ(host.surface.channelList,
              (std::vector<std::string>{"+b *!*@bad.example op!o@h 1700000000", "+b spam!*@*  0",
                                        "+b end", "+e end"}));
    ExpectLines("", {"#a typed!*@*"});
    wire->sent.clear();
    app.ChangeChannelList(FrameOf("#a"), 'b', false, {"a!*@*", "b!*@*", "c!*@*"});
    host.Elapse(kFreshBurst);  // the flood queue lets the second line go
    ExpectSent({"MODE #a -bb a!*@* b!*@*", "MODE #a -b c!*@*"});
}

// draft/chathistory: a join asks for the channel's last lines, a later join
// for what came after the newest one seen; none is shown twice.
TEST_F(DispatcherTest, JoinsFetchHistoryOnceOverWithoutShowingALineTwice) {
    Recv(":irc CAP me NEW :batch server-time message-tags draft/chathistory");
    Recv(":irc CAP me ACK :batch server-time message-tags draft/chathistory");
    Clear();
    Join("#a", "me bob");
    ExpectSent({"MODE #a", "CHATHISTORY LATEST #a * 100"});
    Recv(":irc BATCH +h chathistory #a");
    Recv("@batch=h;msgid=m1;time=2026-12-09T10:00:00.000Z :bob!b@h PRIVMSG #a :one");
    Recv("@batch=h;msgid=m2;time=2026-12-09T10:01:00.000Z :bob!b@h PRIVMSG #a :two");
    Recv(":irc BATCH -h");
    Recv(":bob!b@h KICK #a me :out");  // the window stays, with its lines
    wire->sent.clear();
    Join("#a", "me bob");
    ExpectSent({"MODE #a", "CHATHISTORY AFTER #a timestamp=2026-12-09T10:01:00.000Z 100"});
    Recv(":irc BATCH +i chathistory #a");
    Recv("@batch=i;msgid=m2;time=2026-12-09T10:01:00.000Z :bob!b@h PRIVMSG #a :two");
    Recv("@batch=i;msgid=m3;time=2026-12-09T10:02:00.000Z :bob!b@h PRIVMSG #a :three");
    Recv(":irc BATCH -i");
    std::vector<std::string> said;
    for (const std::string& line : Lines("#a"))
        if (line.starts_with("<bob>")) said.push_back(line);
    EXPECT_EQ(said, (std::vector<std::string>{"<bob> one", "<bob> two", "<bob> three"}));

    // A query opened by the user asks too, once.
    wire->sent.clear();
    app.SendString(FrameOf("#a"), "/query carol");
    app.SendString(FrameOf("#a"), "/query carol");
    host.Elapse(kFreshBurst);
    ExpectSent({"CHATHISTORY LATEST carol * 100"});
}

// STATUSMSG: a message for the channel's ops reaches the channel's window.
TEST_F(DispatcherTest, MessagesToSomeMembersOfAChannelShowInIt) {
    Recv(":irc.test 005 me STATUSMSG=@+ :are supported");
    Join("#a", "@me bob");
    Clear();
    Recv(":bob!b@h PRIVMSG @#a :ops only");
    Recv(":bob!b@h NOTICE +#a :voiced too");
    ExpectLines("#a", {"<bob> (@) ops only", "#-bob- (+) voiced too"});
}

// ---- PART and KICK ----------------------------------------------------------

TEST_F(DispatcherTest, PartOfAnotherUserAndOwnPart) {
    Join("#a", "me alice");
    Clear();
    Recv(":alice!a@host PART #a :later");
    ExpectLines("#a", {"alice has left channel"});
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}}));

    // Own only when the nick matches exactly.
    Recv(":ME!u@client PART #a");
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}})) << Transcript();

    // The part the user asked for closes the window when the server confirms.
    app.SendString(FrameOf("#a"), "/part");
    ExpectSent({"PART #a"});
    Recv(":me!u@client PART #a");
    EXPECT_FALSE(HasWindow("#a")) << Transcript();
    EXPECT_TRUE(HasWindow("")) << Transcript();
}

// A kick, or a part the server made, leaves the window open with its text
// and an empty nick list; the next join of the channel comes back to it.
TEST_F(DispatcherTest, WindowsOutliveAKickOrAForcedPart) {
    struct Case {
        const char* line;
        std::vector<std::string> status;
        std::vector<std::string> shown;
        std::vector<std::string> sent;
    } cases[] = {
        {":op!o@host KICK #a ME :out",
         {"you were kicked from channel #a by op (out)"},
         {"you were kicked from channel #a by op (out)"},
         {}},
        {":op!o@host KICK #a me",
         {"you were kicked from channel #a by op"},
         {"you were kicked from channel #a by op"},
         {"JOIN #a"}},  // AutoRejoin
        {":me!u@client PART #a :services", {}, {"me has left channel"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        app.settings.AutoRejoin = !c.sent.empty();
        host.Elapse(kFreshBurst);
        Join("#a", "me @op");
        const FrameId frame = FrameOf("#a");
        Clear();
        Recv(c.line);
        EXPECT_EQ(FrameOf("#a"), frame) << Transcript();
        ExpectLines("", c.status);
        ExpectLines("#a", c.shown);
        ExpectSent(c.sent);
        EXPECT_EQ(Nicks("#a"), NickMap{});

        Join("#a", "me @op");
        EXPECT_EQ(FrameOf("#a"), frame) << Transcript();
        const std::vector<std::string> shown = Lines("#a");
        EXPECT_EQ(shown.end()[-3], "now talking in channel #a");  // then the names
        EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"op", kNickOp}}));
        ExpectSent(c.sent.empty() ? std::vector<std::string>{"MODE #a"}
                                  : std::vector<std::string>{"JOIN #a", "MODE #a"});

        // A kept window the user closes goes at once: there is nothing to part.
        Recv(c.line);
        Clear();
        app.SendString(frame, "/part");
        EXPECT_FALSE(HasWindow("#a")) << Transcript();
        ExpectNothingSent();
    }
}

// The channels the user was in when the connection ended are joined again,
// with their keys, once the next server has greeted us.
TEST_F(DispatcherTest, ChannelsOfALostConnectionAreJoinedAgainAfterTheMotd) {
    Join("#a", "me");
    Join("#b", "me");
    Recv(":irc.test 324 me #b +lk 10 sesame");
    Join("#gone", "me");
    Recv(":op!o@host KICK #gone me");
    app.Connection().Disconnect();
    EXPECT_EQ(Nicks("#a"), NickMap{});
    ASSERT_TRUE(HasWindow("#b"));

    // The next connection, on the same socket.
    server->Create(kEventRead | kEventConnect | kEventClose);
    wire = host.sockets.Last();
    app.Connection().ForceStateForTest(CONNECTED, true);
    host.Elapse(kFreshBurst);
    Clear();
    Recv(":irc.test 376 me :End of MOTD command");
    ExpectSent({"JOIN #a", "JOIN #b sesame"});
}

TEST_F(DispatcherTest, KickOfAnotherUser) {
    Join("#a", "me @op alice");
    Clear();
    Recv(":op!o@host KICK #a alice :spam");
    ExpectLines("#a", {"alice was kicked by op (spam)"});
    EXPECT_EQ(Nicks("#a"), (NickMap{{"me", 0}, {"op", kNickOp}}));
    Recv(":op!o@host KICK #a bob :");
    ExpectShown("#a", Cls::Info, "bob was kicked by op");

    // No window for the channel: nothing happens and none opens.
    Recv(":op!o@host KICK #zz me :bye");
    EXPECT_FALSE(HasWindow("#zz")) << Transcript();
    ExpectNothingSent();
}

// ---- TOPIC and INVITE -------------------------------------------------------

TEST_F(DispatcherTest, TopicIsShownAndKeptInTheCaption) {
    Join("#a", "me");
    Clear();
    Recv(":alice!a@host TOPIC #a :fresh topic");
    ExpectLines("#a", {"alice changes topic to fresh topic"});
    EXPECT_EQ(Record("#a")->topic, "fresh topic");
    EXPECT_EQ(Recorded("#a")->caption, "#a: fresh topic");

    // Compared in any letter case.
    Recv(":alice!a@host topic #a :lower");
    EXPECT_EQ(Record("#a")->topic, "lower");
}

TEST_F(DispatcherTest, InviteShowsAllParametersInTheStatusWindow) {
    Recv(":alice!a@host INVITE me :#a");
    ExpectShown("", Cls::Info, "alice invites you to me #a");
    Recv(":bob!b@host Invite me #b");
    ExpectShown("", Cls::Info, "bob invites you to me #b");
}

// ---- PRIVMSG and NOTICE -----------------------------------------------------

TEST_F(DispatcherTest, MessagesAreShownAndAQueryLearnsItsPeersAddress) {
    Join("#a", "me alice");
    Clear();
    Recv(":alice!a@host PRIVMSG #a :hello all");
    ExpectLines("#a", {"<alice> hello all"});

    app.registry.NewWindow("bob", kWindowQuery, server, true);
    Recv(":Bob!b@first PRIVMSG me :hi there");
    ExpectLines("bob", {"<Bob> hi there"});
    EXPECT_EQ(Record("bob")->sender, "b@first");
    EXPECT_EQ(Recorded("bob")->caption, "bob (b@first)");
    Recv(":Bob!b@second PRIVMSG me :again");
    EXPECT_EQ(Record("bob")->sender, "b@first");
}

// Others opening windows en masse: past 20 new nicks within ten seconds the
// rest are shown in the status window, under one notice, until ten quiet
// seconds pass; the user's own commands open windows throughout.
TEST_F(DispatcherTest, ABurstOfNewQueriesGoesToTheStatusWindow) {
    const std::size_t before = app.registry.Records().size();
    for (int i = 0; i < 30; ++i) {
        host.clock.ticks += 100;
        Recv(":n" + std::to_string(i) + "!u@h PRIVMSG me :hi");
    }
    EXPECT_EQ(app.registry.Records().size(), before + 20);
    const std::vector<std::string> status = Lines("");
    ASSERT_EQ(status.size(), 11u) << Transcript();
    EXPECT_EQ(status[0].rfind("** More than 20 new windows within 10 seconds", 0), 0u);
    EXPECT_EQ(status[10], "<n29> hi");

    app.SendString(app.registry.pStatusFrm, "/query zed");
    EXPECT_TRUE(HasWindow("zed"));
    host.clock.ticks += 9000;
    Recv(":late!u@h PRIVMSG me :hi");
    EXPECT_FALSE(HasWindow("late"));  // the burst goes on while they keep coming
    host.clock.ticks += 10000;
    Recv(":later!u@h PRIVMSG me :hi");
    EXPECT_TRUE(HasWindow("later")) << Transcript();
}

TEST_F(DispatcherTest, NoticeAndCtcpAreNotShownAsPlainMessages) {
    Join("#a", "me alice");
    Clear();
    Recv(":alice!a@host NOTICE #a :heads up");
    ExpectShown("#a", Cls::Notice, "#-alice- heads up");
    Recv(":alice!a@host PRIVMSG #a :\x01VERSION\x01");
    for (const std::string& line : Lines("#a")) EXPECT_EQ(line.find("<alice>"), std::string::npos);
}

// ---- ignored senders ----------------------------------------------------------

TEST_F(DispatcherTest, IgnoredSenderIsSilencedButTracked) {
    app.IgnoreList = {"troll!*@*"};
    Join("#a", "me troll");
    Clear();

    for (const char* line :
         {":troll!t@host PRIVMSG #a :spam", ":troll!t@host PRIVMSG me :spam",
          ":troll!t@host NOTICE me :spam", ":troll!t@host INVITE me #x", ":troll!t@host PING :x"}) {
        SCOPED_TRACE(line);
        Recv(line);
        ExpectNothingShown();
        EXPECT_FALSE(HasWindow("troll")) << Transcript();
        ExpectNothingSent();
    }

    Recv(":troll!t@host NICK :troll2");
    ExpectLines("#a", {"troll is now known as troll2"});
    Recv(":troll2!t@host PART #a");
    Recv(":troll2!t@host JOIN #a");
    Recv(":troll2!t@host QUIT :gone");
    ExpectLines("#a", {"troll is now known as troll2", "troll2 has left channel",
                       "troll2 (t@host) has joined channel #a", "troll2 has quit channel (gone)"});
}

// ---- PING, ERROR and unknown commands -----------------------------------------

TEST_F(DispatcherTest, PingIsAnsweredAndShownUnlessNoPing) {
    struct Case {
        int noPing;
        std::vector<std::string> shown;
    };
    for (const Case& c : {Case{0, {"PING? PONG!"}}, Case{1, {}}}) {
        SCOPED_TRACE(c.noPing);
        app.settings.NoPing = c.noPing;
        Clear();
        Recv("PING :token");
        ExpectLines("", c.shown);
        ExpectSent({"PONG token"});
    }
    Clear();
    Recv("PING a b");
    ExpectSent({"PONG a b"});
}

TEST_F(DispatcherTest, ErrorAndUnknownCommandsGoToTheStatusWindow) {
    Recv("ERROR :Closing link (quit)");
    ExpectLines("", {"Closing link (quit)", " "});
    ExpectShown("", Cls::Info, "Closing link (quit)");

    Clear();
    Recv(":irc.test FOO a :b");
    ExpectLines("", {"FOO a b"});
    ExpectShown("", Cls::Status, "FOO a b");

    // "000" reads as 0: no numeric reply, the command word stays.
    Clear();
    Recv(":irc.test 000 me :zero");
    ExpectLines("", {"000 me zero"});
}

}  // namespace
}  // namespace zorl::test
