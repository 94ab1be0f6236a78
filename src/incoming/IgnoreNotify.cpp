#include "incoming/IgnoreNotify.h"

#include <algorithm>

#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "incoming/IncomingContext.h"
#include "session/NotifyTimer.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    for (Split word = SplitWord(text); !word.head.empty(); word = SplitWord(word.tail))
        words.emplace_back(word.head);
    return words;
}

}  // namespace

void CIgnoreNotify::LoadIgnoreList() {
    c_.ignoreList.clear();
    for (const std::string& value : c_.ini.ReadList(CIniStore::kMainFile, "IGNORE")) {
        if (value[0] == ';') continue;
        const std::string mask(Trim(value));
        if (mask.empty()) continue;  // an empty mask would ignore everybody
        c_.ignoreList.push_back(mask);
    }
}

void CIgnoreNotify::LoadNotifyList() {
    NotifyList.clear();
    for (const std::string& value : c_.ini.ReadList(CIniStore::kMainFile, "NOTIFY")) {
        if (value[0] == ';') continue;
        Split entry = SplitWord(value);
        if (entry.head.empty()) continue;  // blanks only: no nick to ask for
        NotifyList[ToLower(entry.head)] = std::string(entry.tail);
    }
}

// «ISON alice carol dave»; a list too long for one line is asked in parts.
void CIgnoreNotify::RequestIson(bool full) {
    NotifyWatch& watch = Watch();
    if (c_.Connection().State() != CONNECTED || NotifyList.empty()) return;
    watch.isonMode = full ? 2 : 1;
    std::vector<std::string> lines{"ISON"};
    for (const auto& [nick, command] : NotifyList) {
        if (lines.back().size() > 4 && lines.back().size() + 1 + nick.size() > kMaxIsonLine)
            lines.emplace_back("ISON");
        lines.back() += " " + nick;
    }
    watch.awaited = static_cast<int>(lines.size());
    watch.collected.clear();
    for (const std::string& line : lines)
        c_.Connection().SendLine(c_.Connection().Socket(), line, false);
}

void CIgnoreNotify::HandleIsonReply(const IrcMessage& message) {
    NotifyWatch& watch = Watch();
    const bool someone = message.params.size() >= 2 && !message.params[1].empty();
    if (watch.isonMode != 0) {
        if (someone)
            for (std::string& nick : Words(message.params[1]))
                watch.collected.push_back(std::move(nick));
        if (--watch.awaited > 0) return;
        FinishNotifyReply();
        return;
    }
    // An ISON the user typed.
    if (!someone) {
        c_.output.Print(nullptr, "", Cls::Status, ": no such user");
        return;
    }
    watch.isonReply = Words(message.params[1]);
    c_.output.Print(nullptr, "", Cls::Status, c_.listener.ExpandVariables(message, "ison: $2"));
}

void CIgnoreNotify::FinishNotifyReply() {
    NotifyWatch& watch = Watch();
    const bool full = watch.isonMode == 2;
    watch.isonMode = 0;
    watch.awaited = 0;
    // Nobody online is a reply like any other: whoever was on has left now,
    // or the last notify nick going away would never be reported.
    const bool nobody = watch.collected.empty();
    watch.isonReply = std::move(watch.collected);
    watch.collected.clear();
    ProcessIsonReply(full);
    if (nobody && full)
        c_.output.Print(nullptr, "", Cls::Notify, "*** No one in your notify list is on IRC");
}

// The lists are settled before any notify command runs: a command may open
// a dialog, in whose event loop the next reply can arrive.
void CIgnoreNotify::ProcessIsonReply(bool full) {
    NotifyWatch& watch = Watch();
    const std::vector<std::string> reply = watch.isonReply;
    std::vector<bool> known(reply.size(), false);
    std::vector<std::string> left;
    for (const std::string& nick : watch.onlineList) {
        bool found = false;
        for (std::size_t i = 0; i < reply.size(); ++i) {
            if (!EqualsNoCase(nick, reply[i])) continue;
            known[i] = true;
            found = true;
        }
        if (!found) left.push_back(nick);
    }
    watch.onlineList = reply;

    bool printed = !left.empty();
    for (const std::string& nick : left)
        c_.output.PrintF(nullptr, "", Cls::Notify, "*** %s has left IRC", nick.c_str());
    for (std::size_t i = 0; i < reply.size(); ++i) {
        if (!full && known[i]) continue;
        c_.output.PrintF(nullptr, "", Cls::Notify, "*** %s is on IRC", reply[i].c_str());
        RunNotifyCommand(reply[i]);
        printed = true;
    }
    if (printed) c_.output.Print(nullptr, "", Cls::Status, "-");
}

NotifyWatch& CIgnoreNotify::Watch() const { return c_.Connection().Watch(); }

bool CIgnoreNotify::Monitoring() const { return c_.Connection().Support().MonitorLimit() >= 0; }

void CIgnoreNotify::StartWatching() {
    if (c_.Connection().State() != CONNECTED) return;
    if (!Monitoring()) {
        if (!c_.Connection().NotifyTimer().Running()) c_.Connection().StartNotifyTimer();
        RequestIson(true);
        return;
    }
    // A list edited since is watched anew, whole.
    c_.Connection().SendLine(c_.Connection().Socket(), "MONITOR C", false);
    Watch().onlineList.clear();
    const int limit = c_.Connection().Support().MonitorLimit();
    std::vector<std::string> lines;
    int watched = 0;
    for (const auto& [nick, command] : NotifyList) {
        if (limit > 0 && watched == limit) {
            c_.output.PrintF(nullptr, "", Cls::UError,
                             "** The server watches at most %d nicks: the rest of the notify "
                             "list is not watched",
                             limit);
            break;
        }
        if (lines.empty() || lines.back().size() + 1 + nick.size() > kMaxIsonLine)
            lines.emplace_back("MONITOR + " + nick);
        else
            lines.back() += "," + nick;
        ++watched;
    }
    for (const std::string& line : lines)
        c_.Connection().SendLine(c_.Connection().Socket(), line, false);
}

void CIgnoreNotify::StopWatching() {
    c_.Connection().StopNotifyTimer();
    if (Monitoring() && c_.Connection().State() == CONNECTED)
        c_.Connection().SendLine(c_.Connection().Socket(), "MONITOR C", false);
}

// The server's own report: the nicks before any "!user@host", with the
// same lines as the ISON check.
void CIgnoreNotify::HandleMonitorReply(const IrcMessage& message, bool online) {
    NotifyWatch& watch = Watch();
    std::vector<std::string> nicks;
    ForEachChannel(message.params.back(), [&](const std::string& target) {
        nicks.push_back(target.substr(0, target.find('!')));
    });
    bool printed = false;
    for (const std::string& nick : nicks) {
        const auto seen =
            std::find_if(watch.onlineList.begin(), watch.onlineList.end(),
                         [&](const std::string& on) { return EqualsNoCase(on, nick); });
        if (online && seen == watch.onlineList.end()) {
            watch.onlineList.push_back(nick);
            c_.output.PrintF(nullptr, "", Cls::Notify, "*** %s is on IRC", nick.c_str());
            RunNotifyCommand(nick);
            printed = true;
        } else if (!online && seen != watch.onlineList.end()) {
            watch.onlineList.erase(seen);
            c_.output.PrintF(nullptr, "", Cls::Notify, "*** %s has left IRC", nick.c_str());
            printed = true;
        }
    }
    if (printed) c_.output.Print(nullptr, "", Cls::Status, "-");
}

void CIgnoreNotify::RunNotifyCommand(const std::string& nick) {
    auto entry = NotifyList.find(ToLower(nick));
    if (entry == NotifyList.end() || entry->second.empty()) return;
    c_.listener.RunNotifyCommand(nick, entry->second);
}

}  // namespace zorl
