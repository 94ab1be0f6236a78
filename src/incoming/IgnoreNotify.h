// The ignore list and the notify list (sections IGNORE and NOTIFY of
// zorl.ini), and the ISON checks that report notify nicks coming and going.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "session/IrcMessage.h"

namespace zorl {

struct NotifyWatch;

struct IncomingContext;
class CIrcSocket;

class CIgnoreNotify {
public:
    // Longest ISON line sent: a longer notify list goes out in several
    // queries (servers drop a client that sends lines over 512 bytes) whose
    // replies are reported together, as one.
    static constexpr std::size_t kMaxIsonLine = 510;

    explicit CIgnoreNotify(const IncomingContext& context) : c_(context) {}

    // Section IGNORE: numbered values, ";" comments skipped, trimmed.
    void LoadIgnoreList();
    // Section NOTIFY: «alice /msg $nick welcome back»: the nick, lower-cased,
    // and the command run when alice comes on IRC.
    void LoadNotifyList();
    // The ISON query of the notify list; `full`: report everybody online,
    // not only the changes.
    void RequestIson(bool full);
    // Reply 303: «:irc.example.net 303 me :alice carol».
    void HandleIsonReply(const IrcMessage& message);
    // Compares IsonReply with OnlineList: "*** carol has left IRC",
    // "*** dave is on IRC" (and dave's command), then a "-" line.
    void ProcessIsonReply(bool full);
    void RunNotifyCommand(const std::string& nick);
    // Starts watching the notify list: with the server's MONITOR (it then
    // reports comings and goings itself), else the ISON check at once and
    // every 40 s. StopWatching ends either.
    void StartWatching();
    void StopWatching();
    // Replies 730 and 731: «:irc 730 me :alice!a@host,bob!b@host».
    void HandleMonitorReply(const IrcMessage& message, bool online);

    std::map<std::string, std::string> NotifyList;  // lower-case nick -> command

private:
    void FinishNotifyReply();
    bool Monitoring() const;

    // The current network's replies (session/NotifyTimer.h).
    NotifyWatch& Watch() const;

    const IncomingContext& c_;
};

}  // namespace zorl
