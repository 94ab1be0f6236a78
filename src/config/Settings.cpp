#include "config/Settings.h"

#include "common/ProxyHandshake.h"
#include "config/IniStore.h"

namespace zorl {
namespace {

constexpr Colour Rgb(unsigned red, unsigned green, unsigned blue) {
    return red + 256 * green + 65536 * blue;
}

// Colours are stored as decimal red + 256 * green + 65536 * blue.
// A value beyond 24 bits keeps its low 24.
Colour ReadColour(const CIniStore& ini, const char* section, const char* key, Colour def) {
    return static_cast<Colour>(ini.ReadInt(section, key, static_cast<int>(def))) & 0xFFFFFF;
}

struct ColourScheme {
    Colour background;
    Colour scrollback;
    CSettings::ColourClasses classes;
};

// Dark grey on white where the fixed classes are a light grey or a bright
// red, which read poorly on white.
constexpr ColourScheme kLightScheme{
    Rgb(255, 255, 255),
    Rgb(255, 255, 255),
    {Rgb(0, 0, 0), Rgb(0, 0, 128), Rgb(128, 0, 128), Rgb(128, 0, 0), Rgb(192, 0, 0),
     Rgb(89, 89, 89), Rgb(0, 128, 0), Rgb(128, 0, 128), Rgb(0, 128, 128), Rgb(0, 0, 128),
     Rgb(89, 89, 89), Rgb(0, 0, 128)}};

constexpr ColourScheme kDarkScheme{
    Rgb(30, 30, 30),
    Rgb(38, 38, 38),
    {Rgb(220, 220, 220), Rgb(138, 180, 248), Rgb(215, 166, 255), Rgb(255, 158, 128),
     Rgb(255, 110, 110), Rgb(168, 168, 168), Rgb(127, 209, 127), Rgb(215, 166, 255),
     Rgb(95, 215, 215), Rgb(138, 180, 248), Rgb(168, 168, 168), Rgb(138, 180, 248)}};

bool IsSet(const CIniStore& ini, const char* section, const char* key) {
    return ini.ReadString(section, key, "\x01") != "\x01";
}

}  // namespace

void CSettings::FollowColourScheme(const CIniStore& ini, bool dark) {
    if (!FollowDesktop) return;
    const ColourScheme& scheme = dark ? kDarkScheme : kLightScheme;
    for (const ColourKey& colour : ColourKeys())
        if (!IsSet(ini, "COLOR", colour.key)) Color.*colour.field = scheme.classes.*colour.field;
    if (!IsSet(ini, "CUSTOM", "BGColor")) BGColor = scheme.background;
    if (!IsSet(ini, "CUSTOM", "BGColor2")) BGColor2 = scheme.scrollback;
}

void CSettings::Load(const CIniStore& ini) {
    const CSettings defaults;
    for (const SettingKey& setting : SettingKeys()) {
        if (setting.text)
            this->*setting.text =
                ini.ReadString(setting.section, setting.key, defaults.*setting.text);
        else if (setting.number)
            this->*setting.number =
                ini.ReadInt(setting.section, setting.key, defaults.*setting.number);
        else
            this->*setting.colour =
                ReadColour(ini, setting.section, setting.key, defaults.*setting.colour);
    }

    for (const ColourKey& colour : ColourKeys()) {
        Color.*colour.field = ReadColour(ini, "COLOR", colour.key, defaults.Color.*colour.field);
    }

    NickCommand = ini.ReadKey("COMMANDS", "NickCommand", defaults.NickCommand);

    for (const OptionKey& option : OptionKeys()) {
        this->*option.field = ini.ReadInt("OPTIONS", option.key, defaults.*option.field);
    }
}

std::span<const SettingKey> SettingKeys() {
    using S = CSettings;
    static const SettingKey kKeys[] = {
        {"USER", "Master", nullptr, &S::Master},
        {"USER", "Nick", &S::m_user_mynick},
        {"USER", "RealName", &S::RealName},
        {"USER", "User", &S::User},
        {"USER", "Email", &S::Email},
        {"SERVER", "Address", &S::m_server_address},
        {"SERVER", "Name", &S::m_server_name},
        {"SERVER", "Ports", &S::m_server_ports},
        {"SERVER", "Password", &S::Password},
        {"SERVER", "Fingerprint", &S::Fingerprint},
        {"SERVER", "Proxy", &S::ServerProxy},
        {"SERVER", "SaslAccount", &S::SaslAccount},
        {"SERVER", "SaslPassword", &S::SaslPassword},
        {"SERVER", "SaslWithoutTls", nullptr, &S::SaslWithoutTls},
        {"SERVER", "ClientCert", &S::ClientCert},
        {"SERVER", "RequireLogin", nullptr, &S::RequireLogin},
        {"PROXY", "Type", &S::ProxyType},
        {"PROXY", "Host", &S::ProxyHost},
        {"PROXY", "Port", nullptr, &S::ProxyPort},
        {"PROXY", "User", &S::ProxyUser},
        {"PROXY", "Password", &S::ProxyPassword},
        {"REPLY", "Finger", &S::Finger},
        {"REPLY", "Quit", &S::Quit},
        {"CUSTOM", "BGColor", nullptr, nullptr, &S::BGColor},
        {"CUSTOM", "BGColor2", nullptr, nullptr, &S::BGColor2},
        {"CUSTOM", "FontName", &S::FontName},
        {"CUSTOM", "SpellLanguage", &S::SpellLanguage},
        {"CUSTOM", "FontSize", nullptr, &S::FontSize},
        {"CUSTOM", "CharSet", nullptr, &S::CharSet},
    };
    return kKeys;
}

void SaveSetting(CIniStore& ini, const CSettings& settings, std::string CSettings::*field) {
    for (const SettingKey& setting : SettingKeys())
        if (setting.text == field) ini.WriteString(setting.section, setting.key, settings.*field);
}

void SaveSetting(CIniStore& ini, const CSettings& settings, int CSettings::*field) {
    for (const SettingKey& setting : SettingKeys())
        if (setting.number == field) ini.WriteInt(setting.section, setting.key, settings.*field);
}

void SaveSetting(CIniStore& ini, const CSettings& settings, Colour CSettings::*field) {
    for (const SettingKey& setting : SettingKeys())
        if (setting.colour == field)
            ini.WriteInt(setting.section, setting.key, static_cast<int>(settings.*field));
}

std::span<const ColourKey> ColourKeys() {
    using C = CSettings::ColourClasses;
    static const ColourKey kKeys[] = {
        {"Normal", &C::Normal}, {"Own", &C::Own},       {"Action", &C::Action},
        {"Notice", &C::Notice}, {"CTCP", &C::CTCP},     {"Status", &C::Status},
        {"Info", &C::Info},     {"UError", &C::UError}, {"Error", &C::Error},
        {"Flow", &C::Flow},     {"Time", &C::Time},     {"Notify", &C::Notify},
    };
    return kKeys;
}

std::span<const OptionKey> OptionKeys() {
    static const OptionKey kKeys[] = {
        {"LogChannels", &CSettings::LogChannels},
        {"LogQuery", &CSettings::LogQuery},
        {"TimeStamp", &CSettings::TimeStamp},
        {"ExtWho", &CSettings::ExtWho},
        {"MaxLines", &CSettings::MaxLines},
        {"ChanConnect", &CSettings::ChanConnect},
        {"ChanCTCP", &CSettings::ChanCTCP},
        {"ChanNotice", &CSettings::ChanNotice},
        {"Notify", &CSettings::Notify},
        {"ButtonSize", &CSettings::ButtonSize},
        {"EditSize", &CSettings::EditSize},
        {"NicksSize", &CSettings::NicksSize},
        {"AutoRejoin", &CSettings::AutoRejoin},
        {"AutoReconnect", &CSettings::AutoReconnect},
        {"ExtMode", &CSettings::ExtMode},
        {"NoPing", &CSettings::NoPing},
        {"AllowSound", &CSettings::AllowSound},
        {"TaskbarBlink", &CSettings::TaskbarBlink},
        {"ScriptsQuery", &CSettings::ScriptsQuery},
        {"ExtDebug", &CSettings::ExtDebug, true},
        {"RawDebug", &CSettings::RawDebug, true},
        {"TimerDebug", &CSettings::TimerDebug, true},
        {"ExtConnect", &CSettings::ExtConnect, true},
        {"DebugLog", &CSettings::DebugLog, true},
        {"DebugWindow", &CSettings::DebugWindow, true},
        {"WindowFlood", &CSettings::WindowFlood},
        {"Tabs", &CSettings::Tabs},
        {"WindowTree", &CSettings::WindowTree},
        {"RepliesInWindow", &CSettings::RepliesInWindow},
        {"PasteGuard", &CSettings::PasteGuard},
        {"AlertMention", &CSettings::AlertMention},
        {"AlertPrivate", &CSettings::AlertPrivate},
        {"AlertDcc", &CSettings::AlertDcc},
        {"ChannelHeader", &CSettings::ChannelHeader},
        {"SpellCheck", &CSettings::SpellCheck},
        {"FollowDesktop", &CSettings::FollowDesktop},
        {"ChannelBrowser", &CSettings::ChannelBrowser},
        {"ConversationView", &CSettings::ConversationView},
        {"Tray", &CSettings::Tray},
        {"TrayOnClose", &CSettings::TrayOnClose},
        {"History", &CSettings::History},
        {"HistoryLines", &CSettings::HistoryLines},
        {"HistoryDays", &CSettings::HistoryDays},
        {"HistoryMegabytes", &CSettings::HistoryMegabytes},
        {"HistoryStatus", &CSettings::HistoryStatus},
    };
    return kKeys;
}

void ColourTables::Build() {
    irc = {
        {"0", Rgb(255, 255, 255)},  {"1", Rgb(0, 0, 0)},      {"2", Rgb(0, 0, 128)},
        {"3", Rgb(0, 128, 0)},      {"4", Rgb(255, 0, 0)},    {"5", Rgb(128, 64, 0)},
        {"6", Rgb(128, 0, 128)},    {"7", Rgb(255, 128, 0)},  {"8", Rgb(255, 255, 0)},
        {"9", Rgb(0, 255, 0)},      {"10", Rgb(0, 128, 128)}, {"11", Rgb(0, 255, 255)},
        {"12", Rgb(0, 0, 255)},     {"13", Rgb(255, 0, 255)}, {"14", Rgb(128, 128, 128)},
        {"15", Rgb(192, 192, 192)},
    };
    ansi = {
        {"30", Rgb(0, 0, 0)},     {"31", Rgb(255, 0, 0)},     {"32", Rgb(0, 128, 0)},
        {"33", Rgb(128, 64, 0)},  {"34", Rgb(0, 0, 128)},     {"35", Rgb(128, 0, 128)},
        {"36", Rgb(0, 128, 128)}, {"37", Rgb(192, 192, 192)},
    };
}

ProxyRoute ProxyOf(const CSettings& settings) { return ProxyOf(settings, settings.ServerProxy); }

ProxyRoute ProxyOf(const CSettings& settings, std::string_view serverProxy) {
    ProxyRoute route;
    if (!serverProxy.empty()) {
        route = ProxyOfEntry(serverProxy);
        if (route.host == settings.ProxyHost && route.port == settings.ProxyPort) {
            route.user = settings.ProxyUser;
            route.password = settings.ProxyPassword;
        }
        return route;
    }
    if (settings.ProxyHost.empty() || settings.ProxyPort <= 0 || settings.ProxyPort > 65535)
        return route;
    route.type = ProxyTypeNamed(settings.ProxyType);
    route.host = settings.ProxyHost;
    route.port = static_cast<std::uint16_t>(settings.ProxyPort);
    route.user = settings.ProxyUser;
    route.password = settings.ProxyPassword;
    return route;
}

}  // namespace zorl
