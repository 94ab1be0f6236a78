// The properties dialog: the settings it edits are a copy, applied step by
// step on OK; and the script editor command.
#include "app/CZorlApp.h"

#include <algorithm>
#include <span>

#include "app/FileEditors.h"
#include "app/SecretFiles.h"
#include "common/Speakers.h"
#include "config/HostChoice.h"
#include "config/IniStore.h"
#include "config/Passwords.h"
#include "config/ServerExtras.h"
#include "config/Settings.h"
#include "incoming/IgnoreNotify.h"
#include "platform/Platform.h"
#include "script/Aliases.h"
#include "script/EventScripts.h"
#include "script/Timers.h"
#include "session/Networks.h"
#include "session/NotifyTimer.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/LastingHistory.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {
namespace {

// Once the server has welcomed us the nick changes when it confirms the
// NICK (the dispatcher knows the reply by the old nick); before that, and
// offline, at once. zorl.ini keeps the nick the user chose either way.
void ChangeNick(CZorlApp& app, const std::string& nick) {
    const bool connected = app.Connection().State() == CONNECTED;
    if (connected && !nick.empty())
        app.Connection().SendLine(app.Connection().Socket(), "NICK " + nick, false);
    if (connected && app.Connection().Registered() && !nick.empty()) {
        // Not ours yet: the setting changes when the server confirms it.
        app.ini.WriteString("USER", "Nick", nick);
        return;
    }
    app.Connection().SetOwnNick(nick);
}

void ApplyUser(CZorlApp& app, const std::string& shownNick, const CSettings& values) {
    CSettings& settings = app.settings;
    for (std::string CSettings::*field : {&CSettings::RealName, &CSettings::User, &CSettings::Email,
                                          &CSettings::Finger, &CSettings::Quit}) {
        settings.*field = values.*field;
        SaveSetting(app.ini, settings, field);
    }
    // Compared with what the dialog showed: a nick the server gave us while
    // it was open is not taken back by an untouched field.
    if (values.m_user_mynick != shownNick) ChangeNick(app, values.m_user_mynick);
}

// A login that would not read back from the server list is not taken; the
// rest of the dialog is.
void ApplyLogin(CZorlApp& app, const CSettings& values) {
    const ServerExtras login = LoginOf(values);
    if (login == LoginOf(app.settings)) return;
    const std::string problem = ServerExtrasProblem(login);
    if (!problem.empty()) {
        app.platform.dialogs.MessageBox(problem + " The login was not changed.",
                                        BoxIcon::Exclamation);
        return;
    }
    ChangeLogin(app.ini, app.passwords, app.settings, login);
    MakeSecretFilesPrivate(app.ini, app.output);
}

// Taken for the next connection; one already up keeps its way.
void ApplyProxy(CZorlApp& app, const CSettings& values) {
    CSettings& settings = app.settings;
    for (std::string CSettings::*field :
         {&CSettings::ProxyType, &CSettings::ProxyHost, &CSettings::ProxyUser}) {
        settings.*field = values.*field;
        SaveSetting(app.ini, settings, field);
    }
    settings.ProxyPort = values.ProxyPort;
    SaveSetting(app.ini, settings, &CSettings::ProxyPort);
    settings.ProxyPassword = values.ProxyPassword;
    app.ini.WriteString(
        "PROXY", "Password",
        app.passwords.Keep(settings.ProxyHost, PasswordKind::Proxy, settings.ProxyPassword));
}

void RepaintAllPanes(CZorlApp& app) {
    for (const ChannelRecord& record : app.registry.Records())
        if (CZorlDoc* doc = app.registry.DocOf(record.frame))
            doc->UpdateAllViews(kHintFont | kHintBackground);
}

// Only the colours the user changed are written: the others keep following
// the desktop's scheme.
void ApplyLook(CZorlApp& app, const CSettings& values) {
    CSettings& settings = app.settings;
    for (Colour CSettings::*field : {&CSettings::BGColor, &CSettings::BGColor2}) {
        if (settings.*field == values.*field) continue;
        settings.*field = values.*field;
        SaveSetting(app.ini, settings, field);
    }
    for (std::string CSettings::*field : {&CSettings::FontName, &CSettings::SpellLanguage}) {
        settings.*field = values.*field;
        SaveSetting(app.ini, settings, field);
    }
    for (int CSettings::*field : {&CSettings::FontSize, &CSettings::CharSet}) {
        settings.*field = values.*field;
        SaveSetting(app.ini, settings, field);
    }
    for (const ColourKey& colour : ColourKeys()) {
        if (settings.Color.*colour.field == values.Color.*colour.field) continue;
        settings.Color.*colour.field = values.Color.*colour.field;
        app.ini.WriteInt("COLOR", colour.key, static_cast<int>(settings.Color.*colour.field));
    }
    RepaintAllPanes(app);
}

void ApplyOptions(CZorlApp& app, const CSettings& values, bool debugFlags) {
    for (const OptionKey& option : OptionKeys()) {
        if (option.debugFlag != debugFlags) continue;
        app.settings.*option.field = values.*option.field;
        app.ini.WriteInt("OPTIONS", option.key, app.settings.*option.field);
    }
}

// The notify list is checked at once when switched on, then every 40 s (or
// watched by the server's MONITOR, the list given anew), on every network.
void FollowNotifyOption(CZorlApp& app, bool wasOn) {
    for (const auto& network : app.networks.All()) {
        const auto serving = app.networks.Serve(network.get());
        const bool running = network->NotifyTimer().Running();
        const bool monitor = network->Support().MonitorLimit() >= 0;
        if (app.settings.Notify && (monitor || !running)) {
            app.ignoreNotify.StartWatching();
        } else if (!app.settings.Notify && (running || (monitor && wasOn))) {
            app.ignoreNotify.StopWatching();
        }
    }
}

void ApplyProperties(CZorlApp& app, const std::string& shownNick, const CSettings& values) {
    ApplyUser(app, shownNick, values);
    ApplyLogin(app, values);
    ApplyProxy(app, values);

    app.settings.NickCommand = values.NickCommand;
    app.ini.WriteKey("COMMANDS", "NickCommand", app.settings.NickCommand);

    // The "Files" page may have edited any of them.
    app.aliases.LoadAliases();
    app.ignoreNotify.LoadNotifyList();
    app.events.LoadScript();
    app.ignoreNotify.LoadIgnoreList();

    const bool notifyWasOn = app.settings.Notify != 0;
    ApplyOptions(app, values, false);
    FollowNotifyOption(app, notifyWasOn);
    // After the options: the views read the spelling option with the font.
    ApplyLook(app, values);

    app.registry.RebuildButtons();
    app.platform.surface.SetTabbedView(app.settings.Tabs != 0);
    app.platform.surface.SetWindowTree(app.settings.WindowTree != 0);
    app.platform.surface.SetTrayIcon(app.settings.Tray != 0);
    if (const std::string notice = app.output.Lasting().Start(); !notice.empty())
        app.output.Status(Cls::Error, notice);
    ApplyOptions(app, values, true);
}

}  // namespace

void CZorlApp::Properties(int page) {
    CSettings values = settings;
    const std::string shownNick = values.m_user_mynick;
    CFileEditors editors(*this);
    if (!platform.dialogs.Properties(values, page,
                                     [&editors](FilesEditor editor) { editors.Edit(editor); }))
        return;
    ApplyProperties(*this, shownNick, values);
}

void CZorlApp::EditScripts() {
    CFileEditors(*this).EditFile("script.ini");
    events.LoadScript();
}

// The desktop went from light to dark or back: the colours that follow it
// change; lines already shown keep the colour they were shown in.
// The text already shown follows too: each class colour and nick colour
// that changed is given its new value.
void CZorlApp::FollowDesktopColours() {
    if (!settings.FollowDesktop) return;
    const CSettings before = settings;
    settings.FollowColourScheme(ini, platform.surface.PrefersDarkColours());
    std::vector<std::pair<Colour, Colour>> changes;
    for (const ColourKey& colour : ColourKeys()) {
        const Colour from = before.Color.*colour.field;
        const Colour to = settings.Color.*colour.field;
        if (from != to) changes.emplace_back(from, to);
    }
    const std::span<const Colour> oldNicks = NickPalette(before.BGColor);
    const std::span<const Colour> newNicks = NickPalette(settings.BGColor);
    for (std::size_t i = 0; i < std::min(oldNicks.size(), newNicks.size()); ++i)
        if (oldNicks[i] != newNicks[i]) changes.emplace_back(oldNicks[i], newNicks[i]);
    if (!changes.empty() || before.BGColor != settings.BGColor)
        platform.surface.RecolourPanes(changes, before.BGColor, settings.BGColor);
    RepaintAllPanes(*this);
}

}  // namespace zorl
