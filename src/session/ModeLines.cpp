#include "session/ModeLines.h"

#include <algorithm>

namespace zorl {

std::vector<std::string> ModeLines(const std::string& channel, bool add, char mode,
                                   const std::vector<std::string>& masks, std::size_t perLine,
                                   std::size_t lineLength) {
    std::vector<std::string> lines;
    perLine = std::max<std::size_t>(perLine, 1);
    // "MODE #c " + sign, the letters, the masks and CR LF.
    const std::size_t head = 5 + channel.size() + 2 + 2;
    std::size_t at = 0;
    while (at < masks.size()) {
        std::string letters(1, add ? '+' : '-');
        std::string arguments;
        std::size_t taken = 0;
        while (at + taken < masks.size() && taken < perLine) {
            const std::string& mask = masks[at + taken];
            const bool fits =
                head + letters.size() + 1 + arguments.size() + 1 + mask.size() <= lineLength;
            if (taken > 0 && !fits) break;
            letters += mode;
            arguments += " " + mask;
            ++taken;
        }
        lines.push_back("MODE " + channel + " " + letters + arguments);
        at += taken;
    }
    return lines;
}

}  // namespace zorl
