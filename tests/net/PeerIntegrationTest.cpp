// zorl and irssi on one private ngircd, in a channel together: what one
// client asks or offers, the other one answers and shows.
#include <gtest/gtest.h>

#include "IrssiPeer.h"
#include "LiveClient.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {
namespace {

class PeerIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Running()) << server.Failure();
        ASSERT_TRUE(irssi.Running()) << irssi.Failure();
        ASSERT_TRUE(zorl.Connect(server)) << zorl.Transcript(&server);
        ASSERT_TRUE(zorl.Type("", "/join #peer"));
        ASSERT_TRUE(zorl.WaitForNicks("#peer", {{"irssi", kNickOp}, {"zorltest", 0}}))
            << zorl.Transcript(&server) << irssi.Transcript();
    }

    // Waits until some window of zorl shows `text`.
    bool ZorlShows(const std::string& text, int timeoutMs = 10000) {
        return WaitUntil([&] { return zorl.Transcript().find(text) != std::string::npos; },
                         timeoutMs);
    }
    std::string Transcripts() { return zorl.Transcript(&server) + irssi.Transcript(); }

    NgircdServer server;
    IrssiPeer irssi{server, "irssi", "/join #peer"};
    LiveClient zorl;
};

TEST_F(PeerIntegrationTest, CtcpRequestsAndActionsBothWays) {
    ASSERT_TRUE(zorl.Type("#peer", "/ctcp irssi VERSION"));
    EXPECT_TRUE(irssi.WaitForLog("requested CTCP VERSION from irssi")) << Transcripts();
    ASSERT_TRUE(zorl.Type("#peer", "/ctcp irssi PING"));
    EXPECT_TRUE(irssi.WaitForLog("requested CTCP PING from irssi")) << Transcripts();

    ASSERT_TRUE(zorl.Type("#peer", "/action waves"));
    EXPECT_TRUE(irssi.WaitForLog("* zorltest waves")) << Transcripts();
}

}  // namespace
}  // namespace zorl::test
