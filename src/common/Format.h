// The one printf-style helper. Formats are literals of this program, never
// server, peer, user or script text; the attribute lets the compiler check.
//
// Every line of a flood or a channel list may pass through here, so the
// conversions this program's formats use are done without the C library's
// stream machinery: flags "-" and "0", a width, the lengths l, ll and z, and
// s d i u x X c %. Any other format goes to vsnprintf; both give the same
// text.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace zorl {

// Formats into a string of at most `limit` bytes (longer results are cut).
std::string FormatBounded(std::size_t limit, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
std::string FormatBoundedV(std::size_t limit, const char* format, va_list args)
    __attribute__((format(printf, 2, 0)));
// The same into `out` (its content replaced), whose storage is reused.
void FormatIntoV(std::string& out, std::size_t limit, const char* format, va_list args)
    __attribute__((format(printf, 3, 0)));

// Formats without a practical bound.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "3.4 MiB": a size as people read it ("512 bytes" below a KiB).
std::string SizeText(unsigned long long bytes);

// "%08X" of an identity, used by every diagnostic that names a frame or socket.
std::string HexId(unsigned long id);

}  // namespace zorl
