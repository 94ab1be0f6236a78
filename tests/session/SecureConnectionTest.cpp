// TLS certificates and the SASL login, as transcripts of the status window,
// the message boxes and the bytes on the scripted server socket.
#include <algorithm>

#include "app/Settings.h"
#include "config/IniStore.h"
#include "config/ServerExtras.h"
#include "session/ServerConnection.h"
#include "session/SessionFixture.h"

namespace zorl::test {
namespace {

using Texts = std::vector<std::string>;

constexpr const char* kPrint = "AB:CD:EF";
constexpr const char* kOther = "12:34:56";
constexpr const char* kSelfSigned = "The certificate is self-signed, and untrusted";

class SecureConnectionTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        app.settings.m_server_ports = "+6697";
        app.settings.m_server_name = "Test";
        app.settings.Password = "";
        app.settings.ExtConnect = 1;
    }

    bool Has(const Texts& lines, const std::string& text) {
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }
};

TEST_F(SecureConnectionTest, CertificateIsUsedOnlyWhenTrustedOrPinned) {
    struct Case {
        const char* what;
        const char* pinned;
        bool verified;
        const char* problem;
        BoxAnswer answer;
        const char* line;  // expected in the status window
        bool registers;
        const char* pinnedAfter;
    } cases[] = {
        {"trusted by the system", "", true, "", BoxAnswer::No,
         "-- TLS TLSv1.3, cipher TLS_AES_256_GCM_SHA384", true, ""},
        {"unknown, not trusted", "", false, kSelfSigned, BoxAnswer::No,
         "** Certificate refused (The certificate is self-signed, and untrusted): SHA-256 "
         "AB:CD:EF",
         false, ""},
        {"pinned", "ab cd ef", false, kSelfSigned, BoxAnswer::No,
         "-- Certificate pinned: SHA-256 AB:CD:EF", true, "ab cd ef"},
        {"changed", kOther, false, kSelfSigned, BoxAnswer::No,
         "** Certificate refused, it changed (The certificate is self-signed, and untrusted): "
         "SHA-256 AB:CD:EF, pinned SHA-256 12:34:56",
         false, kOther},
        {"changed, though the system trusts it", kOther, true, "", BoxAnswer::No,
         "** Certificate refused, it changed (it is not the pinned certificate): SHA-256 "
         "AB:CD:EF, pinned SHA-256 12:34:56",
         false, kOther},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app.settings.Fingerprint = c.pinned;
        host.dialogs.boxes.clear();
        host.dialogs.boxesNoByDefault.clear();
        host.dialogs.boxAnswers = {c.answer};
        const std::size_t from = Lines("").size();
        auto server = PressConnect();
        EXPECT_TRUE(server->tls);
        EXPECT_EQ(server->connectPort, 6697);
        server->tlsSession = {c.verified, c.problem, kPrint, "TLSv1.3", "TLS_AES_256_GCM_SHA384",
                              ""};
        server->Connected();
        const Texts lines = StatusSince(from);
        EXPECT_TRUE(Has(lines, "** Connecting to irc.example (+6697)")) << Transcript();
        EXPECT_TRUE(Has(lines, c.line)) << Transcript();
        EXPECT_EQ(app.ircstatus == CONNECTED, c.registers);
        EXPECT_EQ(server->closed, !c.registers);
        const Texts registration{"NICK joe", "USER joe localhost localhost : Joe Bloggs"};
        EXPECT_EQ(server->SentLines(), c.registers ? registration : Texts{});
        // The refusal asks whether to trust the certificate; it pins nothing by itself.
        EXPECT_EQ(host.dialogs.boxes.size(), c.registers ? 0u : 1u);
        // Only Yes trusts a certificate that changed; Enter alone does not.
        if (!c.registers) {
            EXPECT_EQ(host.dialogs.boxesNoByDefault[0], *c.pinned != '\0');
        }
        EXPECT_EQ(app.settings.Fingerprint, c.pinnedAfter);
        if (app.ircstatus != IDLE) app.connection.Disconnect();
    }
}

TEST_F(SecureConnectionTest, TrustingACertificatePinsItForTheServerAndConnectsAgain) {
    app.ini.WriteList("servers.ini", "Servers",
                      {"OtherSERVER:irc.other:6667", "TestSERVER:irc.example:+6697GROUP:Lab"});
    host.dialogs.boxAnswers = {BoxAnswer::Yes};
    auto server = PressConnect();
    server->tlsSession = {false, kSelfSigned, "ab:cd:ef", "TLSv1.3", "X", ""};
    server->Connected();
    ASSERT_EQ(host.dialogs.boxes.size(), 1u);
    EXPECT_NE(host.dialogs.boxes[0].find("AB:CD:EF"), std::string::npos);
    EXPECT_EQ(app.settings.Fingerprint, kPrint);
    EXPECT_EQ(app.ini.ReadString("SERVER", "Fingerprint", ""), kPrint);
    EXPECT_EQ(
        app.ini.ReadList("servers.ini", "Servers"),
        (Texts{"OtherSERVER:irc.other:6667", "TestSERVER:irc.example:+6697PIN:AB:CD:EFGROUP:Lab"}));
    ExpectShown("", Cls::Flow, "** Certificate pinned for irc.example: SHA-256 AB:CD:EF");

    auto again = host.sockets.Last();
    ASSERT_NE(again, server);
    EXPECT_TRUE(again->tls);
    EXPECT_EQ(app.ircstatus, CONNECTING);
    again->tlsSession = server->tlsSession;
    again->Connected();
    EXPECT_EQ(app.ircstatus, CONNECTED) << Transcript();

    // A server reached by a link is trusted for this run; the saved server
    // keeps its own pin.
    app.connection.Disconnect();
    app.ini.WriteString("SERVER", "Address", "irc.example");
    host.dialogs.boxAnswers = {BoxAnswer::Yes};
    app.ConnectToLink("ircs://irc.elsewhere");
    host.sockets.Last()->tlsSession = {false, kSelfSigned, "12:34:56", "TLSv1.3", "X", ""};
    host.sockets.Last()->Connected();
    EXPECT_EQ(app.settings.Fingerprint, kOther);
    EXPECT_EQ(app.ini.ReadString("SERVER", "Fingerprint", ""), kPrint);
}

TEST_F(SecureConnectionTest, FailedHandshakeShowsWhy) {
    auto server = PressConnect();
    server->tlsSession.failure = "Error during SSL handshake: wrong version number";
    server->Connected(kWsaConnectionAborted);
    ExpectShown("", Cls::UError,
                "** Connection failed: TLS handshake: Error during SSL handshake: wrong version "
                "number");
    EXPECT_EQ(app.ircstatus, IDLE);
    EXPECT_TRUE(host.dialogs.boxes.empty());
}

// One registration per row: what the server says, line by line, and what the
// client sends in answer.
TEST_F(SecureConnectionTest, SaslLoginTranscripts) {
    struct Case {
        const char* what;
        const char* ports;
        int withoutTls;
        Texts server;
        Texts sent;
        const char* line;  // expected in the status window; "" for none
    } cases[] = {
        {"success",
         "+6697",
         0,
         {":irc CAP * LS * :multi-prefix", ":irc CAP * LS :sasl=EXTERNAL,PLAIN",
          ":irc CAP joe ACK :sasl ", "AUTHENTICATE +",
          ":irc 900 joe joe!j@h joe :You are now logged in as joe",
          ":irc 903 joe :SASL authentication successful", ":irc 001 joe :Welcome"},
         {"CAP LS 302", "NICK joe", "USER joe localhost localhost : Joe Bloggs", "CAP REQ :sasl",
          "AUTHENTICATE PLAIN", "AUTHENTICATE am9lAGpvZQBodW50ZXIy", "CAP END"},
         "SASL authentication successful"},
        {"wrong password",
         "+6697",
         0,
         {":irc CAP * LS :sasl", ":irc CAP joe ACK :sasl", "AUTHENTICATE +",
          ":irc 904 joe :SASL authentication failed", ":irc 001 joe :Welcome"},
         {"CAP LS 302", "NICK joe", "USER joe localhost localhost : Joe Bloggs", "CAP REQ :sasl",
          "AUTHENTICATE PLAIN", "AUTHENTICATE am9lAGpvZQBodW50ZXIy", "CAP END"},
         "** SASL login failed: SASL authentication failed; registering without login"},
        {"no sasl offered",
         "+6697",
         0,
         {":irc CAP * LS :multi-prefix", ":irc 001 joe :Welcome"},
         {"CAP LS 302", "NICK joe", "USER joe localhost localhost : Joe Bloggs", "CAP END"},
         "** The server offers no SASL PLAIN login; registering without it"},
        {"server without CAP",
         "+6697",
         0,
         {":irc 421 joe CAP :Unknown command", ":irc 001 joe :Welcome"},
         {"CAP LS 302", "NICK joe", "USER joe localhost localhost : Joe Bloggs"},
         "** The server does not negotiate capabilities; registering without SASL login"},
        {"plain TCP",
         "6667",
         0,
         {":irc 001 joe :Welcome"},
         {"NICK joe", "USER joe localhost localhost : Joe Bloggs"},
         "** SASL login not sent: the connection is not encrypted"},
        {"plain TCP allowed",
         "6667",
         1,
         {":irc CAP * LS :sasl", ":irc CAP joe NAK :sasl", ":irc 001 joe :Welcome"},
         {"CAP LS 302", "NICK joe", "USER joe localhost localhost : Joe Bloggs", "CAP REQ :sasl",
          "CAP END"},
         "** The server refused SASL; registering without login"},
    };
    app.settings.SaslAccount = "joe";
    app.settings.SaslPassword = "hunter2";
    app.m_debug_window = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app.settings.m_server_ports = c.ports;
        app.settings.SaslWithoutTls = c.withoutTls;
        const std::size_t from = Lines("").size();
        auto server = PressConnect();
        server->tlsSession.verified = true;
        server->Connected();
        for (const std::string& line : c.server) server->Receive(line + "\r\n");
        EXPECT_EQ(server->SentLines(), c.sent) << Transcript();
        EXPECT_TRUE(app.registered);
        const Texts lines = StatusSince(from);
        EXPECT_TRUE(*c.line == '\0' || Has(lines, c.line)) << Transcript();
        // The credentials never reach the debug output.
        EXPECT_EQ(Shown("").find("am9lAGpvZQBodW50ZXIy"), std::string::npos);
        app.connection.Disconnect();
    }
}

}  // namespace
}  // namespace zorl::test
