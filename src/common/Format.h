// The one printf-style helper. Formats are literals of this program, never
// server, peer, user or script text; the attribute lets the compiler check.
#pragma once

#include <cstddef>
#include <string>

namespace zorl {

// Formats into a string of at most `limit` bytes (longer results are cut).
std::string FormatBounded(std::size_t limit, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Formats without a practical bound.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "%08X" of an identity, used by every diagnostic that names a frame or socket.
std::string HexId(unsigned long id);

}  // namespace zorl
