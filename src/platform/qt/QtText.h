// The one place where the engine's byte strings become QStrings and back,
// for the widgets and the platform services alike.
//
// Text from the network has no declared encoding, and one line often mixes
// both kinds: a UTF-8 client quoting a Windows-1252 one. So the decision is
// made per sequence, not per line: every valid UTF-8 sequence is shown as
// UTF-8 and every byte that is not part of one as Windows-1252. Overlong
// forms, surrogates and code points past U+10FFFF are not valid sequences.
// Text the user types goes to the engine as UTF-8.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zorl::qt {

// Every byte shows as something: the five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the
// same number, so nothing is lost and nothing becomes a replacement mark.
// The result depends on the bytes alone: decoding two halves split at an
// ASCII byte gives the same text as decoding the whole.
QString DecodeText(std::string_view bytes);
std::string EncodeText(const QString& text);

// A file-dialog filter of the form "Log files (*.log) | *.log||" (pairs of
// label and patterns, "|"-separated, ended by an empty pair; patterns split
// by ";") in Qt's form "Log files (*.log)" (entries split by ";;").
QString ConvertFileFilter(const std::string& filter);

}  // namespace zorl::qt
