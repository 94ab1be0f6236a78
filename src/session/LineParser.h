// Turns one server line (without CR LF) into an IrcMessage and decides
// whether its sender is ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "session/IrcMessage.h"

namespace zorl {

// The longest tag section a server may send, its "@" and the blank after it
// included.
constexpr std::size_t kMaxTagSection = 8191;

// Parses without side effects; `ignored` is set from the ignore list.
IrcMessage ParseMessage(std::string_view line, const std::string& myNick,
                        const std::vector<std::string>& ignoreList, bool& ignored);
// The same into an existing record, whose parameter strings are reused.
// False, and the record left without a command, when the line's tag section
// is longer than kMaxTagSection: such a line is not handled.
bool ParseMessageInto(IrcMessage& message, std::string_view line, const std::string& myNick,
                      const std::vector<std::string>& ignoreList, bool& ignored);

// A tag value as the wire escapes it, unescaped: "a\sb\:c" -> "a b;c".
std::string UnescapeTagValue(std::string_view escaped);

}  // namespace zorl
