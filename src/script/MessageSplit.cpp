#include "script/MessageSplit.h"

#include <algorithm>

#include "common/FormatCodes.h"

namespace zorl {
namespace {

constexpr std::size_t kLongestUtf8 = 4;
constexpr std::size_t kSmallestRoom = 32;

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The length a UTF-8 lead byte announces; 0 for any other byte.
std::size_t SequenceLength(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0xF0 && b < 0xF8) return 4;
    if (b >= 0xE0) return b < 0xF0 ? 3 : 0;
    if (b >= 0xC0) return 2;
    return 0;
}

// Whether a cut at `cut` splits a UTF-8 sequence. Bytes that only look like
// part of one (Windows-1252 text) may be cut anywhere.
bool InsideSequence(std::string_view text, std::size_t cut) {
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < kLongestUtf8 - 1 && IsContinuation(text[lead])) --lead;
    return lead < cut && SequenceLength(text[lead]) > cut - lead;
}

// For every byte position of `text` (its end included), whether a piece may
// end there. Not inside a formatting code: the digits of a colour belong to
// their 0x03 ("\x03" "04" "2 apples" cut after "\x03" "0" would turn the
// text's "2" into part of the colour), and a terminal sequence is one code.
std::vector<bool> CutPoints(std::string_view text) {
    std::vector<bool> allowed(text.size() + 1, false);
    allowed[text.size()] = true;
    for (std::size_t at = 0; at < text.size(); ++at)
        if (IsFormatCode(text[at])) allowed[at] = true;
    FormatScanner scanner(text);
    FormatToken token;
    while (scanner.Next(token)) {
        if (token.kind != FormatToken::Kind::Text) continue;
        const auto start = static_cast<std::size_t>(token.text.data() - text.data());
        std::fill_n(allowed.begin() + static_cast<std::ptrdiff_t>(start), token.text.size() + 1,
                    true);
    }
    for (std::size_t at = 1; at < text.size(); ++at)
        if (InsideSequence(text, at)) allowed[at] = false;
    return allowed;
}

// Where the piece that starts at `from` ends when more than `room` bytes
// are left: at its last blank in the back half of the piece, else at the
// last allowed point.
std::size_t CutPoint(std::string_view text, const std::vector<bool>& allowed, std::size_t from,
                     std::size_t room) {
    const std::size_t blank = text.rfind(' ', from + room);
    if (blank != std::string_view::npos && blank >= from + room / 2 && blank > from &&
        allowed[blank])
        return blank;
    for (std::size_t cut = from + room; cut > from; --cut)
        if (allowed[cut]) return cut;
    return from + room;  // one code longer than a whole piece: no better cut
}

}  // namespace

std::size_t MessageTextRoom(const std::string& nick, const std::string& user,
                            std::string_view command, const std::string& target,
                            std::size_t framing, std::size_t lineLimit) {
    // ":" nick "!~" user "@" host " "  and  command " " target " :"  and  CR LF
    const std::size_t prefix = 1 + nick.size() + 2 + user.size() + 1 + kLongestHost + 1;
    const std::size_t head = command.size() + 1 + target.size() + 2;
    const std::size_t used = prefix + head + framing + 2;
    return used + kSmallestRoom < lineLimit ? lineLimit - used : kSmallestRoom;
}

std::vector<std::string> SplitMessageText(std::string_view text, std::size_t room) {
    room = std::max(room, kSmallestRoom);
    const std::vector<bool> allowed = CutPoints(text);
    std::vector<std::string> pieces;
    std::size_t from = 0;
    while (text.size() - from > room) {
        const std::size_t cut = CutPoint(text, allowed, from, room);
        pieces.emplace_back(text.substr(from, cut - from));
        from = cut;
        if (from < text.size() && text[from] == ' ') ++from;
    }
    pieces.emplace_back(text.substr(from));
    return pieces;
}

}  // namespace zorl
