// Commands about the session: channels, the own nick, the server.
#include "common/Format.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "script/CommandLine.h"
#include "script/CommandTable.h"
#include "script/ScriptContext.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/ChannelRecord.h"
#include "windows/NetworkWindows.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {

namespace {

// A channel window kept open after the user left its channel.
ChannelRecord* KeptWindow(const CommandLine& line, const std::string& name) {
    ChannelRecord* record = line.ctx.registry.FindCR(name, line.socket);
    return record && record->type == kWindowChannel && record->presence == Presence::Out ? record
                                                                                         : nullptr;
}

}  // namespace

// JOIN #x [key]  ->  "JOIN #x :key". Joining the channel of the current
// window (in any letter case) sends nothing, unless the user has left it.
void JoinCommand(CommandLine& line) {
    if (EqualsNoCase(line.Target(), line.Channel()) && !KeptWindow(line, line.Channel())) return;
    line.Send("JOIN $nick :$3");
}

// PART [#x[,#y]]: the current window's channel when none is given. A channel
// the user is in is left, and its window closes when the server confirms; a
// window kept after the user left (a kick, a lost connection) closes at once.
void PartCommand(CommandLine& line) {
    if (line.Target().empty()) line.message.nick = line.Channel();
    const std::string targets = line.Target();
    std::string leave;
    ForEachChannel(targets, [&](const std::string& name) {
        if (ChannelRecord* kept = KeptWindow(line, name)) {
            line.ctx.registry.DeleteChannel(kept->frame);
            return;
        }
        if (ChannelRecord* record = line.ctx.registry.FindCR(name, line.socket))
            record->presence = Presence::Leaving;
        if (!leave.empty()) leave += ',';
        leave += name;
    });
    if (leave.empty() && !targets.empty()) return;
    line.message.nick = leave;
    line.Send("PART $nick");
}

// QUIT [message]: the configured quit text when none is given.
void QuitCommand(CommandLine& line) {
    const std::string& text = line.Args().empty() ? line.ctx.settings.Quit : line.Args();
    line.SendRaw("QUIT :" + text);
}

// NICK newnick. Once the server has welcomed us the nick changes only when
// it confirms; before that (or offline) it changes here at once.
void NickCommand(CommandLine& line) {
    // "/nick : x" has arguments but no nick: it would store an empty one.
    if (line.Target().empty()) return;
    const ScriptContext& ctx = line.ctx;
    // The server would cut it or refuse it: the user hears why at once.
    const std::size_t longest = ctx.Connection().Support().NickLength();
    if (longest != 0 && line.Target().size() > longest) {
        ctx.output.PrintF(nullptr, "", Cls::UError,
                          "This network allows nicks of at most %zu characters", longest);
        return;
    }
    const bool connected = ctx.Connection().State() == CONNECTED;
    if (connected) line.Send("NICK $2");
    if (connected && ctx.Connection().Registered()) return;
    const std::string nick = line.Target();
    ctx.Connection().SetOwnNick(nick);
    ctx.output.PrintF(nullptr, "", Cls::Info, "Your nick is now %s", nick.c_str());
}

// TOPIC #x shows the topic; TOPIC #x text sets it.
void TopicCommand(CommandLine& line) {
    const std::size_t longest = line.ctx.Connection().Support().TopicLength();
    if (longest != 0 && line.ArgsAfterTarget().size() > longest)
        line.ctx.output.PrintF(nullptr, "", Cls::UError,
                               "The server keeps only the first %zu characters of a topic",
                               longest);
    line.Send(line.ArgsAfterTarget().empty() ? "TOPIC $nick" : "TOPIC $nick :$3");
}

// SERVER [address [ports]]: makes the server the chosen one and connects to
// it, leaving the present server first. Without arguments the last server
// tried is used again; without ports, the last port, over TLS when that was.
void ServerCommand(CommandLine& line) {
    const ScriptContext& ctx = line.ctx;
    std::string address = line.Target().empty() ? ctx.Connection().LastAddress() : line.Target();
    std::string ports =
        line.ArgsAfterTarget().empty()
            ? Format("%s%d", ctx.Connection().LastTls() ? "+" : "", ctx.Connection().LastPort())
            : line.ArgsAfterTarget();
    ctx.Connection().SwitchServer(address, ports);
}

// NEWSERVER address [port]: another network beside the open ones, with a
// status window of its own; "+6697" is TLS. Without a port, 6667.
void NewserverCommand(CommandLine& line) {
    const std::string ports = line.ArgsAfterTarget().empty() ? "6667" : line.ArgsAfterTarget();
    OpenNetwork(line.ctx.networks, line.ctx.registry, line.Target(), ports);
}

// SEARCH [text]: the history of every window, searched in a window of its own.
void SearchCommand(CommandLine& line) { line.ctx.platform.dialogs.SearchHistory(line.Args()); }

}  // namespace zorl
