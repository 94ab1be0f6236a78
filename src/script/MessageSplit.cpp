#include "script/MessageSplit.h"

#include <algorithm>

#include "common/Text.h"

namespace zorl {
namespace {

constexpr char kColour = '\x03';
// A colour code is at most 0x03 and "NN,NN".
constexpr std::size_t kLongestColourCode = 6;
constexpr std::size_t kLongestUtf8 = 4;
constexpr std::size_t kSmallestRoom = 32;

// One past the end of the colour code at `at`: "\x0304,12" is 6 bytes long,
// "\x034" 2, "\x03," 1 (a comma without digits is text).
std::size_t ColourCodeEnd(std::string_view text, std::size_t at) {
    std::size_t end = at + 1;
    end += std::min<std::size_t>(DigitRun(text.substr(end)), 2);
    if (end + 1 < text.size() && text[end] == ',' && IsDigit(text[end + 1]))
        end += 1 + std::min<std::size_t>(DigitRun(text.substr(end + 1)), 2);
    return end;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The length a UTF-8 lead byte announces; 0 for any other byte.
std::size_t SequenceLength(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0xF0 && b < 0xF8) return 4;
    if (b >= 0xE0) return b < 0xF0 ? 3 : 0;
    if (b >= 0xC0) return 2;
    return 0;
}

// Moves a cut at `cut` back to the start of the UTF-8 sequence it would
// split. Bytes that only look like part of a sequence (Windows-1252 text)
// leave the cut where it is.
std::size_t OutsideSequence(std::string_view text, std::size_t cut) {
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < kLongestUtf8 - 1 && IsContinuation(text[lead])) --lead;
    if (lead < cut && SequenceLength(text[lead]) > cut - lead) return lead;
    return cut;
}

// Moves a cut that falls inside a colour code to just before its 0x03.
std::size_t OutsideColourCode(std::string_view text, std::size_t cut) {
    const std::size_t from = cut > kLongestColourCode ? cut - kLongestColourCode : 0;
    for (std::size_t at = cut; at-- > from;) {
        if (text[at] != kColour) continue;
        return cut < ColourCodeEnd(text, at) ? at : cut;
    }
    return cut;
}

// Where the first piece of `text` (longer than `room`) ends.
std::size_t CutPoint(std::string_view text, std::size_t room) {
    const std::size_t blank = text.rfind(' ', room);
    if (blank != std::string_view::npos && blank >= room / 2 && blank > 0) return blank;
    const std::size_t cut = OutsideColourCode(text, OutsideSequence(text, room));
    return cut > 0 ? cut : room;
}

}  // namespace

std::size_t MessageTextRoom(const std::string& nick, const std::string& user,
                            std::string_view command, const std::string& target,
                            std::size_t framing) {
    // ":" nick "!~" user "@" host " "  and  command " " target " :"  and  CR LF
    const std::size_t prefix = 1 + nick.size() + 2 + user.size() + 1 + kLongestHost + 1;
    const std::size_t head = command.size() + 1 + target.size() + 2;
    const std::size_t used = prefix + head + framing + 2;
    return used + kSmallestRoom < kRelayedLineLimit ? kRelayedLineLimit - used : kSmallestRoom;
}

std::vector<std::string> SplitMessageText(std::string_view text, std::size_t room) {
    room = std::max(room, kSmallestRoom);
    std::vector<std::string> pieces;
    while (text.size() > room) {
        const std::size_t cut = CutPoint(text, room);
        pieces.emplace_back(text.substr(0, cut));
        text.remove_prefix(cut);
        if (text.starts_with(' ')) text.remove_prefix(1);
    }
    pieces.emplace_back(text);
    return pieces;
}

}  // namespace zorl
