// Many long masks in MODE lines: none longer than the server takes, none
// lost, and the letters match the masks.
#include "session/ModeLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorl {
namespace {

TEST(ModeLinesTest, LongMasksSplitWithinTheLineLength) {
    std::vector<std::string> masks;
    for (int i = 0; i < 40; ++i) masks.push_back(std::to_string(i) + std::string(60, 'x') + "!*@*");
    const std::vector<std::string> lines = ModeLines("#chan", true, 'b', masks, 100, 512);
    std::size_t carried = 0;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size() + 2, 512u) << line;                              // with CR LF
        const std::string letters = line.substr(11, line.find(' ', 11) - 11);  // "MODE #chan +bbb"
        std::size_t words = 0;
        for (char c : line) words += c == ' ';
        EXPECT_EQ(letters.size() - 1, words - 2) << line;  // the sign, then a letter a mask
        carried += letters.size() - 1;
    }
    EXPECT_EQ(carried, masks.size());
    EXPECT_GT(lines.size(), 1u);
}

}  // namespace
}  // namespace zorl
