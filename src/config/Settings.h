// Every user setting, loaded from zorl.ini at start-up. Fields carry the
// ini key names, except the four the debug dump prints under their own.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>

#include "common/SharedTypes.h"

namespace zorl {

struct ProxyRoute;

class CIniStore;

struct CSettings {
    // USER
    int Master = 0;
    std::string m_user_mynick;  // Nick
    std::string RealName;
    std::string User;
    std::string Email;
    // SERVER
    std::string m_server_address;
    std::string m_server_name;
    std::string m_server_ports;
    std::string Password;  // empty: no PASS line at registration
    // The chosen server's entry beyond address, ports and password.
    std::string Fingerprint;  // the pinned TLS certificate, SHA-256; empty: none
    std::string SaslAccount;  // empty: no SASL login
    std::string SaslPassword;
    int SaslWithoutTls = 0;  // 1: the login may go over plain TCP
    std::string ClientCert;  // PEM file of certificate and key: SASL EXTERNAL
    int RequireLogin = 0;    // 1: disconnect when the login fails
    // The chosen server's own proxy: "" for [PROXY], "none" for a direct
    // connection, else "socks5:host:port" or "http:host:port".
    std::string ServerProxy;
    // PROXY: the way to every server (DCC goes direct, see DccBehindProxy)
    std::string ProxyType;  // "socks5" or "http"; anything else: no proxy
    std::string ProxyHost;
    int ProxyPort = 0;
    std::string ProxyUser;  // empty: no login
    std::string ProxyPassword;
    // REPLY
    std::string Finger;
    std::string Quit;
    // CUSTOM
    Colour BGColor = 16777215;
    Colour BGColor2 = 16777215;
    std::string FontName = "Courier New";
    // The dictionary of the input line's spelling ("en_US"); empty: the
    // desktop's language, or the first installed.
    std::string SpellLanguage;
    int FontSize = 11;
    int CharSet = 1;
    // COLOR: the colour classes
    struct ColourClasses {
        Colour Normal = 0;
        Colour Own = 8388608;
        Colour Action = 8388736;
        Colour Notice = 128;
        Colour CTCP = 255;
        Colour Status = 8421504;
        Colour Info = 32768;
        Colour UError = 8388736;
        Colour Error = 8421376;
        Colour Flow = 8388608;
        Colour Time = 8421504;
        Colour Notify = 8388608;
        bool operator==(const ColourClasses&) const = default;
    } Color;
    // COMMANDS
    std::string NickCommand = "/query $nick";
    // OPTIONS
    int LogChannels = 0;
    int LogQuery = 0;
    int TimeStamp = 0;
    int ExtWho = 1;
    int MaxLines = 1000;
    int ChanConnect = 1;
    int ChanCTCP = 1;
    int ChanNotice = 1;
    int Notify = 0;
    int ButtonSize = 80;
    int EditSize = 25;
    int NicksSize = 110;
    int AutoRejoin = 0;
    int AutoReconnect = 0;
    int ExtMode = 0;
    int NoPing = 0;
    int AllowSound = 0;
    int TaskbarBlink = 0;
    int ScriptsQuery = 0;
    int ExtDebug = 0;
    int RawDebug = 0;
    int TimerDebug = 0;
    int ExtConnect = 0;
    int DebugLog = 0;
    int DebugWindow = 1;
    // More new windows than this opened by others within 10 seconds is a
    // flood: further new nicks are shown in the status window. 0: no limit.
    int WindowFlood = 20;
    int Tabs = 0;        // windows as tabs; a new folder starts with 1
    int WindowTree = 0;  // the tree of windows by network; a new folder starts with 1
    // Answers to WHOIS and the like in the window that asked (where the
    // server labels them); 0: the status window. A new folder starts with 1.
    int RepliesInWindow = 0;
    // Conversation lines kept in history.db and shown again when a window
    // opens (a new folder starts with 1): how many are shown, the days and
    // megabytes kept (0: no bound), and whether the status windows' lines
    // are kept too.
    // Pasting several lines asks before they go out (a new folder starts
    // with 1).
    int PasteGuard = 0;
    // Desktop notifications for a line that calls the user, a private
    // message and a DCC offer, while their window is out of view (a new
    // folder starts with 1 each).
    int AlertMention = 0;
    int AlertPrivate = 0;
    int AlertDcc = 0;
    // The icon in the desktop's tray (a new folder starts with 1), and
    // whether closing the main window leaves zorl running there.
    // A bar with the topic and the user count above each channel's panes
    // (a new folder starts with 1).
    int ChannelHeader = 0;
    // 1: LIST fills a sortable, filterable table instead of the "Channels"
    // window.
    int ChannelBrowser = 0;
    // 1: output panes lay chat out in columns: the time, the speaker right
    // aligned in a column of its own in a colour of its nick, and the text,
    // whose wrapped lines stay under it (a new folder starts with 1, and
    // with TimeStamp=1).
    int ConversationView = 0;
    // 1: colours not set by the user follow the desktop's light or dark scheme.
    int FollowDesktop = 0;
    // 1: misspelt words of the input line are underlined.
    int SpellCheck = 0;
    int Tray = 0;
    int TrayOnClose = 0;
    int History = 0;
    int HistoryLines = 500;
    int HistoryDays = 0;
    int HistoryMegabytes = 0;
    int HistoryStatus = 0;

    // Reads every key in table order, with the defaults above.
    void Load(const CIniStore& ini);
    // With FollowDesktop on, every colour the user has not set in zorl.ini
    // (the classes of COLOR, BGColor and BGColor2) takes the light or the
    // dark scheme's; every colour of both reads at 4.5:1 or more on its
    // background. Off, nothing changes.
    void FollowColourScheme(const CIniStore& ini, bool dark);
    bool operator==(const CSettings&) const = default;
};

// The keys of sections COLOR and OPTIONS with their fields, in table order.
struct ColourKey {
    const char* key;
    Colour CSettings::ColourClasses::*field;
};
struct OptionKey {
    const char* key;
    int CSettings::*field;
    // The properties dialog writes the debug flags in a step of their own.
    bool debugFlag = false;
};
std::span<const ColourKey> ColourKeys();
std::span<const OptionKey> OptionKeys();

// The other keys of zorl.ini that hold a setting, in table order; each row
// names one field of one kind.
struct SettingKey {
    const char* section;
    const char* key;
    std::string CSettings::*text = nullptr;
    int CSettings::*number = nullptr;
    Colour CSettings::*colour = nullptr;
};
std::span<const SettingKey> SettingKeys();
// Writes one setting to zorl.ini under its key of the table.
void SaveSetting(CIniStore& ini, const CSettings& settings, std::string CSettings::*field);
void SaveSetting(CIniStore& ini, const CSettings& settings, int CSettings::*field);
void SaveSetting(CIniStore& ini, const CSettings& settings, Colour CSettings::*field);

// The IRC colour numbers "0".."15" and the terminal codes "30".."37".
struct ColourTables {
    std::map<std::string, Colour> irc;
    std::map<std::string, Colour> ansi;
    void Build();
};

// The proxy the settings name for the chosen server: its own (ServerProxy),
// else [PROXY]; ProxyType::None when they name none or it lacks a host or a
// port that can be. A server's own proxy logs in with [PROXY]'s user and
// password when it is the same host and port.
// `serverProxy` stands for ServerProxy, for a network of its own.
ProxyRoute ProxyOf(const CSettings& settings, std::string_view serverProxy);
ProxyRoute ProxyOf(const CSettings& settings);

}  // namespace zorl
