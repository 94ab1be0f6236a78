// Start-up: directories, ini files, settings, lists, the status window; and
// the small commands of the application object.
#include <filesystem>
#include <system_error>

#include "app/CZorlApp.h"
#include "app/FirstRun.h"
#include "app/SecretFiles.h"
#include "common/IrcLink.h"
#include "common/PrivateFiles.h"
#include "common/Random.h"
#include "common/Text.h"
#include "config/IniStore.h"
#include "config/KnownServers.h"
#include "config/Passwords.h"
#include "config/Settings.h"
#include "incoming/IgnoreNotify.h"
#include "platform/Platform.h"
#include "script/Aliases.h"
#include "script/EventScripts.h"
#include "session/ServerConnection.h"
#include "windows/LastingHistory.h"
#include "windows/NetworkWindows.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

const char* const kIniFiles[] = {"zorl.ini", "servers.ini", "script.ini", "aliases.ini",
                                 "popups.ini"};
const char* const kSubdirectories[] = {"log", "wav", "download"};

// The configuration directory with "/" appended: the given one, else the
// working directory.
std::string ConfigDirectory(const std::string& given) {
    std::error_code error;
    std::string dir = given.empty() ? std::filesystem::current_path(error).string() : given;
    if (error || dir.empty()) return "./";
    if (dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace

void CZorlApp::InitInstance(bool serverGiven) {
    LoadSettings();
    const bool marked = ConnectMarkedServers(serverGiven);
    // Until a server and a nick are chosen, the one window a new user sees
    // says where to go.
    const bool noServer = settings.m_server_address.empty() && !serverGiven && !marked;
    if (noServer || settings.m_user_mynick.empty()) {
        output.Status(Cls::Info,
                      "To begin, choose a server in Tools > Servers and your nick in Tools > "
                      "Properties, then File > Connect.");
    }
}

void CZorlApp::LoadSettings() {
    // 1. The run-time state, and the server connection's socket object.
    output.SetDebug(false);
    TimerHandle = 0;
    registry.pLastFrm = 0;
    Connection().ResetState();
    random.Seed(platform.clock.TickCount());

    // 2, 3. Folders and files, private to the user when made here (logs,
    // received files and passwords go in them); existing ones are left as
    // they are. Failures here show up later, where they are used.
    config_dir = ConfigDirectory(given_config_dir_);
    ini.SetDirectory(config_dir);
    for (const char* sub : kSubdirectories) CreatePrivateFolder(config_dir + sub);
    for (const char* file : kIniFiles) {
        if (!CreatePrivateFile(config_dir + file)) continue;
        for (const FirstRunList& list : FirstRunLists(file))
            ini.WriteList(file, list.section, list.values);
        for (const FirstRunValue& value : FirstRunValues(file))
            ini.WriteInt(file, value.section, value.key, value.value);
    }

    // 4, 5.
    colours.Build();
    settings.Load(ini);
    settings.FollowColourScheme(ini, platform.surface.PrefersDarkColours());
    settings.Password =
        passwords.Reveal(settings.m_server_address, PasswordKind::Server, settings.Password);
    settings.SaslPassword =
        passwords.Reveal(settings.m_server_address, PasswordKind::Login, settings.SaslPassword);
    settings.ProxyPassword =
        passwords.Reveal(settings.ProxyHost, PasswordKind::Proxy, settings.ProxyPassword);

    // 6.
    aliases.LoadAliases();
    ignoreNotify.LoadNotifyList();
    events.LoadScript();
    ignoreNotify.LoadIgnoreList();

    // 7, 8.
    platform.surface.SetMainTitle("ZORL");
    platform.surface.SetTabbedView(settings.Tabs != 0);
    platform.surface.SetWindowTree(settings.WindowTree != 0);
    platform.surface.SetTrayIcon(settings.Tray != 0);
    const std::string historyNotice = output.Lasting().Start();
    if (const ChannelRecord* status =
            registry.NewWindow("", kWindowStatus, Connection().Socket(), true)) {
        registry.pStatusFrm = status->frame;
        registry.UpdateCR(registry.pStatusFrm, "Status", kUpdateTitle);
    }
    if (!historyNotice.empty()) output.Status(Cls::Error, historyNotice);
    MakeSecretFilesPrivate(ini, output);
    passwords.MoveToKeyring(ini);

    // 9, 10.
    Connection().SetState(IDLE);
    TimerHandle = platform.ticker.Start(100, [this] { OnTick(); });
}

void CZorlApp::DebugOn() {
    output.SetDebug(true);
    platform.surface.SetDebugCommands(true);
}

void CZorlApp::DebugOff() {
    output.SetDebug(false);
    platform.surface.SetDebugCommands(false);
}

// The selection of the active output pane, such as "  www.example.org ".
void CZorlApp::OpenLink(const std::string& selection) {
    const std::string link(Trim(selection));
    if (StartsWithNoCase(link, "http://") || StartsWithNoCase(link, "www.")) {
        platform.shell.Open(link);
    }
}

void CZorlApp::LogFiles() {
    std::string path = config_dir + "log/";
    if (platform.dialogs.OpenFile("Log Files (*.log) | *.log||", "log", path)) {
        platform.shell.Open(path);
    }
}

// The entries marked "connect when zorl starts": the first goes out on the
// first network (unless a link on the command line takes it), the others
// open networks of their own; each joins its channels once greeted.
bool CZorlApp::ConnectMarkedServers(bool firstTaken) {
    const std::vector<ServerEntry> marked = ServersToConnectAtStart(ini);
    for (const ServerEntry& entry : marked) {
        if (!firstTaken) {
            firstTaken = true;
            Connection().JoinWhenGreeted(entry.extras.startChannels);
            Connection().SwitchServer(entry.address, entry.ports);
            continue;
        }
        CServerConnection& network = OpenNetwork(networks, registry, entry.address, entry.ports);
        network.JoinWhenGreeted(entry.extras.startChannels);
    }
    return !marked.empty();
}

// "irc://irc.example.net:6668/#zorl": the server becomes the chosen one for
// this run (zorl.ini keeps the user's own choice), as with /server; an
// ircs:// link connects over TLS.
void CZorlApp::ConnectToLink(const std::string& text) {
    const std::optional<IrcLink> link = ParseIrcLink(text);
    if (!link) {
        output.Print(nullptr, "", Cls::UError, "Not an irc:// link: " + text);
        return;
    }
    Connection().JoinWhenGreeted(link->channel);
    Connection().SwitchServer(link->host, (link->tls ? "+" : "") + std::to_string(link->port));
}

}  // namespace zorl
