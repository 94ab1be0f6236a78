// A piece of output text taken apart into runs of one character style.
//
// The formatting codes (common/FormatCodes.h) become styles, never
// characters. A colour number names an entry of the IRC colour table; a
// number the table does not hold (16..99) leaves the colour as it is.
// 0x03 alone and 0x0F return to the piece's colour without a background.
// Web addresses (common/Links.h) become runs of their own, marked as links.
// Example: "\x03" "4,12alert\x0F rest" gives "alert" red on blue, " rest"
// in the piece's colour.
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
    Colour background = 0;  // with hasBackground only
    bool hasBackground = false;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool monospace = false;
    bool reverse = false;  // foreground and background swapped when drawn
    bool link = false;

    // One number per distinct style, for caching the widget formats.
    uint64_t Key() const;
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

// True when ParsePiece would make `text` a single run in the piece's own
// colour: it holds no formatting code and no web address.
bool IsPlainPiece(std::string_view text);

// Appends `text` to `out` with every line break made a single '\n'; returns
// the number of line breaks.
int AppendNormalisedBreaks(std::string& out, std::string_view text);

}  // namespace zorl::ui
