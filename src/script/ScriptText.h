// Script text that remembers who wrote each byte.
//
// THE RULE: text from other people is never script. A command line that a
// script runs is made of two kinds of bytes:
//   - the script's own text: what the user wrote in an event line, an alias,
//     a timer, the start-up list or typed; its variables, "{ }" groups and
//     " | " separators work;
//   - data: every value a variable put in, of two kinds: what came from a
//     message (its fields, nicks, window names) and the user's own values
//     ("$?" answers, user variables, "$randline" and "$getline" lines, the
//     time...).
// Data is copied as it is: it is never scanned for variables again, never
// split at " | ", never ungrouped by braces, and a command word that holds
// any of it is not a command (the line goes out as plain text). XLAT is the
// one deliberate way to run data as script, and only the user's own values:
// what came from a message stays data through it.
//
//   event  TEXTIN hi : * : /msg $channel $nick said $2
//   line   "hi | /SYSTEM xterm" from joe in #c
//   runs   one command: /msg #c joe said hi | /SYSTEM xterm
//                       ^^^^^ own ^^ own ^^^^^ own, the rest data
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorl {

enum class Origin : uint8_t {
    kOwn,        // written by the script's author: variables and separators work
    kGrouped,    // the author's, inside "{ }": variables work, " | " does not split
    kData,       // a value from a message: plain text wherever it goes
    kUserValue,  // a value of the user's own: plain text, but XLAT makes it kOwn
};

constexpr bool IsDataOrigin(Origin origin) {
    return origin == Origin::kData || origin == Origin::kUserValue;
}

class ScriptText {
public:
    ScriptText() = default;
    // A whole text of one origin: Own("/join #x"), Data(message text).
    static ScriptText Own(std::string_view text) { return {text, Origin::kOwn}; }
    static ScriptText Data(std::string_view text) { return {text, Origin::kData}; }
    // `origins` holds one entry per byte of `text`.
    static ScriptText FromParts(std::string text, std::vector<Origin> origins);

    const std::string& Text() const { return text_; }
    std::size_t size() const { return text_.size(); }
    bool empty() const { return text_.empty(); }
    char operator[](std::size_t i) const { return text_[i]; }
    Origin At(std::size_t i) const { return origins_[i]; }
    const Origin* Origins() const { return origins_.data(); }
    bool IsData(std::size_t i) const { return IsDataOrigin(origins_[i]); }
    // Some byte of [pos, pos + length) is data, of either kind.
    bool HasData(std::size_t pos = 0, std::size_t length = std::string::npos) const;
    // Some byte came from a message.
    bool HasMessageData() const;

    void Append(char c, Origin origin);
    void Append(std::string_view text, Origin origin);
    void Append(const ScriptText& other);

    ScriptText Sub(std::size_t pos, std::size_t length = std::string::npos) const;
    // The bytes that `part`, a view into Text() (as the word splitters
    // return them), covers.
    ScriptText Of(std::string_view part) const;
    // Without the white space at both ends, whoever wrote it.
    ScriptText Trimmed() const;
    // What XLAT runs: the user's own values become the author's text, what
    // came from a message stays data.
    ScriptText WithUserValuesOwn() const;

    // Compares the text only.
    bool operator==(const std::string& text) const { return text_ == text; }

private:
    ScriptText(std::string_view text, Origin origin) : text_(text), origins_(text.size(), origin) {}

    std::string text_;
    std::vector<Origin> origins_;
};

// The message fields that a runner took from a line it was given (its words
// become nick and parameters), so that expansion keeps their origin: a
// timer's "$1" is the author's own text, an event's "$1" is data.
struct OwnedFields {
    ScriptText nick;
    std::vector<ScriptText> params;
};

}  // namespace zorl
