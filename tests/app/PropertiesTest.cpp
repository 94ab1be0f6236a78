// The properties dialog as the engine drives it: preset answers fill the
// pages, then what was written, applied and sent.
#include <gtest/gtest.h>

#include "app/FileEditors.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "incoming/IncomingFixture.h"
#include "script/EventScripts.h"
#include "session/NotifyTimer.h"

namespace zorl {
namespace {

using Edit = std::function<void(FilesEditor)>;
using Strings = std::vector<std::string>;

class Properties : public test::AppFixture {};

TEST_F(Properties, ConnectWithoutANickOpensTheFirstPageAndOnlyOkWritesEveryValue) {
    const std::string untouched = dir.ReadFile("zorl.ini");
    host.dialogs.propertiesAnswers.push_back([](CSettings& v, const Edit&) {
        v.m_user_mynick = "joe";
        return false;
    });
    PressConnect();
    EXPECT_EQ(host.dialogs.boxes, Strings{"Please choose a valid nickname and username"});
    EXPECT_EQ(host.dialogs.propertiesPages, std::vector<int>{0});
    EXPECT_EQ(dir.ReadFile("zorl.ini"), untouched);
    EXPECT_EQ(app.settings.m_user_mynick, "");

    CSettings chosen;
    host.dialogs.propertiesAnswers.push_back([&chosen](CSettings& v, const Edit&) {
        v.m_user_mynick = "joe";
        v.User = "joe";
        v.RealName = "Joe Bloggs";
        v.Email = "joe@example.org";
        v.Finger = "hands off";
        v.Quit = "bye";
        v.BGColor = 1;
        v.BGColor2 = 2;
        v.FontName = "DejaVu Sans Mono";
        v.FontSize = 12;
        v.CharSet = 0;
        v.Color.UError = 255;
        v.Color.Time = 3;
        v.NickCommand = "/whois $nick";
        v.TimeStamp = 1;
        v.ExtWho = 0;
        v.MaxLines = 50;
        v.ExtDebug = 1;
        v.DebugWindow = 0;
        v.SaslAccount = "joe";
        v.SaslPassword = "se:cret";
        v.SaslWithoutTls = 1;
        chosen = v;
        return true;
    });
    PressConnect();
    EXPECT_TRUE(app.settings == chosen);
    CSettings reread;
    reread.Load(app.ini);
    reread.FollowColourScheme(app.ini, false);  // the colours left alone follow the desktop
    EXPECT_TRUE(reread == chosen) << dir.ReadFile("zorl.ini");
    const std::vector<int>& hints = host.surface.Recording(FrameOf("")).hints;
    EXPECT_NE(std::find(hints.begin(), hints.end(), kHintFont | kHintBackground), hints.end());

    PressConnect();
    EXPECT_EQ(host.dialogs.boxes.back(), "Please choose a valid server");
}

// The login belongs to the chosen server: its servers.ini entry keeps it, so
// choosing that server again does not lose it.
TEST_F(Properties, LoginIsKeptInTheChosenServersEntry) {
    app.ini.WriteList("servers.ini", "Servers",
                      {"LabSERVER:irc.lab:+6697PIN:AB:CDGROUP:Home", "OtherSERVER:o:6667"});
    app.settings.m_server_name = "Lab";
    app.settings.m_server_address = "irc.lab";
    auto login = [this](const char* account, const char* password) {
        host.dialogs.propertiesAnswers.push_back([=](CSettings& v, const Edit&) {
            v.SaslAccount = account;
            v.SaslPassword = password;
            return true;
        });
        app.Properties(0);
    };
    login("joe:x", "pw");
    EXPECT_EQ(host.dialogs.boxes,
              Strings{"The login account must not contain \":\". The login was not changed."});
    EXPECT_EQ(app.settings.SaslAccount, "");

    login("joe", "pw");
    EXPECT_EQ(
        app.ini.ReadList("servers.ini", "Servers"),
        (Strings{"LabSERVER:irc.lab:+6697PIN:AB:CDSASL:joe:pwGROUP:Home", "OtherSERVER:o:6667"}));
    host.dialogs.serversAnswers = {[](CServerList&) { return true; }};
    app.ChooseServer();
    EXPECT_EQ(app.settings.SaslAccount, "joe");
    EXPECT_EQ(app.settings.Fingerprint, "AB:CD");

    // Reached by a link, another host keeps its own login in an entry of its
    // own; the saved server's is untouched.
    app.ConnectToLink("irc://irc.away:7000");
    EXPECT_EQ(app.settings.SaslAccount, "");
    login("amy", "pw2");
    EXPECT_EQ(app.ini.ReadList("servers.ini", "Servers"),
              (Strings{"LabSERVER:irc.lab:+6697PIN:AB:CDSASL:joe:pwGROUP:Home",
                       "OtherSERVER:o:6667", "irc.awaySERVER:irc.away:7000SASL:amy:pw2"}));
    EXPECT_EQ(app.ini.ReadString("SERVER", "SaslAccount", ""), "joe");
}

TEST_F(Properties, FileEditorsKeepLineEndsAndStayInTheFolder) {
    dir.WriteFile("script.ini", "[Script]\n; old\n");
    host.dialogs.textEditAnswers.push_back("[Script]\r\nPRIVMSG * /echo hi\r\n");
    app.EditScripts();
    EXPECT_EQ(host.dialogs.textEditShown, Strings{"[Script]\r\n; old\r\n"});
    EXPECT_EQ(dir.ReadFile("script.ini"), "[Script]\nPRIVMSG * /echo hi\n");
    EXPECT_EQ(app.events.ScriptLines(), Strings{"PRIVMSG * /echo hi"});

    const struct {
        const char* name;
        const char* box;  // "": edited
    } cases[] = {
        {"notes.txt", ""},
        {"../outside.txt", "Only files in the configuration folder can be edited: ../outside.txt"},
        {"/etc/hostname", "Only files in the configuration folder can be edited: /etc/hostname"},
        {"log/../../x", "Only files in the configuration folder can be edited: log/../../x"},
        {"log", "Error writing file log"},  // a folder
    };
    CFileEditors editors(app);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.dialogs.boxes.clear();
        host.dialogs.inputAnswers.push_back(c.name);
        host.dialogs.textEditAnswers.push_back("text\r\n");
        editors.Edit(FilesEditor::Textfile);
        EXPECT_EQ(host.dialogs.boxes, *c.box ? Strings{c.box} : Strings{});
        host.dialogs.textEditAnswers.clear();
    }
    EXPECT_EQ(dir.ReadFile("notes.txt"), "text\n");
}

class PropertiesConnected : public test::IncomingTest {};

// The notify list edited on the Files page is read again on OK, and the
// notify switch asks for it at once.
TEST_F(PropertiesConnected, NickChangeSendsOneNickAndTheServerConfirmsIt) {
    dir.WriteFile("zorl.ini", "[NOTIFY]\nn0=v\nn1=w\nn2=x\nn3=y\nn4=z\n");
    host.dialogs.textEditAnswers.push_back("alice\r\n\r\nbob\r\n");
    host.dialogs.propertiesAnswers.push_back([](CSettings& v, const Edit& edit) {
        edit(FilesEditor::Notify);
        v.m_user_mynick = "me2";
        v.Notify = 1;
        return true;
    });
    app.Properties(0);
    EXPECT_EQ(host.dialogs.textEditShown, Strings{"v\r\nw\r\nx\r\ny\r\nz\r\n"});
    ExpectSent({"NICK me2", "ISON alice bob"});
    EXPECT_EQ(app.ini.ReadList("zorl.ini", "NOTIFY"), (Strings{"alice", "bob"}));
    EXPECT_EQ(dir.ReadFile("zorl.ini").find("n2="), std::string::npos);
    EXPECT_EQ(app.settings.m_user_mynick, "me");
    Recv(":me!u@client NICK :me2");
    EXPECT_EQ(app.settings.m_user_mynick, "me2");

    // OK again with nothing changed: no NICK, and the running check is not
    // started over.
    Clear();
    host.dialogs.propertiesAnswers.push_back([](CSettings&, const Edit&) { return true; });
    app.Properties(0);
    ExpectNothingSent();
    EXPECT_TRUE(app.Connection().NotifyTimer().Running());
}

}  // namespace
}  // namespace zorl
