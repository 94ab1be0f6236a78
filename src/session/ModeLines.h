// MODE lines that set or clear many masks of one list mode (bans, ban
// exceptions, invite exceptions) within the server's limits: at most MODES
// changes a line, and no line longer than the server takes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zorl {

// "MODE #c -bbb a!*@* b!*@* c!*@*", ...; `perLine` at least 1.
std::vector<std::string> ModeLines(const std::string& channel, bool add, char mode,
                                   const std::vector<std::string>& masks, std::size_t perLine,
                                   std::size_t lineLength);

}  // namespace zorl
