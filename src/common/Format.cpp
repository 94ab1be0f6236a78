#include "common/Format.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace zorl {
namespace {

std::string FormatV(std::size_t limit, const char* format, va_list args) {
    va_list probe;
    va_copy(probe, args);
    int needed = std::vsnprintf(nullptr, 0, format, probe);
    va_end(probe);
    if (needed < 0) return {};
    std::size_t size = static_cast<std::size_t>(needed);
    if (size > limit) size = limit;
    std::vector<char> buffer(size + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return std::string(buffer.data(), size);
}

}  // namespace

std::string FormatBounded(std::size_t limit, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(limit, format, args);
    va_end(args);
    return text;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(static_cast<std::size_t>(-1) / 2, format, args);
    va_end(args);
    return text;
}

std::string HexId(unsigned long id) { return FormatBounded(32, "%08lX", id); }

}  // namespace zorl
