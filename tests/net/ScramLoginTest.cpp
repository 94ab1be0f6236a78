// SCRAM-SHA-256 with the real hashes, against the exchange of RFC 7677's
// example: the engine's messages must match it byte for byte, and a server
// that cannot prove it knows the password is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CZorlApp.h"
#include "common/Base64.h"
#include "config/Settings.h"
#include "platform/qt/QtCrypto.h"
#include "session/ScramClient.h"
#include "session/ServerConnection.h"
#include "support/HeadlessHost.h"
#include "support/TempDir.h"

namespace zorl::test {
namespace {

constexpr const char* kNonce = "rOprNGfwEbeRWgbNEkqO";
constexpr const char* kServerFirst =
    "r=rOprNGfwEbeRWgbNEkqO%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0,s=W22ZaJ0SNY7soEsUEjb6gQ==,i=4096";
constexpr const char* kClientFinal =
    "c=biws,r=rOprNGfwEbeRWgbNEkqO%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0,"
    "p=dHzbZapWIk4jUhN+Ute9ytag9zjfMHgsqmmiz7AndVQ=";
constexpr const char* kServerFinal = "v=6rriTRBi23WpRR/wtup+mMhUZUn/dB5nLTJRsjl95G4=";

// The real functions, with the example's client nonce as the random bytes.
class ExampleCrypto : public qt::QtCrypto {
public:
    std::string RandomBytes(std::size_t) override { return *Base64Decode(kNonce); }
};

TEST(Scram, MessagesOfTheRfcExample) {
    qt::QtCrypto crypto;
    CScramClient client(crypto, "user", "pencil", kNonce);
    EXPECT_EQ(client.ClientFirst(), "n,,n=user,r=rOprNGfwEbeRWgbNEkqO");
    EXPECT_EQ(client.ClientFinal(kServerFirst).value_or(""), kClientFinal);
    EXPECT_TRUE(client.ServerFinalIsGenuine(kServerFinal)) << client.Error();
    EXPECT_FALSE(client.ServerFinalIsGenuine("v=AAAATRBi23WpRR/wtup+mMhUZUn/dB5nLTJRsjl95G4="));
}

class ScramLoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        app.UseConfigDirectory(dir.Path().string());
        app.LoadSettings();
        CSettings& s = app.settings;
        s.m_user_mynick = s.User = "user";
        s.m_server_address = "irc.example";
        s.m_server_ports = "+6697";
        s.SaslAccount = "user";
        s.SaslPassword = "pencil";
    }
    // A login up to the server's final message.
    std::shared_ptr<ScriptedSocketState> LogIn(const std::string& serverFinal) {
        auto server = PressConnect(app, host.sockets);
        server->tlsSession.verified = true;
        server->Connected();
        for (const std::string& line :
             {std::string(":irc CAP * LS :sasl=PLAIN,SCRAM-SHA-256"),
              std::string(":irc CAP user ACK :sasl"), std::string("AUTHENTICATE +"),
              "AUTHENTICATE " + Base64Encode(kServerFirst), "AUTHENTICATE " + serverFinal})
            server->Receive(line + "\r\n");
        return server;
    }
    static std::vector<std::string> After(const std::vector<std::string>& lines, std::size_t from) {
        return {lines.begin() + static_cast<long>(from), lines.end()};
    }

    TempDir dir;
    HeadlessHost host;
    ExampleCrypto crypto;
    Platform platform{host.sockets, host.clock,   host.ticker, host.sound,   host.shell,
                      host.dialogs, host.surface, crypto,      host.secrets, host.history};
    CZorlApp app{platform};
};

TEST_F(ScramLoginTest, TheServersProofIsCheckedBeforeTheLoginEnds) {
    auto server = LogIn(Base64Encode(kServerFinal));
    server->Receive(":irc 903 user :SASL authentication successful\r\n");
    EXPECT_EQ(After(server->SentLines(), 3),
              (std::vector<std::string>{
                  "CAP REQ :sasl", "AUTHENTICATE SCRAM-SHA-256",
                  "AUTHENTICATE " + Base64Encode(std::string("n,,n=user,r=") + kNonce),
                  "AUTHENTICATE " + Base64Encode(kClientFinal), "AUTHENTICATE +", "CAP END"}))
        << Transcript(host);
    app.Connection().Disconnect();

    // A server without the password cannot make the proof: refused.
    auto impostor = LogIn(Base64Encode("v=AAAATRBi23WpRR/wtup+mMhUZUn/dB5nLTJRsjl95G4="));
    const std::vector<std::string> sent = impostor->SentLines();
    EXPECT_EQ(After(sent, sent.size() - 2),
              (std::vector<std::string>{"AUTHENTICATE *", "CAP END"}));
    EXPECT_NE(Transcript(host).find("** SASL login failed: the server's signature is wrong: it "
                                    "does not know the password; registering without login"),
              std::string::npos)
        << Transcript(host);
}

}  // namespace
}  // namespace zorl::test
