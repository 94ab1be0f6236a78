// The context of one line that SendString carries out: the window, its
// connection and the command message that every template of a command is
// expanded against.
//
// For the typed line '/privmsg joe :hi there' in the window #chat:
//   $channel "#chat"  $me own nick  $nick "joe"  $command "privmsg"
//   $1 "/privmsg joe :hi there"  $2 "joe :hi there"  $3 "hi there"
#pragma once

#include <string>

#include "common/SharedTypes.h"
#include "script/ScriptText.h"
#include "session/IrcMessage.h"

namespace zorl {

struct ScriptContext;
class CIrcSocket;

// channel, me, nick, command and parameters; no local variables, so "$time"
// and the like stay literal in typed lines.
constexpr int kCommandFlags = kHasChannel | kHasMe | kHasNick | kHasCommand | kHasParams;

struct CommandLine {
    const ScriptContext& ctx;
    FrameId frame = 0;
    WindowType windowType = kWindowDefault;
    CIrcSocket* socket = nullptr;  // the window's connection, may be null
    IrcMessage message;
    // Who wrote the first argument and $1 $2 $3 (ScriptText.h): a command
    // that runs its arguments as script again (IF, EXEC) takes them from
    // here, so that data stays data.
    OwnedFields fields;

    // The window's registry name: channel, peer nick, "" for the status window.
    const std::string& Channel() const { return message.channel; }
    // The first argument.
    const std::string& Target() const { return message.nick; }
    // $1, $2 and $3.
    const std::string& Line() const { return message.params[0]; }
    const std::string& Args() const { return message.params[1]; }
    const std::string& ArgsAfterTarget() const { return message.params[2]; }
    const ScriptText& LineText() const { return fields.params[0]; }
    const ScriptText& ArgsText() const { return fields.params[1]; }
    const ScriptText& ArgsAfterTargetText() const { return fields.params[2]; }

    std::string Expand(const std::string& text);
    // Sends the expanded template on the window's connection as user activity.
    void Send(const std::string& text);
    // Sends a finished line (no expansion) as user activity.
    void SendRaw(const std::string& line);
    // The own echo of a message, notice, action or CTCP request to Target().
    void Echo(MessageKind kind, const std::string& text);
    // A message, notice or action (kKindMessage, kKindNotice, kKindAction)
    // to `target`, cut into as many lines as the server can relay; each
    // piece is echoed just before it is sent.
    void SendText(MessageKind kind, const std::string& target, const std::string& text);
};

// Fills command (lower case), nick and $1 $2 $3 from one line, and the
// same fields with their origins; $2 and $3 and the first argument lose one
// leading ":".
void TakeApart(IrcMessage& message, OwnedFields& fields, const ScriptText& line);

}  // namespace zorl
