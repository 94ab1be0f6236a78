#include "incoming/NumericReplies.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <set>

#include "common/Numbers.h"
#include "common/Text.h"
#include "config/Settings.h"
#include "incoming/IgnoreNotify.h"
#include "incoming/IncomingContext.h"
#include "incoming/IncomingText.h"
#include "platform/Platform.h"
#include "session/Accounts.h"
#include "session/CapNegotiation.h"
#include "session/IdentResponder.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {

namespace {
// The end of a list: the text, then a line holding one blank as a separator.
constexpr const char* kEndOfList = "$2-$nl ";
}  // namespace

struct CNumericReplies::Row {
    int number;
    std::size_t minParams;  // a reply with fewer parameters is dropped
    const char* text;       // shown in the status window; nullptr: the steps show
    Cls cls;
    Step before;
    Step after;
};

// Sorted by number.
constexpr CNumericReplies::Row CNumericReplies::kRows[] = {
    {1, 0, "$2-", Cls::Status, &CNumericReplies::Welcome, nullptr},
    {4, 0, kEndOfList, Cls::Status, nullptr, nullptr},
    {5, 0, "$2-", Cls::Status, nullptr, &CNumericReplies::Isupport},
    {219, 0, kEndOfList, Cls::Status, nullptr, nullptr},
    {221, 0, "$1-", Cls::Status, nullptr, nullptr},
    {255, 0, kEndOfList, Cls::Status, nullptr, nullptr},
    {301, 0, "$2 is away: $3-", Cls::Status, nullptr, nullptr},
    {302, 0, "userhost: $2", Cls::Status, nullptr, nullptr},
    {303, 0, nullptr, Cls::Status, &CNumericReplies::IsonReply, nullptr},
    {311, 0, "$2 is $3@$4-", Cls::Status, nullptr, nullptr},
    {312, 0, "$2 using $3-", Cls::Status, nullptr, nullptr},
    {314, 0, "$2 was $3@$4-", Cls::Status, nullptr, nullptr},
    {315, 0, nullptr, Cls::Status, &CNumericReplies::WhoEnd, nullptr},
    {317, 4, nullptr, Cls::Status, &CNumericReplies::IdleTime, nullptr},
    {318, 0, kEndOfList, Cls::Status, nullptr, nullptr},
    {319, 0, "$2 on $3-", Cls::Status, nullptr, nullptr},
    {321, 0, nullptr, Cls::Status, &CNumericReplies::ListStart, nullptr},
    {322, 0, nullptr, Cls::Status, &CNumericReplies::ListEntry, nullptr},
    {323, 0, nullptr, Cls::Status, &CNumericReplies::ListEnd, nullptr},
    {324, 3, "$2-", Cls::Status, nullptr, &CNumericReplies::ChannelModes},
    {329, 3, nullptr, Cls::Status, &CNumericReplies::ChannelCreated, nullptr},
    {330, 3, "$2 is logged in as $3", Cls::Status, nullptr, nullptr},
    {332, 3, nullptr, Cls::Info, &CNumericReplies::Topic, nullptr},
    {333, 3, nullptr, Cls::Info, &CNumericReplies::TopicSetter, nullptr},
    {341, 0, "$2 has been invited to channel $3", Cls::Info, nullptr, nullptr},
    {346, 0, nullptr, Cls::Status, &CNumericReplies::ListModeEntry, nullptr},
    {347, 0, nullptr, Cls::Status, &CNumericReplies::ListModeEnd, nullptr},
    {348, 0, nullptr, Cls::Status, &CNumericReplies::ListModeEntry, nullptr},
    {349, 0, nullptr, Cls::Status, &CNumericReplies::ListModeEnd, nullptr},
    {352, 0, nullptr, Cls::Status, &CNumericReplies::WhoEntry, nullptr},
    {353, 0, "$3-", Cls::Status, nullptr, &CNumericReplies::Names},
    {354, 0, nullptr, Cls::Status, &CNumericReplies::WhoxEntry, nullptr},
    {365, 0, kEndOfList, Cls::Status, nullptr, nullptr},
    // No blank line after it: each channel of a join would leave one.
    {366, 2, "$2-", Cls::Status, &CNumericReplies::NamesEnd, nullptr},
    {367, 0, nullptr, Cls::Status, &CNumericReplies::ListModeEntry, nullptr},
    {368, 0, nullptr, Cls::Status, &CNumericReplies::ListModeEnd, nullptr},
    {369, 0, kEndOfList, Cls::Status, nullptr, nullptr},
    {374, 0, kEndOfList, Cls::Status, nullptr, nullptr},
    {375, 0, "$2-", Cls::Status, &CNumericReplies::CloseIdent, nullptr},
    {376, 0, kEndOfList, Cls::Status, nullptr, &CNumericReplies::MotdEnd},
    {391, 0, "$3-", Cls::Status, nullptr, nullptr},
    {394, 0, kEndOfList, Cls::Status, nullptr, nullptr},
    {421, 0, "$2-", Cls::Status, nullptr, &CNumericReplies::UnknownCommand},
    {422, 0, kEndOfList, Cls::Status, nullptr, &CNumericReplies::MotdEnd},
    {432, 0, "$2-", Cls::Status, nullptr, &CNumericReplies::NickErroneous},
    {433, 0, "$2-", Cls::Status, nullptr, &CNumericReplies::NickTaken},
    {451, 0, "$2-", Cls::Status, nullptr, &CNumericReplies::UnknownCommand},
    {730, 2, nullptr, Cls::Notify, &CNumericReplies::MonitorOnline, nullptr},
    {731, 2, nullptr, Cls::Notify, &CNumericReplies::MonitorOffline, nullptr},
    {902, 0, nullptr, Cls::Status, &CNumericReplies::SaslResult, nullptr},
    {903, 0, nullptr, Cls::Status, &CNumericReplies::SaslResult, nullptr},
    {904, 0, nullptr, Cls::Status, &CNumericReplies::SaslResult, nullptr},
    {905, 0, nullptr, Cls::Status, &CNumericReplies::SaslResult, nullptr},
    {906, 0, nullptr, Cls::Status, &CNumericReplies::SaslResult, nullptr},
    {907, 0, nullptr, Cls::Status, &CNumericReplies::SaslResult, nullptr},
};

const CNumericReplies::Row* CNumericReplies::FindRow(int number) {
    // The search goes by halves: a row out of order would never be found.
    static_assert(std::is_sorted(std::begin(kRows), std::end(kRows),
                                 [](const Row& a, const Row& b) { return a.number < b.number; }));
    const Row* end = std::end(kRows);
    const Row* row = std::lower_bound(std::begin(kRows), end, number,
                                      [](const Row& r, int n) { return r.number < n; });
    return row != end && row->number == number ? row : nullptr;
}

void CNumericReplies::HandleNumeric(CIrcSocket* socket, const IrcMessage& message) {
    const Row* row = FindRow(Atoi(message.command));
    if (!row) {
        ShowExpanded(c_, nullptr, "", Cls::Status, message, "$2-");
        return;
    }
    if (message.params.size() < row->minParams) return;
    if (row->before) (this->*row->before)(socket, message);
    if (row->text) ShowExpanded(c_, nullptr, "", row->cls, message, row->text);
    if (row->after) (this->*row->after)(socket, message);
}

// :irc.example.net 005 me PREFIX=(qaohv)~&@%+ CHANTYPES=# :are supported by this server
void CNumericReplies::Isupport(CIrcSocket* socket, const IrcMessage& message) {
    CServerSupport& support = c_.Connection().Support();
    const std::string network = support.Network();
    support.Apply(message.params);
    c_.registry.SetCaseMapping(socket, support.Mapping());
    // The network's own name now stands in the tree and the captions.
    if (support.Network() != network) {
        c_.registry.UpdateAllTitles();
        c_.registry.PlaceAllWindows();
    }
}

// :irc.example.net 001 me :Welcome to the network
void CNumericReplies::Welcome(CIrcSocket* socket, const IrcMessage& message) {
    c_.Connection().MarkRegistered();
    CloseIdent(socket, message);
}

// The server has the answer it wanted from the ident responder (001, 375).
void CNumericReplies::CloseIdent(CIrcSocket*, const IrcMessage&) {
    c_.Connection().Ident().Close();
}

// :irc.example.net 376 me :End of MOTD command   (422: no MOTD)
// The start-up list runs, the channels of the last connection are joined
// again into their windows, then the notify list is checked at once and every
// 40 seconds after.
void CNumericReplies::MotdEnd(CIrcSocket* socket, const IrcMessage&) {
    c_.listener.RunStartupList();
    RejoinKeptChannels(socket);
    c_.Connection().OnGreeted();
    if (c_.settings.Notify != 0) c_.ignoreNotify.StartWatching();
}

// :irc.example.net 730 me :alice!a@host,bob!b@host   (731: gone, nicks only)
void CNumericReplies::MonitorOnline(CIrcSocket*, const IrcMessage& message) {
    c_.ignoreNotify.HandleMonitorReply(message, true);
}

void CNumericReplies::MonitorOffline(CIrcSocket*, const IrcMessage& message) {
    c_.ignoreNotify.HandleMonitorReply(message, false);
}

// :irc.example.net 303 me :alice carol
void CNumericReplies::IsonReply(CIrcSocket*, const IrcMessage& message) {
    c_.ignoreNotify.HandleIsonReply(message);
}

// :irc.example.net 317 me alice 42 1700000000 :seconds idle, signon time
void CNumericReplies::IdleTime(CIrcSocket*, const IrcMessage& message) {
    long signon = Atol(message.params[3]);
    if (signon < 1) {
        ShowExpanded(c_, nullptr, "", Cls::Status, message, "$2 has been idle $3 seconds");
        return;
    }
    c_.output.Print(
        nullptr, "", Cls::Status,
        ExpandFollowedBy(c_, message, "$2 has been idle $3 seconds, signed on ", TimeText(signon)));
}

// :irc.example.net 352 me #a ~al host irc.example.net alice H@ :0 Alice A.
void CNumericReplies::WhoEntry(CIrcSocket*, const IrcMessage& message) {
    ShowExpanded(c_, nullptr, "", Cls::Status, message,
                 c_.settings.ExtWho == 1 ? "$2 $6 $7 $3@$4 $8-" : "$2 $6 $8-");
}

// :irc 354 me 152 #a user host bob G bobby :Bob B.   (the WHOX we sent on
// joining #a) Marks bob away (G) or here (H) in #a's list and keeps his
// account ("0": none) and real name. Another WHOX is shown as it came.
void CNumericReplies::WhoxEntry(CIrcSocket* socket, const IrcMessage& message) {
    std::set<std::string>& quiet = c_.Connection().QuietWho();
    if (message.params.size() < 8 || message.params[1] != kWhoxToken ||
        !quiet.count(ToLower(message.params[2]))) {
        ShowExpanded(c_, nullptr, "", Cls::Status, message, "$2-");
        return;
    }
    const std::string& nick = message.params[5];
    c_.Connection().Accounts().Set(nick, message.params[7]);
    if (message.params.size() >= 9) c_.Connection().Accounts().SetRealName(nick, message.params[8]);
    CZorlDoc* doc = c_.registry.GetDocByNameSocket(message.params[2], socket);
    if (!doc || doc->NickFlags(nick) == kNickAbsent) return;
    const bool away = message.params[6].find('G') != std::string::npos;
    doc->NickUpdate(away ? kNickSet : kNickClear, nick, kNickAway);
}

// :irc 315 me #a :End of /WHO list.   Quiet for the WHOX of a join.
void CNumericReplies::WhoEnd(CIrcSocket*, const IrcMessage& message) {
    if (message.params.size() >= 2 && c_.Connection().QuietWho().erase(ToLower(message.params[1])))
        return;
    ShowExpanded(c_, nullptr, "", Cls::Status, message, kEndOfList);
}

namespace {

// The list mode a reply is of: 367/368 bans, 348/349 ban exceptions,
// 346/347 invite exceptions.
char ListModeOf(const std::string& number) {
    if (number == "367" || number == "368") return 'b';
    if (number == "348" || number == "349") return 'e';
    return 'I';
}

}  // namespace

// :irc 367 me #a *!*@bad.example op!o@h 1700000000   (setter and time optional)
// The lists the browser of lists asked for go to it alone; others are shown
// as they were.
void CNumericReplies::ListModeEntry(CIrcSocket* socket, const IrcMessage& message) {
    const std::string* channel = message.params.size() >= 3 ? &message.params[1] : nullptr;
    const char mode = ListModeOf(message.command);
    if (channel && c_.Connection().QuietLists().contains(ToLower(*channel) + ' ' + mode)) {
        c_.platform.surface.ChannelModeListEntry(
            c_.registry.GetFrmByNameSocket(*channel, socket), mode, message.params[2],
            message.params.size() > 3 ? message.params[3] : std::string(),
            message.params.size() > 4 ? std::atoll(message.params[4].c_str()) : 0);
        return;
    }
    ShowExpanded(c_, nullptr, "", Cls::Status, message, "$2-");
}

// :irc 368 me #a :End of Channel Ban List
void CNumericReplies::ListModeEnd(CIrcSocket* socket, const IrcMessage& message) {
    const char mode = ListModeOf(message.command);
    if (message.params.size() >= 2 &&
        c_.Connection().QuietLists().erase(ToLower(message.params[1]) + ' ' + mode)) {
        c_.platform.surface.ChannelModeListEnd(
            c_.registry.GetFrmByNameSocket(message.params[1], socket), mode);
        return;
    }
    ShowExpanded(c_, nullptr, "", Cls::Status, message,
                 message.command == "368" ? kEndOfList : "$2-");
}

// :irc.example.net 432 * joe_longname :Erroneous nickname
void CNumericReplies::NickErroneous(CIrcSocket*, const IrcMessage& message) {
    if (message.params.size() >= 2) c_.Connection().OnNickRefused(message.params[1], false);
}

// :irc.example.net 433 * joe :Nickname already in use
void CNumericReplies::NickTaken(CIrcSocket*, const IrcMessage& message) {
    if (message.params.size() >= 2) c_.Connection().OnNickRefused(message.params[1], true);
}

// :irc.example 421 joe CAP :Unknown command   (451 "not registered" alike)
void CNumericReplies::UnknownCommand(CIrcSocket*, const IrcMessage& message) {
    if (message.Param(1) == "CAP") c_.Connection().Caps().OnCapUnknown();
}

// :irc.example 903 joe :SASL authentication successful   (902-907 alike)
void CNumericReplies::SaslResult(CIrcSocket*, const IrcMessage& message) {
    c_.Connection().Caps().OnLoginReply(Atoi(message.command), message);
}

}  // namespace zorl
