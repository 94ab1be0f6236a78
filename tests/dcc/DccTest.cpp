// DCC chats and file transfers as transcripts: the offer typed, the peer's
// connection accepted, bytes each way, what the window shows.
#include <filesystem>

#include "common/Links.h"
#include "dcc/Dcc.h"
#include "dcc/DccTransfer.h"
#include "incoming/IncomingFixture.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"

namespace zorl::test {
namespace {

// The 4 bytes a receiver answers with: its running total, most significant
// byte first.
std::string Ack(uint64_t total) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(total >> (24 - 8 * i));
    return bytes;
}

class DccTest : public IncomingTest {
protected:
    void Type(const std::string& window, const std::string& line) {
        app.SendString(FrameOf(window), line);
    }
    // The socket listening on `port`.
    std::shared_ptr<ScriptedSocketState> Listener(uint16_t port) {
        for (const auto& socket : host.sockets.all)
            if (socket->bindPort == port && socket->listening) return socket;
        return nullptr;
    }
    // Offers a file to joe and lets joe connect; returns joe's end.
    std::shared_ptr<ScriptedSocketState> SendFile(const std::string& name,
                                                  const std::string& content) {
        dir.WriteFile(name, content);
        host.dialogs.fileAnswers.push_back((dir.Path() / name).string());
        Type("", "/DCC joe SEND");
        return AcceptOn(app.dcc.port_counter - 1);
    }
    std::shared_ptr<ScriptedSocketState> AcceptOn(int port) {
        auto listener = Listener(static_cast<uint16_t>(port));
        if (!listener) return nullptr;
        auto peer = host.sockets.PrepareAccept();
        listener->Accept();
        return peer;
    }
    // Accepts alice's file offer of `size` and lets the connection come up.
    std::shared_ptr<ScriptedSocketState> ReceiveFile(const std::string& size) {
        Recv(
            ":alice!a@host PRIVMSG me :\x01"
            "DCC SEND f.bin 2130706433 2001 " +
            size + "\x01");
        host.dialogs.AnswerFile(DccAnswer::Accept);
        host.dialogs.AnswerOverwrite(OverwriteAnswer::Ok);
        auto peer = host.sockets.Last();
        peer->Connected();
        return peer;
    }
    void CloseWindow(const std::string& name) {
        const FrameId frame = FrameOf(name);
        app.dcc.CloseWindowSocket(frame);
        app.registry.DeleteChannel(frame);
    }
};

TEST_F(DccTest, EachOfferListensOnTheNextPortAndNamesTheLocalAddress) {
    wire->localAddress = "192.168.0.1";
    host.sockets.createErrors = {kWsaOk, kWsaAddressInUse};  // the second port is taken
    // Both forms; only the offer goes to joe, never a notice of the words,
    // and none for the port that could not be opened.
    Type("", "/DCC joe CHAT");
    Type("", "/dcc chat joe");
    Type("", "/DCC joe CHAT");
    Type("", "/dcc chat");
    host.Elapse(kFreshBurst);
    ExpectSent(
        {"PRIVMSG joe :\x01"
         "DCC CHAT chat 3232235521 2000\x01",
         "PRIVMSG joe :\x01"
         "DCC CHAT chat 3232235521 2002\x01"});
    ExpectShown("", Cls::UError, "Usage: /dcc chat [-passive] nick");
    ExpectShown("", Cls::UError, "** DCC: Unable to create socket (Address already in use)");
    ASSERT_NE(Listener(2000), nullptr);
    EXPECT_EQ(Listener(2001), nullptr);
    ASSERT_NE(Listener(2002), nullptr);
    EXPECT_EQ(Listener(2000)->backlog, 5);
    EXPECT_EQ(Record("joe")->type, kWindowDccQuery);
    ExpectShown("joe", Cls::CTCP, "DCC chat with joe, waiting for acknowledgement");
}

TEST_F(DccTest, ChatCarriesLinesBothWaysUntilTheWindowCloses) {
    Type("", "/DCC joe CHAT");
    auto listener = Listener(2000);
    auto peer = AcceptOn(2000);
    ExpectShown("joe", Cls::CTCP, "DCC chat accepted");
    EXPECT_TRUE(listener->closed);

    Type("joe", "hello there");
    EXPECT_EQ(peer->sent, "hello there\r\n");
    ExpectShown("joe", Cls::Own, "<me> hello there");

    peer->Receive("hi\r\nthere");
    ExpectShown("joe", Cls::Normal, "<joe> hi");
    EXPECT_EQ(Lines("joe").back(), "<joe> hi");  // "there" waits for its line end
    peer->Receive("\n");
    ExpectShown("joe", Cls::Normal, "<joe> there");

    CloseWindow("joe");
    EXPECT_TRUE(peer->closed);
    app.OnTick();
    EXPECT_EQ(app.dcc.SocketCount(), 0u);
}

// /dcc list tells each connection's state and progress; /dcc close ends
// one by its kind and nick and leaves its window.
TEST_F(DccTest, ListAndCloseFindConnectionsByKindAndNick) {
    Type("", "/dcc list");
    ExpectShown("", Cls::Info, "No DCC connections");
    Type("", "/dcc chat joe");
    auto chat = AcceptOn(2000);
    auto file = SendFile("notes.txt", std::string(3000, 'x'));
    ClearPanes();
    Type("", "/dcc list");
    EXPECT_EQ(Lines(""), (std::vector<std::string>{
                             "DCC chat with joe: connected",
                             "DCC send to joe: connected, notes.txt, 2.9 KiB of 2.9 KiB"}))
        << Transcript();

    ClearPanes();
    Type("", "/dcc close chat JOE");
    Type("", "/dcc close chat joe");
    Type("", "/dcc close joe");
    EXPECT_TRUE(chat->closed);
    EXPECT_FALSE(file->closed);
    EXPECT_NE(FrameOf("joe"), 0u);
    EXPECT_EQ(Lines(""),
              (std::vector<std::string>{"DCC chat with JOE closed", "No open DCC chat with joe",
                                        "Usage: /dcc close chat|send|get nick"}))
        << Transcript();
}

// A peer streaming lines gets the server's share of one notification, so
// the server's PING is answered while the flood goes on; nothing is lost.
TEST_F(DccTest, ChatFloodIsReadInTheServersSharesAndThePingAnswered) {
    Type("", "/DCC joe CHAT");
    auto peer = AcceptOn(2000);
    const std::string line = "flood flood 12";  // 15 bytes with its LF
    std::string read;
    while (read.size() < CDcc::kChatReadSize) read += line + "\n";
    const std::size_t reads = CServerConnection::kReceiveBudget / CDcc::kChatReadSize;
    peer->inbound.assign(reads + 2, read);
    app.OnReceive(kWsaOk, *Record("joe")->socket);
    EXPECT_EQ(peer->inbound.size(), 2u);

    wire->sent.clear();
    Recv("PING :irc.test");
    ExpectSent({"PONG irc.test"});
    peer->Receive("last\n");
    const std::vector<std::string> shown = Lines("joe");
    EXPECT_EQ(shown.size(), 2 + (reads + 2) * (read.size() / 15) + 1);
    EXPECT_EQ(shown.back(), "<joe> last");
}

TEST_F(DccTest, ChatClosedByThePeerSaysSoAndWhy) {
    Type("", "/DCC joe CHAT");
    auto peer = AcceptOn(2000);
    peer->Receive("no line end");
    peer->Closed(kWsaConnectionReset);
    ExpectLines("joe", {"DCC chat with joe, waiting for acknowledgement", "DCC chat accepted",
                        "<joe> no line end", "DCC chat closed"});
    ExpectShown("", Cls::UError, "** Closing: Connection reset by peer");
}

TEST_F(DccTest, FileIsSentAndFinishedOnTheLastAcknowledgement) {
    const std::string content(1000, 'x');
    auto peer = SendFile("notes.txt", content);
    const std::string path = (dir.Path() / "notes.txt").string();
    ExpectSent(
        {"PRIVMSG joe :\x01"
         "DCC SEND notes.txt 2130706433 2000 1000\x01"});
    EXPECT_EQ(Window("joe").caption, "\xBB joe");
    ExpectShown("joe", Cls::CTCP, "DCC sending " + path + " to joe, waiting for acknowledgement");
    ExpectShown("joe", Cls::Info, "DCC file transfer started: " + path + " (size=1000)");
    EXPECT_EQ(peer->sent, content);
    ExpectShown("joe", Cls::Normal, "sent 1000 bytes  (+1000)  100%");
    EXPECT_FALSE(peer->closed);

    peer->Receive(Ack(1000));
    ExpectShown("joe", Cls::Info, "file transfer finished");
    EXPECT_TRUE(peer->closed);
}

// A peer resuming our offer gets DCC ACCEPT for a position inside the file,
// then the rest of it; the acknowledgements count the whole file.
TEST_F(DccTest, ResumedOfferSendsTheRestOfTheFile) {
    const std::string content = "0123456789";
    dir.WriteFile("notes.txt", content);
    Type("", "/dcc send joe " + (dir.Path() / "notes.txt").string());
    const std::string resume =
        ":joe!j@host PRIVMSG me :\x01"
        "DCC RESUME notes.txt ";
    Recv(resume + "2001 4\x01");   // not the offer's port
    Recv(resume + "2000 10\x01");  // nothing left
    Recv(resume + "2000 4\x01");
    host.Elapse(kFreshBurst);
    EXPECT_EQ(wire->SentLines().back(),
              "PRIVMSG joe :\x01"
              "DCC ACCEPT notes.txt 2000 4\x01");
    EXPECT_EQ(Lines(""), (std::vector<std::string>{
                             "DCC RESUME from joe ignored: no file of ours is offered to it there",
                             "DCC RESUME from joe refused: 10 bytes is not inside the file"}))
        << Transcript();
    ExpectShown("joe", Cls::Info, "joe resumes at 4 bytes");
    auto peer = AcceptOn(2000);
    EXPECT_EQ(peer->sent, "456789");
    ExpectShown("joe", Cls::Normal, "sent 10 bytes  (+6)  100%");
    peer->Receive(Ack(10));
    ExpectShown("joe", Cls::Info, "file transfer finished");
}

// A passive offer listens nowhere: it names port 0 and a token, and the
// peer's answer with that token says where to connect and send.
TEST_F(DccTest, PassiveOfferConnectsWhereThePeerAnswers) {
    dir.WriteFile("notes.txt", "abc");
    Type("", "/dcc send -passive joe " + (dir.Path() / "notes.txt").string());
    host.Elapse(kFreshBurst);
    ExpectSent(
        {"PRIVMSG joe :\x01"
         "DCC SEND notes.txt 2130706433 0 3 1\x01"});
    EXPECT_EQ(Listener(2000), nullptr);
    ClearPanes();
    Type("", "/dcc list");
    EXPECT_EQ(Lines("").front(),
              "DCC send to joe: waiting for the peer, notes.txt, 0 bytes of 3 bytes");
    const std::string answer = "DCC SEND notes.txt 3232235777 5000 3 ";
    Recv(":mallory!m@host PRIVMSG me :\x01" + answer + "1\x01");  // not joe: an offer
    host.dialogs.AnswerFile(DccAnswer::Refuse);
    Recv(":joe!j@host PRIVMSG me :\x01" + answer + "1\x01");
    auto peer = host.sockets.Last();
    EXPECT_EQ(peer->connectHost, "192.168.1.1");
    EXPECT_EQ(peer->connectPort, 5000);
    peer->Connected();
    EXPECT_EQ(peer->sent, "abc");
    peer->Receive(Ack(3));
    ExpectShown("joe", Cls::Info, "file transfer finished");
    app.OnTick();
    EXPECT_EQ(app.dcc.SocketCount(), 1u);  // the placeholder is gone
}

// Named on the command line, the file needs no dialog; a missing one is said.
TEST_F(DccTest, EmptyFileIsOfferedWithoutSizeAndFinishesAtOnce) {
    Type("", "/dcc send joe " + (dir.Path() / "missing").string());
    ExpectShown("", Cls::UError, "DCC SEND: no such file: " + (dir.Path() / "missing").string());
    dir.WriteFile("empty", "");
    Type("", "/dcc send joe " + (dir.Path() / "empty").string());
    auto peer = AcceptOn(2000);
    EXPECT_EQ(host.dialogs.fileAnswers.size(), 0u);
    ExpectSent(
        {"PRIVMSG joe :\x01"
         "DCC SEND empty 2130706433 2000\x01"});
    ExpectShown("joe", Cls::Info, "file transfer finished");
    EXPECT_TRUE(peer->closed);
}

// A file that cannot be read is an error, never a finished transfer.
TEST_F(DccTest, UnreadableFileClosesTheTransferWithTheReason) {
    dir.WriteFile("gone.txt", "abc");
    host.dialogs.fileAnswers.push_back((dir.Path() / "gone.txt").string());
    Type("", "/DCC joe SEND");
    std::filesystem::remove(dir.Path() / "gone.txt");
    AcceptOn(2000);
    ExpectShown("joe", Cls::UError,
                "** DCC: Unable to read " + (dir.Path() / "gone.txt").string() +
                    " (No such file or directory)");
    ExpectShown("joe", Cls::Info, "file transfer closed");
    for (const std::string& line : Lines("joe")) EXPECT_NE(line, "file transfer finished");
}

// TCP may cut an acknowledgement in two or deliver several at once.
TEST_F(DccTest, AcknowledgementsAreReadAsAByteStream) {
    const uint64_t window = CDccTransfer::kWindow;
    auto peer = SendFile("big.bin", std::string(3 * window, 'b'));
    EXPECT_EQ(peer->sent.size(), window);

    peer->Receive(Ack(window / 2).substr(0, 2));
    EXPECT_EQ(peer->sent.size(), window);
    peer->Receive(Ack(window / 2).substr(2));
    EXPECT_EQ(peer->sent.size(), window + window / 2);

    peer->Receive(Ack(window) + Ack(window + window / 2) + Ack(2 * window).substr(0, 1));
    EXPECT_EQ(peer->sent.size(), 2 * window + window / 2);
    peer->Receive(Ack(2 * window).substr(1));
    EXPECT_EQ(peer->sent.size(), 3 * window);
    peer->Receive(Ack(3 * window));
    ExpectShown("joe", Cls::Info, "file transfer finished");
    EXPECT_EQ(peer->sent, std::string(3 * window, 'b'));
}

TEST_F(DccTest, AcknowledgedTotalsCountModulo2To32) {
    const uint64_t k4G = 1ull << 32;
    const struct {
        uint64_t sent, acknowledged;
        uint32_t ack;
        uint64_t result;
    } cases[] = {
        {1000, 0, 1000, 1000},
        {1000, 500, 400, 500},                // behind what was acknowledged: ignored
        {1000, 0, 5000, 0},                   // more than was sent: ignored
        {k4G + 100, k4G - 50, 60, k4G + 60},  // past 4 GiB
        {5 * k4G, 5 * k4G - 8, 0, 5 * k4G},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AcknowledgedUpTo(c.sent, c.acknowledged, c.ack), c.result) << c.sent;
    EXPECT_EQ(PercentOf(60000000, 100000000), 60u);
    EXPECT_EQ(PercentOf(5 * k4G, 10 * k4G), 50u);
    EXPECT_EQ(PercentOf(UINT64_MAX - 1, UINT64_MAX), 99u);
}

TEST_F(DccTest, ReceivedChunksAreWrittenShownAndAcknowledged) {
    auto peer = ReceiveFile("1300");
    const std::string first = std::string("\0\x01\x02", 3) + std::string(997, 'z');
    peer->Receive(first);
    peer->Receive(std::string(300, '\0'));
    ExpectLines("alice",
                {"DCC file transfer started: f.bin (size=1300)",
                 "received 1000 bytes  (+1000)  76%", "received 1300 bytes  (+300)  100%"});
    EXPECT_EQ(peer->sent, Ack(1000) + Ack(1300));
    peer->Closed();
    ExpectShown("alice", Cls::Info, "file transfer closed");
    EXPECT_EQ(dir.ReadFile("download/f.bin"), first + std::string(300, '\0'));
}

// A sender that goes on past its offered size is cut off there; the file
// keeps what was offered, and only its owner may read it.
TEST_F(DccTest, ReceivingStopsAtTheOfferedSize) {
    const struct {
        std::vector<std::size_t> chunks;
        std::string acks;
    } cases[] = {
        {{1500}, Ack(1000)},
        {{600, 600}, Ack(600) + Ack(1000)},
        {{1000, 1}, Ack(1000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chunks.size());
        auto peer = ReceiveFile("1000");
        for (std::size_t size : c.chunks) peer->Receive(std::string(size, 'z'));
        EXPECT_TRUE(peer->closed);
        EXPECT_EQ(peer->sent, c.acks);
        EXPECT_EQ(Lines("alice").back(),
                  "file transfer closed: the sender went past the offered 1000 bytes")
            << Transcript();
        EXPECT_TRUE(Lines("alice").end()[-3].starts_with("received 1000 bytes  (+"));
        EXPECT_EQ(Lines("alice").end()[-2],
                  "saved as " + FileLink((dir.Path() / "download/f.bin").string()));
        EXPECT_EQ(dir.ReadFile("download/f.bin"), std::string(1000, 'z'));
        EXPECT_EQ(std::filesystem::status(dir.Path() / "download/f.bin").permissions(),
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        CloseWindow("alice");
        std::filesystem::remove(dir.Path() / "download/f.bin");
    }
}

// A few progress lines a second, and the last one, whatever the chunk count.
TEST_F(DccTest, ProgressLinesAreCoalescedKeepingTheLast) {
    auto peer = ReceiveFile("10000");
    for (int i = 1; i <= 10; ++i) {
        if (i == 5) host.clock.ticks += CDccTransfer::kProgressInterval;
        peer->Receive(std::string(1000, 'c'));
    }
    ExpectLines("alice", {"DCC file transfer started: f.bin (size=10000)",
                          "received 1000 bytes  (+1000)  10%", "received 5000 bytes  (+4000)  50%",
                          "received 10000 bytes  (+5000)  100%"});

    // Without a size, the last line comes when the sender closes.
    CloseWindow("alice");
    peer = ReceiveFile("0");
    peer->Receive("ab");
    peer->Receive("cd");
    peer->Closed();
    ExpectLines(
        "alice",
        {"DCC file transfer started: f.bin", "received 2 bytes  (+2)", "received 4 bytes  (+2)",
         "saved as " + FileLink((dir.Path() / "download/f.bin").string()), "file transfer closed"});
}

TEST_F(DccTest, ReceivingPast4GiBAcknowledgesModulo2To32) {
    auto peer = ReceiveFile("5368709120");
    CIrcSocket* socket = Record("alice")->socket;
    socket->transferred = (1ull << 32) - 2;
    peer->Receive("abcd");
    EXPECT_EQ(peer->sent, Ack(2));
    EXPECT_EQ(socket->transferred, (1ull << 32) + 2);
    EXPECT_EQ(Lines("alice").back().rfind("received 4294967298 bytes", 0), 0u) << Transcript();
}

// Bytes that cannot be stored are not acknowledged as if they were.
TEST_F(DccTest, UnwritableDownloadStopsTheTransfer) {
    std::filesystem::remove_all(dir.Path() / "download");
    dir.WriteFile("download", "a file, not a folder");
    auto peer = ReceiveFile("4");
    ExpectShown("alice", Cls::UError, "** DCC: Unable to write download/f.bin (Not a directory)");
    ExpectShown("alice", Cls::Info, "file transfer closed");
    EXPECT_TRUE(peer->closed);
    EXPECT_EQ(peer->sent, "");
}

}  // namespace
}  // namespace zorl::test
