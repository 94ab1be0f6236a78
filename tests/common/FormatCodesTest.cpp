// What remains of chat text once its formatting codes are read, and where
// its web addresses are. The output pane draws from the same scanner, so
// these rows are also what the user sees.
#include <gtest/gtest.h>

#include "common/FormatCodes.h"
#include "common/Links.h"
#include "common/Speakers.h"

namespace zorl {
namespace {

TEST(FormatCodes, VisibleTextKeepsTheTextsOwnCharacters) {
    const struct {
        const char* what;
        std::string text;
        std::string visible;
    } cases[] = {
        {"colour then a number",
         "\x03"
         "04"
         "2 apples",
         "2 apples"},
        {"background then a digit",
         "\x03"
         "04,012",
         "2"},
        {"a comma without a digit",
         "\x03"
         "4,x",
         ",x"},
        {"a bare colour code",
         "a\x03"
         "b\x03",
         "ab"},
        {"every effect code",
         "\x02"
         "b\x1d"
         "i\x1fu\x1es\x11m\x16r\x0Fp",
         "biusmrp"},
        {"terminal sequences go whole",
         "\x1b[1;31mred\x1b[0m \x1b"
         "x",
         "red x"},
        {"a sequence cut off at the end", "a\x1b[31;", "a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(VisibleText(c.text), c.visible);
    }
}

TEST(FormatCodes, ColourTokensCarryBothNumbers) {
    FormatScanner scanner(
        "\x03"
        "12,05x\x03");
    FormatToken token;
    ASSERT_TRUE(scanner.Next(token));
    EXPECT_EQ(token.kind, FormatToken::Kind::IrcColour);
    EXPECT_EQ(token.foreground, 12);
    EXPECT_EQ(token.background, 5);
    ASSERT_TRUE(scanner.Next(token));
    EXPECT_EQ(token.text, "x");
    ASSERT_TRUE(scanner.Next(token));
    EXPECT_EQ(token.foreground, FormatToken::kNone);
    EXPECT_FALSE(scanner.Next(token));
}

TEST(Links, WebAddressesInChatText) {
    const struct {
        const char* text;
        std::vector<std::string> links;
    } cases[] = {
        {"see https://example.org/a?b=1#c now", {"https://example.org/a?b=1#c"}},
        {"HTTP://Example.org.", {"HTTP://Example.org"}},
        {"(http://example.org/x)", {"http://example.org/x"}},
        {"http://en.example.org/A_(b), ok", {"http://en.example.org/A_(b)"}},
        {"<http://a.example>\"http://b.example\"", {"http://a.example", "http://b.example"}},
        {"http://a.example\x02http://b.example", {"http://a.example", "http://b.example"}},
        {"ftp://x.example xhttp://y.example http:// http:///path mailto:a@b", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> found;
        const std::string_view text = c.text;
        for (const LinkSpan& link : FindWebLinks(text))
            found.emplace_back(text.substr(link.start, link.length));
        EXPECT_EQ(found, c.links);
    }
    EXPECT_TRUE(IsWebLink("https://example.org/"));
    EXPECT_FALSE(IsWebLink("https://example.org/ x"));
    EXPECT_FALSE(IsWebLink("file:///etc/passwd"));
    // File links are found only when asked for, and open as their folder.
    const std::string_view saved = "saved as file:///home/u/download/a%20b.txt.";
    ASSERT_EQ(FindWebLinks(saved, true), (std::vector<LinkSpan>{{9, 33}}));
    EXPECT_EQ(FolderLinkOf(saved.substr(9, 33)), "file:///home/u/download/");
    EXPECT_EQ(FolderLinkOf("file:///"), "");
    EXPECT_EQ(FileLink("/u/a b\xC3\xA9%.txt"), "file:///u/a%20b%C3%A9%25.txt");
    EXPECT_EQ(FolderLinkOf("file://host/x"), "");
    EXPECT_EQ(FolderLinkOf("https://example.org/x"), "");
}

TEST(Speakers, TheSpeakerOfAChatLine) {
    const struct {
        const char* line;
        const char* speaker;
    } rows[] = {
        {"<alice> hi", "<alice>"},
        {"* alice waves", "* alice"},
        {"-alice- notice", "-alice-"},
        {"<alice>\r\n", "<alice>"},
        {"*** alice joined", ""},
        {"<a b> x", ""},
        {"<alice>hi", ""},
        {"- x -", ""},
        {"<>", ""},
        {"[9:05] <alice> hi", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const std::string_view line = row.line;
        EXPECT_EQ(line.substr(0, SpeakerLength(line)), row.speaker);
    }
    EXPECT_EQ(SpeakerNick("* alice"), "alice");
    EXPECT_EQ(SpeakerNick("<alice>"), "alice");
}

}  // namespace
}  // namespace zorl
