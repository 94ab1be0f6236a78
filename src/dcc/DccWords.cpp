#include "dcc/DccWords.h"

#include <string_view>

#include "common/Numbers.h"
#include "common/TextSplit.h"
#include "session/IrcSocket.h"

namespace zorl {

std::string DccFileWord(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"') c = '_';
    return name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
}

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

std::string DccRequestLine(const std::string& nick, const std::string& words) {
    return "PRIVMSG " + nick + " :\x01" + words + "\x01";
}

}  // namespace zorl
