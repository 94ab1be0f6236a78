#include "common/FormatCodes.h"

#include "common/Text.h"

namespace zorl {

bool IsFormatCode(char c) {
    switch (c) {
        case code::kBold:
        case code::kColour:
        case code::kPlain:
        case code::kMonospace:
        case code::kReverse:
        case code::kEscape:
        case code::kItalic:
        case code::kStrike:
        case code::kUnderline: return true;
        default: return false;
    }
}

bool FormatScanner::Next(FormatToken& token) {
    token = FormatToken{};
    if (in_sequence_ && TakeTerminalGroup(token)) return true;
    while (pos_ < text_.size()) {
        if (!IsFormatCode(text_[pos_])) {
            const std::size_t start = pos_;
            while (pos_ < text_.size() && !IsFormatCode(text_[pos_])) ++pos_;
            token.kind = FormatToken::Kind::Text;
            token.text = text_.substr(start, pos_ - start);
            return true;
        }
        const char c = text_[pos_++];
        switch (c) {
            case code::kPlain: token.kind = FormatToken::Kind::Plain; return true;
            case code::kColour: TakeColour(token); return true;
            case code::kEscape:
                if (pos_ < text_.size() && text_[pos_] == '[') {
                    ++pos_;
                    in_sequence_ = true;
                    if (TakeTerminalGroup(token)) return true;
                }
                break;  // a lone ESC, or a sequence that set nothing
            default:
                token.kind = FormatToken::Kind::Toggle;
                token.code = c;
                return true;
        }
    }
    return false;
}

// NOTE: two digits at most. Senders write "\x03" "04" before text that may
// begin with a digit; taking more would eat the text.
int FormatScanner::TakeNumber() {
    int value = FormatToken::kNone;
    for (int n = 0; n < 2 && pos_ < text_.size() && IsDigit(text_[pos_]); ++n, ++pos_)
        value = (value < 0 ? 0 : value * 10) + (text_[pos_] - '0');
    return value;
}

void FormatScanner::TakeColour(FormatToken& token) {
    token.kind = FormatToken::Kind::IrcColour;
    token.foreground = TakeNumber();
    if (token.foreground == FormatToken::kNone) return;
    // A "," not followed by a digit is the text's own comma.
    if (pos_ + 1 < text_.size() && text_[pos_] == ',' && IsDigit(text_[pos_ + 1])) {
        ++pos_;
        token.background = TakeNumber();
    }
}

// One group of digits of a terminal sequence. A group is reported when it
// ends at ";" (more follow) or at "m"; any other character ends the whole
// sequence and goes with it. A sequence cut off by the end of the text
// reports nothing more.
bool FormatScanner::TakeTerminalGroup(FormatToken& token) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) {
        in_sequence_ = false;
        return false;
    }
    const char end = text_[pos_++];
    in_sequence_ = end == ';';
    if (end != ';' && end != 'm') return false;
    token.kind = FormatToken::Kind::TerminalColour;
    token.text = text_.substr(start, pos_ - 1 - start);
    return true;
}

std::string VisibleText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    FormatScanner scanner(text);
    FormatToken token;
    while (scanner.Next(token))
        if (token.kind == FormatToken::Kind::Text) out.append(token.text);
    return out;
}

}  // namespace zorl
