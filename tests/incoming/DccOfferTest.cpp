// DCC offers from other users: checked, put to the user one at a time while
// the connection goes on, then acted on.
#include <algorithm>
#include <filesystem>

#include "dcc/Dcc.h"
#include "incoming/Ctcp.h"
#include "incoming/DccOffers.h"
#include "incoming/IncomingFixture.h"
#include "session/IrcSocket.h"

namespace zorl::test {
namespace {

class DccOfferTest : public IncomingTest {
protected:
    void Offer(const std::string& words, const std::string& nick = "alice") {
        Recv(":" + nick +
             "!a@host PRIVMSG me :\x01"
             "DCC " +
             words + "\x01");
    }
    PresetDialogs::DccQuestion* Question() {
        return host.dialogs.dccQuestions.empty() ? nullptr : &host.dialogs.dccQuestions.front();
    }
    // The socket the accepted offer connects with.
    CIrcSocket* Dcc(const std::string& nick = "alice") {
        const ChannelRecord* record = Record(nick);
        return record ? record->socket : nullptr;
    }
};

TEST_F(DccOfferTest, OfferWithBadNumbersIsRefusedWithOneStatusLine) {
    const struct {
        const char* words;
        const char* shown;
    } cases[] = {
        {"SEND f 4294967296 2001 10",
         "DCC SEND from alice refused: not an IPv4 address number: \"4294967296\""},
        {"SEND f -1 2001", "DCC SEND from alice refused: not an IPv4 address number: \"-1\""},
        {"CHAT chat 3232235521 0", "DCC CHAT from alice refused: not a port (1-65535): \"0\""},
        {"SEND f 3232235521 0 10", "DCC SEND from alice refused: not a port (1-65535): \"0\""},
        {"CHAT chat 3232235521 65536",
         "DCC CHAT from alice refused: not a port (1-65535): \"65536\""},
        {"CHAT chat 3232235521", "DCC CHAT from alice refused: not a port (1-65535): \"\""},
        {"SEND f 3232235521 2001 12x", "DCC SEND from alice refused: not a file size: \"12x\""},
        {"SEND f 3232235521 2001 99999999999999999999",
         "DCC SEND from alice refused: not a file size: \"99999999999999999999\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        Clear();
        const std::size_t sockets = host.sockets.all.size();
        Offer(c.words);
        ExpectLines("", {c.shown});
        EXPECT_EQ(Question(), nullptr);
        EXPECT_EQ(host.sockets.all.size(), sockets);
    }
    // Kinds that are not ours are dropped without a word.
    Clear();
    Offer("XMIT f 2001 0");
    ExpectNothingShown();
    EXPECT_EQ(Question(), nullptr);
}

TEST_F(DccOfferTest, AcceptedChatConnectsToTheOfferedAddress) {
    Offer("chat chat 3232235521 2000");
    ASSERT_NE(Question(), nullptr);
    EXPECT_EQ(Question()->kind, PresetDialogs::DccQuestion::kChat);
    EXPECT_EQ(Question()->offer.from, "alice (a@host)");
    ExpectNothingShown();

    ASSERT_TRUE(host.dialogs.AnswerChat(DccAnswer::Accept));
    EXPECT_EQ(host.sockets.Last()->connectHost, "192.168.0.1");
    EXPECT_EQ(host.sockets.Last()->connectPort, 2000);
    ASSERT_NE(Record("alice"), nullptr) << Transcript();
    EXPECT_EQ(Record("alice")->type, kWindowDccQuery);
    ExpectShown("alice", Cls::CTCP, "DCC chat started with alice");

    Offer("CHAT chat 3232235521 2001", "bob");
    ASSERT_TRUE(host.dialogs.AnswerChat(DccAnswer::Refuse));
    EXPECT_FALSE(HasWindow("bob"));
}

// Both questions say where accepting connects to, and warn of an offer that
// may lead to a service of this computer or its network.
TEST_F(DccOfferTest, QuestionsShowWhereTheOfferLeadsAndWarnOfLocalServices) {
    const std::string tail = "; accepting may connect to a service there rather than to alice.";
    const struct {
        const char* where;  // address number and port
        const char* address;
        int port;
        std::string warning;
    } cases[] = {
        {"3405803783 5000", "203.0.113.7", 5000, ""},
        {"2130706433 6379", "127.0.0.1", 6379, "Warning: 127.0.0.1 is this computer" + tail},
        {"167772161 2000", "10.0.0.1", 2000,
         "Warning: 10.0.0.1 is a private network address" + tail},
        {"2886729729 2000", "172.16.0.1", 2000,
         "Warning: 172.16.0.1 is a private network address" + tail},
        {"3232235521 22", "192.168.0.1", 22,
         "Warning: 192.168.0.1 is a private network address, and port 22 is below 1024, where "
         "system services listen" +
             tail},
        {"1681915905 2000", "100.64.0.1", 2000,
         "Warning: 100.64.0.1 is a provider's shared address" + tail},
        {"2851995649 2000", "169.254.0.1", 2000,
         "Warning: 169.254.0.1 is a link-local address" + tail},
        {"3758096385 2000", "224.0.0.1", 2000, "Warning: 224.0.0.1 is a multicast address" + tail},
        {"0 2000", "0.0.0.0", 2000, "Warning: 0.0.0.0 is not a peer's address" + tail},
        {"4294967295 2000", "255.255.255.255", 2000,
         "Warning: 255.255.255.255 is not a peer's address" + tail},
        {"3405803783 25", "203.0.113.7", 25,
         "Warning: port 25 is below 1024, where system services listen" + tail},
        {"3405803783 1024", "203.0.113.7", 1024, ""},
    };
    for (const auto& c : cases) {
        for (const char* kind : {"CHAT chat ", "SEND f.txt "}) {
            SCOPED_TRACE(std::string(kind) + c.where);
            Offer(kind + std::string(c.where));
            ASSERT_NE(Question(), nullptr);
            EXPECT_EQ(Question()->offer.address, c.address);
            EXPECT_EQ(Question()->offer.port, c.port);
            EXPECT_EQ(Question()->offer.warning, c.warning);
            if (Question()->kind == PresetDialogs::DccQuestion::kChat)
                host.dialogs.AnswerChat(DccAnswer::Refuse);
            else
                host.dialogs.AnswerFile(DccAnswer::Refuse);
        }
    }
}

TEST_F(DccOfferTest, FileOfferShowsItsSizeAndStartsWithIt) {
    const struct {
        const char* words;
        const char* name;
        const char* sizeShown;
        const char* started;
        uint64_t size;
    } cases[] = {
        {"SEND notes.txt 3232235521 2001 0", "notes.txt", "unknown",
         "DCC file transfer started: notes.txt", 0},
        {"SEND big.iso 3232235521 2001 5368709120", "big.iso", "5.0 GiB (5368709120 bytes)",
         "DCC file transfer started: big.iso (size=5368709120)", 5368709120ull},
        {"send \"my notes.txt\" 3232235521 2001 10", "my notes.txt", "10 bytes",
         "DCC file transfer started: my notes.txt (size=10)", 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        Offer(c.words);
        ASSERT_NE(Question(), nullptr);
        EXPECT_EQ(Question()->offer.fileName, c.name);
        EXPECT_EQ(Question()->offer.size, c.sizeShown);
        ASSERT_TRUE(host.dialogs.AnswerFile(DccAnswer::Accept));
        CIrcSocket* socket = Dcc();
        ASSERT_NE(socket, nullptr) << Transcript();
        EXPECT_EQ(socket->file_size, c.size);
        EXPECT_EQ(Window("alice").caption, "\xAB alice");
        ExpectShown("alice", Cls::Info, c.started);
        app.dcc.CloseWindowSocket(FrameOf("alice"));
        app.registry.DeleteChannel(FrameOf("alice"));
    }
}

// Whatever name a peer offers or the user types, the file lands in
// download/ under a plain name.
TEST_F(DccOfferTest, HostileFileNamesLandInsideDownload) {
    const std::string longName = std::string(300, 'a') + ".txt";
    const struct {
        std::string offered;
        std::string edited;  // "" keeps the offered one
        std::string lands;
    } cases[] = {
        {"../../.bashrc", "", "_bashrc"},
        {"/etc/passwd", "", "passwd"},
        {"..", "", "__"},
        {"C:\\x\\y.txt", "", "y.txt"},
        {"a\x02"
         "b",
         "", "a_b"},
        {longName, "", std::string(196, 'a') + ".txt"},
        {"ok.txt", "../../../tmp/evil", "evil"},
        {"ok.txt", ".hidden", "_hidden"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offered + " / " + c.edited);
        Offer("SEND " + c.offered + " 2130706433 2001 4");
        ASSERT_TRUE(host.dialogs.AnswerFile(
            DccAnswer::Accept,
            c.edited.empty() ? std::nullopt : std::optional<std::string>(c.edited)));
        auto peer = host.sockets.Last();
        peer->Connected();
        peer->Receive("data");
        EXPECT_EQ(dir.ReadFile("download/" + c.lands), "data") << Transcript();
        app.dcc.CloseWindowSocket(FrameOf("alice"));
        app.registry.DeleteChannel(FrameOf("alice"));
    }
    auto files = std::filesystem::directory_iterator(dir.Path() / "download");
    EXPECT_EQ(std::distance(begin(files), end(files)), std::ssize(cases));
}

TEST_F(DccOfferTest, ExistingFileAsksToOverwriteRenameOrCancel) {
    dir.WriteFile("download/notes.txt", "old");
    const std::string offer = "SEND notes.txt 2130706433 2001 3";

    // Rename, then Refuse: declined.
    Offer(offer);
    ASSERT_TRUE(host.dialogs.AnswerFile(DccAnswer::Accept));
    ASSERT_TRUE(host.dialogs.AnswerOverwrite(OverwriteAnswer::Rename));
    ASSERT_NE(Question(), nullptr);
    EXPECT_EQ(Question()->offer.fileName, "notes.txt");
    ASSERT_TRUE(host.dialogs.AnswerFile(DccAnswer::Refuse));
    EXPECT_FALSE(HasWindow("alice"));

    // Cancel: declined.
    Offer(offer);
    ASSERT_TRUE(host.dialogs.AnswerFile(DccAnswer::Accept));
    ASSERT_TRUE(host.dialogs.AnswerOverwrite(OverwriteAnswer::Cancel));
    EXPECT_FALSE(HasWindow("alice"));
    EXPECT_EQ(Question(), nullptr);

    // Rename to a new name: started under it, the old file untouched.
    Offer(offer);
    ASSERT_TRUE(host.dialogs.AnswerFile(DccAnswer::Accept));
    ASSERT_TRUE(host.dialogs.AnswerOverwrite(OverwriteAnswer::Rename));
    ASSERT_TRUE(host.dialogs.AnswerFile(DccAnswer::Accept, "notes2.txt"));
    ExpectShown("alice", Cls::Info, "DCC file transfer started: notes2.txt (size=3)");
    EXPECT_EQ(dir.ReadFile("download/notes.txt"), "old");
}

// A shorter file of the offered name can be resumed: the sender is asked,
// and its ACCEPT (of that port and position only) starts the transfer at the
// file's end, acknowledging totals of the whole file.
TEST_F(DccOfferTest, ShorterFileIsResumedWhereItStopped) {
    dir.WriteFile("download/notes.txt", "old");
    Offer("SEND notes.txt 2130706433 2001 10");
    ASSERT_TRUE(host.dialogs.AnswerFile(DccAnswer::Accept));
    ASSERT_NE(Question(), nullptr);
    EXPECT_EQ(Question()->resume, "Resume: 3 bytes of 10 bytes are here already");
    ASSERT_TRUE(host.dialogs.AnswerOverwrite(OverwriteAnswer::Resume));
    host.Elapse(kFreshBurst);
    ExpectSent(
        {"PRIVMSG alice :\x01"
         "DCC RESUME notes.txt 2001 3\x01"});
    EXPECT_FALSE(HasWindow("alice"));

    Clear();
    Recv(
        ":alice!a@host PRIVMSG me :\x01"
        "DCC ACCEPT notes.txt 2002 3\x01");
    Recv(
        ":alice!a@host PRIVMSG me :\x01"
        "DCC ACCEPT notes.txt 2001 3\x01");
    ExpectLines("", {"DCC ACCEPT from alice ignored: no resume was asked of it there"});
    ASSERT_NE(Dcc(), nullptr);
    auto peer = host.sockets.Last();
    EXPECT_EQ(peer->connectPort, 2001);
    peer->Connected();
    peer->Receive("1234567");
    ExpectLines("alice", {"DCC file transfer started: notes.txt (size=10)", "resuming at 3 bytes",
                          "received 10 bytes  (+7)  100%"});
    EXPECT_EQ(peer->sent, std::string("\0\0\0\x0A", 4));
    EXPECT_EQ(dir.ReadFile("download/notes.txt"), "old1234567");

    // A file as long as the offer cannot be resumed.
    Offer("SEND notes.txt 2130706433 2003 10");
    ASSERT_TRUE(host.dialogs.AnswerFile(DccAnswer::Accept));
    ASSERT_NE(Question(), nullptr);
    EXPECT_EQ(Question()->resume, "");
}

// A passive offer (port 0 and a token) is answered with our address and a
// port we listen on; the sender connects there.
TEST_F(DccOfferTest, PassiveOfferIsAnsweredWithWhereWeListen) {
    Offer("SEND f.bin 3232235521 0 3 77");
    ASSERT_NE(Question(), nullptr);
    EXPECT_EQ(Question()->offer.port, 0);
    EXPECT_EQ(Question()->offer.warning, "");
    ASSERT_TRUE(host.dialogs.AnswerFile(DccAnswer::Accept));
    host.Elapse(kFreshBurst);
    ExpectSent(
        {"PRIVMSG alice :\x01"
         "DCC SEND f.bin 2130706433 2000 3 77\x01"});
    auto listener = host.sockets.Last();
    ASSERT_TRUE(listener->listening);
    auto peer = host.sockets.PrepareAccept();
    listener->Accept();
    peer->Receive("abc");
    EXPECT_EQ(dir.ReadFile("download/f.bin"), "abc");
    EXPECT_EQ(peer->sent, std::string("\0\0\0\x03", 4));
}

// /dcc get takes a waiting file offer at once, even one behind another
// question, which is asked again afterwards.
TEST_F(DccOfferTest, GetTakesAWaitingOfferWithoutItsQuestion) {
    Offer("CHAT chat 2130706433 3000", "bob");
    Offer("SEND notes.txt 2130706433 2001 10");
    app.SendString(FrameOf(""), "/dcc get carol");
    app.SendString(FrameOf(""), "/dcc get alice mine.txt");
    ExpectShown("", Cls::UError, "No DCC file offer from carol is waiting");
    ExpectShown("alice", Cls::Info, "DCC file transfer started: mine.txt (size=10)");
    ASSERT_EQ(host.dialogs.dccQuestions.size(), 1u);
    EXPECT_EQ(Question()->kind, PresetDialogs::DccQuestion::kChat);
    EXPECT_EQ(Question()->offer.from, "bob (a@host)");
}

// While offers wait for the user the connection goes on: server lines are
// answered and shown. More than five waiting offers are refused.
TEST_F(DccOfferTest, OffersWaitTheirTurnWhileTheConnectionGoesOn) {
    for (int i = 0; i < 7; ++i)
        Offer("CHAT chat 2130706433 " + std::to_string(3000 + i), "u" + std::to_string(i));
    ExpectLines("", {"DCC CHAT from u5 refused: 5 offers are waiting already",
                     "DCC CHAT from u6 refused: 5 offers are waiting already"});
    EXPECT_EQ(host.dialogs.dccQuestions.size(), 1u);

    Recv("PING :irc.test");
    Recv(":carol!c@host PRIVMSG me :still there?");
    ExpectSent({"PONG irc.test"});
    ExpectShown("carol", Cls::Normal, "<carol> still there?");

    int asked = 0;
    while (host.dialogs.AnswerChat(DccAnswer::Refuse)) ++asked;
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(app.ctcp.offers().Pending(), 0u);
}

}  // namespace
}  // namespace zorl::test
