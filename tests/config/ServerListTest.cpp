// The server list in servers.ini and the Servers dialog's operations, with
// the dialog answered as a user would.
#include <gtest/gtest.h>

#include "common/ProxyHandshake.h"
#include "config/IniStore.h"
#include "config/ServerList.h"
#include "config/Settings.h"
#include "session/ServerConnection.h"
#include "support/AppFixture.h"

namespace zorl {
namespace {

#define SHA256 "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF"

TEST(ServerEntryTest, ValuesAndEntriesRoundTrip) {
    const struct {
        const char* value;
        ServerEntry entry;
    } rows[] = {
        {"NetASERVER:server-a:6667,7000GROUP:Europe",
         {"NetA", "server-a", "6667,7000", "", "Europe"}},
        {"My netSERVER:irc.x:6667:pw", {"My net", "irc.x", "6667", "pw", ""}},
        {"PlainSERVER:h:6665-6669", {"Plain", "h", "6665-6669", "", ""}},
        {"BothSERVER:h:6667:p:wGROUP:Far away", {"Both", "h", "6667", "p:w", "Far away"}},
        // The extras sit between the password and the group.
        {"NetASERVER:irc.a:6667,+6697:pw:xPIN:" SHA256 "NOTLS:SASL:joe:se:cretGROUP:Europe",
         {"NetA", "irc.a", "6667,+6697", "pw:x", "Europe", {SHA256, "joe", "se:cret", true}}},
        {"NetBSERVER:irc.b:+6697SASL:joe:",
         {"NetB", "irc.b", "+6697", "", "", {"", "joe", "", false}}},
        {"NetCSERVER:irc.c:6667:pwAUTO:#a,#bPIN:" SHA256 "GROUP:Home",
         {"NetC",
          "irc.c",
          "6667",
          "pw",
          "Home",
          {SHA256, "", "", false, "", false, true, "#a,#b"}}},
        {"NetDSERVER:irc.d:6667AUTO:",
         {"NetD", "irc.d", "6667", "", "", {"", "", "", false, "", false, true, ""}}},
        {"TorSERVER:abc.onion:6667PROXY:socks5:[::1]:9050SASL:joe:pw",
         {"Tor",
          "abc.onion",
          "6667",
          "",
          "",
          {"", "joe", "pw", false, "", false, false, "", "socks5:[::1]:9050"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(ParseServerEntry(row.value), row.entry);
        EXPECT_EQ(FormatServerEntry(row.entry), row.value);
        EXPECT_EQ(ServerEntryProblem(row.entry), "");
    }
    EXPECT_EQ(ParseServerEntry("no marker: here"),
              (ServerEntry{"no marker: here", "", "", "", ""}));
}

// A server's own proxy stands for the one of all; it logs in with that
// one's user and password only when it is the same host and port.
TEST(ServerEntryTest, AServersOwnProxyStandsForTheOneOfAll) {
    CSettings settings;
    settings.ProxyType = "socks5";
    settings.ProxyHost = "127.0.0.1";
    settings.ProxyPort = 1080;
    settings.ProxyUser = "u";
    settings.ProxyPassword = "p";
    const ProxyRoute all{ProxyType::Socks5, "127.0.0.1", 1080, "u", "p"};
    const struct {
        const char* own;
        ProxyRoute route;
    } rows[] = {
        {"", all},
        {"none", {}},
        {"http:proxy.lan:3128", {ProxyType::Http, "proxy.lan", 3128, "", ""}},
        {"socks5:127.0.0.1:1080", all},
        {"socks5:[::1]:9050", {ProxyType::Socks5, "::1", 9050, "", ""}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.own);
        settings.ServerProxy = row.own;
        EXPECT_EQ(ProxyOf(settings), row.route);
    }
}

TEST(ServerEntryTest, ExtrasThatWouldNotReadBackAreRefused) {
    const std::string print(64, 'a');
    const struct {
        ServerEntry entry;
        const char* problem;
    } rows[] = {
        {{"n", "h", "1", "aSASL:b", ""}, "The password must not contain \"SASL:\"."},
        {{"n", "h", "1", "NOTLS:", ""}, "The password must not contain \"NOTLS:\"."},
        {{"n", "h", "1", "", "", {"", "joe:x", "pw", false}},
         "The login account must not contain \":\"."},
        {{"n", "h", "1", "", "", {"", "", "pw", false}}, "A login password needs a login account."},
        {{"n", "h", "1", "", "", {"", "joe", "xGROUP:y", false}},
         "No field may contain \"GROUP:\"."},
        {{"n", "h", "1", "", "", {"AB:CD", "", "", false}},
         "The fingerprint must have 64 hex digits (SHA-256)."},
        {{"n", "h", "1", "", "", {print + "SASL:", "", "", false}},
         "The fingerprint must be hex digits (SHA-256), in pairs or not."},
        {{"n", "h", "1", "", "", {print, "joe", "", true}}, ""},
        {{"n", "h", "1", "", "", {"", "", "", false, "", false, true, "#a #b"}},
         "The channels to join must be separated by commas, without blanks or \":\"."},
        {{"n", "h", "1", "", "", {"", "", "", false, "", false, false, "", "socks4:h:1"}},
         "The proxy must be socks5:host:port, http:host:port or none."},
        {{"n", "h", "1", "", "", {"", "", "", false, "", false, false, "", "http:h:0"}},
         "The proxy must be socks5:host:port, http:host:port or none."},
        {{"n", "h", "1", "", "", {"", "", "", false, "", false, false, "", "none"}}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.problem);
        EXPECT_EQ(ServerEntryProblem(row.entry), row.problem);
    }
}

class ServerListTest : public test::AppFixture {
protected:
    void WriteServers(const std::string& values) {
        dir.WriteFile("servers.ini", "[Servers]\n" + values);
    }
    CServerList Loaded(const std::string& preset = "") {
        CServerList list(app.ini, host.dialogs);
        list.result.name = preset;
        list.LoadList();
        return list;
    }
    std::vector<std::string> Stored() { return app.ini.ReadList("servers.ini", "Servers"); }
    std::string SelectedName(const CServerList& list) {
        return list.Selected() < 0 ? "(none)" : list.Names()[list.Selected()];
    }
};

TEST_F(ServerListTest, LoadStopsAtAnEmptyValueAndSelectsByPrefix) {
    WriteServers("n0=ASERVER:server-a:6667\nn1=\nn2=BSERVER:server-b:6667\n");
    EXPECT_EQ(Loaded().Names(), std::vector<std::string>{"A"});

    WriteServers("n0=EFnetSERVER:e:6667\nn1=IRCnetSERVER:i:6667\nn2=irc2SERVER:j:6667\n");
    EXPECT_EQ(SelectedName(Loaded("irc")), "IRCnet");
    EXPECT_EQ(SelectedName(Loaded("elsewhere")), "EFnet");
}

TEST_F(ServerListTest, ChangesAreSavedSortedAndSurplusKeysCleared) {
    WriteServers(
        "n0=zSERVER:z:1GROUP:Zeta\nn1=ySERVER:y:1\nn2=xSERVER:x:1GROUP:alpha\n"
        "n3=wSERVER:w:1GROUP:Zeta\nn4=vSERVER:v:1\n");
    CServerList list = Loaded("x");
    host.dialogs.boxAnswers = {BoxAnswer::Yes};
    list.Delete();
    EXPECT_EQ(host.dialogs.boxes.back(), "Delete server. Are you sure?");
    EXPECT_EQ(Stored(),
              (std::vector<std::string>{"vSERVER:v:1", "ySERVER:y:1", "wSERVER:w:1GROUP:Zeta",
                                        "zSERVER:z:1GROUP:Zeta"}));
    EXPECT_EQ(dir.ReadFile("servers.ini").find("n4="), std::string::npos);
    EXPECT_EQ(SelectedName(list), "w");  // the item now at the deleted one's place

    // A name already there is replaced, and shown twice until the next opening.
    host.dialogs.editAnswers = {ServerEntry{"y", "new-y", "7000", "", ""}};
    list.Add();
    EXPECT_EQ(list.Names(), (std::vector<std::string>{"z", "y", "w", "v", "y"}));
    EXPECT_EQ(list.Find("y")->address, "new-y");
    EXPECT_EQ(Stored().size(), 4u);

    // Edit renames in place in the map and moves the name to the end.
    list.Select(0);
    host.dialogs.editAnswers = {ServerEntry{"Zed", "z", "1", "pw", ""}};
    list.Edit();
    EXPECT_EQ(host.dialogs.editShown.back(), (ServerEntry{"z", "z", "1", "", "Zeta"}));
    EXPECT_EQ(list.Names(), (std::vector<std::string>{"y", "w", "v", "y", "Zed"}));
    EXPECT_EQ(SelectedName(list), "Zed");
    EXPECT_EQ(Stored(), (std::vector<std::string>{"vSERVER:v:1", "ySERVER:new-y:7000",
                                                  "ZedSERVER:z:1:pw", "wSERVER:w:1GROUP:Zeta"}));
}

// What would not read back as typed is refused with the fields kept; an
// entry without a name or address is dropped without a word.
TEST_F(ServerListTest, AddRefusesFieldsThatWouldNotReadBack) {
    CServerList list = Loaded();
    const std::size_t before = list.Names().size();
    const std::string typedPrint = "ab cd" + std::string(60, 'e');
    host.dialogs.editAnswers = {
        ServerEntry{"v6", "::1", "6667", "", ""},
        ServerEntry{"v6", "localhost", "6667", "", "", {typedPrint, "", "", false}}};
    list.Add();
    EXPECT_EQ(host.dialogs.boxes, std::vector<std::string>{"The address must not contain \":\"."});
    EXPECT_EQ(host.dialogs.editShown.back().address, "::1");
    EXPECT_EQ(list.Names().size(), before + 1);
    EXPECT_EQ(list.Find("v6")->extras.fingerprint, NormalFingerprint(typedPrint));
    EXPECT_EQ(list.Find("v6")->extras.fingerprint.substr(0, 9), "AB:CD:EE:");

    host.dialogs.editAnswers = {ServerEntry{"no address", "", "6667", "", ""}};
    list.Add();
    EXPECT_EQ(list.Names().size(), before + 1);
    EXPECT_EQ(host.dialogs.boxes.size(), 1u);
}

TEST_F(ServerListTest, OkMakesTheSelectionTheServerToConnectTo) {
    WriteServers("n0=LocalSERVER:127.0.0.1:6667,6668:letmeinPIN:AB:CDSASL:joe:pwGROUP:Home\n");
    host.dialogs.serversAnswers = {[](CServerList&) { return false; }};
    app.ChooseServer();
    EXPECT_EQ(app.settings.m_server_address, "");

    host.dialogs.serversAnswers = {[](CServerList&) { return true; }};
    app.ChooseServer();
    EXPECT_EQ(app.settings.m_server_name, "Local");
    EXPECT_EQ(app.settings.m_server_address, "127.0.0.1");
    EXPECT_EQ(app.settings.m_server_ports, "6667,6668");
    EXPECT_EQ(app.settings.Password, "letmein");
    EXPECT_EQ(app.ini.ReadString("SERVER", "Address", ""), "127.0.0.1");
    EXPECT_EQ(app.ini.ReadString("SERVER", "Name", ""), "Local");
    EXPECT_EQ(app.ini.ReadString("SERVER", "Ports", ""), "6667,6668");
    EXPECT_EQ(app.ini.ReadString("SERVER", "Password", ""), "letmein");
    EXPECT_EQ(app.settings.Fingerprint, "AB:CD");
    EXPECT_EQ(app.ini.ReadString("SERVER", "SaslAccount", ""), "joe");
    EXPECT_EQ(app.ini.ReadString("SERVER", "SaslPassword", ""), "pw");

    // OK on an empty list keeps the name and empties the rest.
    WriteServers("");
    host.dialogs.serversAnswers = {[](CServerList&) { return true; }};
    app.ChooseServer();
    EXPECT_EQ(app.settings.m_server_name, "Local");
    EXPECT_EQ(app.settings.m_server_address, "");
    EXPECT_EQ(app.settings.Password, "");
    EXPECT_EQ(app.settings.SaslAccount, "");
}

TEST_F(ServerListTest, ConnectWithoutAServerOpensTheList) {
    app.settings.m_user_mynick = "me";
    app.settings.User = "me";
    app.settings.m_server_address = "";
    app.Connection().OnButtonConnect();
    EXPECT_EQ(host.dialogs.boxes, std::vector<std::string>{"Please choose a valid server"});
    EXPECT_EQ(host.dialogs.serversShown, 1);
    EXPECT_EQ(app.Connection().State(), IDLE);
}

}  // namespace
}  // namespace zorl
