// The ignore list and the notify list (section IGNORE and NOTIFY of zorl.ini).
#pragma once

#include <string>
#include <vector>

#include "session/IrcMessage.h"

namespace zorl {

class CZorlApp;
class CIrcSocket;

class CIgnoreNotify {
public:
    explicit CIgnoreNotify(CZorlApp& app) : app_(app) {}

    // Section IGNORE: numbered values, ";" comments skipped, trimmed.
    void LoadIgnoreList();
    void LoadNotifyList();
    // The ISON query of the notify list; `full`: report everybody online,
    // not only the changes.
    void RequestIson(bool full);
    // Reply 303: «:irc.example.net 303 me :alice carol».
    void HandleIsonReply(const IrcMessage& message);
    // Called on the end of the message of the day.
    void StartNotify();

private:
    CZorlApp& app_;
};

}  // namespace zorl
