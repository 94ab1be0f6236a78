// The line splitter on its own: reads in, lines and the kept rest out.
#include <gtest/gtest.h>

#include "session/LineSplitter.h"

namespace zorl {
namespace {

struct Outcome {
    std::vector<std::string> lines;  // "!" stands for a dropped line
    std::string rest;
    bool dropping = false;
};

// Feeds the reads one after the other, carrying rest and flag like a socket.
Outcome Feed(const std::vector<std::string>& reads, std::size_t limit = 16) {
    Outcome out;
    for (const std::string& read : reads) {
        CLineSplitter splitter(out.rest + read, out.dropping, limit);
        std::string_view line;
        for (CLineSplitter::Piece p; (p = splitter.Next(line)) != CLineSplitter::kDone;)
            out.lines.push_back(p == CLineSplitter::kLine ? std::string(line) : "!");
        out.rest = splitter.TakeRest();
        out.dropping = splitter.Discarding();
    }
    return out;
}

using Lines = std::vector<std::string>;

TEST(LineSplitter, CutsOnlyAtCrLfAcrossReads) {
    struct Case {
        const char* what;
        std::vector<std::string> reads;
        Lines lines;
        std::string rest;
    } cases[] = {
        {"two lines in one read", {"PING :a\r\nPING :b\r\n"}, {"PING :a", "PING :b"}, ""},
        {"a line split across reads", {"PING", " :a\r", "\nX"}, {"PING :a"}, "X"},
        {"read ending exactly at CR LF", {"A\r\nB\r\n"}, {"A", "B"}, ""},
        {"LF alone ends nothing", {"A\nB\n", "C\r\n"}, {"A\nB\nC"}, ""},
        {"CR alone ends nothing", {"A\rB\r\r\n"}, {"A\rB\r"}, ""},
        {"empty line between two CR LF", {"A\r\n\r\nB\r\n"}, {"A", "", "B"}, ""},
        {"incomplete line waits", {"A\r\nPART #x"}, {"A"}, "PART #x"},
        {"nothing but CR LF", {"\r\n"}, {""}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Outcome out = Feed(c.reads);
        EXPECT_EQ(out.lines, c.lines);
        EXPECT_EQ(out.rest, c.rest);
        EXPECT_FALSE(out.dropping);
    }
}

// Limit 16 in these cases: a line of 16 bytes passes, 17 is dropped.
TEST(LineSplitter, DropsOverlongLinesAndResumesAfterTheirCrLf) {
    const std::string fits(16, 'a');
    const std::string over(17, 'b');
    struct Case {
        const char* what;
        std::vector<std::string> reads;
        Lines lines;
        std::string rest;
        bool dropping;
    } cases[] = {
        {"line of exactly the limit", {fits + "\r\n"}, {fits}, "", false},
        {"limit line whose CR LF is split", {fits + "\r", "\nX"}, {fits}, "X", false},
        {"complete over-long line", {"A\r\n" + over + "\r\nB\r\n"}, {"A", "!", "B"}, "", false},
        {"over-long rest, dropped at once", {"A\r\n" + over}, {"A", "!"}, "", true},
        {"dropped through several reads", {over, over, "tail\r\nB\r\n"}, {"!", "B"}, "", false},
        {"CR LF of a dropped line split", {over + "\r", "\nB\r\n"}, {"!", "B"}, "", false},
        {"CR inside a dropped line", {over + "\r", "x\r\nB\r\n"}, {"!", "B"}, "", false},
        {"still dropping, next line waits", {over, "x\r\nB"}, {"!"}, "B", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Outcome out = Feed(c.reads);
        EXPECT_EQ(out.lines, c.lines);
        EXPECT_EQ(out.rest, c.rest);
        EXPECT_EQ(out.dropping, c.dropping);
    }
}

TEST(LineSplitter, KeptRestNeverExceedsLimitPlusCr) {
    // Byte by byte: the rest grows to the limit plus a waiting CR, no further.
    std::string line(16, 'z');
    std::vector<std::string> reads;
    for (char ch : line + "\r") reads.push_back(std::string(1, ch));
    Outcome out = Feed(reads);
    EXPECT_TRUE(out.lines.empty());
    EXPECT_EQ(out.rest, line + "\r");
    Outcome more = Feed({line + "z"});
    EXPECT_EQ(more.lines, Lines{"!"});
    EXPECT_EQ(more.rest, "");
}

}  // namespace
}  // namespace zorl
