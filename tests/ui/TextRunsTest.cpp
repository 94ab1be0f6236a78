// Control codes in a piece of output: what is shown, in which style.
#include <gtest/gtest.h>

#include "config/Settings.h"
#include "ui/TextRuns.h"

namespace zorl::ui {
namespace {

constexpr Colour kPiece = 0x123456;  // the piece's own colour
constexpr Colour kBlack = 0x000000;  // IRC 1
constexpr Colour kGreen = 0x008000;  // IRC 3, terminal 32
constexpr Colour kRed = 0x0000FF;    // IRC 4, terminal 31
constexpr Colour kBlue = 0xFF0000;   // IRC 12
constexpr Colour kGrey = 0xC0C0C0;   // IRC 15

ColourTables Tables() {
    ColourTables tables;
    tables.irc = {{"1", kBlack}, {"3", kGreen}, {"4", kRed}, {"12", kBlue}, {"15", kGrey}};
    tables.ansi = {{"31", kRed}, {"32", kGreen}};
    return tables;
}

RunStyle Plain(Colour colour = kPiece) { return {.colour = colour}; }
RunStyle On(Colour colour, Colour background) {
    return {.colour = colour, .background = background, .hasBackground = true};
}

struct Case {
    const char* what;
    std::string text;
    std::vector<TextRun> runs;
};

TEST(TextRuns, ControlCodesBecomeStyles) {
    const Case cases[] = {
        {"a bare colour code ends the colour",
         "\x03"
         "04red\x03 plain",
         {{"red", Plain(kRed)}, {" plain", Plain()}}},
        {"two digits at most for the background",
         "\x03"
         "04,012",
         {{"2", On(kRed, kBlack)}}},
        {"two digits at most: the text's own digits stay",
         "\x03"
         "03"
         "4 apples",
         {{"4 apples", Plain(kGreen)}}},
        {"a digit of text after one digit is the colour's second digit",
         "\x03"
         "3"
         "4 apples",
         {{" apples", Plain()}}},
        {"\\x03 alone", "\x03", {}},
        {"colour with a background",
         "\x03"
         "4,12word",
         {{"word", On(kRed, kBlue)}}},
        {"the background goes with the colour code",
         "\x03"
         "4,12a\x03"
         "3b\x03"
         "c",
         {{"a", On(kRed, kBlue)}, {"b", On(kGreen, kBlue)}, {"c", Plain()}}},
        {"a number beyond the table keeps the colour",
         "\x03"
         "4a\x03"
         "99b\x03"
         "15,77c",
         {{"ab", Plain(kRed)}, {"c", Plain(kGrey)}}},
        {"a comma without a digit is text",
         "\x03"
         "4,x",
         {{",x", Plain(kRed)}}},
        {"a comma without a colour is text", "\x03,5x", {{",5x", Plain()}}},
        {"bold toggles",
         "x\x02y\x02z",
         {{"x", Plain()}, {"y", {.colour = kPiece, .bold = true}}, {"z", Plain()}}},
        {"italic, strike-through, monospace",
         "\x1di\x1d\x1es\x1e\x11m",
         {{"i", {.colour = kPiece, .italic = true}},
          {"s", {.colour = kPiece, .strike = true}},
          {"m", {.colour = kPiece, .monospace = true}}}},
        {"reverse is reverse",
         "\x1fu\x16r",
         {{"u", {.colour = kPiece, .underline = true}},
          {"r", {.colour = kPiece, .underline = true, .reverse = true}}}},
        {"plain clears effects and colours",
         "\x03"
         "4,12\x02\x1f\x16r\x0Fp",
         {{"r",
           {.colour = kRed,
            .background = kBlue,
            .hasBackground = true,
            .bold = true,
            .underline = true,
            .reverse = true}},
          {"p", Plain()}}},
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
        {"line breaks become one newline each", "a\r\nb\rc\nd\r\n", {{"a\nb\nc\nd\n", Plain()}}},
        {"codes only", "\x02\x02\x0F", {}},
        {"a web address is a run of its own",
         "see \x02https://example.org/x\x02.",
         {{"see ", Plain()},
          {"https://example.org/x", {.colour = kPiece, .bold = true, .link = true}},
          {".", Plain()}}},
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
        "4,5x\x1b[31m http://x.org\r\n";
    auto runs = ParsePiece(raw, kPiece, true, Tables());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].style, Plain());
    EXPECT_EQ(runs[0].text,
              "<< :n!u@h PRIVMSG #c :\x02hi\x03"
              "4,5x\x1b[31m http://x.org\n");
}

TEST(TextRuns, EscapeSequenceMayEatALineBreak) {
    // The final character of a sequence goes with it, even a line break.
    auto runs = ParsePiece("a\x1b[31\nb\r\n", kPiece, false, Tables());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, "ab\n");
}

}  // namespace
}  // namespace zorl::ui
