// Base64 (RFC 4648, with padding), as SASL carries its messages.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorl {

std::string Base64Encode(std::string_view bytes);
// Nothing when `text` is not Base64: a character outside the alphabet,
// a length that is not a multiple of four, or padding before the end.
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace zorl
