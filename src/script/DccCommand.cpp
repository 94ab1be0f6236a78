// The DCC command: offers a chat or a file to a nick, in the form other
// clients have and in the older one with the nick first.
//   /DCC CHAT joe           ->  PRIVMSG joe :\1DCC CHAT chat 3232235521 2000\1
//   /DCC SEND joe notes.txt ->  PRIVMSG joe :\1DCC SEND notes.txt 3232235521 2001 1000\1
//   /DCC joe CHAT, /DCC joe SEND (the file chosen in a dialog)
// The offer goes over the server connection and names its own end of it:
// that is the address the peer can reach.
#include <filesystem>

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

}  // namespace

// DCC CHAT joe, DCC SEND joe [file], DCC joe CHAT, DCC joe SEND (any
// letter case); a first word CHAT or SEND is always the kind, so the nick
// comes after it. Any other word does nothing.
void DccCommand(CommandLine& line) {
    const std::string first = line.Target();
    const Split rest = SplitWord(line.ArgsAfterTarget());
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
