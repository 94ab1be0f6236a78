// A piece of output text taken apart into runs of one character style.
//
// The output pane shows IRC formatting codes and terminal colour sequences
// as styles, never as characters:
//   0x02 bold, 0x1F underline, 0x16 reverse (shown as strike-out) toggle;
//   0x0F returns to the piece's colour with no effects;
//   0x03 + digits picks a colour by its number ("4" is red, "04" is not a
//         colour and leaves the colour as it is); ",digits" after them is a
//         background colour and is skipped;
//   ESC "[" digits {";" digits} final: each group ending at ";" or "m" that
//         names a terminal colour ("30".."37") sets it; the whole sequence goes.
// Example: "\x03" "4,12alert\x0F rest" gives "alert" in red, " rest" plain.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/SharedTypes.h"

namespace zorl {
struct ColourTables;
}

namespace zorl::ui {

struct RunStyle {
    Colour colour = 0;
    bool bold = false;
    bool underline = false;
    bool strike = false;

    // One number per distinct style, for caching the widget formats.
    uint32_t Key() const {
        return (colour & 0xFFFFFFu) | (bold ? 1u << 24 : 0) | (underline ? 1u << 25 : 0) |
               (strike ? 1u << 26 : 0);
    }
    bool operator==(const RunStyle&) const = default;
};

struct TextRun {
    std::string text;  // bytes as received; every line break is a single '\n'
    RunStyle style;
    bool operator==(const TextRun&) const = default;
};

// Takes one piece apart. A debug piece keeps its control characters and
// comes back as a single run in the piece's colour. Line breaks ("\r\n",
// a lone "\r" or a lone "\n") come out as one '\n' each.
std::vector<TextRun> ParsePiece(std::string_view text, Colour colour, bool debug,
                                const ColourTables& tables);

// Appends `text` to `out` with every line break made a single '\n'; returns
// the number of line breaks.
int AppendNormalisedBreaks(std::string& out, std::string_view text);

}  // namespace zorl::ui
