// What the handlers of server lines work with, and what they ask of the
// layers above them. The application object owns all of it and implements
// IIncomingListener.
#pragma once

#include <string>
#include <vector>

#include "common/SharedTypes.h"

namespace zorl {

struct Platform;
struct CSettings;
struct IrcMessage;
class CIniStore;
class CIrcSocket;
class CWindowRegistry;
class COutput;
class CServerConnection;
class CNetworks;
class CDcc;
class CNumericReplies;
class CModeChanges;
class CCtcp;
class CIgnoreNotify;

class IIncomingListener {
public:
    // `text` with the message's $-variables filled in.
    virtual std::string ExpandVariables(const IrcMessage& message, const std::string& text) = 0;
    // The event scripts see one message (a part of a JOIN of several
    // channels, say) as the handlers made it.
    virtual void MatchEvents(CIrcSocket* socket, const IrcMessage& message, bool ignored) = 0;
    // A command line, as if typed in the window of `frame`.
    virtual void SendString(FrameId frame, const std::string& line) = 0;
    virtual bool PlaySoundFile(const std::string& name) = 0;
    // The startup list, once the server has greeted us.
    virtual void RunStartupList() = 0;
    // The command of a notify list entry whose nick came on IRC.
    virtual void RunNotifyCommand(const std::string& nick, const std::string& command) = 0;

protected:
    ~IIncomingListener() = default;
};

struct IncomingContext {
    Platform& platform;
    CSettings& settings;
    CIniStore& ini;
    CWindowRegistry& registry;
    COutput& output;
    // The networks; the handlers and commands work on the current one.
    CNetworks& networks;
    CDcc& dcc;
    const std::string& configDir;  // ends in "/"
    // Masks whose senders are ignored (ignore.ini and /IGNORE).
    std::vector<std::string>& ignoreList;
    IIncomingListener& listener;
    // The handlers among themselves.
    CNumericReplies& numerics;
    CModeChanges& modes;
    CCtcp& ctcp;
    CIgnoreNotify& ignoreNotify;

    CServerConnection& Connection() const;
};

}  // namespace zorl
