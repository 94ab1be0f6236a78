// The line parser, read as transcripts: a raw line in, the record's fields out.
#include <gtest/gtest.h>

#include "common/TextSplit.h"
#include "session/LineParser.h"

namespace zorl {
namespace {

using Params = std::vector<std::string>;

IrcMessage Parse(const std::string& line, const std::vector<std::string>& ignore = {},
                 bool* ignoredOut = nullptr) {
    bool ignored = false;
    IrcMessage m = ParseMessage(line, "me", ignore, ignored);
    if (ignoredOut) *ignoredOut = ignored;
    return m;
}

TEST(ParseMessage, WelcomeFromAServer) {
    IrcMessage m = Parse(":hub 001 joe :Welcome to the net");
    EXPECT_EQ(m.flags, 255);
    EXPECT_EQ(m.nick, "hub");
    EXPECT_EQ(m.sender, "");
    EXPECT_EQ(m.command, "001");
    EXPECT_EQ(m.params, (Params{"joe", "Welcome to the net"}));
    EXPECT_EQ(m.channel, "joe");
    EXPECT_EQ(m.me, "me");
}

TEST(ParseMessage, LineWithoutPrefix) {
    IrcMessage m = Parse("PING :12345");
    EXPECT_EQ(m.nick, "");
    EXPECT_EQ(m.sender, "");
    EXPECT_EQ(m.command, "PING");
    EXPECT_EQ(m.params, (Params{"12345"}));
}

TEST(ParseMessage, PrefixForms) {
    IrcMessage full = Parse(":joe!~j@dialup PRIVMSG #c :x");
    EXPECT_EQ(full.nick, "joe");
    EXPECT_EQ(full.sender, "~j@dialup");
    IrcMessage noBang = Parse(":joe@dialup NOTICE me :x");
    EXPECT_EQ(noBang.nick, "joe");
    EXPECT_EQ(noBang.sender, "dialup");
}

TEST(ParseMessage, PrefixOnlyLineHasNoCommand) {
    IrcMessage m = Parse(":server.example");
    EXPECT_EQ(m.nick, "server.example");
    EXPECT_EQ(m.command, "");
    EXPECT_TRUE(m.params.empty());
    EXPECT_EQ(m.channel, "");
}

TEST(ParseMessage, RunsOfBlanksAndTrailingWhiteSpace) {
    IrcMessage m = Parse(":a!b@c MODE #x +o  joe   ");
    EXPECT_EQ(m.params, (Params{"#x", "+o", "joe"}));
    IrcMessage lead = Parse("   PING    a\t");
    EXPECT_EQ(lead.command, "PING");
    EXPECT_EQ(lead.params, (Params{"a"}));
}

TEST(ParseMessage, TrailingParameterKeepsLeadingBlanksAndInnerColons) {
    IrcMessage m = Parse(":a PRIVMSG #x : hi");
    EXPECT_EQ(m.params, (Params{"#x", " hi"}));
    IrcMessage inner = Parse(":a PRIVMSG a:b :c:d");
    EXPECT_EQ(inner.params, (Params{"a:b", "c:d"}));
    IrcMessage empty = Parse(":a TOPIC #x :");
    EXPECT_EQ(empty.params, (Params{"#x", ""}));
}

// The tag section is read and unescaped; the rest of the line parses as a
// line without tags does.
TEST(ParseMessage, MessageTags) {
    using Tags = std::vector<std::pair<std::string, std::string>>;
    const struct {
        const char* line;
        Tags tags;
        const char* command;
        const char* nick;
    } rows[] = {
        {"@time=2026-12-09T10:00:00.000Z;msgid=abc :bob!b@h PRIVMSG #c :hi",
         {{"time", "2026-12-09T10:00:00.000Z"}, {"msgid", "abc"}},
         "PRIVMSG",
         "bob"},
        {"@a=x\\sy\\:z\\\\w\\r\\n PING :1", {{"a", "x y;z\\w\r\n"}}, "PING", ""},
        {"@a=\\q\\ PING :1", {{"a", "q"}}, "PING", ""},  // unknown escape, lone backslash
        {"@+draft/reply=1;flag;empty= PING :1",
         {{"+draft/reply", "1"}, {"flag", ""}, {"empty", ""}},
         "PING",
         ""},
        {"@a=1;;a=2;=v   :s 001 me :hi", {{"a", "2"}}, "001", "s"},  // last value wins
        {"@vendor.example/x=1 :s NOTICE me :t", {{"vendor.example/x", "1"}}, "NOTICE", "s"},
        {"@only-tags", {{"only-tags", ""}}, "", ""},
        {":s PING :1", {}, "PING", "s"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        IrcMessage m = Parse(row.line);
        Tags tags;
        for (const MessageTag& tag : m.tags) tags.emplace_back(tag.key, tag.value);
        EXPECT_EQ(tags, row.tags);
        EXPECT_EQ(m.command, row.command);
        EXPECT_EQ(m.nick, row.nick);
    }
    EXPECT_EQ(*Parse("@msgid=7 PING :1").Tag("msgid"), "7");
    EXPECT_EQ(Parse("@msgid=7 PING :1").Tag("time"), nullptr);

    // The limit counts the "@" and the blank after the section.
    for (std::size_t section : {kMaxTagSection, kMaxTagSection + 1}) {
        SCOPED_TRACE(section);
        const std::string line = "@a=" + std::string(section - 4, 'x') + " PING :1";
        IrcMessage m;
        bool ignored = false;
        const bool parsed = ParseMessageInto(m, line, "me", {}, ignored);
        EXPECT_EQ(parsed, section == kMaxTagSection);
        EXPECT_EQ(m.command, parsed ? "PING" : "");
    }
}

TEST(ParseMessage, CtcpFraming) {
    IrcMessage action = Parse(
        ":joe!~j@dialup PRIVMSG #chat :\x01"
        "ACTION waves\x01");
    EXPECT_EQ(action.c_command, "ACTION");
    EXPECT_EQ(action.c_params, "waves");
    EXPECT_EQ(action.params[1],
              "\x01"
              "ACTION waves\x01");
    EXPECT_EQ(action.channel, "#chat");

    IrcMessage bare = Parse(":j NOTICE me :\x01VERSION\x01");
    EXPECT_EQ(bare.c_command, "VERSION");
    EXPECT_EQ(bare.c_params, "");

    IrcMessage unclosed = Parse(":j PRIVMSG me :\x01VERSION");
    EXPECT_EQ(unclosed.c_command, "");
    EXPECT_EQ(unclosed.c_params, "");

    IrcMessage firstParam = Parse(":j PRIVMSG \x01x\x01 :hi");
    EXPECT_EQ(firstParam.c_command, "");

    IrcMessage onlyMark = Parse(":j PRIVMSG me :\x01");
    EXPECT_EQ(onlyMark.c_command, "");

    IrcMessage textAfter = Parse(":j PRIVMSG me :\x01PING 123\x01 tail");
    EXPECT_EQ(textAfter.c_command, "PING");
    EXPECT_EQ(textAfter.c_params, "123");
}

TEST(ParseMessage, BinaryBytesPassThrough) {
    std::string line =
        ":n!u@h PRIVMSG #x :\xff\xfe\x7f\x02"
        "bold\x03"
        "4,5";
    IrcMessage m = Parse(line);
    EXPECT_EQ(m.params[1],
              "\xff\xfe\x7f\x02"
              "bold\x03"
              "4,5");
}

TEST(ParseMessage, IgnoreListMatchesWholePrefixOnly) {
    bool ignored = false;
    Parse(":Bob!~b@Host.Example PRIVMSG me :x", {"bob!*@*"}, &ignored);
    EXPECT_TRUE(ignored);
    Parse("PRIVMSG me :no prefix", {"*!*@*"}, &ignored);
    EXPECT_FALSE(ignored);
    // A server name has user and host "*": a host-only mask covers it.
    Parse(":irc.example NOTICE me :x", {"*!*@somehost"}, &ignored);
    EXPECT_TRUE(ignored);
    Parse(":alice!a@b PRIVMSG me :x", {"bob", "carol!*@*"}, &ignored);
    EXPECT_FALSE(ignored);
}

TEST(TextSplit, SplitAtAndSplitWord) {
    Split a = SplitAt("a=b=c", "=");
    EXPECT_EQ(a.head, "a");
    EXPECT_EQ(a.tail, "b=c");
    EXPECT_TRUE(a.found);
    Split none = SplitAt("abc", "=");
    EXPECT_EQ(none.head, "abc");
    EXPECT_EQ(none.tail, "");
    EXPECT_FALSE(none.found);
    Split crlf = SplitAt("line\r\nrest", "\r\n");
    EXPECT_EQ(crlf.head, "line");
    EXPECT_EQ(crlf.tail, "rest");

    Split w = SplitWord("  word   rest of it  ");
    EXPECT_EQ(w.head, "word");
    EXPECT_EQ(w.tail, "rest of it");
    Split single = SplitWord("\tword");
    EXPECT_EQ(single.head, "word");
    EXPECT_EQ(single.tail, "");
    Split tabbed = SplitWord("a\tb c");
    EXPECT_EQ(tabbed.head, "a\tb");  // only a blank separates words
    EXPECT_EQ(tabbed.tail, "c");
}

struct MaskCase {
    const char* prefix;
    const char* mask;
    bool match;
};

TEST(MatchMask, Table) {
    const MaskCase cases[] = {
        {"Joe!~j@DialupHost", "joe!*@dialup", true},  // host substring after lower-casing
        {"joe!~j@somewhere", "bob!*@*", false},
        {"anyone!x@y", "*!*@*", true},
        {"anyone!x@y", "", true},
        {"joe!x@y", "joe", true},
        {"joey!x@y", "joe", false},
        {"joe!x@y", "joe!z@*", false},
        {"joe!x@a.b.example", "*!*@example", true},
        {"joe!x@ex", "*!*@example", true},    // either host may contain the other
        {"joe!x@ahost", "*!*@*host", false},  // "*" is literal inside a part
        {"joe!x@host  ", "joe!x@host\t", true},
        {"server.example", "*!*@other", true},
        {"server.example", "nick!*@*", false},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(std::string(c.prefix) + " vs " + c.mask);
        EXPECT_EQ(MatchMask(c.prefix, c.mask), c.match);
    }
}

}  // namespace
}  // namespace zorl
