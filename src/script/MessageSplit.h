// Long messages go out in pieces. A server relays every message with the
// sender's ":nick!user@host " in front and refuses a line longer than 512
// bytes ("Request too long"), dropping the whole connection with it, so a
// piece must fit with that prefix added, even for a long host name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zorl {

// A line as the server relays it, CR LF included.
constexpr std::size_t kRelayedLineLimit = 512;  // unless the server's LINELEN says more
// Room kept for the host name the server puts in our prefix; we cannot know
// it, and 63 bytes covers the names and cloaks servers hand out.
constexpr std::size_t kLongestHost = 63;

// The bytes of text that fit in one relayed line
//   ":nick!~user@host COMMAND target :" + framing + text + CR LF
// where `framing` counts the bytes around the text (9 for an action's
// "\1ACTION " and "\1"). Never below a small floor, so even a silly
// target still makes progress. `lineLimit`: the longest relayed line.
std::size_t MessageTextRoom(const std::string& nick, const std::string& user,
                            std::string_view command, const std::string& target,
                            std::size_t framing, std::size_t lineLimit = kRelayedLineLimit);

// Cuts `text` into pieces of at most `room` bytes. A piece ends at its last
// blank when that blank lies in its back half (the blank itself is dropped);
// otherwise it is cut where it fills up, but never inside a UTF-8 sequence
// or a formatting code (a colour with its digits, a terminal sequence;
// common/FormatCodes.h reads them). A text that fits is one piece.
std::vector<std::string> SplitMessageText(std::string_view text, std::size_t room);

}  // namespace zorl
