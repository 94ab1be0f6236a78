// Start-up in a folder, the settings read from zorl.ini, the colour tables
// and the small commands of the application object.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "config/IniStore.h"
#include "config/ServerList.h"
#include "config/Settings.h"
#include "session/IrcSocket.h"
#include "support/AppFixture.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

class Startup : public test::AppFixture {};

TEST_F(Startup, EmptyFolderGetsFoldersFilesAndTheStatusWindow) {
    for (const char* folder : {"log", "wav", "download"}) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / folder));
    }
    for (const char* file :
         {"zorl.ini", "servers.ini", "script.ini", "aliases.ini", "popups.ini"}) {
        SCOPED_TRACE(file);
        ASSERT_TRUE(std::filesystem::is_regular_file(dir.Path() / file));
    }
    EXPECT_EQ(dir.ReadFile("zorl.ini"),
              "[OPTIONS]\nTabs=1\nWindowTree=1\nRepliesInWindow=1\nHistory=1\nPasteGuard="
              "1\nAlertMention=1\nAlertPrivate=1\nAlertDcc=1\nTray=1\nChannelHeader=1\nSpellCheck="
              "1\nFollowDesktop=1\nChannelBrowser=1\nTimeStamp=1\nConversationView=1\n");
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "script.ini"), 0u);
    EXPECT_EQ(app.config_dir, dir.Path().string() + "/");
    EXPECT_EQ(app.ini.Directory(), app.config_dir);

    EXPECT_EQ(host.surface.mainTitle, "ZORL");
    ASSERT_EQ(app.registry.Records().size(), 1u);
    const ChannelRecord& status = app.registry.Records()[0];
    EXPECT_EQ(status.frame, app.registry.pStatusFrm);
    EXPECT_EQ(status.type, kWindowStatus);
    EXPECT_EQ(status.name, "");
    EXPECT_EQ(status.title, "Status");
    EXPECT_EQ(status.socket, app.Connection().Socket());
    EXPECT_EQ(host.surface.Frame(status.frame)->caption, "Status");
    EXPECT_TRUE(host.surface.Frame(status.frame)->shown);
    EXPECT_EQ(host.surface.buttons[0].caption, "Status");
    EXPECT_EQ(app.registry.pLastFrm, status.frame);

    EXPECT_EQ(app.Connection().State(), IDLE);
    ASSERT_NE(app.Connection().Socket(), nullptr);
    EXPECT_EQ(app.Connection().Socket()->type, kSocketNone);
    EXPECT_FALSE(app.output.DebugOn());
    EXPECT_TRUE(host.ticker.running);
    EXPECT_EQ(host.ticker.period, 100);
    EXPECT_NE(app.TimerHandle, 0);
    host.ticker.Tick(3);
    EXPECT_TRUE(host.dialogs.boxes.empty());
}

// A new user finds public networks to pick from and the short commands
// every IRC user types.
TEST_F(Startup, FirstRunFilesHoldNetworksAndEverydayAliases) {
    // A new folder shows its windows as tabs.
    EXPECT_EQ(app.ini.ReadInt("OPTIONS", "Tabs", 0), 1);
    EXPECT_TRUE(host.surface.tabs);
    const std::vector<std::string> networks = app.ini.ReadList("servers.ini", "Servers");
    EXPECT_GE(networks.size(), 5u);
    for (const std::string& value : networks) {
        SCOPED_TRACE(value);
        const ServerEntry entry = ParseServerEntry(value);
        EXPECT_FALSE(entry.address.empty() || entry.ports.empty() || entry.group.empty());
        EXPECT_EQ(FormatServerEntry(entry), value);
    }

    app.settings.m_user_mynick = app.settings.User = "me";
    app.settings.m_server_address = "irc.example";
    auto server = ConnectServer();
    const FrameId chan = Open("#chan", kWindowChannel);
    const struct {
        const char* typed;
        const char* sent;
    } rows[] = {
        {"/msg joe hi there", "PRIVMSG joe :hi there"},
        {"/me waves",
         "PRIVMSG #chan :\x01"
         "ACTION waves\x01"},
        {"/j #new key", "JOIN #new :key"},
        {"/w joe", "whois joe"},
        {"/n joe psst", "NOTICE joe :psst"},
        {"/k joe go away", "kick #chan joe :go away"},
        {"/op joe", "mode #chan +o joe"},
        {"/deop joe", "mode #chan -o joe"},
        {"/v joe", "mode #chan +v joe"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        host.Elapse(kFreshBurst);
        server->sent.clear();
        app.SendString(chan, row.typed);
        EXPECT_EQ(server->sent, std::string(row.sent) + "\r\n") << Transcript();
    }
    app.SendString(chan, "/q joe");
    EXPECT_NE(FrameOf("joe"), 0u);
}

// The program's start: a new user is told where to begin, once.
TEST(ProgramStart, NewUserIsToldHowToConnect) {
    const struct {
        const char* ini;
        bool link;
        bool told;
    } rows[] = {
        {"", false, true},
        {"", true, true},  // the link gives a server, not a nick
        {"[USER]\nNick=joe\n", true, false},
        {"[USER]\nNick=joe\n[SERVER]\nAddress=irc.example.net\n", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.ini) + (row.link ? " with a link" : ""));
        test::TempWorkDir cwd;
        cwd.WriteFile("zorl.ini", row.ini);
        test::HeadlessHost host;
        CZorlApp app(host.platform);
        app.InitInstance(row.link);
        const std::vector<std::string> shown =
            host.surface.Recording(app.registry.pStatusFrm).Lines();
        if (!row.told) {
            EXPECT_TRUE(shown.empty());
        } else {
            EXPECT_EQ(shown, std::vector<std::string>{
                                 "To begin, choose a server in Tools > Servers and your nick in "
                                 "Tools > Properties, then File > Connect."});
        }
        app.CloseAllWindows();
    }
}

std::filesystem::perms ModeOf(const std::filesystem::path& path) {
    return std::filesystem::status(path).permissions() & std::filesystem::perms::all;
}

// Under the umask many desktops set, what zorl makes is still the user's
// alone, and a rewrite keeps it so.
class StartupUnderOpenUmask : public test::AppFixture {
protected:
    void SetUp() override {
        previous_ = ::umask(022);
        AppFixture::SetUp();
    }
    void TearDown() override { ::umask(previous_); }

private:
    mode_t previous_ = 0;
};

TEST_F(StartupUnderOpenUmask, FoldersFilesAndLogsArePrivate) {
    using std::filesystem::perms;
    app.ini.WriteKey("SERVER", "Password", "secret");
    app.ini.WriteKey("new.ini", "A", "k", "v");
    app.settings.LogChannels = 1;
    Open("#c", kWindowChannel);
    for (const char* folder : {"log", "wav", "download"}) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(ModeOf(dir.Path() / folder), perms::owner_all);
    }
    for (const char* file : {"zorl.ini", "servers.ini", "script.ini", "aliases.ini", "popups.ini",
                             "new.ini", "log/#c.log"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(ModeOf(dir.Path() / file), perms::owner_read | perms::owner_write);
    }
}

// A file that holds a password and that other users may read or write is
// made private at start, with one line; any other file keeps its mode.
TEST(ProgramStart, FilesHoldingPasswordsBecomePrivate) {
    using std::filesystem::perms;
    const perms own = perms::owner_read | perms::owner_write;
    const perms open = own | perms::group_read | perms::others_read;
    const struct {
        const char* file;
        const char* content;
        perms before;
        bool madePrivate;
    } rows[] = {
        {"zorl.ini", "[SERVER]\nAddress=irc.a\nPassword=pw\n", open, true},
        {"zorl.ini", "[USER]\nNick=joe\n[SERVER]\nSaslPassword=pw\n", own | perms::group_write,
         true},
        {"zorl.ini", "[SERVER]\nPassword=\nSaslAccount=joe\n[USER]\nPassword=pw\n", open, false},
        {"zorl.ini", "[SERVER]\nPassword=pw\n", own, false},
        {"servers.ini",
         "[Servers]\nn0=NetSERVER:irc.a:6667GROUP:G\nn1=NetSERVER:irc.b:+6697SASL:joe:pwGROUP:G\n",
         open, true},
        {"servers.ini", "[Servers]\nn0=NetSERVER:irc.a:6667:pwGROUP:G\n", open, true},
        {"servers.ini", "[Servers]\nn0=NetSERVER:irc.a:+6697PIN:AB:CDGROUP:G\n", open, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.file) + ": " + row.content);
        test::TempDir dir;
        dir.WriteFile(row.file, row.content);
        std::filesystem::permissions(dir.Path() / row.file, row.before);
        test::HeadlessHost host;
        CZorlApp app(host.platform);
        app.UseConfigDirectory(dir.Path().string());
        app.LoadSettings();
        EXPECT_EQ(ModeOf(dir.Path() / row.file), row.madePrivate ? own : row.before);
        std::vector<std::string> shown;
        for (const std::string& line : host.surface.Recording(app.registry.pStatusFrm).Lines())
            if (line.find("(0600)") != std::string::npos) shown.push_back(line);
        if (row.madePrivate) {
            EXPECT_EQ(shown, std::vector<std::string>{"** " + std::string(row.file) +
                                                      " holds a password and was open to other "
                                                      "users: it is now private (0600)"});
        } else {
            EXPECT_TRUE(shown.empty());
        }
    }
}

class StartupWithFiles : public test::AppFixture {
protected:
    void BeforeStart() override {
        dir.WriteFile("zorl.ini",
                      "[USER]\r\nNick=joe\r\n\r\n[POSITION]\r\nMaximized=1\r\n"
                      "[IGNORE]\r\nn0= *!*@spam \r\nn1=;x\r\nn2=*!*@b\r\n");
        dir.WriteFile("popups.ini", "[Status]\r\nWhois=/whois $nick\r\n");
        std::filesystem::create_directory(dir.Path() / "log");
        dir.WriteFile("log/#old.log", "kept");
    }
};

TEST_F(StartupWithFiles, ExistingFilesAreKept) {
    EXPECT_EQ(dir.ReadFile("popups.ini"), "[Status]\r\nWhois=/whois $nick\r\n");
    EXPECT_EQ(dir.ReadFile("log/#old.log"), "kept");
}

TEST_F(StartupWithFiles, SettingsAndTheIgnoreListAreRead) {
    EXPECT_EQ(app.settings.m_user_mynick, "joe");
    EXPECT_EQ(app.IgnoreList, (std::vector<std::string>{"*!*@spam", "*!*@b"}));
    EXPECT_FALSE(host.surface.tabs);  // a folder of before keeps its frames
}

TEST_F(StartupWithFiles, TheFirstWindowOpensMaximisedWhenTheMainWindowWas) {
    EXPECT_TRUE(host.surface.Frame(app.registry.pStatusFrm)->maximized);
    // Later windows follow the open ones, not the file.
    host.surface.Frame(app.registry.pStatusFrm)->maximized = false;
    FrameId next = Open("#c", kWindowChannel, true);
    EXPECT_FALSE(host.surface.Frame(next)->maximized);
}

TEST_F(Startup, DefaultsOfAnEmptyFile) {
    const CSettings& s = app.settings;
    EXPECT_EQ(s.Password, "");
    struct Colours {
        Cls cls;
        Colour value;
    };
    for (Colours c : {Colours{Cls::Normal, 0x000000},
                      {Cls::Own, 0x800000},
                      {Cls::Action, 0x800080},
                      {Cls::Notice, 0x000080},
                      // A new folder follows the desktop: its light scheme
                      // has a darker red and grey, which read on white.
                      {Cls::CTCP, 0x0000C0},
                      {Cls::Status, 0x595959},
                      {Cls::Info, 0x008000},
                      {Cls::UError, 0x800080},
                      {Cls::Error, 0x808000},
                      {Cls::Flow, 0x800000},
                      {Cls::Time, 0x595959},
                      {Cls::Notify, 0x800000}}) {
        SCOPED_TRACE(static_cast<int>(c.cls));
        EXPECT_EQ(ColourOf(c.cls), c.value);
    }
    EXPECT_EQ(s.BGColor, 0xFFFFFFu);
    EXPECT_EQ(s.DebugWindow, 1);
    EXPECT_EQ(s.ChanNotice, 1);
    EXPECT_EQ(s.ChanCTCP, 1);
}

TEST_F(Startup, EveryKeyIsReadFromItsSection) {
    ReloadSettings(
        "[USER]\r\nMaster=1\r\nNick=joe\r\nRealName=Joe Bloggs\r\nUser=jb\r\nEmail=j@x\r\n"
        "[SERVER]\r\nAddress=irc.x\r\nName=X Net\r\nPorts=6667,7000\r\nPassword=secret\r\n"
        "[REPLY]\r\nFinger=go away\r\nQuit=bye\r\n"
        "[CUSTOM]\r\nBGColor=1\r\nBGColor2=2\r\nFontName=Mono\r\nFontSize=9\r\nCharSet=0\r\n"
        "[COLOR]\r\nNormal=3\r\nOwn=4\r\nAction=5\r\nNotice=255\r\nCTCP=16711680\r\nStatus=6\r\n"
        "Info=7\r\nUError=8\r\nError=9\r\nFlow=10\r\nTime=11\r\nNotify=12\r\n"
        "[COMMANDS]\r\nNickCommand=/whois $nick $nick\r\n"
        "[OPTIONS]\r\nLogChannels=1\r\nLogQuery=1\r\nTimeStamp=1\r\nExtWho=0\r\nMaxLines=50\r\n"
        "ChanConnect=0\r\nChanCTCP=0\r\nChanNotice=0\r\nNotify=1\r\nButtonSize=60\r\n"
        "EditSize=30\r\nNicksSize=90\r\nAutoRejoin=1\r\nAutoReconnect=1\r\nExtMode=1\r\n"
        "NoPing=1\r\nAllowSound=1\r\nTaskbarBlink=1\r\nScriptsQuery=1\r\nExtDebug=1\r\n"
        "RawDebug=1\r\nTimerDebug=1\r\nExtConnect=1\r\nDebugLog=1\r\nDebugWindow=0\r\n");
    const CSettings& s = app.settings;
    EXPECT_EQ(s.Master, 1);
    EXPECT_EQ(s.m_user_mynick, "joe");
    EXPECT_EQ(s.RealName, "Joe Bloggs");
    EXPECT_EQ(s.User, "jb");
    EXPECT_EQ(s.Email, "j@x");
    EXPECT_EQ(s.m_server_address, "irc.x");
    EXPECT_EQ(s.m_server_name, "X Net");
    EXPECT_EQ(s.m_server_ports, "6667,7000");
    EXPECT_EQ(s.Password, "secret");
    EXPECT_EQ(s.Finger, "go away");
    EXPECT_EQ(s.Quit, "bye");
    EXPECT_EQ(s.BGColor, 1u);
    EXPECT_EQ(s.BGColor2, 2u);
    EXPECT_EQ(s.FontName, "Mono");
    EXPECT_EQ(s.FontSize, 9);
    EXPECT_EQ(s.CharSet, 0);
    // «Notice=255» is red, 16711680 is blue (red is the low byte).
    EXPECT_EQ(ColourOf(Cls::Notice), 0x0000FFu);
    EXPECT_EQ(ColourOf(Cls::CTCP), 0xFF0000u);
    const Colour others[] = {ColourOf(Cls::Normal), ColourOf(Cls::Own),  ColourOf(Cls::Action),
                             ColourOf(Cls::Status), ColourOf(Cls::Info), ColourOf(Cls::UError),
                             ColourOf(Cls::Error),  ColourOf(Cls::Flow), ColourOf(Cls::Time),
                             ColourOf(Cls::Notify)};
    for (std::size_t i = 0; i < std::size(others); ++i) EXPECT_EQ(others[i], i + 3) << i;
    EXPECT_EQ(s.NickCommand, "/whois $nick $nick");
    const int flags[] = {s.LogChannels, s.LogQuery,      s.TimeStamp,    s.Notify,
                         s.AutoRejoin,  s.AutoReconnect, s.ExtMode,      s.NoPing,
                         s.AllowSound,  s.TaskbarBlink,  s.ScriptsQuery, s.ExtDebug,
                         s.RawDebug,    s.TimerDebug,    s.ExtConnect,   s.DebugLog};
    for (std::size_t i = 0; i < std::size(flags); ++i) EXPECT_EQ(flags[i], 1) << i;
    const int cleared[] = {s.ExtWho, s.ChanConnect, s.ChanCTCP, s.ChanNotice, s.DebugWindow};
    for (std::size_t i = 0; i < std::size(cleared); ++i) EXPECT_EQ(cleared[i], 0) << i;
    EXPECT_EQ(s.MaxLines, 50);
    EXPECT_EQ(s.ButtonSize, 60);
    EXPECT_EQ(s.EditSize, 30);
    EXPECT_EQ(s.NicksSize, 90);

    // The colour reaches the screen.
    app.output.ShowIncoming(Server(), "bob", "joe", kKindNotice, "hi");
    ExpectShown("", 0x0000FF, "-bob- hi");
}

TEST_F(Startup, ColourTables) {
    struct Entry {
        const char* code;
        Colour colour;
    };
    for (Entry e : {Entry{"0", 0xFFFFFF},
                    {"1", 0x000000},
                    {"2", 0x800000},
                    {"3", 0x008000},
                    {"4", 0x0000FF},
                    {"5", 0x004080},
                    {"6", 0x800080},
                    {"7", 0x0080FF},
                    {"8", 0x00FFFF},
                    {"9", 0x00FF00},
                    {"10", 0x808000},
                    {"11", 0xFFFF00},
                    {"12", 0xFF0000},
                    {"13", 0xFF00FF},
                    {"14", 0x808080},
                    {"15", 0xC0C0C0}}) {
        SCOPED_TRACE(e.code);
        ASSERT_EQ(app.colours.irc.count(e.code), 1u);
        EXPECT_EQ(app.colours.irc.at(e.code), e.colour);
    }
    EXPECT_EQ(app.colours.irc.size(), 16u);
    EXPECT_EQ(app.colours.irc.count("04"), 0u);
    for (Entry e : {Entry{"30", 0x000000},
                    {"31", 0x0000FF},
                    {"32", 0x008000},
                    {"33", 0x004080},
                    {"34", 0x800000},
                    {"35", 0x800080},
                    {"36", 0x808000},
                    {"37", 0xC0C0C0}}) {
        SCOPED_TRACE(e.code);
        ASSERT_EQ(app.colours.ansi.count(e.code), 1u);
        EXPECT_EQ(app.colours.ansi.at(e.code), e.colour);
    }
    EXPECT_EQ(app.colours.ansi.size(), 8u);
}

TEST_F(Startup, OpenLinkOpensWebLinksOnly) {
    struct Row {
        const char* selection;
        const char* opened;  // null: nothing
    };
    for (Row row : {Row{"  WWW.example.org \t", "WWW.example.org"},
                    Row{"http://example.org/a b", "http://example.org/a b"},
                    Row{"HTTP://X", "HTTP://X"}, Row{"ftp://example.org", nullptr},
                    Row{"see www.example.org", nullptr}, Row{"", nullptr}, Row{"   ", nullptr}}) {
        SCOPED_TRACE(row.selection);
        host.shell.opened.clear();
        app.OpenLink(row.selection);
        if (row.opened) {
            EXPECT_EQ(host.shell.opened, (std::vector<std::string>{row.opened}));
        } else {
            EXPECT_TRUE(host.shell.opened.empty());
        }
    }
}

TEST_F(Startup, LogFilesOpensTheChosenFile) {
    host.dialogs.fileAnswers = {std::nullopt, app.config_dir + "log/#c.log"};
    app.LogFiles();
    EXPECT_EQ(host.dialogs.fileFolders, std::vector<std::string>{app.config_dir + "log/"});
    EXPECT_TRUE(host.shell.opened.empty()) << "cancelled";
    app.LogFiles();
    EXPECT_EQ(host.shell.opened, (std::vector<std::string>{app.config_dir + "log/#c.log"}));
}

}  // namespace
}  // namespace zorl
