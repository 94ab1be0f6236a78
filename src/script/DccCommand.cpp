// The DCC command: offers a chat or a file to a nick, in the form other
// clients have and in the older one with the nick first.
//   /DCC CHAT joe           ->  PRIVMSG joe :\1DCC CHAT chat 3232235521 2000\1
//   /DCC SEND joe notes.txt ->  PRIVMSG joe :\1DCC SEND notes.txt 3232235521 2001 1000\1
//   /DCC SEND -passive joe notes.txt  (port 0 and a token: joe listens)
//   /DCC joe CHAT, /DCC joe SEND (the file chosen in a dialog)
//   /DCC GET joe [name]     accepts joe's waiting file offer
// The offer goes over the server connection and names its own end of it:
// that is the address the peer can reach.
#include <filesystem>
#include <iterator>
#include <string_view>
#include <vector>

#include "common/FileNames.h"
#include "common/Format.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "dcc/Dcc.h"
#include "dcc/DccWords.h"
#include "platform/Platform.h"
#include "script/CommandLine.h"
#include "script/CommandTable.h"
#include "script/ScriptContext.h"
#include "script/ScriptHost.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "windows/ChannelRecord.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

// The offer alone: no notice of the command's words goes to the peer.
void SendOffer(CommandLine& line, const std::string& nick, const std::string& offer) {
    CServerConnection& server = line.ctx.Connection();
    server.SendLine(server.Socket(), DccRequestLine(nick, offer), true);
}

// Listening before the offer goes out: a peer that accepts at once must
// find the port open, and none is offered that could not be opened. A
// passive offer listens nowhere; its socket waits for the peer's address.
CIrcSocket* OfferSocket(const ScriptContext& ctx, SocketType type, bool passive,
                        std::string& where) {
    const uint32_t address = LocalAddressNumber(ctx.Connection().Socket());
    if (passive) {
        CIrcSocket& socket = ctx.dcc.PassiveOffer(type);
        where = Format(" %u 0", address);
        return &socket;
    }
    CIrcSocket* socket = ctx.dcc.ListenOnNextPort(type);
    if (socket) where = Format(" %u %d", address, socket->dcc_port);
    return socket;
}

void OfferChat(CommandLine& line, const std::string& nick, bool passive) {
    const ScriptContext& ctx = line.ctx;
    std::string where;
    CIrcSocket* socket = OfferSocket(ctx, kSocketDccChat, passive, where);
    if (!socket) return;
    SendOffer(line, nick,
              "DCC CHAT chat" + where + (passive ? " " + socket->dcc_token : std::string()));
    ctx.registry.NewWindow(nick, kWindowDccQuery, socket, true);
    ctx.output.PrintF(socket, nick, Cls::CTCP, "DCC chat with %s, waiting for acknowledgement",
                      nick.c_str());
}

// `path` empty: the user picks the file.
void OfferFile(CommandLine& line, const std::string& nick, std::string path, bool passive) {
    const ScriptContext& ctx = line.ctx;
    std::error_code error;
    if (path.empty()) {
        if (!ctx.platform.dialogs.OpenFile("All Files (*)|*||", "", path)) return;
        // The dialog ran the event loop: the window may have gone meanwhile.
        if (!ctx.registry.IsFrameRegistered(line.frame)) return;
    } else if (!std::filesystem::is_regular_file(path, error)) {
        ctx.output.PrintF(nullptr, "", Cls::UError, "DCC SEND: no such file: %s", path.c_str());
        return;
    }
    uintmax_t size = std::filesystem::file_size(path, error);
    if (error) size = 0;
    std::string where;
    CIrcSocket* socket = OfferSocket(ctx, kSocketDccSendOut, passive, where);
    if (!socket) return;
    std::string offer = "DCC SEND " + DccFileWord(path) + where;
    // A passive offer's token comes after the size, which it always names.
    if (size != 0 || passive) offer += Format(" %llu", static_cast<unsigned long long>(size));
    if (passive) offer += " " + socket->dcc_token;
    SendOffer(line, nick, offer);
    ctx.registry.NewWindow(nick, kWindowDccSend, socket, true);
    // » and the nick: the window of a file going out.
    if (FrameId frame = ctx.registry.GetFrmByNameSocket(nick, socket))
        ctx.registry.UpdateCR(frame, "\xBB " + nick, kUpdateTitle);
    ctx.output.PrintF(socket, nick, Cls::CTCP, "DCC sending %s to %s, waiting for acknowledgement",
                      path.c_str(), nick.c_str());
    socket->file_path = path;
    socket->file_size = size;
}

// "chat", "send" (a file going out) or "get" (one coming in); null for a
// window of no DCC connection.
const char* DccKind(const ChannelRecord& record) {
    if (!record.socket) return nullptr;
    switch (record.socket->type) {
        case kSocketDccChat: return "chat";
        case kSocketDccSendOut: return "send";
        case kSocketDccSendIn: return "get";
        default: return nullptr;
    }
}

std::string DccState(const CIrcSocket& socket) {
    if (socket.connected) return "connected";
    return socket.HasPlatformSocket() || !socket.dcc_token.empty() ? "waiting for the peer"
                                                                   : "closed";
}

// DCC LIST: every DCC window, what it carries and how far it is.
void ListDcc(CommandLine& line) {
    const ScriptContext& ctx = line.ctx;
    std::vector<std::string> rows;
    for (const ChannelRecord& record : ctx.registry.Records()) {
        const char* kind = DccKind(record);
        if (!kind) continue;
        const CIrcSocket& socket = *record.socket;
        const char* way = socket.type == kSocketDccChat     ? "with"
                          : socket.type == kSocketDccSendIn ? "from"
                                                            : "to";
        std::string row =
            Format("DCC %s %s %s: %s", kind, way, record.name.c_str(), DccState(socket).c_str());
        if (socket.type != kSocketDccChat) {
            row += ", " + PlainFileName(socket.file_path) + ", " + SizeText(socket.transferred);
            if (socket.file_size != 0) row += " of " + SizeText(socket.file_size);
        }
        rows.push_back(row);
    }
    if (rows.empty()) rows.push_back("No DCC connections");
    for (const std::string& row : rows) ctx.output.Print(nullptr, "", Cls::Info, row);
}

// DCC CLOSE chat|send|get nick: ends that connection; its window stays.
void CloseDcc(CommandLine& line, std::string_view kind, const std::string& nick) {
    const ScriptContext& ctx = line.ctx;
    for (const ChannelRecord& record : ctx.registry.Records()) {
        const char* recordKind = DccKind(record);
        if (!recordKind || !EqualsNoCase(kind, recordKind) || !EqualsNoCase(record.name, nick))
            continue;
        if (!record.socket->HasPlatformSocket() && record.socket->dcc_token.empty()) continue;
        const FrameId frame = record.frame;
        ctx.dcc.CloseWindowSocket(frame);
        ctx.output.PrintF(nullptr, "", Cls::Info, "DCC %s with %s closed", recordKind,
                          nick.c_str());
        return;
    }
    ctx.output.PrintF(nullptr, "", Cls::UError, "No open DCC %s with %s", std::string(kind).c_str(),
                      nick.c_str());
}

// DCC GET joe [name]: the file joe offers, without waiting for the question.
void GetFile(CommandLine& line, std::string_view words) {
    const Split nick = SplitWord(words);
    if (nick.head.empty()) {
        line.ctx.output.Print(nullptr, "", Cls::UError, "Usage: /dcc get nick [file]");
        return;
    }
    const std::string who(nick.head);
    if (!line.ctx.host.AcceptDccFile(who, std::string(Trim(nick.tail))))
        line.ctx.output.PrintF(nullptr, "", Cls::UError, "No DCC file offer from %s is waiting",
                               who.c_str());
}

}  // namespace

// DCC CHAT joe, DCC SEND joe [file], DCC joe CHAT, DCC joe SEND (any
// letter case); a first word CHAT or SEND is always the kind, so the nick
// comes after it, or "-passive" and the nick. DCC GET takes an offer, DCC
// LIST and DCC CLOSE kind nick look after the connections. Any other word
// does nothing.
void DccCommand(CommandLine& line) {
    const std::string first = line.Target();
    Split rest = SplitWord(line.ArgsAfterTarget());
    if (EqualsNoCase(first, "GET")) {
        GetFile(line, line.ArgsAfterTarget());
        return;
    }
    if (EqualsNoCase(first, "LIST")) {
        ListDcc(line);
        return;
    }
    if (EqualsNoCase(first, "CLOSE")) {
        const Split nick = SplitWord(rest.tail);
        if (nick.head.empty() ||
            !(EqualsNoCase(rest.head, "CHAT") || EqualsNoCase(rest.head, "SEND") ||
              EqualsNoCase(rest.head, "GET")))
            line.ctx.output.Print(nullptr, "", Cls::UError, "Usage: /dcc close chat|send|get nick");
        else
            CloseDcc(line, rest.head, std::string(nick.head));
        return;
    }
    const bool chat = EqualsNoCase(first, "CHAT");
    if (chat || EqualsNoCase(first, "SEND")) {
        const bool passive = EqualsNoCase(rest.head, "-passive");
        if (passive) rest = SplitWord(rest.tail);
        const std::string nick(rest.head);
        if (nick.empty()) {
            line.ctx.output.PrintF(nullptr, "", Cls::UError, "Usage: /dcc %s [-passive] nick%s",
                                   chat ? "chat" : "send", chat ? "" : " [file]");
            return;
        }
        if (chat)
            OfferChat(line, nick, passive);
        else
            OfferFile(line, nick, std::string(Trim(rest.tail)), passive);
        return;
    }
    if (EqualsNoCase(rest.head, "CHAT"))
        OfferChat(line, first, false);
    else if (EqualsNoCase(rest.head, "SEND"))
        OfferFile(line, first, "", false);
}

}  // namespace zorl
