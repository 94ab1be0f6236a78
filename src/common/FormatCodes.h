// The formatting codes of chat text, read one way for the whole client: the
// output pane draws them and whatever compares chat text with a pattern
// strips them, so what the eye sees and what a pattern matches agree.
//
//   0x02 bold, 0x1D italic, 0x1F underline, 0x1E strike-through,
//   0x11 monospace, 0x16 reverse video: each toggles its effect.
//   0x0F: plain again, no effects and no colours.
//   0x03: colours. At most two digits name the foreground; a "," followed
//         by a digit adds a background of at most two digits. Everything
//         after that is text again:
//           "\x03" "04" "2 apples"  colour 4, text "2 apples"
//           "\x03" "4,012"          colour 4 on colour 1, text "2"
//           "\x03" "4,x"            colour 4, text ",x"
//         A 0x03 without a digit after it ends the colours.
//   ESC "[" digits {";" digits} final: a terminal colour sequence. Each
//         group that ends at ";" or "m" is reported; the whole sequence,
//         its final character included, is no text. An ESC without "[" is
//         dropped alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorl {

namespace code {
constexpr char kBold = 0x02;
constexpr char kColour = 0x03;
constexpr char kPlain = 0x0F;
constexpr char kMonospace = 0x11;
constexpr char kReverse = 0x16;
constexpr char kEscape = 0x1B;
constexpr char kItalic = 0x1D;
constexpr char kStrike = 0x1E;
constexpr char kUnderline = 0x1F;
}  // namespace code

// True for every byte that starts a code above.
bool IsFormatCode(char c);

struct FormatToken {
    enum class Kind {
        Text,            // `text`: characters shown as they are
        Toggle,          // `code`: one of the six effect codes
        Plain,           // 0x0F
        IrcColour,       // `foreground`, `background`
        TerminalColour,  // `text`: the digits of one group ("31")
    };
    static constexpr int kNone = -1;

    Kind kind = Kind::Text;
    std::string_view text;
    char code = 0;
    int foreground = kNone;  // 0..99; kNone: the code ends the colours
    int background = kNone;  // 0..99; kNone: no background given
};

// Walks a text token by token; the views point into the text.
class FormatScanner {
public:
    explicit FormatScanner(std::string_view text) : text_(text) {}
    // False at the end of the text.
    bool Next(FormatToken& token);

private:
    int TakeNumber();
    void TakeColour(FormatToken& token);
    bool TakeTerminalGroup(FormatToken& token);

    std::string_view text_;
    std::size_t pos_ = 0;
    bool in_sequence_ = false;  // inside ESC "[" ... after a ";"
};

// The text as the output pane shows it, every code removed.
std::string VisibleText(std::string_view text);

}  // namespace zorl
