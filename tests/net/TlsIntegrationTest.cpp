// TLS end to end: a live client against a private ngircd whose TLS port
// carries a self-signed certificate made for the test, the trust dialog
// answered from presets.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "LiveClient.h"
#include "config/Settings.h"
#include "session/ServerConnection.h"

namespace zorl::test {
namespace {

class TlsIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Running()) << server.Failure(); }

    // Connect pressed for `host` on the server's TLS port.
    void PressConnect(const NgircdServer& to, const std::string& host) {
        CSettings& s = zorl.app.settings;
        s.m_server_address = host;
        s.m_server_ports = "+" + std::to_string(to.TlsPort());
        s.Password = NgircdServer::kPassword;
        zorl.app.Connection().OnButtonConnect();
    }
    // A status line that begins with `start`, or "" when none came in time.
    std::string WaitForLine(const std::string& start) {
        std::string found;
        WaitUntil([&] {
            for (const std::string& line : zorl.Lines(""))
                if (line.rfind(start, 0) == 0) found = line;
            return !found.empty();
        });
        return found;
    }
    std::string Transcript() { return zorl.Transcript(&server); }

    NgircdServer server{true};
    LiveClient zorl;
    CZorlApp& app = zorl.app;
};

TEST_F(TlsIntegrationTest, UnknownCertificateIsRefusedUntilPinnedThenRegistersAndChats) {
    zorl.host.dialogs.trustAnswers = {TrustAnswer::Always};
    // A real dialog runs the event loop while it waits for the answer.
    zorl.host.dialogs.duringNextDialog = [] { WaitUntil([] { return false; }, 300); };
    PressConnect(server, "localhost");
    const std::string refused = WaitForLine("** Certificate refused (");
    EXPECT_NE(refused.find("self-signed"), std::string::npos) << Transcript();
    EXPECT_NE(refused.find("SHA-256 " + server.Fingerprint()), std::string::npos) << refused;

    // The answer pinned it, and the client connected again by itself.
    ASSERT_TRUE(zorl.WaitForWelcome()) << Transcript();
    EXPECT_EQ(app.settings.Fingerprint, server.Fingerprint());
    IrcTestClient watcher;
    ASSERT_TRUE(watcher.Connect(server, "watcher")) << watcher.Transcript();
    ASSERT_TRUE(watcher.Join("#tls"));
    zorl.Type("", "/join #tls");
    ASSERT_TRUE(WaitUntil([&] { return zorl.Nicks("#tls").count("watcher") == 1; }))
        << Transcript();
    zorl.Type("#tls", "over TLS");
    auto line = watcher.WaitForCommand("PRIVMSG");
    ASSERT_TRUE(line) << watcher.Transcript() << Transcript();
    EXPECT_NE(line->find("PRIVMSG #tls :over TLS"), std::string::npos) << *line;
    watcher.Send("PRIVMSG #tls :back to you");
    EXPECT_TRUE(zorl.WaitForPane("#tls", "back to you")) << Transcript();
}

TEST_F(TlsIntegrationTest, WrongHostNameAndChangedCertificateAreRefused) {
    app.settings.ExtConnect = 1;
    zorl.host.dialogs.trustAnswers = {TrustAnswer::Refuse, TrustAnswer::Refuse};
    // The certificate names "localhost" only.
    PressConnect(server, "127.0.0.1");
    const std::string refused = WaitForLine("** Certificate refused (");
    EXPECT_NE(refused.find("host name"), std::string::npos) << Transcript();
    EXPECT_NE(refused.find("SHA-256 " + server.Fingerprint()), std::string::npos) << refused;
    EXPECT_TRUE(WaitUntil([&] { return app.Connection().State() == IDLE; }));
    EXPECT_TRUE(app.settings.Fingerprint.empty());

    // Pinned, the same server is taken, and the trace names the TLS session.
    app.settings.Fingerprint = server.Fingerprint();
    PressConnect(server, "localhost");
    ASSERT_TRUE(zorl.WaitForWelcome()) << Transcript();
    const std::string trace = WaitForLine("-- TLS ");
    EXPECT_EQ(trace.rfind("-- TLS TLSv1.3, cipher TLS_", 0), 0u) << Transcript();
    app.Connection().OnButtonDisconnect();

    // Another server on the same host, with a certificate of its own.
    NgircdServer other{true};
    ASSERT_TRUE(other.Running()) << other.Failure();
    PressConnect(other, "localhost");
    const std::string changed = WaitForLine("** Certificate refused, it changed");
    EXPECT_NE(
        changed.find("SHA-256 " + other.Fingerprint() + ", pinned SHA-256 " + server.Fingerprint()),
        std::string::npos)
        << Transcript();
    EXPECT_TRUE(WaitUntil([&] { return app.Connection().State() == IDLE; }));
    EXPECT_EQ(app.settings.Fingerprint, server.Fingerprint());
    EXPECT_EQ(zorl.host.dialogs.trustQuestions.size(), 2u);
}

}  // namespace
}  // namespace zorl::test
