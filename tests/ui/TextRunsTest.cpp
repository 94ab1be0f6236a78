// Control codes in a piece of output: what is shown, in which style.
#include <gtest/gtest.h>

#include "app/Settings.h"
#include "ui/TextRuns.h"

namespace zorl::ui {
namespace {

constexpr Colour kPiece = 0x123456;  // the piece's own colour
constexpr Colour kRed = 0x0000FF;    // IRC 4, terminal 31
constexpr Colour kBlue = 0xFF0000;   // IRC 12
constexpr Colour kGrey = 0xC0C0C0;   // IRC 15
constexpr Colour kGreen = 0x008000;  // terminal 32

ColourTables Tables() {
    ColourTables tables;
    tables.irc = {{"4", kRed}, {"12", kBlue}, {"15", kGrey}};
    tables.ansi = {{"31", kRed}, {"32", kGreen}};
    return tables;
}

RunStyle Plain(Colour colour = kPiece) { return {colour, false, false, false}; }
RunStyle Bold(Colour colour = kPiece) { return {colour, true, false, false}; }

struct Case {
    const char* what;
    std::string text;
    std::vector<TextRun> runs;
};

TEST(TextRuns, ControlCodesBecomeStyles) {
    const Case cases[] = {
        {"colour with a background",
         "\x03"
         "4,12word",
         {{"word", Plain(kRed)}}},
        {"two-digit colour",
         "\x03"
         "12blue",
         {{"blue", Plain(kBlue)}}},
        {"\"04\" is no colour: digits hidden, colour kept",
         "a\x03"
         "04word",
         {{"aword", Plain()}}},
        {"number beyond the table",
         "\x03"
         "99x",
         {{"x", Plain()}}},
        {"all digits belong to the code",
         "\x03"
         "152x",
         {{"x", Plain()}}},
        {"comma without colour", "\x03,5x", {{"x", Plain()}}},
        {"comma without background",
         "\x03"
         "15,x",
         {{"x", Plain(kGrey)}}},
        {"bare colour code keeps the colour",
         "\x03"
         "4r\x03g",
         {{"rg", Plain(kRed)}}},
        {"bold toggles", "x\x02y\x02z", {{"x", Plain()}, {"y", Bold()}, {"z", Plain()}}},
        {"plain clears effects and colour",
         "\x03"
         "4\x02\x1fr\x0Fp",
         {{"r", {kRed, true, true, false}}, {"p", Plain()}}},
        {"reverse shows as strike-out",
         "\x1fu\x16s",
         {{"u", {kPiece, false, true, false}}, {"s", {kPiece, false, true, true}}}},
        {"terminal colour, then a group that is no colour",
         "\x1b[31;1mred",
         {{"red", Plain(kRed)}}},
        {"last colour group wins", "\x1b[31;32mx", {{"x", Plain(kGreen)}}},
        {"group ending at another final character", "\x1b[31Hx", {{"x", Plain()}}},
        {"sequence cut off at the end", "a\x1b[31", {{"a", Plain()}}},
        {"lone escape is dropped",
         "a\x1b"
         "b",
         {{"ab", Plain()}}},
        {"escape at the very end", "a\x1b", {{"a", Plain()}}},
        {"line breaks become one newline each", "a\r\nb\rc\nd\r\n", {{"a\nb\nc\nd\n", Plain()}}},
        {"codes only", "\x02\x02\x0F", {}},
    };
    const ColourTables tables = Tables();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ParsePiece(c.text, kPiece, false, tables), c.runs);
    }
}

TEST(TextRuns, DebugPieceKeepsEveryCharacter) {
    const std::string raw =
        "<< :n!u@h PRIVMSG #c :\x02hi\x03"
        "4,5x\x1b[31m\r\n";
    auto runs = ParsePiece(raw, kPiece, true, Tables());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].style, Plain());
    EXPECT_EQ(runs[0].text,
              "<< :n!u@h PRIVMSG #c :\x02hi\x03"
              "4,5x\x1b[31m\n");
}

TEST(TextRuns, EscapeSequenceMayEatALineBreak) {
    // The final character of a sequence goes with it, even a line break.
    auto runs = ParsePiece("a\x1b[31\nb\r\n", kPiece, false, Tables());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, "ab\n");
}

}  // namespace
}  // namespace zorl::ui
