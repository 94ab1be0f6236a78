// zorl and irssi on one private ngircd, in a channel together: what one
// client asks or offers, the other one answers and shows.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <filesystem>
#include <fstream>
#include <regex>

#include "IrssiPeer.h"
#include "LiveClient.h"
#include "session/IrcSocket.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {
namespace {

class PeerIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Running()) << server.Failure();
        ASSERT_TRUE(irssi.Running()) << irssi.Failure();
        ASSERT_TRUE(std::filesystem::create_directory(zorl.Home() / "download"));
        ASSERT_TRUE(zorl.Connect(server)) << zorl.Transcript(&server);
        ASSERT_TRUE(zorl.Type("", "/join #peer"));
        ASSERT_TRUE(zorl.WaitForNicks("#peer", {{"irssi", kNickOp}, {"zorltest", 0}}))
            << Transcripts();
    }

    // Waits until some window of zorl shows `text`.
    bool ZorlShows(const std::string& text, int timeoutMs = 10000) {
        return WaitUntil([&] { return zorl.Transcript().find(text) != std::string::npos; },
                         timeoutMs);
    }
    // Waits for zorl's next DCC question.
    bool ZorlIsAsked(int timeoutMs = 10000) {
        return WaitUntil([&] { return !zorl.host.dialogs.dccQuestions.empty(); }, timeoutMs);
    }
    // Waits until zorl's DCC chat with irssi is connected, whoever offered it.
    bool ZorlChatConnected() {
        return WaitUntil([&] {
            for (const ChannelRecord& record : zorl.app.registry.Records())
                if (record.type == kWindowDccQuery && record.socket && record.socket->connected)
                    return true;
            return false;
        });
    }
    std::string Transcripts() { return zorl.Transcript(&server) + irssi.Transcript(); }

    NgircdServer server;
    IrssiPeer irssi{server, "irssi", "/join #peer"};
    LiveClient zorl;
};

// irssi answers from a queue that sends one reply a second, and only after
// every command it sent in the last seconds has drained at two a second:
// zorl asks first, irssi asks once it has answered.
TEST_F(PeerIntegrationTest, CtcpRequestsAndActionsBothWays) {
    ASSERT_TRUE(zorl.Type("#peer", "/ctcp irssi VERSION"));
    ASSERT_TRUE(zorl.Type("#peer", "/ctcp irssi PING"));
    ASSERT_TRUE(zorl.Type("#peer", "/action waves"));
    EXPECT_TRUE(irssi.WaitForLog("* zorltest waves")) << Transcripts();
    EXPECT_TRUE(ZorlShows("[irssi] [Reply: VERSION] irssi v")) << Transcripts();
    const std::regex pingReply(R"(\[irssi\] \[Reply: PING\] \d+ secs\r\n)");
    EXPECT_TRUE(WaitUntil([&] { return std::regex_search(zorl.Pane("#peer"), pingReply); }, 10000))
        << Transcripts();

    ASSERT_TRUE(irssi.Type("/ctcp zorltest VERSION"));
    ASSERT_TRUE(irssi.Type("/ping zorltest"));
    ASSERT_TRUE(irssi.Type("/me waves back"));
    // The reply's own blank follows the one irssi puts after the colon.
    EXPECT_TRUE(irssi.WaitForLog(
        "CTCP VERSION reply from zorltest:  ZORL   Version 1.18 (Aug  2 2001)  by T.Orvelle"))
        << Transcripts();
    // irssi's request carries seconds and microseconds; both come back.
    EXPECT_TRUE(irssi.WaitForLog("CTCP PING reply from zorltest: 0.")) << Transcripts();
    EXPECT_TRUE(zorl.WaitForPane("#peer", "* irssi waves back")) << Transcripts();
    EXPECT_TRUE(ZorlShows("[irssi] [Request: VERSION]")) << Transcripts();
}

// Who makes the offer: zorl, or irssi.
enum class Offerer { Zorl, Irssi };
std::string OffererName(const ::testing::TestParamInfo<Offerer>& info) {
    return info.param == Offerer::Zorl ? "ZorlOffers" : "IrssiOffers";
}

class PeerDccTest : public PeerIntegrationTest, public ::testing::WithParamInterface<Offerer> {};

TEST_P(PeerDccTest, ChatCarriesALineEachWay) {
    if (GetParam() == Offerer::Zorl) {
        ASSERT_TRUE(zorl.Type("#peer", "/dcc irssi chat"));
    } else {
        ASSERT_TRUE(irssi.Type("/dcc chat zorltest"));
        ASSERT_TRUE(ZorlIsAsked()) << Transcripts();
        ASSERT_TRUE(zorl.host.dialogs.AnswerChat(DccAnswer::Accept)) << Transcripts();
    }
    ASSERT_TRUE(irssi.WaitForLog("DCC CHAT connection with zorltest")) << Transcripts();
    ASSERT_TRUE(ZorlChatConnected()) << Transcripts();
    // The chat window is named after the peer.
    ASSERT_TRUE(zorl.Type("irssi", "hello from zorl"));
    EXPECT_TRUE(irssi.WaitForLog("<zorltest> hello from zorl")) << Transcripts();
    ASSERT_TRUE(irssi.Type("/msg =zorltest hello from irssi"));
    EXPECT_TRUE(zorl.WaitForPane("irssi", "<irssi> hello from irssi")) << Transcripts();
}

// Large enough that a stalled or reordered stream of blocks and
// acknowledgements shows, small enough for a few hundred milliseconds.
constexpr qint64 kFileSize = 20 << 20;

std::string Sha256(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) return "(unreadable)";
    return hash.result().toHex().toStdString();
}

// The file of the transfer tests, in a folder of its own; with `half`,
// what an interrupted transfer leaves of it is written to `partial`.
class PeerFileTest : public PeerDccTest {
protected:
    void SetUp() override {
        PeerDccTest::SetUp();
        bytes_.resize(kFileSize);
        for (std::size_t i = 0; i < bytes_.size(); ++i)
            bytes_[i] = static_cast<char>((i * 7919) >> 3);
        source_.WriteFile("payload.bin", bytes_);
    }
    void WriteHalf(const std::filesystem::path& partial) {
        std::ofstream(partial, std::ios::binary).write(bytes_.data(), kFileSize / 2 + 12345);
    }
    // Where the receiver keeps it.
    std::filesystem::path Received() const {
        return GetParam() == Offerer::Zorl ? irssi.Downloads() / "payload.bin"
                                           : zorl.Home() / "download" / "payload.bin";
    }
    // The offer made, accepted and carried to its end.
    void Transfer(const std::string& option, OverwriteAnswer existing = OverwriteAnswer::Ok) {
        if (GetParam() == Offerer::Zorl) {
            ASSERT_TRUE(zorl.Type("#peer", "/dcc send " + option + "irssi " + original.string()));
            // irssi takes a passive offer (port 0) only when told to.
            if (!option.empty()) {
                ASSERT_TRUE(irssi.WaitForLog("DCC SEND from zorltest")) << Transcripts();
                ASSERT_TRUE(irssi.Type("/dcc get zorltest"));
            }
            EXPECT_TRUE(irssi.WaitForLog("DCC received file payload.bin", 30000)) << Transcripts();
            EXPECT_TRUE(zorl.WaitForPane("irssi", "file transfer finished")) << Transcripts();
        } else {
            ASSERT_TRUE(irssi.Type("/dcc send " + option + "zorltest " + original.string()));
            ASSERT_TRUE(ZorlIsAsked()) << Transcripts();
            ASSERT_TRUE(zorl.host.dialogs.AnswerFile(DccAnswer::Accept)) << Transcripts();
            if (std::filesystem::exists(Received())) {
                ASSERT_TRUE(zorl.host.dialogs.AnswerOverwrite(existing)) << Transcripts();
            }
            EXPECT_TRUE(zorl.WaitForPane("irssi", "file transfer closed", 30000)) << Transcripts();
            EXPECT_TRUE(irssi.WaitForLog("DCC sent file payload.bin")) << Transcripts();
        }
        EXPECT_EQ(Sha256(Received()), Sha256(original)) << Transcripts();
    }

    TempDir source_{"zorl-dcc-source"};
    std::string bytes_;
    const std::filesystem::path original = source_.Path() / "payload.bin";
};

TEST_P(PeerFileTest, SendDeliversTwentyMebibytesIntact) { Transfer(""); }

// Behind NAT: the offer names port 0, the receiver listens and the sender
// connects to it.
TEST_P(PeerFileTest, PassiveSendDeliversTheFile) { Transfer("-passive "); }

// What an interrupted transfer left is resumed from its end: DCC RESUME and
// ACCEPT, then only the rest goes over the wire.
TEST_P(PeerFileTest, ResumeCompletesAHalfReceivedFile) {
    WriteHalf(Received());
    if (GetParam() == Offerer::Zorl) {
        ASSERT_TRUE(irssi.Type("/set dcc_autoresume on"));
    }
    Transfer("", OverwriteAnswer::Resume);
    const std::string resumed = GetParam() == Offerer::Zorl ? "irssi resumes at 10498105 bytes"
                                                            : "resuming at 10498105 bytes";
    EXPECT_NE(zorl.Transcript().find(resumed), std::string::npos) << Transcripts();
}

INSTANTIATE_TEST_SUITE_P(BothWays, PeerFileTest, ::testing::Values(Offerer::Zorl, Offerer::Irssi),
                         OffererName);

INSTANTIATE_TEST_SUITE_P(BothWays, PeerDccTest, ::testing::Values(Offerer::Zorl, Offerer::Irssi),
                         OffererName);

}  // namespace
}  // namespace zorl::test
