#include "dcc/DccWords.h"

#include <string_view>

#include "common/Numbers.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "session/IrcSocket.h"

namespace zorl {

Split TakeFileName(std::string_view words) {
    if (words.starts_with('"')) {
        const std::size_t close = words.find('"', 1);
        if (close != std::string_view::npos)
            return {words.substr(1, close - 1), TrimLeft(words.substr(close + 1)), true};
    }
    return SplitWord(words);
}

bool ReadNumber(std::string_view word, std::size_t digits, uint64_t& value) {
    if (!IsAllDigits(word) || word.size() > digits) return false;
    value = 0;
    for (char c : word) value = value * 10 + static_cast<uint64_t>(c - '0');
    return true;
}

bool ReadSize(std::string_view word, uint64_t& value) {
    if (!IsAllDigits(word)) return false;
    value = 0;
    for (char c : word) {
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

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
