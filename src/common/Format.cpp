#include "common/Format.h"

#include <cstdio>
#include <cstring>
#include <type_traits>
#include <vector>

namespace zorl {
namespace {

constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1) / 2;

// One conversion: "%-20s" is {left, ' ', 20, none, 's'}.
struct Spec {
    bool left = false;
    char pad = ' ';
    std::size_t width = 0;
    enum Length { kInt, kLong, kLongLong, kSize } length = kInt;
    char conversion = 0;
};

// Reads the conversion after a '%'; false when it is one the fast path does
// not do (precision, '*', '+', ' ', '#', other lengths or conversions, or a
// '0' flag on a text).
bool ReadSpec(const char*& p, Spec& spec) {
    for (;; ++p) {
        if (*p == '-') {
            spec.left = true;
        } else if (*p == '0') {
            spec.pad = '0';
        } else {
            break;
        }
    }
    while (*p >= '0' && *p <= '9')
        spec.width = spec.width * 10 + static_cast<std::size_t>(*p++ - '0');
    if (spec.width > 4096) return false;
    if (*p == 'l') {
        ++p;
        spec.length = Spec::kLong;
        if (*p == 'l') {
            ++p;
            spec.length = Spec::kLongLong;
        }
    } else if (*p == 'z') {
        ++p;
        spec.length = Spec::kSize;
    }
    spec.conversion = *p;
    switch (spec.conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X': break;
        case 's':
        case 'c':
            if (spec.pad == '0' || spec.length != Spec::kInt) return false;
            break;
        case '%':
            if (spec.left || spec.pad != ' ' || spec.width || spec.length != Spec::kInt)
                return false;
            break;
        default: return false;
    }
    ++p;
    if (spec.left) spec.pad = ' ';  // "-" wins over "0"
    return true;
}

bool FastPathCovers(const char* format) {
    for (const char* p = format; *p;) {
        if (*p++ != '%') continue;
        Spec spec;
        if (!ReadSpec(p, spec)) return false;
    }
    return true;
}

void Pad(std::string& out, std::size_t length, const Spec& spec, const char* sign, const char* text,
         std::size_t textLength) {
    const std::size_t signLength = std::strlen(sign);
    const std::size_t fill = spec.width > length ? spec.width - length : 0;
    if (!spec.left && spec.pad == ' ') out.append(fill, ' ');
    out.append(sign, signLength);
    if (!spec.left && spec.pad == '0') out.append(fill, '0');
    out.append(text, textLength);
    if (spec.left) out.append(fill, ' ');
}

void AppendNumber(std::string& out, const Spec& spec, std::va_list& args) {
    const bool isSigned = spec.conversion == 'd' || spec.conversion == 'i';
    unsigned long long magnitude = 0;
    bool negative = false;
    if (isSigned) {
        long long value = 0;
        switch (spec.length) {
            case Spec::kInt: value = va_arg(args, int); break;
            case Spec::kLong: value = va_arg(args, long); break;
            case Spec::kLongLong: value = va_arg(args, long long); break;
            case Spec::kSize: value = va_arg(args, std::make_signed_t<std::size_t>); break;
        }
        negative = value < 0;
        magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                             : static_cast<unsigned long long>(value);
    } else {
        switch (spec.length) {
            case Spec::kInt: magnitude = va_arg(args, unsigned); break;
            case Spec::kLong: magnitude = va_arg(args, unsigned long); break;
            case Spec::kLongLong: magnitude = va_arg(args, unsigned long long); break;
            case Spec::kSize: magnitude = va_arg(args, std::size_t); break;
        }
    }
    const unsigned base = (spec.conversion == 'x' || spec.conversion == 'X') ? 16 : 10;
    const char* digits = spec.conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    char buffer[24];
    char* end = buffer + sizeof buffer;
    char* begin = end;
    do {
        *--begin = digits[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    const std::size_t length = static_cast<std::size_t>(end - begin);
    const char* sign = negative ? "-" : "";
    Pad(out, length + (negative ? 1 : 0), spec, sign, begin, length);
}

std::string FastFormat(std::size_t limit, const char* format, std::va_list& args) {
    std::string out;
    out.reserve(120);  // a typical line in one allocation
    for (const char* p = format; *p;) {
        const char* percent = std::strchr(p, '%');
        if (!percent) {
            out.append(p);
            break;
        }
        out.append(p, static_cast<std::size_t>(percent - p));
        p = percent + 1;
        Spec spec;
        ReadSpec(p, spec);  // FastPathCovers has checked every conversion
        switch (spec.conversion) {
            case 's': {
                const char* text = va_arg(args, const char*);
                if (!text) text = "(null)";
                const std::size_t length = std::strlen(text);
                Pad(out, length, spec, "", text, length);
                break;
            }
            case 'c': {
                const char c = static_cast<char>(va_arg(args, int));
                Pad(out, 1, spec, "", &c, 1);
                break;
            }
            case '%': out += '%'; break;
            default: AppendNumber(out, spec, args); break;
        }
        if (out.size() > limit) break;
    }
    if (out.size() > limit) out.resize(limit);
    return out;
}

std::string LibraryFormat(std::size_t limit, const char* format, va_list args) {
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

std::string FormatBoundedV(std::size_t limit, const char* format, va_list args) {
    if (!FastPathCovers(format)) return LibraryFormat(limit, format, args);
    // A copy of its own, so that the helpers can take turns reading it.
    std::va_list own;
    va_copy(own, args);
    std::string text = FastFormat(limit, format, own);
    va_end(own);
    return text;
}

std::string FormatBounded(std::size_t limit, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatBoundedV(limit, format, args);
    va_end(args);
    return text;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatBoundedV(kUnbounded, format, args);
    va_end(args);
    return text;
}

std::string HexId(unsigned long id) { return FormatBounded(32, "%08lX", id); }

}  // namespace zorl
