// Commands that talk to one nick or channel: messages, notices, actions,
// CTCP requests and query windows.
#include "common/Format.h"
#include "common/Text.h"
#include "platform/Platform.h"
#include "script/CommandLine.h"
#include "script/CommandTable.h"
#include "script/ScriptContext.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

// Only a query window closes this way: '/query' in the status window or a
// channel would otherwise drop a window the user is still using.
void CloseQuery(CommandLine& line) {
    if (line.windowType != kWindowQuery) return;
    line.ctx.output.Print(line.socket, line.Channel(), Cls::Info, "Closing query");
    FrameId frame = line.ctx.registry.GetFrmByNameSocket(line.Channel(), line.socket);
    if (frame) line.ctx.registry.DeleteChannel(frame);
}

}  // namespace

// QUERY joe [text]: opens (or finds) the query window of joe and sends the
// text there. QUERY alone closes the current query window.
void QueryCommand(CommandLine& line) {
    if (line.Target().empty()) {
        CloseQuery(line);
        return;
    }
    const bool opened = !line.ctx.registry.FindCR(line.Target(), line.socket);
    line.ctx.registry.NewWindow(line.Target(), kWindowQuery, line.socket, true);
    // A query opened here shows what the peer said while we were away.
    if (opened && line.socket == line.ctx.Connection().Socket())
        line.ctx.Connection().FetchHistory(line.Target());
    if (line.ArgsAfterTarget().empty()) return;
    line.SendText(kKindMessage, line.Target(), line.Expand("$3"));
}

// PRIVMSG joe :hi  ->  "PRIVMSG joe :hi"
void PrivmsgCommand(CommandLine& line) {
    line.SendText(kKindMessage, line.Target(), line.Expand("$3"));
}

// NOTICE joe hi  ->  "NOTICE joe :hi"
void NoticeCommand(CommandLine& line) {
    line.SendText(kKindNotice, line.Target(), line.Expand("$3"));
}

// ACTION waves  ->  "PRIVMSG #chat :\1ACTION waves\1"
void ActionCommand(CommandLine& line) {
    line.SendText(kKindAction, line.Channel(), line.Expand("$2"));
}

// CTCP joe ping  ->  "PRIVMSG joe :\1PING 1700000000\1"; any other request
// goes as typed. The echo shows the request as typed.
void CtcpCommand(CommandLine& line) {
    line.Echo(kKindCtcp, "$3");
    if (EqualsNoCase(line.ArgsAfterTarget(), "PING"))
        line.message.params[2] =
            Format("PING %ld", static_cast<long>(line.ctx.platform.clock.Now()));
    line.Send("PRIVMSG $nick :$!$3$!");
}

// VERSION asks the server; VERSION joe asks joe's client.
void VersionCommand(CommandLine& line) {
    if (line.Target().empty()) {
        line.Send("VERSION");
        return;
    }
    line.Echo(kKindCtcp, "VERSION");
    line.Send("PRIVMSG $nick :$!VERSION$!");
}

// TIME asks the server; TIME joe asks joe's client.
void TimeCommand(CommandLine& line) {
    if (line.Target().empty()) {
        line.Send("TIME");
        return;
    }
    line.Echo(kKindCtcp, "TIME");
    line.Send("PRIVMSG $nick :$!TIME$!");
}

}  // namespace zorl
