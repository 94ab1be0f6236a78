// Long messages go out in pieces that the server can relay: each piece fits
// in 512 bytes with our prefix in front (a 63-byte host), the pieces put back
// together give the typed text, and no piece ends inside a UTF-8 sequence
// or a colour code.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "script/MessageSplit.h"
#include "script/ScriptFixture.h"

namespace zorl {
namespace {

// What a server relays for a line we sent as "me" with user name "u".
std::string Relayed(const std::string& line) {
    return ":me!~u@" + std::string(kLongestHost, 'h') + " " + line + "\r\n";
}

// Where `text` may be cut: not inside a UTF-8 sequence, not inside a
// colour code "\x03NN,NN".
std::vector<bool> CutAllowed(const std::string& text) {
    std::vector<bool> allowed(text.size() + 1, true);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) allowed[i] = false;
        if (text[i] != '\x03') continue;
        std::size_t end = i + 1;
        for (int n = 0;
             n < 2 && end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])); ++n)
            ++end;
        if (end + 1 < text.size() && text[end] == ',' &&
            std::isdigit(static_cast<unsigned char>(text[end + 1]))) {
            ++end;
            for (int n = 0;
                 n < 2 && end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]));
                 ++n)
                ++end;
        }
        for (std::size_t j = i + 1; j < end; ++j) allowed[j] = false;
    }
    return allowed;
}

// The pieces are `text` in order, cut only where allowed; a blank at a cut
// may be left out.
void ExpectPiecesOf(const std::string& text, const std::vector<std::string>& pieces) {
    const std::vector<bool> allowed = CutAllowed(text);
    std::size_t at = 0;
    for (const std::string& piece : pieces) {
        ASSERT_EQ(text.substr(at, piece.size()), piece) << "at byte " << at;
        at += piece.size();
        EXPECT_TRUE(allowed[at]) << "cut inside a sequence or code at byte " << at;
        if (at < text.size() && text[at] == ' ') ++at;
    }
    EXPECT_EQ(at, text.size());
}

std::string Repeat(const std::string& unit, std::size_t bytes) {
    std::string text;
    while (text.size() + unit.size() <= bytes) text += unit;
    return text;
}

class LongMessage : public test::ScriptFixture {};

TEST_F(LongMessage, TypedLinesGoOutInPiecesThatServersRelay) {
    struct Row {
        const char* typed;  // the command before the text; "" plain text in #chan
        const char* head;   // each sent line: head + piece + tail
        const char* tail;
        const char* echo;  // each echo in #chan: echo + piece
        Cls cls;
        std::string text;
    };
    const std::string words = Repeat("word ", 2000) + "end";
    const std::string utf8 = Repeat("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", 2000);  // ä € 😀
    const std::string colours = Repeat(
        "\x03"
        "04,12ab\x03"
        "3x",
        2000);
    const Row rows[] = {
        {"", "PRIVMSG #chan :", "", "<me> ", Cls::Own, words},
        {"", "PRIVMSG #chan :", "", "<me> ", Cls::Own, std::string(2000, 'x')},
        {"", "PRIVMSG #chan :", "", "<me> ", Cls::Own, utf8},
        {"/privmsg ann ", "PRIVMSG ann :", "", "-> *ann* ", Cls::Own, utf8},
        {"/notice ann ", "NOTICE ann :", "", "-> -ann- ", Cls::Notice, colours},
        {"/action ",
         "PRIVMSG #chan :\x01"
         "ACTION ",
         "\x01", "* me ", Cls::Action, words},
    };
    Online();
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.typed) + row.text.substr(0, 20));
        Type(chan_, row.typed + row.text);
        host.Elapse(30000);  // lets the send queue empty
        std::vector<std::string> pieces;
        const std::vector<std::string> sent = server_->SentLines();
        TakeSent();
        for (const std::string& line : sent) {
            EXPECT_LE(Relayed(line).size(), kRelayedLineLimit) << line;
            ASSERT_TRUE(line.starts_with(row.head) && line.ends_with(row.tail)) << line;
            pieces.push_back(
                line.substr(std::strlen(row.head),
                            line.size() - std::strlen(row.head) - std::strlen(row.tail)));
        }
        EXPECT_GE(pieces.size(), 4u);
        ExpectPiecesOf(row.text, pieces);
        std::vector<std::string> echoes;
        for (const std::string& piece : pieces) echoes.push_back(row.echo + piece);
        EXPECT_EQ(Lines("#chan"), echoes);
        EXPECT_TRUE(Shows("#chan", ColourOf(row.cls), echoes.back()));
        ClearPanes();
    }
    // A network that relays longer lines (LINELEN) takes the text whole.
    server_->Receive(":irc.example 005 me LINELEN=4096 :are supported\r\n");
    TakeSent();
    Type(chan_, std::string(2000, 'x'));
    EXPECT_EQ(server_->SentLines(),
              std::vector<std::string>{"PRIVMSG #chan :" + std::string(2000, 'x')});
    EXPECT_EQ(app.Connection().State(), CONNECTED);
}

TEST(MessageSplit, CutsAtABlankNearTheEndAndNeverInsideACharacterOrColourCode) {
    struct Row {
        const char* what;
        std::string text;
        std::vector<std::string> pieces;
    };
    const std::string a38(38, 'a');
    const std::string a39(39, 'a');
    const Row rows[] = {
        {"fits", "short text", {"short text"}},
        {"blank in the back half",
         std::string(30, 'a') + " " + std::string(20, 'b'),
         {std::string(30, 'a'), std::string(20, 'b')}},
        {"blank too early",
         "aa " + std::string(50, 'b'),
         {"aa " + std::string(37, 'b'), std::string(13, 'b')}},
        {"colour pair",
         a38 +
             "\x03"
             "04,12" +
             "bbbb",
         {a38,
          "\x03"
          "04,12bbbb"}},
        {"the text's own digit after a whole code",
         std::string(37, 'a') +
             "\x03"
             "04" +
             "2 apples" + std::string(30, 'c'),
         {std::string(37, 'a') + "\x03"
                                 "04",
          "2 apples" + std::string(30, 'c')}},
        {"terminal sequence", a38 + "\x1b[31;1m" + "bbbb", {a38, "\x1b[31;1mbbbb"}},
        {"euro sign",
         a39 + "\xE2\x82\xAC" + "b",
         {a39,
          "\xE2\x82\xAC"
          "b"}},
        {"Windows-1252 bytes", a39 + "\x80\x80\x80", {a39 + "\x80", "\x80\x80"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(SplitMessageText(row.text, 40), row.pieces);
    }
}

}  // namespace
}  // namespace zorl
