// Who speaks in a chat line, and the colour the conversation view gives a
// nick.
//
//   "<alice> hi"        -> the speaker is "<alice>"
//   "* alice waves"     -> "* alice"
//   "-alice- a notice"  -> "-alice-"
//   "*** alice joined"  -> none: a line about someone, not by them
//
// A nick's colour comes from a stable hash of the nick (ASCII letters folded,
// so "Alice" and "alice" match) and one of two palettes: dark colours for a
// light pane, light ones for a dark pane. Every colour of each palette has a
// WCAG contrast of 4.5 or more on that scheme's backgrounds.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "common/SharedTypes.h"

namespace zorl {

// The length of the speaker at the start of `line`; 0 when it has none.
std::size_t SpeakerLength(std::string_view line);

// The nick inside a speaker: "<alice>" -> "alice", "* alice" -> "alice".
std::string_view SpeakerNick(std::string_view speaker);

Colour NickColour(std::string_view nick, Colour background);

// The palette NickColour picks from on `background`.
std::span<const Colour> NickPalette(Colour background);

// `text` as it reads on `background`: itself when its contrast is 4.5 or
// more, else mixed towards white (on a dark background) or black until it
// is. For formatting-code colours, which senders pick for a white pane.
Colour ReadableOn(Colour text, Colour background);

// WCAG 2: relative luminance (0 black .. 1 white) and contrast ratio.
double Luminance(Colour colour);
double ContrastRatio(Colour a, Colour b);

}  // namespace zorl
