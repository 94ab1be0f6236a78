#include "app/FirstRun.h"

#include "config/ServerList.h"

namespace zorl {
namespace {

// Long-standing public networks, written in the order the Servers dialog
// keeps the file in (group, then name). Those whose every server offers TLS
// on 6697 with a certificate the system trusts are reached over TLS; the
// others take plain connections on 6667.
std::vector<std::string> PublicNetworks() {
    const ServerEntry networks[] = {
        {"DALnet", "irc.dal.net", "6667", "", "General"},
        {"EFnet", "irc.efnet.org", "6667", "", "General"},
        {"IRCnet", "open.ircnet.net", "6667", "", "General"},
        {"QuakeNet", "irc.quakenet.org", "6667", "", "General"},
        {"Rizon", "irc.rizon.net", "6667", "", "General"},
        {"Undernet", "irc.undernet.org", "6667", "", "General"},
        {"Libera.Chat", "irc.libera.chat", "+6697", "", "Open source"},
        {"OFTC", "irc.oftc.net", "+6697", "", "Open source"},
    };
    std::vector<std::string> values;
    for (const ServerEntry& network : networks) values.push_back(FormatServerEntry(network));
    return values;
}

}  // namespace

// In an alias, $nick is the first word typed after it, $2 everything typed
// after it and $3 everything after the first word.
std::vector<FirstRunList> FirstRunLists(const std::string& file) {
    if (file == CServerList::kFile) return {{CServerList::kSection, PublicNetworks()}};
    if (file == "aliases.ini") {
        return {{"Aliases",
                 {"/MSG /PRIVMSG $2", "/ME /ACTION $2", "/J /JOIN $2", "/Q /QUERY $2",
                  "/W /WHOIS $2", "/N /NOTICE $2", "/K /KICK $channel $nick :$3",
                  "/OP /MODE $channel +o $nick", "/DEOP /MODE $channel -o $nick",
                  "/V /MODE $channel +v $nick", "/DV /MODE $channel -v $nick"}}};
    }
    if (file == "popups.ini") {
        return {{"Nicks",
                 {"Query:/query $nick", "Whois:/whois $nick", "Send file...:/dcc send $nick",
                  "Chat:/dcc chat $nick", "-", ">Modes", ".Op:/mode $channel +o $nick",
                  ".Deop:/mode $channel -o $nick", ".Voice:/mode $channel +v $nick",
                  ".Devoice:/mode $channel -v $nick", "Kick:/kick $channel $nick"}},
                {"Query",
                 {"Whois:/whois $nick", "Send file...:/dcc send $nick", "Chat:/dcc chat $nick"}}};
    }
    return {};
}

std::vector<FirstRunValue> FirstRunValues(const std::string& file) {
    if (file == "zorl.ini")
        return {{"OPTIONS", "Tabs", 1},
                {"OPTIONS", "WindowTree", 1},
                {"OPTIONS", "RepliesInWindow", 1},
                {"OPTIONS", "History", 1},
                {"OPTIONS", "PasteGuard", 1},
                {"OPTIONS", "AlertMention", 1},
                {"OPTIONS", "AlertPrivate", 1},
                {"OPTIONS", "AlertDcc", 1},
                {"OPTIONS", "Tray", 1},
                {"OPTIONS", "ChannelHeader", 1},
                {"OPTIONS", "SpellCheck", 1},
                {"OPTIONS", "FollowDesktop", 1},
                {"OPTIONS", "ChannelBrowser", 1},
                {"OPTIONS", "TimeStamp", 1},
                {"OPTIONS", "ConversationView", 1}};
    return {};
}

}  // namespace zorl
