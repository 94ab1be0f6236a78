// The DCC command: offers a chat or a file to a nick, in the form other
// clients have and in the older one with the nick first.
//   /DCC CHAT joe           ->  PRIVMSG joe :\1DCC CHAT chat 3232235521 2000\1
//   /DCC SEND joe notes.txt ->  PRIVMSG joe :\1DCC SEND notes.txt 3232235521 2001 1000\1
//   /DCC joe CHAT, /DCC joe SEND (the file chosen in a dialog)
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
#include "platform/Platform.h"
#include "script/CommandLine.h"
#include "script/CommandTable.h"
#include "script/ScriptContext.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "windows/ChannelRecord.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

// "192.168.0.1" -> 3232235521. An unconnected socket gives 0.
uint32_t LocalAddressNumber(const CIrcSocket* socket) {
    std::string dotted;
    uint16_t port = 0;
    if (!socket || !socket->LocalAddress(dotted, port)) dotted = "0.0.0.0";
    uint32_t number = 0;
    std::string_view rest = dotted;
    for (int part = 0; part < 4; ++part) {
        const Split piece = SplitAt(rest, ".");
        number = number * 256 + static_cast<uint32_t>(Atoi(piece.head));
        rest = piece.tail;
    }
    return number;
}

// The file name as offered: the part after the last "/". Control bytes
// would break the CTCP line; a name with blanks goes in double quotes, as
// other clients expect and send it.
std::string OfferedName(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"') c = '_';
    return name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
}

// The offer alone: no notice of the command's words goes to the peer.
void SendOffer(CommandLine& line, const std::string& nick, const std::string& offer) {
    CServerConnection& server = line.ctx.Connection();
    server.SendLine(server.Socket(), "PRIVMSG " + nick + " :\x01" + offer + "\x01", true);
}

void OfferChat(CommandLine& line, const std::string& nick) {
    const ScriptContext& ctx = line.ctx;
    const int port = ctx.dcc.port_counter;
    const std::string offer =
        Format("DCC CHAT chat %u %d", LocalAddressNumber(ctx.Connection().Socket()), port);
    // Listening before the offer goes out: a peer that accepts at once must
    // find the port open, and none is offered that could not be opened.
    CIrcSocket* socket = ctx.dcc.DccListen("0.0.0.0", port, kSocketDccChat);
    ++ctx.dcc.port_counter;
    if (!socket) return;
    SendOffer(line, nick, offer);
    ctx.registry.NewWindow(nick, kWindowDccQuery, socket, true);
    ctx.output.PrintF(socket, nick, Cls::CTCP, "DCC chat with %s, waiting for acknowledgement",
                      nick.c_str());
}

// `path` empty: the user picks the file.
void OfferFile(CommandLine& line, const std::string& nick, std::string path) {
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
    const int port = ctx.dcc.port_counter;
    std::string offer = "DCC SEND " + OfferedName(path) +
                        Format(" %u %d", LocalAddressNumber(ctx.Connection().Socket()), port);
    if (size != 0) offer += Format(" %llu", static_cast<unsigned long long>(size));
    CIrcSocket* socket = ctx.dcc.DccListen("0.0.0.0", port, kSocketDccSendOut);
    ++ctx.dcc.port_counter;
    if (!socket) return;
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
    return socket.HasPlatformSocket() ? "waiting for the peer" : "closed";
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
        if (!record.socket->HasPlatformSocket()) continue;
        const FrameId frame = record.frame;
        ctx.dcc.CloseWindowSocket(frame);
        ctx.output.PrintF(nullptr, "", Cls::Info, "DCC %s with %s closed", recordKind,
                          nick.c_str());
        return;
    }
    ctx.output.PrintF(nullptr, "", Cls::UError, "No open DCC %s with %s", std::string(kind).c_str(),
                      nick.c_str());
}

}  // namespace

// DCC CHAT joe, DCC SEND joe [file], DCC joe CHAT, DCC joe SEND (any
// letter case); a first word CHAT or SEND is always the kind, so the nick
// comes after it. DCC LIST and DCC CLOSE kind nick look after the
// connections. Any other word does nothing.
void DccCommand(CommandLine& line) {
    const std::string first = line.Target();
    const Split rest = SplitWord(line.ArgsAfterTarget());
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
        const std::string nick(rest.head);
        if (nick.empty()) {
            line.ctx.output.PrintF(nullptr, "", Cls::UError, "Usage: /dcc %s nick%s",
                                   chat ? "chat" : "send", chat ? "" : " [file]");
            return;
        }
        if (chat)
            OfferChat(line, nick);
        else
            OfferFile(line, nick, std::string(Trim(rest.tail)));
        return;
    }
    if (EqualsNoCase(rest.head, "CHAT"))
        OfferChat(line, first);
    else if (EqualsNoCase(rest.head, "SEND"))
        OfferFile(line, first, "");
}

}  // namespace zorl
