// Turns one server line (without CR LF) into an IrcMessage and decides
// whether its sender is ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "session/IrcMessage.h"

namespace zorl {

// Parses without side effects; `ignored` is set from the ignore list.
IrcMessage ParseMessage(std::string_view line, const std::string& myNick,
                        const std::vector<std::string>& ignoreList, bool& ignored);
// The same into an existing record, whose parameter strings are reused.
void ParseMessageInto(IrcMessage& message, std::string_view line, const std::string& myNick,
                      const std::vector<std::string>& ignoreList, bool& ignored);

}  // namespace zorl
