// The private IRCv3 network the integration tests run against.
#include <gtest/gtest.h>

#include "InspircdServer.h"

namespace zorl::test {
namespace {

TEST(InspircdHarnessTest, AdvertisesSaslAndStsAndLogsAnAccountInWithPlain) {
    uint16_t port = 0;
    {
        InspircdServer server;
        ASSERT_TRUE(server.Running()) << server.Failure();
        port = server.Port();
        ASSERT_TRUE(server.RegisterAccount("alice", "alice-secret")) << server.Failure();
        std::optional<ClientCertificate> cert = server.MakeClientCertificate("alice");
        ASSERT_TRUE(cert) << server.Failure();
        ASSERT_TRUE(server.AddCertificate("alice", cert->fingerprint)) << server.Failure();

        IrcTestClient client;
        ASSERT_TRUE(client.Open(server.Port()));
        ASSERT_TRUE(client.Send("CAP LS 302"));
        std::optional<std::string> caps = client.WaitForCommand("CAP");
        ASSERT_TRUE(caps) << client.Transcript();
        EXPECT_NE(caps->find(" sasl=EXTERNAL,PLAIN "), std::string::npos) << *caps;
        EXPECT_NE(caps->find(" sts=port=" + std::to_string(server.TlsPort()) + " "),
                  std::string::npos)
            << *caps;

        ASSERT_TRUE(client.SendRegistration("bob") && client.Send("CAP REQ :sasl"));
        ASSERT_TRUE(client.WaitForLine([](const std::string& line) {
            return line.find(" ACK :sasl") != std::string::npos;
        })) << client.Transcript();
        std::optional<std::string> verdict = client.AuthenticatePlain("alice", "alice-secret");
        ASSERT_TRUE(verdict) << client.Transcript();
        EXPECT_EQ(CommandOf(*verdict), "903") << client.Transcript();
        ASSERT_TRUE(client.Send("CAP END"));
        EXPECT_TRUE(client.WaitForCommand("001")) << client.Transcript();
    }
    // Both were stopped by their process ids: the port is closed now.
    EXPECT_FALSE(RawStream::Connect(port, 500).IsOpen());
}

}  // namespace
}  // namespace zorl::test
