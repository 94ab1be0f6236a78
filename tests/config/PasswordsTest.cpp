// Passwords in the desktop's keyring: moved there from the ini files once,
// read back where a connection needs them, and the files left alone when no
// keyring answers.
#include <gtest/gtest.h>

#include "config/IniStore.h"
#include "config/Settings.h"
#include "session/ServerConnection.h"
#include "support/AppFixture.h"

namespace zorl {
namespace {

using Strings = std::vector<std::string>;

class Passwords : public test::AppFixture {
protected:
    void BeforeStart() override {
        host.secrets.service = keyring_;
        dir.WriteFile("zorl.ini",
                      "[USER]\nNick=joe\nUser=joe\n[SERVER]\nAddress=irc.example\nPorts=6667\n"
                      "Password=secret\nSaslAccount=joe\nSaslPassword=hunter2\n");
        dir.WriteFile("servers.ini",
                      "[Servers]\nn0=NetSERVER:irc.net:6667:pwSASL:amy:pw2\n"
                      "n1=OpenSERVER:irc.open:6667\n");
    }
    // The lines the start showed in the status window.
    bool Showed(const std::string& line) {
        const Strings lines = Lines("");
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // The registration a connection to `address` sends first.
    std::string FirstLineTo(const std::string& address) {
        if (app.Connection().State() != IDLE) app.Connection().Disconnect();
        app.ConnectToLink("irc://" + address);
        auto server = host.sockets.Last();
        server->Connected();
        return server->SentLines().front();
    }

    bool keyring_ = true;
};

TEST_F(Passwords, MoveToTheKeyringOnceAndComeBackFromIt) {
    EXPECT_TRUE(Showed("** Passwords moved from zorl.ini and servers.ini to the desktop's keyring"))
        << Transcript();
    EXPECT_EQ(app.ini.ReadString("SERVER", "Password", ""), "{keyring}");
    EXPECT_EQ(app.ini.ReadString("SERVER", "SaslPassword", ""), "{keyring}");
    EXPECT_EQ(app.ini.ReadList("servers.ini", "Servers"),
              (Strings{"NetSERVER:irc.net:6667:{keyring}SASL:amy:{keyring}",
                       "OpenSERVER:irc.open:6667"}));
    EXPECT_EQ(host.secrets.stored,
              (std::map<std::string, std::string>{{"irc.example password", "secret"},
                                                  {"irc.example sasl", "hunter2"},
                                                  {"irc.net password", "pw"},
                                                  {"irc.net sasl", "pw2"}}));
    EXPECT_EQ(app.settings.SaslPassword, "hunter2");
    EXPECT_EQ(FirstLineTo("irc.net"), "PASS pw");
    EXPECT_EQ(app.settings.SaslPassword, "pw2");
    EXPECT_EQ(FirstLineTo("irc.example"), "PASS secret");

    // A login typed later goes to the keyring too.
    host.dialogs.propertiesAnswers.push_back([](CSettings& v, const auto&) {
        v.SaslPassword = "new one";
        return true;
    });
    app.Properties(0);
    EXPECT_EQ(host.secrets.stored["irc.example sasl"], "new one");
    EXPECT_EQ(app.ini.ReadString("SERVER", "SaslPassword", ""), "{keyring}");

    // A keyring that lost the password: the mark reads as none, said once.
    host.secrets.stored.clear();
    EXPECT_EQ(FirstLineTo("irc.net"), "CAP LS 302");
    EXPECT_TRUE(
        Showed("** The password of irc.net is in the desktop's keyring, which cannot give "
               "it (not found)"));
}

class PasswordsWithoutKeyring : public Passwords {
protected:
    PasswordsWithoutKeyring() { keyring_ = false; }
};

TEST_F(PasswordsWithoutKeyring, StayInTheFilesWithOneLine) {
    EXPECT_TRUE(
        Showed("** No desktop keyring (Secret Service) answers: passwords stay in zorl.ini "
               "and servers.ini, which only you can read"));
    EXPECT_EQ(app.ini.ReadString("SERVER", "Password", ""), "secret");
    EXPECT_EQ(app.ini.ReadList("servers.ini", "Servers")[0],
              "NetSERVER:irc.net:6667:pwSASL:amy:pw2");
    EXPECT_EQ(FirstLineTo("irc.net"), "PASS pw");
}

}  // namespace
}  // namespace zorl
