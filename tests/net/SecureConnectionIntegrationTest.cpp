// Secure connections end to end, against real servers on loopback: the
// credentials go only to their own host, TLS is kept, STS is followed and
// remembered, and SASL logs in (and fails) as the server says. The keyring
// is in SecretStoreIntegrationTest.cpp, which owns the process's one.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "InspircdServer.h"
#include "LiveClient.h"
#include "common/Text.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"

namespace zorl::test {
namespace {

// A server that registers whoever comes and records every line: it offers
// SASL PLAIN and acknowledges it, so a client holding a login would send it.
class RecordingServer {
public:
    uint16_t Port() const { return listener_.Port(); }
    // Takes the next connection and welcomes it after CAP END.
    bool Register(int timeoutMs = 5000) {
        stream_ = RawStream(listener_.Accept(timeoutMs));
        lines_.clear();
        bool welcomed = false;
        bool closed = false;
        WaitUntil(
            [&] {
                pending_ += stream_.ReadSome(50, closed);
                for (std::size_t end;
                     !welcomed && (end = pending_.find("\r\n")) != std::string::npos;) {
                    lines_.push_back(pending_.substr(0, end));
                    pending_.erase(0, end + 2);
                    welcomed = Answer(lines_.back());
                }
                return welcomed || closed;
            },
            timeoutMs);
        return welcomed;
    }
    void Hangup() { stream_.Close(); }
    // The command word of every line received.
    std::vector<std::string> Commands() const {
        std::vector<std::string> words;
        for (const std::string& line : lines_) words.push_back(CommandOf(line));
        return words;
    }
    std::string Transcript() const {
        std::string text = "---- recorded\n";
        for (const std::string& line : lines_) text += line + "\n";
        return text;
    }

private:
    // True once the welcome went out.
    bool Answer(const std::string& line) {
        if (StartsWithNoCase(line, "NICK ")) nick_ = line.substr(5);
        if (StartsWithNoCase(line, "CAP LS")) stream_.SendAll(":raw.test CAP * LS :sasl=PLAIN\r\n");
        if (StartsWithNoCase(line, "CAP REQ")) stream_.SendAll(":raw.test CAP * ACK :sasl\r\n");
        if (!StartsWithNoCase(line, "CAP END")) return false;
        stream_.SendAll(":raw.test 001 " + nick_ + " :Welcome\r\n");
        return true;
    }

    RawListener listener_;
    RawStream stream_;
    std::string pending_;
    std::string nick_ = "*";
    std::vector<std::string> lines_;
};

class SecureConnectionIntegrationTest : public ::testing::Test {
protected:
    // The saved server of zorl.ini, as the Servers dialog leaves it.
    void SaveServer(const std::string& address, const std::string& ports,
                    const std::string& fingerprint = "") {
        CIniStore& ini = zorl.app.ini;
        ini.WriteString("SERVER", "Address", address);
        ini.WriteString("SERVER", "Ports", ports);
        ini.WriteString("SERVER", "Password", NgircdServer::kPassword);
        ini.WriteString("SERVER", "Fingerprint", fingerprint);
    }
    bool WaitForIdle() {
        return WaitUntil([&] { return zorl.app.Connection().State() == IDLE; });
    }
    // Status lines from the `from`th on that hold `text`.
    std::vector<std::string> StatusLines(const std::string& text, std::size_t from = 0) const {
        std::vector<std::string> found;
        const std::vector<std::string> lines = zorl.Lines("");
        for (std::size_t i = from; i < lines.size(); ++i)
            if (lines[i].find(text) != std::string::npos) found.push_back(lines[i]);
        return found;
    }
    bool OverTls() const {
        return zorl.app.Connection().Socket() && zorl.app.Connection().Socket()->Tls() != nullptr;
    }

    LiveClient zorl;
};

TEST_F(SecureConnectionIntegrationTest, AnotherHostIsToldNoneOfTheSavedCredentials) {
    NgircdServer saved;
    ASSERT_TRUE(saved.Running()) << saved.Failure();
    RecordingServer other;
    const std::string savedPort = std::to_string(saved.Port());
    SaveServer("localhost", savedPort);
    zorl.app.ini.WriteString("SERVER", "SaslAccount", "zorltest");
    zorl.app.ini.WriteString("SERVER", "SaslPassword", "sasl-secret");
    zorl.app.ini.WriteInt("SERVER", "SaslWithoutTls", 1);

    const std::string port = std::to_string(other.Port());
    const struct {
        const char* how;
        std::function<void()> leave;
    } rows[] = {
        {"irc:// link", [&] { zorl.app.ConnectToLink("irc://127.0.0.1:" + port); }},
        {"/server", [&] { zorl.Type("", "/server 127.0.0.1 " + port); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.how);
        // ngircd welcomes only a client that sent its password.
        zorl.Type("", "/server localhost " + savedPort);
        ASSERT_TRUE(zorl.WaitForWelcome()) << zorl.Transcript(&saved);
        row.leave();
        ASSERT_TRUE(other.Register()) << other.Transcript() << zorl.Transcript();
        EXPECT_EQ(other.Commands(), (std::vector<std::string>{"CAP", "NICK", "USER", "CAP"}))
            << other.Transcript();
        ASSERT_TRUE(zorl.WaitForWelcome()) << zorl.Transcript();
        other.Hangup();
        ASSERT_TRUE(WaitForIdle()) << zorl.Transcript();
    }
}

// The pin makes the host TLS-only, but its entry names no TLS port: only the
// mark of the last connection can take /server back to the right one.
TEST_F(SecureConnectionIntegrationTest, ServerWithoutPortStaysOnTls) {
    NgircdServer server{true};
    ASSERT_TRUE(server.Running()) << server.Failure();
    SaveServer("localhost", std::to_string(server.Port()), server.Fingerprint());
    const std::string tls = "+" + std::to_string(server.TlsPort());
    zorl.Type("", "/server localhost " + tls);
    ASSERT_TRUE(zorl.WaitForWelcome()) << zorl.Transcript(&server);
    ASSERT_TRUE(OverTls());

    zorl.Type("", "/server");
    ASSERT_TRUE(WaitUntil([&] {
        return StatusLines("** Connecting to ").size() == 2 && zorl.app.Connection().Registered();
    })) << zorl.Transcript(&server);
    EXPECT_EQ(StatusLines("** Connecting to ").back(), "** Connecting to localhost (" + tls + ")");
    EXPECT_TRUE(OverTls());
}

TEST_F(SecureConnectionIntegrationTest, StsMovesToTlsAndKeepsThePolicy) {
    InspircdServer server;
    ASSERT_TRUE(server.Running()) << server.Failure();
    CSettings& s = zorl.app.settings;
    s.m_server_address = "localhost";
    const std::string plain = std::to_string(server.Port());
    const std::string tls = std::to_string(server.TlsPort());
    s.m_server_ports = plain;
    s.Fingerprint = server.Fingerprint();  // in memory only: no entry makes it TLS-only
    zorl.app.Connection().OnButtonConnect();
    ASSERT_TRUE(zorl.WaitForWelcome()) << zorl.Transcript() << server.Log();
    EXPECT_EQ(StatusLines("** localhost asks for TLS only (STS): connecting on +" + tls).size(), 1u)
        << zorl.Transcript();
    EXPECT_TRUE(OverTls());
    const std::string policy = zorl.app.ini.ReadString("sts.ini", "Policies", "localhost", "");
    EXPECT_EQ(policy.rfind(tls + " ", 0), 0u) << policy;

    zorl.app.Connection().OnButtonDisconnect();
    const std::size_t before = zorl.Lines("").size();
    zorl.app.Connection().OnButtonConnect();
    ASSERT_TRUE(zorl.WaitForWelcome()) << zorl.Transcript();
    const std::vector<std::string> upgraded =
        StatusLines("** localhost takes only TLS until ", before);
    ASSERT_EQ(upgraded.size(), 1u) << zorl.Transcript();
    EXPECT_NE(upgraded[0].find("(STS): connecting on +" + tls + " instead of " + plain),
              std::string::npos)
        << upgraded[0];
    EXPECT_TRUE(StatusLines("** Connecting to localhost (" + plain + ")", before).empty());
    EXPECT_TRUE(OverTls());
}

TEST_F(SecureConnectionIntegrationTest, SaslLogsInOrFailsAsTheServerSays) {
    InspircdServer server;
    ASSERT_TRUE(server.Running()) << server.Failure();
    ASSERT_TRUE(server.RegisterAccount("alice", "alice-secret")) << server.Failure();
    const std::optional<ClientCertificate> cert = server.MakeClientCertificate("alice");
    ASSERT_TRUE(cert) << server.Failure();
    ASSERT_TRUE(server.AddCertificate("alice", cert->fingerprint)) << server.Failure();
    // One PEM file with the certificate and its key, in the configuration folder.
    std::ofstream(zorl.Home() / "alice.pem")
        << std::ifstream(cert->certFile).rdbuf() << std::ifstream(cert->keyFile).rdbuf();
    const std::string loggedIn = "alice You are now logged in as alice";  // 900
    const std::string succeeded = "SASL authentication successful";       // 903
    const std::string failed =
        "** SASL login failed: SASL authentication failed; registering without login";
    const struct {
        const char* name;
        std::string password, clientCert;
        bool required;
        std::vector<std::string> shown;  // status lines holding these, in this order
    } rows[] = {
        {"PLAIN", "alice-secret", "", false, {loggedIn, succeeded}},
        {"EXTERNAL", "", "alice.pem", false, {loggedIn, succeeded}},
        {"wrong password", "wrong", "", false, {failed}},
        {"wrong password, login required",
         "wrong",
         "",
         true,
         {"** SASL login failed: SASL authentication failed",
          "** The login is required for this server: disconnecting"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CSettings& s = zorl.app.settings;
        s.m_server_address = "localhost";
        s.m_server_ports = "+" + std::to_string(server.TlsPort());
        s.Fingerprint = server.Fingerprint();
        s.SaslAccount = "alice";
        s.SaslPassword = row.password;
        s.ClientCert = row.clientCert;
        s.RequireLogin = row.required ? 1 : 0;
        const std::size_t before = zorl.Lines("").size();
        zorl.app.Connection().OnButtonConnect();
        const bool welcomed = !row.required;
        if (welcomed)
            ASSERT_TRUE(zorl.WaitForWelcome()) << zorl.Transcript();
        else
            ASSERT_TRUE(WaitUntil([&] { return !StatusLines(row.shown.back(), before).empty(); }))
                << zorl.Transcript();
        std::vector<std::string> shown;
        for (const std::string& line : StatusLines("", before))
            for (const std::string& text : row.shown)
                if (line.find(text) != std::string::npos) shown.push_back(text);
        EXPECT_EQ(shown, row.shown) << zorl.Transcript();
        if (welcomed) zorl.app.Connection().OnButtonDisconnect();
        ASSERT_TRUE(WaitForIdle());
        EXPECT_FALSE(zorl.app.Connection().Registered());
    }
}

}  // namespace
}  // namespace zorl::test
