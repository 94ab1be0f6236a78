#include "script/CommandInterpreter.h"

#include <algorithm>
#include <iterator>

#include "common/CaseMapping.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/Settings.h"
#include "script/Aliases.h"
#include "script/CommandLine.h"
#include "script/CommandTable.h"
#include "script/MessageSplit.h"
#include "script/ScriptContext.h"
#include "script/VariableExpander.h"
#include "session/CapNegotiation.h"
#include "session/IrcSocket.h"
#include "session/Labels.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

ScriptText DropColon(const ScriptText& text) {
    return !text.empty() && text[0] == ':' ? text.Sub(1) : text;
}

// Lines run on the server connection (or in a window without one) and on
// DCC connections that are up; never on the ident socket.
bool CanCarryLines(const CIrcSocket* socket) {
    switch (socket ? socket->type : kSocketNone) {
        case kSocketNone:
        case kSocketNormal: return true;
        case kSocketDccChat:
        case kSocketDccSendIn:
        case kSocketDccSendOut: return socket->connected;
        case kSocketIdent: return false;
    }
    return false;
}

}  // namespace

void TakeApart(IrcMessage& message, OwnedFields& fields, const ScriptText& line) {
    Split first = SplitWord(line.Text());
    Split second = SplitWord(first.tail);
    fields.nick = DropColon(line.Of(second.head));
    fields.params = {line, DropColon(line.Of(first.tail)), DropColon(line.Of(second.tail))};
    message.command = ToLower(first.head);
    message.nick = fields.nick.Text();
    message.params = {line.Text(), fields.params[1].Text(), fields.params[2].Text()};
}

std::string CommandLine::Expand(const std::string& text) {
    return ctx.expander.ExpandVariables(message, text);
}

void CommandLine::Send(const std::string& text) { SendRaw(Expand(text)); }

void CommandLine::SendRaw(const std::string& line) {
    ctx.Connection().SendLine(socket, line, true);
}

void CommandLine::Echo(MessageKind kind, const std::string& text) {
    ctx.output.ShowOwn(socket, Channel(), Target(), kind, Expand(text));
}

void CommandLine::SendText(MessageKind kind, const std::string& target, const std::string& text) {
    const bool action = kind == kKindAction;
    const char* command = kind == kKindNotice ? "NOTICE" : "PRIVMSG";
    const std::string open = action ? "\x01"
                                      "ACTION "
                                    : "";
    const std::string close = action ? "\x01" : "";
    const CServerConnection& server = ctx.Connection();
    const std::size_t room =
        MessageTextRoom(server.Nick(), ctx.settings.User, command, target,
                        open.size() + close.size(), server.Support().LineLength());
    // With echo-message the server's echo shows each piece, as it was relayed.
    const bool echoed = socket == server.Socket() && server.Caps().Has("echo-message");
    for (const std::string& piece : SplitMessageText(text, room)) {
        if (!echoed) ctx.output.ShowOwn(socket, Channel(), target, kind, piece);
        SendRaw(std::string(command) + " " + target + " :" + open + piece + close);
    }
}

void CCommandInterpreter::SendString(FrameId frame, const std::string& line) {
    SendScript(frame, ScriptText::Own(line));
}

void CCommandInterpreter::SendScript(FrameId frame, const ScriptText& line) {
    if (!ctx_.registry.IsFrameRegistered(frame)) {
        ctx_.output.PrintF(nullptr, "", Cls::Error, "ERROR: SendString: Frm not found");
        return;
    }
    const ChannelRecord* record = ctx_.registry.GetCRbyFrm(frame);
    if (!record || !CanCarryLines(record->socket)) return;
    // A command works on the network of the window it runs in.
    const auto serving = ctx_.networks.Serve(ctx_.networks.Of(record->socket));

    CommandLine command{ctx_, frame, record->type, record->socket, {}, {}};
    command.message.flags = kCommandFlags;
    command.message.channel = record->name;
    command.message.me = ctx_.Connection().Nick();
    if (!ApplyAliases(command, line)) return;

    IrcMessage& message = command.message;
    if (!message.command.starts_with('/') || CommandWordIsData(command)) {
        SendPlainText(command);
        return;
    }
    message.command.erase(0, 1);
    if (message.command.empty()) return;
    Dispatch(command);
}

// Replaces the line while its first word is an alias. The replacement is
// expanded against the line it replaces, so in '/J /JOIN $nick' the $nick
// is the first argument typed after '/j'. A first word that holds data
// names no alias. False when nothing is left to do.
bool CCommandInterpreter::ApplyAliases(CommandLine& command, ScriptText text) {
    IrcMessage& message = command.message;
    for (int round = 0;; ++round) {
        if (TrimLeft(text.Text()).empty()) return false;
        TakeApart(message, command.fields, text);
        if (CommandWordIsData(command)) return true;
        const std::string* found = ctx_.aliases.Find(message.command);
        if (!found) return true;
        if (round == kMaxAliasDepth) {
            ctx_.output.PrintF(nullptr, "", Cls::Error,
                               "ERROR: SendString: alias chain longer than %d steps, line dropped",
                               kMaxAliasDepth);
            return false;
        }
        text = ctx_.expander.ExpandScript(message, ScriptText::Own(*found), &command.fields);
        if (text.size() > kMaxAliasText) {
            ctx_.output.PrintF(nullptr, "", Cls::Error,
                               "ERROR: SendString: alias text longer than %zu characters, line "
                               "dropped",
                               kMaxAliasText);
            return false;
        }
    }
}

// The first word of the line, as TakeApart found it, holds data.
bool CCommandInterpreter::CommandWordIsData(const CommandLine& command) {
    const ScriptText& line = command.LineText();
    std::string_view word = SplitWord(line.Text()).head;
    return line.HasData(static_cast<std::size_t>(word.data() - line.Text().data()), word.size());
}

// A line without a command word goes to the window's channel or peer, with
// the own echo first: "hello" in #chat sends "PRIVMSG #chat :hello".
void CCommandInterpreter::SendPlainText(CommandLine& command) {
    if (command.Channel().empty()) {
        ctx_.output.Print(nullptr, "", Cls::UError, "No active channel");
        return;
    }
    const SocketType kind = command.socket ? command.socket->type : kSocketNone;
    if (kind == kSocketNormal) {
        command.SendText(kKindMessage, command.Channel(), command.Line());
    } else if (kind == kSocketDccChat) {
        ctx_.output.ShowOwn(command.socket, command.Channel(), command.Channel(), kKindMessage,
                            command.Line());
        command.SendRaw(command.Line());
    }
}

// A question the server answers with lines of the status window (WHOIS and
// the like) is answered in the window it was typed in. Where the server
// offers labeled-response it carries a label; elsewhere a WHOIS or WHOWAS is
// followed by the nicks it asks about.
std::string CCommandInterpreter::MarkQuestion(const CommandLine& command) {
    static constexpr const char* kQuestions[] = {"whois", "whowas", "who", "names", "mode", "motd"};
    CServerConnection& server = ctx_.Connection();
    const std::string& word = command.message.command;
    if (!ctx_.settings.RepliesInWindow || command.socket != server.Socket() ||
        std::none_of(std::begin(kQuestions), std::end(kQuestions),
                     [&](const char* question) { return word == question; }))
        return {};
    if (server.Caps().Has("labeled-response") && server.Caps().Has("message-tags"))
        return "@label=" + server.Labels().Attach(command.frame) + " ";
    // WHOIS [server] nick[,nick]   WHOWAS nick [count [server]]
    std::string_view args = command.Args();
    args = args.substr(0, args.find_last_not_of(' ') + 1);
    std::string_view nicks;
    if (word == "whois")
        nicks = args.substr(args.find_last_of(' ') + 1);
    else if (word == "whowas")
        nicks = command.Target();
    for (std::size_t from = 0; from < nicks.size();) {
        const std::size_t comma = std::min(nicks.find(',', from), nicks.size());
        if (comma > from)
            server.Labels().AttachNick(
                FoldCase(nicks.substr(from, comma - from), server.Support().Mapping()),
                command.frame);
        from = comma + 1;
    }
    return {};
}

void CCommandInterpreter::Dispatch(CommandLine& command) {
    const CommandRow* row = FindCommand(command.message.command);
    if (!row) {
        command.SendRaw(MarkQuestion(command) + command.message.command + " " + command.Args());
        return;
    }
    if (!row->run) return;
    if ((row->needs & kNeedsChannel) && command.Channel().empty()) {
        ctx_.output.Print(nullptr, "", Cls::UError, "No active channel");
        return;
    }
    if ((row->needs & kNeedsArguments) && command.Args().empty()) return;
    if ((row->needs & kNeedsTargetAndText) &&
        (command.Target().empty() || command.ArgsAfterTarget().empty()))
        return;
    row->run(command);
}

}  // namespace zorl
