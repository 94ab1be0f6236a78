// TLS certificates, STS, credentials that stay with their host and the SASL
// login, as transcripts of the status window, the dialogs and the bytes on
// the scripted server socket.
#include <algorithm>

#include "common/Base64.h"
#include "common/TimeText.h"
#include "config/IniStore.h"
#include "config/ServerExtras.h"
#include "config/Settings.h"
#include "config/StsPolicies.h"
#include "session/CapNegotiation.h"
#include "session/SecretMask.h"
#include "session/ServerConnection.h"
#include "session/SessionFixture.h"
#include "windows/Output.h"

namespace zorl::test {
namespace {

using Texts = std::vector<std::string>;

constexpr const char* kPrint = "AB:CD:EF";
constexpr const char* kOther = "12:34:56";
constexpr const char* kSelfSigned = "The certificate is self-signed, and untrusted";
const Texts kRegistration{"CAP LS 302", "NICK joe", "USER joe localhost localhost : Joe Bloggs"};

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
    bool Shows(const std::string& text) { return Has(Lines(""), text); }
    // A handshake whose certificate the system refuses.
    static TlsSession Untrusted(const char* print = kPrint) {
        return {false, kSelfSigned, print, "TLSv1.3", "X", ""};
    }
    // Connect pressed, the handshake done with `session`.
    std::shared_ptr<ScriptedSocketState> ConnectWith(const TlsSession& session) {
        auto server = PressConnect();
        server->tlsSession = session;
        server->Connected();
        return server;
    }
    void Type(const std::string& line) { app.SendString(FrameOf(""), line); }
};

TEST_F(SecureConnectionTest, CertificateIsUsedOnlyWhenTrustedOrPinned) {
    struct Case {
        const char* what;
        const char* pinned;
        TlsSession session;
        const char* line;  // expected in the status window
        bool registers;
    } cases[] = {
        {"trusted by the system",
         "",
         {true, "", kPrint, "TLSv1.3", "TLS_AES_256_GCM_SHA384", ""},
         "-- TLS TLSv1.3, cipher TLS_AES_256_GCM_SHA384",
         true},
        {"unknown, not trusted", "", Untrusted(),
         "** Certificate refused (The certificate is self-signed, and untrusted): SHA-256 "
         "AB:CD:EF",
         false},
        {"pinned", "ab cd ef", Untrusted(), "-- Certificate pinned: SHA-256 AB:CD:EF", true},
        {"changed", kOther, Untrusted(),
         "** Certificate refused, it changed (The certificate is self-signed, and untrusted): "
         "SHA-256 AB:CD:EF, pinned SHA-256 12:34:56",
         false},
        {"changed, though the system trusts it",
         kOther,
         {true, "", kPrint, "TLSv1.3", "X", ""},
         "** Certificate refused, it changed (it is not the pinned certificate): SHA-256 "
         "AB:CD:EF, pinned SHA-256 12:34:56",
         false},
        {"trusted, but for other hosts",
         "",
         {false,
          "The host name did not match",
          kPrint,
          "TLSv1.3",
          "X",
          "",
          {"irc.other.net", "*.other.net"},
          true},
         "** Certificate refused (it is for irc.other.net, *.other.net, not irc.example): "
         "SHA-256 AB:CD:EF",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app.settings.Fingerprint = c.pinned;
        host.dialogs.trustQuestions.clear();
        const std::size_t from = Lines("").size();
        auto server = ConnectWith(c.session);
        EXPECT_TRUE(server->tls);
        EXPECT_EQ(server->connectPort, 6697);
        const Texts lines = StatusSince(from);
        EXPECT_TRUE(Has(lines, "** Connecting to irc.example (+6697)")) << Transcript();
        EXPECT_TRUE(Has(lines, c.line)) << Transcript();
        EXPECT_EQ(app.Connection().State() == CONNECTED, c.registers);
        EXPECT_EQ(server->closed, !c.registers);
        EXPECT_EQ(server->SentLines(), c.registers ? kRegistration : Texts{});
        // A refusal asks (unanswered: refused); it trusts nothing by itself.
        EXPECT_EQ(host.dialogs.trustQuestions.size(), c.registers ? 0u : 1u);
        EXPECT_EQ(app.settings.Fingerprint, c.pinned);
        if (app.Connection().State() != IDLE) app.Connection().Disconnect();
    }
}

TEST_F(SecureConnectionTest, TheThreeAnswersToAnUntrustedCertificate) {
    struct Case {
        TrustAnswer answer;
        const char* print;
        bool connectsAgain;
        const char* line;
        const char* entryAfter;
        const char* savedPinAfter;
    } cases[] = {
        {TrustAnswer::Refuse, kPrint, false, "** Certificate refused (",
         "TestSERVER:irc.example:+6697", ""},
        {TrustAnswer::ThisSession, "11:22:33", true,
         "** Certificate trusted for this session for irc.example: SHA-256 11:22:33",
         "TestSERVER:irc.example:+6697", ""},
        {TrustAnswer::Always, kPrint, true,
         "** Certificate pinned for irc.example: SHA-256 AB:CD:EF",
         "TestSERVER:irc.example:+6697PIN:AB:CD:EF", kPrint},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        app.settings.Fingerprint.clear();
        host.dialogs.trustQuestions.clear();
        app.ini.WriteString("SERVER", "Address", "irc.example");
        app.ini.WriteString("SERVER", "Fingerprint", "");
        app.ini.WriteList("servers.ini", "Servers", {"TestSERVER:irc.example:+6697"});
        host.dialogs.trustAnswers = {c.answer};
        auto first = ConnectWith(Untrusted(c.print));
        const Texts lines = Lines("");
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.rfind(c.line, 0) == 0;
        })) << Transcript();
        EXPECT_EQ(app.ini.ReadList("servers.ini", "Servers"), Texts{c.entryAfter});
        EXPECT_EQ(app.ini.ReadString("SERVER", "Fingerprint", ""), c.savedPinAfter);
        auto again = host.sockets.Last();
        EXPECT_EQ(again != first, c.connectsAgain);
        if (!c.connectsAgain) continue;
        // The same certificate is taken without a question from now on.
        again->tlsSession = first->tlsSession;
        again->Connected();
        EXPECT_EQ(app.Connection().State(), CONNECTED) << Transcript();
        EXPECT_EQ(host.dialogs.trustQuestions.size(), 1u);
        app.Connection().Disconnect();
    }

    // Pinned for a host without an entry: the pin gets an entry of its own.
    app.Connection().Disconnect();
    host.dialogs.trustAnswers = {TrustAnswer::Always};
    app.ConnectToLink("ircs://irc.elsewhere");
    host.sockets.Last()->tlsSession = Untrusted(kOther);
    host.sockets.Last()->Connected();
    EXPECT_EQ(app.ini.ReadList("servers.ini", "Servers"),
              (Texts{"TestSERVER:irc.example:+6697PIN:AB:CD:EF",
                     "irc.elsewhereSERVER:irc.elsewhere:+6697PIN:12:34:56"}));
    EXPECT_EQ(app.ini.ReadString("SERVER", "Fingerprint", ""), kPrint);
}

TEST_F(SecureConnectionTest, ATrustedCertificateNearItsEndSaysSo) {
    constexpr std::time_t kDay = 24 * 3600;
    struct Case {
        std::time_t left;
        const char* start;  // of the status line; "" for none
    } cases[] = {
        {30 * kDay, ""},
        {5 * kDay, "** The certificate of irc.example that you trusted expires on "},
        {-kDay, "** The certificate of irc.example that you trusted expired on "},
    };
    app.settings.Fingerprint = kPrint;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left);
        ClearPanes();
        TlsSession session = Untrusted();
        session.expires = host.clock.now + c.left;
        ConnectWith(session);
        EXPECT_EQ(app.Connection().State(), CONNECTED);
        const Texts lines = Lines("");
        const auto found = std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.find("that you trusted") != std::string::npos;
        });
        EXPECT_EQ(found, *c.start ? 1 : 0) << Transcript();
        if (*c.start) {
            EXPECT_TRUE(Shows(c.start + FormatLocalTime("%d-%b-%Y", session.expires)));
        }
        app.Connection().Disconnect();
    }
}

// A plain connection told to use TLS moves there; the TLS connection's
// policy is kept, and later plain attempts go over TLS until it expires.
TEST_F(SecureConnectionTest, StsMovesToTlsAndKeepsItUntilThePolicyExpires) {
    app.settings.m_server_ports = "6667";
    auto plain = PressConnect();
    plain->Connected();
    plain->Receive(":irc CAP * LS :multi-prefix sts=port=6697,duration=300\r\n");
    EXPECT_TRUE(Shows("** irc.example asks for TLS only (STS): connecting on +6697"))
        << Transcript();
    EXPECT_TRUE(plain->closed);
    auto secure = host.sockets.Last();
    ASSERT_NE(secure, plain);
    EXPECT_TRUE(secure->tls);
    EXPECT_EQ(secure->connectPort, 6697);
    EXPECT_FALSE(FindStsPolicy(app.ini, "irc.example", host.clock.now));

    secure->tlsSession = {true, "", kPrint, "TLSv1.3", "X", ""};
    secure->Connected();
    secure->Receive(":irc CAP * LS :sts=duration=300,port=1\r\n");
    const auto policy = FindStsPolicy(app.ini, "IRC.example", host.clock.now);
    ASSERT_TRUE(policy);
    EXPECT_EQ(policy->port, 6697);
    EXPECT_EQ(policy->expires, host.clock.now + 300);
    app.Connection().Disconnect();

    // A plain /server to the host goes over TLS, and its certificate must be
    // one the system trusts: the user is not asked.
    Type("/server irc.example 6667");
    auto upgraded = host.sockets.Last();
    EXPECT_TRUE(upgraded->tls);
    EXPECT_EQ(upgraded->connectPort, 6697);
    const Texts lines = Lines("");
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("** irc.example takes only TLS until ", 0) == 0 &&
               l.find("(STS): connecting on +6697 instead of 6667") != std::string::npos;
    })) << Transcript();
    upgraded->tlsSession = Untrusted();
    upgraded->Connected();
    EXPECT_TRUE(
        Shows("** irc.example requires a trusted certificate (STS): it cannot be trusted "
              "by hand"));
    EXPECT_TRUE(host.dialogs.trustQuestions.empty());

    // Expired, the policy is gone; a duration of 0 ends it at once too.
    host.clock.now += 301;
    EXPECT_FALSE(FindStsPolicy(app.ini, "irc.example", host.clock.now));
    RememberStsPolicy(app.ini, "irc.example", 6697, 300, host.clock.now);
    RememberStsPolicy(app.ini, "irc.example", 6697, 0, host.clock.now);
    EXPECT_FALSE(FindStsPolicy(app.ini, "irc.example", host.clock.now));
}

// The saved password, login and pin go only to the saved server's host; a
// host with TLS in its entry is never reached in plain text.
TEST_F(SecureConnectionTest, CredentialsStayWithTheirHostAndTlsIsNeverDowngraded) {
    ReloadSettings(
        "[USER]\nNick=joe\nUser=joe\nRealName=Joe Bloggs\n"
        "[SERVER]\nAddress=irc.example\nName=Test\nPorts=+6697\nPassword=secret\n"
        "SaslAccount=joe\nSaslPassword=hunter2\nFingerprint=AB:CD:EF\n");
    app.settings.DebugWindow = 0;
    app.ConnectToLink("irc://irc.other:6667/#x");
    auto other = host.sockets.Last();
    EXPECT_EQ(other->connectHost, "irc.other");
    EXPECT_FALSE(other->tls);
    other->Connected();
    other->Receive(":irc CAP * LS :sasl\r\n");
    EXPECT_EQ(other->SentLines(), (Texts{"CAP LS 302", "NICK joe",
                                         "USER joe localhost localhost : Joe Bloggs", "CAP END"}))
        << Transcript();
    EXPECT_EQ(app.settings.m_server_name, "irc.other");

    // Back to the saved host by a plain link: TLS, and its secrets again.
    app.Connection().Disconnect();
    app.ConnectToLink("irc://irc.example");
    auto saved = host.sockets.Last();
    EXPECT_TRUE(
        Shows("** irc.example has TLS in its server entry: connecting on +6697 instead of "
              "6667"))
        << Transcript();
    EXPECT_TRUE(saved->tls);
    EXPECT_EQ(saved->connectPort, 6697);
    saved->tlsSession = Untrusted();
    saved->Connected();
    EXPECT_EQ(app.Connection().State(), CONNECTED) << Transcript();
    EXPECT_EQ(saved->SentLines().front(), "PASS secret");

    // /server without a port reconnects where it was, over TLS.
    Type("/server");
    saved->Closed();
    auto again = host.sockets.Last();
    ASSERT_NE(again, saved);
    EXPECT_TRUE(again->tls);
    EXPECT_EQ(again->connectPort, 6697);
}

// One registration per row: what the server says, line by line, and what the
// client sends in answer.
TEST_F(SecureConnectionTest, SaslLoginTranscripts) {
    const std::string scramFirst =
        "AUTHENTICATE " + Base64Encode("n,,n=joe,r=AQIDBAUGBwgJCgsMDQ4P");
    struct Case {
        const char* what;
        const char* ports;
        int withoutTls;
        const char* clientCert;
        Texts server;
        Texts sent;        // after the registration lines
        const char* line;  // expected in the status window
    } cases[] = {
        {"success",
         "+6697",
         0,
         "",
         {":irc CAP * LS * :multi-prefix", ":irc CAP * LS :sasl=EXTERNAL,PLAIN",
          ":irc CAP joe ACK :sasl ", "AUTHENTICATE +",
          ":irc 900 joe joe!j@h joe :You are now logged in as joe",
          ":irc 903 joe :SASL authentication successful", ":irc 001 joe :Welcome"},
         {"CAP REQ :multi-prefix sasl", "AUTHENTICATE PLAIN", "AUTHENTICATE am9lAGpvZQBodW50ZXIy",
          "CAP END"},
         "SASL authentication successful"},
        // One refused capability refuses the request: the login is asked for alone.
        {"a refused bundle",
         "+6697",
         0,
         "",
         {":irc CAP * LS :server-time sasl", ":irc CAP joe NAK :server-time sasl",
          ":irc CAP joe ACK :sasl", "AUTHENTICATE +",
          ":irc 903 joe :SASL authentication successful", ":irc 001 joe :Welcome",
          ":irc CAP joe NEW :away-notify x-unknown", ":irc CAP joe ACK :away-notify"},
         {"CAP REQ :server-time sasl", "CAP REQ :sasl", "AUTHENTICATE PLAIN",
          "AUTHENTICATE am9lAGpvZQBodW50ZXIy", "CAP END", "CAP REQ :away-notify"},
         "SASL authentication successful"},
        {"wrong password",
         "+6697",
         0,
         "",
         {":irc CAP * LS :sasl", ":irc CAP joe ACK :sasl", "AUTHENTICATE +",
          ":irc 904 joe :SASL authentication failed", ":irc 001 joe :Welcome"},
         {"CAP REQ :sasl", "AUTHENTICATE PLAIN", "AUTHENTICATE am9lAGpvZQBodW50ZXIy", "CAP END"},
         "** SASL login failed: SASL authentication failed; registering without login"},
        {"nick locked",
         "+6697",
         0,
         "",
         {":irc CAP * LS :sasl", ":irc CAP joe ACK :sasl", "AUTHENTICATE +",
          ":irc 902 joe :You must use a nick assigned to you", ":irc 001 joe :Welcome"},
         {"CAP REQ :sasl", "AUTHENTICATE PLAIN", "AUTHENTICATE am9lAGpvZQBodW50ZXIy", "CAP END"},
         "** SASL login failed: You must use a nick assigned to you; registering without login"},
        {"the server asks twice",
         "+6697",
         0,
         "",
         {":irc CAP * LS :sasl", ":irc CAP joe ACK :sasl", "AUTHENTICATE +", "AUTHENTICATE +",
          ":irc 906 joe :SASL authentication aborted", ":irc 001 joe :Welcome"},
         {"CAP REQ :sasl", "AUTHENTICATE PLAIN", "AUTHENTICATE am9lAGpvZQBodW50ZXIy",
          "AUTHENTICATE *", "CAP END"},
         "** SASL login failed: the server asked for the credentials again; registering without "
         "login"},
        {"withdrawn",
         "+6697",
         0,
         "",
         {":irc CAP * LS :sasl", ":irc CAP joe ACK :sasl multi-prefix", ":irc CAP joe DEL :sasl",
          ":irc 001 joe :Welcome"},
         {"CAP REQ :sasl", "AUTHENTICATE PLAIN", "CAP END"},
         "** The server withdrew SASL; registering without login"},
        {"no sasl offered",
         "+6697",
         0,
         "",
         {":irc CAP * LS :multi-prefix", ":irc CAP joe ACK :multi-prefix", ":irc 001 joe :Welcome"},
         {"CAP REQ :multi-prefix", "CAP END"},
         "** The server offers no SASL login; registering without it"},
        {"server without CAP",
         "+6697",
         0,
         "",
         {":irc 421 joe CAP :Unknown command", ":irc 001 joe :Welcome"},
         {},
         "** The server does not negotiate capabilities; registering without SASL login"},
        {"plain TCP",
         "6667",
         0,
         "",
         {":irc CAP * LS :sasl", ":irc 001 joe :Welcome"},
         {"CAP END"},
         "** SASL login not sent: the connection is not encrypted"},
        {"plain TCP allowed",
         "6667",
         1,
         "",
         {":irc CAP * LS :sasl", ":irc CAP joe NAK :sasl", ":irc 001 joe :Welcome"},
         {"CAP REQ :sasl", "CAP END"},
         "** The server refused SASL; registering without login"},
        {"client certificate",
         "+6697",
         0,
         "certs/joe.pem",
         {":irc CAP * LS :sasl=PLAIN,EXTERNAL", ":irc CAP joe ACK :sasl", "AUTHENTICATE +",
          ":irc 903 joe :SASL authentication successful", ":irc 001 joe :Welcome"},
         {"CAP REQ :sasl", "AUTHENTICATE EXTERNAL", "AUTHENTICATE +", "CAP END"},
         "SASL authentication successful"},
        {"SCRAM before PLAIN, too many iterations",
         "+6697",
         0,
         "",
         {":irc CAP * LS :sasl=PLAIN,SCRAM-SHA-256", ":irc CAP joe ACK :sasl", "AUTHENTICATE +",
          "AUTHENTICATE " + Base64Encode("r=AQIDBAUGBwgJCgsMDQ4Pxyz,s=c2FsdA==,i=999999999"),
          ":irc 906 joe :SASL authentication aborted", ":irc 001 joe :Welcome"},
         {"CAP REQ :sasl", "AUTHENTICATE SCRAM-SHA-256", scramFirst, "AUTHENTICATE *", "CAP END"},
         "** SASL login failed: the server asks for 999999999 iterations (1 to 100000 are done); "
         "registering without login"},
    };
    app.settings.SaslAccount = "joe";
    app.settings.SaslPassword = "hunter2";
    app.output.SetDebug(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app.settings.m_server_ports = c.ports;
        app.settings.SaslWithoutTls = c.withoutTls;
        app.settings.ClientCert = c.clientCert;
        host.crypto.randomBytes.clear();
        const std::size_t from = Lines("").size();
        auto server = PressConnect();
        server->tlsSession.verified = true;
        server->Connected();
        for (const std::string& line : c.server) server->Receive(line + "\r\n");
        Texts sent = kRegistration;
        sent.insert(sent.end(), c.sent.begin(), c.sent.end());
        EXPECT_EQ(server->SentLines(), sent) << Transcript();
        EXPECT_TRUE(app.Connection().Registered());
        EXPECT_TRUE(Has(StatusSince(from), c.line)) << Transcript();
        EXPECT_EQ(server->clientCertificate,
                  *c.clientCert ? app.config_dir + c.clientCert : std::string());
        // The credentials never reach the debug output.
        EXPECT_EQ(Shown("").find("am9lAGpvZQBodW50ZXIy"), std::string::npos);
        app.Connection().Disconnect();
    }
}

TEST_F(SecureConnectionTest, ARequiredLoginThatFailsDisconnects) {
    app.settings.SaslAccount = "joe";
    app.settings.SaslPassword = "hunter2";
    app.settings.RequireLogin = 1;
    app.settings.AutoReconnect = 1;
    auto server = ConnectWith({true, "", kPrint, "TLSv1.3", "X", ""});
    server->Receive(":irc CAP * LS :multi-prefix\r\n");
    EXPECT_TRUE(Shows("** The server offers no SASL login"));
    EXPECT_TRUE(Shows("** The login is required for this server: disconnecting"));
    EXPECT_EQ(server->SentLines().back(), "QUIT :bye");
    EXPECT_EQ(app.Connection().State(), IDLE);
    EXPECT_EQ(host.sockets.Last(), server);  // and no new attempt
}

// A server that never ends the negotiation, or lists without end, neither
// holds registration nor fills memory.
TEST_F(SecureConnectionTest, NegotiationIsBoundedInTimeAndSize) {
    app.settings.m_server_ports = "6667";
    auto silent = PressConnect();
    silent->Connected();
    host.Elapse(CCapNegotiation::kTimeLimitMs - 200);
    EXPECT_EQ(silent->SentLines(), kRegistration);
    host.Elapse(300);
    EXPECT_EQ(silent->SentLines().back(), "CAP END");
    EXPECT_TRUE(
        Shows("** The server did not finish capability negotiation within 30 s; "
              "registering without it"));
    app.Connection().Disconnect();

    app.settings.SaslAccount = "joe";
    app.settings.SaslWithoutTls = 1;
    auto endless = PressConnect();
    endless->Connected();
    const std::string filler(200, 'x');
    for (int i = 0; i < 400; ++i) endless->Receive(":irc CAP * LS * :" + filler + "\r\n");
    endless->Receive(":irc CAP * LS :sasl\r\n");
    const Texts lines = Lines("");
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "** The server's capability list is longer than 64 KiB: the rest is "
                         "ignored"),
              1);
    EXPECT_TRUE(Shows("** The server offers no SASL login; registering without it"));
    EXPECT_EQ(endless->SentLines().back(), "CAP END");
}

TEST(SecretMask, PasswordsInSentLinesAreMasked) {
    const struct {
        const char* line;
        const char* shown;
    } cases[] = {
        {"PASS secret", "PASS ****"},
        {"AUTHENTICATE am9lAGpvZQBodW50ZXIy", "AUTHENTICATE ****"},
        {"AUTHENTICATE PLAIN", "AUTHENTICATE PLAIN"},
        {"AUTHENTICATE +", "AUTHENTICATE +"},
        {"OPER joe secret", "OPER joe ****"},
        {"PRIVMSG NickServ :IDENTIFY joe secret", "PRIVMSG NickServ :IDENTIFY ****"},
        {"PRIVMSG nickserv@services.example :identify secret",
         "PRIVMSG nickserv@services.example :identify ****"},
        {"PRIVMSG NickServ :REGISTER secret joe@example.net", "PRIVMSG NickServ :REGISTER ****"},
        {"PRIVMSG NickServ :INFO joe", "PRIVMSG NickServ :INFO joe"},
        {"NS IDENTIFY secret", "NS IDENTIFY ****"},
        {"nickserv ghost joe secret", "nickserv ghost ****"},
        {"PRIVMSG #c :IDENTIFY secret", "PRIVMSG #c :IDENTIFY secret"},
        {"PRIVMSG ChanServ :hello", "PRIVMSG ChanServ :hello"},
    };
    for (const auto& c : cases) EXPECT_EQ(MaskSecrets(c.line), c.shown) << c.line;
}

}  // namespace
}  // namespace zorl::test
