// The one place where the engine's byte strings become QStrings and back.
//
// Text from the network has no declared encoding. A piece is shown as UTF-8
// when it is valid UTF-8 and as Windows-1252 otherwise (the common 8-bit
// encoding of older clients), so neither kind turns into replacement marks.
// Text the user types goes to the engine as UTF-8.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zorl::ui {

// Strict: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Every byte maps to one character. The five bytes 1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same
// number, so no byte is lost.
QString DecodeWindows1252(std::string_view bytes);

// UTF-8 when valid, else Windows-1252.
QString DecodeForDisplay(std::string_view bytes);
// Decodes with a choice made earlier for the whole piece the bytes belong to.
QString DecodeAs(std::string_view bytes, bool utf8);

std::string ToEngineText(const QString& text);

}  // namespace zorl::ui
